#pragma once

#include "platform/data/Mny.h"
#include "platform/data/Record.h"
#include "reports/ReportController.h"

#include <QString>

// The ledgers and stock in/out details (42-46) and the slip-line lists
// (18-21): the drill-down from the lists 23, 24 and 34 and back, the load
// and fill of one partner's or product's rows, new conditions, and the slip
// behind a detail row.
class CLedgerController : public CReportController
{
  public:
    CLedgerController(IReportScreen& screen, CReportList& list);
    // The way back to the list drilled down from, and new conditions.
    static const std::vector<CFamilyCommand<CLedgerController>>& Commands();

    // The ledgers opened directly (42, 45, 46) load their partner's or
    // product's rows.
    void Load() override;
    bool FillRows() override;
    // The slip behind a detail row.
    void OpenRow(int row) override;
    void DrillDown(int row) override;

    void LoadLedger();
    int FillLedgerList();
    void OnBackToList();
    void OnLedgerCondition();
    void ShowSlip();
    CCDSData& LedgerHead() { return m_LedgerHead; }
    CCDSData& LedgerRows() { return m_LedgerRows; }
    const CMny& GetLedgerCarried() const { return m_LedgerCarried; }
    const QString& GetPrintSubTitle() const { return m_strPrintSubTitle; }
    bool IsLedgerOpenedDirectly() const { return m_bLedgerDirect != 0; }

  private:
    CCDSData m_LedgerHead;
    CCDSData m_LedgerRows;
    CMny m_LedgerCarried = CMny(0);
    QString m_strPrintSubTitle;
    int m_bLedgerDirect = 0;
};
