// The program driven as a user drives it: started through the application
// object on a copy of the report world, every screen reached through the
// command that opens it, every enabled entry of its menu bar and toolbar and
// every entry of the menu screen's popups triggered. Whatever opens is
// written down and closed with Escape, so every question is declined and the
// data outside the work tables stays as it was.
#include "reports/ReportFixture.h"

#include "TestPaths.h"
#include "app/AppHome.h"
#include "app/Application.h"
#include "app/MainFrame.h"
#include "app/View.h"
#include "app/ViewRegistry.h"
#include "app/menu/MenuPopupTable.h"
#include "app/menu/MenuPopups.h"
#include "app/menu/TollavineView.h"
#include "exchange/ExchangeModule.h"
#include "master/MasterModule.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/mail/MapiMail.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/UiServices.h"
#include "reports/LedgerCreateDlg.h"
#include "reports/ReportsModule.h"
#include "resources/CommandIds.h"
#include "resources/Menus.h"
#include "resources/ViewKinds.h"
#include "slips/SlipsModule.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <sqlite3.h>

#include <functional>
#include <iostream>
#include <map>
#include <set>

namespace
{

// The program's composition, as main makes it.
const bool g_registered = [] {
    CViewRegistry& views = CViewRegistry::Instance();
    RegisterMasterViews(views);
    RegisterSlipViews(views);
    RegisterReportViews(views);
    RegisterExchangeCommands();
    return true;
}();

// Dialogs that choose what a screen shows: accepted with what they offer,
// so the screen behind them opens.
const QSet<QString> kAcceptedDialogs = {
    QStringLiteral("期間の指定"),
    QStringLiteral("抽出条件の設定"),
    QStringLiteral("条件設定"),
    QStringLiteral("売掛一覧の表示条件を設定"),
    QStringLiteral("買掛一覧の表示条件を設定"),
    QStringLiteral("締め請求書の作成"),
    QStringLiteral("支払の締切"),
};

// Messages that are the right answer to a command on this data with the
// first row selected and every question declined.
const QSet<QString> kExpectedMessages = {
    QStringLiteral("書き出すデータを選択してください。\n"),
};

// Commands never triggered: they end the program.
const QSet<int> kNotTriggered = {57665};

// Screens no menu entry opens: the ledgers and the stock detail come from a
// double click on a balance or stock row, driven after the others.
const QSet<int> kDrillDownKinds = {42, 43, 44};

// Screens that show nothing for this data with what their dialogs offer:
// no partner is due for a closing in the current period (8, 9) and no
// purchase carries a staff name (30, 40).
const QSet<int> kEmptyKinds = {8, 9, 30, 40};

// Commands that may show no effect: select-all with the only row selected
// already.
const QSet<QString> kQuietCommands = {QStringLiteral("6:33024")};

// The work tables ("WAtena", "WShime_H" ...) that printing and the lists
// fill for themselves, and SQLite's own.
bool IsWorkTable(const QString& table)
{
    return (table.size() > 1 && table[0] == u'W' && table[1].isUpper()) ||
           table.startsWith(QStringLiteral("sqlite_"));
}

// Every row of every table but the work tables, as one digest per table.
std::map<QString, QByteArray> Snapshot(const QString& file)
{
    std::map<QString, QByteArray> tables;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return tables;
    }
    QStringList names;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1, &st,
                       nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    for (const QString& name : std::as_const(names)) {
        if (IsWorkTable(name))
            continue;
        QCryptographicHash hash(QCryptographicHash::Sha1);
        const QByteArray sql = "SELECT * FROM \"" + name.toUtf8() + "\" ORDER BY rowid";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
            continue;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto* text = sqlite3_column_text(st, c);
                hash.addData(text ? QByteArrayView(reinterpret_cast<const char*>(text))
                                  : QByteArrayView("\x01"));
                hash.addData(QByteArrayView("\x02"));
            }
        }
        sqlite3_finalize(st);
        tables[name] = hash.result();
    }
    sqlite3_close(db);
    return tables;
}

// Records the program's messages and answers each the way Escape would:
// No, Cancel, or OK when that is the only button; pickers are cancelled.
class CEscapePrompt : public IPrompt
{
  public:
    int MessageBox(const QString& text, int buttons, int icon, int, const QString&) override
    {
        messages << SMessage{text, icon, context};
        if (!yes.isEmpty() && text == yes)
            return buttons == MB_OKCANCEL ? IDOK : IDYES;
        switch (buttons) {
        case MB_YESNO:
            return IDNO;
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
            return IDCANCEL;
        default:
            return IDOK;
        }
    }
    QString GetOpenFileName(const QString& title, const QString&, const QString&) override
    {
        pickers << title;
        return {};
    }
    QString GetSaveFileName(const QString& title, const QString&, const QString&, const QString&) override
    {
        pickers << title;
        return {};
    }
    QString GetFolder(const QString& title, const QString&) override
    {
        pickers << title;
        return {};
    }

