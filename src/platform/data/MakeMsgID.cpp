#include "platform/data/MakeMsgID.h"

#include "platform/data/ScopedPragma.h"

#include "platform/text/TextHelpers.h"

#include "platform/data/BookedTotals.h"
#include "platform/data/ProgressHandler.h"
#include "platform/data/Schema.h"
#include "platform/data/SchemaSteps.h"
#include "platform/data/TableNames.h"
#include "platform/text/Cp932.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringEncoder>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>

#include <unistd.h>

namespace
{

using Schema::FieldDef;
using Schema::TableDef;

// Cached statements beyond this number are dropped at the next call.
constexpr std::size_t kCacheLimit = 256;

// A broken file or connection: the program must stop using the database.
// A full disk is none: SQLite undoes the statement (its journal keeps the
// file whole), and the same work succeeds once there is room.
bool IsFatal(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_NOMEM:
    case SQLITE_MISUSE:
    case SQLITE_PROTOCOL:
    case SQLITE_INTERNAL:
    case SQLITE_PERM:
    case SQLITE_NOLFS:
        return true;
    default:
        return false;
    }
}

// Which step of the upgrade failed and why: the engine's message of its
// statement, as the user reads it (the rollback after it leaves none).
QString StepFailureText(int rc, const QString& path, const SchemaSteps::Failure& failure)
{
    const QString engine =
        failure.message.isEmpty() ? QString::fromUtf8(sqlite3_errstr(rc)) : failure.message;
    const QString cause = CMakeMsgID::ErrorText(rc, path, engine);
    if (!failure.step)
        return cause;
    return SchemaSteps::StepText(*failure.step) + QStringLiteral("で失敗しました。\n") + cause;
}

QString QuoteId(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'"', QLatin1String("\"\""));
    return u'"' % quoted % u'"';
}

// The condition without surrounding blanks and trailing semicolons.
QString Tail(const QString& condition)
{
    qsizetype end = condition.size();
    while (end > 0 && (condition[end - 1].isSpace() || condition[end - 1] == u';'))
        --end;
    return condition.left(end).trimmed();
}

// The text starts with the keyword as a whole word, ASCII case ignored.
bool StartsWithKeyword(const QString& text, QLatin1StringView keyword)
{
    if (!text.startsWith(keyword, Qt::CaseInsensitive))
        return false;
    if (text.size() == keyword.size())
        return true;
    const QChar next = text[keyword.size()];
    return !(next.isLetterOrNumber() || next == u'_');
}

