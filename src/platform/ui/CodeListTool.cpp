#include "platform/ui/CodeListTool.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{

CodeListReader& Reader()
{
    static CodeListReader reader;
    return reader;
}

QChar KindOfSwitches(const QString& switches)
{
    const QString s = switches.trimmed().toUpper();
    return s.size() >= 2 && s[0] == u'/' ? s[1] : QChar();
}

class CInProcessCodeList : public ICodeListTool
{
  public:
    void Start(QWidget* owner, const QString& switches, CodeListAnswer answer) override
    {
        const QChar kind = KindOfSwitches(switches);
        if (kind != u'C' && kind != u'S' && kind != u'G')
            return;
        const QList<CCodeListEntry> entries = Reader() ? Reader()(kind) : QList<CCodeListEntry>();
        auto* picker = new CCodeListPicker(owner, kind, entries, std::move(answer));
        picker->setAttribute(Qt::WA_DeleteOnClose);
        picker->show();
        picker->activateWindow();
        picker->Table()->setFocus();
    }
};

ICodeListTool* g_tool = nullptr;

} // namespace

ICodeListTool& CodeListTool()
{
    static CInProcessCodeList standard;
    return g_tool ? *g_tool : standard;
}

ICodeListTool* SetCodeListTool(ICodeListTool* tool)
{
    ICodeListTool* old = g_tool;
    g_tool = tool;
    return old;
}

void SetCodeListReader(CodeListReader reader)
{
    Reader() = std::move(reader);
}

QString CodeListTitle(QChar kind)
{
    if (kind == u'C')
        return QStringLiteral("得意先一覧 参照 - NWCodeTenki");
    if (kind == u'S')
        return QStringLiteral("仕入先一覧 参照 - NWCodeTenki");
    return QStringLiteral("商品一覧 参照 - NWCodeTenki");
}

CCodeListPicker::CCodeListPicker(QWidget* owner, QChar kind, const QList<CCodeListEntry>& entries,
                                 CodeListAnswer answer)
    : QDialog(owner, Qt::Window), m_nWParam(kind == u'G'   ? 0
                                            : kind == u'C' ? 1
                                                           : 2),
      m_answer(std::move(answer))
{
    setWindowTitle(CodeListTitle(kind));
    setModal(false);
    resize(420, 480);
    m_pTable = new QTableWidget(int(entries.size()), 2, this);
    m_pTable->setHorizontalHeaderLabels({kind == u'G' ? QStringLiteral("品番") : QStringLiteral("コード"),
                                         kind == u'G' ? QStringLiteral("品名") : QStringLiteral("名称")});
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < entries.size(); ++i) {
        m_pTable->setItem(i, 0, new QTableWidgetItem(entries[i].code));
        m_pTable->setItem(i, 1, new QTableWidgetItem(entries[i].name));
    }
    if (!entries.isEmpty())
        m_pTable->setCurrentCell(0, 0);
    connect(m_pTable, &QTableWidget::cellDoubleClicked, this, [this] { Choose(); });
    // The list keeps Enter for itself: it answers as a double click does.
    m_pTable->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pTable);
}

void CCodeListPicker::Choose()
{
    const int row = m_pTable->currentRow();
    if (row < 0)
        return;
    const QString code = m_pTable->item(row, 0)->text();
    if (m_answer)
        m_answer(m_nWParam, code);
    close();
}

bool CCodeListPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pTable && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Choose();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CCodeListPicker::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Choose();
        return;
    }
    QDialog::keyPressEvent(event);
}
