#pragma once

#include "reports/ReportController.h"

// The stock movements (22) and the stock list (33): a movement changed from
// its row, or a new one for the row's product; the row shows it at once.
class CStockController : public CReportController
{
  public:
    CStockController(IReportScreen& screen, CReportList& list);
    // The movement of the row, or a new one for its product.
    static const std::vector<CFamilyCommand<CStockController>>& Commands();

    void OnEditStockRow();
};
