#include "platform/ui/NumEdit.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include "platform/text/NumberText.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>

namespace
{

constexpr int kMaxIntegers = 15;
constexpr int kMaxDecimals = 4;
bool IsDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

// Empty when the text is a valid number, else the message that says why.
QString CheckNumText(const QString& text, bool allowMinus, bool allowPoint, int maxDecimals, int maxIntegers)
{
    // Digits, a minus in front and a point between digits, nothing else.
    CNumberSyntax syntax;
    syntax.minus = allowMinus;
    syntax.point = allowPoint;
    syntax.bareLeadingPoint = false;
    const CNumberText number = ReadNumberText(text, syntax);
    switch (number.status) {
    case CNumberText::Number:
        break;
    case CNumberText::Empty:
        return {};
    case CNumberText::Foreign:
        return QStringLiteral("数値") + (allowMinus ? QStringLiteral("、マイナス") : QString()) +
               (allowPoint ? QStringLiteral("、小数点") : QString()) +
               QStringLiteral("以外の文字は入力できません。");
    default:
        return QStringLiteral("不正な数値が入力されています。");
    }

    const qsizetype integers = number.whole.size();
    const qsizetype decimals = number.fraction.size();
    if (maxIntegers >= 0 && integers > maxIntegers)
        return QStringLiteral("入力できる整数部の桁数は、最大%1桁までです。").arg(maxIntegers);
    if (allowPoint && maxDecimals >= 0 && decimals > maxDecimals)
        return QStringLiteral("入力できる小数点以下の桁数は、最大%1桁までです。").arg(maxDecimals);
    if (integers > kMaxIntegers || decimals > kMaxDecimals)
        return QStringLiteral("入力できる数値の大きさは、整数部最大15桁、小数部最大4桁までです。");
    return {};
}

} // namespace

QString NumTextProblem(const QString& text, bool allowMinus, bool allowPoint, int maxDecimals,
                       int maxIntegers)
{
    return CheckNumText(text, allowMinus, allowPoint, maxDecimals, maxIntegers);
}

CNumEdit::CNumEdit(QWidget* parent) : QLineEdit(parent) {}

bool CNumEdit::Accepts(QChar ch) const
{
    return IsDigit(ch) || ch == u'.' || (m_bAllowMinus && ch == u'-');
}

void CNumEdit::keyPressEvent(QKeyEvent* event)
{
    // A paste counts as typed: only the characters of a number arrive.
    if (event->matches(QKeySequence::Paste)) {
        QString kept;
        for (QChar ch : QGuiApplication::clipboard()->text()) {
            if (Accepts(ch))
                kept += ch;
        }
        if (!kept.isEmpty() && !isReadOnly())
            insert(kept);
        event->accept();
        return;
    }
    // Only printable characters are filtered. Editing keys (Delete carries
    // "\x7f" under X11), arrows and shortcuts keep their ordinary handling.
    const bool chord = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    const QString text = event->text();
    if (!chord &&
        std::any_of(text.begin(), text.end(), [this](QChar ch) { return ch.isPrint() && !Accepts(ch); })) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CNumEdit::inputMethodEvent(QInputMethodEvent* event)
{
    // Committed text counts as typed: each character passes the same filter.
    QString kept;
    for (QChar ch : event->commitString()) {
        if (Accepts(ch))
            kept += ch;
    }
    if (kept == event->commitString()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

int ValidateNumText(QLineEdit* edit, QString& value, bool allowMinus, bool allowPoint, int maxDecimals,
                    int maxIntegers)
{
    return ValidateNumText(edit ? edit->text() : QString(), value, allowMinus, allowPoint, maxDecimals,
                           maxIntegers);
}

int ValidateNumText(const QString& text, QString& value, bool allowMinus, bool allowPoint, int maxDecimals,
                    int maxIntegers)
{
    const QString message = CheckNumText(text, allowMinus, allowPoint, maxDecimals, maxIntegers);
    if (!message.isEmpty()) {
        UiServices::Prompt().MessageBox(message, MB_OK, MB_ICONEXCLAMATION);
        return 0;
    }
    value = text;
    return 1;
}

bool IsFieldLeft(const QEvent* event)
{
    if (!event || event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool DDX_NumText(bool saveAndValidate, QLineEdit* edit, QString& value, bool allowMinus, bool allowPoint,
                 int maxDecimals, int maxIntegers)
{
    if (!saveAndValidate) {
        edit->setText(value);
        return true;
    }
    if (ValidateNumText(edit, value, allowMinus, allowPoint, maxDecimals, maxIntegers))
        return true;
    edit->setFocus();
    edit->selectAll();
    return false;
}
