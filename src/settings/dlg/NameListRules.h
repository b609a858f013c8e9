#pragma once

#include <QString>
#include <QStringList>

#include "settings/ComboData.h"
#include "settings/dlg/NameRequest.h"

// The rules of the name-list dialog without its widgets: the names of one
// entry list (mode = list kind: staff, receipt descriptions, units), edited
// in a copy of the list's file that is written on OK.
class CNameListRules
{
  public:
    explicit CNameListRules(int mode) : m_nMode(mode) {}

    int GetMode() const { return m_nMode; }
    // The window caption, header line, note line and list label of the
    // mode, and its help topic.
    QString GetCaption() const;
    QString GetHeader() const;
    QString GetNote() const;
    QString GetListLabel() const;
    int GetHelpTopic() const { return 1502 + m_nMode; }

    // Loads the list (the reset question on a damaged file); the first name
    // is selected.
    void Open();

    QStringList GetNames() const;
    int GetSel() const { return m_nSel; }
    void Select(int row);

    bool CanChange() const { return m_nSel >= 0; }
    bool CanDelete() const { return m_nSel >= 0; }
    bool CanMoveUp() const { return m_nSel > 0; }
    bool CanMoveDown() const { return m_nSel >= 0 && m_nSel < Count() - 1; }

    // "追加...": the name dialog's texts, then the name it gave; false when
    // nothing changed (a listed name is reported).
    CNameRequest GetAddRequest() const;
    bool Add(const QString& name);
    // "変更...": false, after saying so, without a selected line. Protected
    // names may be renamed.
    bool BeginChange(CNameRequest& request) const;
    bool Change(const QString& name);
    // "削除": refuses protected names and asks first.
    bool Delete();
    bool MoveUp();
    bool MoveDown();

    bool IsModified() const { return m_bModified; }
    // OK: writes the list when something changed; 1 written or nothing to
    // write, 0 when the write failed.
    int OnOK();
    // Cancel: true when the dialog may close (asks when something changed).
    bool ConfirmCancel() const;

  private:
    int Count() const { return int(m_data.GetElems().size()); }
    bool IsListed(const QString& name) const;
    bool HasSel(const char* message) const;
    CNameRequest Request(bool add) const;

    int m_nMode;
    CComboData m_data;
    int m_nSel = -1;
    bool m_bModified = false;
};
