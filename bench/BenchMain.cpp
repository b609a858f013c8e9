#include "BenchMain.h"
#include "GenerateDb.h"

#include "platform/data/MakeMsgID.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

// Benchmarks come in pairs, "<work>/ours" and "<work>/plain": the same work
// done through the data-access library and through the bare sqlite3 API. After
// the runs each pair's ratio of median times is printed; the program fails
// when one is above the limit. Benchmarks registered with a bound (the report
// statements) print their median beside it and fail the program above it.
//
// Options of our own (the others go to Google Benchmark):
//   --db-customers=N --db-items=N --db-slips=N --db-lines=N   database sizes
//   --db-scale=N     multiplies the four sizes (ten times the books: 10)
//   --db-years=N     business years of slips (default 2); each year keeps the
//                    trade of one default year, so slips and lines grow with it
//   --db-cache=DIR   where generated databases are kept (default: bench-data
//                    beside the folder of this program, i.e. in the build folder)
//
// A benchmark with a memory bound runs apart, in a process of its own: this
// program started again on that benchmark alone, on the run's database (the
// internal option --run-apart=DIR). A process keeps in its heap and its
// allocator's state what earlier benchmarks left there, so that in one
// process a reading's peak would be theirs as much as its own; apart, each
// figure is its input's own, and the run fails exactly when one input is
// over its bound. The others run here first, then those apart, one by one.

