#include "settings/db/Restore.h"

#include "platform/archive/SafeFile.h"
#include "platform/data/DbManager.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"
#include "settings/db/Backup.h"
#include "settings/db/DbDialogs.h"
#include "settings/db/DbFiles.h"
#include "settings/db/DbFolders.h"
#include "settings/db/DbSession.h"
#include "settings/db/FolderBrowser.h"
#include "settings/db/OpenProgress.h"
#include "settings/db/SettingsFileCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>
#include <optional>
#include <utility>

namespace
{

// A "Buinf.sys" is five short lines; anything near this size is not one.
constexpr qint64 kMaxInfoSize = 64 * 1024;

// A database kept in write-ahead mode keeps its last transactions here.
constexpr char kLogSuffix[] = "-wal";

// The list of the files a staging folder is ready to move in, written once
// all of them are there and checked: while it exists the folder may differ
// from both the old state and the new one, and the next start finishes the
// way it names ("restore" with the files to move, or "rollback": the state
// saved in "BupTmp" goes back).
constexpr char kReadyList[] = "Ready.lst";
constexpr char kReadyRestore[] = "restore";
constexpr char kReadyRollBack[] = "rollback";
// A list of our own holds a line a file of a database folder.
constexpr qint64 kMaxReadyListSize = 4 * 1024 * 1024;
// Written into "BupTmp" by every save of this build's restores, which copy
// the current files and never take the database out of its folder: a folder
// without its database beside it was not left so by a restore, and "BupTmp"
// holds only an older state. Without it the copies are an earlier build's,
// whose restore moved the files out before copying the backup in.
constexpr char kSavedCopies[] = "Saved.sta";

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE, int defaultButton = 0)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon, defaultButton);
}

RestoreStepHook& StepHook()
{
    static RestoreStepHook hook;
    return hook;
}

qint64 SystemFreeSpace(const QString& folder)
{
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.isReady() ? disk.bytesAvailable() : -1;
}

FreeSpaceQuery& FreeSpace()
{
    static FreeSpaceQuery query = SystemFreeSpace;
    return query;
}

QString Megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1);
}

void Reach(ERestoreStep step)
{
    if (StepHook())
        StepHook()(step);
}

QString Files(const QString& folder)
{
    return SubFolder(folder, QLatin1String(kDbFilesFolder));
}

QString Other(const QString& folder)
{
    return SubFolder(folder, QLatin1String(kDbOtherFolder));
}

QString Scratch(const QString& folder)
{
    return SubFolder(folder, QLatin1String(kDbScratchFolder));
}

QString Staging(const QString& folder)
{
    return SubFolder(Scratch(folder), QLatin1String(kDbStagingFolder));
}

bool DropStaging(const QString& folder)
{
    const QString staging = Staging(folder);
    return !QFileInfo::exists(staging) || QDir(staging).removeRecursively();
}

// Copies the files into `to`, remembering each name; false at the first failure.
bool SaveFiles(const QString& from, const QString& to, const QStringList& names, QStringList& saved,
               const CopyTicker& copied)
{
    for (const QString& name : names) {
        if (CopyFileList(from, to, {name}, false, false, copied) != 0)
            return false;
        saved << name;
    }
    return true;
}

QStringList FileNames(const QString& folder, const QString& extension)
{
    QStringList names;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (file.fileName().endsWith(u'.' + extension, Qt::CaseInsensitive))
            names << file.fileName();
    }
    return names;
}

QStringList PlainFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool MarkSavedCopies(const QString& scratch)
{
    return AtomicWriteFile(JoinPath(scratch, QLatin1String(kSavedCopies)), "copies\n");
}

// The sub-folders of a database folder that hold files of the database,
// with the extension of those files.
struct CDbPart {
    const char* folder;
    const char* extension;
};
constexpr CDbPart kParts[] = {{kDbFilesFolder, kSlipFileExt}, {kDbOtherFolder, kDefaultFileExt}};

// A file of a staged state: "name" beside the database, "Files/name" or
// "Other/name".
QString EntryPath(const QString& folder, const QString& entry)
{
    const qsizetype slash = entry.indexOf(u'/');
    if (slash < 0)
        return JoinPath(folder, entry);
    return JoinPath(SubFolder(folder, entry.left(slash)), entry.mid(slash + 1));
}

bool IsEntry(const QString& entry)
{
    QString name = entry;
    for (const CDbPart& part : kParts) {
        const QString prefix = QLatin1String(part.folder) + u'/';
        if (entry.startsWith(prefix))
            name = entry.mid(prefix.size());
    }
    return !name.isEmpty() && !name.contains(u'/') && name != u'.' && name != QLatin1String("..");
}

