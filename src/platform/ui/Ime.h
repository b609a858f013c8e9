#pragma once

class QWidget;

// The input method of a field. Closed, the field takes Latin text only;
// open, Japanese text; `katakana` asks for the reading fields' katakana,
// which Qt's input-method hints cannot name, so it only keeps predictions
// out of the reading.
void SetImeMode(bool open, QWidget* window, bool katakana = false);

// The fields the dialogs have, each with its mode and a hint for the kind
// of text it takes.
enum class ImeField { Code, Number, Telephone, Postcode, Mail, Text, Reading };
void SetImeMode(QWidget* window, ImeField field);

// Closes the window's input method each time `field` takes the focus, for
// fields that take digits only, such as the date pickers.
void CloseImeOnFocus(QWidget* field);
