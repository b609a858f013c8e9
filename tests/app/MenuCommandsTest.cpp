#include "settings/DbTestSupport.h"

#include "app/AppHome.h"
#include "app/Application.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "app/menu/MenuPopupTable.h"
#include "app/menu/TollavineView.h"
#include "master/EntryDialogs.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "resources/CommandIds.h"
#include "resources/Menus.h"
#include "resources/ViewKinds.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QSet>

#include <map>
#include <set>

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

int MarkCount(const CMenuCalendar& calendar)
{
    int marks = 0;
    for (int d = 0; d < CMenuCalendar::kDays; ++d)
        for (int c = 0; c < CMenuCalendar::kColumns; ++c)
            marks += calendar.Mark(c, d) != 0;
    return marks;
}

// The master openers replaced by ones that write down what they were asked
// and answer as told; the real ones come back at the end.
class CRecordingOpeners
{
  public:
    CRecordingOpeners()
    {
        CViewRegistry& registry = CViewRegistry::Instance();
        registry.RegisterOpener(CViewRegistry::EOpener::MasterEntry, [this](CMainFrame&, int kind) {
            log << QStringLiteral("entry %1").arg(kind);
            return accept;
        });
        registry.RegisterOpener(CViewRegistry::EOpener::MasterExtract, [this](CMainFrame&, int target) {
            log << QStringLiteral("extract %1").arg(target);
            return accept;
        });
    }
    ~CRecordingOpeners() { RegisterMasterEntryDialogs(CViewRegistry::Instance()); }
    CRecordingOpeners(const CRecordingOpeners&) = delete;
    CRecordingOpeners& operator=(const CRecordingOpeners&) = delete;

    QStringList log;
    bool accept = false;
};

// A connected frame on a database from the template, today 20 January 2024.
class MenuCommandsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.IsReady());
        m_ui.Clock().SetToday(QDate(2024, 1, 20));
        m_folder = m_home.AddCurrentDatabase(QStringLiteral("本社"), QStringLiteral("main"));
        ASSERT_FALSE(m_folder.isEmpty());
    }

    void Start()
    {
        ASSERT_TRUE(m_frame.Create());
        Pump();
        ASSERT_TRUE(m_frame.IsConnected());
        ASSERT_EQ(m_frame.GetViewKind(), 0);
    }

    CTollavineView* Menu() { return qobject_cast<CTollavineView*>(m_frame.GetActiveView()); }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CScriptedDbDialogs m_dbDialogs;
    QString m_folder;
    CMainFrame m_frame;
};

} // namespace

// Each command of the menu screen's popups that the screen handles itself:
// what it opens, with which kind or mode, and what follows an OK or cancel.
TEST_F(MenuCommandsTest, EachCommandOpensItsDialogAndWhatFollows)
{
    Start();
    CRecordingOpeners openers;
    QStringList titles;
    // Dialogs are closed at once; a statement run while one is open plays
    // what the user saved in it.
    QString whileOpen;
    ScopedModalRunner runner([&](QDialog& dialog) {
        titles << dialog.windowTitle();
        if (!whileOpen.isEmpty())
            Sql(m_frame.GetMakeMsgID(), whileOpen);
        dialog.reject();
        return int(QDialog::Rejected);
    });
    const struct {
        int id;
        bool accept;
        const char* opened;
        int kindAfter;
    } rows[] = {
        {32771, true, "entry 1", 0},
        {32774, true, "entry 2", 0},
        {32777, false, "entry 3", 0},
        {32773, false, "extract 0", 0},
        {32773, true, "extract 0", 1},
        {32776, true, "extract 1", 2},
        {32779, true, "extract 2", 3},
        {32780, false, "自社情報の設定", 0},
        {32788, false, "販売条件の設定", 0},
        {32781, false, "自社担当者の設定", 0},
        {32836, false, "入金摘要内容の設定", 0},
        {32782, false, "分類設定", 0},
        {32783, false, "データベースの追加", 0},
        {32789, false, "データベースの繰越処理", 0},
        {32808, false, "入金処理", 0},
        {32812, false, "出金処理", 0},
    };
    for (const auto& row : rows) {
        if (m_frame.GetViewKind() != 0)
            m_frame.SwitchView(0);
        openers.log.clear();
        openers.accept = row.accept;
        titles.clear();
        EXPECT_TRUE(m_frame.QueryCommandState(row.id).enabled) << row.id;
        m_frame.ExecuteCommand(row.id);
        const QStringList opened = openers.log + titles;
        EXPECT_EQ(opened, QStringList{QString::fromUtf8(row.opened)}) << row.id;
        EXPECT_EQ(m_frame.GetViewKind(), row.kindAfter) << row.id;
    }
    m_frame.SwitchView(0);

    // Cancelling the database dialog still shows the name the register has.
    m_frame.m_strDatabaseName = QStringLiteral("古い名前");
    m_frame.ExecuteCommand(32783);
    EXPECT_EQ(m_frame.GetDatabaseName(), QStringLiteral("本社"));

    // What the receipt, payment and carry-forward dialogs saved shows in the
    // calendar at once, whatever the dialog answered.
    ASSERT_TRUE(Menu());
    const QDate due = m_frame.GetPeriodStart().addDays(3);
    const QString sqlDate = due.toString(Qt::ISODate);
    const struct {
        int id;
        QString sql;
    } marks[] = {
        {32808, QStringLiteral("INSERT INTO Sales_Close(Status, CollectDate) VALUES(0, '%1')").arg(sqlDate)},
        {32812, QStringLiteral("INSERT INTO Stock_Close(Status, CollectDate) VALUES(0, '%1')").arg(sqlDate)},
        {32789, QStringLiteral("INSERT INTO Sales_Close(Status, CollectDate) VALUES(0, '%1')")
                    .arg(due.addDays(5).toString(Qt::ISODate))},
    };
    int before = MarkCount(Menu()->Calendar());
    for (const auto& row : marks) {
        whileOpen = row.sql;
        m_frame.ExecuteCommand(row.id);
        const int after = MarkCount(Menu()->Calendar());
        EXPECT_NE(after, before) << row.id;
        before = after;
    }
    whileOpen.clear();
    EXPECT_TRUE(m_ui.Prompt().ScriptErrors().isEmpty())
        << m_ui.Prompt().ScriptErrors().join(u'|').toStdString();

    // Delete is the carry-forward on the menu screen; a list deletes its own
    // rows instead (nothing selected here: it says so).
    m_frame.SwitchView(2);
    titles.clear();
    m_ui.Prompt().Clear();
    m_frame.ExecuteCommand(32789);
    EXPECT_TRUE(titles.isEmpty());
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{QStringLiteral("削除するデータを選択してください。\n")});
    EXPECT_TRUE(m_frame.GetActiveView()->HasCommandHandler(32789));
}

