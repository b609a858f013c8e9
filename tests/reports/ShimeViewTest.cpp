#include "reports/ShimeView.h"
#include "app/AppHome.h"
#include "app/FindDialog.h"
#include "app/MainFrame.h"
#include "app/SlipPeriod.h"
#include "app/ViewRegistry.h"
#include "platform/data/Record.h"
#include "platform/forms/SelForm.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "platform/ui/UiServices.h"
#include "reports/CloseInvoiceDlg.h"
#include "reports/ClosingController.h"
#include "reports/ColumnWidthFile.h"
#include "reports/KurikoshiDlg.h"
#include "reports/RecordFields.h"
#include "reports/ReportColumns.h"
#include "reports/ReportController.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeListCtrl.h"
#include "resources/CommandIds.h"
#include "resources/Menus.h"
#include "resources/ViewKinds.h"
#include "settings/SettingsFiles.h"
#include "support/StatementWatch.h"
#include "support/WaitWatching.h"
#include <QComboBox>
#include <QDateEdit>
#include <QTableWidget>

#include "settings/CounterInfo.h"
#include <QDir>

#include "RecordingScreen.h"
#include "ShimeTestSupport.h"
#include <QCoreApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QSet>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/inotify.h>
#include <unistd.h>

namespace
{

QStringList Column(const CShimeView& view, int column)
{
    QStringList texts;
    const QAbstractItemModel* model = view.ListCtrl()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts the files of a name written into a folder (a settings file is
// written by renaming a finished temporary over it).
class CFileWrites
{
  public:
    CFileWrites(const QString& folder, const QString& name) : m_name(name.toUtf8())
    {
        m_fd = inotify_init1(IN_NONBLOCK);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~CFileWrites()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    CFileWrites(const CFileWrites&) = delete;
    CFileWrites& operator=(const CFileWrites&) = delete;
    bool IsWatching() const { return m_fd >= 0; }
    // The writes since the last call.
    int Count()
    {
        int count = 0;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len > 0 && m_name == event->name)
                    ++count;
                p += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    }

  private:
    QByteArray m_name;
    int m_fd = -1;
};

class ShimeViewTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        m_folder = m_home.AddCurrentDatabase(QStringLiteral("本社"));
        ASSERT_FALSE(m_folder.isEmpty());
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
        Exec("INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, TaxRoundType) VALUES"
             "('K001', '青葉商事', '', '', 25, 2), ('K002', '赤坂物産', '', '', 25, 1), ('K009', '九段', '', "
             "'', 20, 1)");
        Exec("INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
             "Total, "
             "SeikyuID) VALUES ('S1', '2004-05-10', 'K001', 0, 1, 12340000, 12340000, 0, 12340000, 0),"
             "('S2', '2004-05-12', 'K002', 0, 1, 100000000, 100000000, 0, 100000000, 0)");
        Exec("INSERT INTO Sales_Close(No, \"Date\", CustomerCode, CloseDate, CollectDate, Status, TudoFlg) "
             "VALUES"
             "('C1', '2004-04-25', 'K001', '2004-04-25', '2004-05-10', 0, 0),"
             "('C2', '2004-04-25', 'K002', '2004-04-25', '2004-05-10', 0, 0)");
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }
    void Exec(const char* sql)
    {
        QString err;
        ASSERT_EQ(m_frame->GetMakeMsgID().Execute(QString::fromUtf8(sql), err), 1) << err.toStdString();
    }
    CShimeView* Show(int kind, const QDate& date, int closeDay, const CReportRequest& request = {})
    {
        m_frame->SwitchView(0);
        Pump();
        m_frame->m_dtCalendarDate = date;
        m_frame->m_nCalendarCloseDay = closeDay;
        m_frame->SwitchView(kind, request);
        Pump();
        return qobject_cast<CShimeView*>(m_frame->GetActiveView());
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    QString m_folder;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// The closing candidates of a calendar mark: rows with the tax at closing,
// the captions, the carry-over setting and its file, sort, find, widths.
TEST_F(ShimeViewTest, ClosingCandidatesCarryOverWidthsSortAndFind)
{
    CShimeView* view = Show(8, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(view);
    EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("Corvanta／販売－締め請求書の作成"));
    EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("締日：2004/05/25"));
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：2件"));
    EXPECT_EQ(Column(*view, 1), QStringList({"K001", "K002"}));
    // 1,234 at 5 % half up and 10,000 truncated; no file: carry-over included
    EXPECT_EQ(Column(*view, 7), QStringList({"62", "500"}));
    EXPECT_EQ(view->ListCtrl()->model()->columnCount(), 10);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_REPORT_CARRY_OVER).checked);
    // The list has rows: it can be printed.
    EXPECT_TRUE(m_frame->QueryCommandState(ID_REPORT_LIST_PRINT).enabled);

    const QString file = m_folder + QStringLiteral("/Other/COLLECTAMOUNT.AUT");
    m_frame->ExecuteCommand(ID_REPORT_CARRY_OVER);
    EXPECT_EQ(FileBytes(file).toHex(), "0131");
    EXPECT_FALSE(m_frame->QueryCommandState(ID_REPORT_CARRY_OVER).checked);
    EXPECT_EQ(view->ListCtrl()->model()->columnCount(), 7);
    m_frame->ExecuteCommand(ID_REPORT_CARRY_OVER);
    EXPECT_EQ(FileBytes(file).toHex(), "0130");
    EXPECT_EQ(view->ListCtrl()->model()->columnCount(), 10);

    // A partner already closed in the list: refused, nothing changes.
    view->List().Records().GetAt(0)->SetField(QStringLiteral("ID"), 5);
    m_frame->ExecuteCommand(ID_REPORT_CARRY_OVER);
    EXPECT_EQ(
        m_ui.Prompt().Texts(),
        QStringList({QStringLiteral("すでに締め済みのデータがありますので、繰越設定は変更できません。")}));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_REPORT_CARRY_OVER).checked);
    EXPECT_EQ(FileBytes(file).toHex(), "0130");
    m_ui.Prompt().Clear();

    // Header clicks: ascending first, then descending.
    view->OnColumnClick(7);
    EXPECT_EQ(Column(*view, 1), QStringList({"K001", "K002"}));
    view->OnColumnClick(7);
    EXPECT_EQ(Column(*view, 1), QStringList({"K002", "K001"}));

    // Find from the last row downwards ends at once.
    ASSERT_TRUE(view->SelectOnlyRow(1));
    CFindRequest find;
    find.findWhat = QStringLiteral("K0");
    view->OnFindRequest(find);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({QStringLiteral("検索が終了しました。\n")}));
    find.searchDown = false;
    view->OnFindRequest(find);
    EXPECT_EQ(view->GetSelectedRows(), QList<int>({0}));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_REPORT_LIST_PRINT).enabled);
    m_ui.Prompt().Clear();

    // A dragged width is kept for the mode.
    view->ListCtrl()->setColumnWidth(2, 123);
    view = Show(8, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(view);
    CColumnWidthMap map;
    ASSERT_TRUE(ReadColumnWidthMap(FileBytes(m_folder + QStringLiteral("/QXDispColSet2.dat")), map));
    ASSERT_EQ(map.value(8).size(), 10);
    EXPECT_EQ(map.value(8)[2], 123u);
    EXPECT_EQ(view->ListCtrl()->columnWidth(2), 123);
}

TEST_F(ShimeViewTest, SchedulesAndEmptyLists)
{
    CShimeView* view = Show(10, QDate(2004, 5, 10), 10);
    ASSERT_TRUE(view);
    EXPECT_EQ(Column(*view, 3), QStringList({"K001", "K002"}));
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：2件"));
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());

    view = Show(10, QDate(2004, 5, 11), 11);
    ASSERT_TRUE(view);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({QStringLiteral("対象データはありませんでした。")}));
    m_ui.Prompt().Clear();
    view = Show(9, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(view);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList({QStringLiteral("指定された期間の対象データはありませんでした。")}));
}

// The settled mark of the billed list writes every selected closing.
TEST_F(ShimeViewTest, SettledMarkClick)
{
    m_ui.Prompt().QueueAnswers({IDOK});
    CShimeView* view = Show(12, QDate(), 0);
    ASSERT_TRUE(view);
    m_ui.Prompt().Clear();
    CCDSData records;
    for (int id : {1, 2}) {
        COneRecord* r = records.AddNew();
        r->SetField(QStringLiteral("ID"), id);
        r->SetField(QStringLiteral("Status"), 0);
        r->SetField(QStringLiteral("CustomerCode"), QStringLiteral("K00%1").arg(id));
    }
    view->List().SetRecords(std::move(records));
    view->RefreshList();
    ASSERT_EQ(view->List().RowCount(), 2);
    ASSERT_TRUE(view->SelectAllRows());

    auto settled = [this] {
        CCDSData request, result;
        request.m_strCondition = QStringLiteral("SELECT ID FROM Sales_Close WHERE Status = 1");
        QString err;
        m_frame->GetMakeMsgID().GetDataList(request, result, err);
        return result.GetCount();
    };
    m_ui.Prompt().QueueAnswers({IDCANCEL});
    view->OnMarkClick(1);
    EXPECT_EQ(settled(), 0);
    EXPECT_EQ(view->List().Rows()[1].mark, 0);
    m_ui.Prompt().QueueAnswers({IDOK});
    view->OnMarkClick(1);
    EXPECT_EQ(settled(), 2);
    EXPECT_EQ(view->List().Rows()[0].mark, 1);
    EXPECT_EQ(
        m_ui.Prompt().Texts(),
        QStringList(2, QStringLiteral("入金済みにしますか？※入金済みにしても入金データは変更されません。")));
    EXPECT_EQ(m_ui.Prompt().Calls()[0].defaultButton, IDCANCEL);
}

