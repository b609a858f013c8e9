#include "app/Tools.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QStringList DesktopCalculators()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),         QStringLiteral("mate-calc"),
            QStringLiteral("galculator"),       QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
}

QString FindToolProgram(const QString& programFolder, const CToolProgram& tool)
{
    const QFileInfo own(QDir(programFolder + QStringLiteral("/Exe")), tool.exeName);
    if (own.isFile() && own.isExecutable())
        return own.absoluteFilePath();
    for (const QString& name : tool.desktopFallbacks) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString ToolNotInstalledMessage(const QString& menuText)
{
    return QStringLiteral(u"「") + menuText + QStringLiteral(u"」はインストールされていません。");
}

QString ToolFailedMessage(const QString& menuText)
{
    return QStringLiteral(u"「") + menuText + QStringLiteral(u"」を起動できませんでした。");
}
