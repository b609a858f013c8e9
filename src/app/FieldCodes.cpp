#include "app/FieldCodes.h"

#include "settings/SettingsArchive.h"

#include <QDir>

#include <initializer_list>
#include <optional>

#include "platform/archive/AutFile.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/MnyText.h"
#include "platform/data/Record.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

namespace
{

struct CCodeWord {
    int code;
    const char16_t* word;
};
using CWordList = std::initializer_list<CCodeWord>;

enum MasterTable { kItem = 1, kCustomer = 2, kSupplier = 4, kPartner = kCustomer | kSupplier };

// The closing day and the collection day have words for a few values and
// numbers for the rest, so they are handled apart from these tables.
enum FieldKind { kWords, kClosingDay, kCollectDay };

struct CMasterField {
    int tables;
    const char* field;
    FieldKind kind;
    CWordList words;
};

const CWordList kTaxFlgWords = {{1, u"外税"}, {2, u"内税"}, {0, u"非課税"}};
const CWordList kRoundWords = {{1, u"切り捨て"}, {2, u"四捨五入"}, {3, u"切り上げ"}};

// Bank account types keep the coding of the dialog that stores them:
// 1 当座, 2 普通.
const CMasterField kMasterFields[] = {
    {kItem, "ItemType", kWords, {{1, u"商品"}, {2, u"値引"}, {3, u"その他"}}},
    {kItem, "TaxFlg", kWords, kTaxFlgWords},
    {kItem, "TaxFlg2", kWords, kTaxFlgWords},
    {kItem, "StockType", kWords, {{0, u"しない"}, {1, u"する"}}},
    {kItem, "SetItem", kWords, {{0, u"通常商品"}, {1, u"組立商品"}}},
    {kPartner, "Day", kClosingDay, {{0, u"都度"}, {99, u"月末"}}},
    {kPartner,
     "TaxType",
     kWords,
     {{1, u"請求時"}, {2, u"納品ごと"}, {3, u"明細ごと"}, {4, u"内税"}, {0, u"しない"}}},
    {kPartner, "TaxRoundType", kWords, kRoundWords},
    {kPartner, "RoundType", kWords, kRoundWords},
    {kPartner,
     "CollectCycle",
     kWords,
     {{0, u"請求後"},
      {1, u"当月"},
      {2, u"翌月"},
      {3, u"翌々月"},
      {4, u"3ヶ月"},
      {5, u"4ヶ月"},
      {6, u"5ヶ月"},
      {7, u"6ヶ月"}}},
    {kPartner, "CollectDay", kCollectDay, {{99, u"月末"}}},
    {kSupplier, "BankAccountType", kWords, {{1, u"当座"}, {2, u"普通"}, {3, u"貯蓄"}}},
    {kSupplier, "BankFee", kWords, {{0, u"相手負担"}, {1, u"自社負担"}}},
    {kSupplier, "BankType", kWords, {{1, u"同行同支店"}, {2, u"同行他支店"}, {3, u"他行"}}},
    {kSupplier, "PaymentType", kWords, {{0, u"文書"}, {1, u"電信"}}},
};

const CWordList kSlipTaxFlgWords = {{0, u"非"}, {1, u"外"}, {2, u"内"}, {-1, u"対象外"}};

// Fields of slips and lists, matched by the bare name. Stock movements are
// written as 0 出庫 and 1 入庫.
const struct {
    const char16_t* field;
    CWordList words;
} kBareFields[] = {
    {u"TudoFlg", {{0, u"都度"}, {1, u"締め"}}},
    {u"ItemType", {{1, u"売上"}, {2, u"値引"}, {3, u"その他"}, {9, u"消費税"}}},
    {u"TaxFlg", kSlipTaxFlgWords},
    {u"TaxFlg2", kSlipTaxFlgWords},
    {u"Type", {{0, u"出庫"}, {1, u"入庫"}}},
    {u"タイプ", {{1, u"売上"}, {2, u"仕入"}, {3, u"調整"}, {4, u"棚卸"}}},
};

int TableOf(const QString& table)
{
    if (table.compare(u"Item", Qt::CaseInsensitive) == 0)
        return kItem;
    if (table.compare(u"Customer", Qt::CaseInsensitive) == 0)
        return kCustomer;
    if (table.compare(u"Supplier", Qt::CaseInsensitive) == 0)
        return kSupplier;
    return 0;
}

const CMasterField* FindMasterField(const QString& table, const QString& field)
{
    const int mask = TableOf(table);
    if (mask == 0)
        return nullptr;
    for (const CMasterField& row : kMasterFields) {
        if ((row.tables & mask) && field.compare(QLatin1String(row.field), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

std::optional<QString> WordOf(const CWordList& words, int code)
{
    for (const CCodeWord& w : words) {
        if (w.code == code)
            return QString::fromUtf16(w.word);
    }
    return std::nullopt;
}

// The master word of a code; empty for a code without a word.
QString MasterWord(const CMasterField& row, int code)
{
    if (row.kind == kClosingDay && code != 0 && code != 99)
        return QStringLiteral("%1日").arg(code);
    // The collection day has words only for reading; it shows as its number.
    if (row.kind == kCollectDay)
        return QString::number(code);
    return WordOf(row.words, code).value_or(QString());
}

std::optional<QString> BareWord(const QString& field, int code)
{
    if (field.compare(u"SeikyuID", Qt::CaseInsensitive) == 0)
        return code > 0 ? QStringLiteral("済") : QStringLiteral("未");
    if (field.compare(u"Status", Qt::CaseInsensitive) == 0)
        return code > 0 ? QStringLiteral("成") : QStringLiteral("未");
    for (const auto& row : kBareFields) {
        if (field.compare(QString::fromUtf16(row.field), Qt::CaseInsensitive) == 0)
            return WordOf(row.words, code).value_or(QString());
    }
    return std::nullopt;
}

QString IntegerText(const QString& name, int code, int codeFlag)
{
    const qsizetype point = name.indexOf(u'.');
    const QString table = point < 0 ? QString() : name.left(point);
    const QString bare = point < 0 ? name : name.mid(point + 1);
    QString word;
    if (const CMasterField* row = FindMasterField(table, bare))
        word = MasterWord(*row, code);
    else if (const std::optional<QString> bareWord = BareWord(bare, code))
        return *bareWord;
    else
        word = QString::number(code);
    return codeFlag ? QString::number(code) + u':' + word : word;
}

// A whole number written only with digits (half-width or full-width).
std::optional<int> DigitsValue(const QString& text)
{
    const QString digits = ToHalfWidthDigits(text);
    if (digits.isEmpty())
        return std::nullopt;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// "N日" or N itself.
std::optional<int> DayValue(const QString& text)
{
    if (text.endsWith(u'日'))
        return DigitsValue(text.chopped(1));
    return DigitsValue(text);
}

bool IsClosingDay(int day)
{
    return (day >= 0 && day <= 28) || day == 99;
}

} // namespace

QString GetFieldDisplayText(const CTb* field, int codeFlag)
{
    if (!field || field->IsNull())
        return {};
    switch (field->GetType()) {
    case CTb::kDate: {
        QDate date;
        return field->GetData(date) ? date.toString(u"yyyy/MM/dd") : QString();
    }
    case CTb::kMoney: {
        CMny value;
        return field->GetData(value) ? MnyToText(value) : QString();
    }
    case CTb::kInteger: {
        int code = 0;
        return field->GetData(code) ? IntegerText(field->GetName(), code, codeFlag) : QString();
    }
    default:
        return field->GetText();
    }
}

int GetFieldCodeFromText(const QString& table, const QString& field, const QString& text, int& code)
{
    if (table.isEmpty() || field.isEmpty())
        return 0;
    const CMasterField* row = FindMasterField(table, field.startsWith(u'.') ? field.mid(1) : field);
    if (!row)
        return 0;
    for (const CCodeWord& w : row->words) {
        if (text == QString::fromUtf16(w.word)) {
            code = w.code;
            return 1;
        }
    }
    if (row->kind == kWords)
        return 0;
    const std::optional<int> day = DayValue(text);
    if (!day || (row->kind == kClosingDay ? !IsClosingDay(*day) : *day < 0))
        return 0;
    code = *day;
    return 1;
}

int GetMasterFieldNames(const CMasterKind& kind, QStringList& names, int withDates)
{
    names.clear();
    if (!kind.side)
        return 0;
    const bool supplier = kind.side->IsPurchases();
    names << QString() << kind.CodeField() << QStringLiteral("Company") << QStringLiteral("Section")
          << QStringLiteral("Name") << QStringLiteral("Keisho") << QStringLiteral("Keisho2")
          << QStringLiteral("PhoenicCompany") << QStringLiteral("PhoenicPerson") << QStringLiteral("Zip")
          << QStringLiteral("Address") << QStringLiteral("TEL") << QStringLiteral("FAX")
          << QStringLiteral("E-mail") << QStringLiteral("Day") << QStringLiteral("TaxType")
          << QStringLiteral("TaxRoundType") << QStringLiteral("RoundType");
    if (!supplier)
        names << QStringLiteral("Percent");
    names << QStringLiteral("CollectCycle") << QStringLiteral("CollectDay") << QStringLiteral("Collect")
          << QStringLiteral("CollectType") << QStringLiteral("Ceiling");
    if (supplier) {
        names << QStringLiteral("Bank") << QStringLiteral("BankCode") << QStringLiteral("BankBranch")
              << QStringLiteral("BankBranchCode") << QStringLiteral("BankAccountType")
              << QStringLiteral("BankNumber") << QStringLiteral("BankOnesName")
              << QStringLiteral("BankOnesPhoenic") << QStringLiteral("BankType")
              << QStringLiteral("PaymentType") << QStringLiteral("BankFee");
    }
    names << QStringLiteral("OnesCode") << QStringLiteral("Class1") << QStringLiteral("Class2")
          << QStringLiteral("Class3") << QStringLiteral("Class4") << QStringLiteral("Class5")
          << QStringLiteral("MyPerson") << QStringLiteral("Memo");
    if (withDates == 1)
        names << QStringLiteral("StartDate") << QStringLiteral("LastUpdate");
    return 1;
}

QString ReadAutFile(const QString& path)
{
    std::optional<CArchiveError::Kind> error;
    const QString text = ReadAutFile(path, &error);
    if (!error)
        return text;
    ShowReadError(path, *error);
    return {};
}