// A grouped list: a click on a group's mark closes and opens it, the header
// sort is refused while grouping; another report opens on its own
// conditions, not on those of the list shown before it; leaving the
// reports forgets the calendar's choice.
TEST_F(ShimeViewTest, GroupMarksRefusedSortAndConditionsOnLeaving)
{
    CReportRequest grouped;
    grouped.groupByClass = 1;
    grouped.classField = QStringLiteral("Class1");
    m_ui.Prompt().QueueAnswers({IDOK});
    CShimeView* view = Show(25, QDate(), 0, grouped);
    ASSERT_TRUE(view);
    m_ui.Prompt().Clear();
    CCDSData records;
    for (const char* code : {"K1", "K2"}) {
        COneRecord* r = records.AddNew();
        r->SetField(QStringLiteral("CustomerCode"), QString::fromLatin1(code));
        r->SetField(QStringLiteral("Class1"), QStringLiteral("関東"));
    }
    view->List().SetRecords(std::move(records));
    view->RefreshList();
    ASSERT_EQ(Column(*view, 0), QStringList({"＜関東計＞", "K1", "K2", "＜総合計＞"}));
    view->OnMarkClick(0);
    EXPECT_EQ(Column(*view, 0), QStringList({"＜関東計＞", "＜総合計＞"}));
    view->OnMarkClick(1); // the grand total has no mark
    EXPECT_EQ(view->ListCtrl()->model()->rowCount(), 2);
    view->OnMarkClick(0);
    EXPECT_EQ(Column(*view, 0), QStringList({"＜関東計＞", "K1", "K2", "＜総合計＞"}));

    view->OnColumnClick(0);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({"分類計を表示しているときは並べ替えできません。"}));
    EXPECT_EQ(Column(*view, 0), QStringList({"＜関東計＞", "K1", "K2", "＜総合計＞"}));
    m_ui.Prompt().Clear();

    // To another report: it takes none of the grouped list's conditions.
    m_ui.Prompt().QueueAnswers({IDOK});
    m_frame->SwitchView(27);
    Pump();
    auto* other = qobject_cast<CShimeView*>(m_frame->GetActiveView());
    ASSERT_TRUE(other);
    EXPECT_EQ(other->Request().classField, QString());
    EXPECT_EQ(other->Request().groupByClass, 0);
    EXPECT_FALSE(other->List().IsGrouping());
    m_frame->SwitchView(0);
    Pump();
    EXPECT_FALSE(m_frame->m_dtCalendarDate.isValid());
    m_ui.Prompt().Clear();
}

// The billed and slip lists open on the default period ending today, N
// months from "PloTerm.aut" (3 without it).
TEST_F(ShimeViewTest, DefaultPeriodOfTheBilledList)
{
    struct Case {
        QDate date;
        int months;
        QDate start;
    } const cases[] = {
        {QDate(2004, 8, 24), 3, QDate(2004, 5, 25)},  {QDate(2004, 5, 28), 3, QDate(2004, 2, 29)},
        {QDate(2005, 5, 31), 3, QDate(2005, 3, 1)},   {QDate(2004, 2, 10), -1, QDate(2003, 11, 11)},
        {QDate(2004, 12, 31), 11, QDate(2004, 2, 1)}, {QDate(2004, 2, 10), 14, QDate(2002, 12, 11)},
        {QDate(2004, 3, 5), 0, QDate(2004, 3, 6)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetDefaultPeriodStart(c.date, c.months), c.start) << c.date.toString().toStdString();
    EXPECT_EQ(ReadPeriodMonthsOf(QString()), -1);

    ASSERT_TRUE(WriteDefaultValues(m_folder, {QStringLiteral("PLOTERM.AUT")}, {QStringLiteral("1")}));
    m_ui.Clock().SetToday(QDate(2024, 3, 31));
    m_ui.Prompt().QueueAnswers({IDOK});
    CShimeView* view = Show(12, QDate(), 0);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->Request().periodShape, 2);
    EXPECT_EQ(view->Request().to, QDate(2024, 3, 31));
    EXPECT_EQ(view->Request().from, QDate(2024, 3, 1));
    m_ui.Prompt().Clear();
}

// A carry-over setting that cannot be written is reported; the old value
// stays shown and in use.
TEST_F(ShimeViewTest, CarryOverThatCannotBeWritten)
{
    CShimeView* view = Show(10, QDate(2004, 5, 10), 10);
    ASSERT_TRUE(view);
    // A folder where the file should be: the replace cannot happen.
    QFile::remove(m_folder + QStringLiteral("/Other/COLLECTAMOUNT.AUT"));
    ASSERT_TRUE(QDir().mkpath(m_folder + QStringLiteral("/Other/COLLECTAMOUNT.AUT/blocked")));
    m_frame->ExecuteCommand(ID_REPORT_CARRY_OVER);
    EXPECT_EQ(m_ui.Prompt().Texts().size(), 1);
    EXPECT_EQ(view->GetCarryOver(), 0);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_REPORT_CARRY_OVER).checked);
    m_ui.Prompt().Clear();
}

// From the menu command through the options dialog to the candidates;
// closing all, the invoices handed to the slip-form program, closing again
// with nothing open, undoing one row, refusals.
TEST_F(ShimeViewTest, CloseIssueAndUndoThroughTheCommands)
{
    ASSERT_TRUE(WriteDefaultValues(m_folder, {QStringLiteral("CLOSEDAY.AUT")}, {QStringLiteral("25")}));
    m_frame->m_dtCalendarDate = QDate(2001, 1, 1);
    int runs = 0;
    {
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto& options = static_cast<CCloseInvoiceDlg&>(dialog);
            EXPECT_EQ(options.windowTitle(), QStringLiteral("締め請求書の作成"));
            EXPECT_EQ(options.DayList()->currentText(), QStringLiteral("25日締"));
            if (runs++ == 0) {
                // 31 April: refused, the frame keeps its date.
                options.DayList()->setCurrentIndex(31);
                options.MonthEdit()->setDate(QDate(2004, 4, 1));
                options.accept();
                EXPECT_EQ(m_frame->m_dtCalendarDate, QDate(2001, 1, 1));
            }
            options.DayList()->setCurrentIndex(5);
            options.MonthEdit()->setDate(QDate(2004, 5, 1));
            options.accept();
            return dialog.result();
        });
        m_frame->ExecuteCommand(ID_CLOSE_INVOICE);
        Pump();
    }
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({"日付が不正です。"}));
    m_ui.Prompt().Clear();
    auto* view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 8);
    EXPECT_EQ(m_frame->m_dtCalendarDate, QDate(2004, 5, 25));
    EXPECT_EQ(m_frame->m_nCalendarCloseDay, 25);
    ASSERT_EQ(Column(*view, 1), QStringList({"K001", "K002"}));

    CFirstForm forms;
    QStringList launched;
    const ProcessLauncher old = SetProcessLauncher([&](const QString&, const QString& text) {
        launched << text;
        return true;
    });
    m_ui.Prompt().QueueAnswers({IDOK, IDYES});
    m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList({"リスト上のすべての取引先の請求を締め切り、請求書を発行します。よろしいですか？",
                           "締め切りました。引き続き締め請求書を発行しますか？"}));
    m_ui.Prompt().Clear();
    EXPECT_EQ(view->List().Rows()[0].mark, 1);
    EXPECT_EQ(view->List().Rows()[1].mark, 1);
    auto count = [this](const char* sql) {
        CCDSData request, result;
        request.m_strCondition = QString::fromUtf8(sql);
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        return result.GetCount();
    };
    EXPECT_EQ(count("SELECT ID FROM Sales_Close WHERE CloseDate = '2004-05-25' AND TudoFlg = 1"), 2);
    // Tax at closing: 62 for K001 (5 %, half up), 500 for K002.
    EXPECT_EQ(count("SELECT ID FROM Sales_H WHERE DenpyoType = 1 AND Total IN (620000, 5000000)"), 2);
    // Each invoice carries its closing's number and issue date.
    EXPECT_EQ(count("SELECT W.ID FROM WShime_H W JOIN Sales_Close C ON C.ID = W.SalesCloseID "
                    "WHERE W.Date = C.Date AND W.No = C.No"),
              2);
    EXPECT_EQ(forms.m_kinds, QList<int>({6}));
    EXPECT_EQ(launched, QStringList({QStringLiteral(" /L:%1 /C:6 /W:").arg(forms.m_id)}));

    // Everything closed already: no library call, still the question.
    m_ui.Prompt().QueueAnswers({IDOK, IDNO});
    m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts().size(), 2);
    EXPECT_EQ(count("SELECT ID FROM Sales_Close WHERE CloseDate = '2004-05-25'"), 2);
    m_ui.Prompt().Clear();

    // Undo the first row; then both selected: the open one warns once.
    ASSERT_TRUE(view->SelectOnlyRow(0));
    m_ui.Prompt().QueueAnswers({IDOK});
    m_frame->ExecuteCommand(ID_REPORT_UNDO_CLOSE);
    EXPECT_EQ(m_ui.Prompt().Calls()[0].defaultButton, IDCANCEL);
    EXPECT_EQ(view->List().Rows()[0].mark, 0);
    EXPECT_EQ(count("SELECT ID FROM Sales_Close WHERE CloseDate = '2004-05-25'"), 1);
    EXPECT_EQ(count("SELECT ID FROM Sales_H WHERE SeikyuID = 0 AND CustomerCode = 'K001'"), 1);
    m_ui.Prompt().Clear();
    {
        // The invoices of the open row and a closed one, by the closing's
        // controller over the list shown and a screen of its own.
        CRecordingScreen screen(m_frame->GetMakeMsgID());
        CClosingController closing(screen, view->List());
        closing.IssueInvoices({0, 1});
        EXPECT_EQ(screen.m_calls, QStringList({"Tell 締め済みになっていないデータを選択しています"}));
    }
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
    EXPECT_EQ(launched.size(), 1);
    m_ui.Prompt().Clear();
    ASSERT_TRUE(view->SelectAllRows());
    m_ui.Prompt().QueueAnswers({IDOK});
    m_frame->ExecuteCommand(ID_REPORT_UNDO_CLOSE);
    EXPECT_EQ(m_ui.Prompt().Texts().mid(1), QStringList({"締め済みになっていないデータを選択しています。"}));
    EXPECT_EQ(count("SELECT ID FROM Sales_Close WHERE CloseDate = '2004-05-25'"), 0);
    SetProcessLauncher(old);
    m_ui.Prompt().Clear();
}

