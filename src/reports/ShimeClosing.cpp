// The closing commands of the report list: closing partners, issuing their
// invoices or payment statements, undoing closings, and the billed lists.

#include "app/MainFrame.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/sql/ClosingSql.h"
#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/CloseInvoiceDlg.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"
#include "settings/CounterInfo.h"

QDate CShimeView::CalcCollectDate(const QDate& base, int cycle, int day)
{
    if (!base.isValid())
        return QDate();
    if (cycle <= 0)
        return base.addDays(day);
    // Months counted from year 0, so that any cycle normalises.
    int index = base.year() * 12 + (base.month() - 1) + (cycle - 1);
    if (cycle == 1 && base.day() > day)
        ++index;
    const QDate first(index / 12, index % 12 + 1, 1);
    // A day the month lacks is its last day.
    const int last = first.daysInMonth();
    return QDate(first.year(), first.month(), day == 99 ? last : std::clamp(day, 1, last));
}

QStringList CShimeView::TakeNumbers(CCounterInfo& counter, int kind, int count)
{
    QStringList numbers;
    CCounterInfoElem* elem = counter.GetElem(kind);
    if (!elem || count <= 0)
        return numbers;
    // A counter that cannot be saved still numbers this run from where it
    // stands, as each number did before.
    int number = elem->m_nNumber;
    counter.Reserve(count, number);
    for (int i = 0; i < count; ++i) {
        numbers << elem->m_strPrefix +
                       CCounterInfoElem::FormatNumber(number, elem->m_nDigits, elem->m_nZeroFill) +
                       elem->m_strSuffix;
        number = CCounterInfoElem::NextNumber(number, elem->m_nDigits);
    }
    return numbers;
}

