#include "BenchMain.h"
#include "GenerateDb.h"

#include "platform/data/MakeMsgID.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

// Benchmarks with a bound (kBoundCounter) are checked against it. The others
// come in pairs, "<work>/ours" and "<work>/plain": the same work
// done through the data-access library and through the bare sqlite3 API. After
// the runs each pair's ratio of median times is printed; the program fails
// when one is above the limit.
//
// Options of our own (the others go to Google Benchmark):
//   --db-customers=N --db-items=N --db-slips=N --db-lines=N   database sizes
//   --db-cache=DIR   where generated databases are kept (default: bench-data
//                    beside the folder of this program, i.e. in the build folder)

namespace
{

constexpr double kRatioLimit = 2.0;

QString g_folder;

class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            // One line per benchmark: the median when it was repeated.
            if (run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median" : run.repetitions <= 1)
                shown.push_back(run);
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const std::string& name = run.run_name.function_name;
            if (const auto bound = run.counters.find(kBoundCounter); bound != run.counters.end()) {
                Bound& b = m_bounds[name];
                b.limitMs = bound->second.value;
                b.times.push_back(run.real_accumulated_time / double(run.iterations));
            }
            const std::size_t slash = name.rfind('/');
            if (slash == std::string::npos)
                continue;
            Pair& pair = m_pairs[name.substr(0, slash)];
            const std::string side = name.substr(slash + 1);
            if (side == "ours" || side == "plain")
                (side == "ours" ? pair.ours : pair.plain)
                    .push_back(run.real_accumulated_time / double(run.iterations));
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n");
        for (auto& [work, pair] : m_pairs) {
            if (pair.ours.empty() || pair.plain.empty())
                continue;
            const double ours = Median(pair.ours), plain = Median(pair.plain);
            const double ratio = ours / plain;
            std::printf("ratio %s: %.2f  (ours %.3f ms, plain %.3f ms)%s\n", work.c_str(), ratio, ours * 1e3,
                        plain * 1e3, ratio > kRatioLimit ? "  ABOVE THE LIMIT" : "");
            m_failed = m_failed || ratio > kRatioLimit;
        }
        for (auto& [name, bound] : m_bounds) {
            const double ms = Median(bound.times) * 1e3;
            const bool above = ms > bound.limitMs;
            std::printf("bound %s: %.1f ms (limit %.0f ms)%s\n", name.c_str(), ms, bound.limitMs,
                        above ? "  ABOVE THE LIMIT" : "");
            m_failed = m_failed || above;
        }
        std::fflush(stdout);
    }

    bool Failed() const { return m_failed; }

  private:
    // Seconds per iteration of each repetition.
    struct Pair {
        std::vector<double> ours, plain;
    };

    static double Median(std::vector<double>& times)
    {
        std::sort(times.begin(), times.end());
        const std::size_t n = times.size();
        return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    }

    struct Bound {
        double limitMs = 0;
        std::vector<double> times;
    };

    std::map<std::string, Pair> m_pairs;
    std::map<std::string, Bound> m_bounds;
    bool m_failed = false;
};

// Takes "--name=value" out of the arguments; false when it is not there.
bool TakeOption(int& argc, char** argv, const char* name, std::string& value)
{
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) == 0 && argv[i][length] == '=') {
            value = argv[i] + length + 1;
            for (int j = i; j < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            return true;
        }
    }
    return false;
}

bool TakeSize(int& argc, char** argv, const char* name, int& size)
{
    std::string value;
    if (!TakeOption(argc, argv, name, value))
        return true;
    bool ok = false;
    size = QByteArray::fromStdString(value).toInt(&ok);
    if (!ok)
        std::fprintf(stderr, "%s wants a number\n", name);
    return ok;
}

} // namespace

const QString& BenchDatabaseFolder()
{
    return g_folder;
}

int main(int argc, char** argv)
{
    CDbGenerator::Sizes sizes;
    if (!TakeSize(argc, argv, "--db-customers", sizes.customers) ||
        !TakeSize(argc, argv, "--db-items", sizes.items) ||
        !TakeSize(argc, argv, "--db-slips", sizes.slips) || !TakeSize(argc, argv, "--db-lines", sizes.lines))
        return 1;
    std::string cacheOption;
    const QString cacheRoot =
        TakeOption(argc, argv, "--db-cache", cacheOption)
            ? QString::fromLocal8Bit(cacheOption.c_str())
            : QDir::cleanPath(QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() +
                              QStringLiteral("/../bench-data"));

    // The machine's load varies, so by default each side runs in several
    // repetitions, interleaved at random, and the medians are compared.
    std::vector<char*> args(argv, argv + argc);
    std::string defaults[] = {"--benchmark_repetitions=5", "--benchmark_enable_random_interleaving=true"};
    for (std::string& option : defaults) {
        const std::string flag = option.substr(0, option.find('='));
        if (std::none_of(args.begin() + 1, args.end(),
                         [&](const char* a) { return std::strncmp(a, flag.c_str(), flag.size()) == 0; }))
            args.push_back(option.data());
    }
    argc = int(args.size());
    args.push_back(nullptr);
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    QString err;
    QElapsedTimer timer;
    timer.start();
    const QString cached = CDbGenerator::Cached(cacheRoot, sizes, err);
    if (cached.isEmpty()) {
        std::fprintf(stderr, "cannot generate the database: %s\n", qPrintable(err));
        return 1;
    }
    std::printf("database %s (%.1f s)\n", qPrintable(cached), double(timer.elapsed()) / 1000);

    // The benchmarks work on a copy, so the cached file stays as generated
    // whatever a write does (an interrupted run may leave its run-* folder).
    QTemporaryDir run(QDir(cacheRoot).filePath(QStringLiteral("run-XXXXXX")));
    const QString source = CMakeMsgID::DatabasePath(cached);
    if (!run.isValid() || !QFile::copy(source, QDir(run.path()).filePath(QFileInfo(source).fileName()))) {
        std::fprintf(stderr, "cannot copy the database into %s\n", qPrintable(run.path()));
        return 1;
    }
    g_folder = run.path();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.Failed() ? 2 : 0;
}
