#include "AppHome.h"

#include "app/FindDialog.h"
#include "app/MainFrame.h"
#include "app/ManagerLink.h"
#include "app/View.h"
#include "app/ViewRegistry.h"
#include "app/menu/TollavineView.h"
#include "master/MasterModule.h"
#include "master/MasterView.h"
#include "platform/data/DbManager.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Schema.h"
#include "platform/data/TableNames.h"
#include "platform/forms/FormsTestUtil.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"
#include "resources/Menus.h"
#include "settings/DbTestSupport.h"
#include "settings/db/Restore.h"
#include "slips/HeaderView.h"
#include "slips/SlipsModule.h"
#include "support/EarlierBuilds.h"

#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>

#include <sqlite3.h>

namespace
{

const QString kTitle = QStringLiteral("Corvanta／販売");

// Runs the queued calls and deferred deletions that are due; no waiting.
void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A manager that answers the connect request from the script.
struct CLinkScript {
    int answer = 1;
    QStringList log;
};

class CFakeLink : public IManagerLink
{
  public:
    explicit CFakeLink(CLinkScript& script) : m_script(script) {}
    bool Start() override { return true; }
    int Register() override { return 7; }
    int Connect(int id) override
    {
        m_script.log << QStringLiteral("connect %1").arg(id);
        m_connected = m_script.answer == 1;
        return m_script.answer;
    }
    int Release(int id) override
    {
        m_script.log << QStringLiteral("release %1").arg(id);
        return 1;
    }
    int Unregister(int id) override
    {
        m_script.log << QStringLiteral("unregister %1").arg(id);
        return 1;
    }
    bool IsConnected() const override { return m_connected; }
    void SetCloseOrderHandler(std::function<void()>) override {}

  private:
    CLinkScript& m_script;
    bool m_connected = false;
};

// Records the backups asked for and answers from a script.
struct CBackupScript {
    int result = 1;
    QList<int> modes;
    CBackupScript()
    {
        CMainFrame::SetBackupHandler([this](CMainFrame&, int mode) {
            modes << mode;
            return result;
        });
    }
    ~CBackupScript() { CMainFrame::SetBackupHandler({}); }
};

std::unique_ptr<CMainFrame> StartFrame(CMainFrame::ManagerLinkFactory factory = {})
{
    auto frame = std::make_unique<CMainFrame>(std::move(factory));
    if (!frame->Create())
        return nullptr;
    frame->show();
    Pump();
    return frame;
}

// The entry of a menu-screen popup that sends `id`; null when none does.
QAction* PopupEntry(QMenu* popup, int id)
{
    for (QAction* action : popup->actions()) {
        if (!action->menu() && action->data().toInt() == id)
            return action;
    }
    return nullptr;
}

QList<int> VisibleToolBars(const CMainFrame& frame)
{
    QList<int> ids;
    for (int id : {145, 404, 149, 153, 169, 184, 190, 209, 192, 155, 151, 173, 206, 446, 197, 147}) {
        if (frame.GetToolBar(id) && frame.GetToolBar(id)->isVisible())
            ids << id;
    }
    return ids;
}

TEST(ViewKindTest, TableRowsAndIrregularKinds)
{
    const auto row = [](int kind) {
        const CViewKindInfo info = GetViewKindInfo(kind);
        return QList<int>{int(info.viewClass), info.menuId, info.toolBarId};
    };
    const int menu = int(EViewClass::Menu), master = int(EViewClass::Master),
              header = int(EViewClass::Header), shime = int(EViewClass::Shime);
    EXPECT_EQ(row(0), QList<int>({menu, 0, 0}));
    // Kind 1 shares the menu of 2 and 3 but has a toolbar of its own.
    EXPECT_EQ(row(1), QList<int>({master, 145, 404}));
    EXPECT_EQ(row(3), QList<int>({master, 145, 145}));
    EXPECT_EQ(row(4), QList<int>({header, 147, 147}));
    EXPECT_EQ(row(7), QList<int>({header, 147, 147}));
    EXPECT_EQ(row(9), QList<int>({shime, 149, 149}));
    EXPECT_EQ(row(16), QList<int>({shime, 209, 209}));
    EXPECT_EQ(row(17), QList<int>({shime, 197, 197}));
    EXPECT_EQ(row(22), QList<int>({shime, 173, 173}));
    EXPECT_EQ(row(24), QList<int>({shime, 192, 192}));
    EXPECT_EQ(row(25), QList<int>({shime, 151, 151}));
    EXPECT_EQ(row(33), QList<int>({shime, 155, 155}));
    EXPECT_EQ(row(41), QList<int>({shime, 151, 151}));
    EXPECT_EQ(row(42), QList<int>({shime, 228, 206}));
    EXPECT_EQ(row(44), QList<int>({shime, 206, 206}));
    EXPECT_EQ(row(45), QList<int>({shime, 206, 446}));
    EXPECT_EQ(row(46), QList<int>({shime, 206, 446}));
    EXPECT_EQ(row(48), QList<int>({shime, 151, 151}));
    for (int outside : {-1, 49, 1000})
        EXPECT_EQ(row(outside), QList<int>({menu, 0, 0})) << outside;

    // Every menu bar the table names exists with the five menus, the way
    // back and the settings.
    for (int kind = 1; kind <= kMaxViewKind; ++kind) {
        const QList<CMenuEntry>& entries = GetMenuResource(GetViewKindInfo(kind).menuId);
        QStringList top;
        QList<int> ids;
        int depth = 0;
        for (const CMenuEntry& entry : entries) {
            if (entry.kind == CMenuEntry::PopupBegin && depth++ == 0)
                top << QString::fromUtf8(entry.text);
            if (entry.kind == CMenuEntry::PopupEnd)
                --depth;
            if (entry.kind == CMenuEntry::Command)
                ids << entry.id;
        }
        EXPECT_EQ(depth, 0);
        EXPECT_EQ(top, QStringList({"ﾌｧｲﾙ(&F)", "ﾃﾞｰﾀ(&D)", "設定(&S)", "ﾂｰﾙ(&T)", "ﾍﾙﾌﾟ(&H)"})) << kind;
        EXPECT_TRUE(ids.contains(32913) && ids.contains(33020)) << kind;
    }
}

TEST(MainFrameTest, EveryFailedConnectShowsItsMessageAndCloses)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    const QList<std::pair<int, QString>> cases{
        {50, QStringLiteral("接続済みのデータベースと異なるデータベースに接続しようとしています。\n")},
        {51, QStringLiteral("このデータベースは、ほかで起動している『Corvanta／販売』、または他のユーザーが"
                            "使用しています。\nそちらを終了してから、もう一度起動してください。\n")},
        {52, QStringLiteral("接続すべきデータベースフォルダが不明です。\n")},
        {-2, QStringLiteral("識別IDが登録されていません。\n")},
        {-3, QStringLiteral("データベースへの接続に失敗しました。\n")},
        {-4, QStringLiteral("データベースへの接続に失敗しました。\n")},
        {0, QStringLiteral("何らかの原因でデータベースとの接続に失敗しました。\n")},
        {-1, QStringLiteral("何らかの原因でデータベースとの接続に失敗しました。\n")},
    };
    for (const auto& [answer, text] : cases) {
        ui.Prompt().Clear();
        CLinkScript script;
        script.answer = answer;
        auto frame = StartFrame([&](CMainFrame&) { return std::make_unique<CFakeLink>(script); });
        ASSERT_TRUE(frame);
        EXPECT_EQ(ui.Prompt().Texts(), QStringList{text}) << answer;
        EXPECT_FALSE(frame->isVisible()) << answer;
        // Connected first, then released and unregistered with the id it was given.
        EXPECT_EQ(script.log, QStringList({"connect 7", "release 7", "unregister 7"})) << answer;
    }
    // A database never connected is not backed up at exit.
    EXPECT_TRUE(backup.modes.isEmpty());
}

