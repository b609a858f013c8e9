#include "platform/office/CompoundFile.h"

#include <QtEndian>

namespace
{

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFree = 0xFFFFFFFF;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kHeaderDifat = 109;

quint32 U32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 U16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// The 32-bit entries of a run of sectors.
void AppendEntries(const QByteArray& bytes, qsizetype at, qsizetype count, QVector<quint32>& table)
{
    for (qsizetype i = 0; i < count; ++i)
        table << U32(bytes, at + 4 * i);
}

} // namespace

bool CCompoundFile::Open(const QByteArray& bytes)
{
    static const char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    m_fat.clear();
    m_miniFat.clear();
    m_miniStream.clear();
    m_entries.clear();
    if (bytes.size() < 512 || !bytes.startsWith(QByteArray(kSignature, 8)) || U16(bytes, 0x1C) != 0xFFFE)
        return false;
    m_nSectorShift = U16(bytes, 0x1E);
    if ((m_nSectorShift != 9 && m_nSectorShift != 12) || U16(bytes, 0x20) != 6)
        return false;
    const qsizetype sectorSize = qsizetype(1) << m_nSectorShift;
    if (bytes.size() < sectorSize)
        return false;
    // Sector n lies at (n + 1) * size; some writers cut the last one short.
    m_bytes = bytes.mid(sectorSize);
    const qsizetype sectors = (m_bytes.size() + sectorSize - 1) / sectorSize;
    m_bytes.resize(sectors * sectorSize, '\0');
    const qsizetype perSector = sectorSize / 4;

    // The sector table's own sectors: 109 in the header, the rest in a chain
    // of table-list sectors whose last entry links the next.
    const quint32 fatCount = U32(bytes, 0x2C);
    if (fatCount > quint32(sectors))
        return false;
    QVector<quint32> fatSectors;
    for (int i = 0; i < kHeaderDifat && quint32(fatSectors.size()) < fatCount; ++i)
        fatSectors << U32(bytes, 0x4C + 4 * i);
    quint32 difat = U32(bytes, 0x44);
    for (qsizetype steps = 0; quint32(fatSectors.size()) < fatCount; ++steps) {
        if (difat >= quint32(sectors) || steps >= sectors)
            return false;
        const qsizetype at = qsizetype(difat) * sectorSize;
        for (qsizetype i = 0; i + 1 < perSector && quint32(fatSectors.size()) < fatCount; ++i)
            fatSectors << U32(m_bytes, at + 4 * i);
        difat = U32(m_bytes, at + sectorSize - 4);
    }
    for (quint32 sector : std::as_const(fatSectors)) {
        if (sector >= quint32(sectors))
            return false;
        AppendEntries(m_bytes, qsizetype(sector) * sectorSize, perSector, m_fat);
    }

    // The directory: a chain of 128-byte entries.
    QByteArray directory;
    if (!ReadChain(m_fat, U32(bytes, 0x30), m_nSectorShift, m_bytes, 0, directory) || directory.isEmpty())
        return false;
    const bool version4 = m_nSectorShift == 12;
    for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
        Entry entry;
        const int nameBytes = qMin<int>(U16(directory, at + 0x40), 64);
        for (int i = 0; i + 1 < nameBytes; i += 2) {
            const char16_t c = U16(directory, at + i);
            if (c == 0)
                break;
            entry.name += QChar(c);
        }
        entry.type = quint8(directory[at + 0x42]);
        entry.left = U32(directory, at + 0x44);
        entry.right = U32(directory, at + 0x48);
        entry.child = U32(directory, at + 0x4C);
        entry.start = U32(directory, at + 0x74);
        entry.size = version4 ? qFromLittleEndian<quint64>(directory.constData() + at + 0x78)
                              : U32(directory, at + 0x78);
        m_entries << entry;
    }
    if (m_entries.isEmpty() || m_entries.first().type != 5)
        return false;

    // Small streams live in the mini stream, in 64-byte units with a table
    // of their own.
    m_nMiniCutoff = U32(bytes, 0x38);
    QByteArray miniTable;
    const quint32 miniStart = U32(bytes, 0x3C);
    if (miniStart != kEndOfChain && miniStart != kFree) {
        if (!ReadChain(m_fat, miniStart, m_nSectorShift, m_bytes, 0, miniTable))
            return false;
        AppendEntries(miniTable, 0, miniTable.size() / 4, m_miniFat);
        const Entry& root = m_entries.first();
        if (root.start != kEndOfChain &&
            !ReadChain(m_fat, root.start, m_nSectorShift, m_bytes, 0, m_miniStream))
            return false;
        if (quint64(m_miniStream.size()) > root.size)
            m_miniStream.truncate(qsizetype(root.size));
    }
    return true;
}

// The chain from `start` through `table`, each link one unit of `source`;
// `size` 0 takes the whole chain, else exactly that many bytes (the chain
// must hold them). A link outside the table or the source, or back to a unit
// already read (a cycle), is damage.
bool CCompoundFile::ReadChain(const QVector<quint32>& table, quint32 start, int unitShift,
                              const QByteArray& source, quint64 size, QByteArray& out) const
{
    out.clear();
    const qsizetype unit = qsizetype(1) << unitShift;
    const quint64 units = quint64(source.size()) >> unitShift;
    if (size > 0 && (size + unit - 1) / unit > quint64(table.size()))
        return false;
    if (size > 0)
        out.reserve(qsizetype(size));
    QVector<bool> seen(table.size(), false);
    for (quint32 link = start; link != kEndOfChain; link = table[link]) {
        if (link >= quint64(table.size()) || link >= units || seen[link])
            return false;
        seen[link] = true;
        if (size > 0 && quint64(out.size()) >= size)
            break;
        out.append(source.constData() + qsizetype(link) * unit, unit);
    }
    if (size > 0) {
        if (quint64(out.size()) < size)
            return false;
        out.truncate(qsizetype(size));
    }
    return true;
}

CCompoundFile::Result CCompoundFile::ReadStream(const QString& name, QByteArray& out, qint64 maxBytes) const
{
    out.clear();
    if (m_entries.isEmpty())
        return Missing;
    // The root's children form a tree by left, right and child links; walk
    // it with a mark per entry so that a link loop ends.
    QVector<bool> seen(m_entries.size(), false);
    QVector<quint32> pending{m_entries.first().child};
    const Entry* found = nullptr;
    while (!pending.isEmpty() && !found) {
        const quint32 at = pending.takeLast();
        if (at == kNoStream || at >= quint32(m_entries.size()) || seen[at])
            continue;
        seen[at] = true;
        const Entry& entry = m_entries[at];
        if (entry.type == 2 && entry.name.compare(name, Qt::CaseInsensitive) == 0)
            found = &entry;
        pending << entry.left << entry.right;
    }
    if (!found)
        return Missing;
    if (found->size > quint64(maxBytes))
        return TooLarge;
    if (found->size == 0)
        return Ok;
    const bool mini = found->size < m_nMiniCutoff;
    const bool read = mini ? ReadChain(m_miniFat, found->start, 6, m_miniStream, found->size, out)
                           : ReadSectors(found->start, found->size, out);
    return read ? Ok : Damaged;
}
