#include "settings/db/FolderBrowser.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QDir>

int CFolderBrowser::Browse(const QString& initialFolder, const QString& prompt)
{
    const QString current = QDir::currentPath();
    m_strPath = UiServices::Prompt().GetFolder(
        prompt.isEmpty() ? QStringLiteral("フォルダを選択してOKを押して下さい") : prompt, initialFolder);
    QDir::setCurrent(current);
    return m_strPath.isEmpty() ? 2 : 1;
}