// The first time a database made from the template becomes current, its
// company information and then its sales conditions are asked for: at the
// start, after the database dialog and after a switch from the database
// list; never again, and never for a database without the marker.
TEST_F(MenuCommandsTest, FirstRunAsksCompanyThenConditionsOncePerDatabase)
{
    const QString branch = m_home.AddCurrentDatabase(QStringLiteral("支店"), QStringLiteral("branch"), true);
    const QString third = m_home.AddCurrentDatabase(QStringLiteral("営業所"), QStringLiteral("third"), true);
    const QString fresh = m_home.AddCurrentDatabase(QStringLiteral("新社"), QStringLiteral("fresh"), true);
    ASSERT_FALSE(branch.isEmpty() || third.isEmpty() || fresh.isEmpty());
    // The marker is found whatever the letter case of its name.
    ASSERT_TRUE(QFile::rename(third + QStringLiteral("/FTtemp.dat"), third + QStringLiteral("/fttemp.DAT")));

    QStringList titles;
    QString switchTo;
    ScopedModalRunner runner([&](QDialog& dialog) {
        titles << dialog.windowTitle();
        // The database dialog: the user chose another database.
        if (!switchTo.isEmpty() && dialog.windowTitle() == QStringLiteral("データベースの追加")) {
            CDBDirMng().SetNowDB(switchTo);
            return int(IDOK);
        }
        return int(QDialog::Rejected);
    });
    CTollavineView::SetDatabaseSwitcher(
        [](CMainFrame&, const QString& name) { return CDBDirMng().SetNowDB(name); });
    const QStringList setup{QStringLiteral("自社情報の設定"), QStringLiteral("販売条件の設定")};

    // Start on the new database.
    Start();
    EXPECT_EQ(titles, setup);
    EXPECT_FALSE(QFile::exists(fresh + QStringLiteral("/FTtemp.dat")));

    // A switch from the database list, to a new one and back to it.
    CTollavineView* menu = Menu();
    ASSERT_TRUE(menu);
    menu->ClickBtn(QPoint(0, 0), 6);
    if (menu->DatabaseMenu())
        menu->DatabaseMenu()->hide();
    const auto idOf = [menu](const QString& name) { return menu->PopupIds().key(name, -1); };
    ASSERT_NE(idOf(QStringLiteral("支店")), -1);
    const struct {
        QString name;
        bool asks;
    } switches[] = {{QStringLiteral("支店"), true},
                    {QStringLiteral("本社"), false},
                    {QStringLiteral("支店"), false},
                    {QStringLiteral("営業所"), true}};
    for (const auto& step : switches) {
        titles.clear();
        m_ui.Prompt().QueueAnswers({IDYES});
        m_frame.ExecuteCommand(idOf(step.name));
        EXPECT_EQ(m_frame.GetDatabaseName(), step.name);
        EXPECT_EQ(titles, step.asks ? setup : QStringList()) << step.name.toStdString();
    }

    // The database dialog's OK: to a database without the marker the dialog
    // alone, to a new one the setup after it, once.
    titles.clear();
    switchTo = QStringLiteral("本社");
    m_frame.ExecuteCommand(32783);
    EXPECT_EQ(titles, QStringList{QStringLiteral("データベースの追加")});
    EXPECT_EQ(m_frame.GetDatabaseName(), QStringLiteral("本社"));
    const QString another =
        m_home.AddCurrentDatabase(QStringLiteral("新店"), QStringLiteral("another"), true);
    ASSERT_TRUE(CDBDirMng().SetNowDB(QStringLiteral("本社")) == 1 && !another.isEmpty());
    titles.clear();
    switchTo = QStringLiteral("新店");
    m_frame.ExecuteCommand(32783);
    EXPECT_EQ(titles, QStringList{QStringLiteral("データベースの追加")} + setup);
    EXPECT_EQ(m_frame.GetDatabaseName(), QStringLiteral("新店"));
    titles.clear();
    m_frame.ExecuteCommand(32783);
    EXPECT_EQ(titles, QStringList{QStringLiteral("データベースの追加")});
    CTollavineView::SetDatabaseSwitcher({});
}

