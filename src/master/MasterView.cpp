#include "master/MasterView.h"

#include <QSet>

#include "app/ExchangePorts.h"
#include "app/FindDialog.h"
#include "app/MainFrame.h"
#include "master/BulkEditDlg.h"
#include "master/EntryDialogs.h"
#include "master/ExtractDlg.h"
#include "master/MasterDb.h"
#include "master/MasterEditRules.h"
#include "master/MasterFilterFile.h"
#include "master/MasterList.h"
#include "master/PartnerInfoDlg.h"
#include "master/SlipFromList.h"
#include "platform/data/Record.h"
#include "platform/forms/PloMainData.h"
#include "platform/ui/Help.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/TableSelection.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "resources/CommandIds.h"
#include "settings/BunruiData.h"
#include "settings/dlg/ColumnSetDlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

namespace
{

constexpr int kMinWidth = 600;
constexpr int kMinHeight = 480;

} // namespace

CMasterView::CMasterView(CMainFrame& frame) : CView(frame)
{
    m_pCount = new QLabel(QStringLiteral("表示するデータ"), this);
    m_pTitle = new QComboBox(this);
    m_pGa = new QLabel(QStringLiteral("が"), this);
    m_pValue = new QComboBox(this);
    m_pNoMono = new QLabel(QStringLiteral("のもの"), this);
    m_pTable = new QTableView(this);
    SetupRecordTable(m_pTable);
    m_pTable->setTabKeyNavigation(false);
    m_pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (QLabel* label : {m_pCount, m_pGa, m_pNoMono})
        label->setAttribute(Qt::WA_TranslucentBackground);

    connect(m_pTitle, &QComboBox::activated, this, &CMasterView::OnTitleChanged);
    connect(m_pValue, &QComboBox::activated, this, &CMasterView::OnValueChanged);
    connect(m_pTable->horizontalHeader(), &QHeaderView::sectionClicked, this, &CMasterView::OnColumnClick);
    connect(m_pTable, &QAbstractItemView::doubleClicked, this, [this] {
        if (!GetSelectedRows().isEmpty())
            OnModify();
    });
}

CMasterView::~CMasterView()
{
    if (!m_pList)
        return;
    StoreColumnWidths();
    m_pList->SaveColumns();
    SaveFilter();
    m_pTable->setModel(nullptr);
}

const CMasterKind& CMasterView::GetKind() const
{
    return m_pList->GetKind();
}

QString CMasterView::GetTableName() const
{
    return m_pList ? GetKind().Table() : QString();
}

QString CMasterView::GetCodeFieldName() const
{
    return m_pList ? GetKind().CodeField() : QString();
}

void CMasterView::OnInitialUpdate()
{
    CMainFrame& frame = GetFrame();
    // Only the ledgers' view kinds open this screen; without a ledger it
    // stays empty, every command off.
    const CMasterKind* kind = CMasterKind::OfNumber(frame.GetViewKind());
    if (!kind)
        return;
    setUpdatesEnabled(false);
    m_pDb = std::make_unique<CMasterDb>(frame.GetMakeMsgID());
    m_pList = std::make_unique<CMasterList>(*kind, *m_pDb);
    m_pTable->setModel(&m_pList->Model());

    frame.setWindowTitle(ProgramTitle() + u'－' + kind->Word() + QStringLiteral("一覧"));
    // The menu screen fixes the frame's size to its picture; a list sizes freely.
    frame.setMinimumSize(0, 0);
    frame.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    frame.ShowViewToolBar(true);

    PatchFileMenu();
    ApplyListLook();
    FillTitleList();
    {
        const CWaitCursor wait;
        BuildColumns();
    }
    RestoreFilter();
    Reload(true);
    setUpdatesEnabled(true);
    DoLayout();
    if (frame.isVisible())
        frame.showMaximized();
    else
        frame.setWindowState(frame.windowState() | Qt::WindowMaximized);
}

