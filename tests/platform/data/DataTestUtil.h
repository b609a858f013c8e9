#pragma once

#include "platform/data/MakeMsgID.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// A fresh database from the template in a temporary folder, opened.
class DatabaseTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QString err;
        ASSERT_EQ(CMakeMsgID::CreateDatabase(CMakeMsgID::DatabasePath(Folder()), kCreated, err), 1)
            << err.toStdString();
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
    }

    QString Folder() const { return m_dir.path(); }
    QString Path() const { return CMakeMsgID::DatabasePath(Folder()); }

    // Statements on the closed file, as another program would run them.
    void OnFile(const QStringList& statements)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(Path()).constData(), &db), SQLITE_OK);
        for (const QString& sql : statements)
            EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK)
                << sql.toStdString() << ": " << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    // The records of a request; fails the test unless the answer is 1.
    CCDSData List(const QString& table, const QString& condition)
    {
        CCDSData request, result;
        request.m_strTable = table;
        request.m_strCondition = condition;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        return result;
    }

    int Count(const QString& table, const QString& condition = QString())
    {
        CCDSData request;
        request.m_strTable = table;
        request.m_strCondition = condition;
        int count = -1;
        QString err;
        EXPECT_EQ(m_data.GetDataNum(request, count, err), 1) << err.toStdString();
        return count;
    }

    static inline const QDateTime kCreated{QDate(2024, 4, 1), QTime(9, 30, 0)};

    QTemporaryDir m_dir;
    CMakeMsgID m_data;
};
