#include "platform/data/MasterKinds.h"

namespace
{
constexpr CMasterKind kItem{EMasterKind::Item, 1, 0, 2, "Item", "ItemCode", u"商品", u"品番", nullptr};
constexpr CMasterKind kCustomer{
    EMasterKind::Customer, 2, 1, 3, "Customer", "CustomerCode", u"得意先", u"得意先コード",
    &CTradeSide::Sales()};
constexpr CMasterKind kSupplier{
    EMasterKind::Supplier,   3, 2, 4, "Supplier", "SupplierCode", u"仕入先", u"仕入先コード",
    &CTradeSide::Purchases()};
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

QString MasterTableOf(int kind)
{
    const CMasterKind* k = CMasterKind::OfNumber(kind);
    return k ? k->Table() : QString();
}

QString MasterCodeFieldOf(int kind)
{
    const CMasterKind* k = CMasterKind::OfNumber(kind);
    return k ? k->CodeField() : QString();
}
