#pragma once

#include "platform/data/MakeMsgID.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
