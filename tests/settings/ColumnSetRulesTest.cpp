#include "ColumnSetTestDb.h"

#include "settings/ColumnSetRules.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList LeftFields(const CColumnSetRules& rules)
{
    QStringList fields;
    for (int i = 0; i < rules.GetLeftCaptions().size(); ++i)
        fields << rules.GetLeftColumn(i).m_strField;
    return fields;
}

QStringList RightFields(const CColumnSetRules& rules)
{
    QStringList fields;
    for (int i = 0; i < rules.GetRightCaptions().size(); ++i)
        fields << rules.GetRightColumn(i).m_strField;
    return fields;
}

int RowOf(const QStringList& fields, const char* field)
{
    return int(fields.indexOf(QString::fromLatin1(field)));
}

const QStringList kCustomerHidden = {"Company", "Section",        "Keisho",       "Name",
                                     "Keisho2", "PhoenicCompany", "PhoenicPerson"};

} // namespace

TEST(ColumnSetRules, DisplayModeMovesColumnsAndSavesWhatItShows)
{
    CColumnTestDb db;
    CColumnSetRules rules(CColumnSetRules::kDisplay);
    rules.SetListKind(kListCustomer);
    EXPECT_EQ(rules.GetCaption(), U("表示列を設定します"));
    EXPECT_EQ(rules.GetHeader(), U("得意先一覧リストの表示列を設定します"));
    EXPECT_EQ(rules.GetToLeftText(), U("←表示する"));
    EXPECT_EQ(rules.GetRightLabel(), U("表示しない列"));
    EXPECT_TRUE(rules.HasSortGroup());
    EXPECT_FALSE(rules.HasAllButtons());
    EXPECT_EQ(rules.GetHelpTopic(), 1650);

    // Fresh database: the factory's shown columns left, its hidden ones right.
    ASSERT_TRUE(rules.Open());
    QStringList left = LeftFields(rules);
    EXPECT_EQ(left.size(), 28);
    EXPECT_EQ(left.first(), "CustomerCode");
    EXPECT_EQ(RightFields(rules), kCustomerHidden);
    EXPECT_EQ(rules.GetRightColumn(0).m_nShown, 0);
    EXPECT_EQ(rules.GetLeftColumn(0).m_nShown, 1);
    EXPECT_EQ(rules.GetSortCaptions().size(), 33); // every column but the two composites
    EXPECT_EQ(rules.GetSortField(rules.GetSortIndex()), "CustomerCode");
    EXPECT_EQ(rules.GetSortOrder(), 0);

    // Nothing selected: every move explains itself and changes nothing.
    EXPECT_FALSE(rules.CanMoveToLeft() || rules.CanMoveToRight() || rules.CanMoveUp() || rules.CanMoveDown());
    rules.MoveToLeft();
    rules.MoveToRight();
    rules.MoveUp();
    rules.MoveDown();
    EXPECT_EQ(
        db.Prompt().Texts(),
        QStringList({U("表示する項目を選択してください。"), U("表示しない項目を選択してください。"),
                     U("上に移動する項目を選択してください。"), U("下に移動する項目を選択してください。")}));
    EXPECT_EQ(LeftFields(rules), left);

    // The ends.
    db.Prompt().Clear();
    rules.SelectLeft(0);
    EXPECT_FALSE(rules.CanMoveUp());
    EXPECT_TRUE(rules.CanMoveDown());
    rules.MoveUp();
    rules.SelectLeft(27);
    EXPECT_TRUE(rules.CanMoveUp());
    EXPECT_FALSE(rules.CanMoveDown());
    rules.MoveDown();
    EXPECT_EQ(db.Prompt().Texts(), QStringList({U("既にいちばん上です"), U("既にいちばん下です")}));
    rules.SelectLeft(28);
    EXPECT_EQ(rules.GetLeftSel(), -1);

    // Moving down and up carries the selection along.
    rules.SelectLeft(0);
    rules.MoveDown();
    EXPECT_EQ(rules.GetLeftSel(), 1);
    rules.MoveDown();
    EXPECT_EQ(RowOf(LeftFields(rules), "CustomerCode"), 2);
    rules.MoveUp();
    EXPECT_EQ(rules.GetLeftSel(), 1);

    // A column moved right returns to its factory place, not to the end.
    rules.SelectLeft(1);
    ASSERT_TRUE(rules.CanMoveToRight());
    rules.MoveToRight();
    EXPECT_EQ(RightFields(rules), QStringList({"CustomerCode"}) + kCustomerHidden);
    EXPECT_EQ(rules.GetRightColumn(0).m_nShown, 0);
    EXPECT_EQ(rules.GetLeftSel(), -1);
    // A column moved left goes to the end of the chosen ones.
    rules.SelectRight(RowOf(RightFields(rules), "Name"));
    ASSERT_TRUE(rules.CanMoveToLeft());
    rules.MoveToLeft();
    EXPECT_EQ(LeftFields(rules).last(), "Name");
    EXPECT_EQ(rules.GetLeftColumn(27).m_nShown, 1);
    EXPECT_EQ(RowOf(RightFields(rules), "Name"), -1);

    rules.SetSortIndex(int(rules.GetSortCaptions().indexOf(U("郵便番号"))));
    rules.SetSortOrder(1);
    db.Prompt().Clear();
    ASSERT_TRUE(rules.OnOK());
    EXPECT_EQ(db.Prompt().Texts(),
              QStringList({U("起動時の並び順は、次に一覧画面を表示し直したときから変更されます。")}));

    // What was saved is what the list and the next opening show.
    const QStringList saved = LeftFields(rules);
    CQXColSet shown;
    ASSERT_EQ(CQXColOperate().GetColSet(1, shown), 1);
    QStringList shownFields;
    for (const CQXCol& col : shown.m_cols)
        shownFields << col.m_strField;
    EXPECT_EQ(shownFields, saved);
    CDefaultSortList sorts; // owns what Find answers
    const CDefaultSort* sort = sorts.Find(kListCustomer);
    ASSERT_NE(sort, nullptr);
    EXPECT_EQ(sort->m_strField, "Zip");
    EXPECT_EQ(sort->m_nOrder, 1);

    CColumnSetRules again(CColumnSetRules::kDisplay);
    again.SetListKind(kListCustomer);
    ASSERT_TRUE(again.Open());
    EXPECT_EQ(LeftFields(again), saved);
    EXPECT_EQ(RightFields(again), QStringList({"CustomerCode", "Company", "Section", "Keisho", "Keisho2",
                                               "PhoenicCompany", "PhoenicPerson"}));
    EXPECT_EQ(again.GetSortField(again.GetSortIndex()), "Zip");
    EXPECT_EQ(again.GetSortOrder(), 1);

    // Defaults: the factory's shown columns and the code field ascending,
    // without touching either file until OK.
    const QByteArray displayBytes = db.Read(db.DisplayPath());
    again.RestoreDefaults();
    EXPECT_EQ(LeftFields(again), left);
    EXPECT_EQ(RightFields(again), kCustomerHidden);
    EXPECT_EQ(again.GetSortField(again.GetSortIndex()), "CustomerCode");
    EXPECT_EQ(again.GetSortOrder(), 0);
    EXPECT_EQ(db.Read(db.DisplayPath()), displayBytes);

    // No column chosen: OK refuses and writes nothing.
    db.Prompt().Clear();
    for (int i = int(LeftFields(again).size()); i > 0; --i) {
        again.SelectLeft(0);
        again.MoveToRight();
    }
    EXPECT_EQ(RightFields(again).size(), 35);
    EXPECT_FALSE(again.OnOK());
    EXPECT_EQ(db.Prompt().Texts(),
              QStringList({U("表示する項目が一つもありません。\n表示する項目を一つ以上指定してください。")}));
    EXPECT_EQ(db.Read(db.DisplayPath()), displayBytes);
}

