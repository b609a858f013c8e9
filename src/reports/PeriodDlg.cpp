#include "reports/PeriodDlg.h"

#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace
{

QDate FirstOfMonth(const QDate& d)
{
    return d.isValid() ? QDate(d.year(), d.month(), 1) : d;
}

QDate LastOfMonth(const QDate& d)
{
    return d.isValid() ? QDate(d.year(), d.month(), 1).addMonths(1).addDays(-1) : d;
}

const QString kDayFormat = QStringLiteral("yyyy'年'M'月'd'日'");
const QString kMonthFormat = QStringLiteral("yyyy'年'M'月'");

} // namespace

QDate CPeriodRules::ElevenMonthsOn(const QDate& from)
{
    return FirstOfMonth(from).addMonths(11);
}

QDate CPeriodRules::ElevenMonthsBack(const QDate& to)
{
    return FirstOfMonth(to).addMonths(-11);
}

void CPeriodRules::Open()
{
    if (m_bMonthly) {
        m_from = FirstOfMonth(m_from);
        m_to = FirstOfMonth(m_to);
    }
    if (m_nBreakdown == 1)
        SetBreakdown(1);
}

void CPeriodRules::SetBreakdown(int breakdown)
{
    m_nBreakdown = breakdown;
    m_from = FirstOfMonth(m_from);
    m_to = breakdown == 0 ? LastOfMonth(m_to) : FirstOfMonth(m_to);
}

void CPeriodRules::FromChanged(const QDate& from)
{
    m_from = from;
    if (m_bMonthly && from.isValid())
        m_to = ElevenMonthsOn(from);
}

void CPeriodRules::ToChanged(const QDate& to)
{
    m_to = to;
    if (m_bMonthly && to.isValid())
        m_from = ElevenMonthsBack(to);
}

QString CPeriodRules::Check(const QDate& lastCarryForward) const
{
    const QString wrong = QStringLiteral("日付の指定が正しくありません。");
    if (!m_from.isValid() || !m_to.isValid())
        return wrong;
    if (!m_bNoStart && !m_bNoEnd && m_from > m_to)
        return wrong;
    if (lastCarryForward.isValid()) {
        const bool fromBad = !m_bNoStart && m_from <= lastCarryForward;
        const bool toBad = !m_bNoEnd && m_to <= lastCarryForward;
        if (fromBad || toBad)
            return QStringLiteral("前回の繰越日以前の日付は指定できません。");
    }
    return QString();
}

void CPeriodRules::Finish()
{
    if (m_bMonthly)
        m_to = ElevenMonthsOn(m_from);
}

