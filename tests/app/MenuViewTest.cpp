#include "AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "app/menu/MenuBitmaps.h"
#include "app/menu/MenuPictures.h"
#include "app/menu/MenuPopups.h"
#include "app/menu/TollavineView.h"
#include "platform/archive/AutFile.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "settings/CompanyInfo.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

void AddDay(CCDSData& set, const QDate& date, int bill, int pay, int in, int out)
{
    COneRecord* r = set.AddNew();
    r->SetField(QStringLiteral("日付"), date);
    r->SetField(QStringLiteral("締め請求"), bill);
    r->SetField(QStringLiteral("締め支払"), pay);
    r->SetField(QStringLiteral("入金"), in);
    r->SetField(QStringLiteral("出金"), out);
}

bool AnyMark(const CMenuCalendar& calendar)
{
    for (int d = 0; d < CMenuCalendar::kDays; ++d)
        for (int c = 0; c < CMenuCalendar::kColumns; ++c)
            if (calendar.Mark(c, d) != 0)
                return true;
    return false;
}

class MenuViewTest : public ::testing::Test
{
  protected:
    void SetUp() override { m_ui.Clock().SetToday(QDate(2024, 1, 20)); }

    // The menu screen as the frame shows it: through its view switch.
    CTollavineView* ShowMenu()
    {
        m_frame.SetViewKind(48);
        m_frame.SwitchView(0);
        return qobject_cast<CTollavineView*>(m_frame.GetActiveView());
    }

    // 15 January to 14 February 2024; something due on 31 January.
    void SetPeriodWithMarks()
    {
        m_frame.SetPeriod(QDate(2024, 1, 15), QDate(2024, 2, 14));
        m_frame.m_CalendarData.RemoveAll();
        AddDay(m_frame.m_CalendarData, QDate(2024, 1, 31), 1, 0, 0, 2);
        AddDay(m_frame.m_CalendarData, QDate(2024, 2, 1), 0, 3, 0, 0);
    }

    static void Mouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButton button)
    {
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }

    static void Click(QWidget* widget, const QPoint& at)
    {
        Mouse(widget, QEvent::MouseMove, at, Qt::NoButton);
        Mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
        Mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton);
    }

    // The frame's popup on show, closed again; -1 for none.
    int ShownPopup()
    {
        int shown = -1;
        for (int n = 0; n < 30; ++n) {
            if (MenuScreenPopup(m_frame, n)->isVisible()) {
                shown = n;
                MenuScreenPopup(m_frame, n)->hide();
            }
        }
        return shown;
    }

    ScopedFakeUi m_ui;
    CMainFrame m_frame;
};

TEST_F(MenuViewTest, StartupPictureThenMenuScreen)
{
    m_frame.m_nCalendarScrollPos = 3;
    CTollavineView* view = ShowMenu();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(m_frame.windowTitle(), QStringLiteral("Corvanta／販売メニュー"));
    // Not connected yet: the caption-less start-up picture, no calendar.
    EXPECT_TRUE(m_frame.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(view->size(), MenuBitmap::Size(MenuBitmap::kStartup));
    EXPECT_EQ(view->ScrollBar(), nullptr);
    EXPECT_FALSE(view->Layout().IsCalculated());

    SetPeriodWithMarks();
    ShowMenuScreen(view);
    EXPECT_FALSE(m_frame.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(view->size(), QSize(750, 500));
    EXPECT_EQ(m_frame.minimumSize(), m_frame.maximumSize());
    QScrollBar* bar = view->ScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry().right(), 738);
    EXPECT_EQ(bar->geometry().top(), 54);
    EXPECT_EQ(bar->geometry().bottom(), 492);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 16);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_EQ(view->Calendar().FirstRow(), 3);
    EXPECT_EQ(view->Calendar().Mark(0, 16), 1);

    // Shown again (a second connection report): still one scroll bar.
    ShowMenuScreen(view);
    EXPECT_EQ(view->findChildren<QScrollBar*>().size(), 1);
    EXPECT_EQ(view->ScrollBar(), bar);

    // Scrolling keeps the frame's position, which the next menu screen takes.
    bar->setValue(40);
    EXPECT_EQ(view->Calendar().FirstRow(), 16);
    EXPECT_EQ(m_frame.m_nCalendarScrollPos, 16);
    bar->setValue(11);
    EXPECT_EQ(m_frame.m_nCalendarScrollPos, 11);
    // A line moves the calendar by one day, a page by three.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view->Calendar().FirstRow(), 12);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(view->Calendar().FirstRow(), 9);
    EXPECT_EQ(m_frame.m_nCalendarScrollPos, 9);
}

