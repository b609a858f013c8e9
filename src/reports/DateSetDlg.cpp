#include "reports/DateSetDlg.h"

#include "platform/ui/Clock.h"
#include "platform/ui/Ime.h"
#include "platform/ui/UiServices.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDateSetDlg::CDateSetDlg(QDateTime* target, QWidget* parent)
    : QDialog(parent), m_pTarget(target), m_pPrompt(new QLabel(this)), m_pDate(new QDateEdit(this))
{
    setWindowTitle(QStringLiteral("日付の設定"));
    m_pDate->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));
    m_pDate->setCalendarPopup(true);
    m_pDate->setDate(UiServices::Clock().Today());
    CloseImeOnFocus(m_pDate);
    m_pPrompt->setMinimumWidth(260);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDateSetDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDateSetDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pPrompt);
    layout->addWidget(m_pDate);
    layout->addWidget(buttons);
}

void CDateSetDlg::SetPrompt(const QString& prompt)
{
    m_strPrompt = prompt;
    m_pPrompt->setText(prompt);
}

void CDateSetDlg::accept()
{
    if (m_pTarget)
        *m_pTarget = AtMidnight(m_pDate->date());
    QDialog::accept();
}
