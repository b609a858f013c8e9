#include "platform/ipc/IpcFolders.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString& UserOverride()
{
    static QString folder;
    return folder;
}

QString& SharedOverride()
{
    static QString folder;
    return folder;
}

// A real folder (not a link to one), made with `mode` when missing. When we
// own it, it gets exactly that mode; a private folder must also be ours.
bool EnsureFolder(const QString& path, mode_t mode, bool mustBeOwn, bool create)
{
    const QByteArray local = QFile::encodeName(path);
    struct stat st;
    if (::lstat(local.constData(), &st) != 0) {
        if (errno != ENOENT || !create)
            return false;
        if (::mkdir(local.constData(), mode) != 0 && errno != EEXIST)
            return false;
        if (::lstat(local.constData(), &st) != 0)
            return false;
    }
    if (!S_ISDIR(st.st_mode))
        return false;
    if (st.st_uid == ::getuid()) {
        // mkdir honours the umask; the mode must not depend on it.
        if ((st.st_mode & 07777) != mode && ::chmod(local.constData(), mode) != 0)
            return false;
        return true;
    }
    return !mustBeOwn;
}

} // namespace

namespace IpcFolders
{

QString UserFolder(bool create)
{
    QString folder = UserOverride();
    if (folder.isEmpty()) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        struct stat st;
        const bool runtimeUsable = runtime.startsWith(u'/') &&
                                   ::lstat(QFile::encodeName(runtime).constData(), &st) == 0 &&
                                   S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
        folder = runtimeUsable ? runtime + QStringLiteral("/corvanta")
                               : QStringLiteral("/tmp/corvanta-%1").arg(::getuid());
    }
    return EnsureFolder(folder, 0700, true, create) ? folder : QString();
}

QString SharedFolder(bool create)
{
    const QString folder =
        SharedOverride().isEmpty() ? QStringLiteral("/tmp/corvanta-locks") : SharedOverride();
    return EnsureFolder(folder, 01777, false, create) ? folder : QString();
}

void OverrideFolders(const QString& userFolder, const QString& sharedFolder)
{
    UserOverride() = userFolder;
    SharedOverride() = sharedFolder;
}

} // namespace IpcFolders
