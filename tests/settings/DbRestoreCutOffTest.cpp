#include "DbTestSupport.h"

#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/AutFile.h"
#include "platform/data/TableNames.h"
#include "settings/db/Backup.h"
#include "settings/db/Restore.h"

#include <QMap>

#include <algorithm>
#include <optional>

namespace
{

const QString kMain = QString::fromUtf8("本社");

// Thrown by the step hook: the restore stops there as a killed process would,
// without any of its own clean-up.
struct CCutOff {
};

// The item codes of the folder's database; one "<none>" when it does not open.
QStringList ItemCodes(const QString& folder)
{
    CMakeMsgID data;
    QString err;
    if (data.Open(folder, err) != 1)
        return {QStringLiteral("<none>")};
    CCDSData request, result;
    request.m_strCondition = QStringLiteral("SELECT ItemCode FROM Item ORDER BY ItemCode");
    QStringList codes;
    if (data.GetDataList(request, result, err) == 1)
        for (int i = 0; i < result.GetCount(); ++i)
            codes << result.GetAt(i)->GetAt(0)->GetText();
    data.Close();
    return codes;
}

// The files a restore replaces besides the database, with their bytes. The
// folder the last backup went to is written by a restore that ends in
// place, not by one finished at the next start, so it is left out.
QMap<QString, QByteArray> OtherFiles(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& sub : {QString(), QStringLiteral("Files"), QStringLiteral("Other")}) {
        const QString dir = sub.isEmpty() ? folder : folder + u'/' + sub;
        for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            const QString entry = sub.isEmpty() ? name : sub + u'/' + name;
            if (entry != QLatin1String("QXSelvo.vrz") && entry != QLatin1String("Budefdir.dat"))
                files.insert(entry, GetFile(dir + u'/' + name));
        }
    }
    return files;
}

struct CState {
    QStringList items;
    QMap<QString, QByteArray> files;
    bool operator==(const CState& other) const { return items == other.items && files == other.files; }
};

// The current database "本社" backed up with two products, a slip and
// settings, then changed: a third product, another slip, other settings.
class DbRestoreCutOff : public CDbAdminTest
{
  protected:
    void SetUp() override
    {
        m_strFolder = MakeDatabase(kMain, "main", true);
        ASSERT_TRUE(PutFile(m_strFolder + "/Files/0001.vrh", "slip 1"));
        ASSERT_TRUE(PutFile(m_strFolder + "/MSettingInfo.dat", "settings A"));
        ASSERT_TRUE(WriteAutFile(m_strFolder + "/Other/CLOSEDAY.AUT", "20"));
        ASSERT_EQ(m_session.Connect(), 1);
        Sql(m_session.m_data, "INSERT INTO Item(ItemCode, ItemName) VALUES('A1', 'first'), ('A2', 'second')");
        m_strBackup = Path("backup");
        m_ui.Prompt().QueueAnswers({IDOK, IDYES});
        m_dialogs.QueueFolder(m_strBackup);
        ASSERT_EQ(BackupDatabase(m_session, 1), 1);
        m_ui.Prompt().Clear();
        m_backedUp = State();
        ChangeAfterBackup();
        m_changed = State();
        ASSERT_EQ(m_backedUp.items, QStringList({"A1", "A2"}));
        ASSERT_EQ(m_changed.items, QStringList({"A1", "A2", "B1"}));
        ASSERT_NE(m_backedUp.files, m_changed.files);
    }
    void TearDown() override
    {
        SetRestoreStepHook({});
        CDbAdminTest::TearDown();
    }

    void ChangeAfterBackup()
    {
        Sql(m_session.m_data, "INSERT INTO Item(ItemCode, ItemName) VALUES('B1', 'after the backup')");
        ASSERT_TRUE(PutFile(m_strFolder + "/Files/0002.vrh", "slip 2"));
        ASSERT_TRUE(PutFile(m_strFolder + "/MSettingInfo.dat", "settings B"));
        ASSERT_TRUE(WriteAutFile(m_strFolder + "/Other/CLOSEDAY.AUT", "25"));
    }
    CState State() const { return {ItemCodes(m_strFolder), OtherFiles(m_strFolder)}; }
    int Restore(const QString& from = {})
    {
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueFolders({from.isEmpty() ? m_strBackup : from});
        m_ui.Prompt().QueueAnswers({IDYES});
        m_dialogs.QueueRestoreAnswer(true);
        return RestoreDatabase(m_session);
    }

