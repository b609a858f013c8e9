#include "settings/dlg/DlgHelpers.h"

#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QPushButton>

bool CheckEncodable(const QString& text, const QString& field)
{
    const QString problem = UnusableCharsProblem(field, text);
    if (problem.isEmpty())
        return true;
    UiServices::Prompt().MessageBox(problem, MB_OK, MB_ICONEXCLAMATION);
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
