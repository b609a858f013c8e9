#include "Values.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Mdb
{

bool IsReadableType(int type)
{
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case MDB_BINARY:
    case MDB_TEXT:
    case MDB_OLE:
    case MDB_MEMO:
    case MDB_REPID:
    case MDB_NUMERIC:
    case MDB_COMPLEX:
    case kBigInt:
    case kExtendedDate:
        return true;
    default:
        return false;
    }
}

bool IsResultType(int type)
{
    return type != MDB_BINARY && type != MDB_OLE && type != MDB_REPID && type != MDB_COMPLEX &&
           IsReadableType(type);
}

namespace
{

std::uint32_t Word(const unsigned char* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

std::uint64_t Quad(const unsigned char* bytes)
{
    return Word(bytes) | std::uint64_t(Word(bytes + 4)) << 32;
}

// ---- texts --------------------------------------------------------------------

// Jet 4 and later keep texts in UTF-16; Jet 3 in the code page its header
// declares (no converter when iconv does not know it).
bool g_bUtf16 = true;
iconv_t g_fromCodePage = iconv_t(-1);

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// UTF-16LE, or Access's compressed form: after FF FE, one byte a character
// (below U+0100) until a 0x00 byte switches to two bytes a character, and
// the next 0x00 back. Characters outside the BMP come as surrogate pairs.
// False for a lone surrogate or a character cut short, unless the bytes
// were cut (`cut`), when a last incomplete character is dropped.
bool DecodeUtf16(const unsigned char* bytes, size_t size, bool cut, std::string& out)
{
    std::vector<char16_t> units;
    units.reserve(size);
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bool compressed = true;
        for (size_t i = 2; i < size;) {
            if (bytes[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                units.push_back(bytes[i++]);
            } else if (i + 1 < size) {
                units.push_back(char16_t(bytes[i] | bytes[i + 1] << 8));
                i += 2;
            } else if (cut) {
                break;
            } else {
                return false;
            }
        }
    } else {
        if (size % 2 != 0 && !cut)
            return false;
        for (size_t i = 0; i + 1 < size; i += 2)
            units.push_back(char16_t(bytes[i] | bytes[i + 1] << 8));
    }
    out.reserve(out.size() + units.size() * 3);
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= units.size())
                return cut;
            const char16_t low = units[i + 1];
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            AppendUtf8(out, 0x10000 + (char32_t(u - 0xD800) << 10) + (low - 0xDC00));
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        } else {
            AppendUtf8(out, u);
        }
    }
    return true;
}

// Bytes in the database's code page; ASCII alone where iconv does not know
// the code page (it reads the same in all of them).
bool DecodeCodePage(const unsigned char* bytes, size_t size, bool cut, std::string& out)
{
    if (g_fromCodePage == iconv_t(-1)) {
        for (size_t i = 0; i < size; ++i) {
            if (bytes[i] >= 0x80)
                return false;
        }
        out.append(reinterpret_cast<const char*>(bytes), size);
        return true;
    }
    iconv(g_fromCodePage, nullptr, nullptr, nullptr, nullptr);
    std::string buffer(size * 4 + 4, '\0');
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    size_t inLeft = size;
    char* to = buffer.data();
    size_t toLeft = buffer.size();
    if (iconv(g_fromCodePage, &in, &inLeft, &to, &toLeft) == size_t(-1) && !(cut && errno == EINVAL))
        return false;
    out.append(buffer.data(), buffer.size() - toLeft);
    return true;
}

bool DecodeText(const unsigned char* bytes, size_t size, bool cut, std::string& out)
{
    return g_bUtf16 ? DecodeUtf16(bytes, size, cut, out) : DecodeCodePage(bytes, size, cut, out);
}

// ---- values -------------------------------------------------------------------

// The day of a count of days from 1970-01-01 in the proleptic Gregorian
// calendar.
void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = (long long)yoe + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

// "YYYY-MM-DD HH:MM:SS" of a day from 1970-01-01 and the seconds into it;
// false outside years 1-9999.
bool AppendDate(std::string& out, long long days, long long seconds)
{
    long long y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    if (y < 1 || y > 9999)
        return false;
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld", y, m, d, seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    out += text;
    return true;
}

