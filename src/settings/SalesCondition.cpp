#include "settings/SalesCondition.h"

#include "platform/archive/AutFile.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/SettingsArchive.h"
#include "settings/SettingsFiles.h"

#include <QDir>

namespace
{

// Indexes 2-29 of the closing-day list; 0 is "都度" and 1 "月末締".
constexpr int kListDays[] = {5,  10, 15, 20, 25, 1,  2,  3,  4,  6,  7,  8,  9,  11,
                             12, 13, 14, 16, 17, 18, 19, 21, 22, 23, 24, 26, 27, 28};

const QStringList kMethods{QStringLiteral("現金"), QStringLiteral("小切手"), QStringLiteral("振込"),
                           QStringLiteral("手形"), QStringLiteral("相殺"),   QStringLiteral("その他")};

enum File {
    ROUNDTYPE,
    PRICEROUNDTYPE,
    TAXTYPE,
    TAXROUNDTYPE,
    CLOSEDAY,
    COLLECTCYCLE,
    COLLECTDAY,
    COLLECTTYPE,
    COLLECTAMOUNT,
    PLOTERM,
    HINBAN,
    REMARKS,
    PRICEDIGIT
};

} // namespace

int CloseDayFromIndex(int index)
{
    if (index == 0)
        return 0;
    if (index >= 2 && index < 2 + int(std::size(kListDays)))
        return kListDays[index - 2];
    return 99;
}

int CloseDayToIndex(int day)
{
    if (day == 0)
        return 0;
    for (int i = 0; i < int(std::size(kListDays)); ++i)
        if (kListDays[i] == day)
            return i + 2;
    return 1;
}

QStringList CloseDayTexts()
{
    QStringList texts{QStringLiteral("都度"), QStringLiteral("月末締")};
    for (const int day : kListDays)
        texts << QStringLiteral("毎月%1日締").arg(day);
    return texts;
}

const QStringList& CSalesConditionRules::FileNames()
{
    static const QStringList names{QStringLiteral("ROUNDTYPE.AUT"),     QStringLiteral("PRICEROUNDTYPE.AUT"),
                                   QStringLiteral("TAXTYPE.AUT"),       QStringLiteral("TAXROUNDTYPE.AUT"),
                                   QStringLiteral("CLOSEDAY.AUT"),      QStringLiteral("COLLECTCYCLE.AUT"),
                                   QStringLiteral("COLLECTDAY.AUT"),    QStringLiteral("COLLECTTYPE.AUT"),
                                   QStringLiteral("COLLECTAMOUNT.AUT"), QStringLiteral("PLOTERM.AUT"),
                                   QStringLiteral("HINBAN.AUT"),        QStringLiteral("REMARKS.AUT"),
                                   QStringLiteral("PRICEDIGIT.AUT")};
    return names;
}

QStringList CSalesConditionRules::RoundTexts()
{
    return {QStringLiteral("切り捨て"), QStringLiteral("四捨五入"), QStringLiteral("切り上げ")};
}

QStringList CSalesConditionRules::TaxTypeTexts()
{
    return {QStringLiteral("請求時"), QStringLiteral("納品ごと"), QStringLiteral("明細ごと"),
            QStringLiteral("内税"), QStringLiteral("しない")};
}

QStringList CSalesConditionRules::TaxRoundTexts()
{
    return {QStringLiteral("端数切り捨て"), QStringLiteral("端数四捨五入"), QStringLiteral("端数切り上げ")};
}

QStringList CSalesConditionRules::CycleTexts()
{
    return {QStringLiteral("請求後"),  QStringLiteral("当月"),    QStringLiteral("翌月"),
            QStringLiteral("翌々月"),  QStringLiteral("3ヶ月後"), QStringLiteral("4ヶ月後"),
            QStringLiteral("5ヶ月後"), QStringLiteral("6ヶ月後")};
}

QStringList CSalesConditionRules::DayTexts()
{
    QStringList texts{QStringLiteral("月末")};
    for (int day = 1; day <= 28; ++day)
        texts << QStringLiteral("%1日").arg(day);
    return texts;
}

QStringList CSalesConditionRules::MethodTexts()
{
    return kMethods;
}

QStringList CSalesConditionRules::DigitTexts()
{
    return {QStringLiteral("0桁"), QStringLiteral("1桁"), QStringLiteral("2桁")};
}

QString CSalesConditionRules::ExampleText(int decimalsIndex, int roundingIndex)
{
    static const char* const kTexts[3][2] = {{"（例：1.5→1）", "（例：1.5→2）"},
                                             {"（例：1.45→1.4）", "（例：1.45→1.5）"},
                                             {"（例：1.456→1.45）", "（例：1.456→1.46）"}};
    if (decimalsIndex < 0 || decimalsIndex > 2)
        return {};
    return QString::fromUtf8(kTexts[decimalsIndex][roundingIndex == 0 ? 0 : 1]);
}

