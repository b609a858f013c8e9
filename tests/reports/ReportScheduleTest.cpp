// Receipts and payments taken from the schedules, the scheduled date, bank-
// transfer requests and stock row edits, on the report fixture's world seen
// through a real frame, with scripted answers and dialogs.

#include "ReportFixture.h"

#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/MnyText.h"
#include "platform/forms/SelForm.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "platform/ui/NumEdit.h"
#include "reports/DateSetDlg.h"
#include "reports/PaymentSlips.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"
#include "settings/CounterInfo.h"
#include "slips/ReceiptDlg.h"
#include "slips/StockChangeDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>

#include <functional>

namespace
{

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QStringList Cells(const CShimeView& view, int column)
{
    QStringList texts;
    for (const CReportRow& row : const_cast<CShimeView&>(view).List().Rows())
        texts << (column < row.texts.size() ? row.texts[column] : QString());
    return texts;
}

// The slip numbers a counter hands out next, without taking them.
QStringList NextNumbers(int kind, int count)
{
    CCounterInfo counter;
    CCounterInfoElem* elem = counter.GetElem(kind);
    QStringList numbers;
    if (!elem)
        return numbers;
    CCounterInfoElem copy = *elem;
    for (int i = 0; i < count; ++i, ++copy.m_nNumber)
        numbers << copy.Format();
    return numbers;
}

// Picks the first form the chooser offers.
class CFirstForm : public IFormDialogs
{
  public:
    CFirstForm() : m_old(CSelForm::SetDialogs(this)) {}
    ~CFirstForm() override { CSelForm::SetDialogs(m_old); }
    bool RunChooser(CFormChoice& choice) override
    {
        if (choice.GetForms().isEmpty())
            return false;
        m_kinds << choice.GetKind();
        choice.SetCurrentRow(0);
        return true;
    }
    void RunFormCtrl(CFormCtrl&) override {}
    QList<int> m_kinds;

