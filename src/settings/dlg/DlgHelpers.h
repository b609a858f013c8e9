#pragma once

#include <QValidator>

class QLineEdit;
class QPushButton;
class QWidget;

// Keeps an edit's text within `maxBytes` bytes of code page 932, the form
// the settings files hold it in. What is typed or pasted beyond the limit
// is cut where it was inserted, never inside a double-byte character.
class CByteLimitValidator : public QValidator
{
    Q_OBJECT
  public:
    CByteLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), m_nMaxBytes(maxBytes) {}

    int MaxBytes() const { return m_nMaxBytes; }
    State validate(QString& input, int& pos) const override;

  private:
    int m_nMaxBytes;
};

// Limits the edit to `maxBytes` bytes; a negative limit removes it.
void LimitTextBytes(QLineEdit* edit, int maxBytes);

// False, after telling the user which characters they are, when the text
// holds characters without a code page 932 form: the settings files would
// keep them as '?'.
bool CheckEncodable(const QString& text);

// A push button that Enter does not press (OK is the dialog's default).
QPushButton* MakeButton(const QString& text, QWidget* parent);

// The "？" button that opens a help topic.
QPushButton* MakeHelpButton(int topic, QWidget* parent);
