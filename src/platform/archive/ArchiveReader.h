#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include "platform/archive/ArchiveError.h"
#include "platform/archive/FrameworkDate.h"

// Reads the framework's archive byte format from memory. Every read raises
// CArchiveError on bytes the program could not have written; no count or
// length is trusted beyond the bytes that are left, so hostile files cost
// at most their own size.
class CArchiveReader
{
  public:
    explicit CArchiveReader(QByteArray data);

    quint8 ReadByte();
    qint16 ReadInt16();
    quint16 ReadUInt16();
    qint32 ReadInt32();
    quint32 ReadUInt32();
    qint64 ReadInt64();
    double ReadDouble();
    QByteArray ReadBytes(qsizetype count);

    // A count of items that take at least one byte each, so a count beyond
    // the bytes left is an early end of file.
    quint32 ReadCount();
    QString ReadText();
    QStringList ReadTextList();

    // Reads the tag of the next element and returns its class name, which
    // is one of allowedClassNames. Back-references and empty elements are
    // refused (the program never writes them), as are unknown classes,
    // other schemas and references to numbers that are not classes.
    QByteArray ReadObjectTag(const QByteArrayList& allowedClassNames);
    // The same for files of other programs, whose element classes are
    // theirs: any class name and schema.
    QByteArray ReadAnyObjectTag();
    // A text that may also be in the framework's wide form (the UTF-16
    // marker, then a length in characters and UTF-16LE characters).
    QString ReadTextOrWide();

    CFrameworkDate ReadFrameworkDate();
    QDate ReadDate();
    QDateTime ReadDateTime();

    qsizetype BytesLeft() const { return m_data.size() - m_nPos; }
    bool AtEnd() const { return m_nPos >= m_data.size(); }

  private:
    // An element's tag; `allowed`, when given, limits the classes and
    // takes schema 1 only.
    QByteArray ReadTag(const QByteArrayList* allowed);
    const char* Take(qsizetype count);
    template <typename T> T ReadLittleEndian();

    QByteArray m_data;
    qsizetype m_nPos = 0;
    QHash<quint32, QByteArray> m_classes; // reference number -> class name
    quint32 m_nNextRef = 1;
};
