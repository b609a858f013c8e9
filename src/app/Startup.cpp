#include "app/Startup.h"

#include "app/PasswordDialog.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/env/Password.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/db/DBNameRules.h"
#include "settings/db/DbDialogs.h"
#include "settings/db/DbTemplate.h"
#include "settings/db/Restore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{

int Message(const QString& text, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

QString WithTitle(const char* format)
{
    return QString::fromUtf8(format).arg(ProgramTitle());
}

} // namespace

// ---------------------------------------------------------------------------
// The sequence

bool CStartup::Run()
{
    if (m_services.AcquireInstanceLock() == LockState::HeldBySameUser) {
        Message(WithTitle("『%1』は既に起動しています。"), MB_ICONINFORMATION);
        return false;
    }
    // Only the one instance lays out a fresh data root.
    m_services.PrepareDataRoot();

    if (!CheckFolders()) {
        m_services.ReleaseLocks();
        return false;
    }

    if (m_services.OtherUserIsActive()) {
        Message(
            WithTitle("他のユーザーが『%"
                      "1』を使用しています。\nそのユーザーがアプリケーションを終了してからご利用ください。"));
        m_services.ReleaseLocks();
        return false;
    }

    const int password = m_services.CheckPassword();
    if (password != 1) {
        if (password == -1)
            Message(WithTitle("構成ファイルがないため『%1』を起動できません\n再インストールしてください。"),
                    MB_ICONEXCLAMATION);
        else
            Message(WithTitle("『%1』を起動できません\n"));
        m_services.ReleaseLocks();
        return false;
    }

    if (!SelectDatabase()) {
        m_services.ReleaseLocks();
        return false;
    }
    return true;
}

bool CStartup::CheckFolders()
{
    const CArdoEnv env;
    const QString check = env.GetAccessCheckFile();
    if (!QFileInfo::exists(check)) {
        Message(WithTitle("ファイルが見つからないため『%1』を起動できません"));
        return false;
    }
    // The place that failed is named, so that the user knows whose rights to change.
    const auto denied = [](const char* kind, const QString& place) {
        Message(
            QStringLiteral("ファイルの書き込み権限がないため『%1』は使えません。\n%2<%3>に書き込めません。\n"
                           "制限ユーザーに設定されている場合は権限を変更してご利用ください。")
                .arg(ProgramTitle(), QString::fromUtf8(kind), QDir::toNativeSeparators(place)));
        return false;
    };
    if (!m_services.CanWriteFile(check))
        return denied("ファイル", check);
    for (const QString& folder : env.GetWriteCheckFolders()) {
        if (QFileInfo(folder).isDir() && !m_services.CanWriteFolder(folder))
            return denied("フォルダ", folder);
    }
    return true;
}

QString CStartup::FreeBackupName(const QString& path)
{
    for (long n = 1;; ++n) {
        const QString name = path + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(name))
            return name;
    }
}