TEST(MainFrameTest, ConnectedAnswerLoadsPeriodCalendarAndName)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    ui.Clock().SetToday(QDate(2024, 1, 31));
    CBackupScript backup;

    // Answer 1 without an open database and without a current one: both
    // failures are told, and the program stays open.
    {
        CLinkScript script;
        auto frame = StartFrame([&](CMainFrame&) { return std::make_unique<CFakeLink>(script); });
        ASSERT_TRUE(frame);
        EXPECT_EQ(ui.Prompt().Texts(),
                  QStringList({QStringLiteral("カレンダーのデータ取得に失敗しました。"),
                               QStringLiteral("現在のデータベース名取得に失敗しました。")}));
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(frame->GetConnectionID(), 7);
    }

    ui.Prompt().Clear();
    const QString folder = home.AddCurrentDatabase(QStringLiteral("本社"));
    ASSERT_FALSE(folder.isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty()) << ui.Prompt().Texts().join(u'|').toStdString();
    EXPECT_TRUE(frame->IsConnected());
    EXPECT_EQ(frame->GetDatabaseName(), QStringLiteral("本社"));
    EXPECT_EQ(frame->GetPeriodStart(), QDate(2024, 1, 31));
    EXPECT_EQ(frame->GetPeriodEnd(), QDate(2024, 2, 29));
    // The settings file is written with the defaults on first use.
    EXPECT_EQ(QFileInfo(folder + QStringLiteral("/MSettingInfo.dat")).size(), 80);

    // A second manager finds the database held until the frame lets go.
    CMakeMsgID other;
    CDbManager manager(other);
    const int id = manager.Register();
    EXPECT_EQ(manager.Connect(id, folder), CDbManager::kOtherProcess);
    frame->close();
    frame.reset();
    EXPECT_EQ(manager.Connect(id, folder), CDbManager::kDone);
}

// A database file marked read-only opens for showing; the user is told so
// once for the file, naming it, and a write fails in Japanese naming it too.
TEST(MainFrameTest, AReadOnlyFileIsToldOnce)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    const QString folder = home.AddCurrentDatabase(QStringLiteral("本社"));
    ASSERT_FALSE(folder.isEmpty());
    const QString path = CMakeMsgID::DatabasePath(folder);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    auto frame = StartFrame();
    ASSERT_TRUE(frame);
    const QString told = QStringLiteral("データベース<%1>は読み取り専用のため、表示だけができます。\n"
                                        "登録や変更はできません。")
                             .arg(path);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({told}));
    EXPECT_TRUE(frame->IsConnected());
    QString err;
    EXPECT_EQ(frame->GetMakeMsgID().Execute(QStringLiteral("DELETE FROM Customer"), err), 10);
    EXPECT_EQ(err, QStringLiteral("データベース<%1>は読み取り専用のため、書き込めません。").arg(path));
    // Let go and taken again (as around a backup): not told again.
    ASSERT_EQ(frame->ReleaseDatabase(), 1);
    ASSERT_EQ(frame->ConnectDatabase(), 1);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({told}));
    frame->close();
    frame.reset();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// The first opening of a file of an earlier build (an index missing, no
// booked balances) shows the wait dialog a step at a time, closed before the
// program goes on; the next opening has nothing to do and shows nothing.
// The last build of version 1 wrote the file: the first step makes the
// missing index, the second the balances, the third the four partner
// indexes without the closing, and the steps after version 4 what they
// make.
TEST(MainFrameTest, AnEarlierBuildsFileIsBroughtUpToDateUnderTheWaitDialog)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    const QString folder = home.AddCurrentDatabase(QStringLiteral("本社"));
    ASSERT_FALSE(folder.isEmpty());
    ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kVersion1, folder));
    ASSERT_TRUE(
        EarlierBuilds::OnFile(CMakeMsgID::DatabasePath(folder),
                              {QStringLiteral("DROP INDEX ix_sales_b_item; DROP TABLE Sales_Booked; DROP "
                                              "TABLE Stock_Booked; DROP TRIGGER tr_sales_h_booked_ins")}));
    const int parts = 1 + 1 + 4 + EarlierBuilds::WorkOf(EarlierBuilds::kVersion4).parts;
    QStringList work{QStringLiteral("Begin データベースを新しい形式に更新しています。\n"
                                    "しばらくお待ちください。 %1")
                         .arg(parts)};
    for (int i = 1; i <= parts; ++i)
        work << QStringLiteral("Pos %1").arg(i);
    work << QStringLiteral("End");
    for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "first opening" : "second opening");
        const qsizetype before = ui.Wait().Log().size();
        auto frame = StartFrame();
        ASSERT_TRUE(frame);
        EXPECT_TRUE(frame->IsConnected());
        EXPECT_EQ(ui.Wait().Log().mid(before).mid(0, first ? work.size() : 0), first ? work : QStringList());
        EXPECT_FALSE(ui.Wait()
                         .Log()
                         .mid(before)
                         .mid(first ? work.size() : 0)
                         .join(u'|')
                         .contains(QStringLiteral("新しい形式")));
        EXPECT_EQ(ui.Wait().Depth(), 0);
        CCDSData request, result;
        request.m_strCondition =
            QStringLiteral("SELECT name FROM sqlite_master WHERE name IN ('ix_sales_b_item', 'Sales_Booked', "
                           "'tr_sales_h_booked_ins')");
        QString err;
        ASSERT_EQ(frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        EXPECT_EQ(result.GetCount(), 3);
        frame->close();
        frame.reset();
    }
}

