#pragma once

#include "app/AppHome.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/ui/CodeListTool.h"
#include "platform/ui/FakeUi.h"

#include <QStringList>
#include <gtest/gtest.h>

// A fresh installation with a current database opened, the user-interface
// fakes installed, and helpers to put slips into it.
class CSlipDbTest : public ::testing::Test
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
    // A sales slip (DenpyoType 0 unless given).
    void AddSales(int id, const QString& date, const QString& no, const QString& code, const QString& company,
                  int total = 1000, int seikyu = 0, const QString& file = {}, int formId = 1,
                  int denpyoType = 0)
    {
        Exec(QStringLiteral(
                 "INSERT INTO Sales_H(ID, Date, No, CustomerCode, Company, Section, Name, TEL, DenpyoType, "
                 "TaxType, Amount, Tax, Total, SeikyuID, FileName, FormID, MyPerson) VALUES(%1, '%2', '%3', "
                 "'%4', '%5', '', '', '03-1111', %10, 1, %6, 0, %6, %7, '%8', %9, '山田')")
                 .arg(id)
                 .arg(date, QString(no).replace(u'\'', QStringLiteral("''")), code,
                      QString(company).replace(u'\'', QStringLiteral("''")))
                 .arg(qint64(total) * 10000)
                 .arg(seikyu)
                 .arg(file)
                 .arg(formId)
                 .arg(denpyoType));
    }
    void AddLine(int headerId, int lineNo, const QString& code, const QString& name, int itemType = 0,
                 const QString& table = QStringLiteral("Sales_B"))
    {
        Exec(QStringLiteral(
                 "INSERT INTO %6(HeaderID, LineNo, ItemType, ItemCode, ItemName, Number, Unit, Price, "
                 "Amount, Remarks) VALUES(%1, %2, %3, '%4', '%5', 20000, '個', 1000000, 2000000, '')")
                 .arg(headerId)
                 .arg(lineNo)
                 .arg(itemType)
                 .arg(code, name, table));
    }
    QStringList Texts() const { return const_cast<ScopedFakeUi&>(m_ui).Prompt().Texts(); }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CMakeMsgID m_data;
    QString m_folder;
};

// A code list that answers at once with a scripted code, recording the
// switches it was started with.
class CScriptedCodeList : public ICodeListTool
{
  public:
    CScriptedCodeList() : m_old(SetCodeListTool(this)) {}
    ~CScriptedCodeList() override { SetCodeListTool(m_old); }
    void Start(QWidget*, const QString& switches, CodeListAnswer answer) override
    {
        m_switches << switches;
        if (answer)
            answer(m_nWParam, m_strCode);
    }
    int m_nWParam = 0;
    QString m_strCode;
    QStringList m_switches;

  private:
    ICodeListTool* m_old;
};
