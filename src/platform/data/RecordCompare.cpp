#include "platform/data/RecordCompare.h"

#include "platform/data/Record.h"
#include "platform/text/Cp932.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace
{

QString FieldText(const COneRecord* record, const QString& table, const QString& field)
{
    const CTb* tb = record ? record->GetOneField(table, field) : nullptr;
    return tb ? tb->GetText() : QString();
}

// Outer blanks, tabs and line breaks go; a full-width blank is text.
QString TrimBlanks(const QString& text)
{
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    qsizetype begin = 0, end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Code page 932 bytes with the single-byte ASCII capitals made small; the
// trail bytes of double-byte characters stay as they are.
QByteArray FoldedBytes(const QString& text)
{
    QByteArray bytes = Cp932::Encode(text);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        if (Cp932::IsLeadByte(b))
            ++i;
        else if (b >= 'A' && b <= 'Z')
            bytes[i] = char(b + ('a' - 'A'));
    }
    return bytes;
}

int CompareBytes(const QByteArray& a, const QByteArray& b)
{
    const int common = std::memcmp(a.constData(), b.constData(), size_t(std::min(a.size(), b.size())));
    if (common != 0)
        return common < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename T> int Order(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

QString GetCompanySectionName(const COneRecord* record, const QString& table)
{
    return TrimBlanks(FieldText(record, table, QStringLiteral("Company")) + u' ' +
                      FieldText(record, table, QStringLiteral("Section")) + u' ' +
                      FieldText(record, table, QStringLiteral("Name")));
}

QString GetReadingName(const COneRecord* record, const QString& table)
{
    return TrimBlanks(FieldText(record, table, QStringLiteral("PhoenicCompany")) + u' ' +
                      FieldText(record, table, QStringLiteral("PhoenicPerson")));
}

int CompareListText(const QString& a, const QString& b)
{
    return CompareBytes(FoldedBytes(a), FoldedBytes(b));
}

CRecordSortKey MakeRecordSortKey(const COneRecord* record, const QString& key)
{
    CRecordSortKey result;
    if (!record)
        return result;
    const qsizetype dot = key.indexOf(u'.');
    const QString table = dot < 0 ? QString() : key.left(dot);
    const QString field = dot < 0 ? key : key.mid(dot + 1);
    if (field == QLatin1StringView(kCompanySectionNameField) ||
        field == QLatin1StringView(kReadingNameField)) {
        result.rank = 1 + CTb::kText;
        result.text =
            FoldedBytes(field == QLatin1StringView(kReadingNameField) ? GetReadingName(record, table)
                                                                      : GetCompanySectionName(record, table));
        return result;
    }
    const CTb* tb = record->GetOneField(table, field);
    if (!tb || tb->IsNull())
        return result;
    switch (tb->GetType()) {
    case CTb::kText:
        result.text = FoldedBytes(tb->GetText());
        break;
    case CTb::kDate: {
        QDateTime moment;
        if (!tb->GetData(moment))
            return result;
        result.number = moment.date().toJulianDay() * 86400000LL + moment.time().msecsSinceStartOfDay();
        break;
    }
    case CTb::kMoney:
        if (!tb->GetData(result.money))
            return result;
        break;
    case CTb::kInteger: {
        int value = 0;
        if (!tb->GetData(value))
            return result;
        result.number = value;
        break;
    }
    default:
        return result;
    }
    result.rank = 1 + tb->GetType();
    return result;
}

int CompareSortKeys(const CRecordSortKey& a, const CRecordSortKey& b)
{
    if (a.rank != b.rank)
        return a.rank < b.rank ? -1 : 1;
    switch (a.rank - 1) {
    case CTb::kText:
        return CompareBytes(a.text, b.text);
    case CTb::kMoney:
        return Order(a.money, b.money);
    case CTb::kDate:
    case CTb::kInteger:
        return Order(a.number, b.number);
    default:
        return 0;
    }
}

int CompareRecordsByColumn(const COneRecord* record1, const COneRecord* record2, const QString& key)
{
    return CompareSortKeys(MakeRecordSortKey(record1, key), MakeRecordSortKey(record2, key));
}

int CompareRecordsByColumnDesc(const COneRecord* record1, const COneRecord* record2, const QString& key)
{
    return CompareRecordsByColumn(record2, record1, key);
}

void SortRecords(std::vector<COneRecord*>& records, const QString& key, bool descending)
{
    std::vector<CRecordSortKey> keys;
    keys.reserve(records.size());
    for (const COneRecord* record : records)
        keys.push_back(MakeRecordSortKey(record, key));
    std::vector<size_t> order(records.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int c = CompareSortKeys(keys[a], keys[b]);
        return descending ? c > 0 : c < 0;
    });
    std::vector<COneRecord*> sorted;
    sorted.reserve(records.size());
    for (size_t i : order)
        sorted.push_back(records[i]);
    records.swap(sorted);
}
