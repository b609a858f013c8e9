#include "settings/SettingsFiles.h"

#include "platform/archive/AutFile.h"
#include "platform/archive/SafeFile.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/SettingsArchive.h"

#include <QDir>

#include <climits>
#include <optional>

QString OtherFolder(const QString& dbFolder)
{
    return QDir(dbFolder).filePath(QStringLiteral("Other"));
}

QString ReadDefaultValue(const QString& otherFolder, const QString& name, bool* found)
{
    // The message names the file as it is spelled on disk.
    const QString path = ResolveForWrite(otherFolder, name);
    std::optional<CArchiveError::Kind> error;
    const QString text = ReadAutFile(path, &error, found);
    if (error)
        ShowReadError(path, *error);
    return text;
}

int LeadingInt(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' ||
                               text[i] == u'\v' || text[i] == u'\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return int(negative ? -value : value);
}

bool WriteDefaultValues(const QString& dbFolder, const QStringList& names, const QStringList& texts,
                        const QStringList& captions)
{
    IPrompt& prompt = UiServices::Prompt();
    if (dbFolder.isEmpty()) {
        prompt.MessageBox(QStringLiteral("データベースが選択されていないため、設定を保存できません。"), MB_OK,
                          MB_ICONEXCLAMATION);
        return false;
    }
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString caption = captions.value(i);
        const QString problem = UnusableCharsProblem(caption.isEmpty() ? names.value(i) : caption, texts[i]);
        if (!problem.isEmpty()) {
            prompt.MessageBox(problem, MB_OK, MB_ICONEXCLAMATION);
            return false;
        }
    }
    const QString other = OtherFolder(dbFolder);
    QDir().mkpath(other);
    QStringList failed;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString path = QDir(other).filePath(names[i]);
        if (!WriteAutFile(path, texts.value(i)))
            failed << QDir::toNativeSeparators(path);
    }
    if (failed.isEmpty())
        return true;
    prompt.MessageBox(QStringLiteral("次のファイルに書き込めませんでした。\n") + failed.join(u'\n'), MB_OK,
                      MB_ICONEXCLAMATION);
    return false;
}
