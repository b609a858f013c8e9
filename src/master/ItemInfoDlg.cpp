#include "master/ItemInfoDlg.h"

#include "platform/ui/Fonts.h"
#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Modal.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/ReadingEdit.h"
#include "platform/ui/TextLimit.h"
#include "platform/ui/UiServices.h"
#include "settings/BunruiData.h"
#include "settings/dlg/BunruiComboBox.h"
#include "settings/dlg/BunruiNameDlg.h"
#include "settings/dlg/ComboDataBox.h"
#include "settings/dlg/DlgHelpers.h"
#include "settings/dlg/NameListDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace
{

constexpr int kClientWidth = 605;
constexpr int kClientHeight = 412;
const QColor kGrey(222, 222, 222);

// The caption cells in painting order; the stock and supplier cells have no
// rectangle and are not drawn. Classification cells take their titles later.
struct CellDef {
    const char16_t* text;
    int l, t, r, b;
};
constexpr CellDef kCells[22] = {
    {u"商品区分", 10, 50, 130, 73}, {u"品番(入力コード)", 10, 74, 130, 97},
    {u"品名", 10, 98, 130, 121},    {u"JANコード", 10, 122, 130, 145},
    {u"単位", 10, 146, 130, 169},   {u"売価課税区分", 10, 176, 130, 199},
    {u"売価", 10, 200, 130, 223},   {u"原価課税区分", 10, 224, 130, 247},
    {u"原価", 10, 248, 130, 271},   {u"在庫管理", 0, 0, 0, 0},
    {u"繰越在庫数", 0, 0, 0, 0},    {u"適正在庫数", 0, 0, 0, 0},
    {u"登録日", 350, 50, 430, 73},  {u"更新日", 350, 74, 430, 97},
    {u"主な仕入先", 0, 0, 0, 0},    {u"統一伝票用売価", 300, 176, 420, 199},
    {nullptr, 300, 200, 420, 223},  {nullptr, 300, 224, 420, 247},
    {nullptr, 300, 248, 420, 271},  {nullptr, 300, 272, 420, 295},
    {nullptr, 300, 296, 420, 319},  {u"備考", 300, 320, 420, 343},
};
constexpr int kFirstClassCell = 16;

QComboBox* MakeList(const QStringList& items, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->addItems(items);
    return box;
}

} // namespace

CItemInfoDlg::CItemInfoDlg(QWidget* parent) : QDialog(parent)
{
    Build();
}

CItemInfoDlg::CItemInfoDlg(IMasterStoreHost& host, QWidget* parent) : QDialog(parent), m_rules(host)
{
    Build();
}

CItemInfoDlg::~CItemInfoDlg() = default;

