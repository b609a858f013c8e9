#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One registered database: its name (unique in the register) and folder.
class CDBDirData
{
  public:
    CDBDirData() = default;
    CDBDirData(const QString& name, const QString& folder) : m_strName(name), m_strFolder(folder) {}

    const QString& GetName() const { return m_strName; }
    const QString& GetFolder() const { return m_strFolder; }
    void SetName(const QString& name) { m_strName = name; }
    void SetFolder(const QString& folder) { m_strFolder = folder; }

    bool operator==(const CDBDirData&) const = default;

  private:
    QString m_strName;
    QString m_strFolder;
};

// The register of databases, "DBDirData.dat" in the data root's "MyData":
// the registered databases in display order and the name of the current
// one. Constructing an object loads the register; every change reloads it,
// applies the change and writes the whole file atomically, so two objects
// never undo each other's changes and a failed write keeps the old file.
//
// A register file that cannot be read (damaged bytes, unknown format,
// duplicate names, a current name that is not registered) leaves the object
// unreadable: every operation answers 0 and nothing is written over the
// file. A missing file is an empty register.
class CDBDirMng
{
  public:
    CDBDirMng();
    explicit CDBDirMng(const QString& filePath);

    // The register file of the data root.
    static QString GetDefaultPath();
    const QString& GetFilePath() const { return m_strPath; }

    // Loads the register again: 1 read, 0 unreadable.
    int ReadData();

    // The current database's name and folder: 1, both empty when none is
    // current; 0 (both empty) when the register is unreadable.
    int GetNowDB(QString& name, QString& folder) const;
    // Makes a registered name current: 1 done, 0 not registered or failed.
    int SetNowDB(const QString& name);
    // The folder of a registered name: 1 found, 0 not (folder emptied).
    int GetCompDBPath(const QString& name, QString& folder) const;
    // Every registered name in display order; answers their count.
    int GetDispAllComp(QStringList& names) const;
    // Registers a new name with its folder, current too when `setCurrent`:
    // 1 registered (also when exactly that pair is registered already); 0
    // when the name is empty or taken by another folder, the folder empty
    // or the register unreadable or unwritable.
    int AddCompName(const QString& name, const QString& folder, bool setCurrent);
    // Renames an entry (the current one stays current): 1 done; 0 when the
    // old name is unknown or the new one empty or taken. The unchanged name
    // succeeds without writing.
    int ChangeCompName(const QString& oldName, const QString& newName);
    // Points a registered name at another folder: 1 done, 0 failed.
    int ChangePath(const QString& name, const QString& folder);
    // Removes an entry from the register (its folder is never touched); a
    // removed current entry leaves no database current. 1 done, 0 failed.
    int DeleteComp(const QString& name);
    // 1 when the name is registered, else 0.
    int IsExistName(const QString& name) const;

  private:
    template <class Change> int Update(Change change);

    QString m_strPath;
    bool m_bReadable = false;
    QList<CDBDirData> m_entries;
    QString m_strCurrent;
};
