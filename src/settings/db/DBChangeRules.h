#pragma once

#include <QString>
#include <QStringList>

class IDbSession;

// The rules of the data switching dialog "データの切り替え": the register's
// databases with the one in use, and the new, copy, rename, delete and
// switch operations. Every operation reads the register afresh. Without a
// session (no frame) the operations that need the manager refuse.
class CDBChangeRules
{
  public:
    // The dialog's end codes besides IDOK and IDCANCEL: the manager could
    // not connect again, so the program cannot go on.
    enum { kReconnectFailed = 3 };

    explicit CDBChangeRules(IDbSession* session) : m_pSession(session) {}

    // Fills the list and selects `select` (the name in use when empty):
    // 1, or 0 when no database is current (nothing selected then).
    int RefreshList(const QString& select = {});
    // A line chosen in the list (-1 none): its folder becomes the shown one.
    void Select(int index);

    const QStringList& GetNames() const { return m_names; }
    int GetSelection() const { return m_nSelection; }
    QString GetSelectedName() const;
    const QString& GetFolderText() const { return m_strFolderText; }
    const QString& GetInUseName() const { return m_strInUse; }

    // The buttons. Those that may end the dialog answer its end code
    // (IDOK, IDCANCEL, kReconnectFailed), or 0 to stay open.
    void OnNew();
    int OnCopy();
    void OnRename();
    void OnDelete();
    int OnOK();

    // Makes `name` current and reconnects: 1 switched; 0 refused or failed
    // with the previous database current and connected (a database another
    // process holds is refused before the one in use is released); -1
    // neither the new nor the previous one could be connected (the program
    // cannot go on).
    int SwitchDatabase(const QString& name);

  private:
    bool CopyDatabase(const QString& source, const QString& target, const QString& files,
                      const QString& other);

    IDbSession* m_pSession;
    QStringList m_names;
    int m_nSelection = -1;
    QString m_strFolderText;
    QString m_strInUse;
};
