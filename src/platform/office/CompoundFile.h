#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// A compound document (the OLE2 container of .xls files), read from memory.
// Every offset, count and chain is checked against the bytes there are: a
// damaged or hostile file is refused, never read past its end, and a cyclic
// sector chain ends the read instead of looping.
class CCompoundFile
{
  public:
    enum Result { Ok, Missing, Damaged, TooLarge };

    // False when the bytes are no compound document or its header, sector
    // tables or directory are damaged.
    bool Open(const QByteArray& bytes);

    // The stream `name` (letter case ignored) among the root storage's
    // direct children, at most `maxBytes` long.
    Result ReadStream(const QString& name, QByteArray& out, qint64 maxBytes) const;

  private:
    struct Entry {
        QString name;
        quint8 type = 0; // 1 storage, 2 stream, 5 root
        quint32 left = 0, right = 0, child = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    bool ReadChain(const QVector<quint32>& table, quint32 start, int unitShift, const QByteArray& source,
                   quint64 size, QByteArray& out) const;
    bool ReadSectors(quint32 start, quint64 size, QByteArray& out) const
    {
        return ReadChain(m_fat, start, m_nSectorShift, m_bytes, size, out);
    }

    QByteArray m_bytes; // the file less its header, padded to whole sectors
    int m_nSectorShift = 9;
    quint32 m_nMiniCutoff = 4096;
    QVector<quint32> m_fat;
    QVector<quint32> m_miniFat;
    QByteArray m_miniStream;
    QVector<Entry> m_entries;
};