// The staged files, the database file first.
QStringList StagedEntries(const QString& staging)
{
    QStringList entries;
    const QString database = QFileInfo(CMakeMsgID::DatabasePath(staging)).fileName();
    if (QFileInfo(JoinPath(staging, database)).isFile())
        entries << database;
    for (const QString& name : PlainFiles(staging))
        if (name != database && name != QLatin1String(kReadyList))
            entries << name;
    for (const CDbPart& part : kParts)
        for (const QString& name : PlainFiles(JoinPath(staging, QLatin1String(part.folder))))
            entries << QLatin1String(part.folder) + u'/' + name;
    return entries;
}

// The files of a backup that a restore copies: the listed ones beside its
// database, in every spelling, and the files of its sub-folders.
QStringList BackupFileNames(const QString& backupFolder)
{
    QStringList listed;
    GetDbSettingFiles(listed);
    // A copy taken while its database was being written needs its journal,
    // which the check plays back into it; one of a database kept in
    // write-ahead mode holds transactions only in its log.
    const QString database = QFileInfo(CMakeMsgID::DatabasePath(backupFolder)).fileName();
    listed << database + QStringLiteral("-journal") << database + QLatin1String(kLogSuffix);
    return listed;
}

// The parts of the bars of the copies.
constexpr int kBarParts = 1000;

// The wait dialog for the span of the object. Opened from work beside the
// window, the dialog always has 中止; a firm one (the saving and the moves,
// which must not stop half-way) is opened by the window's thread itself.
class CWaitScope
{
  public:
    CWaitScope(const QString& text, int total, bool stoppable)
    {
        if (stoppable)
            UiServices::Wait().Begin(text, total, true);
        else
            LongWork::Ask([&] { UiServices::Wait().Begin(text, total, false); });
    }
    ~CWaitScope() { UiServices::Wait().End(); }
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;
};

// The bar of the wait dialog over the bytes a copy has written.
class CBytesBar
{
  public:
    CBytesBar(qint64 total, bool stoppable) : m_total(std::max<qint64>(1, total)), m_bStoppable(stoppable) {}
    // False once the user stopped the copy.
    bool Tell(qint64 bytes)
    {
        m_done += bytes;
        Show(int(std::min<qint64>(kBarParts, m_done * kBarParts / m_total)));
        m_bStopped =
            m_bStopped || (m_bStoppable && (LongWork::Stopped() || UiServices::Wait().IsCancelled()));
        return !m_bStopped;
    }
    CopyTicker Ticker()
    {
        return [this](qint64 bytes) { return Tell(bytes); };
    }
    // The bar at its end, whatever the sizes foreseen.
    void Finish() { Show(kBarParts); }
    bool Stopped() const { return m_bStopped; }

  private:
    void Show(int pos)
    {
        if (pos != std::exchange(m_pos, pos))
            UiServices::Wait().SetPos(pos);
    }

    qint64 m_total;
    qint64 m_done = 0;
    int m_pos = 0;
    bool m_bStoppable;
    bool m_bStopped = false;
};

// The wait dialog over the check of the staged database, with its bar; the
// user may stop the check there.
class CCheckWait
{
  public:
    ~CCheckWait()
    {
        if (m_bBegun)
            UiServices::Wait().End();
    }
    bool Tell(int done, int total)
    {
        if (!std::exchange(m_bBegun, true))
            UiServices::Wait().Begin(
                QStringLiteral("バックアップのデータベースを確認しています。\nしばらくお待ちください。"),
                total, true);
        UiServices::Wait().SetPos(done);
        return !LongWork::Stopped() && !UiServices::Wait().IsCancelled();
    }

  private:
    bool m_bBegun = false;
};

// The bytes the database's files of a folder (a backup's or the one in use)
// take once copied.
qint64 FilesSize(const QString& folder)
{
    const QStringList listed = BackupFileNames(folder);
    qint64 size = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (std::any_of(listed.begin(), listed.end(),
                        [&file](const QString& name) { return EqualsNoAsciiCase(file.fileName(), name); }))
            size += file.size();
    }
    for (const CDbPart& part : kParts) {
        const QString sub = SubFolder(folder, QLatin1String(part.folder));
        for (const QString& name : FileNames(sub, QLatin1String(part.extension)))
            size += QFileInfo(JoinPath(sub, name)).size();
    }
    return size;
}

bool MakeStaging(const QString& folder)
{
    const QString staging = Staging(folder);
    return DropStaging(folder) && CreateNestedFolder(JoinPath(staging, QLatin1String(kDbFilesFolder))) &&
           CreateNestedFolder(JoinPath(staging, QLatin1String(kDbOtherFolder)));
}

