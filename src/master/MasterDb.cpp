#include "master/MasterDb.h"

#include "platform/data/MakeMsgID.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

int CMasterDb::GetDataList(const CCDSData& request, CCDSData& result, QString& err)
{
    return m_data.GetDataList(request, result, err);
}

int CMasterDb::GetDataNum(const CCDSData& request, int& count, QString& err)
{
    return m_data.GetDataNum(request, count, err);
}

int CMasterDb::UpdateData(const CCDSData& set, QString& err)
{
    return m_data.UpdateData(set, err);
}

int CMasterDb::DeleteData(const CCDSData& set, QString& err)
{
    return m_data.DeleteData(set, err);
}

int CMasterDb::BeginTransaction(QString& err)
{
    return m_data.BeginTransaction(err);
}

int CMasterDb::Commit(QString& err)
{
    return m_data.Commit(err);
}

int CMasterDb::Rollback(QString& err)
{
    return m_data.Rollback(err);
}

void ShowFatalDataMessage()
{
    UiServices::Prompt().MessageBox(
        QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + ProgramTitle() +
            QStringLiteral(
                "』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。"),
        MB_OK, MB_ICONSTOP);
}

QString FailureAdviceText(const QString& firstLine)
{
    return firstLine + QStringLiteral("何らかのエラーが発生した可能性があります。\n『") + ProgramTitle() +
           QStringLiteral("』を一旦終了してから操作し直すことをおすすめします。");
}
