// Schedules settled, the scheduled date, transfer requests and stock row
// edits on the report fixture's world behind a real frame, with scripted
// answers and dialogs.

#include "RecordingScreen.h"
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
#include "reports/ScheduleController.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"
#include "settings/CounterInfo.h"
#include "slips/ReceiptDlg.h"
#include "slips/SlipsModule.h"
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

QStringList Cells(CShimeView& view, int column)
{
    QStringList texts;
    for (const CReportRow& row : view.List().Rows())
        texts << (column < row.texts.size() ? row.texts[column] : QString());
    return texts;
}

void Select(CShimeView& view, const QList<int>& rows)
{
    view.ListCtrl()->clearSelection();
    for (int row : rows)
        view.ListCtrl()->selectionModel()->select(view.ListCtrl()->model()->index(row, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// The numbers a counter hands out next, without taking them.
QStringList NextNumbers(int kind, int count)
{
    CCounterInfo counter;
    CCounterInfoElem* elem = counter.GetElem(kind);
    QStringList numbers;
    for (CCounterInfoElem copy = elem ? *elem : CCounterInfoElem(); elem && numbers.size() < count;
         ++copy.m_nNumber)
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
        m_kinds << choice.GetKind();
        choice.SetCurrentRow(0);
        return !choice.GetForms().isEmpty();
    }
    void RunFormCtrl(CFormCtrl&) override {}
    QList<int> m_kinds;

  private:
    IFormDialogs* m_old;
};

// Answers the date dialog with `date` (OK) or Cancel, recording its caption
// and prompt, and the day it opened on.
ScopedModalRunner DateAnswer(const QDate& date, bool ok, QStringList* prompts, QDate* opened = nullptr)
{
    return ScopedModalRunner([=](QDialog& dialog) {
        auto& dateSet = dynamic_cast<CDateSetDlg&>(dialog);
        *prompts << dateSet.windowTitle() + u'|' + dateSet.PromptLabel()->text();
        if (opened)
            *opened = dateSet.DateEdit()->date();
        dateSet.DateEdit()->setDate(date);
        ok ? dateSet.accept() : dateSet.reject();
        return dateSet.result();
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
        // The receipt and stock dialogs the lists open are the slips'.
        RegisterSlipViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        const QString folder = m_home.AddCurrentDatabase(Q("本社"));
        ASSERT_FALSE(folder.isEmpty());
        // The frame works on the fixture's world; m_data checks it.
        m_data.Close();
        const QString target = CMakeMsgID::DatabasePath(folder);
        ASSERT_TRUE(QFile::remove(target) && QFile::copy(CMakeMsgID::DatabasePath(Folder()), target));
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
    // A report list opened from the menu screen, `before` setting conditions.
    CShimeView* Show(int mode, const CReportRequest& request = {})
    {
        m_frame->SwitchView(0);
        Pump();
        m_frame->SwitchView(mode, request);
        Pump();
        return qobject_cast<CShimeView*>(m_frame->GetActiveView());
    }
    QStringList Texts()
    {
        const QStringList texts = m_ui.Prompt().Texts();
        m_ui.Prompt().Clear();
        return texts;
    }
    QStringList Query(const QString& sql, const QStringList& fields) { return Table(Rows(sql), fields); }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// Bulk settlement on both sides: the question (Cancel does nothing), one
// slip per selected row at its scheduled amount with consecutive numbers,
// CloseID only for the one-time partner, Bill on receipts only, the
// closings settled, the rows gone from list, records and count, also after
// a refill. With no selection the question still comes first.
TEST_F(ReportScheduleTest, BulkSettlementOnBothSides)
{
    struct Case {
        int mode;
        QList<int> rows;
        const char* question;
        const char* slips; // Date|CloseID|Amount|Bill|SeikyuID|LineNo|Code|line Amount, new slips
        QStringList closings, expected;
    };
    const char* const receipts =
        "SELECT H.\"No\", H.\"Date\", H.CloseID, H.Amount, H.Bill, H.SeikyuID, B.LineNo, "
        "B.Code, B.Amount AS Line FROM Receipt_H H JOIN Receipt_B B ON B.HeaderID = H.ID "
        "WHERE H.ID > %1 ORDER BY H.ID";
    const Case cases[] = {
        {10,
         {0, 3, 6},
         "選択されたデータの入金予定額で入金処理をします。よろしいですか？",
         receipts,
         {"K1C2", "OT1", "ON1"},
         {"2004/06/10|0|42000.52|42000.52|0|1|振込|42000.52", "2004/06/10|%1|3150|3150|0|1|現金|3150",
          "2004/06/10|0|420|420|0|1|現金|420"}},
        {11,
         {1, 4},
         "選択されたデータの支払予定額で出金処理をします。よろしいですか？",
         "SELECT H.\"No\", H.\"Date\", H.CloseID, H.Amount, NULL AS Bill, H.SeikyuID, B.LineNo, B.Code, "
         "B.Amount AS Line FROM Pay_H H JOIN Pay_B B ON B.HeaderID = H.ID WHERE H.ID > %1 ORDER BY H.ID",
         {"PC2", "PC5"},
         {"2004/06/10|0|10000||0|1|振込|10000", "2004/06/10|0|9999.99||0|1|振込|9999.99"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        CShimeView* view = Show(c.mode);
        ASSERT_TRUE(view);
        const int left = view->List().RowCount() - int(c.rows.size());
        QStringList kept = Cells(*view, 3);
        for (auto it = c.rows.crbegin(); it != c.rows.crend(); ++it)
            kept.removeAt(*it);
        const QStringList numbers =
            NextNumbers(c.mode == 10 ? COUNTER_RECEIPT : COUNTER_PAYMENT, int(c.rows.size()));
        ASSERT_EQ(numbers.size(), c.rows.size());
        const int lastId =
            Rows(Q(c.mode == 10 ? "SELECT MAX(ID) AS m FROM Receipt_H" : "SELECT MAX(ID) AS m FROM Pay_H"))
                .GetAt(0)
                ->GetOneField(QString(), Q("m"))
                ->GetText()
                .toInt();

        Select(*view, {});
        m_ui.Prompt().QueueAnswers({IDOK});
        m_frame->ExecuteCommand(ID_REPORT_BULK_RECEIPT);
        EXPECT_EQ(Texts(), QStringList({Q(c.question), Q("処理を行うレコードを選択してください")}));
        Select(*view, c.rows);
        m_ui.Prompt().QueueAnswers({IDCANCEL});
        m_frame->ExecuteCommand(ID_REPORT_BULK_RECEIPT);
        m_ui.Prompt().QueueAnswers({IDOK});
        m_frame->ExecuteCommand(ID_REPORT_BULK_RECEIPT);
        EXPECT_EQ(Texts(), QStringList(2, Q(c.question)));

        const CCDSData slips = Rows(Q(c.slips).arg(lastId));
        EXPECT_EQ(Column(slips, Q("No")), numbers);
        QStringList expected = c.expected;
        expected.replaceInStrings(Q("%1"), QString::number(Id("OT1")));
        EXPECT_EQ(Table(slips, {"Date", "CloseID", "Amount", "Bill", "SeikyuID", "LineNo", "Code", "Line"}),
                  expected);
        QStringList ids;
        for (const QString& name : c.closings)
            ids << QString::number(Id(name.toUtf8().constData()));
        EXPECT_EQ(Query(QStringLiteral("SELECT Status FROM %1 WHERE ID IN (%2)")
                            .arg(Q(c.mode == 10 ? "Sales_Close" : "Stock_Close"), ids.join(u',')),
                        {"Status"}),
                  QStringList(c.closings.size(), Q("1")));
        EXPECT_EQ(view->List().Records().GetCount(), left);
        EXPECT_EQ(view->CountLabel()->text(), Q("件数：%1件").arg(left));
        EXPECT_EQ(Cells(*view, 3), kept);
        view->OnEnvSettingsChanged();
        EXPECT_EQ(Cells(*view, 3), kept);
    }
}

// A failure at any step writes nothing: no slip, no settled closing, the
// rows listed; the numbers taken leave a gap, never a repeat.
TEST_F(ReportScheduleTest, FailedSettlementWritesNothing)
{
    const std::pair<const char*, const char*> cases[] = {
        {"BEFORE INSERT ON Receipt_H", "データの追加に失敗しました。不可"},
        {"BEFORE INSERT ON Receipt_B", "明細の追加に失敗しました。不可"},
        {"BEFORE UPDATE OF Status ON Sales_Close", "データの更新に失敗しました。不可"},
    };
    CShimeView* view = Show(10);
    ASSERT_TRUE(view);
    // The schedule's controller over the list shown and a screen of its own.
    CRecordingScreen screen(m_frame->GetMakeMsgID());
    CScheduleController schedule(screen, view->List());
    const int receipts = Count(Q("Receipt_H")), lines = Count(Q("Receipt_B"));
    const QStringList codes = Cells(*view, 3);
    QStringList taken;
    for (const auto& [trigger, message] : cases) {
        SCOPED_TRACE(message);
        Exec(QStringLiteral("CREATE TRIGGER t %1 BEGIN SELECT RAISE(ABORT, '不可'); END").arg(Q(trigger)));
        taken += NextNumbers(COUNTER_RECEIPT, 2);
        EXPECT_EQ(schedule.CreatePaymentSlips({1, 2}), 0);
        EXPECT_EQ(Texts(), QStringList());
        EXPECT_EQ(screen.m_calls, QStringList({Q("Tell ") + Q(message)}));
        screen.m_calls.clear();
        EXPECT_EQ(Count(Q("Receipt_H")), receipts);
        EXPECT_EQ(Count(Q("Receipt_B")), lines);
        EXPECT_EQ(Count(Q("Sales_Close"), Q("WHERE Status = 1")), 3);
        EXPECT_EQ(Cells(*view, 3), codes);
        EXPECT_EQ(view->List().Records().GetCount(), codes.size());
        Exec(Q("DROP TRIGGER t"));
    }
    const QStringList next = NextNumbers(COUNTER_RECEIPT, 1);
    EXPECT_FALSE(taken.contains(next.first()));
    EXPECT_EQ(schedule.CreatePaymentSlips({1}), 1);
    EXPECT_EQ(screen.m_calls, QStringList({"Remove"}));
    EXPECT_EQ(Column(Rows(Q("SELECT \"No\" FROM Receipt_H ORDER BY ID DESC LIMIT 1")), Q("No")), next);
}

// A run that cannot number its slips, the counter file damaged and kept,
// writes none and says why after the one question naming the file.
TEST_F(ReportScheduleTest, SlipsWithoutNumbersAreNotWritten)
{
    CShimeView* view = Show(10);
    ASSERT_TRUE(view);
    CRecordingScreen screen(m_frame->GetMakeMsgID());
    CScheduleController schedule(screen, view->List());
    const QString path = m_frame->GetMakeMsgID().GetFolder() + Q("/NoInfo.dat");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(40, '\x5a')) == 40);
    file.close();
    const int receipts = Count(Q("Receipt_H"));
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(schedule.CreatePaymentSlips({1, 2}), 0);
    EXPECT_EQ(Texts(),
              QStringList{Q("設定ファイル<%1>が壊れています。初期状態にしてよろしいですか？").arg(path)});
    ASSERT_EQ(screen.m_calls.size(), 1);
    EXPECT_TRUE(
        screen.m_calls[0].startsWith(Q("Tell 入金の番号を読み込めなかったため、登録しませんでした。")));
    EXPECT_EQ(Count(Q("Receipt_H")), receipts);
}

// The scheduled date moves in place through the date dialog, which starts
// at today; Cancel changes nothing.
TEST_F(ReportScheduleTest, ScheduledDateMovedInPlace)
{
    CShimeView* view = Show(10);
    ASSERT_TRUE(view);
    QStringList prompts;
    QDate opened;
    {
        // Nothing selected: the word goes to the screen, no dialog opens.
        auto answer = DateAnswer(QDate(2004, 7, 1), true, &prompts);
        CRecordingScreen screen(m_frame->GetMakeMsgID());
        CScheduleController schedule(screen, view->List());
        schedule.OnChangeScheduledDate();
        EXPECT_EQ(screen.m_calls, QStringList({"Say 入金予定日を変更したいデータを選択してください。"}));
        EXPECT_EQ(Texts(), QStringList());
        Select(*view, {1, 6});
        auto cancel = DateAnswer(QDate(2004, 7, 1), false, &prompts, &opened);
        m_frame->ExecuteCommand(ID_REPORT_SCHEDULE_DATE);
    }
    EXPECT_EQ(opened, QDate(2004, 6, 10));
    const QStringList codes = Cells(*view, 3);
    QStringList dates = Cells(*view, 0);
    {
        auto answer = DateAnswer(QDate(2004, 7, 1), true, &prompts);
        m_frame->ExecuteCommand(ID_REPORT_SCHEDULE_DATE);
    }
    EXPECT_EQ(prompts, QStringList(2, Q("日付の設定|入金予定日を指定してください。")));
    dates[1] = dates[6] = Q("2004/07/01");
    EXPECT_EQ(Cells(*view, 0), dates);
    EXPECT_EQ(Cells(*view, 3), codes);
    EXPECT_EQ(Query(Q("SELECT \"No\" FROM Sales_Close WHERE CollectDate = '2004-07-01' ORDER BY ID"), {"No"}),
              QStringList({"K6C2", "ON1"}));
}

// One row through the receipt dialog, preset from the schedule row with
// the scheduled amount as it is due; settled and removed after OK. In the
// receipt list the same command changes the slip and reloads the list.
TEST_F(ReportScheduleTest, OneRowThroughTheReceiptDialog)
{
    const std::pair<const char*, int> methods[] = {
        {"現金", 0}, {"振込", 2}, {"相殺", 4}, {"手数料", 5}, {"振込 ", 5}};
    for (const auto& [word, index] : methods)
        EXPECT_EQ(ReceiptMethodIndex(Q(word)), index) << word;
    struct Case {
        int mode, row;
        const char *code, *amount, *closing;
    };
    for (const Case& c : {Case{10, 0, "K001", "42000.52", "K1C2"}, Case{11, 4, "SP05", "9999.99", "PC5"}}) {
        SCOPED_TRACE(c.mode);
        CShimeView* view = Show(c.mode);
        ASSERT_TRUE(view);
        const int before = view->List().RowCount();
        ASSERT_TRUE(view->SelectOnlyRow(c.row));
        {
            ScopedModalRunner runner([&](QDialog& dialog) {
                auto& receipt = dynamic_cast<CReceiptDlg&>(dialog);
                const CReceiptRules& r = receipt.Rules();
                EXPECT_EQ(QList<int>({r.GetMode(), r.GetKind(), r.m_rows[0].m_nMethod, r.m_history[0].m_nID}),
                          QList<int>({1, c.mode == 10 ? 0 : 1, 2, Id(c.closing)}));
                EXPECT_EQ(QStringList({r.m_strCode, MnyToText(r.m_rows[0].m_amount),
                                       MnyToText(r.m_history[0].m_amount)}),
                          QStringList({Q(c.code), Q(c.amount), Q(c.amount)}));
                EXPECT_TRUE(r.m_history.size() == 1 && r.m_history[0].m_bTicked);
                receipt.OnRegister();
                return receipt.result();
            });
            m_frame->ExecuteCommand(ID_REPORT_RECEIPT);
        }
        EXPECT_EQ(Texts(), QStringList({"登録しました"}));
        EXPECT_EQ(Query(Q(c.mode == 10 ? "SELECT Amount FROM Receipt_B ORDER BY ID DESC LIMIT 1"
                                       : "SELECT Amount FROM Pay_B ORDER BY ID DESC LIMIT 1"),
                        {"Amount"}),
                  QStringList({Q(c.amount)}));
        EXPECT_EQ(view->CountLabel()->text(), Q("件数：%1件").arg(before - 1));
        EXPECT_FALSE(Cells(*view, 3).contains(Q(c.code)));
        EXPECT_EQ(Query(QStringLiteral("SELECT Status FROM %1 WHERE ID = %2")
                            .arg(Q(c.mode == 10 ? "Sales_Close" : "Stock_Close"))
                            .arg(Id(c.closing)),
                        {"Status"}),
                  QStringList({"1"}));
    }

    CShimeView* view = Show(14);
    ASSERT_TRUE(view);
    const int row = int(Cells(*view, 1).indexOf(Q("R3")));
    ASSERT_TRUE(view->SelectOnlyRow(row));
    view->List().Rows()[size_t(row)].texts[1] = Q("stale");
    {
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto& receipt = dynamic_cast<CReceiptDlg&>(dialog);
            EXPECT_EQ(receipt.Rules().GetMode() * 1000 + receipt.Rules().m_nHeaderID, 2000 + Id("R3"));
            receipt.OnRegister();
            return receipt.result();
        });
        m_frame->ExecuteCommand(ID_REPORT_RECEIPT);
    }
    EXPECT_EQ(Texts(), QStringList({"修正しました", "リストを更新します"}));
    EXPECT_TRUE(Cells(*view, 1).contains(Q("R3")));
    EXPECT_FALSE(Cells(*view, 1).contains(Q("stale")));
}

// Transfer requests: every row paid exactly by "振込" whatever the
// selection, fees, amounts and account types copied, the own account and
// the chosen day at 00:00, the frame's closing date kept; a second run
// replaces the first, without "Bank_H" the own account is empty, Yes pays
// at the scheduled amounts; no transfer row left writes nothing.
TEST_F(ReportScheduleTest, TransferRequests)
{
    Exec(Q("UPDATE Supplier SET CollectType = '振込 ' WHERE SupplierCode = 'SP04'"));
    CShimeView* view = Show(11);
    ASSERT_TRUE(view);
    const QDate closing(2004, 5, 31);
    m_frame->m_dtCalendarDate = closing;
    ASSERT_EQ(Cells(*view, 3), QStringList({"SP01", "SP02", "SP03", "SP04", "SP05"}));
    ASSERT_TRUE(view->SelectOnlyRow(2)); // paid in cash

    CFirstForm forms;
    QStringList launched, prompts;
    const ProcessLauncher old = SetProcessLauncher([&](const QString&, const QString& text) {
        launched << text;
        return true;
    });
    const QStringList fields{"HeaderID",
                             "Bank",
                             "BankCode",
                             "BankBranch",
                             "BankBranchCode",
                             "BankAccountType",
                             "BankNumber",
                             "BankOnesName",
                             "Amount",
                             "PaymentType",
                             "Fee"};
    const QStringList transfers{"1|みずほ銀行|0001|本店|100|1|1234567|北斗製作所|34670|1|330",
                                "1|みずほ銀行|0001|本店|100|1|1234567|南海運輸|10000|1|550",
                                "1|みずほ銀行|0001|本店|100|1|1234567|中央印刷|9449.99|0|550"};
    struct Run {
        const char* before;
        int answer;
        const char* own;
    };
    for (const Run& r : {Run{"SELECT 1", IDNO, "1|2004/06/15 00:00:00|三井住友銀行|東京支店|当社|"},
                         Run{"DELETE FROM Bank_H", IDYES, "1|2004/06/15 00:00:00||||"}}) {
        SCOPED_TRACE(r.own);
        Exec(Q(r.before));
        m_ui.Prompt().QueueAnswers({r.answer});
        auto answer = DateAnswer(QDate(2004, 6, 15), true, &prompts);
        m_frame->ExecuteCommand(ID_REPORT_TRANSFER);
        EXPECT_EQ(Texts(), QStringList({"振込依頼書に印刷したデータを支払済みにしますか？"}));
        EXPECT_EQ(Query(Q("SELECT * FROM WBank_H"),
                        {"ID", "Date", "Bank", "BankBranch", "BankOnesName", "BankOnesPhoenic"}),
                  QStringList({Q(r.own)}));
        EXPECT_EQ(Query(Q("SELECT * FROM WBank_B ORDER BY rowid"), fields), transfers);
        EXPECT_EQ(m_frame->m_dtCalendarDate, closing);
    }
    EXPECT_EQ(prompts, QStringList(2, Q("日付の設定|振込指定日を指定してください。")));
    EXPECT_EQ(forms.m_kinds, QList<int>({13, 13}));
    ASSERT_EQ(launched.size(), 2);
    EXPECT_TRUE(launched[1].endsWith(Q(" /C:13 /W:"))) << launched[1].toStdString();
    EXPECT_EQ(
        Query(Q("SELECT H.SupplierCode, H.Amount, B.Code FROM Pay_H H JOIN Pay_B B ON B.HeaderID = H.ID "
                "WHERE H.\"No\" NOT IN ('Y0', 'Y1') ORDER BY H.ID"),
              {"SupplierCode", "Amount", "Code"}),
        QStringList({"SP01|35000|振込", "SP02|10000|振込", "SP05|9999.99|振込"}));
    EXPECT_EQ(Cells(*view, 3), QStringList({"SP03", "SP04"}));
    EXPECT_EQ(view->CountLabel()->text(), Q("件数：2件"));

    for (bool ok : {true, false}) {
        auto answer = DateAnswer(QDate(2004, 6, 20), ok, &prompts);
        m_frame->ExecuteCommand(ID_REPORT_TRANSFER);
    }
    EXPECT_EQ(Texts(), QStringList({"振込の支払はありませんでした。"}));
    EXPECT_EQ(Count(Q("WBank_B")), 3);
    EXPECT_EQ(launched.size(), 2);
    SetProcessLauncher(old);
}

// Stock edits: a movement opens in its direction and its row follows the
// change in place; a stock-take adjustment moves stock, shortage and value
// as the worked examples, an overflowing value is refused and leaves the
// row; under grouping subtotal and total rows open nothing.
TEST_F(ReportScheduleTest, StockRowEdits)
{
    Insert("StockChange",
           {{"No", "M0"},
            {"Date", QDate(2004, 5, 14)},
            {"ItemCode", "I001"},
            {"Type", 0},
            {"InNumber", Yen("0")},
            {"OutNumber", Yen("0")}},
           "M0");
    CReportRequest everything;
    everything.periodShape = 3;
    CShimeView* view = Show(22, everything);
    ASSERT_TRUE(view);
    ASSERT_EQ(Cells(*view, 1), QStringList({"M3", "M5", "M1", "M2", "M0", "M4", "M6", "M7"}));
    // Edit one after another through the dialog, answering its question.
    auto edit = [&](int mode, int type, const char* quantity,
                    const std::function<void(CStockChangeDlg&)>& check) {
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto& stock = dynamic_cast<CStockChangeDlg&>(dialog);
            EXPECT_EQ(stock.Rules().GetMode(), mode);
            check(stock);
            stock.TypeCombo()->setCurrentIndex(type);
            stock.QuantityEdit()->setText(Q(quantity));
            m_ui.Prompt().QueueAnswers({IDOK});
            stock.accept();
            return stock.result();
        });
        m_frame->ExecuteCommand(ID_REPORT_STOCK_EDIT);
        return Texts();
    };
    const QString question = Q("修正してもよろしいですか？");
    struct Movement {
        int row;
        const char* name;
        QString opens;
        int type;
        const char* quantity;
        QStringList columns4to6;
        const char* stored;
    };
    for (const Movement& m : {Movement{2, "M1", "1|7", 0, "5", {"出庫", "0", "5"}, "0|0|5"},
                              Movement{3, "M2", "0|4", 1, "1250", {"入庫", "1,250", "0"}, "1|1250|0"},
                              Movement{4, "M0", "0|0", 0, "2", {"出庫", "0", "2"}, "0|0|2"}}) {
        SCOPED_TRACE(m.name);
        ASSERT_TRUE(view->SelectOnlyRow(m.row));
        EXPECT_EQ(edit(2, m.type, m.quantity,
                       [&](CStockChangeDlg& stock) {
                           EXPECT_EQ(stock.Rules().m_nID, Id(m.name));
                           EXPECT_EQ(QString::number(stock.TypeCombo()->currentIndex()) + u'|' +
                                         stock.QuantityEdit()->text(),
                                     m.opens);
                       }),
                  QStringList({question}));
        EXPECT_EQ(view->List().Rows()[size_t(m.row)].texts.mid(4, 3), m.columns4to6);
        EXPECT_EQ(Query(QStringLiteral("SELECT Type, InNumber, OutNumber FROM StockChange WHERE ID = %1")
                            .arg(Id(m.name)),
                        {"Type", "InNumber", "OutNumber"}),
                  QStringList({Q(m.stored)}));
    }

    struct Take {
        const char *stock, *target, *cost;
        int type;
        const char* quantity;
        QStringList shown; // 在庫数, 過不足数, 在庫評価額; empty: refused
    };
    view = Show(33);
    ASSERT_TRUE(view);
    for (const Take& t : {Take{"10", "12", "150", 1, "3", {"13", "1", "1,950"}},
                          Take{"10", "12", "150", 0, "15", {"-5", "-17", "-750"}},
                          Take{"0", "0", "99.5", 1, "3", {"3", "3", "298"}},
                          Take{"9223372036", "0", "1000000000", 1, "1000", {}}}) {
        SCOPED_TRACE(t.quantity);
        CCDSData records;
        COneRecord* r = records.AddNew();
        r->SetField(Q("ItemCode"), Q("I001"));
        const std::pair<const char*, const char*> figures[] = {
            {"在庫数", t.stock}, {"StockJustNumber", t.target}, {"Cost", t.cost}};
        for (const auto& [field, value] : figures)
            r->SetField(Q(field), TextToMny(Q(value)));
        view->List().SetRecords(std::move(records));
        view->RefreshList();
        const QStringList before = view->List().Rows()[0].texts;
        ASSERT_TRUE(view->SelectOnlyRow(0));
        const int movements = Count(Q("StockChange"));
        const QStringList texts = edit(1, t.type, t.quantity, [](CStockChangeDlg& stock) {
            EXPECT_EQ(stock.CodeEdit()->text() + u'|' + stock.QuantityEdit()->text(), Q("I001|"));
        });
        EXPECT_EQ(Count(Q("StockChange")), movements + 1);
        const QStringList after = view->List().Rows()[0].texts;
        EXPECT_EQ(t.shown.isEmpty() ? after : QStringList({after[2], after[4], after[6]}),
                  t.shown.isEmpty() ? before : t.shown);
        EXPECT_EQ(texts,
                  t.shown.isEmpty() ? QStringList({question, Q("計算できません")}) : QStringList({question}));
    }

    CReportRequest grouped;
    grouped.groupByClass = 1;
    grouped.classField = Q("Class1");
    view = Show(33, grouped);
    ASSERT_TRUE(view);
    CCDSData records;
    for (const char* code : {"I001", "I002"}) {
        COneRecord* r = records.AddNew();
        r->SetField(Q("ItemCode"), Q(code));
        r->SetField(Q("Class1"), Q("文具"));
    }
    view->List().SetRecords(std::move(records));
    view->RefreshList();
    ASSERT_EQ(Cells(*view, 0), QStringList({"＜文具計＞", "I001", "I002", "＜総合計＞"}));
    QStringList opened;
    ScopedModalRunner runner([&](QDialog& dialog) {
        opened << dynamic_cast<CStockChangeDlg&>(dialog).CodeEdit()->text();
        return int(QDialog::Rejected);
    });
    for (const QList<int>& rows : {QList<int>{0}, QList<int>{3}, QList<int>{2}, QList<int>{}}) {
        Select(*view, rows);
        m_frame->ExecuteCommand(ID_REPORT_STOCK_EDIT);
    }
    EXPECT_EQ(opened, QStringList({"I002"}));
    EXPECT_EQ(Texts(), QStringList({"修正するデータを選択してください。"}));
}
