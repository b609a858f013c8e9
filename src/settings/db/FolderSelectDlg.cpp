#include "settings/db/FolderSelectDlg.h"

#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/db/DbFolders.h"
#include "settings/db/FolderBrowser.h"
#include "settings/dlg/DlgHelpers.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CFolderSelectDlg::CFolderSelectDlg(QWidget* parent, const QString& initialFolder, const QString& title,
                                   const QString& prompt)
    : QDialog(parent)
{
    setWindowTitle(title.isEmpty() ? QStringLiteral("フォルダの参照") : title);
    auto* label = new QLabel(
        prompt.isEmpty() ? QStringLiteral("フォルダを選択して【OK】をクリックしてください。") : prompt);
    label->setWordWrap(true);
    m_pFolder = new QLineEdit(initialFolder);
    // Folder names are typed with the input method off.
    SetImeMode(false, m_pFolder);
    // Enter in the field presses OK, never "参照...".
    // Made without parent so the fields come first in the tab order.
    QPushButton* browse = MakeButton(QStringLiteral("参照..."), nullptr);
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0, 1, 2);
    layout->addWidget(m_pFolder, 1, 0);
    layout->addWidget(browse, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    // Once in the dialog, so it stays the default after another button had the focus.
    ok->setDefault(true);
    m_pFolder->setMinimumWidth(320);

    connect(browse, &QPushButton::clicked, this, &CFolderSelectDlg::OnBrowse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFolderSelectDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFolderSelectDlg::reject);
}

bool CFolderSelectDlg::CheckFolderText(const QString& folder)
{
    if (!folder.isEmpty())
        return true;
    UiServices::Prompt().MessageBox(QStringLiteral("フォルダ名が入力されていません。"));
    return false;
}

void CFolderSelectDlg::accept()
{
    if (!CheckFolderText(m_pFolder->text()))
        return;
    m_strFolder = m_pFolder->text();
    QDialog::accept();
}

void CFolderSelectDlg::OnBrowse()
{
    CFolderBrowser browser(this);
    if (browser.Browse(FolderBrowseStart(m_pFolder->text())) == 1)
        m_pFolder->setText(browser.GetPath());
    m_pFolder->setFocus();
}