// The carry-forward dialog: its checks, each backup result, and a carry-
// forward that the frame then knows of.
TEST_F(ShimeViewTest, CarryForwardDialog)
{
    const QDate today(2024, 4, 15);
    EXPECT_EQ(CKurikoshiRules::ProposedDate(QDate(), today), QDate(2024, 3, 31));
    EXPECT_EQ(CKurikoshiRules::ProposedDate(QDate(2023, 3, 31), today), QDate(2023, 4, 1));
    EXPECT_EQ(CKurikoshiRules::PreviousText(QDate()), QStringLiteral("前回の繰越日：なし"));
    EXPECT_EQ(CKurikoshiRules::PreviousText(QDate(2023, 3, 1)),
              QStringLiteral("前回の繰越日：2023年03月01日"));
    struct Check {
        QDate date, previous;
        const char* message;
    } const checks[] = {
        {QDate(2024, 3, 31), QDate(), ""},
        {QDate(2024, 4, 1), QDate(), "現在の月以降は指定できません。"},
        {QDate(2025, 1, 1), QDate(), "現在の月以降は指定できません。"},
        {QDate(2023, 3, 31), QDate(2023, 3, 31), ""},
        {QDate(2023, 3, 30), QDate(2023, 3, 31), "前回の繰越日より前の日付は指定できません。"},
        {QDate(), QDate(), "日時の形式が正しくありません。\n"},
    };
    for (const Check& c : checks)
        EXPECT_EQ(CKurikoshiRules::Check(c.date, c.previous, today), QString::fromUtf8(c.message));

    // The menu screen's Delete key and menu entry carry the carry-forward.
    ASSERT_EQ(m_frame->GetViewKind(), 0);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_MASTER_DELETE).enabled);

    m_ui.Clock().SetToday(today);
    CKurikoshiDlg dialog(*m_frame);
    EXPECT_EQ(dialog.PreviousLabel()->text(), QStringLiteral("前回の繰越日：なし"));
    EXPECT_EQ(dialog.DateEdit()->date(), QDate(2024, 3, 31));
    QTableWidget* status = dialog.StatusList();
    ASSERT_EQ(status->rowCount(), 10);
    EXPECT_EQ(status->item(4, 0)->text(), QStringLiteral("売上伝票"));
    EXPECT_EQ(status->item(4, 1)->text(), QStringLiteral("2 件"));
    EXPECT_EQ(status->item(4, 2)->text(), QStringLiteral("2004/05/10"));
    int total = 0;
    for (int row = 0; row < 9; ++row) {
        EXPECT_GE(status->item(row, 1)->text().section(u' ', 0, 0).toInt(), 0);
        total += status->item(row, 1)->text().section(u' ', 0, 0).toInt();
    }
    EXPECT_EQ(status->item(9, 1)->text(), QStringLiteral("%1 件").arg(total));

    // Every backup result but 1 ends with its own message.
    const struct {
        int result;
        const char* message;
    } backups[] = {{0, "処理を中止します。"},
                   {-1, "バックアップに失敗しました。"},
                   {-100, "バックアップとデータベースへの接続に失敗しました。アプリケーションを終了してもう一"
                          "度起動しなおしてください。"}};
    for (const auto& b : backups) {
        dialog.m_backup = [&] { return b.result; };
        m_ui.Prompt().QueueAnswers({IDOK});
        dialog.OnStart();
        EXPECT_EQ(m_ui.Prompt().Texts().value(1), QString::fromUtf8(b.message));
        EXPECT_EQ(m_ui.Prompt().Calls()[0].defaultButton, IDCANCEL);
        m_ui.Prompt().Clear();
    }
    int backedUp = 0;
    dialog.m_backup = [&] { return ++backedUp, 1; };
    m_ui.Prompt().QueueAnswers({IDOK, IDOK});
    dialog.OnStart();
    EXPECT_EQ(backedUp, 1);
    // Every closing of the world up to the date waits for its money: none went.
    EXPECT_EQ(
        m_ui.Prompt().Texts().value(2),
        QStringLiteral(
            "繰越の対象となる締めがなかったため、伝票・締め・入金・支払のデータは削除していません。\n"
            "2024年03月31日までに締めた請求・支払 2 件は、どれも入金・支払が済んでいないか、同じ取引先"
            "にそれより前の入金・支払の済んでいない締めがあるため、繰越の対象になりません。\n\n"
            "商品の在庫数は2024年03月31日までの入出庫を繰越し、前回の繰越日を2024年03月31日にしました。"));
    // The date is stored.
    EXPECT_EQ(m_frame->GetLastCarryForwardDate(), QDate(2024, 3, 31));
    EXPECT_EQ(dialog.PreviousLabel()->text(), QStringLiteral("前回の繰越日：2024年03月31日"));
    m_ui.Prompt().Clear();
}

// The billed list by period shape: the caption and the closings kept.
TEST_F(ShimeViewTest, BilledListPeriodShapes)
{
    Exec("INSERT INTO Sales_Close(No, \"Date\", CustomerCode, CloseDate, CollectDate, Status, TudoFlg) VALUES"
         "('C3', '2004-03-31', 'K001', '2004-03-31', '2004-04-10', 0, 1)");
    m_ui.Prompt().QueueAnswers({IDOK});
    CShimeView* view = Show(12, QDate(), 0);
    ASSERT_TRUE(view);
    m_ui.Prompt().Clear();
    view->Request().from = QDate(2004, 4, 1);
    view->Request().to = QDate(2004, 4, 25);
    // The closing's controller besides, over a list and a screen of its own.
    CReportList list;
    list.SetMode(12);
    list.m_cond.from = QDate(2004, 4, 1);
    list.m_cond.to = QDate(2004, 4, 25);
    CRecordingScreen screen(m_frame->GetMakeMsgID(), &list);
    CClosingController closing(screen, list);
    const struct {
        int shape;
        const char* caption;
        QStringList numbers;
    } cases[] = {
        {0, "期間：2004/04/01～2004/04/25", {"C2", "C1"}},
        {1, "期間：～2004/04/25", {"C2", "C1", "C3"}},
        {2, "期間：2004/04/01～", {"C2", "C1"}},
        {3, "期間：指定なし", {"C2", "C1", "C3"}},
    };
    for (const auto& c : cases) {
        // The list shown, read again on its conditions.
        view->Request().periodShape = c.shape;
        view->SetupListForMode(true);
        EXPECT_EQ(view->PeriodLabel()->text(), QString::fromUtf8(c.caption));
        QStringList shown;
        for (int i = 0; i < view->List().Records().GetCount(); ++i)
            shown << view->List().Records().GetAt(i)->GetOneField(QString(), QStringLiteral("No"))->GetText();
        EXPECT_EQ(shown, c.numbers) << c.shape;
        EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：%1件").arg(c.numbers.size()));

        screen.m_calls.clear();
        closing.LoadBilledList(c.shape);
        // The period's caption, and the records the count above the list counts.
        EXPECT_EQ(screen.m_calls, QStringList({QStringLiteral("Period ") + QString::fromUtf8(c.caption),
                                               QStringLiteral("Loaded %1").arg(c.numbers.size())}));
        QStringList numbers;
        for (int i = 0; i < list.Records().GetCount(); ++i)
            numbers << list.Records().GetAt(i)->GetOneField(QString(), QStringLiteral("No"))->GetText();
        EXPECT_EQ(numbers, c.numbers) << c.shape;
    }
}

// The billed list's dates show whole, as its cells draw them.
TEST_F(ShimeViewTest, BilledListDatesShowWhole)
{
    Exec("INSERT INTO Sales_Close(No, \"Date\", CustomerCode, CloseDate, CollectDate, Status, TudoFlg) VALUES"
         "('C9', '2026-12-31', 'K001', '2026-12-31', '2026-12-31', 0, 1)");
    m_ui.Clock().SetToday(QDate(2027, 1, 10));
    CShimeView* view = Show(12, QDate(), 0);
    ASSERT_TRUE(view);
    const CShimeListCtrl* list = view->ListCtrl();
    const QFontMetrics fm(list->font());
    ASSERT_EQ(list->model()->rowCount(), 1);
    for (int column : {1, 2}) {
        const QModelIndex cell = list->model()->index(0, column);
        ASSERT_EQ(cell.data().toString(), QStringLiteral("2026/12/31"));
        EXPECT_EQ(MakeShortString([&fm](const QString& t) { return fm.horizontalAdvance(t); },
                                  cell.data().toString(), list->visualRect(cell).width(),
                                  CellTextMargin(column)),
                  QStringLiteral("2026/12/31"))
            << column;
    }
    m_ui.Prompt().Clear();
}

