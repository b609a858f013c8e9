#include "reports/TransferBankRules.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/MnyText.h"
#include "platform/data/Record.h"
#include "platform/data/TableNames.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"

namespace
{

const QString kHeader = QString::fromLatin1(TB_BANK_H);
const QString kBody = QString::fromLatin1(TB_BANK_B);

// The whole yen of a money field, cut like an integer read of it.
qint64 WholeYenOf(const COneRecord* record, const char* field)
{
    const CMny money = MoneyOf(::Field(record, kBody, field));
    qint64 value = money.IsValid() ? money.GetValue() : 0;
    for (int i = 0; i < money.GetScale(); ++i)
        value /= 10;
    return value;
}

// Follows the failure of a save.
const QString kUnsaved =
    QStringLiteral("\n\n振込依頼銀行情報は保存されていません。入力した内容はそのまま残っています。");

} // namespace

int CTransferBankRules::Load()
{
    QString err;
    CCDSData request;
    request.m_strTable = kHeader;
    request.m_strCondition = QStringLiteral("ORDER BY \"ID\"");
    CCDSData headers;
    int rc = m_data.GetDataList(request, headers, err);
    if (rc != CMakeMsgID::kOk) {
        ShowReportFailure(rc, QStringLiteral("データの取得に失敗しました。"), err);
        return 0;
    }
    m_nFeeCount = 0;
    if (headers.GetCount() == 0) {
        EnableForCount(0);
        return 1;
    }
    const COneRecord& h = *headers.GetAt(0);
    m_nID = IntOf(::Field(&h, kHeader, "ID"));
    m_strBank = TextOf(::Field(&h, kHeader, "Bank"));
    m_strBankCode = TextOf(::Field(&h, kHeader, "BankCode"));
    m_strBankBranch = TextOf(::Field(&h, kHeader, "BankBranch"));
    m_strBankBranchCode = TextOf(::Field(&h, kHeader, "BankBranchCode"));
    m_nAccountType = IntOf(::Field(&h, kHeader, "BankAccountType"), -1);
    if (m_nAccountType < -1 || m_nAccountType > 2)
        m_nAccountType = -1;
    m_strBankNumber = TextOf(::Field(&h, kHeader, "BankNumber"));
    m_strOnesName = TextOf(::Field(&h, kHeader, "BankOnesName"));
    m_strOnesPhoenic = TextOf(::Field(&h, kHeader, "BankOnesPhoenic"));

    request.Clear();
    request.m_strTable = kBody;
    // In the order they were written: bracket by bracket, relations in turn.
    request.m_strCondition = QStringLiteral("WHERE HeaderID = %1 ORDER BY \"ID\"").arg(m_nID);
    CCDSData fees;
    rc = m_data.GetDataList(request, fees, err);
    if (rc != CMakeMsgID::kOk) {
        ShowReportFailure(rc, QStringLiteral("データの取得に失敗しました。"), err);
        return 0;
    }
    m_nFeeCount = fees.GetCount();
    for (int i = 0; i < kFees; ++i)
        m_fees[size_t(i)] = i < m_nFeeCount ? TextOf(::Field(fees.GetAt(i), kBody, "Fee")) : QString();
    if (m_nFeeCount > kRelations)
        m_strBound1 = QString::number(WholeYenOf(fees.GetAt(kRelations), "Money"));
    if (m_nFeeCount > 2 * kRelations)
        m_strBound2 = QString::number(WholeYenOf(fees.GetAt(2 * kRelations), "Money"));
    EnableForCount(m_nFeeCount);
    return 1;
}

void CTransferBankRules::EnableForCount(int count)
{
    for (int i = 0; i < kFees; ++i)
        m_feeEnabled[size_t(i)] = i < count;
    m_bBound2Enabled = count != 0;
    if (count == 0)
        m_strBound2.clear();
}

bool CTransferBankRules::Bound1Left()
{
    if (m_strBound1.isEmpty()) {
        m_feeEnabled.fill(false);
        m_strBound2.clear();
        m_bBound2Enabled = false;
        return false;
    }
    for (int i = 0; i < kFees; ++i)
        m_feeEnabled[size_t(i)] = i < 2 * kRelations;
    m_bBound2Enabled = true;
    return true;
}

void CTransferBankRules::Bound2Left()
{
    const int open = m_strBound2.isEmpty() ? 2 * kRelations : kFees;
    for (int i = 0; i < kFees; ++i)
        m_feeEnabled[size_t(i)] = i < open;
}

QString CTransferBankRules::BracketAmount(int bracket) const
{
    if (bracket == 1)
        return m_strBound1;
    if (bracket == 2)
        return m_strBound2;
    return QStringLiteral("0");
}

