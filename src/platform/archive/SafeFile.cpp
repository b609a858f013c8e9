#include "platform/archive/SafeFile.h"

#include "platform/text/TextHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        at += written;
        left -= written;
    }
    return true;
}

// Makes the rename itself durable; a folder that cannot be synced (some
// file systems refuse) does not undo a rename that already happened.
void SyncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool AtomicWriteFile(const QString& path, const QByteArray& bytes, int* error)
{
    int failed = 0;
    const auto fail = [&failed, error] {
        if (error)
            *error = failed;
        return false;
    };
    const QFileInfo target(path);
    const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(target.absolutePath());

    struct stat old;
    const bool hadOld = ::stat(targetPath.constData(), &old) == 0;
    if (hadOld && !S_ISREG(old.st_mode))
        return fail();

    // New files get the usual mode less the umask; a replaced file keeps its own.
    QByteArray tempPath;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempPath = folder + "/." + QFile::encodeName(target.fileName()) + ".tmp" +
                   QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            failed = errno;
            return fail();
        }
    }
    if (fd < 0) {
        failed = EEXIST;
        return fail();
    }

    // The first failure's number is kept: later steps only clean up.
    const auto step = [&failed](bool done) {
        if (!done && failed == 0)
            failed = errno;
        return done;
    };
    bool ok = step(WriteAll(fd, bytes));
    if (ok && hadOld)
        ok = step(::fchmod(fd, old.st_mode & 07777) == 0);
    if (ok)
        ok = step(::fsync(fd) == 0);
    ok = step(::close(fd) == 0) && ok;
    if (ok)
        ok = step(::rename(tempPath.constData(), targetPath.constData()) == 0);
    if (!ok) {
        ::unlink(tempPath.constData());
        return fail();
    }
    SyncFolder(folder);
    return true;
}

QString WriteFailureReason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が足りません。");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("書き込みの権限がありません。");
    default:
        return QStringLiteral("ディスクの空き容量や書き込みの権限を確認してください。");
    }
}

bool ReplaceFileByRename(const QString& source, const QString& target)
{
    if (::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    SyncFolder(QFile::encodeName(QFileInfo(target).absolutePath()));
    return true;
}

void SyncFolderEntries(const QString& folder)
{
    SyncFolder(QFile::encodeName(QFileInfo(folder).absoluteFilePath()));
}

QString FindFileNoCase(const QString& folder, const QString& name)
{
    if (name.isEmpty())
        return {};
    const QDir dir(folder);
    const QString exact = dir.filePath(name);
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries)
        if (EqualsNoAsciiCase(entry, name))
            return dir.filePath(entry);
    return {};
}

QString ResolveForWrite(const QString& folder, const QString& name)
{
    const QString existing = FindFileNoCase(folder, name);
    return existing.isEmpty() ? QDir(folder).filePath(name) : existing;
}

bool AtomicWriteFileNoCase(const QString& folder, const QString& name, const QByteArray& bytes, int* error)
{
    return AtomicWriteFile(ResolveForWrite(folder, name), bytes, error);
}