void CMasterView::OnEnvSettingsChanged()
{
    setUpdatesEnabled(false);
    ApplyListLook();
    m_bLaidOut = false;
    DoLayout();
    setUpdatesEnabled(true);
    update();
}

// The label printing item is named by kind; the partner lists get the slip
// command above it.
void CMasterView::PatchFileMenu()
{
    CMainFrame& frame = GetFrame();
    if (QAction* label = frame.FindMenuItem(ID_MASTER_LABEL_PRINT))
        label->setText(GetKind().side ? QStringLiteral("宛名印刷") : QStringLiteral("商品ラベル印刷"));
    if (const CTradeSide* side = GetKind().side; side && !frame.FindMenuItem(ID_MASTER_CREATE_SLIP)) {
        frame.InsertMenuItem(ID_MASTER_LABEL_PRINT, ID_MASTER_CREATE_SLIP,
                             side->IsPurchases() ? QStringLiteral("注文書/仕入伝票の作成")
                                                 : QStringLiteral("売上伝票/見積書の作成"),
                             true);
    }
    if (QAction* code = frame.FindMenuItem(ID_MASTER_CODE_CHANGE))
        code->setText(GetKind().CodeLabel() + QStringLiteral("の変更..."));
}

// The frame's list font on every control, its list colour behind them.
void CMasterView::ApplyListLook()
{
    CMainFrame& frame = GetFrame();
    for (QWidget* w :
         {static_cast<QWidget*>(m_pCount), static_cast<QWidget*>(m_pTitle), static_cast<QWidget*>(m_pGa),
          static_cast<QWidget*>(m_pValue), static_cast<QWidget*>(m_pNoMono), static_cast<QWidget*>(m_pTable)})
        frame.SetListFont(w, false);
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 6);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, frame.GetListBackColor());
    setPalette(palette);
    setAutoFillBackground(true);
}

void CMasterView::resizeEvent(QResizeEvent* event)
{
    CView::resizeEvent(event);
    DoLayout();
}

void CMasterView::DoLayout()
{
    const int edge = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    if (!m_bLaidOut) {
        const int row = m_pCount->fontMetrics().height() + 2 * edge;
        const auto textWidth = [](QLabel* w, const QString& text) {
            return qMax(w->sizeHint().width(),
                        w->fontMetrics().horizontalAdvance(text) + 2 * w->margin() + 8);
        };
        m_pCount->setGeometry(10, 10, qMax(200, textWidth(m_pCount, m_pCount->text())), row);
        const int top = m_pCount->geometry().bottom() + 1 + 5;
        const int boxHeight = qMax(row, m_pTitle->sizeHint().height());
        int x = 10;
        const int titleWidth = qMax(150, m_pTitle->sizeHint().width());
        m_pTitle->setGeometry(x, top, titleWidth, boxHeight);
        x += titleWidth + 5;
        m_pGa->setGeometry(x, top, textWidth(m_pGa, m_pGa->text()), boxHeight);
        x += m_pGa->width() + 5;
        const int valueWidth = qMax(200, m_pValue->sizeHint().width());
        m_pValue->setGeometry(x, top, valueWidth, boxHeight);
        x += valueWidth + 5;
        m_pNoMono->setGeometry(x, top, textWidth(m_pNoMono, m_pNoMono->text()), boxHeight);
        m_pTitle->setMaxVisibleItems(7);
        m_pValue->setMaxVisibleItems(7);
        m_bLaidOut = true;
    }
    const int top = m_pTitle->geometry().isEmpty() ? 75 : m_pTitle->geometry().bottom() + 1 + edge + 10;
    const int width = qMax(this->width(), kMinWidth), height = qMax(this->height(), kMinHeight);
    m_pTable->setGeometry(10, top, width - (2 * edge + 20), qMax(0, height - (2 * edge + 10) - top));
}

void CMasterView::FillTitleList()
{
    CBunruiData titles;
    m_pTitle->clear();
    m_pTitle->addItem(QStringLiteral("指定なし"));
    for (int i = 0; i < 5; ++i)
        m_pTitle->addItem(titles.GetTitle(GetKind().columnSet, i));
    m_pTitle->setCurrentIndex(0);
    FillValueList(false);
}

