#include "platform/data/MakeMsgID.h"

#include "platform/data/Schema.h"
#include "platform/data/ScopedPragma.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"

#include <QHash>
#include <QStringBuilder>

#include <sqlite3.h>

#include <vector>

// The master import: the validity rules of the three master tables, the
// duplicate test against the codes of each batch looked up in the code
// index, and one transaction over all batches with a savepoint per record.

namespace
{

using Schema::FieldDef;
using Schema::TableDef;

constexpr qint64 kMoneyScale = 10000;

struct IntRule {
    const char* table; // null: customers and suppliers
    const char* field;
    bool (*valid)(int value);
};

bool Day(int v)
{
    return (v >= 0 && v <= 28) || v == 99;
}
bool ZeroToFour(int v)
{
    return v >= 0 && v <= 4;
}
bool OneToThree(int v)
{
    return v >= 1 && v <= 3;
}
bool ZeroToSeven(int v)
{
    return v >= 0 && v <= 7;
}
bool ZeroToTwo(int v)
{
    return v >= 0 && v <= 2;
}
bool ZeroOrOne(int v)
{
    return v == 0 || v == 1;
}
bool NotNegative(int v)
{
    return v >= 0;
}

// Coded fields that must hold a value in their range.
constexpr IntRule kNeeded[] = {
    {nullptr, "Day", Day},
    {nullptr, "TaxType", ZeroToFour},
    {nullptr, "TaxRoundType", OneToThree},
    {nullptr, "RoundType", OneToThree},
    {nullptr, "CollectCycle", ZeroToSeven},
    {nullptr, "CollectDay", NotNegative},
    {"Item", "TaxFlg", ZeroToTwo},
    {"Item", "TaxFlg2", ZeroToTwo},
};
// Coded fields whose value, when there is one, must be in range; without
// one the column's default applies.
constexpr IntRule kOptional[] = {
    {"Supplier", "BankAccountType", OneToThree},
    {"Supplier", "BankFee", ZeroOrOne},
    {"Supplier", "PaymentType", ZeroOrOne},
    {"Supplier", "BankType", OneToThree},
    {"Item", "StockType", ZeroOrOne},
};

struct MoneyRule {
    const char* table;
    const char* field;
    int intDigits;
    int decimals;
};
constexpr MoneyRule kMoney[] = {
    {"Customer", "Percent", 3, 1},  {nullptr, "Collect", 11, 0},
    {"Customer", "Ceiling", 11, 0}, {"Item", "Price", 8, 2},
    {"Item", "Cost", 8, 2},         {"Item", "FixPrice", 8, 2},
    {"Item", "StockNumber", 11, 4}, {"Item", "StockJustNumber", 11, 4},
    {"Item", "PriceYobi1", 11, 4},  {"Item", "PriceYobi2", 11, 4},
};

const QStringList& CollectTypes()
{
    static const QStringList types{QStringLiteral("現金"), QStringLiteral("小切手"),
                                   QStringLiteral("振込"), QStringLiteral("手形"),
                                   QStringLiteral("相殺"), QStringLiteral("その他")};
    return types;
}

bool RuleApplies(const char* ruleTable, const QString& table)
{
    if (ruleTable)
        return table == QLatin1String(ruleTable);
    return table == QLatin1String("Customer") || table == QLatin1String("Supplier");
}

// The amount in ten-thousandths, as the money columns store it.
bool TenThousandths(const CMny& value, qint64& units)
{
    CMny rounded, scaled;
    if (!value.Round(rounded, CMny::kRoundHalfUp, 4) || !rounded.Rescale(4, scaled))
        return false;
    units = scaled.GetValue();
    return true;
}

bool MoneyFits(const CMny& value, int intDigits, int decimals)
{
    qint64 units = 0;
    if (!TenThousandths(value, units))
        return false;
    qint64 step = 1;
    for (int i = decimals; i < 4; ++i)
        step *= 10;
    if (units % step != 0)
        return false;
    qint64 limit = kMoneyScale;
    for (int i = 0; i < intDigits; ++i)
        limit *= 10;
    return units < limit && units > -limit;
}

// The page cache of an import's transaction. Each connection keeps up to
// 256 MB of the pages it reads, for the reports; an import only appends
// records and looks up codes in an index, and with that cache the pages it
// has written and read would stay in memory by the hundred megabytes. With
// 64 MB a million records import as fast (negative: a size in KiB); the
// connection's own comes back when the run ends.
constexpr qint64 kImportCache = -65536;

// A value checked and made ready to bind.
struct Value {
    const FieldDef* column;
    const CTb* field;
    QString text; // texts, cut to the column's limit
    qint64 number = 0;
    bool null = false;
};

} // namespace