TEST(ColumnSetRules, DisplayModeTakesWidthsOfShownColumnsAndKeepsProductRule)
{
    CColumnTestDb db;
    CQXColSet items;
    items.m_nID = 0;
    items.m_cols << CQXCol("Price", "P", 123, 0, 1) << CQXCol("Nowhere", "?", 0, 0, 1)
                 << CQXCol("ItemCode", "C", 0, 0, 1) << CQXCol("Price", "P2", 9, 1, 1)
                 << CQXCol("StockType", "S", 0, 0, 1);
    ASSERT_EQ(CQXColOperate().SaveColSet(items), 1);

    CColumnSetRules rules(CColumnSetRules::kDisplay);
    rules.SetListKind(kListItem);
    ASSERT_TRUE(rules.Open());
    EXPECT_EQ(rules.GetHeader(), U("商品一覧リストの表示列を設定します"));
    // Unknown and repeated columns are dropped, the rest keep what the list
    // gave them.
    EXPECT_EQ(LeftFields(rules), QStringList({"Price", "ItemCode"}));
    EXPECT_EQ(rules.GetLeftColumn(0), CQXCol("Price", "P", 123, 0, 1));
    EXPECT_EQ(RightFields(rules).size(), 17);
    QStringList offered = LeftFields(rules) + RightFields(rules);
    for (int i = 0; i < rules.GetSortCaptions().size(); ++i)
        offered << rules.GetSortField(i);
    for (const char* gone : {"StockType", "StockNumber", "StockJustNumber", "SetItem", "SupplierCode"})
        EXPECT_EQ(RowOf(offered, gone), -1) << gone;
    EXPECT_EQ(rules.GetSortField(rules.GetSortIndex()), "ItemCode");

    ASSERT_TRUE(rules.OnOK());
    CQXColSet shown;
    ASSERT_EQ(CQXColOperate().GetColSet(0, shown), 1);
    EXPECT_EQ(shown.m_cols,
              QList<CQXCol>({CQXCol("Price", "P", 123, 0, 1), CQXCol("ItemCode", "C", 0, 0, 1)}));
}

