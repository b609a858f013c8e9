#include "platform/forms/SlipListBlock.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"

namespace
{

// An element takes at least its ID and a one-byte length.
constexpr qsizetype kMinElementBytes = 5;

} // namespace

QByteArray EncodeSlipList(const QList<CFormPrintItem>& items)
{
    if (items.isEmpty())
        return {};
    CArchiveWriter writer;
    writer.WriteInt32(qint32(items.size()));
    for (const CFormPrintItem& item : items) {
        writer.WriteUInt32(item.m_nID);
        writer.WriteText(item.m_strFileName);
    }
    if (!writer.Unmappable().isEmpty())
        return {};
    QByteArray block = writer.Data();
    block.append('\0');
    return block;
}

std::optional<QList<CFormPrintItem>> DecodeSlipList(const QByteArray& block)
{
    try {
        CArchiveReader reader(block);
        const qint32 count = reader.ReadInt32();
        if (count < 1 || count > reader.BytesLeft() / kMinElementBytes)
            return std::nullopt;
        QList<CFormPrintItem> items;
        items.reserve(count);
        for (qint32 i = 0; i < count; ++i) {
            CFormPrintItem item;
            item.m_nID = reader.ReadUInt32();
            item.m_strFileName = reader.ReadText();
            items << item;
        }
        while (!reader.AtEnd()) {
            if (reader.ReadByte() != 0)
                return std::nullopt;
        }
        return items;
    } catch (const CArchiveError&) {
        return std::nullopt;
    }
}