// One master import from its first batch to its end: the table, the mode,
// the counts so far and the statements, prepared once.
class CImportRun
{
  public:
    CImportRun(CMakeMsgID& data, const TableDef& table, int mode, const std::function<QString()>& nextCode)
        : m_pData(&data), m_db(data.Handle()), m_cache(m_db, "cache_size", kImportCache), m_table(table),
          m_nMode(mode), m_nextCode(nextCode)
    {
        m_strTable = QString::fromLatin1(table.name);
        m_strCode = m_strTable == QLatin1String("Item") ? QStringLiteral("ItemCode")
                                                        : m_strTable % QStringLiteral("Code");
        m_bNumbered = mode == 2 && m_strTable != QLatin1String("Item");
    }
    ~CImportRun() { Detach(); }

    // The connection's own page cache back, once the run writes no more.
    void GiveCacheBack() { m_cache.Restore(); }
    // The connection the run writes into; null once it let it go.
    CMakeMsgID* Data() const { return m_pData; }
    // The connection was closed under the run.
    bool Lost() const { return m_bLost; }
    // Its statements go, and the run no longer touches the connection.
    void Detach(bool lost = false)
    {
        m_bLost = lost && m_pData;
        if (m_pData)
            m_cache.Restore();
        for (sqlite3_stmt* statement : std::as_const(m_statements))
            sqlite3_finalize(statement);
        m_statements.clear();
        m_byKey.clear();
        m_pData = nullptr;
        m_db = nullptr;
    }

    const QString& CodeField() const { return m_strCode; }
    const QString& TableName() const { return m_strTable; }
    const TableDef& Table() const { return m_table; }
    int Mode() const { return m_nMode; }
    bool Numbered() const { return m_bNumbered; }

    int Prepare(const char* sql, sqlite3_stmt*& statement)
    {
        const int rc = sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
        if (rc == SQLITE_OK)
            m_statements << statement;
        return rc;
    }

    // Which of the codes exist (this import's own writes included), folded,
    // with their IDs: one look-up in the code index for a block of codes.
    int LookUp(const QStringList& codes, QHash<QString, qint64>& found);

    // `count` numbered codes for a batch, the counter's numbers in order
    // with those whose code exists passed over; false when the counter gives
    // none.
    bool DrawCodes(int count, QStringList& codes, int& rc);

    // Checks the record; the faulty fields' names go to `faults`.
    void Check(const COneRecord& record, std::vector<Value>& values, QStringList& faults) const;

    int Write(const COneRecord& record, std::vector<Value>& values, qint64 existingId, const QString& code);

    // The codes of the current batch that exist, and those it has written.
    QHash<QString, qint64> m_codes;
    int m_nAdded = 0;
    int m_nReplaced = 0;
    int m_nRefused = 0;
    int m_nDone = 0;

  private:
    sqlite3_stmt* Statement(const QString& key, const QByteArray& sql, int& rc)
    {
        if (sqlite3_stmt* found = m_byKey.value(key)) {
            sqlite3_reset(found);
            sqlite3_clear_bindings(found);
            rc = SQLITE_OK;
            return found;
        }
        sqlite3_stmt* statement = nullptr;
        rc = Prepare(sql.constData(), statement);
        if (rc != SQLITE_OK)
            return nullptr;
        m_byKey.insert(key, statement);
        return statement;
    }

    CMakeMsgID* m_pData;
    bool m_bLost = false;
    sqlite3* m_db;
    CScopedPragma m_cache;
    const TableDef& m_table;
    int m_nMode;
    bool m_bNumbered = false;
    std::function<QString()> m_nextCode;
    QString m_strTable;
    QString m_strCode;
    QList<sqlite3_stmt*> m_statements;
    QHash<QString, sqlite3_stmt*> m_byKey;
};

namespace
{
// Codes looked up by one statement.
constexpr int kLookUpCodes = 200;
} // namespace

