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
// expanded). Styles are read once, on the first sheet; of the shared
// strings, each sheet read takes only those its cells name, the part read
// up to the last of them within the book's budgets, whatever the strings
// after them add to it.
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
    bool LoadStyles(Error& error);
    // Gives the cells at `taking` of the sheet read, each holding a shared
    // string's index in `number`, their strings, counted into `chars`.
    bool TakeSharedStrings(CSheetData& sheet, const std::vector<std::size_t>& taking, qint64& chars,
                           Error& error);

    zip_t* m_zip = nullptr;
    Limits m_limits;
    CUnpackBudget m_unpacked;
    QStringList m_sheetParts;
    QString m_stylesPart;
    QString m_sharedPart;
    bool m_stylesLoaded = false;
    QList<CNumberFormat> m_formats;
};
