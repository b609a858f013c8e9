#include "reports/ShimeView.h"

#include "app/DialogRequests.h"
#include "app/ExchangePorts.h"
#include "app/FindDialog.h"
#include "app/MainFrame.h"
#include "app/SlipPeriod.h"
#include "app/ViewRegistry.h"
#include "platform/data/Record.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/TableSelection.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "reports/CloseInvoiceDlg.h"
#include "reports/ExportSettingDlg.h"
#include "reports/RecordFields.h"
#include "reports/ReportColumns.h"
#include "reports/ReportController.h"
#include "reports/ReportData.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ShimeListCtrl.h"
#include "resources/CommandIds.h"
#include "settings/QXColSet.h"
#include "settings/SettingsFiles.h"
#include "settings/dlg/CounterSetDlg.h"

#include <QHeaderView>
#include <QHideEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QShortcut>

#include <stdexcept>

namespace
{

constexpr int kMinWidth = 600;
constexpr int kMinHeight = 480;
const char kCollectAmountFile[] = "COLLECTAMOUNT.AUT";

QString CurrentDbFolder()
{
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    return folder;
}

} // namespace

CShimeView::CShimeView(CMainFrame& frame)
    : CView(frame), m_pModel(new CShimeListModel(m_list, this)), m_pListCtrl(new CShimeListCtrl(*this)),
      m_pPeriod(new QLabel(QStringLiteral("期間："), this)),
      m_pCount(new QLabel(QStringLiteral("件数"), this))
{
    m_pListCtrl->setModel(m_pModel);
    // A group's caption ("＜…計＞") takes the empty cell beside its own, so
    // a narrow code column does not cut it short.
    connect(m_pModel, &QAbstractItemModel::modelReset, this, [this] {
        m_pListCtrl->clearSpans();
        if (!m_list.IsGrouping() || m_pModel->columnCount() < 2)
            return;
        for (int row = 0; row < m_list.RowCount(); ++row) {
            const CReportRow& r = m_list.Rows()[size_t(row)];
            if (r.mark >= 0 && r.texts.size() > 1 && r.texts[1].isEmpty())
                m_pListCtrl->setSpan(row, 0, 1, 2);
        }
    });
    connect(m_pListCtrl->horizontalHeader(), &QHeaderView::sectionClicked, this, &CShimeView::OnColumnClick);
    for (const CViewCommand& command : ViewCommands())
        MapCommand(command.id, [this, run = command.run] { run(*this); });
    connect(m_pListCtrl, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OnRowDoubleClick(index.row()); });
    // The Del key of the lists that delete rows (their toolbars lack the command).
    auto* del =
        new QShortcut(QKeySequence::Delete, m_pListCtrl, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(del, &QShortcut::activated, this, [this] { OnDeleteRows(); });
    // One controller for each family the modes name: a family nobody
    // registered fails here, before any list shows.
    for (int mode = kFirstReportMode; mode <= kLastReportMode; ++mode) {
        std::unique_ptr<IReportController>& controller = m_controllers[ReportMode(mode).family];
        if (!controller)
            controller = CreateReportController(ReportMode(mode).family, *this, m_list);
    }
    // The commands of one family of lists go to the controller of the mode
    // shown; in the other lists they do nothing.
    for (int id : ReportFamilyCommands())
        MapCommand(id, [this, id] {
            if (IReportController* controller = ShownController())
                controller->OnCmdMsg(id);
        });
}

CShimeView::~CShimeView()
{
    // The widths of the last mode shown survive the screen.
    if (m_bInitialized)
        SaveColumnWidths();
    // Leaving the reports, the closing day the calendar chose for them is
    // forgotten. Another report screen took it just before this one goes,
    // so it stays for it.
    CMainFrame& frame = GetFrame();
    if (m_bInitialized && !IsReportViewKind(frame.GetViewKind())) {
        frame.m_nCalendarCloseDay = 0;
        frame.m_dtCalendarDate = QDate();
    }
}

IReportController& CShimeView::Controller()
{
    return ControllerFor(m_list.GetMode());
}

IReportController& CShimeView::ControllerFor(int mode)
{
    const auto it = m_controllers.find(ReportMode(mode).family);
    if (!IsReportMode(mode) || it == m_controllers.end())
        throw std::invalid_argument("no report list mode");
    return *it->second;
}

