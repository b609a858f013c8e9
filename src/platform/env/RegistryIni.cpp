#include "platform/env/RegistryIni.h"

#include "platform/env/ArdoEnv.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"

#include <QDir>
#include <QFile>

namespace
{

// A registry stand-in is a few lines; anything larger is not one.
constexpr qint64 kMaxFileSize = 1024 * 1024;

bool FindValue(const QString& key, const QString& name, QString& value)
{
    QFile file(RegistryIniPath());
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    bool inKey = false;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inKey = EqualsNoAsciiCase(line.mid(1, line.size() - 2).trimmed(), key);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inKey || eq < 0)
            continue;
        if (EqualsNoAsciiCase(line.left(eq).trimmed(), name)) {
            value = line.mid(eq + 1).trimmed();
            return true;
        }
    }
    return false;
}

} // namespace

QString RegistryIniPath()
{
    return QDir(CArdoEnv().GetDataRoot()).filePath(QStringLiteral("Registry.ini"));
}

QString ReadRegistryText(const QString& key, const QString& name, int maxBytes)
{
    QString value;
    if (!FindValue(key, name, value))
        return {};
    if (maxBytes > 0 && Cp932::ByteLength(value) + 1 > maxBytes)
        return {};
    return value;
}

int ReadRegistryInt(const QString& key, const QString& name)
{
    QString value;
    if (!FindValue(key, name, value))
        return 0;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : 0;
}
