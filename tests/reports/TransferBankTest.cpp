#include "ReportFixture.h"

#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/MakeMsgID.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "platform/ui/NumEdit.h"
#include "reports/ReportsModule.h"
#include "reports/TransferBankDlg.h"
#include "reports/TransferBankRules.h"
#include "resources/CommandIds.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace
{

const QStringList kFeeFields{QStringLiteral("PaymentType"), QStringLiteral("BankType"),
                             QStringLiteral("Money"), QStringLiteral("Fee")};

class TransferBankTest : public ReportFixture
{
  protected:
    // The fee records of the stored accounts, in the order they were written.
    QStringList FeeRows()
    {
        return Table(Rows(QStringLiteral(
                         "SELECT B.HeaderID, B.PaymentType, B.BankType, B.Money, B.Fee FROM Bank_B AS B "
                         "ORDER BY B.ID")),
                     {QStringLiteral("HeaderID"), QStringLiteral("PaymentType"), QStringLiteral("BankType"),
                      QStringLiteral("Money"), QStringLiteral("Fee")});
    }
    QStringList Accounts()
    {
        return Table(
            Rows(QStringLiteral("SELECT ID, Bank, BankAccountType, BankOnesName FROM Bank_H ORDER BY ID")),
            {QStringLiteral("ID"), QStringLiteral("Bank"), QStringLiteral("BankAccountType"),
             QStringLiteral("BankOnesName")});
    }
    // The twelve rows a save of these bounds and fees must leave for `id`.
    static QStringList Expected(int id, const QStringList& bounds, const QStringList& fees)
    {
        const char* const relations[] = {"1|1", "1|2", "1|3", "0|3"};
        QStringList rows;
        for (int i = 0; i < 12; ++i)
            rows << QStringLiteral("%1|%2|%3|%4")
                        .arg(id)
                        .arg(QString::fromLatin1(relations[i % 4]), bounds[i / 4], fees[i]);
        return rows;
    }

    ScopedFakeUi m_ui;
};

} // namespace

// The fixture's account: its fields, the bounds from the fifth and ninth
// records, every fee in its cell; typing over it and saving twice keeps one
// account with exactly its twelve fee records, read back cell for cell.
TEST_F(TransferBankTest, LoadsTheTwelveFeesAndSavingTwiceLeavesOneAccountOfTwelve)
{
    CTransferBankRules rules(m_data);
    ASSERT_EQ(rules.Load(), 1);
    EXPECT_EQ(rules.m_nID, Id("BANK1"));
    EXPECT_EQ(rules.m_nFeeCount, 12);
    EXPECT_EQ(rules.m_strBank, QStringLiteral("三井住友銀行"));
    EXPECT_EQ(rules.m_strBankBranch, QStringLiteral("東京支店"));
    EXPECT_EQ(rules.m_nAccountType, -1);
    EXPECT_EQ(rules.m_strBound1, QStringLiteral("10000"));
    EXPECT_EQ(rules.m_strBound2, QStringLiteral("30000"));
    const QStringList stored{"220", "330", "440", "550", "440", "550",
                             "660", "770", "330", "770", "880", "990"};
    EXPECT_EQ(QStringList(rules.m_fees.begin(), rules.m_fees.end()), stored);
    EXPECT_TRUE(rules.m_bBound2Enabled);
    EXPECT_EQ(std::count(rules.m_feeEnabled.begin(), rules.m_feeEnabled.end(), true), 12);

    const QStringList fees{"100", "200", "300", "400", "110", "210",
                           "310", "410", "120", "220", "320", "420"};
    std::copy(fees.begin(), fees.end(), rules.m_fees.begin());
    rules.m_strBound1 = QStringLiteral("20000");
    rules.m_strBound2 = QStringLiteral("50000");
    rules.m_nAccountType = 1;
    rules.m_strOnesName = QStringLiteral("株式会社コルヴァンタ");
    ASSERT_EQ(rules.Save(), 1);
    const int first = rules.m_nID;
    ASSERT_EQ(rules.Save(), 1);
    EXPECT_NE(rules.m_nID, first);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(Accounts(),
              QStringList{QStringLiteral("%1|三井住友銀行|1|株式会社コルヴァンタ").arg(rules.m_nID)});
    EXPECT_EQ(FeeRows(), Expected(rules.m_nID, {"0", "20000", "50000"}, fees));

    CTransferBankRules reopened(m_data);
    ASSERT_EQ(reopened.Load(), 1);
    EXPECT_EQ(QStringList(reopened.m_fees.begin(), reopened.m_fees.end()), fees);
    EXPECT_EQ(reopened.m_strBound1, QStringLiteral("20000"));
    EXPECT_EQ(reopened.m_strBound2, QStringLiteral("50000"));
    EXPECT_EQ(reopened.m_nAccountType, 1);
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());
}

