// The schedules (10, 11) and the receipts and payments (14-17): receipts
// and payments taken from the schedules, the scheduled date, the receipt and
// payment slips changed from their lists, bank-transfer requests and receipt
// vouchers.

#include "reports/ScheduleController.h"

#include "app/DialogRequests.h"
#include "app/SlipForm.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/DateSetDlg.h"
#include "reports/PaymentSlips.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ReportModes.h"
#include "reports/ReportScreen.h"
#include "resources/CommandIds.h"
#include "settings/CounterInfo.h"
#include "settings/DocumentNumbers.h"

#include <QHash>

CScheduleController::CScheduleController(IReportScreen& screen, CReportList& list)
    : CReportController(screen, list)
{
    MapFamilyCommands(*this, Commands());
}

const std::vector<CFamilyCommand<CScheduleController>>& CScheduleController::Commands()
{
    using C = CScheduleController;
    static const auto selected = [](const C& c) { return c.SelectedCount() >= 1; };
    static const std::vector<CFamilyCommand<C>> commands{
        // The dialog opens on one row.
        {ID_REPORT_RECEIPT, &C::OnReceiptPaymentDialog, [](const C& c) { return c.SelectedCount() == 1; }},
        {ID_REPORT_BULK_RECEIPT, &C::OnBulkReceiptPayment, selected},
        {ID_REPORT_SCHEDULE_DATE, &C::OnChangeScheduledDate, selected},
        // Every transfer row of the list, selected or not.
        {ID_REPORT_TRANSFER, &C::OnPrintTransferRequest},
        {ID_REPORT_RECEIPT_PRINT, &C::OnPrintReceipt, selected},
    };
    return commands;
}

void CScheduleController::Load()
{
    if (ReportMode(m_list.GetMode()).loader == EReportLoader::Schedule)
        LoadScheduleList();
}

void CScheduleController::OnReceiptPaymentDialog()
{
    const int mode = m_list.GetMode();
    if (!ReportMode(mode).opensReceipt)
        return;
    const QList<int> selected = m_screen.GetSelectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.first();
    const COneRecord* record = m_list.RecordAt(row);
    if (!record)
        return;
    const bool purchase = m_list.IsPurchase();
    const int kind = purchase ? 1 : 0;
    const QString code = TextOf(record, CTradeSide::Of(purchase).code);
    const QString name = TextOf(record, "Company_Section_Name");
    CReceiptRequest request;
    request.m_nKind = kind;
    request.m_strCode = code;
    request.m_strName = name;

    if (ReportMode(mode).loader == EReportLoader::SlipDetail) {
        // An existing slip: changed in the dialog, then the list is read again.
        request.m_nMode = 2;
        request.m_nHeaderID = IntOf(record, "ID");
        if (!m_screen.OpenReceipt(request))
            return;
        m_screen.Tell(Q("リストを更新します"), MB_ICONINFORMATION);
        CWaitScope wait;
        m_screen.ReloadList(false);
        return;
    }

    // A schedule row: a new slip for its closing, preset with the scheduled
    // amount exactly as it is due.
    request.m_nMode = 1;
    request.m_nCloseID = IntOf(record, "ID");
    request.m_dtCollect = DateOf(record, "CollectDate");
    request.m_dtClose = DateOf(record, "CloseDate");
    request.m_amount = MoneyOf(record, purchase ? "今回仕入額" : "今回売上額");
    request.m_strMyPerson = TextOf(record, "MyPerson");
    request.m_nMethod = ReceiptMethodIndex(TextOf(record, "CollectType"));
    if (!m_screen.OpenReceipt(request))
        return;
    CTb status(Q("Status"), CTb::kInteger);
    status = 1;
    if (UpdateSelectedRecords(Q("Status"), status, {row}) != 1)
        return;
    m_screen.RemoveSettledRows({row});
}

void CScheduleController::OnBulkReceiptPayment()
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::Schedule)
        return;
    const QString question = Q("選択されたデータの") +
                             Q(m_list.IsPurchase() ? "支払予定額で出金処理" : "入金予定額で入金処理") +
                             Q("をします。よろしいですか？");
    if (m_screen.Ask(question, MB_OKCANCEL, MB_ICONQUESTION) != IDOK)
        return;
    const QList<int> rows = m_screen.SelectedRowsOrSay(Q("処理を行うレコードを選択してください"));
    if (rows.isEmpty())
        return;
    CreatePaymentSlips(rows);
}

