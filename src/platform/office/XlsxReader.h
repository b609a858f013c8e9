#pragma once

#include "platform/office/Workbook.h"

#include <QStringList>

typedef struct zip zip_t;

// What the parts a book's reader has read unpacked to, against the bounds
// of the book: bytes, and nodes beyond those of the items kept.
struct CUnpackBudget {
    qint64 mostBytes = 0;
    qint64 bytes = 0;
    qint64 mostSpareNodes = 0;
    qint64 nodes = 0;
    qint64 kept = 0;
};

// Office Open XML workbooks (.xlsx, .xlsm): the archive through libzip, each
// part streamed through libxml2's text reader with no network access and no
// document type (a part that declares one is refused, so no entity is ever
// expanded). Shared strings and styles are read once, on the first sheet.
class CXlsxReader : public CWorkbookReader
{
  public:
    static std::unique_ptr<CXlsxReader> Open(const QString& path, const Limits& limits, Error& error);
    ~CXlsxReader() override;

    Format GetFormat() const override { return Xlsx; }
    bool ReadSheet(int index, CSheetData& sheet, Error* error = nullptr) override;

  private:
    CXlsxReader() = default;
    bool Load(qint64 fileBytes, Error& error);
    bool LoadShared(Error& error);

    zip_t* m_zip = nullptr;
    Limits m_limits;
    CUnpackBudget m_unpacked;
    QStringList m_sheetParts;
    QString m_stylesPart;
    QString m_sharedPart;
    bool m_sharedLoaded = false;
    QList<QString> m_sharedStrings;
    qint64 m_nSharedChars = 0;
    QList<CNumberFormat> m_formats;
};
