#include "master/BulkEditRules.h"

#include "platform/data/MnyText.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/BunruiData.h"
#include "settings/dlg/DlgHelpers.h"

namespace
{

using CItem = CBulkEditRules::CItem;

QList<CItem> Items(std::initializer_list<std::pair<const char16_t*, int>> list)
{
    QList<CItem> items;
    for (const auto& [text, code] : list)
        items.append({QString::fromUtf16(text), code});
    return items;
}

QList<CItem> Texts(std::initializer_list<const char16_t*> list)
{
    QList<CItem> items;
    for (const char16_t* text : list)
        items.append({QString::fromUtf16(text), 0});
    return items;
}

int Ask(const QString& text)
{
    return UiServices::Prompt().MessageBox(text, MB_YESNO, MB_ICONQUESTION, IDNO);
}

} // namespace

CBulkEditRules::CBulkEditRules(int ledger) : m_nLedger(ledger) {}

QString CBulkEditRules::GetCaption() const
{
    const QString word = m_nLedger == 0   ? QStringLiteral("商品")
                         : m_nLedger == 1 ? QStringLiteral("得意先")
                                          : QStringLiteral("仕入先");
    return word + QStringLiteral(" - 一括修正する項目を選択して、修正後の値を設定してください");
}

void CBulkEditRules::Init()
{
    m_captions.clear();
    m_names.clear();
    const auto add = [this](const QString& caption, const char* name) {
        m_captions << caption;
        m_names << QString::fromLatin1(name);
    };
    if (m_nLedger == 0) {
        add(QStringLiteral("売価課税区分"), "TaxFlg");
        add(QStringLiteral("原価課税区分"), "TaxFlg2");
        add(QStringLiteral("商品区分"), "ItemType");
    } else {
        const bool customer = m_nLedger == 1;
        add(QStringLiteral("敬称１"), "Keisho");
        add(QStringLiteral("敬称２"), "Keisho2");
        add(QStringLiteral("締日"), "Day");
        if (customer)
            add(QStringLiteral("掛率"), "Percent");
        add(QStringLiteral("金額端数"), "RoundType");
        add(QStringLiteral("税転嫁"), "TaxType");
        add(QStringLiteral("税端数"), "TaxRoundType");
        add(customer ? QStringLiteral("入金予定") : QStringLiteral("支払方法"), "CollectCycle");
        add(customer ? QStringLiteral("主な入金方法") : QStringLiteral("主な支払方法"), "CollectType");
        add(QStringLiteral("自社担当者"), "MyPerson");
    }
    CBunruiData titles;
    for (int i = 0; i < 5; ++i) {
        m_captions << titles.GetTitle(m_nLedger, i);
        m_names << QStringLiteral("Class%1").arg(i + 1);
    }
    SelectField(0);
}

QString CBulkEditRules::GetFieldName() const
{
    return m_nField >= 0 && m_nField < m_names.size() ? m_names[m_nField] : QString();
}

int CBulkEditRules::GetClassIndex() const
{
    const QString field = GetFieldName();
    if (field.size() == 6 && field.startsWith(QLatin1StringView("Class")) && field[5] >= u'1' &&
        field[5] <= u'5')
        return field[5].unicode() - u'1';
    return -1;
}

QList<CItem> CBulkEditRules::CycleItems()
{
    return Items({{u"請求後", 0},
                  {u"当月", 1},
                  {u"翌月", 2},
                  {u"翌々月", 3},
                  {u"３ヶ月", 4},
                  {u"４ヶ月", 5},
                  {u"５ヶ月", 6},
                  {u"６ヶ月", 7}});
}

QList<CItem> CBulkEditRules::DayItems()
{
    QList<CItem> items{{QStringLiteral("月末"), 99}};
    for (int day = 1; day <= 28; ++day)
        items.append({QStringLiteral("%1日").arg(day), day});
    return items;
}