    QString m_strFolder;
    QString m_strBackup;
    CState m_backedUp;
    CState m_changed;
    CTestSession m_session;
};

} // namespace

// A restore cut off at any of its steps leaves a database that opens, the
// old one or the restored one; the next start finishes a restore whose
// files were all ready, goes back where they were not or where a file
// could not be moved in, and says what it did. "BupTmp" keeps a copy of the
// state before, never the only one.
TEST_F(DbRestoreCutOff, EveryStepLeavesADatabaseAndTheNextStartMendsTheRest)
{
    const QString finished =
        QString::fromUtf8("前回のデータベースの復元は途中で止まっていました。\n"
                          "復元するデータはそろっていたため、復元を最後まで行いました。");
    const QString wentBack = QString::fromUtf8("前回のデータベースの復元は途中で止まっていました。\n"
                                               "復元を最後まで行えなかったため、復元前の状態に戻しました。必"
                                               "要であれば、再度復元操作を行ってください。");
    const QString failedCopy =
        QString::fromUtf8("いくつかのファイルの復元ができなかったため、復元前の状態に戻します。");
    using S = ERestoreStep;
    using R = ERestoreRecovery;
    const struct {
        bool cut;
        S step;
        int lists;    // ready lists written before the cut: 1 the restore's, 2 its roll-back's
        int nth;      // of the step after those lists
        bool blocked; // a folder stands where one of the backup's files goes
        R recovery;
        bool restored;
    } cases[] = {
        {false, S::SavedCurrent, 0, 0, false, R::None, true},
        {true, S::SavedCurrent, 0, 1, false, R::None, false},
        {true, S::StagedDatabase, 0, 1, false, R::None, false},
        {true, S::StagedAll, 0, 1, false, R::None, false},
        {true, S::CheckedStaged, 0, 1, false, R::None, false},
        {true, S::MarkedReady, 1, 1, false, R::Finished, true},
        {true, S::ReplacedFile, 1, 1, false, R::Finished, true}, // only the database moved in
        {true, S::ReplacedFile, 1, 3, false, R::Finished, true},
        {true, S::Pruned, 1, 1, false, R::Finished, true},
        {false, S::SavedCurrent, 0, 0, true, R::None, false},
        {true, S::MarkedReady, 1, 1, true, R::RolledBack, false},
        {true, S::ReplacedFile, 1, 2, true, R::RolledBack, false},
        {true, S::MarkedReady, 2, 1, true, R::RolledBack, false},
        {true, S::ReplacedFile, 2, 1, true, R::RolledBack, false},
        {true, S::Pruned, 2, 1, true, R::RolledBack, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i);
        if (c.blocked) {
            ASSERT_TRUE(QDir().mkpath(m_strFolder + "/Unit.dat/in the way"));
            // An entry list the restore's check reads: the failure is the move.
            CArchiveWriter units;
            units.WriteCount(0);
            ASSERT_TRUE(PutFile(m_strBackup + "/Unit.dat", units.Data()));
        }
        int lists = 0, seen = 0;
        SetRestoreStepHook([&](ERestoreStep step) {
            if (step == S::MarkedReady)
                ++lists;
            if (c.cut && step == c.step && lists == c.lists && ++seen == c.nth)
                throw CCutOff();
        });
        if (c.cut) {
            EXPECT_THROW(Restore(), CCutOff);
            SetRestoreStepHook({});
            // Before anything mends it, the folder's database opens.
            const QStringList items = ItemCodes(m_strFolder);
            EXPECT_TRUE(items == m_backedUp.items || items == m_changed.items)
                << items.join(u',').toStdString();
        } else {
            EXPECT_EQ(Restore(), c.restored ? 1 : 0);
            SetRestoreStepHook({});
            if (!c.restored) {
                EXPECT_TRUE(Texts().contains(failedCopy));
            }
            ASSERT_EQ(m_session.Release(), 1);
        }

        // The next start.
        m_ui.Prompt().Clear();
        EXPECT_EQ(RecoverInterruptedRestore(m_strFolder), c.recovery);
        const QStringList told = c.recovery == R::Finished     ? QStringList{finished}
                                 : c.recovery == R::RolledBack ? QStringList{wentBack}
                                                               : QStringList{};
        EXPECT_EQ(Texts(), told);
        ASSERT_EQ(m_session.Connect(), 1);
        EXPECT_TRUE(State() == (c.restored ? m_backedUp : m_changed))
            << ItemCodes(m_strFolder).join(u',').toStdString() << " / "
            << QStringList(OtherFiles(m_strFolder).keys()).join(u',').toStdString();
        EXPECT_FALSE(QFileInfo::exists(m_strFolder + "/BupTmp/Restore"));
        EXPECT_FALSE(QFileInfo::exists(m_strFolder + "/QXSelvo.vrz-journal"));
        if (c.restored) {
            EXPECT_EQ(ItemCodes(m_strFolder + "/BupTmp"), m_changed.items);
        }
        // Nothing is left for a start after that.
        m_ui.Prompt().Clear();
        EXPECT_EQ(RecoverInterruptedRestore(m_strFolder), R::None);
        EXPECT_TRUE(Texts().isEmpty());

        if (c.blocked) {
            ASSERT_TRUE(QDir(m_strFolder + "/Unit.dat").removeRecursively());
            ASSERT_TRUE(QFile::remove(m_strBackup + "/Unit.dat"));
        }
        if (c.restored) {
            ChangeAfterBackup();
            ASSERT_TRUE(State() == m_changed);
        }
    }
}

