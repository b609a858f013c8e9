#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/archive/AutFile.h"
#include "platform/ui/FakeUi.h"
#include "settings/SalesCondition.h"
#include "settings/dlg/SalesConditionDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// One archived text: its length byte and CP932 bytes.
QByteArray Aut(const QByteArray& cp932)
{
    return char(cp932.size()) + cp932;
}

// Loads the texts as if each had been read from its file.
CSalesConditionRules Loaded(const QMap<int, QString>& texts)
{
    CSalesConditionRules rules;
    QStringList all = rules.SaveTexts();
    QList<bool> found(CSalesConditionRules::kFileCount, false);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        all[it.key()] = it.value();
        found[it.key()] = true;
    }
    rules.SetTexts(all, found);
    return rules;
}

enum {
    ROUND,
    PRICEROUND,
    TAXTYPE,
    TAXROUND,
    CLOSEDAY,
    CYCLE,
    DAY,
    METHOD,
    AMOUNT,
    TERM,
    HINBAN,
    REMARKS,
    DIGITS
};

} // namespace

TEST(SalesCondition, ClosingDayTableBothWays)
{
    const int days[30] = {0,  99, 5,  10, 15, 20, 25, 1,  2,  3,  4,  6,  7,  8,  9,
                          11, 12, 13, 14, 16, 17, 18, 19, 21, 22, 23, 24, 26, 27, 28};
    const QStringList texts = CloseDayTexts();
    ASSERT_EQ(texts.size(), 30);
    for (int index = 0; index < 30; ++index) {
        EXPECT_EQ(CloseDayFromIndex(index), days[index]) << index;
        EXPECT_EQ(CloseDayToIndex(days[index]), index) << index;
    }
    EXPECT_EQ(texts[0], U("都度"));
    EXPECT_EQ(texts[1], U("月末締"));
    EXPECT_EQ(texts[6], U("毎月25日締"));
    EXPECT_EQ(texts[29], U("毎月28日締"));
    EXPECT_EQ(CloseDayFromIndex(-1), 99);
    EXPECT_EQ(CloseDayFromIndex(30), 99);
    for (const int odd : {31, 99, -1, 29})
        EXPECT_EQ(CloseDayToIndex(odd), 1) << odd;
}

TEST(SalesCondition, LoadAndSaveCodings)
{
    const struct {
        int file;
        const char* text;
        int CSalesConditionRules::*member;
        int shown;
        const char* saved; // what the file gets back
    } cases[] = {
        {TAXTYPE, "0", &CSalesConditionRules::m_nTaxType, 4, "0"},
        {TAXTYPE, "1", &CSalesConditionRules::m_nTaxType, 0, "1"},
        {TAXTYPE, "3", &CSalesConditionRules::m_nTaxType, 2, "3"},
        {TAXTYPE, "4", &CSalesConditionRules::m_nTaxType, 3, "4"},
        {TAXTYPE, "7", &CSalesConditionRules::m_nTaxType, 3, "4"},
        {CLOSEDAY, "28", &CSalesConditionRules::m_nCloseDay, 29, "28"},
        {CLOSEDAY, "31", &CSalesConditionRules::m_nCloseDay, 1, "99"},
        {CLOSEDAY, "-1", &CSalesConditionRules::m_nCloseDay, 1, "99"},
        {CLOSEDAY, "", &CSalesConditionRules::m_nCloseDay, 0, "0"},
        // Out-of-range codes show no selection and are kept.
        {ROUND, "0", &CSalesConditionRules::m_nRound, -1, "0"},
        {ROUND, "", &CSalesConditionRules::m_nRound, -1, "0"},
        {ROUND, "3", &CSalesConditionRules::m_nRound, 2, "3"},
        {CYCLE, "9", &CSalesConditionRules::m_nCycle, 9, "9"},
        {HINBAN, "0", &CSalesConditionRules::m_nShowCode, 1, "0"},
        {HINBAN, "1", &CSalesConditionRules::m_nShowCode, 0, "1"},
        {HINBAN, "5", &CSalesConditionRules::m_nShowCode, 0, "1"},
        {METHOD, "相殺", &CSalesConditionRules::m_nMethod, 4, "相殺"},
        {METHOD, "ｹﾞﾝｷﾝ", &CSalesConditionRules::m_nMethod, 5, "その他"},
        {METHOD, "", &CSalesConditionRules::m_nMethod, 5, "その他"},
        {TERM, "3 months", &CSalesConditionRules::m_nMonths, 3, "3"},
    };
    for (const auto& c : cases) {
        const CSalesConditionRules rules = Loaded({{c.file, U(c.text)}});
        EXPECT_EQ(rules.*c.member, c.shown) << c.file << " " << c.text;
        EXPECT_EQ(rules.SaveTexts()[c.file], U(c.saved)) << c.file << " " << c.text;
    }

    // The due day follows the cycle loaded with it.
    CSalesConditionRules days = Loaded({{CYCLE, "0"}, {DAY, "-3"}});
    EXPECT_EQ(days.m_nDayCount, 1);
    EXPECT_EQ(days.m_nDayIndex, 0);
    EXPECT_EQ(days.SaveTexts()[DAY], "1");
    days = Loaded({{CYCLE, "0"}, {DAY, "45"}});
    EXPECT_EQ(days.SaveTexts()[DAY], "45");
    for (const char* monthEnd : {"99", "30", "0"}) {
        days = Loaded({{CYCLE, "2"}, {DAY, monthEnd}});
        EXPECT_EQ(days.m_nDayIndex, 0) << monthEnd;
        EXPECT_EQ(days.m_nDayCount, 1) << monthEnd;
        EXPECT_EQ(days.SaveTexts()[DAY], "99") << monthEnd;
    }
    days = Loaded({{CYCLE, "3"}, {DAY, "28"}});
    EXPECT_EQ(days.m_nDayIndex, 28);
    EXPECT_EQ(days.SaveTexts()[DAY], "28");

    EXPECT_EQ(CSalesConditionRules::ExampleText(0, 0), U("（例：1.5→1）"));
    EXPECT_EQ(CSalesConditionRules::ExampleText(0, 2), U("（例：1.5→2）"));
    EXPECT_EQ(CSalesConditionRules::ExampleText(1, 0), U("（例：1.45→1.4）"));
    EXPECT_EQ(CSalesConditionRules::ExampleText(1, 1), U("（例：1.45→1.5）"));
    EXPECT_EQ(CSalesConditionRules::ExampleText(2, 0), U("（例：1.456→1.45）"));
    EXPECT_EQ(CSalesConditionRules::ExampleText(2, -1), U("（例：1.456→1.46）"));
    EXPECT_EQ(CSalesConditionRules::ExampleText(-1, 0), QString());
}

