#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One slip of a batch print handed to the slip-form program.
struct CFormPrintItem {
    quint32 m_nID = 0;     // the slip header's "ID"
    QString m_strFileName; // the slip header's "FileName"

    bool operator==(const CFormPrintItem&) const = default;
};

// The clipboard block of a batch print: the element count (signed 32-bit,
// little-endian), then per slip its ID (32-bit) and its FileName as archived
// text (length prefix of 1, 3 or 7 bytes and the code page 932 bytes), and
// one zero byte after the last element. Empty for an empty list or a
// FileName without a code page 932 form, which the slip-form program could
// never open.
QByteArray EncodeSlipList(const QList<CFormPrintItem>& items);

// The slips of a block; none when the block is not one (no element, a
// count beyond its bytes, a cut element, anything but zero bytes after the
// last element).
std::optional<QList<CFormPrintItem>> DecodeSlipList(const QByteArray& block);
