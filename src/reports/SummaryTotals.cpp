#include "reports/SummaryTotals.h"

#include "platform/data/Record.h"
#include "platform/sql/AggregationSql.h"
#include "reports/ReportData.h"

int LoadSummaryTotals(CMakeMsgID& db, bool purchase, const QDate& from, const QDate& to, CCDSData& records)
{
    CCDSData sums;
    const int result = RunReportStatement(
        db, purchase ? MakePurchaseTaxBreakdownSQL(from, to) : MakeSalesTaxBreakdownSQL(from, to), sums);
    if (result != 1 || sums.GetCount() == 0)
        return result;
    const COneRecord* row = sums.GetAt(0);
    for (int i = 0; i < row->GetCount(); ++i) {
        const CTb* tb = row->GetAt(i);
        CMny amount(0);
        if (!tb->GetData(amount))
            amount = CMny(0);
        COneRecord* record = records.AddNew();
        record->SetField(QStringLiteral("内訳"), tb->GetName().section(u'.', -1));
        record->SetField(QStringLiteral("金額"), amount);
    }
    return result;
}