void CMasterView::FillValueList(bool keepSelection)
{
    const int kept = m_pValue->currentIndex();
    m_pValue->clear();
    const int title = m_pTitle->currentIndex();
    if (m_pList && title >= 1 && title <= 5) {
        m_pValue->setEnabled(true);
        CBunruiData data;
        if (const CBunruiDataElem* elem = data.Find(GetKind().columnSet, title - 1)) {
            for (const QString& value : elem->m_contents) {
                if (!value.isEmpty())
                    m_pValue->addItem(value);
            }
        }
        m_pValue->setCurrentIndex(keepSelection && kept < m_pValue->count() ? kept : -1);
    } else {
        m_pValue->setEnabled(false);
    }
}

void CMasterView::RestoreFilter()
{
    const QStringList lines = MasterFilterFile::ReadLines(MasterFilterFile::Path());
    int index = 0;
    QString value;
    if (!MasterFilterFile::ParseLine(lines.value(GetKind().number - 1), index, value) || index == -1)
        return;
    m_pTitle->setCurrentIndex(index >= 0 && index < m_pTitle->count() ? index : -1);
    FillValueList(false);
    for (int i = 0; i < m_pValue->count(); ++i) {
        if (m_pValue->itemText(i) == value) {
            m_pValue->setCurrentIndex(i);
            break;
        }
    }
}

void CMasterView::SaveFilter()
{
    const QString value = m_pValue->currentIndex() >= 0 ? m_pValue->currentText() : QString();
    MasterFilterFile::Save(MasterFilterFile::Path(), GetKind().number, m_pTitle->currentIndex(), value);
}

void CMasterView::StoreColumnWidths()
{
    CMasterListModel& model = m_pList->Model();
    const QHeaderView* header = m_pTable->horizontalHeader();
    for (int column = 0; column < model.columnCount() && column < header->count(); ++column)
        model.SetColumnWidth(column, header->sectionSize(column));
}

// The filter boxes as the query reads them.
void CMasterView::TakeFilter()
{
    const int title = m_pTitle->currentIndex();
    m_pList->SetFilter(title,
                       title >= 1 && m_pValue->currentIndex() >= 0 ? m_pValue->currentText() : QString());
    m_pList->SetExtraction(GetFrame().GetExtractCondition());
}

void CMasterView::EnableFilterBoxes()
{
    if (m_pList->IsExtracted()) {
        m_pTitle->setEnabled(false);
        m_pValue->setEnabled(false);
        return;
    }
    const int title = m_pTitle->currentIndex();
    m_pTitle->setEnabled(true);
    m_pValue->setEnabled(title >= 1 && title <= 5);
}

int CMasterView::LoadList()
{
    if (!m_pList)
        return 0;
    TakeFilter();
    const int result = m_pList->LoadList();
    EnableFilterBoxes();
    return result;
}

int CMasterView::FillList()
{
    if (!m_pList)
        return 0;
    setUpdatesEnabled(false);
    // The rows go and come back; the widths the user gave the columns stay.
    StoreColumnWidths();
    const int rows = m_pList->FillList();
    ApplyColumnWidths();
    if (rows > 0) {
        SelectRowExclusive(0);
    }
    UpdateCountLine();
    setUpdatesEnabled(true);
    update();
    return rows;
}

void CMasterView::Reload(bool query)
{
    if (query)
        LoadList();
    FillList();
}

int CMasterView::BuildColumns()
{
    if (!m_pList)
        return 0;
    const int result = m_pList->LoadColumns();
    ApplyColumnWidths();
    return result;
}

void CMasterView::ApplyColumnWidths()
{
    const CMasterListModel& model = m_pList->Model();
    QHeaderView* header = m_pTable->horizontalHeader();
    for (int column = 0; column < model.columnCount() && column < header->count(); ++column)
        header->resizeSection(column, model.GetColumnWidth(column));
}