// An Access date: days from 1899-12-30 with the time of day as the
// fraction's size, whatever the sign (-1.25 is 1899-12-29 06:00). libmdb
// gives no dates before 1900, so the stored count is read here.
bool AppendAccessDate(std::string& out, const unsigned char* bytes)
{
    double value;
    std::memcpy(&value, bytes, sizeof value);
    if (!std::isfinite(value) || std::fabs(value) > 4e6)
        return false;
    const double whole = std::trunc(value);
    long long days = (long long)whole - 25569; // 1899-12-30 from 1970-01-01
    long long seconds = std::llround(std::fabs(value - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    return AppendDate(out, days, seconds);
}

// A "Date/Time Extended": 42 ASCII bytes, nineteen digits of days from
// 0001-01-01, a colon, nineteen digits of 100-nanosecond ticks into the day.
bool AppendExtendedDate(std::string& out, const unsigned char* bytes, size_t length)
{
    if (length < 39 || bytes[19] != ':')
        return false;
    long long days = 0, ticks = 0;
    for (int i = 0; i < 19; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9' || bytes[20 + i] < '0' || bytes[20 + i] > '9')
            return false;
        days = days * 10 + (bytes[i] - '0');
        ticks = ticks * 10 + (bytes[20 + i] - '0');
    }
    const long long seconds = ticks / 10000000;
    if (days > 3652059 || seconds >= 86400)
        return false;
    return AppendDate(out, days - 719162, seconds); // 0001-01-01 from 1970-01-01
}

// The fewest digits that read back as the same value.
template <class T> bool AppendShortest(std::string& out, T value)
{
    if (!std::isfinite(value))
        return false;
    char text[40] = "0";
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, double(value));
        if (T(std::strtod(text, nullptr)) == value)
            break;
    }
    out += text;
    return true;
}

// A magnitude with `scale` decimals: "0.0123", "-36.2222".
void AppendScaled(std::string& out, bool negative, unsigned __int128 magnitude, unsigned scale)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (digits.size() <= scale)
        digits.insert(0, scale + 1 - digits.size(), '0');
    if (scale > 0)
        digits.insert(digits.size() - scale, 1, '.');
    if (negative)
        out += '-';
    out += digits;
}

// The 16-byte decimal a calculated column stores: two reserved bytes, the
// scale, the sign (0x80 negative), then the 96-bit magnitude as its high
// 32 bits and its low 64.
bool AppendDecimal(std::string& out, const unsigned char* bytes)
{
    const unsigned scale = bytes[2];
    if (scale > 28 || (bytes[3] & 0x7F) != 0)
        return false;
    const unsigned __int128 magnitude = (unsigned __int128)Word(bytes + 4) << 64 | Quad(bytes + 8);
    AppendScaled(out, bytes[3] & 0x80, magnitude, scale);
    return true;
}

// At most this much of a memo is read: far more than an import cell keeps.
constexpr size_t kLongValueCap = size_t(64) << 10;

// A row of a memo's own pages, by its page and row number; libmdb reads it
// into its second page buffer, leaving the row being read where it is.
bool LongValueRow(MdbHandle* mdb, std::uint32_t pgRow, const unsigned char*& row, size_t& length)
{
    void* page = nullptr;
    int offset = 0;
    if (mdb_find_pg_row(mdb, int(pgRow), &page, &offset, &length) != 0 || !page || offset < 0 ||
        size_t(offset) + length > size_t(mdb->fmt->pg_size))
        return false;
    row = static_cast<const unsigned char*>(page) + offset;
    return true;
}

// The bytes of a memo or OLE value from the 12-byte reference in the row:
// kept in the row after it, in a row of a page of its own, or along a chain
// of such rows, each naming the next. `cut` tells that the value was longer
// than kLongValueCap; false when the reference leads nowhere sensible.
bool ReadLongValue(MdbHandle* mdb, const unsigned char* ref, size_t refSize, std::string& out, bool& cut)
{
    out.clear();
    if (refSize < MDB_MEMO_OVERHEAD)
        return false;
    const std::uint32_t head = Word(ref);
    const size_t stored = head & 0x3FFFFFFF;
    const size_t total = std::min(stored, kLongValueCap);
    cut = stored > total;
    std::uint32_t pgRow = Word(ref + 4);
    const unsigned char* row = nullptr;
    size_t length = 0;
    switch (head & 0xC0000000) {
    case 0x80000000:
        if (refSize - MDB_MEMO_OVERHEAD < total)
            return false;
        out.assign(reinterpret_cast<const char*>(ref + MDB_MEMO_OVERHEAD), total);
        return true;
    case 0x40000000:
        if (!LongValueRow(mdb, pgRow, row, length) || length < total)
            return false;
        out.assign(reinterpret_cast<const char*>(row), total);
        return true;
    case 0:
        // Each row holds at least one byte, so a chain longer than the value
        // is damage (a loop among them too).
        for (size_t hops = 0; out.size() < total; ++hops) {
            if (pgRow == 0 || hops > total || !LongValueRow(mdb, pgRow, row, length) || length <= 4)
                return false;
            pgRow = Word(row);
            out.append(reinterpret_cast<const char*>(row + 4), std::min(length - 4, total - out.size()));
        }
        return true;
    default:
        return false;
    }
}

