#include "settings/dlg/DlgHelpers.h"

#include "platform/text/Cp932.h"
#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QLineEdit>
#include <QPushButton>

QValidator::State CByteLimitValidator::validate(QString& input, int& pos) const
{
    if (Cp932::ByteLength(input) <= m_nMaxBytes)
        return Acceptable;
    // The characters before the cursor are the ones just typed or pasted.
    const QString after = input.mid(pos);
    const int room = m_nMaxBytes - Cp932::ByteLength(after);
    if (room < 0)
        return Invalid;
    const QString before = Cp932::TruncateToBytes(input.left(pos), room);
    input = before + after;
    pos = int(before.size());
    return Acceptable;
}

void LimitTextBytes(QLineEdit* edit, int maxBytes)
{
    const auto* old = qobject_cast<const CByteLimitValidator*>(edit->validator());
    edit->setValidator(maxBytes >= 0 ? new CByteLimitValidator(maxBytes, edit) : nullptr);
    if (old && old->parent() == edit)
        delete old;
}

bool CheckEncodable(const QString& text)
{
    const QString bad = Cp932::UnmappableChars(text);
    if (bad.isEmpty())
        return true;
    UiServices::Prompt().MessageBox(QStringLiteral("使用できない文字「%1」が含まれています。").arg(bad),
                                    MB_OK, MB_ICONEXCLAMATION);
    return false;
}

QPushButton* MakeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

QPushButton* MakeHelpButton(int topic, QWidget* parent)
{
    QPushButton* button = MakeButton(QStringLiteral("？"), parent);
    QObject::connect(button, &QPushButton::clicked, button, [topic] { ShowHelpTopic(topic); });
    return button;
}
