#include "reports/ReportDelete.h"

#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/ReportData.h"
#include "reports/ReportModes.h"

#include <QStringList>

QString ReportDeleteTable(int mode)
{
    const char* table = ReportMode(mode).deleteTable;
    return table ? QString::fromLatin1(table) : QString();
}

int DeleteReportRows(CMakeMsgID& db, const QString& table, const CTradeSide& side, const QList<int>& closings,
                     const QList<int>& ids, int* requests)
{
    if (requests)
        *requests = 0;
    if (ids.isEmpty() && closings.isEmpty())
        return 1;
    QString err;
    QString line = QStringLiteral("データの削除に失敗しました。");
    int result = db.BeginTransaction(err);
    const bool begun = result == CMakeMsgID::kOk;
    // Closings first: they release the money booked to them, which then goes.
    if (result == CMakeMsgID::kOk && !closings.isEmpty()) {
        result = CClosingService(db).Undo(side, closings).Answer(err);
        if (result != CMakeMsgID::kOk)
            line = QStringLiteral("締めの取り消しに失敗しました。");
    }
    for (const QString& batch : IdBatches(ids)) {
        if (result != CMakeMsgID::kOk)
            break;
        CCDSData request;
        request.m_strTable = table;
        request.m_strCondition = QStringLiteral("WHERE \"ID\" IN (%1)").arg(batch);
        result = db.DeleteData(request, err);
        if (requests)
            ++*requests;
    }
    if (result == CMakeMsgID::kOk) {
        // A failed commit rolls back by itself.
        result = db.Commit(err);
        if (result == CMakeMsgID::kOk)
            return 1;
    } else if (begun) {
        QString ignored;
        db.Rollback(ignored);
    }
    ShowReportFailure(result, line, err);
    return 0;
}
