#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <vector>

#include "platform/lookup/DictionaryFile.h"
#include "platform/lookup/RLAddress.h"

// The telephone directory: telephone dictionary files of our format in up
// to three folders (hard disk, directory disc, differences), and the user's
// corrections that the telephone tool keeps in the data folder:
// "UserAddTelData.dat" (entries added) and "UserDelTelData.dat" (entries
// deleted). This program only reads them.
class CTelDirectory
{
  public:
    CTelDirectory();
    ~CTelDirectory();
    CTelDirectory(const CTelDirectory&) = delete;
    CTelDirectory& operator=(const CTelDirectory&) = delete;

    // The reader is part of the program, so it always loads.
    bool LoadDirectoryLibrary();
    void FreeDirectoryLibrary();
    bool IsLibraryLoaded() const { return m_bLoaded; }

    // "DataPath", and "HDPath" / "DiffPath" of the registry stand-in; true
    // when a value (either of the two) was read.
    static bool GetDataPath(QString& folder);
    static bool GetDirectoryPaths(QString& hardDisk, QString& difference);

    // Reads the user files, then opens the dictionary of each folder given.
    // True when at least one dictionary opened; the failures say why.
    bool Open(const QString& hardDisk, const QString& disc, const QString& difference);
    int Close();
    bool IsOpen() const { return !m_files.empty(); }

    // The entries of a number: the user's added ones first, then the
    // dictionaries' hits of kind 1 or 2, without those the user deleted.
    // -3 for no number, 0 when searched, -1 when a dictionary query failed.
    int Search(const QString& number, QList<CRLAddress>& list);
    // The dictionary file whose query failed in the last search.
    const QString& GetFailedPath() const { return m_strFailedPath; }

    const QList<CRLAddress>& UserAdded() const { return m_added; }
    const QList<CRLAddress>& UserDeleted() const { return m_deleted; }

    // Full-width digits and "－" made half-width, then only "0"-"9" kept.
    static QString DigitsOf(const QString& text);

  private:
    static void ReadUserFile(const QString& path, QList<CRLAddress>& list);

    bool m_bLoaded = false;
    std::vector<std::unique_ptr<CDictionaryFile>> m_files;
    QList<CRLAddress> m_added;
    QList<CRLAddress> m_deleted;
    QString m_strFailedPath;
};