void CItemInfoDlg::Build()
{
    setWindowTitle(QStringLiteral("商品情報"));
    m_font = MakeFont(QStringLiteral("ＭＳ ゴシック"), 14);
    for (int i = 0; i < 5; ++i)
        m_strTitles[size_t(i)] = GetDefaultBunruiTitle(i);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kGrey);
    setPalette(grey);
    setAutoFillBackground(true);

    m_pItemType = MakeList(
        {QStringLiteral("商品"), QStringLiteral("値引"), QStringLiteral("その他（経費など）")}, this);
    m_pCode = new QLineEdit(this);
    m_pName = new CReadingEdit(this);
    m_pPhoenic = new QLineEdit(this);
    m_pJan = new QLineEdit(this);
    m_pUnit = new CComboDataBox(this);
    m_pUnitList = new QPushButton(QStringLiteral("..."), this);
    const QStringList tax{QStringLiteral("外税"), QStringLiteral("内税"), QStringLiteral("非課税")};
    m_pTaxFlg = MakeList(tax, this);
    m_pPrice = new CNumEdit(this);
    m_pTaxFlg2 = MakeList(tax, this);
    m_pCost = new CNumEdit(this);
    m_pStart = new QLineEdit(this);
    m_pUpdate = new QLineEdit(this);
    m_pFixPrice = new CNumEdit(this);
    for (int i = 0; i < 5; ++i) {
        m_pClass[size_t(i)] = new CBunruiComboBox(this);
        m_pRename[size_t(i)] = new QPushButton(QStringLiteral("編"), this);
        connect(m_pRename[size_t(i)], &QPushButton::clicked, this, [this, i] { OnRenameClass(i); });
    }
    m_pRemarks = new QPlainTextEdit(this);
    m_pRemarks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pRemarks->setTabChangesFocus(true);
    m_pHint = new QPlainTextEdit(this);
    m_pHint->setReadOnly(true);
    m_pHint->setFocusPolicy(Qt::NoFocus);
    m_pSave = new QPushButton(QStringLiteral("登録"), this);
    m_pPrev = new QPushButton(QStringLiteral("<< 前へ"), this);
    m_pNext = new QPushButton(QStringLiteral("次へ >>"), this);
    m_pHelp = new QPushButton(QStringLiteral("ヘルプ"), this);
    m_pClose = new QPushButton(QStringLiteral("閉じる"), this);
    m_pSave->setDefault(true);
    for (QPushButton* b : {m_pUnitList, m_pPrev, m_pNext, m_pHelp, m_pClose})
        b->setAutoDefault(false);
    m_pStart->setReadOnly(true);
    m_pUpdate->setReadOnly(true);

    LimitTextBytes(m_pCode, 100);
    LimitTextBytes(m_pName, 255);
    LimitTextBytes(m_pPhoenic, 255);
    LimitTextBytes(m_pJan, 20);
    if (m_pUnit->lineEdit())
        LimitTextBytes(m_pUnit->lineEdit(), 20);
    for (CBunruiComboBox* box : m_pClass)
        if (box->lineEdit())
            LimitTextBytes(box->lineEdit(), 100);
    // The remarks keep 50 bytes: what goes beyond is not taken.
    LimitPlainTextBytes(m_pRemarks, 50, false);
    for (const auto& [field, caption] : {std::pair<QWidget*, QString>{m_pCode, QStringLiteral("品番")},
                                         {m_pName, QStringLiteral("品名")},
                                         {m_pPhoenic, QStringLiteral("フリガナ")},
                                         {m_pJan, QStringLiteral("JANコード")},
                                         {m_pUnit, QStringLiteral("単位")},
                                         {m_pRemarks, QStringLiteral("備考")}})
        RefuseOverLongInput(field, caption);
    {
        CBunruiData titles;
        for (int i = 0; i < 5; ++i)
            RefuseOverLongInput(m_pClass[size_t(i)], titles.GetTitle(0, i));
    }

    SetImeMode(m_pCode, ImeField::Code);
    SetImeMode(m_pName, ImeField::Text);
    SetImeMode(m_pPhoenic, ImeField::Reading);
    SetImeMode(m_pJan, ImeField::Code);
    SetImeMode(m_pUnit, ImeField::Text);
    for (QWidget* w : {static_cast<QWidget*>(m_pPrice), static_cast<QWidget*>(m_pCost),
                       static_cast<QWidget*>(m_pFixPrice)})
        SetImeMode(w, ImeField::Number);
    for (CBunruiComboBox* box : m_pClass)
        SetImeMode(box, ImeField::Text);
    SetImeMode(m_pRemarks, ImeField::Text);
    m_pName->SetPartner(m_pPhoenic);

    const QString classHint =
        QStringLiteral("集計及びデータ表示の分類の内容を設定してください。新しく入力した分類内容は自動的にリ"
                       "ストに追加されます。分類ジャンルの名前変更もできます。");
    const QString taxHint =
        QStringLiteral("単価の課税区分を設定します。伝票作成時には税転嫁方法に合わせて課税します。\r\n課税区"
                       "分が「外税」で税転嫁方法「内税」の場合は、自動的に内税額に変更します。\r\n"
                       "課税区分が「内税」で税転嫁方法「請求時」「納品ごと」「明細ごと」「しない」の場合は、"
                       "自動的に外税額に変更します。\r\n"
                       "非課税で登録した場合、伝票上で課税はしません。\r\n※集計資料は税抜で計算します。");
    m_hints = {
        {m_pItemType,
         QStringLiteral(
             "商品タイプは、売上集計資料で売上の計算で使用します。\r\n商品にした場合は売上額に含めます。\r\n"
             "値引にした場合は値引額として集計し、売上額＋値引額＝純売上とします。\r\nその他（経費）は売上額"
             "に含めません。\r\n"
             "「値引」「その他（経費）」は得意先ごとの掛率対象外です。")},
        {m_pCode, QStringLiteral("伝票でのコード入力、また集計資料の集計用コードになります。")},
        {m_pName, QStringLiteral("品名を入力してください。")},
        {m_pPhoenic, QStringLiteral("フリガナを入力してください。")},
        {m_pJan, QStringLiteral("JANコードを入力してください。")},
        {m_pCost, QStringLiteral("仕入値（原価）を入力してください。商品区分が「値引」「その他（経費）」の場"
                                 "合には、原価を設定しても粗利益計算には反映されません。")},
        {m_pPrice,
         QStringLiteral("販売価格を入力してください。値引を登録する場合はマイナス金額で入力してください。")},
        {m_pRemarks, QStringLiteral("備考を入力します。販売仕入条件の設定で「備考欄に反映する」と設定した場合"
                                    "、伝票の備考欄に入力したデータが自動的に表示されます。")},
        {m_pUnit, QStringLiteral("単位を入力してください。リストから選択もできます。新しく入力した単位は自動"
                                 "的にリストに追加されます。")},
        {m_pTaxFlg, taxHint},
        {m_pTaxFlg2,
         QStringLiteral("原単価の課税区分を設定します。\r\n※粗利益、集計資料は税抜で計算します。")},
        {m_pFixPrice, QStringLiteral("統一伝票用売価を入力してください。")},
        {m_pPrev, QStringLiteral("前のデータを表示します")},
        {m_pNext, QStringLiteral("次のデータを表示します")},
        {m_pHelp, QStringLiteral("ヘルプを表示します")},
        {m_pSave, QStringLiteral("変更を保存します")},
        {m_pClose, QStringLiteral("変更を保存せずに画面を終了します")},
        {m_pStart, QString()},
        {m_pUpdate, QString()},
        {m_pUnitList, QString()},
    };
    for (int i = 0; i < 5; ++i) {
        m_hints.insert(m_pClass[size_t(i)], classHint);
        m_hints.insert(m_pRename[size_t(i)],
                       QStringLiteral("集計及びデータ表示の分類ジャンルの名称を設定します。"));
    }
    for (auto it = m_hints.cbegin(); it != m_hints.cend(); ++it) {
        it.key()->installEventFilter(this);
        if (auto* combo = qobject_cast<QComboBox*>(it.key()); combo && combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
    }

    connect(m_pUnitList, &QPushButton::clicked, this, &CItemInfoDlg::OnUnitList);
    connect(m_pSave, &QPushButton::clicked, this, [this] { Save(true); });
    connect(m_pPrev, &QPushButton::clicked, this, [this] { ShowNeighbour(0); });
    connect(m_pNext, &QPushButton::clicked, this, [this] { ShowNeighbour(1); });
    connect(m_pHelp, &QPushButton::clicked, this, [] { UiServices::Help().ShowTopic(1601); });
    connect(m_pClose, &QPushButton::clicked, this, &CItemInfoDlg::reject);

    SetCaptions();
    Layout();
    ClearFields(true);
    ApplyMode();
}

