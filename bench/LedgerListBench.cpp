// The ledger screens on the generated data: the customer and supplier
// ledgers of the partner with the most slips (opened from the balance list,
// 43 and 44, or directly, 45 and 46) and the stock detail of the busiest
// product over the last business year, each loaded, filled and shown through
// the list's model.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "reports/LedgerList.h"
#include "reports/ReportColumns.h"
#include "reports/ReportList.h"
#include "reports/ShimeListCtrl.h"

#include <QDate>

namespace
{

const QDate kFrom(2023, 4, 1);
const QDate kTo(2024, 3, 31);

QString FirstValue(CMakeMsgID& data, const char* statement)
{
    CCDSData request, result;
    request.m_strCondition = QString::fromUtf8(statement);
    QString err;
    if (data.GetDataList(request, result, err) != 1 || result.GetCount() == 0 ||
        result.GetAt(0)->GetCount() == 0)
        return {};
    return result.GetAt(0)->GetAt(0)->GetText();
}

// One load of the mode's library call, its fill and the model's reset per
// iteration.
void LoadFillShow(benchmark::State& state, int mode, const char* busiest)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    const QString code = FirstValue(data, busiest);
    const bool purchase = mode == 44 || mode == 46;
    CReportList list;
    list.SetMode(mode);
    CReportColumnParams params;
    params.mode = mode;
    params.unitWidth = 100;
    list.Columns() = BuildReportColumns(params);
    CShimeListModel model(list);
    int rows = 0;
    for (auto _ : state) {
        CCDSData head, records;
        QString err;
        const int result = mode == 42
                               ? data.GetItemInOutList(code, kFrom, kTo, head, records, QDate(), err)
                               : data.GetMotocho(purchase ? 1 : 0, code, kFrom, kTo, head, records, err);
        if (result != 1) {
            state.SkipWithError(err.toStdString().c_str());
            return;
        }
        FillLedgerRows(list, head, records);
        model.Reset();
        rows = model.rowCount();
        list.ClearRows();
    }
    state.counters["rows"] = rows;
}

constexpr char kBusiestCustomer[] =
    "SELECT CustomerCode FROM Sales_H WHERE \"Date\" >= '2023-04-01' AND "
    "\"Date\" <= '2024-03-31' GROUP BY CustomerCode ORDER BY COUNT(*) DESC LIMIT 1";
constexpr char kBusiestSupplier[] =
    "SELECT SupplierCode FROM Stock_H WHERE \"Date\" >= '2023-04-01' AND "
    "\"Date\" <= '2024-03-31' GROUP BY SupplierCode ORDER BY COUNT(*) DESC LIMIT 1";

const bool registered = [] {
    static const struct {
        const char* name;
        int mode;
        const char* busiest;
    } partnerLedgers[] = {
        {"LedgerList/BusiestCustomerLedgerFromBalanceOneYear", 43, kBusiestCustomer},
        {"LedgerList/BusiestSupplierLedgerFromBalanceOneYear", 44, kBusiestSupplier},
        {"LedgerList/BusiestCustomerLedgerOneYear", 45, kBusiestCustomer},
        {"LedgerList/BusiestSupplierLedgerOneYear", 46, kBusiestSupplier},
    };
    for (const auto& ledger : partnerLedgers)
        RegisterBounded(ledger.name, 0.3, [&ledger](benchmark::State& state) {
            LoadFillShow(state, ledger.mode, ledger.busiest);
        });
    RegisterBounded("LedgerList/BusiestProductStockDetailOneYear", 0.3, [](benchmark::State& state) {
        LoadFillShow(
            state, 42,
            "SELECT ItemCode FROM Sales_B WHERE \"Date\" >= '2023-04-01' AND \"Date\" <= '2024-03-31' AND "
            "ItemCode <> '' GROUP BY ItemCode ORDER BY COUNT(*) DESC LIMIT 1");
    });
    return true;
}();

} // namespace