CPeriodDlg::CPeriodDlg(int option, bool monthly, QWidget* parent)
    : QDialog(parent), m_rules(option, monthly), m_pFrom(new QDateEdit(this)), m_pTo(new QDateEdit(this)),
      m_pNoStart(new QCheckBox(QStringLiteral("指定しない"), this)),
      m_pNoEnd(new QCheckBox(QStringLiteral("指定しない"), this)),
      m_pDaily(new QRadioButton(QStringLiteral("日別集計"), this)),
      m_pMonthly(new QRadioButton(QStringLiteral("月別集計"), this)),
      m_pPrompt(new QLabel(QStringLiteral("期間を指定してください。"), this)),
      m_pHint(new QLabel(QStringLiteral("「指定しない」にチェックすると日付を指定せずに抽出できます。"
                                        "両方ともチェックするとすべてのデータが対象になります。"),
                         this)),
      m_pTilde(new QLabel(QStringLiteral("～"), this))
{
    setWindowTitle(QStringLiteral("期間の指定"));
    const QDate today = QDate::currentDate();
    m_rules.m_from = today;
    m_rules.m_to = today;
    setFixedSize(420, 230);
    m_pPrompt->setGeometry(20, 12, 380, 20);
    m_pDaily->setGeometry(50, 40, 120, 22);
    m_pMonthly->setGeometry(180, 40, 120, 22);
    m_pFrom->setGeometry(50, 70, 150, 23);
    m_pTilde->setGeometry(205, 70, 12, 23);
    m_pTo->setGeometry(220, 70, 150, 23);
    m_pNoStart->setGeometry(50, 98, 150, 22);
    m_pNoEnd->setGeometry(220, 98, 150, 22);
    m_pHint->setGeometry(20, 124, 380, 40);
    m_pHint->setWordWrap(true);
    auto* group = new QButtonGroup(this);
    group->addButton(m_pDaily, 0);
    group->addButton(m_pMonthly, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    ok->setGeometry(220, 180, 80, 28);
    cancel->setGeometry(310, 180, 80, 28);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPeriodDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QDateEdit* edit : {m_pFrom, m_pTo}) {
        edit->setCalendarPopup(true);
        CloseImeOnFocus(edit);
    }
    connect(m_pNoStart, &QCheckBox::toggled, this, [this](bool on) {
        m_rules.m_bNoStart = on;
        m_pFrom->setEnabled(!on);
    });
    connect(m_pNoEnd, &QCheckBox::toggled, this, [this](bool on) {
        m_rules.m_bNoEnd = on;
        m_pTo->setEnabled(!on);
    });
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        m_rules.SetBreakdown(id);
        ShowValues();
    });
    connect(m_pFrom, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (m_bShowing)
            return;
        m_rules.FromChanged(d);
        ShowValues();
    });
    connect(m_pTo, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (m_bShowing)
            return;
        m_rules.ToChanged(d);
        ShowValues();
    });
}

void CPeriodDlg::OnInitDialog()
{
    const int option = m_rules.m_nOption;
    if (m_rules.m_bMonthly)
        m_pPrompt->setText(QStringLiteral("期間を指定してください（指定された月から12ヶ月）"));
    const bool checks = option == 1 || option == 3;
    const bool radios = option == 2 || option == 3;
    m_pNoStart->setVisible(checks);
    m_pNoEnd->setVisible(checks);
    m_pHint->setVisible(checks);
    m_pDaily->setVisible(radios);
    m_pMonthly->setVisible(radios);
    if (option == 0)
        PlaceDatePickers();
    // A null or invalid incoming date shows today.
    const QDate today = QDate::currentDate();
    if (!m_rules.m_from.isValid())
        m_rules.m_from = today;
    if (!m_rules.m_to.isValid())
        m_rules.m_to = today;
    m_rules.Open();
    {
        QSignalBlocker a(m_pNoStart), b(m_pNoEnd);
        m_pNoStart->setChecked(m_rules.m_bNoStart);
        m_pNoEnd->setChecked(m_rules.m_bNoEnd);
    }
    m_pFrom->setEnabled(!m_rules.m_bNoStart);
    m_pTo->setEnabled(!m_rules.m_bNoEnd);
    (m_rules.m_nBreakdown == 1 ? m_pMonthly : m_pDaily)->setChecked(true);
    ShowValues();
}

void CPeriodDlg::PlaceDatePickers()
{
    m_pFrom->setGeometry(50, 50, 150, 23);
    m_pTilde->setGeometry(205, 50, 12, 23);
    m_pTo->setGeometry(220, 50, 150, 23);
}

void CPeriodDlg::ShowValues()
{
    m_bShowing = true;
    const bool months = m_rules.m_bMonthly || m_rules.m_nBreakdown == 1;
    for (QDateEdit* edit : {m_pFrom, m_pTo})
        edit->setDisplayFormat(months ? kMonthFormat : kDayFormat);
    m_pFrom->setDate(m_rules.m_from);
    m_pTo->setDate(m_rules.m_to);
    m_bShowing = false;
}

void CPeriodDlg::OnOK()
{
    const QString refused = m_rules.Check(m_dtLastCarryForward);
    if (!refused.isEmpty()) {
        UiServices::Prompt().MessageBox(refused);
        return;
    }
    m_rules.Finish();
    ShowValues();
    accept();
}