IReportController* CShimeView::ShownController()
{
    return IsReportMode(m_list.GetMode()) ? &Controller() : nullptr;
}

bool IsReportViewKind(int kind)
{
    return IsReportMode(kind);
}

void CShimeView::TakeRequest(std::any request)
{
    if (!request.has_value())
        return;
    // Only the conditions themselves: anything else handed over is a
    // caller's fault, never to be dropped without a word.
    auto* conditions = std::any_cast<CReportRequest>(&request);
    if (!conditions)
        throw std::invalid_argument("a report list takes a CReportRequest only");
    // The list's own conditions beyond the request stay its own.
    m_request = std::move(*conditions);
}

QString CShimeView::ReadAutoSetting(const QString& name)
{
    const QString folder = CurrentDbFolder();
    if (folder.isEmpty())
        return QString();
    return ReadDefaultValue(OtherFolder(folder), name);
}

void CShimeView::TakeConditions()
{
    if (ReportMode(m_list.GetMode()).loader == EReportLoader::Schedule)
        m_list.m_cond.collectTypeText = ReadAutoSetting(QStringLiteral("COLLECTTYPE.AUT"));
}

QDate CShimeView::ClosingDate() const
{
    return GetFrame().m_dtCalendarDate;
}

void CShimeView::OnInitialUpdate()
{
    CMainFrame& frame = GetFrame();
    {
        CWaitScope wait;
        m_list.SetMode(frame.GetViewKind());
        const int mode = m_list.GetMode();
        // The billed, paid and slip-line lists always open on the default
        // period ending today.
        if (ReportMode(mode).opensOnDefaultPeriod) {
            const QDate today = UiServices::Clock().Today();
            m_request.periodShape = 2;
            m_request.to = today;
            m_request.from = GetDefaultPeriodStart(today, ReadPeriodMonthsOf(CurrentDbFolder()));
        }
        m_list.m_nCarryOver = LeadingInt(ReadAutoSetting(QString::fromLatin1(kCollectAmountFile)));
        frame.ShowViewToolBar(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, frame.GetListBackColor());
        setPalette(palette);
        setAutoFillBackground(true);
        for (QWidget* w : {static_cast<QWidget*>(m_pPeriod), static_cast<QWidget*>(m_pCount),
                           static_cast<QWidget*>(m_pListCtrl)})
            frame.SetListFont(w, false);
        m_pListCtrl->verticalHeader()->setDefaultSectionSize(m_pListCtrl->fontMetrics().height() + 6);
        m_bInitialized = true;
        // Laid out first: the default widths are tenths of the list's width.
        DoLayout();
        SetupListForMode(false);
        frame.setWindowTitle(ProgramTitle() + QStringLiteral("－") + m_strTitle);
        DoLayout();
    }
    // The lists need the whole screen, as the master and slip lists do: the
    // menu screen's small frame leaves no room for their amounts.
    if (frame.isVisible())
        frame.showMaximized();
    else
        frame.setWindowState(frame.windowState() | Qt::WindowMaximized);
    if (m_list.RowCount() == 0)
        UiServices::Prompt().MessageBox(
            ReportMode(m_list.GetMode()).loader == EReportLoader::Schedule
                ? QStringLiteral("対象データはありませんでした。")
                : QStringLiteral("指定された期間の対象データはありませんでした。"),
            MB_OK, MB_ICONINFORMATION);
}

void CShimeView::LoadByLoader(EReportLoader loader)
{
    switch (loader) {
    case EReportLoader::SlipDetail:
        LoadSlipDetailList(m_request.periodShape);
        break;
    case EReportLoader::Balance:
        LoadBalanceList();
        break;
    case EReportLoader::Summary:
        LoadSummaryList();
        break;
    default:
        // Closings, schedules, billed lists, summary sheets and ledgers.
        if (IReportController* controller = ShownController())
            controller->Load();
        break;
    }
}

