#pragma once

#include "platform/ui/TextLimit.h"

class QPushButton;
class QWidget;

// False, after telling the user which characters they are, when the text
// holds characters without a code page 932 form: the settings files would
// keep them as '?'.
bool CheckEncodable(const QString& text);
// The same for the text of one field: the message names the field and each
// character's code point too, since a character no font has is drawn as a
// box.
bool CheckEncodable(const QString& text, const QString& field);
// "<field>に使用できない文字「<chars>」(U+1F600) が含まれています。", one code
// point per character ("U+1F363, U+1F600").
QString UnusableCharsText(const QString& field, const QString& chars);

// A push button that Enter does not press (OK is the dialog's default).
QPushButton* MakeButton(const QString& text, QWidget* parent);

// The "？" button that opens a help topic.
QPushButton* MakeHelpButton(int topic, QWidget* parent);