// The tail can list other rows than the ones its condition matches.
bool ShapesRows(const QString& tail)
{
    static const QRegularExpression words(QStringLiteral("\\b(GROUP|HAVING|LIMIT|UNION|INTERSECT|EXCEPT)\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    return tail.contains(words);
}

int TypeOfDeclared(const char* declared)
{
    if (!declared)
        return -1;
    if (qstricmp(declared, "MONEY") == 0)
        return Schema::kMoney;
    if (qstricmp(declared, "DATE") == 0 || qstricmp(declared, "DATETIME") == 0)
        return Schema::kDate;
    if (qstricmp(declared, "INTEGER") == 0)
        return Schema::kInteger;
    if (qstrnicmp(declared, "TEXT", 4) == 0)
        return Schema::kText;
    return -1;
}

// Work tables whose insert starts a new document: the table is emptied first,
// with its body. Those with a body number their header IDs themselves.
struct WorkHeader {
    const char* header;
    const char* body;
};
constexpr WorkHeader kWorkHeaders[] = {
    {TB_WATENA, nullptr},           {TB_WITEM, nullptr},
    {TB_WSHIME_H, TB_WSHIME_B},     {TB_WMOTOCHO_H, TB_WMOTOCHO_B},
    {TB_WRECEIPT_H, TB_WRECEIPT_B}, {TB_WBANK_H, TB_WBANK_B},
};

const WorkHeader* FindWorkHeader(const TableDef& table)
{
    for (const WorkHeader& w : kWorkHeaders) {
        if (std::strcmp(w.header, table.name) == 0)
            return &w;
    }
    return nullptr;
}

// Two digits at p, or -1.
int Digits(const char* p, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

// 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS', as stored.
bool ParseStoredDate(const char* p, int length, qint64& julianDay, qint32& msecs)
{
    if ((length != 10 && length != 19) || p[4] != '-' || p[7] != '-')
        return false;
    const QDate date(Digits(p, 4), Digits(p + 5, 2), Digits(p + 8, 2));
    if (!date.isValid())
        return false;
    msecs = -1;
    if (length == 19) {
        if (p[10] != ' ' || p[13] != ':' || p[16] != ':')
            return false;
        const QTime time(Digits(p + 11, 2), Digits(p + 14, 2), Digits(p + 17, 2));
        if (!time.isValid())
            return false;
        msecs = time.msecsSinceStartOfDay();
    }
    julianDay = date.toJulianDay();
    return true;
}

// Writes `value` as `count` digits.
char* PutDigits(char* p, int value, int count)
{
    for (int i = count - 1; i >= 0; --i, value /= 10)
        p[i] = char('0' + value % 10);
    return p + count;
}

// 'YYYY-MM-DD', with ' HH:MM:SS' when msecs >= 0; answers the length.
// Written by hand: formatting is a good part of the cost of an insert.
int FormatStoredDate(char (&buffer)[32], qint64 julianDay, int msecs)
{
    int year = 0, month = 0, day = 0;
    QDate::fromJulianDay(julianDay).getDate(&year, &month, &day);
    char* p = buffer;
    if (year >= 0 && year <= 9999)
        p = PutDigits(p, year, 4);
    else
        p += std::snprintf(p, 12, "%04d", year);
    *p++ = '-';
    p = PutDigits(p, month, 2);
    *p++ = '-';
    p = PutDigits(p, day, 2);
    if (msecs >= 0) {
        const int seconds = msecs / 1000;
        *p++ = ' ';
        p = PutDigits(p, seconds / 3600, 2);
        *p++ = ':';
        p = PutDigits(p, seconds / 60 % 60, 2);
        *p++ = ':';
        p = PutDigits(p, seconds % 60, 2);
    }
    return int(p - buffer);
}

// Resets a statement after use, whatever way the use ends.
class StatementUse
{
  public:
    explicit StatementUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementUse()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

  private:
    sqlite3_stmt* m_statement;
};

QString FieldLabel(const TableDef& table, const FieldDef& field)
{
    return QString::fromLatin1(table.name) % u'.' % QString::fromLatin1(field.name);
}

bool IsBlankText(const CTb& field)
{
    return field.GetType() == CTb::kText && field.GetText().trimmed().isEmpty();
}

// The column a record field writes to. Fields of another table and unknown
// names give null; the ID column is answered like any other.
const FieldDef* ColumnOf(const TableDef& table, const QString& name)
{
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0 && !EqualsNoAsciiCase(QStringView(name).left(dot), QString::fromLatin1(table.name)))
        return nullptr;
    return Schema::FindField(table, dot < 0 ? name : name.mid(dot + 1));
}

bool IsIdColumn(const FieldDef& column)
{
    return std::strcmp(column.name, "ID") == 0;
}

QString UnknownField(const QString& table, const QString& name)
{
    return QStringLiteral("テーブル「%1」に項目「%2」はありません。").arg(table, name);
}

// The record's ID field: "Table.ID", else a bare "ID".
const CTb* IdField(const COneRecord& record, const QString& table)
{
    if (const CTb* field = record.FindField(table % QLatin1String(".ID")))
        return field;
    return record.FindField(QStringLiteral("ID"));
}

CTb* IdField(COneRecord& record, const QString& table)
{
    return const_cast<CTb*>(IdField(std::as_const(record), table));
}

// The fields of a record that go to the table's columns, in record order.
// Answers 1, or 10 for a field an ordinary table does not have.
struct Slot {
    int field;
    const FieldDef* column;
};

int MapFields(const COneRecord& record, const TableDef& table, const QString& tableName, bool keepId,
              std::vector<Slot>& slots, int* idField, QString& err)
{
    slots.clear();
    if (idField)
        *idField = -1;
    std::vector<bool> used(table.fields.size(), false);
    for (int i = 0; i < record.GetCount(); ++i) {
        const QString& name = record.GetAt(i)->GetName();
        const FieldDef* column = ColumnOf(table, name);
        if (!column) {
            if (table.workTable)
                continue;
            err = UnknownField(tableName, name);
            return CMakeMsgID::kFailed;
        }
        if (IsIdColumn(*column) && !keepId) {
            if (idField && *idField < 0)
                *idField = i;
            continue;
        }
        const std::size_t index = std::size_t(column - table.fields.data());
        if (used[index])
            continue; // the first of two fields naming one column wins
        used[index] = true;
        slots.push_back({i, column});
    }
    return CMakeMsgID::kOk;
}

struct QStringHash {
    std::size_t operator()(const QString& s) const noexcept { return qHash(s); }
};

} // namespace

// ---- statements ---------------------------------------------------------

struct CMakeMsgID::Statement {
    struct Column {
        CTb::NameId name; // the result field's name, as every field keeps it
        int type;         // field type, or -1: by the stored value
    };

    ~Statement() { sqlite3_finalize(handle); }

    sqlite3_stmt* handle = nullptr;
    // The columns are described for one kind of request (bare or "Table.")
    // and one compiled form: a schema change recompiles the statement.
    bool described = false;
    bool bare = false;
    int reprepares = 0;
    std::vector<Column> columns;
};

struct CMakeMsgID::Cache {
    std::unordered_map<QString, std::unique_ptr<Statement>, QStringHash> statements;
};

CMakeMsgID::CMakeMsgID() : m_cache(std::make_unique<Cache>()) {}

CMakeMsgID::~CMakeMsgID()
{
    Close();
}

int CMakeMsgID::MakeMsgID()
{
    return sqlite3_initialize() == SQLITE_OK ? 1 : 0;
}

int CMakeMsgID::NoConnection(QString& err) const
{
    // An opening beside the window's thread has no connection yet: refused
    // as held, not as broken.
    if (const int held = Admit(err, false); held != kOk)
        return held;
    err = NoConnectionText();
    return kFatal;
}

QString CMakeMsgID::ErrorText(int rc, const QString& path, const QString& engineText)
{
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("データベース<%1>はほかのプログラムが使用中のため、処理できませんでした。"
                              "しばらく待ってから、もう一度操作してください。")
            .arg(path);
    case SQLITE_READONLY:
        return QStringLiteral("データベース<%1>は読み取り専用のため、書き込めません。").arg(path);
    case SQLITE_FULL:
        return QStringLiteral("ディスクの空き容量が足りないため、データベース<%1>に書き込めませんでした。"
                              "空き容量を増やしてから、もう一度操作してください。")
            .arg(path);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("データベース<%1>が壊れています。バックアップから復元してください。").arg(path);
    case SQLITE_CANTOPEN: {
        const QString unreadable = UnreadableText(path);
        return unreadable.isEmpty() ? engineText : unreadable;
    }
    default:
        return engineText;
    }
}

QString CMakeMsgID::UnreadableText(const QString& path)
{
    const auto text = [](const char* what, const QString& place) {
        return QStringLiteral("このユーザーの権限ではデータベース%1<%2>を読み込めないため、"
                              "データベースを開けませんでした。"
                              "読み込めるように権限を変更してから、もう一度操作してください。")
            .arg(QString::fromUtf8(what), place);
    };
    // The folder is listed, locked and passed through to the file.
    const QString folder = QFileInfo(path).path();
    const QByteArray folderName = QFile::encodeName(folder);
    if (::access(folderName.constData(), R_OK | X_OK) != 0 && errno == EACCES)
        return text("フォルダ", folder);
    const QByteArray fileName = QFile::encodeName(path);
    if (::access(fileName.constData(), R_OK) != 0 && errno == EACCES)
        return text("ファイル", path);
    return {};
}

int CMakeMsgID::Fail(int rc, QString& err) const
{
    m_nLastFailure = rc;
    err = ErrorText(rc, DatabasePath(m_folder),
                    QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc)));
    return IsFatal(rc) ? kFatal : kFailed;
}

