#include "platform/archive/ArchiveReader.h"

#include <limits>

#include <QtEndian>
#include <cstring>

#include "platform/text/Cp932.h"

namespace
{

const quint16 kNewClassTag = 0xFFFF;
const quint16 kClassTag = 0x8000;
const quint16 kBigObjectTag = 0x7FFF;
const quint32 kBigClassTag = 0x80000000u;
const quint16 kMaxClassNameLength = 64; // the framework's own limit

} // namespace

CArchiveReader::CArchiveReader(QByteArray data) : m_data(std::move(data)) {}

const char* CArchiveReader::Take(qsizetype count)
{
    if (count < 0 || count > BytesLeft())
        throw CArchiveError(CArchiveError::EndOfFile, "archive ends early");
    const char* at = m_data.constData() + m_nPos;
    m_nPos += count;
    return at;
}

template <typename T> T CArchiveReader::ReadLittleEndian()
{
    return qFromLittleEndian<T>(Take(sizeof(T)));
}

quint8 CArchiveReader::ReadByte()
{
    return quint8(*Take(1));
}
qint16 CArchiveReader::ReadInt16()
{
    return ReadLittleEndian<qint16>();
}
quint16 CArchiveReader::ReadUInt16()
{
    return ReadLittleEndian<quint16>();
}
qint32 CArchiveReader::ReadInt32()
{
    return ReadLittleEndian<qint32>();
}
quint32 CArchiveReader::ReadUInt32()
{
    return ReadLittleEndian<quint32>();
}
qint64 CArchiveReader::ReadInt64()
{
    return ReadLittleEndian<qint64>();
}

double CArchiveReader::ReadDouble()
{
    const quint64 bits = ReadLittleEndian<quint64>();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QByteArray CArchiveReader::ReadBytes(qsizetype count)
{
    const char* at = Take(count);
    return QByteArray(at, count);
}

quint32 CArchiveReader::ReadCount()
{
    quint32 count = ReadUInt16();
    if (count == 0xFFFF)
        count = ReadUInt32();
    if (qint64(count) > qint64(BytesLeft()))
        throw CArchiveError(CArchiveError::EndOfFile, "archive ends before its count of items");
    return count;
}

QString CArchiveReader::ReadText()
{
    quint32 length = ReadByte();
    if (length == 0xFF) {
        length = ReadUInt16();
        if (length == 0xFFFE) // the framework's wide-text marker
            throw CArchiveError(CArchiveError::BadFormat, "wide text in archive");
        if (length == 0xFFFF) {
            length = ReadUInt32();
            if (length == 0xFFFFFFFF) // would announce a 64-bit length
                throw CArchiveError(CArchiveError::BadFormat, "text length form not supported");
        }
    }
    return Cp932::Decode(ReadBytes(qsizetype(length)));
}

QStringList CArchiveReader::ReadTextList()
{
    const quint32 count = ReadCount();
    QStringList texts;
    for (quint32 i = 0; i < count; ++i)
        texts.append(ReadText());
    return texts;
}

QString CArchiveReader::ReadTextOrWide()
{
    auto readLength = [this](bool& wide) {
        quint32 length = ReadByte();
        if (length == 0xFF) {
            length = ReadUInt16();
            if (length == 0xFFFE) {
                if (wide)
                    throw CArchiveError(CArchiveError::BadFormat, "wide marker twice in archive");
                wide = true;
                return quint32(0xFFFFFFFEu);
            }
            if (length == 0xFFFF) {
                length = ReadUInt32();
                if (length == 0xFFFFFFFF)
                    throw CArchiveError(CArchiveError::BadFormat, "text length form not supported");
            }
        }
        return length;
    };
    bool wide = false;
    quint32 length = readLength(wide);
    if (!wide)
        return Cp932::Decode(ReadBytes(qsizetype(length)));
    length = readLength(wide);
    if (length > quint32(std::numeric_limits<qsizetype>::max() / 2))
        throw CArchiveError(CArchiveError::EndOfFile, "text longer than the archive");
    const QByteArray bytes = ReadBytes(qsizetype(length) * 2);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), length);
}

QByteArray CArchiveReader::ReadAnyObjectTag()
{
    return ReadTag(nullptr);
}

QByteArray CArchiveReader::ReadObjectTag(const QByteArrayList& allowedClassNames)
{
    return ReadTag(&allowedClassNames);
}

QByteArray CArchiveReader::ReadTag(const QByteArrayList* allowed)
{
    const quint16 tag = ReadUInt16();
    QByteArray name;
    if (tag == kNewClassTag) {
        const quint16 schema = ReadUInt16(); // another program's files: its own
        const quint16 length = ReadUInt16();
        if (length >= kMaxClassNameLength)
            throw CArchiveError(CArchiveError::BadClass, "class name too long in archive");
        name = ReadBytes(length);
        if (allowed && !allowed->contains(name))
            throw CArchiveError(CArchiveError::BadClass, "unexpected class in archive");
        if (allowed && schema != 1)
            throw CArchiveError(CArchiveError::BadSchema, "unsupported schema in archive");
        m_classes.insert(m_nNextRef++, name);
    } else {
        quint32 classRef;
        if (tag == kBigObjectTag) {
            const quint32 big = ReadUInt32();
            if (!(big & kBigClassTag))
                throw CArchiveError(CArchiveError::BadFormat, "object back-reference in archive");
            classRef = big & ~kBigClassTag;
        } else if (tag & kClassTag) {
            classRef = tag & ~kClassTag;
        } else {
            throw CArchiveError(CArchiveError::BadFormat,
                                tag == 0 ? "empty element in archive" : "object back-reference in archive");
        }
        const auto known = m_classes.constFind(classRef);
        if (known == m_classes.constEnd())
            throw CArchiveError(CArchiveError::BadFormat, "reference to an unknown class in archive");
        if (allowed && !allowed->contains(*known))
            throw CArchiveError(CArchiveError::BadClass, "unexpected class in archive");
        name = *known;
    }
    ++m_nNextRef; // the object itself
    return name;
}

CFrameworkDate CArchiveReader::ReadFrameworkDate()
{
    CFrameworkDate date;
    date.m_nStatus = ReadInt32();
    date.m_dValue = ReadDouble();
    return date;
}

QDate CArchiveReader::ReadDate()
{
    return ReadFrameworkDate().ToDate();
}
QDateTime CArchiveReader::ReadDateTime()
{
    return ReadFrameworkDate().ToDateTime();
}