bool CStartup::SelectDatabase()
{
    const QString registerPath = CDBDirMng::GetDefaultPath();
    bool ask = true;
    {
        CDBDirMng databases(registerPath);
        if (!databases.ReadData()) {
            Message(QStringLiteral("データベース設定ファイルが壊れています。\n\nファイルを作り直します。\n"
                                   "開こうとするデータベースフォルダを指定し、名前を設定してください。"));
            if (QFileInfo::exists(registerPath))
                QFile::rename(registerPath, FreeBackupName(registerPath));
        } else {
            QString name, folder;
            databases.GetNowDB(name, folder);
            if (!folder.isEmpty()) {
                // A restore cut off by a power cut or a kill is finished or
                // undone before anything opens the database.
                RecoverInterruptedRestore(folder);
                const QString path = CMakeMsgID::DatabasePath(folder);
                // A folder or file this user may not read is there all the
                // same: say so rather than call it missing.
                const QString unreadable = CMakeMsgID::UnreadableText(path);
                if (!unreadable.isEmpty())
                    Message(unreadable);
                else if (QFileInfo(path).isFile())
                    ask = false;
                else
                    Message(QStringLiteral("指定されているフォルダ\n<%1>\nには、必要なデータベースファイル<%"
                                           "2>が存在しません。\n"
                                           "データベースファイルの存在するフォルダを指定してください。")
                                .arg(folder, QString::fromUtf8(DB_FILE_NAME)));
            }
        }
    }
    if (!ask)
        return true;

    QString name, folder;
    if (!m_services.ChooseDatabase(name, folder)) {
        Message(QStringLiteral(
                    "データベースが選択されていないので、アプリケーションを起動できません。\n終了します。\n"),
                MB_ICONSTOP);
        return false;
    }

    CDBDirMng databases(registerPath);
    if (QFileInfo(CMakeMsgID::DatabasePath(folder)).isFile()) {
        if (databases.AddCompName(name, folder, false) != 1) {
            Message(QStringLiteral(
                "設定ファイルを更新できませんでした。\nアプリケーションを起動できません。終了します。"));
            return false;
        }
    } else if (m_services.CreateDatabaseFromTemplate(folder, name) != 1) {
        Message(QStringLiteral("データベースを登録できません。\n終了します。"));
        return false;
    }

    if (databases.SetNowDB(name) != 1) {
        Message(QStringLiteral("使用するデータベースに設定できませんでした。\n終了します。"));
        return false;
    }
    Message(QStringLiteral("使用するﾃﾞｰﾀﾍﾞｰｽを設定しました。\n\nﾃﾞｰﾀﾍﾞｰｽ名 ： %1\n保存先ﾌｫﾙﾀﾞ： %2\n")
                .arg(name, folder),
            MB_ICONINFORMATION);
    return true;
}

// ---------------------------------------------------------------------------
// The real services

CStartupServices::CStartupServices() = default;

CStartupServices::~CStartupServices() = default;

void CStartupServices::PrepareDataRoot()
{
    // A failure shows as the folder check's missing-file message.
    CArdoEnv().CreateLayout(CompleteDatabaseTemplate);
}

LockState CStartupServices::AcquireInstanceLock()
{
    m_pInstanceLock = std::make_unique<CNamedLock>(kInstanceLockName);
    return m_pInstanceLock->TryAcquire();
}

bool CStartupServices::OtherUserIsActive()
{
    m_pSessionLock = std::make_unique<CNamedLock>(kSessionLockName);
    return ::OtherUserIsActive(*m_pSessionLock);
}

void CStartupServices::ReleaseLocks()
{
    m_pSessionLock.reset();
    m_pInstanceLock.reset();
}

bool CStartupServices::CanWriteFile(const QString& path)
{
    // Open without truncating; an exclusive lock stands for exclusive sharing.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool exclusive = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return exclusive;
}

bool CStartupServices::CanWriteFolder(const QString& folder)
{
    // A name of our own making, so no user file is ever touched.
    QTemporaryFile probe(folder + QStringLiteral("/.corvanta-probe-XXXXXX"));
    return probe.open();
}

int CStartupServices::CheckPassword()
{
    CNWPassCheck check([](QString& password) { return AskPassword(password); },
                       [](QString& password) { return AskNewPassword(password); });
    return check.CheckPassWord();
}

bool CStartupServices::ChooseDatabase(QString& name, QString& folder)
{
    CDBNameRules rules(QString(), QString(), CDBNameRules::kStartup);
    if (!rules.Init() || DbDialogs().RunNameDialog(rules) != IDOK)
        return false;
    name = rules.GetName();
    folder = rules.GetFolder();
    m_strOtherFolder = rules.GetOtherFolder();
    return true;
}

int CStartupServices::CreateDatabaseFromTemplate(const QString& folder, const QString& name)
{
    const QString other = m_strOtherFolder.isEmpty() ? folder + QStringLiteral("/Other") : m_strOtherFolder;
    return ::CreateDatabaseFromTemplate(folder, other, name);
}
