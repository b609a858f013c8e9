#pragma once

#include <QString>

// Generated trading databases of a realistic size for benchmarks (and for any
// test that wants many rows): customers, suppliers (one for every five
// customers), products, the bank fee table, business years (two unless told) of sales
// slips and lines, a quarter as many purchase slips and lines, their
// closings up to three months before the end (a tenth per-slip invoices,
// the last two months' still open), the money paying them and stock
// movements by hand, written
// straight through SQLite into a database made by CMakeMsgID::CreateDatabase.
// The same sizes always give the same rows.
class CDbGenerator
{
  public:
    struct Sizes {
        int customers = 5000;
        int items = 10000;
        int slips = 200000;
        int lines = 1000000; // spread over the slips, at least one each
        int years = 2;       // business years the slips are dated over, ending 2024-03-31
    };

    // Creates the database of `folder` (made when missing; it must not hold
    // a database yet) and fills it. False with the reason in `err`.
    static bool Generate(const QString& folder, const Sizes& sizes, QString& err);

    // A folder under `cacheRoot` holding a generated database of these sizes
    // and of the current schema: generated on first use, reused afterwards.
    // Empty on failure, with the reason in `err`.
    static QString Cached(const QString& cacheRoot, const Sizes& sizes, QString& err);
};
