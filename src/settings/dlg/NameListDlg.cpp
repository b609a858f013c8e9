#include "settings/dlg/NameListDlg.h"

#include "settings/dlg/DlgHelpers.h"
#include "settings/dlg/RenameDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{

QPushButton* AddButton(QBoxLayout* layout, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

QLabel* WrappedLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

CNameListDlg::CNameListDlg(int mode, QWidget* parent) : QDialog(parent), m_rules(mode)
{
    setWindowTitle(m_rules.GetCaption());
    m_pList = new QListWidget(this);
    m_pList->setObjectName(QStringLiteral("names"));

    auto* side = new QVBoxLayout;
    QPushButton* add = AddButton(side, QStringLiteral("追加..."), this);
    m_pChange = AddButton(side, QStringLiteral("変更..."), this);
    m_pDelete = AddButton(side, QStringLiteral("削除"), this);
    side->addSpacing(12);
    m_pUp = AddButton(side, QStringLiteral("↑上へ"), this);
    m_pDown = AddButton(side, QStringLiteral("↓下へ"), this);
    side->addStretch(1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_pList, 1);
    listRow->addLayout(side);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    bottom->addWidget(ok);
    QPushButton* cancel = AddButton(bottom, QStringLiteral("ｷｬﾝｾﾙ"), this);
    bottom->addWidget(MakeHelpButton(m_rules.GetHelpTopic(), this));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel(m_rules.GetHeader(), this));
    layout->addWidget(WrappedLabel(m_rules.GetNote(), this));
    layout->addWidget(new QLabel(m_rules.GetListLabel(), this));
    layout->addLayout(listRow);
    layout->addLayout(bottom);
    setMinimumWidth(420);

    connect(add, &QPushButton::clicked, this, &CNameListDlg::OnAdd);
    connect(m_pChange, &QPushButton::clicked, this, &CNameListDlg::OnChange);
    connect(m_pDelete, &QPushButton::clicked, this, &CNameListDlg::OnDelete);
    connect(m_pUp, &QPushButton::clicked, this, &CNameListDlg::OnUp);
    connect(m_pDown, &QPushButton::clicked, this, &CNameListDlg::OnDown);
    connect(ok, &QPushButton::clicked, this, &CNameListDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CNameListDlg::reject);
    connect(m_pList, &QListWidget::currentRowChanged, this, [this](int row) {
        m_rules.Select(row);
        UpdateButtons();
    });

    m_rules.Open();
    ShowNames();
}

int CNameListDlg::RunNameDialog(QDialog& dialog)
{
    return dialog.exec();
}

// The list scrolls sideways by itself when a name is wider than it.
void CNameListDlg::ShowNames()
{
    {
        const QSignalBlocker block(m_pList);
        m_pList->clear();
        m_pList->addItems(m_rules.GetNames());
        m_pList->setCurrentRow(m_rules.GetSel());
    }
    UpdateButtons();
}

void CNameListDlg::UpdateButtons()
{
    m_pChange->setEnabled(m_rules.CanChange());
    m_pDelete->setEnabled(m_rules.CanDelete());
    m_pUp->setEnabled(m_rules.CanMoveUp());
    m_pDown->setEnabled(m_rules.CanMoveDown());
}

void CNameListDlg::OnAdd()
{
    CRenameDlg dialog(this);
    dialog.SetRequest(m_rules.GetAddRequest());
    if (RunNameDialog(dialog) == QDialog::Accepted && m_rules.Add(dialog.m_strName))
        ShowNames();
}

void CNameListDlg::OnChange()
{
    CNameRequest request;
    if (!m_rules.BeginChange(request))
        return;
    CRenameDlg dialog(this);
    dialog.SetRequest(request);
    if (RunNameDialog(dialog) == QDialog::Accepted && m_rules.Change(dialog.m_strName))
        ShowNames();
}

void CNameListDlg::OnDelete()
{
    if (m_rules.Delete())
        ShowNames();
}

void CNameListDlg::OnUp()
{
    if (m_rules.MoveUp())
        ShowNames();
}

void CNameListDlg::OnDown()
{
    if (m_rules.MoveDown())
        ShowNames();
}

void CNameListDlg::accept()
{
    m_rules.OnOK();
    QDialog::accept();
}

void CNameListDlg::reject()
{
    if (m_rules.ConfirmCancel())
        QDialog::reject();
}
