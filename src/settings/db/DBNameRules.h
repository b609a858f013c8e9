#pragma once

#include <QString>

// The rules of the database name and folder dialog, in five modes:
// 0 new database, 1 rename, 2 copy, 3 register a folder at start-up (or
// create a database there), 4 re-point a registered database to the folder
// that now holds its file. The dialog shows them; the caller reads the
// name, the folder and the two sub-folder paths after OK.
class CDBNameRules
{
  public:
    enum { kNew = 0, kRename = 1, kCopy = 2, kStartup = 3, kLocate = 4 };

    CDBNameRules(const QString& name, const QString& folder, int mode);

    int GetMode() const { return m_nMode; }
    QString GetTitle() const;
    QString GetPrompt() const;
    bool IsNameReadOnly() const { return m_nMode == kLocate; }
    bool IsFolderReadOnly() const { return m_nMode == kRename; }

    // The set-up of the dialog's opening; false when it must end at once
    // (its message shown).
    bool Init();

    const QString& GetName() const { return m_strName; }
    const QString& GetFolder() const { return m_strFolder; }
    void SetName(const QString& name) { m_strName = name; }
    void SetFolder(const QString& folder) { m_strFolder = folder; }
    // Filled by a successful OK of the modes that lay out a new database
    // folder; empty otherwise.
    const QString& GetFilesFolder() const { return m_strFilesFolder; }
    const QString& GetOtherFolder() const { return m_strOtherFolder; }

    // The checks of OK; true when the dialog may end with OK. Final
    // separators are cut off the folder, which the dialog shows again. A
    // folder that another register entry uses is refused in every mode. At
    // start-up the name of the register's current entry, whose folder lost
    // its database, re-points that entry to the new folder (IsRepointed).
    bool OnOK();
    bool IsRepointed() const { return m_bRepoint; }

  private:
    bool CheckNewFolder();
    bool LayOutFolder();
    bool Repoint();

    QString m_strName;
    QString m_strFolder;
    QString m_strOrgName;
    QString m_strOrgFolder;
    QString m_strFilesFolder;
    QString m_strOtherFolder;
    int m_nMode;
    bool m_bRepoint = false;
};
