#include "platform/archive/AutFile.h"

#include <QFile>
#include <QFileInfo>

#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SafeFile.h"

namespace
{

// A default value is one short text; a file near this size is not one of
// ours, and reading it whole could exhaust memory.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

} // namespace

QString ReadAutFile(const QString& path, std::optional<CArchiveError::Kind>* error, bool* read)
{
    if (read)
        *read = false;
    const QFileInfo info(path);
    const QString found = FindFileNoCase(info.path(), info.fileName());
    if (found.isEmpty())
        return {};
    QFile file(found);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (file.size() > kMaxFileSize) {
        if (error)
            *error = CArchiveError::FileError;
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = CArchiveError::FileError;
        return {};
    }
    try {
        CArchiveReader reader(bytes);
        const QString text = reader.ReadText();
        if (read)
            *read = true;
        return text;
    } catch (const CArchiveError& e) {
        if (error)
            *error = e.GetKind();
        return {};
    }
}

bool WriteAutFile(const QString& path, const QString& text, QString* unmappable)
{
    CArchiveWriter writer;
    writer.WriteText(text);
    if (unmappable)
        *unmappable = writer.Unmappable();
    const QFileInfo info(path);
    return AtomicWriteFileNoCase(info.path(), info.fileName(), writer.Data());
}
