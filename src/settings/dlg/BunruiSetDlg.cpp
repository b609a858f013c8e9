#include "settings/dlg/BunruiSetDlg.h"

#include "app/Ime.h"
#include "settings/dlg/BunruiNameDlg.h"
#include "settings/dlg/DlgHelpers.h"
#include "settings/dlg/RenameDlg.h"

#include <QComboBox>
#include <QGridLayout>
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

} // namespace

CBunruiSetDlg::CBunruiSetDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("分類設定"));
    m_pLedger = new QComboBox(this);
    m_pLedger->setObjectName(QStringLiteral("ledger"));
    m_pClass = new QComboBox(this);
    m_pClass->setObjectName(QStringLiteral("class"));
    m_pContents = new QListWidget(this);
    m_pContents->setObjectName(QStringLiteral("contents"));

    auto* side = new QVBoxLayout;
    QPushButton* add = AddButton(side, QStringLiteral("追加..."), this);
    m_pChange = AddButton(side, QStringLiteral("変更..."), this);
    m_pDelete = AddButton(side, QStringLiteral("削除"), this);
    side->addSpacing(12);
    m_pUp = AddButton(side, QStringLiteral("↑上へ"), this);
    m_pDown = AddButton(side, QStringLiteral("↓下へ"), this);
    side->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("台帳名："), this), 0, 0);
    grid->addWidget(m_pLedger, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("分類名："), this), 1, 0);
    auto* classRow = new QHBoxLayout;
    classRow->addWidget(m_pClass, 1);
    QPushButton* rename = AddButton(classRow, QStringLiteral("編集..."), this);
    grid->addLayout(classRow, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("現在登録されている内容："), this), 2, 0, 1, 2);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_pContents, 1);
    listRow->addLayout(side);
    grid->addLayout(listRow, 3, 0, 1, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    bottom->addWidget(ok);
    QPushButton* cancel = AddButton(bottom, QStringLiteral("ｷｬﾝｾﾙ"), this);
    bottom->addWidget(MakeHelpButton(CBunruiSetRules::kHelpTopic, this));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("各台帳の分類の内容を編集します"), this));
    layout->addLayout(grid);
    layout->addLayout(bottom);

    connect(add, &QPushButton::clicked, this, &CBunruiSetDlg::OnAdd);
    connect(m_pChange, &QPushButton::clicked, this, &CBunruiSetDlg::OnChange);
    connect(m_pDelete, &QPushButton::clicked, this, &CBunruiSetDlg::OnDelete);
    connect(m_pUp, &QPushButton::clicked, this, &CBunruiSetDlg::OnUp);
    connect(m_pDown, &QPushButton::clicked, this, &CBunruiSetDlg::OnDown);
    connect(rename, &QPushButton::clicked, this, &CBunruiSetDlg::OnRename);
    connect(ok, &QPushButton::clicked, this, &CBunruiSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CBunruiSetDlg::reject);
    connect(m_pLedger, &QComboBox::currentIndexChanged, this, [this](int ledger) {
        m_rules.SelectLedger(ledger);
        ShowClasses();
    });
    connect(m_pClass, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_rules.SelectClass(index);
        ShowContents();
    });
    connect(m_pContents, &QListWidget::currentRowChanged, this, [this](int row) {
        m_rules.SelectContent(row);
        UpdateButtons();
    });

    m_pLedger->addItems(CBunruiSetRules::GetLedgerNames());
    m_rules.Open();
    ShowClasses();
    SetImeMode(true, this);
}

int CBunruiSetDlg::RunNameDialog(QDialog& dialog)
{
    return dialog.exec();
}

void CBunruiSetDlg::ShowClasses()
{
    const QSignalBlocker blockLedger(m_pLedger);
    const QSignalBlocker blockClass(m_pClass);
    m_pLedger->setCurrentIndex(m_rules.GetLedgerSel());
    m_pClass->clear();
    m_pClass->addItems(m_rules.GetClassTitles());
    m_pClass->setCurrentIndex(m_rules.GetClassSel());
    ShowContents();
}

void CBunruiSetDlg::ShowContents()
{
    {
        const QSignalBlocker block(m_pContents);
        m_pContents->clear();
        m_pContents->addItems(m_rules.GetContents());
        m_pContents->setCurrentRow(m_rules.GetContentSel());
    }
    UpdateButtons();
}

void CBunruiSetDlg::UpdateButtons()
{
    m_pChange->setEnabled(m_rules.CanChange());
    m_pDelete->setEnabled(m_rules.CanDelete());
    m_pUp->setEnabled(m_rules.CanMoveUp());
    m_pDown->setEnabled(m_rules.CanMoveDown());
}

void CBunruiSetDlg::OnAdd()
{
    CRenameDlg dialog(this);
    dialog.SetRequest(m_rules.GetAddRequest());
    if (RunNameDialog(dialog) == QDialog::Accepted && m_rules.Add(dialog.m_strName))
        ShowContents();
}

void CBunruiSetDlg::OnChange()
{
    CNameRequest request;
    if (!m_rules.BeginChange(request))
        return;
    CRenameDlg dialog(this);
    dialog.SetRequest(request);
    if (RunNameDialog(dialog) == QDialog::Accepted && m_rules.Change(dialog.m_strName))
        ShowContents();
}

void CBunruiSetDlg::OnDelete()
{
    if (m_rules.Delete())
        ShowContents();
}

void CBunruiSetDlg::OnUp()
{
    if (m_rules.MoveUp())
        ShowContents();
}

void CBunruiSetDlg::OnDown()
{
    if (m_rules.MoveDown())
        ShowContents();
}

void CBunruiSetDlg::OnRename()
{
    QString title;
    if (!m_rules.BeginRename(title))
        return;
    CBunruiNameDlg dialog(title, this);
    if (RunNameDialog(dialog) != QDialog::Accepted || !m_rules.Rename(dialog.GetNewName()))
        return;
    m_pClass->setItemText(m_rules.GetClassSel(), m_rules.GetClassTitles().at(m_rules.GetClassSel()));
}

void CBunruiSetDlg::accept()
{
    m_rules.OnOK();
    QDialog::accept();
}

void CBunruiSetDlg::reject()
{
    if (m_rules.ConfirmCancel())
        QDialog::reject();
}
