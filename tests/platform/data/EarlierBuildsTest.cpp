#include "DataTestUtil.h"

#include "platform/data/BookedTotals.h"
#include "platform/data/Schema.h"
#include "platform/data/SchemaSteps.h"
#include "platform/data/TradeSide.h"
#include "support/BookedBalances.h"
#include "support/EarlierBuilds.h"
#include "support/WriterWait.h"

#include <QRegularExpression>

#include <iterator>

namespace
{

// Files written by earlier builds of this program, each through the
// CMakeMsgID of its build, with the same rows: slips with their lines,
// money, closings with tax slips, paid and undone ones, a partner's slips
// under its code in small letters, the one-time customer's slips. The last
// is of the version this build writes until the next step comes.
struct EarlierFile {
    const char* name;
    int version;
    bool keepsBalances; // by the triggers of its own build
};
constexpr EarlierFile kEarlierFiles[] = {
    {"v1-before-balances.vrz", 1, false},
    {"v1.vrz", 1, true},
    {"v3.vrz", 3, true},
    {"v4.vrz", 4, true},
};

// A file opened beside the data-access object, as another tool reads it.
class CRawFile
{
  public:
    explicit CRawFile(const QString& path, bool write = false)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                        write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
    }
    ~CRawFile() { sqlite3_close(m_db); }
    CRawFile(const CRawFile&) = delete;
    CRawFile& operator=(const CRawFile&) = delete;

    sqlite3* Handle() const { return m_db; }

    // Each row, its columns joined by '|'; a failure is a row of its own.
    QStringList Rows(const QString& sql) const
    {
        QStringList rows;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return {QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
            rows << columns.join(u'|');
        }
        sqlite3_finalize(st);
        return rows;
    }

    bool Exec(const QString& sql) const
    {
        return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    int Version() const
    {
        const QStringList rows = Rows(QStringLiteral("PRAGMA user_version"));
        return rows.size() == 1 ? rows.first().toInt() : -1;
    }

    // Every object of the schema as stored, white space run together.
    QStringList Shape() const
    {
        QStringList shape =
            Rows(QStringLiteral("SELECT type, name, tbl_name, COALESCE(sql, '') FROM sqlite_master "
                                "ORDER BY type, name"));
        for (QString& object : shape)
            object.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
        return shape;
    }

    // The rows of each table the books are kept in.
    QStringList Counts() const
    {
        QStringList counts;
        for (const char* table : kBooks)
            counts << QLatin1String(table) + u' ' +
                          Rows(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(QLatin1String(table)))
                              .join(u',');
        return counts;
    }

    // Every row of those tables, by ID.
    QStringList Books() const
    {
        QStringList rows;
        for (const char* table : kBooks)
            rows << Rows(QStringLiteral("SELECT * FROM \"%1\" ORDER BY ID").arg(QLatin1String(table)));
        return rows;
    }

    // The balances the file keeps, as BookedBalances::Kept shows them.
    QString Stored(bool purchases) const
    {
        const QString code = purchases ? QStringLiteral("SupplierCode") : QStringLiteral("CustomerCode");
        return Rows(QStringLiteral(
                        "SELECT COALESCE(group_concat(k, ' '), '') FROM (SELECT upper(%1) || ':' || "
                        "(Balance / 10000.0) AS k FROM %2 WHERE Balance <> 0 ORDER BY upper(%1))")
                        .arg(code,
                             purchases ? QStringLiteral("Stock_Booked") : QStringLiteral("Sales_Booked")))
            .join(u'\n');
    }

  private:
    static constexpr const char* kBooks[] = {"Customer", "Supplier",    "Item",       "Sales_H",   "Sales_B",
                                             "Stock_H",  "Stock_B",     "Receipt_H",  "Receipt_B", "Pay_H",
                                             "Pay_B",    "Sales_Close", "Stock_Close"};
    sqlite3* m_db = nullptr;
};

class EarlierBuildsTest : public DatabaseTest
{
  protected:
    // A copy of the committed file as the database of a folder of its own.
    QString Copy(const char* name, const QString& folder)
    {
        const QString dir = Folder() + u'/' + folder;
        EXPECT_TRUE(EarlierBuilds::CopyTo(name, dir)) << name;
        return dir;
    }

    // Whether a side's balances differ from its headers, by the check the
    // carry-forward and compaction run.
    bool Mismatched(bool purchases)
    {
        return List(QString(), BookedTotals::MismatchSql(CTradeSide::Of(purchases))).GetCount() != 0;
    }

    void Run(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_data.Execute(sql, err), 1) << sql.toStdString() << ": " << err.toStdString();
    }
};

} // namespace

