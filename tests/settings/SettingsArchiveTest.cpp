#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/BunruiData.h"
#include "settings/ComboData.h"
#include "settings/CounterInfo.h"

namespace
{

QString ResetText(const QString& path)
{
    return QString::fromUtf8("設定ファイル<%1>が壊れています。初期状態にしてよろしいですか？").arg(path);
}

// Tanto.dat holding "山田" (deletable) and "鈴木" (protected).
QByteArray TwoNames()
{
    return Hex("02 00 FF FF 01 00 0E 00") + "CComboDataElem" + Hex("04 8E 52 93 63 01 00 00 00") +
           Hex("01 80 04 97 E9 96 D8 00 00 00 00");
}

} // namespace

TEST(SettingsArchive, NoCurrentDatabaseFailsSilentlyAndWritesNothing)
{
    ScopedFakeUi ui;
    QTemporaryDir work;
    const QString oldCwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.path()));
    {
        CSettingsTestDb db(false);

        CBunruiData classes;
        EXPECT_EQ(classes.Load(), 0);
        EXPECT_EQ(classes.GetTitle(0, 1), QString::fromUtf8("分類２"));
        EXPECT_EQ(classes.SetTitle(0, 1, "x"), 0);
        EXPECT_EQ(classes.AddContentAndSave(0, 1, "x"), 0);
        EXPECT_EQ(classes.Save(), 0);

        CComboData names;
        EXPECT_EQ(names.Load(COMBO_TANTO), 0);
        EXPECT_EQ(names.Add("x"), 0);
        EXPECT_EQ(names.Save(), 0);

        CCounterInfo counter;
        EXPECT_EQ(counter.GetElem(COUNTER_RECEIPT), nullptr);
        EXPECT_EQ(counter.Increment(), 0);
        EXPECT_EQ(counter.Save(), 0);

        // A registered database whose folder is gone is no better.
        ASSERT_EQ(CDBDirMng().AddCompName("gone", db.Root() + "/gone", true), 1);
        EXPECT_EQ(classes.Load(), 0);
        EXPECT_EQ(names.Load(COMBO_UNIT), 0);
        EXPECT_EQ(counter.Load(COUNTER_STOCK), 0);

        EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
        EXPECT_EQ(QDir(db.Root()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
    EXPECT_EQ(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    QDir::setCurrent(oldCwd);
}

TEST(SettingsArchive, DamagedFileIsOfferedForReset)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    const QString path = db.File("Tanto.dat");
    const QByteArray good = TwoNames();

    // Each damage reads as an archive error: cut short, wrong schema, a
    // class of another file, a count beyond the bytes.
    QByteArray wrongSchema = good;
    wrongSchema[4] = 2;
    QByteArray wrongClass = good;
    wrongClass.replace("CComboDataElem", "CComboDataEle_");
    const QList<QByteArray> damaged = {good.left(good.size() - 3), wrongSchema, wrongClass, Hex("05 00"),
                                       Hex("01")};
    for (const QByteArray& bytes : damaged) {
        CSettingsTestDb::Put(path, bytes);
        ui.Prompt().Clear();
        ui.Prompt().QueueAnswers({IDNO});
        CComboData names;
        EXPECT_EQ(names.Load(COMBO_TANTO), 0) << bytes.toHex().constData();
        EXPECT_TRUE(names.GetElems().empty());
        // One box, and it names the file.
        ASSERT_EQ(ui.Prompt().Calls().size(), 1);
        const CPromptCall& reset = ui.Prompt().Calls()[0];
        EXPECT_EQ(reset.text, ResetText(path));
        EXPECT_EQ(reset.buttons, MB_YESNO);
        EXPECT_EQ(reset.icon, MB_ICONINFORMATION);
        // No keeps the file, and nothing may write over it.
        EXPECT_EQ(names.Add("x"), 0);
        EXPECT_EQ(names.Save(), 0);
        EXPECT_EQ(CSettingsTestDb::Get(path), bytes);
    }

    // The classifications refuse to save over a file the user kept.
    CSettingsTestDb::Put(db.File("ClassTitle.dat"), Hex("01 00 FF FF"));
    ui.Prompt().QueueAnswers({IDNO});
    CBunruiData classes;
    EXPECT_EQ(classes.Load(), 0);
    EXPECT_EQ(classes.Save(), 0);
    EXPECT_EQ(CSettingsTestDb::Get(db.File("ClassTitle.dat")), Hex("01 00 FF FF"));

    // Yes deletes the file and starts from the empty list.
    ui.Prompt().Clear();
    ui.Prompt().QueueAnswers({IDYES});
    CComboData names;
    EXPECT_EQ(names.Load(COMBO_TANTO), 1);
    EXPECT_TRUE(names.GetElems().empty());
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{ResetText(path)});
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(ui.Prompt().ScriptErrors().isEmpty());
}

TEST(SettingsArchive, FileNamesMatchWithoutCaseAndEmptyCollections)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    CSettingsTestDb::Put(db.File("TANTO.DAT"), TwoNames());

    CComboData names;
    ASSERT_EQ(names.Load(COMBO_TANTO), 1);
    ASSERT_EQ(names.GetElems().size(), 2u);
    EXPECT_EQ(names.GetElems()[0]->m_strText, QString::fromUtf8("山田"));
    EXPECT_EQ(names.GetElems()[0]->m_nDeletable, 1);
    EXPECT_EQ(names.GetElems()[1]->m_strText, QString::fromUtf8("鈴木"));
    EXPECT_EQ(names.GetElems()[1]->m_nDeletable, 0);

    // A protected entry keeps its flag through a save; the stored name's
    // case is replaced in place, never doubled.
    names.GetElems()[1]->m_strText = QString::fromUtf8("山田");
    names.GetElems()[0]->m_strText = QString::fromUtf8("鈴木");
    ASSERT_EQ(names.Save(), 1);
    EXPECT_EQ(db.Files(), QStringList{"TANTO.DAT"});
    EXPECT_EQ(CSettingsTestDb::Get(db.File("TANTO.DAT")), Hex("02 00 FF FF 01 00 0E 00") + "CComboDataElem" +
                                                              Hex("04 97 E9 96 D8 01 00 00 00") +
                                                              Hex("01 80 04 8E 52 93 63 00 00 00 00"));

    // No elements: the two bytes 00 00, read back as an empty list.
    names.GetElems().clear();
    ASSERT_EQ(names.Save(), 1);
    EXPECT_EQ(CSettingsTestDb::Get(db.File("TANTO.DAT")), Hex("00 00"));
    CComboData again;
    EXPECT_EQ(again.Load(COMBO_TANTO), 1);
    EXPECT_TRUE(again.GetElems().empty());
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}
