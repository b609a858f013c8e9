#include "platform/ipc/ProcessLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>

#include <utility>

namespace
{

ProcessLauncher& InstalledLauncher()
{
    static ProcessLauncher launcher;
    return launcher;
}

UrlOpener& InstalledOpener()
{
    static UrlOpener opener;
    return opener;
}

bool StartDetached(const QString& program, const QString& argumentText)
{
    const QStringList arguments = argumentText.isEmpty() ? QStringList() : QStringList{argumentText};
    return QProcess::startDetached(program, arguments, QDir::currentPath());
}

} // namespace

ProcessLauncher SetProcessLauncher(ProcessLauncher launcher)
{
    return std::exchange(InstalledLauncher(), std::move(launcher));
}

UrlOpener SetUrlOpener(UrlOpener opener)
{
    return std::exchange(InstalledOpener(), std::move(opener));
}

QString CommandLineText(const QString& arguments)
{
    if (arguments.isEmpty() || arguments.startsWith(u' '))
        return arguments;
    return u' ' + arguments;
}

int RunExe(const QString& program, const QString& arguments)
{
    if (program.isEmpty())
        return 0;
    const QString text = CommandLineText(arguments);
    const ProcessLauncher& launcher = InstalledLauncher();
    return (launcher ? launcher(program, text) : StartDetached(program, text)) ? 1 : 0;
}

int OpenUrl(const QString& address, QString* message)
{
    QString text;
    int result = 1;
    const QUrl url(address, QUrl::StrictMode);
    if (address.isEmpty()) {
        text = QStringLiteral("URLが空です。起動できません。");
        result = 0;
    } else if (!url.isValid() || url.scheme().isEmpty()) {
        text = address + QStringLiteral("\nURLが存在しませんでした");
    } else {
        const UrlOpener& opener = InstalledOpener();
        if (!(opener ? opener(url) : QDesktopServices::openUrl(url)))
            text = QStringLiteral("この拡張子に関連付けられたアプリケーションがありません");
    }
    if (message)
        *message = text;
    return result;
}
