// The receipt dialog's reads on the generated database: the open closings
// of the customer with the most closings, and the billed-period question.
// Both must use the closing table's index, not scan it.

#include "BenchMain.h"

#include "slips/ReceiptRules.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/SqlText.h"
#include "platform/sql/ClosingSql.h"

#include <QDate>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace
{

constexpr double kBound = 0.05; // seconds

QString BusiestCustomer(CMakeMsgID& data)
{
    CCDSData request, result;
    request.m_strCondition = QStringLiteral("SELECT CustomerCode FROM Sales_Close GROUP BY CustomerCode "
                                            "ORDER BY COUNT(*) DESC, CustomerCode LIMIT 1");
    QString err;
    if (data.GetDataList(request, result, err) != CMakeMsgID::kOk || result.GetCount() != 1)
        return QString();
    return result.GetAt(0)->GetAt(0)->GetText();
}

// True when the plan of the statement reads the whole closing table.
bool ScansClosings(CMakeMsgID& data, const QString& statement)
{
    sqlite3_stmt* plan = nullptr;
    const QByteArray sql = (QStringLiteral("EXPLAIN QUERY PLAN ") + statement).toUtf8();
    if (sqlite3_prepare_v2(data.Handle(), sql.constData(), int(sql.size()), &plan, nullptr) != SQLITE_OK)
        return true;
    bool scans = false;
    while (sqlite3_step(plan) == SQLITE_ROW) {
        const QString detail = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
        if (detail.contains(QStringLiteral("SCAN Sales_Close")) && !detail.contains(QStringLiteral("INDEX")))
            scans = true;
    }
    sqlite3_finalize(plan);
    return scans;
}

// A plan that reads every closing fails the program at once: time alone
// would pass on a small database.
[[noreturn]] void ScanFound(const char* what)
{
    std::fprintf(stderr, "%s scans the closing table\n", what);
    std::exit(1);
}

const bool kRegistered = [] {
    RegisterBounded("Receipt/OpenClosingsOfBusiestCustomer", kBound, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        const QString code = BusiestCustomer(data);
        if (code.isEmpty()) {
            state.SkipWithError("no closings");
            return;
        }
        const QString statement = MakeOpenSalesCloseByCustomer(false, code);
        if (ScansClosings(data, statement)) {
            ScanFound("the open closings of one customer");
        }
        RunRequest(state, data, QString(), statement);
    });
    RegisterBounded("Receipt/IsInBilledPeriod", kBound, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        CReceiptRules rules(data, 0, 0);
        rules.m_strCode = BusiestCustomer(data);
        rules.m_date = QDate(2023, 4, 1);
        const QString statement =
            QStringLiteral(
                "SELECT COUNT(*) FROM Sales_Close WHERE CloseDate>=%1 AND CustomerCode='%2' AND TudoFlg=1")
                .arg(SqlDate(rules.m_date), SqlQuote(rules.m_strCode));
        if (ScansClosings(data, statement)) {
            ScanFound("the billed-period question");
        }
        bool billed = false;
        for (auto _ : state)
            billed = rules.IsInBilledPeriod();
        state.counters["billed"] = billed ? 1 : 0;
    });
    return true;
}();

} // namespace