int CScheduleController::CreatePaymentSlips(const QList<int>& rows)
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::Schedule || rows.isEmpty())
        return 0;
    const bool purchase = m_list.IsPurchase();
    QList<CScheduledPayment> payments;
    QList<int> taken;
    for (int row : rows) {
        const COneRecord* record = m_list.RecordAt(row);
        if (!record)
            continue;
        CScheduledPayment payment;
        payment.closingId = IntOf(record, "ID");
        payment.partnerCode = TextOf(record, CTradeSide::Of(purchase).code);
        payment.amount = MoneyOf(record, CTradeSide::Of(purchase).dueAmount);
        payment.myPerson = TextOf(record, "MyPerson");
        payment.method = TextOf(record, "CollectType");
        payments << payment;
        taken << row;
    }
    if (payments.isEmpty())
        return 0;

    // The numbers are taken before anything is written: a failed run leaves
    // a gap in the numbering, never a number used twice.
    const int kind = purchase ? COUNTER_PAYMENT : COUNTER_RECEIPT;
    // None of them is one the books hold. Without a counter file that can
    // be read and written no slip is written: one without a number, or with
    // a number the next run would give again, is worse than none.
    QStringList numbers;
    CDocumentNumbers counter(m_screen.Data(), kind);
    CDocumentNumbers::EResult numbered;
    {
        CWaitCursor wait;
        numbered = counter.Take(int(payments.size()), numbers);
    }
    if (numbered == CDocumentNumbers::EResult::NotRead) {
        ShowReportFailure(counter.DataResult(), Q("データの追加に失敗しました。"), counter.DataError(),
                          ScreenTell());
        return 0;
    }
    if (numbered == CDocumentNumbers::EResult::Exhausted) {
        m_screen.Tell(counter.RefusalText(Q("登録しませんでした"), Q("登録して")), MB_ICONEXCLAMATION);
        return 0;
    }
    if (numbered != CDocumentNumbers::EResult::Taken) {
        m_screen.Tell(counter.MissingText(numbered, Q("登録しませんでした"), Q("登録して")),
                      MB_ICONEXCLAMATION);
        return 0;
    }
    if (!counter.Notice().isEmpty())
        m_screen.Tell(counter.Notice(), MB_ICONINFORMATION);
    int result;
    {
        CWaitCursor wait;
        result = WritePaymentSlips(m_screen.Data(), purchase, payments, numbers, UiServices::Clock().Today(),
                                   ScreenTell());
    }
    if (result != 1)
        return 0;
    m_screen.RemoveSettledRows(taken);
    return 1;
}

void CScheduleController::OnChangeScheduledDate()
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::Schedule)
        return;
    const QString word = Q(m_list.IsPurchase() ? "支払" : "入金");
    const QList<int> rows =
        m_screen.SelectedRowsOrSay(word + Q("予定日を変更したいデータを選択してください。"));
    if (rows.isEmpty())
        return;
    QDateTime chosen;
    CDateSetDlg dialog(&chosen, m_screen.DialogParent());
    dialog.SetPrompt(word + Q("予定日を指定してください。"));
    if (RunModal(dialog) != QDialog::Accepted || !chosen.isValid())
        return;
    const QDate date = chosen.date();
    CTb value(Q("CollectDate"), CTb::kDate);
    value = date;
    if (UpdateSelectedRecords(Q("CollectDate"), value, rows) != 1)
        return;
    // In place: the list keeps its order until it is loaded again.
    for (int row : rows) {
        CReportRow& target = m_list.Rows()[size_t(row)];
        if (!target.record)
            continue;
        const CTb* field = target.record->SetField(Q("CollectDate"), date);
        if (!target.texts.isEmpty())
            target.texts[0] = field->GetText();
    }
    m_screen.RepaintRows();
}

void CScheduleController::OnPrintTransferRequest()
{
    if (!ReportMode(m_list.GetMode()).printsTransferRequest)
        return;
    // The day is the view's own: the frame's closing date keeps choosing
    // what the schedule loads.
    QDateTime transferDate;
    CDateSetDlg dialog(&transferDate, m_screen.DialogParent());
    dialog.SetPrompt(Q("振込指定日を指定してください。"));
    if (RunModal(dialog) != QDialog::Accepted || !transferDate.isValid())
        return;

    // Every transfer row of the list, selected or not.
    const QString transfer = Q("振込");
    CCDSData lines;
    lines.m_strTable = Q("WBank_B");
    QList<int> rows;
    for (int row = 0; row < m_list.RowCount(); ++row) {
        const COneRecord* record = m_list.RecordAt(row);
        if (!record || TextOf(record, "CollectType") != transfer)
            continue;
        rows << row;
        COneRecord* line = lines.AddNew();
        line->SetField(Q("WBank_B.HeaderID"), 1);
        struct Copy {
            const char* from;
            const char* to;
        };
        static const Copy kCopies[] = {
            {"Bank", "Bank"},
            {"BankCode", "BankCode"},
            {"BankBranch", "BankBranch"},
            {"BankBranchCode", "BankBranchCode"},
            {"BankAccountType", "BankAccountType"},
            {"BankNumber", "BankNumber"},
            {"BankOnesName", "BankOnesName"},
            {"BankOnesPhoenic", "BankOnesPhoenic"},
            {"振込額", "Amount"},
            {"PaymentType", "PaymentType"},
            {"振込み手数料", "Fee"},
        };
        for (const Copy& c : kCopies) {
            CTb copy(Q("WBank_B.") + Q(c.to));
            if (const CTb* field = Field(record, c.from))
                copy.SetData(*field);
            line->AddField(copy);
        }
    }
    if (rows.isEmpty()) {
        m_screen.Tell(Q("振込の支払はありませんでした。"));
        return;
    }
    int result;
    {
        CWaitCursor wait;
        result = WriteTransferRequest(m_screen.Data(), transferDate, lines, ScreenTell());
    }
    if (result != 1)
        return;
    if (SlipForm::OpenSlipForm(13, QString(), 0) == 0)
        return;
    if (m_screen.Ask(Q("振込依頼書に印刷したデータを支払済みにしますか？"), MB_YESNO, MB_ICONQUESTION) !=
        IDYES)
        return;
    // Paid at the scheduled amounts, not the transfer amounts.
    CreatePaymentSlips(rows);
}

