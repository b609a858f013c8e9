// The ledgers of the report lists that the slip-form program prints from
// the work tables filled here.

#include "app/MainFrame.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"
#include "reports/ReportModes.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

#include <QMetaObject>

void CShimeView::OnPrintLedger()
{
    const EReportLedgerPrint kind = ReportMode(m_list.GetMode()).ledgerPrint;
    if (kind == EReportLedgerPrint::ListPreview) {
        // The stock detail prints as a list, through its preview.
        QMetaObject::invokeMethod(
            this, [this] { GetFrame().ExecuteCommand(ID_REPORT_LIST_PREVIEW); }, Qt::QueuedConnection);
        return;
    }
    if (kind == EReportLedgerPrint::None)
        return;
    CMainFrame& frame = GetFrame();
    const bool purchase = m_list.IsPurchase();
    CCDSData request;
    request.m_strTable = Q("WMotocho_H");
    request.m_strCondition = Q(CTradeSide::Of(purchase).partner);
    const QString t = Q("WMotocho_H.");
    if (kind == EReportLedgerPrint::SelectedPartners) {
        const QList<int> rows = SelectedRowsOrSay(Q("データを選択してください。"));
        if (rows.isEmpty())
            return;
        for (int row : rows) {
            const COneRecord* record = m_list.RecordAt(row);
            if (!record)
                continue; // a classification subtotal
            COneRecord* work = request.AddNew();
            work->SetField(t + Q("ID"), 0);
            work->SetField(t + Q("CustomerCode"), TextOf(record, CTradeSide::Of(purchase).code));
            work->SetField(t + Q("Name"), TextOf(record, "Company_Section_Name"));
            work->SetField(t + Q("Term"), m_strPeriodText);
            work->SetField(t + Q("LastCollect"), MoneyOf(record, "前回残高"));
        }
        if (request.GetCount() == 0) {
            Tell(Q("データを選択してください。"), MB_ICONNONE);
            return;
        }
    } else {
        // The carried-over row leads the ledger and keeps the head record,
        // whose carried-over balance the ledger starts from; none prints 0.
        const COneRecord* head = m_list.RecordAt(0);
        const CMny carried = MoneyOf(head, "前月繰越額");
        COneRecord* work = request.AddNew();
        work->SetField(t + Q("ID"), 0);
        work->SetField(t + Q("CustomerCode"), m_request.ledgerCode);
        work->SetField(t + Q("Name"), m_request.ledgerName);
        work->SetField(t + Q("Term"), m_strPeriodText);
        work->SetField(t + Q("LastCollect"), carried);
    }
    QString err;
    int result;
    {
        CWaitDlg wait(0);
        result = frame.GetMakeMsgID().SetWMotocho(request, m_request.from, m_request.to, err);
    }
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("元帳データの作成に失敗しました。"), err);
        return;
    }
    frame.OpenSlipForm(purchase ? 9 : 8, QString(), 0);
}