// This column's stored bytes in the row, which stay in the page buffer.
// A GUID as Access shows it, {8-4-4-4-12} hexadecimal digits: its first
// three fields are stored little-endian, the last eight bytes in order.
void AppendGuid(std::string& out, const unsigned char* bytes)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  unsigned(Word(bytes)), unsigned(bytes[4] | bytes[5] << 8),
                  unsigned(bytes[6] | bytes[7] << 8), bytes[8], bytes[9], bytes[10], bytes[11], bytes[12],
                  bytes[13], bytes[14], bytes[15]);
    out += text;
}

bool RawValue(MdbHandle* mdb, const MdbColumn* col, const unsigned char*& bytes, size_t& size)
{
    if (col->cur_value_start < 0 || col->cur_value_len < 0 ||
        size_t(col->cur_value_start) + size_t(col->cur_value_len) > size_t(mdb->fmt->pg_size))
        return false;
    bytes = mdb->pg_buf + col->cur_value_start;
    size = size_t(col->cur_value_len);
    return true;
}

// A calculated value: a 20-byte header whose last four bytes give the
// length of the value after it, in the encoding of the result's type (texts
// in UTF-16, possibly compressed). A memo result keeps header and value as
// a memo.
Got CalculatedValue(MdbHandle* mdb, const CColumnPlan& plan, std::string& out)
{
    const unsigned char* bytes;
    size_t size;
    if (!RawValue(mdb, plan.col, bytes, size))
        return kBad;
    if (size == 0)
        return kNull;
    std::string memo;
    bool cut = false;
    if (plan.type == MDB_MEMO) {
        if (!ReadLongValue(mdb, bytes, size, memo, cut))
            return kBad;
        bytes = reinterpret_cast<const unsigned char*>(memo.data());
        size = memo.size();
    }
    constexpr size_t kHeader = 20;
    if (size < kHeader)
        return kBad;
    size_t length = Word(bytes + 16);
    if (length > size - kHeader) {
        if (!cut)
            return kBad;
        length = size - kHeader;
    }
    if (length == 0)
        return kNull;
    const unsigned char* v = bytes + kHeader;
    // The stored length the result's type takes, 0 for any.
    size_t fixed = 0;
    switch (plan.type) {
    case MDB_BOOL:
    case MDB_BYTE:
        fixed = 1;
        break;
    case MDB_INT:
        fixed = 2;
        break;
    case MDB_LONGINT:
    case MDB_FLOAT:
        fixed = 4;
        break;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case kBigInt:
        fixed = 8;
        break;
    case MDB_NUMERIC:
        fixed = 16;
        break;
    default:
        break;
    }
    if (fixed != 0 && length != fixed)
        return kBad;
    bool ok = true;
    switch (plan.type) {
    case MDB_BOOL:
        out += v[0] != 0 ? '1' : '0';
        break;
    case MDB_BYTE:
        out += std::to_string(unsigned(v[0]));
        break;
    case MDB_INT:
        out += std::to_string(std::int16_t(v[0] | v[1] << 8));
        break;
    case MDB_LONGINT:
        out += std::to_string(std::int32_t(Word(v)));
        break;
    case kBigInt:
        out += std::to_string(std::int64_t(Quad(v)));
        break;
    case MDB_MONEY: {
        const std::int64_t value = std::int64_t(Quad(v));
        const std::uint64_t magnitude = value < 0 ? 0 - std::uint64_t(value) : std::uint64_t(value);
        AppendScaled(out, value < 0, magnitude, 4);
        break;
    }
    case MDB_FLOAT: {
        float value;
        std::memcpy(&value, v, sizeof value);
        ok = AppendShortest(out, value);
        break;
    }
    case MDB_DOUBLE: {
        double value;
        std::memcpy(&value, v, sizeof value);
        ok = AppendShortest(out, value);
        break;
    }
    case MDB_NUMERIC:
        ok = AppendDecimal(out, v);
        break;
    case MDB_DATETIME:
        ok = AppendAccessDate(out, v);
        break;
    case kExtendedDate:
        ok = AppendExtendedDate(out, v, length);
        break;
    case MDB_TEXT:
    case MDB_MEMO:
        ok = DecodeUtf16(v, length, cut, out);
        break;
    default:
        ok = false;
        break;
    }
    return ok ? kValue : kBad;
}

} // namespace

