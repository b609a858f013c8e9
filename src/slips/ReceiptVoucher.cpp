// The receipt voucher: the slip written to the work tables that the
// slip-form program prints from.

#include "slips/ReceiptRules.h"

#include "platform/data/MakeMsgID.h"
#include "platform/ui/WaitIndicator.h"

int CReceiptRules::PrintVoucher(const std::function<int(int, const QString&, long)>& openSlipForm)
{
    CWaitCursor wait;
    ComputeTotals();
    // Partner data: the master, or the one-time partner's slips.
    CCDSData partner;
    const QString masterTable = QString::fromLatin1(Side().partner);
    if (m_strCode == SundryCode())
        ReadSundrySlips(partner);
    else if (!m_strCode.isEmpty())
        ReadMasterByCode(m_data, masterTable, CodeField(), m_strCode, partner);
    const COneRecord* p = partner.GetCount() > 0 ? partner.GetAt(0) : nullptr;

    CCDSData header;
    header.m_strTable = QStringLiteral("WReceipt_H");
    COneRecord* h = header.AddNew();
    const QString w = QStringLiteral("WReceipt_H.");
    h->SetField(w + QStringLiteral("ID"), 0);
    h->SetField(w + QStringLiteral("No"), m_strNo);
    h->SetField(w + QStringLiteral("Date"), m_date);
    h->SetField(w + QStringLiteral("CustomerCode"), m_strCode);
    for (const char* name : {"Zip", "Address", "Company", "Section", "Name", "Keisho", "Keisho2"}) {
        const QString field = QString::fromLatin1(name);
        const CTb* f = p ? p->GetOneField(QString(), field) : nullptr;
        h->SetField(w + field, f ? f->GetText() : QString());
    }
    h->SetField(w + QStringLiteral("MyPerson"), m_strMyPerson);
    h->SetField(w + QStringLiteral("Bill"), m_bill);

    // Both work tables or neither: a half-written voucher is not printed.
    QString line = QStringLiteral("データの書き出しに失敗しました。\n"), err;
    if (const int rc = WriteVoucher(header, line, err); rc != CMakeMsgID::kOk) {
        ShowResult(rc, line, err);
        return 0;
    }
    return openSlipForm ? openSlipForm(10, QString(), 0) : 0;
}

int CReceiptRules::WriteVoucher(CCDSData& header, QString& line, QString& err)
{
    CScopedTransaction run(m_data);
    int rc = run.Begin(err);
    if (rc == CMakeMsgID::kOk)
        rc = m_data.InsertData(header, err);
    if (rc != CMakeMsgID::kOk)
        return rc;
    if (FilledRows() > 0) {
        int headerId = 0;
        const CTb* id = header.GetAt(0)->GetOneField(QStringLiteral("WReceipt_H"), QStringLiteral("ID"));
        if (!id || !id->GetData(headerId)) {
            line = QStringLiteral("データが取得できません");
            err.clear();
            return CMakeMsgID::kFailed;
        }
        CCDSData rows;
        rows.m_strTable = QStringLiteral("WReceipt_B");
        const QString b = QStringLiteral("WReceipt_B.");
        for (int i = 0; i < FilledRows(); ++i) {
            const CReceiptRow& row = m_rows[size_t(i)];
            COneRecord* r = rows.AddNew();
            r->SetField(b + QStringLiteral("ID"), 0);
            r->SetField(b + QStringLiteral("HeaderID"), headerId);
            r->SetField(b + QStringLiteral("LineNo"), i + 1);
            r->SetField(b + QStringLiteral("Code"), Methods()[row.m_nMethod]);
            r->SetField(b + QStringLiteral("Contents"), row.m_strContents);
            r->SetField(b + QStringLiteral("Amount"), row.m_amount);
        }
        rc = m_data.InsertData(rows, err);
        if (rc != CMakeMsgID::kOk)
            return rc;
    }
    return run.Commit(err);
}
