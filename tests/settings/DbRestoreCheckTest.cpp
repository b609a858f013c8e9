#include "DbTestSupport.h"

#include "platform/data/Schema.h"
#include "platform/data/TableNames.h"
#include "settings/db/Backup.h"
#include "settings/db/Restore.h"

#include <QDirIterator>
#include <QMap>

#include <sqlite3.h>

#include <algorithm>
#include <functional>

namespace
{

const QString kMain = QString::fromUtf8("本社");
const QString kUnchanged = QString::fromUtf8("\n現在のデータベースは変更していません。");

// Every file and folder under the folder, hidden ones included, with its bytes.
QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size()), QFileInfo(path).isDir() ? QByteArray("<dir>") : GetFile(path));
    }
    return files;
}

// What the copy of a backup takes: every file of it but its identity.
qint64 CopiedBytes(const QString& backup)
{
    qint64 needed = 0;
    for (QDirIterator files(backup, QDir::Files, QDirIterator::Subdirectories); files.hasNext();)
        needed += files.next().endsWith("/Buinf.sys") ? 0 : files.fileInfo().size();
    return needed;
}

// The wait dialog's opening, as its log notes it: what it does and its bar.
QString Begun(const char* doing)
{
    return "Begin " + QString::fromUtf8(doing) + QString::fromUtf8("\nしばらくお待ちください。 1000");
}

bool CopyTree(const QString& from, const QString& to)
{
    bool copied = QDir().mkpath(to);
    for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        copied = copied && (entry.isDir() ? CopyTree(entry.filePath(), to + u'/' + entry.fileName())
                                          : QFile::copy(entry.filePath(), to + u'/' + entry.fileName()));
    return copied;
}

// `keepLog`: a log of write-ahead mode keeps what was written, as in a copy
// taken while another program held the database so.
bool OnFile(const QString& path, const char* sql, bool keepLog = false)
{
    sqlite3* db = nullptr;
    const bool done =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
            SQLITE_OK &&
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, keepLog ? 1 : 0, nullptr) == SQLITE_OK &&
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

// The first row a statement gives on the file, as text.
QString FirstRow(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    QString row;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        row = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return row;
}

// The product code A1234 changed by one byte where its row holds it (a
// leaf page of a table, type 13), not in the index on the codes: the pages
// stay sound and only a row and its index entry disagree.
bool ChangeRowNotIndex(const QString& path, int pageSize)
{
    QByteArray bytes = GetFile(path);
    int changed = 0;
    for (qsizetype at = bytes.indexOf("A1234"); at >= 0; at = bytes.indexOf("A1234", at + 1)) {
        const qsizetype page = at / pageSize;
        if (bytes[page * pageSize + (page == 0 ? 100 : 0)] == 13) {
            bytes[at] = 'Z';
            ++changed;
        }
    }
    return changed > 0 && PutFile(path, bytes) && FirstRow(path, "PRAGMA quick_check") == "ok" &&
           FirstRow(path, "PRAGMA integrity_check") != "ok";
}

QString Megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1);
}

// The current database "本社" with three thousand products, backed up, then
// restored once over a product added after the backup (which "BupTmp" keeps
// since) and given another one.
class DbRestoreCheck : public CDbAdminTest
{
  protected:
    void SetUp() override
    {
        m_strFolder = MakeDatabase(kMain, "main", true);
        ASSERT_TRUE(PutFile(m_strFolder + "/Files/0001.vrh", "slip 1"));
        ASSERT_EQ(m_session.Connect(), 1);
        Sql(m_session.m_data,
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO Item(ItemCode, ItemName) "
            "SELECT printf('A%04d', i), printf('product number %d', i) FROM n");
        m_strBackup = Path("backup");
        m_ui.Prompt().QueueAnswers({IDOK, IDYES});
        m_dialogs.QueueFolder(m_strBackup);
        ASSERT_EQ(BackupDatabase(m_session, 1), 1);
        Sql(m_session.m_data, "INSERT INTO Item(ItemCode, ItemName) VALUES('B1', 'after the backup')");
        ASSERT_EQ(Restore(m_strBackup), 1);
        Sql(m_session.m_data, "INSERT INTO Item(ItemCode, ItemName) VALUES('C1', 'after the restore')");
        ASSERT_EQ(Items("WHERE ItemCode = 'B1'"), 0);
        m_ui.Prompt().Clear();
    }
    void TearDown() override
    {
        SetFreeSpaceQuery({});
        CDbAdminTest::TearDown();
    }

