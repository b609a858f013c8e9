#pragma once

#include <QList>
#include <QString>

#include "platform/lookup/DictionaryFile.h"

// One entry of a level of the postal tree: a prefecture (level 0), city
// (1), town (2) or the rest (3); a missing part is an entry with an empty
// name. Only the entry that ends a complete path carries its postcode.
struct CZipEntry {
    QString m_strName;
    QString m_strPostcode;
    bool m_bHasPostcode = false;
};

// One company of the corporate dictionary under its prefecture and city.
struct CCorpEntry {
    QString m_strPostcode;
    QString m_strCompany;
    QString m_strAddress;
};

// The postal and corporate dictionary. A search runs one indexed query for
// the postcode key and arranges its rows as a tree of levels; selecting an
// entry and searching the next level only moves in that tree.
class CZipDictionary
{
  public:
    enum { kLevels = 4 };
    // Results of the calls: 0 success (for a search: hits available),
    // 1 wrong parameters, 2 the postal file cannot be opened, 4 the file
    // is broken, 5 another format version, 35 / 36 the same for the
    // corporate file, 98 not open (or already open for Open), 99 a query
    // failed, kNoHits no hits.
    enum { kNoHits = 1 };

    // The folders of both dictionaries: "YubinPath" and "HojinPath" of the
    // registry stand-in, else the program folder's "Dic" when it holds the
    // file. True only when both are known.
    static bool GetDictionaryPaths(QString& postal, QString& corporate);

    int Open(const QString& postalFolder, const QString& corporateFolder);
    void Close();
    bool IsOpen() const { return m_bOpen; }

    // Empties the key and the tree; the corporate flag chooses the
    // dictionary of the next search.
    void Reset();
    void SetCorporate(bool corporate) { m_bCorporate = corporate; }
    // Kinds 4-11 store a key (4 the postcode: seven digits, or a prefix
    // followed by "*"); other kinds are ignored.
    void SetKey(int kind, const QString& text);

    // The first search fills level 0; SearchNext fills the level below the
    // entry selected last (and, under a city of the corporate dictionary,
    // the first corporate list).
    int Search();
    int SearchNext();

    int GetCount(int level) const;
    const CZipEntry* GetEntry(int level, int index) const;
    void SetSelected(int level, int index);
    int GetCorpCount(int list) const;
    const CCorpEntry* GetCorpEntry(int list, int index) const;

    // The file of the postal or the corporate dictionary, for messages.
    const QString& GetFilePath(bool corporate) const
    {
        return (corporate ? m_corporate : m_postal).GetPath();
    }

  private:
    struct CNode {
        CZipEntry entry;
        QList<int> children;    // node indexes
        QList<CCorpEntry> corp; // companies under a city
    };
    int FillLevel(int level, int parent);
    int Child(int parent, const QString& name);

    CDictionaryFile m_postal;
    CDictionaryFile m_corporate;
    bool m_bOpen = false;
    bool m_bCorporate = false;
    QString m_strKey[8];
    QList<CNode> m_nodes;         // node 0 is the root
    QList<int> m_levels[kLevels]; // node indexes shown at each level
    int m_nSelected[kLevels] = {};
    int m_nLastSelected = -1;
    QList<CCorpEntry> m_corp[2];
};