// Each committed file opens with this build: its steps are taken (a file of
// this build's version has none and is already as a new one), and it is
// then as a new file is (every table, column, index and trigger), sound,
// with every row kept and each partner's balance of what is booked, which
// its build's own triggers kept the same. The triggers then keep them
// through later writes. All the files hold the same rows, row for row, and
// have the same balances.
TEST_F(EarlierBuildsTest, EachFileOpensAsANewOneWithItsBookedBalances)
{
    m_data.Close();
    const QStringList fresh = CRawFile(Path()).Shape();
    ASSERT_GT(fresh.size(), 100);
    ASSERT_EQ(CRawFile(Path()).Version(), Schema::Version());

    QStringList balancesOfEach, booksOfEach;
    for (const EarlierFile& c : kEarlierFiles) {
        SCOPED_TRACE(c.name);
        const QString folder = Copy(c.name, QString::fromLatin1(c.name).section(u'.', 0, 0));
        const QString path = CMakeMsgID::DatabasePath(folder);
        QStringList counts;
        QString stored[2];
        {
            const CRawFile before(path);
            ASSERT_EQ(before.Version(), c.version);
            ASSERT_EQ(before.Shape() == fresh, c.version == Schema::Version());
            counts = before.Counts();
            if (c.keepsBalances)
                for (const bool purchases : {false, true})
                    stored[purchases] = before.Stored(purchases);
        }

        QString err;
        ASSERT_EQ(m_data.Open(folder, err), 1) << err.toStdString();
        EXPECT_FALSE(m_data.AreBalancesPending());
        m_data.Close();
        {
            const CRawFile after(path);
            EXPECT_EQ(after.Version(), Schema::Version());
            EXPECT_EQ(after.Shape(), fresh);
            EXPECT_EQ(after.Rows(QStringLiteral("PRAGMA integrity_check")),
                      QStringList{QStringLiteral("ok")});
            EXPECT_EQ(after.Rows(QStringLiteral("PRAGMA foreign_key_check")), QStringList());
            EXPECT_EQ(after.Counts(), counts);
            booksOfEach << after.Books().join(u'\n');
        }

        ASSERT_EQ(m_data.Open(folder, err), 1) << err.toStdString();
        QString kept[2];
        for (const bool purchases : {false, true}) {
            SCOPED_TRACE(purchases ? "purchases" : "sales");
            kept[purchases] = BookedBalances::Kept(m_data, purchases);
            EXPECT_EQ(kept[purchases].count(u':'), purchases ? 6 : 12) << kept[purchases].toStdString();
            EXPECT_EQ(kept[purchases], BookedBalances::Recounted(m_data, purchases));
            EXPECT_FALSE(Mismatched(purchases));
            if (c.keepsBalances) {
                EXPECT_EQ(kept[purchases], stored[purchases]);
            }
        }
        balancesOfEach << kept[0] + u'/' + kept[1];

        // Unbilled slips booked, booked money deleted, an amount changed, a
        // payment under a code in small letters: the triggers follow.
        Run(QStringLiteral(
            "UPDATE Sales_H SET SeikyuID = (SELECT MAX(ID) FROM Sales_Close WHERE CustomerCode = "
            "'K002') WHERE CustomerCode = 'K002' AND SeikyuID = 0"));
        Run(QStringLiteral(
            "DELETE FROM Receipt_H WHERE ID = (SELECT MIN(ID) FROM Receipt_H WHERE SeikyuID > 0)"));
        Run(QStringLiteral(
            "UPDATE Stock_H SET Amount = Amount + 125000 WHERE ID = (SELECT MIN(ID) FROM Stock_H "
            "WHERE SeikyuID > 0)"));
        Run(QStringLiteral(
            "INSERT INTO Pay_H(\"Date\", SupplierCode, Amount, SeikyuID) VALUES ('2024-06-30', "
            "'s001', 12300000, (SELECT MAX(ID) FROM Stock_Close))"));
        for (const bool purchases : {false, true}) {
            SCOPED_TRACE(purchases ? "purchases after writing" : "sales after writing");
            const QString now = BookedBalances::Kept(m_data, purchases);
            EXPECT_NE(now, kept[purchases]);
            EXPECT_EQ(now, BookedBalances::Recounted(m_data, purchases));
            EXPECT_FALSE(Mismatched(purchases));
        }
        m_data.Close();
    }
    ASSERT_EQ(balancesOfEach.size(), qsizetype(std::size(kEarlierFiles)));
    ASSERT_EQ(booksOfEach.size(), balancesOfEach.size());
    for (qsizetype i = 1; i < balancesOfEach.size(); ++i) {
        SCOPED_TRACE(kEarlierFiles[i].name);
        EXPECT_EQ(balancesOfEach[i], balancesOfEach[0]);
        EXPECT_EQ(booksOfEach[i], booksOfEach[0]);
    }
}

