#include "slips/StockChangeDlg.h"

#include "app/MainFrame.h"
#include "platform/ui/CodeListTool.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Modal.h"
#include "platform/ui/NumEdit.h"
#include "settings/CounterInfo.h"
#include "settings/dlg/CounterSetDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

CStockChangeDlg::CStockChangeDlg(int mode, CMakeMsgID& data, QWidget* parent)
    : QDialog(parent), m_rules(data, mode)
{
    setWindowTitle(QStringLiteral("入出庫入力"));
    const QString gothic = QStringLiteral("ＭＳ ゴシック");
    MakeAppFont(m_font, &gothic, 14, 0, false, 0, false, false, false);
    setFont(m_font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(222, 222, 222));
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(kWidth, kHeight);
    QFont buttonFont;
    const QString pgothic = QStringLiteral("ＭＳ Ｐゴシック");
    MakeAppFont(buttonFont, &pgothic, 12, 0, false, 0, false, false, false);

    const char* captions[] = {"日付", "伝票番号", "処理", "品番", "品名", "数量", "摘要"};
    for (int i = 0; i < 7; ++i) {
        CLabelCell cell;
        cell.m_rect = QRect(10, 50 + 24 * i, 120, 23);
        cell.m_strText = QString::fromUtf8(captions[i]);
        cell.m_pFont = &m_font;
        m_cells << cell;
    }
    auto line = [](int i) { return 50 + 24 * i; };
    m_pDate = new QDateEdit(this);
    m_pDate->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));
    m_pDate->setCalendarPopup(true);
    m_pDate->setGeometry(130, line(0), 150, 23);
    m_pNo = new QLineEdit(this);
    m_pNo->setMaxLength(20);
    m_pNo->setGeometry(130, line(1), 150, 23);
    m_pType = new QComboBox(this);
    m_pType->addItems({QStringLiteral("出庫"), QStringLiteral("入庫")});
    m_pType->setGeometry(130, line(2), 150, 23);
    m_pCode = new QLineEdit(this);
    m_pCode->setMaxLength(100);
    m_pCode->setGeometry(130, line(3), 300, 23);
    m_pCode->setReadOnly(mode == 1);
    m_pCode->installEventFilter(this);
    m_pName = new QLineEdit(this);
    m_pName->setReadOnly(true);
    m_pName->setGeometry(130, line(4), 300, 23);
    m_pQuantity = new CNumEdit(this);
    m_pQuantity->setMaxLength(13);
    m_pQuantity->setGeometry(130, line(5), 150, 23);
    m_pQuantity->installEventFilter(this);
    m_pMemo = new QLineEdit(this);
    m_pMemo->setMaxLength(50);
    m_pMemo->setGeometry(130, line(6), 300, 23);
    SetImeMode(m_pNo, ImeField::Code);
    SetImeMode(m_pCode, ImeField::Code);
    SetImeMode(m_pQuantity, ImeField::Number);
    SetImeMode(m_pDate, ImeField::Number);
    SetImeMode(m_pMemo, ImeField::Text);

    auto* ok = new QPushButton(mode == 0 ? QStringLiteral("登録") : QStringLiteral("修正"), this);
    ok->setFont(buttonFont);
    ok->setGeometry(10, 10, 80, 30);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CStockChangeDlg::accept);
    auto* reference = new QPushButton(QStringLiteral("参照..."), this);
    reference->setFont(buttonFont);
    reference->setGeometry(210, 10, 80, 30);
    reference->setAutoDefault(false);
    connect(reference, &QPushButton::clicked, this, &CStockChangeDlg::OnReference);
    auto* counter = new QPushButton(QStringLiteral("伝票番号設定..."), this);
    counter->setFont(buttonFont);
    counter->setGeometry(290, 10, 80, 30);
    counter->setAutoDefault(false);
    connect(counter, &QPushButton::clicked, this, &CStockChangeDlg::OnCounterSet);
    auto* close = new QPushButton(QStringLiteral("とじる"), this);
    close->setFont(buttonFont);
    close->setGeometry(kWidth - 90, 10, 80, 30);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &CStockChangeDlg::reject);
}

