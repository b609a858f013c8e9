// The closing lists of the report screen: closing partners, issuing their
// invoices or payment statements, undoing closings, the billed and paid
// lists and the documents printed from them.

#include "reports/ClosingController.h"

#include "app/SlipForm.h"
#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/forms/LayoutInfo.h"
#include "platform/forms/PloMainData.h"
#include "platform/forms/SlipFormCommand.h"
#include "platform/sql/ClosingSql.h"
#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ReportScreen.h"
#include "resources/CommandIds.h"
#include "settings/CounterInfo.h"
#include "settings/DocumentNumbers.h"

#include <QSet>

namespace
{

// The reason of a refusal; on a full disk, which a user may take for a
// broken database, also that nothing was written.
QString SaidWhatWasLeft(const CClosingRefusal& refusal, const char* nothingDone)
{
    if (refusal.why != EClosingRefusal::NoRoom)
        return refusal.text;
    return refusal.text + u'\n' + QString::fromUtf8(nothingDone);
}

} // namespace

CCloseCandidate CClosingController::CandidateOf(const COneRecord* record, const CTradeSide& side,
                                                const QString& number)
{
    CCloseCandidate candidate;
    candidate.code = TextOf(record, side.code);
    candidate.number = number;
    candidate.collectCycle = IntOf(record, "CollectCycle");
    candidate.collectDay = IntOf(record, "CollectDay");
    candidate.tax = MoneyOf(record, "締め時点税額");
    candidate.company = TextOf(record, "Company");
    candidate.section = TextOf(record, "Section");
    candidate.name = TextOf(record, "Name");
    candidate.shown = {MoneyOf(record, side.prevBilled), MoneyOf(record, side.received),
                       MoneyOf(record, side.netAmount),  MoneyOf(record, RC_TAXABLE),
                       MoneyOf(record, RC_SLIP_TAX),     IntOf(record, side.slipCount)};
    return candidate;
}

CInvoiceHeader CClosingController::InvoiceOf(const COneRecord* record, const CTradeSide& side,
                                             bool withoutCarry)
{
    const auto amount = [record](const char* name) -> std::optional<CMny> {
        const CTb* field = Field(record, name);
        CMny value;
        if (!field || field->IsNull() || !field->GetData(value))
            return std::nullopt;
        return value;
    };
    CInvoiceHeader invoice;
    invoice.closing = IntOf(record, "ID");
    // The row names its texts and dates as the work table does, but for
    // the partner's code.
    for (const auto& text : CInvoiceHeader::kTexts)
        invoice.*text.field = TextOf(record, text.field == &CInvoiceHeader::code ? side.code : text.name);
    for (const auto& date : CInvoiceHeader::kDates)
        invoice.*date.field = DateOf(record, date.name);
    if (!withoutCarry) {
        invoice.prevBilled = amount(side.prevBilled);
        invoice.received = amount(side.received);
        invoice.carried = amount("繰越額");
    }
    invoice.net = amount(side.netAmount);
    invoice.tax = amount("消費税");
    invoice.due = amount(side.dueAmount);
    if (const CTb* slips = Field(record, side.slipCount); slips && !slips->IsNull())
        invoice.slips = IntOf(slips);
    return invoice;
}

CClosingController::CClosingController(IReportScreen& screen, CReportList& list)
    : CReportController(screen, list)
{
    MapFamilyCommands(*this, Commands());
}

const std::vector<CFamilyCommand<CClosingController>>& CClosingController::Commands()
{
    using C = CClosingController;
    static const std::vector<CFamilyCommand<C>> commands{
        {ID_REPORT_CLOSE_PRINT, &C::OnCloseAndPrint,
         [](const C& c) { return c.m_list.RowCount() > 0 && c.Mode().closesPartners; }},
        {ID_REPORT_UNDO_CLOSE, &C::OnCancelClose,
         [](const C& c) { return c.SelectedCount() >= 1 && c.Mode().handlesClosings; }},
        {ID_REPORT_CLOSING_DATE, &C::OnChangeClosingDate, [](const C& c) { return c.Mode().closesPartners; }},
        {ID_REPORT_REPRINT, &C::OnReprintInvoices, [](const C& c) { return c.SelectedCount() >= 1; }},
        {ID_MASTER_LABEL_PRINT, &C::OnAddressPrint},
    };
    return commands;
}

