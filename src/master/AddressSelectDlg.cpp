#include "master/AddressSelectDlg.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

constexpr int kPostcodeWidth = 70;
constexpr int kNameWidth = 100;

} // namespace

CAddressSelectDlg::CAddressSelectDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("住所を選択"));
    m_pList = new QTreeWidget(this);
    m_pList->setRootIsDecorated(false);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSortingEnabled(false);
    m_pList->header()->setSectionsClickable(false);
    m_pList->header()->setStretchLastSection(false);
    m_pList->setHeaderLabels({QStringLiteral("〒"), QStringLiteral("住所"), QStringLiteral("氏名")});
    // The selection stays visible when the list loses the focus.
    QPalette palette = m_pList->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    m_pList->setPalette(palette);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAddressSelectDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAddressSelectDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("選択してください"), this));
    layout->addWidget(m_pList);
    layout->addWidget(buttons);
    resize(520, 320);
}

void CAddressSelectDlg::SetList(const QList<CRLAddress>* list)
{
    m_pCandidates = list;
    m_nChosen = -1;
    FillRows();
}

void CAddressSelectDlg::FillRows()
{
    m_pList->clear();
    if (!m_pCandidates)
        return;
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < m_pCandidates->size(); ++i) {
        const CRLAddress& a = (*m_pCandidates)[i];
        auto* row = new QTreeWidgetItem(
            {a.m_strPostcode, a.m_strAddress1 + a.m_strAddress2 + a.m_strAddress3 + a.m_strAddress4,
             a.m_strName});
        row->setData(0, Qt::UserRole, i);
        rows << row;
    }
    m_pList->addTopLevelItems(rows);
    m_pList->setCurrentItem(nullptr);
    m_pList->clearSelection();
}

void CAddressSelectDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pList);
    const int client =
        m_pList->viewport()->width() + (m_pList->verticalScrollBar()->isVisible() ? scroll : 0);
    m_pList->setColumnWidth(0, kPostcodeWidth);
    m_pList->setColumnWidth(1, qMax(0, client - kPostcodeWidth - kNameWidth - scroll));
    m_pList->setColumnWidth(2, kNameWidth);
}

void CAddressSelectDlg::accept()
{
    const QList<QTreeWidgetItem*> selected = m_pList->selectedItems();
    if (selected.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("選択してください。"));
        return;
    }
    m_nChosen = selected.first()->data(0, Qt::UserRole).toInt();
    QDialog::accept();
}