void CMakeMsgID::TrimCache()
{
    if (m_cache->statements.size() > kCacheLimit)
        m_cache->statements.clear();
}

int CMakeMsgID::Prepare(const QString& sql, Statement*& statement, QString& err)
{
    const auto it = m_cache->statements.find(sql);
    if (it != m_cache->statements.end()) {
        statement = it->second.get();
        return kOk;
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* handle = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &handle,
                                &tail);
    if (rc != SQLITE_OK)
        return Fail(rc, err);
    // One statement per request: a second one after a semicolon is refused,
    // so a condition can never smuggle in another command.
    sqlite3_stmt* extra = nullptr;
    if (handle && tail && *tail)
        rc = sqlite3_prepare_v2(m_db, tail, -1, &extra, nullptr);
    if (!handle || rc != SQLITE_OK || extra) {
        sqlite3_finalize(handle);
        sqlite3_finalize(extra);
        err = handle ? QStringLiteral("一度に実行できるSQL文は一つだけです。")
                     : QStringLiteral("SQL文がありません。");
        return kFailed;
    }
    auto owned = std::make_unique<Statement>();
    owned->handle = handle;
    statement = owned.get();
    m_cache->statements.emplace(sql, std::move(owned));
    return kOk;
}

void CMakeMsgID::Describe(Statement& statement, const QString& table, bool bare) const
{
    const int reprepares = sqlite3_stmt_status(statement.handle, SQLITE_STMTSTATUS_REPREPARE, 0);
    if (statement.described && statement.bare == bare && statement.reprepares == reprepares)
        return;
    const int count = sqlite3_column_count(statement.handle);
    statement.columns.clear();
    statement.columns.reserve(std::size_t(count));
    const TableDef* def = bare ? nullptr : Schema::FindTable(table);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(statement.handle, i));
        int type = -1;
        if (def) {
            if (const FieldDef* field = Schema::FindField(*def, name))
                type = field->type;
        }
        if (type < 0)
            type = TypeOfDeclared(sqlite3_column_decltype(statement.handle, i));
        if (type < 0)
            type = Schema::ResultColumnType(name);
        statement.columns.push_back({CTb::Intern(bare ? name : QString(table % u'.' % name)), type});
    }
    statement.described = true;
    statement.bare = bare;
    statement.reprepares = reprepares;
}

void CMakeMsgID::ReadValue(CTb& field, sqlite3_value* value, int column, int type, CSharedTexts* shared)
{
    if (type == CTb::kText) {
        // Most fields are texts: no value is a null pointer, without asking
        // the storage class first.
        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        if (!text)
            return;
        const int bytes = sqlite3_value_bytes(value);
        if (shared)
            shared->Set(field, column, text, bytes);
        else
            field = QString::fromUtf8(text, bytes);
        return;
    }
    const int storage = sqlite3_value_type(value);
    if (storage == SQLITE_NULL)
        return;
    auto readText = [&] {
        field = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                  sqlite3_value_bytes(value));
    };
    field.m_null = false;
    switch (type) {
    case CTb::kInteger:
        field.m_value = sqlite3_value_int64(value);
        return;
    case CTb::kMoney:
        if (storage == SQLITE_INTEGER) {
            field.m_value = sqlite3_value_int64(value);
            field.m_scale = 4;
        } else if (storage == SQLITE_FLOAT) {
            // A stored amount is ten-thousandths even when an expression made it real.
            const double units = std::round(sqlite3_value_double(value));
            if (std::fabs(units) < 9.2e18) {
                field.m_value = qint64(units);
                field.m_scale = 4;
            } else {
                field.m_null = true;
            }
        } else {
            readText();
            CMny money;
            const bool ok = field.GetData(money);
            field = money;
            if (!ok)
                field.SetNull();
        }
        return;
    case CTb::kDate: {
        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        qint64 julianDay = 0;
        qint32 msecs = -1;
        if (ParseStoredDate(text, sqlite3_value_bytes(value), julianDay, msecs))
            field.SetDay(julianDay, msecs);
        else
            readText(); // not a stored day: keep what is there as text
        return;
    }
    default:
        if (storage == SQLITE_INTEGER) {
            field.m_type = CTb::kInteger;
            field.m_value = sqlite3_value_int64(value);
        } else if (storage == SQLITE_FLOAT) {
            const double units = std::round(sqlite3_value_double(value) * 10000);
            field.m_type = CTb::kMoney;
            if (std::fabs(units) < 9.2e18) {
                field.m_value = qint64(units);
                field.m_scale = 4;
            } else {
                field.m_null = true;
            }
        } else {
            readText();
        }
    }
}

