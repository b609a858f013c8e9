// The code change of the busiest customer and of the product on the most
// lines, on the generated database: each below a second, and no statement
// of it may scan a whole table (the plans are checked first; a scan stops
// the run with the statement named).

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Schema.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr double kBoundSeconds = 1.0;

QString FirstText(CMakeMsgID& data, const QString& sql)
{
    CCDSData request, result;
    request.m_strCondition = sql;
    QString err;
    if (data.GetDataList(request, result, err) != CMakeMsgID::kOk || result.GetCount() == 0)
        return {};
    return result.GetAt(0)->GetAt(0)->GetText();
}

// Every statement the change runs for the field, as the query planner sees it.
void CheckPlans(CMakeMsgID& data, const char* master, const char* field)
{
    QStringList statements{QStringLiteral("SELECT ID FROM \"%1\" WHERE \"%2\"=?1")
                               .arg(QLatin1String(master), QLatin1String(field))};
    for (const Schema::TableDef& t : Schema::Tables()) {
        if (t.workTable)
            continue;
        for (const Schema::FieldDef& f : t.fields)
            if (std::strcmp(f.name, field) == 0)
                statements << QStringLiteral("UPDATE \"%1\" SET \"%2\"=?2 WHERE \"%2\"=?1")
                                  .arg(QLatin1String(t.name), QLatin1String(field));
    }
    for (const QString& sql : statements) {
        sqlite3_stmt* statement = nullptr;
        const QByteArray plan = ("EXPLAIN QUERY PLAN " + sql).toUtf8();
        if (sqlite3_prepare_v2(data.Handle(), plan.constData(), -1, &statement, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "cannot plan %s: %s\n", qPrintable(sql), sqlite3_errmsg(data.Handle()));
            std::exit(1);
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const QString detail =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 3)));
            if (detail.startsWith(QStringLiteral("SCAN"))) {
                std::fprintf(stderr, "the code change scans a whole table: %s (%s)\n", qPrintable(sql),
                             qPrintable(detail));
                std::exit(1);
            }
        }
        sqlite3_finalize(statement);
    }
}

// Changes the busiest code to a new one and back, one change an iteration.
void ChangeBusiest(benchmark::State& state, const char* master, const char* field, const QString& busiest)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    CheckPlans(data, master, field);
    QString code = FirstText(data, busiest);
    if (code.isEmpty()) {
        state.SkipWithError("no code in use");
        return;
    }
    const QString original = code.endsWith(u'_') ? code.chopped(1) : code;
    for (auto _ : state) {
        const QString next = code == original ? original + u'_' : original;
        QString err;
        if (data.ChangeMasterCode(QLatin1String(master), code, next, err) != CMakeMsgID::kOk) {
            state.SkipWithError(qPrintable(err));
            return;
        }
        code = next;
    }
}

const bool kRegistered = [] {
    RegisterBounded("MasterCode/ChangeBusiestCustomer", kBoundSeconds, [](benchmark::State& state) {
        ChangeBusiest(
            state, "Customer", "CustomerCode",
            QStringLiteral(
                "SELECT CustomerCode FROM Sales_H GROUP BY CustomerCode ORDER BY COUNT(*) DESC LIMIT 1"));
    });
    RegisterBounded("MasterCode/ChangeBusiestProduct", kBoundSeconds, [](benchmark::State& state) {
        ChangeBusiest(
            state, "Item", "ItemCode",
            QStringLiteral("SELECT ItemCode FROM Sales_B GROUP BY ItemCode ORDER BY COUNT(*) DESC LIMIT 1"));
    });
    return true;
}();

} // namespace
