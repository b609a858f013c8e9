#pragma once

#include "reports/ReportController.h"

// The balances (23, 24), the aggregations and trends (25-32, 34-41) and the
// summary sheets (47, 48): new balance conditions over the list shown, and
// the summary sheets built from the period's amounts.
class CAggregationController : public CReportController
{
  public:
    CAggregationController(IReportScreen& screen, CReportList& list);
    // New balance conditions.
    static const std::vector<CFamilyCommand<CAggregationController>>& Commands();

    // The summary sheets build their rows; the other lists load by their
    // statements.
    void Load() override;

    void OnBalanceConditions();
    // The summary sheets (47, 48): the period's amounts by line kind and tax
    // flag, one row each.
    void BuildSummaryTotals();
};