// Binds one field to its column, converted to the column's type.
int CMakeMsgID::BindField(sqlite3_stmt* statement, int index, const CTb& field, const TableDef& table,
                          const FieldDef& column, std::string& buffer, QString& err)
{
    int rc = SQLITE_OK;
    if (field.IsNull()) {
        rc = sqlite3_bind_null(statement, index);
    } else if (column.type == Schema::kText) {
        const QString text = field.GetText();
        // A CP932 character takes at most two bytes, so short texts need no count.
        // Too long is refused, never cut: the caller (an import, mostly) must
        // learn which record did not fit rather than store a shortened name.
        if (column.byteLimit > 0 && text.size() * 2 > column.byteLimit &&
            Cp932::ByteLength(text) > column.byteLimit) {
            err = QStringLiteral("「%1」は%2バイトまでです。")
                      .arg(FieldLabel(table, column))
                      .arg(column.byteLimit);
            return kFailed;
        }
        // Qt's encoder is several times faster than SQLite's own UTF-16
        // translation. The text is written into the caller's buffer, which
        // outlives the step, so that SQLite takes it without a copy.
        QStringEncoder utf8(QStringEncoder::Utf8);
        buffer.resize(std::size_t(utf8.requiredSpace(text.size())));
        const char* end = utf8.appendToBuffer(buffer.data(), text);
        rc = sqlite3_bind_text(statement, index, buffer.data(), int(end - buffer.data()), SQLITE_STATIC);
    } else if (IsBlankText(field)) {
        rc = sqlite3_bind_null(statement, index);
    } else if (column.type == Schema::kDate) {
        qint64 julianDay = 0;
        int msecs = -1;
        QDate parsed;
        if (field.m_type == CTb::kDate) {
            julianDay = field.Day();
            msecs = field.Msecs();
        } else if (field.m_type == CTb::kText && CTb::ParseDate(field.GetText(), parsed, msecs)) {
            julianDay = parsed.toJulianDay();
        } else {
            err = QStringLiteral("「%1」に日付でない値があります。").arg(FieldLabel(table, column));
            return kFailed;
        }
        // Only date-time columns keep the time of day; the others store the day.
        // A bare day in a date-time column is its midnight, so every value of
        // the column compares in one form.
        char buffer[32];
        const int length = FormatStoredDate(buffer, julianDay, column.dateTime ? qMax(msecs, 0) : -1);
        rc = sqlite3_bind_text(statement, index, buffer, length, SQLITE_TRANSIENT);
    } else if (column.type == Schema::kMoney) {
        CMny value;
        CMny stored;
        if (!field.GetData(value) || !value.Round(stored, CMny::kRoundHalfUp, 4)) {
            err = QStringLiteral("「%1」に金額として扱えない値があります。").arg(FieldLabel(table, column));
            return kFailed;
        }
        rc = sqlite3_bind_int64(statement, index, stored.GetValue());
    } else {
        int value = 0;
        if (!field.GetData(value)) {
            err = QStringLiteral("「%1」に整数でない値があります。").arg(FieldLabel(table, column));
            return kFailed;
        }
        rc = sqlite3_bind_int64(statement, index, value);
    }
    if (rc != SQLITE_OK) {
        err = QString::fromUtf8(sqlite3_errstr(rc));
        return IsFatal(rc) ? kFatal : kFailed;
    }
    return kOk;
}

int CMakeMsgID::RunStatement(const QString& sql, QString& err, int* changes)
{
    Statement* statement = nullptr;
    int result = Prepare(sql, statement, err);
    if (result != kOk)
        return result;
    StatementUse use(statement->handle);
    int rc = sqlite3_step(statement->handle);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(statement->handle);
    if (rc != SQLITE_DONE)
        return Fail(rc, err);
    if (changes)
        *changes = sqlite3_changes(m_db);
    return kOk;
}

// ---- connection ---------------------------------------------------------

QString CMakeMsgID::DatabasePath(const QString& folder)
{
    // The exact name wins over another spelling, as with every file of the folder.
    const QDir dir(folder);
    const QString name = QString::fromUtf8(DB_FILE_NAME);
    if (QFileInfo(dir.filePath(name)).isFile())
        return dir.filePath(name);
    const QStringList found = dir.entryList({name}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : found)
        if (EqualsNoAsciiCase(entry, name))
            return dir.filePath(entry);
    return dir.filePath(name);
}

