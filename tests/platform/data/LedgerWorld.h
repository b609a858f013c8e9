#pragma once

#include "platform/data/DataTestUtil.h"

#include <QStringList>

// A small trading world whose slip lines add up to their slip totals:
//
// K1 (Collect 1000), before April: A1 03-20 2200 (line 2000 + tax 200 on no
//   line), receipt R0 03-25 1500 → 前月繰越額 at 04-01 = 1000 + 2200 - 1500 = 1700.
// April: A2 04-05 3300 (line 3000, tax 300 on no line); A3 04-10 1000 (tax
//   included: line 1100, discount -100); R1 04-10 2000 (現金 1500, 振込 500
//   "4月分"); R2 04-20 700 without lines; tax slip 04-30 150 without lines.
//   May: A4 500 (outside). End = 1700 + 4450 - 2700 = 3450, which is also
//   Collect + every slip - every receipt up to 04-30: 1000 + 6650 - 4200.
// K2: B1 04-08 400. One-time partner: A5 04-11 山田商店, I1 1 at 100.
// SP1: P1 04-03 1100 (I1 10 at 1000 and a tax line 100), payment Y1 04-15
//   600 without lines → end 500.
// I1 (opening 10): movement +5 03-01, A1 -2 03-20 → 繰越数 13 at 04-01, or
//   8 counting after a carry-forward on 03-10. April: P1 +10, A2 -3, A3 -1
//   (its discount line moves nothing), A5 -1, movement 出庫 -4 "破損" 04-12
//   → 14.
class LedgerWorld : public DatabaseTest
{
  protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        // Money is stored in ten-thousandths.
        Exec("INSERT INTO Customer(CustomerCode, Company, Section, Name, Collect) VALUES('K1', '青木商事', "
             "'本社', "
             "'青木', 10000000), ('K2', '井上商店', '', '', 0)");
        Exec("INSERT INTO Supplier(SupplierCode, Company, Collect) VALUES('SP1', '北山製作所', 0)");
        Exec("INSERT INTO Item(ItemCode, ItemName, StockType, StockNumber) VALUES('I1', 'ボールペン', 1, "
             "100000)");
        // Total = Amount + Tax; A3's tax is included in its lines.
        Exec("INSERT INTO Sales_H(ID, \"Date\", \"No\", CustomerCode, Company, DenpyoType, TaxType, Amount, "
             "Tax, "
             "Total) VALUES(1, '2024-03-20', 'A1', 'K1', '', 0, 2, 20000000, 2000000, 22000000),"
             "(2, '2024-04-05', 'A2', 'K1', '', 0, 2, 30000000, 3000000, 33000000),"
             "(3, '2024-04-10', 'A3', 'K1', '', 0, 4, 9090000, 910000, 10000000),"
             "(4, '2024-04-30', '', 'K1', '', 1, 0, 0, 1500000, 1500000),"
             "(5, '2024-05-02', 'A4', 'K1', '', 0, 2, 5000000, 0, 5000000),"
             "(6, '2024-04-08', 'B1', 'K2', '', 0, 0, 4000000, 0, 4000000),"
             "(7, '2024-04-11', 'A5', '　', '山田商店', 0, 0, 1000000, 0, 1000000)");
        Exec("INSERT INTO Sales_B(HeaderID, LineNo, \"Date\", ItemType, TaxFlg, ItemCode, ItemName, Number, "
             "Unit, "
             "Price, Amount) VALUES"
             "(1, 1, '2024-03-20', 1, 1, 'I1', 'ボールペン', 20000, '本', 10000000, 20000000),"
             "(2, 1, '2024-04-05', 1, 1, 'I1', 'ボールペン', 30000, '本', 10000000, 30000000),"
             "(3, 1, '2024-04-10', 1, 2, 'I1', 'ボールペン', 10000, '本', 11000000, 11000000),"
             "(3, 2, '2024-04-10', 2, 2, 'I1', '値引', 10000, '', -1000000, -1000000),"
             "(5, 1, '2024-05-02', 1, 1, 'I1', 'ボールペン', 5000, '本', 10000000, 5000000),"
             "(6, 1, '2024-04-08', 3, 0, '', '送料', 10000, '', 4000000, 4000000),"
             "(7, 1, '2024-04-11', 1, 0, 'I1', 'ボールペン', 10000, '本', 1000000, 1000000)");
        Exec("INSERT INTO Receipt_H(ID, \"No\", \"Date\", CustomerCode, Amount) VALUES"
             "(1, 'R0', '2024-03-25', 'K1', 15000000), (2, 'R1', '2024-04-10', 'K1', 20000000),"
             "(3, 'R2', '2024-04-20', 'K1', 7000000)");
        Exec("INSERT INTO Receipt_B(HeaderID, LineNo, Code, Amount, Contents) VALUES(1, 1, '現金', 15000000, "
             "''),"
             "(2, 1, '現金', 15000000, ''), (2, 2, '振込', 5000000, '4月分')");
        Exec("INSERT INTO Stock_H(ID, \"Date\", \"No\", SupplierCode, DenpyoType, TaxType, Total) VALUES"
             "(1, '2024-04-03', 'P1', 'SP1', 0, 3, 11000000)");
        Exec("UPDATE Stock_H SET Amount = 10000000, Tax = 1000000");
        Exec("INSERT INTO Stock_B(HeaderID, LineNo, \"Date\", ItemType, ItemCode, ItemName, Number, Amount) "
             "VALUES"
             "(1, 1, '2024-04-03', 1, 'I1', 'ボールペン', 100000, 10000000), (1, 2, '2024-04-03', 9, '', '', "
             "0, "
             "1000000)");
        Exec("INSERT INTO Pay_H(\"No\", \"Date\", SupplierCode, Amount) VALUES('Y1', '2024-04-15', 'SP1', "
             "6000000)");
        Exec("INSERT INTO StockChange(\"No\", \"Date\", ItemCode, Type, InNumber, OutNumber, Memo) VALUES"
             "('M0', '2024-03-01', 'I1', 1, 50000, 0, '棚卸'), ('M1', '2024-04-12', 'I1', 0, 0, 40000, "
             "'破損')");
    }

    void Exec(const char* sql)
    {
        QString err;
        ASSERT_EQ(m_data.Execute(QString::fromUtf8(sql), err), 1) << err.toStdString() << " in " << sql;
    }

    static QStringList Table(const CCDSData& rows, const QStringList& fields,
                             const QString& table = QString())
    {
        QStringList all;
        for (int i = 0; i < rows.GetCount(); ++i) {
            QStringList values;
            for (const QString& field : fields) {
                const CTb* f = rows.GetAt(i)->GetOneField(table, field);
                values << (f ? f->GetText() : QStringLiteral("<none>"));
            }
            all << values.join(u'|');
        }
        return all;
    }

    static CMny Money(const COneRecord* record, const char* field, const QString& table = QString())
    {
        CMny value;
        if (const CTb* f = record->GetOneField(table, QString::fromUtf8(field)))
            f->GetData(value);
        return value;
    }

    // The balance after the last row, from the head's carried amount.
    static CMny EndBalance(const CCDSData& head, const CCDSData& rows, const char* carried, const char* in,
                           const char* out)
    {
        CMny balance = Money(head.GetAt(0), carried);
        for (int i = 0; i < rows.GetCount(); ++i) {
            CMny plus;
            EXPECT_EQ(balance.Plus(Money(rows.GetAt(i), in), plus), 1);
            EXPECT_EQ(plus.Minus(Money(rows.GetAt(i), out), balance), 1);
        }
        return balance;
    }

    static QDate D(int m, int d) { return QDate(2024, m, d); }
};
