#include "exchange/ImportMapDialogs.h"

#include "platform/ui/Help.h"
#include "platform/ui/UiServices.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CImportConfirmDlg::CImportConfirmDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("データの読み込み"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("データの読み込みを開始します。よろしいですか？"), this));
    layout->addWidget(new QLabel(
        QStringLiteral("※不足データ及び不適切なデータは、販売条件で設定した初期値に置き換えられます"), this));
    m_pOverwrite = new QCheckBox(QStringLiteral("重複するコードがあった場合、上書きする"), this);
    layout->addWidget(m_pOverwrite);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("はい"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("いいえ"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CImportConfirmDlg::Overwrite() const
{
    return m_pOverwrite->isChecked() ? 1 : 0;
}

// ---- pairing --------------------------------------------------------------

CImportFieldMapDlg::CImportFieldMapDlg(CImportFieldMapRules& rules, QWidget* parent)
    : QDialog(parent), m_rules(rules)
{
    setWindowTitle(QStringLiteral("読み込む項目の対応付け"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("データベースの項目と、読み込むデータを対応づけます。"), this), 0, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("データベースの項目"), this), 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("読み込むデータ"), this), 1, 2);
    m_pFields = new QListWidget(this);
    layout->addWidget(m_pFields, 2, 0);
    auto* middle = new QVBoxLayout;
    auto* map = new QPushButton(QStringLiteral("対応づける\n→"), this);
    auto* unmap = new QPushButton(QStringLiteral("解除する\n←"), this);
    middle->addStretch();
    middle->addWidget(map);
    middle->addWidget(unmap);
    middle->addStretch();
    layout->addLayout(middle, 2, 1);
    m_pColumns = new QTreeWidget(this);
    m_pColumns->setRootIsDecorated(false);
    m_pColumns->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pColumns->setHeaderLabels(
        {QStringLiteral("対応させる列"), QStringLiteral("%1行目").arg(1), QStringLiteral("%1行目").arg(2)});
    m_pColumns->setMinimumWidth(420);
    for (int i = 0; i < 3; ++i)
        m_pColumns->setColumnWidth(i, 136);
    layout->addWidget(m_pColumns, 2, 2);
    m_pFirstRow = new QCheckBox(QStringLiteral("１行目から読み込む"), this);
    m_pFirstRow->setChecked(m_rules.m_bReadFirstRow);
    layout->addWidget(m_pFirstRow, 3, 2);
    layout->addWidget(
        new QLabel(QStringLiteral("※１行目が項目名などで読み込みが不要な場合はチェックをはずします。"), this),
        4, 2);
    layout->addWidget(new QLabel(QStringLiteral("読み込めるデータについて"), this), 3, 0);
    m_pDescription = new QPlainTextEdit(this);
    m_pDescription->setReadOnly(true);
    m_pDescription->setMaximumHeight(90);
    layout->addWidget(m_pDescription, 4, 0, 2, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("完了"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    auto* help = buttons->addButton(QStringLiteral("？"), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(1641); });
    layout->addWidget(buttons, 6, 0, 1, 3);

    connect(map, &QPushButton::clicked, this, &CImportFieldMapDlg::OnMap);
    connect(unmap, &QPushButton::clicked, this, &CImportFieldMapDlg::OnUnmap);
    connect(m_pFields, &QListWidget::itemDoubleClicked, this, &CImportFieldMapDlg::OnMap);
    connect(m_pColumns, &QTreeWidget::itemDoubleClicked, this, &CImportFieldMapDlg::OnMap);
    connect(m_pFields, &QListWidget::currentRowChanged, this, [this](int row) {
        m_rules.m_nSelField = row;
        m_pDescription->setPlainText(m_rules.OnSelchangeFieldList());
    });
    ShowLists();
}

void CImportFieldMapDlg::ShowLists()
{
    const int column = m_rules.m_nSelColumn;
    m_pFields->blockSignals(true);
    m_pFields->clear();
    for (int i = 0; i < m_rules.m_offered.size(); ++i)
        m_pFields->addItem(m_rules.OfferedField(i)->m_strCaption);
    m_pFields->setCurrentRow(m_rules.m_nSelField);
    m_pFields->blockSignals(false);
    m_pDescription->setPlainText(m_rules.OnSelchangeFieldList());
    m_pColumns->clear();
    for (int i = 0; i < m_rules.m_columns.size(); ++i) {
        const auto& entry = m_rules.m_columns[i];
        m_pColumns->addTopLevelItem(
            new QTreeWidgetItem({m_rules.PairedCaption(i), entry.samples[0], entry.samples[1]}));
    }
    if (column >= 0 && column < m_pColumns->topLevelItemCount())
        m_pColumns->setCurrentItem(m_pColumns->topLevelItem(column));
}

void CImportFieldMapDlg::TakeSelection()
{
    m_rules.m_nSelField =
        m_pFields->currentItem() && m_pFields->currentItem()->isSelected() ? m_pFields->currentRow() : -1;
    QTreeWidgetItem* item = m_pColumns->currentItem();
    m_rules.m_nSelColumn = item && item->isSelected() ? m_pColumns->indexOfTopLevelItem(item) : -1;
}

void CImportFieldMapDlg::ApplyFocus()
{
    if (m_rules.m_nFocus == CImportFieldMapRules::kFieldList)
        m_pFields->setFocus();
    else if (m_rules.m_nFocus == CImportFieldMapRules::kColumnList)
        m_pColumns->setFocus();
    m_rules.m_nFocus = CImportFieldMapRules::kNoFocus;
}

void CImportFieldMapDlg::OnMap()
{
    TakeSelection();
    if (m_rules.MapSelected())
        ShowLists();
    ApplyFocus();
}

void CImportFieldMapDlg::OnUnmap()
{
    TakeSelection();
    if (m_rules.UnmapSelected())
        ShowLists();
    ApplyFocus();
}

void CImportFieldMapDlg::accept()
{
    TakeSelection();
    if (!m_rules.OnOK()) {
        if (m_rules.m_nTopField >= 0) {
            m_pFields->setCurrentRow(m_rules.m_nTopField);
            m_pFields->scrollToItem(m_pFields->item(m_rules.m_nTopField), QAbstractItemView::PositionAtTop);
            m_rules.m_nTopField = -1;
        }
        ApplyFocus();
        return;
    }
    m_rules.m_bReadFirstRow = m_pFirstRow->isChecked() ? 1 : 0;
    QDialog::accept();
}

// ---- address join -----------------------------------------------------------

CAddressJoinDlg::CAddressJoinDlg(CAddressJoinRules& rules, QWidget* parent) : QDialog(parent), m_rules(rules)
{
    setWindowTitle(m_rules.m_strCaption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(m_rules.m_strPrompt, this));
    auto* group = new QGroupBox(QStringLiteral("改行する場合"), this);
    auto* inner = new QVBoxLayout(group);
    m_pBreak1 = new QCheckBox(QStringLiteral("「住所１」の後で改行する"), group);
    m_pBreak2 = new QCheckBox(QStringLiteral("「住所２」の後で改行する"), group);
    m_pBreak1->setEnabled(m_rules.m_bEnable1);
    m_pBreak2->setEnabled(m_rules.m_bEnable2);
    inner->addWidget(m_pBreak1);
    inner->addWidget(m_pBreak2);
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CAddressJoinDlg::accept()
{
    m_rules.m_bBreakAfterAddress1 = m_pBreak1->isChecked() ? 1 : 0;
    m_rules.m_bBreakAfterAddress2 = m_pBreak2->isChecked() ? 1 : 0;
    QDialog::accept();
}

// ---- refused records ----------------------------------------------------------

CImportErrorDlg::CImportErrorDlg(CImportErrorRules& rules, QWidget* parent) : QDialog(parent), m_rules(rules)
{
    setWindowTitle(m_rules.m_strCaption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(m_rules.m_strPrompt, this));
    auto* list = new QTreeWidget(this);
    list->setRootIsDecorated(false);
    list->setHeaderLabels(m_rules.m_headers);
    for (int i = 0; i < m_rules.m_headers.size(); ++i)
        list->setColumnWidth(i, i + 1 == m_rules.m_headers.size() ? 300 : 70);
    for (const QStringList& row : std::as_const(m_rules.m_rows))
        list->addTopLevelItem(new QTreeWidgetItem(row));
    list->setMinimumWidth(640);
    layout->addWidget(list);
    layout->addWidget(new QLabel(m_rules.m_strNote, this));
    auto* row = new QHBoxLayout;
    auto* write = new QPushButton(QStringLiteral("この情報をファイルに書き出す"), this);
    connect(write, &QPushButton::clicked, this, [this] { m_rules.OnWriteFile(); });
    row->addWidget(write);
    row->addStretch();
    auto* commit = new QPushButton(QStringLiteral("読み込みを\n完了する"), this);
    auto* cancel = new QPushButton(m_rules.m_strCancelText, this);
    commit->setVisible(m_rules.m_bCommitShown);
    commit->setEnabled(m_rules.m_bCommitShown);
    connect(commit, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(commit);
    row->addWidget(cancel);
    layout->addLayout(row);
}
