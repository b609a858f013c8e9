#pragma once

#include "platform/ui/TextLimit.h"

class QPushButton;
class QWidget;

// False, after telling the user which characters they are, when the text
// holds characters without a code page 932 form: the settings files would
// keep them as '?'.
bool CheckEncodable(const QString& text);

// A push button that Enter does not press (OK is the dialog's default).
QPushButton* MakeButton(const QString& text, QWidget* parent);

// The "？" button that opens a help topic.
QPushButton* MakeHelpButton(int topic, QWidget* parent);
