#include "reports/SyukeiCondDlg.h"

#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/ClassFilterList.h"
#include "reports/PeriodDlg.h"
#include "reports/ReportRequest.h"
#include "settings/BunruiData.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace
{
QDate FirstOfMonth(const QDate& d)
{
    return d.isValid() ? QDate(d.year(), d.month(), 1) : d;
}
} // namespace

void CSyukeiCondRules::Open(const CReportRequest& request, CBunruiData& data)
{
    if (m_bMonthly) {
        m_from = FirstOfMonth(m_from);
        m_to = FirstOfMonth(m_to);
    }
    m_bGroupByClass = request.groupByClass;
    m_bTotalsOnly = request.classTotalsOnly;
    m_bFilter = request.classFilter;
    m_bTradedOnly = request.tradedOnly;
    m_nQuantity = request.amountOrQuantity;
    m_filter.Build(data, m_nLedger, QStringLiteral("コード順"), request.classTitle, request.classItems);
    const bool chosen = m_filter.m_nSelected > 0;
    m_bGroupEnabled = chosen;
    m_bFilterEnabled = chosen;
    m_bListEnabled = chosen && m_bFilter;
    m_bTotalsEnabled = m_bGroupByClass != 0;
    if (!m_bListEnabled)
        m_filter.ClearRows();
}

void CSyukeiCondRules::SelectEntry(int entry)
{
    m_filter.Select(entry);
    if (m_filter.m_nSelected == 0) {
        m_bGroupByClass = 0;
        m_bTotalsOnly = 0;
        m_bGroupEnabled = m_bTotalsEnabled = m_bFilterEnabled = m_bListEnabled = false;
        m_filter.ClearRows();
        return;
    }
    m_bGroupEnabled = m_bFilterEnabled = true;
    m_bListEnabled = m_bFilter != 0;
    if (!m_bListEnabled)
        m_filter.ClearRows();
}

void CSyukeiCondRules::SetFilter(bool on)
{
    m_bFilter = on ? 1 : 0;
    m_bListEnabled = on;
    if (on)
        m_filter.Select(m_filter.m_nSelected);
    else
        m_filter.ClearRows();
}

void CSyukeiCondRules::SetGroupByClass(bool on)
{
    m_bGroupByClass = on ? 1 : 0;
    m_bTotalsEnabled = on;
}

void CSyukeiCondRules::FromChanged(const QDate& from)
{
    m_from = from;
    if (m_bMonthly && from.isValid())
        m_to = CPeriodRules::ElevenMonthsOn(from);
}

void CSyukeiCondRules::ToChanged(const QDate& to)
{
    m_to = to;
    if (m_bMonthly && to.isValid())
        m_from = CPeriodRules::ElevenMonthsBack(to);
}

QString CSyukeiCondRules::Check(const QDate& lastCarryForward) const
{
    if (!m_from.isValid() || (m_bShowEnd && (!m_to.isValid() || m_from > m_to)))
        return QStringLiteral("日付の指定が正しくありません。");
    // A hidden end date is not the user's to change, so it is not held
    // against the carry-forward.
    if (lastCarryForward.isValid() &&
        (m_from <= lastCarryForward || (m_bShowEnd && m_to <= lastCarryForward)))
        return QStringLiteral("前回の繰越日以前の日付は指定できません。");
    if (m_filter.m_nSelected > 0 && m_bFilter && m_filter.Ticked().isEmpty())
        return QStringLiteral("絞り込む分類を選択してください。");
    return QString();
}

void CSyukeiCondRules::Finish()
{
    if (m_bMonthly)
        m_to = CPeriodRules::ElevenMonthsOn(m_from);
}

void CSyukeiCondRules::Store(CReportRequest& request) const
{
    request.from = m_from;
    request.to = m_to;
    request.classTotalsOnly = m_bTotalsOnly;
    request.classFilter = m_bFilter;
    request.groupByClass = m_bGroupByClass;
    request.classItems.clear();
    if (m_filter.m_nSelected == 0) {
        request.classField.clear();
        request.classTitle.clear();
        return;
    }
    request.classField = m_filter.FieldName();
    request.classTitle = m_filter.m_entries[m_filter.m_nSelected].title;
    if (m_bFilter)
        request.classItems = m_filter.Ticked();
}