// The steps up to version 3, taken one by one on a file of version 1, leave
// the file the version-3 build wrote from the same rows: its schema as that
// build made it and the balances its triggers kept. The steps do what they
// did when they came, whatever the schema has become since.
TEST_F(EarlierBuildsTest, TheStepsToVersionThreeGiveTheFileThatBuildWrote)
{
    m_data.Close();
    const QString laterFolder = Copy("v3.vrz", QStringLiteral("later"));
    const CRawFile later(CMakeMsgID::DatabasePath(laterFolder));
    ASSERT_EQ(later.Version(), 3);
    const QStringList laterShape = later.Shape();
    const QString laterBalances = later.Stored(false) + u'/' + later.Stored(true);
    ASSERT_EQ(laterBalances.count(u':'), 18);

    // The last build of version 1 already made the indexes and balances of
    // version 3; the one before the balances had neither.
    const struct {
        const char* name;
        bool sameShape;
    } cases[] = {{"v1-before-balances.vrz", false}, {"v1.vrz", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CRawFile file(
            CMakeMsgID::DatabasePath(Copy(c.name, QString::fromLatin1(c.name).section(u'.', 0, 0))), true);
        ASSERT_EQ(file.Version(), 1);
        ASSERT_EQ(file.Shape() == laterShape, c.sameShape);
        for (const SchemaSteps::Step& step : SchemaSteps::Steps()) {
            if (step.from >= 3)
                break;
            SCOPED_TRACE(step.what);
            ASSERT_TRUE(file.Exec(QStringLiteral("BEGIN IMMEDIATE")));
            const QStringList work = step.work(file.Handle());
            for (const QString& sql : work)
                ASSERT_TRUE(file.Exec(sql)) << sql.toStdString() << ": " << sqlite3_errmsg(file.Handle());
            ASSERT_TRUE(file.Exec(QStringLiteral("PRAGMA user_version = %1; COMMIT").arg(step.from + 1)));
        }
        EXPECT_EQ(file.Version(), 3);
        EXPECT_EQ(file.Shape(), laterShape);
        EXPECT_EQ(file.Stored(false) + u'/' + file.Stored(true), laterBalances);
        EXPECT_EQ(file.Rows(QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});
    }
}

// A step that fails names itself and its cause, read before it was rolled
// back: a version-1 file whose unique index of the customer codes another
// tool dropped and whose code then went in twice cannot take the indexes
// of version 2, whether at opening or at the first write of a connection
// that opened while another program was writing. The file stays as it was.
TEST_F(EarlierBuildsTest, AStepThatFailsNamesItselfAndItsCause)
{
    m_data.Close();
    const QString cause = QStringLiteral("バージョン1から2への更新（検索用の索引の作成）で失敗しました。\n"
                                         "UNIQUE constraint failed: Customer.CustomerCode");
    const QString twice =
        QStringLiteral("DROP INDEX ux_customer_code; INSERT INTO Customer(CustomerCode, Company) SELECT "
                       "CustomerCode, Company FROM Customer ORDER BY ID LIMIT 1");

    // At opening.
    QString folder = Copy("v1.vrz", QStringLiteral("opening"));
    QString path = CMakeMsgID::DatabasePath(folder);
    {
        const CRawFile file(path, true);
        ASSERT_TRUE(file.Exec(twice)) << sqlite3_errmsg(file.Handle());
    }
    QStringList shape = CRawFile(path).Shape();
    QString err;
    EXPECT_EQ(m_data.Open(folder, err), -100);
    EXPECT_EQ(err, QStringLiteral("データベースを新しい形式に更新できませんでした。\n") + cause);
    EXPECT_EQ(CRawFile(path).Version(), 1);
    EXPECT_EQ(CRawFile(path).Shape(), shape);

    // At the first write, the steps pending since another program wrote
    // through the opening; that program then made the codes twice. (None
    // is left pending when a step due cannot be done for the connection
    // alone: the file is not used while the other program writes.)
    folder = Copy("v1.vrz", QStringLiteral("pending"));
    path = CMakeMsgID::DatabasePath(folder);
    {
        const CRawFile other(path, true);
        ASSERT_TRUE(other.Exec(QStringLiteral("BEGIN IMMEDIATE")));
        {
            const CScopedWriterWait noWait(0);
            if (!EarlierBuilds::ReadsUnwritten(1)) {
                EXPECT_EQ(m_data.Open(folder, err), -100);
                GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(1);
            }
            ASSERT_EQ(m_data.Open(folder, err), 1) << err.toStdString();
        }
        ASSERT_TRUE(m_data.AreBalancesPending());
        ASSERT_TRUE(other.Exec(twice + QStringLiteral("; COMMIT"))) << sqlite3_errmsg(other.Handle());
    }
    shape = CRawFile(path).Shape();
    EXPECT_EQ(m_data.BeginTransaction(err), 10);
    EXPECT_EQ(err, CMakeMsgID::PendingBalancesText() + u'\n' + cause);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(m_data.MakePendingBalances(err), 10);
    EXPECT_EQ(err, cause);
    EXPECT_TRUE(m_data.AreBalancesPending());
    EXPECT_EQ(CRawFile(path).Version(), 1);
    EXPECT_EQ(CRawFile(path).Shape(), shape);
    // It still reads, with the balances kept for the connection.
    EXPECT_EQ(BookedBalances::Kept(m_data, false), BookedBalances::Recounted(m_data, false));
    m_data.Close();
}
