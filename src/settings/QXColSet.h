#pragma once

#include <QList>
#include <QString>

class CArchiveReader;
class CArchiveWriter;

// One column of a list: the record field it shows, its heading, a fixed
// width in pixels (0 = sized by the list), alignment (0 left, 1 right,
// 2 centre) and whether it is shown (1) or not (anything else).
class CQXCol
{
  public:
    static constexpr const char kClassName[] = "CQXCol";

    CQXCol() = default;
    CQXCol(const QString& field, const QString& caption, int width, int align, int shown)
        : m_strField(field), m_strCaption(caption), m_nWidth(width), m_nAlign(align), m_nShown(shown)
    {
    }

    void Copy(const CQXCol& other) { *this = other; }

    void Serialize(CArchiveReader& ar);
    void Serialize(CArchiveWriter& ar) const;

    bool operator==(const CQXCol&) const = default;

    QString m_strField;
    QString m_strCaption;
    int m_nWidth = 0;
    int m_nAlign = 0;
    int m_nShown = 1;
};

// The columns of one list in display order; the id names the list
// (0 products, 1 customers, 2 suppliers, 3 quotes, 4 sales, 5 orders,
// 6 purchases; -1 in a fresh set).
class CQXColSet
{
  public:
    static constexpr const char kClassName[] = "CQXColSet";

    void RemoveAll() { m_cols.clear(); }
    void Copy(const CQXColSet& other) { *this = other; }
    // Index of the first column showing `field`, -1 when none does.
    int IndexOf(const QString& field) const;

    void Serialize(CArchiveReader& ar);
    void Serialize(CArchiveWriter& ar) const;

    bool operator==(const CQXColSet&) const = default;

    int m_nID = -1;
    QList<CQXCol> m_cols;
};

// The column sets of the lists. The factory sets live in the data root's
// "MyData/QXColSet.dat" (built from the program's own table when missing
// or unreadable);
// the sets a database's user chose live in its "QXDispColSet.dat".
class CQXColOperate
{
  public:
    static constexpr const char kFactoryFile[] = "QXColSet.dat";
    static constexpr const char kDisplayFile[] = "QXDispColSet.dat";

    void RemoveAll() { m_sets.clear(); }

    // The columns a list shows: 1 with `target` filled, 0 (target
    // untouched) when there is no current database, the display file
    // cannot be opened or no set has the id. Without a display file the
    // factory's shown columns are used; a damaged one is reported and
    // treated the same way.
    int GetColSet(int setID, CQXColSet& target);
    // The factory columns of a list, hidden ones included (the factory file
    // is built again when missing or unreadable): 1, or 0 when the file
    // cannot be built and read, or the id is no list's.
    int GetDefaultColSet(int setID, CQXColSet& target) const;
    // Replaces (or appends) the set of that id in the display file and
    // writes it whole: 1 written; 0 without a current database, when the
    // existing display file cannot be opened (it is not overwritten) or
    // the write fails (reported).
    int SaveColSet(const CQXColSet& set);

  private:
    enum class LoadResult { NoDatabase, Unreadable, Loaded };
    LoadResult LoadDisplaySets(QString& folder);
    void BuildDefaultDisplay();

    QList<CQXColSet> m_sets;
};
