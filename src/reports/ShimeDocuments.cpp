// The documents of the report list that the slip-form program prints: the
// work tables filled here (receipt vouchers, ledgers, address labels) and
// the per-slip invoices handed over through the clipboard batch list.

#include "app/MainFrame.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/forms/LayoutInfo.h"
#include "platform/forms/PloMainData.h"
#include "platform/forms/SlipFormCommand.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"
#include "reports/ReportModes.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

#include <QHash>
#include <QMetaObject>

namespace
{

void Tell(const QString& text)
{
    UiServices::Prompt().MessageBox(text);
}

QString BareName(const CTb& field)
{
    return field.GetName().section(u'.', -1);
}

// A copy of the field under a new name, keeping its type and value.
void AddCopy(COneRecord& target, const CTb& field, const QString& name)
{
    CTb copy(field);
    copy.SetName(name);
    target.AddField(copy);
}

} // namespace

void CShimeView::OnPrintReceipt()
{
    if (!ReportMode(m_list.GetMode()).printsReceiptVoucher)
        return;
    const QList<int> rows = SelectedRowsOrSay(Q("印刷するデータを選択してください。"));
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

    CMakeMsgID& data = GetFrame().GetMakeMsgID();
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
            ShowReportFailure(result, Q("データの取得に失敗しました。"), err);
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
        ShowReportFailure(result, Q("データの追加に失敗しました(H)。"), err);
        return;
    }
    if ((result = data.InsertData(headers, err)) != CMakeMsgID::kOk) {
        AbandonReportTransaction(data, result, Q("データの追加に失敗しました(H)。"), err);
        return;
    }
    if (lines.GetCount() > 0 && (result = data.InsertData(lines, err)) != CMakeMsgID::kOk) {
        AbandonReportTransaction(data, result, Q("データの追加に失敗しました(B)。"), err);
        return;
    }
    if ((result = data.Commit(err)) != CMakeMsgID::kOk) {
        AbandonReportTransaction(data, result, Q("データの追加に失敗しました(B)。"), err);
        return;
    }
    GetFrame().OpenSlipForm(10, QString(), 0);
}

void CShimeView::OnReprintInvoices()
{
    if (!ReportMode(m_list.GetMode()).handlesClosings)
        return;
    const QList<int> rows = SelectedRowsOrSay(Q("印刷するデータを選択してください。"));
    if (rows.isEmpty())
        return;
    IssueInvoices(rows);
}

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
            Tell(Q("データを選択してください。"));
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

void CShimeView::OnAddressPrint()
{
    if (!ReportMode(m_list.GetMode()).handlesClosings)
        return;
    const QList<int> rows = SelectedRowsOrSay(Q("データを選択してください。"));
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
    const int result = GetFrame().GetMakeMsgID().InsertData(labels, err);
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, Q("データの追加に失敗しました。"), err);
        return;
    }
    GetFrame().OpenSlipForm(11, QString(), 0);
}

std::optional<CFormPrintItem> CShimeView::MakeFormPrintItem(const COneRecord* record)
{
    if (!record)
        return std::nullopt;
    CFormPrintItem item;
    item.m_nID = quint32(IntOf(record, "HeaderID"));
    item.m_strFileName = TextOf(record, "FileName");
    return item;
}

void CShimeView::PrintByForm(QList<int>& rows)
{
    CMainFrame& frame = GetFrame();
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
        Tell(lost + Q("\n上記の伝票は、オリジナルフォームが削除されたため印刷できません。\n"));
    if (rows.isEmpty())
        return;

    const qsizetype total = rows.size();
    bool firstPass = true;
    for (int pass = 0; !rows.isEmpty(); ++pass) {
        if (pass > 0 && UiServices::Prompt().MessageBox(Q("次の印刷フォームを起動しますか？"), MB_YESNO,
                                                        MB_ICONQUESTION) != IDYES)
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
            Tell(Q("印刷フォームの情報が取得できませんでした。"));
            return;
        }
        if (firstPass && taken.size() < total) {
            Tell(Q("選択した得意先の印刷フォームが異なります。\nフォーム別に起動します。\nフォーム別に印刷を"
                   "してください。\n"));
            firstPass = false;
        }
        const int format = frame.PutSlipListOnClipboard(&list, layout);
        FreeStringPtrList(&list);
        if (format < 0) {
            Tell(Q("クリップボードにデータ転送できないため、印刷できません。"));
            return;
        }
        frame.RunSlipFormProgram(CSlipFormCommand::Clipboard(layout, 2, format));
        for (qsizetype k = taken.size() - 1; k >= 0; --k)
            rows.removeAt(taken[k]);
    }
}
