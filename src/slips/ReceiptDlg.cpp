#include "slips/ReceiptDlg.h"

#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/MnyText.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/CodeListTool.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Modal.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/CounterInfo.h"
#include "settings/dlg/ComboDataBox.h"
#include "settings/dlg/CounterSetDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace
{

const QColor kBackground(222, 222, 222);
constexpr int kRowTop = 188;
constexpr int kRowStep = 24;
constexpr int kFieldHeight = 22;

QString TextOfAmount(const CMny& amount)
{
    return MnyToText(amount);
}

QString DateText(const QDate& date)
{
    return date.isValid() ? QStringLiteral("%1/%2/%3").arg(date.year()).arg(date.month()).arg(date.day())
                          : QString();
}

} // namespace

CReceiptDlg::CReceiptDlg(QWidget* parent, CMakeMsgID& data, int kind, int mode)
    : QDialog(parent), m_rules(data, kind, mode)
{
    setWindowTitle(kind == 0 ? QStringLiteral("入金処理") : QStringLiteral("出金処理"));
    MakeAppFont(m_font, nullptr, 0, 0, false, 0, false, false, false);
    const QString gothic = QStringLiteral("ＭＳ ゴシック");
    const QString pgothic = QStringLiteral("ＭＳ Ｐゴシック");
    MakeAppFont(m_font, &gothic, 14, 0, false, 0, false, false, false);
    MakeAppFont(m_buttonFont, &pgothic, 12, 0, false, 0, false, false, false);
    setFont(m_font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(kClientWidth, kClientHeight);
    m_opener = [](int k, const QString& text, long layout) {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->OpenSlipForm(k, text, layout) : 0;
    };
    Build();
}

CReceiptDlg::~CReceiptDlg() = default;

void CReceiptDlg::AddCell(int x, int y, int w, const QString& text)
{
    CLabelCell cell;
    cell.m_rect = QRect(x, y, w, kFieldHeight);
    cell.m_strText = text;
    cell.m_pFont = &m_font;
    cell.m_nAlign = CLabelCell::kCenter;
    m_cells << cell;
}

void CReceiptDlg::Build()
{
    const bool receipt = m_rules.GetKind() == 0;
    auto button = [this](const QString& text, int x, int w, void (CReceiptDlg::*slot)()) {
        auto* b = new QPushButton(text, this);
        b->setFont(m_buttonFont);
        b->setGeometry(x, 8, w, 28);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    button(QStringLiteral("登録"), 8, 64, &CReceiptDlg::OnRegister);
    button(QStringLiteral("領収証印刷..."), 76, 96, &CReceiptDlg::OnPrintReceipt);
    m_pReference = button(QStringLiteral("参照..."), 176, 64, &CReceiptDlg::OnReference);
    button(QStringLiteral("伝票番号設定..."), 244, 104, &CReceiptDlg::OnCounterSet);
    m_pSundry = button(QStringLiteral("諸口入力"), 352, 72, &CReceiptDlg::OnSundry);
    auto* help = new QPushButton(QStringLiteral("ヘルプ"), this);
    help->setFont(m_buttonFont);
    help->setGeometry(428, 8, 64, 28);
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpTopic); });
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setFont(m_buttonFont);
    close->setGeometry(522, 8, 64, 28);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &CReceiptDlg::reject);

    AddCell(8, 56, 120, receipt ? QStringLiteral("入金日") : QStringLiteral("出金日"));
    AddCell(136, 56, 120, receipt ? QStringLiteral("入金No") : QStringLiteral("出金No"));
    AddCell(264, 56, 180, QStringLiteral("自社担当者"));
    m_pDate = new QDateEdit(this);
    m_pDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_pDate->setCalendarPopup(true);
    m_pDate->setGeometry(8, 80, 120, kFieldHeight);
    m_pNo = new QLineEdit(this);
    m_pNo->setMaxLength(20);
    m_pNo->setGeometry(136, 80, 120, kFieldHeight);
    m_pStaff = new CComboDataBox(this);
    m_pStaff->setEditable(true);
    m_pStaff->Fill(0);
    m_pStaff->setGeometry(264, 80, 180, kFieldHeight);

    AddCell(8, 108, 120, receipt ? QStringLiteral("得意先コード") : QStringLiteral("仕入先コード"));
    AddCell(136, 108, 300, QStringLiteral("得意先名称"));
    if (receipt)
        AddCell(444, 108, 142, QStringLiteral("領収金額"));
    m_pCode = new QLineEdit(this);
    m_pCode->setMaxLength(20);
    m_pCode->setGeometry(8, 132, 120, kFieldHeight);
    m_pName = new QLineEdit(this);
    m_pName->setReadOnly(true);
    m_pName->setGeometry(136, 132, 300, kFieldHeight);
    m_pBill = new QLineEdit(this);
    m_pBill->setReadOnly(true);
    m_pBill->setAlignment(Qt::AlignRight);
    m_pBill->setGeometry(444, 132, 142, kFieldHeight);
    m_pBill->setVisible(receipt);
    m_pBill->setEnabled(receipt);

    AddCell(8, 164, 92, QStringLiteral("内訳"));
    AddCell(102, 164, 100, QStringLiteral("金額"));
    AddCell(204, 164, 170, QStringLiteral("摘要"));
    AddCell(376, 164, 100, QStringLiteral("手形番号"));
    AddCell(478, 164, 108, QStringLiteral("手形日付"));
    QStringList methods = CReceiptRules::Methods();
    methods << QStringLiteral(" ");
    for (int i = 0; i < CReceiptRules::kRows; ++i) {
        RowWidgets& r = m_rows[size_t(i)];
        const int y = kRowTop + i * kRowStep;
        r.method = new QComboBox(this);
        r.method->addItems(methods);
        r.method->setGeometry(8, y, 92, kFieldHeight);
        connect(r.method, &QComboBox::currentIndexChanged, this, [this, i] { OnMethodChanged(i); });
        r.amount = new CNumEdit(this);
        r.amount->setAlignment(Qt::AlignRight);
        r.amount->setGeometry(102, y, 100, kFieldHeight);
        r.amount->installEventFilter(this);
        r.contents = new CComboDataBox(this);
        r.contents->setEditable(true);
        r.contents->Fill(1);
        r.contents->setGeometry(204, y, 170, kFieldHeight);
        r.draftNo = new QLineEdit(this);
        r.draftNo->setMaxLength(10);
        r.draftNo->setGeometry(376, y, 100, kFieldHeight);
        r.draftDate = new QDateEdit(this);
        r.draftDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        r.draftDate->setGeometry(478, y, 108, kFieldHeight);
        SetImeMode(r.amount, ImeField::Number);
        SetImeMode(r.draftNo, ImeField::Code);
    }
    AddCell(8, 384, 92, QStringLiteral("合計金額"));
    m_pTotal = new QLineEdit(this);
    m_pTotal->setReadOnly(true);
    m_pTotal->setAlignment(Qt::AlignRight);
    m_pTotal->setGeometry(102, 384, 100, kFieldHeight);

    auto* caption = new QLabel(m_rules.GetMode() == 0
                                   ? QStringLiteral("請求履歴（どの請求に対する入金かチェックしてください）")
                                   : QStringLiteral("請求履歴"),
                               this);
    caption->setGeometry(8, 412, 578, 18);
    m_pHistory = new QTreeWidget(this);
    m_pHistory->setGeometry(8, 432, 578, 88);
    m_pHistory->setRootIsDecorated(false);
    m_pHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pHistory->setHeaderLabels(
        {QString(), receipt ? QStringLiteral("入金予定日") : QStringLiteral("支払予定日"),
         QStringLiteral("請求日"), receipt ? QStringLiteral("請求額") : QStringLiteral("支払額")});
    // A check column, then three equal columns in the width left beside
    // the vertical scroll bar.
    const int rest = 578 - 4 - 18 - 18; // frame, scroll bar, check column
    m_pHistory->setColumnWidth(0, 18 + 8);
    for (int c = 1; c <= 3; ++c)
        m_pHistory->setColumnWidth(c, (rest - 8) / 3);
    m_pHistory->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pHistory->headerItem()->setTextAlignment(3, Qt::AlignRight);
    connect(m_pHistory, &QTreeWidget::itemClicked, this, &CReceiptDlg::OnHistoryClicked);

    SetImeMode(m_pCode, ImeField::Code);
    SetImeMode(m_pNo, ImeField::Code);
    SetImeMode(m_pDate, ImeField::Number);
    SetImeMode(m_pStaff, ImeField::Text);
    SetImeMode(m_pName, ImeField::Text);
    m_pCode->installEventFilter(this);
}

