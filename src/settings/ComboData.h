#pragma once

#include <QString>

#include "settings/SettingsArchive.h"

// Kinds of entry list: own staff ("Tanto.dat"), receipt descriptions
// ("Money.dat"), product units ("Unit.dat").
enum ComboDataKind : int { COMBO_TANTO = 0, COMBO_MONEY = 1, COMBO_UNIT = 2 };

// One name of an entry list.
class CComboDataElem
{
  public:
    static constexpr const char kClassName[] = "CComboDataElem";

    void Serialize(CArchiveReader& ar);
    void Serialize(CArchiveWriter& ar) const;

    QString m_strText;
    int m_nDeletable = 1; // 0: protected from deletion in the name-list dialog
};

// An entry list of the current database, in drop-down order.
class CComboData
{
  public:
    // The list's file name; empty for an unknown kind.
    static QString GetFileName(int kind);
    // Bytes a name of the kind may take in its box: 30, 50, 20 (0 unknown).
    static int GetTextLimit(int kind);

    // Reads the kind's file afresh on every call; 1 usable, 0 not
    // (an unknown kind is 0).
    int Load(int kind);
    // Learns a name: rereads the file and appends the name (deletable)
    // unless the file already holds it, then saves, so lists learned
    // elsewhere in the meantime are kept. 0 when never loaded or on
    // failure. The elements afterwards are the file's.
    int Add(const QString& text);
    // Writes the whole list; 0 when never loaded or on failure.
    int Save();
    // Writes the name-list dialog's edits: after a refused reset the reset
    // is offered again; -1 when the damaged file is kept (said so, nothing
    // written), else as Save.
    int SaveEdits();

    int GetKind() const { return m_nKind; }
    // The names in drop-down order, for the name-list dialog to edit.
    SettingsElems<CComboDataElem>& GetElems() { return m_elems; }
    const SettingsElems<CComboDataElem>& GetElems() const { return m_elems; }

  private:
    SettingsElems<CComboDataElem> m_elems;
    int m_nKind = -1;
    QString m_strPath;
    bool m_bLoaded = false;
};
