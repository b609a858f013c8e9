// The look-up of the numbers a document table holds, which every closing,
// receipt, payment and stock movement runs before it takes its numbers: one
// pass over the table's numbers, so it must stay short on the largest books.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/StoredNumbers.h"

#include <QString>

namespace
{

constexpr double kBound = 0.1; // seconds: a save must not wait on it

const bool kRegistered = [] {
    for (const char* table : {"Sales_Close", "Receipt_H", "Pay_H", "StockChange"}) {
        RegisterBounded(std::string("Numbers/StoredIn") + table, kBound, [table](benchmark::State& state) {
            CMakeMsgID data;
            if (!Open(state, data))
                return;
            CNumberRun run;
            run.first = run.last = 1;
            CStoredNumbers found;
            for (auto _ : state) {
                QString err;
                if (data.ReadStoredNumbers(QString::fromLatin1(table), QString(), QString(), run, found,
                                           err) != CMakeMsgID::kOk) {
                    state.SkipWithError(err.toStdString().c_str());
                    return;
                }
            }
            state.counters["highest"] = double(found.highest);
        });
    }
    return true;
}();

} // namespace
