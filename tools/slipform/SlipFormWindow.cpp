#include "SlipFormWindow.h"

#include <QDir>
#include <QPrinter>

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "WorkDocument.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/forms/LayoutInfo.h"
#include "platform/forms/PloMainData.h"
#include "platform/forms/SlipListBlock.h"
#include "platform/ipc/ClipboardFormats.h"
#include "platform/ipc/DataChangedChannel.h"
#include "platform/ui/PrintJob.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

namespace
{

QString ModeText(const CSlipFormCommand& command)
{
    switch (command.GetMode()) {
    case CSlipFormCommand::kNew:
        return QStringLiteral("新規作成");
    case CSlipFormCommand::kNewForPartner:
        return QStringLiteral("取引先を指定して新規作成");
    case CSlipFormCommand::kWorkTables:
        return QStringLiteral("作業テーブルから印刷");
    case CSlipFormCommand::kReopen:
        return QStringLiteral("伝票の修正");
    case CSlipFormCommand::kTransfer:
        return QStringLiteral("別フォームへ転記");
    case CSlipFormCommand::kClipboard:
        return QStringLiteral("一括印刷");
    default:
        return {};
    }
}

QTableWidget* MakeTable(QWidget* parent, const QStringList& headers, int rows)
{
    auto* table = new QTableWidget(rows, int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

// File names and codes come from slips and the command line: never read
// them as rich text.
QLabel* Plain(const QString& text, QWidget* parent = nullptr)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* Note(const QString& text, QWidget* parent)
{
    QLabel* label = Plain(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

CSlipFormWindow::CSlipFormWindow(const CSlipFormCommand& command, QWidget* parent)
    : QMainWindow(parent), m_command(command)
{
    setWindowTitle(QStringLiteral("フォーム画面 - %1").arg(SlipFormKindName(command.GetKind())));
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    if (command.GetMode() == CSlipFormCommand::kWorkTables)
        AddPrintActions(*file);
    file->addAction(QStringLiteral("データを更新したことを通知"), this, &CSlipFormWindow::NotifyDataChanged);
    file->addSeparator();
    file->addAction(QStringLiteral("閉じる(&C)"), this, &QWidget::close);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    AddSummary(*layout);
    if (command.GetMode() == CSlipFormCommand::kWorkTables)
        AddWorkTables(*layout);
    else if (command.GetMode() == CSlipFormCommand::kClipboard)
        AddClipboardList(*layout);
    else
        layout->addStretch();
    setCentralWidget(central);
    resize(720, 480);
}

void CSlipFormWindow::AddSummary(QVBoxLayout& layout)
{
    auto* form = new QFormLayout;
    const int kind = m_command.GetKind();
    form->addRow(QStringLiteral("伝票種類："),
                 Plain(QStringLiteral("%1 %2").arg(kind).arg(SlipFormKindName(kind))));
    if (m_command.GetMode() != CSlipFormCommand::kReopen) {
        CPloMainData layouts;
        const CLayoutInfo* info = layouts.GetLayoutInfo(m_command.GetLayout());
        form->addRow(
            QStringLiteral("レイアウト："),
            Plain(QStringLiteral("%1 %2")
                      .arg(m_command.GetLayout())
                      .arg(info ? info->m_strName : QStringLiteral("（登録されていないレイアウト）"))));
    }
    form->addRow(QStringLiteral("処理："), Plain(ModeText(m_command)));
    switch (m_command.GetMode()) {
    case CSlipFormCommand::kNewForPartner:
        form->addRow(QStringLiteral("取引先コード："), Plain(m_command.GetPartnerCode()));
        break;
    case CSlipFormCommand::kReopen:
        form->addRow(QStringLiteral("伝票ファイル："), Plain(m_command.GetFileName()));
        form->addRow(QStringLiteral("伝票ID："), Plain(QString::number(m_command.GetID())));
        break;
    case CSlipFormCommand::kTransfer:
        form->addRow(QStringLiteral("転記元の伝票ID："), Plain(QString::number(m_command.GetID())));
        form->addRow(QStringLiteral("転記先："),
                     Plain(m_command.GetTransferMode() == 1 ? QStringLiteral("同じ種類の伝票")
                                                            : QStringLiteral("別の種類の伝票")));
        break;
    case CSlipFormCommand::kClipboard:
        form->addRow(QStringLiteral("クリップボード形式："),
                     Plain(QString::number(m_command.GetClipFormat())));
        break;
    default:
        break;
    }
    layout.addLayout(form);
}

void CSlipFormWindow::AddWorkTables(QVBoxLayout& layout)
{
    QString name;
    QString folder;
    CDBDirMng().GetNowDB(name, folder);
    CMakeMsgID data;
    QString err;
    if (folder.isEmpty() || data.Open(folder, err) != CMakeMsgID::kOk) {
        layout.addWidget(Note(QStringLiteral("データベースを開けません。\n%1").arg(err), this));
        return;
    }
    m_document = std::make_shared<CWorkDocument>(m_command.GetKind());
    if (LoadWorkDocument(data, *m_document, err) != CMakeMsgID::kOk) {
        layout.addWidget(Note(QStringLiteral("印刷するデータを読み込めません。\n%1").arg(err), this));
        m_document.reset();
    }
    auto* tabs = new QTabWidget(this);
    for (const QString& table : CWorkDocument::TablesOfKind(m_command.GetKind())) {
        CCDSData request;
        request.m_strTable = table;
        // In the order written: the transfer lines have no ID column.
        request.m_strCondition = QStringLiteral("ORDER BY rowid");
        CCDSData rows;
        if (data.GetDataList(request, rows, err) != CMakeMsgID::kOk) {
            tabs->addTab(Note(err, tabs), table);
            continue;
        }
        QStringList headers;
        if (rows.GetCount() > 0) {
            const COneRecord* first = rows.GetAt(0);
            for (int f = 0; f < first->GetCount(); ++f)
                headers << first->GetAt(f)->GetName().section(u'.', 1);
        }
        QTableWidget* grid = MakeTable(tabs, headers, rows.GetCount());
        for (int r = 0; r < rows.GetCount(); ++r) {
            const COneRecord* record = rows.GetAt(r);
            for (int f = 0; f < record->GetCount() && f < headers.size(); ++f)
                grid->setItem(r, f, new QTableWidgetItem(record->GetAt(f)->GetText()));
        }
        tabs->addTab(grid, QStringLiteral("%1（%2件）").arg(table).arg(rows.GetCount()));
    }
    data.Close();
    layout.addWidget(tabs);
}

void CSlipFormWindow::AddClipboardList(QVBoxLayout& layout)
{
    const std::optional<QList<CFormPrintItem>> items =
        DecodeSlipList(GetClipboardBlock(uint(m_command.GetClipFormat())));
    if (!items) {
        layout.addWidget(Note(QStringLiteral("クリップボードに印刷する伝票の一覧がありません。"), this));
        return;
    }
    QTableWidget* grid =
        MakeTable(this, {QStringLiteral("ID"), QStringLiteral("FileName")}, int(items->size()));
    for (int r = 0; r < items->size(); ++r) {
        grid->setItem(r, 0, new QTableWidgetItem(QString::number((*items)[r].m_nID)));
        grid->setItem(r, 1, new QTableWidgetItem((*items)[r].m_strFileName));
    }
    layout.addWidget(grid);
}

void CSlipFormWindow::AddPrintActions(QMenu& file)
{
    file.addAction(QStringLiteral("印刷..."), this, &CSlipFormWindow::OnPrint);
    file.addAction(QStringLiteral("印刷プレビュー"), this, &CSlipFormWindow::OnPrintPreview);
    file.addAction(QStringLiteral("PDFに保存..."), this, &CSlipFormWindow::OnSavePdf);
    file.addSeparator();
}

namespace
{

// The documents are laid out on A4.
QPrinter& A4Printer()
{
    QPrinter& printer = PrintJob::AppPrinter();
    printer.setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

} // namespace

void CSlipFormWindow::OnPrint()
{
    if (!m_document)
        return;
    CWorkPrintDocument printout(m_document);
    PrintJob::Print(printout, A4Printer());
}

void CSlipFormWindow::OnPrintPreview()
{
    if (m_document)
        PrintJob::Preview(std::make_shared<CWorkPrintDocument>(m_document), A4Printer());
}

void CSlipFormWindow::OnSavePdf()
{
    if (!m_document)
        return;
    const QString path = UiServices::Prompt().GetSaveFileName(
        QStringLiteral("PDFに保存"), QDir::home().filePath(m_document->GetTitle() + QStringLiteral(".pdf")),
        QStringLiteral("PDFファイル (*.pdf)|*.pdf||"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    if (SaveWorkDocumentPdf(m_document, path))
        statusBar()->showMessage(QStringLiteral("%1 に保存しました。").arg(QDir::toNativeSeparators(path)));
}

void CSlipFormWindow::NotifyDataChanged()
{
    const bool sent = SendDataChanged(CArdoEnv().GetDataRoot());
    statusBar()->showMessage(sent ? QStringLiteral("データの更新を通知しました。")
                                  : QStringLiteral("通知を受け取るプログラムが起動していません。"));
}