namespace
{

constexpr double kRatioLimit = 1.1;

QString g_folder;

// Upper bounds in seconds by benchmark name.
std::map<std::string, double>& Bounds()
{
    static std::map<std::string, double> bounds;
    return bounds;
}

// Figures other than time: the bound, the unit and each run's value.
struct Figure {
    double bound;
    std::string unit;
    std::vector<double> values;
};

std::map<std::string, Figure>& Figures()
{
    static std::map<std::string, Figure> figures;
    return figures;
}

// Upper bounds of peak resident memory in megabytes by benchmark name.
std::map<std::string, double>& MemoryBounds()
{
    static std::map<std::string, double> bounds;
    return bounds;
}

class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    // `apart`: the process runs one benchmark apart, whose rows and bounds
    // are printed under the main run's, without the machine's description.
    explicit RatioReporter(bool apart)
    {
        if (apart)
            SetErrorStream(&m_silent);
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            // A benchmark whose work went wrong has no figure to bound: it
            // fails, and its error is shown once, though repetitions have no
            // median to show it with.
            if (run.error_occurred) {
                if (m_errored.insert(run.benchmark_name()).second)
                    shown.push_back(run);
                m_failed = true;
                continue;
            }
            // One line per benchmark: the median when it was repeated.
            if (run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median" : run.repetitions <= 1)
                shown.push_back(run);
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const std::string& name = run.run_name.function_name;
            if (Bounds().count(name))
                m_bounded[name].push_back(run.real_accumulated_time / double(run.iterations));
            if (MemoryBounds().count(name) && run.counters.count(kPeakMemoryCounter)) {
                double& peak = m_peaks[name];
                peak = std::max(peak, double(run.counters.at(kPeakMemoryCounter)));
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
        for (auto& [name, times] : m_bounded) {
            const double median = Median(times), bound = Bounds().at(name);
            std::printf("time %s: %.1f ms  (bound %.0f ms)%s\n", name.c_str(), median * 1e3, bound * 1e3,
                        median > bound ? "  ABOVE THE BOUND" : "");
            m_failed = m_failed || median > bound;
        }
        for (auto& [name, figure] : Figures()) {
            if (figure.values.empty())
                continue;
            const double median = Median(figure.values);
            std::printf("figure %s: %.2f %s  (bound %.2f %s)%s\n", name.c_str(), median, figure.unit.c_str(),
                        figure.bound, figure.unit.c_str(), median > figure.bound ? "  ABOVE THE BOUND" : "");
            m_failed = m_failed || median > figure.bound;
        }
        for (const auto& [name, bound] : MemoryBounds()) {
            const auto peak = m_peaks.find(name);
            if (peak == m_peaks.end())
                continue;
            std::printf("memory %s: %.1f MB  (bound %.0f MB)%s\n", name.c_str(), peak->second, bound,
                        peak->second > bound ? "  ABOVE THE BOUND" : "");
            m_failed = m_failed || peak->second > bound;
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

    std::map<std::string, Pair> m_pairs;
    std::map<std::string, std::vector<double>> m_bounded;
    std::map<std::string, double> m_peaks;
    bool m_failed = false;
    std::set<std::string> m_errored;
    std::ostream m_silent{nullptr};
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

// Whether the benchmark, by its name as listed, has a memory bound: the name
// is its family's, alone or followed by its options ("/iterations:3").
bool IsMemoryBounded(const std::string& listed)
{
    return std::any_of(MemoryBounds().begin(), MemoryBounds().end(), [&listed](const auto& bound) {
        const std::string& name = bound.first;
        return listed == name || (listed.size() > name.size() && listed.compare(0, name.size(), name) == 0 &&
                                  listed[name.size()] == '/');
    });
}

// The filter that selects the listed benchmark alone.
std::string Only(const std::string& listed)
{
    std::string pattern = "^";
    for (char c : listed) {
        if (std::strchr("\\^$.|?*+()[]{}", c))
            pattern += '\\';
        pattern += c;
    }
    return pattern + '$';
}

// Starts this program again with `arguments` and waits for its end: its exit
// code, or -1 when it did not run to its end. Its output goes to `output`,
// else to this program's.
int RunAgain(const QStringList& arguments, QByteArray* output)
{
    std::fflush(stdout);
    QProcess process;
    process.setProgram(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    process.setArguments(arguments);
    process.setProcessChannelMode(output ? QProcess::ForwardedErrorChannel : QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitCode();
}

// Runs the selected benchmarks without a memory bound here, then each with
// one apart. `options`: the run's options, to be given to each process apart.
// False when a bound was passed or a process apart did not run to its end.
bool RunHereAndApart(RatioReporter& reporter, const std::vector<std::string>& options)
{
    QStringList common{QStringLiteral("--run-apart=") + g_folder};
    for (const std::string& option : options)
        common << QString::fromStdString(option);
    const std::string filter = benchmark::GetBenchmarkFilter();
    QStringList listArguments = common;
    listArguments << QStringLiteral("--benchmark_list_tests=true");
    if (!filter.empty())
        listArguments << QStringLiteral("--benchmark_filter=") + QString::fromStdString(filter);
    QByteArray listing;
    if (RunAgain(listArguments, &listing) != 0) {
        std::fprintf(stderr, "cannot list the benchmarks\n");
        return false;
    }
    std::vector<std::string> here, apart;
    for (const QByteArray& line : listing.split('\n')) {
        if (!line.isEmpty())
            (IsMemoryBounded(line.toStdString()) ? apart : here).push_back(line.toStdString());
    }
    bool passed = true;
    if (!here.empty()) {
        std::string spec;
        for (const std::string& listed : here)
            spec += (spec.empty() ? "" : "|") + Only(listed);
        benchmark::RunSpecifiedBenchmarks(&reporter, spec);
        passed = !reporter.Failed();
    }
    for (const std::string& listed : apart) {
        const int code = RunAgain(common + QStringList{QStringLiteral("--benchmark_filter=") +
                                                       QString::fromStdString(Only(listed))},
                                  nullptr);
        if (code != 0 && code != 2)
            std::fprintf(stderr, "%s did not run to its end (%d)\n", listed.c_str(), code);
        passed = passed && code == 0;
    }
    return passed;
}

} // namespace

bool RegisterBound(const char* name, double milliseconds)
{
    Bounds()[name] = milliseconds / 1e3;
    return true;
}

bool RegisterFigureBound(const char* name, double bound, const char* unit)
{
    Figures()[name] = {bound, unit, {}};
    return true;
}

void ReportFigure(const char* name, double value)
{
    Figures().at(name).values.push_back(value);
}

bool RegisterMemoryBound(const char* name, double megabytes)
{
    MemoryBounds()[name] = megabytes;
    return true;
}

void ResetPeakMemory()
{
    // What the heap holds free goes back to the system first (glibc keeps
    // it resident), so that the peak counts what is in use from here on.
    malloc_trim(0);
    // "5" resets the peak resident set size (VmHWM) to the current one.
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

double PeakMemoryMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

const QString& BenchDatabaseFolder()
{
    return g_folder;
}

bool Open(benchmark::State& state, CMakeMsgID& data)
{
    QString err;
    if (data.Open(BenchDatabaseFolder(), err) == CMakeMsgID::kOk)
        return true;
    state.SkipWithError(qPrintable(err));
    return false;
}

void RunRequest(benchmark::State& state, CMakeMsgID& data, const QString& table, const QString& condition)
{
    CCDSData request;
    request.m_strTable = table;
    request.m_strCondition = condition;
    int rows = 0;
    for (auto _ : state) {
        CCDSData result;
        QString err;
        if (data.GetDataList(request, result, err) != CMakeMsgID::kOk) {
            state.SkipWithError(qPrintable(err));
            break;
        }
        rows = result.GetCount();
        benchmark::DoNotOptimize(result);
    }
    state.counters["rows"] = rows;
}

void RegisterBounded(const std::string& name, double seconds, std::function<void(benchmark::State&)> run)
{
    RegisterBound(name.c_str(), seconds * 1e3);
    benchmark::RegisterBenchmark(name.c_str(), std::move(run))->UseRealTime()->Unit(benchmark::kMillisecond);
}

int main(int argc, char** argv)
{
    std::string apartFolder;
    const bool apart = TakeOption(argc, argv, "--run-apart", apartFolder);
    CDbGenerator::Sizes sizes;
    if (!TakeSize(argc, argv, "--db-customers", sizes.customers) ||
        !TakeSize(argc, argv, "--db-items", sizes.items) ||
        !TakeSize(argc, argv, "--db-slips", sizes.slips) || !TakeSize(argc, argv, "--db-lines", sizes.lines))
        return 1;
    int scale = 1;
    if (!TakeSize(argc, argv, "--db-scale", scale) || !TakeSize(argc, argv, "--db-years", sizes.years))
        return 1;
    if (scale < 1 || sizes.years < 1) {
        std::fprintf(stderr, "--db-scale and --db-years want a number of 1 or more\n");
        return 1;
    }
    sizes.customers *= scale;
    sizes.items *= scale;
    sizes.slips = int(qint64(sizes.slips) * scale * sizes.years / 2);
    sizes.lines = int(qint64(sizes.lines) * scale * sizes.years / 2);
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
    // What a process apart is given: the options but the selection.
    std::vector<std::string> options;
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = args[i];
        if (option.rfind("--benchmark_list_tests", 0) == 0)
            listing = option != "--benchmark_list_tests=false";
        else if (option.rfind("--benchmark_filter", 0) != 0)
            options.push_back(option);
    }
    args.push_back(nullptr);
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    RatioReporter reporter(apart);
    if (apart) {
        g_folder = QString::fromLocal8Bit(apartFolder.c_str());
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        return reporter.Failed() ? 2 : 0;
    }

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

    bool passed = true;
    if (listing || MemoryBounds().empty()) {
        benchmark::RunSpecifiedBenchmarks(&reporter);
        passed = !reporter.Failed();
    } else {
        passed = RunHereAndApart(reporter, options);
    }
    benchmark::Shutdown();
    return passed ? 0 : 2;
}