int CImportRun::LookUp(const QStringList& codes, QHash<QString, qint64>& found)
{
    QByteArray sql = "SELECT ID, \"" + m_strCode.toLatin1() + "\" FROM \"" + m_strTable.toLatin1() +
                     "\" WHERE \"" + m_strCode.toLatin1() + "\" IN (?";
    for (int i = 1; i < kLookUpCodes; ++i)
        sql += ",?";
    sql += ')';
    int rc = SQLITE_OK;
    sqlite3_stmt* statement = Statement(QStringLiteral("lookup"), sql, rc);
    if (!statement)
        return rc;
    std::vector<QByteArray> bound(kLookUpCodes);
    for (qsizetype from = 0; from < codes.size(); from += kLookUpCodes) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        for (int i = 0; i < kLookUpCodes && from + i < codes.size(); ++i) {
            bound[i] = codes[from + i].toUtf8();
            sqlite3_bind_text(statement, i + 1, bound[i].constData(), int(bound[i].size()), SQLITE_STATIC);
        }
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
            if (text)
                found.insert(FoldAsciiCase(QString::fromUtf8(text, sqlite3_column_bytes(statement, 1))),
                             sqlite3_column_int64(statement, 0));
        }
        if (rc != SQLITE_DONE)
            return rc;
    }
    sqlite3_reset(statement);
    return SQLITE_OK;
}

bool CImportRun::DrawCodes(int count, QStringList& codes, int& rc)
{
    rc = SQLITE_OK;
    codes.clear();
    while (codes.size() < count) {
        QStringList drawn;
        for (qsizetype i = codes.size(); i < count; ++i) {
            drawn << m_nextCode();
            if (drawn.last().isEmpty())
                return false;
        }
        QHash<QString, qint64> existing;
        if ((rc = LookUp(drawn, existing)) != SQLITE_OK)
            return false;
        for (const QString& code : std::as_const(drawn)) {
            if (!existing.contains(FoldAsciiCase(code)))
                codes << code;
        }
    }
    return true;
}

void CImportRun::Check(const COneRecord& record, std::vector<Value>& values, QStringList& faults) const
{
    values.clear();
    const auto fault = [&](const FieldDef& column) {
        const QString name = m_strTable % u'.' % QLatin1String(column.name);
        if (!faults.contains(name))
            faults << name;
    };
    int cycle = -1;
    for (int i = 0; i < record.GetCount(); ++i) {
        const CTb& field = *record.GetAt(i);
        const QString& full = field.GetName();
        const qsizetype dot = full.indexOf(u'.');
        const FieldDef* column = Schema::FindField(m_table, dot < 0 ? full : full.mid(dot + 1));
        if (!column || QLatin1String(column->name) == QLatin1String("ID"))
            continue;
        bool known = false;
        for (const Value& v : values)
            known = known || v.column == column;
        if (known)
            continue; // the first of two fields naming one column counts
        Value value{column, &field, {}};
        value.null = field.IsNull();
        const QLatin1String name(column->name);
        if (column->type == Schema::kText) {
            QString text = field.GetText();
            // A control character is refused as one the file cannot hold:
            // a zero character would cut the text short wherever it goes.
            if (!value.null && (!Cp932::CanEncode(text) || !ControlChars(text).isEmpty())) {
                fault(*column);
            } else if (column->code) {
                if (value.null || text.isEmpty() || text.contains(u' ') || text.contains(u'\x3000') ||
                    Cp932::ByteLength(text) > column->byteLimit)
                    fault(*column);
            } else if (name == QLatin1String("CollectType")) {
                if (value.null || !CollectTypes().contains(text))
                    fault(*column);
            } else if (column->byteLimit > 0) {
                text = Cp932::TruncateToBytes(text, column->byteLimit);
            }
            value.text = text;
        } else if (column->type == Schema::kInteger) {
            int number = 0;
            const bool has = !value.null && field.GetData(number);
            value.number = number;
            if (!value.null && !has)
                fault(*column);
            if (m_strTable == QLatin1String("Item") && name == QLatin1String("ItemType") &&
                (!has || number < 1 || number > 3)) {
                value.number = 1; // an unknown product type is a product
                value.null = false;
            }
            for (const IntRule& rule : kNeeded) {
                if (name == QLatin1String(rule.field) && RuleApplies(rule.table, m_strTable) &&
                    (!has || !rule.valid(number)))
                    fault(*column);
            }
            for (const IntRule& rule : kOptional) {
                if (name == QLatin1String(rule.field) && RuleApplies(rule.table, m_strTable) && has &&
                    !rule.valid(number))
                    fault(*column);
            }
            if (name == QLatin1String("CollectCycle") && has)
                cycle = number;
        } else if (column->type == Schema::kMoney) {
            CMny amount;
            const bool has = !value.null && field.GetData(amount) && TenThousandths(amount, value.number);
            if (!value.null && !has) {
                fault(*column);
            } else if (has) {
                for (const MoneyRule& rule : kMoney) {
                    if (name == QLatin1String(rule.field) && RuleApplies(rule.table, m_strTable) &&
                        !MoneyFits(amount, rule.intDigits, rule.decimals))
                        fault(*column);
                }
            }
        } else { // dates
            QDateTime when;
            if (!value.null && !field.GetData(when))
                fault(*column);
            else if (!value.null)
                value.text = when.toString(column->dateTime ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                                            : QStringLiteral("yyyy-MM-dd"));
        }
        values.push_back(value);
    }
    // The due day of a monthly cycle is a day of the month.
    if (cycle >= 1 && cycle <= 7) {
        for (const Value& v : values) {
            if (QLatin1String(v.column->name) == QLatin1String("CollectDay") && !v.null &&
                !Day(int(v.number)))
                fault(*v.column);
            if (QLatin1String(v.column->name) == QLatin1String("CollectDay") && !v.null && v.number == 0)
                fault(*v.column);
        }
    }
    // A field that must be there at all: the code and the needed coded fields.
    const auto present = [&](const char* field) {
        for (const Value& v : values) {
            if (QLatin1String(v.column->name) == QLatin1String(field))
                return true;
        }
        return false;
    };
    if (!present(m_strCode.toLatin1().constData()))
        faults << m_strTable % u'.' % m_strCode;
    for (const IntRule& rule : kNeeded) {
        if (RuleApplies(rule.table, m_strTable) && !present(rule.field))
            faults << m_strTable % u'.' % QLatin1String(rule.field);
    }
    if (m_strTable != QLatin1String("Item") && !present("CollectType"))
        faults << m_strTable % QStringLiteral(".CollectType");
}

