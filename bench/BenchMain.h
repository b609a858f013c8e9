#pragma once

#include <QString>

// The folder holding the run's private copy of the generated database, which
// the benchmarks may change freely.
const QString& BenchDatabaseFolder();
