#pragma once

#include "app/View.h"
#include "app/menu/MenuButtonTracker.h"
#include "app/menu/MenuCalendar.h"
#include "app/menu/MenuLayout.h"

#include <QMap>

#include <functional>

class CCDSData;
class QActionGroup;
class QImage;
class QMenu;
class QScrollBar;

// The menu screen (view kind 0): a picture with the business buttons that
// open the frame's popups, on two pages (sales and purchase side) chosen by
// tabs, the bottom row (database, settings, forms, tools, help, exit), the
// database list beside the current database's name, and the schedule
// calendar whose marks open the closing and schedule screens.
// Until the connection has given a current period it shows the start-up
// picture. The rules live in the layout, tracker and calendar classes; the
// view paints and forwards events.
class CTollavineView : public CView
{
    Q_OBJECT

  public:
    // Switches the current database to a registered name: 1 switched,
    // anything else not (the switch has said why).
    using DatabaseSwitcher = std::function<int(CMainFrame& frame, const QString& name)>;

    explicit CTollavineView(CMainFrame& frame);
    ~CTollavineView() override;

    void OnInitialUpdate() override;
    // From the start-up picture to the full menu screen.
    void ShowMenuScreen();
    // Resets the calendar from the frame's period and calendar data: scroll
    // range and position, marks, cell states.
    void SetScroll();

    // The database list's items (ids 108 and up) besides the mapped commands.
    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CCmdUI& ui) override;
    bool HasCommandHandler(int id) const override;

    // The default, and what an empty switcher restores, is the database
    // administration's switch (CDBChangeDlg::SwitchDatabase).
    static void SetDatabaseSwitcher(DatabaseSwitcher switcher);

    // A database made from the template carries a marker file until its
    // company information was first shown: while it is there, the company
    // information and then the sales conditions are asked for.
    void CheckFirstRun();

    // The actions of the four button groups; `screen` is the release point.
    int ClickFile(const QPoint& screen, int index);
    int ClickBtn(const QPoint& screen, int index);
    int ClickCalButton(int index);
    void ClickMark(int cell);
    // Makes the page of tab `index` current; the current page's tab does
    // nothing.
    int ClickTab(int index);

    const CMenuLayout& Layout() const { return m_layout; }
    const CMenuCalendar& Calendar() const { return m_calendar; }
    const CMenuButtonTracker& Tracker() const { return m_tracker; }
    QScrollBar* ScrollBar() const { return m_pScrollBar; }
    // The database list's item ids and names, as last shown.
    const QMap<int, QString>& PopupIds() const { return m_mapPopupId; }
    // The database list as last shown; null before.
    QMenu* DatabaseMenu() const { return m_pDatabaseMenu; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void SetCaption(bool caption);
    void FitFrameToBitmap(bool startup);
    void ResetCalendar(const CCDSData& records);
    void RefreshPics();
    // After the frame reloaded the calendar for its (new) period.
    void CalendarReloaded(bool ok);
    void OnCalPrev();
    void OnCalToday();
    void OnCalNext();
    void ShowDatabaseList(const QPoint& screen);
    // The popups' entries the menu screen handles itself.
    void OnItemNew();
    void OnCustomerNew();
    void OnSupplierNew();
    void OnItemExtract();
    void OnCustomerExtract();
    void OnSupplierExtract();
    // The master list of `kind` after an accepted extraction for it.
    void ExtractAndShow(int kind);
    void OnStaffSetting();
    void OnReceiptTextSetting();
    void OnClassSetting();
    void OnAddDatabase();
    void OnCompanyInfo();
    void OnSalesCondition();
    // After the current database changed: its settings, period and calendar.
    void DatabaseSwitched();
    void Repaint(const QList<QRect>& rects);
    void UpdateCursor();
    bool DrawPicture(QPainter& painter, int id, const QPoint& at) const;
    static bool DrawImage(QPainter& painter, const QImage& picture, const QPoint& at);
    void DrawDatabaseName(QPainter& painter) const;
    void DrawCalendar(QPainter& painter) const;

    QMap<int, QString> m_mapPopupId;
    QScrollBar* m_pScrollBar = nullptr;
    QMenu* m_pDatabaseMenu = nullptr;
    QActionGroup* m_pDatabaseGroup = nullptr;
    int m_nBackground = -1;
    CMenuLayout m_layout;
    CMenuButtonTracker m_tracker;
    CMenuCalendar m_calendar;
};
