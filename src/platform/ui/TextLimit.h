#pragma once

#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Keeps an edit's text within `maxBytes` bytes of code page 932, the form
// the files and records hold it in. What is typed, pasted or committed by
// the input method beyond the limit is cut where it was inserted, never
// inside a double-byte character; in a field marked by RefuseOverLongInput
// it is refused whole instead. A text the program sets is not cut there.
class CByteLimitValidator : public QValidator
{
    Q_OBJECT
  public:
    CByteLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), m_nMaxBytes(maxBytes) {}

    int MaxBytes() const { return m_nMaxBytes; }
    bool Fits(const QString& text) const;
    State validate(QString& input, int& pos) const override;

  private:
    int m_nMaxBytes;
};

// Limits the edit to `maxBytes` bytes; a negative limit removes it.
void LimitTextBytes(QLineEdit* edit, int maxBytes);

// Keeps a multi-line edit within `maxBytes` bytes of code page 932 in the
// form its record stores: with `crlf` every line break counts as "\r\n".
// What is typed, pasted or committed by the input method past the limit is
// refused where it goes in: only the part of the insertion that fits stays
// (in a field marked by RefuseOverLongInput, none of it), and the text
// around it is kept whole. A text the program sets (a stored record) is
// shown whole.
void LimitPlainTextBytes(QPlainTextEdit* edit, int maxBytes, bool crlf);

// Marks a limited field (a line edit, an editable combo box or a multi-line
// edit) of an entry dialog: an input that does not fit whole is refused
// with a beep, and the status bar of the window behind says
// "<caption>は<limit>バイトまでです。", so nothing is dropped unseen.
void RefuseOverLongInput(QWidget* field, const QString& caption);
// The same, the refusal said by `say` with the text the input would have
// made, where the user looks (a message box over the dialog): called once
// the input has been turned away, never while the field is still taking it.
void RefuseOverLongInput(QWidget* field, std::function<void(const QString& refused)> say);
// That line of the status bar.
QString TextLimitMessage(const QString& caption, int maxBytes);
// The limit in characters: "<caption>は全角15文字・半角30文字までです。"
// for 30 bytes.
QString TextLimitCharsMessage(const QString& caption, int maxBytes);

// The longest start of `text` that fits in `room` bytes, line breaks
// counted as above, never splitting a character.
QString FitPlainTextBytes(const QString& text, int room, bool crlf);
// The bytes `text` takes, line breaks counted as above.
int PlainTextBytes(const QString& text, bool crlf);
