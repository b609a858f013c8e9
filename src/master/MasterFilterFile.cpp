#include "master/MasterFilterFile.h"

#include "platform/archive/SafeFile.h"
#include "platform/text/Cp932.h"
#include "settings/SettingsArchive.h"

#include <QFile>

namespace MasterFilterFile
{

namespace
{

// Nobody writes more than three short lines; a larger file is not ours.
constexpr qint64 kMaxFileSize = 64 * 1024;

} // namespace

QString Path()
{
    return GetSettingsFilePath(QString::fromLatin1(kFileName));
}

QStringList ReadLines(const QString& path)
{
    QStringList lines{QString(), QString(), QString()};
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return lines;
    const QList<QByteArray> raw = file.readAll().split('\n');
    for (int i = 0; i < 3 && i < raw.size(); ++i) {
        QByteArray line = raw[i];
        if (line.endsWith('\r'))
            line.chop(1);
        lines[i] = Cp932::Decode(line);
    }
    return lines;
}

bool ParseLine(const QString& line, int& index, QString& value)
{
    const qsizetype comma = line.indexOf(u',');
    if (comma < 0)
        return false;
    // Read as the C library reads a number: blanks, a sign, digits, and
    // whatever follows ignored.
    const QString head = line.left(comma).trimmed();
    qsizetype end = 0;
    if (end < head.size() && (head[end] == u'-' || head[end] == u'+'))
        ++end;
    while (end < head.size() && head[end] >= u'0' && head[end] <= u'9' && end < 10)
        ++end;
    index = head.left(end).toInt();
    value = line.mid(comma + 1);
    return true;
}

bool Save(const QString& path, int kind, int index, const QString& value)
{
    if (path.isEmpty() || kind < 1 || kind > 3)
        return false;
    QStringList lines = ReadLines(path);
    lines[kind - 1] = QString::number(index) + u',' + value;
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += Cp932::Encode(line) + "\r\n";
    return AtomicWriteFile(path, bytes);
}

} // namespace MasterFilterFile
