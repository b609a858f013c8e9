#pragma once

#include <QList>
#include <QString>

class CArchiveReader;
class CArchiveWriter;

// The master lists: 1 products, 2 customers, 3 suppliers. Their column set
// id is the kind less one.
enum MasterListKind : int { kListItem = 1, kListCustomer = 2, kListSupplier = 3 };

// The code field a master list sorts by unless told otherwise
// ("ItemCode", "CustomerCode", "SupplierCode"); empty for other kinds.
QString GetListCodeField(int listKind);

// The field and direction (0 ascending, 1 descending) a master list is
// sorted by when it opens. The file holds kind, field, order.
class CDefaultSort
{
  public:
    static constexpr const char kClassName[] = "CDefaultSort";

    CDefaultSort() = default;
    // The kind's code field, descending.
    explicit CDefaultSort(int listKind)
        : m_strField(GetListCodeField(listKind)), m_nOrder(1), m_nListKind(listKind)
    {
    }

    void Serialize(CArchiveReader& ar);
    void Serialize(CArchiveWriter& ar) const;

    QString m_strField;
    int m_nOrder = 0;
    int m_nListKind = -1;
};

// The start-up sort orders of the current database, "DefOrder.dat". The
// master list pastes the field into its ORDER BY, so only a column the
// list offers for sorting is ever read from the file or written to it.
class CDefaultSortList
{
  public:
    static constexpr const char kFileName[] = "DefOrder.dat";

    // Fixes the path in the current database folder (none without one).
    CDefaultSortList();

    // 1 read (a missing file is an empty list); 0 without a current
    // database, or when the file cannot be opened or is damaged (reported,
    // the list left empty). Either way the list counts as loaded, so a
    // failure is reported once per object.
    int Load();
    // The entry of the list kind, loading first when not loaded; none when
    // there is no entry or the load fails.
    const CDefaultSort* Find(int listKind);
    // Saves an entry with these values: 0 for an empty field or an order
    // other than 0 or 1, else as Save.
    int Set(int listKind, const QString& field, int order);
    // Copies the entry's values into the entry of its kind (or appends it)
    // and writes the whole file: 1 written; 0 when the field is not one the
    // kind sorts by, without a current database, or when the write fails
    // (reported).
    int Save(const CDefaultSort& entry);

    // True when the list kind may be sorted by `field`: a column of its
    // factory set that the column dialog offers.
    static bool IsSortField(int listKind, const QString& field);

  private:
    QString m_strPath;
    QList<CDefaultSort> m_entries;
    bool m_bLoaded = false;
    // The file exists but could not be opened: saving would drop the other
    // lists' entries it holds.
    bool m_bUnopened = false;
};
