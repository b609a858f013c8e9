#pragma once

#include "resources/ViewKinds.h"

#include <QHash>

#include <functional>

class CMainFrame;
class CView;
class QWidget;
struct CReceiptRequest;
struct CStockChangeRequest;

// The views the frame can show, by view class. Each subsystem registers the
// function that makes its view; the shell itself knows only the menu screen.
class CViewRegistry
{
  public:
    using Creator = std::function<CView*(CMainFrame& frame)>;

    // The program's one registry, filled before the frame is created.
    static CViewRegistry& Instance();

    // A later registration of a class replaces the earlier one.
    void Register(EViewClass viewClass, Creator creator);
    void Unregister(EViewClass viewClass);
    bool IsRegistered(EViewClass viewClass) const;

    // The view of a class for the frame; the menu screen for a class nobody
    // registered or whose creator made nothing.
    CView* Create(EViewClass viewClass, CMainFrame& frame) const;

    // Commands of the frame that a subsystem provides (the menu screen's
    // entries that open a subsystem's dialog: a new customer, a closing's
    // options ...). The frame maps them when it is created, after its own
    // and before the application's; a view that maps the same id handles
    // it first. A later registration of an id replaces the earlier one.
    using CommandHandler = std::function<void(CMainFrame& frame)>;
    // Whether the command is available now; none means always.
    using CommandEnabler = std::function<bool(const CMainFrame& frame)>;
    void RegisterCommand(int id, CommandHandler handler, CommandEnabler enabled = {});
    bool HasCommand(int id) const { return m_commands.contains(id); }
    // False when the command is registered and not available now.
    bool IsCommandEnabled(int id, const CMainFrame& frame) const;
    const QHash<int, CommandHandler>& GetCommands() const { return m_commands; }

    // Dialogs of a subsystem that the menu screen's own commands open; the
    // menu screen does what follows. The argument is the record kind (1-3)
    // of an entry or the target (0-2) of an extraction; the answer whether
    // the user accepted. The report lists' opener takes the list's view kind
    // (8-48) and opens it on its default conditions; its answer is whether
    // it opened one. An empty opener removes the registration.
    enum class EOpener { MasterEntry, MasterExtract, ReportList };
    using Opener = std::function<bool(CMainFrame& frame, int arg)>;
    void RegisterOpener(EOpener which, Opener opener);
    bool HasOpener(EOpener which) const { return m_openers.contains(int(which)); }
    // False when none is registered or the user cancelled.
    bool RunOpener(EOpener which, CMainFrame& frame, int arg) const;

    // Dialogs of one subsystem that another's list opens with presets and
    // reads back (app/DialogRequests.h): the receipt or payment of a
    // schedule or receipt-list row, the stock movement of a stock-list row.
    // The answer whether the user accepted; false when none is registered.
    using ReceiptOpener =
        std::function<bool(CMainFrame& frame, QWidget* parent, const CReceiptRequest& request)>;
    using StockChangeOpener =
        std::function<bool(CMainFrame& frame, QWidget* parent, CStockChangeRequest& request)>;
    void RegisterOpener(ReceiptOpener opener) { m_receiptOpener = std::move(opener); }
    void RegisterOpener(StockChangeOpener opener) { m_stockChangeOpener = std::move(opener); }
    bool RunOpener(CMainFrame& frame, QWidget* parent, const CReceiptRequest& request) const;
    bool RunOpener(CMainFrame& frame, QWidget* parent, CStockChangeRequest& request) const;

  private:
    QHash<int, Creator> m_creators;
    QHash<int, CommandHandler> m_commands;
    QHash<int, CommandEnabler> m_enablers;
    QHash<int, Opener> m_openers;
    ReceiptOpener m_receiptOpener;
    StockChangeOpener m_stockChangeOpener;
};

// Creates the view of a class through the program's registry.
CView* CreateView(EViewClass viewClass, CMainFrame& frame);

// Opens the report list of a view kind (8-48) on its default conditions
// through the report lists' opener; without one, or for another kind, the
// frame switches to the kind as it is.
void SwitchToReportList(CMainFrame& frame, int kind);

// The menu screen's services the frame calls, on the view shown for kind 0
// (nothing for another view): show itself in full once connected, and reset
// its calendar after the calendar data was reloaded.
void ShowMenuScreen(CView* view);
void ResetMenuCalendar(CView* view);
// The first-run setup of the current database, on the menu screen.
void CheckFirstRun(CView* view);