int CMasterView::LoadTotalCount()
{
    return m_pList ? m_pList->LoadTotalCount() : 0;
}

void CMasterView::UpdateCountLine()
{
    if (!m_pList)
        return;
    m_pCount->setText(m_pList->GetCountLine());
    const int wanted = m_pCount->fontMetrics().horizontalAdvance(m_pCount->text()) + 4;
    if (m_pCount->width() < wanted)
        m_pCount->resize(wanted, m_pCount->height());
}

QString CMasterView::GetCellText(const COneRecord* record, int column) const
{
    return m_pList ? m_pList->Model().GetCellText(record, column) : QString();
}

bool CMasterView::IsBlankCodeRecord(const COneRecord* record) const
{
    return ::IsBlankCodeRecord(record, GetTableName(), GetCodeFieldName());
}

bool CMasterView::RefreshClassHeadings()
{
    if (!m_pList)
        return false;
    FillValueList(true);
    CBunruiData data;
    bool replaced = false;
    QStringList titles;
    for (int i = 0; i < 5; ++i) {
        titles << data.GetTitle(GetKind().columnSet, i);
        if (i + 1 < m_pTitle->count() && m_pTitle->itemText(i + 1) != titles[i]) {
            m_pTitle->setItemText(i + 1, titles[i]);
            replaced = true;
        }
    }
    if (!replaced)
        return false;
    CMasterListModel& model = m_pList->Model();
    const CQXColSet& columns = model.GetColumns();
    for (int column = 0; column < columns.m_cols.size(); ++column) {
        const QString& field = columns.m_cols[column].m_strField;
        for (int i = 0; i < 5; ++i) {
            if (field == QStringLiteral("Class%1").arg(i + 1) &&
                columns.m_cols[column].m_strCaption != titles[i])
                model.SetColumnCaption(column, titles[i]);
        }
    }
    return true;
}

void CMasterView::OnTitleChanged(int index)
{
    FillValueList(false);
    if (index == 0)
        Reload(true);
}

void CMasterView::OnValueChanged(int)
{
    Reload(true);
}

QList<int> CMasterView::GetSelectedRows() const
{
    return SelectedRows(m_pTable);
}

void CMasterView::SelectRowExclusive(int row)
{
    if (m_pList)
        ::SelectRowExclusive(m_pTable, row);
}

void CMasterView::OnColumnClick(int column)
{
    if (m_pList)
        m_pList->SortByColumn(column);
}

long CMasterView::OnFindRequest(const CFindRequest& request)
{
    if (!m_pList)
        return 0;
    const int row = FindNextRow(request, GetSelectedRows(), [&](int start) {
        return m_pList->Model().FindRow(request.findWhat, request.searchDown, start);
    });
    if (row < 0)
        return 0;
    SelectRowExclusive(row);
    m_pTable->setFocus();
    return 1;
}

COneRecord* CMasterView::UpdateRecord(const COneRecord& record)
{
    if (!m_pList) {
        UiServices::Prompt().MessageBox(QStringLiteral("レコードIDが不明です"));
        return nullptr;
    }
    const int total = m_pList->GetTotalCount();
    COneRecord* held = m_pList->UpdateRecord(record);
    if (held && m_pList->GetTotalCount() != total) {
        SelectRowExclusive(0);
        UpdateCountLine();
    }
    return held;
}

COneRecord* CMasterView::SelectNextRecord(COneRecord* record)
{
    return SelectStep(record, 1);
}

COneRecord* CMasterView::SelectPrevRecord(COneRecord* record)
{
    return SelectStep(record, -1);
}

COneRecord* CMasterView::SelectStep(COneRecord* record, int step)
{
    if (!m_pList)
        return nullptr;
    int row;
    if (record) {
        row = m_pList->Model().RowOf(record);
    } else {
        const QList<int> selected = GetSelectedRows();
        row = selected.isEmpty() ? -1 : selected.first();
    }
    const int target = row + step;
    if (row < 0 || target < 0 || target >= m_pList->Model().GetRowCount())
        return nullptr;
    SelectRowExclusive(target);
    return m_pList->Model().RecordAt(target);
}

