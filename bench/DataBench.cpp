// The data-access library against the bare sqlite3 API doing the same work
// on the generated database. The plain side reads every column as text into
// a QString; ours builds typed records. Both sides use the one connection the
// library opens, so page cache, journal and sync settings are the same.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"

#include <QDate>
#include <QDateTime>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace
{

constexpr int kInsertCount = 10000;

const QString kSumByCustomer = QStringLiteral("SELECT Sales_B.CustomerCode, Sum(Sales_B.Amount) AS 売上額 "
                                              "FROM Sales_B GROUP BY Sales_B.CustomerCode");

// Every row of a statement, each column read as text.
std::vector<std::vector<QString>> ReadAll(sqlite3* db, const QString& sql, int& rc)
{
    std::vector<std::vector<QString>> rows;
    sqlite3_stmt* statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &statement, nullptr);
    if (rc != SQLITE_OK)
        return rows;
    const int columns = sqlite3_column_count(statement);
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        std::vector<QString>& row = rows.emplace_back();
        row.reserve(std::size_t(columns));
        for (int i = 0; i < columns; ++i)
            row.push_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                            sqlite3_column_bytes(statement, i)));
    }
    sqlite3_finalize(statement);
    if (rc == SQLITE_DONE)
        rc = SQLITE_OK;
    return rows;
}

void RunOurs(benchmark::State& state, const QString& table, const QString& condition)
{
    CMakeMsgID data;
    if (Open(state, data))
        RunRequest(state, data, table, condition);
}

void RunPlain(benchmark::State& state, const QString& sql)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    int rows = 0;
    for (auto _ : state) {
        int rc = SQLITE_OK;
        const std::vector<std::vector<QString>> result = ReadAll(data.Handle(), sql, rc);
        if (rc != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(data.Handle()));
            break;
        }
        rows = int(result.size());
        benchmark::DoNotOptimize(result);
    }
    state.counters["rows"] = rows;
}

void GetDataListOurs(benchmark::State& state)
{
    RunOurs(state, QStringLiteral("Customer"), QString());
}

void GetDataListPlain(benchmark::State& state)
{
    RunPlain(state, QStringLiteral("SELECT * FROM Customer"));
}

void SumByCustomerOurs(benchmark::State& state)
{
    RunOurs(state, QString(), kSumByCustomer);
}

void SumByCustomerPlain(benchmark::State& state)
{
    RunPlain(state, kSumByCustomer);
}

// ---- inserts --------------------------------------------------------------

// The new customers, as a master entry screen would hold them: texts, whole
// numbers, money and time stamps.
struct NewCustomer {
    QString code, company, phoenic, name, zip, address, tel, mail;
    int day, taxType;
    qint64 ceiling; // yen
    QDateTime stamp;
    QByteArray storedStamp; // the stamp as the plain side binds it
};

const std::vector<NewCustomer>& NewCustomers()
{
    static const std::vector<NewCustomer> customers = [] {
        std::vector<NewCustomer> all;
        const QDateTime stamp(QDate(2024, 4, 1), QTime(10, 15, 30));
        for (int i = 0; i < kInsertCount; ++i) {
            all.push_back({QStringLiteral("N%05d").arg(i + 1),
                           QStringLiteral("株式会社新規商事%1").arg(i + 1), QStringLiteral("シンキショウジ"),
                           QStringLiteral("新井 一郎"),
                           QStringLiteral("150-%1").arg(i % 10000, 4, 10, QLatin1Char('0')),
                           QStringLiteral("東京都渋谷区神南1丁目%1番").arg(i % 30 + 1),
                           QStringLiteral("03-5555-%1").arg(i % 10000, 4, 10, QLatin1Char('0')),
                           QStringLiteral("new%1@example.co.jp").arg(i + 1), (i % 6 + 1) * 5, i % 3 + 1,
                           qint64(i % 50) * 10000, stamp.addSecs(i), QByteArray()});
            all.back().storedStamp =
                all.back().stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        }
        return all;
    }();
    return customers;
}

