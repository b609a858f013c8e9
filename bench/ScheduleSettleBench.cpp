// Bulk settlement of a receipt schedule: 1 000 closings of the generated
// database paid at once - one header insert, one line insert and four
// status batches in one transaction. Each run is rolled back afterwards
// (outside the timing), so every iteration writes the same rows.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"
#include "reports/PaymentSlips.h"

#include <QDate>

namespace
{

constexpr int kRows = 1000;

const bool kRegistered = [] {
    RegisterBounded("Schedule/BulkSettlement1000", 0.5, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        ScopedFakeUi ui;
        CCDSData request, closings;
        request.m_strCondition =
            QStringLiteral("SELECT ID, CustomerCode FROM Sales_Close ORDER BY ID LIMIT %1").arg(kRows);
        QString err;
        if (data.GetDataList(request, closings, err) != 1 || closings.GetCount() < kRows) {
            state.SkipWithError("not enough closings");
            return;
        }
        QList<CScheduledPayment> rows;
        QStringList numbers;
        for (int i = 0; i < closings.GetCount(); ++i) {
            CScheduledPayment row;
            closings.GetAt(i)->GetOneField(QString(), QStringLiteral("ID"))->GetData(row.closingId);
            row.partnerCode =
                closings.GetAt(i)->GetOneField(QString(), QStringLiteral("CustomerCode"))->GetText();
            row.amount = CMny(1234567, 2);
            row.myPerson = QStringLiteral("佐藤");
            row.method = QStringLiteral("振込");
            rows << row;
            numbers << QStringLiteral("B%1").arg(i + 1, 6, 10, QLatin1Char('0'));
        }
        for (auto _ : state) {
            state.PauseTiming();
            data.BeginTransaction(err);
            state.ResumeTiming();
            const int result = WritePaymentSlips(data, false, rows, numbers, QDate(2024, 4, 10));
            state.PauseTiming();
            // Every row must have its slip and line before the run is undone.
            CCDSData check, written;
            check.m_strCondition = QStringLiteral("SELECT COUNT(*) AS n FROM Receipt_H H JOIN Receipt_B B ON "
                                                  "B.HeaderID = H.ID WHERE H.\"No\" LIKE 'B%'");
            int slips = 0;
            if (data.GetDataList(check, written, err) == 1 && written.GetCount() == 1)
                written.GetAt(0)->GetOneField(QString(), QStringLiteral("n"))->GetData(slips);
            data.Rollback(err);
            state.ResumeTiming();
            if (result != 1 || slips != kRows) {
                state.SkipWithError("settlement failed");
                return;
            }
        }
        state.counters["rows"] = double(rows.size());
    });
    return true;
}();

} // namespace