int CMakeMsgID::CreateDatabase(const QString& path, const QDateTime& now, QString& err)
{
    if (QFileInfo::exists(path)) {
        err = QStringLiteral("ファイル<%1>は既にあります。").arg(path);
        return kFailed;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto exec = [&](const QString& sql) {
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    };
    exec(QStringLiteral("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; BEGIN"));
    const QString stamp = now.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (const QString& statement : Schema::CreateStatements(stamp))
        exec(statement);
    exec(QStringLiteral("PRAGMA user_version=%1; COMMIT").arg(Schema::Version()));
    if (rc != SQLITE_OK) {
        err = ErrorText(rc, path, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close_v2(db);
        QFile::remove(path);
        return IsFatal(rc) ? kFatal : kFailed;
    }
    rc = sqlite3_close_v2(db);
    return rc == SQLITE_OK ? kOk : kFatal;
}

namespace
{

int& WriterWait()
{
    static int wait = 5000;
    return wait;
}

// An opening that waits for another program's write keeps the wait dialog
// painted, and gives up as a request does.
struct CWriterWait {
    IDataProgress* progress = nullptr;
    int limit = 0;
    QElapsedTimer waited;
};

int WaitForWriter(void* context, int tries)
{
    auto* wait = static_cast<CWriterWait*>(context);
    if (tries == 0)
        wait->waited.start();
    const qint64 left = wait->limit - wait->waited.elapsed();
    if (left <= 0)
        return 0;
    // The steps may wait on a thread of their own: the listener hears it on
    // its own thread.
    DataProgress::Tell(
        wait->progress, [](IDataProgress& told) { told.WaitingForWriter(); }, wait);
    // A lock of a moment is the usual case: short naps first.
    sqlite3_sleep(int(std::min<qint64>({qint64(1) << std::min(tries, 5), 25, left})));
    return 1;
}

// Changes with every commit of another connection to the file.
qint64 DataVersion(sqlite3* db)
{
    qint64 version = -1;
    ReadPragma(db, "main.data_version", version);
    return version;
}

} // namespace

int CMakeMsgID::SetWriterWait(int milliseconds)
{
    return std::exchange(WriterWait(), std::max(0, milliseconds));
}

int CMakeMsgID::Open(const QString& folder, QString& err)
{
    if (const int held = Admit(err, false); held != kOk)
        return held;
    Close();
    const QString path = DatabasePath(folder);
    err = UnreadableText(path);
    if (!err.isEmpty())
        return kFatal;
    if (!QFileInfo(path).isFile()) {
        err = QStringLiteral("データベースファイル<%1>がありません。").arg(path);
        return kFatal;
    }
    // A file marked read-only stays unwritten, whoever opens it. So does one
    // in a folder this user cannot write: no write there can make its
    // journal, and opened read-only the connection knows it from the start.
    const bool marked = !(QFileInfo(path).permissions() &
                          (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)) ||
                        ::access(QFile::encodeName(QFileInfo(path).path()).constData(), W_OK) != 0;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             (marked ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    // Before the first read: a writer's lock of a moment is waited out, not
    // taken for a broken file.
    if (rc == SQLITE_OK)
        sqlite3_busy_timeout(db, WriterWait());
    // A closed database must be one self-contained file that backup can copy.
    // A report reads tens of megabytes of index pages: with SQLite's default
    // cache of 2 MB each read of them is a call to the system and a copy.
    // A closing of a few thousand partners, its undo and its invoices touch
    // a page or more of every slip index per slip, and the list before them
    // the same pages: at three times the benchmark's books that is more
    // than 64 MB, and they were read again each time. Up to 256 MB of the
    // pages read are kept (negative: a size in KiB; only pages read are taken).
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db,
                          "PRAGMA foreign_keys=ON; PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; "
                          "PRAGMA cache_size=-262144",
                          nullptr, nullptr, nullptr);
    int version = -1;
    QSet<QString> tables;
    if (rc == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        rc = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &statement,
                                nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
            tables.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)))
                              .toLower());
            rc = SQLITE_OK;
        }
        sqlite3_finalize(statement);
        if (rc == SQLITE_DONE)
            version = SchemaSteps::FileVersion(db, rc);
    }
    if (rc != SQLITE_OK) {
        err = ErrorText(rc, path, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close_v2(db);
        return kFatal;
    }
    QString problem;
    if (version > Schema::Version())
        problem =
            QStringLiteral("このデータベース（バージョン%1）は、このプログラム（バージョン%2）より新しいため"
                           "開けません。新しいプログラムで開いてください。")
                .arg(version)
                .arg(Schema::Version());
    else if (version < SchemaSteps::kFirstVersion)
        problem = QStringLiteral("データベースの形式が違います。");
    for (const TableDef& table : Schema::Tables()) {
        if (problem.isEmpty() && !tables.contains(QString::fromLatin1(table.name).toLower()))
            problem =
                QStringLiteral("データベースにテーブル「%1」がありません。").arg(QLatin1String(table.name));
    }
    if (!problem.isEmpty()) {
        err = problem;
        sqlite3_close_v2(db);
        return kFatal;
    }
    // A file of an earlier build takes the steps to this one's schema. Another
    // program's write is waited out as for any request: balances made for
    // this connection alone would miss what others book later. One that
    // still cannot be written is read as it is, with what the steps make
    // done for this connection; a write or the next opening takes them.
    CWriterWait wait{m_pProgress, WriterWait(), {}};
    if (wait.progress)
        sqlite3_busy_handler(db, WaitForWriter, &wait);
    const qint64 seen = DataVersion(db);
    bool pending = false;
    int code = SQLITE_OK;
    SchemaSteps::Failure failure;
    int upgraded = 0;
    {
        // Held by no thread while the steps run beside this one; where they
        // run here, their caller waits for them.
        const CHeld held(*this, std::thread::id(), LongWork::CanRunBeside());
        upgraded = SchemaSteps::Upgrade(db, version, wait.progress, pending, code, &failure);
    }
    sqlite3_busy_timeout(db, WriterWait());
    if (upgraded != 1) {
        err = QStringLiteral("データベースを新しい形式に更新できませんでした。\n") +
              StepFailureText(code, path, failure);
        sqlite3_close_v2(db);
        return kFatal;
    }
    // The balances of a file at this schema that another tool took away are
    // made again from the headers, which hold all they keep: refused, the
    // books would stay whole but every closing would fail.
    bool remade = false;
    QString message;
    if (!pending && BookedTotals::MakeMissing(db, remade, code, message) != 1) {
        err = QStringLiteral(
                  "データベース<%1>に取引先ごとの請求・支払の残高の表がないため伝票から作り直そうとしま"
                  "したが、できませんでした。\n%2")
                  .arg(path, ErrorText(code, path, message));
        sqlite3_close_v2(db);
        return kFatal;
    }
    m_db = db;
    m_folder = folder;
    m_bBalancesPending = pending;
    m_nBalancesSeen = seen;
    KeepTicking();
    return kOk;
}

bool CMakeMsgID::IsReadOnly() const
{
    return m_db && sqlite3_db_readonly(m_db, "main") == 1;
}

int CMakeMsgID::MakePendingBalances(QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    if (!m_bBalancesPending)
        return kOk;
    if (InTransaction()) {
        err = QStringLiteral("処理中のトランザクションがあるため、集計表を作成できません。");
        return kFailed;
    }
    m_cache->statements.clear();
    const qint64 seen = DataVersion(m_db);
    int rc = SQLITE_OK;
    const int version = SchemaSteps::FileVersion(m_db, rc);
    if (version < 0)
        return Fail(rc, err);
    // From the first version: another program may have taken steps since
    // this connection made its own, which would hide the file's.
    SchemaSteps::DropForConnection(m_db, SchemaSteps::kFirstVersion);
    bool pending = false;
    // The opening's work, heard as an opening's: under the wait dialog and
    // beside the window's thread, for the indexes take a while on large
    // books. The listener hears it inside the call that asked for it.
    SchemaSteps::Failure failure;
    int upgraded = 0;
    {
        // Held by no thread while the steps run beside this one; where they
        // run here, their caller waits for them.
        const CHeld held(*this, std::thread::id(), LongWork::CanRunBeside());
        upgraded = SchemaSteps::Upgrade(m_db, version, m_pProgress, pending, rc, &failure);
    }
    if (upgraded == 1 && !pending) {
        m_bBalancesPending = false;
        return kOk;
    }
    // Still unwritable, the connection has made its own again; after any
    // other failure it makes them anew, so it keeps reading right.
    if (upgraded != 1) {
        int ignored = SQLITE_OK;
        SchemaSteps::DropForConnection(m_db, SchemaSteps::kFirstVersion);
        const int reached = SchemaSteps::FileVersion(m_db, ignored);
        SchemaSteps::KeepForConnection(m_db, reached < 0 ? version : reached, ignored);
    }
    m_nBalancesSeen = seen;
    const int result = Fail(rc == SQLITE_OK ? SQLITE_READONLY : rc, err);
    if (upgraded != 1)
        err = StepFailureText(rc, DatabasePath(m_folder), failure);
    return result;
}

