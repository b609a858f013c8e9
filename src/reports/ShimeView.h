#pragma once

#include "app/View.h"
#include "reports/ColumnWidthFile.h"
#include "reports/ReportList.h"
#include "reports/ReportModes.h"
#include "reports/ReportRequest.h"
#include "reports/ReportScreen.h"

#include <QList>

#include <map>
#include <memory>
#include <vector>

class CMainFrame;
struct CReportPrintSheet;
class CShimeListCtrl;
class CShimeListModel;
class CTb;
class IReportController;
class QLabel;
class QPainter;

// The report list screen: one view for the list modes 8-48, the mode being
// the frame's view kind. The rows and their rules live in CReportList; the
// view loads, shows and handles the commands every list shares. What a
// family of lists does beyond that (closing, schedules, aggregations,
// ledgers, stock) its controller does, the one the mode table names for the
// mode shown; the controller sees the view as its screen only.
class CShimeView : public CView, public IReportScreen
{
    Q_OBJECT

  public:
    explicit CShimeView(CMainFrame& frame);
    ~CShimeView() override;

    // The conditions the opening command chose (exactly a CReportRequest,
    // as OpenReportList hands them over); none leaves the defaults, and
    // anything else throws std::invalid_argument.
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
    CShimeListModel* Model() const { return m_pModel; }
    const QString& GetPeriodText() const { return m_strPeriodText; }
    void SetPeriodText(const QString& text) { m_strPeriodText = text; }
    void SetCountText(const QString& text) { m_strCountText = text; }

    // The controller of the mode shown, and of another mode's family. The
    // view makes one for every family the modes name, so a family nobody
    // registered fails its construction (std::logic_error); outside the
    // list modes there is none (std::invalid_argument).
    IReportController& Controller();
    IReportController& ControllerFor(int mode);

    void SetupListForMode(bool keepColumns);
    // Loads the list the way the mode's loader says: by its statement, or
    // by the family's own loader (the lists that come with their own
    // loading are left as they are).
    void LoadByLoader(EReportLoader loader);
    bool InitListControl();
    void RefreshList() override;
    void UpdateLabels();
    // Takes the records a family loaded as the list's, with their count.
    void ShowLoaded(CCDSData&& records) override;
    // The one-time partner's way of payment for the schedules, read again.
    void TakeConditions();
    // The frame's closing date, of the closing candidates and schedules.
    QDate ClosingDate() const override;

    // The selected rows, ascending.
    QList<int> GetSelectedRows() const override;
    // The same; with none selected, `message` is shown.
    QList<int> SelectedRowsOrSay(const QString& message) const override;
    bool SelectOnlyRow(int row);
    bool SelectAllRows();
    // The modes whose select-all acts.
    static bool SelectsAllRows(int mode);

    // Per-mode widths in "QXDispColSet2.dat" of the current database.
    int LoadColumnWidths();
    void SaveColumnWidths();
    void OnColumnClick(int column);

    // Receipts, payments, slip lines and stock movements (14-22) in the
    // list's period of the given shape; balances (23, 24); aggregations,
    // trends and stock lists (25-41). Records only: the callers fill.
    void LoadSlipDetailList(int periodShape);
    void LoadBalanceList();
    void LoadSummaryList();
    void OnRowDoubleClick(int row);

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
    // the display period (12-22) and the summary conditions (25-41, 47, 48)
    // reload the list shown.
    void OnDeleteRows();
    void OnChangeDisplayPeriod();
    void OnSummaryConditions();
    // Takes rows (settled or deleted; any order) out of the list with their
    // records, keeping the column widths.
    void RemoveSettledRows(const QList<int>& rows) override;

    // A click on a row's mark: the family's (a settled status) or a group.
    void OnMarkClick(int row);
    void DrawMark(QPainter& painter, const QRect& box, int mark) const;

    // The double click per mode: a command, the family's own opening of
    // the row, or the drill-down into the detail's family.
    void OnDblclkList(int row);
    // List printing: print and preview of the list as shown (a grouped list
    // asks for details or totals first), the printed sheet, the company
    // line from "Other/Com.aut" and the end of a preview.
    void OnFilePrint();
    void OnFilePrintPreview();
    bool TakePrintSheet(CReportPrintSheet& sheet, bool totalsOnly) const;
    void OnEndPrintPreview();
    static QString ReadCompanyName();
    QString m_strSubTitle; // "【…】" under the period on paper, when set
    // The ledgers of the partners selected in a balance list (23, 24) or of
    // the ledger shown (43-46) go to the slip-form program through the work
    // tables; the stock detail (42) prints as a list.
    void OnPrintLedger();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    // Replaced by another screen: the widths are kept before it reads them.
    void hideEvent(QHideEvent* event) override;

  private:
    // What the families' controllers see of this screen.
    CMakeMsgID& Data() const override;
    int ClosingDay() const override;
    void SelectRows(const QList<int>& rows) override;
    void ShowPeriod(const QString& text) override;
    void ShowCount(const QString& text) override;
    void RepaintRows() override;
    void ClearRows() override;
    void ReloadList(bool newColumns) override;
    void ShowMode(int mode, const QString& title) override;
    void BackToMenu() override;
    int Ask(const QString& question, int buttons, int icon, int defaultButton) const override;
    void Tell(const QString& text, int icon) const override;
    QWidget* DialogParent() override;
    bool AskClosingDate(bool purchase) override;
    bool OpenReceipt(const CReceiptRequest& request) override;
    bool OpenStockChange(CStockChangeRequest& request) override;

    // The screen's own commands: what each runs and, where it has one, its
    // state (enabled unless the state says otherwise).
    struct CViewCommand {
        int id;
        void (*run)(CShimeView&);
        void (*state)(const CShimeView&, CCmdUI&) = nullptr;
    };
    static const std::vector<CViewCommand>& ViewCommands();

    // The controller of the mode shown; none outside the list modes.
    IReportController* ShownController();
    void DoLayout();
    void ResetModel();
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
    CColumnWidthMap m_widthMap;
    QList<quint32> m_widths;
    int m_nMarkBitmap = 229;
    int m_bSortDesc = 0;
    bool m_bInitialized = false;
    // One controller a family.
    std::map<EReportFamily, std::unique_ptr<IReportController>> m_controllers;
};

// View kinds 8-48 are the report list's modes.
bool IsReportViewKind(int kind);
