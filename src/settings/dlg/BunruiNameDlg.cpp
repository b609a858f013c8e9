#include "settings/dlg/BunruiNameDlg.h"

#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/dlg/DlgHelpers.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

constexpr int kHelpTopic = 1506;

} // namespace

CBunruiNameDlg::CBunruiNameDlg(const QString& name, QWidget* parent) : QDialog(parent), m_strNewName(name)
{
    setWindowTitle(QStringLiteral("分類ジャンル名を変更"));
    auto* current = new QLineEdit(name, this);
    current->setReadOnly(true);
    m_pNewName = new QLineEdit(name, this);
    SetImeMode(true, m_pNewName);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("現在の名前："), current);
    form->addRow(QStringLiteral("変更後の名前："), m_pNewName);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    buttons->addButton(MakeHelpButton(kHelpTopic, this), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CBunruiNameDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CBunruiNameDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("分類ジャンル名を変更します"), this));
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_pNewName->selectAll();
    m_pNewName->setFocus();
}

void CBunruiNameDlg::accept()
{
    const QString name = m_pNewName->text();
    if (name.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("新しい名前を入力してください。"), MB_OK, MB_ICONNONE);
        m_pNewName->setFocus();
        return;
    }
    if (!CheckEncodable(name, QStringLiteral("分類ジャンル名"))) {
        m_pNewName->setFocus();
        return;
    }
    m_strNewName = name;
    QDialog::accept();
}
