#include "master/CodeChangeDlg.h"

#include "platform/ui/Ime.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "settings/dlg/DlgHelpers.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CCodeChangeDlg::CCodeChangeDlg(const CMasterKind& kind, const QString& currentCode, QWidget* parent)
    : QDialog(parent), m_rules(kind, currentCode)
{
    Build();
}

CCodeChangeDlg::CCodeChangeDlg(const CMasterKind& kind, const QString& currentCode, ICodeChangeHost& host,
                               QWidget* parent)
    : QDialog(parent), m_rules(kind, currentCode, host)
{
    Build();
}

void CCodeChangeDlg::Build()
{
    setWindowTitle(QStringLiteral("ｺｰﾄﾞ変更"));
    auto* text =
        new QLabel(QStringLiteral("登録されているデータのコードを変更します。\n\n"
                                  "※作成されている各データのコードも、すべて新しいコードに変更します。\n"
                                  "※すでに存在するコードには変更できません。\n"
                                  "※変更には時間がかかる場合があります。"),
                   this);
    m_pCurrent = new QLineEdit(this);
    m_pCurrent->setReadOnly(true);
    m_pNewCode = new QLineEdit(this);
    m_pName = new QLineEdit(this);
    m_pName->setReadOnly(true);
    SetImeMode(m_pNewCode, ImeField::Code);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("現在のコード"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("新しいコード"), this), 0, 2);
    grid->addWidget(m_pCurrent, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral(" → "), this), 1, 1);
    grid->addWidget(m_pNewCode, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("登録されている内容"), this), 2, 0, 1, 3);
    grid->addWidget(m_pName, 3, 0, 1, 3);

    auto* ok = new QPushButton(QStringLiteral("変更する"), this);
    ok->setDefault(true);
    auto* cancel = MakeButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(MakeHelpButton(1615, this));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CCodeChangeDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CCodeChangeDlg::reject);
    m_pNewCode->setMinimumWidth(220);
    OnInitDialog();
}

void CCodeChangeDlg::OnInitDialog()
{
    setWindowTitle(m_rules.GetCaption());
    m_pCurrent->setText(m_rules.GetCurrentCode());
    m_rules.Open();
    m_pName->setText(m_rules.GetRecordName());
    m_pNewCode->setFocus();
}

int CCodeChangeDlg::DoModal()
{
    return RunModal(*this) == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CCodeChangeDlg::accept()
{
    if (m_rules.Ok(m_pNewCode->text())) {
        QDialog::accept();
        return;
    }
    switch (m_rules.GetFocus()) {
    case CCodeChangeRules::kFocusNewCode:
        m_pNewCode->setFocus();
        break;
    case CCodeChangeRules::kFocusCurrentCode:
        m_pCurrent->setFocus();
        break;
    default:
        break;
    }
}
