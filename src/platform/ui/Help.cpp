#include "platform/ui/Help.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

CHtmlHelp::CHtmlHelp(QStringList folders, Opener opener)
    : m_folders(std::move(folders)),
      m_opener(opener ? std::move(opener)
                      : Opener([](const QUrl& url) { return QDesktopServices::openUrl(url); }))
{
}

bool CHtmlHelp::ShowTopic(int context)
{
    const QString topic = QString::number(context) + QStringLiteral(".html");
    for (const QString& name : {topic, QStringLiteral("index.html")}) {
        for (const QString& folder : m_folders) {
            const QFileInfo page(QDir(folder), name);
            if (page.isFile())
                return m_opener(QUrl::fromLocalFile(page.absoluteFilePath()));
        }
    }
    return false;
}

bool ShowHelpTopic(int context)
{
    if (UiServices::Help().ShowTopic(context))
        return true;
    UiServices::Prompt().MessageBox(
        QStringLiteral(
            "ヘルプを表示できませんでした。\nヘルプのページが見つからないか、ブラウザを起動できません。"),
        MB_OK, MB_ICONEXCLAMATION);
    return false;
}