TEST_F(MenuViewTest, ClickingAMarkOpensItsScreen)
{
    SetPeriodWithMarks();
    m_frame.m_nCalendarScrollPos = 10;
    QPointer<CTollavineView> view = ShowMenu();
    ASSERT_TRUE(view);
    const CMenuLayout& layout = view->Layout();
    // 31 January is day 16, row 6 of the rows from day 10.
    const int row = 6;

    // A cell without a mark does nothing.
    Click(view, layout.Cell(row * 4 + 1).center());
    EXPECT_EQ(m_frame.GetViewKind(), 0);
    // Pressed on one mark and released on another does nothing either.
    Mouse(view, QEvent::MouseMove, layout.Cell(row * 4).center(), Qt::NoButton);
    EXPECT_EQ(view->Tracker().Hover(CMenuButtonTracker::Cell), row * 4);
    EXPECT_EQ(view->cursor().shape(), Qt::PointingHandCursor);
    Mouse(view, QEvent::MouseButtonPress, layout.Cell(row * 4).center(), Qt::LeftButton);
    Mouse(view, QEvent::MouseMove, layout.Cell(row * 4 + 3).center(), Qt::NoButton);
    Mouse(view, QEvent::MouseButtonRelease, layout.Cell(row * 4 + 3).center(), Qt::LeftButton);
    EXPECT_EQ(m_frame.GetViewKind(), 0);

    // The customers' closing for the month end.
    Click(view, layout.Cell(row * 4).center());
    EXPECT_EQ(m_frame.GetViewKind(), 8);
    EXPECT_EQ(m_frame.m_dtCalendarDate, QDate(2024, 1, 31));
    EXPECT_EQ(m_frame.m_nCalendarCloseDay, 99);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view);

    // Back on the menu screen the calendar is where it was; the payments
    // schedule, and the suppliers' closing of the 1st on the next row.
    m_frame.SwitchView(0);
    view = qobject_cast<CTollavineView*>(m_frame.GetActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->Calendar().FirstRow(), 10);
    Click(view, view->Layout().Cell(row * 4 + 3).center());
    EXPECT_EQ(m_frame.GetViewKind(), 11);
    EXPECT_EQ(m_frame.m_dtCalendarDate, QDate(2024, 1, 31));
    EXPECT_EQ(m_frame.m_nCalendarCloseDay, 99);
    view = ShowMenu();
    Click(view, view->Layout().Cell((row + 1) * 4 + 1).center());
    EXPECT_EQ(m_frame.GetViewKind(), 9);
    EXPECT_EQ(m_frame.m_dtCalendarDate, QDate(2024, 2, 1));
    EXPECT_EQ(m_frame.m_nCalendarCloseDay, 1);
}