// A file of a later version than this program's schema is not opened: the
// failure names both versions, the program closes and the file keeps its
// version.
TEST(MainFrameTest, AFileOfALaterVersionIsRefusedWithBothVersions)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    const QString folder = home.AddCurrentDatabase(QStringLiteral("本社"));
    ASSERT_FALSE(folder.isEmpty());
    const QByteArray path = QFile::encodeName(CMakeMsgID::DatabasePath(folder));
    const auto version = [&path](const char* set) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.constData(), &db), SQLITE_OK);
        if (set) {
            EXPECT_EQ(sqlite3_exec(db, set, nullptr, nullptr, nullptr), SQLITE_OK);
        }
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr);
        const int found = st && sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
        sqlite3_finalize(st);
        sqlite3_close(db);
        return found;
    };
    ASSERT_EQ(version("PRAGMA user_version = 9"), 9);
    auto frame = StartFrame();
    ASSERT_TRUE(frame);
    EXPECT_FALSE(frame->IsConnected());
    ASSERT_LT(Schema::Version(), 9);
    EXPECT_EQ(
        ui.Prompt().Texts(),
        QStringList({QStringLiteral("データベースへの接続に失敗しました。\n"
                                    "このデータベース（バージョン9）は、このプログラム（バージョン%1）より"
                                    "新しいため開けません。新しいプログラムで開いてください。")
                         .arg(Schema::Version())}));
    EXPECT_FALSE(frame->isVisible());
    frame.reset();
    EXPECT_EQ(version(nullptr), 9);
    EXPECT_TRUE(backup.modes.isEmpty());
}

TEST(MainFrameTest, SwitchesViewsWithTheirMenusAndToolbars)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame);
    ASSERT_TRUE(frame->IsConnected());

    EXPECT_EQ(frame->GetViewKind(), 0);
    EXPECT_EQ(frame->menuWidget(), nullptr);
    EXPECT_TRUE(VisibleToolBars(*frame).isEmpty());

    struct Step {
        int kind;
        const QMetaObject* viewClass;
        int toolBar;
    };
    const QList<Step> steps{{2, &CMasterView::staticMetaObject, 145},
                            {5, &CHeaderView::staticMetaObject, 147},
                            {10, &CShimeView::staticMetaObject, 153},
                            {45, &CShimeView::staticMetaObject, 446},
                            {1, &CMasterView::staticMetaObject, 404}};
    for (const Step& step : steps) {
        QPointer<CView> old = frame->GetActiveView();
        frame->SwitchView(step.kind);
        Pump();
        CView* view = frame->GetActiveView();
        ASSERT_TRUE(view);
        EXPECT_EQ(frame->GetViewKind(), step.kind);
        EXPECT_EQ(view->metaObject(), step.viewClass) << step.kind;
        EXPECT_EQ(frame->centralWidget(), view);
        EXPECT_TRUE(old.isNull()) << "the previous view is deleted";
        auto* bar = qobject_cast<QMenuBar*>(frame->menuWidget());
        ASSERT_TRUE(bar) << step.kind;
        EXPECT_EQ(bar->actions().size(), 5);
        EXPECT_EQ(VisibleToolBars(*frame), QList<int>{step.toolBar}) << step.kind;
    }
    // The views read their mode from the kind stored before their first update.
    EXPECT_EQ(&qobject_cast<CMasterView*>(frame->GetActiveView())->GetKind(), &CMasterKind::Items());

    // The same kind keeps the view; a kind outside the table is refused.
    CView* same = frame->GetActiveView();
    frame->SwitchView(1);
    frame->SwitchView(49);
    frame->SwitchView(-1);
    Pump();
    EXPECT_EQ(frame->GetActiveView(), same);
    EXPECT_EQ(frame->GetViewKind(), 1);

    // Back to the menu screen by its command: no menu bar, no toolbar.
    frame->ExecuteCommand(ID_BACK_TO_MENU);
    Pump();
    EXPECT_EQ(frame->GetViewKind(), 0);
    EXPECT_EQ(frame->menuWidget(), nullptr);
    EXPECT_TRUE(VisibleToolBars(*frame).isEmpty());
    // The empty schedule said so; the ledger, opened without its dialog's
    // partner and period, could not be loaded.
    EXPECT_EQ(ui.Prompt().Texts(),
              QStringList({QStringLiteral("対象データはありませんでした。"),
                           QStringLiteral("データの取得に失敗しました。期間が正しくありません。")}));
    ui.Prompt().Clear();

    // The screen commands of the frame.
    frame->ExecuteCommand(ID_SALES_LIST);
    EXPECT_EQ(frame->GetViewKind(), 5);
    frame->m_nCalendarCloseDay = 25;
    frame->ExecuteCommand(ID_RECEIPT_SCHEDULE);
    EXPECT_EQ(frame->GetViewKind(), 10);
    EXPECT_EQ(frame->m_nCalendarCloseDay, 0);
    frame->ExecuteCommand(ID_BACK_TO_MENU);
    Pump();
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({QStringLiteral("対象データはありませんでした。")}));
    ui.Prompt().Clear();

    // From the menu screen the program closes without a question.
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
    EXPECT_EQ(backup.modes, QList<int>{2});
}

