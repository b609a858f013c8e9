#pragma once

#include <QString>

// The folder holding the run's private copy of the generated database, which
// the benchmarks may change freely.
const QString& BenchDatabaseFolder();

// A benchmark with a time bound sets this counter to its bound in
// milliseconds; after the runs its median time per iteration is printed
// beside the bound, and the program fails when it is above.
inline constexpr char kBoundCounter[] = "bound_ms";
