#include "reports/ColumnWidthFile.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SafeFile.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QFile>

namespace
{

constexpr quint16 kNewClassTag = 0xFFFF;
constexpr quint16 kFirstClassRef = 0x8001;
constexpr char kClassName[] = "CDWordArray";

void ShowFileError()
{
    UiServices::Prompt().MessageBox(QStringLiteral("ファイル操作中にエラーが発生しました"));
}

} // namespace

QByteArray WriteColumnWidthMap(const CColumnWidthMap& map)
{
    // Written by hand: the class record carries schema 0, which the
    // settings files' generic object tag does not write.
    CArchiveWriter ar;
    ar.WriteCount(quint32(map.size()));
    bool first = true;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        ar.WriteUInt16(it.key());
        if (first) {
            ar.WriteUInt16(kNewClassTag);
            ar.WriteUInt16(0);
            ar.WriteUInt16(quint16(sizeof(kClassName) - 1));
            ar.WriteBytes(QByteArray(kClassName));
            first = false;
        } else {
            ar.WriteUInt16(kFirstClassRef);
        }
        ar.WriteCount(quint32(it->size()));
        for (quint32 width : *it)
            ar.WriteUInt32(width);
    }
    return ar.Data();
}

bool ReadColumnWidthMap(const QByteArray& bytes, CColumnWidthMap& map)
{
    try {
        CArchiveReader ar(bytes);
        const quint32 count = ar.ReadCount();
        for (quint32 i = 0; i < count; ++i) {
            const quint16 mode = ar.ReadUInt16();
            const quint16 tag = ar.ReadUInt16();
            if (i == 0) {
                if (tag != kNewClassTag || ar.ReadUInt16() != 0)
                    return false;
                const quint16 length = ar.ReadUInt16();
                if (ar.ReadBytes(length) != QByteArray(kClassName))
                    return false;
            } else if (tag != kFirstClassRef) {
                return false;
            }
            // Each width takes four bytes, so a count beyond a quarter of
            // what is left is damage, not a reason to allocate.
            const quint32 widths = ar.ReadCount();
            if (qsizetype(widths) > ar.BytesLeft() / 4)
                return false;
            QList<quint32> list;
            list.reserve(qsizetype(widths));
            for (quint32 w = 0; w < widths; ++w)
                list.append(ar.ReadUInt32());
            map.insert(mode, list);
        }
        return true;
    } catch (const CArchiveError&) {
        return false;
    }
}

int LoadColumnWidthFile(const QString& folder, CColumnWidthMap& map)
{
    if (folder.isEmpty())
        return 0;
    const QString path = FindFileNoCase(folder, QString::fromLatin1(kColumnWidthFileName));
    if (path.isEmpty())
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || !ReadColumnWidthMap(bytes, map)) {
        ShowFileError();
        return -1;
    }
    return 1;
}

bool SaveColumnWidthFile(const QString& folder, const CColumnWidthMap& map)
{
    if (folder.isEmpty())
        return false;
    // A file that cannot be created is passed over silently, as a locked
    // one is at loading.
    return AtomicWriteFileNoCase(folder, QString::fromLatin1(kColumnWidthFileName), WriteColumnWidthMap(map));
}