void CClosingController::Load()
{
    switch (ReportMode(m_list.GetMode()).loader) {
    case EReportLoader::Closing:
        LoadClosingList();
        break;
    case EReportLoader::Billed:
        LoadBilledList(m_request.periodShape);
        break;
    default:
        break;
    }
}

bool CClosingController::ReloadAfterDataChange()
{
    if (!ReportMode(m_list.GetMode()).closesPartners)
        return false;
    ReloadKeepingChoice();
    return true;
}

bool CClosingController::OnMarkClick(int row)
{
    if (!ReportMode(m_list.GetMode()).settlesByMark)
        return false;
    QList<int> rows = m_screen.GetSelectedRows();
    if (!(rows.size() > 1 && rows.contains(row)))
        rows = {row};
    const int status = m_list.Rows()[size_t(row)].mark == 0 ? 1 : 0;
    const QString word = m_list.IsPurchase() ? QStringLiteral("出金") : QStringLiteral("入金");
    const QString question =
        status == 1
            ? QStringLiteral("%1済みにしますか？※%1済みにしても%1データは変更されません。").arg(word)
            : QStringLiteral("未%1に変更にしますか？※未%1にしても%1データは変更されません。").arg(word);
    if (m_screen.Ask(question, MB_OKCANCEL, MB_ICONNONE, IDCANCEL) != IDOK)
        return true;
    CTb value(QStringLiteral("Status"), CTb::kInteger);
    value = status;
    if (!UpdateSelectedRecords(QStringLiteral("Status"), value, rows))
        return true;
    for (int r : rows) {
        CReportRow& target = m_list.Rows()[size_t(r)];
        if (target.record)
            target.record->SetField(QStringLiteral("Status"), status);
        target.mark = status;
    }
    m_screen.RepaintRows();
    return true;
}

QDate CClosingController::CalcCollectDate(const QDate& base, int cycle, int day)
{
    return CClosingService::CollectDate(base, cycle, day);
}

