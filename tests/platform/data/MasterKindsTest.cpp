#include "platform/data/MasterKinds.h"

#include <gtest/gtest.h>

// Stored files number the ledgers three ways; each number must lead to the
// same ledger, and a number no file writes to none at all.
TEST(MasterKinds, EveryNumberingNamesOneLedger)
{
    const struct {
        EMasterKind kind;
        int number, columnSet, extractKind;
        const char* table;
        const char* codeField;
        const CTradeSide* side;
    } cases[] = {
        {EMasterKind::Item, 1, 0, 2, "Item", "ItemCode", nullptr},
        {EMasterKind::Customer, 2, 1, 3, "Customer", "CustomerCode", &CTradeSide::Sales()},
        {EMasterKind::Supplier, 3, 2, 4, "Supplier", "SupplierCode", &CTradeSide::Purchases()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        const CMasterKind& kind = CMasterKind::Of(c.kind);
        EXPECT_EQ(CMasterKind::OfNumber(c.number), &kind);
        EXPECT_EQ(CMasterKind::OfColumnSet(c.columnSet), &kind);
        EXPECT_EQ(kind.extractKind, c.extractKind);
        EXPECT_EQ(MasterTableOf(c.number), QString::fromLatin1(c.table));
        EXPECT_EQ(MasterCodeFieldOf(c.number), QString::fromLatin1(c.codeField));
        EXPECT_EQ(kind.side, c.side);
        // A partner's code field is the one its side's slips carry.
        if (c.side) {
            EXPECT_EQ(kind.CodeField(), QString::fromLatin1(c.side->code));
        }
    }
    for (int outside : {-1, 4, 99}) {
        EXPECT_EQ(CMasterKind::OfNumber(outside), nullptr) << outside;
        EXPECT_EQ(CMasterKind::OfColumnSet(outside), nullptr) << outside;
        EXPECT_TRUE(MasterTableOf(outside).isEmpty()) << outside;
    }
    EXPECT_EQ(CMasterKind::OfNumber(0), nullptr);
    EXPECT_EQ(CMasterKind::OfColumnSet(3), nullptr);
    // A side's number is 0 or 1; no other number reads as either side.
    EXPECT_EQ(CTradeSide::OfKind(0), &CTradeSide::Sales());
    EXPECT_EQ(CTradeSide::OfKind(1), &CTradeSide::Purchases());
    EXPECT_EQ(CTradeSide::OfKind(2), nullptr);
    EXPECT_EQ(CTradeSide::OfKind(-1), nullptr);
}
