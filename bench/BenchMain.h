#pragma once

#include <QString>

// The folder holding the run's private copy of the generated database, which
// the benchmarks may change freely.
const QString& BenchDatabaseFolder();

// A benchmark whose median real time per iteration must stay below
// `seconds`: after the runs its figure is printed, and the program fails
// when it is above. Register before the runs (a static initializer will do).
bool SetTimeBound(const char* benchmark, double seconds);