// A restore of earlier builds moved the current files into "BupTmp" before
// copying the backup in; cut off then, it left the folder without its
// database. The next start puts back what the folder lacks and says so,
// leaving alone what it still has.
TEST_F(DbRestoreCutOff, AStrandedDatabaseComesBackAtTheNextStart)
{
    const struct {
        const char* what;
        QStringList moved;  // into "BupTmp", as the earlier restore left them
        QStringList copied; // copies in "BupTmp" that stay in the folder too
        bool removed;       // the folder's database is gone, and no copy either
        bool blocked;       // a folder stands where the database goes back
        ERestoreRecovery recovery;
    } cases[] = {
        {"database, a setting and a slip moved out",
         {"QXSelvo.vrz", "MSettingInfo.dat", "Files/0001.vrh"},
         {},
         false,
         false,
         ERestoreRecovery::PutBack},
        {"only the database moved out",
         {"QXSelvo.vrz"},
         {"MSettingInfo.dat"},
         false,
         false,
         ERestoreRecovery::PutBack},
        {"a finished restore's copy",
         {},
         {"QXSelvo.vrz", "MSettingInfo.dat"},
         false,
         false,
         ERestoreRecovery::None},
        {"no database anywhere", {}, {}, true, false, ERestoreRecovery::None},
        {"the database cannot go back", {"QXSelvo.vrz"}, {}, false, true, ERestoreRecovery::Failed},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        const QString folder =
            MakeDatabase(QString::fromUtf8("支店%1").arg(i), QStringLiteral("db%1").arg(i), false);
        ASSERT_TRUE(PutFile(folder + "/Files/0001.vrh", "slip 1"));
        ASSERT_TRUE(PutFile(folder + "/MSettingInfo.dat", "settings"));
        const QByteArray database = GetFile(folder + "/QXSelvo.vrz");
        for (const QString& name : c.copied) {
            ASSERT_TRUE(QFile::copy(folder + u'/' + name, folder + "/BupTmp/" + name));
        }
        for (const QString& name : c.moved) {
            ASSERT_TRUE(QFile::rename(folder + u'/' + name, folder + "/BupTmp/" + name));
        }
        // The copy kept in "BupTmp" is older than the file left in place.
        if (c.copied.contains("MSettingInfo.dat")) {
            ASSERT_TRUE(PutFile(folder + "/BupTmp/MSettingInfo.dat", "older"));
        }
        if (c.removed) {
            ASSERT_TRUE(QFile::remove(folder + "/QXSelvo.vrz"));
        }
        if (c.blocked) {
            ASSERT_TRUE(QDir().mkpath(folder + "/QXSelvo.vrz/in the way"));
        }

        m_ui.Prompt().Clear();
        EXPECT_EQ(RecoverInterruptedRestore(folder), c.recovery);
        const QString scratch = folder + "/BupTmp";
        switch (c.recovery) {
        case ERestoreRecovery::PutBack:
            EXPECT_EQ(Texts(),
                      QStringList{QString::fromUtf8("前回のデータベースの復元が途中で止まったため、"
                                                    "データベースフォルダ<%1>にデータベースファイルが"
                                                    "ありませんでした。\n<%2> に保存されていた復元前の"
                                                    "データを元に戻しました。")
                                      .arg(folder, scratch)});
            EXPECT_EQ(GetFile(folder + "/QXSelvo.vrz"), database);
            EXPECT_EQ(GetFile(folder + "/Files/0001.vrh"), "slip 1");
            EXPECT_EQ(GetFile(folder + "/MSettingInfo.dat"), "settings");
            // The saved state keeps its copies.
            for (const QString& name : c.moved)
                EXPECT_TRUE(QFileInfo(scratch + u'/' + name).isFile()) << name.toStdString();
            EXPECT_NE(ItemCodes(folder), QStringList{"<none>"});
            break;
        case ERestoreRecovery::Failed:
            EXPECT_EQ(Texts(),
                      QStringList{QString::fromUtf8("前回のデータベースの復元が途中で止まったため、"
                                                    "データベースフォルダ<%1>にデータベースファイルが"
                                                    "ありません。\n<%2> に保存されている復元前のデータを"
                                                    "元に戻せませんでした。ディスクの空き容量と書き込みの"
                                                    "権限を確認してください。")
                                      .arg(folder, scratch)});
            EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONSTOP);
            EXPECT_EQ(GetFile(scratch + "/QXSelvo.vrz"), database);
            break;
        default:
            EXPECT_TRUE(Texts().isEmpty());
            EXPECT_EQ(GetFile(folder + "/MSettingInfo.dat"), "settings");
            break;
        }
    }
}

