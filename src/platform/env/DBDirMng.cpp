#include "platform/env/DBDirMng.h"

#include "platform/archive/SafeFile.h"
#include "platform/env/ArdoEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace
{

// Marks the file as ours, so a file of another kind reads as damaged.
const char kFormat[] = "corvanta-dbdir";
constexpr int kFormatVersion = 1;
// A register of a few hundred bytes per entry; anything near this is not one.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

qsizetype IndexOf(const QList<CDBDirData>& entries, const QString& name)
{
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (entries[i].GetName() == name)
            return i;
    return -1;
}

QString CleanFolder(const QString& folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

QByteArray Serialize(const QList<CDBDirData>& entries, const QString& current)
{
    QJsonArray list;
    for (const CDBDirData& e : entries)
        list.append(
            QJsonObject{{QStringLiteral("name"), e.GetName()}, {QStringLiteral("folder"), e.GetFolder()}});
    const QJsonObject root{{QStringLiteral("format"), QLatin1String(kFormat)},
                           {QStringLiteral("version"), kFormatVersion},
                           {QStringLiteral("current"), current},
                           {QStringLiteral("databases"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

// Parses the file's bytes; false for anything that is not a sound register.
bool Parse(const QByteArray& bytes, QList<CDBDirData>& entries, QString& current)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    const QJsonValue format = root.value(QStringLiteral("format"));
    const QJsonValue version = root.value(QStringLiteral("version"));
    const QJsonValue cur = root.value(QStringLiteral("current"));
    const QJsonValue list = root.value(QStringLiteral("databases"));
    if (format.toString() != QLatin1String(kFormat) || !version.isDouble() ||
        version.toDouble() != kFormatVersion || !cur.isString() || !list.isArray())
        return false;

    entries.clear();
    QSet<QString> names;
    for (const QJsonValue& item : list.toArray()) {
        const QJsonValue name = item.toObject().value(QStringLiteral("name"));
        const QJsonValue folder = item.toObject().value(QStringLiteral("folder"));
        if (!name.isString() || !folder.isString() || name.toString().isEmpty() ||
            folder.toString().isEmpty() || names.contains(name.toString()))
            return false;
        names.insert(name.toString());
        entries.append(CDBDirData(name.toString(), folder.toString()));
    }
    current = cur.toString();
    return current.isEmpty() || names.contains(current);
}

} // namespace

CDBDirMng::CDBDirMng() : CDBDirMng(GetDefaultPath()) {}

CDBDirMng::CDBDirMng(const QString& filePath) : m_strPath(filePath)
{
    ReadData();
}

QString CDBDirMng::GetDefaultPath()
{
    return CArdoEnv().GetMyDataFolder() + QStringLiteral("/DBDirData.dat");
}

int CDBDirMng::ReadData()
{
    m_entries.clear();
    m_strCurrent.clear();
    m_bReadable = false;

    QFile file(m_strPath);
    if (!file.exists()) {
        // The first start has no register yet.
        m_bReadable = true;
        return 1;
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return 0;

    QList<CDBDirData> entries;
    QString current;
    if (!Parse(bytes, entries, current))
        return 0;
    m_entries = entries;
    m_strCurrent = current;
    m_bReadable = true;
    return 1;
}

int CDBDirMng::GetNowDB(QString& name, QString& folder) const
{
    name.clear();
    folder.clear();
    if (!m_bReadable)
        return 0;
    const qsizetype i = IndexOf(m_entries, m_strCurrent);
    if (i >= 0) {
        name = m_entries[i].GetName();
        folder = m_entries[i].GetFolder();
    }
    return 1;
}

int CDBDirMng::GetCompDBPath(const QString& name, QString& folder) const
{
    folder.clear();
    const qsizetype i = m_bReadable ? IndexOf(m_entries, name) : -1;
    if (i < 0)
        return 0;
    folder = m_entries[i].GetFolder();
    return 1;
}

int CDBDirMng::GetDispAllComp(QStringList& names) const
{
    names.clear();
    if (m_bReadable) {
        for (const CDBDirData& e : m_entries)
            names.append(e.GetName());
    }
    return int(names.size());
}

int CDBDirMng::IsExistName(const QString& name) const
{
    return m_bReadable && IndexOf(m_entries, name) >= 0 ? 1 : 0;
}

template <class Change> int CDBDirMng::Update(Change change)
{
    // Start from what is on disk; an unreadable register is never overwritten.
    if (!ReadData())
        return 0;
    QList<CDBDirData> entries = m_entries;
    QString current = m_strCurrent;
    if (!change(entries, current))
        return 0;
    if (entries == m_entries && current == m_strCurrent)
        return 1;
    if (!QDir().mkpath(QFileInfo(m_strPath).absolutePath()) ||
        !AtomicWriteFile(m_strPath, Serialize(entries, current)))
        return 0;
    m_entries = entries;
    m_strCurrent = current;
    return 1;
}

int CDBDirMng::SetNowDB(const QString& name)
{
    return Update([&](QList<CDBDirData>& entries, QString& current) {
        if (IndexOf(entries, name) < 0)
            return false;
        current = name;
        return true;
    });
}

int CDBDirMng::AddCompName(const QString& name, const QString& folder, bool setCurrent)
{
    if (name.isEmpty() || folder.isEmpty())
        return 0;
    return Update([&](QList<CDBDirData>& entries, QString& current) {
        const qsizetype i = IndexOf(entries, name);
        // The very same pair (an entry just pointed at this folder) is
        // registered already; the name with another folder is taken.
        if (i >= 0 && entries[i].GetFolder() != CleanFolder(folder))
            return false;
        if (i < 0)
            entries.append(CDBDirData(name, CleanFolder(folder)));
        if (setCurrent)
            current = name;
        return true;
    });
}

int CDBDirMng::ChangeCompName(const QString& oldName, const QString& newName)
{
    if (newName.isEmpty())
        return 0;
    return Update([&](QList<CDBDirData>& entries, QString& current) {
        const qsizetype i = IndexOf(entries, oldName);
        if (i < 0)
            return false;
        if (oldName == newName)
            return true;
        if (IndexOf(entries, newName) >= 0)
            return false;
        entries[i].SetName(newName);
        if (current == oldName)
            current = newName;
        return true;
    });
}

int CDBDirMng::ChangePath(const QString& name, const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    return Update([&](QList<CDBDirData>& entries, QString&) {
        const qsizetype i = IndexOf(entries, name);
        if (i < 0)
            return false;
        entries[i].SetFolder(CleanFolder(folder));
        return true;
    });
}

int CDBDirMng::DeleteComp(const QString& name)
{
    return Update([&](QList<CDBDirData>& entries, QString& current) {
        const qsizetype i = IndexOf(entries, name);
        if (i < 0)
            return false;
        entries.removeAt(i);
        if (current == name)
            current.clear();
        return true;
    });
}