    int Restore(const QString& from)
    {
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueFolders({from});
        m_ui.Prompt().QueueAnswers({IDYES});
        m_dialogs.QueueRestoreAnswer(true);
        return RestoreDatabase(m_session);
    }
    int Items(const QString& condition = {}) { return CountRows(m_session.m_data, TB_ITEM, condition); }

    QString m_strFolder;
    QString m_strBackup;
    CTestSession m_session;
};

} // namespace

// A backup is checked whole before it replaces anything: one whose database
// is damaged (in its pages or where a row and its index disagree), cut
// short, no database, of a newer build, with a settings file the screens
// cannot read, or too large for the disk is refused with its reason, and
// the database folder, "BupTmp" with the state before the last restore
// included, keeps every byte. A log of write-ahead mode is played in and
// leaves one file. The check runs under the wait dialog, its bar moved to
// the end.
TEST_F(DbRestoreCheck, ABackupThatIsNotSoundIsRefusedWithItsReason)
{
    const QString damaged =
        QString::fromUtf8("バックアップのデータベースファイル<%1/QXSelvo.vrz>が壊れているため、"
                          "復元できません。\n別のバックアップから復元してください。") +
        kUnchanged;
    const QString newer =
        QString::fromUtf8("バックアップのデータベースファイル<%1/QXSelvo.vrz>は復元できません。\n"
                          "このデータベース（バージョン99）は、このプログラム（バージョン%2）より"
                          "新しいため開けません。新しいプログラムで開いてください。") +
        kUnchanged;
    const qint64 needed = CopiedBytes(m_strBackup);
    const qint64 database = QFileInfo(m_strBackup + "/QXSelvo.vrz").size();
    const int pageSize = [&] {
        const QByteArray head = GetFile(m_strBackup + "/QXSelvo.vrz").left(18);
        return (uchar(head[16]) << 8) | uchar(head[17]);
    }();
    ASSERT_GE(database / pageSize, 20);

    const QString damagedSetting =
        QString::fromUtf8("バックアップの設定ファイル<%1/%2>が壊れているため、"
                          "復元できません。\n別のバックアップから復元してください。") +
        kUnchanged;
    const auto resize = [](qint64 size) {
        return [size](const QString& path) { return QFile::resize(path, size); };
    };
    // A settings file beside the database (or in "Other") with these bytes.
    const auto setting = [](const char* name, const QByteArray& bytes) {
        return [name, bytes](const QString& path) {
            return PutFile(QFileInfo(path).path() + u'/' + QLatin1String(name), bytes);
        };
    };
    const struct {
        const char* what;
        std::function<bool(const QString&)> spoil; // on the backup's database file
        qint64 free;                               // on the disk; -1: as the system says
        QString told;                              // "%1": the backup folder; empty: restored
        const char* kept = nullptr;                // restored: a product the backup brings
    } cases[] = {
        {"300 bytes of four pages overwritten",
         [&](const QString& path) {
             QFile file(path);
             if (!file.open(QIODevice::ReadWrite))
                 return false;
             const qint64 pages = file.size() / pageSize;
             for (int k = 1; k <= 4; ++k)
                 if (!file.seek(pageSize * (pages * k / 5) + 8) || file.write(QByteArray(300, '\xa5')) != 300)
                     return false;
             return true;
         },
         -1, damaged},
        {"cut short at half", resize(database / 2), -1, damaged},
        {"cut short after the first page", resize(pageSize), -1, damaged},
        {"cut to nothing", resize(0), -1, damaged},
        {"a text file",
         [](const QString& path) { return PutFile(path, "ItemCode,ItemName\r\nA1,first\r\n"); }, -1, damaged},
        {"a quote line without its quote",
         [](const QString& path) {
             return OnFile(path, "PRAGMA foreign_keys=OFF; INSERT INTO Estimate_B(HeaderID) VALUES(999999)");
         },
         -1, damaged},
        {"of a newer build", [](const QString& path) { return OnFile(path, "PRAGMA user_version=99"); }, -1,
         QString(newer).replace(QStringLiteral("%2"), QString::number(Schema::Version()))},
        {"a row and its index disagreeing by one byte",
         [&](const QString& path) { return ChangeRowNotIndex(path, pageSize); }, -1, damaged},
        {"counters that are no archive", setting("NoInfo.dat", "garbage, not counters"), -1,
         QString(damagedSetting).replace(QStringLiteral("%2"), QStringLiteral("NoInfo.dat"))},
        {"an entry list cut short", setting("Money.dat", QByteArray::fromHex("0100ffff")), -1,
         QString(damagedSetting).replace(QStringLiteral("%2"), QStringLiteral("Money.dat"))},
        {"a default value cut short", setting("Other/CLOSEDAY.AUT", QByteArray::fromHex("056162")), -1,
         QString(damagedSetting).replace(QStringLiteral("%2"), QStringLiteral("Other/CLOSEDAY.AUT"))},
        {"no room for the copy",
         {},
         needed - 1,
         QString::fromUtf8(
             "ディスクの空き容量が足りないため、復元できません。\nバックアップのデータを置くには、"
             "データベースフォルダ<%1>のディスクに%2 MB の空き容量が必要です（空き容量 %3 MB）。"
             "空き容量を増やしてから、再度復元操作を行ってください。")
                 .arg(m_strFolder, Megabytes(needed), Megabytes(needed - 1)) +
             kUnchanged},
        // The bound is the copy itself: a backup that just fits is restored.
        {"room for exactly the copy", {}, needed, {}},
        // Restored, as the one above: each keeps the rows of the backup.
        {"transactions only in a log of write-ahead mode",
         [](const QString& path) {
             return OnFile(path, "PRAGMA journal_mode=WAL; INSERT INTO Item(ItemCode) VALUES('L1')", true) &&
                    QFileInfo(path + "-wal").size() > 0;
         },
         -1,
         {},
         "L1"},
        // The engine reads a log whatever the database says of its mode, and
        // finds no transaction in one that is no log.
        {"a log holding no transaction",
         [](const QString& path) { return PutFile(path + "-wal", QByteArray(4096, '\x11')); },
         -1,
         {}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        const QString backup = Path(QStringLiteral("bad%1").arg(i));
        ASSERT_TRUE(CopyTree(m_strBackup, backup));
        if (c.spoil) {
            ASSERT_TRUE(c.spoil(backup + "/QXSelvo.vrz"));
        }
        QStringList asked;
        SetFreeSpaceQuery([&](const QString& folder) {
            asked << folder;
            return c.free;
        });
        const QMap<QString, QByteArray> before = Snapshot(m_strFolder);
        ASSERT_TRUE(before.contains("/BupTmp/QXSelvo.vrz"));

        const qsizetype waited = m_ui.Wait().Log().size();
        const int restored = Restore(backup);
        if (c.free >= 0) {
            EXPECT_EQ(asked, QStringList{m_strFolder});
        }
        ASSERT_TRUE(m_session.m_manager.IsConnected());
        if (c.told.isEmpty()) {
            EXPECT_EQ(restored, 1);
            EXPECT_EQ(LastText(), QString::fromUtf8("復元しました"));
            EXPECT_EQ(Items("WHERE ItemCode = 'C1'"), 0);
            if (c.kept) {
                EXPECT_EQ(Items(QStringLiteral("WHERE ItemCode = '%1'").arg(QLatin1String(c.kept))), 1);
            }
            // One file, as every database of the program is.
            EXPECT_FALSE(QFileInfo::exists(m_strFolder + "/QXSelvo.vrz-wal"));
            EXPECT_EQ(FirstRow(m_strFolder + "/QXSelvo.vrz", "PRAGMA journal_mode"), "delete");
            // The copy's bar from its first byte, the check's inside it, then
            // the saving and the moves; each bar runs to its end.
            const QStringList waits = m_ui.Wait().Log().mid(waited);
            const QString check = Begun("バックアップのデータベースを確認しています。");
            QStringList dialogs = waits;
            dialogs.removeIf([](const QString& line) { return line.startsWith("Pos "); });
            EXPECT_EQ(dialogs, QStringList({Begun("バックアップのデータをコピーしています。"), check, "End",
                                            "End", Begun("データベースを復元しています。"), "End"}));
            for (const qsizetype ended : {waits.indexOf(check), waits.indexOf("End"), waits.size() - 1})
                EXPECT_EQ(waits.value(ended - 1), "Pos 1000") << waits.value(ended).toStdString();
            EXPECT_EQ(m_ui.Wait().Depth(), 0);
            continue;
        }
        EXPECT_EQ(restored, 0);
        EXPECT_EQ(LastText(), QString(c.told).replace(QStringLiteral("%1"), backup));
        EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONEXCLAMATION);
        EXPECT_EQ(m_session.m_nReloads, 1); // the first restore's only
        EXPECT_EQ(Items(), 3001);
        EXPECT_EQ(Items("WHERE ItemCode = 'C1'"), 1);
        const QMap<QString, QByteArray> after = Snapshot(m_strFolder);
        EXPECT_EQ(QStringList(after.keys()), QStringList(before.keys()));
        EXPECT_TRUE(after == before);
    }
}

