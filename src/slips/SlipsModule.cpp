#include "slips/SlipsModule.h"

#include "slips/HeaderView.h"
#include "slips/ReceiptDlg.h"
#include "slips/SlipExtractDlg.h"
#include "slips/StockChangeDlg.h"

#include "app/DialogRequests.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/RecordCompare.h"
#include "platform/data/TradeSide.h"
#include "platform/ui/CodeListTool.h"
#include "platform/ui/Modal.h"
#include "resources/CommandIds.h"

namespace
{

// The menu screen's 伝票の抽出: the conditions, then the list that uses them.
void ExtractAndList(CMainFrame& frame, const QString& header, int viewKind)
{
    CSlipExtractDlg dialog(header, false, &frame);
    if (RunModal(dialog) != QDialog::Accepted || dialog.Rules().m_nExtractionSet != 1)
        return;
    frame.SwitchView(viewKind, CSlipExtraction{dialog.Rules().m_strResult});
}

// The code list over the frame's database: code and name of each record.
QList<CCodeListEntry> ReadCodeList(QChar kind)
{
    QList<CCodeListEntry> entries;
    CMainFrame* frame = CMainFrame::Instance();
    if (!frame)
        return entries;
    const CTradeSide* side = kind == u'C'   ? &CTradeSide::Sales()
                             : kind == u'S' ? &CTradeSide::Purchases()
                                            : nullptr;
    const QString table = side ? QString::fromLatin1(side->partner) : QStringLiteral("Item");
    const QString code = side ? QString::fromLatin1(side->code) : QStringLiteral("ItemCode");
    CCDSData request;
    request.m_strTable = table;
    request.m_strCondition = QStringLiteral("ORDER BY ") + code;
    CCDSData result;
    QString err;
    if (frame->GetMakeMsgID().GetDataList(request, result, err) != CMakeMsgID::kOk)
        return entries;
    for (int i = 0; i < result.GetCount(); ++i) {
        const COneRecord* r = result.GetAt(i);
        const CTb* c = r->GetOneField(table, code);
        const CTb* n = kind == u'G' ? r->GetOneField(table, QStringLiteral("ItemName")) : nullptr;
        entries.append({c ? c->GetText() : QString(),
                        kind == u'G' ? (n ? n->GetText() : QString()) : GetCompanySectionName(r, table)});
    }
    return entries;
}

// A receipt list row changed, or a schedule row settled by a new slip for
// its closing, preset with the scheduled amount exactly as it is due.
bool OpenReceiptDialog(CMainFrame& frame, QWidget* parent, const CReceiptRequest& request)
{
    CReceiptDlg dialog(parent, frame.GetMakeMsgID(), request.m_nKind, request.m_nMode);
    CReceiptRules& rules = dialog.Rules();
    if (request.m_nMode == 2) {
        rules.m_strCode = request.m_strCode;
        rules.m_strName = request.m_strName;
        rules.m_nHeaderID = request.m_nHeaderID;
        rules.Init();
    } else {
        rules.Init();
        rules.m_strCode = request.m_strCode;
        rules.m_strName = request.m_strName;
        rules.m_strShownCode = request.m_strCode;
        CCloseHistoryItem item;
        item.m_nID = request.m_nCloseID;
        item.m_dtCollect = request.m_dtCollect;
        item.m_dtClose = request.m_dtClose;
        item.m_amount = request.m_amount;
        item.m_strName = request.m_strName;
        item.m_strMyPerson = request.m_strMyPerson;
        rules.SetHistory({item});
        rules.m_rows[0].m_nMethod = request.m_nMethod;
        rules.m_rows[0].m_amount = request.m_amount;
        rules.m_strMyPerson = request.m_strMyPerson;
        rules.ComputeTotals();
    }
    dialog.ShowValues();
    return RunModal(dialog) == QDialog::Accepted;
}

// A stock movement of a stock list row: the dialog saves it, the request
// brings back what was saved.
bool OpenStockChangeDialog(CMainFrame& frame, QWidget* parent, CStockChangeRequest& request)
{
    static_assert(int(CStockChangeRequest::kIn) == int(CStockChangeRules::kIn) &&
                  int(CStockChangeRequest::kOut) == int(CStockChangeRules::kOut));
    CStockChangeDlg dialog(request.m_nMode, frame.GetMakeMsgID(), parent);
    CStockChangeRules& rules = dialog.Rules();
    rules.Init();
    rules.m_strCode = request.m_strCode;
    rules.m_strName = request.m_strName;
    if (request.m_nMode == 2) {
        rules.m_nID = request.m_nID;
        if (request.m_date.isValid())
            rules.m_date = request.m_date;
        rules.m_strNo = request.m_strNo;
        rules.m_strMemo = request.m_strMemo;
        rules.m_strQuantity = request.m_strQuantity;
        rules.m_nType = request.m_nType;
    }
    dialog.ShowValues();
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    request.m_date = rules.m_date;
    request.m_strNo = rules.m_strNo;
    request.m_strCode = rules.m_strCode;
    request.m_strName = rules.m_strName;
    request.m_nType = rules.m_nType;
    request.m_strQuantity = rules.m_strQuantity;
    request.m_strMemo = rules.m_strMemo;
    return true;
}

} // namespace

void RegisterSlipViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Header, [](CMainFrame& frame) -> CView* { return new CHeaderView(frame); });
    const struct {
        int id;
        const char* header;
        int kind;
    } extractions[] = {{ID_ESTIMATE_EXTRACT, "Estimate_H", 4},
                       {ID_SALES_EXTRACT, "Sales_H", 5},
                       {ID_ORDER_EXTRACT, "Order_H", 6},
                       {ID_STOCK_EXTRACT, "Stock_H", 7}};
    for (const auto& e : extractions) {
        const QString header = QString::fromLatin1(e.header);
        const int kind = e.kind;
        registry.RegisterCommand(e.id,
                                 [header, kind](CMainFrame& frame) { ExtractAndList(frame, header, kind); });
    }
    SetCodeListReader(ReadCodeList);
    registry.RegisterCommand(ID_RECEIPT_NEW, [](CMainFrame& frame) { RunReceiptEntry(frame, 0); });
    registry.RegisterCommand(ID_PAYMENT_NEW, [](CMainFrame& frame) { RunReceiptEntry(frame, 1); });
    registry.RegisterCommand(ID_STOCK_CHANGE_NEW, [](CMainFrame& frame) { RunStockChangeEntry(frame); });
    // The report lists open these dialogs for their rows.
    registry.RegisterOpener(OpenReceiptDialog);
    registry.RegisterOpener(OpenStockChangeDialog);
}
