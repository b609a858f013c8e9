#include "app/FieldCodes.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

CTb IntField(const QString& name, int value)
{
    CTb field(name);
    field = value;
    return field;
}

QString Shown(const QString& name, int value, int codeFlag = 0)
{
    const CTb field = IntField(name, value);
    return GetFieldDisplayText(&field, codeFlag);
}

// Every coded master field with its words: (table, field, code, word).
struct CWordRow {
    const char* table;
    const char* field;
    int code;
    QString word;
};

QList<CWordRow> MasterWords()
{
    QList<CWordRow> rows;
    const auto add = [&rows](std::initializer_list<const char*> tables, const char* field,
                             std::initializer_list<std::pair<int, const char16_t*>> words) {
        for (const char* table : tables)
            for (const auto& [code, word] : words)
                rows.append({table, field, code, QString::fromUtf16(word)});
    };
    add({"Item"}, "ItemType", {{1, u"商品"}, {2, u"値引"}, {3, u"その他"}});
    add({"Item"}, "TaxFlg", {{1, u"外税"}, {2, u"内税"}, {0, u"非課税"}});
    add({"Item"}, "TaxFlg2", {{1, u"外税"}, {2, u"内税"}, {0, u"非課税"}});
    add({"Item"}, "StockType", {{0, u"しない"}, {1, u"する"}});
    add({"Item"}, "SetItem", {{0, u"通常商品"}, {1, u"組立商品"}});
    add({"Customer", "Supplier"}, "Day",
        {{0, u"都度"}, {99, u"月末"}, {15, u"15日"}, {1, u"1日"}, {28, u"28日"}});
    add({"Customer", "Supplier"}, "TaxType",
        {{1, u"請求時"}, {2, u"納品ごと"}, {3, u"明細ごと"}, {4, u"内税"}, {0, u"しない"}});
    add({"Customer", "Supplier"}, "TaxRoundType", {{1, u"切り捨て"}, {2, u"四捨五入"}, {3, u"切り上げ"}});
    add({"Customer", "Supplier"}, "RoundType", {{1, u"切り捨て"}, {2, u"四捨五入"}, {3, u"切り上げ"}});
    add({"Customer", "Supplier"}, "CollectCycle",
        {{0, u"請求後"},
         {1, u"当月"},
         {2, u"翌月"},
         {3, u"翌々月"},
         {4, u"3ヶ月"},
         {5, u"4ヶ月"},
         {6, u"5ヶ月"},
         {7, u"6ヶ月"}});
    add({"Supplier"}, "BankAccountType", {{1, u"当座"}, {2, u"普通"}, {3, u"貯蓄"}});
    add({"Supplier"}, "BankFee", {{0, u"相手負担"}, {1, u"自社負担"}});
    add({"Supplier"}, "BankType", {{1, u"同行同支店"}, {2, u"同行他支店"}, {3, u"他行"}});
    add({"Supplier"}, "PaymentType", {{0, u"文書"}, {1, u"電信"}});
    return rows;
}

} // namespace

TEST(FieldCodes, MasterWordsBothWays)
{
    for (const CWordRow& row : MasterWords()) {
        const QString name = QString::fromLatin1(row.table) + u'.' + QLatin1String(row.field);
        SCOPED_TRACE(name.toStdString() + " " + std::to_string(row.code));
        EXPECT_EQ(Shown(name, row.code), row.word);
        EXPECT_EQ(Shown(name, row.code, 1), QString::number(row.code) + u':' + row.word);
        int code = -12345;
        EXPECT_EQ(GetFieldCodeFromText(QLatin1String(row.table), QLatin1String(row.field), row.word, code),
                  1);
        EXPECT_EQ(code, row.code);
        code = -12345;
        EXPECT_EQ(
            GetFieldCodeFromText(QLatin1String(row.table), u'.' + QLatin1String(row.field), row.word, code),
            1);
        EXPECT_EQ(code, row.code);
    }
    // A code without a word shows as nothing, or as its code and a colon.
    EXPECT_EQ(Shown(QStringLiteral("Customer.TaxType"), 7), QString());
    EXPECT_EQ(Shown(QStringLiteral("Customer.TaxType"), 7, 1), QStringLiteral("7:"));
    // The collection day has words only for reading.
    EXPECT_EQ(Shown(QStringLiteral("Customer.CollectDay"), 99), QStringLiteral("99"));
    EXPECT_EQ(Shown(QStringLiteral("Customer.CollectDay"), 20, 1), QStringLiteral("20:20"));
}

