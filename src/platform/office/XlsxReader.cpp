#include "platform/office/XlsxReader.h"

#include "platform/office/XmlTagWatch.h"
#include "platform/work/LongWork.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <libxml/xmlreader.h>
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace
{

constexpr quint32 kMaxRows = 1048576;
constexpr quint32 kMaxColumns = 16384;
constexpr qint64 kMaxCellChars = 32767;

// How much of a part is read: all of it, within the cap of one part; its
// head alone, cut (Cut() tells) past the head's bytes or at a tag too
// large; or as far as its reader takes it, within the book's budgets alone:
// the shared strings up to the last one a sheet takes, whatever the other
// sheets' strings add after it.
enum class Extent { Whole, Head, AsFarAsTaken };

// One part of the archive as a stream of XML nodes. Reading stops with an
// error at a document type, an entity, a damaged stream, the part's caps or
// the book's.
class CPartReader
{
  public:
    CPartReader(zip_t* zip, const QString& name, const CWorkbookReader::Limits& limits, CUnpackBudget& budget,
                Extent extent = Extent::Whole)
        : m_limits(limits), m_budget(budget), m_extent(extent)
    {
        // Some writers separate the folders of part names with backslashes.
        zip_int64_t index = zip_name_locate(zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
        if (index < 0 && name.contains(u'/'))
            index =
                zip_name_locate(zip, QString(name).replace(u'/', u'\\').toUtf8().constData(), ZIP_FL_NOCASE);
        if (index < 0)
            return;
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip, zip_uint64_t(index), 0, &stat) != 0) {
            m_error = CWorkbookReader::NotWorkbook;
            return;
        }
        // A part read whole is refused as soon as it declares too many
        // bytes; the head of one, or what is taken of one, is read whatever
        // the rest of it holds.
        if (m_extent == Extent::Whole && (stat.valid & ZIP_STAT_SIZE) &&
            stat.size > zip_uint64_t(m_limits.maxEntryBytes)) {
            m_error = CWorkbookReader::TooLarge;
            return;
        }
        m_file = zip_fopen_index(zip, zip_uint64_t(index), 0);
        if (!m_file) {
            m_error = CWorkbookReader::NotWorkbook;
            return;
        }
        m_reader = xmlReaderForIO(&CPartReader::ReadChunk, nullptr, this, nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                                      XML_PARSE_NOCDATA | XML_PARSE_COMPACT);
        if (!m_reader) {
            m_error = CWorkbookReader::NotWorkbook;
            return;
        }
        xmlTextReaderSetStructuredErrorHandler(m_reader, &CPartReader::CountError, this);
    }
    ~CPartReader()
    {
        if (m_reader)
            xmlFreeTextReader(m_reader);
        if (m_file)
            zip_fclose(m_file);
    }
    CPartReader(const CPartReader&) = delete;
    CPartReader& operator=(const CPartReader&) = delete;

    // False when the part is missing (no error) or could not be opened.
    bool IsOpen() const { return m_reader != nullptr; }
    CWorkbookReader::Error Error() const { return m_error; }
    bool Failed() const { return m_error != CWorkbookReader::NoError; }
    bool Cut() const { return m_bCut; }

    // The next node; false at the end of the part or on an error.
    // The user's stop is looked at a block of the part at a time, as it is
    // read (ReadChunk).
    bool Read()
    {
        if (!m_reader || Failed())
            return false;
        const int rc = xmlTextReaderRead(m_reader);
        if (rc == 1) {
            m_type = xmlTextReaderNodeType(m_reader);
            if (m_type == XML_READER_TYPE_DOCUMENT_TYPE || m_type == XML_READER_TYPE_ENTITY_REFERENCE ||
                m_type == XML_READER_TYPE_ENTITY) {
                Fail(CWorkbookReader::NotWorkbook);
                return false;
            }
            if (m_nErrors > kMostErrors) {
                Fail(CWorkbookReader::NotWorkbook);
                return false;
            }
            if (m_type != XML_READER_TYPE_END_ELEMENT) {
                m_budget.nodes +=
                    1 + (m_type == XML_READER_TYPE_ELEMENT ? xmlTextReaderAttributeCount(m_reader) : 0);
                if (m_budget.nodes > m_budget.mostSpareNodes + m_limits.nodesPerItem * m_budget.kept) {
                    Fail(CWorkbookReader::TooLarge);
                    return false;
                }
            }
            return true;
        }
        if (rc < 0)
            Fail(m_ioError != CWorkbookReader::NoError ? m_ioError : CWorkbookReader::NotWorkbook);
        return false;
    }

    void Fail(CWorkbookReader::Error error)
    {
        if (!Failed())
            m_error = error;
    }

    int Type() const { return m_type; }
    bool IsElement(const char* name) const { return m_type == XML_READER_TYPE_ELEMENT && NameIs(name); }
    bool IsEnd(const char* name) const { return m_type == XML_READER_TYPE_END_ELEMENT && NameIs(name); }
    bool NameIs(const char* name) const
    {
        const xmlChar* local = xmlTextReaderConstLocalName(m_reader);
        return local && std::strcmp(reinterpret_cast<const char*>(local), name) == 0;
    }
    int Depth() const { return xmlTextReaderDepth(m_reader); }
    // An item the caller keeps: its nodes are not spare.
    void Keep() { ++m_budget.kept; }
    bool IsEmpty() const { return xmlTextReaderIsEmptyElement(m_reader) == 1; }

    // Calls `take(localName, value)` for each attribute of the current element.
    template <typename F> void Attributes(F take)
    {
        if (xmlTextReaderMoveToFirstAttribute(m_reader) != 1)
            return;
        do {
            const auto* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(m_reader));
            const auto* value = reinterpret_cast<const char*>(xmlTextReaderConstValue(m_reader));
            if (name)
                take(name, value ? value : "");
        } while (xmlTextReaderMoveToNextAttribute(m_reader) == 1);
        xmlTextReaderMoveToElement(m_reader);
    }

    QString Attribute(const char* wanted)
    {
        QString found;
        Attributes([&](const char* name, const char* value) {
            if (std::strcmp(name, wanted) == 0)
                found = QString::fromUtf8(value);
        });
        return found;
    }

    // The character data of the current element and everything in it, of at
    // most `mostChars` characters (UTF-16 code units), else too large.
    QByteArray Text(qint64 mostChars)
    {
        QByteArray text;
        qint64 chars = 0;
        Walk(false, [&](const char* value) {
            for (const char* p = value; *p; ++p) {
                const auto b = uchar(*p);
                chars += ((b & 0xC0) != 0x80) + (b >= 0xF0);
            }
            text += value;
            return chars <= mostChars;
        });
        return Failed() ? QByteArray() : text;
    }

    // The text of the current string item (<si>, <is>): its <t> elements
    // outside phonetic runs (<rPh>), of at most `mostChars` characters,
    // else too large. Made in UTF-16 as it is read, so that a long string
    // is never held twice.
    QString Runs(qint64 mostChars)
    {
        QString text;
        Walk(true, [&](const char* value) {
            text += QString::fromUtf8(value);
            return text.size() <= mostChars;
        });
        return Failed() ? QString() : text;
    }

    // The last TooLarge was a text past the characters asked of Text() or
    // Runs().
    bool TextTooLong() const { return m_bTextTooLong; }

    // Reads past the current element.
    void Skip()
    {
        Walk(false, [](const char*) { return true; });
    }

  private:
    // Hands `take` the character data of the current element (with `runs`,
    // as Runs() chooses it) until it answers false: too large.
    template <typename F> void Walk(bool runs, F take)
    {
        if (IsEmpty())
            return;
        const int depth = Depth();
        int inT = 0;
        int phoneticDepth = -1;
        while (Read()) {
            const int type = Type();
            if (type == XML_READER_TYPE_END_ELEMENT && Depth() == depth)
                break;
            if (type == XML_READER_TYPE_ELEMENT && !IsEmpty()) {
                if (phoneticDepth < 0 && NameIs("rPh"))
                    phoneticDepth = Depth();
                else if (NameIs("t"))
                    ++inT;
            } else if (type == XML_READER_TYPE_END_ELEMENT) {
                if (Depth() == phoneticDepth)
                    phoneticDepth = -1;
                else if (NameIs("t"))
                    --inT;
            } else if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                       type == XML_READER_TYPE_WHITESPACE || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE) {
                if ((!runs || (inT > 0 && phoneticDepth < 0)) &&
                    !take(reinterpret_cast<const char*>(xmlTextReaderConstValue(m_reader)))) {
                    m_bTextTooLong = !Failed();
                    Fail(CWorkbookReader::TooLarge);
                    return;
                }
            }
        }
    }

    // libxml2 goes on past errors it can recover from (a prefix never
    // declared), each written out as a message first: a part of millions
    // of them is damaged.
    static constexpr int kMostErrors = 1000;
    static void CountError(void* context, xmlErrorPtr) { ++static_cast<CPartReader*>(context)->m_nErrors; }

    static int ReadChunk(void* context, char* buffer, int length)
    {
        auto* self = static_cast<CPartReader*>(context);
        if (LongWork::Stopped())
            return -1;
        const zip_int64_t n = zip_fread(self->m_file, buffer, zip_uint64_t(length));
        if (n < 0) {
            self->m_ioError = CWorkbookReader::NotWorkbook;
            return -1;
        }
        self->m_total += n;
        self->m_budget.bytes += n;
        const bool partCapped = self->m_extent != Extent::AsFarAsTaken;
        if ((partCapped && self->m_total > self->m_limits.maxEntryBytes) ||
            self->m_budget.bytes > self->m_budget.mostBytes) {
            self->m_ioError = CWorkbookReader::TooLarge;
            return -1;
        }
        const bool head = self->m_extent == Extent::Head;
        if (head && self->m_total > self->m_limits.maxHeadBytes) {
            self->m_bCut = true;
            self->m_ioError = CWorkbookReader::TooLarge;
            return -1;
        }
        if (!self->m_tags.Pass(buffer, n)) {
            // A part in an encoding other than Unicode's, or with a document
            // type, is damaged.
            const CXmlTagWatch::Fault fault = self->m_tags.GetFault();
            const bool damaged = fault == CXmlTagWatch::kEncoding || fault == CXmlTagWatch::kDocType;
            self->m_bCut = head && !damaged;
            self->m_ioError = damaged ? CWorkbookReader::NotWorkbook : CWorkbookReader::TooLarge;
            return -1;
        }
        return int(n);
    }

    CWorkbookReader::Limits m_limits;
    CUnpackBudget& m_budget;
    Extent m_extent;
    bool m_bCut = false;
    bool m_bTextTooLong = false;
    int m_nErrors = 0;
    zip_file_t* m_file = nullptr;
    xmlTextReaderPtr m_reader = nullptr;
    CWorkbookReader::Error m_error = CWorkbookReader::NoError;
    CWorkbookReader::Error m_ioError = CWorkbookReader::NoError;
    qint64 m_total = 0;
    // Excel's longest tags are a few kilobytes (a data validation's list
    // of ranges, a hyperlink); a part's tag past 64 K units is refused.
    CXmlTagWatch m_tags{64 << 10};
    int m_type = 0;
};