int CMasterView::GetPrevNextState(bool& hasPrev, bool& hasNext)
{
    hasPrev = hasNext = false;
    const QList<int> selected = GetSelectedRows();
    if (selected.isEmpty() || !m_pList)
        return -1;
    const int row = selected.first();
    hasPrev = row > 0;
    hasNext = row < m_pList->Model().GetRowCount() - 1;
    return row;
}

int CMasterView::LaunchSlipForm(int kind, const QString& text, long layout)
{
    // A form deleted since the partner last used it: the user picks one.
    if (layout != 0 && !CPloMainData().GetLayoutInfo(layout))
        layout = 0;
    GetFrame().OpenSlipForm(kind, text, layout);
    return 1;
}

bool CMasterView::OnCmdMsg(int id)
{
    if (!m_pList)
        return false;
    switch (id) {
    case ID_MASTER_DELETE:
        OnDelete();
        return true;
    case ID_MASTER_MODIFY:
        OnModify();
        return true;
    case ID_MASTER_NEW:
        OnNew();
        return true;
    case ID_MASTER_CODE_CHANGE:
        OnCodeChange();
        return true;
    case ID_MASTER_CREATE_SLIP:
        OnCreateSlip();
        return true;
    case ID_MASTER_SELECT_ALL:
        OnSelectAll();
        return true;
    case ID_MASTER_SHOW_ALL:
        OnShowAll();
        return true;
    case ID_MASTER_EXTRACT:
        OnExtract();
        return true;
    case ID_MASTER_COLUMN_SET:
        OnColumnSettings();
        return true;
    case ID_MASTER_HELP:
        ShowHelpTopic(1610);
        return true;
    case ID_MASTER_PRINT:
        OnListPrint();
        return true;
    case ID_MASTER_PRINT_PREVIEW:
        OnListPrintPreview();
        return true;
    case ID_MASTER_LABEL_PRINT:
        OnAddressPrint();
        return true;
    case ID_MASTER_IMPORT:
        if (GetMasterImportHandler() && GetMasterImportHandler()(GetFrame(), GetKind()) == 1) {
            UiServices::Prompt().MessageBox(QStringLiteral("リストを表示しなおします。"), MB_OK,
                                            MB_ICONINFORMATION);
            Reload(true);
        }
        return true;
    case ID_MASTER_EXPORT:
        OnExport();
        return true;
    case ID_IMPORT_BRENLO:
    case ID_IMPORT_CADMIR:
    case ID_IMPORT_VELMIRA:
    case ID_IMPORT_TOSKEL:
        OnSiblingImport(id);
        return true;
    case ID_EXPORT_VELMIRA:
        OnSiblingExport();
        return true;
    default:
        return false;
    }
}

bool CMasterView::HasCommandHandler(int id) const
{
    // The commands of OnCmdMsg's switch, so the route finds them.
    static const QSet<int> kHandled = {
        ID_MASTER_DELETE,      ID_MASTER_MODIFY,     ID_MASTER_NEW,      ID_MASTER_CODE_CHANGE,
        ID_MASTER_CREATE_SLIP, ID_MASTER_SELECT_ALL, ID_MASTER_SHOW_ALL, ID_MASTER_EXTRACT,
        ID_MASTER_COLUMN_SET,  ID_MASTER_HELP,       ID_MASTER_PRINT,    ID_MASTER_PRINT_PREVIEW,
        ID_MASTER_LABEL_PRINT, ID_MASTER_IMPORT,     ID_MASTER_EXPORT,   ID_IMPORT_BRENLO,
        ID_IMPORT_CADMIR,      ID_IMPORT_VELMIRA,    ID_IMPORT_TOSKEL,   ID_EXPORT_VELMIRA};
    return (m_pList && kHandled.contains(id)) || CView::HasCommandHandler(id);
}