void CReceiptDlg::ShowValues()
{
    m_bShowing = true;
    m_pDate->setDate(m_rules.m_date);
    m_pNo->setText(m_rules.m_strNo);
    m_pStaff->setCurrentText(m_rules.m_strMyPerson);
    m_pCode->setText(m_rules.m_strCode);
    m_pName->setText(m_rules.m_strName);
    const int mode = m_rules.GetMode();
    m_pCode->setReadOnly(mode == 1);
    m_pHistory->setEnabled(mode != 2);
    m_pReference->setEnabled(mode != 1);
    m_pSundry->setEnabled(mode != 1);
    for (int i = 0; i < CReceiptRules::kRows; ++i) {
        const CReceiptRow& row = m_rules.m_rows[size_t(i)];
        RowWidgets& r = m_rows[size_t(i)];
        r.method->setCurrentIndex(row.m_nMethod >= 0 ? row.m_nMethod : CReceiptRules::kRows);
        r.amount->setText(TextOfAmount(row.m_amount));
        r.contents->setCurrentText(row.m_strContents);
        r.draftNo->setText(row.m_strDraftNo);
        r.draftDate->setDate(row.m_dtDraft);
    }
    m_bShowing = false;
    ShowRows();
    ShowTotals();
    ShowHistory();
}

