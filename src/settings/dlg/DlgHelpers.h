#pragma once

#include "platform/text/TextHelpers.h"
#include "platform/ui/TextLimit.h"

class QPushButton;
class QWidget;

// False, after telling the user which characters they are, when the text
// of the field holds characters without a code page 932 form: the files and
// records would keep them as '?'. The message is UnusableCharsText's.
bool CheckEncodable(const QString& text, const QString& field);

// A push button that Enter does not press (OK is the dialog's default).
QPushButton* MakeButton(const QString& text, QWidget* parent);

// The "？" button that opens a help topic.
QPushButton* MakeHelpButton(int topic, QWidget* parent);
