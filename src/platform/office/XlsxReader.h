#pragma once

#include "platform/office/Workbook.h"

#include <QStringList>

#include <string>

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

    // The texts of the sheet read: the characters of those it holds, and
    // the cells that take a shared string, each keeping the string's index
    // in `number` until the strings are read after the cells.
    struct CSheetTexts {
        qint64 chars = 0;
        std::vector<std::size_t> taking;
    };
    // The cells of the sheet's part, unsorted, against the bounds of a
    // sheet; false once refused.
    bool ReadCells(const QString& part, CSheetData& sheet, CSheetTexts& texts, Error* error);
    // The cell typed as `type` says, held by the sheet when it has a value,
    // its place and its own text counted; false once refused.
    bool HoldCell(CSheetData& sheet, CSheetCell&& cell, const std::string& type, CSheetTexts& texts,
                  Error* error);
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