// A slip or money saved after the closing list was loaded: that partner is
// left open and named, the others close and get their invoices, and the
// list is read again. Nothing of a partner left open is booked.
TEST_F(ShimeViewTest, ClosingLeavesPartnersChangedSinceLoading)
{
    Exec("INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, TaxRoundType) VALUES"
         "('K003', '三田商店', '', '', 25, 1)");
    Exec("INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, SeikyuID) VALUES ('S3', '2004-05-15', 'K003', 0, 1, 30000000, 30000000, 0, 30000000, 0)");
    Exec("INSERT INTO Supplier(SupplierCode, Company, Section, Name, Day) VALUES"
         "('P001', '北港資材', '', '', 25), ('P002', '南浜工業', '', '', 25)");
    Exec("INSERT INTO Stock_H(No, \"Date\", SupplierCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, SeikyuID) VALUES ('T1', '2004-05-11', 'P001', 0, 1, 20000000, 20000000, 0, 20000000, 0),"
         "('T2', '2004-05-12', 'P002', 0, 1, 40000000, 40000000, 0, 40000000, 0)");
    struct Side {
        const char *closing, *slips, *money, *code, *word;
    };
    const Side sales{"Sales_Close", "Sales_H", "Receipt_H", "CustomerCode", "入金"};
    const Side purchase{"Stock_Close", "Stock_H", "Pay_H", "SupplierCode", "支払"};
    // clang-format off
    const struct Case {
        int mode;
        std::vector<const char*> changes;
        QStringList left;     // "code name" as the message names them
        QStringList closed;   // codes
        QStringList reloaded; // "code|tax" of the rows read again
    } cases[] = {
        {8, {}, {}, {"K001", "K002", "K003"}, {}},
        // The master's name is no figure of the bill.
        {8, {"UPDATE Customer SET Company = '新青葉' WHERE CustomerCode = 'K001'"}, {}, {"K001", "K002", "K003"}, {}},
        // 1,234 + 5,000 at 5 %, half up: 312.
        {8,
         {"INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, Total, "
          "SeikyuID) VALUES ('S9', '2004-05-20', 'K001', 0, 1, 50000000, 50000000, 0, 50000000, 0)"},
         {"K001 青葉商事"}, {"K002", "K003"}, {"K001|312"}},
        {8,
         {"INSERT INTO Receipt_H(No, \"Date\", CustomerCode, Amount, SeikyuID, CloseID) VALUES "
          "('R9', '2004-05-20', 'K002', 10000000, 0, 0)"},
         {"K002 赤坂物産"}, {"K001", "K003"}, {"K002|500"}},
        {8, {"UPDATE Sales_H SET Amount = 31000000, AmountNoTax = 31000000, Total = 31000000 WHERE No = 'S3'"},
         {"K003 三田商店"}, {"K001", "K002"}, {"K003|155"}},
        // Its only slip now lies after the closing date: no row any more.
        {8, {"UPDATE Sales_H SET \"Date\" = '2004-05-26' WHERE No = 'S2'"}, {"K002 赤坂物産"}, {"K001", "K003"}, {}},
        {8,
         {"INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, Total, "
          "SeikyuID) VALUES ('S9', '2004-05-20', 'K001', 0, 1, 50000000, 50000000, 0, 50000000, 0)",
          "INSERT INTO Receipt_H(No, \"Date\", CustomerCode, Amount, SeikyuID, CloseID) VALUES "
          "('R9', '2004-05-25', 'K002', 10000000, 0, 0)"},
         {"K001 青葉商事", "K002 赤坂物産"}, {"K003"}, {"K001|312", "K002|500"}},
        {9,
         {"INSERT INTO Pay_H(No, \"Date\", SupplierCode, Amount, SeikyuID, CloseID) VALUES "
          "('Y9', '2004-05-20', 'P002', 5000000, 0, 0)"},
         {"P002 南浜工業"}, {"P001"}, {"P002|200"}},
    };
    // clang-format on
    CFirstForm forms;
    const ProcessLauncher old = SetProcessLauncher([](const QString&, const QString&) { return true; });
    auto codes = [this](const QString& sql) {
        CCDSData request, result;
        request.m_strCondition = sql;
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        QStringList texts;
        for (int i = 0; i < result.GetCount(); ++i)
            texts << result.GetAt(i)->GetAt(0)->GetText();
        return texts;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.changes.empty() ? "" : c.changes.front());
        const Side& s = c.mode == 9 ? purchase : sales;
        CShimeView* view = Show(c.mode, QDate(2004, 5, 25), 25);
        ASSERT_TRUE(view);
        m_ui.Prompt().Clear();
        // Each case is undone with the transaction it runs in.
        QString err;
        ASSERT_EQ(m_frame->GetMakeMsgID().BeginTransaction(err), 1);
        for (const char* sql : c.changes)
            Exec(sql);
        m_ui.Prompt().QueueAnswers(c.left.isEmpty() ? QList<int>{IDOK, IDYES}
                                                    : QList<int>{IDOK, IDOK, IDYES});
        m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
        const QStringList texts = m_ui.Prompt().Texts();
        ASSERT_EQ(texts.size(), c.left.isEmpty() ? 2 : 3);
        if (!c.left.isEmpty()) {
            EXPECT_EQ(texts[1],
                      QStringLiteral("次の取引先は一覧を読み込んだ後に伝票または%1が変わったため、締めません"
                                     "でした。一覧を読み込み直します。\n")
                              .arg(QString::fromUtf8(s.word)) +
                          c.left.join(u'\n'));
        }
        EXPECT_EQ(texts.last(), QStringLiteral("締め切りました。引き続き締め請求書を発行しますか？"));
        const QString day = QStringLiteral("CloseDate = '2004-05-25' AND TudoFlg = 1");
        EXPECT_EQ(codes(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY 1").arg(s.code, s.closing, day)),
                  c.closed);
        // Slips, money and tax slips booked: those of the partners closed.
        EXPECT_EQ(codes(QStringLiteral(
                            "SELECT DISTINCT %1 FROM (SELECT %1, SeikyuID FROM %2 UNION ALL SELECT %1, "
                            "SeikyuID FROM %3) WHERE SeikyuID IN (SELECT ID FROM %4 WHERE %5) ORDER BY 1")
                            .arg(s.code, s.slips, s.money, s.closing, day)),
                  c.closed);
        EXPECT_EQ(
            codes(QStringLiteral("SELECT %1 FROM %2 WHERE DenpyoType = 1 ORDER BY 1").arg(s.code, s.slips)),
            c.closed);
        EXPECT_EQ(codes(QStringLiteral("SELECT CustomerCode FROM WShime_H ORDER BY 1")), c.closed);
        if (c.left.isEmpty()) {
            for (const CReportRow& row : view->List().Rows())
                EXPECT_EQ(row.mark, 1);
        } else {
            QStringList shown;
            const QStringList listed = Column(*view, 1), taxes = Column(*view, 7);
            for (int i = 0; i < listed.size(); ++i)
                shown << listed[i] + u'|' + taxes[i];
            EXPECT_EQ(shown, c.reloaded);
        }
        ASSERT_EQ(m_frame->GetMakeMsgID().Rollback(err), 1);
        m_ui.Prompt().Clear();
    }
    SetProcessLauncher(old);
}

// The closing candidates and the schedules follow the other program's
// changes, as the slip lists do.
TEST_F(ShimeViewTest, ClosingListsAndSchedulesReloadOnDataChange)
{
    // clang-format off
    const struct {
        int kind;
        QDate date;
        int day, column;
        const char* change;
        QStringList before, after;
    } cases[] = {
        // K001's tax at closing: 1,234 then 6,234 at 5 %, half up.
        {8, QDate(2004, 5, 25), 25, 7,
         "INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, Total, "
         "SeikyuID) VALUES ('S9', '2004-05-20', 'K001', 0, 1, 50000000, 50000000, 0, 50000000, 0)",
         {"62", "500"}, {"312", "500"}},
        {10, QDate(2004, 5, 10), 10, 3, "UPDATE Sales_Close SET CollectDate = '2004-05-11' WHERE No = 'C2'",
         {"K001", "K002"}, {"K001"}},
        // The billed list: a closing booked since.
        {12, QDate(), 0, 5,
         "INSERT INTO Sales_Close(No, \"Date\", CustomerCode, CloseDate, CollectDate, Status, TudoFlg) VALUES "
         "('C4', '2004-05-25', 'K002', '2004-05-25', '2004-06-10', 0, 1)",
         {"K002", "K001"}, {"K002", "K002", "K001"}},
    };
    // clang-format on
    m_ui.Clock().SetToday(QDate(2004, 6, 10));
    for (const auto& c : cases) {
        CShimeView* view = Show(c.kind, c.date, c.day);
        ASSERT_TRUE(view);
        EXPECT_EQ(Column(*view, c.column), c.before) << c.kind;
        Exec(c.change);
        m_ui.Prompt().Clear();
        m_frame->OnDataChanged();
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({QStringLiteral("リストを更新します。")})) << c.kind;
        EXPECT_EQ(Column(*view, c.column), c.after) << c.kind;
        m_ui.Prompt().Clear();
    }
}