void CShimeView::LoadByMode(int periodShape)
{
    CLoaderConditions c;
    c.from = m_request.from;
    c.to = m_request.to;
    c.periodShape = periodShape;
    c.classField = m_request.classField;
    c.classValues = m_request.classItems;
    c.tradedOnly = m_request.tradedOnly != 0;
    c.quantities = m_request.amountOrQuantity != 0;
    c.lastCarryForward = m_request.lastCarryForward;
    const int mode = m_list.GetMode();
    m_list.ClearRecords();
    CCDSData records;
    if (RunReportStatement(GetFrame().GetMakeMsgID(), BuildReportModeSql(mode, c), records) != 1)
        return;
    m_strPeriodText = ReportPeriodText(mode, c);
    m_strCountText = ReportCountText(mode, records.GetCount());
    m_list.SetRecords(std::move(records));
    UpdateLabels();
}

void CShimeView::LoadSlipDetailList(int periodShape)
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::SlipDetail)
        return;
    LoadByMode(periodShape);
}

void CShimeView::LoadBalanceList()
{
    const int mode = m_list.GetMode();
    if (ReportMode(mode).loader != EReportLoader::Balance)
        return;
    LoadByMode(m_request.periodShape);
}

void CShimeView::LoadSummaryList()
{
    if (!IsSummaryMode(m_list.GetMode()))
        return;
    LoadByMode(m_request.periodShape);
}

void CShimeView::SetupListForMode(bool keepColumns)
{
    const int mode = m_list.GetMode();
    m_strTitle = GetReportModeTitle(mode);
    TakeConditions();
    const CReportModeInfo* info = GetReportModeInfo(mode);
    LoadByLoader(info ? info->loader : EReportLoader::None);
    if (!keepColumns)
        InitListControl();
    RefreshList();
}

int CShimeView::LoadColumnWidths()
{
    m_widths.clear();
    const QString folder = CurrentDbFolder();
    if (LoadColumnWidthFile(folder, m_widthMap) != 1)
        return 0;
    m_widths = m_widthMap.value(quint16(m_list.GetMode()));
    return int(m_widths.size());
}

void CShimeView::SaveColumnWidths()
{
    const QString folder = CurrentDbFolder();
    if (folder.isEmpty() || m_list.Columns().empty())
        return;
    m_widths.clear();
    const int shown = m_pModel->columnCount();
    for (int i = 0; i < int(m_list.Columns().size()); ++i)
        m_widths.append(
            quint32(i < shown ? m_pListCtrl->columnWidth(i) : m_list.Columns()[size_t(i)].m_nWidth));
    m_widthMap.insert(quint16(m_list.GetMode()), m_widths);
    SaveColumnWidthFile(folder, m_widthMap);
}

bool CShimeView::InitListControl()
{
    const bool grouping = m_request.groupByClass != 0;
    m_nMarkBitmap = GetReportMarkBitmap(m_list.GetMode(), grouping);
    m_pListCtrl->m_bStateImages = ReportModeShowsMarks(m_list.GetMode(), grouping) ? 1 : 0;
    CReportColumnParams params;
    params.mode = m_list.GetMode();
    params.carryOver = m_list.m_nCarryOver;
    params.classField = m_request.classField;
    params.classTitle = m_request.classTitle;
    params.periodStart = m_request.from;
    // A tenth of the list, but never too narrow for a whole date in the
    // list's font: a small window would otherwise show every date cut short.
    params.unitWidth = std::max(std::max(m_pListCtrl->viewport()->width(), kMinWidth - 30) / 10,
                                m_pListCtrl->WholeDateWidth());
    LoadColumnWidths();
    params.savedWidths = m_widths;
    m_list.ClearRows();
    m_list.Columns() = BuildReportColumns(params);
    ResetModel();
    return true;
}

void CShimeView::ResetModel()
{
    m_pModel->Reset();
    for (int i = 0; i < m_pModel->columnCount(); ++i)
        m_pListCtrl->setColumnWidth(i, m_list.Columns()[size_t(i)].m_nWidth);
}

void CShimeView::RefreshList()
{
    m_list.ClearRows();
    // A family that fills its rows itself sets its labels too.
    IReportController* controller = ShownController();
    const bool own = controller && controller->FillRows();
    if (!own)
        m_list.FillList(ClosingDate());
    const int widths = m_pModel->columnCount();
    QList<int> kept;
    for (int i = 0; i < widths; ++i)
        kept << m_pListCtrl->columnWidth(i);
    m_pModel->Reset();
    for (int i = 0; i < widths && i < m_pModel->columnCount(); ++i)
        m_pListCtrl->setColumnWidth(i, kept[i]);
    if (!own && !m_list.GetCountText().isEmpty())
        m_strCountText = m_list.GetCountText();
    UpdateLabels();
}

