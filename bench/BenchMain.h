#pragma once

#include <QString>

class CMakeMsgID;

// The folder holding the run's private copy of the generated database, which
// the benchmarks may change freely.
const QString& BenchDatabaseFolder();

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

// Registers a benchmark whose median time must stay within `seconds`: after
// the runs its figure is printed beside the bound, and the program fails
// when it is above.
void RegisterBounded(const std::string& name, double seconds, std::function<void(benchmark::State&)> run);

// The library opened on the run's database; the benchmark is skipped on failure.
bool Open(benchmark::State& state, CMakeMsgID& data);

// Runs the request through GetDataList once per iteration, as the program
// does (a whole SELECT goes in `condition` with an empty table), and
// counts the rows.
void RunRequest(benchmark::State& state, CMakeMsgID& data, const QString& table, const QString& condition);

// The same bound for a benchmark registered by name elsewhere (BENCHMARK),
// in milliseconds. Returns true, for use in a static initialiser.
bool RegisterBound(const char* name, double milliseconds);

// A figure other than time (the memory a list row keeps) that must stay
// within `bound`: measured by a benchmark with ReportFigure, its median is
// printed beside the bound after the runs, and the program fails above it.
bool RegisterFigureBound(const char* name, double bound, const char* unit);
void ReportFigure(const char* name, double value);
// A bound on the peak resident memory of a benchmark, which reports it in
// its counter kPeakMemoryCounter (megabytes): the largest figure of its
// runs is printed beside the bound, and the program fails when it is above.
// Returns true, for use in a static initialiser.
inline constexpr char kPeakMemoryCounter[] = "peak_MB";
bool RegisterMemoryBound(const char* name, double megabytes);
// The process's peak resident memory is measured from here on (Linux).
void ResetPeakMemory();
// The peak resident memory since the last reset, in megabytes; 0 when the
// system does not tell.
double PeakMemoryMB();
