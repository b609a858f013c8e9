#include "settings/db/DbFiles.h"

#include "platform/archive/SafeFile.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"
#include "settings/db/DbFolders.h"
#include "settings/db/OpenProgress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

namespace
{

bool CopyOneFile(const QString& source, const QString& target, bool clearReadOnly, const CopyTicker& copied)
{
    const QFileInfo info(source);
    if (!info.isFile())
        return false;
    QFile in(source);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size() || (copied && !copied(chunk.size())))
            return false;
    }
    if (in.error() != QFileDevice::NoError)
        return false;
    // The "User" flags describe the running user's access, not the file's mode.
    QFileDevice::Permissions permissions =
        info.permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    if (clearReadOnly)
        permissions |= QFileDevice::WriteOwner;
    // Permissions go onto the temporary file, so the target never exists without them.
    if (!out.setPermissions(permissions) || !out.commit())
        return false;
    return true;
}

int CopyEntries(const QStringList& sources, const QString& to, bool failIfExists, bool clearReadOnly,
                const CopyTicker& copied)
{
    int failed = 0;
    // A target written by this copy holds another source whose name differs
    // only in case, never a stale file to replace.
    QSet<QString> written;
    bool stopped = false;
    for (const QString& source : sources) {
        if (stopped) {
            ++failed;
            continue;
        }
        const QString name = QFileInfo(source).fileName();
        QString existing = FindFileNoCase(to, name);
        if (written.contains(existing))
            existing.clear();
        const QString target = existing.isEmpty() ? JoinPath(to, name) : existing;
        if (failIfExists && !existing.isEmpty())
            ++failed;
        else if (!CopyOneFile(source, target, clearReadOnly, [&](qint64 bytes) {
                     stopped = copied && !copied(bytes);
                     return !stopped;
                 }))
            ++failed;
        else
            written.insert(target);
    }
    return failed;
}

QFileInfoList FolderFiles(const QString& folder, const QString& extension)
{
    QFileInfoList files;
    const QString suffix = u'.' + extension;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(
             QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (extension.isEmpty() || entry.fileName().endsWith(suffix, Qt::CaseInsensitive))
            files << entry;
    }
    return files;
}

QString JournalPath(const QString& folder)
{
    return CMakeMsgID::DatabasePath(folder) + QStringLiteral("-journal");
}

} // namespace

void GetDbSettingFiles(QStringList& files)
{
    files = {QString::fromUtf8(DB_FILE_NAME),     QStringLiteral("NoInfo.dat"),
             QStringLiteral("Recent.dat"),        QStringLiteral("ClassTitle.dat"),
             QStringLiteral("QXDispColSet.dat"),  QStringLiteral("QXDispColSet2.dat"),
             QStringLiteral("NWTenkiBunSet.dat"), QStringLiteral("MasterBunSet.dat"),
             QStringLiteral("Money.dat"),         QStringLiteral("MSettingInfo.dat"),
             QStringLiteral("SelForm.dat"),       QStringLiteral("Tanto.dat"),
             QStringLiteral("Unit.dat"),          QString::fromLatin1(kFirstRunMarker),
             QStringLiteral("QXExtract.sys"),     QStringLiteral("Budefdir.dat"),
             QStringLiteral("OleErrLog.txt"),     QStringLiteral("DefOrder.dat")};
}

int CopyFileList(const QString& from, const QString& to, const QStringList& names, bool failIfExists,
                 bool clearReadOnly, const CopyTicker& copied)
{
    // Every spelling of a name is copied: which one a reader takes is not
    // decided here, and a copy must not drop the other.
    const QStringList files = QDir(from).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    QStringList sources;
    for (const QString& name : names) {
        const QString exact = FindEntryNoCase(from, name);
        if (!exact.isEmpty() && !sources.contains(exact))
            sources << exact;
        for (const QString& file : files) {
            const QString path = JoinPath(from, file);
            if (EqualsNoAsciiCase(file, name) && !sources.contains(path) && QFileInfo(path).isFile())
                sources << path;
        }
    }
    return CopyEntries(sources, to, failIfExists, clearReadOnly, copied);
}

int CopyFolderFiles(const QString& from, const QString& to, const QString& extension, bool failIfExists,
                    bool clearReadOnly, const CopyTicker& copied)
{
    QStringList sources;
    for (const QFileInfo& file : FolderFiles(from, extension))
        sources << file.filePath();
    return CopyEntries(sources, to, failIfExists, clearReadOnly, copied);
}

bool IsSameFolder(const QString& a, const QString& b)
{
    const auto forms = [](const QString& path) {
        const QFileInfo info(path);
        QStringList list{QDir::cleanPath(info.absoluteFilePath())};
        const QString canonical = info.canonicalFilePath();
        if (!canonical.isEmpty())
            list << canonical;
        return list;
    };
    for (const QString& x : forms(a))
        for (const QString& y : forms(b))
            if (x.compare(y, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

int CountExistingFiles(const QString& folder, const QStringList& names)
{
    int count = 0;
    for (const QString& name : names)
        count += FindFileNoCase(folder, name).isEmpty() ? 0 : 1;
    return count;
}

int DeleteFolderFiles(const QString& folder, const QString& extension)
{
    int failed = 0;
    for (const QFileInfo& file : FolderFiles(folder, extension))
        failed += QFile::remove(file.filePath()) ? 0 : 1;
    return failed;
}

int DeleteFileList(const QString& folder, const QStringList& names)
{
    int failed = 0;
    for (const QString& name : names) {
        QString path;
        while (!(path = FindFileNoCase(folder, name)).isEmpty()) {
            if (!QFile::remove(path)) {
                ++failed;
                break;
            }
        }
    }
    return failed;
}

bool SettleDatabaseFile(const QString& folder)
{
    if (!QFileInfo::exists(JournalPath(folder)))
        return true;
    // Opening the database plays a journal that is still needed back into it.
    return OpensUnderWait(folder) && RemoveDatabaseJournal(folder);
}

bool CheckDatabaseFile(const QString& folder)
{
    return SettleDatabaseFile(folder) && OpensUnderWait(folder);
}

bool RemoveDatabaseJournal(const QString& folder)
{
    const QString journal = JournalPath(folder);
    return !QFileInfo::exists(journal) || QFile::remove(journal);
}
