#include "app/MainFrame.h"

#include "app/FindDialog.h"
#include "app/FrameDbSession.h"
#include "app/ManagerLink.h"
#include "app/Tools.h"
#include "app/View.h"
#include "app/ViewRegistry.h"
#include "app/menu/DisabledEntryPrompt.h"
#include "platform/data/ExCondition.h"
#include "platform/data/TableNames.h"
#include "platform/env/ArdoEnv.h"
#include "platform/ipc/DataChangedChannel.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "resources/CommandIds.h"
#include "resources/Menus.h"
#include "settings/db/Backup.h"
#include "settings/db/Compaction.h"
#include "settings/db/Restore.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace
{

CMainFrame* s_pFrame = nullptr;
CCommandTarget* s_pAppTarget = nullptr;

int DefaultBackup(CMainFrame& frame, int mode)
{
    return frame.BackupDatabase(mode);
}

CMainFrame::BackupHandler& BackupAtExit()
{
    static CMainFrame::BackupHandler handler = DefaultBackup;
    return handler;
}

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon);
}

} // namespace

CMainFrame::CMainFrame(ManagerLinkFactory linkFactory, QWidget* parent)
    : QMainWindow(parent), m_linkFactory(std::move(linkFactory))
{
    s_pFrame = this;
    // A file of an earlier build brought up to date shows the wait dialog,
    // at opening or at the first write.
    m_MakeMsgID.SetProgress(&m_openProgress);
    MapCommands();
    // F1 anywhere in the frame opens the help contents.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { ExecuteCommand(ID_HELP_FINDER); });
    setObjectName(QStringLiteral("QXTollavine"));
    setWindowTitle(ProgramTitle());
    // Shows the prompt of the command under the pointer (the actions' status tips).
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    // 800 x 600, centred in the work area, never above or left of it.
    const QSize size(800, 600);
    QRect area(QPoint(0, 0), size);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    resize(size);
    move(qMax(area.left(), area.left() + (area.width() - size.width()) / 2),
         qMax(area.top(), area.top() + (area.height() - size.height()) / 2));
}

CMainFrame::~CMainFrame()
{
    OnDestroy();
    // Views read the frame while they go: the shown one and those a switch
    // left waiting for their deferred deletion go before the frame's members.
    delete takeCentralWidget();
    qDeleteAll(findChildren<CView*>(QString(), Qt::FindDirectChildrenOnly));
    m_pExCondition.reset();
    if (s_pFrame == this)
        s_pFrame = nullptr;
}

CMainFrame* CMainFrame::Instance()
{
    return s_pFrame;
}

void CMainFrame::SetApplicationTarget(CCommandTarget* target)
{
    s_pAppTarget = target;
}

bool CMainFrame::Create()
{
    if (!m_MakeMsgID.MakeMsgID()) {
        Message(QStringLiteral("アプリケーションを起動できません"));
        return false;
    }

    m_pManager = m_linkFactory ? m_linkFactory(*this) : std::make_unique<CDbManagerLink>(m_MakeMsgID);
    if (!m_pManager || !m_pManager->Start()) {
        Message(QStringLiteral("データマネージャーに接続できません。\n"));
        return false;
    }
    m_pManager->SetCloseOrderHandler(
        [this] { QMetaObject::invokeMethod(this, &CMainFrame::OnManagerClose, Qt::QueuedConnection); });
    // The manager reports itself once the event loop runs.
    QMetaObject::invokeMethod(this, &CMainFrame::OnManagerConnected, Qt::QueuedConnection);

    LoadSettings();

    if (!CreateToolBars())
        return false;

    BuildMenuScreenPopups();
    SetMenuBarFor(0);

    m_pDataChanged = new CDataChangedServer(this);
    connect(m_pDataChanged, &CDataChangedServer::dataChanged, this, &CMainFrame::OnDataChanged);
    m_pDataChanged->Listen(CArdoEnv().GetDataRoot());

    CView* view = CreateView(GetViewKindInfo(0).viewClass, *this);
    if (!view)
        return false;
    m_nViewKind = 0;
    setCentralWidget(view);
    m_pActiveView = view;
    view->OnInitialUpdate();

    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, &CMainFrame::UpdateToolBarStates);
    idle->start(300);
    m_bCreated = true;
    return true;
}

CView* CMainFrame::GetActiveView() const
{
    return m_pActiveView.data();
}

// ---------------------------------------------------------------------------
// Manager link

bool CMainFrame::IsConnected() const
{
    return m_pManager && m_nConnectID != 0 && m_pManager->IsConnected();
}