void CShimeView::OnCloseAndPrint()
{
    const int mode = m_list.GetMode();
    if (!ReportMode(mode).closesPartners)
        return;
    if (m_list.RowCount() == 0) {
        UiServices::Prompt().MessageBox(Q("処理対象のレコードがありません"));
        return;
    }
    QList<int> rows = GetSelectedRows();
    const QString question =
        rows.isEmpty() ? Q("リスト上のすべての取引先の請求を締め切り、請求書を発行します。よろしいですか？")
                       : Q("選択された取引先の請求を締め切り、請求書を発行します。よろしいですか？");
    if (UiServices::Prompt().MessageBox(question, MB_OKCANCEL, MB_ICONQUESTION) != IDOK)
        return;
    if (rows.isEmpty())
        for (int i = 0; i < m_list.RowCount(); ++i)
            rows << i;

    const bool purchase = m_list.IsPurchase();
    const QString table = Q(CTradeSide::Of(purchase).closing);
    const QString slips = Q(CTradeSide::Of(purchase).header);
    const QString codeField = Q(CTradeSide::Of(purchase).code);
    const QDate closeDate = ClosingDate();
    const QDate today = UiServices::Clock().Today();
    const int kind = purchase ? COUNTER_PAYMENT_STATEMENT : COUNTER_INVOICE;
    // One number for each partner to close, taken from the counter in one
    // save before the closing starts.
    QList<int> toClose;
    for (int row : rows)
        if (const COneRecord* record = m_list.RecordAt(row); record && IntOf(record, "ID") == 0)
            toClose << row;
    CCounterInfo counter;
    const QStringList numbers = TakeNumbers(counter, kind, int(toClose.size()));
    CCDSData headers, taxSlips;
    headers.m_strTable = table;
    taxSlips.m_strTable = slips;
    // The closing books what each row counted: the figures the row's amounts
    // come from go along, to be checked against the database as it closes.
    const CTradeSide& side = CTradeSide::Of(purchase);
    const char* const figures[] = {side.prevBilled, side.received, side.netAmount,
                                   RC_TAXABLE,      RC_SLIP_TAX,   side.slipCount};
    CMakeMsgID::CCloseCheck check;
    check.statement = m_strClosingSql;
    QList<int> closedRows;
    for (int row : toClose) {
        COneRecord* record = m_list.RecordAt(row);
        const QString number = numbers.value(closedRows.size());
        const QString code = TextOf(record, CTradeSide::Of(purchase).code);
        COneRecord* header = headers.AddNew();
        const QString t = table + u'.';
        header->SetField(t + Q("ID"), 0);
        header->SetField(t + Q("No"), number);
        header->SetField(t + Q("Date"), today);
        header->SetField(t + codeField, code);
        header->SetField(t + Q("CloseDate"), closeDate);
        header->SetField(t + Q("CollectDate"), CalcCollectDate(closeDate, IntOf(record, "CollectCycle"),
                                                               IntOf(record, "CollectDay")));
        header->SetField(t + Q("Status"), 0);
        header->SetField(t + Q("TaxRate"), m_list.GetTaxRate());
        header->SetField(t + Q("TudoFlg"), 1);
        // The row now stands for the closing: its number and issue date
        // head the invoice.
        record->SetField(Q("No"), number);
        record->SetField(Q("Date"), today);
        if (!Field(record, Q("CloseDate")))
            record->SetField(Q("CloseDate"), closeDate);
        const CMny tax = MoneyOf(record, "締め時点税額");
        if (tax != CMny(0)) {
            COneRecord* slip = taxSlips.AddNew();
            const QString s = slips + u'.';
            slip->SetField(s + Q("Tax"), tax);
            slip->SetField(s + Q("ID"), 0);
            slip->SetField(s + Q("DenpyoType"), 1);
            slip->SetField(s + Q("Date"), closeDate);
            slip->SetField(s + codeField, code);
            slip->SetField(s + Q("Company"), TextOf(record, "Company"));
            slip->SetField(s + Q("Section"), TextOf(record, "Section"));
            slip->SetField(s + Q("Name"), TextOf(record, "Name"));
            slip->SetField(s + Q("Total"), tax);
            slip->SetField(s + Q("SeikyuID"), 0);
        }
        COneRecord* shown = check.shown.AddNew();
        for (const char* name : figures)
            if (const CTb* field = Field(record, name))
                shown->AddField(*field);
        closedRows << row;
    }
    QList<int> leftOpen;
    if (!closedRows.isEmpty()) {
        CDataWait wait(GetFrame().GetMakeMsgID(), kWaitClosing);
        QString err;
        const int result = GetFrame().GetMakeMsgID().Close_Sales(headers, taxSlips, closeDate, err, &check);
        wait.End();
        // Numbers of a closing that wrote nothing go back to the counter,
        // unless someone took numbers since.
        if (result != CMakeMsgID::kOk || check.changed.size() == closedRows.size())
            counter.GiveBack();
        if (result != CMakeMsgID::kOk) {
            ShowReportFailure(result, Q("締め処理に失敗しました。"), err);
            return;
        }
        for (int k = 0; k < closedRows.size(); ++k) {
            const int id = IntOf(Field(headers.GetAt(k), table, "ID"));
            if (id == 0) {
                leftOpen << closedRows[k];
                continue;
            }
            CReportRow& row = m_list.Rows()[size_t(closedRows[k])];
            row.record->SetField(Q("ID"), id);
            row.mark = 1;
        }
        m_pListCtrl->viewport()->update();
    }
    if (!leftOpen.isEmpty()) {
        QStringList partners;
        for (int row : leftOpen) {
            const COneRecord* record = m_list.RecordAt(row);
            partners << QString(TextOf(record, codeField) + u' ' + TextOf(record, "Company_Section_Name"))
                            .trimmed();
        }
        UiServices::Prompt().MessageBox(
            Q(purchase ? "次の取引先は一覧を読み込んだ後に伝票または支払が変わったため、締めませんでした。"
                       : "次の取引先は一覧を読み込んだ後に伝票または入金が変わったため、締めませんでした。") +
                Q("一覧を読み込み直します。\n") + partners.join(u'\n'),
            MB_OK, MB_ICONEXCLAMATION);
    }
    // Only the partners closed (now or before) get their invoices.
    QList<int> issued;
    for (int row : rows)
        if (!leftOpen.contains(row))
            issued << row;
    if (!issued.isEmpty() &&
        UiServices::Prompt().MessageBox(Q("締め切りました。引き続き締め請求書を発行しますか？"), MB_YESNO,
                                        MB_ICONQUESTION) == IDYES)
        IssueInvoices(issued);
    if (!leftOpen.isEmpty())
        ReloadClosingList();
}

