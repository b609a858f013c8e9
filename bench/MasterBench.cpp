// The master list on the generated database: loading and showing every
// product, a header-click sort, a find without a hit and the usage check of
// a large selection. Each must stay below its bound.

#include "BenchMain.h"

#include "master/ExtractBuilder.h"
#include "master/MasterDb.h"
#include "master/MasterEditRules.h"
#include "master/MasterList.h"
#include "platform/data/ExCondition.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/ui/FakeUi.h"
#include "settings/QXColFactory.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <numeric>

namespace
{

constexpr double kBoundMs = 300;
const bool s_bounds = RegisterBound("MasterList/LoadAndShow10000Products", kBoundMs) &&
                      RegisterBound("MasterList/SortByName", kBoundMs) &&
                      RegisterBound("MasterList/FindWithoutHit", kBoundMs) &&
                      RegisterBound("MasterList/UsageCheck600Products", kBoundMs) &&
                      RegisterBound("MasterList/ExtractCustomersThreeRows", kBoundMs) &&
                      RegisterBound("MasterList/ExtractProductsByName", kBoundMs);

// The benchmarks run without a registered database (so no settings file
// of this machine is read) and without windows: every message would be a
// failure, so the scripted prompt takes them and the run stops on one.
class CMasterBench
{
  public:
    CMasterBench() : m_db(m_data)
    {
        static QTemporaryDir home;
        qputenv("CORVANTA_HOME", QFile::encodeName(home.path()));
    }

    bool Open(benchmark::State& state)
    {
        QString err;
        if (m_data.Open(BenchDatabaseFolder(), err) == CMakeMsgID::kOk)
            return true;
        state.SkipWithError(qPrintable(err));
        return false;
    }

    // The factory columns of a list (set id = kind - 1).
    static CQXColSet Columns(int setId, bool shownOnly)
    {
        CQXColSet columns;
        columns.m_nID = setId;
        for (const CQXColDef& def : kFactoryColumns) {
            if (def.nSetID == setId && (def.nShown == 1 || !shownOnly))
                columns.m_cols.append(
                    CQXCol(QString::fromUtf8(def.pszField),
                           QString::fromUtf8(def.pszCaption ? def.pszCaption : def.pszField), def.nWidth,
                           def.nAlign, def.nShown));
        }
        return columns;
    }

    // The list of `kind` in its factory columns, loaded.
    bool Load(benchmark::State& state, CMasterList& list)
    {
        list.Model().SetColumns(Columns(list.GetKind().columnSet, true));
        list.Reload(true);
        return Quiet(state);
    }

    bool Quiet(benchmark::State& state)
    {
        if (m_ui.Prompt().Calls().isEmpty())
            return true;
        state.SkipWithError(qPrintable(m_ui.Prompt().Texts().join(u'|')));
        return false;
    }

