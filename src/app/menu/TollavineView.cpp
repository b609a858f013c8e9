#include "app/menu/TollavineView.h"

#include "app/FrameDbSession.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "app/menu/MenuBitmaps.h"
#include "app/menu/MenuPictures.h"
#include "app/menu/MenuPopupTable.h"
#include "app/menu/MenuPopups.h"
#include "platform/archive/SafeFile.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "resources/CommandIds.h"
#include "settings/db/DBChangeDlg.h"
#include "settings/db/DbFiles.h"
#include "settings/dlg/BunruiSetDlg.h"
#include "settings/dlg/CompanyInfoDlg.h"
#include "settings/dlg/NameListDlg.h"
#include "settings/dlg/SalesConditionDlg.h"

#include <QActionGroup>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>

namespace
{

int SwitchDatabase(CMainFrame& frame, const QString& name)
{
    return CDBChangeDlg(std::make_unique<CFrameDbSession>(frame)).SwitchDatabase(name);
}

CTollavineView::DatabaseSwitcher& Switcher()
{
    static CTollavineView::DatabaseSwitcher switcher = SwitchDatabase;
    return switcher;
}

constexpr int kScrollBarId = 101;
constexpr int kFirstDatabaseItem = 108;
const QColor kScrollBarColour(0xC0, 0xDC, 0xC0);

} // namespace

CTollavineView::CTollavineView(CMainFrame& frame) : CView(frame)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    MapCommand(ID_ITEM_NEW, [this] { OnItemNew(); });
    MapCommand(ID_CUSTOMER_NEW, [this] { OnCustomerNew(); });
    MapCommand(ID_SUPPLIER_NEW, [this] { OnSupplierNew(); });
    MapCommand(ID_ITEM_EXTRACT, [this] { OnItemExtract(); });
    MapCommand(ID_CUSTOMER_EXTRACT, [this] { OnCustomerExtract(); });
    MapCommand(ID_SUPPLIER_EXTRACT, [this] { OnSupplierExtract(); });
    MapCommand(ID_STAFF_SETTING, [this] { OnStaffSetting(); });
    MapCommand(ID_RECEIPT_TEXT_SETTING, [this] { OnReceiptTextSetting(); });
    MapCommand(ID_CLASS_SETTING, [this] { OnClassSetting(); });
    MapCommand(ID_DB_CHANGE, [this] { OnAddDatabase(); });
    MapCommand(ID_COMPANY_INFO, [this] { OnCompanyInfo(); });
    MapCommand(ID_SALES_CONDITION, [this] { OnSalesCondition(); });
    m_tracker.SetFilter(CMenuButtonTracker::Cell,
                        [this](int cell) { return m_calendar.CellMark(cell) != 0; });
    m_tracker.SetFilter(CMenuButtonTracker::Tab, [this](int tab) { return tab != m_layout.Page(); });
}

CTollavineView::~CTollavineView()
{
    CMainFrame& frame = GetFrame();
    if (m_pScrollBar)
        frame.m_nCalendarScrollPos = m_calendar.FirstRow();
    // Other screens may be resized again, and have their status bar.
    frame.setMinimumSize(0, 0);
    frame.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    frame.statusBar()->setSizeGripEnabled(true);
    frame.statusBar()->show();
}

void CTollavineView::SetDatabaseSwitcher(DatabaseSwitcher switcher)
{
    Switcher() = switcher ? std::move(switcher) : SwitchDatabase;
}

void CTollavineView::OnInitialUpdate()
{
    CMainFrame& frame = GetFrame();
    frame.setWindowTitle(ProgramTitle() + QStringLiteral(u"メニュー"));
    if (frame.isMinimized() || frame.isMaximized())
        frame.showNormal();
    frame.ShowViewToolBar(false);
    if (frame.GetPeriodStart().isValid() && frame.GetPeriodEnd().isValid()) {
        ShowMenuScreen();
        return;
    }
    // Not connected yet: the start-up picture, without a caption.
    SetCaption(false);
    m_nBackground = MenuBitmap::kStartup;
    FitFrameToBitmap(true);
}

