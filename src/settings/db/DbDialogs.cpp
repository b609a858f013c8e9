#include "settings/db/DbDialogs.h"

#include "platform/ui/Prompt.h"
#include "settings/db/DBNameDlg.h"
#include "settings/db/FolderSelectDlg.h"
#include "settings/db/RestoreInfoDlg.h"

#include <QApplication>

namespace
{

class CQtDbDialogs : public IDbDialogs
{
  public:
    int RunNameDialog(CDBNameRules& rules) override
    {
        CDBNameDlg dialog(rules, QApplication::activeWindow());
        const int result = dialog.exec();
        rules = dialog.Rules();
        return result == QDialog::Accepted ? IDOK : IDCANCEL;
    }

    bool SelectFolder(const QString& initial, const QString& title, const QString& prompt,
                      QString& folder) override
    {
        CFolderSelectDlg dialog(QApplication::activeWindow(), initial, title, prompt);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        folder = dialog.GetFolder();
        return true;
    }

    bool ConfirmRestore(const QStringList& lines) override
    {
        CRestoreInfoDlg dialog(lines, QApplication::activeWindow());
        return dialog.exec() == QDialog::Accepted;
    }
};

IDbDialogs* s_pDialogs = nullptr;

} // namespace

IDbDialogs& DbDialogs()
{
    static CQtDbDialogs qt;
    return s_pDialogs ? *s_pDialogs : qt;
}

IDbDialogs* SetDbDialogs(IDbDialogs* dialogs)
{
    IDbDialogs* old = s_pDialogs;
    s_pDialogs = dialogs;
    return old;
}
