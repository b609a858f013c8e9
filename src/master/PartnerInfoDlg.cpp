#include "master/PartnerInfoDlg.h"

#include "master/PayeeInfoDlg.h"
#include "platform/data/TradeSide.h"
#include "platform/mail/MapiMail.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Help.h"
#include "platform/ui/Ime.h"
#include "platform/ui/Modal.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/ReadingEdit.h"
#include "platform/ui/TextLimit.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/BunruiData.h"
#include "settings/dlg/BunruiComboBox.h"
#include "settings/dlg/BunruiNameDlg.h"
#include "settings/dlg/ComboDataBox.h"
#include "settings/dlg/CounterSetDlg.h"
#include "settings/dlg/DlgHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace
{

constexpr int kClientWidth = 725;
constexpr int kClientHeight = 483;
constexpr int kRow = 23;
constexpr int kHelpTopic = 1602;
const QColor kBackground(222, 222, 222);

using F = EPartnerField;

// A list shows no selection for an index it does not hold.
void Select(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace

CPartnerInfoDlg::CPartnerInfoDlg(const SPartnerTraits& traits, QWidget* parent, IMasterStoreHost* host)
    : QDialog(parent), m_entry(traits, host)
{
    setWindowTitle(traits.customer ? QStringLiteral("得意先情報") : QStringLiteral("仕入先情報"));
    m_font = MakeFont(QStringLiteral("ＭＳ ゴシック"), 14);
    setFont(m_font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(kClientWidth, kClientHeight);
    BuildControls();
    m_entry.NewRecord();
    ShowValues();
    ApplyMode();
}

CPartnerInfoDlg::~CPartnerInfoDlg() = default;

void CPartnerInfoDlg::AddCell(int left, int top, int right, int bottom, const QString& text)
{
    CLabelCell cell;
    cell.m_rect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    cell.m_strText = text;
    cell.m_pFont = &m_font;
    m_cells << cell;
}

void CPartnerInfoDlg::BuildControls()
{
    const SPartnerTraits& traits = m_entry.Traits();
    const bool customer = traits.customer;
    const auto place = [this](QWidget* widget, int x, int y, int width, int height = kRow) {
        widget->setGeometry(x, y, width, height);
        widget->setFont(m_font);
        widget->installEventFilter(this);
        return widget;
    };
    const auto lineEdit = [&](F field, int x, int y, int width, int limit, ImeField ime) {
        auto* edit = new QLineEdit(this);
        place(edit, x, y, width);
        LimitTextBytes(edit, limit);
        SetImeMode(edit, ime);
        m_fields.insert(field, edit);
        return edit;
    };
    const auto list = [&](F field, const QStringList& entries, int x, int y, int width) {
        auto* box = new QComboBox(this);
        box->addItems(entries);
        box->setMaxVisibleItems(16);
        place(box, x, y, width);
        m_fields.insert(field, box);
        return box;
    };
    const auto numEdit = [&](F field, int x, int y, int width, bool minus) {
        auto* edit = new CNumEdit(this);
        edit->SetAllowMinus(minus);
        place(edit, x, y, width);
        SetImeMode(edit, ImeField::Number);
        m_fields.insert(field, edit);
        return edit;
    };
    const auto button = [&](const QString& text, int x, int y, int width, int height) {
        QPushButton* pushButton = MakeButton(text, this);
        place(pushButton, x, y, width, height);
        return pushButton;
    };
    const auto hint = [this](QWidget* widget, const char* text) {
        m_hints.insert(widget, QString::fromUtf8(text));
    };
    const QString& w = traits.word;
    Q_UNUSED(w);

    // Buttons on top.
    m_pSave = button(QStringLiteral("登録"), 10, 10, 80, 30);
    m_pSave->setAutoDefault(true);
    m_pSave->setDefault(true);
    m_pPrev = button(QStringLiteral("<< 前へ"), 110, 10, 80, 30);
    m_pNext = button(QStringLiteral("次へ >>"), 190, 10, 80, 30);
    m_pHelp = button(QStringLiteral("ヘルプ"), kClientWidth - 170, 10, 80, 30);
    m_pClose = button(QStringLiteral("閉じる"), kClientWidth - 90, 10, 80, 30);
    hint(m_pSave, "変更を保存します");
    hint(m_pClose, "変更を保存せずに画面を終了します");
    hint(m_pPrev, "前のデータを表示します");
    hint(m_pNext, "次のデータを表示します");
    hint(m_pHelp, "ヘルプを表示します");
    connect(m_pSave, &QPushButton::clicked, this, &CPartnerInfoDlg::OnSave);
    connect(m_pPrev, &QPushButton::clicked, this, [this] { MoveRecord(0); });
    connect(m_pNext, &QPushButton::clicked, this, [this] { MoveRecord(1); });
    connect(m_pHelp, &QPushButton::clicked, this, &CPartnerInfoDlg::OnHelp);
    connect(m_pClose, &QPushButton::clicked, this, &CPartnerInfoDlg::reject);

    // Left column.
    m_pCodeMode = new QComboBox(this);
    m_pCodeMode->addItems({QStringLiteral("自分で設定する"), QStringLiteral("自動連番")});
    place(m_pCodeMode, 130, 50, 135);
    m_fields.insert(F::CodeMode, m_pCodeMode);
    hint(m_pCodeMode, "コードを自分で設定するか、自動連番にするか設定できます。自動連番にした場合、連番の形式"
                      "を設定してください。");
    connect(m_pCodeMode, &QComboBox::activated, this, &CPartnerInfoDlg::OnCodeModeChange);
    hint(lineEdit(F::Code, 265, 50, 135, 20, ImeField::Code),
         "伝票でコード入力する場合のコードを設定します。");
    hint(lineEdit(F::Zip, 130, 74, 135, 10, ImeField::Postcode),
         "郵便番号を入力します。となりのボタンをクリックすると自動的に住所が表示されます。");
    QPushButton* zipButton = button(QStringLiteral("..."), 265, 74, 23, 23);
    if (!customer)
        hint(zipButton, "入力されている郵便番号から住所を検索して表示します。");
    connect(zipButton, &QPushButton::clicked, this, &CPartnerInfoDlg::OnZipLookup);
    auto* address = new QPlainTextEdit(this);
    place(address, 130, 98, 270, 46);
    address->setTabChangesFocus(true);
    LimitPlainTextBytes(address, 255, true);
    SetImeMode(address, ImeField::Text);
    m_fields.insert(F::Address, address);
    hint(address, "住所を入力します。");

    auto* company = new CReadingEdit(this);
    place(company, 130, 145, 190);
    LimitTextBytes(company, 100);
    SetImeMode(company, ImeField::Text);
    m_fields.insert(F::Company, company);
    hint(company, "宛先（会社名など）を入力します。");
    hint(lineEdit(F::Section, 130, 169, 190, 100, ImeField::Text), "宛先（部署名など）を入力します。");
    auto* name = new CReadingEdit(this);
    place(name, 130, 193, 190);
    LimitTextBytes(name, 50);
    SetImeMode(name, ImeField::Text);
    m_fields.insert(F::Name, name);
    hint(name, "宛先（名前など）を入力します。");
    for (const auto& [field, y] : {std::pair{F::Keisho, 158}, std::pair{F::Keisho2, 193}}) {
        QComboBox* box = list(field, KeishoTexts(), 320, y, 80);
        box->setEditable(true);
        LimitTextBytes(box->lineEdit(), 10);
        SetImeMode(box, ImeField::Text);
        box->lineEdit()->installEventFilter(this);
        hint(box, field == F::Keisho ? "敬称（御中など）を入力します。" : "敬称（様など）を入力します。");
    }

    int y = 223;
    if (customer) {
        CNumEdit* percent = numEdit(F::Percent, 130, y, 135, true);
        hint(percent, "掛率を％で小数点以下1桁までで設定します。伝票入力時に商品台帳に登録した販売価格×掛率が"
                      "自動的に計算されます。");
        y += 24;
    }
    const int dayRow = y, roundRow = y + 24, taxRow = y + 48, cycleRow = y + 72, methodRow = y + 96,
              balanceRow = y + 120;
    hint(list(F::Day, CloseDayEntries(), 130, dayRow, 190),
         customer ? "請求方法（都度請求か締請求の場合は締日）を設定します。"
                  : "仕入形態（都度請求か締請求の場合は締日）を設定します。");
    hint(list(F::Round, RoundEntries(), 130, roundRow, 135),
         "数量×単価の小数点以下の端数の処理方法を設定します。");
    hint(list(F::TaxType, TaxTypeEntries(), 130, taxRow, 135),
         "消費税をいつ計算するか設定します。都度請求の場合は「請求時」は選択できません。");
    hint(list(F::TaxRound, RoundEntries(), 265, taxRow, 135), "消費税の端数の処理方法を設定します。");
    QComboBox* cycle = list(F::Cycle, CycleEntries(), 130, cycleRow, 135);
    hint(cycle, customer ? "入金のサイクルを設定します。カレンダーに入金予定日を表示できます。"
                         : "支払のサイクルを設定します。カレンダーに出金予定日を表示できます。");
    connect(cycle, &QComboBox::currentIndexChanged, this, &CPartnerInfoDlg::UpdateCollectDayControls);
    hint(list(F::DayList, CollectDayEntries(), 265, cycleRow, 135),
         customer ? "入金日を設定します。カレンダーに入金予定日を表示できます。"
                  : "支払日を設定します。カレンダーに支払予定日を表示できます。");
    m_pDayCount = numEdit(F::DayCount, 265, cycleRow, 100, false);
    m_pDayUnit = new QLabel(QStringLiteral("日"), this);
    m_pDayUnit->setGeometry(370, cycleRow, 20, kRow);
    m_pDayUnit->setFont(m_font);
    hint(list(F::Method, MethodEntries(), 130, methodRow, 135),
         customer ? "主な入金方法を設定してください。" : "主な支払方法を設定してください。");
    if (!customer) {
        m_pPayee = button(QStringLiteral("振込先..."), 320, methodRow, 69, kRow);
        hint(m_pPayee, "主な支払方法を「振込」にした場合、振込先情報を設定します。");
        connect(m_pPayee, &QPushButton::clicked, this, &CPartnerInfoDlg::OnPayee);
    }
    hint(numEdit(F::Collect, 130, balanceRow, 190, true),
         customer ? "このソフトを導入したときの売掛残高を入力してください。この金額を初期値として請求や売掛の"
                    "管理を行います。"
                  : "このソフトを導入したときの買掛残高を入力してください。この金額を初期値として支払や買掛の"
                    "管理を行います。");
    if (customer)
        hint(numEdit(F::Ceiling, 130, balanceRow + 24, 190, true),
             "与信限度額を入力して下さい。伝票登録時に与信限度額を越した場合、警告メッセージを表示します。");

    // Right column.
    m_pStartDate = new QLineEdit(this);
    place(m_pStartDate, 500, 50, 190);
    m_pStartDate->setReadOnly(true);
    m_pLastUpdate = new QLineEdit(this);
    place(m_pLastUpdate, 500, 74, 190);
    m_pLastUpdate->setReadOnly(true);
    hint(lineEdit(F::Tel, 500, 104, 190, 20, ImeField::Telephone),
         "電話番号を入力します。となりのボタンをクリックすると電話帳から検索して宛先データを表示します。");
    QPushButton* telButton = button(QStringLiteral("..."), 690, 104, 23, 23);
    hint(telButton, "入力されている電話番号を電話帳から検索して宛先データを表示します。");
    connect(telButton, &QPushButton::clicked, this, &CPartnerInfoDlg::OnTelLookup);
    hint(lineEdit(F::Fax, 500, 128, 190, 20, ImeField::Telephone), "FAX番号を入力します。");
    hint(lineEdit(F::Mail, 500, 152, 190, 255, ImeField::Mail),
         "E-mailを入力します。伝票のE-mail送信ができます。");
    QPushButton* mailButton = button(QStringLiteral("..."), 690, 152, 23, 23);
    hint(mailButton, "入力されているE-mailアドレスにメールを送信します。");
    connect(mailButton, &QPushButton::clicked, this, &CPartnerInfoDlg::OnSendMail);
    hint(lineEdit(F::PhoenicCompany, 500, 176, 190, 100, ImeField::Reading),
         "会社名のフリガナが自動的に表示されます。必要ならば修正してください。");
    hint(lineEdit(F::PhoenicPerson, 500, 200, 190, 50, ImeField::Reading),
         "名前のフリガナが自動的に表示されます。必要ならば修正してください。");
    company->SetPartner(static_cast<QLineEdit*>(m_fields.value(F::PhoenicCompany)));
    name->SetPartner(static_cast<QLineEdit*>(m_fields.value(F::PhoenicPerson)));
    hint(lineEdit(F::OnesCode, 530, 230, 160, 20, ImeField::Code), "相手先指定コードを入力してください。");
    auto* staff = new CComboDataBox(this);
    staff->Fill(0);
    staff->setEditable(true);
    place(staff, 500, 254, 190);
    LimitTextBytes(staff->lineEdit(), 30);
    SetImeMode(staff, ImeField::Text);
    m_fields.insert(F::MyPerson, staff);
    hint(staff, "自社の担当者を設定してください。新しく入力した自社担当者は自動的にリストに追加されます。");
    for (int i = 0; i < 5; ++i) {
        auto* box = new CBunruiComboBox(this);
        box->Fill(traits.ledger, i);
        box->setEditable(true);
        place(box, 500, 278 + 24 * i, 190);
        LimitTextBytes(box->lineEdit(), 100);
        SetImeMode(box, ImeField::Text);
        m_fields.insert(F(int(F::Class1) + i), box);
        hint(box, "集計及びデータ表示の分類の内容を設定してください。新しく入力した分類内容は自動的にリストに"
                  "追加されます。分類ジャンルの名前変更もできます。");
        QPushButton* rename = button(QStringLiteral("編"), 690, 278 + 24 * i, 23, 23);
        hint(rename, "集計及びデータ表示の分類ジャンルの名称を設定します。");
        connect(rename, &QPushButton::clicked, this, [this, i] { RenameClassTitle(i); });
    }
    auto* memo = new QPlainTextEdit(this);
    place(memo, 500, 398, 213, kRow);
    memo->setTabChangesFocus(true);
    LimitPlainTextBytes(memo, 255, true);
    SetImeMode(memo, ImeField::Text);
    m_fields.insert(F::Memo, memo);
    hint(memo, "覚書として必要な場合は入力してください。");

    m_pHint = new QPlainTextEdit(this);
    m_pHint->setReadOnly(true);
    m_pHint->setFocusPolicy(Qt::NoFocus);
    m_pHint->setGeometry(10, 428, kClientWidth - 20, 46);
    m_pHint->setFont(m_font);
    QPalette hintPalette = m_pHint->palette();
    hintPalette.setColor(QPalette::Text, QColor(0, 0, 255));
    m_pHint->setPalette(hintPalette);

    // Caption cells.
    AddCell(10, 50, 130, 73, QStringLiteral("入力コード"));
    AddCell(10, 74, 130, 97, QStringLiteral("郵便番号"));
    AddCell(10, 98, 130, 144, QStringLiteral("住所"));
    AddCell(10, 145, 130, 168, QStringLiteral("会社名"));
    AddCell(10, 169, 130, 192, QStringLiteral("部署名"));
    AddCell(10, 193, 130, 216, QStringLiteral("名前"));
    if (customer)
        AddCell(10, 223, 130, 246, QStringLiteral("掛率(％)"));
    AddCell(10, dayRow, 130, dayRow + 23, QStringLiteral("締日"));
    AddCell(10, roundRow, 130, roundRow + 23, QStringLiteral("金額端数"));
    AddCell(10, taxRow, 130, taxRow + 23, QStringLiteral("税転嫁"));
    AddCell(10, cycleRow, 130, cycleRow + 23,
            customer ? QStringLiteral("入金予定") : QStringLiteral("支払予定"));
    AddCell(10, methodRow, 130, methodRow + 23,
            customer ? QStringLiteral("主な入金方法") : QStringLiteral("主な支払方法"));
    AddCell(10, balanceRow, 130, balanceRow + 23,
            customer ? QStringLiteral("導入時売掛残") : QStringLiteral("導入時買掛残"));
    if (customer)
        AddCell(10, 391, 130, 414, QStringLiteral("与信限度額"));
    AddCell(410, 50, 500, 73, QStringLiteral("登録日"));
    AddCell(410, 74, 500, 97, QStringLiteral("更新日"));
    AddCell(410, 104, 500, 127, QStringLiteral("TEL"));
    AddCell(410, 128, 500, 151, QStringLiteral("FAX"));
    AddCell(410, 152, 500, 175, QStringLiteral("E-mail"));
    AddCell(410, 176, 500, 199, QStringLiteral("会社ﾌﾘｶﾞﾅ"));
    AddCell(410, 200, 500, 223, QStringLiteral("名前ﾌﾘｶﾞﾅ"));
    AddCell(410, 230, 530, 253, QStringLiteral("相手先指定コード"));
    AddCell(410, 254, 500, 277, QStringLiteral("自社担当者"));
    m_nFirstClassCell = int(m_cells.size());
    CBunruiData titles;
    for (int i = 0; i < 5; ++i)
        AddCell(410, 278 + 24 * i, 500, 301 + 24 * i, titles.GetTitle(traits.ledger, i));
    AddCell(410, 398, 500, 421, QStringLiteral("メモ"));

    // What does not fit whole is refused, naming the field.
    const std::pair<F, QString> limited[] = {
        {F::Code, QStringLiteral("入力コード")},
        {F::Zip, QStringLiteral("郵便番号")},
        {F::Address, QStringLiteral("住所")},
        {F::Company, QStringLiteral("会社名")},
        {F::Section, QStringLiteral("部署名")},
        {F::Name, QStringLiteral("名前")},
        {F::Keisho, QStringLiteral("敬称")},
        {F::Keisho2, QStringLiteral("敬称")},
        {F::Tel, QStringLiteral("TEL")},
        {F::Fax, QStringLiteral("FAX")},
        {F::Mail, QStringLiteral("E-mail")},
        {F::PhoenicCompany, QStringLiteral("会社ﾌﾘｶﾞﾅ")},
        {F::PhoenicPerson, QStringLiteral("名前ﾌﾘｶﾞﾅ")},
        {F::OnesCode, QStringLiteral("相手先指定コード")},
        {F::MyPerson, QStringLiteral("自社担当者")},
        {F::Memo, QStringLiteral("メモ")},
    };
    for (const auto& [field, caption] : limited)
        RefuseOverLongInput(m_fields.value(field), caption);
    for (int i = 0; i < 5; ++i)
        RefuseOverLongInput(m_fields.value(F(int(F::Class1) + i)), titles.GetTitle(traits.ledger, i));
}

QString CPartnerInfoDlg::FieldText(EPartnerField field) const
{
    QWidget* widget = m_fields.value(field);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        return plain->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (auto* box = qobject_cast<QComboBox*>(widget))
        return box->isEditable() ? box->currentText()
                                 : (box->currentIndex() >= 0 ? box->currentText() : QString());
    return {};
}

void CPartnerInfoDlg::SetFieldText(EPartnerField field, const QString& text)
{
    QWidget* widget = m_fields.value(field);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        QString shown = text;
        plain->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
        box->setEditText(text);
    }
}

bool CPartnerInfoDlg::ValidateNumbers()
{
    QString value;
    const auto check = [&](F field, bool minus, bool point, int decimals, int integers) {
        auto* edit = qobject_cast<QLineEdit*>(m_fields.value(field));
        return !edit || !edit->isEnabled() ||
               DDX_NumText(true, edit, value, minus, point, decimals, integers);
    };
    return check(F::Percent, true, true, 1, 3) && check(F::Collect, true, false, 0, 11) &&
           check(F::Ceiling, true, false, 0, 11) && check(F::DayCount, false, false, 0, 9);
}

void CPartnerInfoDlg::TakeValues()
{
    CPartnerValues& v = m_entry.Values();
    v.code = FieldText(F::Code);
    for (const QList<SPartnerText>* texts : {&PartnerHeadTexts(), &PartnerTailTexts()}) {
        for (const SPartnerText& field : *texts)
            v.*field.member = FieldText(field.field);
    }
    for (int i = 0; i < 5; ++i)
        v.cls[i] = FieldText(F(int(F::Class1) + i));
    const auto index = [this](F field) {
        return static_cast<QComboBox*>(m_fields.value(field))->currentIndex();
    };
    v.day = index(F::Day);
    v.taxType = index(F::TaxType);
    v.taxRound = index(F::TaxRound);
    v.round = index(F::Round);
    v.cycle = index(F::Cycle);
    v.dayList = index(F::DayList);
    v.dayCount = FieldText(F::DayCount);
    v.method = FieldText(F::Method);
    v.methodIndex = index(F::Method);
    v.collect = FieldText(F::Collect);
    if (m_entry.Traits().customer) {
        v.percent = FieldText(F::Percent);
        v.ceiling = FieldText(F::Ceiling);
    }
    m_entry.m_nCodeMode = m_pCodeMode->currentIndex();
}

void CPartnerInfoDlg::ShowValues()
{
    const CPartnerValues& v = m_entry.Values();
    SetFieldText(F::Code, v.code);
    for (const QList<SPartnerText>* texts : {&PartnerHeadTexts(), &PartnerTailTexts()}) {
        for (const SPartnerText& field : *texts)
            SetFieldText(field.field, v.*field.member);
    }
    for (int i = 0; i < 5; ++i)
        SetFieldText(F(int(F::Class1) + i), v.cls[i]);
    const auto select = [this](F field, int index) {
        Select(static_cast<QComboBox*>(m_fields.value(field)), index);
    };
    select(F::Day, v.day);
    select(F::TaxType, v.taxType);
    select(F::TaxRound, v.taxRound);
    select(F::Round, v.round);
    select(F::Cycle, v.cycle);
    select(F::DayList, v.dayList);
    select(F::Method, v.methodIndex);
    SetFieldText(F::DayCount, v.dayCount);
    SetFieldText(F::Collect, v.collect);
    if (m_entry.Traits().customer) {
        SetFieldText(F::Percent, v.percent);
        SetFieldText(F::Ceiling, v.ceiling);
    }
    m_pStartDate->setText(v.startDate.isValid() ? v.startDate.toString(QStringLiteral("yyyy/MM/dd"))
                                                : QString());
    m_pLastUpdate->setText(v.lastUpdate.isValid() ? v.lastUpdate.toString(QStringLiteral("yyyy/MM/dd"))
                                                  : QString());
    m_pCodeMode->setCurrentIndex(m_entry.m_nCodeMode);
    UpdateCollectDayControls();
}

void CPartnerInfoDlg::UpdateCollectDayControls()
{
    const bool count = static_cast<QComboBox*>(m_fields.value(F::Cycle))->currentIndex() == 0;
    QWidget* dayList = m_fields.value(F::DayList);
    dayList->setVisible(!count);
    dayList->setEnabled(!count);
    m_pDayCount->setVisible(count);
    m_pDayCount->setEnabled(count);
    m_pDayUnit->setVisible(count);
    m_pDayUnit->setEnabled(count);
}

void CPartnerInfoDlg::ApplyFocus()
{
    const EPartnerField field = m_entry.FocusField();
    if (QWidget* widget = m_fields.value(field); widget && field != F::None) {
        widget->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->selectAll();
    }
}

void CPartnerInfoDlg::UpdateNavButtons()
{
    bool hasPrev = false, hasNext = false;
    m_entry.GetPrevNextState(hasPrev, hasNext);
    // The focus leaves a button before it is disabled.
    if (!hasPrev && m_pPrev->hasFocus())
        m_pNext->setFocus();
    if (!hasNext && m_pNext->hasFocus())
        m_pPrev->setFocus();
    m_pPrev->setEnabled(hasPrev);
    m_pNext->setEnabled(hasNext);
}

void CPartnerInfoDlg::ApplyMode()
{
    const bool edit = m_entry.m_nMode != 0;
    static_cast<QLineEdit*>(m_fields.value(F::Code))->setReadOnly(edit);
    m_pPrev->setVisible(edit);
    m_pNext->setVisible(edit);
    if (edit) {
        UpdateNavButtons();
    } else {
        m_pPrev->setEnabled(false);
        m_pNext->setEnabled(false);
    }
}

void CPartnerInfoDlg::SetMode(int mode)
{
    m_entry.m_nMode = mode;
    ApplyMode();
}

void CPartnerInfoDlg::SetRecord(const COneRecord* record)
{
    m_entry.SetRecord(record);
    if (!record)
        m_entry.m_nMode = 0;
    ShowValues();
    ApplyMode();
    if (!record)
        m_pCodeMode->setFocus();
}

void CPartnerInfoDlg::OnSave()
{
    if (!ValidateNumbers())
        return;
    TakeValues();
    const int wasNew = m_entry.m_nMode == 0;
    const int saved = m_entry.Save(1);
    ShowValues();
    if (saved && wasNew)
        UpdateNavButtons();
    ApplyMode();
    ApplyFocus();
}

void CPartnerInfoDlg::accept()
{
    // Enter registers; the dialog stays open for the next record.
    OnSave();
}

void CPartnerInfoDlg::reject()
{
    if (!ValidateNumbers())
        return;
    TakeValues();
    m_bClosing = true;
    const bool close = m_entry.QueryClose();
    m_bClosing = false;
    ShowValues();
    ApplyMode();
    if (close)
        QDialog::reject();
    else
        ApplyFocus();
}

void CPartnerInfoDlg::MoveRecord(int direction)
{
    if (!ValidateNumbers())
        return;
    TakeValues();
    const bool moved = m_entry.MoveRecord(direction);
    ShowValues();
    ApplyMode();
    if (!moved)
        ApplyFocus();
}

void CPartnerInfoDlg::OnCodeKillFocus()
{
    if (m_entry.m_nMode != 0 || m_bClosing || !isEnabled() || QApplication::focusWidget() == m_pClose)
        return;
    m_entry.Values().code = FieldText(F::Code);
    int found;
    {
        CWaitCursor wait;
        found = m_entry.OnCodeLeft();
    }
    if (found < 0)
        return;
    if (found == 1) {
        ShowValues();
        ApplyMode();
        return;
    }
    SetFieldText(F::Code, m_entry.Values().code);
    ApplyFocus();
}

void CPartnerInfoDlg::OnCodeModeChange(int mode)
{
    auto* code = static_cast<QLineEdit*>(m_fields.value(F::Code));
    if (code->isReadOnly())
        return;
    m_entry.OnCodeModeChange(mode, [this](int kind) {
        CCounterSetDlg dialog(kind, this);
        RunModal(dialog);
    });
    if (mode == 1) {
        SetFieldText(F::Code, m_entry.Values().code);
        ApplyFocus();
    }
}

void CPartnerInfoDlg::OnZipLookup()
{
    TakeValues();
    CWaitCursor wait;
    if (m_entry.LookupAddress(m_lookup, 0))
        ShowValues();
}

void CPartnerInfoDlg::OnTelLookup()
{
    TakeValues();
    CWaitCursor wait;
    if (m_entry.LookupAddress(m_lookup, 1))
        ShowValues();
}

void CPartnerInfoDlg::OnSendMail()
{
    const QString address = FieldText(F::Mail);
    if (address.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("メールアドレスを入力してください。"), MB_OK,
                                        MB_ICONEXCLAMATION);
        m_fields.value(F::Mail)->setFocus();
        return;
    }
    SendMapiMail({address}, QString());
}

void CPartnerInfoDlg::OnPayee()
{
    if (m_entry.Traits().customer)
        return;
    CPayeeInfoDlg dialog(m_entry.Values(), this);
    if (RunModal(dialog) == QDialog::Accepted)
        dialog.TakeValues(m_entry.Values());
}

void CPartnerInfoDlg::RenameClassTitle(int index)
{
    if (index < 0 || index > 4)
        return;
    CLabelCell& cell = m_cells[m_nFirstClassCell + index];
    CBunruiNameDlg dialog(cell.m_strText, this);
    if (RunModal(dialog) != QDialog::Accepted || dialog.GetNewName() == cell.m_strText)
        return;
    CBunruiData data;
    if (data.SetTitle(m_entry.Traits().ledger, index, dialog.GetNewName())) {
        cell.m_strText = dialog.GetNewName();
        update();
    }
}

void CPartnerInfoDlg::OnHelp()
{
    ShowHelpTopic(kHelpTopic);
}

void CPartnerInfoDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const CLabelCell& cell : m_cells)
        cell.Draw(&painter);
}

bool CPartnerInfoDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // An editable list's edit stands for its list.
        if (widget && !m_hints.contains(widget) && qobject_cast<QComboBox*>(widget->parentWidget()))
            widget = widget->parentWidget();
        m_pHint->setPlainText(m_hints.value(widget));
    } else if (event->type() == QEvent::FocusOut && watched == m_fields.value(F::Code)) {
        OnCodeKillFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void RunPartnerDialog(const CTradeSide& side, const COneRecord* record, QWidget* parent)
{
    std::unique_ptr<CPartnerInfoDlg> dialog;
    if (side.IsPurchases())
        dialog = std::make_unique<CSupplierInfoDlg>(parent);
    else
        dialog = std::make_unique<CCustomerInfoDlg>(parent);
    if (record) {
        dialog->SetMode(1);
        dialog->SetRecord(record);
    }
    RunModal(*dialog);
}
