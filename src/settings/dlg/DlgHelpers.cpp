#include "settings/dlg/DlgHelpers.h"

#include "platform/text/Cp932.h"
#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QPushButton>

bool CheckEncodable(const QString& text)
{
    const QString bad = Cp932::UnmappableChars(text);
    if (bad.isEmpty())
        return true;
    UiServices::Prompt().MessageBox(QStringLiteral("使用できない文字「%1」が含まれています。").arg(bad),
                                    MB_OK, MB_ICONEXCLAMATION);
    return false;
}

bool CheckEncodable(const QString& text, const QString& field)
{
    const QString bad = Cp932::UnmappableChars(text);
    if (bad.isEmpty())
        return true;
    UiServices::Prompt().MessageBox(UnusableCharsText(field, bad), MB_OK, MB_ICONEXCLAMATION);
    return false;
}

QString UnusableCharsText(const QString& field, const QString& chars)
{
    QStringList points;
    for (const char32_t c : chars.toUcs4())
        points << QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("%1に使用できない文字「%2」(%3) が含まれています。")
        .arg(field, chars, points.join(QStringLiteral(", ")));
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