    struct SMessage {
        QString text;
        int icon;
        QString context;
    };
    QList<SMessage> messages;
    QStringList pickers;
    QString context;
    QString yes; // the one question answered Yes (or OK), when set
};

// External programs, web pages and mail: written down, never started.
class CMailStandIn : public IMailOpener
{
  public:
    bool IsInstalled() override { return true; }
    int Compose(const CMailMessage&) override
    {
        ++composed;
        return 0;
    }
    int composed = 0;
};

// Every window that opens while the program runs: written down, then
// closed with Escape; a dialog that chooses what a screen shows is accepted.
class CWindowWatcher : public QObject
{
  public:
    // `asked` counts the questions shown so far: a window that answers Escape
    // with a question (save the changes?) is not stubborn.
    CWindowWatcher(QWidget* frame, std::function<qsizetype()> asked)
        : m_frame(frame), m_asked(std::move(asked))
    {
        qApp->installEventFilter(this);
    }
    ~CWindowWatcher() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || !widget->isWindow() || widget == m_frame || widget->inherits("QToolTip") ||
            widget->inherits("QTipLabel"))
            return false;
        const QString title = widget->windowTitle();
        opened << QStringLiteral("%1 [%2]").arg(title,
                                                QString::fromLatin1(widget->metaObject()->className()));
        QPointer<QWidget> target(widget);
        const bool accept = kAcceptedDialogs.contains(title);
        const qsizetype asked = m_asked();
        QTimer::singleShot(0, this, [this, target, accept, asked] { Close(target, accept, 0, asked); });
        return false;
    }

    QStringList opened;
    QStringList stubborn;

  private:
    void Close(QPointer<QWidget> target, bool accept, int attempt, qsizetype asked)
    {
        if (!target || !target->isVisible())
            return;
        auto* dialog = qobject_cast<QDialog*>(target.data());
        if (auto* ledger = qobject_cast<CLedgerCreateDlg*>(target.data()); ledger && attempt == 0) {
            // A ledger needs its partner or product: the fixture's busiest.
            const QString table = ledger->Rules().Table();
            ledger->CodeEdit()->setText(ledger->Rules().IsProduct() ? QStringLiteral("I001")
                                        : table.contains(QStringLiteral("Supplier"))
                                            ? QStringLiteral("SP01")
                                            : QStringLiteral("K001"));
            ledger->OnCodeLeft();
            ledger->OnOK();
        } else if (accept && dialog && attempt == 0) {
            dialog->accept();
        } else if (attempt <= 1) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
            QWidget* focus = target->focusWidget() ? target->focusWidget() : target.data();
            QApplication::sendEvent(focus, &press);
            QApplication::sendEvent(focus, &release);
        } else {
            // A window that ignores Escape without asking is a fault; either
            // way it is shut past its own close handling so the run goes on.
            if (m_asked() == asked)
                stubborn << target->windowTitle();
            if (dialog)
                dialog->QDialog::done(QDialog::Rejected);
            else
                target->close();
        }
        QTimer::singleShot(0, this, [this, target, accept, attempt, asked] {
            if (target && target->isVisible() && attempt < 3)
                Close(target, accept, attempt + 1, asked);
        });
    }

    QWidget* m_frame;
    std::function<qsizetype()> m_asked;
};

QList<QAction*> MenuActions(QMenu* menu)
{
    QList<QAction*> actions;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            actions += MenuActions(action->menu());
        else if (!action->isSeparator())
            actions << action;
    }
    return actions;
}

QAbstractItemView* MainList(QWidget* view)
{
    for (QAbstractItemView* list : view->findChildren<QAbstractItemView*>())
        if (list->isVisible() && list->model() && list->model()->columnCount() > 0)
            return list;
    return nullptr;
}

void Pump()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

class EndToEnd : public ReportFixture
{
};

} // namespace

