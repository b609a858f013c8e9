#pragma once

#include <QString>
#include <QStringList>

#include "settings/ComboData.h"
#include "settings/dlg/ListEditRules.h"

// The rules of the name-list dialog without its widgets: the names of one
// entry list (mode = list kind: staff, receipt descriptions, units), edited
// in a copy of the list's file that is written on OK.
class CNameListRules : public CListEditRules
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

    QStringList GetItems() const override;

    CNameRequest GetAddRequest() const override;
    bool Add(const QString& name) override;
    // Protected names may be renamed.
    bool BeginChange(CNameRequest& request) const override;
    bool Change(const QString& name) override;
    // Refuses protected names, then asks.
    bool Delete() override;
    bool MoveUp() override;
    bool MoveDown() override;

  protected:
    int Save() override { return m_data.SaveEdits(); }

  private:
    int Count() const { return int(m_data.GetElems().size()); }
    CNameRequest Request(bool add) const;

    int m_nMode;
    CComboData m_data;
};
