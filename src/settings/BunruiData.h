#pragma once

#include <QString>
#include <QStringList>

#include "settings/SettingsArchive.h"

// Ledgers of the classifications.
enum BunruiLedger : int { BUNRUI_PRODUCT = 0, BUNRUI_CUSTOMER = 1, BUNRUI_SUPPLIER = 2 };

// The title shown for a classification index 0-4 ("Class1".."Class5") that
// has none of its own: "分類１".."分類５"; empty for any other index.
QString GetDefaultBunruiTitle(int index);

// One classification of one ledger: its title and its known contents.
class CBunruiDataElem
{
  public:
    static constexpr const char kClassName[] = "CBunruiDataElem";

    void Serialize(CArchiveReader& ar);
    void Serialize(CArchiveWriter& ar) const;

    int m_nLedger = -1;
    int m_nIndex = -1;      // 0-4
    QString m_strTitle;     // empty: the default title
    QStringList m_contents; // in display order
};

// The classification titles and contents of the current database,
// "ClassTitle.dat". Lookups take the first element of a (ledger, index).
class CBunruiData
{
  public:
    static constexpr const char kFileName[] = "ClassTitle.dat";

    // 1 usable, 0 not (see LoadSettingsArchive); reads the file only once.
    int Load();
    // Writes the whole collection; 0 when never loaded or on failure.
    int Save();
    // Writes a settings dialog's edits: after a refused reset the reset is
    // offered again; -1 when the damaged file is kept (said so, nothing
    // written), else as Save.
    int SaveEdits();

    // Loads first when needed; none when that fails or there is no element.
    CBunruiDataElem* Find(int ledger, int index);
    // The element's title when it has one, else the default title.
    QString GetTitle(int ledger, int index);

    // The two changes of a single classification read the file again first
    // and save at once, so they keep what other screens have learned in the
    // meantime. Elements taken before are invalid afterwards.
    int SetTitle(int ledger, int index, const QString& title);
    int AddContentAndSave(int ledger, int index, const QString& text);

    // Appends the text to the classification's contents unless it is
    // already there (a new element gets the default title); not saved.
    int AddContent(int ledger, int index, const QString& text);

    void RemoveAll();

    // The elements in file order, for the settings dialog to edit.
    SettingsElems<CBunruiDataElem>& GetElems() { return m_elems; }

  private:
    int Reload();
    CBunruiDataElem* Append(int ledger, int index, const QString& title);

    SettingsElems<CBunruiDataElem> m_elems;
    QString m_strPath;
    bool m_bLoaded = false;
};
