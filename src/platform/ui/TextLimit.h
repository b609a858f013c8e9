#pragma once

#include <QString>

class QPlainTextEdit;

// Keeps a multi-line edit within `maxBytes` bytes of code page 932 in the
// form its record stores: with `crlf` every line break counts as "\r\n".
// What is typed, pasted or committed by the input method past the limit is
// refused where it goes in: only the part of the insertion that fits stays,
// and the text around it is kept whole. A text the program sets (a stored
// record) is shown whole.
void LimitPlainTextBytes(QPlainTextEdit* edit, int maxBytes, bool crlf);

// The longest start of `text` that fits in `room` bytes, line breaks
// counted as above, never splitting a character.
QString FitPlainTextBytes(const QString& text, int room, bool crlf);
// The bytes `text` takes, line breaks counted as above.
int PlainTextBytes(const QString& text, bool crlf);
