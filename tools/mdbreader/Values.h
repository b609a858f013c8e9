#pragma once

// What the helper reads of a value: texts in the database's own encoding,
// calculated values behind their header, memos wherever they are kept, and
// the items of list columns.

// glib and the C headers first, outside the header's extern "C" block.
#include <glib.h>
#include <iconv.h>

#include <mdbtools.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Mdb
{

// Access 2016's "Large Number" and 2019's "Date/Time Extended".
constexpr int kBigInt = 0x13;
constexpr int kExtendedDate = 0x14;

// The types read.
bool IsReadableType(int type);
// The types a calculated column's result is stored in.
bool IsResultType(int type);

// Reads Jet 3 texts in the code page the database's header declares.
void SetTextCodePage(MdbHandle* mdb);

// What a value read gave.
enum Got { kNull, kValue, kBad };

// A list column's items by the id its rows hold (ascending), each list
// already joined.
using ItemLists = std::vector<std::pair<std::int32_t, std::string>>;

// A column as it is read.
struct CColumnPlan {
    MdbColumn* col = nullptr;
    int type = 0;                     // of its values: a calculated column's result type
    bool calculated = false;          // its value stored behind a header of its own
    bool hidden = false;              // not given: an append-only memo's earlier texts
    const ItemLists* items = nullptr; // a list column's items
    bool trimZeros = false;           // an item of decimals, shown without trailing zeros
};

// The value of a column in the row just fetched, appended to `out` as the
// helper writes it (unescaped); `bound` is libmdb's text of it.
Got ReadValue(MdbHandle* mdb, const CColumnPlan& plan, const char* bound, int boundLength, std::string& out);

} // namespace Mdb