// First use, step by step: nothing stored closes every cell; the bounds open
// the brackets; emptying bound 1 closes them again and empties bound 2 while
// the fees typed stay and are saved (empty bounds as 0), and an account type
// never chosen comes back as none.
TEST_F(TransferBankTest, FirstUseOpensTheBracketsWithTheBounds)
{
    Exec(QStringLiteral("DELETE FROM Bank_B"));
    Exec(QStringLiteral("DELETE FROM Bank_H"));
    CTransferBankRules rules(m_data);
    ASSERT_EQ(rules.Load(), 1);
    auto open = [&rules]() -> QString {
        QString cells;
        for (bool on : rules.m_feeEnabled)
            cells += on ? u'1' : u'0';
        return cells + (rules.m_bBound2Enabled ? QStringLiteral(" b2") : QString());
    };
    EXPECT_EQ(open(), QStringLiteral("000000000000"));
    struct Step {
        const char* bound1;
        const char* bound2;
        int left; // 1 or 2
        const char* cells;
        bool next;
        const char* bound2After;
    } steps[] = {
        {"10000", "", 1, "111111110000 b2", true, ""},
        {"10000", "30000", 2, "111111111111 b2", false, "30000"},
        {"10000", "", 2, "111111110000 b2", false, ""},
        {"10000", "30000", 2, "111111111111 b2", false, "30000"},
        {"", "30000", 1, "000000000000", false, ""},
    };
    for (const Step& s : steps) {
        rules.m_strBound1 = QString::fromUtf8(s.bound1);
        rules.m_strBound2 = QString::fromUtf8(s.bound2);
        bool next = false;
        if (s.left == 1)
            next = rules.Bound1Left();
        else
            rules.Bound2Left();
        EXPECT_EQ(open(), QString::fromUtf8(s.cells)) << s.bound1 << "/" << s.bound2;
        EXPECT_EQ(next, s.next) << s.bound1;
        EXPECT_EQ(rules.m_strBound2, QString::fromUtf8(s.bound2After));
    }
    rules.m_fees[0] = QStringLiteral("330");
    rules.m_fees[11] = QStringLiteral("880");
    ASSERT_EQ(rules.Save(), 1);
    QStringList fees(12);
    fees[0] = QStringLiteral("330");
    fees[11] = QStringLiteral("880");
    for (QString& fee : fees)
        if (fee.isEmpty())
            fee = QStringLiteral("0");
    EXPECT_EQ(FeeRows(), Expected(rules.m_nID, {"0", "0", "0"}, fees));
    EXPECT_EQ(Accounts(), QStringList{QStringLiteral("%1||-1|").arg(rules.m_nID)});
    CTransferBankRules reopened(m_data);
    ASSERT_EQ(reopened.Load(), 1);
    EXPECT_EQ(reopened.m_nAccountType, -1);
    EXPECT_EQ(reopened.m_fees[11], QStringLiteral("880"));
}

