#include "reports/ReportData.h"

#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/sql/ClosingSql.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/db/OpenProgress.h"

#include <QStringList>

#include <algorithm>
#include <utility>

CWaitScope::CWaitScope()
{
    UiServices::Wait().Begin(QString());
}

CWaitScope::~CWaitScope()
{
    UiServices::Wait().End();
}

CDataWait::CDataWait(CMakeMsgID& db, const QString& text) : m_db(db), m_strText(text)
{
    UiServices::Wait().Begin(text, 100);
    m_pBefore = m_db.SetProgress(this);
}

namespace
{

int Percent(int done, int total)
{
    return std::clamp(int(qint64(done) * 100 / total), 0, 100);
}

} // namespace

void CDataWait::Show(int percent)
{
    if (percent != m_nShown) {
        m_nShown = percent;
        UiServices::Wait().SetPos(percent);
    } else {
        UiServices::Wait().KeepPainting();
    }
}

void CDataWait::CallStepsDone(int done, int total)
{
    if (total > 0)
        m_nOwn = Percent(done, total);
    Show(m_nOwn);
}

// The steps show under their own text, then the span's again.
void CDataWait::UpgradeBegins(int, int)
{
    UiServices::Wait().SetText(kWaitUpdating);
    Show(0);
}

void CDataWait::UpgradePartsDone(int done, int parts)
{
    Show(parts > 0 ? Percent(done, parts) : m_nShown);
}

void CDataWait::UpgradeStepDone()
{
    UiServices::Wait().KeepPainting();
}

// Only the steps end: the span's calls go on under its own text.
void CDataWait::UpgradeEnds()
{
    UiServices::Wait().SetText(m_strText);
    Show(m_nOwn);
}

void CDataWait::StatementRuns()
{
    UiServices::Wait().KeepPainting();
}

void CDataWait::WaitingForWriter()
{
    UiServices::Wait().KeepPainting();
}

void CDataWait::Dismiss()
{
    if (!std::exchange(m_bOpen, false))
        return;
    m_db.SetProgress(m_pBefore);
    UiServices::Wait().End();
}

namespace
{

void Say(const ReportTell& tell, const QString& text, int icon)
{
    if (tell)
        tell(text, icon);
    else
        UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

} // namespace

void ShowReportFatalMessage(const ReportTell& tell)
{
    Say(tell,
        QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + ProgramTitle() +
            QStringLiteral(
                "』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。"),
        MB_ICONSTOP);
}

void ShowReportFailure(int result, const QString& firstLine, const QString& err, const ReportTell& tell)
{
    if (result == CMakeMsgID::kFatal)
        ShowReportFatalMessage(tell);
    else
        Say(tell, firstLine + err, MB_ICONNONE);
}

void ShowClosingRefusal(const CClosingRefusal& refusal, const QString& firstLine, const ReportTell& tell)
{
    ShowClosingRefusal(refusal, firstLine, refusal.text, tell);
}

void ShowClosingRefusal(const CClosingRefusal& refusal, const QString& firstLine, const QString& text,
                        const ReportTell& tell)
{
    if (refusal.why == EClosingRefusal::Fatal)
        ShowReportFatalMessage(tell);
    else
        Say(tell, firstLine + text, MB_ICONNONE);
}

QStringList IdBatches(const QList<int>& ids)
{
    QStringList batches;
    for (qsizetype start = 0; start < ids.size(); start += kIdsPerRequest) {
        QStringList batch;
        for (int id : ids.mid(start, kIdsPerRequest))
            batch << QString::number(id);
        batches << batch.join(u',');
    }
    return batches;
}

int AbandonReportTransaction(CMakeMsgID& db, int result, const QString& firstLine, const QString& err,
                             const ReportTell& tell)
{
    QString ignored;
    db.Rollback(ignored);
    ShowReportFailure(result, firstLine, err, tell);
    return 0;
}

int RunReportStatement(CMakeMsgID& db, const QString& sql, CCDSData& records, const ReportTell& tell)
{
    CCDSData request;
    request.m_strCondition = sql;
    QString err;
    const int result = db.GetDataList(request, records, err);
    if (result != CMakeMsgID::kOk)
        ShowReportFailure(result, QStringLiteral("データの取得に失敗しました。"), err, tell);
    return result;
}

QString ClosingListSql(bool purchase, const QDate& date, int closingDay)
{
    if (closingDay != 0)
        return purchase ? MakeShiharaiSQL(date, closingDay) : MakeSeikyuSQL(date, closingDay);
    return purchase ? MakeShiharaiUpToDateSQL(date) : MakeSeikyuUpToDateSQL(date);
}

QString ScheduleListSql(bool purchase, int carryOver, const QDate& date, int closingDay)
{
    const bool withoutCarry = carryOver != 0;
    if (closingDay != 0)
        return purchase ? MakeOpenStockCloseByCollectDate(withoutCarry, date, false)
                        : MakeOpenSalesCloseByCollectDate(withoutCarry, date);
    return purchase ? MakeOpenStockCloseBySupplier(withoutCarry) : MakeOpenSalesCloseByCustomer(withoutCarry);
}

int UpdateClosingRecords(CMakeMsgID& db, bool purchase, const QString& field, const CTb& value,
                         const QList<int>& ids, int* requests, const ReportTell& tell)
{
    if (requests)
        *requests = 0;
    if (ids.isEmpty())
        return 1;
    const QString table = QString::fromLatin1(CTradeSide::Of(purchase).closing);
    QString err;
    const QString failed = QStringLiteral("データの更新に失敗しました。");
    int result = db.BeginTransaction(err);
    if (result != CMakeMsgID::kOk) {
        ShowReportFailure(result, failed, err, tell);
        return 0;
    }
    for (const QString& batch : IdBatches(ids)) {
        CCDSData request;
        request.m_strTable = table;
        request.m_strCondition = QStringLiteral("WHERE \"ID\" IN (%1)").arg(batch);
        CTb tb(table + u'.' + field);
        tb.SetData(value);
        request.AddNew()->AddField(tb);
        result = db.UpdateData(request, err);
        if (requests)
            ++*requests;
        if (result != CMakeMsgID::kOk)
            return AbandonReportTransaction(db, result, failed, err, tell);
    }
    result = db.Commit(err);
    if (result != CMakeMsgID::kOk)
        return AbandonReportTransaction(db, result, failed, err, tell);
    return 1;
}
