#include "platform/data/MasterKinds.h"

namespace
{

// A partner is in use once its side's quotes or orders, slips, closings or
// money name it.
constexpr std::array<const char*, 5> PartnerUsage(const char* unclosed, const CTradeSide& side)
{
    return {unclosed, side.header, side.closing, side.money, nullptr};
}

// A product is in use once a quote, slip, order or stock change names it.
constexpr CMasterKind kItem{.kind = EMasterKind::Item,
                            .number = 1,
                            .columnSet = 0,
                            .extractKind = 2,
                            .codeCounter = 0,
                            .table = TB_ITEM,
                            .codeField = "ItemCode",
                            .word = u"商品",
                            .codeLabel = u"品番",
                            .side = nullptr,
                            .usage = {TB_ESTIMATE_B, TB_SALES_B, TB_ORDER_B, TB_STOCK_B, TB_STOCKCHANGE}};
constexpr CMasterKind kCustomer{.kind = EMasterKind::Customer,
                                .number = 2,
                                .columnSet = 1,
                                .extractKind = 3,
                                .codeCounter = 100,
                                .table = TB_CUSTOMER,
                                .codeField = TradeSides::kSales.code,
                                .word = u"得意先",
                                .codeLabel = u"得意先コード",
                                .side = &TradeSides::kSales,
                                .usage = PartnerUsage(TB_ESTIMATE_H, TradeSides::kSales)};
constexpr CMasterKind kSupplier{.kind = EMasterKind::Supplier,
                                .number = 3,
                                .columnSet = 2,
                                .extractKind = 4,
                                .codeCounter = 101,
                                .table = TB_SUPPLIER,
                                .codeField = TradeSides::kPurchases.code,
                                .word = u"仕入先",
                                .codeLabel = u"仕入先コード",
                                .side = &TradeSides::kPurchases,
                                .usage = PartnerUsage(TB_ORDER_H, TradeSides::kPurchases)};
constexpr std::array<const CMasterKind*, 3> kAll{&kItem, &kCustomer, &kSupplier};
} // namespace

const CMasterKind& CMasterKind::Of(EMasterKind kind)
{
    return *kAll[size_t(kind)];
}

const CMasterKind* CMasterKind::OfNumber(int number)
{
    for (const CMasterKind* k : kAll)
        if (k->number == number)
            return k;
    return nullptr;
}

const CMasterKind* CMasterKind::OfColumnSet(int columnSet)
{
    for (const CMasterKind* k : kAll)
        if (k->columnSet == columnSet)
            return k;
    return nullptr;
}

const std::array<const CMasterKind*, 3>& CMasterKind::All()
{
    return kAll;
}

QStringList CMasterKind::UsageTables() const
{
    QStringList tables;
    for (const char* table : usage) {
        if (table)
            tables << QString::fromLatin1(table);
    }
    return tables;
}
