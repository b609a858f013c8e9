// Stock movements changed from the stock in/out list (mode 22) and stock
// taken into account from the stock list (mode 33); the row is brought up
// to date in place.

#include "reports/StockController.h"

#include "app/DialogRequests.h"
#include "platform/data/MnyText.h"
#include "platform/data/Record.h"
#include "platform/ui/Prompt.h"
#include "reports/RecordFields.h"
#include "reports/ReportList.h"
#include "reports/ReportModes.h"
#include "reports/ReportScreen.h"
#include "resources/CommandIds.h"

CStockController::CStockController(IReportScreen& screen, CReportList& list) : CReportController(screen, list)
{
    MapFamilyCommands(*this, Commands());
}

const std::vector<CFamilyCommand<CStockController>>& CStockController::Commands()
{
    using C = CStockController;
    static const std::vector<CFamilyCommand<C>> commands{
        {ID_REPORT_STOCK_EDIT, &C::OnEditStockRow},
    };
    return commands;
}

void CStockController::OnEditStockRow()
{
    const int mode = m_list.GetMode();
    const EReportStockEdit edit = ReportMode(mode).stockEdit;
    if (edit == EReportStockEdit::None)
        return;
    const QList<int> selected = m_screen.SelectedRowsOrSay(Q("修正するデータを選択してください。"));
    if (selected.isEmpty())
        return;
    const int row = selected.first();
    CReportRow& target = m_list.Rows()[size_t(row)];
    // Under grouping, subtotal rows and the grand total stand for no product.
    if (m_list.IsGrouping() && (target.kind == CReportRow::kSubtotal || target.kind == CReportRow::kGrand ||
                                target.mark >= 0 || row == m_list.RowCount() - 1))
        return;
    COneRecord* record = target.record;
    if (!record)
        return;

    CStockChangeRequest request;
    request.m_nMode = edit == EReportStockEdit::Movement ? 2 : 1;
    request.m_strCode = TextOf(record, "ItemCode");
    request.m_strName = TextOf(record, "ItemName");
    if (edit == EReportStockEdit::Movement) {
        request.m_nID = IntOf(record, "ID");
        request.m_date = DateOf(record, "Date");
        request.m_strNo = TextOf(record, "No");
        request.m_strMemo = TextOf(record, "Memo");
        const CMny in = MoneyOf(record, "InNumber");
        const CMny out = MoneyOf(record, "OutNumber");
        if (in > out) {
            request.m_strQuantity = MnyToText(in);
            request.m_nType = CStockChangeRequest::kIn;
        } else {
            request.m_strQuantity = MnyToText(out);
            request.m_nType = CStockChangeRequest::kOut;
        }
    }
    if (!m_screen.OpenStockChange(request))
        return;

    // The dialog has saved the movement; the row shows it.
    auto show = [&](const char* field, const QString& text) {
        const auto& columns = m_list.Columns();
        for (size_t c = 0; c < columns.size() && c < size_t(target.texts.size()); ++c)
            if (columns[c].m_strField == Q(field))
                target.texts[qsizetype(c)] = text;
    };
    bool ok = false;
    const CMny quantity = TextToMny(request.m_strQuantity, &ok);
    const bool in = request.m_nType == CStockChangeRequest::kIn;
    if (edit == EReportStockEdit::Movement) {
        const CMny zero(0);
        show("Date", record->SetField(Q("Date"), request.m_date)->GetText());
        show("No", record->SetField(Q("No"), request.m_strNo)->GetText());
        show("ItemCode", record->SetField(Q("ItemCode"), request.m_strCode)->GetText());
        show("ItemName", record->SetField(Q("ItemName"), request.m_strName)->GetText());
        // The dialog may turn the direction round: 区分 follows it.
        record->SetField(Q("Type"), request.m_nType);
        show("Type", CReportList::CodeToText(request.m_nType, 0, Q("Type"), false));
        record->SetField(Q("InNumber"), in ? quantity : zero);
        record->SetField(Q("OutNumber"), in ? zero : quantity);
        show("InNumber", FormatAmount(in ? quantity : zero));
        show("OutNumber", FormatAmount(in ? zero : quantity));
        show("Memo", record->SetField(Q("Memo"), request.m_strMemo)->GetText());
    } else {
        // Every step is checked: a row is changed whole or not at all.
        const CMny stock = MoneyOf(record, "在庫数");
        CMny newStock, shortage, value;
        if (!ok || (in ? stock.Plus(quantity, newStock) : stock.Minus(quantity, newStock)) != 1 ||
            newStock.Minus(MoneyOf(record, "StockJustNumber"), shortage) != 1 ||
            newStock.Multiply(MoneyOf(record, "Cost"), value, CMny::kRoundTruncate, 0) != 1) {
            m_screen.Tell(Q("計算できません"));
            return;
        }
        record->SetField(Q("在庫数"), newStock);
        record->SetField(Q("過不足数"), shortage);
        record->SetField(Q("在庫評価額"), value);
        show("在庫数", FormatAmount(newStock));
        show("過不足数", FormatAmount(shortage));
        show("在庫評価額", FormatAmount(value));
    }
    m_screen.RepaintRows();
}
