#include "reports/TransferBankDlg.h"

#include "app/MainFrame.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Modal.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/ReadingEdit.h"
#include "platform/ui/UiServices.h"
#include "settings/dlg/DlgHelpers.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace
{

const QColor kBackground(222, 222, 222);

// Client rectangles as left, top, right and bottom edges.
QRect Edges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

CTransferBankDlg::CTransferBankDlg(CMakeMsgID& data, QWidget* parent) : QDialog(parent), m_rules(data)
{
    setWindowTitle(QStringLiteral("振込依頼銀行情報"));
    const QString gothic = QStringLiteral("ＭＳ ゴシック");
    MakeAppFont(m_font, &gothic, 14, 0, false, 0, false, false, false);
    setFont(m_font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(kClientWidth, kClientHeight);
    Build();
}

CTransferBankDlg::~CTransferBankDlg() = default;

void CTransferBankDlg::AddCell(int left, int top, int right, int bottom, const char* text, int align)
{
    CLabelCell cell;
    cell.m_rect = Edges(left, top, right, bottom);
    cell.m_strText = QString::fromUtf8(text);
    cell.m_pFont = &m_font;
    cell.m_nAlign = align;
    m_cells << cell;
}

void CTransferBankDlg::Build()
{
    // Captions of the account, rows 24 pixels apart.
    const char* const captions[] = {"銀行名",   "銀行コード", "支店名", "支店コード",
                                    "預金種別", "口座番号",   "名義",   "ﾌﾘｶﾞﾅ"};
    for (int i = 0; i < 8; ++i)
        AddCell(10, 10 + 24 * i, 110, 33 + 24 * i, captions[i]);
    AddCell(10, 208, 614, 231, "手数料一覧", CLabelCell::kCenter);
    AddCell(10, 232, 290, 255, "振込金額", CLabelCell::kCenter);
    const char* const relations[] = {"同行同支店", "同行他支店", "他支店電信", "他支店文書"};
    for (int j = 0; j < CTransferBankRules::kRelations; ++j)
        AddCell(291 + 81 * j, 232, 371 + 81 * j, 255, relations[j], CLabelCell::kCenter);
    AddCell(10, 256, 149, 279, "0円 ～");
    m_cells.last().m_crFill = MakeColorRef(255, 255, 255);
    m_cells.last().m_crLine = MakeColorRef(0, 0, 0);
    AddCell(92, 280, 149, 303, "円以上", CLabelCell::kCenter);
    AddCell(92, 304, 149, 327, "円以上", CLabelCell::kCenter);
    AddCell(231, 256, 290, 279, "円未満", CLabelCell::kCenter);
    AddCell(231, 280, 290, 303, "円未満", CLabelCell::kCenter);
    AddCell(150, 304, 290, 327, "～", CLabelCell::kLeft);
    m_cells.last().m_crFill = MakeColorRef(255, 255, 255);
    m_cells.last().m_crLine = MakeColorRef(0, 0, 0);

    // The account, in the order of the captions (created in tab order).
    struct TextField {
        int index, top, right, bytes;
        ImeField ime;
    };
    const TextField fields[] = {
        {kBank, 10, 391, 50, ImeField::Text},         {kBankCode, 34, 211, 10, ImeField::Code},
        {kBranch, 58, 391, 50, ImeField::Text},       {kBranchCode, 82, 211, 10, ImeField::Code},
        {kNumber, 130, 211, 10, ImeField::Code},      {kHolder, 154, 391, 100, ImeField::Text},
        {kReading, 178, 391, 100, ImeField::Reading},
    };
    for (const TextField& f : fields) {
        if (f.index == kNumber) {
            m_pAccountType = new QComboBox(this);
            m_pAccountType->addItems(
                {QStringLiteral("当座"), QStringLiteral("普通"), QStringLiteral("その他")});
            m_pAccountType->setGeometry(Edges(111, 106, 211, 129));
            SetImeMode(m_pAccountType, ImeField::Text);
        }
        QLineEdit* edit = f.index == kHolder ? (m_pHolder = new CReadingEdit(this)) : new QLineEdit(this);
        edit->setGeometry(Edges(111, f.top, f.right, f.top + 23));
        LimitTextBytes(edit, f.bytes);
        SetImeMode(edit, f.ime);
        m_texts[size_t(f.index)] = edit;
    }
    m_pHolder->SetPartner(m_texts[kReading]);

    // The fee table: bound 1, brackets 1 and 2, bound 2, bracket 3.
    auto numEdit = [this](const QRect& rect, int bytes) {
        auto* edit = new CNumEdit(this);
        edit->SetAllowMinus(false);
        edit->setGeometry(rect);
        edit->setAlignment(Qt::AlignRight);
        LimitTextBytes(edit, bytes);
        SetImeMode(edit, ImeField::Number);
        return edit;
    };
    auto feeEdits = [&](int bracket) {
        for (int j = 0; j < CTransferBankRules::kRelations; ++j) {
            const int top = 256 + 24 * bracket;
            m_feeEdits[size_t(bracket * CTransferBankRules::kRelations + j)] =
                numEdit(Edges(291 + 81 * j, top, 371 + 81 * j, top + 23), 5);
        }
    };
    m_pBound1 = numEdit(Edges(150, 256, 230, 279), 6);
    feeEdits(0);
    feeEdits(1);
    m_pBound2 = numEdit(Edges(150, 280, 230, 303), 6);
    feeEdits(2);
    for (QLineEdit** copy : {&m_pCopy1, &m_pCopy2}) {
        *copy = new QLineEdit(this);
        (*copy)->setReadOnly(true);
        (*copy)->setFocusPolicy(Qt::NoFocus);
        (*copy)->setAlignment(Qt::AlignRight);
        QPalette p = (*copy)->palette();
        p.setColor(QPalette::Base, kBackground);
        (*copy)->setPalette(p);
    }
    m_pCopy1->setGeometry(Edges(10, 280, 91, 303));
    m_pCopy2->setGeometry(Edges(10, 304, 91, 327));
    m_pBound1->installEventFilter(this);
    m_pBound2->installEventFilter(this);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    auto* help = new QPushButton(QStringLiteral("ヘルプ"), this);
    ok->setGeometry(Edges(304, 337, 394, 367));
    cancel->setGeometry(Edges(414, 337, 504, 367));
    help->setGeometry(Edges(524, 337, 614, 367));
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    help->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CTransferBankDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // No topic of its own: the contents.
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContents); });
}