// The staging folder of a restore is emptied by the next one, so it takes
// no backup and gives none.
TEST_F(DbRestoreCutOff, TheStagingFolderIsNoBackupFolder)
{
    const QString staging = m_strFolder + "/BupTmp/Restore";
    ASSERT_TRUE(QDir().mkpath(staging));
    const QString ours =
        QString::fromUtf8("指定されたフォルダは『Corvanta／販売』で使用しているデータベースフォルダです。\n");
    m_dialogs.QueueFolder(staging);
    EXPECT_EQ(BackupDatabase(m_session, 3), 0);
    EXPECT_EQ(Texts(),
              QStringList{ours + QString::fromUtf8("このフォルダにバックアップすることはできません。")});
    ASSERT_TRUE(PutFile(staging + "/QXSelvo.vrz", GetFile(m_strBackup + "/QXSelvo.vrz")));
    const int releases = m_session.m_nReleases;
    m_dialogs.Clear();
    EXPECT_EQ(Restore(staging), 0);
    EXPECT_EQ(LastText(), ours + QString::fromUtf8("このフォルダから復元することはできません。"));
    EXPECT_EQ(m_session.m_nReleases, releases);
    EXPECT_TRUE(State() == m_changed);
}

// A database that went missing after a restore had been finished, in place
// or at the next start, or after a stranded one had been put back, is no
// restore's doing: the older state that "BupTmp" keeps stays there, and the
// start says that the database is missing and where that state lies.
TEST_F(DbRestoreCutOff, ADatabaseGoneAfterARestoreIsNotReplacedByTheStateBefore)
{
    const QString scratch = m_strFolder + "/BupTmp";
    const QString missing = QString::fromUtf8("データベースフォルダ<%1>にデータベースファイルがありません。\n"
                                              "<%2> に最後の復元の前の古いデータが保存されていますが、"
                                              "復元の中断でなくなったものではないため、元に戻していません。\n"
                                              "必要であれば、バックアップから復元してください。"
                                              "次の画面で空のフォルダを指定してデータベースを作成し、起動後に"
                                              "[データベース]-[使用中のデータベースへの復元]でバックアップの"
                                              "フォルダを指定します。\n"
                                              "データベースファイルを元のフォルダに戻した場合は、"
                                              "次の画面でそのデータベース名とフォルダを指定してください。")
                                .arg(m_strFolder, scratch);
    enum class EHow { InPlace, AtTheNextStart, PutBack };
    const struct {
        const char* what;
        EHow how;
        ERestoreRecovery first;
    } cases[] = {
        {"a restore finished in place", EHow::InPlace, ERestoreRecovery::None},
        {"a restore finished at the next start", EHow::AtTheNextStart, ERestoreRecovery::Finished},
        {"a database an earlier build stranded, put back", EHow::PutBack, ERestoreRecovery::PutBack},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        switch (c.how) {
        case EHow::InPlace:
            ASSERT_EQ(Restore(), 1);
            ASSERT_EQ(m_session.Release(), 1);
            break;
        case EHow::AtTheNextStart:
            SetRestoreStepHook([](ERestoreStep step) {
                if (step == ERestoreStep::MarkedReady)
                    throw CCutOff();
            });
            EXPECT_THROW(Restore(), CCutOff);
            SetRestoreStepHook({});
            break;
        case EHow::PutBack:
            // As a restore of earlier builds left it: only the files it moved out.
            ASSERT_EQ(m_session.Release(), 1);
            for (const QString& name : QDir(scratch).entryList(QDir::Files)) {
                ASSERT_TRUE(QFile::remove(scratch + u'/' + name));
            }
            ASSERT_TRUE(QFile::rename(m_strFolder + "/QXSelvo.vrz", scratch + "/QXSelvo.vrz"));
            break;
        }
        m_ui.Prompt().Clear();
        ASSERT_EQ(RecoverInterruptedRestore(m_strFolder), c.first);
        const QStringList older = ItemCodes(scratch);
        EXPECT_EQ(older, c.how == EHow::PutBack ? ItemCodes(m_strFolder) : m_changed.items);

        ASSERT_TRUE(QFile::remove(m_strFolder + "/QXSelvo.vrz"));
        const QByteArray saved = GetFile(scratch + "/QXSelvo.vrz");
        for (int start = 0; start < 2; ++start) {
            m_ui.Prompt().Clear();
            EXPECT_EQ(RecoverInterruptedRestore(m_strFolder), ERestoreRecovery::Missing);
            EXPECT_EQ(Texts(), QStringList{missing});
            EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONEXCLAMATION);
            EXPECT_FALSE(QFileInfo::exists(m_strFolder + "/QXSelvo.vrz"));
            EXPECT_EQ(GetFile(scratch + "/QXSelvo.vrz"), saved);
        }

        // The user puts the older state back by hand.
        ASSERT_TRUE(QFile::copy(scratch + "/QXSelvo.vrz", m_strFolder + "/QXSelvo.vrz"));
        ASSERT_EQ(m_session.Connect(), 1);
        EXPECT_EQ(ItemCodes(m_strFolder), older);
    }
}

