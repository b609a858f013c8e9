#include "settings/dlg/RenameDlg.h"

#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/dlg/DlgHelpers.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CRenameDlg::CRenameDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("名前の変更"));
    m_pPrompt = new QLabel(QStringLiteral("新しい名前を入力して【OK】をクリックしてください"), this);
    m_pEdit = new QLineEdit(this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CRenameDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CRenameDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pPrompt);
    layout->addWidget(m_pEdit);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void CRenameDlg::SetRequest(const CNameRequest& request)
{
    SetCaption(request.caption);
    SetMessage(request.prompt);
    m_strName = request.name;
    m_nMaxLength = request.maxLength;
    if (!request.field.isEmpty())
        m_strField = request.field;
}

// The members are set between construction and showing, so they are taken
// over when the dialog first appears.
void CRenameDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitDone) {
        m_bInitDone = true;
        if (!m_strCaption.isEmpty())
            setWindowTitle(m_strCaption);
        if (!m_strMessage.isEmpty())
            m_pPrompt->setText(m_strMessage);
        LimitTextBytes(m_pEdit, m_nMaxLength);
        m_pEdit->setText(m_strName);
        m_pEdit->selectAll();
        SetImeMode(m_nIme != 0, m_pEdit);
        m_pEdit->setFocus();
    }
    QDialog::showEvent(event);
}

void CRenameDlg::accept()
{
    const QString name = m_pEdit->text();
    if (name.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("名前を入力してください。"), MB_OK, MB_ICONNONE);
        m_pEdit->setFocus();
        return;
    }
    if (!CheckEncodable(name, m_strField)) {
        m_pEdit->setFocus();
        return;
    }
    m_strName = name;
    QDialog::accept();
}
