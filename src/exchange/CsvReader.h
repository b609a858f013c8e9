#pragma once

#include "exchange/ImportRows.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <functional>
#include <optional>

class CFileBlocks;
class CWaitProgress;
struct CTextGuess;

// Reads a delimited text file into the import row table. The encoding is
// decided over the whole file before a row is read (see CTextGuess): UTF-8
// when the file is valid UTF-8 throughout, else code page 932; another
// encoding (UTF-16 with or without its mark) is refused by its name. A file
// that two encodings read (UTF-8 and code page 932, or code page 932 and
// EUC-JP) is asked about, both readings shown. The text is decoded before
// it is split, so the second byte of a double-byte character (0x5C "\",
// 0x7C "|") never acts as a delimiter. Strict: every line has the same
// number of values, a quote must close before the end and be followed by
// the delimiter or a line end, and a byte that is not valid in the
// file's encoding fails the whole read; each such refusal names the line.
//
// Lines end at CR LF or at a bare LF outside quotes; inside quotes both stay
// in the value. A lone CR is data. A quote opens quoting wherever it stands
// in a value; inside quotes a doubled quote is one quote character. One DOS
// end-of-file byte (0x1A) as the file's very last byte ends the file.
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

    // The file is read a block at a time, however large it is.
    static constexpr qint64 kBlockBytes = qint64(1) << 20;

    // `delimiter` null: no delimiter, every line is one value.
    CCsvReader(const QString& path, QChar delimiter, int headerInFile);

    // Reads the file a block at a time, never holding it whole: each row
    // (its label, then its values) goes to the sink as it ends, the header
    // line of a file with one included; the sink answers false to stop. The
    // file's length when it was parsed to its end (an empty file therefore
    // gives 0); else 0, after the message of a fault (a malformed file may
    // have handed over rows before its fault was found) or with IsStopped().
    // `showWait`: the wait dialog follows the file (else the caller's does).
    using RowSink = std::function<bool(QStringList&& row)>;
    qint64 ReadRows(const RowSink& sink, bool showWait);
    bool IsStopped() const { return m_bStopped; }

    // The whole file read as ReadRows does, adding to `rows` the header (made
    // "F1".."Fn" without one in the file) and the first `dataRows` rows, with
    // the number of data rows in `rowCount`. An empty file gives the header's
    // empty cell 0 and 0. A malformed file empties the table after the
    // message; a file that cannot be read leaves it as it was.
    qint64 ReadHead(CImportRows* rows, int dataRows, qint64* rowCount);

    // The format failure: the message, naming the line and what is wrong
    // with it when `line` is past 0.
    static bool Fail(qint64 line, const QString& fault);

    // True for a character that takes two bytes in CP932 (so that a byte of
    // it follows a closing quote in the file): every non-ASCII character but
    // the half-width katakana.
    static bool IsDbcsChar(QChar c);

    // The encodings of a file: those read, and EUC-JP, which a file may be
    // said to be and which is then refused.
    enum Encoding { kUndecided = 0, kUtf8, kShiftJis, kEucJp };

    // Reads the whole file to decide its encoding as a read does (refused,
    // read, or asked), before anything of it is shown: the decision is left
    // in m_nEncoding. False after the refusal's message, or with IsStopped()
    // when the question was cancelled or the read stopped.
    bool DecideFileEncoding(bool showWait);

    // The text of the beginning of a file for a preview, in the encoding
    // decided: up to the first zero byte, a character cut off at the end
    // dropped, bad bytes shown as U+FFFD.
    static QString DecodePreview(const QByteArray& head, bool utf8);

    // The bytes in an encoding, a character cut off at the end dropped.
    static QString Reading(const QByteArray& bytes, int encoding);

    // Whether the bytes are UTF-8; with `cutAtEnd`, a last character cut off
    // by the end is let through and its bytes counted there.
    static bool IsValidUtf8(const char* data, qsizetype size, qsizetype* cutAtEnd = nullptr);

    // The encoding decided, kUtf8 or kShiftJis once decided. A read leaves
    // it here; a caller that reads the file again hands it to the next
    // reader, which then does not ask again about a file two encodings read.
    int m_nEncoding = kUndecided;

    QString m_strPath;
    QChar m_chDelimiter;
    int m_bHeaderInFile;
    int m_nFieldCount = 0;

  private:
    // How a read ended.
    enum class End { kRead, kFault, kStopped, kFileError };
    // "F1".."Fn" after an empty cell 0.
    QStringList DefaultHeader() const;
    // ReadRows, telling how it ended; the file's length in `length`. A null
    // sink: the encoding is decided, no row read.
    End Stream(const RowSink& sink, bool showWait, qint64* length);
    // The encoding of the file's data, decided over all of it before a row
    // is read: UTF-8 (true) or CP932 (false) in `utf8`. The wait dialog
    // goes before a message or question; a cancelled question is kStopped.
    // `alone`: no rows follow, so the bar moves over this pass.
    End DecideEncoding(CFileBlocks& blocks, std::optional<CWaitProgress>& wait, bool alone, bool* utf8);
    // The rows of the data in that encoding, parsed a block at a time.
    End ParseBlocks(CFileBlocks& blocks, bool utf8, const RowSink& sink, CWaitProgress* wait);
    // UTF-8 (true) or CP932 (false) for a file of these bytes, asking when
    // two encodings read it; `lineAt(offset, bytes)` gives up to that many
    // bytes of the file from an offset, for the question. False after the
    // message when the file is refused, or with m_bStopped when cancelled.
    bool ChooseEncoding(const CTextGuess& guess,
                        const std::function<QByteArray(qint64 at, qint64 bytes)>& lineAt, bool* utf8);

    bool m_bStopped = false;
};