void CTollavineView::ShowMenuScreen()
{
    SetCaption(true);
    m_nBackground = MenuBitmap::kBackground;
    FitFrameToBitmap(false);
    // Shown once per view, however often the menu screen is asked for.
    if (!m_pScrollBar) {
        m_pScrollBar = new QScrollBar(Qt::Vertical, this);
        m_pScrollBar->setObjectName(QStringLiteral("CalendarScrollBar%1").arg(kScrollBarId));
        const int width =
            m_pScrollBar->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pScrollBar);
        m_pScrollBar->setGeometry(QRect(QPoint(734 - width, 54), QPoint(739 - 1, 493 - 1)));
        m_pScrollBar->setSingleStep(1);
        m_pScrollBar->setPageStep(3);
        // The calendar follows the thumb when it is let go, not while dragged.
        m_pScrollBar->setTracking(false);
        QPalette palette = m_pScrollBar->palette();
        palette.setColor(QPalette::Button, kScrollBarColour);
        m_pScrollBar->setPalette(palette);
        connect(m_pScrollBar, &QScrollBar::valueChanged, this, [this](int position) {
            if (m_calendar.SetFirstRow(position))
                RefreshPics();
        });
        m_pScrollBar->show();
    }
    SetScroll();
    update();
}

void CTollavineView::SetCaption(bool caption)
{
    CMainFrame& frame = GetFrame();
    if (frame.windowFlags().testFlag(Qt::FramelessWindowHint) == caption)
        frame.setWindowFlag(Qt::FramelessWindowHint, !caption);
}

void CTollavineView::FitFrameToBitmap(bool startup)
{
    CMainFrame& frame = GetFrame();
    const QSize size = MenuBitmap::Size(m_nBackground);
    setFixedSize(size);
    frame.setMinimumSize(0, 0);
    frame.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The start-up picture is the whole window; the menu screen has the
    // status bar below its picture, without a grip since it has a fixed size.
    frame.statusBar()->setVisible(!startup);
    frame.statusBar()->setSizeGripEnabled(false);
    QSize client = size;
    if (QLayout* layout = frame.layout()) {
        layout->activate();
        client = layout->totalSizeHint().expandedTo(size);
    }
    frame.setFixedSize(client);

    const QSize decoration =
        frame.isVisible() ? frame.frameGeometry().size() - frame.geometry().size() : QSize(0, 0);
    const QSize outer = client + decoration;
    if (const QScreen* screen = frame.screen()) {
        const QRect area = screen->availableGeometry();
        frame.move(qMax(area.left(), area.left() + (area.width() - outer.width()) / 2),
                   qMax(area.top(), area.top() + (area.height() - outer.height()) / 2));
    }
    if (!startup) {
        m_layout.CalcLayout();
        m_tracker.SetRects(CMenuButtonTracker::File, m_layout.FileRects());
        m_tracker.SetRects(CMenuButtonTracker::Tab, m_layout.TabRects());
        m_tracker.SetRects(CMenuButtonTracker::Bottom, m_layout.BottomRects());
        m_tracker.SetRects(CMenuButtonTracker::CalButton, m_layout.CalButtonRects());
        m_tracker.SetRects(CMenuButtonTracker::Cell, m_layout.CellRects());
    }
    frame.raise();
    frame.show();
}

// ---------------------------------------------------------------------------
// Calendar

void CTollavineView::SetScroll()
{
    ResetCalendar(GetFrame().GetCalendarData());
}

void CTollavineView::ResetCalendar(const CCDSData& records)
{
    CMainFrame& frame = GetFrame();
    const QDate start = frame.GetPeriodStart();
    const QDate end = frame.GetPeriodEnd();
    if (!start.isValid() || !end.isValid() || !m_pScrollBar)
        return;
    m_calendar.SetScroll(start, end, frame.m_nCalendarScrollPos);
    {
        const QSignalBlocker quiet(m_pScrollBar);
        m_pScrollBar->setRange(0, m_calendar.ScrollMax());
        m_pScrollBar->setValue(m_calendar.FirstRow());
    }
    m_calendar.PrepareCalender(start, records);
    RefreshPics();
    m_tracker.Reset(CMenuButtonTracker::Cell);
}