void CClosingController::OnCloseAndPrint()
{
    const int mode = m_list.GetMode();
    if (!ReportMode(mode).closesPartners)
        return;
    if (m_list.RowCount() == 0) {
        m_screen.Tell(Q("処理対象のレコードがありません"));
        return;
    }
    QList<int> rows = m_screen.GetSelectedRows();
    const QString question =
        rows.isEmpty() ? Q("リスト上のすべての取引先の請求を締め切り、請求書を発行します。よろしいですか？")
                       : Q("選択された取引先の請求を締め切り、請求書を発行します。よろしいですか？");
    if (m_screen.Ask(question, MB_OKCANCEL, MB_ICONQUESTION) != IDOK)
        return;
    if (rows.isEmpty())
        for (int i = 0; i < m_list.RowCount(); ++i)
            rows << i;

    const bool purchase = m_list.IsPurchase();
    const QString codeField = Q(CTradeSide::Of(purchase).code);
    const QDate closeDate = m_screen.ClosingDate();
    const QDate today = UiServices::Clock().Today();
    const int kind = purchase ? COUNTER_PAYMENT_STATEMENT : COUNTER_INVOICE;
    // One number for each partner to close, taken from the counter in one
    // save before the closing starts.
    QList<int> toClose;
    for (int row : rows)
        if (const COneRecord* record = m_list.RecordAt(row); record && IntOf(record, "ID") == 0)
            toClose << row;
    // Numbers the books already hold are passed over, and the user told.
    CDocumentNumbers counter(m_screen.Data(), kind);
    QStringList numbers;
    const CDocumentNumbers::EResult taken =
        toClose.isEmpty() ? CDocumentNumbers::EResult::Taken : counter.Take(int(toClose.size()), numbers);
    switch (taken) {
    case CDocumentNumbers::EResult::Taken:
        break;
    case CDocumentNumbers::EResult::NotRead:
        ShowClosingRefusal({counter.DataResult() == CMakeMsgID::kFatal ? EClosingRefusal::Fatal
                                                                       : ClosingFailure(m_screen.Data()),
                            counter.DataError()},
                           Q("締め処理に失敗しました。"), ScreenTell());
        return;
    case CDocumentNumbers::EResult::Exhausted:
        m_screen.Tell(counter.RefusalText(Q("締め処理を行いませんでした"), Q("締めて")), MB_ICONEXCLAMATION);
        return;
    case CDocumentNumbers::EResult::NoCounter:
    case CDocumentNumbers::EResult::NotSaved:
        // No closing without numbers of its own: one numbered from where a
        // counter stands that could not be saved gives the next closing the
        // same numbers.
        m_screen.Tell(counter.MissingText(taken, Q("締め処理を行いませんでした"), Q("締めて")),
                      MB_ICONEXCLAMATION);
        return;
    }
    if (!counter.Notice().isEmpty())
        m_screen.Tell(counter.Notice(), MB_ICONINFORMATION);
    // The closing books what each row counted: the figures the row's amounts
    // come from go along, to be checked against the database as it closes.
    const CTradeSide& side = CTradeSide::Of(purchase);
    CCloseRequest request{&side, closeDate, today, m_list.GetTaxRate(), m_strClosingSql, {}};
    QList<int> closedRows;
    for (int row : toClose) {
        COneRecord* record = m_list.RecordAt(row);
        const QString number = numbers.value(closedRows.size());
        request.candidates.push_back(CandidateOf(record, side, number));
        // The row now stands for the closing: its number and issue date
        // head the invoice.
        record->SetField(Q("No"), number);
        record->SetField(Q("Date"), today);
        if (!Field(record, Q("CloseDate")))
            record->SetField(Q("CloseDate"), closeDate);
        closedRows << row;
    }
    QList<int> leftOpen;
    if (!closedRows.isEmpty()) {
        CDataWait wait(m_screen.Data(), kWaitClosing);
        // Beside the window's thread, which paints under the dialog meanwhile;
        // one transaction, so it is not stopped halfway.
        const CCloseOutcome closed =
            m_screen.Data().RunBeside([&] { return CClosingService(m_screen.Data()).Close(request); }).value;
        wait.Dismiss();
        // Numbers of a closing that wrote nothing go back to the counter,
        // unless someone took numbers since.
        if (!closed.refusal.IsDone() || closed.changed.size() == closedRows.size())
            counter.GiveBack();
        if (!closed.refusal.IsDone()) {
            ShowClosingRefusal(closed.refusal, Q("締め処理に失敗しました。"),
                               SaidWhatWasLeft(closed.refusal, "締めた取引先はありません。"), ScreenTell());
            return;
        }
        for (int k = 0; k < closedRows.size(); ++k) {
            const int id = closed.ids.value(k);
            if (id == 0) {
                leftOpen << closedRows[k];
                continue;
            }
            CReportRow& row = m_list.Rows()[size_t(closedRows[k])];
            row.record->SetField(Q("ID"), id);
            row.mark = 1;
        }
        m_screen.RepaintRows();
    }
    if (!leftOpen.isEmpty()) {
        QStringList partners;
        for (int row : leftOpen) {
            const COneRecord* record = m_list.RecordAt(row);
            partners << QString(TextOf(record, codeField) + u' ' + TextOf(record, "Company_Section_Name"))
                            .trimmed();
        }
        m_screen.Tell(
            Q(purchase ? "次の取引先は一覧を読み込んだ後に伝票または支払が変わったため、締めませんでした。"
                       : "次の取引先は一覧を読み込んだ後に伝票または入金が変わったため、締めませんでした。") +
                Q("一覧を読み込み直します。\n") + partners.join(u'\n'),
            MB_ICONEXCLAMATION);
    }
    // Only the partners closed (now or before) get their invoices.
    QList<int> issued;
    for (int row : rows)
        if (!leftOpen.contains(row))
            issued << row;
    if (!issued.isEmpty() && m_screen.Ask(Q("締め切りました。引き続き締め請求書を発行しますか？"), MB_YESNO,
                                          MB_ICONQUESTION) == IDYES)
        IssueInvoices(issued);
    if (!leftOpen.isEmpty())
        ReloadClosingList();
}

