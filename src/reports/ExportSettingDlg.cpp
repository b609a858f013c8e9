#include "reports/ExportSettingDlg.h"

#include "platform/ui/Modal.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>

CExportSettingDlg::CExportSettingDlg(QWidget* parent)
    : QDialog(parent), m_pDetail(new QRadioButton(QStringLiteral("明細"), this)),
      m_pTotals(new QRadioButton(QStringLiteral("分類計"), this))
{
    setWindowTitle(QStringLiteral("書き出し設定"));
    setFixedSize(240, 110);
    m_pDetail->setGeometry(30, 20, 80, 22);
    m_pTotals->setGeometry(130, 20, 90, 22);
    auto* group = new QButtonGroup(this);
    group->addButton(m_pDetail, 0);
    group->addButton(m_pTotals, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    ok->setGeometry(30, 66, 80, 26);
    cancel->setGeometry(130, 66, 80, 26);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CExportSettingDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CExportSettingDlg::reject);
}

int CExportSettingDlg::exec()
{
    (m_nChoice ? m_pTotals : m_pDetail)->setChecked(true);
    return QDialog::exec();
}

void CExportSettingDlg::accept()
{
    m_nChoice = m_pTotals->isChecked() ? 1 : 0;
    QDialog::accept();
}

bool AskExportSetting(int totalsOnly, int& choice, QWidget* parent)
{
    CExportSettingDlg dialog(parent);
    dialog.m_nChoice = totalsOnly ? 1 : 0;
    // The buttons show the preset also when a runner drives the dialog.
    (dialog.m_nChoice ? dialog.TotalsButton() : dialog.DetailButton())->setChecked(true);
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    choice = dialog.m_nChoice;
    return true;
}
