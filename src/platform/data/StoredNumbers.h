#pragma once

#include <QString>

#include <limits>

// The numbers a run would give, by value: `first` to `last`, and `wrapFirst`
// to `wrapLast` too when it starts again at 1 past its digits (an empty
// range has its last below its first). `ceiling` is the last number the
// counter's digits hold: a stored number above it (one typed by hand, wider
// than the counter writes) never meets what the counter makes.
struct CNumberRun {
    qint64 first = 1;
    qint64 last = 0;
    qint64 wrapFirst = 1;
    qint64 wrapLast = 0;
    qint64 ceiling = std::numeric_limits<qint64>::max();
};

// What a document table holds of one form of number (prefix, digits of any
// width, suffix): its highest value up to the run's ceiling and that number
// as it is stored, and how many of the stored numbers fall on the run asked
// about.
struct CStoredNumbers {
    qint64 highest = 0; // 0: none of the form
    QString highestText;
    int held = 0;
};
