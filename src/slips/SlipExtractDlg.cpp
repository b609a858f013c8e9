#include "slips/SlipExtractDlg.h"

#include "platform/ui/Clock.h"
#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CSlipExtractRules::CSlipExtractRules(const QString& header, bool extracted, const QDate& today)
    : m_strHeader(header), m_bExtracted(extracted), m_dtStart(today.addDays(-30)), m_dtEnd(today)
{
}

CSlipExtractRules::Enabled CSlipExtractRules::GetEnabled() const
{
    Enabled e{};
    e.startPicker = m_bDates && !m_bStartNone;
    e.endPicker = m_bDates && !m_bEndNone;
    e.descending = e.startNone = e.endNone = m_bDates;
    e.status = !SlipStatusChoices(m_strHeader).isEmpty();
    e.release = m_bExtracted;
    return e;
}

bool CSlipExtractRules::Execute(QString& message)
{
    m_dtFrom = m_bDates && !m_bStartNone ? m_dtStart : QDate();
    m_dtTo = m_bDates && !m_bEndNone ? m_dtEnd : QDate();
    if (m_dtFrom.isValid() && m_dtTo.isValid() && m_dtFrom > m_dtTo) {
        message = QStringLiteral("期間の指定が正しくありません");
        return false;
    }
    CSlipConditions c = m_conditions;
    c.from = m_dtFrom;
    c.to = m_dtTo;
    c.ordered = m_bDates;
    if (!m_bDates)
        c.descending = false;
    m_strResult = MakeSlipExtractWhere(m_strHeader, c);
    m_nExtractionSet = 1;
    return true;
}

void CSlipExtractRules::Release()
{
    m_nExtractionSet = 0;
    m_strResult.clear();
}

namespace
{

QLineEdit* Edit(QWidget* parent, int maxLength)
{
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(maxLength);
    return edit;
}

} // namespace

CSlipExtractDlg::CSlipExtractDlg(const QString& header, bool extracted, QWidget* parent)
    : QDialog(parent), m_rules(header, extracted, UiServices::Clock().Today())
{
    setWindowTitle(QStringLiteral("抽出条件の設定"));
    auto* top = new QVBoxLayout(this);
    top->addWidget(
        new QLabel(QStringLiteral("抽出条件を指定してください。\n     ※指定したい箇所のみ入力します。\n"
                                  "        条件が何も指定されていない場合は全データを表示します。"),
                   this));
    auto* grid = new QGridLayout;
    top->addLayout(grid);
    int row = 0;
    m_pNumber = Edit(this, 20);
    grid->addWidget(new QLabel(QStringLiteral("伝票番号"), this), row, 0);
    grid->addWidget(m_pNumber, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("※完全一致で抽出します"), this), row++, 2);

    grid->addWidget(new QLabel(QStringLiteral("期間"), this), row, 0);
    m_pDatesOff = new QRadioButton(QStringLiteral("指定しない"), this);
    m_pDatesOn = new QRadioButton(QStringLiteral("指定する"), this);
    auto* dateGroup = new QButtonGroup(this);
    dateGroup->addButton(m_pDatesOff);
    dateGroup->addButton(m_pDatesOn);
    m_pDatesOff->setChecked(true);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_pDatesOff);
    modes->addWidget(m_pDatesOn);
    modes->addStretch();
    grid->addLayout(modes, row++, 1, 1, 2);
    auto picker = [this](const QDate& date) {
        auto* edit = new QDateEdit(date, this);
        edit->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));
        edit->setCalendarPopup(true);
        return edit;
    };
    m_pStart = picker(m_rules.m_dtStart);
    m_pEnd = picker(m_rules.m_dtEnd);
    m_pStartNone = new QCheckBox(QStringLiteral("指定しない"), this);
    m_pEndNone = new QCheckBox(QStringLiteral("指定しない"), this);
    auto* dates = new QHBoxLayout;
    dates->addWidget(m_pStart);
    dates->addWidget(m_pStartNone);
    dates->addWidget(new QLabel(QStringLiteral("～"), this));
    dates->addWidget(m_pEnd);
    dates->addWidget(m_pEndNone);
    grid->addLayout(dates, row++, 1, 1, 2);
    m_pDescending = new QCheckBox(QStringLiteral("日付を降順で並べ替える"), this);
    grid->addWidget(m_pDescending, row++, 1, 1, 2);

    m_pCode = Edit(this, 20);
    m_pCompany = Edit(this, 100);
    m_pSection = Edit(this, 100);
    m_pName = Edit(this, 50);
    const bool customers = header == u"Estimate_H" || header == u"Sales_H";
    grid->addWidget(new QLabel(customers ? QStringLiteral("得意先") : QStringLiteral("仕入先"), this), row++,
                    0);
    for (auto [label, edit] : {std::pair{u"コード", m_pCode}, std::pair{u"会社名", m_pCompany},
                               std::pair{u"部署名", m_pSection}, std::pair{u"名前", m_pName}}) {
        grid->addWidget(new QLabel(QString::fromUtf16(label), this), row, 0, Qt::AlignRight);
        grid->addWidget(edit, row++, 1);
    }
    grid->addWidget(
        new QLabel(
            QStringLiteral("※コードは完全一致で抽出します。\n※他の項目は部分一致するものを抽出します。"),
            this),
        row - 4, 2, 4, 1);

    m_pStatus = new QComboBox(this);
    const QStringList choices = SlipStatusChoices(header);
    m_pStatus->addItems(choices.isEmpty() ? QStringList{QString()} : choices);
    m_pStatus->setCurrentIndex(-1);
    grid->addWidget(new QLabel(QStringLiteral("伝票状況"), this), row, 0);
    grid->addWidget(m_pStatus, row++, 1);

    m_pItemCode = Edit(this, 100);
    m_pItemName = Edit(this, 255);
    grid->addWidget(new QLabel(QStringLiteral("品番"), this), row, 0);
    grid->addWidget(m_pItemCode, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("品名"), this), row, 0);
    grid->addWidget(m_pItemName, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("※品番は完全一致、品名は部分一致で抽出します。"), this),
                    row - 2, 2, 2, 1);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("抽出実行"), this);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_pRelease = new QPushButton(QStringLiteral("抽出解除"), this);
    auto* help = new QPushButton(QStringLiteral("？"), this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(m_pRelease);
    buttons->addStretch();
    buttons->addWidget(help);
    top->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &CSlipExtractDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pRelease, &QPushButton::clicked, this, &CSlipExtractDlg::OnRelease);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(5003); });
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(m_pDatesOff), static_cast<QAbstractButton*>(m_pDatesOn),
          static_cast<QAbstractButton*>(m_pStartNone), static_cast<QAbstractButton*>(m_pEndNone)})
        connect(b, &QAbstractButton::toggled, this, [this] { UpdateEnabled(); });
    for (QWidget* w :
         {static_cast<QWidget*>(m_pNumber), static_cast<QWidget*>(m_pCode),
          static_cast<QWidget*>(m_pItemCode), static_cast<QWidget*>(m_pStart), static_cast<QWidget*>(m_pEnd),
          static_cast<QWidget*>(m_pCompany), static_cast<QWidget*>(m_pSection),
          static_cast<QWidget*>(m_pName), static_cast<QWidget*>(m_pItemName)})
        w->installEventFilter(this);
    UpdateEnabled();
}