void CReceiptDlg::ShowRows()
{
    for (int i = 0; i < CReceiptRules::kRows; ++i) {
        RowWidgets& r = m_rows[size_t(i)];
        r.method->setEnabled(m_rules.IsMethodEnabled(i));
        r.amount->setEnabled(m_rules.IsAmountEnabled(i));
        r.contents->setEnabled(m_rules.IsAmountEnabled(i));
        r.draftNo->setEnabled(m_rules.IsDraftEnabled(i));
        r.draftDate->setEnabled(m_rules.IsDraftEnabled(i));
    }
}

void CReceiptDlg::ShowTotals()
{
    m_pTotal->setText(InsertThousandsSeparators(TextOfAmount(m_rules.m_total)));
    m_pBill->setText(InsertThousandsSeparators(TextOfAmount(m_rules.m_bill)));
}

void CReceiptDlg::ShowHistory()
{
    m_pHistory->clear();
    for (const CCloseHistoryItem& h : m_rules.m_history) {
        auto* item = new QTreeWidgetItem(m_pHistory);
        item->setCheckState(0, h.m_bTicked ? Qt::Checked : Qt::Unchecked);
        item->setText(1, DateText(h.m_dtCollect));
        item->setText(2, DateText(h.m_dtClose));
        item->setText(3, InsertThousandsSeparators(TextOfAmount(h.m_amount)));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (m_pHistory->topLevelItemCount() > 0) {
        m_pHistory->setCurrentItem(m_pHistory->topLevelItem(0));
        m_pHistory->scrollToItem(m_pHistory->topLevelItem(0));
    }
}

bool CReceiptDlg::ReadValues()
{
    m_rules.m_date = m_pDate->date();
    m_rules.m_strNo = m_pNo->text();
    m_rules.m_strMyPerson = m_pStaff->currentText();
    m_rules.m_strCode = m_pCode->text();
    for (int i = 0; i < CReceiptRules::kRows; ++i) {
        CReceiptRow& row = m_rules.m_rows[size_t(i)];
        RowWidgets& r = m_rows[size_t(i)];
        // An amount the rules refuse is not read as anything else: the
        // reason is shown and the field is to be corrected.
        if (r.amount->text() != TextOfAmount(row.m_amount) && !m_rules.SetAmountText(i, r.amount->text())) {
            FocusAmount(i);
            return false;
        }
        row.m_strContents = r.contents->currentText();
        row.m_strDraftNo = r.draftNo->text();
        row.m_dtDraft = r.draftDate->date();
    }
    m_rules.ComputeTotals();
    return true;
}

void CReceiptDlg::OnMethodChanged(int row)
{
    if (m_bShowing)
        return;
    const int index = m_rows[size_t(row)].method->currentIndex();
    m_rules.SetMethod(row, index < CReceiptRules::kRows ? index : -1);
    ShowRows();
    ShowTotals();
}

void CReceiptDlg::OnAmountLeft(int row)
{
    CReceiptRow& r = m_rules.m_rows[size_t(row)];
    const QString text = m_rows[size_t(row)].amount->text();
    if (text == TextOfAmount(r.m_amount))
        return;
    if (!m_rules.SetAmountText(row, text)) {
        FocusAmount(row);
        return;
    }
    ShowRows();
    ShowTotals();
}

void CReceiptDlg::FocusAmount(int row)
{
    CNumEdit* edit = m_rows[size_t(row)].amount;
    edit->setFocus();
    edit->selectAll();
}

void CReceiptDlg::OnHistoryClicked(QTreeWidgetItem* item, int column)
{
    if (column != 0 || !item)
        return;
    m_rules.Tick(m_pHistory->indexOfTopLevelItem(item));
    // The list shows the rules' ticks, whatever the click did to the box.
    for (int i = 0; i < m_pHistory->topLevelItemCount(); ++i)
        m_pHistory->topLevelItem(i)->setCheckState(0, m_rules.m_history[size_t(i)].m_bTicked ? Qt::Checked
                                                                                             : Qt::Unchecked);
    m_pName->setText(m_rules.m_strName);
}

void CReceiptDlg::OnPartnerCodeLeft()
{
    const QString code = m_pCode->text();
    if (code.isEmpty() || m_rules.GetMode() == 1)
        return;
    if (m_rules.GetMode() == 2 && code == m_rules.m_strShownCode && !m_rules.m_bPartnerChanged)
        return;
    if (m_rules.GetMode() == 0 && code == m_rules.m_strShownCode && !m_rules.m_bPartnerChanged)
        return;
    m_rules.m_strCode = code;
    const bool found = m_rules.LookupPartner();
    m_pCode->setText(m_rules.m_strCode);
    m_pName->setText(m_rules.m_strName);
    m_pStaff->setCurrentText(m_rules.m_strMyPerson);
    ShowHistory();
    if (!found && m_rules.m_strCode.isEmpty())
        m_pCode->setFocus();
}

void CReceiptDlg::OnSundry()
{
    m_pCode->setText(CReceiptRules::SundryCode());
    m_rules.m_bPartnerChanged = true;
    OnPartnerCodeLeft();
}

void CReceiptDlg::OnCodeChosen(int wParam, const QString& code)
{
    if (wParam != 1 && wParam != 2)
        return;
    if (code != m_pCode->text())
        m_rules.m_bPartnerChanged = true;
    m_pCode->setText(code);
    OnPartnerCodeLeft();
    // The list window had the focus: the dialog takes it back.
    activateWindow();
    m_pName->setFocus();
}

void CReceiptDlg::OnReference()
{
    CodeListTool().Start(this, m_rules.GetKind() == 0 ? QStringLiteral(" /C") : QStringLiteral(" /S"),
                         [this](int wParam, const QString& code) { OnCodeChosen(wParam, code); });
}

void CReceiptDlg::OnCounterSet()
{
    const int kind = m_rules.GetKind() == 0 ? COUNTER_RECEIPT : COUNTER_PAYMENT;
    CCounterSetDlg dialog(kind, this, &m_rules.Data());
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    m_rules.ProposeNumber();
    m_pNo->setText(m_rules.m_strNo);
}

void CReceiptDlg::Focus(CReceiptRules::Field field)
{
    switch (field) {
    case CReceiptRules::kCode:
        m_pCode->setFocus();
        break;
    case CReceiptRules::kNo:
        m_pNo->setFocus();
        break;
    case CReceiptRules::kMethod1:
        m_rows[0].method->setFocus();
        break;
    case CReceiptRules::kAmount:
        FocusAmount(std::max(m_rules.FilledRows() - 1, 0));
        break;
    default:
        break;
    }
}

void CReceiptDlg::OnRegister()
{
    if (!ReadValues())
        return;
    const CReceiptRules::Field field = m_rules.Validate();
    if (field != CReceiptRules::kNone) {
        Focus(field);
        return;
    }
    if (m_rules.Save() != CReceiptRules::kSaved)
        return;
    if (m_rules.GetMode() != 0) {
        done(QDialog::Accepted);
        return;
    }
    ShowValues();
    m_pCode->setFocus();
}

void CReceiptDlg::OnPrintReceipt()
{
    if (!ReadValues())
        return;
    m_rules.PrintVoucher(m_opener);
}

void CReceiptDlg::accept()
{
    // Enter does nothing here; 登録 saves.
}

void CReceiptDlg::reject()
{
    // A refused amount keeps the dialog open, as a failed exchange does.
    if (!ReadValues())
        return;
    if (m_rules.Close() == CReceiptRules::kClose) {
        QDialog::reject();
        return;
    }
    ShowValues();
}

void CReceiptDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CReceiptDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_pCode)
            OnPartnerCodeLeft();
        // A message box taking the focus from the window would have the
        // amount checked twice.
        if (IsFieldLeft(event))
            for (int i = 0; i < CReceiptRules::kRows; ++i)
                if (watched == m_rows[size_t(i)].amount)
                    OnAmountLeft(i);
    }
    return QDialog::eventFilter(watched, event);
}

void CReceiptDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const CLabelCell& cell : m_cells)
        cell.Draw(&painter);
}

void RunReceiptEntry(CMainFrame& frame, int kind)
{
    CReceiptDlg dialog(&frame, frame.GetMakeMsgID(), kind, 0);
    dialog.Rules().Init();
    dialog.ShowValues();
    RunModal(dialog);
    // New receipts and payments change the calendar's marks.
    if (frame.ReloadCalendar())
        ResetMenuCalendar(frame.GetActiveView());
}
