// corvanta-mdb: reads an Access database read-only through libmdb and writes
// what the program asks for to stdout, one record a line, fields separated
// by tabs (backslash escapes for tab, line feed, carriage return and the
// backslash; "\N" is a null):
//
//   corvanta-mdb tables <file>          T <name>                   user tables
//   corvanta-mdb read <file> <table>    C <ordinal> <type> <name>  columns
//                                       K <name>                   key columns
//                                       R <value>...               rows
//
// Both end with a line "OK". A failure ends with "X <stage>" and exit code 2:
// stage "open", "password" (a database encrypted with a password), "tables",
// "columns", or "type <column>" / "value <column>" for a column whose type or
// value cannot be read. Values: integers in decimal (large numbers too),
// floats "%.17g", currency and decimals as libmdb writes them, dates and
// extended dates "YYYY-MM-DD HH:MM:SS" from their stored day count, yes/no
// "1"/"0", GUIDs "{...}", text as UTF-8.

// glib and the C headers first, outside the header's extern "C" block.
#include <fcntl.h>
#include <glib.h>
#include <iconv.h>
#include <locale.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mdbtools.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

void Put(const char* text, size_t length)
{
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        switch (text[i]) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += text[i];
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void Put(const char* text)
{
    Put(text, std::strlen(text));
}

int Fail(const char* stage)
{
    std::printf("X\t%s\n", stage);
    std::fflush(stdout);
    return 2;
}

// Access 2016's "Large Number" and 2019's "Date/Time Extended".
constexpr int kBigInt = 0x13;
constexpr int kExtendedDate = 0x14;

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
bool PutDate(long long days, long long seconds)
{
    long long y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    if (y < 1 || y > 9999)
        return false;
    std::printf("%04lld-%02u-%02u %02lld:%02lld:%02lld", y, m, d, seconds / 3600, seconds / 60 % 60,
                seconds % 60);
    return true;
}

// An Access date: days from 1899-12-30 with the time of day as the
// fraction's size, whatever the sign (-1.25 is 1899-12-29 06:00). libmdb
// gives no dates before 1900, so the stored count is read here.
bool PutAccessDate(const unsigned char* bytes)
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
    return PutDate(days, seconds);
}

// A "Date/Time Extended": 42 ASCII bytes, nineteen digits of days from
// 0001-01-01, a colon, nineteen digits of 100-nanosecond ticks into the day.
bool PutExtendedDate(const unsigned char* bytes, int length)
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
    return PutDate(days - 719162, seconds); // 0001-01-01 from 1970-01-01
}

bool IsUserTable(MdbCatalogEntry* entry)
{
    return entry->object_type == MDB_TABLE && !mdb_is_system_table(entry) &&
           std::strncmp(entry->object_name, "MSys", 4) != 0;
}

int ListTables(MdbHandle* mdb)
{
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        return Fail("tables");
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (!IsUserTable(entry))
            continue;
        std::fputs("T\t", stdout);
        Put(entry->object_name);
        std::fputc('\n', stdout);
    }
    return 0;
}

