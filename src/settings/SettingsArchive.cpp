#include "settings/SettingsArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/archive/SafeFile.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

namespace
{

const char kResetText[] = "設定ファイル<%1>が壊れています。初期状態にしてよろしいですか？";

// These files hold a few kilobytes; anything near this size is not one of them.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// The reset question; 1 when the file is gone and the empty collection may
// be used.
int AskReset(const QString& path)
{
    const QString text = QString::fromUtf8(kResetText).arg(QDir::toNativeSeparators(path));
    if (UiServices::Prompt().MessageBox(text, MB_YESNO, MB_ICONINFORMATION) != IDYES)
        return 0;
    return QFile::remove(path) ? 1 : 0;
}

// Whether the file opens and reads whole.
bool ReadArchiveFile(const QString& path, const std::function<void(CArchiveReader&)>& read)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    try {
        if (file.size() > kMaxFileSize)
            throw CArchiveError(CArchiveError::FileError, "settings file too large");
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw CArchiveError(CArchiveError::FileError, "settings file cannot be read");
        file.close();
        CArchiveReader reader(bytes);
        read(reader);
        return true;
    } catch (const CArchiveError&) {
        return false;
    }
}

// Steps after the folder is known: a missing file is factory state, a file
// that cannot be read is offered for reset.
int ReadSettingsFile(const QString& path, const std::function<void()>& clear,
                     const std::function<void(CArchiveReader&)>& read)
{
    const QFileInfo info(path);
    const QString found = FindFileNoCase(info.path(), info.fileName());
    if (found.isEmpty())
        return 1;
    // Damaged or not to be opened alike: the reset question names the
    // file, a box before it would name nothing.
    if (ReadArchiveFile(found, read))
        return 1;
    clear();
    return AskReset(found);
}

} // namespace

QString GetCurrentDBFolder()
{
    QString name, folder;
    if (!CDBDirMng().GetNowDB(name, folder) || folder.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    return folder;
}

QString GetSettingsFilePath(const QString& fileName)
{
    const QString folder = GetCurrentDBFolder();
    return folder.isEmpty() ? QString() : ResolveForWrite(folder, fileName);
}

int LoadSettingsArchive(const QString& fileName, QString& path, const std::function<void()>& clear,
                        const std::function<void(CArchiveReader&)>& read)
{
    clear();
    path = GetSettingsFilePath(fileName);
    if (path.isEmpty())
        return 0;
    return ReadSettingsFile(path, clear, read);
}

int ReloadSettingsArchive(const QString& path, const std::function<void()>& clear,
                          const std::function<void(CArchiveReader&)>& read)
{
    clear();
    if (path.isEmpty() || !QFileInfo(QFileInfo(path).path()).isDir())
        return 0;
    return ReadSettingsFile(path, clear, read);
}

bool SettingsArchiveReads(const QString& path, const std::function<void(CArchiveReader&)>& read)
{
    return ReadArchiveFile(path, read);
}

int AskResetBeforeSave(const QString& path)
{
    const QFileInfo info(path);
    const QString found = FindFileNoCase(info.path(), info.fileName());
    if (found.isEmpty())
        return 1; // gone meanwhile: nothing damaged is left to keep
    if (AskReset(found))
        return 1;
    ShowDamagedFileKept(found);
    return 0;
}

void ShowDamagedFileKept(const QString& path)
{
    UiServices::Prompt().MessageBox(
        QStringLiteral("壊れている設定ファイル<%1>をそのまま残したため、変更は保存していません。\n"
                       "保存するには、初期状態にしてよろしいかの問いに【はい】と答えてください。")
            .arg(QDir::toNativeSeparators(path)),
        MB_OK, MB_ICONEXCLAMATION);
}

int SaveSettingsArchive(const QString& path, const std::function<void(CArchiveWriter&)>& write)
{
    if (path.isEmpty())
        return 0;
    const QFileInfo info(path);
    const QFileInfo folder(info.path());
    if (!folder.isDir() || !folder.isWritable())
        return 0;
    CArchiveWriter writer;
    write(writer);
    int error = 0;
    if (!AtomicWriteFileNoCase(info.path(), info.fileName(), writer.Data(), &error)) {
        UiServices::Prompt().MessageBox(QStringLiteral("設定ファイル<%1>に書き込めませんでした。\n%2")
                                            .arg(QDir::toNativeSeparators(path), WriteFailureReason(error)),
                                        MB_OK, MB_ICONEXCLAMATION);
        return 0;
    }
    return 1;
}

void ShowFileError(const char* text, const QString& path)
{
    UiServices::Prompt().MessageBox(QString::fromUtf8(text).arg(QDir::toNativeSeparators(path)), MB_OK,
                                    MB_ICONEXCLAMATION);
}

void ShowReadError(const QString& path, CArchiveError::Kind kind)
{
    switch (kind) {
    case CArchiveError::EndOfFile:
        ShowFileError("ファイル<%1>の終わりを越えて読み込もうとしました。", path);
        break;
    case CArchiveError::FileError:
        ShowFileError("ファイル<%1>の読み込み中にエラーが発生しました。", path);
        break;
    default:
        ShowFileError("ファイル<%1>の形式が正しくありません。", path);
        break;
    }
}
