#include "settings/dlg/BunruiSetDlg.h"

#include "platform/ui/Ime.h"
#include "settings/dlg/BunruiNameDlg.h"
#include "settings/dlg/DlgHelpers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

CBunruiSetDlg::CBunruiSetDlg(QWidget* parent) : CListEditDlg(parent)
{
    setWindowTitle(QStringLiteral("分類設定"));
    m_pLedger = new QComboBox(this);
    m_pLedger->setObjectName(QStringLiteral("ledger"));
    m_pClass = new QComboBox(this);
    m_pClass->setObjectName(QStringLiteral("class"));
    QPushButton* rename = MakeButton(QStringLiteral("編集..."), this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("台帳名："), this), 0, 0);
    grid->addWidget(m_pLedger, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("分類名："), this), 1, 0);
    auto* classRow = new QHBoxLayout;
    classRow->addWidget(m_pClass, 1);
    classRow->addWidget(rename);
    grid->addLayout(classRow, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("現在登録されている内容："), this), 2, 0, 1, 2);
    grid->addLayout(MakeListRow(QStringLiteral("contents")), 3, 0, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("各台帳の分類の内容を編集します"), this));
    layout->addLayout(grid);
    layout->addLayout(MakeOkRow(CBunruiSetRules::kHelpTopic));

    connect(rename, &QPushButton::clicked, this, &CBunruiSetDlg::OnRename);
    connect(m_pLedger, &QComboBox::currentIndexChanged, this, [this](int ledger) {
        m_rules.SelectLedger(ledger);
        ShowClasses();
    });
    connect(m_pClass, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_rules.SelectClass(index);
        ShowList();
    });

    m_pLedger->addItems(CBunruiSetRules::GetLedgerNames());
    m_rules.Open();
    ShowClasses();
    SetImeMode(true, this);
}

void CBunruiSetDlg::ShowClasses()
{
    const QSignalBlocker blockLedger(m_pLedger);
    const QSignalBlocker blockClass(m_pClass);
    m_pLedger->setCurrentIndex(m_rules.GetLedgerSel());
    m_pClass->clear();
    m_pClass->addItems(m_rules.GetClassTitles());
    m_pClass->setCurrentIndex(m_rules.GetClassSel());
    ShowList();
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