void CClosingController::IssueInvoices(const QList<int>& rows)
{
    if (m_list.RowCount() == 0) {
        m_screen.Tell(Q("処理対象のレコードがありません"));
        return;
    }
    const int mode = m_list.GetMode();
    const bool purchase = m_list.IsPurchase();
    const CTradeSide& side = CTradeSide::Of(purchase);
    std::vector<CInvoiceHeader> invoices;
    QList<int> perSlip;
    {
        CWaitScope wait;
        for (int row : rows) {
            const COneRecord* record = m_list.RecordAt(row);
            if (!record)
                continue;
            if (!ReportMode(mode).closesPartners && IntOf(record, "TudoFlg") == 0) {
                perSlip << row;
                continue;
            }
            if (IntOf(record, "ID") == 0) {
                m_screen.Tell(Q("締め済みになっていないデータを選択しています"));
                return;
            }
            invoices.push_back(InvoiceOf(record, side, m_list.m_nCarryOver != 0));
        }
        if (!invoices.empty()) {
            CWaitCursor cursor;
            const CClosingRefusal made = CClosingService(m_screen.Data()).MakeInvoices(side, invoices);
            if (!made.IsDone()) {
                ShowClosingRefusal(made, Q("伝票の作成に失敗しました。"), ScreenTell());
                return;
            }
            SlipForm::OpenSlipForm(purchase ? 7 : 6, QString(), 0);
        }
    }
    // Per-slip invoices print as their sales slips, one hand-over per form.
    if (!perSlip.isEmpty() &&
        m_screen.Ask(Q("都度請求書を印刷します。よろしいですか？"), MB_OKCANCEL, MB_ICONQUESTION) == IDOK)
        PrintByForm(perSlip);
}

void CClosingController::OnCancelClose()
{
    const int mode = m_list.GetMode();
    if (m_screen.Ask(Q("！！！ご注意！！！\n\n") + Q("選択した締め処理を取り消しますか？\n") +
                         Q("※この請求よりあとに締め請求がある場合は、その締め請求の前回請"
                           "求額及び繰越額が変わります。よろしいですか？"),
                     MB_OKCANCEL, MB_ICONEXCLAMATION, IDCANCEL) != IDOK)
        return;
    if (m_list.RowCount() == 0) {
        m_screen.Tell(Q("処理対象のレコードがありません"));
        return;
    }
    const QList<int> selected = m_screen.SelectedRowsOrSay(Q("処理を取り消すレコードを選択してください"));
    if (selected.isEmpty())
        return;
    const bool purchase = m_list.IsPurchase();
    QList<int> kept, closings;
    bool toldOpen = false, toldPerSlip = false, toldPaid = false;
    for (int row : selected) {
        const COneRecord* record = m_list.RecordAt(row);
        if (!record)
            continue;
        const int id = IntOf(record, "ID");
        if (id == 0) {
            if (!std::exchange(toldOpen, true))
                m_screen.Tell(Q("締め済みになっていないデータを選択しています。"));
            continue;
        }
        if (ReportMode(mode).loader == EReportLoader::Billed) {
            if (IntOf(record, "TudoFlg") == 0) {
                if (!std::exchange(toldPerSlip, true))
                    m_screen.Tell(
                        Q("都度請求が含まれていますが、都度請求書の取り消しはここからはできません。売上伝票一"
                          "覧から伝票の削除を行ってください。"));
                continue;
            }
            if (IntOf(record, "Status") != 0 && !std::exchange(toldPaid, true))
                m_screen.Tell(Q("すでに入金済みのデータを選択しています。締め処理を取り消し"
                                "ても入金データはそのままですのでご注意ください。"));
        }
        kept << row;
        closings << id;
    }
    if (kept.isEmpty())
        return;
    CDataWait wait(m_screen.Data(), kWaitUndoingClosings);
    const CClosingRefusal undone =
        m_screen.Data()
            .RunBeside(
                [&] { return CClosingService(m_screen.Data()).Undo(CTradeSide::Of(purchase), closings); })
            .value;
    wait.Dismiss();
    if (!undone.IsDone()) {
        ShowClosingRefusal(undone, Q("締めの取り消しに失敗しました。"),
                           SaidWhatWasLeft(undone, "取り消した締めはありません。"), ScreenTell());
        return;
    }
    if (ReportMode(mode).closesPartners) {
        for (int row : kept) {
            CReportRow& target = m_list.Rows()[size_t(row)];
            target.record->SetField(Q("ID"), 0);
            target.mark = 0;
        }
        m_screen.RepaintRows();
        return;
    }
    m_screen.ReloadList(false);
}

void CClosingController::OnChangeClosingDate()
{
    const int mode = m_list.GetMode();
    if (!ReportMode(mode).closesPartners)
        return;
    if (!m_screen.AskClosingDate(m_list.IsPurchase()))
        return;
    ReloadClosingList();
}

