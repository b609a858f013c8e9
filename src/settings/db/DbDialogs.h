#pragma once

#include <QString>
#include <QStringList>

class CDBNameRules;

// The modal dialogs the database operations open, so that tests can answer
// them from a script. The Qt dialogs answer until something else is
// installed.
class IDbDialogs
{
  public:
    virtual ~IDbDialogs() = default;
    // The name and folder dialog over `rules` (IDOK or IDCANCEL): it opens
    // with the rules' Init and closes through their OnOK, so the rules hold
    // what the user entered afterwards.
    virtual int RunNameDialog(CDBNameRules& rules) = 0;
    // "フォルダの参照" with its initial folder, caption and prompt; false
    // when cancelled.
    virtual bool SelectFolder(const QString& initial, const QString& title, const QString& prompt,
                              QString& folder) = 0;
    // "復元するデータ情報" with the lines of "Buinf.sys"; true for "はい".
    virtual bool ConfirmRestore(const QStringList& lines) = 0;
};

// The installed dialogs; installing nullptr goes back to the Qt ones.
// Answers what was installed before (nullptr for the Qt ones).
IDbDialogs& DbDialogs();
IDbDialogs* SetDbDialogs(IDbDialogs* dialogs);
