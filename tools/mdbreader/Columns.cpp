#include "Columns.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Mdb
{

namespace
{

// A table's columns and their bound values, for reading its rows.
class CScan
{
  public:
    CScan(MdbCatalogEntry* entry) : m_table(entry ? mdb_read_table(entry) : nullptr)
    {
        if (m_table && !mdb_read_columns(m_table)) {
            mdb_free_tabledef(m_table);
            m_table = nullptr;
        }
    }
    ~CScan()
    {
        if (m_table)
            mdb_free_tabledef(m_table);
    }
    CScan(const CScan&) = delete;
    CScan& operator=(const CScan&) = delete;

    MdbTableDef* Table() const { return m_table; }
    unsigned Count() const { return m_table ? m_table->num_cols : 0; }
    MdbColumn* Column(unsigned c) const
    {
        return static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, c));
    }
    // The column of that name, or -1.
    int Find(const char* name) const
    {
        for (unsigned c = 0; c < Count(); ++c) {
            if (std::strcmp(Column(c)->name, name) == 0)
                return int(c);
        }
        return -1;
    }
    void Start()
    {
        m_values.assign(Count(), std::vector<char>(MDB_BIND_SIZE + 1));
        m_lengths.assign(Count(), 0);
        for (unsigned c = 0; c < Count(); ++c)
            mdb_bind_column(m_table, int(c + 1), m_values[c].data(), &m_lengths[c]);
        mdb_rewind_table(m_table);
    }
    bool Next() { return mdb_fetch_row(m_table) != 0; }
    const char* Bound(unsigned c) const { return m_values[c].data(); }
    int BoundLength(unsigned c) const { return m_lengths[c]; }
    // A long integer of the row; false when null.
    bool Long(unsigned c, std::int32_t& value) const
    {
        if (c >= Count() || m_lengths[c] <= 0)
            return false;
        char* end = nullptr;
        value = std::int32_t(std::strtol(Bound(c), &end, 10));
        return end != Bound(c);
    }

  private:
    MdbTableDef* m_table;
    std::vector<std::vector<char>> m_values;
    std::vector<int> m_lengths;
};

MdbCatalogEntry* FindEntry(MdbHandle* mdb, const char* name, unsigned long page)
{
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE &&
            (name ? std::strcmp(entry->object_name, name) == 0 : entry->table_pg == page))
            return entry;
    }
    return nullptr;
}

} // namespace

// Which columns Access calculates, by column number: flagged in the
// extended flags of their descriptors in the table definition, which libmdb
// reads but does not keep. Only Access 2010 and later calculate columns.
bool CalculatedColumns(MdbHandle* mdb, MdbTableDef* table, std::vector<int>& numbers)
{
    numbers.clear();
    if (mdb->f->jet_version < MDB_VER_ACCDB_2010)
        return true;
    const MdbFormatConstants& fmt = *mdb->fmt;
    // The definition runs on over linked pages, each after its 8-byte header.
    // The descriptors follow an entry for each real index, counted as the
    // definition counts them: libmdb, once it has read the indexes, leaves
    // out those of the foreign key of a relationship.
    std::vector<unsigned char> bytes;
    size_t first = 0, needed = size_t(fmt.tab_num_ridxs_offset) + 4;
    unsigned long page = table->entry->table_pg;
    for (int pages = 0; bytes.size() < needed; ++pages) {
        if (page == 0 || pages > 64 || mdb_read_pg(mdb, page) != fmt.pg_size)
            return false;
        bytes.insert(bytes.end(), mdb->pg_buf + (pages == 0 ? 0 : 8), mdb->pg_buf + fmt.pg_size);
        page = std::uint32_t(mdb_get_int32(mdb->pg_buf, 4));
        if (pages == 0) {
            const std::uint32_t realIndexes =
                std::uint32_t(mdb_get_int32(bytes.data(), fmt.tab_num_ridxs_offset));
            first = size_t(fmt.tab_cols_start_offset) + size_t(realIndexes) * fmt.tab_ridx_entry_size;
            needed = first + size_t(table->num_cols) * fmt.tab_col_entry_size;
        }
    }
    for (unsigned c = 0; c < table->num_cols; ++c) {
        const unsigned char* descriptor = bytes.data() + first + size_t(c) * fmt.tab_col_entry_size;
        if ((descriptor[fmt.col_flags_offset + 1] & 0xC0) == 0xC0)
            numbers.push_back(descriptor[fmt.col_num_offset] | descriptor[fmt.col_num_offset + 1] << 8);
    }
    return true;
}