// Written after the staged files are on the disk, so that the list never
// names a file that a power cut could take back.
bool WriteReadyList(const QString& staging, const char* way, const QStringList& entries)
{
    SyncFolderEntries(staging);
    for (const CDbPart& part : kParts)
        SyncFolderEntries(JoinPath(staging, QLatin1String(part.folder)));
    QByteArray text = QByteArray(way) + '\n';
    for (const QString& entry : entries)
        text += entry.toUtf8() + '\n';
    return AtomicWriteFile(JoinPath(staging, QLatin1String(kReadyList)), text);
}

bool ReadReadyList(const QString& staging, QString& way, QStringList& entries)
{
    entries.clear();
    QFile file(JoinPath(staging, QLatin1String(kReadyList)));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxReadyListSize)
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || !bytes.endsWith('\n'))
        return false;
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();
    if (lines.isEmpty())
        return false;
    way = QString::fromUtf8(lines.takeFirst());
    if (way != QLatin1String(kReadyRestore) && way != QLatin1String(kReadyRollBack))
        return false;
    for (const QByteArray& line : lines) {
        const QString entry = QString::fromUtf8(line);
        if (!IsEntry(entry))
            return false;
        entries << entry;
    }
    return true;
}

// Removes the database's files that are not among the entries: the listed
// files beside the database in any spelling, the slips of "Files" and the
// defaults of "Other". False when one could not be removed.
bool PruneFolder(const QString& folder, const QStringList& entries)
{
    const QSet<QString> keep(entries.begin(), entries.end());
    QStringList listed;
    GetDbSettingFiles(listed);
    bool removed = true;
    for (const QString& name : PlainFiles(folder)) {
        const bool ours = std::any_of(listed.begin(), listed.end(),
                                      [&name](const QString& file) { return EqualsNoAsciiCase(name, file); });
        if (ours && !keep.contains(name))
            removed = QFile::remove(JoinPath(folder, name)) && removed;
    }
    for (const CDbPart& part : kParts) {
        const QString sub = SubFolder(folder, QLatin1String(part.folder));
        for (const QString& name : FileNames(sub, QLatin1String(part.extension)))
            if (!keep.contains(QLatin1String(part.folder) + u'/' + name))
                removed = QFile::remove(JoinPath(sub, name)) && removed;
    }
    return removed;
}

// Moves what the staging folder still holds into the database folder, in
// the list's order, each file by one rename; then removes what the new
// state lacks and the staging folder. Every step can be taken again, so a
// replacement cut off half-way is finished by running this once more.
bool FinishReplace(const QString& folder, const QStringList& entries)
{
    const QString staging = Staging(folder);
    for (const CDbPart& part : kParts)
        CreateNestedFolder(SubFolder(folder, QLatin1String(part.folder)));
    for (const QString& entry : entries) {
        const QString from = EntryPath(staging, entry);
        if (!QFileInfo(from).isFile())
            continue; // moved before the cut
        if (!ReplaceFileByRename(from, EntryPath(folder, entry)))
            return false;
        Reach(ERestoreStep::ReplacedFile);
    }
    if (!PruneFolder(folder, entries))
        return false;
    Reach(ERestoreStep::Pruned);
    // A journal of the replaced file would be played into the new one.
    RemoveDatabaseJournal(folder);
    // The list goes first: without it what is left is merely dropped.
    QFile::remove(JoinPath(staging, QLatin1String(kReadyList)));
    DropStaging(folder);
    return true;
}

// Puts the state saved in "BupTmp" back the way a backup comes in: copied
// beside the database, each file renamed over the folder's, and what the
// saved state lacks removed. The list says so first, so a cut anywhere
// after it is taken up by the next start, which runs this again.
bool PutSavedStateBack(const QString& folder)
{
    const QString scratch = Scratch(folder);
    const QString staging = Staging(folder);
    if (!CreateNestedFolder(staging) || !WriteReadyList(staging, kReadyRollBack, {}))
        return false;
    Reach(ERestoreStep::MarkedReady);
    // What the staging folder holds besides the list belongs to the way given up.
    for (const QString& name : PlainFiles(staging))
        if (name != QLatin1String(kReadyList) && !QFile::remove(JoinPath(staging, name)))
            return false;
    QStringList listed;
    GetDbSettingFiles(listed);
    int failed = CopyFileList(scratch, staging, listed, false, false);
    for (const CDbPart& part : kParts) {
        const QString to = JoinPath(staging, QLatin1String(part.folder));
        if (!QDir(to).removeRecursively() || !CreateNestedFolder(to))
            return false;
        failed += CopyFolderFiles(SubFolder(scratch, QLatin1String(part.folder)), to,
                                  QLatin1String(part.extension), false, false);
    }
    // A saved state without its database would leave the folder none.
    if (failed != 0 || FindFileNoCase(staging, QString::fromUtf8(DB_FILE_NAME)).isEmpty())
        return false;
    SyncFolderEntries(staging);
    for (const CDbPart& part : kParts)
        SyncFolderEntries(JoinPath(staging, QLatin1String(part.folder)));
    return FinishReplace(folder, StagedEntries(staging));
}

} // namespace

