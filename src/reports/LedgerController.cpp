// The ledgers and stock in/out details of the report list: drill-down from
// the balance and stock in/out lists and back, the load and fill of one
// partner's or product's rows; and the slip behind a row of the slip-line
// lists.

#include "reports/LedgerController.h"

#include "app/SlipForm.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/forms/LayoutInfo.h"
#include "platform/forms/PloMainData.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/LedgerCreateDlg.h"
#include "reports/LedgerList.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ReportScreen.h"
#include "resources/CommandIds.h"

CLedgerController::CLedgerController(IReportScreen& screen, CReportList& list)
    : CReportController(screen, list)
{
    MapFamilyCommands(*this, Commands());
}

const std::vector<CFamilyCommand<CLedgerController>>& CLedgerController::Commands()
{
    using C = CLedgerController;
    static const std::vector<CFamilyCommand<C>> commands{
        // The way back is closed to a ledger opened directly.
        {ID_BACK_TO_LIST, &C::OnBackToList,
         [](const C& c) { return c.Mode().backTo != 0 && !c.m_bLedgerDirect; }},
        {ID_LEDGER_CONDITION, &C::OnLedgerCondition, [](const C& c) { return c.Mode().ledger; }},
    };
    return commands;
}

void CLedgerController::Load()
{
    if (ReportMode(m_list.GetMode()).loader != EReportLoader::Ledger)
        return;
    m_bLedgerDirect = 1;
    LoadLedger();
}

bool CLedgerController::FillRows()
{
    // Ledgers (42-46) fill from their own record sets and set their labels.
    if (!ReportMode(m_list.GetMode()).ledger)
        return false;
    FillLedgerList();
    return true;
}

void CLedgerController::OpenRow(int /*row*/)
{
    ShowSlip();
}

void CLedgerController::DrillDown(int row)
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (info.drillTo == 0 || row < 0 || row >= m_list.RowCount())
        return;
    // The stock in/out list drills down to a product, the balances to a partner.
    const bool product = info.ListsProducts();
    const bool purchase = info.side.IsPurchases();
    CReportRequest& request = m_request;
    const CReportRow& target = m_list.Rows()[size_t(row)];
    // Under a classification the detail rows name their record by position.
    COneRecord* record = target.record;
    if (request.groupByClass && target.kind == CReportRow::kDetail && target.data >= 0 &&
        target.data < m_list.Records().GetCount())
        record = m_list.Records().GetAt(target.data);
    if (!record)
        return;
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
            result = m_screen.Data().GetItemInOutList(code, request.from, request.to, head, rows,
                                                      request.lastCarryForward, err);
        } else {
            code = TextOf(record, CTradeSide::Of(purchase).code);
            name = TextOf(record, "Company_Section_Name");
            result =
                m_screen.Data().GetMotocho(purchase ? 1 : 0, code, request.from, request.to, head, rows, err);
        }
    }
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(
            result, Q(product ? "明細データの取得に失敗しました。" : "元帳データの取得に失敗しました。"), err,
            ScreenTell());
        return;
    }
    // The detail's label, reload and print name the partner or product shown.
    request.ledgerCode = code;
    request.ledgerName = name;
    m_LedgerHead = std::move(head);
    m_LedgerRows = std::move(rows);
    m_bLedgerDirect = 0;
    const CReportModeInfo& detail = ReportMode(info.drillTo);
    m_screen.ShowMode(detail.mode, Q(detail.drillTitle));
}

void CLedgerController::LoadLedger()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (!info.ledger)
        return;
    CReportRequest& request = m_request;
    // The rows shown point into the sets about to be emptied.
    m_screen.ClearRows();
    m_LedgerHead.RemoveAll();
    m_LedgerRows.RemoveAll();
    QString err;
    int result;
    {
        CWaitScope wait;
        if (info.ListsProducts())
            result =
                m_screen.Data().GetItemInOutList(request.ledgerCode, request.from, request.to, m_LedgerHead,
                                                 m_LedgerRows, request.lastCarryForward, err);
        else
            result = m_screen.Data().GetMotocho(m_list.IsPurchase() ? 1 : 0, request.ledgerCode, request.from,
                                                request.to, m_LedgerHead, m_LedgerRows, err);
    }
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("データの取得に失敗しました。"), err, ScreenTell());
        return;
    }
    m_screen.ShowPeriod(PeriodText(request.from, request.to));
    m_screen.ShowCount(Q("%1 %2").arg(request.ledgerCode, request.ledgerName));
}

int CLedgerController::FillLedgerList()
{
    const CLedgerHead head = FillLedgerRows(m_list, m_LedgerHead, m_LedgerRows);
    m_LedgerCarried = head.carried;
    m_screen.ShowCount(head.partnerLabel);
    m_strPrintSubTitle = head.partnerLabel;
    return 1;
}

void CLedgerController::OnBackToList()
{
    if (m_bLedgerDirect) {
        m_screen.BackToMenu();
        return;
    }
    const int backTo = ReportMode(m_list.GetMode()).backTo;
    if (backTo == 0)
        return;
    const CReportModeInfo& list = ReportMode(backTo);
    m_screen.ShowMode(list.mode, Q(list.title));
    m_screen.ShowCount(Q("件数：%1件").arg(m_list.Records().GetCount()));
    m_strPrintSubTitle.clear();
    m_LedgerHead.RemoveAll();
    m_LedgerRows.RemoveAll();
}

void CLedgerController::OnLedgerCondition()
{
    const int mode = m_list.GetMode();
    if (!ReportMode(mode).ledger)
        return;
    if (!AskLedgerConditions(m_request, mode, m_request.from, m_request.to))
        return;
    LoadLedger();
    m_screen.RefreshList();
}

void CLedgerController::ShowSlip()
{
    auto tell = [this](const QString& text) { m_screen.Tell(text); };
    if (m_screen.Ask(Q("選択されたデータに該当する伝票を表示しますか？"), MB_OKCANCEL, MB_ICONQUESTION) !=
        IDOK)
        return;
    const QList<int> rows = m_screen.SelectedRowsOrSay(Q("表示するデータを選択してください。\n"));
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
    const int result = m_screen.Data().GetDataList(request, found, err);
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("データの取得に失敗しました。"), err, ScreenTell());
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
    SlipForm::RunSlipFormProgram(u' ' + fileName + QStringLiteral(" /C:%1 /R:%2").arg(kind).arg(headerId));
}
