#include "DataTestUtil.h"

namespace
{

class ResetCloseTest : public DatabaseTest
{
  protected:
    void Exec(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_data.Execute(sql, err), 1) << err.toStdString() << " in " << sql.toStdString();
    }
    static CCDSData Closings(const char* field, const QList<int>& ids)
    {
        CCDSData set;
        for (int id : ids)
            set.AddNew()->SetField(QString::fromLatin1(field), id);
        return set;
    }
};

} // namespace

// Undoing closings removes them with the tax slips they made and releases
// the slips and money they billed or settled; other closings stay. A bad
// request changes nothing.
TEST_F(ResetCloseTest, ClosingsUndoneWithTheirSlipsAndMoney)
{
    Exec("INSERT INTO Sales_Close(ID, CustomerCode, TudoFlg) VALUES(7, 'C1', 1), (8, 'C2', 0), (9, 'C3', 1)");
    Exec("INSERT INTO Sales_H(ID, No, CustomerCode, DenpyoType, SeikyuID) VALUES(1, 'A', 'C1', 0, 7), (2, 'B', 'C1', 0, 7),"
         "(3, 'T', 'C1', 1, 7), (4, 'C', 'C2', 0, 8), (5, 'D', 'C3', 0, 9)");
    Exec("INSERT INTO Sales_B(HeaderID, LineNo, ItemType) VALUES(3, 1, 9), (1, 1, 0)");
    Exec("INSERT INTO Receipt_H(ID, No, CustomerCode, SeikyuID, CloseID) VALUES(1, 'R1', 'C1', 7, 0), (2, 'R2', '　', 8, 8),"
         "(3, 'R3', 'C3', 9, 0)");
    Exec("INSERT INTO Stock_Close(ID, SupplierCode, TudoFlg) VALUES(7, 'S1', 1)");
    Exec("INSERT INTO Stock_H(ID, No, SupplierCode, DenpyoType, SeikyuID) VALUES(1, 'P', 'S1', 0, 7)");

    QString err;
    EXPECT_EQ(m_data.Reset_SalesClose(Closings("Sales_Close.ID", {7, 8, 7}), err), 1) << err.toStdString();
    EXPECT_EQ(Count("Sales_Close"), 1);
    EXPECT_EQ(Count("Sales_H"), 4);                           // the tax slip went
    EXPECT_EQ(Count("Sales_B"), 1);                           // with its line
    EXPECT_EQ(Count("Sales_H", "WHERE SeikyuID = 0"), 3);     // 1, 2 and 4 released
    EXPECT_EQ(Count("Receipt_H", "WHERE SeikyuID = 0"), 2);
    EXPECT_EQ(Count("Receipt_H", "WHERE CloseID = 8"), 1);   // what it settled stays as it was
    EXPECT_EQ(Count("Receipt_H", "WHERE SeikyuID = 9"), 1);
    EXPECT_EQ(Count("Stock_H", "WHERE SeikyuID = 7"), 1);    // the other side untouched

    CCDSData mixed = Closings("Sales_Close.ID", {9});
    mixed.AddNew()->SetField(QStringLiteral("Stock_Close.ID"), 7);
    EXPECT_EQ(m_data.Reset_SalesClose(mixed, err), 10);
    EXPECT_EQ(m_data.Reset_SalesClose(Closings("Sales_Close.No", {9}), err), 10);
    EXPECT_EQ(Count("Sales_Close"), 1);
    EXPECT_EQ(Count("Stock_Close"), 1);

    // A failing step leaves everything as it was.
    Exec("CREATE TRIGGER keep BEFORE DELETE ON Stock_Close BEGIN SELECT RAISE(ABORT, 'kept'); END");
    EXPECT_EQ(m_data.Reset_SalesClose(Closings("Stock_Close.ID", {7}), err), 10);
    EXPECT_EQ(Count("Stock_H", "WHERE SeikyuID = 7"), 1);
    EXPECT_EQ(m_data.Reset_SalesClose(CCDSData(), err), 1);
}