CSyukeiCondDlg::CSyukeiCondDlg(CReportRequest& request, int ledger, bool monthly, bool showEnd,
                               QWidget* parent)
    : QDialog(parent), m_request(request), m_rules(ledger, monthly, showEnd), m_pFrom(new QDateEdit(this)),
      m_pTo(new QDateEdit(this)), m_pPeriodLabel(new QLabel(QStringLiteral("期間"), this)),
      m_pTilde(new QLabel(QStringLiteral("～"), this)), m_pCombo(new QComboBox(this)),
      m_pGroup(new QCheckBox(QStringLiteral("分類ごとに集計する"), this)),
      m_pTotals(new QCheckBox(QStringLiteral("分類集計のみ表示"), this)),
      m_pFilter(new QCheckBox(QStringLiteral("指定した分類の中から絞り込む"), this)),
      m_pTraded(new QCheckBox(QStringLiteral("取引のあるものだけ集計"), this)),
      m_pAmount(new QRadioButton(QStringLiteral("純売上額"), this)),
      m_pQuantity(new QRadioButton(QStringLiteral("純売上数"), this)), m_pList(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("条件設定"));
    const QDate today = QDate::currentDate();
    m_rules.m_from = today;
    m_rules.m_to = today;
    setFixedSize(420, 440);
    m_pPeriodLabel->setGeometry(16, 16, 200, 20);
    m_pFrom->setGeometry(16, 40, 160, 23);
    m_pTilde->setGeometry(182, 40, 14, 23);
    m_pTo->setGeometry(200, 40, 160, 23);
    m_pAmount->setGeometry(16, 70, 110, 22);
    m_pQuantity->setGeometry(130, 70, 110, 22);
    auto* classLabel = new QLabel(QStringLiteral("分類"), this);
    classLabel->setGeometry(16, 100, 50, 23);
    m_pCombo->setGeometry(70, 100, 200, 23);
    m_pGroup->setGeometry(16, 130, 190, 22);
    m_pTotals->setGeometry(210, 130, 190, 22);
    m_pFilter->setGeometry(16, 156, 300, 22);
    m_pList->setGeometry(16, 182, 388, 160);
    m_pTraded->setGeometry(16, 350, 300, 22);
    SetupContentList(m_pList);
    auto* group = new QButtonGroup(this);
    group->addButton(m_pAmount, 0);
    group->addButton(m_pQuantity, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* help = new QPushButton(QStringLiteral("？"), this);
    ok->setGeometry(170, 396, 80, 28);
    cancel->setGeometry(260, 396, 80, 28);
    help->setGeometry(350, 396, 54, 28);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CSyukeiCondDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(m_rules.m_bMonthly ? 4221 : 4121); });
    for (QDateEdit* edit : {m_pFrom, m_pTo}) {
        edit->setCalendarPopup(true);
        CloseImeOnFocus(edit);
    }
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
    connect(m_pCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_bShowing)
            return;
        m_rules.SelectEntry(index);
        ShowValues();
    });
    connect(m_pFilter, &QCheckBox::toggled, this, [this](bool on) {
        if (m_bShowing)
            return;
        m_rules.SetFilter(on);
        ShowValues();
    });
    connect(m_pGroup, &QCheckBox::toggled, this, [this](bool on) {
        if (m_bShowing)
            return;
        m_rules.SetGroupByClass(on);
        ShowValues();
    });
    connect(m_pTotals, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_bShowing)
            m_rules.m_bTotalsOnly = on ? 1 : 0;
    });
    connect(m_pTraded, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_bShowing)
            m_rules.m_bTradedOnly = on ? 1 : 0;
    });
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { m_rules.m_nQuantity = id; });
    connect(m_pList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column != 0 || !item)
            return;
        m_rules.m_filter.ClickCheck(m_pList->indexOfTopLevelItem(item), SelectedRows(m_pList));
        FillContentList(m_pList, m_rules.m_filter);
    });
}

void CSyukeiCondDlg::OnInitDialog()
{
    const bool monthly = m_rules.m_bMonthly;
    const QString format = monthly ? QStringLiteral("yyyy'年'M'月'") : QStringLiteral("yyyy'年'M'月'd'日'");
    for (QDateEdit* edit : {m_pFrom, m_pTo})
        edit->setDisplayFormat(format);
    if (monthly)
        m_pPeriodLabel->setText(QStringLiteral("指定した月から１２ヶ月"));
    m_pTo->setVisible(m_rules.m_bShowEnd);
    m_pTilde->setVisible(m_rules.m_bShowEnd);
    if (!m_rules.m_bShowEnd)
        m_pPeriodLabel->setText(QStringLiteral("日付"));
    const bool radios = m_rules.m_nLedger == 0 && monthly;
    m_pAmount->setVisible(radios);
    m_pQuantity->setVisible(radios);
    // A null or invalid incoming date shows today.
    const QDate today = QDate::currentDate();
    if (!m_rules.m_from.isValid())
        m_rules.m_from = today;
    if (!m_rules.m_to.isValid())
        m_rules.m_to = today;
    CBunruiData data;
    m_rules.Open(m_request, data);
    ShowValues();
}

void CSyukeiCondDlg::ShowValues()
{
    m_bShowing = true;
    m_pFrom->setDate(m_rules.m_from);
    m_pTo->setDate(m_rules.m_to);
    const CClassFilterRules& f = m_rules.m_filter;
    if (m_pCombo->count() != f.m_entries.size()) {
        m_pCombo->clear();
        for (const CClassFilterRules::Entry& entry : f.m_entries)
            m_pCombo->addItem(entry.title);
    }
    m_pCombo->setCurrentIndex(f.m_nSelected);
    m_pGroup->setChecked(m_rules.m_bGroupByClass);
    m_pGroup->setEnabled(m_rules.m_bGroupEnabled);
    m_pTotals->setChecked(m_rules.m_bTotalsOnly);
    m_pTotals->setEnabled(m_rules.m_bTotalsEnabled);
    m_pFilter->setChecked(m_rules.m_bFilter);
    m_pFilter->setEnabled(m_rules.m_bFilterEnabled);
    m_pTraded->setChecked(m_rules.m_bTradedOnly);
    (m_rules.m_nQuantity ? m_pQuantity : m_pAmount)->setChecked(true);
    m_pList->setEnabled(m_rules.m_bListEnabled);
    FillContentList(m_pList, f);
    m_bShowing = false;
}

void CSyukeiCondDlg::OnOK()
{
    const QString refused = m_rules.Check(m_request.lastCarryForward);
    if (!refused.isEmpty()) {
        UiServices::Prompt().MessageBox(refused);
        return;
    }
    m_rules.Finish();
    accept();
}

void CSyukeiCondDlg::accept()
{
    m_rules.Store(m_request);
    QDialog::accept();
}
