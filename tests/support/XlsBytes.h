#pragma once

// Excel 5.0/95 and 97-2003 books built from bytes for the readers' tests:
// BIFF records, a workbook stream of sheets, and the compound document that
// holds it (512-byte sectors, every stream in the regular sectors, as Excel
// pads its workbook streams to 4096 bytes).

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QtEndian>

#include <functional>

namespace XlsBytes
{

inline QByteArray U16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray U32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray F64(double value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray Record(quint16 type, const QByteArray& data)
{
    return U16(type) + U16(quint16(data.size())) + data;
}

// A BIFF8 text: its count (one or two bytes), options, UTF-16 characters.
inline QByteArray Unicode(const QString& text, bool shortCount = false)
{
    QByteArray bytes = shortCount ? QByteArray(1, char(text.size())) : U16(quint16(text.size()));
    bytes += '\x01';
    for (QChar c : text)
        bytes += U16(c.unicode());
    return bytes;
}

// A BIFF5 text: its count and bytes already in the book's code page.
inline QByteArray Bytes(const QByteArray& text, bool shortCount = false)
{
    return (shortCount ? QByteArray(1, char(text.size())) : U16(quint16(text.size()))) + text;
}

inline QByteArray Cell(quint16 row, quint16 column, quint16 xf)
{
    return U16(row) + U16(column) + U16(xf);
}

inline QByteArray Bof(int biff, quint16 kind)
{
    return biff == 8 ? Record(0x0809, U16(0x0600) + U16(kind) + U16(0x2775) + U16(1997) + U32(0) + U32(6))
                     : Record(0x0809, U16(0x0500) + U16(kind) + U16(0x0DBB) + U16(1994));
}

inline QByteArray Eof()
{
    return Record(0x000A, {});
}

struct Sheet {
    QByteArray name;    // the BOUNDSHEET's text as written (Unicode() or Bytes(), short count)
    QByteArray records; // between the sheet's BOF and EOF
};

// A workbook stream: the globals' BOF, `globals`, one BOUNDSHEET a sheet,
// EOF, then each sheet's substream; `offset(i, at)` may move where the
// BOUNDSHEET of sheet i points.
inline QByteArray Stream(int biff, const QByteArray& globals, const QList<Sheet>& sheets,
                         const std::function<quint32(int, quint32)>& offset = {})
{
    QByteArray head = Bof(biff, 0x0005) + globals;
    qsizetype bounds = 0;
    for (const Sheet& sheet : sheets)
        bounds += 4 + 6 + sheet.name.size();
    quint32 at = quint32(head.size() + bounds + 4);
    QByteArray body;
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        const quint32 start = at + quint32(body.size());
        head += Record(0x0085, U32(offset ? offset(int(i), start) : start) + U16(0) + sheets[i].name);
        body += Bof(biff, 0x0010) + sheets[i].records + Eof();
    }
    return head + Eof() + body;
}

// A compound document holding `streams` at its root, each padded to 4096
// bytes; `rootNameBytes` overrides the root entry's name length.
inline QByteArray Compound(const QList<QPair<QString, QByteArray>>& streams, quint16 rootNameBytes = 0)
{
    constexpr qsizetype kSector = 512;
    QList<quint32> fat;
    QByteArray sectors;
    QList<QPair<quint32, quint32>> placed; // start, size
    for (const auto& [name, data] : streams) {
        QByteArray padded = data;
        if (padded.size() < 4096)
            padded.append(4096 - padded.size(), '\0');
        padded.append((kSector - padded.size() % kSector) % kSector, '\0');
        const quint32 start = quint32(fat.size());
        const qsizetype count = padded.size() / kSector;
        for (qsizetype i = 0; i < count; ++i)
            fat << (i + 1 < count ? quint32(fat.size() + 1) : 0xFFFFFFFE);
        sectors += padded;
        placed << qMakePair(start, quint32(padded.size()));
    }
    // The directory: the root, then the streams linked as right siblings.
    QByteArray directory;
    auto entry = [&](const QString& name, quint8 type, quint32 right, quint32 child, quint32 start,
                     quint32 size, quint16 nameBytes) {
        QByteArray e(128, '\0');
        for (qsizetype i = 0; i < name.size() && i < 31; ++i)
            qToLittleEndian<quint16>(name.at(i).unicode(), e.data() + 2 * i);
        qToLittleEndian<quint16>(nameBytes ? nameBytes : quint16((name.size() + 1) * 2), e.data() + 0x40);
        e[0x42] = char(type);
        e[0x43] = 1;
        qToLittleEndian<quint32>(0xFFFFFFFF, e.data() + 0x44);
        qToLittleEndian<quint32>(right, e.data() + 0x48);
        qToLittleEndian<quint32>(child, e.data() + 0x4C);
        qToLittleEndian<quint32>(start, e.data() + 0x74);
        qToLittleEndian<quint32>(size, e.data() + 0x78);
        directory += e;
    };
    entry(QStringLiteral("Root Entry"), 5, 0xFFFFFFFF, streams.isEmpty() ? 0xFFFFFFFF : 1, 0xFFFFFFFE, 0,
          rootNameBytes);
    for (qsizetype i = 0; i < streams.size(); ++i)
        entry(streams[i].first, 2, i + 1 < streams.size() ? quint32(i + 2) : 0xFFFFFFFF, 0xFFFFFFFF,
              placed[i].first, quint32(streams[i].second.size() < 4096 ? 4096 : streams[i].second.size()), 0);
    directory.append((kSector - directory.size() % kSector) % kSector, '\0');
    const quint32 directoryStart = quint32(fat.size());
    for (qsizetype i = 0, n = directory.size() / kSector; i < n; ++i)
        fat << (i + 1 < n ? quint32(fat.size() + 1) : 0xFFFFFFFE);
    sectors += directory;
    // The sector table's own sectors, enough to cover themselves too.
    qsizetype fatSectors = 1;
    while ((fat.size() + fatSectors) > fatSectors * (kSector / 4))
        ++fatSectors;
    const quint32 fatStart = quint32(fat.size());
    for (qsizetype i = 0; i < fatSectors; ++i)
        fat << 0xFFFFFFFD;
    while (fat.size() % (kSector / 4))
        fat << 0xFFFFFFFF;
    for (quint32 link : std::as_const(fat))
        sectors += U32(link);

    QByteArray header(kSector, '\0');
    header.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    qToLittleEndian<quint16>(0x3E, header.data() + 0x18);
    qToLittleEndian<quint16>(3, header.data() + 0x1A);
    qToLittleEndian<quint16>(0xFFFE, header.data() + 0x1C);
    qToLittleEndian<quint16>(9, header.data() + 0x1E);
    qToLittleEndian<quint16>(6, header.data() + 0x20);
    qToLittleEndian<quint32>(quint32(fatSectors), header.data() + 0x2C);
    qToLittleEndian<quint32>(directoryStart, header.data() + 0x30);
    qToLittleEndian<quint32>(4096, header.data() + 0x38);
    qToLittleEndian<quint32>(0xFFFFFFFE, header.data() + 0x3C);
    qToLittleEndian<quint32>(0xFFFFFFFE, header.data() + 0x44);
    for (int i = 0; i < 109; ++i)
        qToLittleEndian<quint32>(i < fatSectors ? fatStart + quint32(i) : 0xFFFFFFFF,
                                 header.data() + 0x4C + 4 * i);
    return header + sectors;
}

} // namespace XlsBytes