// The copy of a backup shows its bar over the bytes copied from its first
// byte; 中止 pressed there (at its first block, or once the database is
// copied) drops what was copied and leaves the database folder, "BupTmp"
// included, byte for byte as it was, and checks nothing.
TEST_F(DbRestoreCheck, AStoppedCopyLeavesTheFolderAsItWas)
{
    ASSERT_EQ(m_session.m_manager.Release(m_session.m_id), 1);
    const qint64 needed = CopiedBytes(m_strBackup), database = QFileInfo(m_strBackup + "/QXSelvo.vrz").size();
    ASSERT_LT(database, 1 << 20) << "copied in one block";
    const QMap<QString, QByteArray> before = Snapshot(m_strFolder);
    for (const bool atFirstBlock : {true, false}) {
        SCOPED_TRACE(atFirstBlock);
        m_ui.Wait().SetCancelled(atFirstBlock);
        SetRestoreStepHook([&](ERestoreStep step) {
            if (step == ERestoreStep::StagedDatabase)
                m_ui.Wait().SetCancelled(true);
        });
        const qsizetype waited = m_ui.Wait().Log().size();
        CRestoreFileSet staged(m_strFolder);
        EXPECT_EQ(staged.Stage(m_strBackup), 0);
        SetRestoreStepHook({});
        m_ui.Wait().SetCancelled(false);
        EXPECT_EQ(staged.GetRefusal(), QString::fromUtf8("データベースの復元を中止しました。") + kUnchanged);
        const QStringList waits = m_ui.Wait().Log().mid(waited);
        ASSERT_GE(waits.size(), 3);
        EXPECT_EQ(waits.first(), Begun("バックアップのデータをコピーしています。"));
        EXPECT_EQ(waits.last(), "End");
        QList<int> bar;
        for (const QString& line : waits.mid(1, waits.size() - 2)) {
            ASSERT_TRUE(line.startsWith("Pos ")) << line.toStdString();
            bar << line.mid(4).toInt();
        }
        EXPECT_EQ(bar.first(), int(database * 1000 / needed)) << "the bar once the database is copied";
        EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()) && bar.last() < 1000);
        if (atFirstBlock) {
            EXPECT_EQ(bar.size(), 1);
        }
        EXPECT_EQ(m_ui.Wait().Depth(), 0);
        const QMap<QString, QByteArray> after = Snapshot(m_strFolder);
        EXPECT_EQ(QStringList(after.keys()), QStringList(before.keys()));
        EXPECT_TRUE(after == before);
    }
}