void CMainFrame::OnManagerConnected()
{
    // Closed before the manager reported: nothing is to be connected any more.
    if (m_bDestroyed)
        return;
    m_nConnectID = m_pManager->Register();
    QMetaObject::invokeMethod(this, &CMainFrame::OnConnectResult, Qt::QueuedConnection);
}

void CMainFrame::OnConnectResult()
{
    if (m_bDestroyed)
        return;
    const int answer = ConnectDatabase();
    if (answer != 1) {
        // Nothing was connected, so there is nothing to back up at exit.
        m_bSkipBackupAtExit = true;
        m_bConnectFailed = true;
        // The reason the data access gave, when it gave one (a file of a
        // later version names both versions), follows the failure.
        const QString reason = m_pManager ? m_pManager->ConnectError() : QString();
        Message(ConnectFailureText(answer) + reason);
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
        return;
    }
    SetCurrentPeriod();
    if (!ReloadCalendar())
        Message(QStringLiteral("カレンダーのデータ取得に失敗しました。"));
    if (!GetCurrentDatabaseName())
        Message(QStringLiteral("現在のデータベース名取得に失敗しました。"));
    if (m_nViewKind == 0) {
        ShowMenuScreen(GetActiveView());
        CheckFirstRun(GetActiveView());
    }
}

int CMainFrame::ReleaseDatabase()
{
    return m_pManager ? m_pManager->Release(m_nConnectID) : -2;
}

int CMainFrame::ConnectDatabase()
{
    const int answer = m_pManager ? m_pManager->Connect(m_nConnectID) : -2;
    // Told once for each file opened: the lists show, but nothing can be kept.
    const QString path = CMakeMsgID::DatabasePath(m_MakeMsgID.GetFolder());
    if (answer == 1 && m_MakeMsgID.IsReadOnly() && path != m_strToldReadOnly) {
        m_strToldReadOnly = path;
        Message(QStringLiteral("データベース<%1>は読み取り専用のため、表示だけができます。\n"
                               "登録や変更はできません。")
                    .arg(path),
                MB_OK, MB_ICONINFORMATION);
    }
    return answer;
}

void CMainFrame::OnManagerClose()
{
    m_bSkipBackupAtExit = true;
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void CMainFrame::SetBackupHandler(BackupHandler handler)
{
    BackupAtExit() = handler ? std::move(handler) : DefaultBackup;
}

bool CMainFrame::QueryClose()
{
    const CView* view = GetActiveView();
    if (m_nViewKind != 0 && !(view && view->IsPrintPreview())) {
        const QString text = QStringLiteral("『") + ProgramTitle() + QStringLiteral("』を終了しますか？");
        if (Message(text, MB_OKCANCEL) == IDCANCEL)
            return false;
    }
    // Before the manager reported there is no connection id, and a backup
    // could only fail and keep the program open.
    if (m_EnvSettings.m_nBackupAtExit && !m_bSkipBackupAtExit && m_nConnectID != 0) {
        const int result = BackupAtExit()(*this, 2);
        if (result == -1 || result == -100)
            return false;
    }
    if (m_nViewKind >= 1 && m_nViewKind <= 3)
        ReleaseExtractCondition();
    return true;
}

int CMainFrame::BackupDatabase(int mode)
{
    CFrameDbSession s(*this);
    return ::BackupDatabase(s, mode);
}

void CMainFrame::OnRestoreDatabase()
{
    CFrameDbSession s(*this);
    ::RestoreDatabase(s);
}

void CMainFrame::OnCompactDatabase()
{
    CFrameDbSession s(*this);
    ::CompactDatabase(s);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_bDestroyed || QueryClose()) {
        OnDestroy();
        event->accept();
    } else {
        event->ignore();
    }
}

void CMainFrame::OnDestroy()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    if (m_bCreated)
        SaveSettings();
    if (m_pFindDialog) {
        m_pFindDialog->disconnect(this);
        m_pFindDialog->deleteLater();
        m_pFindDialog = nullptr;
    }
    // A connection id of 0 was never handed out: nothing to release.
    if (m_pManager && m_nConnectID != 0) {
        m_pManager->Release(m_nConnectID);
        m_pManager->Unregister(m_nConnectID);
        m_nConnectID = 0;
    }
}

// ---------------------------------------------------------------------------
// Data-changed notice

void CMainFrame::OnDataChanged()
{
    if (ReloadCalendar() && m_nViewKind == 0)
        ResetMenuCalendar(GetActiveView());
    // The slip lists, the closing candidates, billed and paid lists and
    // schedules, and the slip line lists show what the other program may
    // just have changed.
    if (CView* view = GetActiveView(); view && view->ReloadsOnDataChange()) {
        Message(QStringLiteral("リストを更新します。"), MB_OK, MB_ICONINFORMATION);
        view->RefreshAfterDataChange();
    }
}