// Each command's string-table entry gives its prompt before the line break
// and its tip after it; the frame's actions, menu entries and buttons carry
// both, and the status bar shows the prompt of the entry under the pointer.
TEST(MainFrameTest, CommandPromptsShowInTheStatusBar)
{
    const struct {
        int id;
        const char* prompt;
        const char* tip;
    } strings[] = {
        {ID_MASTER_PRINT, "一覧印刷します", "一覧印刷"},
        {ID_MASTER_PRINT_PREVIEW, "印刷のﾌﾟﾚﾋﾞｭｰを表示", "印刷ﾌﾟﾚﾋﾞｭｰ"},
        {ID_TRANSFER_FEE, "支払手数料を設定します", "支払手数料の設定"},
        {ID_BACK_TO_LIST, "元のリストにもどります", "元にもどる"},
        {ID_LEDGER_CONDITION, "元帳の作成期間を指定してください。", "条件設定"},
        {ID_LIST_PRINT, "元帳を印刷します", "元帳印刷"},
        {ID_SLIP_ADDRESS_PRINT, "選択した伝票の宛名印刷", "宛名印刷"},
        {ID_REPORT_REPRINT, "選択した伝票の印刷", ""},
        {ID_SLIP_EXPORT, "Velmiraへﾃﾞｰﾀを書き出します", ""},
        {ID_SLIP_STATUS, "ｽﾃｰﾀｽを変更します", ""},
        {ID_EDIT_FIND, "", "検索"},
        {ID_REPORT_RECEIPT_PRINT, "", ""},
    };
    for (const auto& s : strings) {
        EXPECT_EQ(GetCommandPrompt(s.id), QString::fromUtf8(s.prompt)) << s.id;
        EXPECT_EQ(GetCommandText(s.id), QString::fromUtf8(s.tip)) << s.id;
    }

    CAppHome home;
    ScopedFakeUi ui;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame);
    QStatusBar* status = frame->statusBar();
    EXPECT_TRUE(status->isVisible());

    const auto& table = GetCommandStrings();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const qsizetype cut = it.value().indexOf(u'\n');
        const QAction* action = frame->Action(it.key());
        EXPECT_EQ(action->statusTip(), cut < 0 ? it.value() : it.value().left(cut)) << it.key();
        if (cut >= 0) {
            EXPECT_EQ(action->toolTip(), it.value().mid(cut + 1)) << it.key();
        }
    }

    // A menu-screen popup entry under the pointer, then none.
    QMenu* settings = frame->m_BottomPopupMenu[1];
    QAction* fee = PopupEntry(settings, ID_TRANSFER_FEE);
    ASSERT_TRUE(fee);
    settings->popup(QPoint(10, 10));
    settings->setActiveAction(fee);
    EXPECT_EQ(status->currentMessage(), QStringLiteral("支払手数料を設定します"));
    settings->setActiveAction(PopupEntry(settings, ID_ENV_SETTINGS));
    EXPECT_EQ(status->currentMessage(), QString());
    settings->hide();

    // A menu-bar entry and a toolbar button of the product list.
    frame->SwitchView(1);
    Pump();
    QAction* print = frame->FindMenuItem(ID_MASTER_PRINT);
    ASSERT_TRUE(print);
    auto* file = qobject_cast<QMenu*>(print->parent());
    ASSERT_TRUE(file);
    qobject_cast<QMenuBar*>(frame->menuWidget())->setActiveAction(file->menuAction());
    file->setActiveAction(print);
    EXPECT_EQ(status->currentMessage(), QStringLiteral("一覧印刷します"));
    file->hide();

    QWidget* button = frame->GetToolBar(404)->widgetForAction(frame->Action(ID_MASTER_LABEL_PRINT));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->toolTip(), QStringLiteral("宛名印刷"));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_EQ(status->currentMessage(), QStringLiteral("選択した伝票の宛名印刷"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_EQ(status->currentMessage(), QString());
}

// A disabled entry under the pointer shows its prompt too, in the menu
// screen's popups and the menu bar alike; an enabled one keeps Qt's own.
TEST(MainFrameTest, DisabledEntriesShowTheirPrompt)
{
    CAppHome home;
    ScopedFakeUi ui;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame);
    QStatusBar* status = frame->statusBar();
    const auto hover = [](QMenu* menu, QAction* action) {
        const QPointF at = menu->actionGeometry(action).center();
        QMouseEvent move(QEvent::MouseMove, at, menu->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(menu, &move);
    };

    QMenu* settings = frame->m_BottomPopupMenu[1];
    settings->popup(QPoint(10, 10));
    const struct {
        int id;
        bool enabled;
        QString shown;
    } cases[] = {
        {ID_TRANSFER_FEE, false, QStringLiteral("支払手数料を設定します")},
        {ID_ENV_SETTINGS, false, QString()},
        {ID_TRANSFER_FEE, true, QStringLiteral("支払手数料を設定します")},
    };
    for (const auto& c : cases) {
        QAction* entry = PopupEntry(settings, c.id);
        ASSERT_TRUE(entry);
        status->showMessage(QStringLiteral("前の案内"));
        entry->setEnabled(c.enabled);
        hover(settings, entry);
        Pump();
        EXPECT_EQ(status->currentMessage(), c.shown) << c.id << " " << c.enabled;
    }
    settings->hide();

    frame->SwitchView(1);
    Pump();
    QAction* print = frame->FindMenuItem(ID_MASTER_PRINT);
    ASSERT_TRUE(print);
    auto* file = qobject_cast<QMenu*>(print->parent());
    ASSERT_TRUE(file);
    file->popup(QPoint(10, 10));
    print->setEnabled(false);
    status->showMessage(QStringLiteral("前の案内"));
    hover(file, print);
    EXPECT_EQ(status->currentMessage(), QStringLiteral("一覧印刷します"));
    file->hide();
}

// The frame shows whatever view a subsystem registered for a kind's class;
// a class nobody registered falls back to the menu screen.
TEST(MainFrameTest, ViewsComeFromTheRegistry)
{
    class CProbeView : public CView
    {
      public:
        using CView::CView;
        void OnInitialUpdate() override { mode = GetFrame().GetViewKind(); }
        int mode = -1;
    };
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame);

    CViewRegistry& registry = CViewRegistry::Instance();
    CProbeView* made = nullptr;
    registry.Register(EViewClass::Header,
                      [&made](CMainFrame& f) -> CView* { return made = new CProbeView(f); });
    frame->SwitchView(6);
    Pump();
    EXPECT_EQ(frame->GetActiveView(), made);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->mode, 6);
    EXPECT_EQ(frame->GetViewKind(), 6);

    registry.Unregister(EViewClass::Master);
    frame->SwitchView(2);
    Pump();
    EXPECT_EQ(frame->GetViewKind(), 0);
    EXPECT_TRUE(qobject_cast<CTollavineView*>(frame->GetActiveView()));
    EXPECT_EQ(frame->menuWidget(), nullptr);

    // The program's own screens again for the tests that follow.
    RegisterMasterViews(registry);
    RegisterSlipViews(registry);
    frame->SwitchView(2);
    Pump();
    EXPECT_TRUE(qobject_cast<CMasterView*>(frame->GetActiveView()));
}