RestoreStepHook SetRestoreStepHook(RestoreStepHook hook)
{
    RestoreStepHook old = std::move(StepHook());
    StepHook() = std::move(hook);
    return old;
}

FreeSpaceQuery SetFreeSpaceQuery(FreeSpaceQuery query)
{
    FreeSpaceQuery old = std::move(FreeSpace());
    FreeSpace() = query ? std::move(query) : SystemFreeSpace;
    return old;
}

CRestoreFileSet::CRestoreFileSet(const QString& databaseFolder) : m_strFolder(databaseFolder) {}

int CRestoreFileSet::SaveCurrent(const CopyTicker& copied)
{
    const QString scratch = Scratch(m_strFolder);
    for (const QString& folder : {scratch, Files(scratch), Other(scratch)}) {
        const int checked = CheckFolder(folder, true, false);
        if (checked != 1 && checked != 2)
            return 0;
    }
    if (DeleteFolderFiles(scratch) + DeleteFolderFiles(Files(scratch), QLatin1String(kSlipFileExt)) +
            DeleteFolderFiles(Other(scratch), QLatin1String(kDefaultFileExt)) >
        0)
        return 0;

    m_strScratch = scratch;
    m_savedFiles.clear();
    m_savedSlips.clear();
    m_savedDefaults.clear();
    if (!MarkSavedCopies(scratch))
        return 0;
    QStringList listed, present;
    GetDbSettingFiles(listed);
    for (const QString& name : listed) {
        const QString path = FindFileNoCase(m_strFolder, name);
        if (!path.isEmpty())
            present << QFileInfo(path).fileName();
    }
    if (!SaveFiles(m_strFolder, scratch, present, m_savedFiles, copied) ||
        !SaveFiles(Files(m_strFolder), Files(scratch),
                   FileNames(Files(m_strFolder), QLatin1String(kSlipFileExt)), m_savedSlips, copied) ||
        !SaveFiles(Other(m_strFolder), Other(scratch),
                   FileNames(Other(m_strFolder), QLatin1String(kDefaultFileExt)), m_savedDefaults, copied)) {
        ClearSaved();
        return 0;
    }
    // The files stay where they are: the backup replaces each of them by a
    // rename, so the folder is never without its database.
    m_bSaved = true;
    Reach(ERestoreStep::SavedCurrent);
    return 1;
}

int CRestoreFileSet::ClearSaved()
{
    if (m_strScratch.isEmpty())
        return 1;
    const int failed = DeleteFileList(m_strScratch, m_savedFiles) +
                       DeleteFileList(Files(m_strScratch), m_savedSlips) +
                       DeleteFileList(Other(m_strScratch), m_savedDefaults);
    return failed == 0 ? 1 : 0;
}

int CRestoreFileSet::Refuse(const QString& text)
{
    DropStaging(m_strFolder);
    m_strRefusal = text;
    return 0;
}