// ---------------------------------------------------------------------------
// Toolbars, menus and view switching

bool CMainFrame::CreateToolBars()
{
    for (const CToolBarDef& def : GetToolBarDefs()) {
        auto* bar = new QToolBar(this);
        bar->setObjectName(QStringLiteral("ToolBar%1").arg(def.resourceId));
        bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
        for (int id : def.buttons) {
            if (id == 0)
                bar->addSeparator();
            else
                bar->addAction(Action(id));
        }
        // The ledger screens' bar stays where it is.
        if (def.resourceId == 446) {
            bar->setMovable(false);
            bar->setFloatable(false);
        }
        addToolBar(Qt::TopToolBarArea, bar);
        bar->hide();
        m_toolBars.insert(def.resourceId, bar);
    }
    // The keys work on every screen, the menu screen without a toolbar too
    // (Delete there is the carry-forward).
    for (int id : GetAcceleratorCommands())
        addAction(Action(id));
    return m_toolBars.size() == 16;
}

QToolBar* CMainFrame::GetToolBar(int resourceId) const
{
    return m_toolBars.value(resourceId);
}

QAction* CMainFrame::Action(int id)
{
    QAction*& action = m_actions[id];
    if (!action) {
        action = new QAction(this);
        const QString text = GetCommandText(id);
        action->setText(text.isEmpty() ? QString::number(id) : text);
        action->setToolTip(action->text());
        action->setStatusTip(GetCommandPrompt(id));
        if (const QString key = GetCommandShortcut(id); !key.isEmpty())
            action->setShortcut(QKeySequence(key));
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    }
    return action;
}

QAction* CMainFrame::FindMenuItem(int id) const
{
    const auto* bar = qobject_cast<const QMenuBar*>(menuWidget());
    if (!bar || id == 0)
        return nullptr;
    for (const QMenu* menu : bar->findChildren<QMenu*>()) {
        for (QAction* item : menu->actions()) {
            if (!item->menu() && !item->isSeparator() && item->data().toInt() == id)
                return item;
        }
    }
    return nullptr;
}

QAction* CMainFrame::InsertMenuItem(int beforeId, int id, const QString& text, bool separatorAfter)
{
    QAction* before = FindMenuItem(beforeId);
    auto* menu = before ? qobject_cast<QMenu*>(before->parent()) : nullptr;
    if (!menu)
        return nullptr;
    auto* item = new QAction(text, menu);
    item->setShortcutContext(Qt::WidgetShortcut);
    item->setData(id);
    item->setStatusTip(GetCommandPrompt(id));
    connect(item, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    menu->insertAction(before, item);
    if (separatorAfter)
        menu->insertSeparator(before);
    return item;
}

void CMainFrame::SetMenuBarFor(int menuId)
{
    const QList<CMenuEntry>& entries = GetMenuResource(menuId);
    if (entries.isEmpty()) {
        if (QWidget* old = menuWidget()) {
            setMenuWidget(nullptr);
            old->deleteLater();
        }
        return;
    }
    auto* bar = new QMenuBar(this);
    QList<QMenu*> stack;
    for (const CMenuEntry& entry : entries) {
        const QString text = QString::fromUtf8(entry.text);
        switch (entry.kind) {
        case CMenuEntry::PopupBegin: {
            QMenu* menu = stack.isEmpty() ? bar->addMenu(text) : stack.last()->addMenu(text);
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenuStates(menu); });
            ShowDisabledEntryPrompts(menu, statusBar());
            stack << menu;
            break;
        }
        case CMenuEntry::PopupEnd:
            stack.removeLast();
            break;
        case CMenuEntry::Separator:
            stack.last()->addSeparator();
            break;
        case CMenuEntry::Command: {
            // The menu shows its own text; the shared action keeps the command.
            QAction* shared = Action(entry.id);
            auto* item = new QAction(text.section(u'\t', 0, 0), stack.last());
            if (text.contains(u'\t'))
                item->setShortcut(shared->shortcut());
            item->setShortcutContext(Qt::WidgetShortcut);
            item->setData(entry.id);
            item->setStatusTip(shared->statusTip());
            connect(item, &QAction::triggered, this, [this, id = entry.id] { ExecuteCommand(id); });
            stack.last()->addAction(item);
            break;
        }
        }
    }
    setMenuBar(bar);
}