int CMakeMsgID::KeepPendingBalancesCurrent(QString& err)
{
    if (!m_bBalancesPending || m_depth > 0 || !sqlite3_get_autocommit(m_db))
        return kOk;
    const qint64 seen = DataVersion(m_db);
    if (seen == m_nBalancesSeen)
        return kOk;
    // Another program wrote: what it booked is summed again from the headers.
    m_cache->statements.clear();
    int rc = SQLITE_OK;
    const int version = SchemaSteps::FileVersion(m_db, rc);
    if (version < 0)
        return Fail(rc, err);
    SchemaSteps::DropForConnection(m_db, SchemaSteps::kFirstVersion);
    if (SchemaSteps::KeepForConnection(m_db, version, rc) != 1)
        return Fail(rc, err);
    // It may have taken the steps itself.
    m_bBalancesPending = version < SchemaSteps::Current();
    m_nBalancesSeen = seen;
    return kOk;
}

void CMakeMsgID::Close()
{
    QString held;
    if (Admit(held) != kOk)
        return;
    DetachImport(); // its statements go before the connection
    m_cache->statements.clear();
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_pTicks.reset(); // the handler goes with the connection
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_depth = 0;
    m_bBalancesPending = false;
    m_folder.clear();
}

// ---- transactions -------------------------------------------------------

int CMakeMsgID::BeginTransaction(QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    if (m_depth > 0 && sqlite3_get_autocommit(m_db)) {
        err = QStringLiteral("処理中のトランザクションは取り消されています。");
        return kFailed;
    }
    // A write (a closing, its undo, a receipt, a slip) starts from the
    // balances of the file itself: those kept for this connection alone
    // would miss what another program books while this one writes.
    if (m_depth == 0 && m_bBalancesPending && !IsReadOnly()) {
        if (const int made = MakePendingBalances(err); made != kOk) {
            err = PendingBalancesText() + u'\n' + err;
            return made;
        }
    }
    if (m_depth == 0)
        m_nLastFailure = 0;
    const QByteArray sql =
        m_depth == 0 ? QByteArray("BEGIN IMMEDIATE") : "SAVEPOINT sp" + QByteArray::number(m_depth);
    const int rc = sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return Fail(rc, err);
    ++m_depth;
    return kOk;
}

int CMakeMsgID::CheckOpenTransaction(QString& err) const
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    if (m_depth == 0) {
        err = QStringLiteral("トランザクションが開始されていません。");
        return kFailed;
    }
    return kOk;
}

int CMakeMsgID::Commit(QString& err)
{
    if (const int checked = CheckOpenTransaction(err); checked != kOk)
        return checked;
    if (sqlite3_get_autocommit(m_db)) {
        // SQLite already undid the whole transaction after an error.
        --m_depth;
        err = QStringLiteral("処理中のトランザクションは取り消されています。");
        return kFailed;
    }
    const QByteArray sql =
        m_depth == 1 ? QByteArray("COMMIT") : "RELEASE sp" + QByteArray::number(m_depth - 1);
    const int rc = sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const int result = Fail(rc, err);
        QString ignored;
        Rollback(ignored);
        return result;
    }
    --m_depth;
    return kOk;
}

int CMakeMsgID::Rollback(QString& err)
{
    if (const int checked = CheckOpenTransaction(err); checked != kOk)
        return checked;
    --m_depth;
    if (sqlite3_get_autocommit(m_db))
        return kOk; // already undone by SQLite
    const QByteArray name = "sp" + QByteArray::number(m_depth);
    const QByteArray sql =
        m_depth == 0 ? QByteArray("ROLLBACK") : "ROLLBACK TO " + name + "; RELEASE " + name;
    const int rc = sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? kOk : Fail(rc, err);
}

int CMakeMsgID::Execute(const QString& sql, QString& err, int* changes)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    TrimCache();
    return RunStatement(sql, err, changes);
}

int CMakeMsgID::Execute(const QString& sql, const CSqlValues& values, QString& err, int* changes)
{
    return ExecuteRows(sql, {values}, err, changes);
}

int CMakeMsgID::ExecuteRows(const QString& sql, const std::vector<CSqlValues>& rows, QString& err,
                            int* changes)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    TrimCache();
    Statement* statement = nullptr;
    if (const int prepared = Prepare(sql, statement, err); prepared != kOk)
        return prepared;
    int changed = 0;
    for (const CSqlValues& values : rows) {
        StatementUse use(statement->handle);
        if (const int bound = BindValues(statement->handle, values, err); bound != kOk)
            return bound;
        int rc = sqlite3_step(statement->handle);
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(statement->handle);
        if (rc != SQLITE_DONE)
            return Fail(rc, err);
        changed += sqlite3_changes(m_db);
    }
    if (changes)
        *changes = changed;
    return kOk;
}