void CShimeView::ShowLoaded(CCDSData&& records)
{
    m_strCountText = QStringLiteral("件数：%1件").arg(records.GetCount());
    m_list.SetRecords(std::move(records));
    UpdateLabels();
}

void CShimeView::UpdateLabels()
{
    const QFont& font = GetFrame().GetListFont();
    const int h = GetFrame().HasListFont() ? std::max(QFontMetrics(font).height(), 1) : 12;
    m_pPeriod->setText(m_strPeriodText);
    m_pCount->setText(m_strCountText);
    m_pPeriod->setGeometry(h, h, m_pPeriod->sizeHint().width() + h, h);
    m_pCount->setGeometry(h, 2 * h, m_pCount->sizeHint().width() + h, h);
}

void CShimeView::DoLayout()
{
    const int h =
        GetFrame().HasListFont() ? std::max(QFontMetrics(GetFrame().GetListFont()).height(), 1) : 12;
    const int right = std::max(width(), kMinWidth) - 15;
    const int bottom = std::max(height(), kMinHeight) - 15;
    m_pListCtrl->setGeometry(QRect(QPoint(15, 4 * h), QPoint(right, bottom)));
    UpdateLabels();
}

void CShimeView::resizeEvent(QResizeEvent* event)
{
    CView::resizeEvent(event);
    DoLayout();
}

void CShimeView::hideEvent(QHideEvent* event)
{
    // The list opened anew in its place reads the widths of its mode from
    // the file, before this screen is gone.
    if (!event->spontaneous() && m_bInitialized)
        SaveColumnWidths();
    CView::hideEvent(event);
}

QList<int> CShimeView::GetSelectedRows() const
{
    return SelectedRows(m_pListCtrl);
}

QList<int> CShimeView::SelectedRowsOrSay(const QString& message) const
{
    const QList<int> rows = GetSelectedRows();
    if (rows.isEmpty())
        UiServices::Prompt().MessageBox(message);
    return rows;
}

bool CShimeView::SelectOnlyRow(int row)
{
    if (row < 0 || row >= m_pModel->rowCount())
        return false;
    const QModelIndex index = m_pModel->index(row, 0);
    m_pListCtrl->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    m_pListCtrl->scrollTo(index);
    return true;
}

bool CShimeView::SelectAllRows()
{
    if (m_pModel->rowCount() == 0)
        return false;
    m_pListCtrl->selectAll();
    return true;
}

bool CShimeView::SelectsAllRows(int mode)
{
    return ReportMode(mode).selectsAll;
}

void CShimeView::OnSelectAll()
{
    if (SelectsAllRows(m_list.GetMode()))
        SelectAllRows();
}

long CShimeView::OnFindRequest(const CFindRequest& request)
{
    if (request.isTerminating)
        return 0;
    const int row = FindNextRow(request, GetSelectedRows(), [&](int start) {
        return m_list.FindRow(request.findWhat, request.searchDown, start);
    });
    if (row < 0)
        return 1;
    SelectOnlyRow(row);
    return 1;
}

void CShimeView::OnEnvSettingsChanged()
{
    CMainFrame& frame = GetFrame();
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, frame.GetListBackColor());
    setPalette(palette);
    for (QWidget* w : {static_cast<QWidget*>(m_pPeriod), static_cast<QWidget*>(m_pCount),
                       static_cast<QWidget*>(m_pListCtrl)})
        frame.SetListFont(w, false);
    m_pListCtrl->verticalHeader()->setDefaultSectionSize(m_pListCtrl->fontMetrics().height() + 6);
    DoLayout();
    SaveColumnWidths();
    InitListControl();
    RefreshList();
}

void CShimeView::RefreshAfterDataChange()
{
    // The closing candidates, the billed and paid lists and the schedules
    // too: a row that no longer matches the database would be closed,
    // reprinted or settled at its old amounts.
    if (IReportController* controller = ShownController(); controller && controller->ReloadAfterDataChange())
        return;
    if (ReportMode(m_list.GetMode()).reloadsOnDataChange)
        SetupListForMode(true);
}

bool CShimeView::ReloadsOnDataChange() const
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    return info.closesPartners || info.reloadsOnDataChange;
}