QComboBox* CItemInfoDlg::UnitBox() const
{
    return m_pUnit;
}

void CItemInfoDlg::SetCaptions()
{
    CBunruiData classes;
    for (int i = 0; i < 5; ++i) {
        if (CBunruiDataElem* elem = classes.Find(0, i); elem && !elem->m_strTitle.isEmpty())
            m_strTitles[size_t(i)] = elem->m_strTitle;
    }
    for (int i = 0; i < 22; ++i) {
        CLabelCell& cell = m_cells[size_t(i)];
        const CellDef& def = kCells[i];
        cell.m_rect = def.r > def.l ? QRect(QPoint(def.l, def.t), QPoint(def.r - 1, def.b - 1)) : QRect();
        cell.m_strText = def.text ? QString::fromUtf16(def.text) : m_strTitles[size_t(i - kFirstClassCell)];
        cell.m_pFont = &m_font;
    }
}

void CItemInfoDlg::Layout()
{
    setFixedSize(kClientWidth, kClientHeight);
    auto place = [](QWidget* w, int x, int y, int width, int height) { w->setGeometry(x, y, width, height); };
    // Lists are placed at their closed height.
    place(m_pItemType, 130, 50, 200, 23);
    place(m_pCode, 130, 74, 200, 23);
    place(m_pName, 130, 98, 200, 23);
    place(m_pPhoenic, 330, 98, 200, 23);
    place(m_pJan, 130, 122, 200, 23);
    place(m_pUnit, 130, 146, 127, 23);
    place(m_pUnitList, 257, 146, 23, 23);
    place(m_pTaxFlg, 130, 176, 150, 23);
    place(m_pPrice, 130, 200, 150, 23);
    place(m_pTaxFlg2, 130, 224, 150, 23);
    place(m_pCost, 130, 248, 150, 23);
    place(m_pStart, 430, 50, 150, 23);
    place(m_pUpdate, 430, 74, 150, 23);
    place(m_pFixPrice, 420, 176, 150, 23);
    for (int i = 0; i < 5; ++i) {
        place(m_pClass[size_t(i)], 420, 200 + 24 * i, 150, 23);
        place(m_pRename[size_t(i)], 570, 200 + 24 * i, 23, 23);
    }
    place(m_pRemarks, 420, 320, 173, 23);
    place(m_pHint, 10, 356, kClientWidth - 20, 46);
    place(m_pSave, 10, 10, 80, 30);
    place(m_pPrev, 110, 10, 80, 30);
    place(m_pNext, 190, 10, 80, 30);
    place(m_pHelp, kClientWidth - 170, 10, 80, 30);
    place(m_pClose, kClientWidth - 90, 10, 80, 30);

    m_pUnit->Fill(2, 1);
    for (int i = 0; i < 5; ++i)
        m_pClass[size_t(i)]->Fill(0, i);
    for (QWidget* w : findChildren<QWidget*>())
        w->setFont(m_font);
    QPalette hint = m_pHint->palette();
    hint.setColor(QPalette::Base, kGrey);
    hint.setColor(QPalette::Text, QColor(0, 0, 255));
    m_pHint->setPalette(hint);
    for (QLineEdit* e : {m_pStart, m_pUpdate}) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, kGrey);
        e->setPalette(p);
    }
    UpdateNavButtons();
}