CCDSData CustomerSet()
{
    CCDSData set;
    set.m_strTable = QStringLiteral("Customer");
    for (const NewCustomer& c : NewCustomers()) {
        COneRecord* record = set.AddNew();
        record->SetField(QStringLiteral("Customer.CustomerCode"), c.code);
        record->SetField(QStringLiteral("Customer.Company"), c.company);
        record->SetField(QStringLiteral("Customer.PhoenicCompany"), c.phoenic);
        record->SetField(QStringLiteral("Customer.Name"), c.name);
        record->SetField(QStringLiteral("Customer.Keisho"), QStringLiteral("様"));
        record->SetField(QStringLiteral("Customer.Zip"), c.zip);
        record->SetField(QStringLiteral("Customer.Address"), c.address);
        record->SetField(QStringLiteral("Customer.TEL"), c.tel);
        record->SetField(QStringLiteral("Customer.E-mail"), c.mail);
        record->SetField(QStringLiteral("Customer.Day"), c.day);
        record->SetField(QStringLiteral("Customer.TaxType"), c.taxType);
        record->SetField(QStringLiteral("Customer.Percent"), CMny(100));
        record->SetField(QStringLiteral("Customer.Ceiling"), CMny(c.ceiling));
        record->SetField(QStringLiteral("Customer.CollectType"), QStringLiteral("振込"));
        record->SetField(QStringLiteral("Customer.StartDate"), c.stamp);
        record->SetField(QStringLiteral("Customer.LastUpdate"), c.stamp);
    }
    return set;
}

// Removes what an iteration inserted, outside the timing.
bool RemoveInserted(benchmark::State& state, sqlite3* db, qint64 lastId)
{
    const std::string sql = "DELETE FROM Customer WHERE ID > " + std::to_string(lastId);
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    state.SkipWithError(sqlite3_errmsg(db));
    return false;
}

qint64 LastCustomerId(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    qint64 id = 0;
    if (sqlite3_prepare_v2(db, "SELECT max(ID) FROM Customer", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        id = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return id;
}

void InsertDataOurs(benchmark::State& state)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    const qint64 lastId = LastCustomerId(data.Handle());
    const CCDSData prototype = CustomerSet();
    for (auto _ : state) {
        state.PauseTiming();
        CCDSData set = prototype;
        state.ResumeTiming();
        QString err;
        if (data.InsertData(set, err) != CMakeMsgID::kOk) {
            state.SkipWithError(qPrintable(err));
            break;
        }
        state.PauseTiming();
        const bool removed = RemoveInserted(state, data.Handle(), lastId);
        state.ResumeTiming();
        if (!removed)
            break;
    }
}

void InsertDataPlain(benchmark::State& state)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    sqlite3* db = data.Handle();
    const qint64 lastId = LastCustomerId(db);
    const std::vector<NewCustomer>& customers = NewCustomers();
    const QString honorific = QStringLiteral("様"), transfer = QStringLiteral("振込");
    auto text = [](sqlite3_stmt* statement, int index, const QString& value) {
        return sqlite3_bind_text16(statement, index, value.utf16(), int(value.size() * sizeof(char16_t)),
                                   SQLITE_TRANSIENT);
    };
    for (auto _ : state) {
        std::vector<qint64> ids;
        ids.reserve(customers.size());
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_prepare_v2(
                db,
                "INSERT INTO Customer (CustomerCode, Company, PhoenicCompany, Name, Keisho, "
                "Zip, Address, TEL, \"E-mail\", Day, TaxType, Percent, Ceiling, CollectType, "
                "StartDate, LastUpdate) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                -1, &statement, nullptr);
        for (std::size_t i = 0; rc == SQLITE_OK && i < customers.size(); ++i) {
            const NewCustomer& c = customers[i];
            const QByteArray& stamp = c.storedStamp;
            text(statement, 1, c.code);
            text(statement, 2, c.company);
            text(statement, 3, c.phoenic);
            text(statement, 4, c.name);
            text(statement, 5, honorific);
            text(statement, 6, c.zip);
            text(statement, 7, c.address);
            text(statement, 8, c.tel);
            text(statement, 9, c.mail);
            sqlite3_bind_int64(statement, 10, c.day);
            sqlite3_bind_int64(statement, 11, c.taxType);
            sqlite3_bind_int64(statement, 12, 100 * 10000);
            sqlite3_bind_int64(statement, 13, c.ceiling * 10000);
            text(statement, 14, transfer);
            sqlite3_bind_text(statement, 15, stamp.constData(), int(stamp.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(statement, 16, stamp.constData(), int(stamp.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(statement);
            rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
            ids.push_back(sqlite3_last_insert_rowid(db));
            sqlite3_reset(statement);
        }
        sqlite3_finalize(statement);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            break;
        }
        benchmark::DoNotOptimize(ids);
        state.PauseTiming();
        const bool removed = RemoveInserted(state, db, lastId);
        state.ResumeTiming();
        if (!removed)
            break;
    }
}

} // namespace

BENCHMARK(GetDataListOurs)->Name("GetDataList/ours")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(GetDataListPlain)->Name("GetDataList/plain")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(InsertDataOurs)->Name("InsertData/ours")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(InsertDataPlain)->Name("InsertData/plain")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SumByCustomerOurs)->Name("SumByCustomer/ours")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SumByCustomerPlain)->Name("SumByCustomer/plain")->UseRealTime()->Unit(benchmark::kMillisecond);
