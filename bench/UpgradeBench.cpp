// Opening the generated database as a file of the first version would be
// opened: every index made again and the booked balances made afresh. The
// work runs beside the thread that opens, which keeps handling its events
// so the wait dialog paints: the longest it went without handling one is a
// figure with a bound. Each run works on a copy made outside the timing.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "support/EarlierBuilds.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <memory>

namespace
{

constexpr char kName[] = "Upgrade/FirstVersion";
constexpr char kLongestPause[] = "Upgrade/FirstVersion/LongestPause";
// A window that goes this long without painting looks hung.
constexpr double kLongestPauseBound = 250; // ms
constexpr int kTickMs = 10;

// The positions the bar took.
class CBarPositions : public IDataProgress
{
  public:
    void UpgradeBegins(int, int total) override
    {
        positions.insert(0);
        parts = total;
    }
    void UpgradePartsDone(int done, int total) override
    {
        positions.insert(done);
        parts = total;
    }

    QSet<int> positions;
    int parts = 0;
};

// The file the builds before the booked balances wrote, without any index,
// holding the generated database's rows: version 1.
bool MakeFirstVersion(const QString& folder, const QString& source)
{
    const QString path = CMakeMsgID::DatabasePath(folder);
    return EarlierBuilds::CopyTo(EarlierBuilds::kBeforeBalances, folder) &&
           EarlierBuilds::OnFile(path, EarlierBuilds::WithoutIndexes(path)) &&
           EarlierBuilds::FillFrom(path, source);
}

void FirstVersion(benchmark::State& state)
{
    // The program opens with its application's event loop at hand.
    static int argc = 1;
    static char program[] = "corvanta_bench";
    static char* argv[] = {program, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    const QString source = CMakeMsgID::DatabasePath(BenchDatabaseFolder());
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir(QDir(BenchDatabaseFolder()).filePath(QStringLiteral("../upgrade-XXXXXX")));
        if (!dir.isValid() || !MakeFirstVersion(dir.path(), source)) {
            state.SkipWithError("cannot make a file of the first version");
            return;
        }
        CBarPositions bar;
        QElapsedTimer sinceEvent;
        qint64 longest = 0;
        QTimer ticks;
        ticks.setInterval(kTickMs);
        QObject::connect(&ticks, &QTimer::timeout,
                         [&] { longest = std::max(longest, sinceEvent.restart() - kTickMs); });
        CMakeMsgID data;
        data.SetProgress(&bar);
        QString err;
        state.ResumeTiming();
        sinceEvent.start();
        ticks.start();
        const int result = data.Open(dir.path(), err);
        longest = std::max(longest, sinceEvent.elapsed() - kTickMs);
        state.PauseTiming();
        ticks.stop();
        data.SetProgress(nullptr);
        data.Close();
        if (result != CMakeMsgID::kOk) {
            state.SkipWithError(qPrintable(err));
            return;
        }
        ReportFigure(kLongestPause, double(longest));
        state.counters["longest_pause_ms"] = double(longest);
        state.counters["bar_parts"] = bar.parts;
        state.counters["bar_positions"] = double(bar.positions.size());
        state.ResumeTiming();
    }
}

const bool kRegistered = [] {
    RegisterFigureBound(kLongestPause, kLongestPauseBound, "ms");
    benchmark::RegisterBenchmark(kName, FirstVersion)
        ->Iterations(1)
        ->Repetitions(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
