#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include "platform/archive/FrameworkDate.h"

// Writes the framework's archive byte format into memory: little-endian
// numbers, counts, length-prefixed CP932 text and tagged object references.
// A settings file is a count followed by, per element, WriteObjectTag and
// the element's fields; Data() is then written with AtomicWriteFile.
class CArchiveWriter
{
  public:
    void WriteByte(quint8 value);
    void WriteInt16(qint16 value);
    void WriteUInt16(quint16 value);
    void WriteInt32(qint32 value);
    void WriteUInt32(quint32 value);
    void WriteInt64(qint64 value);
    void WriteDouble(double value);
    // Raw bytes without a length, for fixed-size fields.
    void WriteBytes(const QByteArray& bytes);

    // 16 bits below 0xFFFF, else 0xFFFF and 32 bits.
    void WriteCount(quint32 count);
    // Length prefix (1, 3 or 7 bytes) and the CP932 bytes.
    void WriteText(const QString& text);
    void WriteTextList(const QStringList& texts);

    // Tag of a new object of the class: a class record the first time the
    // class appears, its reference afterwards. The caller then writes the
    // object's fields.
    void WriteObjectTag(const char* className);

    // Status (32-bit) and days (double).
    void WriteFrameworkDate(const CFrameworkDate& date);
    void WriteDate(const QDate& date);
    void WriteDateTime(const QDateTime& dateTime);

    const QByteArray& Data() const { return m_data; }
    // Characters written as '?' because they have no CP932 form, each once.
    const QString& Unmappable() const { return m_strUnmappable; }

  private:
    template <typename T> void WriteLittleEndian(T value);

    QByteArray m_data;
    QString m_strUnmappable;
    QHash<QByteArray, quint32> m_classRefs; // class name -> reference number
    quint32 m_nNextRef = 1;                 // classes and objects share it
};
