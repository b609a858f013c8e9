#include "settings/db/DbTemplate.h"

#include "platform/archive/AutFile.h"
#include "platform/archive/SafeFile.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/db/DbFiles.h"
#include "settings/db/DbFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

struct CFactoryValue {
    const char* file;
    const char* text;
};

// What the sales-condition and company-information dialogs would write for
// a fresh database left at their defaults.
constexpr CFactoryValue kFactoryValues[] = {
    {"ROUNDTYPE.AUT", "1"},
    {"PRICEROUNDTYPE.AUT", "1"},
    {"TAXTYPE.AUT", "2"},
    {"TAXROUNDTYPE.AUT", "1"},
    {"CLOSEDAY.AUT", "99"},
    {"COLLECTCYCLE.AUT", "2"},
    {"COLLECTDAY.AUT", "99"},
    {"COLLECTTYPE.AUT", "現金"},
    {"COLLECTAMOUNT.AUT", "0"},
    {"PLOTERM.AUT", "12"},
    {"HINBAN.AUT", "0"},
    {"REMARKS.AUT", "1"},
    {"PRICEDIGIT.AUT", "0"},
    {"COM.AUT", ""},
    {"BUSYO.AUT", ""},
    {"NAME.AUT", ""},
    {"ZIPHIFN.AUT", ""},
    {"TATEZIP.AUT", ""},
    {"ZIP.AUT", ""},
    {"ZENZIP.AUT", ""},
    {"ADD.AUT", ""},
    {"TATEADD.AUT", ""},
    {"TEL.AUT", ""},
    {"TATETEL.AUT", ""},
    {"TELNOHIFN.AUT", ""},
    {"FAX.AUT", ""},
    {"TATEFAX.AUT", ""},
    {"KOUZA.AUT", ""},
    {"CATCH.AUT", ""},
};

int Message(const QString& text, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

} // namespace

bool CompleteDatabaseTemplate(const QString& templateFolder)
{
    const QString other = SubFolder(templateFolder, QLatin1String(kDbOtherFolder));
    QDir().mkpath(SubFolder(templateFolder, QLatin1String(kDbFilesFolder)));
    QDir().mkpath(other);

    const QString database = QString::fromUtf8(DB_FILE_NAME);
    // A first start cut short (or out of disk) leaves a file that is no
    // database; every new database would be copied from it, so it is made again.
    if (!FindFileNoCase(templateFolder, database).isEmpty() && !CheckDatabaseFile(templateFolder)) {
        QFile::remove(CMakeMsgID::DatabasePath(templateFolder));
        RemoveDatabaseJournal(templateFolder);
    }
    if (FindFileNoCase(templateFolder, database).isEmpty()) {
        QString err;
        CMakeMsgID::CreateDatabase(JoinPath(templateFolder, database), UiServices::Clock().Now(), err);
    }
    const QString marker = QLatin1String(kFirstRunMarker);
    if (FindFileNoCase(templateFolder, marker).isEmpty())
        AtomicWriteFile(JoinPath(templateFolder, marker), {});
    for (const CFactoryValue& value : kFactoryValues) {
        const QString file = QLatin1String(value.file);
        if (FindFileNoCase(other, file).isEmpty())
            WriteAutFile(JoinPath(other, file), QString::fromUtf8(value.text));
    }
    return CheckDatabaseFile(templateFolder) && !FindFileNoCase(templateFolder, marker).isEmpty();
}

int CreateDatabaseFromTemplate(const QString& folder, const QString& otherFolder, const QString& name)
{
    const QString templ = CArdoEnv().GetTemplateFolder();
    const QStringList files{QString::fromUtf8(DB_FILE_NAME), QLatin1String(kFirstRunMarker)};
    if (!CompleteDatabaseTemplate(templ)) {
        Message(QStringLiteral("データベースの新規作成に必要なファイルが見つかりません。\n修正インストールな"
                               "どを試みてください。"));
        return 0;
    }
    if (CopyFileList(templ, folder, files, false, false) != 0 ||
        CountExistingFiles(folder, files) != files.size()) {
        Message(QStringLiteral("データベースを作成できませんでした"));
        return 0;
    }
    // A default that failed to copy only leaves its dialog's own default.
    CopyFolderFiles(SubFolder(templ, QLatin1String(kDbOtherFolder)), otherFolder,
                    QLatin1String(kDefaultFileExt), false, false);
    if (CDBDirMng().AddCompName(name, folder, false) != 1) {
        Message(QStringLiteral("設定ファイルを更新できませんでした"));
        return 0;
    }
    return 1;
}
