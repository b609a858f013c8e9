#include "platform/office/QRTData.h"

#include "platform/archive/SafeFile.h"
#include "platform/env/RegistryIni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace
{

// One record a line: tab-separated fields, with backslash, tab and line
// breaks escaped, in UTF-8.
QString Escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString Unescape(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar n = text[++i];
            out += n == u't' ? QChar(u'\t') : n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

CExportRireki::CExportRireki() = default;

int CExportRireki::CheckInstVer()
{
    m_strFolder = CRegistryIni().GetString(QString::fromLatin1(kRegistryKey), QStringLiteral("InstalledDir"));
    if (m_strFolder.isEmpty() || !QFileInfo(m_strFolder).isDir()) {
        m_strFolder.clear();
        m_strError = QStringLiteral("Velmiraが設定されていないため、書き出しできません。");
        return 0;
    }
    return 1;
}

int CExportRireki::SetRireki(const QString& partnerCode, const CQXRireki& record)
{
    m_records.append({partnerCode, record});
    return 1;
}

int CExportRireki::Export()
{
    if (m_strFolder.isEmpty() && CheckInstVer() != 1)
        return 0;
    const QString path = ResolveForWrite(m_strFolder, QString::fromLatin1(kFileName));
    QByteArray bytes;
    if (QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_strError = QStringLiteral("履歴ファイルを読み込めません。\n") + path;
            return 0;
        }
        bytes = file.readAll();
    } else {
        bytes = QByteArray(kMagic) + '\n';
    }
    if (!bytes.startsWith(QByteArray(QByteArray(kMagic) + '\n'))) {
        m_strError = QStringLiteral("履歴ファイルの形式が正しくありません。\n") + path;
        return 0;
    }
    for (const auto& [code, r] : m_records) {
        const QStringList fields{Escape(code), r.m_dtDate.toString(Qt::ISODate), Escape(r.m_strPerson),
                                 QString::number(r.m_dTotal, 'f', 4), Escape(r.m_strKind), Escape(r.m_strMemo),
                                 Escape(r.m_strTitle)};
        bytes += fields.join(u'\t').toUtf8() + '\n';
    }
    if (!AtomicWriteFile(path, bytes)) {
        m_strError = QStringLiteral("履歴ファイルを書き込めません。\n") + path;
        return 0;
    }
    m_records.clear();
    return 1;
}

bool CExportRireki::ReadHistory(const QString& path, QList<QPair<QString, CQXRireki>>& records)
{
    records.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.isEmpty() || lines[0] != QByteArray(kMagic))
        return false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QStringList f = QString::fromUtf8(lines[i]).split(u'\t');
        if (f.size() != 7)
            return false;
        CQXRireki r;
        r.m_dtDate = QDateTime::fromString(f[1], Qt::ISODate);
        r.m_strPerson = Unescape(f[2]);
        r.m_dTotal = f[3].toDouble();
        r.m_strKind = Unescape(f[4]);
        r.m_strMemo = Unescape(f[5]);
        r.m_strTitle = Unescape(f[6]);
        records.append({Unescape(f[0]), r});
    }
    return true;
}
