#pragma once

#include "platform/data/Mny.h"
#include "reports/ReportData.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class CCDSData;
class CMakeMsgID;

// One open closing of a schedule settled at its scheduled amount.
struct CScheduledPayment {
    int closingId = 0;   // "Sales_Close" / "Stock_Close" ID
    QString partnerCode; // "　" for a one-time partner
    CMny amount{0};      // the scheduled amount, exactly
    QString myPerson;
    QString method; // the partner's way of payment ("現金", "振込" ...)
};

// The method word as the receipt dialog's first-line index: 現金 0,
// 小切手 1, 振込 2, 手形 3, 相殺 4, anything else その他 5.
int ReceiptMethodIndex(const QString& word);

// Writes one receipt ("Receipt_H"/"Receipt_B") or payment ("Pay_H"/"Pay_B")
// per row, dated `date`, row i numbered numbers[i], and sets the rows'
// closings to Status 1 - all in one transaction: the headers in one
// insert, the lines with the IDs the headers got, the status in batches
// of 250. Any failure rolls everything back (message shown), so no closing
// is ever paid twice. 1 done, 0 nothing written.
int WritePaymentSlips(CMakeMsgID& db, bool purchase, const QList<CScheduledPayment>& rows,
                      const QStringList& numbers, const QDate& date, const ReportTell& tell = {});

// Fills the bank-transfer work tables with exactly this run, in one
// transaction: "WBank_H" one header (ID 1, `date`, the company's own
// account from the first "Bank_H" record, empty texts without one) and
// "WBank_B" the `lines` (table "WBank_B", HeaderID 1). 1 done; 0 failed
// (message shown), the tables as they were.
int WriteTransferRequest(CMakeMsgID& db, const QDateTime& date, CCDSData& lines, const ReportTell& tell = {});
