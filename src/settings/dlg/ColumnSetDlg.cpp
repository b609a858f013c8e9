#include "settings/dlg/ColumnSetDlg.h"

#include "settings/dlg/DlgHelpers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{

void Fill(QListWidget* list, const QStringList& captions, int sel)
{
    const QSignalBlocker block(list);
    list->clear();
    list->addItems(captions);
    list->setCurrentRow(sel);
}

} // namespace

CColumnSetDlg::CColumnSetDlg(int mode, QWidget* parent) : QDialog(parent), m_rules(mode)
{
    m_nHelpTopic = m_rules.GetHelpTopic();
    m_pHeader = new QLabel(this);
    m_pLeftLabel = new QLabel(this);
    m_pRightLabel = new QLabel(this);
    m_pLeft = new QListWidget(this);
    m_pLeft->setObjectName(QStringLiteral("left"));
    m_pRight = new QListWidget(this);
    m_pRight->setObjectName(QStringLiteral("right"));
    m_pToLeft = MakeButton(QString(), this);
    m_pToRight = MakeButton(QString(), this);
    m_pAllToLeft = MakeButton(QStringLiteral("全て書き出す\n←"), this);
    m_pAllToRight = MakeButton(QStringLiteral("全て書き出さない\n→"), this);
    m_pUp = MakeButton(QStringLiteral("↑上へ"), this);
    m_pDown = MakeButton(QStringLiteral("下へ↓"), this);

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (QPushButton* button : {m_pToLeft, m_pToRight, m_pAllToLeft, m_pAllToRight})
        middle->addWidget(button);
    middle->addStretch(1);
    auto* moves = new QHBoxLayout;
    moves->addWidget(m_pUp);
    moves->addWidget(m_pDown);
    moves->addStretch(1);

    auto* lists = new QGridLayout;
    lists->addWidget(m_pLeftLabel, 0, 0);
    lists->addWidget(m_pRightLabel, 0, 2);
    lists->addWidget(m_pLeft, 1, 0);
    lists->addLayout(middle, 1, 1);
    lists->addWidget(m_pRight, 1, 2);
    lists->addLayout(moves, 2, 0);

    auto* sortGroup = new QGroupBox(QStringLiteral("起動時の並び順を設定"), this);
    m_pSortGroup = sortGroup;
    m_pSortField = new QComboBox(sortGroup);
    m_pSortField->setObjectName(QStringLiteral("sortField"));
    m_pAscending = new QRadioButton(QStringLiteral("昇順"), sortGroup);
    m_pDescending = new QRadioButton(QStringLiteral("降順"), sortGroup);
    m_pDescending->setObjectName(QStringLiteral("descending"));
    auto* sortRow = new QHBoxLayout(sortGroup);
    sortRow->addWidget(new QLabel(QStringLiteral("列 "), sortGroup));
    sortRow->addWidget(m_pSortField, 1);
    sortRow->addWidget(new QLabel(QStringLiteral("の "), sortGroup));
    sortRow->addWidget(m_pAscending);
    sortRow->addWidget(m_pDescending);
    m_pDefaults = MakeButton(QStringLiteral("規定値に戻す"), this);
    auto* sortLine = new QHBoxLayout;
    sortLine->addWidget(m_pSortGroup, 1);
    sortLine->addWidget(m_pDefaults);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    QPushButton* cancel = MakeButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    bottom->addWidget(MakeHelpButton(m_nHelpTopic, this));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pHeader);
    layout->addLayout(lists, 1);
    layout->addLayout(sortLine);
    layout->addLayout(bottom);

    connect(m_pToLeft, &QPushButton::clicked, this, &CColumnSetDlg::OnToLeft);
    connect(m_pToRight, &QPushButton::clicked, this, &CColumnSetDlg::OnToRight);
    connect(m_pAllToLeft, &QPushButton::clicked, this, &CColumnSetDlg::OnAllToLeft);
    connect(m_pAllToRight, &QPushButton::clicked, this, &CColumnSetDlg::OnAllToRight);
    connect(m_pUp, &QPushButton::clicked, this, &CColumnSetDlg::OnUp);
    connect(m_pDown, &QPushButton::clicked, this, &CColumnSetDlg::OnDown);
    connect(m_pDefaults, &QPushButton::clicked, this, &CColumnSetDlg::OnDefaults);
    connect(ok, &QPushButton::clicked, this, &CColumnSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CColumnSetDlg::reject);
    connect(m_pLeft, &QListWidget::currentRowChanged, this, [this](int row) {
        m_rules.SelectLeft(row);
        UpdateButtons();
    });
    connect(m_pRight, &QListWidget::currentRowChanged, this, [this](int row) {
        m_rules.SelectRight(row);
        UpdateButtons();
    });
    connect(m_pSortField, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_rules.SetSortIndex(index); });
    connect(m_pDescending, &QRadioButton::toggled, this,
            [this](bool on) { m_rules.SetSortOrder(on ? 1 : 0); });
}