TEST(FieldCodes, RefusedWords)
{
    const struct {
        QString table, field, text;
    } refused[] = {
        {QStringLiteral("Customer"), QStringLiteral("BankFee"),
         QStringLiteral("相手負担")}, // bank data: suppliers only
        {QStringLiteral("Customer"), QStringLiteral("BankAccountType"), QStringLiteral("当座")},
        {QStringLiteral("Customer"), QStringLiteral("TaxType"),
         QStringLiteral("切り捨て")}, // another field's word
        {QStringLiteral("Item"), QStringLiteral("Day"), QStringLiteral("都度")},
        {QStringLiteral("Sales_H"), QStringLiteral("TaxType"), QStringLiteral("請求時")},
        {QString(), QStringLiteral("TaxType"), QStringLiteral("請求時")},
        {QStringLiteral("Customer"), QString(), QStringLiteral("請求時")},
        {QStringLiteral("Customer"), QStringLiteral("TaxType"), QStringLiteral("請求時 ")},
        {QStringLiteral("Customer"), QStringLiteral("TaxType"), QStringLiteral("1")},
        // Days outside the stored range, and words that are no number, are not made up.
        {QStringLiteral("Customer"), QStringLiteral("Day"), QStringLiteral("二十")},
        {QStringLiteral("Customer"), QStringLiteral("Day"), QStringLiteral("29")},
        {QStringLiteral("Customer"), QStringLiteral("Day"), QStringLiteral("31日")},
        {QStringLiteral("Customer"), QStringLiteral("Day"), QStringLiteral("-1")},
        {QStringLiteral("Customer"), QStringLiteral("Day"), QStringLiteral("15 ")},
        {QStringLiteral("Customer"), QStringLiteral("Day"), QStringLiteral("日")},
        {QStringLiteral("Customer"), QStringLiteral("Day"), QString()},
        {QStringLiteral("Supplier"), QStringLiteral("CollectDay"), QStringLiteral("二十")},
        {QStringLiteral("Supplier"), QStringLiteral("CollectDay"), QStringLiteral("1e3")},
        {QStringLiteral("Supplier"), QStringLiteral("CollectDay"), QStringLiteral("99999999999")},
        {QStringLiteral("Supplier"), QStringLiteral("CollectDay"), QStringLiteral("+5")},
    };
    for (const auto& r : refused) {
        int code = -12345;
        EXPECT_EQ(GetFieldCodeFromText(r.table, r.field, r.text, code), 0)
            << r.field.toStdString() << " " << r.text.toStdString();
        EXPECT_EQ(code, -12345);
    }

    const struct {
        QString field, text;
        int code;
    } days[] = {
        {QStringLiteral("Day"), QStringLiteral("0"), 0},
        {QStringLiteral("Day"), QStringLiteral("28"), 28},
        {QStringLiteral("Day"), QStringLiteral("99"), 99},
        {QStringLiteral("Day"), QStringLiteral("０５"), 5},
        {QStringLiteral("CollectDay"), QStringLiteral("月末"), 99},
        {QStringLiteral("CollectDay"), QStringLiteral("20"), 20},
        {QStringLiteral("CollectDay"), QStringLiteral("45日"), 45},
        {QStringLiteral("CollectDay"), QStringLiteral("0"), 0},
    };
    for (const auto& d : days) {
        int code = -1;
        EXPECT_EQ(GetFieldCodeFromText(QStringLiteral("Customer"), d.field, d.text, code), 1)
            << d.text.toStdString();
        EXPECT_EQ(code, d.code);
    }
}