int CItemInfoDlg::DoModal()
{
    ApplyMode();
    // Stepping is offered only for a product opened from the list.
    if (m_rules.GetMode() == 1) {
        m_pPrev->show();
        m_pNext->show();
        UpdateNavButtons();
    }
    return RunModal(*this) == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CItemInfoDlg::ApplyMode()
{
    m_pCode->setReadOnly(m_rules.GetMode() == 1);
    if (m_rules.GetMode() == 0) {
        m_pPrev->setEnabled(false);
        m_pNext->setEnabled(false);
        m_pPrev->hide();
        m_pNext->hide();
    }
}

int CItemInfoDlg::SetRecord(const COneRecord* record)
{
    const int result = m_rules.SetRecord(record);
    UpdateData(false);
    ApplyMode();
    if (!record)
        m_pItemType->setFocus();
    return result;
}

bool CItemInfoDlg::ClearFields(bool clear)
{
    const bool hasData = m_rules.ClearFields(clear);
    if (clear)
        UpdateData(false);
    return hasData;
}

bool CItemInfoDlg::UpdateData(bool save)
{
    CItemFields& f = m_rules.Fields();
    if (!save) {
        m_pItemType->setCurrentIndex(f.nItemType);
        m_pCode->setText(f.strCode);
        m_pName->setText(f.strName);
        m_pPhoenic->setText(f.strPhoenic);
        m_pJan->setText(f.strJan);
        m_pUnit->setEditText(f.strUnit);
        m_pTaxFlg->setCurrentIndex(f.nTaxFlg);
        m_pPrice->setText(f.strPrice);
        m_pTaxFlg2->setCurrentIndex(f.nTaxFlg2);
        m_pCost->setText(f.strCost);
        m_pFixPrice->setText(f.strFixPrice);
        for (int i = 0; i < 5; ++i)
            m_pClass[size_t(i)]->setEditText(f.strClass[size_t(i)]);
        m_pRemarks->setPlainText(f.strRemarks);
        m_pStart->setText(f.StartDateText());
        m_pUpdate->setText(f.LastUpdateText());
        return true;
    }
    QString price, cost, fix;
    if (!DDX_NumText(true, m_pPrice, price, true, true, 2, 8) ||
        !DDX_NumText(true, m_pCost, cost, true, true, 2, 8) ||
        !DDX_NumText(true, m_pFixPrice, fix, true, true, 2, 8))
        return false;
    f.nItemType = m_pItemType->currentIndex();
    f.strCode = m_pCode->text();
    f.strName = m_pName->text();
    f.strPhoenic = m_pPhoenic->text();
    f.strJan = m_pJan->text();
    f.strUnit = m_pUnit->currentText();
    f.nTaxFlg = m_pTaxFlg->currentIndex();
    f.strPrice = price;
    f.nTaxFlg2 = m_pTaxFlg2->currentIndex();
    f.strCost = cost;
    f.strFixPrice = fix;
    for (int i = 0; i < 5; ++i)
        f.strClass[size_t(i)] = m_pClass[size_t(i)]->currentText();
    f.strRemarks = m_pRemarks->toPlainText();
    return true;
}

void CItemInfoDlg::FocusField(CItemInfoRules::Focus focus)
{
    QWidget* target = nullptr;
    switch (focus) {
    case CItemInfoRules::kFocusItemType:
        target = m_pItemType;
        break;
    case CItemInfoRules::kFocusCode:
        target = m_pCode;
        break;
    case CItemInfoRules::kFocusName:
        target = m_pName;
        break;
    case CItemInfoRules::kFocusPhoenic:
        target = m_pPhoenic;
        break;
    case CItemInfoRules::kFocusJan:
        target = m_pJan;
        break;
    case CItemInfoRules::kFocusUnit:
        target = m_pUnit;
        break;
    case CItemInfoRules::kFocusTaxFlg:
        target = m_pTaxFlg;
        break;
    case CItemInfoRules::kFocusTaxFlg2:
        target = m_pTaxFlg2;
        break;
    case CItemInfoRules::kFocusRemarks:
        target = m_pRemarks;
        break;
    default:
        if (focus >= CItemInfoRules::kFocusClass1 && focus < CItemInfoRules::kFocusClass1 + 5)
            target = m_pClass[size_t(focus - CItemInfoRules::kFocusClass1)];
        break;
    }
    if (target)
        target->setFocus();
}

int CItemInfoDlg::Save(bool confirm)
{
    if (!UpdateData(true))
        return 0;
    const int saved = m_rules.Save(confirm);
    // Blank-only fields were emptied, a registration cleared everything.
    UpdateData(false);
    ApplyMode();
    FocusField(m_rules.GetFocus());
    return saved;
}

void CItemInfoDlg::ShowNeighbour(int direction)
{
    if (!UpdateData(true))
        return;
    const bool moved = m_rules.ShowNeighbour(direction);
    UpdateData(false);
    if (moved)
        UpdateNavButtons();
    ApplyMode();
    FocusField(m_rules.GetFocus());
}

void CItemInfoDlg::UpdateNavButtons()
{
    bool hasPrev = false, hasNext = false;
    m_rules.GetPrevNextState(hasPrev, hasNext);
    if (m_pPrev->hasFocus() && !hasPrev)
        m_pNext->setFocus();
    if (m_pNext->hasFocus() && !hasNext)
        m_pPrev->setFocus();
    m_pPrev->setEnabled(hasPrev);
    m_pNext->setEnabled(hasNext);
}

void CItemInfoDlg::reject()
{
    if (!UpdateData(true))
        return;
    const bool close = m_rules.QueryClose();
    UpdateData(false);
    if (!close) {
        FocusField(m_rules.GetFocus());
        return;
    }
    QDialog::reject();
}

void CItemInfoDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

void CItemInfoDlg::OnCodeLeft()
{
    const QString code = m_pCode->text();
    if (!m_rules.LookUpCode(code)) {
        if (m_rules.GetFocus() == CItemInfoRules::kFocusCode) {
            m_pCode->clear();
            m_pCode->setFocus();
        }
        return;
    }
    UpdateData(false);
    m_pCode->setReadOnly(true);
}

bool CItemInfoDlg::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* widget = qobject_cast<QWidget*>(watched);
    if (widget && event->type() == QEvent::FocusIn) {
        if (!m_hints.contains(widget) && widget->parentWidget())
            widget = widget->parentWidget(); // a combo box's edit field
        Hint(widget);
    } else if (watched == m_pCode && event->type() == QEvent::FocusOut) {
        // Not while a message box of this dialog takes the focus, nor on the
        // way to "閉じる".
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (m_rules.GetMode() == 0 && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason && QApplication::focusWidget() != m_pClose)
            OnCodeLeft();
    }
    return QDialog::eventFilter(watched, event);
}