int ReadTable(MdbHandle* mdb, const char* name)
{
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        return Fail("tables");
    MdbCatalogEntry* found = nullptr;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (IsUserTable(entry) && std::strcmp(entry->object_name, name) == 0)
            found = entry;
    }
    if (!found)
        return Fail("columns");
    MdbTableDef* table = mdb_read_table(found);
    if (!table || !mdb_read_columns(table))
        return Fail("columns");
    const unsigned count = table->num_cols;
    // A column of a type not read fails the read by its name: never a
    // column of blanks.
    for (unsigned c = 0; c < count; ++c) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
        if (!IsReadableType(col->col_type)) {
            std::fputs("X\ttype\t", stdout);
            Put(col->name);
            std::fputc('\n', stdout);
            std::fflush(stdout);
            mdb_free_tabledef(table);
            return 2;
        }
    }
    for (unsigned c = 0; c < count; ++c) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
        std::printf("C\t%u\t%d\t", c + 1, col->col_type);
        Put(col->name);
        std::fputc('\n', stdout);
    }
    // libmdb answers NULL here even when it read the indexes: they are
    // left in the table. A table without any keeps no array.
    mdb_read_indices(table);
    for (unsigned i = 0; table->indices && i < table->num_idxs && i < table->indices->len; ++i) {
        auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
        if (idx->index_type != 1) // the primary key
            continue;
        // A key naming no column of the table is damage: the rows then come
        // in the file's order rather than by part of a key.
        std::vector<MdbColumn*> key;
        for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
            const int colNum = idx->key_col_num[k];
            if (colNum < 1 || unsigned(colNum) > count) {
                key.clear();
                break;
            }
            key.push_back(static_cast<MdbColumn*>(g_ptr_array_index(table->columns, colNum - 1)));
        }
        for (MdbColumn* col : key) {
            std::fputs("K\t", stdout);
            Put(col->name);
            std::fputc('\n', stdout);
        }
        break;
    }
    std::vector<std::vector<char>> values(count, std::vector<char>(MDB_BIND_SIZE + 1));
    std::vector<int> lengths(count);
    for (unsigned c = 0; c < count; ++c)
        mdb_bind_column(table, int(c + 1), values[c].data(), &lengths[c]);
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        std::fputc('R', stdout);
        for (unsigned c = 0; c < count; ++c) {
            std::fputc('\t', stdout);
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            const int length = lengths[c];
            if (col->col_type == MDB_BOOL) {
                // Yes/No lives in the null mask: never null.
                const char* v = values[c].data();
                const bool yes = length > 0 && (std::strcmp(v, "1") == 0 || std::strcmp(v, "TRUE") == 0 ||
                                                std::strcmp(v, "True") == 0 || std::strcmp(v, "-1") == 0);
                std::fputc(yes ? '1' : '0', stdout);
            } else if (col->col_type == MDB_DATETIME || col->col_type == kBigInt ||
                       col->col_type == kExtendedDate) {
                // From the stored bytes, which stay in the page buffer; a
                // null stores none.
                const unsigned char* raw = mdb->pg_buf + col->cur_value_start;
                const int size = col->cur_value_len;
                bool put = false;
                if (size == 0) {
                    std::fputs("\\N", stdout);
                    put = true;
                } else if (col->cur_value_start < 0 || size < 0 ||
                           size_t(col->cur_value_start) + size_t(size) > size_t(mdb->fmt->pg_size)) {
                    put = false;
                } else if (col->col_type == MDB_DATETIME && size == 8) {
                    put = PutAccessDate(raw);
                } else if (col->col_type == kBigInt && size == 8) {
                    std::int64_t value;
                    std::memcpy(&value, raw, sizeof value);
                    std::printf("%lld", (long long)value);
                    put = true;
                } else if (col->col_type == kExtendedDate) {
                    put = PutExtendedDate(raw, size);
                }
                if (!put) {
                    std::fputs("\nX\tvalue\t", stdout);
                    Put(col->name);
                    std::fputc('\n', stdout);
                    std::fflush(stdout);
                    mdb_free_tabledef(table);
                    return 2;
                }
            } else if (length <= 0) {
                std::fputs("\\N", stdout);
            } else if (col->col_type == MDB_BINARY || col->col_type == MDB_OLE ||
                       col->col_type == MDB_COMPLEX) {
                // no text for them
            } else {
                Put(values[c].data(), std::min<size_t>(size_t(length), std::strlen(values[c].data())));
            }
        }
        std::fputc('\n', stdout);
    }
    mdb_free_tabledef(table);
    return 0;
}

// Where the helper's own messages go once stderr goes nowhere.
int g_messages = -1;

void Say(const char* text)
{
    if (g_messages >= 0 && write(g_messages, text, std::strlen(text)) < 0)
        g_messages = -1;
}

