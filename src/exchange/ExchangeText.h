#pragma once

#include <QString>

class QFileDevice;

// The message for a file that could not be opened or read, naming it.
QString FileErrorMessage(const QFileDevice& file);

// Shows `text` in an OK box through the prompt service.
void ShowExchangeMessage(const QString& text, int icon = 0);