// A command is available only while some target of the route (view, frame,
// application) has a handler for it; update handlers still decide first.
TEST(MainFrameTest, CommandsWithoutAHandlerAreDisabled)
{
    class CAppTarget : public CCommandTarget
    {
      public:
        CAppTarget()
        {
            MapCommand(40002, [this] { ++runs; });
        }
        int runs = 0;
    };
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame);
    CAppTarget app;
    CMainFrame::SetApplicationTarget(&app);

    EXPECT_FALSE(frame->QueryCommandState(40001).enabled);
    EXPECT_TRUE(frame->QueryCommandState(40002).enabled);
    EXPECT_TRUE(frame->QueryCommandState(ID_ITEM_LIST).enabled);
    for (int id : {ID_DB_CHANGE, ID_STAFF_SETTING, ID_RECEIPT_TEXT_SETTING, ID_CLASS_SETTING})
        EXPECT_TRUE(frame->QueryCommandState(id).enabled) << id << " is the menu screen's own";
    frame->ExecuteCommand(40001);
    frame->ExecuteCommand(40002);
    EXPECT_EQ(app.runs, 1);

    // The menu-screen popups show each entry as its command's state; every
    // entry has a handler now, and an id nothing handles reads disabled.
    int greyed = 0, shown = 0;
    for (QMenu* popup : frame->m_PopupMenu) {
        if (!popup)
            continue;
        Q_EMIT popup->aboutToShow();
        for (QAction* action : popup->actions()) {
            if (action->menu())
                continue;
            ++shown;
            const int id = action->data().toInt();
            EXPECT_EQ(action->isEnabled(), frame->QueryCommandState(id).enabled) << id;
            greyed += action->isEnabled() ? 0 : 1;
        }
    }
    EXPECT_GT(shown, greyed);
    EXPECT_FALSE(frame->QueryCommandState(39999).enabled);

    // The menu screen's settings entries open their dialogs.
    QStringList titles;
    {
        ScopedModalRunner runner([&titles](QDialog& dialog) {
            titles << dialog.windowTitle();
            return int(QDialog::Rejected);
        });
        for (int id : {ID_STAFF_SETTING, ID_RECEIPT_TEXT_SETTING, ID_CLASS_SETTING})
            frame->ExecuteCommand(id);
    }
    ASSERT_EQ(titles.size(), 3);
    EXPECT_NE(titles[0], titles[1]);
    EXPECT_EQ(titles[2], QStringLiteral("分類設定"));

    frame->SwitchView(2);
    Pump();
    EXPECT_FALSE(frame->QueryCommandState(ID_DB_CHANGE).enabled) << "left with the menu screen";
    CMainFrame::SetApplicationTarget(nullptr);
}

TEST(MainFrameTest, ClosePaths)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    const QString folder = home.AddCurrentDatabase(QStringLiteral("本社"));
    ASSERT_FALSE(folder.isEmpty());
    CBackupScript backup;
    auto frame = StartFrame();
    ASSERT_TRUE(frame && frame->IsConnected());
    const QString ask = QStringLiteral("『") + kTitle + QStringLiteral("』を終了しますか？");

    // Any other screen asks; Cancel keeps the program.
    QPointer<CView> menu = frame->GetActiveView();
    frame->SwitchView(2);
    ui.Prompt().QueueAnswers({IDCANCEL});
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{ask});
    EXPECT_EQ(ui.Prompt().Calls()[0].buttons, MB_OKCANCEL);
    EXPECT_TRUE(backup.modes.isEmpty());

    // A backup at exit that fails keeps it open too.
    ui.Prompt().Clear();
    backup.result = -1;
    ui.Prompt().QueueAnswers({IDOK});
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(backup.modes, QList<int>{2});
    EXPECT_TRUE(frame->isVisible());
    backup.result = -100;
    ui.Prompt().QueueAnswers({IDOK});
    EXPECT_FALSE(frame->close());

    // Backup done or cancelled: the program closes.
    backup.result = 0;
    ui.Prompt().QueueAnswers({IDOK});
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->isVisible());
    frame.reset();
    // The menu screen the switch left, not yet deleted, went with the frame.
    EXPECT_TRUE(menu.isNull());

    // The manager's order to close skips the question-free backup; the
    // saved setting stays as the user chose it.
    backup.modes.clear();
    ui.Prompt().Clear();
    frame = StartFrame();
    ASSERT_TRUE(frame);
    frame->OnManagerClose();
    Pump();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(backup.modes.isEmpty());
    frame.reset();
    CEnvSettings saved;
    EXPECT_EQ(saved.Load(folder + QStringLiteral("/MSettingInfo.dat")), CEnvSettings::kLoaded);
    EXPECT_EQ(saved.m_nBackupAtExit, 1u);

    // Closed before the manager reported: no backup of a database never
    // connected, and the manager's late report neither connects nor shows
    // the frame again.
    ui.Prompt().Clear();
    CLinkScript script;
    frame = std::make_unique<CMainFrame>([&](CMainFrame&) { return std::make_unique<CFakeLink>(script); });
    ASSERT_TRUE(frame->Create());
    frame->show();
    EXPECT_TRUE(frame->close());
    Pump();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(script.log.isEmpty()) << script.log.join(u'|').toStdString();
    EXPECT_TRUE(backup.modes.isEmpty());
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty()) << ui.Prompt().Texts().join(u'|').toStdString();
}

