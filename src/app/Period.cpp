#include "app/Period.h"

#include "platform/data/Calendar.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

CCurrentPeriod ComputeCurrentPeriod(const QDate& today, int startDays)
{
    const QDate start = today.addDays(-startDays);
    // The same day a month later; months of 28 to 31 days are tried longest
    // first. Without that day next month, the end is that month's last day.
    QDate next = QDate(start.year(), start.month(), 1).addMonths(2);
    for (int days : {31, 30, 29, 28}) {
        if (start.addDays(days).day() == start.day()) {
            next = start.addDays(days);
            break;
        }
    }
    return {start, next.addDays(-1)};
}

bool ReloadCalendar(CMakeMsgID& db, const QDate& from, const QDate& to, CCDSData& calendar, QString& err,
                    bool* stoppedOut)
{
    calendar.RemoveAll();
    if (stoppedOut)
        *stoppedOut = false;
    if (!db.AreBalancesPending())
        return GetCalendar(db, from, to, calendar, err) == CMakeMsgID::kOk;
    // The steps not taken, the read goes without the indexes they make and
    // may take minutes on large books: under the wait dialog, beside the
    // window's thread, so that the window keeps answering; 中止 ends the read
    // and leaves the calendar without marks.
    const auto read = db.RunBeside([&] {
        const CWaitDlg wait;
        return GetCalendar(db, from, to, calendar, err);
    });
    if (read.stopped)
        calendar.RemoveAll();
    if (stoppedOut)
        *stoppedOut = read.stopped;
    return read.value == CMakeMsgID::kOk && !read.stopped;
}

bool GetCurrentDatabaseName(const CDBDirMng& databases, QString& name)
{
    QString current, folder;
    databases.GetNowDB(current, folder);
    if (current.isEmpty() || folder.isEmpty())
        return false;
    name = current;
    return true;
}

QDate GetLastCarryForwardDate(CMakeMsgID& db)
{
    CCDSData request, result;
    request.m_strTable = QString::fromUtf8(TB_UTIL);
    QString err;
    if (db.GetDataList(request, result, err) != CMakeMsgID::kOk) {
        UiServices::Prompt().MessageBox(QStringLiteral("前回の繰越日の取得に失敗しました。"));
        return {};
    }
    // A row without a date means no carry-forward yet, like no row at all.
    QDate date;
    if (result.GetCount() > 0) {
        if (const CTb* field =
                result.GetAt(0)->GetOneField(QString::fromUtf8(TB_UTIL), QStringLiteral("StartDate")))
            field->GetData(date);
    }
    return date;
}
