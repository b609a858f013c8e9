#include "slips/HeaderView.h"

#include "slips/SlipCommands.h"
#include "slips/SlipExtractDlg.h"
#include "slips/SlipList.h"
#include "slips/SlipListRules.h"

#include "app/FindDialog.h"
#include "app/MainFrame.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/TableSelection.h"
#include "platform/ui/UiServices.h"
#include "resources/CommandIds.h"

#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTableView>

#include <utility>

namespace
{

constexpr int kMinWidth = 600;
constexpr int kMinHeight = 480;

} // namespace

CHeaderView::CHeaderView(CMainFrame& frame) : CView(frame)
{
    m_pPeriod = new QLabel(this);
    m_pCount = new QLabel(this);
    m_pTable = new QTableView(this);
    SetupRecordTable(m_pTable);
    m_pTable->viewport()->installEventFilter(this);
    for (QLabel* label : {m_pPeriod, m_pCount})
        label->setAttribute(Qt::WA_TranslucentBackground);
    connect(m_pTable->horizontalHeader(), &QHeaderView::sectionClicked, this, &CHeaderView::OnColumnClick);
    connect(m_pTable, &QAbstractItemView::doubleClicked, this, [this] {
        if (m_pList && !GetSelectedRows().isEmpty())
            CSlipCommands(*m_pList).OnModify(GetSelectedRows());
    });

    auto run = [this](auto command) {
        return [this, command] {
            if (m_pList) {
                CSlipCommands commands(*m_pList);
                (commands.*command)(GetSelectedRows());
            }
        };
    };
    MapCommand(ID_SLIP_NEW, [this] {
        if (m_pList)
            CSlipCommands(*m_pList).OnNew();
    });
    MapCommand(ID_SLIP_MODIFY, run(&CSlipCommands::OnModify));
    MapCommand(ID_SLIP_DELETE, [this] {
        if (!m_pList)
            return;
        if (CSlipCommands(*m_pList).OnDelete(GetSelectedRows()))
            UpdateLabels();
    });
    MapCommand(ID_SLIP_STATUS, run(&CSlipCommands::OnChangeStatus));
    MapCommand(ID_SLIP_BATCH_PRINT, run(&CSlipCommands::OnBatchPrint));
    MapCommand(ID_SLIP_ADDRESS_PRINT, run(&CSlipCommands::OnAddressPrint));
    MapCommand(ID_SLIP_TRANSCRIBE, run(&CSlipCommands::OnTranscribe));
    MapCommand(ID_SLIP_EXPORT, run(&CSlipCommands::OnExport));
    MapCommand(ID_SLIP_EXTRACT, [this] { OnExtract(); });
    MapCommand(ID_SLIP_SELECT_ALL, [this] { OnSelectAll(); });
    MapCommand(ID_SLIP_HELP, [this] {
        const CSlipMode* mode = GetSlipMode(m_nMode);
        if (mode && mode->helpId)
            ShowHelpTopic(mode->helpId);
    });
}

CHeaderView::~CHeaderView()
{
    if (!m_pList)
        return;
    StoreColumnWidths();
    m_pList->SaveColumns();
    // The frame's extraction was taken and cleared at the first fill, so
    // the next list opens with the default period unless a new one comes.
    m_pTable->setModel(nullptr);
}

QString CHeaderView::GetHeaderTable() const
{
    return m_pList ? m_pList->GetHeaderTable() : QString();
}

int CHeaderView::GetSlipKind() const
{
    return m_pList ? m_pList->GetSlipKind() : 0;
}

void CHeaderView::TakeRequest(std::any request)
{
    if (const auto* extraction = std::any_cast<CSlipExtraction>(&request))
        m_strHandedCondition = extraction->condition;
}

void CHeaderView::OnInitialUpdate()
{
    CMainFrame& frame = GetFrame();
    m_nMode = frame.GetViewKind();
    m_pList = std::make_unique<CSlipList>(m_nMode, frame.GetMakeMsgID());
    m_pTable->setModel(&m_pList->Model());
    if (const CSlipMode* mode = GetSlipMode(m_nMode))
        frame.setWindowTitle(ProgramTitle() + QString::fromUtf16(mode->title));
    frame.setMinimumSize(0, 0);
    frame.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    frame.ShowViewToolBar(true);
    ApplyListLook();

    // The extraction the menu command handed over is used once.
    const QString condition = std::exchange(m_strHandedCondition, QString());

    if (m_pList->InitColumns()) {
        ApplyColumnWidths();
        if (!condition.isEmpty())
            m_pList->SetExtraction(condition, QDate(), QDate());
        else
            m_pList->SetDefaultPeriod(UiServices::Clock().Today());
        if (m_pList->Reload() != -100)
            FillList(true);
    }
    UpdateLabels();
    DoLayout();
    if (frame.isVisible())
        frame.showMaximized();
    else
        frame.setWindowState(frame.windowState() | Qt::WindowMaximized);
}

void CHeaderView::OnEnvSettingsChanged()
{
    setUpdatesEnabled(false);
    ApplyListLook();
    DoLayout();
    setUpdatesEnabled(true);
    update();
}

void CHeaderView::ApplyListLook()
{
    CMainFrame& frame = GetFrame();
    for (QWidget* w :
         {static_cast<QWidget*>(m_pPeriod), static_cast<QWidget*>(m_pCount), static_cast<QWidget*>(m_pTable)})
        frame.SetListFont(w, false);
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 6);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, frame.GetListBackColor());
    setPalette(palette);
    setAutoFillBackground(true);
    // Light text on the list colour; on a light colour it would vanish, so
    // the labels then take black.
    const QColor text =
        frame.GetListBackColor().lightness() < 128 ? QColor(222, 222, 222) : QColor(Qt::black);
    for (QLabel* label : {m_pPeriod, m_pCount}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, text);
        label->setPalette(p);
    }
}

