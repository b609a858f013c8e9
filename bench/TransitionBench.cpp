// The twelve-month transitions beside the partner and product amounts of
// the report statements: product quantities, staff and the purchase side,
// over the last business year of the generated database.

#include "BenchMain.h"

#include "platform/sql/TransitionSql.h"

#include "platform/data/MakeMsgID.h"

#include <functional>

namespace
{

constexpr double kBound = 0.3; // seconds

void Bounded(const char* name, std::function<QString()> build)
{
    RegisterBounded(std::string("Transition/") + name, kBound, [build](benchmark::State& state) {
        CMakeMsgID data;
        if (Open(state, data))
            RunRequest(state, data, QString(), build());
    });
}

const bool kRegistered = [] {
    Bounded("ItemQuantity",
            [] { return MakeItemQuantityTransitionSQL(CTradeSide::Sales(), 2023, 4, QString(), {}); });
    Bounded("Staff", [] { return MakeStaffTransitionSQL(CTradeSide::Sales(), 2023, 4); });
    Bounded("PurchasePartner",
            [] { return MakePartnerTransitionSQL(CTradeSide::Purchases(), 2023, 4, QString(), {}); });
    Bounded("PurchaseItem",
            [] { return MakeItemAmountTransitionSQL(CTradeSide::Purchases(), 2023, 4, QString(), {}); });
    Bounded("PurchaseStaff", [] { return MakeStaffTransitionSQL(CTradeSide::Purchases(), 2023, 4); });
    return true;
}();

} // namespace