void CMainFrame::SetViewMenu(int menuId)
{
    SetMenuBarFor(menuId);
}

void CMainFrame::UpdateMenuStates(QMenu* menu)
{
    for (QAction* item : menu->actions()) {
        if (item->menu() || item->isSeparator())
            continue;
        const CCmdUI ui = QueryCommandState(item->data().toInt());
        item->setEnabled(ui.enabled);
        item->setCheckable(ui.checked);
        item->setChecked(ui.checked);
    }
}

void CMainFrame::UpdateToolBarStates()
{
    // A disabled action ignores its key, so the keys follow the screen too.
    for (int id : GetAcceleratorCommands())
        Action(id)->setEnabled(QueryCommandState(id).enabled);
    for (QToolBar* bar : std::as_const(m_toolBars)) {
        if (!bar->isVisible())
            continue;
        for (QAction* action : bar->actions()) {
            const int id = m_actions.key(action, 0);
            if (id == 0)
                continue;
            const CCmdUI ui = QueryCommandState(id);
            action->setEnabled(ui.enabled);
        }
    }
}

void CMainFrame::SwitchView(int kind, std::any request)
{
    if (kind < 0 || kind > kMaxViewKind)
        return;
    CViewKindInfo info = GetViewKindInfo(kind);
    // A screen no subsystem provides is shown as the menu screen, which
    // takes nothing.
    if (info.viewClass != EViewClass::Menu && !CViewRegistry::Instance().IsRegistered(info.viewClass)) {
        kind = 0;
        info = GetViewKindInfo(0);
        request.reset();
    }
    // The screen shown stays as it is, unless the command hands it what it
    // chose anew: then the screen opens again with it.
    if (kind == m_nViewKind && !request.has_value())
        return;
    if (m_nViewKind >= 1 && m_nViewKind <= 3)
        ReleaseExtractCondition();

    if (std::unique_ptr<CView> made{CreateView(info.viewClass, *this)}) {
        // The new view takes (and may refuse, by throwing) what was handed
        // over before the frame changes anything.
        made->TakeRequest(std::move(request));
        CView* view = made.release();
        m_nViewKind = kind;
        SetMenuBarFor(info.menuId);
        CView* old = GetActiveView();
        CWaitCursor wait;
        if (old)
            old->hide();
        // The old view stays the frame's child until its deletion, so it
        // never outlives the frame.
        setCentralWidget(view);
        view->show();
        view->OnInitialUpdate();
        m_pActiveView = view;
        view->update();
        // The old view may be the one whose handler asked for the switch.
        if (old)
            old->deleteLater();
    }
    if (m_pFindDialog)
        QMetaObject::invokeMethod(m_pFindDialog, &QDialog::reject, Qt::QueuedConnection);
}

void CMainFrame::ShowViewToolBar(bool show)
{
    const int current = GetViewKindInfo(m_nViewKind).toolBarId;
    for (auto it = m_toolBars.cbegin(); it != m_toolBars.cend(); ++it)
        it.value()->setVisible(show && it.key() == current);
}

// ---------------------------------------------------------------------------
// Commands

void CMainFrame::ExecuteCommand(int id)
{
    if (CView* view = GetActiveView(); view && view->OnCmdMsg(id))
        return;
    if (OnCmdMsg(id))
        return;
    if (s_pAppTarget)
        s_pAppTarget->OnCmdMsg(id);
}

CCmdUI CMainFrame::QueryCommandState(int id)
{
    CCmdUI ui;
    CView* view = GetActiveView();
    if (view && view->OnUpdateCmdUI(id, ui))
        return ui;
    if (OnUpdateCmdUI(id, ui))
        return ui;
    if (s_pAppTarget && s_pAppTarget->OnUpdateCmdUI(id, ui))
        return ui;
    // Without an update handler a command is available when some target of
    // the route would handle it.
    ui.enabled = (view && view->HasCommandHandler(id)) || HasCommandHandler(id) ||
                 (s_pAppTarget && s_pAppTarget->HasCommandHandler(id));
    return ui;
}