void CSalesConditionRules::Load(const QString& dbFolder)
{
    if (dbFolder.isEmpty())
        return;
    const QString other = OtherFolder(dbFolder);
    QStringList texts = SaveTexts();
    QList<bool> found;
    for (int i = 0; i < kFileCount; ++i) {
        bool read = false;
        const QString text = ReadDefaultValue(other, FileNames()[i], &read);
        if (read)
            texts[i] = text;
        found << read;
    }
    SetTexts(texts, found);
}

void CSalesConditionRules::SetTexts(const QStringList& texts, const QList<bool>& found)
{
    const auto number = [&texts](int file) { return LeadingInt(texts.value(file)); };
    const auto has = [&found](int file) { return found.value(file); };
    if (has(ROUNDTYPE))
        m_nRound = number(ROUNDTYPE) - 1;
    if (has(PRICEROUNDTYPE))
        m_nPriceRound = number(PRICEROUNDTYPE) - 1;
    if (has(TAXROUNDTYPE))
        m_nTaxRound = number(TAXROUNDTYPE) - 1;
    if (has(TAXTYPE)) {
        const int tax = number(TAXTYPE);
        m_nTaxType = tax == 0 ? 4 : tax >= 1 && tax <= 3 ? tax - 1 : 3;
    }
    if (has(CLOSEDAY))
        m_nCloseDay = CloseDayToIndex(number(CLOSEDAY));
    if (has(COLLECTCYCLE))
        m_nCycle = number(COLLECTCYCLE);
    // The due day is read against the cycle in force after loading.
    if (has(COLLECTDAY)) {
        const int day = number(COLLECTDAY);
        if (m_nCycle == 0)
            m_nDayCount = day < 0 ? 1 : day;
        else
            m_nDayIndex = day >= 1 && day <= 28 ? day : 0;
    }
    if (has(COLLECTTYPE)) {
        const qsizetype method = kMethods.indexOf(texts.value(COLLECTTYPE));
        m_nMethod = method >= 0 && method < 5 ? int(method) : 5;
    }
    if (has(COLLECTAMOUNT))
        m_nCarryOver = number(COLLECTAMOUNT);
    if (has(PLOTERM))
        m_nMonths = number(PLOTERM);
    if (has(HINBAN))
        m_nShowCode = number(HINBAN) == 0 ? 1 : 0;
    if (has(REMARKS))
        m_nRemarks = number(REMARKS);
    if (has(PRICEDIGIT))
        m_nPriceDigits = number(PRICEDIGIT);
}

QStringList CSalesConditionRules::SaveTexts() const
{
    const auto num = [](int value) { return QString::number(value); };
    QString day;
    if (m_nCycle == 0)
        day = num(m_nDayCount < 0 ? 1 : m_nDayCount);
    else
        day = num(m_nDayIndex >= 1 && m_nDayIndex <= 28 ? m_nDayIndex : 99);
    return {num(m_nRound + 1),
            num(m_nPriceRound + 1),
            num(m_nTaxType >= 0 && m_nTaxType <= 3 ? m_nTaxType + 1 : 0),
            num(m_nTaxRound + 1),
            num(CloseDayFromIndex(m_nCloseDay)),
            num(m_nCycle),
            day,
            m_nMethod >= 0 && m_nMethod < 5 ? kMethods[m_nMethod] : kMethods[5],
            num(m_nCarryOver),
            num(m_nMonths),
            num(m_nShowCode == 0 ? 1 : 0),
            num(m_nRemarks),
            num(m_nPriceDigits)};
}

CSalesConditionRules::Check CSalesConditionRules::Validate() const
{
    if (m_nMonths < 1 || m_nMonths > 12)
        return CHECK_MONTHS;
    if (m_nCloseDay == 0 && m_nTaxType == 0)
        return CHECK_CLOSE_TAX;
    return CHECK_OK;
}

bool CSalesConditionRules::Save(const QString& dbFolder) const
{
    switch (Validate()) {
    case CHECK_MONTHS:
        UiServices::Prompt().MessageBox(QStringLiteral("1 から 12 までの整数を入力してください。"), MB_OK,
                                        MB_ICONEXCLAMATION);
        return false;
    case CHECK_CLOSE_TAX:
        UiServices::Prompt().MessageBox(QStringLiteral(
            "締日の設定が「都度」になっています。\n税転嫁方法に「請求時」を設定することは出来ません。\n"));
        return false;
    case CHECK_OK:
        break;
    }
    return WriteDefaultValues(dbFolder, FileNames(), SaveTexts());
}
