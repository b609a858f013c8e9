#pragma once

#include "platform/office/Workbook.h"

// Binary Excel workbooks (.xls, BIFF) through FreeXL. FreeXL gives no code
// names and no number formats: its date, date-time and time cells come back
// as serials with a date format, every other number as General; styled empty
// cells cannot be told from absent ones.
class CXlsReader : public CWorkbookReader
{
  public:
    static std::unique_ptr<CXlsReader> Open(const QString& path, Error& error);
    ~CXlsReader() override;

    Format GetFormat() const override { return Xls; }
    bool ReadSheet(int index, CSheetData& sheet, Error* error = nullptr) override;

  private:
    CXlsReader() = default;

    const void* m_handle = nullptr;
};
