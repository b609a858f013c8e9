#include "settings/db/DBChangeRules.h"

#include "platform/archive/SafeFile.h"
#include "platform/data/DbManager.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/db/DBNameRules.h"
#include "settings/db/DbDialogs.h"
#include "settings/db/DbFiles.h"
#include "settings/db/DbFolders.h"
#include "settings/db/DbSession.h"
#include "settings/db/DbTemplate.h"
#include "settings/db/OpenProgress.h"

namespace
{

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE, int defaultButton = 0)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon, defaultButton);
}

} // namespace

int CDBChangeRules::RefreshList(const QString& select)
{
    CDBDirMng databases;
    databases.GetDispAllComp(m_names);
    m_nSelection = -1;
    m_strFolderText.clear();
    QString name, folder;
    databases.GetNowDB(name, folder);
    if (folder.isEmpty()) {
        m_strInUse.clear();
        return 0;
    }
    m_strInUse = name;
    m_strFolderText = folder;
    m_nSelection = int(m_names.indexOf(select.isEmpty() ? name : select));
    if (m_nSelection >= 0)
        databases.GetCompDBPath(m_names[m_nSelection], m_strFolderText);
    return 1;
}

void CDBChangeRules::Select(int index)
{
    m_nSelection = index >= 0 && index < m_names.size() ? index : -1;
    if (m_nSelection >= 0)
        CDBDirMng().GetCompDBPath(m_names[m_nSelection], m_strFolderText);
}

QString CDBChangeRules::GetSelectedName() const
{
    return m_nSelection >= 0 ? m_names[m_nSelection] : QString();
}

void CDBChangeRules::OnNew()
{
    if (!m_pSession) {
        Message(QStringLiteral("データベースを作成できません"));
        return;
    }
    CDBNameRules dialog({}, {}, CDBNameRules::kNew);
    if (DbDialogs().RunNameDialog(dialog) != IDOK)
        return;
    CWaitCursor wait;
    if (CreateDatabaseFromTemplate(dialog.GetFolder(), dialog.GetOtherFolder(), dialog.GetName()) == 1) {
        Message(QStringLiteral("作成しました"), MB_OK, MB_ICONINFORMATION);
        RefreshList(dialog.GetName());
    }
}

int CDBChangeRules::OnCopy()
{
    const QString source = GetSelectedName();
    if (source.isEmpty()) {
        Message(QStringLiteral("コピー元にするデータベースをリストから選択してください"));
        return 0;
    }
    // The database in use is copied while the manager has closed it.
    const bool inUse = source == m_strInUse;
    if (inUse) {
        if (!m_pSession) {
            Message(QStringLiteral("コピーできません"));
            return 0;
        }
        const int answer = m_pSession->Release();
        if (answer == 50) {
            Message(OtherScreensOpenText(QStringLiteral("現在使用中のデータベースをコピーする")));
            return 0;
        }
        if (answer != 1) {
            Message(QStringLiteral("コピーできません"));
            return 0;
        }
    }

    CDBNameRules dialog({}, {}, CDBNameRules::kCopy);
    if (DbDialogs().RunNameDialog(dialog) == IDOK) {
        CWaitCursor wait;
        QString sourceFolder;
        CDBDirMng().GetCompDBPath(source, sourceFolder);
        if (!CopyDatabase(sourceFolder, dialog.GetFolder(), dialog.GetFilesFolder(),
                          dialog.GetOtherFolder())) {
            Message(QStringLiteral("コピーできませんでした"));
        } else if (CDBDirMng().AddCompName(dialog.GetName(), dialog.GetFolder(), false) == 1) {
            RefreshList(dialog.GetName());
            Message(QStringLiteral("コピーしました"), MB_OK, MB_ICONINFORMATION);
        } else {
            Message(QStringLiteral("設定ファイルを更新できませんでした"));
        }
    }

    if (inUse) {
        CWaitCursor wait;
        if (m_pSession->Connect() != 1) {
            Message(ReconnectFailedText(), MB_OK, MB_ICONSTOP);
            return kReconnectFailed;
        }
    }
    return 0;
}

bool CDBChangeRules::CopyDatabase(const QString& source, const QString& target, const QString& files,
                                  const QString& other)
{
    // A folder that lost its database would be registered as a copy without one.
    if (!CheckDatabaseFile(source))
        return false;
    QStringList list;
    GetDbSettingFiles(list);
    int failed = CopyFileList(source, target, list, false, false);
    failed += CopyFolderFiles(SubFolder(source, QLatin1String(kDbFilesFolder)), files,
                              QLatin1String(kSlipFileExt), false, false);
    failed += CopyFolderFiles(SubFolder(source, QLatin1String(kDbOtherFolder)), other,
                              QLatin1String(kDefaultFileExt), false, false);
    return failed == 0;
}

