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

namespace XlsxZip
{

using Parts = QMap<QString, QByteArray>;

inline bool Write(const QString& path, const Parts& parts)
{
    QFile::remove(path);
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (auto it = parts.constBegin(); it != parts.constEnd(); ++it) {
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
    return zip_close(zip) == 0;
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