// From the release of its connection until the books are whole again, the
// restore holds the database's lock: another start (a second connection,
// and the mending of an interrupted restore before it) is refused at every
// step and touches nothing, and the restore ends whole. Its lock ends with
// it, so the next start connects.
TEST_F(DbRestoreCutOff, AnotherStartIsKeptOffUntilTheRestoreIsWhole)
{
    using S = ERestoreStep;
    const S steps[] = {S::StagedDatabase, S::StagedAll,    S::CheckedStaged, S::SavedCurrent,
                       S::MarkedReady,    S::ReplacedFile, S::Pruned};
    struct CTried {
        S step;
        int connected;
        ERestoreRecovery recovery;
        bool staged; // the restore's staging folder is still there
    };
    QList<CTried> tried;
    SetRestoreStepHook([&](S step) {
        CMakeMsgID otherData;
        CDbManager other(otherData);
        const int connected = other.Connect(other.Register(), m_strFolder);
        const ERestoreRecovery recovery = RecoverInterruptedRestore(m_strFolder);
        tried.append({step, connected, recovery, QFileInfo::exists(m_strFolder + "/BupTmp/Restore")});
    });
    EXPECT_EQ(Restore(), 1);
    SetRestoreStepHook({});
    EXPECT_EQ(Texts().last(), QString::fromUtf8("復元しました"));
    EXPECT_TRUE(State() == m_backedUp);

    QList<S> seen;
    for (const CTried& t : tried) {
        SCOPED_TRACE(int(t.step));
        seen << t.step;
        EXPECT_EQ(t.connected, CDbManager::kOtherProcess);
        EXPECT_EQ(t.recovery, ERestoreRecovery::InUse);
        EXPECT_TRUE(t.staged);
    }
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_EQ(seen, QList<S>(std::begin(steps), std::end(steps)));

    ASSERT_EQ(m_session.Release(), 1);
    CMakeMsgID nextData;
    CDbManager next(nextData);
    EXPECT_EQ(next.Connect(next.Register(), m_strFolder), CDbManager::kDone);
}