namespace
{

// Every command a user can reach: the entries of each view kind's menu bar
// and toolbar, and of the menu screen's popups.
std::map<int, std::set<int>> ReachableCommands()
{
    std::map<int, std::set<int>> byKind;
    for (int popup = 0; popup < MenuPopup::kCount; ++popup)
        for (const MenuPopup::SEntry& entry : MenuPopup::Entries(popup))
            if (entry.subPopup < 0)
                byKind[0].insert(entry.id);
    for (int kind = 1; kind <= kMaxViewKind; ++kind) {
        const CViewKindInfo info = GetViewKindInfo(kind);
        for (const CMenuEntry& entry : GetMenuResource(info.menuId))
            if (entry.kind == CMenuEntry::Command)
                byKind[kind].insert(entry.id);
        for (const CToolBarDef& bar : GetToolBarDefs())
            if (bar.resourceId == info.toolBarId)
                for (int id : bar.buttons)
                    if (id != 0)
                        byKind[kind].insert(id);
    }
    return byKind;
}

} // namespace

// No entry of a menu, a toolbar or a menu-screen popup is dead: some target
// of the route of every screen that shows it handles it, and the string
// table or a menu gives it a text.
TEST_F(MenuCommandsTest, EveryReachableCommandHasAHandlerAndAText)
{
    CTollavineApp app;
    CMainFrame::SetApplicationTarget(&app);
    ScopedModalRunner closeAll([](QDialog& dialog) {
        dialog.reject();
        return int(QDialog::Rejected);
    });
    Start();
    QSet<int> menuTexts;
    for (int kind = 1; kind <= kMaxViewKind; ++kind)
        for (const CMenuEntry& entry : GetMenuResource(GetViewKindInfo(kind).menuId))
            if (entry.kind == CMenuEntry::Command && entry.text && *entry.text)
                menuTexts.insert(entry.id);

    std::map<int, QStringList> missing; // id -> kinds
    QList<int> textless;
    const auto byKind = ReachableCommands();
    for (const auto& [kind, ids] : byKind) {
        m_frame.SwitchView(kind);
        ASSERT_EQ(m_frame.GetViewKind(), kind);
        CView* view = m_frame.GetActiveView();
        for (int id : ids) {
            const bool handled = (view && view->HasCommandHandler(id)) || m_frame.HasCommandHandler(id) ||
                                 app.HasCommandHandler(id);
            if (!handled)
                missing[id] << QString::number(kind);
            // The popups carry their own texts; toolbar buttons need the
            // string table's tip or a menu entry of the same id.
            if (kind != 0 && GetCommandText(id).isEmpty() && !menuTexts.contains(id) &&
                !textless.contains(id))
                textless << id;
        }
    }
    m_frame.SwitchView(0);
    CMainFrame::SetApplicationTarget(nullptr);

    QStringList unexpected;
    for (const auto& [id, kinds] : missing)
        unexpected << QStringLiteral("%1 (kinds %2)").arg(id).arg(kinds.join(u','));
    EXPECT_TRUE(unexpected.isEmpty()) << "no handler: " << unexpected.join(u' ').toStdString();
    QStringList noText;
    for (int id : textless)
        noText << QString::number(id);
    EXPECT_TRUE(noText.isEmpty()) << "no text: " << noText.join(u' ').toStdString();
}