TEST_F(MenuViewTest, MonthButtonsReloadFromTheDatabase)
{
    // A month-end customer with an unbilled slip of 5 January.
    QTemporaryDir dir;
    QString err;
    ASSERT_EQ(
        CMakeMsgID::CreateDatabase(CMakeMsgID::DatabasePath(dir.path()), QDateTime::currentDateTime(), err),
        1);
    ASSERT_EQ(m_frame.GetMakeMsgID().Open(dir.path(), err), 1);
    CCDSData set;
    set.m_strTable = TB_CUSTOMER;
    set.AddNew()->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C99"));
    set.GetAt(0)->SetField(QStringLiteral("Customer.Day"), 99);
    ASSERT_EQ(m_frame.GetMakeMsgID().InsertData(set, err), 1);
    set.Clear();
    set.m_strTable = TB_SALES_H;
    COneRecord* slip = set.AddNew();
    slip->SetField(QStringLiteral("Sales_H.CustomerCode"), QStringLiteral("C99"));
    slip->SetField(QStringLiteral("Sales_H.Date"), QDate(2024, 1, 5));
    slip->SetField(QStringLiteral("Sales_H.SeikyuID"), 0);
    ASSERT_EQ(m_frame.GetMakeMsgID().InsertData(set, err), 1);

    m_frame.SetCurrentPeriod();
    ASSERT_TRUE(m_frame.ReloadCalendar());
    CTollavineView* view = ShowMenu();
    const QDate today = m_frame.GetPeriodStart();
    EXPECT_EQ(view->Calendar().Mark(0, int(today.daysTo(QDate(2024, 1, 31)))), 1);

    // On the default period the middle button does nothing.
    EXPECT_EQ(view->ClickCalButton(1), 1);
    EXPECT_EQ(m_frame.GetPeriodStart(), today);

    view->ClickCalButton(2);
    EXPECT_EQ(m_frame.GetPeriodStart(), QDate(2024, 2, 1));
    EXPECT_EQ(m_frame.GetPeriodEnd(), QDate(2024, 2, 29));
    EXPECT_EQ(view->ScrollBar()->maximum(), 14);
    EXPECT_EQ(view->Calendar().Mark(0, 28), 1);
    EXPECT_EQ(view->Calendar().Mark(0, 0), 0);

    view->ClickCalButton(0);
    EXPECT_EQ(m_frame.GetPeriodStart(), QDate(2024, 1, 1));
    EXPECT_EQ(m_frame.GetPeriodEnd(), QDate(2024, 1, 31));
    EXPECT_EQ(view->Calendar().Mark(0, 30), 1);

    // The middle button returns to the default period.
    view->ClickCalButton(1);
    EXPECT_EQ(m_frame.GetPeriodStart(), today);
    EXPECT_EQ(view->Calendar().Mark(0, int(today.daysTo(QDate(2024, 1, 31)))), 1);

    // A reload that fails leaves no marks on the new month.
    m_frame.GetMakeMsgID().Close();
    view->ClickCalButton(2);
    EXPECT_EQ(m_frame.GetPeriodStart(), QDate(2024, 2, 1));
    EXPECT_FALSE(AnyMark(view->Calendar()));
    EXPECT_EQ(view->ScrollBar()->maximum(), 14);
}

TEST_F(MenuViewTest, PaintsMarksOnTheirRows)
{
    SetPeriodWithMarks();
    m_frame.m_strDatabaseName = QStringLiteral("株式会社テスト商事");
    CTollavineView* view = ShowMenu();
    const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage ground =
        CMenuPictures::Instance().Picture(MenuBitmap::kBackground).convertToFormat(QImage::Format_RGB32);
    auto same = [&](const QRect& rect) { return shown.copy(rect) == ground.copy(rect); };
    const CMenuLayout& layout = view->Layout();
    // 31 January is row 16 of the period: with the first row at 0 it is not
    // visible; scrolled to 10 it is row 6.
    for (int cell = 0; cell < 60; ++cell)
        EXPECT_TRUE(same(layout.Cell(cell))) << cell;
    EXPECT_FALSE(same(layout.DbName()));
    EXPECT_FALSE(same(layout.File(0)));

    view->ScrollBar()->setValue(10);
    const QImage scrolled = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto marked = [&](int cell) {
        return scrolled.copy(layout.Cell(cell)) != ground.copy(layout.Cell(cell));
    };
    EXPECT_TRUE(marked(6 * 4 + 0));
    EXPECT_FALSE(marked(6 * 4 + 1));
    EXPECT_TRUE(marked(6 * 4 + 3));
    EXPECT_TRUE(marked(7 * 4 + 1));
    EXPECT_FALSE(marked(5 * 4 + 0));
}

