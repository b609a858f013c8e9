#include "platform/archive/ArchiveWriter.h"

#include <QtEndian>
#include <cstring>

#include "platform/text/Cp932.h"

namespace
{

const quint16 kNewClassTag = 0xFFFF;
const quint16 kClassTag = 0x8000;
const quint16 kBigObjectTag = 0x7FFF;
const quint32 kBigClassTag = 0x80000000u;

} // namespace

template <typename T> void CArchiveWriter::WriteLittleEndian(T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    m_data.append(bytes, sizeof(T));
}

void CArchiveWriter::WriteByte(quint8 value)
{
    m_data.append(char(value));
}
void CArchiveWriter::WriteInt16(qint16 value)
{
    WriteLittleEndian(value);
}
void CArchiveWriter::WriteUInt16(quint16 value)
{
    WriteLittleEndian(value);
}
void CArchiveWriter::WriteInt32(qint32 value)
{
    WriteLittleEndian(value);
}
void CArchiveWriter::WriteUInt32(quint32 value)
{
    WriteLittleEndian(value);
}
void CArchiveWriter::WriteInt64(qint64 value)
{
    WriteLittleEndian(value);
}
void CArchiveWriter::WriteBytes(const QByteArray& bytes)
{
    m_data.append(bytes);
}

void CArchiveWriter::WriteDouble(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteLittleEndian(bits);
}

void CArchiveWriter::WriteCount(quint32 count)
{
    if (count < 0xFFFF) {
        WriteUInt16(quint16(count));
    } else {
        WriteUInt16(0xFFFF);
        WriteUInt32(count);
    }
}

void CArchiveWriter::WriteText(const QString& text)
{
    QString unmappable;
    const QByteArray bytes = Cp932::Encode(text, &unmappable);
    for (qsizetype i = 0; i < unmappable.size();) {
        const qsizetype units = unmappable[i].isHighSurrogate() && i + 1 < unmappable.size() ? 2 : 1;
        const QString ch = unmappable.mid(i, units);
        if (!m_strUnmappable.contains(ch))
            m_strUnmappable.append(ch);
        i += units;
    }

    const qsizetype length = bytes.size();
    Q_ASSERT(length < qsizetype(0xFFFFFFFF));
    if (length < 0xFF) {
        WriteByte(quint8(length));
    } else if (length < 0xFFFE) {
        WriteByte(0xFF);
        WriteUInt16(quint16(length));
    } else {
        WriteByte(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(quint32(length));
    }
    m_data.append(bytes);
}

void CArchiveWriter::WriteTextList(const QStringList& texts)
{
    WriteCount(quint32(texts.size()));
    for (const QString& text : texts)
        WriteText(text);
}

void CArchiveWriter::WriteObjectTag(const char* className)
{
    const QByteArray name(className);
    const auto known = m_classRefs.constFind(name);
    if (known == m_classRefs.constEnd()) {
        // A new class is always announced with the short tag, however high
        // the numbering has gone.
        WriteUInt16(kNewClassTag);
        WriteUInt16(1); // schema
        WriteUInt16(quint16(name.size()));
        m_data.append(name);
        m_classRefs.insert(name, m_nNextRef++);
    } else if (*known < kBigObjectTag) {
        WriteUInt16(quint16(kClassTag | *known));
    } else {
        WriteUInt16(kBigObjectTag);
        WriteUInt32(kBigClassTag | *known);
    }
    ++m_nNextRef; // the object itself
}

void CArchiveWriter::WriteFrameworkDate(const CFrameworkDate& date)
{
    WriteInt32(date.m_nStatus);
    WriteDouble(date.m_dValue);
}

void CArchiveWriter::WriteDate(const QDate& date)
{
    WriteFrameworkDate(CFrameworkDate::FromDate(date));
}

void CArchiveWriter::WriteDateTime(const QDateTime& dateTime)
{
    WriteFrameworkDate(CFrameworkDate::FromDateTime(dateTime));
}