void CScheduleController::LoadScheduleList()
{
    m_list.ClearRecords();
    CCDSData records;
    const int result = RunReportStatement(m_screen.Data(),
                                          ScheduleListSql(m_list.IsPurchase(), m_list.m_nCarryOver,
                                                          m_screen.ClosingDate(), m_screen.ClosingDay()),
                                          records, ScreenTell());
    if (result != 1)
        return;
    m_screen.ShowLoaded(std::move(records));
}

void CScheduleController::OnPrintReceipt()
{
    if (!ReportMode(m_list.GetMode()).printsReceiptVoucher)
        return;
    const QList<int> rows = m_screen.SelectedRowsOrSay(Q("印刷するデータを選択してください。"));
    if (rows.isEmpty())
        return;
    CCDSData headers;
    headers.m_strTable = Q("WReceipt_H");
    QList<int> ids;
    QHash<int, int> renumbered;
    for (int row : rows) {
        const COneRecord* record = m_list.RecordAt(row);
        if (!record)
            continue;
        const int number = headers.GetCount() + 1;
        COneRecord* work = headers.AddNew();
        for (int f = 0; f < record->GetCount(); ++f) {
            const CTb& field = *record->GetAt(f);
            const QString name = BareName(field);
            if (name.compare(Q("ID"), Qt::CaseInsensitive) == 0) {
                int id = 0;
                field.GetData(id);
                ids << id;
                renumbered.insert(id, number);
                work->SetField(Q("WReceipt_H.ID"), number);
                continue;
            }
            AddCopy(*work, field, Q("WReceipt_H.") + name);
        }
    }
    if (headers.GetCount() == 0)
        return;

    CMakeMsgID& data = m_screen.Data();
    QString err;
    // Every body is read before anything is written, so a failed read
    // leaves the work tables as they were.
    CCDSData bodies;
    for (const QString& batch : IdBatches(ids)) {
        CCDSData request;
        request.m_strTable = Q("Receipt_B");
        request.m_strCondition = Q("WHERE HeaderID IN (%1) ORDER BY HeaderID, LineNo, ID").arg(batch);
        const int result = data.GetDataList(request, bodies, err);
        if (result != CMakeMsgID::kOk) {
            ShowReportFailure(result, Q("データの取得に失敗しました。"), err, ScreenTell());
            return;
        }
    }
    CCDSData lines;
    lines.m_strTable = Q("WReceipt_B");
    for (int i = 0; i < bodies.GetCount(); ++i) {
        const COneRecord* body = bodies.GetAt(i);
        COneRecord* work = lines.AddNew();
        for (int f = 0; f < body->GetCount(); ++f) {
            const CTb& field = *body->GetAt(f);
            const QString name = Q("W") + field.GetName();
            if (BareName(field).compare(Q("HeaderID"), Qt::CaseInsensitive) == 0) {
                int id = 0;
                field.GetData(id);
                work->SetField(name, renumbered.value(id));
                continue;
            }
            AddCopy(*work, field, name);
        }
    }

    // Headers and bodies as one unit: a voucher never lacks its lines.
    int result = data.BeginTransaction(err);
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("データの追加に失敗しました(H)。"), err, ScreenTell());
        return;
    }
    if ((result = data.InsertData(headers, err)) != CMakeMsgID::kOk) {
        AbandonReportTransaction(data, result, Q("データの追加に失敗しました(H)。"), err, ScreenTell());
        return;
    }
    if (lines.GetCount() > 0 && (result = data.InsertData(lines, err)) != CMakeMsgID::kOk) {
        AbandonReportTransaction(data, result, Q("データの追加に失敗しました(B)。"), err, ScreenTell());
        return;
    }
    if ((result = data.Commit(err)) != CMakeMsgID::kOk) {
        AbandonReportTransaction(data, result, Q("データの追加に失敗しました(B)。"), err, ScreenTell());
        return;
    }
    SlipForm::OpenSlipForm(10, QString(), 0);
}
