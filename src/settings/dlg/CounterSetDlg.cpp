#include "settings/dlg/CounterSetDlg.h"

#include "platform/ui/Ime.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/dlg/DlgHelpers.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace
{

// The digit count's up-down control: an arrow step goes through the
// dialog's question, typing a count does not.
class CDigitsSpin : public QSpinBox
{
  public:
    CDigitsSpin(std::function<void(int)> onStep, QWidget* parent)
        : QSpinBox(parent), m_onStep(std::move(onStep))
    {
    }

    void stepBy(int steps) override
    {
        const int digits = std::clamp(value() + steps, minimum(), maximum());
        if (digits != value())
            m_onStep(digits);
    }

  private:
    std::function<void(int)> m_onStep;
};

QLineEdit* ReadOnlyEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    return edit;
}

void Warn(const QString& text, QWidget* focus)
{
    UiServices::Prompt().MessageBox(text, MB_OK, MB_ICONEXCLAMATION);
    focus->setFocus();
}

QString RangeText(int low, int high)
{
    return QStringLiteral("%1 から %2 までの整数を入力してください。").arg(low).arg(high);
}

} // namespace

CCounterSetDlg::CCounterSetDlg(int kind, QWidget* parent, CMakeMsgID* data)
    : QDialog(parent), m_model(kind, data)
{
    m_model.Open();
    setWindowTitle(m_model.GetCaption());

    m_pCurrent = ReadOnlyEdit(this);
    m_pCurrent->setObjectName(QStringLiteral("current"));
    auto* setNo = new CNumEdit(this);
    setNo->SetAllowMinus(false);
    m_pSetNo = setNo;
    m_pSetNo->setObjectName(QStringLiteral("setNo"));
    SetImeMode(m_pSetNo, ImeField::Number);
    auto* reset = new QPushButton(QStringLiteral("リセット"), this);
    reset->setAutoDefault(false);
    m_pDigits = new CDigitsSpin([this](int digits) { OnStepDigits(digits); }, this);
    m_pDigits->setObjectName(QStringLiteral("digits"));
    m_pDigits->setRange(1, 9);
    m_pZeroFill = new QCheckBox(QStringLiteral("先行ゼロ埋め"), this);
    m_pPrefix = new QLineEdit(this);
    m_pPrefix->setObjectName(QStringLiteral("prefix"));
    LimitTextBytes(m_pPrefix, CCounterSetModel::kMaxAffixBytes);
    m_pSuffix = new QLineEdit(this);
    m_pSuffix->setObjectName(QStringLiteral("suffix"));
    LimitTextBytes(m_pSuffix, CCounterSetModel::kMaxAffixBytes);
    m_pPreview = ReadOnlyEdit(this);
    m_pPreview->setObjectName(QStringLiteral("preview"));

    auto* numbers = new QGridLayout;
    numbers->addWidget(new QLabel(QStringLiteral("現在の連番"), this), 0, 0);
    numbers->addWidget(m_pCurrent, 0, 1);
    numbers->addWidget(new QLabel(QStringLiteral("設定する連番"), this), 1, 0);
    numbers->addWidget(m_pSetNo, 1, 1);
    numbers->addWidget(reset, 1, 2);

    auto* format = new QGroupBox(QStringLiteral("書式"), this);
    auto* formatGrid = new QGridLayout(format);
    formatGrid->addWidget(new QLabel(QStringLiteral("桁数"), format), 0, 0);
    formatGrid->addWidget(m_pDigits, 0, 1);
    formatGrid->addWidget(m_pZeroFill, 0, 2);
    formatGrid->addWidget(new QLabel(QStringLiteral("接頭文字"), format), 1, 0);
    formatGrid->addWidget(m_pPrefix, 1, 1);
    formatGrid->addWidget(new QLabel(QStringLiteral("接尾文字"), format), 2, 0);
    formatGrid->addWidget(m_pSuffix, 2, 1);
    formatGrid->addWidget(new QLabel(QStringLiteral("プレビュー"), format), 3, 0);
    formatGrid->addWidget(m_pPreview, 3, 1, 1, 2);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCounterSetDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCounterSetDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numbers);
    layout->addWidget(format);
    layout->addWidget(buttons);

    m_pCurrent->setText(QString::number(m_model.m_nCurrentNo));
    m_pDigits->setValue(m_model.m_nDigits);
    m_pZeroFill->setChecked(m_model.m_nZeroFill != 0);
    m_pPrefix->setText(m_model.m_strPrefix);
    m_pSuffix->setText(m_model.m_strSuffix);
    ShowNumber();

    connect(reset, &QPushButton::clicked, this, &CCounterSetDlg::OnReset);
    connect(m_pSetNo, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model.m_nSetNo = text.toInt();
        ShowPreview();
    });
    connect(m_pDigits, &QSpinBox::valueChanged, this, [this](int digits) {
        m_model.m_nDigits = digits;
        ShowPreview();
    });
    connect(m_pZeroFill, &QCheckBox::toggled, this, [this](bool on) {
        m_model.m_nZeroFill = on ? 1 : 0;
        ShowPreview();
    });
    connect(m_pPrefix, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model.m_strPrefix = text;
        ShowPreview();
    });
    connect(m_pSuffix, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model.m_strSuffix = text;
        ShowPreview();
    });
    // A form typed in full proposes the number after its stored ones.
    for (QLineEdit* affix : {m_pPrefix, m_pSuffix})
        connect(affix, &QLineEdit::editingFinished, this, [this] {
            m_model.ProposeForForm();
            ShowNumber();
        });
}