void CShimeView::OnColumnClick(int column)
{
    if (ReportMode(m_list.GetMode()).ledger)
        return;
    if (m_request.groupByClass) {
        UiServices::Prompt().MessageBox(QStringLiteral("分類計を表示しているときは並べ替えできません。"));
        return;
    }
    const bool descending = m_bSortDesc != 0;
    m_bSortDesc = descending ? 0 : 1;
    m_list.SortRows(column, descending);
    m_pModel->layoutChanged();
}

void CShimeView::OnToggleCarryOver()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    const int old = m_list.m_nCarryOver;
    if (info.closesPartners) {
        for (const CReportRow& row : m_list.Rows()) {
            if (IntOf(row.record, "ID") > 0) {
                UiServices::Prompt().MessageBox(
                    QStringLiteral("すでに締め済みのデータがありますので、繰越設定は変更できません。"));
                return;
            }
        }
    }
    m_list.m_nCarryOver = old ? 0 : 1;
    // The file first: a setting that cannot be kept is not shown either.
    if (!WriteCollectAmountSetting()) {
        m_list.m_nCarryOver = old;
        return;
    }
    CWaitScope wait;
    if (info.followsCarryOver)
        LoadByLoader(info.loader);
    SaveColumnWidths();
    InitListControl();
    RefreshList();
}

bool CShimeView::WriteCollectAmountSetting()
{
    const QString folder = CurrentDbFolder();
    if (folder.isEmpty())
        return false;
    return WriteDefaultValues(folder, {QString::fromLatin1(kCollectAmountFile)},
                              {QString::number(m_list.m_nCarryOver)});
}

void CShimeView::OnNumberSettings()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    const int kind = info.counterKind;
    const QString name = QString::fromUtf8(info.counterName);
    UiServices::Prompt().MessageBox(name + QStringLiteral("の伝票番号の初期値・形式を設定できます。"), MB_OK,
                                    MB_ICONINFORMATION);
    CCounterSetDlg dialog(kind, this, &Data());
    RunModal(dialog);
}

void CShimeView::OnListExport(int askFormatAndFile)
{
    if (!GetReportExportHandler())
        return;
    // A grouped list asks for its details or its classification totals.
    int totals = 0;
    if (m_request.groupByClass && !AskExportSetting(m_request.classTotalsOnly, totals, this))
        return;
    CQXColSet columns;
    CCDSData rows;
    {
        const CWaitCursor wait;
        for (const CListColumnInfo& column : m_list.Columns())
            columns.m_cols << CQXCol(column.m_strField, column.m_strCaption, column.m_nWidth,
                                     column.m_nAlignment, 1);
        if (m_request.groupByClass) {
            rows.Copy(totals ? m_list.Subtotals() : m_list.Records());
        } else {
            for (const CReportRow& row : m_list.Rows()) {
                if (row.record)
                    rows.Add(*row.record);
            }
        }
    }
    if (GetReportExportHandler()(m_list.GetMode(), columns, rows, askFormatAndFile) == 1)
        UiServices::Prompt().MessageBox(QStringLiteral("書き出しを完了しました。"), MB_OK,
                                        MB_ICONINFORMATION);
}

void CShimeView::OnHelp()
{
    if (const CReportModeInfo* info = GetReportModeInfo(m_list.GetMode()))
        ShowHelpTopic(info->helpId);
}

bool CShimeView::OnUpdateCmdUI(int id, CCmdUI& ui)
{
    // A family's command: the controller of the list shown answers; a list
    // of another family does not offer it.
    if (ReportFamilyCommands().contains(id)) {
        IReportController* controller = ShownController();
        if (!controller || !controller->OnUpdateCmdUI(id, ui))
            ui.Enable(false);
        return true;
    }
    for (const CViewCommand& command : ViewCommands()) {
        if (command.id == id && command.state) {
            ui.Enable(true);
            command.state(*this, ui);
            return true;
        }
    }
    return false;
}