int CImportRun::Write(const COneRecord&, std::vector<Value>& values, qint64 existingId, const QString& code)
{
    // Fields without a value leave the column's default (a new row) or the
    // stored value (an overwrite); an overwrite keeps ID and StartDate.
    QString key = existingId > 0 ? QStringLiteral("U") : QStringLiteral("I");
    std::vector<const Value*> bound;
    for (const Value& v : values) {
        if (v.null)
            continue;
        const QLatin1String name(v.column->name);
        if (existingId > 0 && name == QLatin1String("StartDate"))
            continue;
        if (name == QLatin1String(m_strCode.toLatin1()))
            continue; // bound from `code`
        bound.push_back(&v);
        key += u',' % name;
    }
    QByteArray sql;
    const QByteArray codeName = '"' + m_strCode.toLatin1() + '"';
    if (existingId > 0) {
        sql = "UPDATE \"" + m_strTable.toLatin1() + "\" SET " + codeName + "=?";
        for (const Value* v : bound)
            sql += ",\"" + QByteArray(v->column->name) + "\"=?";
        sql += " WHERE ID=?";
    } else {
        QByteArray names = codeName, marks = "?";
        for (const Value* v : bound) {
            names += ",\"" + QByteArray(v->column->name) + '"';
            marks += ",?";
        }
        sql = "INSERT INTO \"" + m_strTable.toLatin1() + "\" (" + names + ") VALUES (" + marks + ')';
    }
    int rc = SQLITE_OK;
    sqlite3_stmt* statement = Statement(key, sql, rc);
    if (!statement)
        return rc;
    const QByteArray codeUtf8 = code.toUtf8();
    sqlite3_bind_text(statement, 1, codeUtf8.constData(), int(codeUtf8.size()), SQLITE_TRANSIENT);
    int index = 2;
    for (const Value* v : bound) {
        if (v->column->type == Schema::kText || v->column->type == Schema::kDate) {
            const QByteArray utf8 = v->text.toUtf8();
            sqlite3_bind_text(statement, index++, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(statement, index++, v->number);
        }
    }
    if (existingId > 0)
        sqlite3_bind_int64(statement, index, existingId);
    rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

namespace
{

// The database refused the record itself (a constraint, a value it cannot
// keep); any other failure (a read-only or busy file, a full disk, a damaged
// one) would refuse every record alike and stops the import.
bool IsRecordFault(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
        return true;
    default:
        return false;
    }
}

const TableDef* ImportTable(const QString& name)
{
    if (name.compare(QLatin1String("Item"), Qt::CaseInsensitive) != 0 &&
        name.compare(QLatin1String("Customer"), Qt::CaseInsensitive) != 0 &&
        name.compare(QLatin1String("Supplier"), Qt::CaseInsensitive) != 0)
        return nullptr;
    return Schema::FindTable(name);
}

EImportResult ToImportResult(int result)
{
    switch (result) {
    case CMakeMsgID::kOk:
        return EImportResult::Done;
    case CMakeMsgID::kFatal:
        return EImportResult::Fatal;
    default:
        return EImportResult::Failed;
    }
}

} // namespace

bool CMakeMsgID::ImportMoneyLimits(const QString& table, const QString& field, int& intDigits, int& decimals)
{
    for (const MoneyRule& rule : kMoney) {
        if (field == QLatin1String(rule.field) && RuleApplies(rule.table, table)) {
            intDigits = rule.intDigits;
            decimals = rule.decimals;
            return true;
        }
    }
    return false;
}

CImportSession CMakeMsgID::ImportMasterBegin(int mode, const QString& table, QString& err,
                                             const std::function<QString()>& nextCode)
{
    const auto refuse = [](int result) { return CImportSession({}, ToImportResult(result)); };
    if (const int admitted = Admit(err); admitted != kOk)
        return refuse(admitted);
    if (InTransaction() || m_pImport) {
        err = QStringLiteral("ほかの書き込みが終わっていないため、読み込みできません。");
        return refuse(kFailed);
    }
    const TableDef* def = ImportTable(table);
    if (!def) {
        err = QStringLiteral("データを読み込むテーブルが指定されていません。");
        return refuse(kFailed);
    }
    std::unique_ptr<CImportRun, CImportSession::RunDeleter> run(new CImportRun(*this, *def, mode, nextCode));
    if (run->Numbered() && !nextCode) {
        err = QStringLiteral("コードの自動連番が設定されていません。");
        return refuse(kFailed);
    }
    const int result = BeginTransaction(err);
    if (result != kOk)
        return refuse(result);
    m_pImport = run.get();
    return CImportSession(std::move(run), EImportResult::Done);
}

int CMakeMsgID::ImportBatch(
    CImportRun& run, CCDSData& records,
    const std::function<void(const COneRecord& record, const QString& errField)>& refused, QString& err,
    const std::function<void(int done)>& progress)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    const QString codeFull = run.TableName() % u'.' % run.CodeField();
    // The batch's codes: drawn from the counter, or those of the records,
    // looked up together.
    QStringList codes;
    int rc = SQLITE_OK;
    run.m_codes.clear();
    if (run.Numbered()) {
        if (!run.DrawCodes(records.GetCount(), codes, rc)) {
            if (rc != SQLITE_OK)
                return Fail(rc, err);
            err = QStringLiteral("コードの自動連番を取得できませんでした。");
            return kFailed;
        }
    } else {
        for (int r = 0; r < records.GetCount(); ++r) {
            if (const CTb* field = records.GetAt(r)->FindField(codeFull); field && !field->IsNull())
                codes << field->GetText();
        }
        if ((rc = run.LookUp(codes, run.m_codes)) != SQLITE_OK)
            return Fail(rc, err);
    }

    std::vector<Value> values;
    QStringList faults;
    for (int r = 0; r < records.GetCount(); ++r) {
        if (progress)
            progress(run.m_nDone);
        ++run.m_nDone;
        COneRecord& record = *records.GetAt(r);
        faults.clear();
        QString code;
        if (run.Numbered()) {
            code = codes[r];
            record.SetField(codeFull, code);
        }
        run.Check(record, values, faults);
        if (!run.Numbered()) {
            if (const CTb* field = record.FindField(codeFull); field && !field->IsNull())
                code = field->GetText();
        }
        qint64 existing = 0;
        if (faults.isEmpty()) {
            existing = run.m_codes.value(FoldAsciiCase(code), 0);
            if (existing > 0 && run.Mode() != 1)
                faults << codeFull;
        }
        if (faults.isEmpty()) {
            QString ignored;
            int result = BeginTransaction(err);
            if (result != kOk)
                return result;
            rc = run.Write(record, values, existing, code);
            if (rc == SQLITE_OK) {
                Commit(ignored);
                if (existing > 0) {
                    ++run.m_nReplaced;
                } else {
                    ++run.m_nAdded;
                    run.m_codes.insert(FoldAsciiCase(code), sqlite3_last_insert_rowid(m_db));
                }
                continue;
            }
            if (!IsRecordFault(rc)) {
                const int failed = Fail(rc, err);
                Rollback(ignored); // the savepoint; the import goes with the session
                return failed;
            }
            Rollback(ignored);
            faults << codeFull; // refused by the database itself
        }
        ++run.m_nRefused;
        if (refused)
            refused(record, faults.join(QStringLiteral("、")));
    }
    return kOk;
}