void CTollavineView::RefreshPics()
{
    m_calendar.SetFirstRow(m_pScrollBar->value());
    GetFrame().m_nCalendarScrollPos = m_calendar.FirstRow();
    update(m_layout.CalendarArea());
}

void CTollavineView::CalendarReloaded(bool ok)
{
    // A failed reload has no data for the new dates: no marks rather than
    // the old ones shown on the wrong days.
    ResetCalendar(ok ? GetFrame().GetCalendarData() : CCDSData());
}

void CTollavineView::OnCalPrev()
{
    QDate start, end;
    CMenuCalendar::PrevMonth(GetFrame().GetPeriodStart(), start, end);
    GetFrame().SetPeriod(start, end);
    CalendarReloaded(GetFrame().ReloadCalendar());
}

void CTollavineView::OnCalNext()
{
    QDate start, end;
    CMenuCalendar::NextMonth(GetFrame().GetPeriodStart(), start, end);
    GetFrame().SetPeriod(start, end);
    CalendarReloaded(GetFrame().ReloadCalendar());
}

void CTollavineView::OnCalToday()
{
    CMainFrame& frame = GetFrame();
    const QDate shown = frame.GetPeriodStart();
    // Only a month chosen with the other buttons starts on a first.
    if (shown.day() != 1)
        return;
    frame.SetCurrentPeriod();
    if (frame.GetPeriodStart() == shown)
        return;
    CalendarReloaded(frame.ReloadCalendar());
}

// ---------------------------------------------------------------------------
// Buttons

int CTollavineView::ClickFile(const QPoint& screen, int index)
{
    if (QMenu* menu = MenuScreenPopup(GetFrame(), MenuPopup::FilePopup(m_layout.Page(), index)))
        menu->popup(screen);
    m_tracker.ClearHandCursor();
    unsetCursor();
    return 1;
}

int CTollavineView::ClickBtn(const QPoint& screen, int index)
{
    CMainFrame& frame = GetFrame();
    if (QMenu* menu = MenuScreenPopup(frame, MenuPopup::BottomPopup(index))) {
        menu->popup(screen);
        m_tracker.ClearHandCursor();
        unsetCursor();
    } else if (index == 5) {
        QMetaObject::invokeMethod(&frame, &QWidget::close, Qt::QueuedConnection);
    } else if (index == 6) {
        ShowDatabaseList(screen);
    }
    return 1;
}

int CTollavineView::ClickTab(int index)
{
    if (index == m_layout.Page() || (index != 0 && index != 1))
        return 1;
    m_layout.SetPage(index);
    m_tracker.SetRects(CMenuButtonTracker::File, m_layout.FileRects());
    m_tracker.Reset(CMenuButtonTracker::Tab);
    m_tracker.ClearHandCursor();
    unsetCursor();
    // The groups behind the buttons differ by page: the whole side changes.
    update();
    return 1;
}

void CTollavineView::ShowDatabaseList(const QPoint& screen)
{
    QStringList names;
    {
        CWaitCursor wait;
        CDBDirMng().GetDispAllComp(names);
    }
    if (names.isEmpty())
        return;
    if (!m_pDatabaseMenu) {
        m_pDatabaseMenu = new QMenu(this);
        m_pDatabaseGroup = new QActionGroup(m_pDatabaseMenu);
    }
    m_pDatabaseMenu->clear();
    CMainFrame& frame = GetFrame();
    for (int i = 0; i < names.size(); ++i) {
        const int id = kFirstDatabaseItem + i;
        m_mapPopupId.insert(id, names[i]);
        QAction* item = m_pDatabaseMenu->addAction(names[i]);
        item->setCheckable(true);
        m_pDatabaseGroup->addAction(item);
        const CCmdUI ui = frame.QueryCommandState(id);
        item->setEnabled(ui.enabled);
        item->setChecked(ui.checked);
        connect(item, &QAction::triggered, this, [this, id] { GetFrame().ExecuteCommand(id); });
    }
    m_pDatabaseMenu->popup(screen);
}

