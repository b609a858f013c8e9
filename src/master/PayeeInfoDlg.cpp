#include "master/PayeeInfoDlg.h"

#include "platform/ui/Fonts.h"
#include "platform/ui/Ime.h"
#include "platform/ui/ReadingEdit.h"
#include "settings/dlg/DlgHelpers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace
{

constexpr int kWidth = 350;
constexpr int kHeight = 380;

void Select(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace

CPayeeInfoDlg::CPayeeInfoDlg(const CPartnerValues& values, QWidget* parent)
    : QDialog(parent), m_values(values)
{
    setWindowTitle(QStringLiteral("振込先情報"));
    m_font = MakeFont(QStringLiteral("ＭＳ ゴシック"), 14);
    setFont(m_font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(222, 222, 222));
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(kWidth, kHeight);
    m_rules.FromValues(values);

    auto* top = new QLabel(QStringLiteral("振込依頼書に印刷する場合は登録してください。"), this);
    top->setGeometry(10, 10, 420, 23);
    top->setFont(m_font);

    const QStringList captions{
        QStringLiteral("銀行名"),         QStringLiteral("銀行コード"), QStringLiteral("支店名"),
        QStringLiteral("支店コード"),     QStringLiteral("預金種別"),   QStringLiteral("口座番号"),
        QStringLiteral("名義"),           QStringLiteral("ﾌﾘｶﾞﾅ"),      QStringLiteral("振込手数料"),
        QStringLiteral("自社利用銀行と"), QStringLiteral("振込区分")};
    for (int i = 0; i < captions.size(); ++i) {
        CLabelCell cell;
        cell.m_rect = QRect(10, 40 + 24 * i, 110, 23);
        cell.m_strText = captions[i];
        cell.m_pFont = &m_font;
        m_cells << cell;
    }
    const QList<SPartnerText>& texts = PartnerBankTexts();
    // Rows of the table: bank, code, branch, branch code, (type), number, holder, reading.
    const int rows[7] = {0, 1, 2, 3, 5, 6, 7};
    for (int i = 0; i < 7; ++i) {
        QLineEdit* edit = i == 5 ? new CReadingEdit(this) : new QLineEdit(this);
        edit->setGeometry(120, 40 + 24 * rows[i], 210, 23);
        edit->setFont(m_font);
        LimitTextBytes(edit, texts[i].limit);
        RefuseOverLongInput(edit, captions[rows[i]]);
        const bool kana = i == 0 || i == 2 || i == 5;
        SetImeMode(edit, kana ? ImeField::Text : i == 6 ? ImeField::Reading : ImeField::Code);
        edit->setText(m_values.*texts[i].member);
        m_edits[i] = edit;
    }
    static_cast<CReadingEdit*>(m_edits[5])->SetPartner(m_edits[6]);
    const auto list = [this](const QStringList& entries, int row, int index) {
        auto* box = new QComboBox(this);
        box->addItems(entries);
        box->setGeometry(120, 40 + 24 * row, 210, 23);
        box->setFont(m_font);
        Select(box, index);
        return box;
    };
    m_pAccountType = list(CPayeeRules::AccountTypes(), 4, m_rules.m_nAccountType);
    m_pFee = list(CPayeeRules::FeeEntries(), 8, m_rules.m_nFee);
    m_pBankType = list(CPayeeRules::BankTypes(), 9, m_rules.m_nBankType);
    m_pPaymentType = list(CPayeeRules::PaymentTypes(), 10, m_rules.m_nPaymentType);
    setTabOrder(m_edits[3], m_pAccountType);
    setTabOrder(m_pAccountType, m_edits[4]);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(kWidth - 170, kHeight - 40, 80, 30);
    ok->setDefault(true);
    auto* cancel = MakeButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setGeometry(kWidth - 90, kHeight - 40, 80, 30);
    connect(ok, &QPushButton::clicked, this, &CPayeeInfoDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CPayeeInfoDlg::reject);
}

void CPayeeInfoDlg::Take()
{
    const QList<SPartnerText>& texts = PartnerBankTexts();
    for (int i = 0; i < 7; ++i)
        m_values.*texts[i].member = m_edits[i]->text();
    m_rules.m_nAccountType = m_pAccountType->currentIndex();
    m_rules.m_nFee = m_pFee->currentIndex();
    m_rules.m_nBankType = m_pBankType->currentIndex();
    m_rules.m_nPaymentType = m_pPaymentType->currentIndex();
}

void CPayeeInfoDlg::accept()
{
    Take();
    if (!m_rules.CheckOk())
        return;
    Select(m_pPaymentType, m_rules.m_nPaymentType);
    QDialog::accept();
}

void CPayeeInfoDlg::TakeValues(CPartnerValues& values) const
{
    const QList<SPartnerText>& texts = PartnerBankTexts();
    for (int i = 0; i < 7; ++i)
        values.*texts[i].member = m_values.*texts[i].member;
    m_rules.ToValues(values);
}

void CPayeeInfoDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const CLabelCell& cell : m_cells)
        cell.Draw(&painter);
}
