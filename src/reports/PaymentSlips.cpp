#include "reports/PaymentSlips.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/sql/ReportSql.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"

namespace
{

// Shows a failed step, undoing this transaction when it is still open
// (a failed begin or commit has none left); answers 0.
int Fail(CMakeMsgID& db, const ReportTell& tell, int result, const QString& firstLine, const QString& err,
         bool rollback = true)
{
    if (rollback)
        return AbandonReportTransaction(db, result, firstLine, err, tell);
    ShowReportFailure(result, firstLine, err, tell);
    return 0;
}

} // namespace

int ReceiptMethodIndex(const QString& word)
{
    static const QStringList kMethods{Q("現金"), Q("小切手"), Q("振込"), Q("手形"), Q("相殺")};
    const int index = int(kMethods.indexOf(word));
    return index < 0 ? 5 : index;
}

int WritePaymentSlips(CMakeMsgID& db, bool purchase, const QList<CScheduledPayment>& rows,
                      const QStringList& numbers, const QDate& date, const ReportTell& tell)
{
    if (rows.isEmpty())
        return 1;
    const QString header = Q(CTradeSide::Of(purchase).money);
    const QString line = Q(CTradeSide::Of(purchase).moneyLines);
    const QString h = header + u'.';
    const QString b = line + u'.';
    const QString codeField = Q(CTradeSide::Of(purchase).code);

    CCDSData headers;
    headers.m_strTable = header;
    QList<int> closings;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const CScheduledPayment& row = rows[i];
        COneRecord* record = headers.AddNew();
        record->SetField(h + Q("ID"), 0);
        record->SetField(h + Q("No"), i < numbers.size() ? numbers[i] : QString());
        record->SetField(h + codeField, row.partnerCode);
        record->SetField(h + Q("Date"), date);
        record->SetField(h + Q("Amount"), row.amount);
        if (!purchase)
            record->SetField(h + Q("Bill"), row.amount);
        record->SetField(h + Q("MyPerson"), row.myPerson);
        record->SetField(h + Q("SeikyuID"), 0);
        // A one-time partner's money names the closing it pays.
        record->SetField(h + Q("CloseID"), row.partnerCode == Q(ONE_TIME_CODE) ? row.closingId : 0);
        closings << row.closingId;
    }

    QString err;
    int result = db.BeginTransaction(err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("データの追加に失敗しました。"), err, false);
    result = db.InsertData(headers, err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("データの追加に失敗しました。"), err);

    CCDSData lines;
    lines.m_strTable = line;
    for (int i = 0; i < headers.GetCount(); ++i) {
        const int id = IntOf(Field(headers.GetAt(i), header, "ID"));
        if (id <= 0)
            return Fail(db, tell, CMakeMsgID::kFailed, Q("明細の追加に失敗しました。"),
                        Q("伝票のIDが取得できません。"));
        COneRecord* record = lines.AddNew();
        record->SetField(b + Q("ID"), 0);
        record->SetField(b + Q("HeaderID"), id);
        record->SetField(b + Q("LineNo"), 1);
        record->SetField(b + Q("Code"), rows[i].method);
        record->SetField(b + Q("Amount"), rows[i].amount);
    }
    result = db.InsertData(lines, err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("明細の追加に失敗しました。"), err);

    CTb status(Q("Status"), CTb::kInteger);
    status = 1;
    // Shows its own failure; the slips go with it.
    if (UpdateClosingRecords(db, purchase, Q("Status"), status, closings, nullptr, tell) != 1) {
        QString ignored;
        db.Rollback(ignored);
        return 0;
    }
    result = db.Commit(err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("データの追加に失敗しました。"), err, false);
    return 1;
}

int WriteTransferRequest(CMakeMsgID& db, const QDateTime& date, CCDSData& lines, const ReportTell& tell)
{
    QString err;
    CCDSData bank, own;
    bank.m_strTable = Q("Bank_H");
    bank.m_strCondition = Q("ORDER BY ID");
    int result = db.GetDataList(bank, own, err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("データの取得に失敗しました。"), err, false);
    auto ownText = [&own](const char* field) {
        return TextOf(Field(own.GetCount() > 0 ? own.GetAt(0) : nullptr, Q("Bank_H"), field));
    };

    CCDSData header;
    header.m_strTable = Q("WBank_H");
    COneRecord* record = header.AddNew();
    record->SetField(Q("WBank_H.ID"), 1);
    record->SetField(Q("WBank_H.Date"), date);
    for (const char* field : {"Bank", "BankBranch", "BankOnesName", "BankOnesPhoenic"})
        record->SetField(Q("WBank_H.") + Q(field), ownText(field));

    result = db.BeginTransaction(err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("データの追加に失敗しました(H)。"), err, false);
    // The header insert empties both work tables first.
    result = db.InsertData(header, err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("データの追加に失敗しました(H)。"), err);
    result = db.InsertData(lines, err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("データの追加に失敗しました(B)。"), err);
    result = db.Commit(err);
    if (result != CMakeMsgID::kOk)
        return Fail(db, tell, result, Q("データの追加に失敗しました(B)。"), err, false);
    return 1;
}
