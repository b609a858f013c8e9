#include "settings/dlg/ListEditDlg.h"

#include "settings/dlg/DlgHelpers.h"
#include "settings/dlg/RenameDlg.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

QLayout* CListEditDlg::MakeListRow(const QString& objectName)
{
    m_pList = new QListWidget(this);
    m_pList->setObjectName(objectName);
    auto* side = new QVBoxLayout;
    QPushButton* add = MakeButton(QStringLiteral("追加..."), this);
    m_pChange = MakeButton(QStringLiteral("変更..."), this);
    m_pDelete = MakeButton(QStringLiteral("削除"), this);
    m_pUp = MakeButton(QStringLiteral("↑上へ"), this);
    m_pDown = MakeButton(QStringLiteral("↓下へ"), this);
    side->addWidget(add);
    side->addWidget(m_pChange);
    side->addWidget(m_pDelete);
    side->addSpacing(12);
    side->addWidget(m_pUp);
    side->addWidget(m_pDown);
    side->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(m_pList, 1);
    row->addLayout(side);

    connect(add, &QPushButton::clicked, this, &CListEditDlg::OnAdd);
    connect(m_pChange, &QPushButton::clicked, this, &CListEditDlg::OnChange);
    connect(m_pDelete, &QPushButton::clicked, this, &CListEditDlg::OnDelete);
    connect(m_pUp, &QPushButton::clicked, this, &CListEditDlg::OnUp);
    connect(m_pDown, &QPushButton::clicked, this, &CListEditDlg::OnDown);
    connect(m_pList, &QListWidget::currentRowChanged, this, [this](int row) {
        ListRules().SelectItem(row);
        UpdateButtons();
    });
    return row;
}

QLayout* CListEditDlg::MakeOkRow(int helpTopic)
{
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    QPushButton* cancel = MakeButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    connect(ok, &QPushButton::clicked, this, &CListEditDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CListEditDlg::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addWidget(MakeHelpButton(helpTopic, this));
    return row;
}

int CListEditDlg::RunNameDialog(QDialog& dialog)
{
    return dialog.exec();
}

// The list scrolls sideways by itself when a name is wider than it.
void CListEditDlg::ShowList()
{
    {
        const QSignalBlocker block(m_pList);
        m_pList->clear();
        m_pList->addItems(ListRules().GetItems());
        m_pList->setCurrentRow(ListRules().GetItemSel());
    }
    UpdateButtons();
}

void CListEditDlg::UpdateButtons()
{
    const CListEditRules& rules = ListRules();
    m_pChange->setEnabled(rules.CanChange());
    m_pDelete->setEnabled(rules.CanDelete());
    m_pUp->setEnabled(rules.CanMoveUp());
    m_pDown->setEnabled(rules.CanMoveDown());
}

void CListEditDlg::OnAdd()
{
    CRenameDlg dialog(this);
    dialog.SetRequest(ListRules().GetAddRequest());
    if (RunNameDialog(dialog) == QDialog::Accepted && ListRules().Add(dialog.m_strName))
        ShowList();
}

void CListEditDlg::OnChange()
{
    CNameRequest request;
    if (!ListRules().BeginChange(request))
        return;
    CRenameDlg dialog(this);
    dialog.SetRequest(request);
    if (RunNameDialog(dialog) == QDialog::Accepted && ListRules().Change(dialog.m_strName))
        ShowList();
}

void CListEditDlg::OnDelete()
{
    if (ListRules().Delete())
        ShowList();
}

void CListEditDlg::OnUp()
{
    if (ListRules().MoveUp())
        ShowList();
}

void CListEditDlg::OnDown()
{
    if (ListRules().MoveDown())
        ShowList();
}

void CListEditDlg::accept()
{
    if (ListRules().OnOK() < 0)
        return;
    QDialog::accept();
}

void CListEditDlg::reject()
{
    if (ListRules().ConfirmCancel())
        QDialog::reject();
}