void CClosingController::ReloadClosingList()
{
    CDataWait wait(m_screen.Data(), kWaitReadingList);
    LoadClosingList();
    m_screen.RefreshList();
}

void CClosingController::LoadBilledList(int periodShape)
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::Billed)
        return;
    m_list.ClearRecords();
    const CReportRequest& request = m_request;
    const CShapedPeriod period = ShapePeriod(request.from, request.to, periodShape);
    m_screen.ShowPeriod(period.text);
    CCDSData records;
    const QString sql = m_list.IsPurchase() ? MakePaidListSQL(period.start, period.end)
                                            : MakeBilledListSQL(period.start, period.end);
    if (RunReportStatement(m_screen.Data(), sql, records, ScreenTell()) != 1)
        return;
    m_screen.ShowLoaded(std::move(records));
}

void CClosingController::ReloadKeepingChoice()
{
    const QString code = QString::fromLatin1(CTradeSide::Of(m_list.IsPurchase()).code);
    QSet<QString> chosen;
    for (int row : m_screen.GetSelectedRows())
        chosen.insert(TextOf(m_list.RecordAt(row), code).toUpper());
    // The rows closed here stay, to issue their invoices, while their
    // closings do: one undone meanwhile comes back as a candidate.
    std::vector<std::unique_ptr<COneRecord>> closed;
    QList<int> ids;
    for (const CReportRow& row : m_list.Rows())
        if (const int id = row.record ? IntOf(row.record, "ID") : 0; id != 0) {
            closed.push_back(std::make_unique<COneRecord>(*row.record));
            ids << id;
        }
    QSet<int> standing;
    for (const QString& batch : IdBatches(ids)) {
        CCDSData records;
        if (RunReportStatement(
                m_screen.Data(),
                QStringLiteral("SELECT ID FROM %1 WHERE ID IN (%2)")
                    .arg(QString::fromLatin1(CTradeSide::Of(m_list.IsPurchase()).closing), batch),
                records, ScreenTell()) != 1)
            return;
        for (int i = 0; i < records.GetCount(); ++i)
            standing.insert(IntOf(records.GetAt(i), "ID"));
    }
    std::erase_if(closed,
                  [&standing](const auto& record) { return !standing.contains(IntOf(record.get(), "ID")); });
    LoadClosingList();
    m_list.KeepClosedRecords(std::move(closed));
    m_screen.RefreshList();
    QList<int> rows;
    for (int row = 0; row < m_list.RowCount(); ++row)
        if (chosen.contains(TextOf(m_list.RecordAt(row), code).toUpper()))
            rows << row;
    m_screen.SelectRows(rows);
}

void CClosingController::LoadClosingList()
{
    m_list.ClearRecords();
    CCDSData records;
    const QDate date = m_screen.ClosingDate();
    m_strClosingSql = ClosingListSql(m_list.IsPurchase(), date, m_screen.ClosingDay());
    if (RunReportStatement(m_screen.Data(), m_strClosingSql, records, ScreenTell()) != 1)
        return;
    m_screen.ShowPeriod(QStringLiteral("締日：%1").arg(date.toString(QStringLiteral("yyyy/MM/dd"))));
    m_screen.ShowLoaded(std::move(records));
}

void CClosingController::OnReprintInvoices()
{
    if (!ReportMode(m_list.GetMode()).handlesClosings)
        return;
    const QList<int> rows = m_screen.SelectedRowsOrSay(Q("印刷するデータを選択してください。"));
    if (rows.isEmpty())
        return;
    IssueInvoices(rows);
}

void CClosingController::OnAddressPrint()
{
    if (!ReportMode(m_list.GetMode()).handlesClosings)
        return;
    const QList<int> rows = m_screen.SelectedRowsOrSay(Q("データを選択してください。"));
    if (rows.isEmpty())
        return;
    const QString amountField = Q(m_list.IsPurchase() ? "今回仕入額" : "今回売上額");
    CCDSData labels;
    labels.m_strTable = Q("WAtena");
    for (int row : rows) {
        const COneRecord* record = m_list.RecordAt(row);
        if (!record)
            continue;
        const bool hasAmount = Field(record, amountField) != nullptr;
        COneRecord* work = labels.AddNew();
        for (int f = 0; f < record->GetCount(); ++f) {
            const CTb& field = *record->GetAt(f);
            const QString name = BareName(field);
            if (name == amountField) {
                AddCopy(*work, field, Q("WAtena.Amount"));
                continue;
            }
            // The label's amount is the period's; a field of the row that
            // is already called so would give the label two.
            if (hasAmount && name.compare(Q("Amount"), Qt::CaseInsensitive) == 0)
                continue;
            AddCopy(*work, field, Q("WAtena.") + name);
        }
    }
    if (labels.GetCount() == 0)
        return;
    QString err;
    const int result = m_screen.Data().InsertData(labels, err);
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("データの追加に失敗しました。"), err, ScreenTell());
        return;
    }
    SlipForm::OpenSlipForm(11, QString(), 0);
}