bool ListSources(MdbHandle* mdb, MdbTableDef* table, std::vector<CListSource>& sources)
{
    CScan scan(FindEntry(mdb, "MSysComplexColumns", 0));
    const int name = scan.Find("ColumnName"), items = scan.Find("FlatTableID"),
              type = scan.Find("ComplexTypeObjectID"), owner = scan.Find("ConceptualTableID");
    if (!scan.Table() || name < 0 || items < 0 || type < 0 || owner < 0)
        return false;
    scan.Start();
    while (scan.Next()) {
        CListSource source;
        std::int32_t ownerId = 0;
        if (!scan.Long(unsigned(owner), ownerId) || std::uint32_t(ownerId) != table->entry->table_pg ||
            !scan.Long(unsigned(items), source.itemTable) || !scan.Long(unsigned(type), source.typeTable))
            continue;
        source.column.assign(scan.Bound(unsigned(name)),
                             std::min<size_t>(size_t(std::max(scan.BoundLength(unsigned(name)), 0)),
                                              std::strlen(scan.Bound(unsigned(name)))));
        sources.push_back(source);
    }
    return true;
}

// The items of a list column, each list in the order the items were added
// and joined with "、", by the id the column's rows hold. The hidden table
// holds the item's own columns (those of its type), the id of the row the
// item belongs to and a number of its own. An attachment is listed by its
// file name. False for a column whose items cannot be read; `hidden` for
// the column that keeps an append-only memo's earlier texts.
bool LoadItems(MdbHandle* mdb, const CListSource& source, ItemLists& lists, bool& hidden)
{
    MdbCatalogEntry* typeEntry = FindEntry(mdb, nullptr, std::uint32_t(source.typeTable));
    if (!typeEntry)
        return false;
    const std::string typeName = typeEntry->object_name;
    hidden = typeName.rfind("MSysComplexTypeVH_", 0) == 0;
    if (hidden)
        return true;
    CScan type(typeEntry);
    if (!type.Table())
        return false;
    std::string valueName;
    if (typeName == "MSysComplexType_Attachment")
        valueName = "FileName";
    else if (type.Count() == 1)
        valueName = type.Column(0)->name;
    else
        return false;

    CScan items(FindEntry(mdb, nullptr, std::uint32_t(source.itemTable)));
    if (!items.Table())
        return false;
    const int value = items.Find(valueName.c_str());
    int owner = -1, number = -1;
    for (unsigned c = 0; c < items.Count(); ++c) {
        MdbColumn* col = items.Column(c);
        if (col->col_type != MDB_LONGINT || type.Find(col->name) >= 0)
            continue;
        int& which = col->is_long_auto ? number : owner;
        if (which >= 0)
            return false;
        which = int(c);
    }
    if (value < 0 || owner < 0)
        return false;
    CColumnPlan plan;
    plan.col = items.Column(unsigned(value));
    plan.type = plan.col->col_type;
    plan.trimZeros = plan.type == MDB_NUMERIC || plan.type == MDB_MONEY;
    if (plan.type == MDB_COMPLEX || plan.type == MDB_BINARY || plan.type == MDB_OLE ||
        !IsReadableType(plan.type))
        return false;
    struct Item {
        std::int32_t owner, number;
        std::string text;
    };
    std::vector<Item> all;
    items.Start();
    while (items.Next()) {
        Item item{0, 0, {}};
        if (!items.Long(unsigned(owner), item.owner))
            continue;
        items.Long(unsigned(number), item.number);
        const Got got =
            ReadValue(mdb, plan, items.Bound(unsigned(value)), items.BoundLength(unsigned(value)), item.text);
        if (got == kBad)
            return false;
        if (got == kValue)
            all.push_back(std::move(item));
    }
    std::stable_sort(all.begin(), all.end(), [](const Item& a, const Item& b) {
        return a.owner != b.owner ? a.owner < b.owner : a.number < b.number;
    });
    for (Item& item : all) {
        if (lists.empty() || lists.back().first != item.owner)
            lists.emplace_back(item.owner, std::move(item.text));
        else
            lists.back().second += "、" + item.text;
    }
    return true;
}

} // namespace Mdb