void CShimeView::IssueInvoices(const QList<int>& rows)
{
    if (m_list.RowCount() == 0) {
        UiServices::Prompt().MessageBox(Q("処理対象のレコードがありません"));
        return;
    }
    const int mode = m_list.GetMode();
    const bool purchase = m_list.IsPurchase();
    const int carryOver = m_list.m_nCarryOver;
    CCDSData request;
    request.m_strTable = Q("WShime_H");
    request.m_strCondition = QStringLiteral("%1,%2").arg(Q(CTradeSide::Of(purchase).closing)).arg(carryOver);
    QList<int> perSlip;
    // Row field -> work field; the carried-over amounts only with the
    // carry-over included. A payment statement's receipt is the payment.
    struct Map {
        const char* sales;
        const char* purchase;
        const char* work;
        bool carry;
    };
    static const Map kMap[] = {
        {"No", "No", "No", false},
        {"Date", "Date", "Date", false},
        {"CloseDate", "CloseDate", "CloseDate", false},
        {"CustomerCode", "SupplierCode", "CustomerCode", false},
        {"Zip", "Zip", "Zip", false},
        {"Address", "Address", "Address", false},
        {"Company", "Company", "Company", false},
        {"Section", "Section", "Section", false},
        {"Name", "Name", "Name", false},
        {"Keisho", "Keisho", "Keisho", false},
        {"Keisho2", "Keisho2", "Keisho2", false},
        {"MyPerson", "MyPerson", "MyPerson", false},
        {"前回請求額", "前回未払額", "LastCollect", true},
        {"今回入金額", "今回支払額", "Receipt", true},
        {"繰越額", "繰越額", "Balance", true},
        {"今回税抜売上額", "今回税抜仕入額", "Amount", false},
        {"消費税", "消費税", "Tax", false},
        {"今回売上額", "今回仕入額", "Total", false},
        {"納品枚数", "仕入枚数", "DenpyoNum", false},
    };
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
                UiServices::Prompt().MessageBox(Q("締め済みになっていないデータを選択しています"));
                return;
            }
            COneRecord* work = request.AddNew();
            work->SetField(Q("WShime_H.ID"), 0);
            work->SetField(Q("WShime_H.SalesCloseID"), IntOf(record, "ID"));
            for (int i = 0; i < record->GetCount(); ++i) {
                const CTb* field = record->GetAt(i);
                if (field->IsNull())
                    continue;
                const QString name = field->GetName().section(u'.', -1);
                for (const Map& m : kMap) {
                    if (name != Q(purchase ? m.purchase : m.sales) || (m.carry && carryOver != 0))
                        continue;
                    const QString target = Q("WShime_H.") + Q(m.work);
                    if (!work->FindField(target)) {
                        CTb copy(target);
                        copy.SetData(*field);
                        work->AddField(copy);
                    }
                    break;
                }
            }
        }
        if (request.GetCount() > 0) {
            CWaitCursor cursor;
            QString err;
            const int result = GetFrame().GetMakeMsgID().SetWShime(request, err);
            if (result != CMakeMsgID::kOk) {
                ShowReportFailure(result, Q("伝票の作成に失敗しました。"), err);
                return;
            }
            GetFrame().OpenSlipForm(purchase ? 7 : 6, QString(), 0);
        }
    }
    // Per-slip invoices print as their sales slips, one hand-over per form.
    if (!perSlip.isEmpty() && UiServices::Prompt().MessageBox(Q("都度請求書を印刷します。よろしいですか？"),
                                                              MB_OKCANCEL, MB_ICONQUESTION) == IDOK)
        PrintByForm(perSlip);
}

void CShimeView::OnCancelClose()
{
    const int mode = m_list.GetMode();
    if (UiServices::Prompt().MessageBox(Q("！！！ご注意！！！\n\n") +
                                            Q("選択した締め処理を取り消しますか？\n") +
                                            Q("※この請求よりあとに締め請求がある場合は、その締め請求の前回請"
                                              "求額及び繰越額が変わります。よろしいですか？"),
                                        MB_OKCANCEL, MB_ICONEXCLAMATION, IDCANCEL) != IDOK)
        return;
    if (m_list.RowCount() == 0) {
        UiServices::Prompt().MessageBox(Q("処理対象のレコードがありません"));
        return;
    }
    const QList<int> selected = SelectedRowsOrSay(Q("処理を取り消すレコードを選択してください"));
    if (selected.isEmpty())
        return;
    const bool purchase = m_list.IsPurchase();
    const QString table = Q(CTradeSide::Of(purchase).closing);
    CCDSData request;
    request.m_strTable = table;
    QList<int> kept;
    bool toldOpen = false, toldPerSlip = false, toldPaid = false;
    for (int row : selected) {
        const COneRecord* record = m_list.RecordAt(row);
        if (!record)
            continue;
        const int id = IntOf(record, "ID");
        if (id == 0) {
            if (!std::exchange(toldOpen, true))
                UiServices::Prompt().MessageBox(Q("締め済みになっていないデータを選択しています。"));
            continue;
        }
        if (ReportMode(mode).loader == EReportLoader::Billed) {
            if (IntOf(record, "TudoFlg") == 0) {
                if (!std::exchange(toldPerSlip, true))
                    UiServices::Prompt().MessageBox(
                        Q("都度請求が含まれていますが、都度請求書の取り消しはここからはできません。売上伝票一"
                          "覧から伝票の削除を行ってください。"));
                continue;
            }
            if (IntOf(record, "Status") != 0 && !std::exchange(toldPaid, true))
                UiServices::Prompt().MessageBox(Q("すでに入金済みのデータを選択しています。締め処理を取り消し"
                                                  "ても入金データはそのままですのでご注意ください。"));
        }
        kept << row;
        request.AddNew()->SetField(table + Q(".ID"), id);
    }
    if (kept.isEmpty())
        return;
    CDataWait wait(GetFrame().GetMakeMsgID(), kWaitUndoingClosings);
    QString err;
    const int result = GetFrame().GetMakeMsgID().Reset_SalesClose(request, err);
    wait.End();
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("締めの取り消しに失敗しました。"), err);
        return;
    }
    if (ReportMode(mode).closesPartners) {
        for (int row : kept) {
            CReportRow& target = m_list.Rows()[size_t(row)];
            target.record->SetField(Q("ID"), 0);
            target.mark = 0;
        }
        m_pListCtrl->viewport()->update();
        return;
    }
    SetupListForMode(true);
}

