#pragma once

#include <QString>
#include <QStringView>

// Small text helpers shared by every screen. They hold no state.

// "<field>に使用できない文字「<chars>」(U+1F600) が含まれています。", one code
// point per character ("U+1F363, U+1F600"): the one refusal of characters
// code page 932 has no form for, wherever a text is taken. The code points
// are named since a character no font has is drawn as a box.
// Control characters among `chars` are named by their code points alone
// ("…に使用できない制御文字(U+0000) が含まれています。"), as they show as
// nothing.
QString UnusableCharsText(const QString& field, const QString& chars);
// That refusal for a field's text; empty when code page 932 holds it all.
QString UnusableCharsProblem(const QString& field, const QString& text);
// The control characters of a text, each once, in order: C0 but tab, CR and
// LF (a value may hold line breaks), DEL, and C1.
QString ControlChars(const QString& text);

// "1234567" → "1,234,567", "-1234.5" → "-1,234.5". Counts characters of the
// integer part; a half-width yen sign ("¥" or "\", byte 0x5C) takes a
// digit's place but is never followed by a separator.
QString InsertThousandsSeparators(const QString& text);

// 1 when the text is not empty and holds only half-width and full-width
// spaces, else 0.
int IsBlankString(const QString& text);

// True when the text holds a half-width or full-width space anywhere.
bool ContainsBlank(const QString& text);

// Full-width digits, minus sign, point and comma ("０"-"９", "－", "．",
// "，") become their half-width forms; everything else is kept.
QString ToHalfWidthDigits(const QString& text);

// Half-width digits become full-width ("0" → "０"); everything else is kept.
QString WidenDigits(const QString& text);

// True when the names are equal once ASCII letters are folded; other
// characters (full-width letters too) must match exactly, as the database's
// own comparison does.
bool EqualsNoAsciiCase(QStringView a, QStringView b);
// The text with its ASCII letters in lower case and every other character
// kept (full-width letters too): a key under which two codes meet exactly
// when the database's comparison takes them as one.
QString FoldAsciiCase(const QString& text);