int CRestoreFileSet::Stage(const QString& backupFolder)
{
    m_bStaged = false;
    m_strRefusal.clear();
    const QString failedCopy =
        QStringLiteral("いくつかのファイルの復元ができなかったため、復元前の状態に戻します。");
    const QString unchanged = QStringLiteral("\n現在のデータベースは変更していません。");
    // The staged copy goes onto the database's disk: one that would fill it
    // is refused before a byte is written.
    const qint64 needed = FilesSize(backupFolder);
    const qint64 free = FreeSpace()(m_strFolder);
    if (free >= 0 && free < needed)
        return Refuse(QStringLiteral("ディスクの空き容量が足りないため、復元できません。\n"
                                     "バックアップのデータを置くには、データベースフォルダ<%1>のディスクに"
                                     "%2 MB の空き容量が必要です（空き容量 %3 MB）。"
                                     "空き容量を増やしてから、再度復元操作を行ってください。")
                          .arg(m_strFolder, Megabytes(needed), Megabytes(free)) +
                      unchanged);
    const QString stopped = QStringLiteral("データベースの復元を中止しました。") + unchanged;
    if (!MakeStaging(m_strFolder))
        return Refuse(failedCopy);
    // The copy of a large book takes a while: its bar shows from the first
    // byte, and 中止 drops what was copied (nothing else has changed yet).
    const CWaitScope copying(
        QStringLiteral("バックアップのデータをコピーしています。\nしばらくお待ちください。"), kBarParts,
        true);
    CBytesBar bar(needed, true);
    const QString staging = Staging(m_strFolder);
    const QStringList listed = BackupFileNames(backupFolder);
    int failed = 0;
    for (qsizetype i = 0; i < listed.size(); ++i) {
        failed += CopyFileList(backupFolder, staging, {listed[i]}, false, true, bar.Ticker());
        if (i == 0) // the database file
            Reach(ERestoreStep::StagedDatabase);
    }
    failed += CopyFolderFiles(Files(backupFolder), JoinPath(staging, QLatin1String(kDbFilesFolder)),
                              QLatin1String(kSlipFileExt), false, true, bar.Ticker()) +
              CopyFolderFiles(Other(backupFolder), JoinPath(staging, QLatin1String(kDbOtherFolder)),
                              QLatin1String(kDefaultFileExt), false, true, bar.Ticker());
    Reach(ERestoreStep::StagedAll);
    if (failed != 0)
        return Refuse(bar.Stopped() ? stopped : failedCopy);
    const auto damaged = [&](const QString& kind, const QString& path) {
        return Refuse(QStringLiteral("バックアップの%1<%2>が壊れているため、復元できません。\n"
                                     "別のバックアップから復元してください。")
                          .arg(kind, path) +
                      unchanged);
    };
    // A settings file the screens cannot read would be offered for reset at
    // its first use, and the user's forms lost with it.
    const QString settings = FindDamagedSettingsFile(staging);
    if (!settings.isEmpty())
        return damaged(QStringLiteral("設定ファイル"), EntryPath(backupFolder, settings));
    // Nothing replaces the books in use before it is checked whole: a file
    // that merely opens may still fail on the pages it has not read yet, and
    // one whose pages read may hold indexes that disagree with their rows.
    const QString database = CMakeMsgID::DatabasePath(backupFolder);
    QString err;
    CWaitOpenProgress progress; // a backup of an earlier build takes its steps
    CMakeMsgID::EFileCheck found;
    {
        CCheckWait wait;
        found = CMakeMsgID::CheckFile(staging, err, &progress,
                                      [&wait](int done, int total) { return wait.Tell(done, total); });
    }
    // A stop that came once the check was done still stops the restore.
    if (found == CMakeMsgID::EFileCheck::Whole && LongWork::Stopped())
        found = CMakeMsgID::EFileCheck::Stopped;
    switch (found) {
    case CMakeMsgID::EFileCheck::Whole:
        break;
    case CMakeMsgID::EFileCheck::Damaged:
        return damaged(QStringLiteral("データベースファイル"), database);
    case CMakeMsgID::EFileCheck::Newer:
    case CMakeMsgID::EFileCheck::Unusable:
        return Refuse(QStringLiteral("バックアップのデータベースファイル<%1>は復元できません。\n%2")
                          .arg(database, err) +
                      unchanged);
    case CMakeMsgID::EFileCheck::Stopped:
        return Refuse(stopped);
    }
    // A journal that was not needed would be played into the next state. A
    // log of write-ahead mode was read by the check, whatever the database
    // said of its mode, and taken in by the opening, which leaves one file.
    const QString log = CMakeMsgID::DatabasePath(staging) + QLatin1String(kLogSuffix);
    if (!RemoveDatabaseJournal(staging) || (QFileInfo::exists(log) && !QFile::remove(log)))
        return Refuse(failedCopy);
    Reach(ERestoreStep::CheckedStaged);
    m_bStaged = true;
    return 1;
}

int CRestoreFileSet::Replace()
{
    const QString staging = Staging(m_strFolder);
    const QStringList entries = StagedEntries(staging);
    if (!m_bStaged || !m_bSaved || !WriteReadyList(staging, kReadyRestore, entries))
        return 0;
    Reach(ERestoreStep::MarkedReady);
    m_bReplacing = true;
    return FinishReplace(m_strFolder, entries) ? 1 : 0;
}

