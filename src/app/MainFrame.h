#pragma once

#include "app/CommandTarget.h"
#include "app/EnvSettings.h"
#include "app/SlipForm.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "settings/db/OpenProgress.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QHash>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <any>
#include <functional>
#include <memory>

class CDataChangedServer;
struct CToolProgram;
class CExCondition;
class CFindDialog;
class IMasterList;
class CView;
class IManagerLink;
class QAction;
class QMenu;
class QRect;
class QToolBar;
struct CFindRequest;

// The one frame window. It owns the data-access object and the connection
// to the database manager, swaps one view at a time by view kind, holds the
// values that cross screens and decides whether the program may close.
class CMainFrame : public QMainWindow, public CCommandTarget
{
    Q_OBJECT

  public:
    // Backup of the current database: (frame, mode) -> 1 done, 0 cancelled,
    // -1 failed, -10/-20/-100 as above but not reconnected. Mode 2 = at exit.
    using BackupHandler = std::function<int(CMainFrame& frame, int mode)>;
    // Builds the manager link; the default is the in-process manager.
    using ManagerLinkFactory = std::function<std::unique_ptr<IManagerLink>(CMainFrame& frame)>;

    explicit CMainFrame(ManagerLinkFactory linkFactory = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The one frame of the program, null when there is none.
    static CMainFrame* Instance();
    // The application object: the last receiver of commands.
    static void SetApplicationTarget(CCommandTarget* target);

    // Creation: data access, manager, settings, toolbars, menu-screen popups;
    // false ends the program (its message has been shown). The connection
    // follows as queued calls once the event loop runs.
    bool Create();

    CMakeMsgID& GetMakeMsgID() { return m_MakeMsgID; }
    CView* GetActiveView() const;

    // --- view switching ---
    int GetViewKind() const { return m_nViewKind; }
    // For the report list, which changes its own mode and menu.
    void SetViewKind(int kind) { m_nViewKind = kind; }
    void SetViewMenu(int menuId);
    // Shows the view of `kind` with its menu bar; the view shows its toolbar
    // in its first update. `request` goes to the new view before anything
    // changes: what the command chose for the screen it opens (a report's
    // conditions, a slip list's extraction). The frame only carries it; a
    // view that refuses it throws, and the screen shown stays. The kind
    // shown stays as it is without a request and opens anew with one.
    void SwitchView(int kind, std::any request = {});
    // Hides every toolbar but the current kind's, which gets `show`.
    void ShowViewToolBar(bool show);
    QToolBar* GetToolBar(int resourceId) const;
    // The one action of a command id: toolbars and shortcuts use it; menu
    // entries keep their own texts and route the same id.
    QAction* Action(int id);
    // The menu bar's item of a command; null when the bar has none.
    QAction* FindMenuItem(int id) const;
    // A new item of a command before the item of `beforeId` (and a
    // separator after it when asked); null when `beforeId` is not there.
    QAction* InsertMenuItem(int beforeId, int id, const QString& text, bool separatorAfter);

    // --- commands: the active view first, then the frame, then the application ---
    void ExecuteCommand(int id);
    // Enable and check state of a command as the handlers see it now.
    CCmdUI QueryCommandState(int id);
    bool OnUpdateCmdUI(int id, CCmdUI& ui) override;

    // --- manager link ---
    int GetConnectionID() const { return m_nConnectID; }
    bool IsConnected() const;
    // The connection at start-up failed: the program ends as a failed start.
    bool ConnectFailed() const { return m_bConnectFailed; }
    // Release and connect again around database operations: the manager's
    // answers (50 = other screens still use the database).
    int ReleaseDatabase();
    int ConnectDatabase();
    // The manager's order to close: no backup at exit.
    void OnManagerClose();
    static void SetBackupHandler(BackupHandler handler);
    // Whether the program may close now (asks, runs the backup at exit).
    bool QueryClose();

    // --- database administration ---
    // Backup of the current database; modes and answers as BackupHandler.
    int BackupDatabase(int mode);
    void OnRestoreDatabase();
    void OnCompactDatabase();

    // --- current period, calendar and database name ---
    void SetCurrentPeriod();
    // Nonzero on success; the menu screen reads m_CalendarData.
    int ReloadCalendar();
    // Nonzero when a current database is registered; stores its name.
    int GetCurrentDatabaseName();
    QDate GetLastCarryForwardDate();
    const QDate& GetPeriodStart() const { return m_dtPeriodStart; }
    const QDate& GetPeriodEnd() const { return m_dtPeriodEnd; }
    void SetPeriod(const QDate& start, const QDate& end);
    const CCDSData& GetCalendarData() const { return m_CalendarData; }
    const QString& GetDatabaseName() const { return m_strDatabaseName; }

    // --- environment settings ("MSettingInfo.dat" of the current database) ---
    int LoadSettings();
    // Nonzero when saved; else `why` (when given) names the file and the
    // reason.
    int SaveSettings(QString* why = nullptr);
    const CEnvSettings& GetEnvSettings() const { return m_EnvSettings; }
    QColor GetListBackColor() const { return m_EnvSettings.ListBackColor(); }
    // Makes the list font again from its description.
    void RecreateListFont();
    // "環境設定": the dialog, then the settings taken, saved and shown.
    void OnEnvSettings();
    // After the dialog's OK: takes the settings, reloads the calendar when
    // its start moved, saves and tells the active view.
    void ApplyEnvSettings(const CEnvSettings& settings);

    // --- menu-screen popups (built by the menu-screen code) ---
    int BuildMenuScreenPopups();

    // --- slip-form program (see SlipForm) ---
    int OpenSlipForm(int kind, const QString& text, long layout);
    int RunSlipFormProgram(const QString& commandLine);
    int PutSlipListOnClipboard(const CFormPrintList* list, long layout);

    // --- launcher, web page, code lookup, master-list relays ---
    int RunExe(const QString& path, const QString& args = {});
    int OpenUrl(const QString& url);
    int CheckDuplicateCode(const QString& table, const QString& field, const QString& code, CCDSData& result);
    int NotifyMasterRecordAdded(const COneRecord* record);
    int NotifyMasterRecordsAdded(const CCDSData& set);
    COneRecord* SelectNextMasterRecord(COneRecord* record);
    COneRecord* SelectPrevMasterRecord(COneRecord* record);
    int GetMasterPrevNextState(bool& hasPrev, bool& hasNext);

    // --- find dialog, list font, extraction ---
    void OnEditFind();
    // Each search of the find dialog, and its closing.
    long OnFindReplace(const CFindRequest& request);
    CFindDialog* GetFindDialog() const { return m_pFindDialog; }
    void SetListFont(QWidget* window, bool redraw);
    void MoveAndSetListFont(QWidget* window, const QRect& rect, const QFont* font, bool repaint, bool redraw);
    const QFont& GetListFont() const { return m_ListFont; }
    bool HasListFont() const { return m_bListFontCreated; }
    // Takes ownership of a confirmed extraction (the previous one is
    // released) with its flag: 1 when it is a saved condition taken over
    // unchanged.
    void SetExtractCondition(std::unique_ptr<CExCondition> condition, int takenOver);
    CExCondition* GetExtractCondition() const { return m_pExCondition.get(); }
    void ReleaseExtractCondition();

  public Q_SLOTS:
    // Another program of the installation changed data.
    void OnDataChanged();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void MapCommands();
    void OnManagerConnected();
    void UpdateMenuStates(QMenu* menu);
    void UpdateToolBarStates();
    void OnConnectResult();
    void OnDestroy();
    bool CreateToolBars();
    void SetMenuBarFor(int menuId);
    void OnBackToMenu();
    void RunTool(int id, const CToolProgram& tool, const QString& args);
    IMasterList* ActiveMasterList() const;

    CWaitOpenProgress m_openProgress; // outlives the object that holds it
    CMakeMsgID m_MakeMsgID;
    ManagerLinkFactory m_linkFactory;
    std::unique_ptr<IManagerLink> m_pManager;
    QPointer<CView> m_pActiveView;
    QMap<int, QToolBar*> m_toolBars;
    QHash<int, QAction*> m_actions;
    CDataChangedServer* m_pDataChanged = nullptr;
    bool m_bCreated = false;
    bool m_bDestroyed = false;
    bool m_bConnectFailed = false;
    QString m_strToldReadOnly; // the read-only file the user was told of

  public:
    // Values the frame keeps across screens; views and dialogs read and write
    // them directly.

    // Manager: the connection id, 0 until connected.
    int m_nConnectID = 0;

    // Menu-screen popups: 14 business popups, 11 of their submenus, the 5
    // bottom buttons' popups (and the online submenu among them).
    QMenu* m_PopupMenu[14] = {};
    QMenu* m_SubPopupMenu[11] = {};
    QMenu* m_BottomPopupMenu[5] = {};

    // The modeless find dialog, null when none.
    CFindDialog* m_pFindDialog = nullptr;

    // The active master extraction and its flag (1: a saved condition taken
    // over unchanged).
    std::unique_ptr<CExCondition> m_pExCondition;
    int m_bExtract = 0;

    // Date and closing day chosen on the menu-screen calendar.
    QDate m_dtCalendarDate;
    int m_nCalendarCloseDay = 0;

    // The list font made from the settings' description.
    QFont m_ListFont;
    bool m_bListFontCreated = false;

    // Current period (dates only; invalid until computed) and its calendar.
    QDate m_dtPeriodStart;
    QDate m_dtPeriodEnd;
    CCDSData m_CalendarData;

    QString m_strDatabaseName;
    // The menu-screen calendar's first visible row, kept across screens.
    int m_nCalendarScrollPos = 0;
    int m_nViewKind = 0;
    // The environment settings: version, list colour, calendar start days,
    // backup at exit, list font description, automatic font shrink.
    CEnvSettings m_EnvSettings;
    // Set when the manager ordered the close or the connect failed: no
    // backup at this exit (the saved setting stays as the user chose it).
    bool m_bSkipBackupAtExit = false;
};
