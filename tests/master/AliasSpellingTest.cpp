#include "MasterTestDb.h"

#include "master/MasterEditRules.h"
#include "master/MasterList.h"
#include "settings/BunruiComboModel.h"
#include "settings/BunruiData.h"
#include "settings/ComboData.h"
#include "settings/ComboDataBoxModel.h"

namespace
{

QStringList Codes(const CMasterList& list)
{
    QStringList codes;
    for (int row = 0; row < list.Model().GetRowCount(); ++row)
        codes << list.Model()
                     .RecordAt(row)
                     ->GetOneField(list.GetTableName(), list.GetCodeFieldName())
                     ->GetText();
    return codes;
}

void ForgetContents(int ledger, int index)
{
    CBunruiData file;
    ASSERT_EQ(file.Load(), 1);
    if (CBunruiDataElem* elem = file.Find(ledger, index)) {
        elem->m_contents.clear();
        ASSERT_EQ(file.Save(), 1);
    }
}

} // namespace

class AliasSpellingTest : public CMasterDbTest
{
};

// A classification typed with a character code page 932 writes as another
// one ("¥" as "\"): the list learns it once, in the form its file gives
// back; the list filter on that form finds the records typed either way;
// and the bulk change from the list keeps the spelling the records hold.
TEST_F(AliasSpellingTest, ClassificationKeepsOneSpelling)
{
    const struct {
        QString typed;  // as entered in the entry dialog
        QString listed; // as the classification file gives it back
    } cases[] = {
        {u"¥100均一"_qs, u"\\100均一"_qs}, {u"A‾B"_qs, u"A~B"_qs},          {u"−5%引"_qs, u"－5%引"_qs},
        {u"春〜夏"_qs, u"春～夏"_qs},      {u"¢セール"_qs, u"￠セール"_qs}, {u"O'Neil¥"_qs, u"O'Neil\\"_qs},
    };
    for (const auto& c : cases) {
        const std::string name = c.typed.toStdString();
        Exec(QStringLiteral("DELETE FROM Customer WHERE CustomerCode <> '　'"));
        Exec(QStringLiteral("INSERT INTO Customer(CustomerCode, Class1) VALUES('C1', '%1'), ('C2', '%1'), "
                            "('C3', 'other'), ('C4', '')")
                 .arg(QString(c.typed).replace(u'\'', QStringLiteral("''"))));
        ForgetContents(BUNRUI_CUSTOMER, 0);

        // Three visits of the entry dialog: one entry, as the file has it.
        for (int visit = 0; visit < 3; ++visit) {
            CBunruiComboModel box;
            ASSERT_EQ(box.Fill(BUNRUI_CUSTOMER, 0), 1) << name;
            EXPECT_EQ(box.Learn(c.typed), visit == 0) << name << " visit " << visit;
            EXPECT_EQ(box.Learn(c.listed), false) << name;
            EXPECT_EQ(box.GetItems(), QStringList{c.listed}) << name;
        }
        CBunruiData file;
        ASSERT_EQ(file.Load(), 1);
        ASSERT_NE(file.Find(BUNRUI_CUSTOMER, 0), nullptr) << name;
        EXPECT_EQ(file.Find(BUNRUI_CUSTOMER, 0)->m_contents, QStringList{c.listed}) << name;

        // The list's value box offers the listed form; both spellings match.
        CMasterDb db(m_data);
        CMasterList list(CMasterKind::Customers(), db);
        list.SetFilter(1, c.listed);
        EXPECT_EQ(list.Reload(true), 2) << name;
        EXPECT_EQ(Codes(list), QStringList({"C1", "C2"})) << name;
        EXPECT_EQ(list.GetCountLine(), QStringLiteral("件数 : 2 ／ 4件")) << name;

        // The bulk change with the listed form writes the records' spelling.
        CMasterList all(CMasterKind::Customers(), db);
        all.Reload(true);
        ASSERT_EQ(Codes(all), QStringList({"C1", "C2", "C3", "C4"}));
        m_ui.Prompt().QueueAnswers({IDOK});
        CBulkEditResult edit;
        edit.field = QStringLiteral("Class1");
        edit.text = c.listed;
        EXPECT_EQ(CMasterEditRules(all).BulkModify({2, 3}, edit), 1) << name;
        EXPECT_EQ(Count(QStringLiteral("Customer"),
                        QStringLiteral("WHERE Class1 = '%1'")
                            .arg(QString(c.typed).replace(u'\'', QStringLiteral("''")))),
                  4)
            << name;
        m_ui.Prompt().Clear();
    }
}

// A value no record holds yet is written as chosen; a spelling that differs
// in letter case is another value, not a spelling of it.
TEST_F(AliasSpellingTest, BulkChangeWritesNewValuesAsChosen)
{
    Exec(QStringLiteral("INSERT INTO Customer(CustomerCode, Class2) VALUES('C1', 'a¥b'), ('C2', 'x')"));
    const struct {
        QString chosen;
        QString written;
    } cases[] = {
        {u"新規\\値"_qs, u"新規\\値"_qs},
        {u"A\\B"_qs, u"A\\B"_qs},
        {u"a\\b"_qs, u"a¥b"_qs},
        {u"plain"_qs, u"plain"_qs},
    };
    for (const auto& c : cases) {
        CMasterDb db(m_data);
        CMasterList list(CMasterKind::Customers(), db);
        list.Reload(true);
        m_ui.Prompt().QueueAnswers({IDOK});
        CBulkEditResult edit;
        edit.field = QStringLiteral("Class2");
        edit.text = c.chosen;
        EXPECT_EQ(CMasterEditRules(list).BulkModify({1}, edit), 1) << c.chosen.toStdString();
        CCDSData request, rows;
        request.m_strTable = QStringLiteral("Customer");
        request.m_strCondition = QStringLiteral("WHERE CustomerCode = 'C2'");
        QString err;
        ASSERT_EQ(m_data.GetDataList(request, rows, err), 1);
        EXPECT_EQ(rows.GetAt(0)->GetOneField(QStringLiteral("Customer"), QStringLiteral("Class2"))->GetText(),
                  c.written)
            << c.chosen.toStdString();
        m_ui.Prompt().Clear();
    }
}