bool CSlipExtractDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // Codes, numbers and dates take Latin text; names Japanese.
        const bool japanese =
            watched == m_pCompany || watched == m_pSection || watched == m_pName || watched == m_pItemName;
        SetImeMode(japanese, static_cast<QWidget*>(watched));
    }
    return QDialog::eventFilter(watched, event);
}

void CSlipExtractDlg::TakeValues()
{
    m_rules.m_bDates = m_pDatesOn->isChecked();
    m_rules.m_bStartNone = m_pStartNone->isChecked();
    m_rules.m_bEndNone = m_pEndNone->isChecked();
    m_rules.m_dtStart = m_pStart->date();
    m_rules.m_dtEnd = m_pEnd->date();
    CSlipConditions& c = m_rules.m_conditions;
    c.number = m_pNumber->text();
    c.partnerCode = m_pCode->text();
    c.company = m_pCompany->text();
    c.section = m_pSection->text();
    c.name = m_pName->text();
    c.status = m_pStatus->isEnabled() ? m_pStatus->currentIndex() : -1;
    c.itemCode = m_pItemCode->text();
    c.itemName = m_pItemName->text();
    c.descending = m_pDescending->isChecked();
}

void CSlipExtractDlg::UpdateEnabled()
{
    TakeValues();
    const CSlipExtractRules::Enabled e = m_rules.GetEnabled();
    m_pStart->setEnabled(e.startPicker);
    m_pEnd->setEnabled(e.endPicker);
    m_pDescending->setEnabled(e.descending);
    m_pStartNone->setEnabled(e.startNone);
    m_pEndNone->setEnabled(e.endNone);
    m_pStatus->setEnabled(e.status);
    m_pRelease->setEnabled(e.release);
}

void CSlipExtractDlg::accept()
{
    TakeValues();
    QString message;
    if (!m_rules.Execute(message)) {
        UiServices::Prompt().MessageBox(message, MB_OK, MB_ICONEXCLAMATION);
        m_pStart->setFocus();
        return;
    }
    QDialog::accept();
}

void CSlipExtractDlg::OnRelease()
{
    m_rules.Release();
    QDialog::accept();
}