TEST_F(EndToEnd, EveryScreenEntryAndButton)
{
    ASSERT_FALSE(HasFatalFailure());
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    const QString folder = home.AddCurrentDatabase(QStringLiteral("得意先テスト"), QStringLiteral("e2e"));
    ASSERT_FALSE(folder.isEmpty());
    const QString database = folder + QStringLiteral("/QXSelvo.vrz");
    ASSERT_TRUE(QFile::remove(database));
    ASSERT_TRUE(QFile::copy(CMakeMsgID::DatabasePath(Folder()), database));
    const auto before = Snapshot(database);
    ASSERT_GT(before.size(), 5u);

    // Stand-ins for everything outside the program.
    CEscapePrompt prompt;
    CFakeHelp help;
    CFakeClock clock(QDateTime(QDate(2004, 5, 20), QTime(10, 0)));
    CFakeWait wait;
    IPrompt* oldPrompt = UiServices::SetPrompt(&prompt);
    IHelp* oldHelp = UiServices::SetHelp(&help);
    IClock* oldClock = UiServices::SetClock(&clock);
    IWaitIndicator* oldWait = UiServices::SetWait(&wait);
    QStringList launched;
    ProcessLauncher oldLauncher =
        SetProcessLauncher([&launched](const QString& program, const QString& args) {
            launched << program + u' ' + args;
            return true;
        });
    UrlOpener oldOpener = SetUrlOpener([&launched](const QUrl& url) {
        launched << url.toString();
        return true;
    });
    CMailStandIn mail;
    IMailOpener* oldMail = SetMailOpener(&mail);

    const QString shots = QStringLiteral(CORVANTA_E2E_SHOTS);
    QDir().mkpath(shots);
    QStringList faults;
    QStringList silent;
    std::map<int, int> reachedBy; // kind -> command
    std::map<int, int> rows;      // kind -> rows shown
    {
        CTollavineApp app;
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.GetMainFrame();
        ASSERT_TRUE(frame);
        CWindowWatcher watcher(frame, [&prompt] { return prompt.messages.size(); });
        Pump();
        ASSERT_TRUE(frame->IsConnected());
        ASSERT_EQ(frame->GetViewKind(), 0);
        frame->grab().save(shots + QStringLiteral("/kind-00.png"));

        const auto handled = [&](int id) {
            CView* view = frame->GetActiveView();
            return (view && view->HasCommandHandler(id)) || frame->HasCommandHandler(id) ||
                   app.HasCommandHandler(id);
        };
        // What a user could see of a command: a window, a message, a picker,
        // a launch, help, another screen, or a change of the list.
        const auto observable = [&] {
            QStringList state{
                QString::number(watcher.opened.size()), QString::number(prompt.messages.size()),
                QString::number(prompt.pickers.size()), QString::number(launched.size()),
                QString::number(help.Topics().size()),  QString::number(mail.composed),
                QString::number(frame->GetViewKind()),  QString::number(quintptr(frame->GetActiveView()))};
            if (QAbstractItemView* list =
                    frame->GetActiveView() ? MainList(frame->GetActiveView()) : nullptr) {
                state << QString::number(list->model()->rowCount())
                      << QString::number(list->model()->columnCount())
                      << QString::number(list->selectionModel()->selectedRows().size());
            }
            return state;
        };
        const auto trigger = [&](int kind, int id, QAction* action) {
            const QStringList seenBefore = observable();
            const qsizetype shown = prompt.messages.size();
            prompt.context = QStringLiteral("kind %1 command %2").arg(kind).arg(id);
            if (action)
                action->trigger();
            else
                frame->ExecuteCommand(id);
            Pump();
            if (observable() == seenBefore)
                silent << QStringLiteral("%1:%2").arg(kind).arg(id);
            for (qsizetype i = shown; i < prompt.messages.size(); ++i) {
                const auto& m = prompt.messages[i];
                if ((m.icon == MB_ICONSTOP || m.text.contains(QStringLiteral("失敗"))) &&
                    !kExpectedMessages.contains(m.text))
                    faults << m.context + QStringLiteral(": error box ") + m.text;
            }
        };
        const auto backToMenu = [&] {
            if (frame->GetViewKind() != 0)
                frame->SwitchView(0);
            Pump();
        };

        // The menu screen's popups: each entry chosen as a user chooses it,
        // on the menu screen, after the popup showed its entries' states.
        for (int popup = 0; popup < MenuPopup::kCount; ++popup) {
            for (const MenuPopup::SEntry& entry : MenuPopup::Entries(popup)) {
                if (entry.subPopup >= 0 || kNotTriggered.contains(entry.id))
                    continue;
                const int id = entry.id;
                backToMenu();
                QMenu* menu = MenuScreenPopup(*frame, popup);
                QAction* action = nullptr;
                for (QAction* candidate : menu ? menu->actions() : QList<QAction*>())
                    if (!candidate->menu() && candidate->data().toInt() == id)
                        action = candidate;
                if (!action) {
                    faults << QStringLiteral("popup %1: no entry for %2").arg(popup).arg(id);
                    continue;
                }
                Q_EMIT menu->aboutToShow();
                if (!action->isEnabled()) {
                    faults << QStringLiteral("menu screen: %1 disabled").arg(id);
                    continue;
                }
                if (!handled(id))
                    faults << QStringLiteral("menu screen: %1 enabled without a handler").arg(id);
                trigger(0, id, action);
                const int kind = frame->GetViewKind();
                if (kind != 0 && !reachedBy.count(kind))
                    reachedBy[kind] = id;
            }
        }

        // The calendar's marks: each opens its closing or schedule list, which
        // shows what the mark announced.
        backToMenu();
        QStringList marks;
        if (auto* menu = qobject_cast<CTollavineView*>(frame->GetActiveView())) {
            QList<int> cells;
            for (int cell = 0; cell < CMenuLayout::kRows * CMenuLayout::kColumns; ++cell)
                if (menu->Calendar().CellMark(cell) != 0)
                    cells << cell;
            for (int cell : std::as_const(cells)) {
                backToMenu();
                auto* shown = qobject_cast<CTollavineView*>(frame->GetActiveView());
                if (!shown)
                    break;
                const QDate day = frame->GetPeriodStart().addDays(shown->Calendar().FirstRow() +
                                                                  cell / CMenuLayout::kColumns);
                shown->ClickMark(cell);
                Pump();
                const int kind = frame->GetViewKind();
                QAbstractItemView* list = MainList(frame->GetActiveView());
                const int count = list ? list->model()->rowCount() : -1;
                marks << QStringLiteral("%1/%2->%3:%4")
                             .arg(day.toString(Qt::ISODate))
                             .arg(cell % CMenuLayout::kColumns)
                             .arg(kind)
                             .arg(count);
                frame->grab().save(shots + QStringLiteral("/mark-%1-%2.png")
                                               .arg(day.toString(Qt::ISODate))
                                               .arg(cell % CMenuLayout::kColumns));
                if (kind == 0 || count <= 0)
                    faults << QStringLiteral("calendar mark %1 column %2 opens kind %3 with %4 rows")
                                  .arg(day.toString(Qt::ISODate))
                                  .arg(cell % CMenuLayout::kColumns)
                                  .arg(kind)
                                  .arg(count);
            }
        }
        std::cout << "calendar marks: " << marks.join(u' ').toStdString() << std::endl;

        // Each screen reached: its rows, its picture, then every enabled entry
        // of its menu bar and toolbar with the first row selected. `reach`
        // brings the screen back after an entry left it.
        const auto selectFirst = [&] {
            QAbstractItemView* now = MainList(frame->GetActiveView());
            if (!now || now->model()->rowCount() == 0)
                return QModelIndex();
            const QModelIndex first = now->model()->index(0, 0);
            now->setCurrentIndex(first);
            now->selectionModel()->select(first,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return first;
        };
        const auto exercise = [&](int kind, const std::function<void()>& reach) {
            reach();
            if (frame->GetViewKind() != kind) {
                faults << QStringLiteral("kind %1 not reached again").arg(kind);
                return;
            }
            CView* view = frame->GetActiveView();
            QAbstractItemView* list = view ? MainList(view) : nullptr;
            rows[kind] = list ? list->model()->rowCount() : -1;
            frame->grab().save(shots + QStringLiteral("/kind-%1.png").arg(kind, 2, 10, QChar(u'0')));
            // Menu entries by id, looked up again before each: reaching the
            // screen again builds its menu bar anew.
            QList<QPair<int, bool>> entries; // id, from the menu bar
            for (QAction* top : frame->menuBar()->actions())
                if (top->menu())
                    for (QAction* action : MenuActions(top->menu()))
                        entries << qMakePair(action->data().toInt(), true);
            for (const CToolBarDef& bar : GetToolBarDefs())
                if (bar.resourceId == GetViewKindInfo(kind).toolBarId)
                    for (int id : bar.buttons)
                        entries << qMakePair(id, false);
            for (const auto& [id, fromMenu] : entries) {
                if (id == 0 || kNotTriggered.contains(id))
                    continue;
                if (frame->GetViewKind() != kind) {
                    reach();
                    if (frame->GetViewKind() != kind)
                        break;
                }
                selectFirst();
                QAction* item = fromMenu ? frame->FindMenuItem(id) : nullptr;
                if (auto* menu = item ? qobject_cast<QMenu*>(item->parent()) : nullptr)
                    Q_EMIT menu->aboutToShow();
                const bool enabled = frame->QueryCommandState(id).enabled;
                if (item && item->isEnabled() != enabled)
                    faults << QStringLiteral("kind %1: menu entry %2 shows another state than its command")
                                  .arg(kind)
                                  .arg(id);
                if (!enabled)
                    continue;
                if (!handled(id))
                    faults << QStringLiteral("kind %1: %2 enabled without a handler").arg(kind).arg(id);
                trigger(kind, id, item);
                const int after = frame->GetViewKind();
                if (after != kind && after != 0 && !reachedBy.count(after) &&
                    !kDrillDownKinds.contains(after))
                    faults << QStringLiteral("kind %1 reached only from kind %2 by %3")
                                  .arg(after)
                                  .arg(kind)
                                  .arg(id);
            }
        };
        const std::map<int, int> opened = reachedBy;
        for (const auto& [kind, opener] : opened)
            exercise(kind, [&, opener = opener] {
                backToMenu();
                trigger(0, opener, nullptr);
            });

        // The ledgers and the stock detail: a double click on the first row
        // of the balance and stock lists, the question answered Yes.
        for (const auto& [from, to] : {std::pair{23, 43}, std::pair{24, 44}, std::pair{34, 42}}) {
            const auto reach = [&, from = from] {
                backToMenu();
                trigger(0, reachedBy[from], nullptr);
                if (frame->GetViewKind() != from)
                    return;
                const QModelIndex first = selectFirst();
                QAbstractItemView* list = MainList(frame->GetActiveView());
                if (!first.isValid() || !list)
                    return;
                prompt.yes = QStringLiteral("詳細を表示しますか？");
                Q_EMIT list->doubleClicked(first);
                prompt.yes.clear();
                Pump();
            };
            reach();
            if (frame->GetViewKind() != to) {
                faults << QStringLiteral("kind %1 not opened by a double click on kind %2").arg(to).arg(from);
                continue;
            }
            reachedBy[to] = reachedBy[from];
            exercise(to, reach);
        }
        backToMenu();
        for (int kind = 1; kind <= kMaxViewKind; ++kind) {
            if (!reachedBy.count(kind))
                faults << QStringLiteral("kind %1 not reached").arg(kind);
            if (reachedBy.count(kind) && (rows[kind] > 0) == kEmptyKinds.contains(kind))
                faults << QStringLiteral("kind %1 shows %2 rows").arg(kind).arg(rows[kind]);
        }
        for (const QString& command : std::as_const(silent))
            if (!kQuietCommands.contains(command))
                faults << QStringLiteral("kind:command %1 enabled and does nothing").arg(command);
        for (const QString& title : watcher.stubborn)
            faults << QStringLiteral("window ignored Escape: ") + title;

        QStringList seen;
        for (const auto& [kind, opener] : reachedBy)
            seen << QStringLiteral("%1<-%2:%3rows").arg(kind).arg(opener).arg(rows[kind]);
        std::cout << "screens: " << seen.join(u' ').toStdString() << "\nwindows: " << watcher.opened.size()
                  << " messages: " << prompt.messages.size() << " launched: " << launched.size()
                  << " help: " << help.Topics().size() << " mail: " << mail.composed << std::endl;
        // What happened, for reading a failure.
        if (!faults.isEmpty() || qEnvironmentVariableIsSet("CORVANTA_E2E_VERBOSE")) {
            std::cout << "silent: " << silent.join(u' ').toStdString() << "\n";
            for (const auto& m : prompt.messages)
                std::cout << "  message " << m.context.toStdString() << ": "
                          << m.text.simplified().toStdString() << "\n";
            for (const QString& w : watcher.opened)
                std::cout << "  window " << w.toStdString() << "\n";
        }
        app.ExitInstance();
    }
    SetMailOpener(oldMail);
    SetUrlOpener(oldOpener);
    SetProcessLauncher(oldLauncher);
    UiServices::SetWait(oldWait);
    UiServices::SetClock(oldClock);
    UiServices::SetHelp(oldHelp);
    UiServices::SetPrompt(oldPrompt);

    // Every question was declined: nothing outside the work tables moved.
    const auto after = Snapshot(database);
    for (const auto& [table, digest] : before) {
        const auto it = after.find(table);
        if (it == after.end() || it->second != digest)
            faults << QStringLiteral("table changed: ") + table;
    }
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}