// Another program's change reloads the closing candidates: the partners
// chosen stay chosen, and a row closed in this screen stays with its mark
// and its closing, while that closing stands.
TEST_F(ShimeViewTest, AReloadKeepsTheChoiceAndTheRowsClosedHere)
{
    Exec("INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, TaxRoundType) VALUES"
         "('K003', '三田商店', '', '', 25, 1)");
    Exec("INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, SeikyuID) VALUES ('S3', '2004-05-15', 'K003', 0, 1, 30000000, 30000000, 0, 30000000, 0)");
    CShimeView* view = Show(8, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(view);
    ASSERT_EQ(Column(*view, 1), QStringList({"K001", "K002", "K003"}));
    // K002 closed here, without its invoice.
    ASSERT_TRUE(view->SelectOnlyRow(1));
    m_ui.Prompt().QueueAnswers({IDOK, IDNO});
    m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
    m_ui.Prompt().Clear();
    ASSERT_EQ(view->List().Rows()[1].mark, 1);
    const int closing = IntOf(view->List().RecordAt(1), "ID");
    ASSERT_NE(closing, 0);
    const auto shown = [&] {
        QStringList rows;
        const QStringList codes = Column(*view, 1), taxes = Column(*view, 7);
        for (int row = 0; row < view->List().RowCount(); ++row)
            rows << QStringLiteral("%1|%2|%3|%4")
                        .arg(codes[row], taxes[row])
                        .arg(view->List().Rows()[size_t(row)].mark)
                        .arg(IntOf(view->List().RecordAt(row), "ID") == closing ? "closing" : "");
        return rows;
    };
    const auto chosen = [&] {
        QStringList codes;
        for (int row : view->GetSelectedRows())
            codes << Column(*view, 1)[row];
        return codes;
    };
    // clang-format off
    const struct {
        const char* change;
        QList<int> select;
        QStringList rows, selected;
    } cases[] = {
        // K001's tax at closing: 1,234 then 6,234 at 5 %, half up.
        {"INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, Total, "
         "SeikyuID) VALUES ('S9', '2004-05-20', 'K001', 0, 1, 50000000, 50000000, 0, 50000000, 0)",
         {1, 2}, {"K001|312|0|", "K002|500|1|closing", "K003|150|0|"}, {"K002", "K003"}},
        // A partner that is no candidate any more takes its choice along;
        // the rows move up under the choice.
        {"UPDATE Sales_H SET \"Date\" = '2004-05-26' WHERE No IN ('S1', 'S9')",
         {0, 2}, {"K002|500|1|closing", "K003|150|0|"}, {"K003"}},
        // The closing undone by the other program: K002 is a candidate again.
        {"UPDATE Sales_H SET SeikyuID = 0 WHERE CustomerCode = 'K002'; DELETE FROM Sales_H WHERE DenpyoType = 1; "
         "DELETE FROM Sales_Close WHERE CloseDate = '2004-05-25'",
         {0}, {"K002|500|0|", "K003|150|0|"}, {"K002"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        view->SelectOnlyRow(c.select.first());
        for (int row : c.select.mid(1))
            view->ListCtrl()->selectionModel()->select(view->ListCtrl()->model()->index(row, 0),
                                                       QItemSelectionModel::Select |
                                                           QItemSelectionModel::Rows);
        for (const QString& sql : QString::fromUtf8(c.change).split(QStringLiteral("; ")))
            Exec(sql.toUtf8().constData());
        m_frame->OnDataChanged();
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({QStringLiteral("リストを更新します。")}));
        m_ui.Prompt().Clear();
        EXPECT_EQ(shown(), c.rows);
        EXPECT_EQ(chosen(), c.selected);
        EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：%1件").arg(c.rows.size()));
    }
}

// The carry-over setting in the billed and paid lists: the amount billed
// (paid) shown and kept for a reprint follows each switch.
TEST_F(ShimeViewTest, CarryOverSwitchInTheBilledLists)
{
    Exec("UPDATE Customer SET Collect = 10000000 WHERE CustomerCode = 'K001'");
    Exec("INSERT INTO Sales_Close(No, \"Date\", CustomerCode, CloseDate, CollectDate, Status, TudoFlg) VALUES"
         "('C3', '2004-05-25', 'K001', '2004-05-25', '2004-06-10', 0, 1)");
    Exec(
        "INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
        "Total, SeikyuID) SELECT 'S3', '2004-05-20', 'K001', 0, 2, 20000000, 20000000, 1000000, 21000000, ID "
        "FROM Sales_Close WHERE No = 'C3'");
    Exec("INSERT INTO Receipt_H(No, \"Date\", CustomerCode, Amount, SeikyuID, CloseID) "
         "SELECT 'R3', '2004-05-21', 'K001', 3000000, ID, 0 FROM Sales_Close WHERE No = 'C3'");
    Exec("INSERT INTO Supplier(SupplierCode, Company, Section, Name, Day, Collect) VALUES"
         "('P001', '北港資材', '', '', 25, 5000000)");
    Exec("INSERT INTO Stock_Close(No, \"Date\", SupplierCode, CloseDate, CollectDate, Status, TudoFlg) VALUES"
         "('D3', '2004-05-25', 'P001', '2004-05-25', '2004-06-30', 0, 1)");
    Exec(
        "INSERT INTO Stock_H(No, \"Date\", SupplierCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
        "Total, SeikyuID) SELECT 'T3', '2004-05-20', 'P001', 0, 2, 40000000, 40000000, 2000000, 42000000, ID "
        "FROM Stock_Close WHERE No = 'D3'");
    Exec("INSERT INTO Pay_H(No, \"Date\", SupplierCode, Amount, SeikyuID, CloseID) "
         "SELECT 'Y3', '2004-05-21', 'P001', 10000000, ID, 0 FROM Stock_Close WHERE No = 'D3'");
    m_ui.Clock().SetToday(QDate(2004, 6, 10));
    const struct {
        int kind;
        const char *no, *field;
        QStringList amounts; // carry included, left out, included again
    } cases[] = {
        // 1,000 opening - 300 received + 2,000 + 100 tax
        {12, "C3", "今回売上額", {"2,800", "2,100", "2,800"}},
        // 500 opening - 1,000 paid + 4,000 + 200 tax
        {13, "D3", "今回仕入額", {"3,700", "4,200", "3,700"}},
    };
    for (const auto& c : cases) {
        CShimeView* view = Show(c.kind, QDate(), 0);
        ASSERT_TRUE(view);
        QStringList amounts;
        for (int step = 0; step < 3; ++step) {
            if (step > 0)
                m_frame->ExecuteCommand(ID_REPORT_CARRY_OVER);
            const QString field = QString::fromUtf8(c.field);
            int column = -1, row = -1;
            for (int i = 0; i < int(view->List().Columns().size()); ++i)
                if (view->List().Columns()[size_t(i)].m_strField == field)
                    column = i;
            for (int i = 0; i < view->List().RowCount(); ++i)
                if (TextOf(view->List().RecordAt(i), "No") == QString::fromLatin1(c.no))
                    row = i;
            ASSERT_GE(column, 0);
            ASSERT_GE(row, 0);
            const QString shown = Column(*view, column)[row];
            // The record behind the row holds the same amount for a reprint.
            EXPECT_EQ(TextOf(view->List().RecordAt(row), field), QString(shown).remove(u','));
            amounts << shown;
        }
        EXPECT_EQ(amounts, c.amounts) << c.kind;
    }
    m_ui.Prompt().Clear();
}

// Closing many partners takes their invoice numbers as one block, in one
// save of the counter file, consecutive and past the digits from 1 again;
// the wait dialog shows the closing's progress and is down before any
// message. A closing that is refused gives its block back.
TEST_F(ShimeViewTest, ClosingTakesItsNumbersAsOneBlockAndGivesThemBackWhenRefused)
{
    QString sql;
    for (int i = 10; i < 40; ++i) {
        Exec(QStringLiteral(
                 "INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, TaxRoundType) VALUES "
                 "('K%1', '得意先%1', '', '', 25, 1)")
                 .arg(i)
                 .toUtf8()
                 .constData());
        Exec(QStringLiteral(
                 "INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, "
                 "AmountNoTax, Tax, Total, SeikyuID) VALUES ('S%1', '2004-05-%2', 'K%1', 0, 1, 10000, "
                 "10000, 0, 10000, 0)")
                 .arg(i)
                 .arg(i % 20 + 1, 2, 10, QLatin1Char('0'))
                 .toUtf8()
                 .constData());
    }
    {
        CCounterInfo counter;
        CCounterInfoElem* elem = counter.GetElem(COUNTER_INVOICE);
        ASSERT_NE(elem, nullptr);
        elem->m_nNumber = 990;
        elem->m_nDigits = 3;
        elem->m_strPrefix = QStringLiteral("A-");
        ASSERT_EQ(counter.Save(), 1);
    }
    auto column = [this](const char* statement) {
        CCDSData request, result;
        request.m_strCondition = QString::fromUtf8(statement);
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        QStringList texts;
        for (int i = 0; i < result.GetCount(); ++i)
            texts << result.GetAt(i)->GetAt(0)->GetText();
        return texts;
    };
    const auto nextNumber = [] { return CCounterInfo().GetElem(COUNTER_INVOICE)->m_nNumber; };

    // Refused by the database: the block goes back; nothing is written.
    CShimeView* view = Show(8, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(view);
    ASSERT_EQ(view->List().RowCount(), 32);
    Exec("CREATE TEMP TRIGGER refuse_closing BEFORE INSERT ON Sales_Close BEGIN SELECT RAISE(ABORT, '拒否'); "
         "END");
    CFileWrites writes(m_folder, QStringLiteral("NoInfo.dat"));
    ASSERT_TRUE(writes.IsWatching());
    m_ui.Prompt().Clear();
    {
        CWaitWatchingPrompt prompt(m_ui.Wait());
        prompt.QueueAnswers({IDOK});
        m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
        ASSERT_EQ(prompt.Texts().size(), 2);
        EXPECT_TRUE(prompt.Texts()[1].startsWith(QStringLiteral("締め処理に失敗しました。")))
            << prompt.Texts()[1].toStdString();
        EXPECT_EQ(prompt.m_depths, QList<int>({0, 0}));
    }
    EXPECT_EQ(nextNumber(), 990);
    EXPECT_EQ(writes.Count(), 2) << "the block taken and given back";
    EXPECT_EQ(column("SELECT No FROM Sales_Close ORDER BY ID"), QStringList({"C1", "C2"}));
    Exec("DROP TRIGGER temp.refuse_closing");

    // Closed: 32 numbers from 990, in one save.
    view = Show(8, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(view);
    const qsizetype logged = m_ui.Wait().Log().size();
    CFirstForm forms;
    const ProcessLauncher old = SetProcessLauncher([](const QString&, const QString&) { return true; });
    {
        CWaitWatchingPrompt prompt(m_ui.Wait());
        prompt.QueueAnswers({IDOK, IDNO});
        m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
        EXPECT_EQ(prompt.Texts().value(1),
                  QStringLiteral("締め切りました。引き続き締め請求書を発行しますか？"));
        EXPECT_EQ(prompt.m_depths, QList<int>({0, 0}));
    }
    SetProcessLauncher(old);
    EXPECT_EQ(writes.Count(), 1);
    QStringList expected;
    for (int n = 990; n <= 999; ++n)
        expected << QStringLiteral("A-%1").arg(n);
    for (int n = 1; n <= 22; ++n)
        expected << QStringLiteral("A-%1").arg(n, 3, 10, QLatin1Char('0'));
    EXPECT_EQ(column("SELECT No FROM Sales_Close WHERE CloseDate = '2004-05-25' ORDER BY ID"), expected);
    EXPECT_EQ(nextNumber(), 23);
    EXPECT_EQ(WaitSteps(m_ui.Wait().Log().mid(logged)).mid(0, 3),
              QStringList({QStringLiteral("Begin 締め処理を行っています。 100"), "Pos 100", "End"}));
}

// Undoing closings moves the wait dialog's bar to its end, a step at a time,
// and takes it down before anything else is said. The undo runs beside the
// window's thread, under that dialog.
TEST_F(ShimeViewTest, UndoingClosingsShowsItsProgress)
{
    const auto closings = [this] {
        CCDSData request, result;
        request.m_strCondition =
            QStringLiteral("SELECT COUNT(*) FROM Sales_Close WHERE CloseDate = '2004-05-25'");
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        return result.GetCount() == 1 ? result.GetAt(0)->GetAt(0)->GetText() : QString();
    };
    CShimeView* view = Show(8, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(view);
    const int rows = view->List().RowCount();
    ASSERT_GT(rows, 0);
    m_ui.Prompt().QueueAnswers({IDOK, IDNO});
    m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
    ASSERT_EQ(closings(), QString::number(rows));

    ASSERT_TRUE(view->SelectAllRows());
    const qsizetype logged = m_ui.Wait().Log().size();
    {
        CStatementWatch watch(m_frame->GetMakeMsgID().Handle(), m_ui.Wait());
        CWaitWatchingPrompt prompt(m_ui.Wait());
        prompt.QueueAnswers({IDOK});
        m_frame->ExecuteCommand(ID_REPORT_UNDO_CLOSE);
        EXPECT_EQ(prompt.m_depths, QList<int>({0}));
        const QList<CStatementWatch::Seen> deleted =
            watch.Statements(QStringLiteral("DELETE FROM \"Sales_Close\""));
        ASSERT_FALSE(deleted.isEmpty());
        for (const CStatementWatch::Seen& seen : deleted) {
            EXPECT_FALSE(seen.onCaller) << seen.sql.toStdString();
            EXPECT_EQ(seen.waitDepth, 1) << seen.sql.toStdString();
        }
        EXPECT_FALSE(watch.callerStalled);
    }
    EXPECT_EQ(WaitSteps(m_ui.Wait().Log().mid(logged)),
              QStringList({QStringLiteral("Begin 締め処理を取り消しています。 100"), "Pos 100", "End"}));
    EXPECT_EQ(closings(), QStringLiteral("0"));
    for (int row = 0; row < rows; ++row)
        EXPECT_EQ(view->List().Rows()[size_t(row)].mark, 0) << row;
}

// Every command a family runs that a list offers (on its menu bar, its
// toolbar or by its double click) reaches the controller of the list's
// family: none lands in a family that would let it do nothing.
TEST_F(ShimeViewTest, EachListsFamilyCommandsReachItsController)
{
    const QList<int>& familyCommands = ReportFamilyCommands();
    CShimeView view(*m_frame);
    QSet<EReportFamily> reached;
    for (int mode = kFirstReportMode; mode <= kLastReportMode; ++mode) {
        SCOPED_TRACE(mode);
        const CViewKindInfo kind = GetViewKindInfo(mode);
        QSet<int> offered;
        for (const CMenuEntry& entry : GetMenuResource(kind.menuId))
            if (entry.kind == CMenuEntry::Command)
                offered.insert(entry.id);
        for (const CToolBarDef& bar : GetToolBarDefs())
            if (bar.resourceId == kind.toolBarId)
                offered.unite(QSet<int>(bar.buttons.begin(), bar.buttons.end()));
        switch (ReportMode(mode).doubleClick) {
        case EReportDoubleClick::ClosePrint:
            offered.insert(ID_REPORT_CLOSE_PRINT);
            break;
        case EReportDoubleClick::Receipt:
            offered.insert(ID_REPORT_RECEIPT);
            break;
        case EReportDoubleClick::Reprint:
            offered.insert(ID_REPORT_REPRINT);
            break;
        case EReportDoubleClick::EditStock:
            offered.insert(ID_REPORT_STOCK_EDIT);
            break;
        default:
            break;
        }
        IReportController& controller = view.ControllerFor(mode);
        for (int id : offered) {
            if (!familyCommands.contains(id))
                continue;
            EXPECT_TRUE(view.HasCommandHandler(id)) << id;
            EXPECT_TRUE(controller.HasCommandHandler(id)) << id;
            reached.insert(ReportMode(mode).family);
        }
    }
    // Each family runs commands some list offers.
    EXPECT_EQ(reached,
              QSet<EReportFamily>({EReportFamily::Closing, EReportFamily::Schedule,
                                   EReportFamily::Aggregation, EReportFamily::Ledger, EReportFamily::Stock}));
}

// Every report list opens in the maximised frame, whether the menu screen
// left the frame hidden or shown at its own small size: at that size the
// amounts of the billed list lie beyond the frame's edge.
TEST_F(ShimeViewTest, ListsOpenInTheMaximisedFrame)
{
    const struct {
        int kind;
        QDate date;
        int day;
    } cases[] = {
        {12, QDate(), 0}, {8, QDate(2004, 5, 25), 25}, {12, QDate(), 0}, {10, QDate(2004, 5, 10), 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        m_frame->SwitchView(0);
        Pump();
        ASSERT_FALSE(m_frame->windowState() & Qt::WindowMaximized);
        const bool shown = m_frame->isVisible();
        ASSERT_TRUE(Show(c.kind, c.date, c.day));
        EXPECT_TRUE(m_frame->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(m_frame->isVisible(), shown);
    }
    m_ui.Prompt().Clear();
}

// A closing whose numbers the counter file cannot keep as taken closes
// nothing and says why: numbered anyway, the next closing would hand out
// the same numbers again, and without a counter the invoices would have
// none. Once the file is mended the closing numbers from where the counter
// stood.
TEST_F(ShimeViewTest, ClosingWithoutNumbersOfItsOwnClosesNothing)
{
    Exec("INSERT INTO Supplier(SupplierCode, Company, Section, Name, Day) VALUES ('P001', '北港資材', '', "
         "'', 25)");
    Exec("INSERT INTO Stock_H(No, \"Date\", SupplierCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, SeikyuID) VALUES ('T1', '2004-05-11', 'P001', 0, 1, 20000000, 20000000, 0, 20000000, 0)");
    const QString noInfo = m_folder + QStringLiteral("/NoInfo.dat");
    // A count of one, then a tag cut short.
    const QByteArray damaged("\x01\x00\xff\xff\x01\x00", 6);
    const QString fileError = QStringLiteral("設定ファイル<%1>に書き込めませんでした。\n"
                                             "ディスクの空き容量や書き込みの権限を確認してください。")
                                  .arg(noInfo);
    const QString notSaved =
        QStringLiteral("%1の番号を保存できなかったため、締め処理を行いませんでした。\n"
                       "番号の設定ファイル<%2>に書き込めるか（ディスクの空き容量や書き込みの"
                       "権限）を確認してから、もう一度締めてください。");
    const QString noCounter =
        QStringLiteral("%1の番号を読み込めなかったため、締め処理を行いませんでした。\n"
                       "番号の設定ファイル<%2>を読み込めません。「設定」－「伝票番号の設定」"
                       "で番号を設定し直してから、もう一度締めてください。");
    const struct {
        const char* what;
        int mode;
        bool damagedKept; // else a folder stands where the file is written
        QList<int> answers;
        QString document;
    } cases[] = {
        {"sales, file cannot be written", 8, false, {IDOK}, QStringLiteral("請求書")},
        {"purchase, file cannot be written", 9, false, {IDOK}, QStringLiteral("支払明細書")},
        {"sales, damaged file kept", 8, true, {IDOK, IDNO}, QStringLiteral("請求書")},
        {"purchase, damaged file kept", 9, true, {IDOK, IDNO}, QStringLiteral("支払明細書")},
    };
    auto closings = [this](const char* table) {
        CCDSData request, result;
        request.m_strCondition =
            QStringLiteral("SELECT No FROM %1 WHERE CloseDate = '2004-05-25' ORDER BY ID")
                .arg(QLatin1String(table));
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        QStringList numbers;
        for (int i = 0; i < result.GetCount(); ++i)
            numbers << result.GetAt(i)->GetAt(0)->GetText();
        return numbers;
    };
    // A closing that went ahead anyway hands its invoices over without waiting.
    const ProcessLauncher old = SetProcessLauncher([](const QString&, const QString&) { return true; });
    CFirstForm forms;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.damagedKept) {
            ASSERT_TRUE(QFile::remove(noInfo) || !QFileInfo::exists(noInfo));
            QFile file(noInfo);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_EQ(file.write(damaged), damaged.size());
        } else {
            ASSERT_TRUE(QDir().mkpath(noInfo + QStringLiteral("/blocked")));
        }
        CShimeView* view = Show(c.mode, QDate(2004, 5, 25), 25);
        ASSERT_TRUE(view);
        ASSERT_GT(view->List().RowCount(), 0);
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers(c.answers);
        m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
        const QStringList texts = m_ui.Prompt().Texts();
        ASSERT_GE(texts.size(), 2);
        EXPECT_EQ(
            texts[0],
            QStringLiteral("リスト上のすべての取引先の請求を締め切り、請求書を発行します。よろしいですか？"));
        if (c.damagedKept) {
            ASSERT_EQ(texts.size(), 3); // no box before the question naming the file
            EXPECT_TRUE(texts[1].startsWith(QStringLiteral("設定ファイル<") + noInfo))
                << texts[1].toStdString();
            EXPECT_EQ(texts[2], noCounter.arg(c.document, noInfo));
        } else {
            ASSERT_EQ(texts.size(), 3);
            EXPECT_EQ(texts[1], fileError);
            EXPECT_EQ(texts[2], notSaved.arg(c.document, noInfo));
        }
        EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONEXCLAMATION);
        EXPECT_EQ(closings("Sales_Close"), QStringList());
        EXPECT_EQ(closings("Stock_Close"), QStringList());
        for (const CReportRow& row : view->List().Rows())
            EXPECT_EQ(row.mark, 0);
        // The file is left as it was for the user to mend.
        if (c.damagedKept)
            EXPECT_EQ(FileBytes(noInfo), damaged);
        else
            EXPECT_TRUE(QFileInfo(noInfo).isDir());
        ASSERT_TRUE(c.damagedKept ? QFile::remove(noInfo) : QDir(noInfo).removeRecursively());
    }

    // Mended: each side numbers from the counter's first number, once each.
    for (int mode : {8, 9}) {
        ASSERT_TRUE(Show(mode, QDate(2004, 5, 25), 25));
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers({IDOK, IDNO});
        m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
        EXPECT_EQ(m_ui.Prompt().Texts().value(1),
                  QStringLiteral("締め切りました。引き続き締め請求書を発行しますか？"));
    }
    SetProcessLauncher(old);
    EXPECT_EQ(closings("Sales_Close"), QStringList({"000001", "000002"}));
    EXPECT_EQ(closings("Stock_Close"), QStringList({"000001"}));
    EXPECT_EQ(CCounterInfo().GetElem(COUNTER_INVOICE)->m_nNumber, 3);
    m_ui.Prompt().Clear();
}

// A counter that starts afresh, after its damaged file was reset or with
// no file at all, numbers on after the highest invoice (payment-statement)
// number its side's closings hold, and says so: no number goes out twice.
TEST_F(ShimeViewTest, AFreshCounterNumbersOnAfterTheClosings)
{
    Exec(
        "INSERT INTO Supplier(SupplierCode, Company, Section, Name, Day) VALUES ('P001', '北港資材', '', '', "
        "25), ('P002', '南港資材', '', '', 25)");
    const QString noInfo = m_folder + QStringLiteral("/NoInfo.dat");
    const auto addSlips = [this](const QString& month) {
        for (const char* table : {"Sales_H", "Stock_H"}) {
            const bool purchase = QByteArray(table) == "Stock_H";
            Exec(QStringLiteral("INSERT INTO %1(No, \"Date\", %2, DenpyoType, TaxType, Amount, AmountNoTax, "
                                "Tax, Total, SeikyuID) VALUES ('N1', '%3-10', '%4', 0, 1, 10000, 10000, 0, "
                                "10000, 0), ('N2', '%3-11', '%5', 0, 1, 10000, 10000, 0, 10000, 0)")
                     .arg(QLatin1String(table),
                          purchase ? QStringLiteral("SupplierCode") : QStringLiteral("CustomerCode"), month,
                          purchase ? QStringLiteral("P001") : QStringLiteral("K001"),
                          purchase ? QStringLiteral("P002") : QStringLiteral("K002"))
                     .toUtf8()
                     .constData());
        }
    };
    const auto numbers = [this](const char* table, const QString& closeDate) {
        CCDSData request, result;
        request.m_strCondition = QStringLiteral("SELECT No FROM %1 WHERE CloseDate = '%2' ORDER BY ID")
                                     .arg(QLatin1String(table), closeDate);
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        QStringList texts;
        for (int i = 0; i < result.GetCount(); ++i)
            texts << result.GetAt(i)->GetAt(0)->GetText();
        return texts;
    };
    const QString confirm =
        QStringLiteral("リスト上のすべての取引先の請求を締め切り、請求書を発行します。よろしいですか？");
    const QString closed = QStringLiteral("締め切りました。引き続き締め請求書を発行しますか？");
    const QString notice = QStringLiteral("番号の設定ファイル<%1>に%2の番号がなかったため、締め済みの%2の番号"
                                          "「%3」の次の「%4」から番号を付けます。");
    const QString reset = QStringLiteral("設定ファイル<%1>が壊れています。初期状態にしてよろしいですか？");
    const QByteArray damaged("\x01\x00\xff\xff\x01\x00", 6);
    enum class ECounter { Kept, Reset, Missing };
    const struct {
        const char* what;
        const char* month;
        ECounter counter;
        QStringList numbers;
    } rounds[] = {
        {"kept", "2004-05", ECounter::Kept, {"000001", "000002"}},
        {"damaged and reset", "2004-06", ECounter::Reset, {"000003", "000004"}},
        {"missing", "2004-07", ECounter::Missing, {"000005", "000006"}},
    };
    const ProcessLauncher old = SetProcessLauncher([](const QString&, const QString&) { return true; });
    CFirstForm forms;
    for (const auto& round : rounds) {
        addSlips(QLatin1String(round.month));
        const QString closeDate = QLatin1String(round.month) + QStringLiteral("-25");
        for (const bool purchase : {false, true}) {
            SCOPED_TRACE(std::string(round.what) + (purchase ? ", purchases" : ", sales"));
            if (round.counter == ECounter::Reset) {
                QFile file(noInfo);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                ASSERT_EQ(file.write(damaged), damaged.size());
            } else if (round.counter == ECounter::Missing) {
                ASSERT_TRUE(QFile::remove(noInfo) || !QFileInfo::exists(noInfo));
            }
            ASSERT_TRUE(Show(purchase ? 9 : 8, QDate::fromString(closeDate, Qt::ISODate), 25));
            m_ui.Prompt().Clear();
            QStringList said{confirm};
            if (round.counter == ECounter::Reset) {
                m_ui.Prompt().QueueAnswers({IDOK, IDYES, IDOK, IDNO});
                said << reset.arg(noInfo);
            } else if (round.counter == ECounter::Missing) {
                m_ui.Prompt().QueueAnswers({IDOK, IDOK, IDNO});
            } else {
                m_ui.Prompt().QueueAnswers({IDOK, IDNO});
            }
            if (round.counter != ECounter::Kept)
                said << notice.arg(
                    noInfo, purchase ? QStringLiteral("支払明細書") : QStringLiteral("請求書"),
                    QStringLiteral("%1").arg(round.numbers[0].toInt() - 1, 6, 10, QLatin1Char('0')),
                    round.numbers[0]);
            said << closed;
            m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
            EXPECT_EQ(m_ui.Prompt().Texts(), said);
            EXPECT_EQ(numbers(purchase ? "Stock_Close" : "Sales_Close", closeDate), round.numbers);
            EXPECT_EQ(
                CCounterInfo().GetElem(purchase ? COUNTER_PAYMENT_STATEMENT : COUNTER_INVOICE)->m_nNumber,
                round.numbers[1].toInt() + 1);
        }
    }
    SetProcessLauncher(old);
    m_ui.Prompt().Clear();
}

// A closing on a full disk says so and that it closed nothing, not that the
// database is broken: nothing is written, the numbers go back, and once
// there is room the same session closes.
TEST_F(ShimeViewTest, AClosingOnAFullDiskSaysSoAndClosesOnceThereIsRoom)
{
    // Enough partners that their closings need pages of their own.
    Exec("WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 299) "
         "INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, TaxRoundType) "
         "SELECT 'F' || i, '得意先' || i, '', '', 25, 1 FROM n");
    Exec("INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, "
         "SeikyuID) SELECT 'S' || CustomerCode, '2004-05-20', CustomerCode, 0, 1, 10000, 10000, 0, 10000, 0 "
         "FROM Customer WHERE CustomerCode LIKE 'F%'");
    CMakeMsgID& data = m_frame->GetMakeMsgID();
    const auto count = [&data](const char* sql) {
        CCDSData request, result;
        request.m_strCondition = QString::fromUtf8(sql);
        QString err;
        EXPECT_EQ(data.GetDataList(request, result, err), 1) << err.toStdString();
        return result.GetCount() == 1 ? result.GetAt(0)->GetAt(0)->GetText() : QString();
    };
    const auto pragma = [&data](const QByteArray& sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(data.Handle(), sql.constData(), -1, &statement, nullptr);
        const qint64 value =
            statement && sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
        sqlite3_finalize(statement);
        return value;
    };
    CShimeView* view = Show(8, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(view);
    ASSERT_EQ(view->List().RowCount(), 202);
    const QString unbilled = count("SELECT COUNT(*) || '/' || SUM(Total) FROM Sales_H WHERE SeikyuID = 0");
    // The file may grow by no page: the disk is full.
    const qint64 pages = pragma("PRAGMA page_count");
    ASSERT_GT(pages, 0);
    ASSERT_EQ(pragma("PRAGMA max_page_count = " + QByteArray::number(pages)), pages);
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDOK, IDOK});
    m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
    ASSERT_EQ(m_ui.Prompt().Texts().size(), 2);
    EXPECT_EQ(m_ui.Prompt().Texts()[1],
              QStringLiteral("締め処理に失敗しました。") +
                  CMakeMsgID::ErrorText(SQLITE_FULL, CMakeMsgID::DatabasePath(data.GetFolder()), QString()) +
                  QStringLiteral("\n締めた取引先はありません。"));
    EXPECT_NE(m_ui.Prompt().Calls()[1].icon, MB_ICONSTOP);
    EXPECT_EQ(count("SELECT COUNT(*) FROM Sales_Close WHERE CloseDate = '2004-05-25'"), QStringLiteral("0"));
    EXPECT_EQ(count("SELECT COUNT(*) || '/' || SUM(Total) FROM Sales_H WHERE SeikyuID = 0"), unbilled);
    EXPECT_EQ(count("SELECT COUNT(*) FROM Sales_H WHERE DenpyoType = 1"), QStringLiteral("0"));
    EXPECT_EQ(CCounterInfo().GetElem(COUNTER_INVOICE)->m_nNumber, 1);
    for (const CReportRow& row : view->List().Rows())
        EXPECT_EQ(row.mark, 0);

    // Room again: the same session closes every partner.
    pragma("PRAGMA max_page_count = 1073741823");
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDOK, IDNO});
    m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts().value(1),
              QStringLiteral("締め切りました。引き続き締め請求書を発行しますか？"));
    EXPECT_EQ(count("SELECT COUNT(*) || '/' || MIN(No) || '/' || MAX(No) FROM Sales_Close WHERE CloseDate = "
                    "'2004-05-25'"),
              QStringLiteral("202/000001/000202"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM Sales_H WHERE SeikyuID = 0"), QStringLiteral("0"));
    m_ui.Prompt().Clear();
}

// The closing command over the closing list shown opens the list anew on the
// date chosen, as from the menu screen; Cancel leaves the list as it is.
TEST_F(ShimeViewTest, TheClosingCommandOpensTheListShownAnew)
{
    Exec("INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, "
         "SeikyuID) VALUES ('S9', '2004-05-15', 'K009', 0, 1, 10000000, 10000000, 0, 10000000, 0)");
    const QPointer<CShimeView> before = Show(8, QDate(2004, 5, 25), 25);
    ASSERT_TRUE(before);
    ASSERT_EQ(Column(*before, 1), QStringList({"K001", "K002"}));
    m_ui.Prompt().Clear();
    const auto answer = [](bool ok) {
        return ScopedModalRunner([ok](QDialog& dialog) {
            auto& options = static_cast<CCloseInvoiceDlg&>(dialog);
            options.DayList()->setCurrentIndex(4); // 20日締
            options.MonthEdit()->setDate(QDate(2004, 5, 1));
            ok ? options.accept() : options.reject();
            return dialog.result();
        });
    };
    {
        auto cancel = answer(false);
        m_frame->ExecuteCommand(ID_CLOSE_INVOICE);
        Pump();
    }
    ASSERT_TRUE(before);
    EXPECT_EQ(m_frame->GetActiveView(), before.data());
    EXPECT_EQ(m_frame->m_dtCalendarDate, QDate(2004, 5, 25));
    EXPECT_EQ(Column(*before, 1), QStringList({"K001", "K002"}));
    {
        auto ok = answer(true);
        m_frame->ExecuteCommand(ID_CLOSE_INVOICE);
        Pump();
    }
    EXPECT_TRUE(before.isNull());
    auto* view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 8);
    EXPECT_EQ(m_frame->m_dtCalendarDate, QDate(2004, 5, 20));
    EXPECT_EQ(m_frame->m_nCalendarCloseDay, 20);
    EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("締日：2004/05/20"));
    EXPECT_EQ(Column(*view, 1), QStringList({"K009"}));
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
}

