#include "platform/data/MakeMsgID.h"

#include "platform/data/Schema.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"

#include <sqlite3.h>

#include <cstring>

namespace
{

struct MasterCode {
    const char* table;
    const char* field;
};

constexpr MasterCode kMasterCodes[] = {
    {"Item", "ItemCode"},
    {"Customer", "CustomerCode"},
    {"Supplier", "SupplierCode"},
};

QString QuoteName(const char* name)
{
    return u'"' + QString::fromLatin1(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

int CMakeMsgID::ChangeMasterCode(const QString& table, const QString& oldCode, const QString& newCode,
                                 QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    const MasterCode* master = nullptr;
    for (const MasterCode& m : kMasterCodes)
        if (table.compare(QLatin1String(m.table), Qt::CaseInsensitive) == 0)
            master = &m;
    const Schema::TableDef* masterTable = master ? Schema::FindTable(QLatin1String(master->table)) : nullptr;
    const Schema::FieldDef* codeField =
        masterTable ? Schema::FindField(*masterTable, QLatin1String(master->field)) : nullptr;
    if (!codeField) {
        err = QStringLiteral("テーブル「%1」のコードは変更できません。").arg(table);
        return kFailed;
    }
    if (newCode.isEmpty() || oldCode.isEmpty()) {
        err = QStringLiteral("変更するコードが指定されていません。");
        return kFailed;
    }
    if (const QString problem = UnusableCharsProblem(QStringLiteral("コード"), newCode); !problem.isEmpty()) {
        err = problem;
        return kFailed;
    }
    if (Cp932::ByteLength(newCode) > codeField->byteLimit) {
        err = QStringLiteral("コードが長すぎます。%1ﾊﾞｲﾄまでです。").arg(codeField->byteLimit);
        return kFailed;
    }

    const QString code = QuoteName(master->field);
    // Runs one statement with the codes bound as ?1 (old) and ?2 (new);
    // `found` receives the first column of the first row, or stays 0.
    auto run = [&](const QString& sql, qint64* found) {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr);
        if (rc != SQLITE_OK)
            return Fail(rc, err);
        const QByteArray oldUtf8 = oldCode.toUtf8();
        const QByteArray newUtf8 = newCode.toUtf8();
        const int params = sqlite3_bind_parameter_count(statement);
        if (params >= 1)
            sqlite3_bind_text(statement, 1, oldUtf8.constData(), int(oldUtf8.size()), SQLITE_STATIC);
        if (params >= 2)
            sqlite3_bind_text(statement, 2, newUtf8.constData(), int(newUtf8.size()), SQLITE_STATIC);
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW && found)
            *found = sqlite3_column_int64(statement, 0);
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(statement);
        const int result = rc == SQLITE_DONE ? kOk : Fail(rc, err);
        sqlite3_finalize(statement);
        return result;
    };

    int result = BeginTransaction(err);
    if (result != kOk)
        return result;
    auto fail = [&](int failed) {
        QString ignored;
        Rollback(ignored);
        return failed;
    };

    const QString masterName = QuoteName(master->table);
    qint64 id = 0;
    result =
        run(QStringLiteral("SELECT \"ID\" FROM %1 WHERE %2=?1 ORDER BY \"ID\" LIMIT 1").arg(masterName, code),
            &id);
    if (result != kOk)
        return fail(result);
    if (id == 0) {
        err = QStringLiteral("変更前のコード「%1」のデータがありません。").arg(oldCode);
        return fail(kFailed);
    }
    qint64 other = 0;
    result = run(QStringLiteral("SELECT \"ID\" FROM %1 WHERE %2=?2 AND \"ID\"<>%3 AND ?1 IS NOT NULL LIMIT 1")
                     .arg(masterName, code)
                     .arg(id),
                 &other);
    if (result != kOk)
        return fail(result);
    if (other != 0) {
        err = QStringLiteral("コード「%1」は既に登録されています。").arg(newCode);
        return fail(kFailed);
    }

    // Every table of the catalogue that carries the code, the master first,
    // so that a table added later is covered without a change here.
    result = run(QStringLiteral("UPDATE %1 SET %2=?2 WHERE \"ID\"=%3 AND ?1 IS NOT NULL")
                     .arg(masterName, code)
                     .arg(id),
                 nullptr);
    for (const Schema::TableDef& t : Schema::Tables()) {
        if (result != kOk)
            break;
        if (t.workTable || std::strcmp(t.name, master->table) == 0)
            continue;
        bool hasCode = false;
        for (const Schema::FieldDef& f : t.fields)
            hasCode = hasCode || std::strcmp(f.name, master->field) == 0;
        if (hasCode)
            result =
                run(QStringLiteral("UPDATE %1 SET %2=?2 WHERE %2=?1").arg(QuoteName(t.name), code), nullptr);
    }
    if (result != kOk)
        return fail(result);
    return Commit(err);
}