void CShimeView::OnChangeClosingDate()
{
    const int mode = m_list.GetMode();
    if (!ReportMode(mode).closesPartners)
        return;
    CCloseInvoiceDlg dialog(m_list.IsPurchase() ? 1 : 0, GetFrame(), this);
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    ReloadClosingList();
}

void CShimeView::ReloadClosingList()
{
    CDataWait wait(GetFrame().GetMakeMsgID(), kWaitReadingList);
    LoadClosingList();
    RefreshList();
}

void CShimeView::LoadBilledList(int periodShape)
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::Billed)
        return;
    m_list.ClearRecords();
    const QString from = m_request.from.toString(QStringLiteral("yyyy/MM/dd"));
    const QString to = m_request.to.toString(QStringLiteral("yyyy/MM/dd"));
    QDate start, end;
    QString text;
    switch (periodShape) {
    case 0:
        start = m_request.from;
        end = m_request.to;
        text = Q("期間：%1～%2").arg(from, to);
        break;
    case 1:
        end = m_request.to;
        text = Q("期間：～%1").arg(to);
        break;
    case 2:
        start = m_request.from;
        text = Q("期間：%1～").arg(from);
        break;
    case 3:
        text = Q("期間：指定なし");
        break;
    default:
        Q_ASSERT_X(false, "LoadBilledList", "period shape outside 0-3");
        return;
    }
    m_strPeriodText = text;
    CCDSData records;
    const QString sql = m_list.IsPurchase() ? MakePaidListSQL(start, end) : MakeBilledListSQL(start, end);
    if (RunReportStatement(GetFrame().GetMakeMsgID(), sql, records) != 1)
        return;
    m_strCountText = Q("件数：%1件").arg(records.GetCount());
    m_list.SetRecords(std::move(records));
    UpdateLabels();
}

void CShimeView::LoadByMode(int periodShape)
{
    CLoaderConditions c;
    c.from = m_request.from;
    c.to = m_request.to;
    c.periodShape = periodShape;
    c.classField = m_request.classField;
    c.classValues = m_request.classItems;
    c.tradedOnly = m_request.tradedOnly != 0;
    c.quantities = m_request.amountOrQuantity != 0;
    c.lastCarryForward = m_request.lastCarryForward;
    const int mode = m_list.GetMode();
    m_list.ClearRecords();
    CCDSData records;
    if (RunReportStatement(GetFrame().GetMakeMsgID(), BuildReportModeSql(mode, c), records) != 1)
        return;
    m_strPeriodText = ReportPeriodText(mode, c);
    m_strCountText = ReportCountText(mode, records.GetCount());
    m_list.SetRecords(std::move(records));
    UpdateLabels();
}

void CShimeView::LoadSlipDetailList(int periodShape)
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::SlipDetail)
        return;
    LoadByMode(periodShape);
}

void CShimeView::LoadBalanceList()
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::Balance)
        return;
    LoadByMode(m_request.periodShape);
}

void CShimeView::LoadSummaryList()
{
    if (!IsSummaryMode(m_list.GetMode()))
        return;
    LoadByMode(m_request.periodShape);
}
