#include "settings/db/DbFolders.h"

#include "platform/archive/SafeFile.h"
#include "platform/env/ArdoEnv.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace
{

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon);
}

bool IsRoot(const QString& path)
{
    return path == QLatin1String("/");
}

} // namespace

int GetPathKind(const QString& path)
{
    // The root is written "/" and ends in no further separator.
    const bool slash = path.size() > 1 && path.endsWith(u'/');
    const QString rest = slash ? path.chopped(1) : path;
    if (IsRoot(rest) && IsValidPath(path))
        return slash ? 4 : 3;
    return slash ? 2 : 1;
}

int IsValidPath(const QString& path)
{
    if (!path.startsWith(u'/') || path.contains(QChar(0)))
        return 0;
    return QFileInfo(QStringLiteral("/")).isDir() ? 1 : 0;
}

int CheckFolder(const QString& folder, bool create, bool ask)
{
    if (!IsValidPath(folder)) {
        Message(QStringLiteral("正しいパスを指定してください"));
        return create ? 4 : 0;
    }
    if (QFileInfo(folder).isDir())
        return 1;
    if (!create)
        return 0;
    if (ask && Message(QStringLiteral("指定されたフォルダは存在しません。\nフォルダを作成しますか？"),
                       MB_YESNO, MB_ICONQUESTION) != IDYES)
        return 3;
    if (!CreateNestedFolder(folder)) {
        // Callers make several folders in turn: the name tells which failed.
        Message(QStringLiteral("フォルダを作成できませんでした。\n") + folder);
        return 4;
    }
    return 2;
}

int CreateNestedFolder(const QString& path)
{
    const int kind = GetPathKind(path);
    if (kind == 3 || kind == 4 || !IsValidPath(path))
        return 0;
    const QString target = QDir::cleanPath(path);
    QStringList missing;
    QString level = target;
    while (!QFileInfo::exists(level) && !QFileInfo(level).isSymLink()) {
        missing.prepend(level);
        const qsizetype cut = level.lastIndexOf(u'/');
        if (cut < 1)
            break; // the root is never created
        level.truncate(cut);
    }
    for (const QString& folder : missing) {
        if (!QDir().mkdir(folder))
            return 0;
    }
    return QFileInfo(target).isDir() ? 1 : 0;
}

int FolderHasFiles(const QString& folder, const QString& extension, QString* firstPath)
{
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    const QString suffix = u'.' + extension;
    for (const QFileInfo& entry : entries) {
        if (extension.isEmpty() || entry.fileName().endsWith(suffix, Qt::CaseInsensitive)) {
            if (firstPath)
                *firstPath = entry.absoluteFilePath();
            return 1;
        }
    }
    return 0;
}

QString JoinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

QString FindEntryNoCase(const QString& folder, const QString& name)
{
    if (name.isEmpty())
        return {};
    const QString exact = JoinPath(folder, name);
    const QFileInfo info(exact);
    if (info.exists() || info.isSymLink())
        return exact;
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (EqualsNoAsciiCase(entry, name))
            return JoinPath(folder, entry);
    }
    return {};
}

QString SubFolder(const QString& folder, const QString& name)
{
    const QString found = FindEntryNoCase(folder, name);
    return !found.isEmpty() && QFileInfo(found).isDir() ? found : JoinPath(folder, name);
}

QString FolderBrowseStart(const QString& typed)
{
    if (!typed.isEmpty() && QDir::isAbsolutePath(typed) && QFileInfo(typed).isDir())
        return typed;
    const QString databases = CArdoEnv().GetDatabasesFolder();
    QDir().mkpath(databases);
    return databases;
}
