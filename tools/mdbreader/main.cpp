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
// "columns", "type <column>" for a column whose type cannot be read, or
// "value <column> <row> [<key column> <its value>]..." for a value that
// cannot be read, its row by number in the file's order and, when the
// primary key's columns come before it, by their values.
// Values: integers in decimal (large numbers too),
// floats in their shortest exact form, currency and decimals as exact
// decimals, dates and extended dates "YYYY-MM-DD HH:MM:SS" from their stored
// day count, yes/no "1"/"0", GUIDs as Access shows them ("{8-4-4-4-12}"
// hexadecimal digits), text as UTF-8 (a text that does not decode is a
// failed value, never a "?").
//
// A calculated column is given with the type of its result and the value
// Access stored for it. A multi-valued column (and an attachment column, by
// its file names) is given as text: its items joined with "、", as the import
// lists things. The hidden column that keeps an append-only memo's earlier
// texts is left out, as Access shows it nowhere; ordinals count the columns
// given.

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

#include "Columns.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Mdb;

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
    // libmdb answers NULL here even when it read the indexes: they are
    // left in the table. A table without any keeps no array. Read before
    // anything else reads pages.
    mdb_read_indices(table);
    auto column = [table](unsigned c) {
        return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
    };
    std::vector<int> calculated;
    if (!CalculatedColumns(mdb, table, calculated)) {
        mdb_free_tabledef(table);
        return Fail("columns");
    }
    // A column of a type not read fails the read by its name: never a
    // column of blanks.
    std::vector<CColumnPlan> plans(count);
    std::vector<CListSource> sources;
    bool sourcesRead = false;
    std::vector<std::unique_ptr<ItemLists>> lists;
    for (unsigned c = 0; c < count; ++c) {
        CColumnPlan& plan = plans[c];
        plan.col = column(c);
        plan.type = plan.col->col_type;
        plan.calculated =
            std::find(calculated.begin(), calculated.end(), plan.col->col_num) != calculated.end();
        bool readable = IsReadableType(plan.type);
        if (plan.calculated) {
            // Its values are of its result's type, which its own type need
            // not be (a currency result in a "Double" column).
            const char* result = mdb_col_get_prop(plan.col, "ResultType");
            if (result && std::atoi(result) > 0)
                plan.type = std::atoi(result);
            readable = IsResultType(plan.type);
        } else if (plan.type == MDB_COMPLEX) {
            if (!sourcesRead)
                sourcesRead = ListSources(mdb, table, sources);
            const auto source = std::find_if(sources.begin(), sources.end(), [&plan](const CListSource& s) {
                return s.column == plan.col->name;
            });
            lists.push_back(std::make_unique<ItemLists>());
            plan.items = lists.back().get();
            readable = source != sources.end() && LoadItems(mdb, *source, *lists.back(), plan.hidden);
        }
        if (!readable) {
            std::fputs("X\ttype\t", stdout);
            Put(plan.col->name);
            std::fputc('\n', stdout);
            std::fflush(stdout);
            mdb_free_tabledef(table);
            return 2;
        }
    }
    unsigned ordinal = 0;
    for (const CColumnPlan& plan : plans) {
        if (plan.hidden)
            continue;
        // A list comes as text.
        std::printf("C\t%u\t%d\t", ++ordinal, plan.type == MDB_COMPLEX ? int(MDB_TEXT) : plan.type);
        Put(plan.col->name);
        std::fputc('\n', stdout);
    }
    std::vector<unsigned> keyColumns; // of the primary key, by position
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
                keyColumns.clear();
                break;
            }
            key.push_back(column(unsigned(colNum - 1)));
            keyColumns.push_back(unsigned(colNum - 1));
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
    std::string cell;
    std::vector<std::string> keyTexts(count); // the row's values of key columns
    unsigned long long row = 0;
    while (mdb_fetch_row(table)) {
        ++row;
        std::fputc('R', stdout);
        for (unsigned c = 0; c < count; ++c) {
            if (plans[c].hidden)
                continue;
            std::fputc('\t', stdout);
            cell.clear();
            const Got got = ReadValue(mdb, plans[c], values[c].data(), lengths[c], cell);
            if (got == kBad) {
                // The row is named so that it can be found and mended.
                std::fputs("\nX\tvalue\t", stdout);
                Put(plans[c].col->name);
                std::printf("\t%llu", row);
                if (std::all_of(keyColumns.begin(), keyColumns.end(), [c](unsigned k) { return k < c; })) {
                    for (const unsigned k : keyColumns) {
                        std::fputc('\t', stdout);
                        Put(plans[k].col->name);
                        std::fputc('\t', stdout);
                        Put(keyTexts[k].data(), keyTexts[k].size());
                    }
                }
                std::fputc('\n', stdout);
                std::fflush(stdout);
                mdb_free_tabledef(table);
                return 2;
            }
            if (got == kNull)
                std::fputs("\\N", stdout);
            else
                Put(cell.data(), cell.size());
            if (std::find(keyColumns.begin(), keyColumns.end(), c) != keyColumns.end())
                keyTexts[c] = cell;
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
    // Jet 3 names are read in the Japanese code page unless the header
    // declares one that iconv knows (SetTextCodePage below).
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
    SetTextCodePage(mdb);
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
    const int result = std::strcmp(argv[1], "tables") == 0 ? ListTables(mdb) : ReadTable(mdb, argv[3]);
    if (result == 0)
        std::puts("OK");
    std::fflush(stdout);
    mdb_close(mdb);
    return result;
}
