#pragma once

#include "platform/office/Workbook.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringList>

// Excel 5.0/95 and 97-2003 workbooks (BIFF5 and BIFF8 in a compound
// document), read by one walk over the workbook stream's records: sheet
// names and code names, number formats, shared strings, and every cell with
// a value, formulas as the result stored with them. Excel 5.0/95 keep their
// texts in the book's code page; one no decoder reads is `CodePage`, never
// guessed. Books encrypted with Excel's built-in
// password are decrypted; a password of the user's own is `Password`, older
// versions and other encryptions `Unsupported`.
class CXlsReader : public CWorkbookReader
{
  public:
    static std::unique_ptr<CXlsReader> Open(const QString& path, const Limits& limits, Error& error);
    // The same over the bytes of a file.
    static std::unique_ptr<CXlsReader> FromBytes(const QByteArray& file, const Limits& limits, Error& error);
    // True when a file's first bytes are the BOF of an Excel 2.x-4.0 sheet
    // or workbook, which are record streams of their own, never compound
    // files.
    static bool IsOlderBook(QByteArrayView head);

    Format GetFormat() const override { return Xls; }
    bool ReadSheet(int index, CSheetData& sheet, Error* error = nullptr) override;

  private:
    // The records from a BOF to its EOF; `end` -1 when damage came first.
    struct CSubstream {
        qsizetype begin = 0;
        qsizetype end = -1;
        QString codeName;
        qsizetype eof = -1; // where its EOF record begins
    };

    class CSheetWalk;

    CXlsReader() = default;
    bool ReadGlobals(Error& error);
    // The substreams from `from` on, up to the end or the first damage;
    // where the walk stopped.
    qsizetype Scan(qsizetype from);
    // Where the records of sheet `index` begin; -1 when it has none.
    qsizetype SheetBegin(int index) const;
    // A record's text at `at`, its count `countBytes` long: in BIFF8 a
    // Unicode text, in BIFF5 bytes in the code page, ending the record or,
    // with `runs`, followed by its formatting runs.
    bool Text(QByteArrayView data, qsizetype at, int countBytes, QString& text, bool runs = false) const;
    QString Bytes(QByteArrayView bytes) const;
    // False when no decoder reads the code page.
    bool SetCodePage(quint16 codePage);
    // The code page of an Excel 5.0/95 book, from its CODEPAGE record and
    // fonts, before any text is read; false (`CodePage`) when it cannot be
    // read.
    bool ChooseCodePage(Error& error);
    // Whether a book that declares Mac Roman writes its texts in the
    // double-byte code page that one of its fonts names.
    bool TextsAreDoubleByte(quint16 codePage) const;

    Limits m_limits;
    int m_nBiff = 8;
    quint16 m_nCodePage = 1252;
    mutable QStringDecoder m_decoder;
    QByteArray m_stream;            // the workbook stream
    QList<CSubstream> m_substreams; // by position
    QList<int> m_sheetSubstreams;   // per sheet, into m_substreams; -1 none
    QStringList m_sharedStrings;
    quint32 m_nClaimedStrings = 0;  // as the table's header says
    QList<CNumberFormat> m_formats; // one per cell format (XF)
};
