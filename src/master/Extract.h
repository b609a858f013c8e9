#pragma once

#include "platform/data/ExCondition.h"
#include "settings/SettingsArchive.h"

#include <QString>

// The named extraction conditions of the current database, "QXExtract.sys":
// a count and the conditions, each as a tagged CExCondition. The store is
// read whole and written whole after every change; it keeps no file open.
class CExtract
{
  public:
    static constexpr char kFileName[] = "QXExtract.sys";

    // Empties the store and reads the file: 1 read (no file is an empty
    // store); 0 without a current database, when the file cannot be opened
    // or is damaged and the user keeps it. A damaged file takes the reset
    // question; Yes deletes it and answers 1 with an empty store.
    int Load();
    // Writes the whole store through the atomic replace, so a failed write
    // keeps the file as it was: 1 written; 0 unless loaded, or on a failed
    // write (told, naming the file).
    int Save();
    // Appends a copy and saves: the result of Save; 0 unless loaded.
    int Add(const CExCondition& condition);
    void RemoveAll() { m_conditions.clear(); }

    bool IsLoaded() const { return m_bLoaded; }
    const QString& GetPath() const { return m_strPath; }
    int GetCount() const { return int(m_conditions.size()); }
    CExCondition* GetAt(int index);
    // Deletes the condition at `index` from the array (not saved).
    void RemoveAt(int index);

  private:
    SettingsElems<CExCondition> m_conditions;
    QString m_strPath;
    bool m_bLoaded = false;
};
