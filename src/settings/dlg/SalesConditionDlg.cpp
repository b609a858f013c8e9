#include "settings/dlg/SalesConditionDlg.h"

#include "platform/ui/Ime.h"
#include "settings/SettingsArchive.h"
#include "settings/dlg/DlgHelpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{

constexpr int kHelpTopic = 1508;

// The months of the slip list: the arrows go round 1-12; typed digits are
// taken as they are and checked on OK.
class CMonthsSpin : public QSpinBox
{
  public:
    explicit CMonthsSpin(QWidget* parent) : QSpinBox(parent) { setRange(0, 999); }

    void stepBy(int steps) override
    {
        const int current = value() >= 1 && value() <= 12 ? value() : (steps > 0 ? 0 : 13);
        setValue(((current - 1 + steps) % 12 + 12) % 12 + 1);
    }

  protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

QComboBox* List(const QStringList& texts, const char* name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->addItems(texts);
    box->setObjectName(QLatin1String(name));
    return box;
}

// A list shows no selection for an index it does not hold.
void Select(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace

CSalesConditionDlg::CSalesConditionDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("販売条件の設定"));

    m_pCloseDay = List(CloseDayTexts(), "closeDay", this);
    m_pRound = List(CSalesConditionRules::RoundTexts(), "round", this);
    m_pTaxType = List(CSalesConditionRules::TaxTypeTexts(), "taxType", this);
    m_pTaxRound = List(CSalesConditionRules::TaxRoundTexts(), "taxRound", this);
    m_pCycle = List(CSalesConditionRules::CycleTexts(), "cycle", this);
    m_pDay = List(CSalesConditionRules::DayTexts(), "day", this);
    m_pDayCount = new QLineEdit(this);
    m_pDayCount->setObjectName(QStringLiteral("dayCount"));
    m_pDayCount->setMaximumWidth(60);
    m_pDayCount->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), this));
    SetImeMode(m_pDayCount, ImeField::Number);
    m_pDayUnit = new QLabel(QStringLiteral("日"), this);
    m_pMethod = List(CSalesConditionRules::MethodTexts(), "method", this);

    auto* sales = new QGroupBox(QStringLiteral("得意先で通常使用する販売条件"), this);
    auto* salesGrid = new QGridLayout(sales);
    const auto caption = [sales](const char* text) {
        auto* label = new QLabel(QString::fromUtf8(text), sales);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    };
    salesGrid->addWidget(caption("締日："), 0, 0);
    salesGrid->addWidget(m_pCloseDay, 0, 1);
    salesGrid->addWidget(caption("金額端数："), 1, 0);
    salesGrid->addWidget(m_pRound, 1, 1);
    salesGrid->addWidget(caption("税転嫁："), 2, 0);
    salesGrid->addWidget(m_pTaxType, 2, 1);
    salesGrid->addWidget(m_pTaxRound, 2, 2, Qt::AlignLeft);
    salesGrid->addWidget(caption("入金予定："), 3, 0);
    salesGrid->addWidget(m_pCycle, 3, 1);
    auto* dayRow = new QHBoxLayout;
    dayRow->addWidget(m_pDay);
    dayRow->addWidget(m_pDayCount);
    dayRow->addWidget(m_pDayUnit);
    dayRow->addStretch();
    salesGrid->addLayout(dayRow, 3, 2);
    salesGrid->addWidget(caption("主な入金方法："), 4, 0);
    salesGrid->addWidget(m_pMethod, 4, 1);
    salesGrid->setColumnStretch(3, 1);
    salesGrid->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding), 0, 3);

    m_pRemarks = new QCheckBox(QStringLiteral("商品台帳の備考内容を、伝票の備考欄に表示する"), this);
    m_pRemarks->setObjectName(QStringLiteral("remarks"));
    m_pShowCode =
        new QCheckBox(QStringLiteral("「品番」と「品名」が同じスペースの伝票の場合、品番を表示する"), this);
    m_pShowCode->setObjectName(QStringLiteral("showCode"));
    auto* code = new QGroupBox(QStringLiteral("コード入力条件"), this);
    auto* codeBox = new QVBoxLayout(code);
    codeBox->addWidget(m_pRemarks);
    codeBox->addWidget(m_pShowCode);

    m_pDigits = List(CSalesConditionRules::DigitTexts(), "digits", this);
    m_pPriceRound = List(CSalesConditionRules::RoundTexts(), "priceRound", this);
    m_pExample = new QLabel(this);
    m_pExample->setObjectName(QStringLiteral("example"));
    auto* include = new QRadioButton(QStringLiteral("含む"), this);
    auto* exclude = new QRadioButton(QStringLiteral("含まない"), this);
    include->setObjectName(QStringLiteral("carryInclude"));
    exclude->setObjectName(QStringLiteral("carryExclude"));
    m_pCarryOver = new QButtonGroup(this);
    m_pCarryOver->addButton(include, 0);
    m_pCarryOver->addButton(exclude, 1);
    m_pMonths = new CMonthsSpin(this);
    m_pMonths->setObjectName(QStringLiteral("months"));
    SetImeMode(m_pMonths, ImeField::Number);

    auto* options = new QGroupBox(QStringLiteral("オプション"), this);
    auto* optionBox = new QVBoxLayout(options);
    auto* priceRow = new QHBoxLayout;
    priceRow->addWidget(new QLabel(QStringLiteral("・単価は小数点以下"), options));
    priceRow->addWidget(m_pDigits);
    priceRow->addWidget(new QLabel(QStringLiteral("で、端数は"), options));
    priceRow->addWidget(m_pPriceRound);
    priceRow->addWidget(m_pExample);
    priceRow->addStretch();
    optionBox->addLayout(priceRow);
    optionBox->addWidget(
        new QLabel(QStringLiteral("※常に同じ桁数で表記したい場合は、スペースごとに設定します"), options));
    auto* carryRow = new QHBoxLayout;
    carryRow->addWidget(new QLabel(QStringLiteral("・今回請求額に繰越金額を"), options));
    carryRow->addWidget(include);
    carryRow->addWidget(exclude);
    carryRow->addStretch();
    optionBox->addLayout(carryRow);
    auto* monthsRow = new QHBoxLayout;
    monthsRow->addWidget(new QLabel(QStringLiteral("・伝票一覧は"), options));
    monthsRow->addWidget(m_pMonths);
    monthsRow->addWidget(new QLabel(QStringLiteral("ヶ月前から表示する"), options));
    monthsRow->addStretch();
    optionBox->addLayout(monthsRow);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    QPushButton* cancel = MakeButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MakeHelpButton(kHelpTopic, this));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    connect(ok, &QPushButton::clicked, this, &CSalesConditionDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSalesConditionDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sales);
    layout->addWidget(code);
    layout->addWidget(options);
    layout->addLayout(buttons);

    m_strFolder = GetCurrentDBFolder();
    m_rules.Load(m_strFolder);
    ShowRules();

    connect(m_pCycle, &QComboBox::currentIndexChanged, this, [this] {
        ReadBack();
        ShowDayControl();
    });
    const auto example = [this] {
        ReadBack();
        ShowExample();
    };
    connect(m_pDigits, &QComboBox::currentIndexChanged, this, example);
    connect(m_pPriceRound, &QComboBox::currentIndexChanged, this, example);
}