// "_xHHHH_" stands for the character HHHH in the file's strings (line
// breaks, control characters, and "_x005F_" for a literal underscore).
QString DecodeEscapes(const QString& text)
{
    qsizetype at = text.indexOf(QLatin1String("_x"));
    if (at < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (at >= 0) {
        bool ok = false;
        const ushort code =
            at + 7 <= text.size() && text.at(at + 6) == u'_' ? text.mid(at + 2, 4).toUShort(&ok, 16) : 0;
        if (ok) {
            out += QStringView(text).mid(from, at - from);
            out += QChar(code);
            from = at + 7;
            at = text.indexOf(QLatin1String("_x"), from);
        } else {
            at = text.indexOf(QLatin1String("_x"), at + 1);
        }
    }
    out += QStringView(text).mid(from);
    return out;
}

// "AB12" as a column and row from 1; false when malformed or off the sheet.
bool ParseReference(const char* ref, quint32& column, quint32& row)
{
    quint32 c = 0, r = 0;
    const char* p = ref;
    for (; (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'); ++p) {
        c = c * 26 + quint32((*p & 0x1F));
        if (c > kMaxColumns)
            return false;
    }
    if (p == ref)
        return false;
    const char* digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        r = r * 10 + quint32(*p - '0');
        if (r > kMaxRows)
            return false;
    }
    if (p == digits || *p || r == 0)
        return false;
    column = c;
    row = r;
    return true;
}

// A sheet's dimension ("A1:G200001", or "A1" alone) as a range from 0;
// false when it names none.
bool DeclaredRange(const QString& ref, CSheetRange& range)
{
    const QStringList ends = ref.trimmed().split(u':');
    quint32 columns[2] = {0, 0}, rows[2] = {0, 0};
    for (qsizetype i = 0; i < 2; ++i) {
        const QByteArray end = ends.value(ends.size() == 2 ? i : 0).toLatin1();
        if (ends.size() > 2 || !ParseReference(end.constData(), columns[i], rows[i]))
            return false;
    }
    if (columns[1] < columns[0] || rows[1] < rows[0])
        return false;
    range = {rows[0] - 1, columns[0] - 1, rows[1] - 1, columns[1] - 1};
    return true;
}

// A reference of digits alone names no column: the cell stands where its
// place in the row puts it.
bool IsPlaceless(const std::string& ref)
{
    return std::all_of(ref.begin(), ref.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An ISO 8601 duration ("PT24H0M0.000S", as Excel writes elapsed times) in
// days; years and months, of no fixed length, only when zero.
bool ParseDuration(const QByteArray& text, double& days)
{
    const char* p = text.constData();
    const char* end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    if (p == end || *p++ != 'P')
        return false;
    bool time = false, any = false;
    double total = 0;
    while (p != end) {
        if (*p == 'T' && !time) {
            time = true;
            ++p;
            continue;
        }
        if (*p < '0' || *p > '9')
            return false;
        double value = 0;
        const auto [next, ec] = std::from_chars(p, end, value, std::chars_format::fixed);
        if (ec != std::errc() || next == end)
            return false;
        const char unit = *next;
        p = next + 1;
        any = true;
        if (!time && unit == 'W')
            total += value * 7;
        else if (!time && unit == 'D')
            total += value;
        else if (!time && (unit == 'Y' || unit == 'M') && value == 0)
            continue;
        else if (time && unit == 'H')
            total += value / 24;
        else if (time && unit == 'M')
            total += value / 1440;
        else if (time && unit == 'S')
            total += value / 86400;
        else
            return false;
    }
    if (!any || !std::isfinite(total))
        return false;
    days = negative ? -total : total;
    return true;
}

bool ParseNumber(const QByteArray& text, double& value)
{
    const QByteArray trimmed = text.trimmed();
    const char* begin = trimmed.constData();
    const char* end = begin + trimmed.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end && begin != end;
}

// A relationship target as a part name from the archive's root; empty when
// it leaves the archive.
QString ResolveTarget(const QString& sourcePart, const QString& target)
{
    QString path = QString(target).replace(u'\\', u'/');
    if (path.startsWith(u'/'))
        path = path.mid(1);
    else {
        const qsizetype slash = sourcePart.lastIndexOf(u'/');
        path = (slash < 0 ? QString() : sourcePart.left(slash + 1)) + path;
    }
    path = QDir::cleanPath(path);
    return path.startsWith(QLatin1String("..")) || path.isEmpty() ? QString() : path;
}

QString RelsPartOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

struct CRelationship {
    QString type;
    QString target; // resolved
};

// The relationships of a part by id; a missing .rels part gives none.
bool ReadRelationships(zip_t* zip, const QString& part, const CWorkbookReader::Limits& limits,
                       CUnpackBudget& budget, QHash<QString, CRelationship>& rels,
                       CWorkbookReader::Error& error)
{
    CPartReader reader(zip, RelsPartOf(part), limits, budget);
    qint64 count = 0;
    while (reader.Read()) {
        if (!reader.IsElement("Relationship"))
            continue;
        // Each names a part, and the archive holds no more parts than this.
        if (++count > limits.maxEntries) {
            reader.Fail(CWorkbookReader::TooLarge);
            break;
        }
        QString id, type, target, mode;
        reader.Attributes([&](const char* name, const char* value) {
            if (!std::strcmp(name, "Id"))
                id = QString::fromUtf8(value);
            else if (!std::strcmp(name, "Type"))
                type = QString::fromUtf8(value);
            else if (!std::strcmp(name, "Target"))
                target = QString::fromUtf8(value);
            else if (!std::strcmp(name, "TargetMode"))
                mode = QString::fromUtf8(value);
        });
        if (mode.compare(QLatin1String("External"), Qt::CaseInsensitive) != 0)
            rels.insert(id, {type, ResolveTarget(part, target)});
        reader.Keep();
    }
    error = reader.Error();
    return !reader.Failed();
}

QString TargetOfType(const QHash<QString, CRelationship>& rels, QLatin1String typeEnd)
{
    for (const CRelationship& rel : rels) {
        if (rel.type.endsWith(typeEnd))
            return rel.target;
    }
    return {};
}

bool IsTrue(const char* value)
{
    return !std::strcmp(value, "1") || !std::strcmp(value, "true");
}

// Where the cells of a sheet stand as they are met, from 1: a <row> names
// its number or follows the last; a cell names its place, or stands after
// the last cell of its row.
class CCellPlace
{
  public:
    // False when the row is off the sheet.
    bool StartRow(CPartReader& reader)
    {
        QByteArray r;
        reader.Attributes([&](const char* name, const char* value) {
            if (!std::strcmp(name, "r"))
                r = value;
        });
        m_column = 0;
        if (r.isEmpty()) {
            ++m_row;
            return true;
        }
        bool ok = false;
        m_row = r.toUInt(&ok);
        return ok && m_row != 0 && m_row <= kMaxRows;
    }
    // False when the cell is off the sheet.
    bool MeetCell(const std::string& ref)
    {
        if (!ref.empty() && !IsPlaceless(ref))
            return ParseReference(ref.c_str(), m_column, m_row);
        if (m_row == 0)
            m_row = 1;
        return ++m_column <= kMaxColumns;
    }
    // From 0.
    quint32 Row() const { return m_row - 1; }
    quint32 Column() const { return m_column - 1; }

  private:
    quint32 m_row = 0, m_column = 0;
};

struct CCellAttributes {
    std::string ref, style, type;
};

CCellAttributes ReadCellAttributes(CPartReader& reader)
{
    CCellAttributes attributes;
    reader.Attributes([&](const char* name, const char* value) {
        if (!std::strcmp(name, "r"))
            attributes.ref = value;
        else if (!std::strcmp(name, "s"))
            attributes.style = value;
        else if (!std::strcmp(name, "t"))
            attributes.type = value;
    });
    return attributes;
}

// What a cell element holds: its value, its inline string, a formula.
struct CCellContent {
    QByteArray value;
    QString inlineText;
    bool hasValue = false, hasInline = false, hasFormula = false;
    // The last text read was held to the characters left of the sheet's.
    bool budgeted = false;
};

// The content of the cell at `reader`, of a cell of type `type`; a text
// of the sheet's (an inline string, a formula's text) of at most
// `charsLeft` characters.
CCellContent ReadCellContent(CPartReader& reader, const std::string& type, qint64 charsLeft)
{
    CCellContent content;
    if (reader.IsEmpty())
        return content;
    const int depth = reader.Depth();
    while (reader.Read() && !(reader.Type() == XML_READER_TYPE_END_ELEMENT && reader.Depth() == depth)) {
        if (reader.Type() != XML_READER_TYPE_ELEMENT)
            continue;
        if (reader.NameIs("v")) {
            // No number, date or string index comes near the length of
            // Excel's longest text.
            content.budgeted = type == "str";
            content.value = reader.Text(content.budgeted ? charsLeft : kMaxCellChars);
            content.hasValue = true;
        } else if (reader.NameIs("is")) {
            content.budgeted = true;
            content.inlineText = reader.Runs(charsLeft);
            content.hasInline = true;
        } else {
            content.hasFormula = content.hasFormula || reader.NameIs("f");
            reader.Skip(); // a formula, or an extension
        }
    }
    return content;
}

// A cell of type "d": an ISO 8601 date and time, a time alone (a fraction
// of day 0) or a duration (in days), as a dated number in the first,
// second or third format from `isoFormat`; false when it is none.
bool TypeIsoCell(const QByteArray& value, quint32 isoFormat, bool date1904, CSheetCell& cell)
{
    const QString text = QString::fromUtf8(value);
    cell.kind = CSheetCell::Number;
    const QDateTime when = QDateTime::fromString(text, Qt::ISODate);
    if (when.isValid()) {
        const QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
        cell.number = double(base.daysTo(when.date())) + when.time().msecsSinceStartOfDay() / 86400000.0;
        if (!date1904 && when.date() < QDate(1900, 3, 1))
            cell.number -= 1;
        cell.format = isoFormat;
        return true;
    }
    const QTime time = QTime::fromString(text, Qt::ISODate);
    if (time.isValid()) {
        cell.number = time.msecsSinceStartOfDay() / 86400000.0;
        cell.format = isoFormat + 1;
        return true;
    }
    if (ParseDuration(value, cell.number)) {
        cell.format = isoFormat + 2;
        return true;
    }
    return false;
}

// The cell's kind and value from its content, as its type says; a shared
// string's index is left in `number`. NotWorkbook for a value its type
// cannot hold, FormulaResult for a formula saved without its result.
CWorkbookReader::Error TypeCell(const CCellContent& content, const std::string& type, quint32 isoFormat,
                                bool date1904, CSheetCell& cell)
{
    const QByteArray value = content.value.trimmed();
    // A formula saved without its result (never calculated, or by a
    // writer that leaves that to Excel) has none to give; an empty text
    // is a result.
    if (content.hasFormula && type != "inlineStr" &&
        (!content.hasValue || (type != "str" && value.isEmpty())))
        return CWorkbookReader::FormulaResult;
    cell.kind = CSheetCell::Blank;
    if (type == "inlineStr") {
        if (content.hasInline)
            cell.kind = CSheetCell::Text;
        cell.text = DecodeEscapes(content.inlineText);
        return CWorkbookReader::NoError;
    }
    // An empty <v/> of a shared string chooses none.
    if (!content.hasValue || (type == "s" && value.isEmpty()))
        return CWorkbookReader::NoError;
    bool ok = true;
    if (type == "s") {
        cell.kind = CSheetCell::Text;
        cell.number = value.toUInt(&ok);
    } else if (type == "str") {
        cell.kind = CSheetCell::Text;
        cell.text = DecodeEscapes(QString::fromUtf8(content.value));
    } else if (type == "b") {
        cell.kind = CSheetCell::Boolean;
        cell.number = value == "0" ? 0 : 1;
    } else if (type == "e") {
        cell.kind = CSheetCell::Error;
    } else if (type == "d") {
        ok = TypeIsoCell(value, isoFormat, date1904, cell);
    } else if (!value.isEmpty()) {
        cell.kind = CSheetCell::Number;
        ok = ParseNumber(value, cell.number);
    }
    return ok ? CWorkbookReader::NoError : CWorkbookReader::NotWorkbook;
}

// A cell element read: the cell placed and typed, its type, and the
// reason its sheet is refused, if it is.
struct CCellRead {
    CSheetCell cell;
    std::string type;
    CWorkbookReader::Error error = CWorkbookReader::NoError;
    bool pastCharacters = false; // its text passed the characters left of the sheet's
};

// The cell element at `reader`, after the cells `place` has met; its text,
// if it is one of the sheet's, of at most `charsLeft` characters.
CCellRead ReadCell(CPartReader& reader, CCellPlace& place, quint32 isoFormat, bool date1904, qint64 charsLeft)
{
    CCellRead read;
    CCellAttributes attributes = ReadCellAttributes(reader);
    read.type = std::move(attributes.type);
    if (!place.MeetCell(attributes.ref)) {
        read.error = CWorkbookReader::NotWorkbook;
        return read;
    }
    const CCellContent content = ReadCellContent(reader, read.type, charsLeft);
    if (reader.Failed()) {
        // A text past the characters left passes the sheet's budget; any
        // other, a cell's own bound or the book's.
        read.pastCharacters = reader.TextTooLong() && content.budgeted;
        read.error = reader.Error();
        return read;
    }
    read.cell.row = place.Row();
    read.cell.column = place.Column();
    if (!attributes.style.empty()) {
        const quint32 s = quint32(std::strtoul(attributes.style.c_str(), nullptr, 10));
        read.cell.format = s < isoFormat ? s : 0;
    }
    read.error = TypeCell(content, read.type, isoFormat, date1904, read.cell);
    return read;
}

} // namespace

std::unique_ptr<CXlsxReader> CXlsxReader::Open(const QString& path, const Limits& limits, Error& error)
{
    int zipError = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &zipError);
    if (!zip) {
        error = zipError == ZIP_ER_OPEN || zipError == ZIP_ER_READ ? CannotOpen
                : zipError == ZIP_ER_MEMORY                        ? TooLarge
                                                                   : NotWorkbook;
        return nullptr;
    }
    std::unique_ptr<CXlsxReader> reader(new CXlsxReader);
    reader->m_zip = zip;
    reader->m_limits = limits;
    const qint64 fileBytes = QFileInfo(path).size();
    const qint64 within = qMin(fileBytes, limits.maxBookBytes);
    reader->m_unpacked.mostBytes =
        qMin(limits.maxBookBytes, limits.minBookBytes + within * limits.bookBytesPerFileByte);
    reader->m_unpacked.mostSpareNodes = limits.maxSpareNodes + within * limits.spareNodesPerFileByte;
    if (!reader->Load(fileBytes, error))
        return nullptr;
    return reader;
}

CXlsxReader::~CXlsxReader()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool CXlsxReader::Load(qint64 fileBytes, Error& error)
{
    const zip_int64_t entries = zip_get_num_entries(m_zip, 0);
    if (entries > m_limits.maxEntries) {
        error = TooLarge;
        return false;
    }
    // Entries whose data overlap unpack the same bytes again and again, as
    // many times as the directory names them. Each entry takes at least its
    // local header (30 bytes and its name), its packed data and its record
    // in the directory (46 bytes and its name), and the directory ends in 22
    // bytes: entries that take more than the file holds overlap.
    qint64 taken = 22;
    for (zip_int64_t i = 0; i < entries; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(m_zip, zip_uint64_t(i), ZIP_FL_ENC_RAW, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_COMP_SIZE) || !(stat.valid & ZIP_STAT_NAME) ||
            stat.comp_size > zip_uint64_t(fileBytes)) {
            error = NotWorkbook;
            return false;
        }
        taken += 76 + 2 * qint64(std::strlen(stat.name)) + qint64(stat.comp_size);
        if (taken > fileBytes) {
            error = NotWorkbook;
            return false;
        }
    }
    QHash<QString, CRelationship> packageRels;
    if (!ReadRelationships(m_zip, QString(), m_limits, m_unpacked, packageRels, error))
        return false;
    QString workbookPart = TargetOfType(packageRels, QLatin1String("/officeDocument"));
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");

    // The sheets in workbook order, with their relationship ids.
    QStringList ids;
    bool isWorkbook = false;
    {
        CPartReader reader(m_zip, workbookPart, m_limits, m_unpacked);
        while (reader.Read()) {
            if (reader.Type() != XML_READER_TYPE_ELEMENT)
                continue;
            if (reader.Depth() == 0) {
                isWorkbook = reader.NameIs("workbook");
                if (!isWorkbook)
                    break;
            } else if (reader.NameIs("workbookPr")) {
                reader.Attributes([&](const char* name, const char* value) {
                    if (!std::strcmp(name, "date1904"))
                        m_date1904 = IsTrue(value);
                });
            } else if (reader.NameIs("sheet")) {
                if (m_sheets.size() >= m_limits.maxSheets) {
                    reader.Fail(TooLarge);
                    break;
                }
                CSheetInfo info;
                QString id;
                reader.Attributes([&](const char* name, const char* value) {
                    if (!std::strcmp(name, "name"))
                        info.name = DecodeEscapes(QString::fromUtf8(value));
                    else if (!std::strcmp(name, "id"))
                        id = QString::fromUtf8(value);
                });
                // A sheet listed without a relationship (as some writers list
                // very hidden ones) has no part to read.
                if (id.isEmpty())
                    continue;
                m_sheets << info;
                ids << id;
                reader.Keep();
            }
        }
        if (reader.Failed()) {
            error = reader.Error();
            return false;
        }
    }
    if (!isWorkbook) {
        error = NotWorkbook;
        return false;
    }

    QHash<QString, CRelationship> rels;
    if (!ReadRelationships(m_zip, workbookPart, m_limits, m_unpacked, rels, error))
        return false;
    m_stylesPart = TargetOfType(rels, QLatin1String("/styles"));
    m_sharedPart = TargetOfType(rels, QLatin1String("/sharedStrings"));
    QHash<QString, QString> codeNames; // by part
    for (qsizetype i = 0; i < m_sheets.size(); ++i) {
        const auto rel = rels.constFind(ids.at(i));
        if (rel == rels.constEnd() || rel->target.isEmpty()) {
            error = NotWorkbook;
            return false;
        }
        m_sheets[i].isWorksheet = rel->type.endsWith(QLatin1String("/worksheet"));
        m_sheetParts << rel->target;
        if (!m_sheets[i].isWorksheet)
            continue;
        // Sheets that share a part share its code name: each part is read
        // once.
        const auto known = codeNames.constFind(rel->target);
        if (known != codeNames.constEnd()) {
            m_sheets[i].codeName = *known;
            continue;
        }
        // The code name stands in the sheet's first element, near the start
        // of the part: a sheet whose head holds none, or a tag too large
        // (whose sheet is refused when read), is read no further here.
        CPartReader reader(m_zip, rel->target, m_limits, m_unpacked, Extent::Head);
        if (!reader.IsOpen() && !reader.Failed()) {
            error = NotWorkbook;
            return false;
        }
        while (reader.Read()) {
            if (reader.Type() != XML_READER_TYPE_ELEMENT || reader.Depth() == 0)
                continue;
            if (reader.NameIs("sheetPr"))
                m_sheets[i].codeName = reader.Attribute("codeName");
            break;
        }
        if (reader.Failed() && !reader.Cut()) {
            error = reader.Error();
            return false;
        }
        codeNames.insert(rel->target, m_sheets[i].codeName);
    }
    error = NoError;
    return true;
}

