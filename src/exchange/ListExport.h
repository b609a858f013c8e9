#pragma once

#include "exchange/ImportRows.h"
#include "settings/QXColSet.h"

#include <QList>
#include <QString>
#include <QStringList>

class CCDSData;
struct CMasterKind;

// Writes the records a list hands over to a file: CSV text (CP932), an .xlsx
// workbook, or contact XML (customers and suppliers). The master lists ask
// the format, the file and the columns; the report lists fill the column set
// themselves and may ask nothing (the workbook then opens on screen). One
// stack object per export; the caller owns the records and shows the
// completion message on result 1.
class CListExport
{
  public:
    // The records of a master list.
    explicit CListExport(const CMasterKind& kind);
    // The rows of a report list; its mode is the list kind its column
    // settings are kept under.
    static CListExport ForReportList(int mode);

    // 1 written; 2 failed, refused or a dialog cancelled.
    int Export(const CCDSData* records, int askFormat, int askFile, int askColumns);
    // Row 0 the captions, then one row per record; `types` one field type per
    // column (4: no record had the field). 1 built, 2 failed.
    int BuildRows(const CCDSData* records, QList<int>* types, const CQXColSet* columns);
    int ExportCSV();
    int ExportExcel(const QList<int>& types);
    int ExportXML(const CCDSData* records);
    // The customers (of the customer list only) handed to the customer
    // product: 1 when it took them, else 2.
    int ExportToQRT(const CCDSData* records);
    static QString CsvQuote(const QString& text);
    // "Item", "Customer", "Supplier"; empty for a report list's mode.
    QString GetTableName() const;
    void ClearRows();

    // The CSV bytes of the rows; false, with the refusal of the first cell
    // holding characters without a CP932 form (named by its column's
    // heading) and its row, when one cannot be written.
    bool EncodeCsv(QByteArray& bytes, QString& problem, int& badRow) const;

    const CMasterKind* m_pMaster; // null for a report list
    int m_nListKind;              // the column settings' number of the list
    CQXColSet m_colSet;
    CImportRows m_rows;
    // The code of each built record (row i + 1), to name it in messages.
    QStringList m_codes;
    QString m_strPath;

  private:
    CListExport(const CMasterKind* master, int listKind);
};
