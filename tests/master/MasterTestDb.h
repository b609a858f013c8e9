#pragma once

#include "app/AppHome.h"
#include "master/MasterDb.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <functional>

// A fresh installation with a current database opened for the master list,
// the user-interface fakes installed.
class CMasterDbTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.IsReady());
        m_folder = m_home.AddCurrentDatabase(QStringLiteral("本社"));
        ASSERT_FALSE(m_folder.isEmpty());
        QString err;
        ASSERT_EQ(m_data.Open(m_folder, err), 1) << err.toStdString();
    }
    void TearDown() override
    {
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_ui.Prompt().PendingAnswers(), 0);
    }

    void Exec(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_data.Execute(sql, err), 1) << err.toStdString() << " in " << sql.toStdString();
    }
    int Count(const QString& table, const QString& condition = {})
    {
        CCDSData request;
        request.m_strTable = table;
        request.m_strCondition = condition;
        int count = -1;
        QString err;
        EXPECT_EQ(m_data.GetDataNum(request, count, err), 1) << err.toStdString();
        return count;
    }
    QStringList Texts() const { return const_cast<ScopedFakeUi&>(m_ui).Prompt().Texts(); }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CMakeMsgID m_data;
    QString m_folder;
};

// Records every request of the master list and can fail one of them.
class CRecordingDb : public CMasterDb
{
  public:
    using CMasterDb::CMasterDb;

    int GetDataList(const CCDSData& request, CCDSData& result, QString& err) override
    {
        return Log(
            QStringLiteral("list"), request, [&] { return CMasterDb::GetDataList(request, result, err); },
            err);
    }
    int GetDataNum(const CCDSData& request, int& count, QString& err) override
    {
        return Log(
            QStringLiteral("count"), request, [&] { return CMasterDb::GetDataNum(request, count, err); },
            err);
    }
    int UpdateData(const CCDSData& set, QString& err) override
    {
        return Log(
            QStringLiteral("update"), set, [&] { return CMasterDb::UpdateData(set, err); }, err);
    }
    int DeleteData(const CCDSData& set, QString& err) override
    {
        return Log(
            QStringLiteral("delete"), set, [&] { return CMasterDb::DeleteData(set, err); }, err);
    }

    // Lines "verb table terms": the number of " OR "-joined terms.
    QStringList Summary() const
    {
        QStringList lines;
        for (const auto& [verb, request] : m_requests)
            lines << QStringLiteral("%1 %2 %3")
                         .arg(verb, request.first)
                         .arg(request.second.count(QStringLiteral(" OR ")) + 1);
        return lines;
    }

    QList<std::pair<QString, std::pair<QString, QString>>> m_requests; // verb, (table, condition)
    // Answers this result (and error text) to the request of that number, counting from 0.
    int m_nFailAt = -1;
    int m_nFailResult = CMakeMsgID::kFailed;
    QString m_strFailText;

  private:
    int Log(const QString& verb, const CCDSData& request, const std::function<int()>& run, QString& err)
    {
        const int number = int(m_requests.size());
        m_requests.append({verb, {request.m_strTable, request.m_strCondition}});
        if (number == m_nFailAt) {
            err = m_strFailText;
            return m_nFailResult;
        }
        return run();
    }
};