// A refused fee record or an amount that is no amount: the old account with
// its fees stays, the values typed stay in the rules, and the user is told.
TEST_F(TransferBankTest, AFailedSaveKeepsTheOldAccountAndTheInput)
{
    CTransferBankRules rules(m_data);
    ASSERT_EQ(rules.Load(), 1);
    const QStringList accounts = Accounts();
    const QStringList feeRows = FeeRows();
    ASSERT_EQ(feeRows.size(), 12);
    rules.m_strBank = QStringLiteral("りそな銀行");
    rules.m_fees[5] = QStringLiteral("999");

    Exec(QStringLiteral("CREATE TRIGGER refuse_fee BEFORE INSERT ON Bank_B BEGIN "
                        "SELECT RAISE(ABORT, '手数料の登録を拒否'); END"));
    EXPECT_EQ(rules.Save(), 0);
    ASSERT_EQ(m_ui.Prompt().Texts().size(), 1);
    const QString text = m_ui.Prompt().Texts().first();
    EXPECT_TRUE(text.startsWith(QStringLiteral("データの追加に失敗しました(H)。"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("手数料の登録を拒否"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("保存されていません"))) << text.toStdString();
    EXPECT_EQ(Accounts(), accounts);
    EXPECT_EQ(FeeRows(), feeRows);
    EXPECT_EQ(rules.m_nID, Id("BANK1"));
    EXPECT_EQ(rules.m_strBank, QStringLiteral("りそな銀行"));
    EXPECT_FALSE(m_data.InTransaction());

    Exec(QStringLiteral("DROP TRIGGER refuse_fee"));
    m_ui.Prompt().Clear();
    int field = CTransferBankRules::kNone;
    for (const char* bad : {"1.5", "-3", "12ab"}) {
        rules.m_fees[7] = QString::fromUtf8(bad);
        EXPECT_FALSE(rules.Check(&field).isEmpty()) << bad;
        EXPECT_EQ(field, 7);
        EXPECT_EQ(rules.Save(), 0);
    }
    rules.m_fees[7] = QStringLiteral("770");
    rules.m_strBound2 = QStringLiteral("1234567");
    EXPECT_FALSE(rules.Check(&field).isEmpty());
    EXPECT_EQ(field, CTransferBankRules::kBound2);
    EXPECT_EQ(m_ui.Prompt().Texts().size(), 3);
    EXPECT_EQ(Accounts(), accounts);
    EXPECT_EQ(FeeRows(), feeRows);
}

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

class TransferFeeCommandTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        ASSERT_FALSE(m_home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
    }
    QString Value(const char* sql)
    {
        CCDSData request, result;
        request.m_strCondition = QString::fromUtf8(sql);
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        return result.GetCount() > 0 && result.GetAt(0)->GetCount() > 0 ? result.GetAt(0)->GetAt(0)->GetText()
                                                                        : QString();
    }
    void Exec(const char* sql)
    {
        QString err;
        ASSERT_EQ(m_frame->GetMakeMsgID().Execute(QString::fromUtf8(sql), err), 1) << err.toStdString();
    }
    // Runs 32837 from the menu screen; `answer` plays the user on the dialog.
    int Run(const std::function<int(CTransferBankDlg&)>& answer)
    {
        int opened = 0;
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto* bank = dynamic_cast<CTransferBankDlg*>(&dialog);
            if (!bank)
                return int(QDialog::Rejected);
            ++opened;
            return answer(*bank);
        });
        m_frame->SwitchView(0);
        Pump();
        m_frame->ExecuteCommand(ID_TRANSFER_FEE);
        Pump();
        return opened;
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// Typed like a user: fields, bound 1 left (the first fee cell takes the
// focus), fees of two brackets, OK. Then a refused write keeps the dialog
// open with what was typed, and an unreadable store opens no dialog.
TEST_F(TransferFeeCommandTest, TheMenuCommandOpensTheDialogAndSavesThroughIt)
{
    ASSERT_TRUE(CViewRegistry::Instance().HasCommand(ID_TRANSFER_FEE));
    EXPECT_EQ(Run([](CTransferBankDlg& dlg) {
                  EXPECT_EQ(dlg.size(), QSize(624, 377));
                  EXPECT_EQ(dlg.Cells().size(), 20);
                  EXPECT_FALSE(dlg.FeeEdit(0)->isEnabled());
                  EXPECT_FALSE(dlg.BoundEdit(1)->isEnabled());
                  dlg.TextEdit(0)->setText(QStringLiteral("みずほ銀行"));
                  dlg.AccountTypeCombo()->setCurrentIndex(0);
                  dlg.BoundEdit(0)->setText(QStringLiteral("30000"));
                  dlg.OnBound1Left();
                  EXPECT_EQ(dlg.BoundCopy(0)->text(), QStringLiteral("30000"));
                  EXPECT_TRUE(dlg.FeeEdit(7)->isEnabled());
                  EXPECT_FALSE(dlg.FeeEdit(8)->isEnabled());
                  for (int i = 0; i < 8; ++i)
                      dlg.FeeEdit(i)->setText(QString::number(100 * (i + 1)));
                  dlg.OnOK();
                  return dlg.result();
              }),
              1);
    EXPECT_EQ(Value("SELECT count(*) FROM Bank_H"), QStringLiteral("1"));
    EXPECT_EQ(Value("SELECT Bank || '/' || BankAccountType FROM Bank_H"), QStringLiteral("みずほ銀行/0"));
    EXPECT_EQ(
        Value("SELECT group_concat(Money || ':' || Fee, ' ') FROM (SELECT Money / 10000 AS Money, "
              "Fee / 10000 AS Fee FROM Bank_B ORDER BY ID)"),
        QStringLiteral("0:100 0:200 0:300 0:400 30000:500 30000:600 30000:700 30000:800 0:0 0:0 0:0 0:0"));

    Exec("CREATE TRIGGER refuse_fee BEFORE INSERT ON Bank_B BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_EQ(Run([](CTransferBankDlg& dlg) {
                  EXPECT_EQ(dlg.TextEdit(0)->text(), QStringLiteral("みずほ銀行"));
                  EXPECT_EQ(dlg.FeeEdit(4)->text(), QStringLiteral("500"));
                  dlg.TextEdit(0)->setText(QStringLiteral("りそな銀行"));
                  dlg.OnOK();
                  EXPECT_NE(dlg.result(), int(QDialog::Accepted));
                  EXPECT_EQ(dlg.TextEdit(0)->text(), QStringLiteral("りそな銀行"));
                  return int(QDialog::Rejected);
              }),
              1);
    EXPECT_EQ(
        Value("SELECT Bank || '/' || (SELECT count(*) FROM Bank_B WHERE HeaderID = Bank_H.ID) FROM Bank_H"),
        QStringLiteral("みずほ銀行/12"));
    ASSERT_FALSE(m_ui.Prompt().Texts().isEmpty());
    EXPECT_TRUE(m_ui.Prompt().Texts().last().startsWith(QStringLiteral("データの追加に失敗しました(H)。")));

    m_ui.Prompt().Clear();
    Exec("DROP TABLE Bank_B");
    EXPECT_EQ(Run([](CTransferBankDlg&) { return int(QDialog::Accepted); }), 0);
    ASSERT_EQ(m_ui.Prompt().Texts().size(), 1);
    EXPECT_TRUE(m_ui.Prompt().Texts().first().startsWith(QStringLiteral("データの取得に失敗しました。")));
    EXPECT_EQ(Value("SELECT count(*) FROM Bank_H"), QStringLiteral("1"));
}