// Every question, notice and word about the selection the closing family
// has goes to its screen, with its buttons, icon and default button, and
// none past it: the closing's controller over a list of the world and a
// screen of its own. The messages of the services below it (the number
// file, the hand-over to the slip-form program) stay theirs.
TEST_F(ShimeViewTest, TheClosingFamilyAsksAndTellsThroughItsScreen)
{
    using CHeard = CRecordingScreen::CHeard;
    Exec("INSERT INTO Supplier(SupplierCode, Company, Section, Name, Day) VALUES "
         "('P001', '北港資材', '', '', 25)");
    Exec("INSERT INTO Stock_H(No, \"Date\", SupplierCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, SeikyuID) VALUES ('T1', '2004-05-11', 'P001', 0, 1, 20000000, 20000000, 0, 20000000, 0)");
    // Closings of the account already paid, beside the per-slip C1 and C2.
    Exec("INSERT INTO Sales_Close(No, \"Date\", CustomerCode, CloseDate, CollectDate, Status, TudoFlg) "
         "VALUES ('C5', '2004-04-20', 'K009', '2004-04-20', '2004-05-10', 1, 1)");
    Exec("INSERT INTO Stock_Close(No, \"Date\", SupplierCode, CloseDate, CollectDate, Status, TudoFlg) "
         "VALUES ('Z1', '2004-04-25', 'P001', '2004-04-25', '2004-05-31', 1, 1)");
    const QString noInfo = m_folder + QStringLiteral("/NoInfo.dat");
    const auto rowOf = [](const CReportList& list, const char* number) {
        for (int row = 0; row < list.RowCount(); ++row)
            if (TextOf(list.RecordAt(row), "No") == QLatin1String(number))
                return row;
        ADD_FAILURE() << "no row " << number;
        return -1;
    };
    const auto form = [&rowOf](CReportList& list, const char* number, int formId, const QString& file) {
        COneRecord* record = list.RecordAt(rowOf(list, number));
        record->SetField(QStringLiteral("FormID"), formId);
        record->SetField(QStringLiteral("HeaderID"), 31);
        record->SetField(QStringLiteral("FileName"), file);
    };
    using Run = std::function<void(CClosingController&, CReportList&, CRecordingScreen&)>;
    const CHeard closeAll{
        QStringLiteral("Ask リスト上のすべての取引先の請求を締め切り、請求書を発行します。よろしいですか？"),
        MB_OKCANCEL, MB_ICONQUESTION};
    const CHeard issueNext{QStringLiteral("Ask 締め切りました。引き続き締め請求書を発行しますか？"), MB_YESNO,
                           MB_ICONQUESTION};
    const CHeard undoAsked{
        QStringLiteral("Ask ！！！ご注意！！！\n\n選択した締め処理を取り消しますか？\n※この請求"
                       "よりあとに締め請求がある場合は、その締め請求の前回請求額及び繰越額が"
                       "変わります。よろしいですか？"),
        MB_OKCANCEL, MB_ICONEXCLAMATION, IDCANCEL};
    const CHeard noRecords{QStringLiteral("Tell 処理対象のレコードがありません")};
    const struct Case {
        const char* what;
        int mode;
        std::function<void()> before; // before the list is read
        Run run;
        QList<int> answers;      // the screen's
        QList<int> otherAnswers; // the services' below it
        QList<CHeard> heard;
    } cases[] = {
        {"mark settles",
         12,
         {},
         [&](auto& c, auto& l, auto&) { c.OnMarkClick(rowOf(l, "C1")); },
         {IDCANCEL},
         {},
         {{QStringLiteral("Ask 入金済みにしますか？※入金済みにしても入金データは変更されません。"),
           MB_OKCANCEL, MB_ICONNONE, IDCANCEL}}},
        {"mark unsettles a payment",
         13,
         {},
         [&](auto& c, auto& l, auto&) { c.OnMarkClick(rowOf(l, "Z1")); },
         {IDCANCEL},
         {},
         {{QStringLiteral("Ask 未出金に変更にしますか？※未出金にしても出金データは変更されません。"),
           MB_OKCANCEL, MB_ICONNONE, IDCANCEL}}},
        {"close, no rows",
         8,
         {},
         [](auto& c, auto& l, auto&) {
             l.ClearRows();
             c.OnCloseAndPrint();
         },
         {},
         {},
         {noRecords}},
        {"close all", 8, {}, [](auto& c, auto&, auto&) { c.OnCloseAndPrint(); }, {IDCANCEL}, {}, {closeAll}},
        {"close the selected",
         8,
         {},
         [](auto& c, auto&, auto& s) {
             s.m_selected = {1};
             c.OnCloseAndPrint();
         },
         {IDCANCEL},
         {},
         {{QStringLiteral("Ask 選択された取引先の請求を締め切り、請求書を発行します。よろしいですか？"),
           MB_OKCANCEL, MB_ICONQUESTION}}},
        {"number file unreadable",
         8,
         [&] {
             QFile file(noInfo);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             ASSERT_EQ(file.write(QByteArray("\x01\x00\xff\xff\x01\x00", 6)), 6);
         },
         [](auto& c, auto&, auto&) { c.OnCloseAndPrint(); },
         {IDOK},
         {IDNO}, // the damaged file is kept
         {closeAll,
          {QStringLiteral(
               "Tell 請求書の番号を読み込めなかったため、締め処理を行いませんでした。\n番号の設定ファイル"
               "<%1>を読み込めません。「設定」－「伝票番号の設定」で番号を設定し直してから、もう一度締"
               "めてください。")
               .arg(noInfo),
           MB_OK, MB_ICONEXCLAMATION}}},
        {"numbers not saved",
         9,
         [&] { ASSERT_TRUE(QDir().mkpath(noInfo + QStringLiteral("/blocked"))); },
         [](auto& c, auto&, auto&) { c.OnCloseAndPrint(); },
         {IDOK},
         {},
         {closeAll,
          {QStringLiteral(
               "Tell 支払明細書の番号を保存できなかったため、締め処理を行いませんでした。\n番号の設定ファ"
               "イル<%1>に書き込めるか（ディスクの空き容量や書き込みの権限）を確認してから、もう一度締め"
               "てください。")
               .arg(noInfo),
           MB_OK, MB_ICONEXCLAMATION}}},
        {"a fresh counter numbers on",
         8,
         [this] {
             Exec("INSERT INTO Sales_Close(No, \"Date\", CustomerCode, CloseDate, CollectDate, Status, "
                  "TudoFlg) "
                  "VALUES ('000007', '2004-04-20', 'K009', '2004-04-20', '2004-05-10', 0, 1)");
         },
         [](auto& c, auto&, auto&) { c.OnCloseAndPrint(); },
         {IDOK, IDNO},
         {},
         {closeAll,
          {QStringLiteral(
               "Tell 番号の設定ファイル<%1>に請求書の番号がなかったため、締め済みの請求書の番号「000007」"
               "の次の「000008」から番号を付けます。")
               .arg(noInfo),
           MB_OK, MB_ICONINFORMATION},
          issueNext}},
        {"a partner changed since loading",
         8,
         {},
         [this](auto& c, auto&, auto&) {
             Exec("INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, "
                  "Tax, "
                  "Total, SeikyuID) VALUES ('S8', '2004-05-20', 'K001', 0, 1, 50000000, 50000000, 0, "
                  "50000000, 0)");
             c.OnCloseAndPrint();
         },
         {IDOK, IDNO},
         {},
         {closeAll,
          {QStringLiteral(
               "Tell 次の取引先は一覧を読み込んだ後に伝票または入金が変わったため、締めませんでした。一覧"
               "を読み込み直します。\nK001 青葉商事"),
           MB_OK, MB_ICONEXCLAMATION},
          issueNext}},
        {"invoices, no rows",
         8,
         {},
         [](auto& c, auto& l, auto&) {
             l.ClearRows();
             c.IssueInvoices({});
         },
         {},
         {},
         {noRecords}},
        {"invoices of an open row",
         8,
         {},
         [](auto& c, auto&, auto&) { c.IssueInvoices({0}); },
         {},
         {},
         {{QStringLiteral("Tell 締め済みになっていないデータを選択しています")}}},
        {"per-slip invoices",
         12,
         {},
         [&](auto& c, auto& l, auto&) { c.IssueInvoices({rowOf(l, "C1")}); },
         {IDCANCEL},
         {},
         {{QStringLiteral("Ask 都度請求書を印刷します。よろしいですか？"), MB_OKCANCEL, MB_ICONQUESTION}}},
        {"invoice work tables not written",
         12,
         {},
         [&](auto& c, auto& l, auto&) {
             Exec("DROP TABLE WShime_B");
             c.IssueInvoices({rowOf(l, "C5")});
         },
         {},
         {},
         {{QStringLiteral("Tell 伝票の作成に失敗しました。no such table: WShime_B")}}},
        {"undo asked", 12, {}, [](auto& c, auto&, auto&) { c.OnCancelClose(); }, {IDCANCEL}, {}, {undoAsked}},
        {"undo, no rows",
         12,
         {},
         [](auto& c, auto& l, auto&) {
             l.ClearRows();
             c.OnCancelClose();
         },
         {IDOK},
         {},
         {undoAsked, noRecords}},
        {"undo, none selected",
         12,
         {},
         [](auto& c, auto&, auto&) { c.OnCancelClose(); },
         {IDOK},
         {},
         {undoAsked, {QStringLiteral("Say 処理を取り消すレコードを選択してください")}}},
        {"undo of open rows",
         8,
         {},
         [](auto& c, auto&, auto& s) {
             s.m_selected = {0, 1};
             c.OnCancelClose();
         },
         {IDOK},
         {},
         {undoAsked, {QStringLiteral("Tell 締め済みになっていないデータを選択しています。")}}},
        {"undo of per-slip invoices",
         12,
         {},
         [&](auto& c, auto& l, auto& s) {
             s.m_selected = {rowOf(l, "C1"), rowOf(l, "C2")};
             c.OnCancelClose();
         },
         {IDOK},
         {},
         {undoAsked,
          {QStringLiteral(
              "Tell 都度請求が含まれていますが、都度請求書の取り消しはここからはできません。売上伝票一覧"
              "から伝票の削除を行ってください。")}}},
        {"undo of a paid closing",
         12,
         {},
         [&](auto& c, auto& l, auto& s) {
             s.m_selected = {rowOf(l, "C5")};
             c.OnCancelClose();
         },
         {IDOK},
         {},
         {undoAsked,
          {QStringLiteral(
              "Tell すでに入金済みのデータを選択しています。締め処理を取り消しても入金データはそのままで"
              "すのでご注意ください。")}}},
        {"reprint, none selected",
         12,
         {},
         [](auto& c, auto&, auto&) { c.OnReprintInvoices(); },
         {},
         {},
         {{QStringLiteral("Say 印刷するデータを選択してください。")}}},
        {"labels, none selected",
         12,
         {},
         [](auto& c, auto&, auto&) { c.OnAddressPrint(); },
         {},
         {},
         {{QStringLiteral("Say データを選択してください。")}}},
        {"a form deleted",
         12,
         {},
         [&](auto& c, auto& l, auto&) {
             form(l, "C1", 60099, QStringLiteral("a.vrf"));
             QList<int> rows{rowOf(l, "C1")};
             c.PrintByForm(rows);
         },
         {},
         {},
         {{QStringLiteral(
             "Tell 伝票番号：C1　得意先名：青葉商事\n\n上記の伝票は、オリジナルフォームが削除されたため"
             "印刷できません。\n")}}},
        {"no form",
         12,
         {},
         [&](auto& c, auto& l, auto&) {
             QList<int> rows{rowOf(l, "C1")};
             c.PrintByForm(rows);
         },
         {},
         {},
         {{QStringLiteral("Tell 印刷フォームの情報が取得できませんでした。")}}},
        {"forms differ",
         12,
         {},
         [&](auto& c, auto& l, auto&) {
             form(l, "C1", 201, QStringLiteral("a.vrf"));
             form(l, "C2", 203, QStringLiteral("b.vrf"));
             QList<int> rows{rowOf(l, "C1"), rowOf(l, "C2")};
             c.PrintByForm(rows);
         },
         {IDNO},
         {},
         {{QStringLiteral(
              "Tell 選択した得意先の印刷フォームが異なります。\nフォーム別に起動します。\nフォーム別に印"
              "刷をしてください。\n")},
          {QStringLiteral("Ask 次の印刷フォームを起動しますか？"), MB_YESNO, MB_ICONQUESTION}}},
        {"the hand-over refused",
         12,
         {},
         [&](auto& c, auto& l, auto&) {
             form(l, "C1", 201, QStringLiteral("a\U0001F600.vrf"));
             QList<int> rows{rowOf(l, "C1")};
             c.PrintByForm(rows);
         },
         {},
         {},
         {{QStringLiteral("Tell クリップボードにデータ転送できないため、印刷できません。")}}},
    };
    CFirstForm forms;
    const ProcessLauncher old = SetProcessLauncher([](const QString&, const QString&) { return true; });
    CMakeMsgID& db = m_frame->GetMakeMsgID();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case is undone with the transaction it runs in, and its
        // number file removed after it: the next counter starts afresh.
        QString err;
        ASSERT_EQ(db.BeginTransaction(err), 1);
        if (c.before)
            c.before();
        CReportList list;
        list.SetMode(c.mode);
        list.m_cond.periodShape = 3; // the billed lists: every closing
        CReportColumnParams columns;
        columns.mode = c.mode;
        columns.unitWidth = 60;
        list.Columns() = BuildReportColumns(columns);
        CRecordingScreen screen(db, &list);
        CClosingController closing(screen, list);
        closing.Load();
        screen.RefreshList();
        ASSERT_GT(list.RowCount(), 0);
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers(c.otherAnswers);
        screen.m_answers = c.answers;
        c.run(closing, list, screen);
        EXPECT_EQ(screen.m_heard, c.heard);
        EXPECT_TRUE(screen.m_answers.isEmpty());
        EXPECT_EQ(m_ui.Prompt().PendingAnswers(), 0);
        for (const CHeard& heard : c.heard)
            EXPECT_FALSE(m_ui.Prompt().Texts().contains(heard.text.section(u' ', 1)))
                << heard.text.toStdString();
        ASSERT_EQ(db.Rollback(err), 1);
        ASSERT_TRUE(QFile::remove(noInfo) || QDir(noInfo).removeRecursively() || !QFileInfo::exists(noInfo));
    }
    SetProcessLauncher(old);
    m_ui.Prompt().Clear();
}