void CSalesConditionDlg::ShowRules()
{
    const CSalesConditionRules& r = m_rules;
    Select(m_pCloseDay, r.m_nCloseDay);
    Select(m_pRound, r.m_nRound);
    Select(m_pTaxType, r.m_nTaxType);
    Select(m_pTaxRound, r.m_nTaxRound);
    Select(m_pCycle, r.m_nCycle);
    Select(m_pDay, r.m_nDayIndex);
    m_pDayCount->setText(QString::number(r.m_nDayCount));
    Select(m_pMethod, r.m_nMethod);
    m_pRemarks->setChecked(r.m_nRemarks != 0);
    m_pShowCode->setChecked(r.m_nShowCode != 0);
    Select(m_pDigits, r.m_nPriceDigits);
    Select(m_pPriceRound, r.m_nPriceRound);
    if (QAbstractButton* button = m_pCarryOver->button(r.m_nCarryOver))
        button->setChecked(true);
    m_pMonths->setValue(r.m_nMonths);
    ShowDayControl();
    ShowExample();
}

void CSalesConditionDlg::ReadBack()
{
    CSalesConditionRules& r = m_rules;
    r.m_nCloseDay = m_pCloseDay->currentIndex();
    r.m_nRound = m_pRound->currentIndex();
    r.m_nTaxType = m_pTaxType->currentIndex();
    r.m_nTaxRound = m_pTaxRound->currentIndex();
    r.m_nCycle = m_pCycle->currentIndex();
    r.m_nDayIndex = m_pDay->currentIndex();
    r.m_nDayCount = m_pDayCount->text().toInt();
    r.m_nMethod = m_pMethod->currentIndex();
    r.m_nRemarks = m_pRemarks->isChecked() ? 1 : 0;
    r.m_nShowCode = m_pShowCode->isChecked() ? 1 : 0;
    r.m_nPriceDigits = m_pDigits->currentIndex();
    r.m_nPriceRound = m_pPriceRound->currentIndex();
    // Neither radio button checked keeps what was loaded.
    if (m_pCarryOver->checkedId() >= 0)
        r.m_nCarryOver = m_pCarryOver->checkedId();
    r.m_nMonths = m_pMonths->value();
}

void CSalesConditionDlg::ShowDayControl()
{
    const bool days = m_rules.m_nCycle == 0;
    m_pDayCount->setVisible(days);
    m_pDayUnit->setVisible(days);
    m_pDay->setVisible(!days);
}

void CSalesConditionDlg::ShowExample()
{
    const QString text = CSalesConditionRules::ExampleText(m_rules.m_nPriceDigits, m_rules.m_nPriceRound);
    if (!text.isEmpty())
        m_pExample->setText(text);
}

void CSalesConditionDlg::accept()
{
    ReadBack();
    if (m_rules.Save(m_strFolder))
        QDialog::accept();
}