void CCounterSetDlg::ShowNumber()
{
    const QSignalBlocker block(m_pSetNo);
    m_pSetNo->setMaxLength(m_model.GetNumberLimit());
    m_pSetNo->setText(QString::number(m_model.m_nSetNo));
    ShowPreview();
}

void CCounterSetDlg::ShowPreview()
{
    m_pPreview->setText(m_model.GetPreview());
}

void CCounterSetDlg::OnReset()
{
    m_model.Reset();
    ShowNumber();
}

void CCounterSetDlg::OnStepDigits(int digits)
{
    if (!m_model.StepDigits(digits))
        return;
    const QSignalBlocker block(m_pDigits);
    m_pDigits->setValue(digits);
    ShowNumber();
}

void CCounterSetDlg::accept()
{
    bool number = false;
    const int setNo = m_pSetNo->text().toInt(&number);
    if (!number) {
        Warn(QStringLiteral("整数を入力してください。"), m_pSetNo);
        return;
    }
    m_model.m_nSetNo = setNo;
    switch (m_model.OnOK()) {
    case CCounterSetModel::CHECK_OK:
        QDialog::accept();
        break;
    case CCounterSetModel::CHECK_PREFIX:
        Warn(QStringLiteral("%1 文字以内で入力してください。").arg(CCounterSetModel::kMaxAffixBytes),
             m_pPrefix);
        break;
    case CCounterSetModel::CHECK_SUFFIX:
        Warn(QStringLiteral("%1 文字以内で入力してください。").arg(CCounterSetModel::kMaxAffixBytes),
             m_pSuffix);
        break;
    case CCounterSetModel::CHECK_PREFIX_CHARS:
        m_pPrefix->setFocus();
        break;
    case CCounterSetModel::CHECK_SUFFIX_CHARS:
        m_pSuffix->setFocus();
        break;
    case CCounterSetModel::CHECK_DIGITS:
        Warn(RangeText(1, 9), m_pDigits);
        break;
    case CCounterSetModel::CHECK_NUMBER:
        Warn(RangeText(1, CCounterSetModel::kMaxNumber), m_pSetNo);
        break;
    case CCounterSetModel::CHECK_TOTAL:
    case CCounterSetModel::CHECK_NOT_SAVED:
        break;
    }
}