// The list kind is set between construction and showing, so the dialog
// fills itself when it first appears.
void CColumnSetDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitDone) {
        m_bInitDone = true;
        InitDialog();
    }
    QDialog::showEvent(event);
}

void CColumnSetDlg::InitDialog()
{
    setWindowTitle(m_rules.GetCaption());
    m_pHeader->setText(m_rules.GetHeader());
    m_pLeftLabel->setText(m_rules.GetLeftLabel());
    m_pRightLabel->setText(m_rules.GetRightLabel());
    m_pToLeft->setText(m_rules.GetToLeftText());
    m_pToRight->setText(m_rules.GetToRightText());
    m_pAllToLeft->setVisible(m_rules.HasAllButtons());
    m_pAllToRight->setVisible(m_rules.HasAllButtons());
    // Without the sort group the buttons move up and the dialog shrinks.
    m_pSortGroup->setVisible(m_rules.HasSortGroup());
    m_pDefaults->setVisible(m_rules.HasSortGroup());
    m_rules.Open();
    ShowLists();
    ShowSort();
    adjustSize();
}

void CColumnSetDlg::ShowLists()
{
    Fill(m_pLeft, m_rules.GetLeftCaptions(), m_rules.GetLeftSel());
    Fill(m_pRight, m_rules.GetRightCaptions(), m_rules.GetRightSel());
    UpdateButtons();
}

void CColumnSetDlg::ShowSort()
{
    if (!m_rules.HasSortGroup())
        return;
    const QSignalBlocker blockField(m_pSortField);
    const QSignalBlocker blockOrder(m_pDescending);
    m_pSortField->clear();
    m_pSortField->addItems(m_rules.GetSortCaptions());
    m_pSortField->setCurrentIndex(m_rules.GetSortIndex());
    (m_rules.GetSortOrder() == 1 ? m_pDescending : m_pAscending)->setChecked(true);
}

void CColumnSetDlg::UpdateButtons()
{
    m_pToLeft->setEnabled(m_rules.CanMoveToLeft());
    m_pToRight->setEnabled(m_rules.CanMoveToRight());
    m_pUp->setEnabled(m_rules.CanMoveUp());
    m_pDown->setEnabled(m_rules.CanMoveDown());
    m_pAllToLeft->setEnabled(m_rules.CanMoveAllToLeft());
    m_pAllToRight->setEnabled(m_rules.CanMoveAllToRight());
}

void CColumnSetDlg::OnToLeft()
{
    m_rules.MoveToLeft();
    ShowLists();
}

void CColumnSetDlg::OnToRight()
{
    m_rules.MoveToRight();
    ShowLists();
}

void CColumnSetDlg::OnAllToLeft()
{
    m_rules.MoveAllToLeft();
    ShowLists();
}

void CColumnSetDlg::OnAllToRight()
{
    m_rules.MoveAllToRight();
    ShowLists();
}

void CColumnSetDlg::OnUp()
{
    m_rules.MoveUp();
    ShowLists();
}

void CColumnSetDlg::OnDown()
{
    m_rules.MoveDown();
    ShowLists();
}

void CColumnSetDlg::OnDefaults()
{
    m_rules.RestoreDefaults();
    ShowLists();
    ShowSort();
}

void CColumnSetDlg::accept()
{
    if (m_rules.OnOK())
        QDialog::accept();
}