void CTollavineView::OnAddDatabase()
{
    CMainFrame& frame = GetFrame();
    CDBChangeDlg dialog(std::make_unique<CFrameDbSession>(frame), this);
    const int result = RunModal(dialog);
    if (result == IDOK) {
        DatabaseSwitched();
        CheckFirstRun();
    }
    // The dialog may have renamed the database in use without switching.
    frame.GetCurrentDatabaseName();
    update(m_layout.DbName());
}

// ---------------------------------------------------------------------------
// Masters and settings

void CTollavineView::OnItemNew()
{
    CViewRegistry::Instance().RunOpener(CViewRegistry::EOpener::MasterEntry, GetFrame(), 1);
}

void CTollavineView::OnCustomerNew()
{
    CViewRegistry::Instance().RunOpener(CViewRegistry::EOpener::MasterEntry, GetFrame(), 2);
}

void CTollavineView::OnSupplierNew()
{
    CViewRegistry::Instance().RunOpener(CViewRegistry::EOpener::MasterEntry, GetFrame(), 3);
}

void CTollavineView::OnItemExtract()
{
    ExtractAndShow(1);
}

void CTollavineView::OnCustomerExtract()
{
    ExtractAndShow(2);
}

void CTollavineView::OnSupplierExtract()
{
    ExtractAndShow(3);
}

void CTollavineView::ExtractAndShow(int kind)
{
    CMainFrame& frame = GetFrame();
    if (CViewRegistry::Instance().RunOpener(CViewRegistry::EOpener::MasterExtract, frame, kind - 1))
        frame.SwitchView(kind);
}

void CTollavineView::OnStaffSetting()
{
    CNameListDlg dialog(0, this);
    RunModal(dialog);
}

void CTollavineView::OnReceiptTextSetting()
{
    CNameListDlg dialog(1, this);
    RunModal(dialog);
}

void CTollavineView::OnClassSetting()
{
    CBunruiSetDlg dialog(this);
    RunModal(dialog);
}

void CTollavineView::CheckFirstRun()
{
    QString name, folder;
    if (CDBDirMng().GetNowDB(name, folder) != 1 || folder.isEmpty())
        return;
    if (FindFileNoCase(folder, QString::fromLatin1(kFirstRunMarker)).isEmpty())
        return;
    // The company dialog takes the marker away as it opens; both run
    // whatever the user answers.
    OnCompanyInfo();
    OnSalesCondition();
}

void CTollavineView::DatabaseSwitched()
{
    CMainFrame& frame = GetFrame();
    frame.LoadSettings();
    frame.SetCurrentPeriod();
    CalendarReloaded(frame.ReloadCalendar());
}

void CTollavineView::OnCompanyInfo()
{
    CCompanyInfoDlg dialog(&GetFrame());
    RunModal(dialog);
}

void CTollavineView::OnSalesCondition()
{
    CSalesConditionDlg dialog(&GetFrame());
    RunModal(dialog);
}

bool CTollavineView::OnCmdMsg(int id)
{
    if (CView::OnCmdMsg(id))
        return true;
    const auto found = m_mapPopupId.constFind(id);
    if (found == m_mapPopupId.constEnd())
        return false;
    const QString name = *found;
    CMainFrame& frame = GetFrame();
    if (name == frame.GetDatabaseName())
        return true;
    const QString question = QStringLiteral(u"「") + name + QStringLiteral(u" 」に切り替えますか？");
    if (UiServices::Prompt().MessageBox(question, MB_YESNO, MB_ICONQUESTION) != IDYES)
        return true;
    if (Switcher()(frame, name) != 1)
        return true;
    frame.m_strDatabaseName = name;
    DatabaseSwitched();
    update(m_layout.DbName());
    CheckFirstRun();
    return true;
}

bool CTollavineView::HasCommandHandler(int id) const
{
    return m_mapPopupId.contains(id) || CView::HasCommandHandler(id);
}

