#pragma once

#include <QByteArray>
#include <QStringList>

#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"

// Small element shapes shared by the format and fuzz tests: the
// classification element and the list column set with its columns.
namespace ArchiveTestData
{

inline QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

struct Bunrui {
    qint32 ledger = -1;
    qint32 index = -1;
    QString title;
    QStringList contents;
};

inline void WriteBunrui(CArchiveWriter& ar, const Bunrui& e)
{
    ar.WriteObjectTag("CBunruiDataElem");
    ar.WriteInt32(1);
    ar.WriteInt32(e.ledger);
    ar.WriteInt32(e.index);
    ar.WriteText(e.title);
    ar.WriteTextList(e.contents);
}

inline QList<Bunrui> ReadBunruiFile(const QByteArray& bytes)
{
    CArchiveReader ar(bytes);
    QList<Bunrui> list;
    const quint32 count = ar.ReadCount();
    for (quint32 i = 0; i < count; ++i) {
        ar.ReadObjectTag({"CBunruiDataElem"});
        Bunrui e;
        ar.ReadInt32();
        e.ledger = ar.ReadInt32();
        e.index = ar.ReadInt32();
        e.title = ar.ReadText();
        e.contents = ar.ReadTextList();
        list.append(e);
    }
    return list;
}

struct Col {
    QString field, caption;
    qint32 width = 0, align = 0, shown = 1;
};

struct ColSet {
    qint32 id = -1;
    QList<Col> cols;
};

inline QByteArray WriteColFile(const QList<ColSet>& sets)
{
    CArchiveWriter ar;
    ar.WriteCount(quint32(sets.size()));
    for (const ColSet& set : sets) {
        ar.WriteObjectTag("CQXColSet");
        ar.WriteInt32(set.id);
        ar.WriteCount(quint32(set.cols.size()));
        for (const Col& col : set.cols) {
            ar.WriteObjectTag("CQXCol");
            ar.WriteText(col.field);
            ar.WriteText(col.caption);
            ar.WriteInt32(col.width);
            ar.WriteInt32(col.align);
            ar.WriteInt32(col.shown);
        }
    }
    return ar.Data();
}

inline QList<ColSet> ReadColFile(const QByteArray& bytes)
{
    CArchiveReader ar(bytes);
    QList<ColSet> sets;
    const quint32 count = ar.ReadCount();
    for (quint32 i = 0; i < count; ++i) {
        ar.ReadObjectTag({"CQXColSet"});
        ColSet set;
        set.id = ar.ReadInt32();
        const quint32 cols = ar.ReadCount();
        for (quint32 j = 0; j < cols; ++j) {
            ar.ReadObjectTag({"CQXCol"});
            Col col;
            col.field = ar.ReadText();
            col.caption = ar.ReadText();
            col.width = ar.ReadInt32();
            col.align = ar.ReadInt32();
            col.shown = ar.ReadInt32();
            set.cols.append(col);
        }
        sets.append(set);
    }
    return sets;
}

// Two sets: products with two columns, customers with one.
inline QList<ColSet> SampleColSets()
{
    return {{0, {{"ItemCode", "商品", 100, 0, 1}, {"Price", "P", 75, 1, 0}}}, {1, {{"TEL", "", 0, 2, 1}}}};
}

} // namespace ArchiveTestData