TEST(SalesCondition, FreshFolderWritesTheDefaultsInTableOrder)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    CSalesConditionRules rules;
    rules.Load(db.Folder());
    EXPECT_EQ(rules.m_nCloseDay, 1);
    EXPECT_EQ(rules.m_nTaxType, 1);
    EXPECT_EQ(rules.m_nCycle, 2);
    EXPECT_EQ(rules.m_nMonths, 12);
    ASSERT_TRUE(rules.Save(db.Folder()));
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());

    const QList<QByteArray> golden{
        Aut("1"), Aut("1"),  Aut("2"), Aut("1"), Aut("99"), Aut("2"), Aut("99"), Aut("\x8c\xbb\x8b\xe0"),
        Aut("0"), Aut("12"), Aut("0"), Aut("1"), Aut("0")};
    const QStringList names = CSalesConditionRules::FileNames();
    ASSERT_EQ(names.size(), golden.size());
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(CSettingsTestDb::Get(db.File("Other/" + names[i])), golden[i]) << names[i].toStdString();
    EXPECT_EQ(QDir(db.File("Other")).entryList(QDir::Files).size(), 13);
}

TEST(SalesCondition, StoredFilesRulesAndFailures)
{
    ScopedFakeUi ui;
    CFakePrompt& prompt = ui.Prompt();
    CSettingsTestDb db;
    QDir().mkpath(db.File("Other"));
    CSettingsTestDb::Put(db.File("Other/CloseDay.aut"), Aut("15"));
    CSettingsTestDb::Put(db.File("Other/taxtype.aut"), Aut("3"));
    CSettingsTestDb::Put(db.File("Other/PloTerm.aut"), Hex("05 31"));                // cut short
    CSettingsTestDb::Put(db.File("Other/CollectType.aut"), Aut("\x90\x55\x8d\x9e")); // 振込

    // The damaged file is named once and keeps its default; the rest load.
    CSalesConditionRules rules;
    rules.Load(db.Folder());
    ASSERT_EQ(prompt.Calls().size(), 1);
    EXPECT_TRUE(prompt.Texts()[0].contains(U("PloTerm.aut"))) << prompt.Texts()[0].toStdString();
    EXPECT_EQ(rules.m_nMonths, 12);
    EXPECT_EQ(rules.m_nCloseDay, 4);
    EXPECT_EQ(rules.m_nTaxType, 2);
    EXPECT_EQ(rules.m_nMethod, 2);
    prompt.Clear();

    // "都度" with "請求時" is refused and nothing is written.
    rules.m_nCloseDay = 0;
    rules.m_nTaxType = 0;
    EXPECT_FALSE(rules.Save(db.Folder()));
    ASSERT_EQ(
        prompt.Texts(),
        QStringList{
            U("締日の設定が「都度」になっています。\n税転嫁方法に「請求時」を設定することは出来ません。\n")});
    EXPECT_EQ(CSettingsTestDb::Get(db.File("Other/CloseDay.aut")), Aut("15"));
    EXPECT_EQ(QDir(db.File("Other")).entryList(QDir::Files).size(), 4);
    prompt.Clear();
    rules.m_nTaxType = 1;
    rules.m_nMonths = 13;
    EXPECT_FALSE(rules.Save(db.Folder()));
    EXPECT_EQ(prompt.Calls().size(), 1);
    rules.m_nMonths = 6;

    // Existing files are replaced under their own spelling.
    ASSERT_TRUE(rules.Save(db.Folder()));
    const QStringList stored = QDir(db.File("Other")).entryList(QDir::Files);
    EXPECT_TRUE(stored.contains("CloseDay.aut"));
    EXPECT_FALSE(stored.contains("CLOSEDAY.AUT"));
    EXPECT_TRUE(stored.contains("PloTerm.aut"));
    EXPECT_EQ(stored.size(), 13);
    EXPECT_EQ(CSettingsTestDb::Get(db.File("Other/CloseDay.aut")), Aut("0"));
    EXPECT_EQ(CSettingsTestDb::Get(db.File("Other/PloTerm.aut")), Aut("6"));
    prompt.Clear();

    // No current database: refused with a message, nothing written anywhere.
    EXPECT_FALSE(rules.Save(QString()));
    EXPECT_EQ(prompt.Calls().size(), 1);
    prompt.Clear();

    // An "Other" that is a plain file: reported by name, not done.
    CSettingsTestDb plain;
    CSettingsTestDb::Put(plain.File("Other"), "not a folder");
    EXPECT_FALSE(rules.Save(plain.Folder()));
    ASSERT_EQ(prompt.Calls().size(), 1);
    EXPECT_TRUE(prompt.Texts()[0].contains(U("CLOSEDAY.AUT")));
}

