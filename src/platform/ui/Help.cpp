#include "platform/ui/Help.h"

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