std::optional<CFormPrintItem> CClosingController::MakeFormPrintItem(const COneRecord* record)
{
    if (!record)
        return std::nullopt;
    CFormPrintItem item;
    item.m_nID = quint32(IntOf(record, "HeaderID"));
    item.m_strFileName = TextOf(record, "FileName");
    return item;
}

void CClosingController::PrintByForm(QList<int>& rows)
{
    int noColumn = -1, nameColumn = -1;
    for (int i = 0; i < int(m_list.Columns().size()); ++i) {
        const QString& key = m_list.Columns()[size_t(i)].m_strField;
        if (noColumn < 0 && key == Q("No"))
            noColumn = i;
        if (nameColumn < 0 && key == Q("Company_Section_Name"))
            nameColumn = i;
    }
    const auto cell = [this](int row, int column) {
        return column < 0 ? QString() : m_list.Rows()[size_t(row)].texts.value(column);
    };
    const auto formOf = [](const COneRecord* record, int& form) {
        const CTb* field = Field(record, "FormID");
        form = 0;
        return field && !field->IsNull() && field->GetData(form);
    };

    CPloMainData layouts;
    QString lost;
    for (qsizetype i = 0; i < rows.size();) {
        int form = 0;
        if (formOf(m_list.RecordAt(rows[i]), form) && form > CLayoutInfo::kUserFormBase &&
            !layouts.GetLayoutInfo(form)) {
            lost += Q("伝票番号：%1　得意先名：%2\n").arg(cell(rows[i], noColumn), cell(rows[i], nameColumn));
            rows.removeAt(i);
            continue;
        }
        ++i;
    }
    if (!lost.isEmpty())
        m_screen.Tell(lost + Q("\n上記の伝票は、オリジナルフォームが削除されたため印刷できません。\n"));
    if (rows.isEmpty())
        return;

    const qsizetype total = rows.size();
    bool firstPass = true;
    for (int pass = 0; !rows.isEmpty(); ++pass) {
        if (pass > 0 &&
            m_screen.Ask(Q("次の印刷フォームを起動しますか？"), MB_YESNO, MB_ICONQUESTION) != IDYES)
            return;
        long layout = 0;
        CFormPrintList list;
        QList<qsizetype> taken;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const COneRecord* record = m_list.RecordAt(rows[i]);
            int form = 0;
            if (!formOf(record, form))
                continue;
            long rowLayout = form;
            if (form > CLayoutInfo::kUserFormBase) {
                const CLayoutInfo* info = layouts.GetLayoutInfo(form);
                rowLayout = info ? info->m_nLayout : 0;
            }
            if (rowLayout == 0)
                continue;
            if (layout == 0)
                layout = rowLayout;
            if (rowLayout != layout)
                continue; // for a later pass
            const std::optional<CFormPrintItem> item = MakeFormPrintItem(record);
            if (!item)
                return;
            list.append(*item);
            taken << i;
        }
        if (taken.isEmpty()) {
            m_screen.Tell(Q("印刷フォームの情報が取得できませんでした。"));
            return;
        }
        if (firstPass && taken.size() < total) {
            m_screen.Tell(
                Q("選択した得意先の印刷フォームが異なります。\nフォーム別に起動します。\nフォーム別に印刷を"
                  "してください。\n"));
            firstPass = false;
        }
        const int format = SlipForm::PutSlipListOnClipboard(&list, layout);
        FreeStringPtrList(&list);
        if (format < 0) {
            m_screen.Tell(Q("クリップボードにデータ転送できないため、印刷できません。"));
            return;
        }
        SlipForm::RunSlipFormProgram(CSlipFormCommand::Clipboard(layout, 2, format));
        for (qsizetype k = taken.size() - 1; k >= 0; --k)
            rows.removeAt(taken[k]);
    }
}
