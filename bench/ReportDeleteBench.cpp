// Deleting 600 receipts from the receipt list on the generated database:
// three delete statements (250, 250, 100 IDs) with their closings undone,
// in one transaction. Each run is rolled back, so the data stay as they are.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/TradeSide.h"
#include "reports/ReportDelete.h"

#include <QList>

#include <cstdio>
#include <cstdlib>

namespace
{

constexpr double kBound = 0.3; // seconds
constexpr int kReceipts = 600;

const bool kRegistered = [] {
    RegisterBounded("ReportList/Delete600Receipts", kBound, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        // The latest receipts, as the list shows them first, and the latest
        // ones booked to closings, which the delete undoes.
        CCDSData request, rows;
        request.m_strCondition = QStringLiteral(
            "SELECT ID, SeikyuID FROM (SELECT ID, SeikyuID FROM Receipt_H ORDER BY \"Date\" DESC, No DESC "
            "LIMIT 300) "
            "UNION SELECT ID, SeikyuID FROM (SELECT ID, SeikyuID FROM Receipt_H WHERE SeikyuID > 0 "
            "ORDER BY \"Date\" DESC, No DESC LIMIT 300)");
        QString err;
        if (data.GetDataList(request, rows, err) != CMakeMsgID::kOk || rows.GetCount() != kReceipts) {
            state.SkipWithError("too few receipts");
            return;
        }
        QList<int> ids, closings;
        for (int i = 0; i < rows.GetCount(); ++i) {
            int id = 0, closing = 0;
            rows.GetAt(i)->GetAt(0)->GetData(id);
            rows.GetAt(i)->GetAt(1)->GetData(closing);
            ids << id;
            if (closing > 0)
                closings << closing;
        }
        int requests = 0;
        for (auto _ : state) {
            state.PauseTiming();
            data.BeginTransaction(err);
            state.ResumeTiming();
            const int done = DeleteReportRows(data, QStringLiteral("Receipt_H"), CTradeSide::Sales(),
                                              closings, ids, &requests);
            state.PauseTiming();
            data.Rollback(err);
            state.ResumeTiming();
            if (!done) {
                state.SkipWithError("the delete failed");
                return;
            }
        }
        std::printf("ReportList/Delete600Receipts: %d delete statements, %d closings undone\n", requests,
                    int(closings.size()));
        if (requests != 3) {
            std::fprintf(stderr, "600 receipts took %d delete statements, not 3\n", requests);
            std::exit(1);
        }
        state.counters["statements"] = requests;
    });
    return true;
}();

} // namespace