// glib's messages, written as they come without allocating.
GLogWriterOutput WriteMessage(GLogLevelFlags, const GLogField* fields, gsize count, gpointer)
{
    for (gsize i = 0; i < count; ++i) {
        if (std::strcmp(fields[i].key, "MESSAGE") != 0 || !fields[i].value)
            continue;
        const auto* text = static_cast<const char*>(fields[i].value);
        const size_t length = fields[i].length < 0 ? std::strlen(text) : size_t(fields[i].length);
        if (g_messages < 0 || write(g_messages, text, length) < 0 || write(g_messages, "\n", 1) < 0)
            return G_LOG_WRITER_UNHANDLED;
    }
    return G_LOG_WRITER_HANDLED;
}

// The peak address space in KiB, from /proc, by calls that are safe in a
// signal handler; 0 unknown.
long long PeakKiB()
{
    static char text[4096];
    const int fd = open("/proc/self/status", O_RDONLY);
    if (fd < 0)
        return 0;
    const ssize_t length = read(fd, text, sizeof text - 1);
    close(fd);
    if (length <= 0)
        return 0;
    text[length] = '\0';
    const char* at = std::strstr(text, "VmPeak:");
    if (!at)
        return 0;
    long long kib = 0;
    for (at += 7; *at == ' ' || *at == '\t'; ++at) {
    }
    for (; *at >= '0' && *at <= '9'; ++at)
        kib = kib * 10 + (*at - '0');
    return kib;
}

// An abort (glib, the C++ runtime) after an allocation was refused at the
// memory limit the helper runs under is said as such, for the program.
void SayWhyAborted(int)
{
    const int error = errno;
    rlimit limit{};
    const bool nearLimit = getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
                           PeakKiB() * 1024 >= (long long)(limit.rlim_cur / 4 * 3);
    if (error == ENOMEM || nearLimit)
        Say("Cannot allocate memory\n");
}

// libmdb warns on stderr, and a damaged catalog makes it repeat a warning
// for every page it walks, megabytes a second until the program stops it:
// its warnings go nowhere. glib's messages, and the reason of an abort at
// the memory limit, still reach stderr.
void QuietLibrary()
{
    const int saved = dup(STDERR_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (saved < 0 || nowhere < 0 || dup2(nowhere, STDERR_FILENO) < 0) {
        if (saved >= 0)
            close(saved);
        if (nowhere >= 0)
            close(nowhere);
        return;
    }
    close(nowhere);
    g_messages = saved;
    g_log_set_writer_func(WriteMessage, nullptr, nullptr);
    struct sigaction action {
    };
    action.sa_handler = SayWhyAborted;
    action.sa_flags = SA_RESETHAND; // then the abort goes on as it would
    sigemptyset(&action.sa_mask);
    sigaction(SIGABRT, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 ||
        (std::strcmp(argv[1], "tables") != 0 && (std::strcmp(argv[1], "read") != 0 || argc < 4))) {
        std::fprintf(stderr, "usage: corvanta-mdb tables <file> | read <file> <table>\n");
        return 1;
    }
    QuietLibrary();
    // Jet 3 texts are in the Japanese code page.
    setenv("MDB_JET3_CHARSET", "CP932", 1);
    MdbHandle* mdb = mdb_open(argv[2], MDB_NOFLAGS);
    if (!mdb)
        return Fail("open");
    // A database holds at least its header page and the catalog's page;
    // libmdb itself accepts less.
    struct stat info {
    };
    if (stat(argv[2], &info) != 0 || !mdb->fmt || info.st_size < off_t(2) * mdb->fmt->pg_size) {
        mdb_close(mdb);
        return Fail("open");
    }
    // Access 2007 and later encrypt a database given a password: libmdb
    // reads no page of it.
    if (mdb->f->jet_version >= MDB_VER_ACCDB_2007 && mdb->f->db_key != 0) {
        mdb_close(mdb);
        return Fail("password");
    }
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
    mdb_set_repid_fmt(mdb, MDB_BRACES_4_2_2_8);
    const int result = std::strcmp(argv[1], "tables") == 0 ? ListTables(mdb) : ReadTable(mdb, argv[3]);
    if (result == 0)
        std::puts("OK");
    std::fflush(stdout);
    mdb_close(mdb);
    return result;
}
