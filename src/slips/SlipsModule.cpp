#include "slips/SlipsModule.h"

#include "slips/HeaderView.h"
#include "slips/ReceiptDlg.h"
#include "slips/StockChangeDlg.h"
#include "slips/SlipExtractDlg.h"

#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/RecordCompare.h"
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
    frame.m_strSlipCondition = dialog.Rules().m_strResult;
    frame.m_bSlipExtracted = 1;
    frame.SwitchView(viewKind);
}

// The code list over the frame's database: code and name of each record.
QList<CCodeListEntry> ReadCodeList(QChar kind)
{
    QList<CCodeListEntry> entries;
    CMainFrame* frame = CMainFrame::Instance();
    if (!frame)
        return entries;
    const QString table = kind == u'C' ? QStringLiteral("Customer")
                          : kind == u'S' ? QStringLiteral("Supplier")
                                         : QStringLiteral("Item");
    const QString code = kind == u'C' ? QStringLiteral("CustomerCode")
                         : kind == u'S' ? QStringLiteral("SupplierCode")
                                        : QStringLiteral("ItemCode");
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
        entries.append({c ? c->GetText() : QString(), kind == u'G' ? (n ? n->GetText() : QString())
                                                                    : GetCompanySectionName(r, table)});
    }
    return entries;
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
        registry.RegisterCommand(e.id, [header, kind](CMainFrame& frame) { ExtractAndList(frame, header, kind); });
    }
    SetCodeListReader(ReadCodeList);
    registry.RegisterCommand(ID_RECEIPT_NEW, [](CMainFrame& frame) { RunReceiptEntry(frame, 0); });
    registry.RegisterCommand(ID_PAYMENT_NEW, [](CMainFrame& frame) { RunReceiptEntry(frame, 1); });
    registry.RegisterCommand(ID_STOCK_CHANGE_NEW, [](CMainFrame& frame) { RunStockChangeEntry(frame); });
}