TEST(MainFrameTest, FindDialogRelaysAndDataChanged)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame && frame->IsConnected());

    // Find: nothing on the menu screen; one dialog on the lists, closed by a switch.
    frame->OnEditFind();
    EXPECT_EQ(frame->GetFindDialog(), nullptr);
    frame->SwitchView(2);
    frame->OnEditFind();
    CFindDialog* dialog = frame->GetFindDialog();
    ASSERT_TRUE(dialog);
    frame->OnEditFind();
    EXPECT_EQ(frame->GetFindDialog(), dialog);
    // The customer list has no rows: the search ends at once.
    EXPECT_EQ(frame->OnFindReplace(dialog->MakeRequest(false)), 0);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("検索が終了しました。\n")});
    ui.Prompt().Clear();
    frame->SwitchView(5);
    Pump();
    EXPECT_EQ(frame->GetFindDialog(), nullptr);
    EXPECT_EQ(frame->OnFindReplace(CFindRequest{}), 0);
    frame->OnEditFind();
    ASSERT_TRUE(frame->GetFindDialog());
    frame->GetFindDialog()->reject();
    EXPECT_EQ(frame->GetFindDialog(), nullptr);

    // Relays reach the master list only while one is shown.
    COneRecord noId;
    noId.SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C1"));
    EXPECT_EQ(frame->NotifyMasterRecordAdded(&noId), 0);
    bool prev = true, next = true;
    EXPECT_EQ(frame->GetMasterPrevNextState(prev, next), 0);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
    frame->SwitchView(2);
    EXPECT_EQ(frame->NotifyMasterRecordAdded(nullptr), 0);
    EXPECT_EQ(frame->NotifyMasterRecordAdded(&noId), 0);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("レコードIDが不明です")});
    EXPECT_EQ(frame->NotifyMasterRecordsAdded(CCDSData()), 0);

    // A data-changed notice refreshes the slip and detail lists with a word
    // to the user; other screens only reload the calendar.
    ui.Prompt().Clear();
    for (int kind : {0, 2, 5, 19, 25}) {
        frame->SwitchView(kind);
        frame->OnDataChanged();
    }
    // (the empty detail list says so when it first opens, not on a refresh)
    const QString empty = QStringLiteral("指定された期間の対象データはありませんでした。");
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({QStringLiteral("リストを更新します。"), empty,
                                                QStringLiteral("リストを更新します。")}));
    EXPECT_EQ(ui.Prompt().Calls()[0].icon, MB_ICONINFORMATION);
}

TEST(MainFrameTest, CodeLookupAndTools)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame && frame->IsConnected());

    CCDSData set;
    set.m_strTable = QStringLiteral("Customer");
    set.AddNew()->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("O'Neil"));
    QString err;
    ASSERT_EQ(frame->GetMakeMsgID().InsertData(set, err), 1) << err.toStdString();

    CCDSData found;
    EXPECT_EQ(frame->CheckDuplicateCode(QStringLiteral("Customer"), QStringLiteral("CustomerCode"),
                                        QStringLiteral("O'Neil"), found),
              1);
    EXPECT_EQ(found.GetCount(), 1);
    CCDSData none;
    EXPECT_EQ(frame->CheckDuplicateCode(QStringLiteral("Customer"), QStringLiteral("CustomerCode"),
                                        QStringLiteral("O'Ne"), none),
              1);
    EXPECT_EQ(none.GetCount(), 0);
    EXPECT_EQ(frame->CheckDuplicateCode(QStringLiteral("Customer"), QStringLiteral("CustomerCode"), QString(),
                                        none),
              0);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
    // A lookup that fails says so and answers 0.
    EXPECT_EQ(frame->CheckDuplicateCode(QStringLiteral("NoSuchTable"), QStringLiteral("Code"),
                                        QStringLiteral("1"), none),
              0);
    ASSERT_EQ(ui.Prompt().Calls().size(), 1);
    EXPECT_TRUE(
        ui.Prompt().Calls()[0].text.startsWith(QStringLiteral("データの二重登録チェックに失敗しました。")));

    // Tools start from the program's "Exe" folder, their arguments after one
    // blank; a tool that is not there is named as not installed, and the
    // calculator falls back to a desktop calculator on the path.
    QStringList started;
    bool startWorks = true;
    const ProcessLauncher old = SetProcessLauncher([&](const QString& program, const QString& args) {
        started << program + u'|' + args;
        return startWorks;
    });
    const QString exe = home.ProgramFolder() + QStringLiteral("/Exe/");
    ASSERT_TRUE(QDir().mkpath(exe));
    auto standIn = [](const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    };
    standIn(exe + QStringLiteral("MorvekTel"));
    QTemporaryDir desktop;
    ui.Prompt().Clear();
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", desktop.path().toLocal8Bit());
    frame->ExecuteCommand(ID_TOOL_PHONEBOOK_BACKUP);
    frame->ExecuteCommand(ID_TOOL_CALCULATOR);
    standIn(desktop.filePath(QStringLiteral("xcalc")));
    frame->ExecuteCommand(ID_TOOL_CALCULATOR);
    qputenv("PATH", path);
    EXPECT_EQ(started, QStringList({exe + QStringLiteral("MorvekTel| /B"),
                                    desktop.filePath(QStringLiteral("xcalc")) + u'|'}));
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("「電卓」はインストールされていません。")});
    ui.Prompt().Clear();
    startWorks = false;
    frame->ExecuteCommand(ID_TOOL_PHONEBOOK);
    EXPECT_EQ(ui.Prompt().Texts(),
              QStringList{QStringLiteral("「電話帳・郵便番号検索」を起動できませんでした。")});
    SetProcessLauncher(old);

    // Without a connection the lookup is a fatal error.
    ui.Prompt().Clear();
    frame->GetMakeMsgID().Close();
    EXPECT_EQ(frame->CheckDuplicateCode(QStringLiteral("Customer"), QStringLiteral("CustomerCode"),
                                        QStringLiteral("A"), none),
              0);
    ASSERT_EQ(ui.Prompt().Calls().size(), 1);
    EXPECT_EQ(ui.Prompt().Calls()[0].icon, MB_ICONSTOP);
    EXPECT_TRUE(ui.Prompt().Calls()[0].text.startsWith(
        QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + kTitle));
}