int CRestoreFileSet::RollBack()
{
    m_bStaged = false;
    if (!m_bSaved) {
        DropStaging(m_strFolder);
        return 0;
    }
    if (m_bReplacing) {
        if (!PutSavedStateBack(m_strFolder))
            return 0;
        m_bReplacing = false;
    } else {
        // Nothing of the folder was replaced: what is staged is merely dropped.
        DropStaging(m_strFolder);
    }
    ClearSaved();
    m_bSaved = false;
    return 1;
}

ERestoreRecovery RecoverInterruptedRestore(const QString& databaseFolder)
{
    if (databaseFolder.isEmpty() || !QFileInfo(databaseFolder).isDir())
        return ERestoreRecovery::None;
    // A restore still running elsewhere holds the lock: what it left is its own.
    const CDbLockHold hold(databaseFolder);
    if (hold.GetState() == CDbManager::kOtherProcess)
        return ERestoreRecovery::InUse;
    const QString scratch = Scratch(databaseFolder);
    const QString staging = Staging(databaseFolder);
    if (QFileInfo::exists(JoinPath(staging, QLatin1String(kReadyList)))) {
        QString way;
        QStringList entries;
        if (ReadReadyList(staging, way, entries) && way == QLatin1String(kReadyRestore) &&
            FinishReplace(databaseFolder, entries)) {
            MarkSavedCopies(scratch);
            Message(QStringLiteral("前回のデータベースの復元は途中で止まっていました。\n"
                                   "復元するデータはそろっていたため、復元を最後まで行いました。"),
                    MB_OK, MB_ICONINFORMATION);
            return ERestoreRecovery::Finished;
        }
        // A restore that cannot be finished, or one already going back.
        if (PutSavedStateBack(databaseFolder)) {
            MarkSavedCopies(scratch);
            Message(QStringLiteral("前回のデータベースの復元は途中で止まっていました。\n"
                                   "復元を最後まで行えなかったため、復元前の状態に戻しました。"
                                   "必要であれば、再度復元操作を行ってください。"),
                    MB_OK, MB_ICONINFORMATION);
            return ERestoreRecovery::RolledBack;
        }
        Message(QStringLiteral("前回のデータベースの復元は途中で止まっていました。\n"
                               "復元も復元前の状態に戻すこともできなかったため、"
                               "データファイルの状態が不正な可能性があります。\n"
                               "<%1> に保存されている復元前のデータを元に戻してから、"
                               "再度復元操作を行ってください。")
                    .arg(scratch),
                MB_OK, MB_ICONSTOP);
        return ERestoreRecovery::Failed;
    }
    // Cut off before anything of the database folder changed.
    DropStaging(databaseFolder);

    if (QFileInfo(CMakeMsgID::DatabasePath(databaseFolder)).isFile() ||
        FindFileNoCase(scratch, QString::fromUtf8(DB_FILE_NAME)).isEmpty())
        return ERestoreRecovery::None;
    // The database went otherwise: the state before the last restore would
    // bring back books the user restored over, under a false message.
    if (QFileInfo(JoinPath(scratch, QLatin1String(kSavedCopies))).isFile()) {
        Message(QStringLiteral("データベースフォルダ<%1>にデータベースファイルがありません。\n"
                               "<%2> に最後の復元の前の古いデータが保存されていますが、"
                               "復元の中断でなくなったものではないため、元に戻していません。\n"
                               "必要であれば、バックアップから復元してください。"
                               "次の画面で空のフォルダを指定してデータベースを作成し、起動後に"
                               "[データベース]-[使用中のデータベースへの復元]でバックアップのフォルダを"
                               "指定します。\n"
                               "データベースファイルを元のフォルダに戻した場合は、"
                               "次の画面でそのデータベース名とフォルダを指定してください。")
                    .arg(databaseFolder, scratch),
                MB_OK, MB_ICONEXCLAMATION);
        return ERestoreRecovery::Missing;
    }
    // A restore of an earlier build that moved the files out before copying
    // the backup in was cut off: what the folder lacks comes back from the
    // saved state, and the saved state keeps its copy, which is an older
    // state from now on.
    QStringList listed;
    GetDbSettingFiles(listed);
    int failed = 0;
    for (const QString& name : listed)
        if (FindFileNoCase(databaseFolder, name).isEmpty())
            failed += CopyFileList(scratch, databaseFolder, {name}, false, false);
    for (const CDbPart& part : kParts) {
        const QString from = SubFolder(scratch, QLatin1String(part.folder));
        const QString to = SubFolder(databaseFolder, QLatin1String(part.folder));
        CreateNestedFolder(to);
        for (const QString& name : FileNames(from, QLatin1String(part.extension)))
            if (FindFileNoCase(to, name).isEmpty())
                failed += CopyFileList(from, to, {name}, false, false);
    }
    if (failed == 0 && QFileInfo(CMakeMsgID::DatabasePath(databaseFolder)).isFile()) {
        MarkSavedCopies(scratch);
        Message(QStringLiteral("前回のデータベースの復元が途中で止まったため、データベースフォルダ<%1>に"
                               "データベースファイルがありませんでした。\n"
                               "<%2> に保存されていた復元前のデータを元に戻しました。")
                    .arg(databaseFolder, scratch),
                MB_OK, MB_ICONINFORMATION);
        return ERestoreRecovery::PutBack;
    }
    Message(QStringLiteral("前回のデータベースの復元が途中で止まったため、データベースフォルダ<%1>に"
                           "データベースファイルがありません。\n"
                           "<%2> に保存されている復元前のデータを元に戻せませんでした。"
                           "ディスクの空き容量と書き込みの権限を確認してください。")
                .arg(databaseFolder, scratch),
            MB_OK, MB_ICONSTOP);
    return ERestoreRecovery::Failed;
}

