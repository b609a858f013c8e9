#pragma once

#include <QString>
#include <QStringList>

class IDbSession;

// The transaction of a restore over one database folder: the current files
// are moved into its scratch folder "BupTmp" first, so that a restore that
// fails half-way can put them back. The saved state stays in "BupTmp" after
// a successful restore until the next one.
class CRestoreFileSet
{
  public:
    explicit CRestoreFileSet(const QString& databaseFolder);

    // 1 saved (the current files are now only in "BupTmp"); 0 not saved
    // (the database folder is as it was).
    int SaveCurrent();
    // 1 when every saved copy could be deleted from "BupTmp".
    int ClearSaved();
    // 1 when the saved state is back in place; 0 otherwise, also when
    // nothing was saved.
    int RollBack();
    // The scratch folder once the state is saved, else empty.
    QString GetSavedFolder() const;

  private:
    QString m_strFolder;
    QString m_strScratch;
    bool m_bSaved = false;
    QStringList m_savedFiles;
    QStringList m_savedSlips;
    QStringList m_savedDefaults;
};

// The lines of a backup's "Buinf.sys": true with exactly five lines; false
// for any other count, a file that cannot be read or one that is too large.
bool ReadBackupInfo(const QString& path, QStringList& lines);

// A line of "Buinf.sys" as the information dialog shows it: the item before
// the first "：" and the content after it; a line without one is all content.
void SplitBackupInfoLine(const QString& line, QString& item, QString& content);

// The menu command "使用中のデータベースへの復元": asks, chooses the backup
// folder, shows its identity, releases the database, saves the current
// state, copies the backup in (rolling back when a file fails) and connects
// again. 1 when the database was restored, else 0.
int RestoreDatabase(IDbSession& session);
