#pragma once

#include "platform/data/DataProgress.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class CCDSData;
class CMakeMsgID;
class CTb;
struct CClosingRefusal;

// The wait dialog for the span of a scope.
class CWaitScope
{
  public:
    CWaitScope();
    ~CWaitScope();
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;
};

// The wait dialog over the long calls of the data library made in its span
// (closing, undo, carry-forward, a list read): `text` and a bar over the
// steps the library reports, the window repainting while a step runs. It
// hears the library for its span and then gives the library back the
// listener it had. A file of an earlier build whose steps a write of the
// span takes shows them in the same dialog under their own text, and then
// the span's text again. Dismiss, or the end of the scope, takes it down:
// before any message.
class CDataWait : private IDataProgress
{
  public:
    CDataWait(CMakeMsgID& db, const QString& text);
    ~CDataWait() override { Dismiss(); }
    CDataWait(const CDataWait&) = delete;
    CDataWait& operator=(const CDataWait&) = delete;
    void Dismiss();

  private:
    void UpgradeBegins(int steps, int parts) override;
    void UpgradePartsDone(int done, int parts) override;
    void UpgradeStepDone() override;
    void UpgradeEnds() override;
    void CallStepsDone(int done, int total) override;
    void StatementRuns() override;
    void WaitingForWriter() override;
    void Show(int percent);

    CMakeMsgID& m_db;
    IDataProgress* m_pBefore = nullptr;
    QString m_strText;
    int m_nShown = 0; // on the bar, in percent
    int m_nOwn = 0;   // of the span's own calls, shown again after the steps
    bool m_bOpen = true;
};

// Texts of the wait dialog.
inline const QString kWaitClosing = QStringLiteral("締め処理を行っています。");
inline const QString kWaitUndoingClosings = QStringLiteral("締め処理を取り消しています。");
inline const QString kWaitCarryForward = QStringLiteral("繰越処理を行っています。");
inline const QString kWaitReadingList = QStringLiteral("データを読み込んでいます。");

// Where a report's message goes: the screen of the list that failed, or
// the program's prompt when none is given.
using ReportTell = std::function<void(const QString& text, int icon)>;

// The stop-icon message of a failing data library.
void ShowReportFatalMessage(const ReportTell& tell = {});
// Tells a failed library call: the stop-icon message for -100, else
// `firstLine` followed by the library's text.
void ShowReportFailure(int result, const QString& firstLine, const QString& err, const ReportTell& tell = {});
// Tells why a closing, its undo, the invoice work or a carry-forward did
// not do its work: the stop-icon message for a broken database, else
// `firstLine` followed by `text` (the refusal's own text when none is given).
void ShowClosingRefusal(const CClosingRefusal& refusal, const QString& firstLine,
                        const ReportTell& tell = {});
void ShowClosingRefusal(const CClosingRefusal& refusal, const QString& firstLine, const QString& text,
                        const ReportTell& tell = {});
// Undoes the open transaction, then tells the failure as ShowReportFailure
// does; answers 0.
int AbandonReportTransaction(CMakeMsgID& db, int result, const QString& firstLine, const QString& err,
                             const ReportTell& tell = {});

// Runs a whole statement into `records` and reports a failure: 1 done;
// -100 fatal message shown; else "データの取得に失敗しました。" and the
// library's text shown.
int RunReportStatement(CMakeMsgID& db, const QString& sql, CCDSData& records, const ReportTell& tell = {});

// The closing candidates of modes 8 and 9 on `date`: of the partners whose
// closing day is `closingDay`, or every partner up to the date for day 0.
QString ClosingListSql(bool purchase, const QDate& date, int closingDay);
// The receipt or payment schedule of modes 10 and 11: the closings due on
// `date`, or every open closing for closing day 0.
QString ScheduleListSql(bool purchase, int carryOver, const QDate& date, int closingDay);

// A request names at most this many IDs.
inline constexpr int kIdsPerRequest = 250;
// The IDs in runs of at most kIdsPerRequest, each run joined by commas for
// an IN list; none for no IDs.
QStringList IdBatches(const QList<int>& ids);

// Writes one value into the field of the closing records with these IDs
// ("Sales_Close" or "Stock_Close"): at most 250 IDs per request, every
// request in one transaction, so that all are written or none. 1 done, 0
// failed (message shown). `requests` counts the requests sent.
int UpdateClosingRecords(CMakeMsgID& db, bool purchase, const QString& field, const CTb& value,
                         const QList<int>& ids, int* requests = nullptr, const ReportTell& tell = {});