QString CRestoreFileSet::GetSavedFolder() const
{
    return m_bSaved ? m_strScratch : QString();
}

bool ReadBackupInfo(const QString& path, QStringList& lines)
{
    lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxInfoSize)
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    QList<QByteArray> raw = bytes.split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast(); // the line end of the last line
    for (QByteArray& line : raw) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << Cp932::Decode(line);
    }
    return lines.size() == 5;
}

void SplitBackupInfoLine(const QString& line, QString& item, QString& content)
{
    const qsizetype colon = line.indexOf(QStringLiteral("："));
    item = colon < 0 ? QString() : line.left(colon);
    content = colon < 0 ? line : line.mid(colon + 1);
}

int RestoreDatabase(IDbSession& session)
{
    if (Message(QStringLiteral("現在のデータベースにバックアップデータを上書きします。\n"
                               "現在のデータはすべて消失しますがよろしいですか？"),
                MB_YESNO, MB_ICONEXCLAMATION, IDNO) != IDYES) {
        Message(
            QStringLiteral("先に現在のデータをバックアップするなどしてから再度復元作業を行なってください"),
            MB_OK, MB_ICONINFORMATION);
        return 0;
    }
    // The backups are where the last one went; without one, among the
    // databases.
    QString name, folder;
    const bool known = CDBDirMng().GetNowDB(name, folder) && !folder.isEmpty();
    const QString lastBackup = known ? ReadProposedFolder(folder) : QString();
    CFolderBrowser browser;
    if (browser.Browse(!lastBackup.isEmpty() && QFileInfo(lastBackup).isDir()
                           ? lastBackup
                           : CArdoEnv().GetDatabasesFolder(),
                       QStringLiteral("バックアップファイルを保存しているフォルダを指定してください。")) != 1)
        return 0;
    const QString backup = browser.GetPath();

    if (!known) {
        Message(QStringLiteral("復元できません<1>"));
        return 0;
    }
    // The save empties the scratch folder, the staging in it is made anew and
    // the database folder's files are replaced: none of them can be the backup.
    if (IsSameFolder(backup, folder) || IsSameFolder(backup, Scratch(folder)) ||
        IsSameFolder(backup, Staging(folder))) {
        Message(QStringLiteral("指定されたフォルダは『%1』で使用しているデータベースフォルダです。\n"
                               "このフォルダから復元することはできません。")
                    .arg(ProgramTitle()));
        return 0;
    }
    if (FindFileNoCase(backup, QString::fromUtf8(DB_FILE_NAME)).isEmpty()) {
        Message(QStringLiteral("指定されたフォルダにはバックアップファイルがありません。"));
        return 0;
    }
    const QString info = FindFileNoCase(backup, QLatin1String(kBackupInfoFile));
    if (!info.isEmpty()) {
        QStringList lines;
        if (!ReadBackupInfo(info, lines)) {
            Message(QStringLiteral("指定されたフォルダのバックアップデータが不正です。\n復元できません。"));
            return 0;
        }
        // Another company's backup over the books in use: said first, in so many words.
        QString item, backupName;
        SplitBackupInfoLine(lines[1], item, backupName);
        if (backupName != name &&
            Message(QStringLiteral("このバックアップは「%1」のデータです。使用中の「%2」に復元すると、"
                                   "「%2」のデータはすべて「%1」のデータに置き換わります。\n\n"
                                   "復元を続けてよろしいですか？")
                        .arg(backupName, name),
                    MB_YESNO, MB_ICONEXCLAMATION, IDNO) != IDYES)
            return 0;
        if (!DbDialogs().ConfirmRestore(lines))
            return 0;
    } else if (Message(
                   QStringLiteral(
                       "指定されたフォルダ<%1>のデータは『%"
                       "2』アプリケーションで行ったバックアップデータではありません。\n"
                       "このフォルダ内のファイルが正しい『%2』のデータであることがはっきりしている場合以外は"
                       "復元を中止して確認してください。\n\n復元を行いますか？")
                       .arg(backup, ProgramTitle()),
                   MB_YESNO, MB_ICONEXCLAMATION, IDNO) != IDYES) {
        return 0;
    }

    CWaitCursor wait;
    // The lock passes from the connection to the restore, so that no other
    // start opens the books or takes up what the restore left until they
    // are whole again.
    std::optional<CDbLockHold> hold(std::in_place, folder);
    const int answer = session.Release();
    if (answer != 1) {
        if (answer == 50)
            Message(OtherScreensOpenText(QStringLiteral("データベースを復元する")));
        else if (answer == -4)
            Message(QStringLiteral("現在、データベース処理が行われているため復元できません。\n"
                                   "処理が終了してから再度操作してください。"));
        else
            Message(CannotDisconnectText());
        return 0;
    }

    if (!hold->IsHeld())
        hold.emplace(folder); // the connection held none of its own
    if (hold->GetState() == CDbManager::kOtherProcess) {
        Message(QStringLiteral("データベースを復元できません。\n") +
                DatabaseInUseText(QStringLiteral("操作")));
        hold.reset();
        if (session.Connect() != 1)
            Message(ReconnectFailedText(), MB_OK, MB_ICONSTOP);
        return 0;
    }

    // Copying and checking a large book takes seconds: the work runs beside
    // the window, which keeps painting, and what it found is told after.
    enum class EOutcome { Refused, NotSaved, Restored, RolledBack, Stranded };
    CRestoreFileSet saved(folder);
    const EOutcome outcome =
        LongWork::Run([&] {
            if (!saved.Stage(backup))
                return EOutcome::Refused;
            // From here the restore runs to its end, or back to where it began.
            const CWaitScope restoring(
                QStringLiteral("データベースを復元しています。\nしばらくお待ちください。"), kBarParts, false);
            CBytesBar bar(FilesSize(folder), false);
            if (!SettleDatabaseFile(folder) || !saved.SaveCurrent(bar.Ticker())) {
                saved.RollBack();
                return EOutcome::NotSaved;
            }
            if (saved.Replace() == 1) {
                bar.Finish();
                return EOutcome::Restored;
            }
            return saved.RollBack() ? EOutcome::RolledBack : EOutcome::Stranded;
        }).value;
    switch (outcome) {
    case EOutcome::Refused:
        Message(saved.GetRefusal(), MB_OK, MB_ICONEXCLAMATION);
        break;
    case EOutcome::NotSaved:
        Message(QStringLiteral(
                    "現状(復元前)の状態を保存できませんでした。\n処理を中止します。ディスクの空き容量が"
                    "足りない場合は、いったん『%"
                    "1』を終了して、ディスクの空き容量を増やしてから再度操作してください。")
                    .arg(ProgramTitle()));
        break;
    case EOutcome::Restored:
        // The backup brought the folder its own database last went to, maybe
        // on another computer: the next backup proposes the one used here.
        RememberBackupFolder(folder, lastBackup.isEmpty() ? backup : lastBackup);
        break;
    case EOutcome::RolledBack:
    case EOutcome::Stranded:
        Message(QStringLiteral("いくつかのファイルの復元ができなかったため、復元前の状態に戻します。"));
        if (outcome == EOutcome::RolledBack)
            break;
        Message(QStringLiteral(
                    "復元前の状態に戻すのに失敗しました。データファイルの状態が不正です。\n"
                    "すみやかに『%"
                    "1』を終了してください。\nディスク容量が足りない場合は空き容量を確保してください。\n"
                    " その後、<%2> "
                    "に保存されている復元前のデータを元に戻して『%"
                    "1』を起動し、再度復元操作を行ってください。")
                    .arg(ProgramTitle(), saved.GetSavedFolder()),
                MB_OK, MB_ICONSTOP);
        return 0;
    }
    const bool restored = outcome == EOutcome::Restored;

    hold.reset();
    if (session.Connect() != 1)
        Message(ReconnectFailedText(), MB_OK, MB_ICONSTOP);
    if (!restored)
        return 0;
    // The frame must not keep the replaced database's settings and write them back.
    session.ReloadDatabaseState();
    Message(QStringLiteral("復元しました"), MB_OK, MB_ICONINFORMATION);
    return 1;
}