void CBulkEditRules::SelectField(int index)
{
    m_nField = index >= 0 && index < m_names.size() ? index : -1;
    m_items.clear();
    m_strNumber.clear();
    m_nValueIndex = -1;
    m_strText.clear();
    m_nCycleIndex = -1;
    m_nDayIndex = -1;
    m_strDays.clear();
    const QString field = GetFieldName();
    if (field == QLatin1StringView("Percent")) {
        m_control = kNumber;
    } else if (field == QLatin1StringView("CollectCycle")) {
        m_control = kCycle;
    } else if (field == QLatin1StringView("MyPerson")) {
        m_control = kEntryList;
    } else if (GetClassIndex() >= 0) {
        m_control = kClassList;
    } else if (field == QLatin1StringView("Keisho") || field == QLatin1StringView("Keisho2")) {
        m_control = kEditableCombo;
        m_items = Texts({u"様", u"御中", u"殿"});
    } else {
        m_control = kListCombo;
        if (field == QLatin1StringView("TaxFlg") || field == QLatin1StringView("TaxFlg2")) {
            m_items = Items({{u"外税", 1}, {u"内税", 2}, {u"非課税", 0}});
        } else if (field == QLatin1StringView("ItemType")) {
            m_items = Items({{u"商品", 1}, {u"値引", 2}, {u"その他（経費など）", 3}});
        } else if (field == QLatin1StringView("StockType")) {
            m_items = Items({{u"しない", 0}, {u"する", 1}});
        } else if (field == QLatin1StringView("Day")) {
            m_items = Items({{u"都度", 0}, {u"月末", 99}});
            for (int day = 1; day <= 28; ++day)
                m_items.append({QStringLiteral("毎月%1日締").arg(day), day});
        } else if (field == QLatin1StringView("RoundType") || field == QLatin1StringView("TaxRoundType")) {
            m_items = Items({{u"切り捨て", 1}, {u"四捨五入", 2}, {u"切り上げ", 3}});
        } else if (field == QLatin1StringView("TaxType")) {
            m_items =
                Items({{u"請求時", 1}, {u"納品ごと", 2}, {u"明細ごと", 3}, {u"内税", 4}, {u"しない", 0}});
        } else if (field == QLatin1StringView("CollectType")) {
            m_items = Texts({u"現金", u"小切手", u"振込", u"手形", u"相殺", u"その他"});
        }
    }
}

bool CBulkEditRules::Refuse(const QString& text, Focus focus)
{
    if (!text.isEmpty())
        UiServices::Prompt().MessageBox(text, MB_OK, MB_ICONEXCLAMATION);
    m_focus = focus;
    return false;
}

bool CBulkEditRules::OnOK()
{
    m_focus = kFocusNone;
    // The numeric edit is exchanged whatever the field: the partner
    // dialog's limits of the rate, a sign, 3 integer and 1 decimal digits.
    QString number;
    if (!ValidateNumText(m_strNumber, number, true, true, 1, 3))
        return Refuse({}, kFocusNumber);

    const QString field = GetFieldName();
    if (field.isEmpty())
        return Refuse(QStringLiteral("変更する項目が取得できませんでした。"), kFocusFields);

    CBulkEditResult result;
    result.field = field;
    const QString missing = QStringLiteral("値を設定してください。");
    switch (m_control) {
    case kNumber:
        if (number.isEmpty())
            return Refuse(QStringLiteral("掛率の値を設定してください。"), kFocusNumber);
        result.money = TextToMny(number);
        break;
    case kCycle: {
        const QList<CItem> cycles = CycleItems();
        if (m_nCycleIndex < 0 || m_nCycleIndex >= cycles.size())
            return Refuse(missing, kFocusCycle);
        result.value1 = cycles[m_nCycleIndex].code;
        if (result.value1 == 0) {
            bool ok = false;
            const int days = m_strDays.toInt(&ok);
            if (m_strDays.isEmpty() || !ok || days < 0)
                return Refuse(missing, kFocusDays);
            result.value2 = days;
        } else {
            const QList<CItem> days = DayItems();
            if (m_nDayIndex < 0 || m_nDayIndex >= days.size())
                return Refuse(missing, kFocusDay);
            result.value2 = days[m_nDayIndex].code;
        }
        break;
    }
    case kEntryList:
    case kClassList:
    case kEditableCombo:
        // The entry dialogs refuse what the record could not keep: so does
        // the change of many records at once.
        if (!CheckEncodable(m_strText, m_captions.value(m_nField)))
            return Refuse({}, kFocusValue);
        if (m_strText.isEmpty() &&
            Ask(QStringLiteral("文字列が空です。空文字として一括変更してよろしいですか？")) != IDYES)
            return Refuse({}, kFocusValue);
        result.text = m_strText;
        break;
    case kListCombo:
        if (m_nValueIndex < 0 || m_nValueIndex >= m_items.size())
            return Refuse(missing, kFocusValue);
        if (field == QLatin1StringView("CollectType")) {
            if (m_items[m_nValueIndex].text.isEmpty())
                return Refuse(missing, kFocusValue);
            result.text = m_items[m_nValueIndex].text;
        } else {
            result.value1 = m_items[m_nValueIndex].code;
        }
        break;
    }
    m_result = result;
    if (UiServices::Prompt().MessageBox(
            QStringLiteral("指定された内容で、選択中のデータの一括変更を行ないます。\nよろしいですか？"),
            MB_YESNO, MB_ICONQUESTION) != IDYES)
        return Refuse({}, kFocusNone);
    return true;
}