// The purchase side's buttons are only reachable through its tab.
TEST_F(MenuViewTest, TabsSwitchBetweenTheSalesAndThePurchaseSide)
{
    ASSERT_EQ(m_frame.BuildMenuScreenPopups(), 1);
    SetPeriodWithMarks();
    CTollavineView* view = ShowMenu();
    const CMenuLayout& layout = view->Layout();
    const QRect salesSix = layout.File(6);
    // Within the purchase side's eighth button, right of the sales side's seventh.
    const QPoint purchaseSeven(layout.File(7).right() - 2, layout.File(7).center().y());
    ASSERT_FALSE(salesSix.contains(purchaseSeven));

    // The sales side: seven buttons, the eighth place opens nothing.
    Click(view, purchaseSeven);
    EXPECT_EQ(ShownPopup(), -1);
    Click(view, layout.File(6).center());
    EXPECT_EQ(ShownPopup(), 11);
    // The current page's tab does not react.
    Mouse(view, QEvent::MouseMove, layout.Tab(0).center(), Qt::NoButton);
    EXPECT_NE(view->cursor().shape(), Qt::PointingHandCursor);
    Click(view, layout.Tab(0).center());
    EXPECT_EQ(layout.Page(), 0);

    // Pressed on the other tab but released elsewhere: still the sales side.
    Mouse(view, QEvent::MouseMove, layout.Tab(1).center(), Qt::NoButton);
    EXPECT_EQ(view->cursor().shape(), Qt::PointingHandCursor);
    Mouse(view, QEvent::MouseButtonPress, layout.Tab(1).center(), Qt::LeftButton);
    Mouse(view, QEvent::MouseMove, layout.File(0).center(), Qt::NoButton);
    Mouse(view, QEvent::MouseButtonRelease, layout.File(0).center(), Qt::LeftButton);
    EXPECT_EQ(layout.Page(), 0);
    EXPECT_EQ(ShownPopup(), -1);

    Click(view, layout.Tab(1).center());
    EXPECT_EQ(layout.Page(), 1);
    EXPECT_EQ(layout.File(6), salesSix.translated(-50, 0));
    EXPECT_EQ(view->Tracker().Count(CMenuButtonTracker::File), 8);
    const int purchase[8] = {0, 2, 5, 6, 9, 10, 12, 13};
    for (int i = 0; i < 8; ++i) {
        Click(view, layout.File(i).center());
        EXPECT_EQ(ShownPopup(), purchase[i]) << i;
    }
    // A later layout (the menu screen shown again) keeps the page.
    ShowMenuScreen(view);
    EXPECT_EQ(layout.Page(), 1);
    EXPECT_EQ(layout.File(6), salesSix.translated(-50, 0));

    Click(view, layout.Tab(0).center());
    EXPECT_EQ(layout.Page(), 0);
    EXPECT_EQ(layout.File(6), salesSix);
    Click(view, purchaseSeven);
    EXPECT_EQ(ShownPopup(), -1);
}

TEST_F(MenuViewTest, BottomRowOpensTheToolPopupsAndExits)
{
    ASSERT_EQ(m_frame.BuildMenuScreenPopups(), 1);
    SetPeriodWithMarks();
    CTollavineView* view = ShowMenu();
    for (int i = 0; i < 5; ++i) {
        Click(view, view->Layout().Bottom(i).center());
        EXPECT_EQ(ShownPopup(), 25 + i) << i;
    }

    // The exit button asks the (connected) frame to close, so its closing
    // rules apply.
    m_frame.m_nConnectID = 7;
    QList<int> backups;
    CMainFrame::SetBackupHandler([&backups](CMainFrame&, int mode) {
        backups << mode;
        return 1;
    });
    Click(view, view->Layout().Bottom(5).center());
    EXPECT_TRUE(m_frame.isVisible());
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(m_frame.isVisible());
    EXPECT_EQ(backups, QList<int>{2});
    CMainFrame::SetBackupHandler({});
}

TEST_F(MenuViewTest, DatabaseListSwitchesDatabases)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("甲社"), QStringLiteral("a")).isEmpty());
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("乙社"), QStringLiteral("b")).isEmpty());
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("丙社"), QStringLiteral("c")).isEmpty());
    ASSERT_EQ(CDBDirMng().SetNowDB(QStringLiteral("乙社")), 1);
    m_frame.m_strDatabaseName = QStringLiteral("乙社");
    SetPeriodWithMarks();
    CTollavineView* view = ShowMenu();

    EXPECT_EQ(view->ClickBtn(QPoint(100, 100), 6), 1);
    QMenu* list = view->DatabaseMenu();
    ASSERT_NE(list, nullptr);
    QStringList texts;
    for (QAction* item : list->actions())
        texts << item->text() + (item->isChecked() ? QStringLiteral("*") : QString());
    EXPECT_EQ(texts, QStringList({QStringLiteral("甲社"), QStringLiteral("乙社*"), QStringLiteral("丙社")}));
    EXPECT_EQ(view->PopupIds().keys(), QList<int>({108, 109, 110}));
    list->hide();

    // The current database: nothing is asked.
    QStringList switched;
    CTollavineView::SetDatabaseSwitcher([&switched](CMainFrame&, const QString& name) {
        switched << name;
        return 1;
    });
    m_frame.ExecuteCommand(109);
    EXPECT_TRUE(m_ui.Prompt().Calls().isEmpty());
    // Another one: asked, and No keeps the current one.
    m_ui.Prompt().QueueAnswers({IDNO});
    m_frame.ExecuteCommand(110);
    ASSERT_EQ(m_ui.Prompt().Calls().size(), 1);
    EXPECT_EQ(m_ui.Prompt().Calls()[0].text, QStringLiteral("「丙社 」に切り替えますか？"));
    EXPECT_EQ(m_ui.Prompt().Calls()[0].buttons, MB_YESNO);
    EXPECT_EQ(m_ui.Prompt().Calls()[0].icon, MB_ICONQUESTION);
    EXPECT_TRUE(switched.isEmpty());
    // Yes switches and shows the new name and period.
    m_ui.Prompt().QueueAnswers({IDYES});
    m_frame.ExecuteCommand(108);
    EXPECT_EQ(switched, QStringList{QStringLiteral("甲社")});
    EXPECT_EQ(m_frame.GetDatabaseName(), QStringLiteral("甲社"));
    EXPECT_EQ(m_frame.GetPeriodStart(), QDate(2024, 1, 20));
    CCmdUI ui = m_frame.QueryCommandState(108);
    EXPECT_TRUE(ui.checked);
    ui = m_frame.QueryCommandState(109);
    EXPECT_FALSE(ui.checked);
    CTollavineView::SetDatabaseSwitcher(nullptr);
}

