#include "slips/ReceiptRules.h"

#include "slips/SlipList.h"

#include "platform/archive/AutFile.h"
#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MnyText.h"
#include "platform/data/RecordCompare.h"
#include "platform/data/SqlText.h"
#include "platform/sql/ClosingSql.h"
#include "platform/sql/ResultNames.h"
#include "platform/ui/Clock.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/CounterInfo.h"
#include "settings/DocumentNumbers.h"

#include <QDir>

namespace
{

IPrompt& Ask()
{
    return UiServices::Prompt();
}

QString Tr(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

void CReceiptRules::ShowResult(int result, const QString& firstLine, const QString& err)
{
    if (result == CMakeMsgID::kFatal)
        ShowSlipFatalMessage();
    else
        Ask().MessageBox(firstLine + err);
}

int ReadCollectAmountFlag(const QString& folder)
{
    if (folder.isEmpty())
        return -1;
    // The folder name, like the file's, in any letter case.
    QDir dir(folder);
    QString other = QStringLiteral("Other");
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (name.compare(other, Qt::CaseInsensitive) == 0) {
            other = name;
            break;
        }
    bool read = false;
    const QString text =
        ReadAutFile(dir.filePath(other + QStringLiteral("/CollectAmount.aut")), nullptr, &read);
    if (!read)
        return 0;
    // atoi: leading digits after optional blanks and sign, else 0.
    const QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
        ++i;
    return t.left(i).toInt();
}

bool ReadMnyText(const QString& text, CMny& value)
{
    QString checked;
    if (!ValidateNumText(text, checked, true, true, 4, -1))
        return false;
    bool ok = false;
    const CMny read = TextToMny(checked, &ok);
    if (!ok) {
        // Fifteen digits pass the checker, but money fields end below 10^15.
        Ask().MessageBox(QStringLiteral("入力できる数値の大きさは、922,337,203,685,477までです。"), MB_OK,
                         MB_ICONEXCLAMATION);
        return false;
    }
    value = read;
    return true;
}

bool IsStorableMny(const CMny& value)
{
    CMny stored;
    return value.IsValid() && value.Round(stored, CMny::kRoundHalfUp, 4) == 1;
}

int ReadMasterByCode(CMakeMsgID& data, const QString& table, const QString& field, const QString& code,
                     CCDSData& result)
{
    if (code.isEmpty())
        return 0;
    CCDSData request;
    request.m_strTable = table;
    request.m_strCondition = QStringLiteral("WHERE %1='%2'").arg(field, SqlQuote(code));
    QString err;
    const int rc = data.GetDataList(request, result, err);
    if (rc == CMakeMsgID::kOk)
        return 1;
    if (rc == CMakeMsgID::kFatal)
        ShowSlipFatalMessage();
    else
        Ask().MessageBox(
            QStringLiteral(
                "データの二重登録チェックに失敗しました。何らかのエラーが発生した可能性があります。\n『") +
            ProgramTitle() + QStringLiteral("』を一旦終了してから操作し直すことをおすすめします。"));
    return 0;
}

const QStringList& CReceiptRules::Methods()
{
    static const QStringList methods{
        QStringLiteral("現金"), QStringLiteral("小切手"), QStringLiteral("振込"),   QStringLiteral("手形"),
        QStringLiteral("相殺"), QStringLiteral("その他"), QStringLiteral("手数料"), QStringLiteral("値引き")};
    return methods;
}

QString CReceiptRules::SundryCode()
{
    return QStringLiteral("　");
}

CReceiptRules::CReceiptRules(CMakeMsgID& data, int kind, int mode)
    : m_data(data), m_nKind(kind), m_nMode(mode),
      m_pNumber(std::make_unique<CDialogNumber>(data, kind == 0 ? COUNTER_RECEIPT : COUNTER_PAYMENT))
{
    m_date = UiServices::Clock().Today();
    for (auto& row : m_rows)
        row.m_dtDraft = m_date;
}

CReceiptRules::~CReceiptRules() = default;

QString CReceiptRules::HeaderTable() const
{
    return QString::fromLatin1(Side().money);
}
QString CReceiptRules::RowTable() const
{
    return QString::fromLatin1(Side().moneyLines);
}
QString CReceiptRules::CloseTable() const
{
    return QString::fromLatin1(Side().closing);
}
QString CReceiptRules::CodeField() const
{
    return QString::fromLatin1(Side().code);
}
QString CReceiptRules::PartnerWord() const
{
    return m_nKind == 0 ? QStringLiteral("得意先") : QStringLiteral("仕入先");
}

void CReceiptRules::ProposeNumber()
{
    m_strNo = m_pNumber->Propose();
}

void CReceiptRules::Init()
{
    if (m_nMode != 2)
        ProposeNumber();
    m_nWithoutCarry = ReadCollectAmountFlag(m_data.IsOpen() ? m_data.GetFolder() : QString());
    if (m_nMode == 2 && m_nHeaderID != 0)
        LoadStored();
    m_strShownCode = m_strCode;
    ComputeTotals();
}

bool CReceiptRules::LoadStored()
{
    CCDSData header;
    header.m_strTable = HeaderTable();
    header.m_strCondition = QStringLiteral("WHERE (ID=%1)").arg(m_nHeaderID);
    QString err;
    int rc = m_data.GetDataList(header, header, err);
    if (rc != CMakeMsgID::kOk) {
        ShowResult(rc, QStringLiteral("データの取得に失敗しました。\n"), err);
        return false;
    }
    if (header.GetCount() == 0)
        return false;
    m_pStoredHeader = std::make_unique<COneRecord>(*header.GetAt(0));
    const QString h = HeaderTable();
    const COneRecord& rec = *m_pStoredHeader;
    if (const CTb* f = rec.GetOneField(h, QStringLiteral("No")))
        m_strNo = f->GetText();
    QDate date;
    if (const CTb* f = rec.GetOneField(h, QStringLiteral("Date")); f && f->GetData(date) && date.isValid())
        m_date = date;
    if (const CTb* f = rec.GetOneField(h, QStringLiteral("MyPerson")))
        m_strMyPerson = f->GetText();

    m_storedRows.Clear();
    m_storedRows.m_strTable = RowTable();
    m_storedRows.m_strCondition = QStringLiteral("WHERE (HeaderID=%1) ORDER BY LineNo, ID").arg(m_nHeaderID);
    rc = m_data.GetDataList(m_storedRows, m_storedRows, err);
    if (rc != CMakeMsgID::kOk) {
        m_storedRows.RemoveAll();
        ShowResult(rc, QStringLiteral("データの取得に失敗しました。\n"), err);
        return false;
    }
    const QString b = RowTable();
    for (int i = 0; i < m_storedRows.GetCount() && i < kRows; ++i) {
        const COneRecord& r = *m_storedRows.GetAt(i);
        CReceiptRow& row = m_rows[size_t(i)];
        const CTb* code = r.GetOneField(b, QStringLiteral("Code"));
        row.m_nMethod = code ? int(Methods().indexOf(code->GetText())) : -1;
        if (const CTb* f = r.GetOneField(b, QStringLiteral("Amount")); !(f && f->GetData(row.m_amount)))
            row.m_amount = CMny(0);
        if (const CTb* f = r.GetOneField(b, QStringLiteral("Contents")))
            row.m_strContents = f->GetText();
        if (row.m_nMethod == kDraftMethod) {
            if (const CTb* f = r.GetOneField(b, QStringLiteral("DraftNo")))
                row.m_strDraftNo = f->GetText();
            QDate d;
            if (const CTb* f = r.GetOneField(b, QStringLiteral("DraftDate")); f && f->GetData(d))
                row.m_dtDraft = d;
        }
    }
    return true;
}

int CReceiptRules::FilledRows() const
{
    int n = 0;
    while (n < kRows && m_rows[size_t(n)].m_nMethod >= 0)
        ++n;
    return n;
}

bool CReceiptRules::IsMethodEnabled(int row) const
{
    return row == 0 || FilledRows() >= row;
}

bool CReceiptRules::IsAmountEnabled(int row) const
{
    return IsMethodEnabled(row) && m_rows[size_t(row)].m_nMethod >= 0;
}

bool CReceiptRules::IsDraftEnabled(int row) const
{
    return IsMethodEnabled(row) && m_rows[size_t(row)].m_nMethod == kDraftMethod;
}

void CReceiptRules::SetMethod(int row, int method)
{
    m_rows[size_t(row)].m_nMethod = (method >= 0 && method < kRows) ? method : -1;
    ComputeTotals();
}

void CReceiptRules::SetAmount(int row, const CMny& amount)
{
    m_rows[size_t(row)].m_amount = amount;
    ComputeTotals();
}

bool CReceiptRules::SetAmountText(int row, const QString& text)
{
    CMny amount;
    if (!ReadMnyText(text, amount))
        return false;
    SetAmount(row, amount);
    return true;
}

void CReceiptRules::ComputeTotals()
{
    // Every filled row counts, a zero one too: the header must agree with
    // the rows that are written.
    CMny total(0), bill(0);
    for (int i = 0; i < FilledRows(); ++i) {
        const CReceiptRow& row = m_rows[size_t(i)];
        if (!row.m_amount.IsValid())
            continue;
        total.Plus(row.m_amount, total);
        if (row.m_nMethod != kDiscountMethod)
            bill.Plus(row.m_amount, bill);
    }
    m_total = total;
    m_bill = bill;
}

bool CReceiptRules::LookupPartner()
{
    m_strName.clear();
    m_strMyPerson.clear();
    QString lastStaff;
    if (m_nMode == 0) {
        std::vector<CCloseHistoryItem> items;
        CCDSData request;
        request.m_strTable = CloseTable();
        request.m_strCondition = m_nKind == 0 ? MakeOpenSalesCloseByCustomer(m_nWithoutCarry > 0, m_strCode)
                                              : MakeOpenStockCloseBySupplier(m_nWithoutCarry > 0, m_strCode);
        CCDSData result;
        QString err;
        const int rc = m_data.GetDataList(request, result, err);
        if (rc != CMakeMsgID::kOk) {
            ShowResult(rc, QStringLiteral("データの取得に失敗しました。\n"), err);
        } else {
            const QString due = Tr(Side().dueAmount);
            for (int i = 0; i < result.GetCount(); ++i) {
                const COneRecord* r = result.GetAt(i);
                CCloseHistoryItem item;
                if (const CTb* f = r->GetOneField(QString(), QStringLiteral("ID")))
                    f->GetData(item.m_nID);
                if (const CTb* f = r->GetOneField(QString(), QStringLiteral("CollectDate")))
                    f->GetData(item.m_dtCollect);
                if (const CTb* f = r->GetOneField(QString(), QStringLiteral("CloseDate")))
                    f->GetData(item.m_dtClose);
                if (const CTb* f = r->GetOneField(QString(), due); !(f && f->GetData(item.m_amount)))
                    item.m_amount = CMny(0);
                if (const CTb* f = r->GetOneField(QString(), QStringLiteral("MyPerson")))
                    item.m_strMyPerson = f->GetText();
                item.m_strName = GetCompanySectionName(r, QString());
                m_strName = item.m_strName;
                lastStaff = item.m_strMyPerson;
                items.push_back(std::move(item));
            }
        }
        SetHistory(std::move(items));
    } else if (m_nMode == 2 && m_strCode == SundryCode()) {
        CCDSData slips;
        if (ReadSundrySlips(slips) && slips.GetCount() > 0)
            m_strName = GetCompanySectionName(slips.GetAt(0), QString::fromLatin1(Side().header));
    }
    if (!lastStaff.isEmpty())
        m_strMyPerson = lastStaff;
    m_strShownCode = m_strCode;
    m_bPartnerChanged = false;
    if (!m_strName.isEmpty())
        return true;
    if (m_strCode == SundryCode()) {
        m_strName = QStringLiteral("諸口");
        return true;
    }
    CCDSData master;
    const QString table = QString::fromLatin1(Side().partner);
    if (!ReadMasterByCode(m_data, table, CodeField(), m_strCode, master))
        return false;
    if (master.GetCount() == 0) {
        Ask().MessageBox(
            QStringLiteral("「%1」の%2コードは台帳に登録がありません。\n").arg(m_strCode, PartnerWord()));
        m_strCode.clear();
        m_strShownCode.clear();
        return false;
    }
    m_strName = GetCompanySectionName(master.GetAt(0), table);
    if (const CTb* f = master.GetAt(0)->GetOneField(table, QStringLiteral("MyPerson"));
        f && !f->GetText().isEmpty())
        m_strMyPerson = f->GetText();
    return true;
}

void CReceiptRules::SetHistory(std::vector<CCloseHistoryItem> items)
{
    m_history = std::move(items);
    for (auto& item : m_history)
        item.m_bTicked = false;
    if (m_history.empty())
        return;
    m_history.front().m_bTicked = true;
    if (m_strCode == SundryCode())
        m_strName = m_history.front().m_strName;
}

void CReceiptRules::Tick(int index)
{
    if (m_nMode == 1 || index < 0 || index >= int(m_history.size()))
        return;
    CCloseHistoryItem& item = m_history[size_t(index)];
    if (item.m_bTicked) {
        item.m_bTicked = false;
        if (m_strCode == SundryCode())
            m_strName = QStringLiteral("諸口");
        return;
    }
    for (auto& other : m_history)
        other.m_bTicked = false;
    item.m_bTicked = true;
    if (m_nMode == 0 && m_strCode == SundryCode())
        m_strName = item.m_strName;
}

int CReceiptRules::TickedIndex() const
{
    for (size_t i = 0; i < m_history.size(); ++i)
        if (m_history[i].m_bTicked)
            return int(i);
    return -1;
}

CReceiptRules::Field CReceiptRules::Validate()
{
    ComputeTotals();
    if (m_strCode.isEmpty()) {
        Ask().MessageBox(m_nKind == 0 ? QStringLiteral("得意先コードを入力してください")
                                      : QStringLiteral("仕入先コードを入力してください"));
        return kCode;
    }
    if (m_strNo.isEmpty() || m_strNo == QStringLiteral("0")) {
        Ask().MessageBox(m_nKind == 0 ? QStringLiteral("入金Noを入力してください")
                                      : QStringLiteral("出金Noを入力してください"));
        return kNo;
    }
    if (m_rows[0].m_nMethod < 0) {
        Ask().MessageBox(QStringLiteral("内訳を設定してください"));
        return kMethod1;
    }
    // Each amount fits, but eight of them together may not: the header
    // would get no amount at all.
    if (!IsStorableMny(m_total) || !IsStorableMny(m_bill)) {
        Ask().MessageBox(QStringLiteral("合計金額が大きすぎます。金額を確認してください。"), MB_OK,
                         MB_ICONEXCLAMATION);
        return kAmount;
    }
    return kNone;
}

bool CReceiptRules::IsInBilledPeriod()
{
    // Any period closing of the partner from that date on, not whichever
    // record happens to come first.
    CCDSData request;
    request.m_strTable = CloseTable();
    request.m_strCondition = QStringLiteral("WHERE CloseDate>=%1 AND %2='%3' AND TudoFlg=1")
                                 .arg(SqlDate(m_date), CodeField(), SqlQuote(m_strCode));
    int count = 0;
    QString err;
    const int rc = m_data.GetDataNum(request, count, err);
    if (rc != CMakeMsgID::kOk) {
        ShowResult(rc, QStringLiteral("データの取得に失敗しました。\n"), err);
        return false;
    }
    return count > 0;
}

int CReceiptRules::ClosingIdForSundry() const
{
    if (m_nMode == 2) {
        if (!m_pStoredHeader)
            return 0;
        const CTb* f = m_pStoredHeader->GetOneField(HeaderTable(), QStringLiteral("CloseID"));
        int id = 0;
        return f && f->GetData(id) ? id : 0;
    }
    if (m_strCode != SundryCode())
        return 0;
    const int ticked = TickedIndex();
    return ticked < 0 ? 0 : m_history[size_t(ticked)].m_nID;
}

bool CReceiptRules::ReadSundrySlips(CCDSData& slips)
{
    const int closeId = ClosingIdForSundry();
    if (closeId == 0)
        return false;
    slips.m_strTable = QString::fromLatin1(Side().header);
    slips.m_strCondition = QStringLiteral("WHERE (SeikyuID=%1)").arg(closeId);
    QString err;
    const int rc = m_data.GetDataList(slips, slips, err);
    if (rc != CMakeMsgID::kOk) {
        slips.RemoveAll();
        ShowResult(rc, QStringLiteral("データの取得に失敗しました。\n"), err);
        return false;
    }
    return true;
}

void CReceiptRules::FillHeader(COneRecord& header, int closeId) const
{
    const QString h = HeaderTable() + u'.';
    if (m_nMode != 2)
        header.SetField(h + QStringLiteral("ID"), m_nHeaderID);
    header.SetField(h + QStringLiteral("No"), m_strNo);
    header.SetField(h + QStringLiteral("Date"), m_date);
    header.SetField(h + CodeField(), m_strCode);
    header.SetField(h + QStringLiteral("Amount"), m_total);
    header.SetField(h + QStringLiteral("MyPerson"), m_strMyPerson);
    header.SetField(h + QStringLiteral("SeikyuID"), 0);
    if (m_nKind == 0)
        header.SetField(h + QStringLiteral("Bill"), m_bill);
    header.SetField(h + QStringLiteral("CloseID"), closeId);
}

void CReceiptRules::FillRows(CCDSData& rows) const
{
    rows.m_strTable = RowTable();
    const QString b = RowTable() + u'.';
    for (int i = 0; i < FilledRows(); ++i) {
        const CReceiptRow& row = m_rows[size_t(i)];
        COneRecord* r = rows.AddNew();
        r->SetField(b + QStringLiteral("ID"), 0);
        r->SetField(b + QStringLiteral("HeaderID"), m_nHeaderID);
        r->SetField(b + QStringLiteral("LineNo"), i + 1);
        r->SetField(b + QStringLiteral("Code"), Methods()[row.m_nMethod]);
        r->SetField(b + QStringLiteral("Amount"), row.m_amount);
        r->SetField(b + QStringLiteral("Contents"), row.m_strContents);
        if (row.m_nMethod == kDraftMethod) {
            r->SetField(b + QStringLiteral("DraftNo"), row.m_strDraftNo);
            r->SetField(b + QStringLiteral("DraftDate"), row.m_dtDraft);
        }
    }
}

bool CReceiptRules::InsertReceipt()
{
    CWaitCursor wait;
    const int ticked = TickedIndex();
    const int closeId = ticked < 0 ? 0 : m_history[size_t(ticked)].m_nID;
    if (FilledRows() == 0) {
        Ask().MessageBox(QStringLiteral("明細データを入力してください。"));
        return false;
    }
    const int previousId = m_nHeaderID;
    QString line = QStringLiteral("データの登録に失敗しました。\n"), err;
    // A number the books took since it was proposed is not written twice.
    switch (m_pNumber->Confirm(m_strNo)) {
    case CDocumentNumbers::EResult::Exhausted:
        return false;
    case CDocumentNumbers::EResult::NotRead:
        ShowResult(m_pNumber->Numbers().DataResult(), line, m_pNumber->Numbers().DataError());
        return false;
    default:
        break;
    }
    if (const int rc = WriteNewReceipt(closeId, line, err); rc != CMakeMsgID::kOk) {
        m_nHeaderID = previousId;
        ShowResult(rc, line, err);
        return false;
    }
    // The counter file cannot be rolled back: it moves only after the commit.
    m_strNo = m_pNumber->Advance();
    if (closeId != 0)
        m_history.erase(m_history.begin() + ticked);
    return true;
}

int CReceiptRules::WriteNewReceipt(int closeId, QString& line, QString& err)
{
    CScopedTransaction run(m_data);
    int rc = run.Begin(err);
    if (rc != CMakeMsgID::kOk)
        return rc;
    CCDSData header;
    header.m_strTable = HeaderTable();
    FillHeader(*header.AddNew(), m_strCode == SundryCode() ? closeId : 0);
    rc = m_data.InsertData(header, err);
    if (rc != CMakeMsgID::kOk)
        return rc;
    const CTb* id = header.GetAt(0)->GetOneField(HeaderTable(), QStringLiteral("ID"));
    int newId = 0;
    if (!id || !id->GetData(newId) || newId == 0) {
        line = QStringLiteral("データが取得できません");
        err.clear();
        return CMakeMsgID::kFailed;
    }
    m_nHeaderID = newId;
    CCDSData rows;
    FillRows(rows);
    rc = m_data.InsertData(rows, err);
    if (rc != CMakeMsgID::kOk)
        return rc;
    if (closeId != 0) {
        CCDSData close;
        close.m_strTable = CloseTable();
        close.m_strCondition = QStringLiteral("WHERE (ID=%1)").arg(closeId);
        close.AddNew()->SetField(CloseTable() + QStringLiteral(".Status"), 1);
        rc = m_data.UpdateData(close, err);
        if (rc != CMakeMsgID::kOk) {
            line = QStringLiteral("データの変更に失敗しました。\n");
            return rc;
        }
    }
    return run.Commit(err);
}

bool CReceiptRules::UpdateReceipt()
{
    CWaitCursor wait;
    QString line = QStringLiteral("データの修正に失敗しました。\n"), err;
    if (const int rc = WriteChangedReceipt(line, err); rc != CMakeMsgID::kOk) {
        ShowResult(rc, line, err);
        return false;
    }
    return true;
}

int CReceiptRules::WriteChangedReceipt(QString& line, QString& err)
{
    const QString h = HeaderTable();
    int seikyu = 0;
    if (const CTb* f = m_pStoredHeader->GetOneField(h, QStringLiteral("SeikyuID")))
        f->GetData(seikyu);
    CScopedTransaction run(m_data);
    int rc = run.Begin(err);
    if (rc != CMakeMsgID::kOk)
        return rc;
    if (seikyu != 0) {
        rc = CClosingService(m_data).Undo(Side(), {seikyu}).Answer(err);
        if (rc != CMakeMsgID::kOk) {
            line = QStringLiteral("締め請求の取り消しに失敗しました。\n");
            return rc;
        }
    }
    CCDSData del;
    del.m_strTable = RowTable();
    del.m_strCondition = QStringLiteral("WHERE (HeaderID=%1)").arg(m_nHeaderID);
    rc = m_data.DeleteData(del, err);
    if (rc != CMakeMsgID::kOk) {
        line = QStringLiteral("修正データの削除に失敗しました。\n");
        return rc;
    }
    int closeId = 0;
    const CTb* storedCode = m_pStoredHeader->GetOneField(h, CodeField());
    if (storedCode && storedCode->GetText() == SundryCode() && m_strCode == SundryCode())
        closeId = ClosingIdForSundry();
    CCDSData header;
    header.m_strTable = h;
    header.m_strCondition = QStringLiteral("WHERE ID=%1").arg(m_nHeaderID);
    FillHeader(*header.AddNew(), closeId);
    rc = m_data.UpdateData(header, err);
    if (rc != CMakeMsgID::kOk)
        return rc;
    CCDSData rows;
    FillRows(rows);
    if (rows.GetCount() > 0) {
        rc = m_data.InsertData(rows, err);
        if (rc != CMakeMsgID::kOk) {
            line = QStringLiteral("データの登録に失敗しました。\n");
            return rc;
        }
    }
    return run.Commit(err);
}

CReceiptRules::SaveResult CReceiptRules::Save()
{
    bool warned = false;
    if (m_nMode == 2) {
        if (!m_pStoredHeader)
            return kFailed;
        int seikyu = 0;
        if (const CTb* f = m_pStoredHeader->GetOneField(HeaderTable(), QStringLiteral("SeikyuID")))
            f->GetData(seikyu);
        if (seikyu != 0) {
            warned = true;
            if (Ask().MessageBox(
                    QStringLiteral("注意！\n\n　請求済みの伝票を修正しようとしています。\n　この伝票を修正す"
                                   "ると、この得意先の締め処理は取り消されます。\n　必要であれば、修正後に再"
                                   "度締め処理を行なってください。\n　（詳しくはマニュアル、またはヘルプをご"
                                   "覧ください。）\n\n本当に修正してもよろしいですか？"),
                    MB_OKCANCEL, MB_ICONEXCLAMATION) != IDOK)
                return kWarningCancelled;
        }
    }
    if (!warned && IsInBilledPeriod()) {
        if (Ask().MessageBox(QStringLiteral("請求済みになっている期間の入金ですので、次回の締め請求書で反映さ"
                                            "れます。\n前回の締め請求に反映させたい場合は、締めを取り消してか"
                                            "ら再度締め処理を行なってください。\nよろしいですか？"),
                             MB_OKCANCEL, MB_ICONEXCLAMATION) != IDOK)
            return kWarningCancelled;
    }
    if (m_nMode == 2) {
        if (!UpdateReceipt())
            return kFailed;
        Ask().MessageBox(QStringLiteral("修正しました"), MB_OK, MB_ICONINFORMATION);
        return kSaved;
    }
    if (!InsertReceipt())
        return kFailed;
    Ask().MessageBox(QStringLiteral("登録しました"), MB_OK, MB_ICONINFORMATION);
    if (m_nMode == 0)
        ResetForm();
    return kSaved;
}

void CReceiptRules::ResetForm()
{
    m_strCode.clear();
    m_strShownCode.clear();
    m_strName.clear();
    const QDate today = UiServices::Clock().Today();
    for (auto& row : m_rows) {
        row = CReceiptRow();
        row.m_dtDraft = today;
    }
    m_history.clear();
    ComputeTotals();
}

bool CReceiptRules::IsChanged() const
{
    if (!m_pStoredHeader)
        return false;
    const QString h = HeaderTable();
    const COneRecord& s = *m_pStoredHeader;
    auto text = [&](const QString& field) {
        const CTb* f = s.GetOneField(h, field);
        return f ? f->GetText() : QString();
    };
    if (text(CodeField()) != m_strCode || text(QStringLiteral("No")) != m_strNo ||
        text(QStringLiteral("MyPerson")) != m_strMyPerson)
        return true;
    QDate date;
    const CTb* d = s.GetOneField(h, QStringLiteral("Date"));
    const bool hasDate = d && d->GetData(date) && date.isValid();
    if (hasDate != m_date.isValid() || (hasDate && date != m_date))
        return true;
    if (m_nKind == 0) {
        CMny bill(0);
        const CTb* b = s.GetOneField(h, QStringLiteral("Bill"));
        if (!(b && b->GetData(bill)))
            bill = CMny(0);
        if (bill != m_bill)
            return true;
    }
    const QString rt = RowTable();
    for (int i = 0; i < m_storedRows.GetCount() && i < kRows; ++i) {
        const COneRecord& r = *m_storedRows.GetAt(i);
        const CReceiptRow& row = m_rows[size_t(i)];
        auto rtext = [&](const QString& field) {
            const CTb* f = r.GetOneField(rt, field);
            return f ? f->GetText() : QString();
        };
        const QString method = row.m_nMethod >= 0 ? Methods()[row.m_nMethod] : QString();
        if (rtext(QStringLiteral("Code")) != method || rtext(QStringLiteral("Contents")) != row.m_strContents)
            return true;
        CMny amount(0);
        const CTb* a = r.GetOneField(rt, QStringLiteral("Amount"));
        if (!(a && a->GetData(amount)))
            amount = CMny(0);
        if (amount != row.m_amount)
            return true;
        if (row.m_nMethod == kDraftMethod) {
            if (rtext(QStringLiteral("DraftNo")) != row.m_strDraftNo)
                return true;
            QDate dd;
            const CTb* f = r.GetOneField(rt, QStringLiteral("DraftDate"));
            if (!(f && f->GetData(dd)) || dd != row.m_dtDraft)
                return true;
        }
    }
    return false;
}

CReceiptRules::CloseResult CReceiptRules::Close()
{
    ComputeTotals();
    const bool filled = !m_strCode.isEmpty() && !m_strNo.isEmpty() && m_strNo != QStringLiteral("0") &&
                        !m_bill.IsZero() && m_rows[0].m_nMethod >= 0;
    if (!filled)
        return kClose;
    QString question;
    if (m_nMode == 2) {
        if (!IsChanged())
            return kClose;
        question = QStringLiteral("このデータは変更されています。\n登録しますか？");
    } else {
        question = m_nKind == 0 ? QStringLiteral("この入金データは登録されていません。\n登録しますか？")
                                : QStringLiteral("この出金データは登録されていません。\n登録しますか？");
    }
    const int answer = Ask().MessageBox(question, MB_YESNOCANCEL, MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return kStay;
    if (answer == IDNO)
        return kClose;
    if (Validate() != kNone)
        return kStay;
    const SaveResult saved = Save();
    if (saved == kWarningCancelled)
        return kClose;
    return saved == kSaved && m_nMode != 0 ? kClose : kStay;
}
