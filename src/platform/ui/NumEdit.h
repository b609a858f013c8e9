#pragma once

#include <QLineEdit>

// A numeric entry kept as text: typed characters other than digits, the
// point and (when allowed) the minus sign are dropped, and so are the
// control keys but Backspace, Tab and Escape. Pasted text is not filtered;
// ValidateNumText checks it.
class CNumEdit : public QLineEdit
{
    Q_OBJECT
  public:
    explicit CNumEdit(QWidget* parent = nullptr);

    bool AllowMinus() const { return m_bAllowMinus; }
    void SetAllowMinus(bool allow) { m_bAllowMinus = allow; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    bool Accepts(QChar ch) const;

    bool m_bAllowMinus = true;
};

// Checks the edit's text as a number: only digits, "-" first (allowMinus)
// and one "." between digits (allowPoint), at most maxIntegers integer and
// maxDecimals decimal digits (negative: no limit of the caller's), and never
// more than 15 and 4. Valid: `value` becomes the text (an empty text is
// valid) and the answer is 1. Otherwise the reason is shown with the
// exclamation icon, `value` stays and the answer is 0.
int ValidateNumText(QLineEdit* edit, QString& value, bool allowMinus, bool allowPoint, int maxDecimals,
                    int maxIntegers);
// Why the text is not such a number; empty when it is (an empty text is).
QString NumTextProblem(const QString& text, bool allowMinus, bool allowPoint, int maxDecimals,
                       int maxIntegers);
// The same check on a text, for the rules classes of the dialogs.
int ValidateNumText(const QString& text, QString& value, bool allowMinus, bool allowPoint, int maxDecimals,
                    int maxIntegers);

// Whether a focus-out event leaves the field itself: not the window giving
// the focus away, as it does to a message box or a popup.
bool IsFieldLeft(const QEvent* event);

// Dialog data exchange of a numeric edit: loading puts `value` into the
// edit; saving validates it and, when that fails, gives the edit the focus
// with its text selected and answers false.
bool DDX_NumText(bool saveAndValidate, QLineEdit* edit, QString& value, bool allowMinus, bool allowPoint,
                 int maxDecimals, int maxIntegers);
