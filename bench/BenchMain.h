#pragma once

#include <QString>

// The folder holding the run's private copy of the generated database, which
// the benchmarks may change freely.
const QString& BenchDatabaseFolder();

// An absolute bound of a benchmark (by its name): its median time per
// iteration is printed after the runs, and the program fails above it.
// Returns true, for use in a static initialiser.
bool RegisterBound(const char* name, double milliseconds);
