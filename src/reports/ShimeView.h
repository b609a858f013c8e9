#pragma once

#include "app/View.h"
#include "reports/ColumnWidthFile.h"
#include "reports/ReportList.h"
#include "reports/ReportModes.h"
#include "reports/ReportRequest.h"

#include <QList>

#include <optional>

class CCounterInfo;
class CMainFrame;
struct CReportPrintSheet;
struct CFormPrintItem;
class CShimeListCtrl;
class CShimeListModel;
class COneRecord;
class CTb;
class QLabel;
class QPainter;

// The report list screen: one view for the list modes 8-48, the mode being
// the frame's view kind. The rows and their rules live in CReportList; the
// view loads, shows and handles the list's commands.
class CShimeView : public CView
{
    Q_OBJECT

  public:
    explicit CShimeView(CMainFrame& frame);
    ~CShimeView() override;

    // The conditions the opening command chose (a CReportRequest); none
    // leaves the defaults.
    void TakeRequest(std::any request) override;
    void OnInitialUpdate() override;
    void OnEnvSettingsChanged() override;
    long OnFindRequest(const CFindRequest& request) override;
    // Another program changed data: the detail lists reload, keeping columns.
    void RefreshAfterDataChange() override;
    bool ReloadsOnDataChange() const override;
    bool OnUpdateCmdUI(int id, CCmdUI& ui) override;

    int GetMode() const { return m_list.GetMode(); }
    // This list's conditions: the loaders read them, the condition commands
    // change them.
    CReportRequest& Request() { return m_request; }
    const CReportRequest& Request() const { return m_request; }
    CReportList& List() { return m_list; }
    CShimeListCtrl* ListCtrl() const { return m_pListCtrl; }
    QLabel* PeriodLabel() const { return m_pPeriod; }
    QLabel* CountLabel() const { return m_pCount; }
    const QString& GetTitle() const { return m_strTitle; }
    int GetCarryOver() const { return m_list.m_nCarryOver; }

    void SetupListForMode(bool keepColumns);
    // Loads the list the way the mode's loader says (the lists that come
    // with their own loading are left as they are).
    void LoadByLoader(EReportLoader loader);
    bool InitListControl();
    void RefreshList();
    void UpdateLabels();
    void LoadClosingList();
    void LoadScheduleList();

    // The selected rows, ascending.
    QList<int> GetSelectedRows() const;
    // The same; with none selected, `message` is shown.
    QList<int> SelectedRowsOrSay(const QString& message) const;
    bool SelectOnlyRow(int row);
    bool SelectAllRows();
    // The modes whose select-all acts.
    static bool SelectsAllRows(int mode);

    // Writes the value into the closing records behind the rows (field
    // "ID" of each row's record); 1 done, 0 nothing written.
    int UpdateSelectedRecords(const QString& field, const CTb& value, const QList<int>& rows);

    // Per-mode widths in "QXDispColSet2.dat" of the current database.
    int LoadColumnWidths();
    void SaveColumnWidths();
    void OnColumnClick(int column);

    // Closing (modes 8, 9): closes the selected rows, or all, and offers the
    // invoices; undoes closings (also 12, 13); asks the closing again.
    void OnCloseAndPrint();
    void IssueInvoices(const QList<int>& rows);
    void OnCancelClose();
    void OnChangeClosingDate();
    // The closing candidates loaded and filled again, columns kept.
    void ReloadClosingList();
    // The same after another program's change, keeping the partners
    // selected and the rows closed in this screen.
    void ReloadKeepingChoice();
    // The closings made (modes 12, 13) in the list's period.
    void LoadBilledList(int periodShape);
    // Receipts, payments, slip lines and stock movements (14-22) in the
    // list's period of the given shape; balances (23, 24); aggregations,
    // trends and stock lists (25-41). Records only: the callers fill.
    void LoadSlipDetailList(int periodShape);
    void LoadBalanceList();
    void LoadSummaryList();
    void OnRowDoubleClick(int row);
    // The collection (payment) date of a closing: `day` days after it for
    // cycle 0, else day `day` (99 = the last) of the month `cycle` - 1
    // months on, one more for cycle 1 when the closing is past that day.
    static QDate CalcCollectDate(const QDate& base, int cycle, int day);
    // `count` numbers of the counter `kind`, reserved in one save: each
    // formatted, stepping as the counter steps (past its digits: 1 again).
    // Numbered from where the counter stands when it cannot be saved; none
    // without a counter file.
    static QStringList TakeNumbers(CCounterInfo& counter, int kind, int count);

    void OnToggleCarryOver();
    bool WriteCollectAmountSetting();
    // The default-value file of the database's "Other" folder; empty when
    // missing.
    static QString ReadAutoSetting(const QString& name);

