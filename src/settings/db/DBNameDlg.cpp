#include "settings/db/DBNameDlg.h"

#include "platform/ui/Ime.h"
#include "settings/db/DbFolders.h"
#include "settings/db/FolderBrowser.h"
#include "settings/dlg/DlgHelpers.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CDBNameDlg::CDBNameDlg(const QString& name, const QString& folder, int mode, QWidget* parent)
    : CDBNameDlg(CDBNameRules(name, folder, mode), parent)
{
}

CDBNameDlg::CDBNameDlg(const CDBNameRules& rules, QWidget* parent) : QDialog(parent), m_rules(rules)
{
    m_pName = new QLineEdit;
    m_pName->setObjectName(QStringLiteral("name"));
    m_pFolder = new QLineEdit;
    m_pFolder->setObjectName(QStringLiteral("folder"));
    // Names are Japanese text; folders are typed with the input method off.
    SetImeMode(true, m_pName);
    SetImeMode(false, m_pFolder);
    m_pFolder->setMinimumWidth(300);
    // Enter in either field presses OK, never "参照...".
    // Made without parent so the fields come first in the tab order.
    QPushButton* browse = MakeButton(QStringLiteral("参照..."), nullptr);
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);

    setWindowTitle(m_rules.GetTitle());
    auto* prompt = new QLabel(m_rules.GetPrompt());
    auto* layout = new QGridLayout(this);
    layout->addWidget(prompt, 0, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("データベース名：")), 1, 0);
    layout->addWidget(m_pName, 1, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("保存先フォルダ：")), 2, 0);
    layout->addWidget(m_pFolder, 2, 1);
    layout->addWidget(browse, 2, 2);
    layout->addWidget(buttons, 3, 0, 1, 3);
    // Once in the dialog, so it stays the default after another button had the focus.
    ok->setDefault(true);

    m_pName->setReadOnly(m_rules.IsNameReadOnly());
    m_pFolder->setReadOnly(m_rules.IsFolderReadOnly());
    browse->setEnabled(!m_rules.IsFolderReadOnly());
    if (m_rules.IsNameReadOnly())
        m_pFolder->setFocus();

    connect(browse, &QPushButton::clicked, this, &CDBNameDlg::OnBrowse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDBNameDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDBNameDlg::reject);
}

int CDBNameDlg::exec()
{
    if (!m_rules.Init())
        return QDialog::Rejected;
    m_pName->setText(m_rules.GetName());
    m_pFolder->setText(m_rules.GetFolder());
    return QDialog::exec();
}

void CDBNameDlg::accept()
{
    m_rules.SetName(m_pName->text());
    m_rules.SetFolder(m_pFolder->text());
    const bool ok = m_rules.OnOK();
    m_pFolder->setText(m_rules.GetFolder());
    if (ok)
        QDialog::accept();
}

void CDBNameDlg::OnBrowse()
{
    CFolderBrowser browser(this);
    if (browser.Browse(FolderBrowseStart(m_pFolder->text())) == 1)
        m_pFolder->setText(browser.GetPath());
    m_pFolder->setFocus();
}