    ScopedFakeUi m_ui;
    CMakeMsgID m_data;
    CMasterDb m_db;
};

void LoadAllProducts(benchmark::State& state)
{
    CMasterBench bench;
    if (!bench.Open(state))
        return;
    CMasterList list(CMasterKind::Items(), bench.m_db);
    if (!bench.Load(state, list))
        return;
    for (auto _ : state) {
        list.LoadList();
        list.FillList();
    }
    state.counters["rows"] = list.Model().GetRowCount();
    if (list.Model().GetRowCount() < 10000)
        state.SkipWithError("not every product was listed");
    bench.Quiet(state);
}

void SortProductsByName(benchmark::State& state)
{
    CMasterBench bench;
    if (!bench.Open(state))
        return;
    CMasterList list(CMasterKind::Items(), bench.m_db);
    if (!bench.Load(state, list))
        return;
    const int column = list.Model().GetColumns().IndexOf(QStringLiteral("ItemName"));
    for (auto _ : state)
        list.SortByColumn(column);
}

void FindWithoutHit(benchmark::State& state)
{
    CMasterBench bench;
    if (!bench.Open(state))
        return;
    CMasterList list(CMasterKind::Items(), bench.m_db);
    if (!bench.Load(state, list))
        return;
    int row = 0;
    for (auto _ : state)
        row = list.Model().FindRow(QStringLiteral("どこにもない言葉"), true, 0);
    if (row != -1)
        state.SkipWithError("the text was found");
}

void UsageOfSixHundredProducts(benchmark::State& state)
{
    CMasterBench bench;
    if (!bench.Open(state))
        return;
    // 600 products that no slip uses, so every statement runs.
    QString err;
    if (bench.m_data.Execute(QStringLiteral("DELETE FROM Item WHERE ItemCode LIKE 'ZB%'"), err) !=
            CMakeMsgID::kOk ||
        bench.m_data.Execute(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
                           "INSERT INTO Item(ItemCode, ItemName) SELECT 'ZB' || substr('0000' || i, -4), "
                           "'未使用' FROM n"),
            err) != CMakeMsgID::kOk) {
        state.SkipWithError(qPrintable(err));
        return;
    }
    CMasterList list(CMasterKind::Items(), bench.m_db);
    if (!bench.Load(state, list))
        return;
    QList<int> rows(600);
    std::iota(rows.begin(), rows.end(), list.Model().GetRowCount() - 600);
    CMasterEditRules rules(list);
    bool used = false, fatal = false;
    QString message;
    for (auto _ : state)
        used = rules.IsUsedInSlips(rows, message, fatal);
    if (used)
        state.SkipWithError(message.isEmpty() ? "a product counted as used" : qPrintable(message));
    bench.Quiet(state);
}

// One row of an extraction: field, operator text, value.
CExtractRow Condition(const CExtractBuilder& builder, const char* field, const char16_t* op,
                      const QString& value, int connector)
{
    CExtractRow row;
    for (int i = 0; i < builder.GetFields().size(); ++i) {
        if (builder.GetFields()[i].m_strField == QLatin1StringView(field))
            builder.SetRowField(row, i);
    }
    for (int i = 0; i < row.operators.size(); ++i) {
        if (row.operators[i].text == QString::fromUtf16(op))
            row.op = i;
    }
    row.value = value;
    row.connector = connector;
    return row;
}

void RunExtraction(benchmark::State& state, const CMasterKind& kind, const std::array<CExtractRow, 3>& rows,
                   CExtractBuilder& builder)
{
    CMasterBench bench;
    if (!bench.Open(state))
        return;
    CExCondition condition;
    if (!builder.Build(rows, condition) || !bench.Quiet(state))
        return;
    CMasterList list(kind, bench.m_db);
    list.SetExtraction(&condition);
    if (!bench.Load(state, list))
        return;
    for (auto _ : state) {
        list.LoadList();
        list.FillList();
    }
    state.counters["rows"] = list.Model().GetRowCount();
    if (list.Model().GetRowCount() == 0)
        state.SkipWithError("the condition found nothing");
    bench.Quiet(state);
}

void ExtractCustomers(benchmark::State& state)
{
    CExtractBuilder builder(EMasterKind::Customer);
    builder.SetFields(CMasterBench::Columns(1, false));
    RunExtraction(state, CMasterKind::Customers(),
                  {Condition(builder, "Company", u"を含む", QStringLiteral("商事"), 0),
                   Condition(builder, "StartDate", u"と月が等しい", QStringLiteral("4"), 0),
                   Condition(builder, "Collect", u"以上", QStringLiteral("0"), 2)},
                  builder);
}

void ExtractProducts(benchmark::State& state)
{
    CExtractBuilder builder(EMasterKind::Item);
    builder.SetFields(CMasterBench::Columns(0, false));
    RunExtraction(state, CMasterKind::Items(),
                  {Condition(builder, "ItemName", u"を含む", QStringLiteral("ペン"), 2), {}, {}}, builder);
}

} // namespace

BENCHMARK(ExtractCustomers)
    ->Name("MasterList/ExtractCustomersThreeRows")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ExtractProducts)
    ->Name("MasterList/ExtractProductsByName")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAllProducts)
    ->Name("MasterList/LoadAndShow10000Products")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SortProductsByName)->Name("MasterList/SortByName")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FindWithoutHit)->Name("MasterList/FindWithoutHit")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(UsageOfSixHundredProducts)
    ->Name("MasterList/UsageCheck600Products")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