void CStockChangeDlg::ShowValues()
{
    m_pDate->setDate(m_rules.m_date);
    m_pNo->setText(m_rules.m_strNo);
    m_pType->setCurrentIndex(m_rules.m_nType);
    m_pCode->setText(m_rules.m_strCode);
    m_pName->setText(m_rules.m_strName);
    m_pQuantity->setText(m_rules.m_strQuantity);
    m_pMemo->setText(m_rules.m_strMemo);
}

void CStockChangeDlg::ReadValues()
{
    m_rules.m_date = m_pDate->date();
    m_rules.m_strNo = m_pNo->text();
    m_rules.m_nType = m_pType->currentIndex();
    m_rules.m_strCode = m_pCode->text();
    m_rules.m_strQuantity = m_pQuantity->text();
    m_rules.m_strMemo = m_pMemo->text();
}

void CStockChangeDlg::Focus(CStockChangeRules::Field field)
{
    switch (field) {
    case CStockChangeRules::kDate:
        m_pDate->setFocus();
        break;
    case CStockChangeRules::kCode:
        m_pCode->setFocus();
        break;
    case CStockChangeRules::kQuantity:
        m_pQuantity->setFocus();
        break;
    case CStockChangeRules::kType:
        m_pType->setFocus();
        break;
    default:
        break;
    }
}

void CStockChangeDlg::OnItemCodeLeft()
{
    m_rules.m_strCode = m_pCode->text();
    if (m_rules.m_strCode.isEmpty())
        return;
    const CStockChangeRules::Field field = m_rules.LookupItem();
    m_pName->setText(m_rules.m_strName);
    if (field != CStockChangeRules::kNone)
        m_pCode->setFocus();
}

void CStockChangeDlg::OnCodeChosen(int wParam, const QString& code)
{
    if (wParam != 0)
        return;
    m_pCode->setText(code);
    OnItemCodeLeft();
    // The list window had the focus: the dialog takes it back.
    activateWindow();
    m_pQuantity->setFocus();
}

void CStockChangeDlg::OnReference()
{
    CodeListTool().Start(this, QStringLiteral(" /G"),
                         [this](int wParam, const QString& code) { OnCodeChosen(wParam, code); });
}

void CStockChangeDlg::OnCounterSet()
{
    CCounterSetDlg dialog(COUNTER_STOCK, this, &m_rules.Data());
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    m_rules.ProposeNumber();
    m_pNo->setText(m_rules.m_strNo);
}

void CStockChangeDlg::accept()
{
    ReadValues();
    switch (m_rules.OnOK()) {
    case CStockChangeRules::kCloseOk:
        QDialog::accept();
        return;
    case CStockChangeRules::kNext:
        ShowValues();
        m_pCode->setFocus();
        return;
    default:
        Focus(m_rules.FocusAfterFailure());
        return;
    }
}

void CStockChangeDlg::reject()
{
    ReadValues();
    switch (m_rules.OnCancel()) {
    case CStockChangeRules::kCloseOk:
        QDialog::accept();
        return;
    case CStockChangeRules::kCloseCancel:
        QDialog::reject();
        return;
    default:
        Focus(m_rules.FocusAfterFailure());
        return;
    }
}

void CStockChangeDlg::OnQuantityLeft()
{
    m_rules.m_strQuantity = m_pQuantity->text();
    if (m_rules.CheckQuantity() != CStockChangeRules::kNone) {
        m_pQuantity->setFocus();
        m_pQuantity->selectAll();
    }
}

bool CStockChangeDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pCode && event->type() == QEvent::FocusOut)
        OnItemCodeLeft();
    // A message box taking the focus from the window would have the
    // quantity checked twice.
    if (watched == m_pQuantity && IsFieldLeft(event))
        OnQuantityLeft();
    return QDialog::eventFilter(watched, event);
}

void CStockChangeDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const CLabelCell& cell : m_cells)
        cell.Draw(&painter);
}

void RunStockChangeEntry(CMainFrame& frame)
{
    CStockChangeDlg dialog(0, frame.GetMakeMsgID(), &frame);
    dialog.Rules().Init();
    dialog.ShowValues();
    RunModal(dialog);
}
