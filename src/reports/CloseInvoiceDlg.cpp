#include "reports/CloseInvoiceDlg.h"

#include "app/MainFrame.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/ReportModes.h"
#include "reports/ReportOpen.h"
#include "reports/ShimeView.h"
#include "settings/SettingsFiles.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>

namespace
{

// The list order: month end, the usual days, then the others ascending.
constexpr int kDays[CCloseInvoiceRules::kDayCount] = {99, 5,  10, 15, 20, 25, 1,  2,  3,  4,  6,
                                                      7,  8,  9,  11, 12, 13, 14, 16, 17, 18, 19,
                                                      21, 22, 23, 24, 26, 27, 28, 29, 30, 31};

} // namespace

QString CCloseInvoiceRules::DayText(int index)
{
    const int day = DayOfIndex(index);
    return day == 99 ? QStringLiteral("月末締") : QStringLiteral("%1日締").arg(day);
}

int CCloseInvoiceRules::DayOfIndex(int index)
{
    return index >= 1 && index < kDayCount ? kDays[index] : 99;
}

int CCloseInvoiceRules::IndexOfDay(int day)
{
    for (int i = 1; i < kDayCount; ++i)
        if (kDays[i] == day)
            return i;
    return 0;
}

int CCloseInvoiceRules::IndexOfSetting(const QString& text)
{
    return IndexOfDay(LeadingInt(text));
}

bool CCloseInvoiceRules::Form(QDate& closingDate, int& closingDay) const
{
    if (m_nOption == kUpToDate) {
        if (!m_dtUpTo.isValid())
            return false;
        closingDate = m_dtUpTo;
        closingDay = 0;
        return true;
    }
    if (!m_dtMonth.isValid())
        return false;
    const int day = DayOfIndex(m_nDayIndex);
    const QDate first(m_dtMonth.year(), m_dtMonth.month(), 1);
    const QDate date = day == 99 ? QDate(first.year(), first.month(), first.daysInMonth())
                                 : QDate(first.year(), first.month(), day);
    if (!date.isValid())
        return false;
    closingDate = date;
    closingDay = day;
    return true;
}

CCloseInvoiceDlg::CCloseInvoiceDlg(int mode, CMainFrame& frame, QWidget* parent)
    : QDialog(parent), m_nMode(mode), m_frame(frame), m_pOption(new QButtonGroup(this)),
      m_pDay(new QComboBox(this)), m_pMonth(new QDateEdit(this)), m_pUpTo(new QDateEdit(this)),
      m_pShowAll(new QCheckBox(QStringLiteral("期間中に取引のない取引先も表示する"), this))
{
    setWindowTitle(mode == 1 ? QStringLiteral("支払の締切") : QStringLiteral("締め請求書の作成"));
    const QDate today = UiServices::Clock().Today();
    m_rules.m_dtMonth = QDate(today.year(), today.month(), 1);
    m_rules.m_dtUpTo = today;

    auto* byDay = new QRadioButton(QStringLiteral("指定した締日の取引先の請求書を作成する"), this);
    auto* upTo = new QRadioButton(QStringLiteral("指定した日付けまでの伝票で締請求書を作成する"), this);
    m_pOption->addButton(byDay, CCloseInvoiceRules::kByClosingDay);
    m_pOption->addButton(upTo, CCloseInvoiceRules::kUpToDate);
    for (int i = 0; i < CCloseInvoiceRules::kDayCount; ++i)
        m_pDay->addItem(CCloseInvoiceRules::DayText(i));
    m_pMonth->setDisplayFormat(QStringLiteral("yyyy'年'M'月分'"));
    m_pUpTo->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));
    m_pMonth->setCalendarPopup(true);
    m_pUpTo->setCalendarPopup(true);
    CloseImeOnFocus(m_pMonth);
    CloseImeOnFocus(m_pUpTo);
    m_pShowAll->setVisible(false);
    auto* help = new QPushButton(QStringLiteral("？"), this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);

    auto* grid = new QGridLayout(this);
    grid->addWidget(byDay, 0, 0, 1, 3);
    grid->addWidget(m_pMonth, 1, 1);
    grid->addWidget(m_pDay, 1, 2);
    grid->addWidget(upTo, 2, 0, 1, 3);
    grid->addWidget(m_pUpTo, 3, 1);
    grid->addWidget(m_pShowAll, 4, 0, 1, 3);
    grid->addWidget(help, 5, 0);
    grid->addWidget(buttons, 5, 1, 1, 2);
    grid->setColumnMinimumWidth(0, 20);

    connect(m_pOption, &QButtonGroup::idClicked, this, &CCloseInvoiceDlg::SetOption);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(4001); });
    connect(buttons, &QDialogButtonBox::accepted, this, &CCloseInvoiceDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCloseInvoiceDlg::reject);

    // Without a database the dialog keeps its defaults.
    m_rules.m_nDayIndex =
        CCloseInvoiceRules::IndexOfSetting(CShimeView::ReadAutoSetting(QStringLiteral("CLOSEDAY.AUT")));
    m_pDay->setCurrentIndex(m_rules.m_nDayIndex);
    m_pMonth->setDate(m_rules.m_dtMonth);
    m_pUpTo->setDate(m_rules.m_dtUpTo);
    byDay->setChecked(true);
    SetOption(CCloseInvoiceRules::kByClosingDay);
}

void CCloseInvoiceDlg::SetOption(int option)
{
    m_rules.m_nOption = option;
    if (QAbstractButton* button = m_pOption->button(option))
        button->setChecked(true);
    const bool byDay = option == CCloseInvoiceRules::kByClosingDay;
    m_pDay->setEnabled(byDay);
    m_pMonth->setEnabled(byDay);
    m_pUpTo->setEnabled(!byDay);
}

void CCloseInvoiceDlg::Store()
{
    m_rules.m_nDayIndex = m_pDay->currentIndex();
    const QDate month = m_pMonth->date();
    m_rules.m_dtMonth = QDate(month.year(), month.month(), 1);
    m_rules.m_dtUpTo = m_pUpTo->date();
    m_rules.m_bShowAll = m_pShowAll->isChecked() ? 1 : 0;
}

void CCloseInvoiceDlg::accept()
{
    Store();
    QDate date;
    int day = 0;
    // Checked first: a refused date leaves the frame as it was.
    if (!m_rules.Form(date, day)) {
        UiServices::Prompt().MessageBox(QStringLiteral("日付が不正です。"));
        return;
    }
    m_frame.m_dtCalendarDate = date;
    m_frame.m_nCalendarCloseDay = day;
    QDialog::accept();
}

void OnCloseInvoiceCommand(CMainFrame& frame, int mode)
{
    CCloseInvoiceDlg dialog(mode, frame, &frame);
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    // The list shown already opens anew on the date chosen, as from the menu.
    OpenReportList(frame, GetClosingReportMode(mode == 1));
}
