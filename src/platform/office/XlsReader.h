#pragma once

#include "platform/office/Workbook.h"

#include <QByteArray>
#include <QStringList>

// Excel 97-2003 workbooks (BIFF8 in a compound document), read by a walk
// over the workbook stream's records: sheet names and code names, number
// formats, shared strings, and every cell, formulas as the result stored
// with them. Older BIFF versions and encrypted books are left to FreeXL
// (`Unsupported` says so).
class CXlsReader : public CWorkbookReader
{
  public:
    static std::unique_ptr<CXlsReader> Open(const QString& path, const Limits& limits, Error& error);
    // The same over the bytes of a file.
    static std::unique_ptr<CXlsReader> FromBytes(const QByteArray& file, const Limits& limits, Error& error);

    Format GetFormat() const override { return Xls; }
    bool ReadSheet(int index, CSheetData& sheet, Error* error = nullptr) override;

  private:
    CXlsReader() = default;
    bool ReadGlobals(Error& error);

    QByteArray m_stream;             // the workbook stream
    QList<quint32> m_sheetOffsets;   // where each sheet's records begin
    QStringList m_sharedStrings;
    QList<CNumberFormat> m_formats;  // one per cell format (XF)
};