    void OnNumberSettings();
    void OnSelectAll();
    void OnHelp();
    // 0: into a workbook shown on screen; 1: asking the format and the file.
    void OnListExport(int askFormatAndFile);

    // Deleting and conditions in place: receipts, payments and stock
    // movements (14, 16, 22) leave database, list and record set together;
    // the period, balance and summary conditions reload the list shown.
    void OnDeleteRows();
    void OnChangeDisplayPeriod();
    void OnBalanceConditions();
    void OnSummaryConditions();
    // The summary sheets (47, 48): the period's amounts by line kind and tax
    // flag, one row each.
    void BuildSummaryTotals();
    // Receipts and payments from the schedules (10, 11), their slips (14-17),
    // the scheduled date, bank-transfer requests and stock row edits (22, 33).
    void OnReceiptPaymentDialog();
    void OnBulkReceiptPayment();
    // One receipt or payment per row at its scheduled amount; the rows
    // leave the list and the record set. 1 done, 0 nothing written.
    int CreatePaymentSlips(const QList<int>& rows);
    void OnChangeScheduledDate();
    void OnPrintTransferRequest();
    void OnEditStockRow();
    // Takes rows (settled or deleted; any order) out of the list with their
    // records, keeping the column widths.
    void RemoveSettledRows(const QList<int>& rows);

    // A click on a row's mark: the settled status (12, 13) or a group.
    void OnMarkClick(int row);
    void DrawMark(QPainter& painter, const QRect& box, int mark) const;

    // Ledgers and stock in/out details (42-46): the drill-down from the
    // lists 23, 24 and 34 and back, the load and fill of one partner's or
    // product's rows, new conditions; the double click per mode and the
    // slip behind a detail row (18-21).
    void DrillDown(int row);
    void LoadLedger();
    int FillLedgerList();
    void OnBackToList();
    void OnLedgerCondition();
    void OnDblclkList(int row);
    void ShowSlip();
    CCDSData& LedgerHead() { return m_LedgerHead; }
    CCDSData& LedgerRows() { return m_LedgerRows; }
    const CMny& GetLedgerCarried() const { return m_LedgerCarried; }
    const QString& GetPrintSubTitle() const { return m_strPrintSubTitle; }
    bool IsLedgerOpenedDirectly() const { return m_bLedgerDirect != 0; }
    // List printing: print and preview of the list as shown (a grouped list
    // asks for details or totals first), the printed sheet, the company
    // line from "Other/Com.aut" and the end of a preview.
    void OnFilePrint();
    void OnFilePrintPreview();
    bool TakePrintSheet(CReportPrintSheet& sheet, bool totalsOnly) const;
    void OnEndPrintPreview();
    static QString ReadCompanyName();
    QString m_strSubTitle; // "【…】" under the period on paper, when set
    // Documents: receipt vouchers (14), invoice reprints (8, 9, 12, 13),
    // ledgers (23, 24, 42-46) and address labels (8, 9, 12, 13) go to the
    // slip-form program through the work tables; per-slip invoices through
    // the clipboard batch list, one hand-over per layout. PrintByForm drops
    // the rows it handed over or refused from `rows`.
    void OnPrintReceipt();
    void OnReprintInvoices();
    void OnPrintLedger();
    void OnAddressPrint();
    void PrintByForm(QList<int>& rows);
    // The batch element of a row record ("HeaderID", "FileName"); none
    // without a record.
    static std::optional<CFormPrintItem> MakeFormPrintItem(const COneRecord* record);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void DoLayout();
    void ResetModel();
    // The one-time partner's way of payment for the schedules, read again.
    void TakeConditions();
    QDate ClosingDate() const;
    void LoadByMode(int periodShape);

    CReportList m_list;
    // The list's conditions as its command chose them: the view changes
    // them, the list reads them.
    CReportRequest& m_request = m_list.m_cond;
    CShimeListModel* m_pModel;
    CShimeListCtrl* m_pListCtrl;
    QLabel* m_pPeriod;
    QLabel* m_pCount;
    QString m_strTitle;
    QString m_strPeriodText = QStringLiteral("期間：");
    QString m_strCountText = QStringLiteral("件数");
    // The statement the closing candidates were last loaded with: the
    // closing checks each row against it again before booking.
    QString m_strClosingSql;
    CColumnWidthMap m_widthMap;
    QList<quint32> m_widths;
    int m_nMarkBitmap = 229;
    int m_bSortDesc = 0;
    bool m_bInitialized = false;

    // Ledgers and stock in/out details.
    void ShowListMode(int mode, const QString& title, int menuId);
    CCDSData m_LedgerHead;
    CCDSData m_LedgerRows;
    CMny m_LedgerCarried = CMny(0);
    QString m_strPrintSubTitle;
    int m_bLedgerDirect = 0;
};

// View kinds 8-48 are the report list's modes.
bool IsReportViewKind(int kind);