bool CMasterView::OnUpdateCmdUI(int id, CCmdUI& ui)
{
    const int rows = m_pList ? m_pList->Model().GetRowCount() : 0;
    switch (id) {
    case ID_MASTER_IMPORT:
        ui.Enable(m_pList && GetMasterImportHandler());
        return true;
    case ID_MASTER_EXPORT:
        ui.Enable(m_pList && GetMasterExportHandler() && !GetSelectedRows().isEmpty());
        return true;
    case ID_IMPORT_BRENLO:
    case ID_IMPORT_CADMIR:
    case ID_IMPORT_VELMIRA:
    case ID_IMPORT_TOSKEL:
        ui.Enable(m_pList && GetMasterSiblingImportHandler());
        return true;
    case ID_EXPORT_VELMIRA:
        ui.Enable(m_pList && GetMasterSiblingExportHandler());
        return true;
    case ID_MASTER_DELETE:
        ui.Enable(m_pList && !GetSelectedRows().isEmpty());
        return true;
    case ID_MASTER_MODIFY: {
        const qsizetype selected = m_pList ? GetSelectedRows().size() : 0;
        ui.Enable(selected > 0);
        return true;
    }
    case ID_MASTER_NEW:
        ui.Enable(m_pList != nullptr);
        return true;
    case ID_MASTER_CODE_CHANGE:
        ui.Enable(m_pList != nullptr);
        return true;
    case ID_MASTER_CREATE_SLIP:
        ui.Enable(IsPartnerList() && !GetSelectedRows().isEmpty());
        return true;
    case ID_MASTER_SELECT_ALL:
        ui.Enable(rows > 0);
        return true;
    case ID_MASTER_SHOW_ALL: {
        const int title = m_pTitle->currentIndex();
        ui.Enable(m_pList && (GetFrame().GetExtractCondition() ||
                              (title >= 1 && title <= 5 && m_pValue->currentIndex() >= 0 &&
                               !m_pValue->currentText().isEmpty())));
        return true;
    }
    case ID_MASTER_LABEL_PRINT:
        ui.Enable(m_pList && !GetSelectedRows().isEmpty());
        return true;
    case ID_MASTER_PRINT:
    case ID_MASTER_PRINT_PREVIEW:
    case ID_MASTER_COLUMN_SET:
    case ID_MASTER_HELP:
    case ID_MASTER_EXTRACT:
        ui.Enable(m_pList != nullptr);
        return true;
    default:
        return false;
    }
}

void CMasterView::OnDelete()
{
    const QList<int> rows = GetSelectedRows();
    if (rows.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("削除するデータを選択してください。\n"));
        return;
    }
    setUpdatesEnabled(false);
    const int deleted = CMasterEditRules(*m_pList).DeleteRows(rows);
    setUpdatesEnabled(true);
    if (deleted)
        UpdateCountLine();
}

void CMasterView::OnModify()
{
    const QList<int> rows = GetSelectedRows();
    if (rows.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("修正するデータを選択してください。\n"));
        return;
    }
    if (rows.size() == 1) {
        OnModifyRow(rows.first());
        return;
    }
    CBulkEditDlg dialog(GetKind().columnSet, this);
    if (dialog.DoModal() != IDOK)
        return;
    TakeFilter();
    if (CMasterEditRules(*m_pList).BulkModify(rows, dialog.GetResult())) {
        EnableFilterBoxes();
        if (m_pList->Model().GetRowCount() > 0)
            SelectRowExclusive(0);
        UpdateCountLine();
        RefreshClassHeadings();
    }
}

void CMasterView::OnCreateSlip()
{
    QList<const COneRecord*> records;
    for (int row : GetSelectedRows())
        records << m_pList->Model().RecordAt(row);
    CMainFrame& frame = GetFrame();
    CSlipFromList command(
        GetKind(),
        [&frame](const QString& table, const QString& field, const QString& code, CCDSData& result) {
            return frame.CheckDuplicateCode(table, field, code, result);
        },
        [this](int kind, const QString& text, long layout) { return LaunchSlipForm(kind, text, layout); });
    command.Run(records);
}