bool CTollavineView::OnUpdateCmdUI(int id, CCmdUI& ui)
{
    // The masters' dialogs are there only when the master subsystem is.
    switch (id) {
    case ID_ITEM_NEW:
    case ID_CUSTOMER_NEW:
    case ID_SUPPLIER_NEW:
        ui.Enable(CViewRegistry::Instance().HasOpener(CViewRegistry::EOpener::MasterEntry));
        return true;
    case ID_ITEM_EXTRACT:
    case ID_CUSTOMER_EXTRACT:
    case ID_SUPPLIER_EXTRACT:
        ui.Enable(CViewRegistry::Instance().HasOpener(CViewRegistry::EOpener::MasterExtract));
        return true;
    default:
        break;
    }
    const auto found = m_mapPopupId.constFind(id);
    if (found == m_mapPopupId.constEnd())
        return false;
    ui.Enable(true);
    ui.SetCheck(*found == GetFrame().GetDatabaseName());
    return true;
}

int CTollavineView::ClickCalButton(int index)
{
    switch (index) {
    case 0:
        OnCalPrev();
        break;
    case 1:
        OnCalToday();
        break;
    case 2:
        OnCalNext();
        break;
    default:
        break;
    }
    return 1;
}

void CTollavineView::ClickMark(int cell)
{
    update(m_layout.Cell(cell));
    m_tracker.ClearHandCursor();
    unsetCursor();
    const CMenuCalendar::SMarkClick click = m_calendar.ClickMark(cell);
    CMainFrame& frame = GetFrame();
    frame.m_dtCalendarDate = click.date;
    frame.m_nCalendarCloseDay = click.closingDay;
    SwitchToReportList(frame, click.viewKind);
}

// ---------------------------------------------------------------------------
// Mouse

void CTollavineView::Repaint(const QList<QRect>& rects)
{
    for (const QRect& rect : rects)
        update(rect);
}

void CTollavineView::UpdateCursor()
{
    if (m_tracker.HandCursor())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CTollavineView::mouseMoveEvent(QMouseEvent* event)
{
    Repaint(m_tracker.MouseMove(event->position().toPoint()));
    UpdateCursor();
}

void CTollavineView::leaveEvent(QEvent*)
{
    // Nothing stays lit once the mouse has left the screen.
    Repaint(m_tracker.MouseMove(QPoint(-1, -1)));
    UpdateCursor();
}

void CTollavineView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Repaint(m_tracker.Press());
}

void CTollavineView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    QList<QRect> repaint;
    const auto action = m_tracker.Release(repaint);
    Repaint(repaint);
    if (!action)
        return;
    const QPoint screen = event->globalPosition().toPoint();
    switch (action->group) {
    case CMenuButtonTracker::Bottom:
        ClickBtn(screen, action->index);
        break;
    case CMenuButtonTracker::File:
        ClickFile(screen, action->index);
        break;
    case CMenuButtonTracker::CalButton:
        ClickCalButton(action->index);
        break;
    case CMenuButtonTracker::Cell:
        ClickMark(action->index);
        break;
    case CMenuButtonTracker::Tab:
        ClickTab(action->index);
        break;
    case CMenuButtonTracker::GroupCount:
        break;
    }
}

// ---------------------------------------------------------------------------
// Drawing

bool CTollavineView::DrawPicture(QPainter& painter, int id, const QPoint& at) const
{
    return DrawImage(painter, CMenuPictures::Instance().Picture(id), at);
}

bool CTollavineView::DrawImage(QPainter& painter, const QImage& picture, const QPoint& at)
{
    if (picture.isNull())
        return false;
    painter.drawImage(at, picture);
    return true;
}