QString CTransferBankRules::Check(int* field) const
{
    auto refuse = [field](int at, const QString& what, const QString& problem) -> QString {
        if (field)
            *field = at;
        return what + QStringLiteral("：") + problem;
    };
    if (field)
        *field = kNone;
    // Whole yen only: what cannot be read as an amount would be stored as 0.
    const struct {
        int field;
        const QString* text;
        const char* name;
        int digits;
    } bounds[] = {{kBound1, &m_strBound1, "振込金額", 6}, {kBound2, &m_strBound2, "振込金額", 6}};
    for (const auto& b : bounds) {
        const QString problem = NumTextProblem(*b.text, false, false, 0, b.digits);
        if (!problem.isEmpty())
            return refuse(b.field, QString::fromUtf8(b.name), problem);
    }
    for (int i = 0; i < kFees; ++i) {
        const QString problem = NumTextProblem(m_fees[size_t(i)], false, false, 0, 5);
        if (!problem.isEmpty())
            return refuse(i, QStringLiteral("手数料"), problem);
    }
    return QString();
}

int CTransferBankRules::Save()
{
    int field = kNone;
    const QString refusal = Check(&field);
    if (!refusal.isEmpty()) {
        UiServices::Prompt().MessageBox(refusal, MB_OK, MB_ICONEXCLAMATION);
        return 0;
    }
    QString err;
    int rc = m_data.BeginTransaction(err);
    if (rc != CMakeMsgID::kOk) {
        ShowReportFailure(rc, QStringLiteral("データの追加に失敗しました(H)。"), err + kUnsaved);
        return 0;
    }
    auto fail = [&](int result, const QString& firstLine) {
        return AbandonReportTransaction(m_data, result, firstLine, err + kUnsaved);
    };
    // The old account goes with its fee records, or the fee lookup would
    // read them beside the new ones.
    if (m_nID != 0) {
        CCDSData del;
        del.m_strTable = kBody;
        del.m_strCondition = QStringLiteral("WHERE HeaderID = %1").arg(m_nID);
        rc = m_data.DeleteData(del, err);
        if (rc != CMakeMsgID::kOk)
            return fail(rc, QStringLiteral("データの取得に失敗しました。"));
        del.m_strTable = kHeader;
        del.m_strCondition = QStringLiteral("WHERE \"ID\" = %1").arg(m_nID);
        rc = m_data.DeleteData(del, err);
        if (rc != CMakeMsgID::kOk)
            return fail(rc, QStringLiteral("データの取得に失敗しました。"));
    }

    CCDSData header;
    header.m_strTable = kHeader;
    COneRecord* h = header.AddNew();
    const QString p = kHeader + u'.';
    h->SetField(p + QStringLiteral("Bank"), m_strBank);
    h->SetField(p + QStringLiteral("BankCode"), m_strBankCode);
    h->SetField(p + QStringLiteral("BankBranch"), m_strBankBranch);
    h->SetField(p + QStringLiteral("BankBranchCode"), m_strBankBranchCode);
    h->SetField(p + QStringLiteral("BankAccountType"), m_nAccountType);
    h->SetField(p + QStringLiteral("BankNumber"), m_strBankNumber);
    h->SetField(p + QStringLiteral("BankOnesName"), m_strOnesName);
    h->SetField(p + QStringLiteral("BankOnesPhoenic"), m_strOnesPhoenic);
    rc = m_data.InsertData(header, err);
    if (rc != CMakeMsgID::kOk)
        return fail(rc, QStringLiteral("データの追加に失敗しました(H)。"));
    const int newId = IntOf(::Field(header.GetAt(0), kHeader, "ID"));
    if (newId == 0) {
        err.clear();
        return fail(CMakeMsgID::kFailed, QStringLiteral("データの追加に失敗しました(H)。"));
    }

    CCDSData rows;
    rows.m_strTable = kBody;
    const QString b = kBody + u'.';
    for (int i = 0; i < kBrackets; ++i) {
        const CMny amount = TextToMny(BracketAmount(i));
        for (int j = 0; j < kRelations; ++j) {
            COneRecord* r = rows.AddNew();
            r->SetField(b + QStringLiteral("HeaderID"), newId);
            r->SetField(b + QStringLiteral("PaymentType"), PaymentType(j));
            r->SetField(b + QStringLiteral("BankType"), BankType(j));
            r->SetField(b + QStringLiteral("Money"), amount);
            r->SetField(b + QStringLiteral("Fee"), TextToMny(m_fees[size_t(i * kRelations + j)]));
        }
    }
    rc = m_data.InsertData(rows, err);
    if (rc != CMakeMsgID::kOk)
        return fail(rc, QStringLiteral("データの追加に失敗しました(H)。"));
    rc = m_data.Commit(err);
    if (rc != CMakeMsgID::kOk)
        return fail(rc, QStringLiteral("データの追加に失敗しました(H)。"));
    m_nID = newId;
    m_nFeeCount = kFees;
    return 1;
}