void CHeaderView::resizeEvent(QResizeEvent* event)
{
    CView::resizeEvent(event);
    DoLayout();
}

void CHeaderView::DoLayout()
{
    const int width = qMax(this->width(), kMinWidth) - 30;
    const int text = m_pPeriod->fontMetrics().height();
    m_pPeriod->setGeometry(15, 10, width, text);
    m_pCount->setGeometry(15, 10 + text + 5, width, text);
    const int top = 10 + 2 * (text + 5);
    m_pTable->setGeometry(15, top, width, qMax(0, qMax(this->height(), kMinHeight) - top - 15));
}

void CHeaderView::StoreColumnWidths()
{
    CQXColSet columns = m_pList->Model().GetColumns();
    const QHeaderView* header = m_pTable->horizontalHeader();
    for (int column = 0; column < columns.m_cols.size() && column < header->count(); ++column)
        columns.m_cols[column].m_nWidth = header->sectionSize(column);
    m_pList->Model().SetColumns(columns);
}

void CHeaderView::ApplyColumnWidths()
{
    const CQXColSet& columns = m_pList->Model().GetColumns();
    if (columns.m_cols.isEmpty())
        return;
    const int fallback = qMax(kMinWidth - 30, m_pTable->viewport()->width()) / int(columns.m_cols.size());
    QHeaderView* header = m_pTable->horizontalHeader();
    for (int column = 0; column < columns.m_cols.size() && column < header->count(); ++column) {
        const int width = columns.m_cols[column].m_nWidth;
        header->resizeSection(column, width > 0 ? width : fallback);
    }
}

void CHeaderView::FillList(bool selectFirst)
{
    ApplyColumnWidths();
    if (selectFirst && m_pList->Model().GetRowCount() > 0)
        SelectRowExclusive(0);
}

void CHeaderView::UpdateLabels()
{
    if (!m_pList)
        return;
    m_pPeriod->setText(m_pList->GetPeriodLabel());
    m_pCount->setText(m_pList->GetCountLabel());
}

void CHeaderView::RefreshList()
{
    if (!m_pList)
        return;
    StoreColumnWidths();
    if (m_pList->Reload() != -100)
        ApplyColumnWidths();
    m_pCount->setText(m_pList->GetCountLabel());
}

QList<int> CHeaderView::GetSelectedRows() const
{
    return SelectedRows(m_pTable);
}

void CHeaderView::SelectRowExclusive(int row)
{
    if (m_pList)
        ::SelectRowExclusive(m_pTable, row);
}

void CHeaderView::OnSelectAll()
{
    m_pTable->selectAll();
}

void CHeaderView::OnColumnClick(int column)
{
    if (m_pList)
        m_pList->SortByColumn(column);
}

void CHeaderView::OnExtract()
{
    if (!m_pList || !m_pList->GetMode())
        return;
    CSlipExtractDlg dialog(GetHeaderTable(), m_pList->IsExtracted(), this);
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    const CSlipExtractRules& rules = dialog.Rules();
    StoreColumnWidths();
    if (rules.m_nExtractionSet == 0)
        m_pList->SetDefaultPeriod(UiServices::Clock().Today());
    else
        m_pList->SetExtraction(rules.m_strResult, rules.m_dtFrom, rules.m_dtTo);
    if (m_pList->Reload() == -100)
        return;
    FillList(true);
    UpdateLabels();
}

long CHeaderView::OnFindRequest(const CFindRequest& request)
{
    if (!m_pList)
        return 1;
    const int row = FindNextRow(request, GetSelectedRows(), [&](int start) {
        return m_pList->Model().FindRow(request.findWhat, request.searchDown, start);
    });
    if (row < 0)
        return 1;
    SelectRowExclusive(row);
    m_pTable->setFocus();
    return 1;
}

bool CHeaderView::OnUpdateCmdUI(int id, CCmdUI& ui)
{
    const int selected = m_pList ? int(GetSelectedRows().size()) : 0;
    switch (id) {
    case ID_SLIP_MODIFY:
    case ID_SLIP_TRANSCRIBE:
        ui.Enable(selected == 1);
        return true;
    case ID_SLIP_DELETE:
    case ID_SLIP_BATCH_PRINT:
    case ID_SLIP_ADDRESS_PRINT:
        ui.Enable(selected >= 1);
        return true;
    case ID_SLIP_EXPORT:
        ui.Enable(m_nMode == 5);
        return true;
    case ID_SLIP_HELP: {
        // The order and purchase lists have no help page: no dead button.
        const CSlipMode* mode = GetSlipMode(m_nMode);
        ui.Enable(mode && mode->helpId);
        return true;
    }
    default:
        return false;
    }
}

bool CHeaderView::eventFilter(QObject* watched, QEvent* event)
{
    // A press on a quote's or order's check image changes its status; the
    // selection is read before the press would change it.
    if (watched == m_pTable->viewport() && event->type() == QEvent::MouseButtonPress && m_pList &&
        (m_nMode == 4 || m_nMode == 6)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = m_pTable->indexAt(mouse->position().toPoint());
        if (index.isValid() && index.column() == 0 && mouse->button() == Qt::LeftButton) {
            const QRect cell = m_pTable->visualRect(index);
            if (mouse->position().x() < cell.left() + cell.height() + 4) {
                CSlipCommands(*m_pList).OnStateIconClick(index.row(), GetSelectedRows());
                return true;
            }
        }
    }
    return CView::eventFilter(watched, event);
}