bool CXlsxReader::LoadStyles(Error& error)
{
    if (m_stylesLoaded)
        return true;
    // Number formats by style index.
    m_formats.clear();
    if (!m_stylesPart.isEmpty()) {
        QHash<int, QString> codes;
        CDateFormats dated;
        CPartReader reader(m_zip, m_stylesPart, m_limits, m_unpacked);
        int xfsDepth = -1;
        qint64 numFmts = 0;
        while (reader.Read()) {
            if (reader.IsElement("numFmt")) {
                if (++numFmts > m_limits.maxFormats) {
                    reader.Fail(TooLarge);
                    break;
                }
                int id = -1;
                QString code;
                reader.Attributes([&](const char* name, const char* value) {
                    if (!std::strcmp(name, "numFmtId"))
                        id = std::atoi(value);
                    else if (!std::strcmp(name, "formatCode"))
                        code = QString::fromUtf8(value);
                });
                // Excel keeps a code to 255 characters: a longer one is no
                // book it wrote.
                if (code.size() > Limits::kFormatCodeChars) {
                    reader.Fail(NotWorkbook);
                    break;
                }
                if (id >= 0) {
                    codes.insert(id, code);
                    dated.Forget(id);
                }
            } else if (reader.IsElement("cellXfs") && !reader.IsEmpty()) {
                xfsDepth = reader.Depth();
            } else if (reader.IsEnd("cellXfs")) {
                xfsDepth = -1;
            } else if (xfsDepth >= 0 && reader.Depth() == xfsDepth + 1 && reader.IsElement("xf")) {
                if (m_formats.size() >= m_limits.maxFormats) {
                    reader.Fail(TooLarge);
                    break;
                }
                CNumberFormat format;
                reader.Attributes([&](const char* name, const char* value) {
                    if (!std::strcmp(name, "numFmtId"))
                        format.id = std::atoi(value);
                });
                const auto code = codes.constFind(format.id);
                format.code = code == codes.constEnd() ? QString() : *code;
                format.isDate = dated.IsDate(format.id, format.code, code != codes.constEnd());
                m_formats << format;
            }
        }
        if (reader.Failed()) {
            error = reader.Error();
            return false;
        }
    }
    if (m_formats.isEmpty())
        m_formats << CNumberFormat();
    // A cell of type "d" holds an ISO 8601 date, time or duration and reads
    // like a dated number: the last three formats, after the file's own.
    m_formats << CNumberFormat{0, QStringLiteral("yyyy-mm-dd"), true}
              << CNumberFormat{0, QStringLiteral("hh:mm:ss"), true}
              << CNumberFormat{0, QStringLiteral("[h]:mm:ss"), true};

    m_stylesLoaded = true;
    return true;
}