// The database popup's backup, restore and compaction run on the connected
// database; the backup at exit is the real one and keeps the program open
// when it fails.
TEST(MainFrameTest, DatabaseCommandsAndBackupAtExit)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CScriptedDbDialogs dialogs;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame && frame->IsConnected());
    Sql(frame->GetMakeMsgID(), QStringLiteral("INSERT INTO Item(ItemCode, ItemName) VALUES('K1', 'kept')"));
    QMenu* popup = frame->m_BottomPopupMenu[0];
    for (int id : {ID_DB_BACKUP, ID_DB_RESTORE, ID_DB_COMPACT})
        ASSERT_TRUE(PopupEntry(popup, id)) << id;

    // Backup: the introduction, then the new folder is made.
    const QString backup = home.Root() + QStringLiteral("/backup");
    dialogs.QueueFolder(backup);
    ui.Prompt().QueueAnswers({IDOK, IDYES});
    PopupEntry(popup, ID_DB_BACKUP)->trigger();
    EXPECT_TRUE(QFileInfo(backup + QStringLiteral("/QXSelvo.vrz")).isFile());
    QStringList info;
    ASSERT_TRUE(ReadBackupInfo(backup + QStringLiteral("/Buinf.sys"), info));
    EXPECT_EQ(info[1], QStringLiteral("データベース名：本社"));
    EXPECT_EQ(info[3], QStringLiteral("バックアップ日時：2024/04/01 09:00:00"));
    EXPECT_EQ(ui.Prompt().Texts().last(), QStringLiteral("バックアップしました"));
    EXPECT_TRUE(frame->IsConnected());

    // Restore brings the row back; compaction keeps it readable.
    Sql(frame->GetMakeMsgID(), QStringLiteral("DELETE FROM Item"));
    ui.Prompt().QueueFolders({backup});
    ui.Prompt().QueueAnswers({IDYES});
    dialogs.QueueRestoreAnswer(true);
    PopupEntry(popup, ID_DB_RESTORE)->trigger();
    ASSERT_TRUE(frame->IsConnected());
    EXPECT_EQ(CountRows(frame->GetMakeMsgID(), TB_ITEM, QStringLiteral("WHERE ItemCode = 'K1'")), 1);
    ui.Prompt().QueueAnswers({IDYES});
    PopupEntry(popup, ID_DB_COMPACT)->trigger();
    EXPECT_EQ(ui.Prompt().Texts().last(), QStringLiteral("最適化が終了しました"));
    EXPECT_EQ(CountRows(frame->GetMakeMsgID(), TB_ITEM), 1);
    EXPECT_EQ(ui.Prompt().PendingAnswers(), 0);

    // At exit: a backup that cannot even start (no register) keeps the program.
    ui.Prompt().Clear();
    const QString registerPath = home.RegisterPath();
    ASSERT_TRUE(QFile::rename(registerPath, registerPath + QStringLiteral(".away")));
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("バックアップできません<1>")});

    // With the register back the backup at exit runs (mode 2: the short
    // introduction) over the earlier one, and the program closes.
    ASSERT_TRUE(QFile::rename(registerPath + QStringLiteral(".away"), registerPath));
    ui.Prompt().Clear();
    ui.Clock().Set(QDateTime(QDate(2024, 4, 1), QTime(18, 30)));
    dialogs.QueueFolder(backup);
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->isVisible());
    ASSERT_FALSE(ui.Prompt().Texts().isEmpty());
    EXPECT_EQ(ui.Prompt().Texts().first(),
              QStringLiteral("データベース「本社」のバックアップを行ないます。\n"
                             "【OK】をクリックしたあと、データを保存するフォルダを指定してください。"));
    ASSERT_TRUE(ReadBackupInfo(backup + QStringLiteral("/Buinf.sys"), info));
    EXPECT_EQ(info[3], QStringLiteral("バックアップ日時：2024/04/01 18:30:00"));
    EXPECT_EQ(ui.Prompt().ScriptErrors(), QStringList());
}

// A name of the menu screen's database list switches the running frame to
// that database through the database administration.
TEST(MainFrameTest, DatabaseListSwitchesTheConnection)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    const QString branch = home.AddCurrentDatabase(QStringLiteral("支店"), QStringLiteral("branch"));
    ASSERT_FALSE(branch.isEmpty());
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社"), QStringLiteral("main")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame && frame->IsConnected());
    auto* view = qobject_cast<CTollavineView*>(frame->GetActiveView());
    ASSERT_TRUE(view);

    view->ClickBtn(QPoint(100, 100), 6);
    ASSERT_TRUE(view->DatabaseMenu());
    view->DatabaseMenu()->hide();
    const int id = view->PopupIds().key(QStringLiteral("支店"));
    ASSERT_NE(id, 0);
    ui.Prompt().QueueAnswers({IDYES});
    frame->ExecuteCommand(id);
    EXPECT_TRUE(frame->IsConnected());
    EXPECT_EQ(frame->GetMakeMsgID().GetFolder(), branch);
    EXPECT_EQ(frame->GetDatabaseName(), QStringLiteral("支店"));
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    EXPECT_EQ(name, QStringLiteral("支店"));
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("「支店 」に切り替えますか？")});
}

