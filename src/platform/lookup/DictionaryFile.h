#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;

// Our dictionary files: SQLite databases opened read-only, each with a
// table "dic_info" (key, value) naming its "kind" ("postal", "corporate",
// "telephone") and its format "version" (kDictionaryVersion), and one table
// of rows:
//   postal    (postcode, pref, city, town, rest)     one row per address
//   corporate (postcode, company, address, pref, city)
//   telephone (number, kind, sub, telephone, postcode, name,
//              address1, address2, address3, address4); number = digits only
// with indexes on the postcode (number) and the address parts.
inline constexpr int kDictionaryVersion = 1;
inline constexpr char kPostalFileName[] = "Yubin.dic";
inline constexpr char kCorporateFileName[] = "Hojin.dic";
inline constexpr char kTelephoneFileName[] = "Tel.dic";

// An open dictionary file; closes itself.
class CDictionaryFile
{
  public:
    enum Result { OK, MISSING, BROKEN, OTHER_VERSION };

    CDictionaryFile() = default;
    ~CDictionaryFile() { Close(); }
    CDictionaryFile(const CDictionaryFile&) = delete;
    CDictionaryFile& operator=(const CDictionaryFile&) = delete;

    // Opens `path` read-only and checks that it is a dictionary of `kind`
    // in this program's version.
    Result Open(const QString& path, const char* kind);
    void Close();
    sqlite3* Handle() const { return m_pDb; }
    bool IsOpen() const { return m_pDb != nullptr; }
    // The file last opened, for messages.
    const QString& GetPath() const { return m_strPath; }

  private:
    sqlite3* m_pDb = nullptr;
    QString m_strPath;
};

// Writers of the format, for the data steps, tests and benchmarks. Each
// writes a new file (under a temporary name, renamed when complete); an
// existing file is replaced. Rows are given column by column in the order
// above (the integer columns of the telephone rows as decimal text).
bool WriteDictionary(const QString& path, const char* kind, const QList<QStringList>& rows,
                     const QString& source = {});
