// Ledgers on the generated data: the customer with the most slips and the
// product with the most lines, each over the last business year, and the
// ledger print tables of 100 customers over its last month.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"

#include <QDate>

namespace
{

const QDate kYearFrom(2023, 4, 1);
const QDate kYearTo(2024, 3, 31);

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

// The first value of a whole SELECT, as text; empty on failure.
QString First(CMakeMsgID& data, const char* statement)
{
    CCDSData request, result;
    request.m_strCondition = Q(statement);
    QString err;
    if (data.GetDataList(request, result, err) != 1 || result.GetCount() == 0 ||
        result.GetAt(0)->GetCount() == 0)
        return {};
    return result.GetAt(0)->GetAt(0)->GetText();
}

const bool registered = [] {
    RegisterBounded("Ledger/BusiestCustomerOneYear", 0.3, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        const QString code = First(data, "SELECT CustomerCode FROM Sales_H WHERE \"Date\" >= '2023-04-01' "
                                         "GROUP BY CustomerCode ORDER BY COUNT(*) DESC LIMIT 1");
        int rows = 0;
        for (auto _ : state) {
            CCDSData head, list;
            QString err;
            if (data.GetMotocho(0, code, kYearFrom, kYearTo, head, list, err) != 1) {
                state.SkipWithError(err.toStdString().c_str());
                return;
            }
            rows = list.GetCount();
        }
        state.counters["rows"] = rows;
    });
    RegisterBounded("Ledger/BusiestProductOneYear", 0.3, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        const QString code =
            First(data, "SELECT ItemCode FROM Sales_B WHERE \"Date\" >= '2023-04-01' AND ItemCode "
                        "<> '' GROUP BY ItemCode ORDER BY COUNT(*) DESC LIMIT 1");
        int rows = 0;
        for (auto _ : state) {
            CCDSData head, list;
            QString err;
            if (data.GetItemInOutList(code, kYearFrom, kYearTo, head, list, QDate(), err) != 1) {
                state.SkipWithError(err.toStdString().c_str());
                return;
            }
            rows = list.GetCount();
        }
        state.counters["rows"] = rows;
    });
    RegisterBounded("Ledger/PrintTablesOf100CustomersOneMonth", 0.3, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        CCDSData request, codes;
        request.m_strCondition = Q("SELECT CustomerCode FROM Customer ORDER BY ID LIMIT 100");
        QString err;
        if (data.GetDataList(request, codes, err) != 1) {
            state.SkipWithError(err.toStdString().c_str());
            return;
        }
        int lines = 0;
        for (auto _ : state) {
            CCDSData set;
            set.m_strTable = Q("WMotocho_H");
            set.m_strCondition = Q("Customer");
            for (int i = 0; i < codes.GetCount(); ++i)
                set.AddNew()->SetField(Q("WMotocho_H.CustomerCode"), codes.GetAt(i)->GetAt(0)->GetText());
            if (data.SetWMotocho(set, QDate(2024, 3, 1), kYearTo, err) != 1) {
                state.SkipWithError(err.toStdString().c_str());
                return;
            }
            state.PauseTiming();
            int count = 0;
            CCDSData none;
            none.m_strTable = Q("WMotocho_B");
            data.GetDataNum(none, count, err);
            lines = count;
            state.ResumeTiming();
        }
        state.counters["lines"] = lines;
    });
    return true;
}();

} // namespace
