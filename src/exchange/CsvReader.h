#pragma once

#include "exchange/ImportRows.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <functional>

class QFile;

// Reads a delimited text file into the import row table. The file is
// CP932, or UTF-8 by the rule of IsUtf8Text; it is decoded before it is
// split, so the second byte of a double-byte character (0x5C "\", 0x7C "|")
// never acts as a delimiter. Strict: every line has the same number of
// values, a quote must close before the end and be followed by the
// delimiter or a line end, and a byte that is not valid in the file's
// encoding fails the whole read.
//
// Lines end at CR LF or at a bare LF outside quotes; inside quotes both stay
// in the value. A lone CR is data. A quote opens quoting wherever it stands
// in a value; inside quotes a doubled quote is one quote character.
class CCsvReader
{
  public:
    // The most values a line may hold: the columns the import pairs, as many
    // as it reads of a sheet. A line of more fails the read as soon as the
    // value past them begins, so that a line of delimiters cannot build a
    // row of millions of cells.
    static constexpr int kMaxFields = 256;
    // The most characters one line (a record, line breaks inside quotes
    // included, its closing CR too) may hold: a master record is a few kilobytes, and the
    // import keeps a few hundred bytes of a value. A file of one endless
    // value fails here instead of filling the memory with it.
    static constexpr qint64 kMaxLineChars = qint64(1) << 20;

    // `delimiter` null: no delimiter, every line is one value.
    CCsvReader(const QString& path, QChar delimiter, int headerInFile);

    // Reads and parses the whole file: its length in bytes when parsed
    // (an empty file therefore gives 0), else 0 after a message.
    qint64 Read(CImportRows* rows);

    // The same grammar over a file of any size, read a block at a time and
    // never held whole: each row (its label, then its values) goes to the
    // sink as it ends, the header line of a file with one included; the sink
    // answers false to stop. The file's length when it was parsed to its
    // end; else 0, after the message of a fault (a malformed file may have
    // handed over rows before its fault was found) or with IsStopped().
    // `showWait`: the wait dialog follows the file (else the caller's does).
    using RowSink = std::function<bool(QStringList&& row)>;
    qint64 ReadRows(const RowSink& sink, bool showWait);
    bool IsStopped() const { return m_bStopped; }

    // The whole file checked as ReadRows does, keeping only the header and
    // the first `dataRows` rows (the table Read gives, cut short), with the
    // number of data rows in `rowCount`.
    qint64 ReadHead(CImportRows* rows, int dataRows, qint64* rowCount);

    // Decodes and parses the bytes into `rows`. Without a header in the file
    // a header row "F1".."Fn" is put in front. On a format failure the table
    // is emptied and false returned after the message.
    bool Parse(CImportRows* rows, const QByteArray& data);

    // The format failure: the message, and nothing of the file is kept.
    bool Fail(CImportRows* rows);

    // True for a character that takes two bytes in CP932 (so that a byte of
    // it follows a closing quote in the file): every non-ASCII character but
    // the half-width katakana.
    static bool IsDbcsChar(QChar c);

    // Whether bytes of a text file are UTF-8: a byte-order mark decides;
    // without one, only bytes that are valid UTF-8 and hold a character of
    // three or more bytes (as all Japanese text does); else they are CP932.
    // `head`: the bytes are the start of a file, whose last character may be
    // cut off. The reader and the preview both decide by it.
    static bool IsUtf8Text(const QByteArray& bytes, bool head);

    // The file's text, decoded by that rule; false when a byte is not valid
    // in the encoding chosen.
    static bool DecodeText(const QByteArray& data, QString& text);

    // The text of the beginning of a file for a preview: up to the first zero
    // byte, a character cut off at the end dropped, bad bytes shown as U+FFFD.
    static QString DecodePreview(const QByteArray& head);

    // `wide`: a character of three or more bytes was seen.
    static bool IsValidUtf8(const char* data, qsizetype size, bool* wide = nullptr,
                            qsizetype* cutAtEnd = nullptr);

    QString m_strPath;
    QChar m_chDelimiter;
    int m_bHeaderInFile;
    int m_nFieldCount = 0;

  private:
    friend class CCsvParser;
    // "F1".."Fn" after an empty cell 0.
    QStringList DefaultHeader() const;
    // The failure of a file read as CP932 whose bytes are not CP932 but are
    // UTF-8 (of no character of three bytes, or it would have been read as
    // UTF-8: accented letters, a no-break space): the message names the
    // encoding and how to mend the file, and nothing of it is kept.
    static bool FailNotCp932(CImportRows* rows);
    // 1 UTF-8, 0 CP932 by the rule of IsUtf8Text over the whole file, -1 a
    // read error; the file is left anywhere. `validUtf8`: the whole file was
    // seen to be valid UTF-8.
    static int FileIsUtf8(QFile& file, bool* validUtf8);

    bool m_bStopped = false;
};
