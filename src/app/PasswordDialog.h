#pragma once

#include <QString>

class QWidget;

// The password prompts of the password check: the password in force, and a
// new password typed twice (empty clears it). False when cancelled; the new
// password is asked again until both entries agree.
bool AskPassword(QString& password, QWidget* parent = nullptr);
bool AskNewPassword(QString& password, QWidget* parent = nullptr);