TEST(SalesConditionDlg, ShowsStoredValuesAndSavesChanges)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    QDir().mkpath(db.File("Other"));
    CSettingsTestDb::Put(db.File("Other/COLLECTCYCLE.AUT"), Aut("0"));
    CSettingsTestDb::Put(db.File("Other/COLLECTDAY.AUT"), Aut("45"));
    CSettingsTestDb::Put(db.File("Other/PRICEDIGIT.AUT"), Aut("1"));

    CSalesConditionDlg dlg;
    dlg.show();
    auto* cycle = dlg.findChild<QComboBox*>("cycle");
    auto* day = dlg.findChild<QComboBox*>("day");
    auto* dayCount = dlg.findChild<QLineEdit*>("dayCount");
    auto* example = dlg.findChild<QLabel*>("example");
    auto* priceRound = dlg.findChild<QComboBox*>("priceRound");
    auto* months = dlg.findChild<QSpinBox*>("months");
    auto* closeDay = dlg.findChild<QComboBox*>("closeDay");
    auto* exclude = dlg.findChild<QRadioButton*>("carryExclude");
    ASSERT_TRUE(cycle && day && dayCount && example && priceRound && months && closeDay && exclude);
    EXPECT_EQ(cycle->currentText(), U("請求後"));
    EXPECT_TRUE(dayCount->isVisible());
    EXPECT_FALSE(day->isVisible());
    EXPECT_EQ(dayCount->text(), "45");
    EXPECT_EQ(example->text(), U("（例：1.45→1.4）"));
    EXPECT_EQ(closeDay->currentText(), U("月末締"));

    priceRound->setCurrentIndex(2);
    EXPECT_EQ(example->text(), U("（例：1.45→1.5）"));
    cycle->setCurrentIndex(2);
    EXPECT_FALSE(dayCount->isVisible());
    EXPECT_TRUE(day->isVisible());
    day->setCurrentIndex(20);
    months->setValue(12);
    months->stepBy(1);
    EXPECT_EQ(months->value(), 1);
    months->stepBy(-1);
    months->stepBy(-1);
    EXPECT_EQ(months->value(), 11);
    closeDay->setCurrentIndex(7);
    exclude->setChecked(true);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());

    const auto stored = [&db](const char* name) {
        return ReadAutFile(db.File(QStringLiteral("Other/") + name), nullptr);
    };
    EXPECT_EQ(stored("COLLECTCYCLE.AUT"), "2");
    EXPECT_EQ(stored("COLLECTDAY.AUT"), "20");
    EXPECT_EQ(stored("PRICEROUNDTYPE.AUT"), "3");
    EXPECT_EQ(stored("PLOTERM.AUT"), "11");
    EXPECT_EQ(stored("CLOSEDAY.AUT"), "1");
    EXPECT_EQ(stored("COLLECTAMOUNT.AUT"), "1");

    // Help topic of the "？" button.
    for (QPushButton* button : dlg.findChildren<QPushButton*>())
        if (button->text() == U("？"))
            button->click();
    EXPECT_EQ(ui.Help().Topics(), QList<int>{1508});
}