// Jet 3 texts are in the code page the header declares (932 when it
// declares none); libmdb reads the names in it too. Bytes that code page
// does not hold fail the value rather than come in as other characters.
void SetTextCodePage(MdbHandle* mdb)
{
    g_bUtf16 = mdb->f->jet_version != MDB_VER_JET3;
    if (g_bUtf16)
        return;
    char name[16];
    std::snprintf(name, sizeof name, "CP%u", mdb->f->code_page ? unsigned(mdb->f->code_page) : 932u);
    g_fromCodePage = iconv_open("UTF-8", name);
    if (g_fromCodePage == iconv_t(-1))
        return;
    setenv("MDB_JET3_CHARSET", name, 1);
    mdb_iconv_close(mdb);
    mdb_iconv_init(mdb);
}

// From libmdb's bound text where libmdb reads the value right, else from
// the stored bytes.
Got ReadValue(MdbHandle* mdb, const CColumnPlan& plan, const char* bound, int boundLength, std::string& out)
{
    if (plan.calculated)
        return CalculatedValue(mdb, plan, out);
    MdbColumn* col = plan.col;
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    switch (col->col_type) {
    case MDB_BOOL:
        // Yes/No lives in the null mask: never null.
        out += boundLength > 0 && (std::strcmp(bound, "1") == 0 || std::strcmp(bound, "TRUE") == 0 ||
                                   std::strcmp(bound, "True") == 0 || std::strcmp(bound, "-1") == 0)
                   ? '1'
                   : '0';
        return kValue;
    case MDB_DATETIME:
    case MDB_REPID:
    case kBigInt:
    case kExtendedDate:
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_COMPLEX:
        // A null stores none.
        if (!RawValue(mdb, col, bytes, size))
            return kBad;
        if (size == 0)
            return kNull;
        break;
    case MDB_BINARY:
    case MDB_OLE:
        return boundLength <= 0 ? kNull : kValue; // no text for them
    default: {
        if (boundLength <= 0)
            return kNull;
        std::string text(bound, std::min<size_t>(size_t(boundLength), std::strlen(bound)));
        if (plan.trimZeros && text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.')
                text.pop_back();
        }
        out += text;
        return kValue;
    }
    }
    bool ok = false;
    switch (col->col_type) {
    case MDB_DATETIME:
        ok = size == 8 && AppendAccessDate(out, bytes);
        break;
    case MDB_REPID:
        ok = size == 16;
        if (ok)
            AppendGuid(out, bytes);
        break;
    case kBigInt:
        ok = size == 8;
        if (ok)
            out += std::to_string(std::int64_t(Quad(bytes)));
        break;
    case kExtendedDate:
        ok = AppendExtendedDate(out, bytes, size);
        break;
    case MDB_TEXT:
        ok = DecodeText(bytes, size, false, out);
        break;
    case MDB_MEMO: {
        std::string memo;
        bool cut = false;
        ok = ReadLongValue(mdb, bytes, size, memo, cut) &&
             DecodeText(reinterpret_cast<const unsigned char*>(memo.data()), memo.size(), cut, out);
        break;
    }
    case MDB_COMPLEX: {
        if (size != 4 || !plan.items)
            break;
        const std::int32_t id = std::int32_t(Word(bytes));
        const auto found =
            std::lower_bound(plan.items->begin(), plan.items->end(), id,
                             [](const auto& list, std::int32_t key) { return list.first < key; });
        if (found == plan.items->end() || found->first != id)
            return kNull; // no items
        out += found->second;
        ok = true;
        break;
    }
    default:
        break;
    }
    return ok ? kValue : kBad;
}

} // namespace Mdb