bool CXlsxReader::TakeSharedStrings(CSheetData& sheet, const std::vector<std::size_t>& taking, qint64& chars,
                                    Error& error)
{
    if (taking.empty())
        return true;
    // The strings the sheet's cells take, each read once, in the table's
    // order; the others are passed over, and the reading ends at the last
    // one taken.
    std::vector<quint32> wanted;
    wanted.reserve(taking.size());
    for (std::size_t at : taking)
        wanted.push_back(quint32(sheet.cells[at].number));
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    std::vector<QString> texts;
    texts.reserve(wanted.size());
    if (!m_sharedPart.isEmpty()) {
        CPartReader reader(m_zip, m_sharedPart, m_limits, m_unpacked, Extent::AsFarAsTaken);
        quint32 index = 0;
        while (texts.size() < wanted.size() && reader.Read()) {
            if (!reader.IsElement("si"))
                continue;
            if (index++ != wanted[texts.size()]) {
                reader.Skip();
                continue;
            }
            QString text = DecodeEscapes(reader.Runs(m_limits.maxTextChars - chars));
            if (reader.Failed()) {
                if (reader.TextTooLong())
                    m_cap = Cap::Characters;
                break;
            }
            chars += text.size();
            texts.push_back(std::move(text));
            reader.Keep();
        }
        if (reader.Failed()) {
            error = reader.Error();
            return false;
        }
    }
    // A cell that names a string the book does not hold is damaged.
    if (texts.size() < wanted.size()) {
        error = NotWorkbook;
        return false;
    }
    for (std::size_t at : taking) {
        CSheetCell& cell = sheet.cells[at];
        const quint32 index = quint32(cell.number);
        cell.text =
            texts[std::size_t(std::lower_bound(wanted.begin(), wanted.end(), index) - wanted.begin())];
        cell.number = 0;
    }
    return true;
}