const std::vector<CShimeView::CViewCommand>& CShimeView::ViewCommands()
{
    using V = CShimeView;
    // A command without a state is left to the route's default.
    static const auto enabled = [](const V&, CCmdUI&) {};
    // Printing the list asks for rows to print.
    static const auto printable = [](const V& v, CCmdUI& ui) { ui.Enable(v.m_list.RowCount() > 0); };
    static const auto exportable = [](const V&, CCmdUI& ui) { ui.Enable(bool(GetReportExportHandler())); };
    static const std::vector<CViewCommand> commands = {
        {ID_REPORT_NUMBER_SETTINGS, [](V& v) { v.OnNumberSettings(); }, enabled},
        {ID_REPORT_CARRY_OVER, [](V& v) { v.OnToggleCarryOver(); },
         [](const V& v, CCmdUI& ui) { ui.SetCheck(v.m_list.m_nCarryOver == 0); }},
        // Offered only where it acts: the lists whose commands take many rows.
        {ID_REPORT_SELECT_ALL, [](V& v) { v.OnSelectAll(); },
         [](const V& v, CCmdUI& ui) {
             ui.Enable(v.m_list.RowCount() > 0 && ReportMode(v.m_list.GetMode()).selectsAll);
         }},
        {ID_LIST_HELP, [](V& v) { v.OnHelp(); }, enabled},
        {ID_REPORT_EXCEL, [](V& v) { v.OnListExport(0); }, exportable},
        {ID_REPORT_EXPORT, [](V& v) { v.OnListExport(1); }, exportable},
        {ID_REPORT_DELETE, [](V& v) { v.OnDeleteRows(); },
         [](const V& v, CCmdUI& ui) { ui.Enable(!v.GetSelectedRows().isEmpty()); }},
        {ID_REPORT_DISPLAY_PERIOD, [](V& v) { v.OnChangeDisplayPeriod(); }},
        {ID_REPORT_SUMMARY_CONDITION, [](V& v) { v.OnSummaryConditions(); }},
        {ID_REPORT_LIST_PRINT, [](V& v) { v.OnFilePrint(); }, printable},
        {ID_REPORT_LIST_PREVIEW, [](V& v) { v.OnFilePrintPreview(); }},
        {ID_FILE_PRINT, [](V& v) { v.OnFilePrint(); }, printable},
        {ID_FILE_PRINT_DIRECT, [](V& v) { v.OnFilePrint(); }, printable},
        {ID_FILE_PRINT_PREVIEW, [](V& v) { v.OnFilePrintPreview(); }},
        {ID_LIST_PRINT, [](V& v) { v.OnPrintLedger(); }},
    };
    return commands;
}

void CShimeView::OnMarkClick(int row)
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (row < 0 || row >= m_list.RowCount())
        return;
    if (IReportController* controller = ShownController(); controller && controller->OnMarkClick(row))
        return;
    if (info.groupable && m_list.IsGrouping()) {
        const CReportRow& target = m_list.Rows()[size_t(row)];
        if (row == m_list.RowCount() - 1 || target.mark < 0)
            return;
        if (target.mark == 0) {
            m_list.InsertGroupRows(row + 1, target.data, m_list.Rows()[size_t(row) + 1].data);
            m_list.Rows()[size_t(row)].mark = 1;
        } else {
            m_list.CollapseGroup(row);
        }
        m_pModel->RowsChanged();
    }
}

void CShimeView::DrawMark(QPainter& painter, const QRect& box, int mark) const
{
    switch (m_nMarkBitmap) {
    case 183: // closing candidates: a blue brush for the chosen rows
        if (mark == 1)
            painter.fillRect(box.adjusted(2, 2, -2, -2), QColor(0, 0, 255));
        break;
    case 186:
    case 196: // settled: a round seal
        if (mark == 1) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            const QColor seal = m_nMarkBitmap == 186 ? QColor(255, 0, 0) : QColor(0, 0, 255);
            painter.setPen(seal);
            painter.drawEllipse(box.adjusted(0, 0, -1, -1));
            if (m_nMarkBitmap == 186) {
                QFont font = painter.font();
                font.setPixelSize(std::max(box.height() - 4, 6));
                painter.setFont(font);
                painter.drawText(box, Qt::AlignCenter, QStringLiteral("済"));
            }
            painter.restore();
        }
        break;
    case 202: // groups: a plus box when closed, a minus box when open
        if (mark == 0 || mark == 1) {
            painter.save();
            painter.setPen(Qt::black);
            const QRect r = box.adjusted(2, 2, -3, -3);
            painter.drawRect(r);
            const int cy = r.center().y(), cx = r.center().x();
            painter.drawLine(r.left() + 2, cy, r.right() - 2, cy);
            if (mark == 0)
                painter.drawLine(cx, r.top() + 2, cx, r.bottom() - 2);
            painter.restore();
        }
        break;
    default:
        break;
    }
}