TEST_F(MenuViewTest, MovedCalendarStartResetsTheCalendarEvenWhenTheReloadFails)
{
    CAppHome home; // no current database: the reload and the save both fail
    ASSERT_TRUE(home.IsReady());
    SetPeriodWithMarks();
    m_frame.m_nCalendarScrollPos = 10;
    CTollavineView* view = ShowMenu();
    ASSERT_TRUE(AnyMark(view->Calendar()));

    CEnvSettings settings = m_frame.GetEnvSettings();
    settings.m_nCalendarStartDays = 7;
    m_frame.ApplyEnvSettings(settings);
    EXPECT_NE(m_frame.GetPeriodStart(), QDate(2024, 1, 15));
    EXPECT_FALSE(AnyMark(view->Calendar()));
    EXPECT_EQ(view->Calendar().FirstRow(), 0);
    EXPECT_EQ(view->ScrollBar()->value(), 0);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList({QStringLiteral("カレンダーのデータ取得に失敗しました。"),
                           QStringLiteral("設定情報の保存に失敗しました。\n使用中のデータベースの"
                                          "フォルダーが見つかりません。")}));
}

} // namespace

TEST_F(MenuViewTest, SettingsPopupOpensTheCompanyDialogs)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    const QString folder = home.AddCurrentDatabase(QStringLiteral("甲社"), QStringLiteral("db"), true);
    ASSERT_FALSE(folder.isEmpty());
    ShowMenu();

    // The runner plays the user: changes one value and presses OK.
    QStringList opened;
    ScopedModalRunner runner([&opened](QDialog& dialog) {
        opened << dialog.windowTitle();
        if (auto* company = dialog.findChild<QLineEdit*>(QStringLiteral("field0")))
            company->setText(QStringLiteral("株式会社甲"));
        if (auto* closeDay = dialog.findChild<QComboBox*>(QStringLiteral("closeDay")))
            closeDay->setCurrentIndex(6);
        dialog.accept();
        return dialog.result();
    });
    m_frame.ExecuteCommand(32780);
    m_frame.ExecuteCommand(32788);
    EXPECT_EQ(opened, QStringList({QStringLiteral("自社情報の設定"), QStringLiteral("販売条件の設定")}));
    EXPECT_TRUE(m_ui.Prompt().Calls().isEmpty());
    EXPECT_EQ(ReadAutFile(folder + QStringLiteral("/Other/CloseDay.aut"), nullptr), QStringLiteral("25"));
    EXPECT_EQ(ReadCompanyInfoItem(0), QStringLiteral("株式会社甲"));
    // The first opening took the new database's marker away.
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/FTtemp.dat")));

    // Opened again, the dialogs show what was saved.
    QStringList shown;
    ScopedModalRunner again([&shown](QDialog& dialog) {
        if (auto* company = dialog.findChild<QLineEdit*>(QStringLiteral("field0")))
            shown << company->text();
        if (auto* closeDay = dialog.findChild<QComboBox*>(QStringLiteral("closeDay")))
            shown << closeDay->currentText();
        dialog.reject();
        return dialog.result();
    });
    m_frame.ExecuteCommand(32780);
    m_frame.ExecuteCommand(32788);
    EXPECT_EQ(shown, QStringList({QStringLiteral("株式会社甲"), QStringLiteral("毎月25日締")}));
}