bool CXlsxReader::ReadSheet(int index, CSheetData& sheet, Error* error)
{
    BeginSheet(sheet);
    if (index < 0 || index >= m_sheets.size())
        return Refuse(sheet, error, NotWorkbook);
    // A chart, dialog or macro sheet holds no cells.
    if (m_sheets.at(index).isWorksheet) {
        Error reason = NoError;
        if (!LoadStyles(reason))
            return Refuse(sheet, error, reason);
        // Shared with the reader, never copied: a book may hold tens of
        // thousands of formats.
        sheet.formats = m_formats;
        CSheetTexts texts;
        if (!ReadCells(m_sheetParts.at(index), sheet, texts, error))
            return false;
        if (!TakeSharedStrings(sheet, texts.taking, texts.chars, reason))
            return Refuse(sheet, error, reason);
        sheet.SortCells();
    }
    if (error)
        *error = NoError;
    return true;
}

bool CXlsxReader::ReadCells(const QString& part, CSheetData& sheet, CSheetTexts& texts, Error* error)
{
    CPartReader reader(m_zip, part, m_limits, m_unpacked);
    if (!reader.IsOpen() && !reader.Failed())
        return Refuse(sheet, error, NotWorkbook);
    // The last three formats are those of the cells of type "d".
    const quint32 isoFormat = quint32(m_formats.size()) - 3;
    CCellPlace place;
    while (reader.Read() && !reader.IsEnd("sheetData")) {
        if (reader.Type() != XML_READER_TYPE_ELEMENT)
            continue;
        if (reader.Depth() == 1 && reader.NameIs("dimension")) {
            CSheetRange declared;
            if (DeclaredRange(reader.Attribute("ref"), declared))
                Declare(declared);
            continue;
        }
        if (reader.NameIs("row") && !place.StartRow(reader))
            return Refuse(sheet, error, NotWorkbook);
        if (!reader.NameIs("c"))
            continue;

        CCellRead read = ReadCell(reader, place, isoFormat, m_date1904, m_limits.maxTextChars - texts.chars);
        if (read.error == FormulaResult)
            m_strFailedCell = CellName(read.cell.row, read.cell.column);
        if (read.pastCharacters)
            return RefuseCap(sheet, error, Cap::Characters);
        if (read.error != NoError)
            return Refuse(sheet, error, read.error);
        const bool blank = read.cell.kind == CSheetCell::Blank;
        if (!HoldCell(sheet, std::move(read.cell), read.type, texts, error))
            return false;
        if (!blank)
            reader.Keep();
    }
    if (reader.Failed())
        return Refuse(sheet, error, reader.Error());
    return true;
}

bool CXlsxReader::HoldCell(CSheetData& sheet, CSheetCell&& cell, const std::string& type, CSheetTexts& texts,
                           Error* error)
{
    // A cell's own text (an inline string, a formula's) counts with the
    // sheet's; a shared string is counted once, when it is read.
    if (cell.kind == CSheetCell::Text && (type == "inlineStr" || type == "str")) {
        texts.chars += cell.text.size();
        if (texts.chars > m_limits.maxTextChars)
            return RefuseCap(sheet, error, Cap::Characters);
    }
    if (!Met(cell.row, cell.column, cell.kind != CSheetCell::Blank))
        return RefuseCap(sheet, error, Cap::Cells);
    // A styled empty cell only widens the used range.
    if (cell.kind == CSheetCell::Blank) {
        sheet.AddBlank(cell.row, cell.column);
        return true;
    }
    if (qint64(sheet.cells.size()) >= m_limits.maxCells)
        return RefuseCap(sheet, error, Cap::Cells);
    if (type == "s")
        texts.taking.push_back(sheet.cells.size());
    sheet.cells.push_back(std::move(cell));
    return true;
}