void CMakeMsgID::DetachImport()
{
    if (m_pImport)
        m_pImport->Detach(true);
    m_pImport = nullptr;
}

// ---- the session ------------------------------------------------------------

void CImportSession::RunDeleter::operator()(CImportRun* run) const
{
    delete run;
}

CImportSession::CImportSession() = default;

CImportSession::CImportSession(std::unique_ptr<CImportRun, RunDeleter> run, EImportResult begin)
    : m_pRun(std::move(run)), m_eBegin(begin)
{
}

CImportSession::CImportSession(CImportSession&& other) noexcept
    : m_pRun(std::move(other.m_pRun)), m_eBegin(other.m_eBegin)
{
}

CImportSession& CImportSession::operator=(CImportSession&& other) noexcept
{
    if (this != &other) {
        Close();
        m_pRun = std::move(other.m_pRun);
        m_eBegin = other.m_eBegin;
    }
    return *this;
}

CImportSession::~CImportSession()
{
    Close();
}

bool CImportSession::IsOpen() const
{
    return m_pRun && m_pRun->Data();
}

int CImportSession::Close(bool committed, QString& err)
{
    CMakeMsgID* data = m_pRun ? m_pRun->Data() : nullptr;
    if (!data)
        return CMakeMsgID::kOk;
    m_pRun->Detach(); // its statements go before the rollback
    data->m_pImport = nullptr;
    if (committed || !data->InTransaction())
        return CMakeMsgID::kOk;
    return data->Rollback(err);
}

