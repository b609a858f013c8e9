#pragma once

#include "platform/data/Mny.h"
#include "platform/text/NumberText.h"

#include <QString>

// That whole number with scale 0.
CMny MnyFromLong(long value);

// The leading run of digits, signs, points and commas (half-width or
// full-width) parsed as money; commas are dropped, at most 4 decimals are
// kept (rounded half up beyond). A text without digits is zero. `ok` turns
// false for a run with digits that is not a number ("1.2.3", which also
// gives zero) and for an amount beyond ±922337203685477.5807, the range of
// ten-thousandths in 64 bits (which gives an invalid value, never zero).
CMny TextToMny(const QString& text, bool* ok = nullptr);

// The text as one amount by the syntax (see ReadNumberText); false,
// leaving `value` as it was, for a text that is no number by it (by the
// imported syntax "3万", "12箱", "1,2,3", "0x10", "1e3", an empty one) and
// for an amount beyond the range TextToMny reads.
bool ReadWholeNumber(const QString& text, const CNumberSyntax& syntax, CMny& value);

// Plain decimal text without separators or trailing fraction zeros
// ("1234.5", "-0.25", "100"); empty for an invalid value.
QString MnyToText(const CMny& value);

// MnyToText with a comma between each group of three digits of the whole
// part ("-1,234,567.5"), as InsertThousandsSeparators gives it.
QString MnyToGroupedText(const CMny& value);
