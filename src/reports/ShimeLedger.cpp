// The ledgers and stock in/out details of the report list: drill-down from
// the balance and stock in/out lists and back, the load and fill of one
// partner's or product's rows, and the double click with the slip behind a
// detail row.

#include "app/MainFrame.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/forms/LayoutInfo.h"
#include "platform/forms/PloMainData.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/LedgerCreateDlg.h"
#include "reports/LedgerList.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

namespace
{

// The stock movement edit of the stock lists.
constexpr int kEditStockRow = 32905;

} // namespace

void CShimeView::ShowListMode(int mode, const QString& title, int menuId)
{
    CMainFrame& frame = GetFrame();
    m_list.SetMode(mode);
    frame.SetViewKind(mode);
    m_strTitle = title;
    frame.SetViewMenu(menuId);
    frame.ShowViewToolBar(true);
    frame.setWindowTitle(ProgramTitle() + QStringLiteral("－") + title);
}

void CShimeView::DrillDown(int row)
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (info.drillTo == 0 || row < 0 || row >= m_list.RowCount())
        return;
    // The stock in/out list drills down to a product, the balances to a partner.
    const bool product = info.ListsProducts();
    const bool purchase = info.side != 0;
    CMainFrame& frame = GetFrame();
    const CReportRow& target = m_list.Rows()[size_t(row)];
    // Under a classification the detail rows name their record by position.
    COneRecord* record = target.record;
    if (frame.m_bGroupByClass && target.kind == CReportRow::kDetail && target.data >= 0 &&
        target.data < m_list.Records().GetCount())
        record = m_list.Records().GetAt(target.data);
    if (!record)
        return;
    SaveColumnWidths();
    m_LedgerHead.RemoveAll();
    m_LedgerRows.RemoveAll();

    CCDSData head, rows;
    QString err, code, name;
    int result;
    {
        CWaitScope wait;
        if (product) {
            code = TextOf(record, "ItemCode");
            name = TextOf(record, "ItemName");
            result = frame.GetMakeMsgID().GetItemInOutList(code, frame.m_dtPeriodFrom, frame.m_dtPeriodTo,
                                                           head, rows, frame.m_dtLastCarryForward, err);
        } else {
            code = TextOf(record, CTradeSide::Of(purchase).code);
            name = TextOf(record, "Company_Section_Name");
            result = frame.GetMakeMsgID().GetMotocho(purchase ? 1 : 0, code, frame.m_dtPeriodFrom,
                                                     frame.m_dtPeriodTo, head, rows, err);
        }
    }
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(
            result, Q(product ? "明細データの取得に失敗しました。" : "元帳データの取得に失敗しました。"),
            err);
        return;
    }
    // The detail's label, reload and print name the partner or product shown.
    frame.m_strLedgerCode = code;
    frame.m_strLedgerName = name;
    m_LedgerHead = std::move(head);
    m_LedgerRows = std::move(rows);
    m_bLedgerDirect = 0;
    const CReportModeInfo& detail = ReportMode(info.drillTo);
    ShowListMode(detail.mode, Q(detail.drillTitle), detail.menuId);
    InitListControl();
    RefreshList();
}

void CShimeView::LoadLedger()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (!info.ledger)
        return;
    CMainFrame& frame = GetFrame();
    // The rows shown point into the sets about to be emptied.
    m_list.ClearRows();
    m_pModel->Reset();
    m_LedgerHead.RemoveAll();
    m_LedgerRows.RemoveAll();
    QString err;
    int result;
    {
        CWaitScope wait;
        if (info.ListsProducts())
            result = frame.GetMakeMsgID().GetItemInOutList(frame.m_strLedgerCode, frame.m_dtPeriodFrom,
                                                           frame.m_dtPeriodTo, m_LedgerHead, m_LedgerRows,
                                                           frame.m_dtLastCarryForward, err);
        else
            result = frame.GetMakeMsgID().GetMotocho(m_list.IsPurchase() ? 1 : 0, frame.m_strLedgerCode,
                                                     frame.m_dtPeriodFrom, frame.m_dtPeriodTo, m_LedgerHead,
                                                     m_LedgerRows, err);
    }
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("データの取得に失敗しました。"), err);
        return;
    }
    m_strPeriodText = PeriodText(frame.m_dtPeriodFrom, frame.m_dtPeriodTo);
    m_strCountText = Q("%1 %2").arg(frame.m_strLedgerCode, frame.m_strLedgerName);
    UpdateLabels();
}

int CShimeView::FillLedgerList()
{
    const CLedgerHead head = FillLedgerRows(m_list, m_LedgerHead, m_LedgerRows);
    m_LedgerCarried = head.carried;
    m_strCountText = head.partnerLabel;
    UpdateLabels();
    m_strPrintSubTitle = head.partnerLabel;
    return 1;
}

void CShimeView::OnBackToList()
{
    if (m_bLedgerDirect) {
        GetFrame().SwitchView(0);
        return;
    }
    const int backTo = ReportMode(m_list.GetMode()).backTo;
    if (backTo == 0)
        return;
    SaveColumnWidths();
    const CReportModeInfo& list = ReportMode(backTo);
    ShowListMode(list.mode, Q(list.title), list.menuId);
    InitListControl();
    RefreshList();
    m_strCountText = Q("件数：%1件").arg(m_list.Records().GetCount());
    UpdateLabels();
    m_strPrintSubTitle.clear();
    m_LedgerHead.RemoveAll();
    m_LedgerRows.RemoveAll();
}