int CMakeMsgID::BindValues(sqlite3_stmt* statement, const CSqlValues& values, QString& err) const
{
    const int count = sqlite3_bind_parameter_count(statement);
    if (std::size_t(count) > values.size()) {
        err = QStringLiteral("SQL文の値が足りません。");
        return kFailed;
    }
    for (int i = 0; i < count; ++i) {
        const CSqlValue& value = values[std::size_t(i)];
        int rc = SQLITE_OK;
        if (const qint64* number = std::get_if<qint64>(&value)) {
            rc = sqlite3_bind_int64(statement, i + 1, *number);
        } else if (const QString* text = std::get_if<QString>(&value)) {
            // A text goes in whole, a U+0000 in it too: it is never part of
            // the statement's words.
            const QByteArray utf8 = text->toUtf8();
            rc = sqlite3_bind_text(statement, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        } else {
            rc = sqlite3_bind_null(statement, i + 1);
        }
        if (rc != SQLITE_OK)
            return Fail(rc, err);
    }
    return kOk;
}

// ---- requests -----------------------------------------------------------

int CMakeMsgID::GetDataList(const CCDSData& request, CCDSData& result, QString& err)
{
    return ListRows(request, nullptr, result, err);
}

int CMakeMsgID::GetDataList(const CCDSData& request, const CSqlValues& values, CCDSData& result, QString& err)
{
    return ListRows(request, &values, result, err);
}

int CMakeMsgID::ListRows(const CCDSData& request, const CSqlValues* values, CCDSData& result, QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    if (const int current = KeepPendingBalancesCurrent(err); current != kOk)
        return current;
    TrimCache();
    const QString tail = Tail(request.m_strCondition);
    const bool whole = StartsWithKeyword(tail, QLatin1StringView("SELECT"));
    if (!whole && request.m_strTable.isEmpty()) {
        err = QStringLiteral("テーブル名が指定されていません。");
        return kFailed;
    }
    const QString sql =
        whole ? tail : QString(QStringLiteral("SELECT * FROM ") % QuoteId(request.m_strTable) % u' ' % tail);
    Statement* statement = nullptr;
    const int prepared = Prepare(sql, statement, err);
    if (prepared != kOk)
        return prepared;

    StatementUse use(statement->handle);
    if (values)
        if (const int bound = BindValues(statement->handle, *values, err); bound != kOk)
            return bound;
    const int before = result.GetCount();
    sqlite3_stmt* handle = statement->handle;
    int rc = sqlite3_step(handle);
    // Described after the first step, which recompiles a statement whose
    // tables changed since it was prepared.
    Describe(*statement, request.m_strTable, whole);
    const int count = int(statement->columns.size());
    CRecordChunks chunks;
    {
        // Rows repeat texts (the lines of one slip its number and partner, a
        // list's lines their items), which then share one copy. Their counts
        // are complete when it goes, before any record may be removed.
        CSharedTexts shared(count);
        for (; rc == SQLITE_ROW; rc = sqlite3_step(handle)) {
            COneRecord* record = result.AddNew();
            // Room for the field a list computes into its records, the shown name.
            CTb* fields = chunks.AddFields(*record, count, 1);
            for (int i = 0; i < count; ++i) {
                const Statement::Column& column = statement->columns[std::size_t(i)];
                CTb& field = fields[i];
                field.m_name = column.name;
                field.m_type = qint8(column.type < 0 ? CTb::kText : column.type);
                // The value of the row itself: the column calls would check the
                // statement and its errors once more for every field.
                ReadValue(field, sqlite3_column_value(handle, i), i, column.type, &shared);
            }
        }
    }
    if (rc != SQLITE_DONE) {
        while (result.GetCount() > before)
            result.RemoveAt(result.GetCount() - 1);
        return Fail(rc, err);
    }
    return kOk;
}

int CMakeMsgID::GetDataNum(const CCDSData& request, int& count, QString& err)
{
    count = 0;
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    if (const int current = KeepPendingBalancesCurrent(err); current != kOk)
        return current;
    TrimCache();
    const QString tail = Tail(request.m_strCondition);
    const bool whole = StartsWithKeyword(tail, QLatin1StringView("SELECT"));
    if (!whole && request.m_strTable.isEmpty()) {
        err = QStringLiteral("テーブル名が指定されていません。");
        return kFailed;
    }
    // A tail that groups, limits or adds a compound part is counted over the
    // statement GetDataList runs; a plain one directly, so that its ORDER BY
    // sorts nothing. The line break ends a trailing comment.
    const QString table = QuoteId(request.m_strTable);
    QString sql;
    if (whole)
        sql = QStringLiteral("SELECT COUNT(*) FROM (") % tail % QStringLiteral("\n)");
    else if (ShapesRows(tail))
        sql = QStringLiteral("SELECT COUNT(*) FROM (SELECT * FROM ") % table % u' ' % tail %
              QStringLiteral("\n)");
    else
        sql = QStringLiteral("SELECT COUNT(*) FROM ") % table % u' ' % tail;
    Statement* statement = nullptr;
    const int prepared = Prepare(sql, statement, err);
    if (prepared != kOk)
        return prepared;
    StatementUse use(statement->handle);
    const int rc = sqlite3_step(statement->handle);
    if (rc != SQLITE_ROW)
        return Fail(rc, err);
    count = int(qMin<sqlite3_int64>(sqlite3_column_int64(statement->handle, 0), INT_MAX));
    return kOk;
}

int CMakeMsgID::InsertData(CCDSData& set, QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    TrimCache();
    const TableDef* table = Schema::FindTable(set.m_strTable);
    if (!table) {
        err = QStringLiteral("テーブル「%1」はありません。").arg(set.m_strTable);
        return kFailed;
    }
    if (set.GetCount() == 0)
        return kOk;
    int result = BeginTransaction(err);
    if (result != kOk)
        return result;
    std::vector<std::pair<int, qint64>> assigned;
    result = InsertRecords(set, *table, assigned, err);
    if (result == kOk) {
        result = Commit(err);
    } else {
        QString ignored;
        Rollback(ignored);
    }
    // IDs reach the records only when the rows really exist.
    if (result == kOk) {
        for (const auto& [index, id] : assigned) {
            COneRecord& record = *set.GetAt(index);
            CTb* field = IdField(record, set.m_strTable);
            if (!field)
                field = record.AddField(CTb(set.m_strTable % QLatin1String(".ID")));
            *field = int(id);
        }
    }
    return result;
}

int CMakeMsgID::InsertRecords(CCDSData& set, const TableDef& table,
                              std::vector<std::pair<int, qint64>>& assigned, QString& err)
{
    const QString tableName = QString::fromLatin1(table.name);
    const WorkHeader* workHeader = FindWorkHeader(table);
    // Headers of work tables with a body number their own IDs.
    const bool numbered = workHeader && workHeader->body;
    int result = kOk;
    qint64 nextId = 1; // the table is empty after the clear below
    if (workHeader) {
        result = RunStatement(QStringLiteral("DELETE FROM ") % QuoteId(tableName), err);
        if (result == kOk && workHeader->body)
            result = RunStatement(
                QStringLiteral("DELETE FROM ") % QuoteId(QString::fromLatin1(workHeader->body)), err);
        if (result != kOk)
            return result;
    }

    std::vector<QString> names; // field names of the record the slots were made for
    std::vector<Slot> slots;
    std::vector<std::string> texts; // the encoded texts of a record, one a slot, reused
    int idField = -1;
    Statement* statement = nullptr;
    for (int r = 0; r < set.GetCount(); ++r) {
        COneRecord& record = *set.GetAt(r);
        bool sameFields = statement && std::size_t(record.GetCount()) == names.size();
        for (int i = 0; sameFields && i < record.GetCount(); ++i)
            sameFields = record.GetAt(i)->GetName() == names[std::size_t(i)];
        if (!sameFields) {
            // Ordinary tables assign IDs; the numbered work headers bind it last.
            result =
                MapFields(record, table, set.m_strTable, table.workTable && !numbered, slots, &idField, err);
            if (result != kOk)
                return result;
            names.clear();
            for (int i = 0; i < record.GetCount(); ++i)
                names.push_back(record.GetAt(i)->GetName());
            QString columns, values;
            for (const Slot& slot : slots) {
                columns += (columns.isEmpty() ? QString() : QStringLiteral(",")) %
                           QuoteId(QLatin1String(slot.column->name));
                values += values.isEmpty() ? QStringLiteral("?") : QStringLiteral(",?");
            }
            if (numbered) {
                columns += (columns.isEmpty() ? QString() : QStringLiteral(",")) % QStringLiteral("\"ID\"");
                values += values.isEmpty() ? QStringLiteral("?") : QStringLiteral(",?");
            }
            const QString sql = QStringLiteral("INSERT INTO ") % QuoteId(tableName) %
                                (columns.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                                                   : QString(QStringLiteral(" (") % columns %
                                                             QStringLiteral(") VALUES (") % values % u')'));
            result = Prepare(sql, statement, err);
            if (result != kOk)
                return result;
        }
        sqlite3_stmt* handle = statement->handle;
        StatementUse use(handle);
        texts.resize(slots.size());
        for (std::size_t k = 0; k < slots.size(); ++k) {
            result = BindField(handle, int(k + 1), *record.GetAt(slots[k].field), table, *slots[k].column,
                               texts[k], err);
            if (result != kOk)
                return result;
        }
        if (numbered) {
            int id = 0;
            if (idField >= 0)
                record.GetAt(idField)->GetData(id);
            if (id == 0) {
                id = int(nextId++);
                assigned.emplace_back(r, id);
            } else {
                nextId = qMax<qint64>(nextId, qint64(id) + 1);
            }
            sqlite3_bind_int64(handle, int(slots.size() + 1), id);
        }
        const int rc = sqlite3_step(handle);
        if (rc != SQLITE_DONE)
            return Fail(rc, err);
        if (!table.workTable)
            assigned.emplace_back(r, sqlite3_last_insert_rowid(m_db));
    }
    return kOk;
}

int CMakeMsgID::UpdateData(const CCDSData& set, QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    TrimCache();
    const TableDef* table = Schema::FindTable(set.m_strTable);
    if (!table) {
        err = QStringLiteral("テーブル「%1」はありません。").arg(set.m_strTable);
        return kFailed;
    }
    const QString tail = Tail(set.m_strCondition);
    // Without a WHERE clause every row would be overwritten.
    if (!StartsWithKeyword(tail, QLatin1StringView("WHERE"))) {
        err = QStringLiteral("更新する条件が指定されていません。");
        return kFailed;
    }
    if (set.GetCount() == 0) {
        err = QStringLiteral("更新するデータがありません。");
        return kFailed;
    }
    const COneRecord& record = *set.GetAt(0);
    std::vector<Slot> slots;
    int result = MapFields(record, *table, set.m_strTable, false, slots, nullptr, err);
    if (result != kOk || slots.empty())
        return result;
    QString assignments;
    for (const Slot& slot : slots)
        assignments += (assignments.isEmpty() ? QString() : QStringLiteral(",")) %
                       QuoteId(QLatin1String(slot.column->name)) % QStringLiteral("=?");
    Statement* statement = nullptr;
    result = Prepare(QStringLiteral("UPDATE ") % QuoteId(QString::fromLatin1(table->name)) %
                         QStringLiteral(" SET ") % assignments % u' ' % tail,
                     statement, err);
    if (result != kOk)
        return result;
    StatementUse use(statement->handle);
    std::vector<std::string> texts(slots.size());
    for (std::size_t k = 0; k < slots.size(); ++k) {
        result = BindField(statement->handle, int(k + 1), *record.GetAt(slots[k].field), *table,
                           *slots[k].column, texts[k], err);
        if (result != kOk)
            return result;
    }
    const int rc = sqlite3_step(statement->handle);
    return rc == SQLITE_DONE ? kOk : Fail(rc, err);
}

int CMakeMsgID::DeleteData(const CCDSData& set, QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    TrimCache();
    if (set.m_strTable.isEmpty()) {
        err = QStringLiteral("テーブル名が指定されていません。");
        return kFailed;
    }
    const QString table = QuoteId(set.m_strTable);
    const QString tail = Tail(set.m_strCondition);
    if (!tail.isEmpty()) {
        // Anything but a WHERE clause (a stray comment, an ORDER BY) would
        // delete every row of the table.
        if (!StartsWithKeyword(tail, QLatin1StringView("WHERE"))) {
            err = QStringLiteral("削除する条件が正しくありません。");
            return kFailed;
        }
        return RunStatement(QStringLiteral("DELETE FROM ") % table % u' ' % tail, err);
    }

    std::vector<int> ids;
    for (int r = 0; r < set.GetCount(); ++r) {
        const CTb* field = IdField(*set.GetAt(r), set.m_strTable);
        int id = 0;
        if (!field || !field->GetData(id)) {
            err = QStringLiteral("削除するデータのIDがありません。");
            return kFailed;
        }
        ids.push_back(id);
    }
    if (ids.empty())
        return kOk;
    Statement* statement = nullptr;
    int result =
        Prepare(QStringLiteral("DELETE FROM ") % table % QStringLiteral(" WHERE \"ID\"=?"), statement, err);
    if (result != kOk)
        return result;
    result = BeginTransaction(err);
    if (result != kOk)
        return result;
    for (int id : ids) {
        StatementUse use(statement->handle);
        sqlite3_bind_int64(statement->handle, 1, id);
        const int rc = sqlite3_step(statement->handle);
        if (rc != SQLITE_DONE) {
            result = Fail(rc, err);
            break;
        }
    }
    if (result == kOk)
        return Commit(err);
    QString ignored;
    Rollback(ignored);
    return result;
}