TEST(FieldCodes, DisplayByTypeAndBareNames)
{
    EXPECT_EQ(GetFieldDisplayText(nullptr, 1), QString());
    CTb none(QStringLiteral("Customer.TaxType"), CTb::kInteger);
    EXPECT_EQ(GetFieldDisplayText(&none, 1), QString());
    CTb text(QStringLiteral("Customer.Company"));
    text = QStringLiteral("1:商事");
    EXPECT_EQ(GetFieldDisplayText(&text, 1), QStringLiteral("1:商事"));
    CTb date(QStringLiteral("Sales_H.Date"));
    date = QDate(2024, 4, 1);
    EXPECT_EQ(GetFieldDisplayText(&date, 1), QStringLiteral("2024/04/01"));
    CTb money(QStringLiteral("Sales_H.Total"));
    money = CMny(12345005, 4);
    EXPECT_EQ(GetFieldDisplayText(&money, 1), QStringLiteral("1234.5005"));

    const struct {
        QString name;
        int value;
        QString plain, coded;
    } shown[] = {
        {QStringLiteral("Sales_H.SeikyuID"), 0, QStringLiteral("未"), QStringLiteral("未")},
        {QStringLiteral("SeikyuID"), 12, QStringLiteral("済"), QStringLiteral("済")},
        {QStringLiteral("Status"), 1, QStringLiteral("成"), QStringLiteral("成")},
        {QStringLiteral("Status"), 0, QStringLiteral("未"), QStringLiteral("未")},
        {QStringLiteral("TudoFlg"), 1, QStringLiteral("締め"), QStringLiteral("締め")},
        {QStringLiteral("Sales_B.ItemType"), 9, QStringLiteral("消費税"), QStringLiteral("消費税")},
        {QStringLiteral("Sales_B.ItemType"), 2, QStringLiteral("値引"), QStringLiteral("値引")},
        {QStringLiteral("Sales_B.TaxFlg"), -1, QStringLiteral("対象外"), QStringLiteral("対象外")},
        {QStringLiteral("Sales_B.TaxFlg2"), 2, QStringLiteral("内"), QStringLiteral("内")},
        {QStringLiteral("StockChange.Type"), 0, QStringLiteral("出庫"), QStringLiteral("出庫")},
        {QStringLiteral("StockChange.Type"), 1, QStringLiteral("入庫"), QStringLiteral("入庫")},
        {QStringLiteral("タイプ"), 3, QStringLiteral("調整"), QStringLiteral("調整")},
        {QStringLiteral("タイプ"), 4, QStringLiteral("棚卸"), QStringLiteral("棚卸")},
        {QStringLiteral("Customer.ID"), 42, QStringLiteral("42"), QStringLiteral("42:42")},
        {QStringLiteral("Customer.BankFee"), 1, QStringLiteral("1"),
         QStringLiteral("1:1")}, // bank words: suppliers only
        {QStringLiteral("Customer.Day"), 99, QStringLiteral("月末"), QStringLiteral("99:月末")},
    };
    for (const auto& s : shown) {
        EXPECT_EQ(Shown(s.name, s.value), s.plain) << s.name.toStdString();
        EXPECT_EQ(Shown(s.name, s.value, 1), s.coded) << s.name.toStdString();
    }
}

TEST(FieldCodes, MasterFieldOrder)
{
    QStringList names{QStringLiteral("old")};
    EXPECT_EQ(GetMasterFieldNames(CMasterKind::Items(), names, 1), 0);
    EXPECT_TRUE(names.isEmpty());

    ASSERT_EQ(GetMasterFieldNames(CMasterKind::Customers(), names, 0), 1);
    EXPECT_EQ(names.size(), 32);
    EXPECT_EQ(names.mid(0, 3),
              (QStringList{QString(), QStringLiteral("CustomerCode"), QStringLiteral("Company")}));
    EXPECT_EQ(names.mid(17, 3), (QStringList{QStringLiteral("RoundType"), QStringLiteral("Percent"),
                                             QStringLiteral("CollectCycle")}));
    EXPECT_EQ(names.last(), QStringLiteral("Memo"));

    ASSERT_EQ(GetMasterFieldNames(CMasterKind::Suppliers(), names, 1), 1);
    EXPECT_EQ(names.size(), 44);
    EXPECT_EQ(names[1], QStringLiteral("SupplierCode"));
    EXPECT_FALSE(names.contains(QStringLiteral("Percent")));
    EXPECT_EQ(
        names.mid(22, 12),
        (QStringList{QStringLiteral("Ceiling"), QStringLiteral("Bank"), QStringLiteral("BankCode"),
                     QStringLiteral("BankBranch"), QStringLiteral("BankBranchCode"),
                     QStringLiteral("BankAccountType"), QStringLiteral("BankNumber"),
                     QStringLiteral("BankOnesName"), QStringLiteral("BankOnesPhoenic"),
                     QStringLiteral("BankType"), QStringLiteral("PaymentType"), QStringLiteral("BankFee")}));
    EXPECT_EQ(names.mid(42), (QStringList{QStringLiteral("StartDate"), QStringLiteral("LastUpdate")}));
}

TEST(FieldCodes, DefaultValueFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScopedFakeUi ui;
    QFile file(dir.filePath(QStringLiteral("CLOSEDAY.AUT")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x02"
               "15");
    file.close();
    EXPECT_EQ(ReadAutFile(dir.filePath(QStringLiteral("CloseDay.aut"))), QStringLiteral("15"));
    EXPECT_EQ(ReadAutFile(dir.filePath(QStringLiteral("Missing.aut"))), QString());
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());

    QFile damaged(dir.filePath(QStringLiteral("Com.aut")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x05"
                  "ab");
    damaged.close();
    EXPECT_EQ(ReadAutFile(damaged.fileName()), QString());
    ASSERT_EQ(ui.Prompt().Texts().size(), 1);
    EXPECT_TRUE(ui.Prompt().Texts().first().contains(QStringLiteral("Com.aut")));
}