void CShimeView::ShowMode(int mode, const QString& title)
{
    CMainFrame& frame = GetFrame();
    SaveColumnWidths();
    m_list.SetMode(mode);
    frame.SetViewKind(mode);
    m_strTitle = title;
    frame.SetViewMenu(ReportMode(mode).menuId);
    frame.ShowViewToolBar(true);
    frame.setWindowTitle(ProgramTitle() + QStringLiteral("－") + title);
    InitListControl();
    RefreshList();
}

CMakeMsgID& CShimeView::Data() const
{
    return GetFrame().GetMakeMsgID();
}

int CShimeView::ClosingDay() const
{
    return GetFrame().m_nCalendarCloseDay;
}

void CShimeView::SelectRows(const QList<int>& rows)
{
    ::SelectRows(m_pListCtrl, rows);
}

void CShimeView::ShowPeriod(const QString& text)
{
    m_strPeriodText = text;
    UpdateLabels();
}

void CShimeView::ShowCount(const QString& text)
{
    m_strCountText = text;
    UpdateLabels();
}

void CShimeView::RepaintRows()
{
    m_pListCtrl->viewport()->update();
}

void CShimeView::ClearRows()
{
    m_list.ClearRows();
    m_pModel->Reset();
}

void CShimeView::ReloadList(bool newColumns)
{
    if (newColumns)
        SaveColumnWidths();
    SetupListForMode(!newColumns);
}

void CShimeView::BackToMenu()
{
    GetFrame().SwitchView(0);
}

int CShimeView::Ask(const QString& question, int buttons, int icon, int defaultButton) const
{
    return UiServices::Prompt().MessageBox(question, buttons, icon, defaultButton);
}

void CShimeView::Tell(const QString& text, int icon) const
{
    UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

QWidget* CShimeView::DialogParent()
{
    return this;
}

bool CShimeView::AskClosingDate(bool purchase)
{
    CCloseInvoiceDlg dialog(purchase ? 1 : 0, GetFrame(), this);
    return RunModal(dialog) == QDialog::Accepted;
}

bool CShimeView::OpenReceipt(const CReceiptRequest& request)
{
    return CViewRegistry::Instance().RunOpener(GetFrame(), this, request);
}

bool CShimeView::OpenStockChange(CStockChangeRequest& request)
{
    return CViewRegistry::Instance().RunOpener(GetFrame(), this, request);
}

void CShimeView::OnRowDoubleClick(int row)
{
    OnDblclkList(row);
}

void CShimeView::OnDblclkList(int row)
{
    if (row < 0 || row >= m_list.RowCount())
        return;
    const EReportDoubleClick action = ReportMode(m_list.GetMode()).doubleClick;
    // Under a classification the group rows and the grand total open nothing.
    if (m_request.groupByClass) {
        const CReportRow& target = m_list.Rows()[size_t(row)];
        if (target.mark >= 0 || row == m_list.RowCount() - 1)
            return;
    }
    // The handlers of the other lists are reached by their commands; a
    // drill-down goes to the family of the detail.
    switch (action) {
    case EReportDoubleClick::ShowSlip:
        Controller().OpenRow(row);
        break;
    case EReportDoubleClick::ClosePrint:
        OnCmdMsg(ID_REPORT_CLOSE_PRINT);
        break;
    case EReportDoubleClick::Receipt:
        OnCmdMsg(ID_REPORT_RECEIPT);
        break;
    case EReportDoubleClick::Reprint:
        OnCmdMsg(ID_REPORT_REPRINT);
        break;
    case EReportDoubleClick::EditStock:
        OnCmdMsg(ID_REPORT_STOCK_EDIT);
        break;
    case EReportDoubleClick::DrillDown:
        if (UiServices::Prompt().MessageBox(QStringLiteral("詳細を表示しますか？"), MB_OKCANCEL,
                                            MB_ICONQUESTION) == IDOK)
            ControllerFor(ReportMode(m_list.GetMode()).drillTo).DrillDown(row);
        break;
    default:
        break;
    }
}
