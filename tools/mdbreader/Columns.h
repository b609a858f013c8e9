#pragma once

// What libmdb does not keep of a table's columns: which of them Access
// calculates, and where list columns keep their items.

#include "Values.h"

namespace Mdb
{

// Which columns Access calculates, by column number; false when the table
// definition cannot be read again.
bool CalculatedColumns(MdbHandle* mdb, MdbTableDef* table, std::vector<int>& numbers);

// Where a multi-valued column keeps its items: its name, the hidden table
// of its items and the table naming their type.
struct CListSource {
    std::string column;
    std::int32_t itemTable = 0, typeTable = 0;
};

// The list columns of a table; false without the database's list of them.
bool ListSources(MdbHandle* mdb, MdbTableDef* table, std::vector<CListSource>& sources);

// The items of a list column; false for a column whose items cannot be
// read. `hidden` for the column that keeps an append-only memo's earlier
// texts, whose items are not read.
bool LoadItems(MdbHandle* mdb, const CListSource& source, ItemLists& lists, bool& hidden);

} // namespace Mdb