void CShimeView::OnLedgerCondition()
{
    const int mode = m_list.GetMode();
    if (!ReportMode(mode).ledger)
        return;
    CMainFrame& frame = GetFrame();
    if (!AskLedgerConditions(frame, mode, frame.m_dtPeriodFrom, frame.m_dtPeriodTo))
        return;
    LoadLedger();
    RefreshList();
}

void CShimeView::OnRowDoubleClick(int row)
{
    OnDblclkList(row);
}

void CShimeView::OnDblclkList(int row)
{
    if (row < 0 || row >= m_list.RowCount())
        return;
    const EReportDoubleClick action = ReportMode(m_list.GetMode()).doubleClick;
    // Under a classification the group rows and the grand total open nothing.
    if (GetFrame().m_bGroupByClass) {
        const CReportRow& target = m_list.Rows()[size_t(row)];
        if (target.mark >= 0 || row == m_list.RowCount() - 1)
            return;
    }
    // The handlers of the other lists are reached by their commands.
    switch (action) {
    case EReportDoubleClick::ShowSlip:
        ShowSlip();
        break;
    case EReportDoubleClick::ClosePrint:
        OnCmdMsg(ID_REPORT_CLOSE_PRINT);
        break;
    case EReportDoubleClick::Receipt:
        OnCmdMsg(ID_REPORT_RECEIPT);
        break;
    case EReportDoubleClick::Reprint:
        OnCmdMsg(ID_REPORT_REPRINT);
        break;
    case EReportDoubleClick::EditStock:
        OnCmdMsg(kEditStockRow);
        break;
    case EReportDoubleClick::DrillDown:
        if (UiServices::Prompt().MessageBox(Q("詳細を表示しますか？"), MB_OKCANCEL, MB_ICONQUESTION) == IDOK)
            DrillDown(row);
        break;
    default:
        break;
    }
}

void CShimeView::ShowSlip()
{
    auto tell = [](const QString& text) { UiServices::Prompt().MessageBox(text); };
    if (UiServices::Prompt().MessageBox(Q("選択されたデータに該当する伝票を表示しますか？"), MB_OKCANCEL,
                                        MB_ICONQUESTION) != IDOK)
        return;
    const QList<int> rows = SelectedRowsOrSay(Q("表示するデータを選択してください。\n"));
    if (rows.isEmpty())
        return;
    if (rows.size() > 1) {
        tell(Q("表示するデータを１つだけ選択してください。\n"));
        return;
    }
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    const CReportSlipSource* source = info.slip.table ? &info.slip : nullptr;
    if (!source)
        return;
    const int row = rows.first();
    const COneRecord* record = m_list.RecordAt(row);
    if (!record) {
        tell(Q("レコードが設定されてません\n"));
        return;
    }
    int id = 0;
    const CTb* idField = Field(record, "ID");
    if (!idField || !idField->GetData(id)) {
        tell(Q("IDがありません\n"));
        return;
    }

    CCDSData request, found;
    request.m_strTable = Q(source->table);
    request.m_strCondition = QStringLiteral("WHERE ID = %1").arg(id);
    QString err;
    const int result = GetFrame().GetMakeMsgID().GetDataList(request, found, err);
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("データの取得に失敗しました。"), err);
        return;
    }
    // Deleted meanwhile: there is no slip to show.
    if (found.GetCount() == 0) {
        tell(Q("データの取得に失敗しました。\n該当する伝票が見つかりません。"));
        return;
    }
    const COneRecord* header = found.GetAt(0);
    auto field = [header](const char* name) { return Field(header, name); };
    if (info.billedLines && IntOf(header, "DenpyoType") != 0) {
        tell(Q("請求時消費税なので伝票はありません。"));
        return;
    }
    const QString fileName = TextOf(header, "FileName");
    if (fileName.isEmpty()) {
        tell(Q("以前起動したﾌｧｲﾙがありません\n"));
        return;
    }
    int headerId = 0, formId = 0;
    if (!field("ID") || !field("ID")->GetData(headerId)) {
        tell(Q("IDがありません\n"));
        return;
    }
    if (!field("FormID") || !field("FormID")->GetData(formId)) {
        tell(Q("LayoutIDがありません\n"));
        return;
    }
    CPloMainData forms;
    int kind = source->kind;
    if (kind == 2 && forms.GetFormBunrui(formId) == 2)
        kind = 3;
    if (formId > CLayoutInfo::kUserFormBase && !forms.GetLayoutInfo(formId)) {
        tell(Q("オリジナルフォームが削除されたため表示できません。\n") + Q(source->listName) +
             Q("で別フォームへデータを転記し、保存しなおしてください。\n"));
        return;
    }
    GetFrame().RunSlipFormProgram(u' ' + fileName + QStringLiteral(" /C:%1 /R:%2").arg(kind).arg(headerId));
}