TEST(ColumnSetRules, ExportModeStartsEmptyAndWritesNoFile)
{
    CColumnTestDb db;
    CColumnSetRules rules(CColumnSetRules::kExport);
    rules.SetListKind(kListSupplier);
    EXPECT_EQ(rules.GetCaption(), U("書き出し列を設定します"));
    EXPECT_EQ(rules.GetHeader(), U("仕入先一覧リストの書き出し列を設定します"));
    EXPECT_EQ(rules.GetToLeftText(), U("←書き出す"));
    EXPECT_EQ(rules.GetToRightText(), U("書き出さない→"));
    EXPECT_EQ(rules.GetLeftLabel(), U("書き出す列"));
    EXPECT_EQ(rules.GetRightLabel(), U("書き出さない列"));
    EXPECT_TRUE(rules.HasAllButtons());
    EXPECT_FALSE(rules.HasSortGroup());
    EXPECT_EQ(rules.GetHelpTopic(), 1642);

    // The factory file is built on demand even before any list was shown.
    ASSERT_TRUE(rules.Open());
    EXPECT_TRUE(LeftFields(rules).isEmpty());
    const QStringList right = RightFields(rules);
    EXPECT_EQ(right.size(), 42);
    EXPECT_EQ(RowOf(right, "Company_Section_Name"), -1);
    EXPECT_EQ(RowOf(right, "PhoenicCompany_PhoenicPerson"), -1);
    EXPECT_EQ(right.first(), "SupplierCode");
    EXPECT_TRUE(rules.GetSortCaptions().isEmpty());

    EXPECT_TRUE(rules.CanMoveAllToLeft());
    EXPECT_FALSE(rules.CanMoveAllToRight());
    rules.MoveAllToRight();
    rules.MoveAllToLeft();
    EXPECT_EQ(LeftFields(rules), right);
    EXPECT_TRUE(RightFields(rules).isEmpty());
    EXPECT_FALSE(rules.CanMoveAllToLeft());
    rules.MoveAllToLeft();
    rules.MoveAllToRight();
    EXPECT_EQ(RightFields(rules), right);
    EXPECT_EQ(db.Prompt().Texts(),
              QStringList({U("すでに全ての項目が書き出ししない項目に設定されています。"),
                           U("すでに全ての項目が書き出しする項目に設定されています。")}));

    db.Prompt().Clear();
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(db.Prompt().Texts(),
              QStringList(
                  {U("書き出しする項目が一つもありません。\n書き出しする項目を一つ以上指定してください。")}));

    rules.SelectRight(RowOf(right, "TEL"));
    rules.MoveToLeft();
    rules.SelectRight(RowOf(RightFields(rules), "Bank"));
    rules.MoveToLeft();
    rules.SelectLeft(1);
    rules.MoveUp();
    ASSERT_TRUE(rules.OnOK());
    EXPECT_EQ(rules.GetResultSet().m_nID, 2);
    EXPECT_EQ(rules.GetResultSet().m_cols,
              QList<CQXCol>({CQXCol("Bank", U("銀行名"), 0, 0, 1), CQXCol("TEL", "TEL", 0, 0, 1)}));
    EXPECT_FALSE(QFileInfo::exists(db.DisplayPath()));
    EXPECT_FALSE(QFileInfo::exists(db.SortPath()));
}

TEST(ColumnSetRules, DamagedFactoryFileIsBuiltAgainAndOnlyAFailedBuildIsReported)
{
    CColumnTestDb db;
    CQXColSet fresh;
    ASSERT_EQ(CQXColOperate().GetDefaultColSet(0, fresh), 1);
    const QByteArray built = db.Read(db.FactoryPath());
    ASSERT_FALSE(built.isEmpty());

    const QList<QByteArray> damaged = {
        QByteArray::fromHex("0100ffff0100"), // ends inside the first set
        built.left(built.size() / 2),
        QByteArray::fromHex("0000"), // reads, but holds no list
        QByteArray(),
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.left(16).toHex(' ').toStdString());
        ASSERT_TRUE(db.Write(db.FactoryPath(), bytes));
        CColumnSetRules rules(CColumnSetRules::kDisplay);
        rules.SetListKind(kListItem);
        EXPECT_TRUE(rules.Open());
        EXPECT_FALSE(rules.GetLeftCaptions().isEmpty());
        EXPECT_EQ(db.Read(db.FactoryPath()), built);
        EXPECT_TRUE(db.Prompt().Texts().isEmpty());
    }

    // A factory file that cannot be replaced (here a folder of that name)
    // leaves both lists empty with the advice.
    ASSERT_TRUE(QFile::remove(db.FactoryPath()));
    ASSERT_TRUE(QDir().mkpath(db.FactoryPath()));
    CColumnSetRules rules(CColumnSetRules::kDisplay);
    rules.SetListKind(kListItem);
    EXPECT_FALSE(rules.Open());
    EXPECT_TRUE(rules.GetLeftCaptions().isEmpty());
    EXPECT_TRUE(rules.GetRightCaptions().isEmpty());
    EXPECT_EQ(db.Prompt().Texts(),
              QStringList{U("列情報の取得に失敗しました。\n再インストールしてください。")});
    EXPECT_FALSE(rules.OnOK());
    EXPECT_FALSE(QFileInfo::exists(db.DisplayPath()));
}
