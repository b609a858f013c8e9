#pragma once

#include "platform/office/Workbook.h"

// Binary Excel workbooks older than Excel 97 (BIFF2-5) through FreeXL, and
// the second try on a BIFF8 book our own walk refuses. FreeXL gives no code
// names, no number formats and no formula results: its date, date-time and
// time cells come back as serials with a date format, every other number as
// General; styled empty cells cannot be told from absent ones.
class CFreeXlReader : public CWorkbookReader
{
  public:
    static std::unique_ptr<CFreeXlReader> Open(const QString& path, Error& error);
    ~CFreeXlReader() override;

    Format GetFormat() const override { return Xls; }
    bool ReadSheet(int index, CSheetData& sheet, Error* error = nullptr) override;

  private:
    CFreeXlReader() = default;

    const void* m_handle = nullptr;
};
