#include "platform/env/RegistryIni.h"

#include "platform/env/ArdoEnv.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"

#include <QFile>

namespace
{

// Far beyond any real registry extract; a bigger file is not read.
constexpr qint64 kMaxFileBytes = 1 << 20;

} // namespace

QString CRegistryIni::FilePath()
{
    return CArdoEnv().GetDataPath(QStringLiteral("Registry.ini"));
}

CRegistryIni::CRegistryIni()
{
    Load(FilePath());
}

CRegistryIni::CRegistryIni(const QString& file)
{
    Load(file);
}

QString CRegistryIni::KeyOf(const QString& key)
{
    QString folded = FoldAsciiCase(key.trimmed());
    folded.replace(u'/', u'\\');
    while (folded.endsWith(u'\\'))
        folded.chop(1);
    while (folded.startsWith(u'\\'))
        folded.remove(0, 1);
    return folded;
}

void CRegistryIni::Load(const QString& file)
{
    QFile in(file);
    if (in.size() > kMaxFileBytes || !in.open(QIODevice::ReadOnly))
        return;
    const QString text = QString::fromUtf8(in.readAll());
    QHash<QString, QString>* section = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = &m_keys[KeyOf(line.mid(1, line.size() - 2).toString())];
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!section || equals <= 0)
            continue;
        QStringView value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        section->insert(FoldAsciiCase(line.left(equals).trimmed().toString()), value.toString());
    }
}

bool CRegistryIni::HasKey(const QString& key) const
{
    return m_keys.contains(KeyOf(key));
}

QString CRegistryIni::GetString(const QString& key, const QString& name) const
{
    const auto section = m_keys.constFind(KeyOf(key));
    return section == m_keys.constEnd() ? QString() : section->value(FoldAsciiCase(name));
}

int CRegistryIni::GetInt(const QString& key, const QString& name) const
{
    const QString text = GetString(key, name).trimmed();
    bool ok = false;
    const int value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                                : text.toInt(&ok, 10);
    return ok ? value : 0;
}

QString RegistryIniPath()
{
    return CRegistryIni::FilePath();
}

QString ReadRegistryText(const QString& key, const QString& name, int maxBytes)
{
    const QString value = CRegistryIni().GetString(key, name);
    if (maxBytes > 0 && Cp932::ByteLength(value) + 1 > maxBytes)
        return {};
    return value;
}

int ReadRegistryInt(const QString& key, const QString& name)
{
    return CRegistryIni().GetInt(key, name);
}