void CMasterView::OnSelectAll()
{
    m_pTable->selectAll();
    m_pTable->setFocus();
}

void CMasterView::OnShowAll()
{
    CMainFrame& frame = GetFrame();
    if (frame.GetExtractCondition()) {
        if (UiServices::Prompt().MessageBox(QStringLiteral("抽出を解除してよろしいですか？"), MB_YESNO,
                                            MB_ICONQUESTION) != IDYES)
            return;
        frame.ReleaseExtractCondition();
    }
    m_pTitle->setCurrentIndex(0);
    FillValueList(false);
    Reload(true);
}

void CMasterView::OnExtract()
{
    // The dialog has set or dropped the frame's extraction.
    if (RunExtractDialog(GetKind().kind, GetFrame(), this) == IDOK)
        Reload(true);
}

void CMasterView::OnSiblingImport(int id)
{
    if (!GetMasterSiblingImportHandler())
        return;
    // The kinds each source can fill: suppliers none, products not from the
    // waybill or the customer product.
    const EMasterKind kind = GetKind().kind;
    if (kind == EMasterKind::Supplier ||
        (kind == EMasterKind::Item && (id == ID_IMPORT_CADMIR || id == ID_IMPORT_VELMIRA))) {
        UiServices::Prompt().MessageBox(
            kind == EMasterKind::Supplier
                ? QStringLiteral("仕入先台帳にはデータを読み込むことはできません。\n")
                : QStringLiteral("商品台帳にはデータを読み込むことはできません。\n"),
            MB_OK, MB_ICONEXCLAMATION);
        return;
    }
    if (GetMasterSiblingImportHandler()(GetFrame(), id, GetKind()) == 1) {
        UiServices::Prompt().MessageBox(QStringLiteral("リストを表示しなおします。"), MB_OK,
                                        MB_ICONINFORMATION);
        Reload(true);
    }
}

void CMasterView::OnExport()
{
    ExportSelected(0);
}

void CMasterView::OnSiblingExport()
{
    ExportSelected(1);
}

// 0: the file export; 1: the customer product, which takes customers only.
int CMasterView::ExportSelected(int target)
{
    const auto& handler = target == 0 ? GetMasterExportHandler() : GetMasterSiblingExportHandler();
    if (!handler)
        return 2;
    if (target == 1 && GetKind().kind != EMasterKind::Customer) {
        UiServices::Prompt().MessageBox(QStringLiteral("得意先データ以外のデータを書き出すことはできません"),
                                        MB_OK, MB_ICONEXCLAMATION);
        return 2;
    }
    const QList<int> rows = GetSelectedRows();
    if (rows.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("書き出すデータを選択してください。\n"), MB_OK,
                                        MB_ICONEXCLAMATION);
        return 2;
    }
    if (UiServices::Prompt().MessageBox(
            QStringLiteral("選択されている%1件の情報を書き出します。よろしいですか？").arg(rows.size()),
            MB_YESNO, MB_ICONQUESTION) != IDYES)
        return 2;
    CWaitCursor wait;
    CCDSData records;
    for (int row : rows) {
        if (const COneRecord* record = m_pList->Model().RecordAt(row))
            records.Add(*record);
    }
    const int result = handler(GetFrame(), GetKind(), records);
    if (result == 1)
        UiServices::Prompt().MessageBox(QStringLiteral("書き出しを完了しました。"), MB_OK,
                                        MB_ICONINFORMATION);
    return result;
}

void CMasterView::OnColumnSettings()
{
    StoreColumnWidths();
    m_pList->SaveColumns();
    CColumnSetDlg dialog(0, this);
    dialog.SetListKind(GetKind().number);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CWaitCursor wait;
    BuildColumns();
    FillList();
}