void CItemInfoDlg::Hint(QWidget* widget)
{
    const auto it = m_hints.constFind(widget);
    if (it != m_hints.cend())
        m_pHint->setPlainText(*it);
}

void CItemInfoDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const CLabelCell& cell : m_cells)
        cell.Draw(&painter);
}

void CItemInfoDlg::OnUnitList()
{
    CNameListDlg dialog(2, this);
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    const QString text = m_pUnit->currentText();
    m_pUnit->Fill(2, 1);
    m_pUnit->setFont(m_font);
    const int found = m_pUnit->findText(text, Qt::MatchExactly);
    if (found >= 0)
        m_pUnit->setCurrentIndex(found);
    else
        m_pUnit->setEditText(text);
    m_pUnit->setFocus();
}

void CItemInfoDlg::OnRenameClass(int index)
{
    const QString old = m_strTitles[size_t(index)];
    CBunruiNameDlg dialog(old, this);
    if (RunModal(dialog) != QDialog::Accepted || dialog.GetNewName() == old)
        return;
    const QString title = dialog.GetNewName();
    if (CBunruiData().SetTitle(0, index, title) != 1)
        return;
    m_strTitles[size_t(index)] = title;
    m_cells[size_t(kFirstClassCell + index)].m_strText = title;
    update();
}