  private:
    IFormDialogs* m_old;
};

// Answers the date dialog with `date` (OK) or Cancel, recording its prompt
// and the day it opened on.
ScopedModalRunner DateAnswer(const QDate& date, bool ok, QStringList* prompts, QDate* opened = nullptr)
{
    return ScopedModalRunner([=](QDialog& dialog) {
        auto* dateSet = dynamic_cast<CDateSetDlg*>(&dialog);
        if (!dateSet)
            return int(QDialog::Rejected);
        *prompts << dateSet->windowTitle() + u'|' + dateSet->PromptLabel()->text();
        if (opened)
            *opened = dateSet->DateEdit()->date();
        dateSet->DateEdit()->setDate(date);
        if (!ok) {
            dateSet->reject();
            return int(QDialog::Rejected);
        }
        dateSet->accept();
        return dateSet->result();
    });
}

class ReportScheduleTest : public ReportFixture
{
  protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        if (HasFatalFailure())
            return;
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        const QString folder = m_home.AddCurrentDatabase(Q("本社"));
        ASSERT_FALSE(folder.isEmpty());
        // The frame works on the fixture's world; m_data checks it.
        m_data.Close();
        const QString target = CMakeMsgID::DatabasePath(folder);
        ASSERT_TRUE(QFile::remove(target));
        ASSERT_TRUE(QFile::copy(CMakeMsgID::DatabasePath(Folder()), target));
        QString err;
        ASSERT_EQ(m_data.Open(folder, err), 1) << err.toStdString();
        m_ui.Clock().SetToday(QDate(2004, 6, 10));
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }
    // A report list from the menu screen, `before` setting its conditions.
    CShimeView* Show(int mode, const std::function<void()>& before = {})
    {
        m_frame->SwitchView(0);
        Pump();
        m_frame->m_dtCalendarDate = QDate();
        m_frame->m_nCalendarCloseDay = 0;
        if (before)
            before();
        m_frame->SwitchView(mode);
        Pump();
        return qobject_cast<CShimeView*>(m_frame->GetActiveView());
    }
    QStringList Texts()
    {
        const QStringList texts = m_ui.Prompt().Texts();
        m_ui.Prompt().Clear();
        return texts;
    }
    QStringList Query(const char* sql, const QStringList& fields) { return Table(Rows(Q(sql)), fields); }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// Bulk settlement on both sides: the question, one slip per selected row at
// its scheduled amount with consecutive numbers, CloseID only for the one-
// time partner, Bill on receipts only, the closings settled, and the rows
// gone from the list and its records, also after the list is filled again.
TEST_F(ReportScheduleTest, BulkSettlementOnBothSides)
{
    struct Case {
        int mode;
        QList<int> rows;
        const char* question;
        const char* headers; // Date|code|Amount|Bill|MyPerson|SeikyuID|CloseID of the new slips
        QStringList closings;
        const char* lineSql;
        QStringList lines;
        int left;
    };
    const Case cases[] = {
        {10,
         {0, 3, 6},
         "選択されたデータの入金予定額で入金処理をします。よろしいですか？",
         "SELECT \"Date\", CustomerCode AS Code, Amount, Bill, MyPerson, SeikyuID, CloseID FROM Receipt_H "
         "WHERE ID > (SELECT MAX(ID) FROM Receipt_H WHERE \"No\" = 'R10') ORDER BY ID",
         {"K1C2", "OT1", "ON1"},
         "SELECT B.LineNo, B.Code, B.Amount FROM Receipt_B B JOIN Receipt_H H ON H.ID = B.HeaderID "
         "WHERE H.ID > (SELECT MAX(ID) FROM Receipt_H WHERE \"No\" = 'R10') ORDER BY H.ID",
         {"1|振込|42000.52", "1|現金|3150", "1|現金|420"},
         5},
        {11,
         {1, 4},
         "選択されたデータの支払予定額で出金処理をします。よろしいですか？",
         "SELECT \"Date\", SupplierCode AS Code, Amount, NULL AS Bill, MyPerson, SeikyuID, CloseID FROM Pay_H "
         "WHERE \"No\" NOT IN ('Y0', 'Y1') ORDER BY ID",
         {"PC2", "PC5"},
         "SELECT B.LineNo, B.Code, B.Amount FROM Pay_B B JOIN Pay_H H ON H.ID = B.HeaderID "
         "WHERE H.\"No\" NOT IN ('Y0', 'Y1') ORDER BY H.ID",
         {"1|振込|10000", "1|振込|9999.99"},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        CShimeView* view = Show(c.mode);
        ASSERT_TRUE(view);
        const int before = view->List().RowCount();
        ASSERT_EQ(before, c.left + int(c.rows.size()));
        QStringList kept;
        for (int row = 0; row < before; ++row)
            if (!c.rows.contains(row))
                kept << Cells(*view, 3)[row];
        view->ListCtrl()->clearSelection();
        for (int row : c.rows)
            view->ListCtrl()->selectionModel()->select(
                view->ListCtrl()->model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const int kind = c.mode == 10 ? COUNTER_RECEIPT : COUNTER_PAYMENT;
        const QStringList numbers = NextNumbers(kind, int(c.rows.size()));
        ASSERT_EQ(numbers.size(), c.rows.size());
        ASSERT_FALSE(numbers.first().isEmpty());

        // Cancel: nothing happens.
        m_ui.Prompt().QueueAnswers({IDCANCEL});
        m_frame->ExecuteCommand(ID_REPORT_BULK_RECEIPT);
        EXPECT_EQ(Texts(), QStringList({Q(c.question)}));
        EXPECT_EQ(view->List().RowCount(), before);

        m_ui.Prompt().QueueAnswers({IDOK});
        m_frame->ExecuteCommand(ID_REPORT_BULK_RECEIPT);
        EXPECT_EQ(Texts(), QStringList({Q(c.question)}));

        const CCDSData headers = Rows(Q(c.headers));
        ASSERT_EQ(headers.GetCount(), c.closings.size());
        const QString table = Q(c.mode == 10 ? "Receipt_H" : "Pay_H");
        EXPECT_EQ(Column(Rows(QStringLiteral("SELECT \"No\" FROM %1 WHERE \"No\" IN ('%2') ORDER BY ID")
                                  .arg(table, numbers.join(Q("','")))),
                         Q("No")),
                  numbers);
        for (int i = 0; i < headers.GetCount(); ++i) {
            const int closing = Id(c.closings[i].toUtf8().constData());
            const bool oneTime = c.closings[i] == Q("OT1");
            const QStringList values = Values(headers, i, {"Date", "Amount", "Bill", "SeikyuID", "CloseID"});
            EXPECT_EQ(values[0], Q("2004/06/10")) << i;
            EXPECT_EQ(values[2], c.mode == 10 ? values[1] : QString()) << "Bill " << i;
            EXPECT_EQ(values[3], Q("0"));
            EXPECT_EQ(values[4], QString::number(oneTime ? closing : 0)) << i;
        }
        EXPECT_EQ(Query(c.lineSql, {"LineNo", "Code", "Amount"}), c.lines);
        QStringList ids;
        for (const QString& name : c.closings)
            ids << QString::number(Id(name.toUtf8().constData()));
        const QString closeTable = Q(c.mode == 10 ? "Sales_Close" : "Stock_Close");
        EXPECT_EQ(Column(Rows(QStringLiteral("SELECT Status FROM %1 WHERE ID IN (%2)").arg(closeTable, ids.join(u','))),
                         Q("Status")),
                  QStringList(c.closings.size(), Q("1")));

        // Gone from the list, its records and the count; a refill keeps them out.
        EXPECT_EQ(view->List().RowCount(), c.left);
        EXPECT_EQ(view->List().Records().GetCount(), c.left);
        EXPECT_EQ(view->CountLabel()->text(), Q("件数：%1件").arg(c.left));
        EXPECT_EQ(Cells(*view, 3), kept);
        view->OnEnvSettingsChanged();
        EXPECT_EQ(Cells(*view, 3), kept);
    }
}

// A failure anywhere in the run writes nothing: no slip, no settled
// closing, the rows listed; the numbers taken leave a gap, never a repeat.
TEST_F(ReportScheduleTest, FailedSettlementWritesNothing)
{
    struct Case {
        const char* trigger;
        const char* message;
    };
    const Case cases[] = {
        {"CREATE TRIGGER t BEFORE INSERT ON Receipt_H BEGIN SELECT RAISE(ABORT, '見出し不可'); END",
         "データの追加に失敗しました。"},
        {"CREATE TRIGGER t BEFORE INSERT ON Receipt_B BEGIN SELECT RAISE(ABORT, '明細不可'); END",
         "明細の追加に失敗しました。"},
        {"CREATE TRIGGER t BEFORE UPDATE OF Status ON Sales_Close BEGIN SELECT RAISE(ABORT, '更新不可'); END",
         "データの更新に失敗しました。"},
    };
    CShimeView* view = Show(10);
    ASSERT_TRUE(view);
    const int receipts = Count(Q("Receipt_H"));
    const int lines = Count(Q("Receipt_B"));
    const QStringList codes = Cells(*view, 3);
    QStringList taken;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Exec(Q(c.trigger));
        ASSERT_TRUE(view->SelectAllRows());
        const QStringList numbers = NextNumbers(COUNTER_RECEIPT, 2);
        taken += numbers;
        EXPECT_EQ(view->CreatePaymentSlips({1, 2}), 0);
        const QStringList texts = Texts();
        ASSERT_EQ(texts.size(), 1);
        EXPECT_TRUE(texts[0].startsWith(Q(c.message))) << texts[0].toStdString();
        EXPECT_EQ(Count(Q("Receipt_H")), receipts);
        EXPECT_EQ(Count(Q("Receipt_B")), lines);
        EXPECT_EQ(Count(Q("Sales_Close"), Q("WHERE Status = 1")), 3);
        EXPECT_EQ(Cells(*view, 3), codes);
        EXPECT_EQ(view->List().Records().GetCount(), codes.size());
        Exec(Q("DROP TRIGGER t"));
    }
    // The next run gets new numbers after the lost ones.
    const QStringList next = NextNumbers(COUNTER_RECEIPT, 1);
    EXPECT_FALSE(taken.contains(next.first()));
    EXPECT_EQ(view->CreatePaymentSlips({1}), 1);
    EXPECT_EQ(Column(Rows(Q("SELECT \"No\" FROM Receipt_H ORDER BY ID DESC LIMIT 1")), Q("No")), next);
}

// The question comes before the selection check; the scheduled date moves
// in place through the date dialog, which starts at today and hands over
// the day at 00:00; Cancel changes nothing.
TEST_F(ReportScheduleTest, NoSelectionAndTheScheduledDate)
{
    CShimeView* view = Show(10);
    ASSERT_TRUE(view);
    view->ListCtrl()->clearSelection();
    m_ui.Prompt().QueueAnswers({IDOK});
    m_frame->ExecuteCommand(ID_REPORT_BULK_RECEIPT);
    EXPECT_EQ(Texts(), QStringList({"選択されたデータの入金予定額で入金処理をします。よろしいですか？",
                                    "処理を行うレコードを選択してください"}));
    QStringList prompts;
    {
        auto answer = DateAnswer(QDate(2004, 7, 1), true, &prompts);
        view->OnChangeScheduledDate();
    }
    EXPECT_EQ(Texts(), QStringList({"入金予定日を変更したいデータを選択してください。"}));
    EXPECT_TRUE(prompts.isEmpty());

    const QStringList codes = Cells(*view, 3);
    const QStringList dates = Cells(*view, 0);
    view->ListCtrl()->selectionModel()->select(view->ListCtrl()->model()->index(1, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->ListCtrl()->selectionModel()->select(view->ListCtrl()->model()->index(6, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QDate opened;
    {
        auto cancel = DateAnswer(QDate(2004, 7, 1), false, &prompts, &opened);
        m_frame->ExecuteCommand(ID_REPORT_SCHEDULE_DATE);
    }
    EXPECT_EQ(opened, QDate(2004, 6, 10));
    EXPECT_EQ(Cells(*view, 0), dates);
    {
        auto answer = DateAnswer(QDate(2004, 7, 1), true, &prompts);
        m_frame->ExecuteCommand(ID_REPORT_SCHEDULE_DATE);
    }
    EXPECT_EQ(prompts, QStringList(2, Q("日付の設定|入金予定日を指定してください。")));
    QStringList moved = dates;
    moved[1] = moved[6] = Q("2004/07/01");
    EXPECT_EQ(Cells(*view, 0), moved);
    EXPECT_EQ(Cells(*view, 3), codes);
    EXPECT_EQ(Query("SELECT \"No\", CollectDate FROM Sales_Close WHERE CollectDate = '2004-07-01' ORDER BY ID",
                    {"No", "CollectDate"}),
              QStringList({"K6C2|2004/07/01", "ON1|2004/07/01"}));

    // The dialog alone: OK writes the day at midnight, Cancel nothing.
    QDateTime target(QDate(2001, 1, 1), QTime(12, 0));
    CDateSetDlg dialog(&target);
    EXPECT_EQ(dialog.DateEdit()->date(), QDate(2004, 6, 10));
    dialog.DateEdit()->setDate(QDate(2004, 8, 9));
    dialog.reject();
    EXPECT_EQ(target, QDateTime(QDate(2001, 1, 1), QTime(12, 0)));
    dialog.accept();
    EXPECT_EQ(target, QDateTime(QDate(2004, 8, 9), QTime(0, 0)));
}

// One row through the receipt dialog: preset from the schedule row with the
// scheduled amount as it is due, the row settled and removed after OK; in
// the receipt list the same command changes the slip and reloads the list.
TEST_F(ReportScheduleTest, OneRowThroughTheReceiptDialog)
{
    EXPECT_EQ(ReceiptMethodIndex(Q("現金")), 0);
    EXPECT_EQ(ReceiptMethodIndex(Q("振込")), 2);
    for (const char* other : {"手数料", "値引き", "振込 ", ""})
        EXPECT_EQ(ReceiptMethodIndex(Q(other)), 5) << other;

    struct Case {
        int mode;
        int row;
        const char* code;
        const char* name;
        const char* amount;
        int method;
        const char* closing;
    };
    const Case cases[] = {
        {10, 0, "K001", "青葉商事 営業部 青葉 一郎", "42000.52", 2, "K1C2"},
        {11, 4, "SP05", "中央印刷", "9999.99", 2, "PC5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        CShimeView* view = Show(c.mode);
        ASSERT_TRUE(view);
        const int before = view->List().RowCount();
        ASSERT_TRUE(view->SelectOnlyRow(c.row));
        int opened = 0;
        {
            ScopedModalRunner runner([&](QDialog& dialog) {
                auto& receipt = dynamic_cast<CReceiptDlg&>(dialog);
                CReceiptRules& rules = receipt.Rules();
                ++opened;
                EXPECT_EQ(rules.GetMode(), 1);
                EXPECT_EQ(rules.GetKind(), c.mode == 10 ? 0 : 1);
                EXPECT_EQ(rules.m_strCode, Q(c.code));
                EXPECT_EQ(rules.m_strName.simplified(), Q(c.name));
                EXPECT_EQ(rules.m_rows[0].m_nMethod, c.method);
                EXPECT_EQ(MnyToText(rules.m_rows[0].m_amount), Q(c.amount));
                EXPECT_EQ(rules.m_history.size(), 1u);
                EXPECT_EQ(rules.m_history[0].m_nID, Id(c.closing));
                EXPECT_EQ(MnyToText(rules.m_history[0].m_amount), Q(c.amount));
                EXPECT_TRUE(rules.m_history[0].m_bTicked);
                receipt.OnRegister();
                return receipt.result();
            });
            m_frame->ExecuteCommand(ID_REPORT_RECEIPT);
        }
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(Texts(), QStringList({"登録しました"}));
        EXPECT_EQ(view->List().RowCount(), before - 1);
        EXPECT_EQ(view->CountLabel()->text(), Q("件数：%1件").arg(before - 1));
        EXPECT_FALSE(Cells(*view, 3).contains(Q(c.code)));
        const QString table = Q(c.mode == 10 ? "Sales_Close" : "Stock_Close");
        EXPECT_EQ(Column(Rows(QStringLiteral("SELECT Status FROM %1 WHERE ID = %2").arg(table).arg(Id(c.closing))),
                         Q("Status")),
                  QStringList({"1"}));
    }

    // The receipt list: the slip changed, then the list read again.
    CShimeView* view = Show(14, [this] { m_frame->m_nPeriodShape = 3; });
    ASSERT_TRUE(view);
    const int row = int(Cells(*view, 1).indexOf(Q("R3")));
    ASSERT_GE(row, 0);
    ASSERT_TRUE(view->SelectOnlyRow(row));
    view->List().Rows()[size_t(row)].texts[1] = Q("stale");
    {
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto& receipt = dynamic_cast<CReceiptDlg&>(dialog);
            EXPECT_EQ(receipt.Rules().GetMode(), 2);
            EXPECT_EQ(receipt.Rules().m_nHeaderID, Id("R3"));
            receipt.OnRegister();
            return receipt.result();
        });
        m_frame->ExecuteCommand(ID_REPORT_RECEIPT);
    }
    EXPECT_EQ(Texts(), QStringList({"修正しました", "リストを更新します"}));
    EXPECT_TRUE(Cells(*view, 1).contains(Q("R3")));
    EXPECT_FALSE(Cells(*view, 1).contains(Q("stale")));
}

// Transfer requests: every "振込" row whatever the selection (an exact
// word), fees, amounts and account types copied, the header with the own
// account and the chosen day at 00:00, the frame's closing date kept; Yes
// pays them at the scheduled amounts. A second run replaces the first,
// without "Bank_H" the own account is empty, and without transfer rows
// nothing is written.
TEST_F(ReportScheduleTest, TransferRequests)
{
    Exec(Q("UPDATE Supplier SET CollectType = '振込 ' WHERE SupplierCode = 'SP04'"));
    const QDate closing(2004, 5, 31);
    CShimeView* view = Show(11);
    ASSERT_TRUE(view);
    m_frame->m_dtCalendarDate = closing;
    ASSERT_EQ(Cells(*view, 3), QStringList({"SP01", "SP02", "SP03", "SP04", "SP05"}));
    ASSERT_TRUE(view->SelectOnlyRow(2)); // paid in cash: the selection is no matter

    CFirstForm forms;
    QStringList launched;
    const ProcessLauncher old = SetProcessLauncher([&](const QString&, const QString& text) {
        launched << text;
        return true;
    });
    QStringList prompts;
    const QStringList lineFields{"HeaderID", "Bank", "BankCode", "BankBranch", "BankBranchCode", "BankAccountType",
                                 "BankNumber", "BankOnesName", "Amount", "PaymentType", "Fee"};
    const QStringList transfers{"1|みずほ銀行|0001|本店|100|1|1234567|北斗製作所|34670|1|330",
                                "1|みずほ銀行|0001|本店|100|1|1234567|南海運輸|10000|1|550",
                                "1|みずほ銀行|0001|本店|100|1|1234567|中央印刷|9449.99|0|550"};
    struct Run {
        const char* before; // SQL run first, or null
        int answer;
        const char* own;    // the WBank_H row
    };
    const Run runs[] = {
        {nullptr, IDNO, "1|2004/06/15 00:00:00|三井住友銀行|東京支店|当社|"},
        {"DELETE FROM Bank_H", IDYES, "1|2004/06/15 00:00:00||||"},
    };
    for (const Run& r : runs) {
        SCOPED_TRACE(r.own);
        if (r.before)
            Exec(Q(r.before));
        m_ui.Prompt().QueueAnswers({r.answer});
        {
            auto answer = DateAnswer(QDate(2004, 6, 15), true, &prompts);
            m_frame->ExecuteCommand(ID_REPORT_TRANSFER);
        }
        EXPECT_EQ(Texts(), QStringList({"振込依頼書に印刷したデータを支払済みにしますか？"}));
        EXPECT_EQ(Query("SELECT * FROM WBank_H", {"ID", "Date", "Bank", "BankBranch", "BankOnesName", "BankOnesPhoenic"}),
                  QStringList({Q(r.own)}));
        EXPECT_EQ(Query("SELECT * FROM WBank_B ORDER BY rowid", lineFields), transfers);
        EXPECT_EQ(m_frame->m_dtCalendarDate, closing);
    }
    EXPECT_EQ(prompts, QStringList(2, Q("日付の設定|振込指定日を指定してください。")));
    EXPECT_EQ(forms.m_kinds, QList<int>({13, 13}));
    ASSERT_EQ(launched.size(), 2);
    EXPECT_TRUE(launched[0].endsWith(Q(" /C:13 /W:"))) << launched[0].toStdString();

    // Yes paid the three at the scheduled amounts, not the transfer amounts.
    EXPECT_EQ(Query("SELECT SupplierCode, Amount FROM Pay_H WHERE \"No\" NOT IN ('Y0', 'Y1') ORDER BY ID",
                    {"SupplierCode", "Amount"}),
              QStringList({"SP01|35000", "SP02|10000", "SP05|9999.99"}));
    EXPECT_EQ(Query("SELECT B.Code FROM Pay_B B JOIN Pay_H H ON H.ID = B.HeaderID WHERE H.\"No\" NOT IN ('Y0', 'Y1')",
                    {"Code"}),
              QStringList(3, Q("振込")));
    EXPECT_EQ(Cells(*view, 3), QStringList({"SP03", "SP04"}));
    EXPECT_EQ(view->CountLabel()->text(), Q("件数：2件"));

    // No transfer row left: said, nothing written; Cancel of the date: nothing.
    {
        auto answer = DateAnswer(QDate(2004, 6, 20), true, &prompts);
        m_frame->ExecuteCommand(ID_REPORT_TRANSFER);
    }
    EXPECT_EQ(Texts(), QStringList({"振込の支払はありませんでした。"}));
    {
        auto cancel = DateAnswer(QDate(2004, 6, 20), false, &prompts);
        m_frame->ExecuteCommand(ID_REPORT_TRANSFER);
    }
    EXPECT_EQ(Texts(), QStringList());
    EXPECT_EQ(Count(Q("WBank_B")), 3);
    EXPECT_EQ(launched.size(), 2);
    SetProcessLauncher(old);
}

// Stock edits: a movement opens in its direction by C1 and its row follows
// the change; a stock-take adjustment moves stock, shortage and value with
// the worked examples, refuses a computation that overflows and leaves the
// row; under grouping the subtotal and total rows are skipped.
TEST_F(ReportScheduleTest, StockRowEdits)
{
    Insert("StockChange", {{"No", "M0"}, {"Date", QDate(2004, 5, 14)}, {"ItemCode", "I001"}, {"ItemName", "旧名"},
                           {"Type", 0}, {"InNumber", Yen("0")}, {"OutNumber", Yen("0")}, {"Memo", ""}},
           "M0");
    CShimeView* view = Show(22, [this] { m_frame->m_nPeriodShape = 3; });
    ASSERT_TRUE(view);
    ASSERT_EQ(Cells(*view, 1), QStringList({"M3", "M5", "M1", "M2", "M0", "M4", "M6", "M7"}));

    struct Movement {
        int row;
        const char* movement;
        int openType;
        const char* openQuantity;
        int newType;
        const char* newQuantity;
        QStringList columns4to7; // after the change
        const char* stored;      // Type|InNumber|OutNumber
    };
    const Movement movements[] = {
        {2, "M1", 1, "7", 0, "5", {"出庫", "0", "5", ""}, "0|0|5"},
        {3, "M2", 0, "4", 1, "1250", {"入庫", "1,250", "0", ""}, "1|1250|0"},
        {4, "M0", 0, "0", 0, "2", {"出庫", "0", "2", ""}, "0|0|2"},
    };
    for (const Movement& m : movements) {
        SCOPED_TRACE(m.movement);
        ASSERT_TRUE(view->SelectOnlyRow(m.row));
        {
            ScopedModalRunner runner([&](QDialog& dialog) {
                auto& stock = dynamic_cast<CStockChangeDlg&>(dialog);
                CStockChangeRules& rules = stock.Rules();
                EXPECT_EQ(rules.GetMode(), 2);
                EXPECT_EQ(rules.m_nID, Id(m.movement));
                EXPECT_EQ(stock.TypeCombo()->currentIndex(), m.openType);
                EXPECT_EQ(stock.QuantityEdit()->text(), Q(m.openQuantity));
                stock.TypeCombo()->setCurrentIndex(m.newType);
                stock.QuantityEdit()->setText(Q(m.newQuantity));
                m_ui.Prompt().QueueAnswers({IDOK});
                stock.accept();
                return stock.result();
            });
            m_frame->ExecuteCommand(ID_REPORT_STOCK_EDIT);
        }
        EXPECT_EQ(Texts(), QStringList({"修正してもよろしいですか？"}));
        EXPECT_EQ(view->List().Rows()[size_t(m.row)].texts.mid(4, 4), m.columns4to7);
        EXPECT_EQ(Cells(*view, 1)[m.row], Q(m.movement));
        EXPECT_EQ(Query(QStringLiteral("SELECT Type, InNumber, OutNumber FROM StockChange WHERE ID = %1")
                            .arg(Id(m.movement))
                            .toUtf8()
                            .constData(),
                        {"Type", "InNumber", "OutNumber"}),
                  QStringList({Q(m.stored)}));
    }

    // The stock list, on rows of known figures.
    struct Take {
        const char *stock, *target, *cost;
        int type;
        const char* quantity;
        QStringList shown; // 在庫数, 過不足数, 在庫評価額; empty: refused
    };
    const Take takes[] = {
        {"10", "12", "150", 1, "3", {"13", "1", "1,950"}},
        {"10", "12", "150", 0, "15", {"-5", "-17", "-750"}},
        {"0", "0", "99.5", 1, "3", {"3", "3", "298"}},
        // The value overflows: nothing of the row changes.
        {"9223372036", "0", "1000000000", 1, "1000", {}},
    };
    view = Show(33);
    ASSERT_TRUE(view);
    for (const Take& t : takes) {
        SCOPED_TRACE(t.quantity);
        CCDSData records;
        COneRecord* r = records.AddNew();
        r->SetField(Q("ItemCode"), Q("I001"));
        r->SetField(Q("ItemName"), Q("ボールペン"));
        r->SetField(Q("在庫数"), TextToMny(Q(t.stock)));
        r->SetField(Q("StockJustNumber"), TextToMny(Q(t.target)));
        r->SetField(Q("過不足数"), TextToMny(Q("7")));
        r->SetField(Q("Cost"), TextToMny(Q(t.cost)));
        view->List().SetRecords(std::move(records));
        view->RefreshList();
        const QStringList before = view->List().Rows()[0].texts;
        ASSERT_TRUE(view->SelectOnlyRow(0));
        const int movements = Count(Q("StockChange"));
        {
            ScopedModalRunner runner([&](QDialog& dialog) {
                auto& stock = dynamic_cast<CStockChangeDlg&>(dialog);
                EXPECT_EQ(stock.Rules().GetMode(), 1);
                EXPECT_EQ(stock.CodeEdit()->text(), Q("I001"));
                EXPECT_EQ(stock.TypeCombo()->currentIndex(), 0);
                EXPECT_TRUE(stock.QuantityEdit()->text().isEmpty());
                stock.TypeCombo()->setCurrentIndex(t.type);
                stock.QuantityEdit()->setText(Q(t.quantity));
                m_ui.Prompt().QueueAnswers({IDOK});
                stock.accept();
                return stock.result();
            });
            m_frame->ExecuteCommand(ID_REPORT_STOCK_EDIT);
        }
        EXPECT_EQ(Count(Q("StockChange")), movements + 1);
        const QStringList texts = view->List().Rows()[0].texts;
        if (t.shown.isEmpty()) {
            EXPECT_EQ(Texts(), QStringList({"修正してもよろしいですか？", "計算できません"}));
            EXPECT_EQ(texts, before);
        } else {
            EXPECT_EQ(Texts(), QStringList({"修正してもよろしいですか？"}));
            EXPECT_EQ((QStringList{texts[2], texts[4], texts[6]}), t.shown);
        }
    }

    // Grouped: the subtotal and grand-total rows open nothing; a detail row does.
    view = Show(33, [this] {
        m_frame->m_bGroupByClass = 1;
        m_frame->m_strClassField = Q("Class1");
    });
    ASSERT_TRUE(view);
    CCDSData records;
    for (const char* code : {"I001", "I002"}) {
        COneRecord* r = records.AddNew();
        r->SetField(Q("ItemCode"), Q(code));
        r->SetField(Q("Class1"), Q("文具"));
        r->SetField(Q("在庫数"), CMny(1));
    }
    view->List().SetRecords(std::move(records));
    view->RefreshList();
    ASSERT_EQ(Cells(*view, 0), QStringList({"＜文具計＞", "I001", "I002", "＜総合計＞"}));
    int opened = 0;
    {
        ScopedModalRunner runner([&](QDialog& dialog) {
            ++opened;
            EXPECT_EQ(dynamic_cast<CStockChangeDlg&>(dialog).CodeEdit()->text(), Q("I002"));
            return int(QDialog::Rejected);
        });
        for (int row : {0, 3, 2}) {
            ASSERT_TRUE(view->SelectOnlyRow(row));
            m_frame->ExecuteCommand(ID_REPORT_STOCK_EDIT);
        }
        view->ListCtrl()->clearSelection();
        m_frame->ExecuteCommand(ID_REPORT_STOCK_EDIT);
    }
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(Texts(), QStringList({"修正するデータを選択してください。"}));
}
