#pragma once

#include <QString>
#include <QStringList>

#include "settings/dlg/NameRequest.h"

// The rules of a list of names that a settings dialog edits in its own copy
// and writes on OK: the selected line, what its buttons may do, and the
// modified flag that the cancel question follows.
class CListEditRules
{
  public:
    virtual ~CListEditRules() = default;

    virtual QStringList GetItems() const = 0;
    // The selected line, -1 for none.
    int GetItemSel() const { return m_nItemSel; }
    void SelectItem(int row);

    bool CanChange() const { return m_nItemSel >= 0; }
    bool CanDelete() const { return m_nItemSel >= 0; }
    bool CanMoveUp() const { return m_nItemSel > 0; }
    bool CanMoveDown() const { return m_nItemSel >= 0 && m_nItemSel < GetItems().size() - 1; }

    // "追加...": the name dialog's texts, then the name it gave; false when
    // nothing changed (a listed name is reported).
    virtual CNameRequest GetAddRequest() const = 0;
    virtual bool Add(const QString& name) = 0;
    // "変更...": false, after saying so, without a selected line.
    virtual bool BeginChange(CNameRequest& request) const = 0;
    virtual bool Change(const QString& name) = 0;
    // "削除": asks first.
    virtual bool Delete() = 0;
    // "↑上へ", "↓下へ": the selected line moves and stays selected.
    virtual bool MoveUp() = 0;
    virtual bool MoveDown() = 0;

    bool IsModified() const { return m_bModified; }
    // OK: writes the copy when something changed; 1 written or nothing to
    // write, 0 when the write failed (reported; the dialog closes anyway),
    // -1 when the store's file is a damaged one the user kept: nothing was
    // written and the dialog stays open with the edits.
    int OnOK() { return m_bModified ? Save() : 1; }
    // Cancel: true when the dialog may close (asks when something changed).
    bool ConfirmCancel() const;

  protected:
    // 1, 0 or -1 as OnOK.
    virtual int Save() = 0;
    // True, after saying so, when a line holds exactly `name`.
    bool IsListed(const QString& name) const;
    // True when a line is selected; otherwise tells the user `message`.
    bool HasItemSel(const char* message) const;

    int m_nItemSel = -1;
    bool m_bModified = false;
};