// The staff list learns as the classifications do.
TEST_F(AliasSpellingTest, StaffListLearnsTheFileForm)
{
    for (int visit = 0; visit < 3; ++visit) {
        CComboDataBoxModel box;
        ASSERT_EQ(box.Fill(0, 1), 1);
        EXPECT_EQ(box.Learn(u"¥担当"_qs), visit == 0) << visit;
        EXPECT_EQ(box.GetItems().filter(u"担当"_qs), QStringList{u"\\担当"_qs}) << visit;
    }
}

// When the bulk change writes the spelling the records hold instead of the
// one chosen, its closing message says so; a value written as chosen adds
// nothing to it.
TEST_F(AliasSpellingTest, BulkChangeSaysWhenItKeptTheRecordsSpelling)
{
    Exec(QStringLiteral(
        "INSERT INTO Customer(CustomerCode, Class3) VALUES('C1', '¥100均一'), ('C2', '佐藤－一郎'), "
        "('C3', 'x')"));
    const QString done = u"一括変更されましたので、データを取得しなおします。"_qs;
    const struct {
        QString chosen;
        QString written;
        QString said;
    } cases[] = {
        {u"\\100均一"_qs, u"¥100均一"_qs,
         done + u"\n「\\100均一」は、登録済みのデータと同じ表記「¥100均一」で書き込みました。"_qs},
        {u"佐藤−一郎"_qs, u"佐藤－一郎"_qs,
         done + u"\n「佐藤−一郎」は、登録済みのデータと同じ表記「佐藤－一郎」で書き込みました。"_qs},
        {u"¥100均一"_qs, u"¥100均一"_qs, done},
        {u"新しい値"_qs, u"新しい値"_qs, done},
    };
    for (const auto& c : cases) {
        m_ui.Prompt().Clear();
        CMasterDb db(m_data);
        CMasterList list(CMasterKind::Customers(), db);
        list.Reload(true);
        m_ui.Prompt().QueueAnswers({IDOK});
        CBulkEditResult edit;
        edit.field = QStringLiteral("Class3");
        edit.text = c.chosen;
        const int row = int(Codes(list).indexOf(QStringLiteral("C3")));
        ASSERT_GE(row, 0);
        EXPECT_EQ(CMasterEditRules(list).BulkModify({row}, edit), 1) << c.chosen.toStdString();
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{c.said}) << c.chosen.toStdString();
        EXPECT_EQ(Count(QStringLiteral("Customer"),
                        QStringLiteral("WHERE CustomerCode = 'C3' AND Class3 = '%1'").arg(c.written)),
                  1)
            << c.chosen.toStdString();
    }
}

// Spellings held equally often: the one chosen stays when it is among
// them; otherwise the spelling most records hold is written, and said.
TEST_F(AliasSpellingTest, BulkChangeKeepsTheChosenSpellingOnATie)
{
    const QString done = u"一括変更されましたので、データを取得しなおします。"_qs;
    const QString yen = u"¥100均一"_qs, backslash = u"\\100均一"_qs;
    const struct {
        int yens, backslashes; // records holding each spelling
        QString chosen;
        QString written;
        bool said; // that the records' spelling was written
    } cases[] = {
        {1, 1, yen, yen, false},      {1, 1, backslash, backslash, false}, {2, 2, yen, yen, false},
        {1, 2, yen, backslash, true}, {2, 1, backslash, yen, true},
    };
    for (const auto& c : cases) {
        const std::string name =
            c.chosen.toStdString() + " of " + std::to_string(c.yens) + "/" + std::to_string(c.backslashes);
        Exec(QStringLiteral("DELETE FROM Customer WHERE CustomerCode <> '　'"));
        QStringList values{QStringLiteral("('X', 'x')")};
        for (int i = 0; i < c.yens + c.backslashes; ++i)
            values << QStringLiteral("('H%1', '%2')").arg(i).arg(i < c.yens ? yen : backslash);
        Exec(QStringLiteral("INSERT INTO Customer(CustomerCode, Class3) VALUES %1").arg(values.join(u',')));
        m_ui.Prompt().Clear();
        CMasterDb db(m_data);
        CMasterList list(CMasterKind::Customers(), db);
        list.Reload(true);
        m_ui.Prompt().QueueAnswers({IDOK});
        CBulkEditResult edit;
        edit.field = QStringLiteral("Class3");
        edit.text = c.chosen;
        const int row = int(Codes(list).indexOf(QStringLiteral("X")));
        ASSERT_GE(row, 0) << name;
        EXPECT_EQ(CMasterEditRules(list).BulkModify({row}, edit), 1) << name;
        EXPECT_EQ(
            m_ui.Prompt().Texts(),
            QStringList{c.said
                            ? done + u"\n「%1」は、登録済みのデータと同じ表記「%2」で書き込みました。"_qs.arg(
                                         c.chosen, c.written)
                            : done})
            << name;
        EXPECT_EQ(Count(QStringLiteral("Customer"),
                        QStringLiteral("WHERE CustomerCode = 'X' AND Class3 = '%1'").arg(c.written)),
                  1)
            << name;
    }
}