void CMainFrame::MapCommands()
{
    MapCommand(ID_BACK_TO_MENU, [this] { OnBackToMenu(); });
    MapCommand(ID_ITEM_LIST, [this] { SwitchView(1); });
    MapCommand(ID_CUSTOMER_LIST, [this] { SwitchView(2); });
    MapCommand(ID_SUPPLIER_LIST, [this] { SwitchView(3); });
    MapCommand(ID_ESTIMATE_LIST, [this] { SwitchView(4); });
    MapCommand(ID_HEADER_VIEW, [this] { SwitchView(4); });
    MapCommand(ID_SALES_LIST, [this] { SwitchView(5); });
    MapCommand(ID_ORDER_LIST, [this] { SwitchView(6); });
    MapCommand(ID_STOCK_LIST, [this] { SwitchView(7); });
    MapCommand(ID_RECEIPT_SCHEDULE, [this] {
        m_nCalendarCloseDay = 0;
        SwitchToReportList(*this, 10);
    });
    for (int id : {ID_ESTIMATE_NEW, ID_SALES_NEW, ID_ORDER_NEW, ID_STOCK_NEW})
        MapCommand(id, [this, id] { SlipForm::OnNewSlipCommand(id, GetActiveView()); });
    MapCommand(ID_FORM_CTRL, [this] { SlipForm::OnFormCtrlCommand(GetActiveView()); });
    MapCommand(ID_FORM_BACKUP, [] { SlipForm::OnBackupOrgCommand(); });
    MapCommand(ID_FORM_RESTORE, [] { SlipForm::OnRestoreOrgCommand(); });
    MapCommand(ID_DB_BACKUP, [this] { BackupDatabase(1); });
    MapCommand(ID_DB_RESTORE, [this] { OnRestoreDatabase(); });
    MapCommand(ID_DB_COMPACT, [this] { OnCompactDatabase(); });
    MapCommand(ID_EDIT_FIND, [this] { OnEditFind(); });
    MapCommand(ID_ENV_SETTINGS, [this] { OnEnvSettings(); });
    MapCommand(ID_TOOL_SEAL, [this] { RunTool(ID_TOOL_SEAL, {QStringLiteral("Veltrane"), {}}, {}); });
    MapCommand(ID_TOOL_PHRASES, [this] { RunTool(ID_TOOL_PHRASES, {QStringLiteral("Ossrick"), {}}, {}); });
    MapCommand(ID_TOOL_CALCULATOR, [this] {
        RunTool(ID_TOOL_CALCULATOR, {QStringLiteral("Tamberlo"), DesktopCalculators()}, {});
    });
    MapCommand(ID_TOOL_PHONEBOOK, [this] {
        RunTool(ID_TOOL_PHONEBOOK, {QStringLiteral("MorvekTel"), {}}, {});
    });
    MapCommand(ID_TOOL_PHONEBOOK_BACKUP, [this] {
        RunTool(ID_TOOL_PHONEBOOK_BACKUP, {QStringLiteral("MorvekTel"), {}}, QStringLiteral(" /B"));
    });
    MapCommand(ID_TOOL_PHONEBOOK_RESTORE, [this] {
        RunTool(ID_TOOL_PHONEBOOK_RESTORE, {QStringLiteral("MorvekTel"), {}}, QStringLiteral(" /R"));
    });
    MapCommand(ID_WEB_SOFTWARE,
               [this] { OpenUrl(QStringLiteral("https://www.corvanta.example.jp/software/")); });
    MapCommand(ID_WEB_SHOP, [this] { OpenUrl(QStringLiteral("https://shop.lindqvar.example.jp/")); });
    // The subsystems' own frame commands.
    const auto& commands = CViewRegistry::Instance().GetCommands();
    for (auto it = commands.cbegin(); it != commands.cend(); ++it) {
        const CViewRegistry::CommandHandler command = it.value();
        MapCommand(it.key(), [this, command] { command(*this); });
    }
}

bool CMainFrame::OnUpdateCmdUI(int id, CCmdUI& ui)
{
    // A subsystem's frame command that is not available here.
    const CViewRegistry& registry = CViewRegistry::Instance();
    if (registry.HasCommand(id) && !registry.IsCommandEnabled(id, *this)) {
        ui.Enable(false);
        return true;
    }
    return false;
}

void CMainFrame::OnBackToMenu()
{
    const int left = m_nViewKind;
    SwitchView(0);
    // Only the screens that change data bring the calendar up to date.
    static const QList<int> changing{2, 3, 5, 7, 8, 10, 12, 14, 15};
    if (m_nViewKind == 0 && changing.contains(left) && ReloadCalendar())
        ResetMenuCalendar(GetActiveView());
}

void CMainFrame::RunTool(int id, const CToolProgram& tool, const QString& args)
{
    const QString menuText = GetCommandText(id);
    const QString program = FindToolProgram(CArdoEnv().GetProgramFolder(), tool);
    if (program.isEmpty())
        Message(ToolNotInstalledMessage(menuText), MB_OK, MB_ICONINFORMATION);
    else if (!RunExe(program, args))
        Message(ToolFailedMessage(menuText), MB_OK, MB_ICONEXCLAMATION);
}
