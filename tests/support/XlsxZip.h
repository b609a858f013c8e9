#pragma once

// Workbooks assembled by the tests from their XML parts, zipped with libzip;
// and the parts of a written workbook read back raw. Header-only: the test
// binaries that include it link libzip through the office module.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <zip.h>

#include <algorithm>

namespace XlsxZip
{

using Parts = QMap<QString, QByteArray>;

// A part made while it is zipped: `head`, `unit` `count` times, then
// `tail`; so that a hostile part of hundreds of megabytes never stands in
// memory.
struct Repeated {
    QByteArray head, unit;
    qint64 count = 0;
    QByteArray tail;
};

// A part's XML with `count` copies of `unit` after `mark`, by default
// after the root's start tag (the first ">" after the declaration).
inline Repeated Padded(const QByteArray& part, const QByteArray& unit, qint64 count,
                       const QByteArray& mark = {})
{
    const qsizetype at =
        mark.isEmpty() ? part.indexOf('>', part.indexOf("?>") + 2) + 1 : part.indexOf(mark) + mark.size();
    return {part.left(at), unit, count, part.mid(at)};
}

namespace Detail
{

struct RepeatedSource {
    Repeated part;
    QByteArray block; // whole units, to copy from
    qint64 at = 0;
    zip_error_t error;

    qint64 Size() const { return part.head.size() + part.unit.size() * part.count + part.tail.size(); }

    qint64 Read(char* out, qint64 length)
    {
        qint64 n = 0;
        const qint64 units = part.unit.size() * part.count;
        while (n < length && at < Size()) {
            qint64 take;
            if (at < part.head.size()) {
                take = qMin(length - n, part.head.size() - at);
                memcpy(out + n, part.head.constData() + at, size_t(take));
            } else if (at < part.head.size() + units) {
                const qint64 in = (at - part.head.size()) % block.size();
                take = std::min({length - n, qint64(block.size()) - in, part.head.size() + units - at});
                memcpy(out + n, block.constData() + in, size_t(take));
            } else {
                const qint64 in = at - part.head.size() - units;
                take = qMin(length - n, part.tail.size() - in);
                memcpy(out + n, part.tail.constData() + in, size_t(take));
            }
            n += take;
            at += take;
        }
        return n;
    }

    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* self = static_cast<RepeatedSource*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            self->at = 0;
            return 0;
        case ZIP_SOURCE_READ:
            return self->Read(static_cast<char*>(data), qint64(length));
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &self->error);
            if (!stat)
                return -1;
            zip_stat_init(stat);
            stat->size = zip_uint64_t(self->Size());
            stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&self->error, data, length);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&self->error);
            delete self;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                  ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&self->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

} // namespace Detail

