#include "reports/BalanceListCondDlg.h"

#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/ClassFilterList.h"
#include "reports/ReportRequest.h"
#include "settings/BunruiData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

void CBalanceCondRules::Open(const CReportRequest& request, CBunruiData& data)
{
    m_bWithoutTrade = request.tradedOnly;
    m_filter.Build(data, Ledger(), QStringLiteral("絞り込まない"), request.classTitle, request.classItems);
}

QString CBalanceCondRules::Check() const
{
    if (!m_from.isValid() || !m_to.isValid() || m_from > m_to)
        return QStringLiteral("日付の指定が正しくありません。");
    if (m_filter.m_nSelected > 0 && m_filter.Ticked().isEmpty())
        return QStringLiteral("絞り込み対象を選択してください。");
    return QString();
}

void CBalanceCondRules::Store(CReportRequest& request) const
{
    request.from = m_from;
    request.to = m_to;
    request.tradedOnly = m_bWithoutTrade;
    if (m_filter.m_nSelected == 0) {
        request.classField.clear();
        request.classTitle.clear();
        request.classItems.clear();
        return;
    }
    request.classField = m_filter.FieldName();
    request.classTitle = m_filter.m_entries[m_filter.m_nSelected].title;
    request.classItems = m_filter.Ticked();
}

CBalanceListCondDlg::CBalanceListCondDlg(int mode, CReportRequest& request, QWidget* parent)
    : QDialog(parent), m_request(request), m_rules(mode), m_pFrom(new QDateEdit(this)),
      m_pTo(new QDateEdit(this)),
      m_pWithoutTrade(new QCheckBox(QStringLiteral("期間中に取引のないものは表示しない"), this)),
      m_pCombo(new QComboBox(this)), m_pList(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("残高一覧表の条件設定"));
    const QDate today = QDate::currentDate();
    m_rules.m_from = today;
    m_rules.m_to = today;
    setFixedSize(400, 360);
    auto* period = new QLabel(QStringLiteral("期間"), this);
    period->setGeometry(16, 16, 60, 23);
    m_pFrom->setGeometry(80, 16, 140, 23);
    auto* tilde = new QLabel(QStringLiteral("～"), this);
    tilde->setGeometry(225, 16, 14, 23);
    m_pTo->setGeometry(242, 16, 140, 23);
    m_pWithoutTrade->setGeometry(80, 46, 300, 22);
    auto* classLabel = new QLabel(QStringLiteral("分類"), this);
    classLabel->setGeometry(16, 78, 60, 23);
    m_pCombo->setGeometry(80, 78, 200, 23);
    m_pList->setGeometry(80, 108, 302, 190);
    SetupContentList(m_pList);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* help = new QPushButton(QStringLiteral("？"), this);
    ok->setGeometry(150, 314, 80, 28);
    cancel->setGeometry(240, 314, 80, 28);
    help->setGeometry(330, 314, 52, 28);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CBalanceListCondDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(4006); });
    for (QDateEdit* edit : {m_pFrom, m_pTo}) {
        edit->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));
        edit->setCalendarPopup(true);
        CloseImeOnFocus(edit);
    }
    connect(m_pFrom, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!m_bShowing)
            m_rules.m_from = d;
    });
    connect(m_pTo, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!m_bShowing)
            m_rules.m_to = d;
    });
    connect(m_pWithoutTrade, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_bShowing)
            m_rules.m_bWithoutTrade = on ? 1 : 0;
    });
    connect(m_pCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_bShowing)
            return;
        m_rules.m_filter.Select(index);
        FillList();
    });
    connect(m_pList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column != 0 || !item)
            return;
        m_rules.m_filter.ClickCheck(m_pList->indexOfTopLevelItem(item), SelectedRows(m_pList));
        FillList();
    });
}

void CBalanceListCondDlg::OnInitDialog()
{
    setWindowTitle(m_rules.m_nMode == 2 ? QStringLiteral("買掛一覧の表示条件を設定")
                                        : QStringLiteral("売掛一覧の表示条件を設定"));
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

void CBalanceListCondDlg::ShowValues()
{
    m_bShowing = true;
    m_pFrom->setDate(m_rules.m_from);
    m_pTo->setDate(m_rules.m_to);
    m_pWithoutTrade->setChecked(m_rules.m_bWithoutTrade != 0);
    m_pCombo->clear();
    for (const CClassFilterRules::Entry& entry : m_rules.m_filter.m_entries)
        m_pCombo->addItem(entry.title);
    m_pCombo->setCurrentIndex(m_rules.m_filter.m_nSelected);
    m_bShowing = false;
    FillList();
}

void CBalanceListCondDlg::FillList()
{
    FillContentList(m_pList, m_rules.m_filter);
}

void CBalanceListCondDlg::OnOK()
{
    const QString refused = m_rules.Check();
    if (!refused.isEmpty()) {
        UiServices::Prompt().MessageBox(refused);
        return;
    }
    accept();
}

void CBalanceListCondDlg::accept()
{
    m_rules.Store(m_request);
    QDialog::accept();
}