// The new-slip entries of the business popups and the form entries of the
// bottom popup reach the slip-form hand-over from the running frame.
TEST(MainFrameTest, SlipFormCommandsFromThePopups)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    CScriptedFormDialogs dialogs;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame && frame->IsConnected());
    QStringList programs, texts;
    const ProcessLauncher old = SetProcessLauncher([&](const QString& program, const QString& text) {
        programs << program;
        texts << text;
        return true;
    });

    // 見積, 売上 (twice: the second layout is of form classification 2), 注文, 仕入.
    const struct {
        int popup;
        int id;
        long pick;
    } steps[] = {{3, ID_ESTIMATE_NEW, 102},
                 {4, ID_SALES_NEW, 201},
                 {4, ID_SALES_NEW, 202},
                 {5, ID_ORDER_NEW, 401},
                 {6, ID_STOCK_NEW, 501}};
    for (const auto& step : steps) {
        QAction* entry = PopupEntry(frame->m_PopupMenu[step.popup], step.id);
        ASSERT_TRUE(entry) << step.id;
        EXPECT_EQ(entry->text(), QStringLiteral("新規作成"));
        dialogs.m_nPick = step.pick;
        entry->trigger();
    }
    EXPECT_EQ(dialogs.m_chooserKinds, QList<int>({1, 2, 2, 4, 5}));
    ASSERT_EQ(programs.size(), 5);
    for (const QString& program : programs)
        EXPECT_TRUE(program.endsWith(QStringLiteral("MorvekForm"))) << program.toStdString();
    EXPECT_EQ(texts, QStringList({QStringLiteral(" /L:102 /C:1"), QStringLiteral(" /L:201 /C:2"),
                                  QStringLiteral(" /L:202 /C:3"), QStringLiteral(" /L:401 /C:4"),
                                  QStringLiteral(" /L:501 /C:5")}));
    // A cancelled chooser starts nothing.
    dialogs.m_nPick = 0;
    PopupEntry(frame->m_PopupMenu[4], ID_SALES_NEW)->trigger();
    EXPECT_EQ(programs.size(), 5);
    SetProcessLauncher(old);

    // The form entries: the management dialog, the backup (nothing to back
    // up yet) and the restore (declined).
    QMenu* forms = frame->m_BottomPopupMenu[2];
    int managed = 0;
    dialogs.m_ctrlScript = [&](CFormCtrl&) { ++managed; };
    PopupEntry(forms, ID_FORM_CTRL)->trigger();
    EXPECT_EQ(managed, 1);
    PopupEntry(forms, ID_FORM_BACKUP)->trigger();
    ui.Prompt().QueueAnswers({IDNO});
    PopupEntry(forms, ID_FORM_RESTORE)->trigger();
    const QStringList shown = ui.Prompt().Texts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], QStringLiteral("オリジナルフォームがありません。バックアップを中止します。"));
    EXPECT_TRUE(shown[1].startsWith(
        QStringLiteral("オリジナルフォームの情報をバックアップを取ったときの状態に戻します。")));
    EXPECT_TRUE(ui.Prompt().PickerCalls().isEmpty());
}

// Only the screens that change data reload the calendar on the way back to
// the menu screen.
TEST(MainFrameTest, BackToMenuReloadsTheCalendarFromScreensThatChangeData)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    ui.Clock().SetToday(QDate(2024, 4, 1));
    CBackupScript backup;
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    auto frame = StartFrame();
    ASSERT_TRUE(frame && frame->IsConnected());
    EXPECT_EQ(frame->GetCalendarData().GetCount(), 0);

    // An open closing due within the period, written while a list is shown.
    Sql(frame->GetMakeMsgID(),
        QStringLiteral("INSERT INTO Sales_Close(CollectDate, Status) VALUES('2024-04-10', 0)"));
    for (int kind : {1, 4, 6}) {
        frame->SwitchView(kind);
        frame->ExecuteCommand(ID_BACK_TO_MENU);
        Pump();
        EXPECT_EQ(frame->GetViewKind(), 0);
        EXPECT_EQ(frame->GetCalendarData().GetCount(), 0) << kind;
    }
    frame->SwitchView(5);
    frame->ExecuteCommand(ID_BACK_TO_MENU);
    Pump();
    EXPECT_EQ(frame->GetCalendarData().GetCount(), 1);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

// "MSettingInfo.dat" belongs to the current database: a damaged file is
// told and mended at the next save, and a database without the file starts
// from the defaults, not from the previous database's values.
TEST(MainFrameTest, SettingsFileFollowsTheDatabase)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CBackupScript backup;
    const QString branch = home.AddCurrentDatabase(QStringLiteral("支店"), QStringLiteral("branch"));
    const QString main = home.AddCurrentDatabase(QStringLiteral("本社"), QStringLiteral("main"));
    ASSERT_FALSE(branch.isEmpty() || main.isEmpty());
    const QString mainFile = main + QStringLiteral("/MSettingInfo.dat");
    const QString branchFile = branch + QStringLiteral("/MSettingInfo.dat");
    CEnvSettings custom;
    custom.m_crListBack = MakeColorRef(1, 2, 3);
    custom.m_lfList.lfFaceName = QStringLiteral("Noto Sans CJK JP");
    {
        QFile file(mainFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(custom.ToBytes().left(50)); // cut inside the face name
    }

    auto frame = StartFrame();
    ASSERT_TRUE(frame && frame->IsConnected());
    ASSERT_EQ(ui.Prompt().Calls().size(), 1);
    EXPECT_EQ(ui.Prompt().Calls()[0].text,
              QStringLiteral("設定ファイル<") + mainFile +
                  QStringLiteral(">を読み込めませんでした。\n読み込めなかった設定には既定値を使います。"));
    EXPECT_EQ(ui.Prompt().Calls()[0].icon, MB_ICONEXCLAMATION);
    EXPECT_EQ(frame->GetEnvSettings().m_crListBack, MakeColorRef(1, 2, 3));
    EXPECT_EQ(frame->GetEnvSettings().m_lfList.lfFaceName, CLogFont().lfFaceName);
    ASSERT_NE(frame->SaveSettings(), 0);
    QFile saved(mainFile);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toHex(), frame->GetEnvSettings().ToBytes().toHex());
    saved.close();

    // The branch's file is of a later release: its version only.
    QByteArray newer = custom.ToBytes();
    newer[0] = 2;
    {
        QFile file(branchFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(newer);
    }
    ui.Prompt().Clear();
    ASSERT_EQ(CDBDirMng().SetNowDB(QStringLiteral("支店")), 1);
    frame->LoadSettings();
    CEnvSettings expected;
    expected.m_nVersion = 2;
    EXPECT_EQ(frame->GetEnvSettings(), expected);
    // The OK of the settings dialog cannot save over it: the message names the file and why.
    frame->ApplyEnvSettings(frame->GetEnvSettings());
    EXPECT_TRUE(ui.Prompt().Texts().value(0).startsWith(
        QStringLiteral("設定情報の保存に失敗しました。\n設定ファイル<") + branchFile +
        QStringLiteral(">の形式（バージョン2）は")));
    ui.Prompt().Clear();

    // Without a file: the defaults, written at once in the current layout.
    ASSERT_TRUE(QFile::remove(branchFile));
    frame->LoadSettings();
    EXPECT_EQ(frame->GetEnvSettings(), CEnvSettings());
    QFile created(branchFile);
    ASSERT_TRUE(created.open(QIODevice::ReadOnly));
    EXPECT_EQ(created.readAll().toHex(), CEnvSettings().ToBytes().toHex());
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

} // namespace