void CDBChangeRules::OnRename()
{
    const QString name = GetSelectedName();
    if (name.isEmpty()) {
        Message(QStringLiteral("変更するデータベースをリストから選択してください"));
        return;
    }
    CDBNameRules dialog(name, m_strFolderText, CDBNameRules::kRename);
    if (DbDialogs().RunNameDialog(dialog) == IDOK)
        RefreshList(dialog.GetName());
}

void CDBChangeRules::OnDelete()
{
    if (Message(QStringLiteral(
                    "選択しているデータベースの情報を削除します（データベースフォルダは削除しません）。\n"
                    "よろしいですか？"),
                MB_YESNO, MB_ICONQUESTION, IDNO) != IDYES)
        return;
    const QString name = GetSelectedName();
    if (name.isEmpty()) {
        Message(QStringLiteral("削除するデータベース名を選択してください。"));
        return;
    }
    if (name == m_strInUse) {
        Message(QStringLiteral("現在使用中のデータベースは削除できません。"));
        return;
    }
    if (!CDBDirMng().DeleteComp(name)) {
        Message(QStringLiteral("データベース情報の削除に失敗しました。"));
        return;
    }
    RefreshList();
}

int CDBChangeRules::OnOK()
{
    const QString name = GetSelectedName();
    if (name.isEmpty()) {
        Message(QStringLiteral("使用するデータベースを選択してください"));
        return 0;
    }
    if (name == m_strInUse)
        return IDCANCEL;
    switch (SwitchDatabase(name)) {
    case 1:
        return IDOK;
    case -1:
        return kReconnectFailed;
    default:
        return 0;
    }
}

int CDBChangeRules::SwitchDatabase(const QString& name)
{
    if (!m_pSession) {
        Message(QStringLiteral("切り替えができません"));
        return 0;
    }
    const QString unreadable = QStringLiteral("設定ファイルを読み取れません。切り替えできません");
    CDBDirMng databases;
    QString previous, previousFolder, folder;
    if (!databases.GetNowDB(previous, previousFolder) || !databases.GetCompDBPath(name, folder)) {
        Message(unreadable);
        return 0;
    }

    const QString database = QString::fromUtf8(DB_FILE_NAME);
    if (FindFileNoCase(folder, database).isEmpty()) {
        Message(
            QStringLiteral("指定されているフォルダ\n<") + folder +
            QStringLiteral(">\nには、必要なデータベースファイル<") + database +
            QStringLiteral(">が存在しません。\nデータベースファイルの存在するフォルダを指定してください。"));
        CDBNameRules locate(name, {}, CDBNameRules::kLocate);
        if (DbDialogs().RunNameDialog(locate) != IDOK) {
            Message(QStringLiteral("データベースファイルが見つからないため、切り替えはできません。"));
            return 0;
        }
        if (!databases.ReadData() || !databases.GetCompDBPath(name, folder)) {
            Message(unreadable);
            return 0;
        }
    }

    // Once the current database is released, one that does not open or
    // that another process holds would leave the program without any; so
    // both are tried first (the lock is taken and dropped at once). Only
    // opened and closed: a journal beside it is left to its owner.
    const QString notSet = QStringLiteral("選択されたデータベースに設定できませんでした。");
    if (!OpensUnderWait(folder)) {
        Message(notSet);
        return 0;
    }
    if (CDbManager::ProbeLock(folder) == CDbManager::kOtherProcess) {
        Message(notSet + u'\n' + DatabaseInUseText(QStringLiteral("操作")));
        return 0;
    }
    if (!databases.SetNowDB(name)) {
        Message(notSet);
        return 0;
    }
    const int answer = m_pSession->Release();
    if (answer != 1 && answer != -1) {
        Message(answer == 50 ? OtherScreensOpenText(QStringLiteral("データベースを切り替える"))
                             : CannotDisconnectText());
        databases.SetNowDB(previous);
        return 0;
    }

    CWaitCursor wait;
    if (m_pSession->Connect() == 1)
        return 1;
    // Taken in the moment since the probe: go back to the previous database,
    // so the register and the connection still agree.
    databases.SetNowDB(previous);
    if (m_pSession->Connect() == 1) {
        Message(QStringLiteral("データベースへの接続ができませんでした。\n"
                               "切り替えを中止し、元のデータベース「%1」に接続しなおしました。")
                    .arg(previous));
        return 0;
    }
    Message(QStringLiteral(
                "データベースへの接続ができませんでした。\nこのまま『%1』を使用することはできません。\n\n"
                "アプリケーションを終了して起動しなおしてください。")
                .arg(ProgramTitle()),
            MB_OK, MB_ICONSTOP);
    return -1;
}