void CImportSession::Close()
{
    QString ignored;
    Close(false, ignored);
}

EImportResult CImportSession::CheckOpen(QString& err) const
{
    if (IsOpen())
        return EImportResult::Done;
    if (m_pRun && m_pRun->Lost()) {
        err = QStringLiteral("データベースに接続されていません。");
        return EImportResult::Fatal;
    }
    err = QStringLiteral("読み込みが始まっていません。");
    return EImportResult::Failed;
}

EImportResult CImportSession::Batch(CCDSData& records, const RefusedSink& refused, QString& err,
                                    const std::function<void(int done)>& progress)
{
    if (const EImportResult open = CheckOpen(err); open != EImportResult::Done)
        return open;
    const int result = m_pRun->Data()->ImportBatch(*m_pRun, records, refused, err, progress);
    if (result != CMakeMsgID::kOk)
        Close();
    return ToImportResult(result);
}

EImportResult CImportSession::End(QString& err)
{
    if (const EImportResult open = CheckOpen(err); open != EImportResult::Done)
        return open;
    if (m_pRun->m_nRefused > 0 && m_pRun->m_nAdded + m_pRun->m_nReplaced > 0) {
        // Only the answer is awaited now: nothing more is written.
        m_pRun->GiveCacheBack();
        return EImportResult::Refused;
    }
    return Commit(err);
}

EImportResult CImportSession::Commit(QString& err)
{
    if (const EImportResult open = CheckOpen(err); open != EImportResult::Done)
        return open;
    if (m_pRun->m_nAdded + m_pRun->m_nReplaced == 0) {
        Close();
        err = QStringLiteral("登録できるデータがありません。");
        return EImportResult::Nothing;
    }
    const int result = m_pRun->Data()->Commit(err);
    if (result == CMakeMsgID::kOk) {
        QString ignored;
        Close(true, ignored);
    } else {
        Close(); // a failed commit leaves nothing
    }
    return ToImportResult(result);
}

EImportResult CImportSession::Cancel(QString& err)
{
    if (const EImportResult open = CheckOpen(err); open != EImportResult::Done)
        return open;
    return ToImportResult(Close(false, err));
}

int CImportSession::Added() const
{
    return m_pRun ? m_pRun->m_nAdded : 0;
}

int CImportSession::Replaced() const
{
    return m_pRun ? m_pRun->m_nReplaced : 0;
}

int CImportSession::RefusedCount() const
{
    return m_pRun ? m_pRun->m_nRefused : 0;
}
