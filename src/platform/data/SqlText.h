#pragma once

#include "platform/data/Mny.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <variant>
#include <vector>

// A value bound to a parameter of a statement (?1, ?2, ...): none, a whole
// number or a text. Bound, a value is never read as SQL, whatever it holds.
using CSqlValue = std::variant<std::monostate, qint64, QString>;
using CSqlValues = std::vector<CSqlValue>;

// A day as the date columns store it ('YYYY-MM-DD'); none for an invalid date.
CSqlValue SqlDateValue(const QDate& date);
// An amount as the money columns store it (ten-thousandths, more decimals
// rounded half up); none for an invalid amount.
CSqlValue SqlMoneyValue(const CMny& value);
// A text; with `emptyIsNone` an empty one is none.
CSqlValue SqlTextValue(const QString& text, bool emptyIsNone = false);

// Literals for the SQL texts the program builds. Every user value placed in
// a statement goes through one of these.

// Money as the stored integer of ten-thousandths ("12345000" for 1234.5,
// "(-5000)" for -0.5); more than four decimals round half up. An invalid
// amount gives NULL.
QString SqlMoney(const CMny& value);

// The quoted day 'YYYY-MM-DD'; the time of day is dropped (a date-time is
// taken in local time first). An invalid date gives NULL.
QString SqlDate(const QDate& date);
QString SqlDate(const QDateTime& dateTime);

// The text with every single quote doubled; the caller writes the quotes
// around it ("WHERE CustomerCode='" + SqlQuote(code) + "'").
QString SqlQuote(const QString& text);

// The text with '\', '%' and '_' escaped by '\' for a LIKE pattern; the
// caller adds ESCAPE '\' ("Company LIKE '%" + SqlQuote(SqlLikeEscape(t)) +
// "%' ESCAPE '\'").
QString SqlLikeEscape(const QString& text);

// The column with each code page 932 alias read as its partner, for the
// partners `foldedValue` (a value through Cp932::FoldAliases) holds: a value
// with "\" finds rows with "¥" or "\", as the one byte 0x5C of a settings
// file stands for both. Written with char(), so that a statement kept in a
// file comes back as it was; compared without case, as the column is.
QString SqlFoldedColumn(const QString& column, const QString& foldedValue);

// The tax a slip carries itself: that of a slip taxed per delivery, per line
// or inside its prices (TaxType 2, 3, 4) and that of a tax slip made at a
// closing (DenpyoType not 0). A slip taxed at invoicing (1) or not at all (0)
// carries none: its closing adds it. Every statement that sums a closing's
// tax sums this, so the closing row, the invoice, the lists, the schedules
// and the next closing agree. `alias` qualifies the columns ("H.").
QString SqlSlipTax(const QString& alias = QString());

// What a slip bills: its tax-exclusive Amount and the tax above.
QString SqlSlipBilled(const QString& alias = QString());