// The parts, and the repeated ones made while they are zipped.
inline bool Write(const QString& path, const Parts& parts, const QMap<QString, Repeated>& repeated)
{
    QFile::remove(path);
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (auto it = parts.constBegin(); it != parts.constEnd(); ++it) {
        if (repeated.contains(it.key()))
            continue;
        // libzip copies nothing until the archive is closed, so the source
        // owns a copy of the bytes.
        void* copy = malloc(size_t(qMax<qsizetype>(1, it.value().size())));
        memcpy(copy, it.value().constData(), size_t(it.value().size()));
        zip_source_t* source = zip_source_buffer(zip, copy, zip_uint64_t(it.value().size()), 1);
        if (!source || zip_file_add(zip, it.key().toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    for (auto it = repeated.constBegin(); it != repeated.constEnd(); ++it) {
        auto* state = new Detail::RepeatedSource{it.value(), {}, 0, {}};
        zip_error_init(&state->error);
        state->block = it.value().unit.repeated(
            qMax<qsizetype>(1, (64 << 10) / qMax<qsizetype>(1, it.value().unit.size())));
        zip_source_t* source = zip_source_function(zip, &Detail::RepeatedSource::Callback, state);
        if (!source) {
            delete state;
            zip_discard(zip);
            return false;
        }
        if (zip_file_add(zip, it.key().toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

inline bool Write(const QString& path, const Parts& parts)
{
    return Write(path, parts, {});
}

// Adds to the archive's directory a record for each of `names` that points
// at the data of `entry`, as an overlapping-entry bomb does; the archive has
// no comment, as Write leaves it.
inline bool PointAtOneEntry(const QString& path, const QString& entry, const QStringList& names)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    auto u16 = [&bytes](qsizetype at) {
        return quint32(uchar(bytes[at])) | quint32(uchar(bytes[at + 1])) << 8;
    };
    auto u32 = [&](qsizetype at) { return u16(at) | u16(at + 2) << 16; };
    auto put = [](QByteArray& to, qsizetype at, quint32 value, int size) {
        for (int i = 0; i < size; ++i)
            to[at + i] = char(value >> (8 * i));
    };
    const qsizetype end = bytes.size() - 22;
    if (end < 0 || u32(end) != 0x06054B50)
        return false;
    const quint32 count = u16(end + 10), size = u32(end + 12), offset = u32(end + 16);
    QByteArray record;
    for (qsizetype at = offset; at < qsizetype(offset + size);) {
        const qsizetype length = 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
        if (bytes.mid(at + 46, u16(at + 28)) == entry.toUtf8())
            record = bytes.mid(at, length);
        at += length;
    }
    if (record.isEmpty())
        return false;
    QByteArray added;
    for (const QString& name : names) {
        const QByteArray utf8 = name.toUtf8();
        QByteArray copy = record.left(46) + utf8;
        put(copy, 28, quint32(utf8.size()), 2);
        put(copy, 30, 0, 2); // no extra field
        put(copy, 32, 0, 2); // no comment
        added += copy;
    }
    QByteArray tail = bytes.mid(end);
    put(tail, 8, count + quint32(names.size()), 2);
    put(tail, 10, count + quint32(names.size()), 2);
    put(tail, 12, size + quint32(added.size()), 4);
    bytes = bytes.left(end) + added + tail;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

// One part of an archive; empty when missing.
inline QByteArray ReadPart(const QString& path, const QString& name)
{
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    if (!zip)
        return {};
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_stat(zip, name.toUtf8().constData(), 0, &stat) == 0) {
        zip_file_t* file = zip_fopen(zip, name.toUtf8().constData(), 0);
        if (file) {
            bytes.resize(qsizetype(stat.size));
            if (zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size))
                bytes.clear();
            zip_fclose(file);
        }
    }
    zip_discard(zip);
    return bytes;
}

inline QByteArray Xml(const QString& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n" + body.toUtf8();
}

// A worksheet part around the given sheetData rows (and a sheetPr when a
// code name is given).
inline QByteArray Sheet(const QString& rows, const QString& codeName = {}, const QString& dimension = {})
{
    return Xml(
        QStringLiteral("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">") +
        (codeName.isEmpty() ? QString() : QStringLiteral("<sheetPr codeName=\"%1\"/>").arg(codeName)) +
        (dimension.isEmpty() ? QString() : QStringLiteral("<dimension ref=\"%1\"/>").arg(dimension)) +
        QStringLiteral("<sheetData>") + rows + QStringLiteral("</sheetData></worksheet>"));
}

// A whole workbook: the sheets in order (name, part body; a body starting
// with "<chartsheet" is related as a chart sheet), optional shared strings
// and styles, and the 1904 date system when asked.
struct Book {
    QList<QPair<QString, QByteArray>> sheets;
    QStringList sharedStrings; // raw <si> contents
    QString numFmts;           // raw <numFmt .../> elements
    QList<int> cellXfs{0};     // numFmtId per style index
    bool date1904 = false;

    Parts ToParts() const
    {
        const QString main = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
        const QString rel =
            QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
        Parts parts;
        parts.insert(QStringLiteral("[Content_Types].xml"),
                     Xml(QStringLiteral(
                         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>")));
        parts.insert(
            QStringLiteral("_rels/.rels"),
            Xml(QStringLiteral(
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" Type=\"%1/officeDocument\" Target=\"xl/workbook.xml\"/>"
                    "</Relationships>")
                    .arg(rel)));
        QString sheetList, rels;
        for (int i = 0; i < sheets.size(); ++i) {
            const bool chart = sheets.at(i).second.contains("<chartsheet");
            const QString target = chart ? QStringLiteral("chartsheets/sheet%1.xml").arg(i + 1)
                                         : QStringLiteral("worksheets/sheet%1.xml").arg(i + 1);
            sheetList += QStringLiteral("<sheet name=\"%1\" sheetId=\"%2\" r:id=\"rId%2\"/>")
                             .arg(sheets.at(i).first)
                             .arg(i + 1);
            rels += QStringLiteral("<Relationship Id=\"rId%1\" Type=\"%2/%3\" Target=\"%4\"/>")
                        .arg(i + 1)
                        .arg(rel, chart ? QStringLiteral("chartsheet") : QStringLiteral("worksheet"), target);
            parts.insert(QStringLiteral("xl/") + target, sheets.at(i).second);
        }
        rels += QStringLiteral(
                    "<Relationship Id=\"rIdS\" Type=\"%1/styles\" Target=\"styles.xml\"/>"
                    "<Relationship Id=\"rIdT\" Type=\"%1/sharedStrings\" Target=\"sharedStrings.xml\"/>")
                    .arg(rel);
        parts.insert(
            QStringLiteral("xl/workbook.xml"),
            Xml(QStringLiteral("<workbook xmlns=\"%1\" xmlns:r=\"%2\">%3<sheets>%4</sheets></workbook>")
                    .arg(main, rel, date1904 ? QStringLiteral("<workbookPr date1904=\"1\"/>") : QString(),
                         sheetList)));
        parts.insert(
            QStringLiteral("xl/_rels/workbook.xml.rels"),
            Xml(QStringLiteral(
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">%1"
                    "</Relationships>")
                    .arg(rels)));
        QString xfs;
        for (int id : cellXfs)
            xfs += QStringLiteral("<xf numFmtId=\"%1\" fontId=\"0\"/>").arg(id);
        parts.insert(QStringLiteral("xl/styles.xml"),
                     Xml(QStringLiteral("<styleSheet xmlns=\"%1\"><numFmts>%2</numFmts>"
                                        "<cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs>"
                                        "<cellXfs>%3</cellXfs></styleSheet>")
                             .arg(main, numFmts, xfs)));
        QString sst;
        for (const QString& si : sharedStrings)
            sst += QStringLiteral("<si>") + si + QStringLiteral("</si>");
        parts.insert(QStringLiteral("xl/sharedStrings.xml"),
                     Xml(QStringLiteral("<sst xmlns=\"%1\">%2</sst>").arg(main, sst)));
        return parts;
    }
};

} // namespace XlsxZip