void CTollavineView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const CMenuPictures& pictures = CMenuPictures::Instance();
    const int page = m_layout.Page();
    const QImage& background = m_nBackground == MenuBitmap::kBackground ? pictures.Background(page)
                                                                        : pictures.Picture(m_nBackground);
    if (!DrawImage(painter, background, QPoint(0, 0)))
        painter.fillRect(rect(), palette().window());
    // Before the layout exists (the start-up picture) there is nothing more.
    if (!m_layout.IsCalculated())
        return;
    DrawDatabaseName(painter);
    for (int i = 0; i < 2; ++i) {
        const int state = i == page ? 2 : m_tracker.State(CMenuButtonTracker::Tab, i);
        DrawImage(painter, pictures.Tab(i, state), m_layout.Tab(i).topLeft());
    }
    for (int i = 0; i < m_layout.FileCount(); ++i) {
        const int id = MenuBitmap::GetFileButtonBitmap(page, i, m_tracker.State(CMenuButtonTracker::File, i));
        if (!DrawPicture(painter, id, m_layout.File(i).topLeft()))
            break;
    }
    for (int i = 0; i < CMenuLayout::kCalButtons; ++i) {
        const int id = MenuBitmap::GetCalButtonBitmap(i, m_tracker.State(CMenuButtonTracker::CalButton, i));
        if (!DrawPicture(painter, id, m_layout.CalButton(i).topLeft()))
            break;
    }
    for (int i = 0; i < CMenuLayout::kBottomButtons; ++i) {
        const int id = MenuBitmap::GetBottomButtonBitmap(i, m_tracker.State(CMenuButtonTracker::Bottom, i));
        if (!DrawPicture(painter, id, m_layout.Bottom(i).topLeft()))
            break;
    }
    const CMainFrame& frame = GetFrame();
    if (frame.GetPeriodStart().isValid() && frame.GetPeriodEnd().isValid())
        DrawCalendar(painter);
}

void CTollavineView::DrawDatabaseName(QPainter& painter) const
{
    const QString& name = GetFrame().GetDatabaseName();
    const QRect& box = m_layout.DbName();
    if (name.isEmpty())
        return;
    // The largest size from 14 down to 6 at which the name fits; at 6 it is
    // drawn whatever its width, clipped.
    QFont font;
    for (int height = 14; height >= 6; --height) {
        font = MakeFont(QStringLiteral(u"ＭＳ ゴシック"), height);
        if (QFontMetrics(font).horizontalAdvance(name) < box.width())
            break;
    }
    painter.save();
    painter.setClipRect(box);
    painter.setFont(font);
    painter.setPen(QColor(0x1f, 0x2d, 0x3d));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
    painter.restore();
}

void CTollavineView::DrawCalendar(QPainter& painter) const
{
    const QDate first = GetFrame().GetPeriodStart().addDays(m_calendar.FirstRow());
    const QPoint year = m_layout.Year().topLeft();
    const int digits[4] = {first.year() / 1000 % 10, first.year() / 100 % 10, first.year() / 10 % 10,
                           first.year() % 10};
    for (int k = 0; k < 4; ++k)
        DrawPicture(painter, MenuBitmap::GetDigitBitmap(digits[k]), year + QPoint(8 * k, 0));
    DrawPicture(painter, MenuBitmap::GetMonthNumberBitmap(first.month()), m_layout.FirstMonth().topLeft());

    const QDate today = UiServices::Clock().Today();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int r = 0; r < CMenuLayout::kRows; ++r) {
        const QDate date = first.addDays(r);
        const QRect& day = m_layout.Day(r);
        if (date.day() == 1) {
            if (r > 0) {
                const QPoint second = m_layout.SecondMonth().topLeft();
                DrawPicture(painter, MenuBitmap::GetMonthNumberBitmap(0), second - QPoint(20, 0));
                DrawPicture(painter, MenuBitmap::GetMonthNumberBitmap(date.month()), second);
            }
            DrawPicture(painter, MenuBitmap::GetMonthBitmap(date.month()), day.topLeft() - QPoint(13, 0));
        }
        DrawPicture(painter, MenuBitmap::GetDayBitmap(date.day(), date.dayOfWeek() == Qt::Sunday),
                    day.topLeft());
        if (date == today) {
            painter.setPen(QPen(QColor(255, 150, 0), 3));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QRectF(day.adjusted(12, -2, -12, 2).translated(-31, -5)));
        }
        for (int c = 0; c < CMenuLayout::kColumns; ++c) {
            if (m_calendar.Mark(c, m_calendar.FirstRow() + r) == 0)
                continue;
            const int cell = r * CMenuLayout::kColumns + c;
            const int id = MenuBitmap::GetCellBitmap(c, m_tracker.State(CMenuButtonTracker::Cell, cell));
            if (!DrawPicture(painter, id, m_layout.Cell(cell).topLeft()))
                break;
        }
    }
}