int CTransferBankDlg::OnInitDialog()
{
    const int loaded = m_rules.Load();
    ShowValues();
    return loaded;
}

void CTransferBankDlg::ShowValues()
{
    const QString* texts[kTexts] = {&m_rules.m_strBank,       &m_rules.m_strBankCode,
                                    &m_rules.m_strBankBranch, &m_rules.m_strBankBranchCode,
                                    &m_rules.m_strBankNumber, &m_rules.m_strOnesName,
                                    &m_rules.m_strOnesPhoenic};
    for (int i = 0; i < kTexts; ++i)
        m_texts[size_t(i)]->setText(*texts[i]);
    m_pAccountType->setCurrentIndex(m_rules.m_nAccountType);
    m_pBound1->setText(m_rules.m_strBound1);
    for (int i = 0; i < CTransferBankRules::kFees; ++i)
        m_feeEdits[size_t(i)]->setText(m_rules.m_fees[size_t(i)]);
    ShowEnabling();
}

void CTransferBankDlg::ShowEnabling()
{
    m_pCopy1->setText(m_rules.m_strBound1);
    m_pBound2->setText(m_rules.m_strBound2);
    m_pCopy2->setText(m_rules.m_strBound2);
    m_pBound2->setEnabled(m_rules.m_bBound2Enabled);
    for (int i = 0; i < CTransferBankRules::kFees; ++i)
        m_feeEdits[size_t(i)]->setEnabled(m_rules.m_feeEnabled[size_t(i)]);
}

void CTransferBankDlg::ReadValues()
{
    QString* texts[kTexts] = {&m_rules.m_strBank,       &m_rules.m_strBankCode,
                              &m_rules.m_strBankBranch, &m_rules.m_strBankBranchCode,
                              &m_rules.m_strBankNumber, &m_rules.m_strOnesName,
                              &m_rules.m_strOnesPhoenic};
    for (int i = 0; i < kTexts; ++i)
        *texts[i] = m_texts[size_t(i)]->text();
    m_rules.m_nAccountType = m_pAccountType->currentIndex();
    m_rules.m_strBound1 = m_pBound1->text();
    m_rules.m_strBound2 = m_pBound2->text();
    for (int i = 0; i < CTransferBankRules::kFees; ++i)
        m_rules.m_fees[size_t(i)] = m_feeEdits[size_t(i)]->text();
}

void CTransferBankDlg::OnBound1Left()
{
    m_rules.m_strBound1 = m_pBound1->text();
    m_rules.m_strBound2 = m_pBound2->text();
    const bool next = m_rules.Bound1Left();
    ShowEnabling();
    if (next)
        m_feeEdits[0]->setFocus(Qt::OtherFocusReason);
}

void CTransferBankDlg::OnBound2Left()
{
    m_rules.m_strBound2 = m_pBound2->text();
    m_rules.Bound2Left();
    ShowEnabling();
}

void CTransferBankDlg::FocusField(int field)
{
    QLineEdit* edit = field == CTransferBankRules::kBound1              ? m_pBound1
                      : field == CTransferBankRules::kBound2            ? m_pBound2
                      : field >= 0 && field < CTransferBankRules::kFees ? m_feeEdits[size_t(field)]
                                                                        : nullptr;
    if (!edit)
        return;
    // A refused amount in a closed cell must still be reachable.
    edit->setEnabled(true);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void CTransferBankDlg::OnOK()
{
    ReadValues();
    int field = CTransferBankRules::kNone;
    const QString refusal = m_rules.Check(&field);
    if (!refusal.isEmpty()) {
        UiServices::Prompt().MessageBox(refusal, MB_OK, MB_ICONEXCLAMATION);
        FocusField(field);
        return;
    }
    if (m_rules.Save())
        accept();
}

bool CTransferBankDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // Leaving the window or opening a popup is no leaving of the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == m_pBound1)
                QMetaObject::invokeMethod(this, &CTransferBankDlg::OnBound1Left, Qt::QueuedConnection);
            else if (watched == m_pBound2)
                QMetaObject::invokeMethod(this, &CTransferBankDlg::OnBound2Left, Qt::QueuedConnection);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CTransferBankDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const CLabelCell& cell : m_cells)
        cell.Draw(&painter);
}

void OnTransferFeeCommand(CMainFrame& frame)
{
    CTransferBankDlg dialog(frame.GetMakeMsgID(), &frame);
    // Saving over an account that could not be read would leave two.
    if (!dialog.OnInitDialog())
        return;
    RunModal(dialog);
}
