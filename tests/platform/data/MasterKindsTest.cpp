#include "platform/data/MasterKinds.h"

#include <gtest/gtest.h>

// Stored files number the ledgers three ways; each number must lead to the
// same ledger, and a number no file writes to none at all.
TEST(MasterKinds, EveryNumberingNamesOneLedger)
{
    const struct {
        EMasterKind kind;
        int number, columnSet, extractKind, codeCounter;
        const char* table;
        const char* codeField;
        const CTradeSide* side;
        QStringList usage;
    } cases[] = {
        {EMasterKind::Item,
         1,
         0,
         2,
         0,
         "Item",
         "ItemCode",
         nullptr,
         {"Estimate_B", "Sales_B", "Order_B", "Stock_B", "StockChange"}},
        {EMasterKind::Customer,
         2,
         1,
         3,
         100,
         "Customer",
         "CustomerCode",
         &CTradeSide::Sales(),
         {"Estimate_H", "Sales_H", "Sales_Close", "Receipt_H"}},
        {EMasterKind::Supplier,
         3,
         2,
         4,
         101,
         "Supplier",
         "SupplierCode",
         &CTradeSide::Purchases(),
         {"Order_H", "Stock_H", "Stock_Close", "Pay_H"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        const CMasterKind& kind = CMasterKind::Of(c.kind);
        EXPECT_EQ(CMasterKind::OfNumber(c.number), &kind);
        EXPECT_EQ(CMasterKind::OfColumnSet(c.columnSet), &kind);
        EXPECT_EQ(kind.extractKind, c.extractKind);
        EXPECT_EQ(kind.codeCounter, c.codeCounter);
        EXPECT_EQ(kind.Table(), QString::fromLatin1(c.table));
        EXPECT_EQ(kind.CodeField(), QString::fromLatin1(c.codeField));
        EXPECT_EQ(kind.side, c.side);
        // What keeps a record from deletion: a partner's own side's slips,
        // closings and money besides its quotes or orders, never the other's.
        EXPECT_EQ(kind.UsageTables(), c.usage);
        // A partner's code field is the one its side's slips carry.
        if (c.side) {
            EXPECT_EQ(kind.CodeField(), QString::fromLatin1(c.side->code));
        }
    }
    // No other number leads to a ledger, so none to a table.
    for (int outside : {-1, 4, 99}) {
        EXPECT_EQ(CMasterKind::OfNumber(outside), nullptr) << outside;
        EXPECT_EQ(CMasterKind::OfColumnSet(outside), nullptr) << outside;
    }
    EXPECT_EQ(CMasterKind::OfNumber(0), nullptr);
    EXPECT_EQ(CMasterKind::OfColumnSet(3), nullptr);
    // A side's number is 0 or 1; no other number reads as either side.
    EXPECT_EQ(CTradeSide::OfKind(0), &CTradeSide::Sales());
    EXPECT_EQ(CTradeSide::OfKind(1), &CTradeSide::Purchases());
    EXPECT_EQ(CTradeSide::OfKind(2), nullptr);
    EXPECT_EQ(CTradeSide::OfKind(-1), nullptr);
}
