#include "exchange/CsvReader.h"

#include "exchange/ExchangeText.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Prompt.h"
#include "platform/work/LongWork.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace
{

// One block holds the whole file, as a QByteArray can (the reading of a
// whole table; the import streams).
constexpr qint64 kMaxFileBytes = qint64(1) << 30;

// The streaming reads take the file a block at a time.
constexpr qint64 kBlockBytes = qint64(1) << 20;

const char kBom[] = "\xEF\xBB\xBF";

// UTF-8 text is decoded by one decoder for the whole file, however many
// pieces it is fed in: it drops a byte-order mark at the very start of the
// file and keeps every later U+FEFF as the character it is.
// (QString::fromUtf8 drops one at the start of any piece, so a U+FEFF that
// happened to begin a block would be lost.)
QStringDecoder Utf8Decoder()
{
    return QStringDecoder(QStringDecoder::Utf8);
}

bool IsCp932Lead(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace

// The grammar as a state machine fed any number of pieces of text, so that
// a file can be parsed a block at a time: a quote inside quotes and a CR
// wait for the character after them, which may come with the next piece.
class CCsvParser
{
  public:
    CCsvParser(CCsvReader& reader, qint64 rowsBefore, CCsvReader::RowSink sink)
        : m_reader(reader), m_nRows(rowsBefore), m_sink(std::move(sink)),
          m_bHasDelimiter(!reader.m_chDelimiter.isNull())
    {
    }

    // Told the offset in the piece fed where each row starts.
    void OnRowStart(std::function<void(qsizetype at)> hook) { m_rowStart = std::move(hook); }

    // False on a format fault or when the sink stopped.
    bool Feed(const QChar* p, qsizetype n)
    {
        for (m_nAt = 0; m_nAt < n; ++m_nAt) {
            if (!Take(p[m_nAt]))
                return false;
        }
        return true;
    }

    bool Finish()
    {
        if (m_bQuoteSeen) {
            m_bQuoteSeen = false;
            m_bInQuotes = false; // the closing quote ends the data
        }
        if (m_bCrSeen) {
            m_bCrSeen = false;
            m_value += u'\r';
        }
        if (m_bRowOpen && !EndRow())
            return false;
        if (m_bInQuotes)
            return Fault();
        return true;
    }

    bool Faulted() const { return m_bFault; }

  private:
    bool Fault()
    {
        m_bFault = true;
        return false;
    }

    bool Take(QChar c)
    {
        const QChar quote(u'"'), cr(u'\r'), lf(u'\n');
        if (m_bQuoteSeen) {
            m_bQuoteSeen = false;
            if (c == quote) {
                m_value += quote; // a doubled quote, still inside quotes
                return true;
            }
            m_bInQuotes = false;
            if (!(m_bHasDelimiter && c == m_reader.m_chDelimiter) && c != cr && c != lf &&
                !CCsvReader::IsDbcsChar(c))
                return Fault();
        } else if (m_bCrSeen) {
            m_bCrSeen = false;
            if (c == lf) {
                if (!m_bInQuotes)
                    return EndRow();
                m_value += cr;
                m_value += lf;
                return true;
            }
            m_value += cr; // a lone CR is data
        }
        if (!m_bRowOpen) {
            const qint64 number = m_nRows + 1 - (m_reader.m_bHeaderInFile ? 1 : 0);
            m_row.clear();
            m_row << (number == 0 ? QString() : QString::number(number));
            m_bRowOpen = true;
            m_nRowChars = 0;
            if (m_rowStart)
                m_rowStart(m_nAt);
        }
        if (++m_nRowChars > CCsvReader::kMaxLineChars)
            return Fault();
        if (c == quote) {
            if (!m_bInQuotes)
                m_bInQuotes = true;
            else
                m_bQuoteSeen = true;
        } else if (c == cr) {
            m_bCrSeen = true;
        } else if (c == lf && !m_bInQuotes) {
            return EndRow();
        } else if (m_bHasDelimiter && c == m_reader.m_chDelimiter && !m_bInQuotes) {
            m_row << m_value;
            m_value.clear();
            // Cell 0 is the label: the values so far, and one more begins.
            if (m_row.size() > CCsvReader::kMaxFields)
                return Fault();
        } else {
            m_value += c;
        }
        return true;
    }

    bool EndRow()
    {
        m_row << m_value;
        m_value.clear();
        m_bRowOpen = false;
        const int values = int(m_row.size()) - 1;
        if (m_reader.m_nFieldCount == 0)
            m_reader.m_nFieldCount = values;
        else if (values != m_reader.m_nFieldCount)
            return Fault();
        ++m_nRows;
        QStringList row = std::move(m_row);
        m_row = QStringList();
        return m_sink(std::move(row));
    }

    CCsvReader& m_reader;
    qint64 m_nRows;
    CCsvReader::RowSink m_sink;
    std::function<void(qsizetype at)> m_rowStart;
    qsizetype m_nAt = 0;
    bool m_bHasDelimiter;
    bool m_bInQuotes = false;
    bool m_bQuoteSeen = false;
    bool m_bCrSeen = false;
    bool m_bRowOpen = false;
    qint64 m_nRowChars = 0;
    bool m_bFault = false;
    QStringList m_row;
    QString m_value;
};

CCsvReader::CCsvReader(const QString& path, QChar delimiter, int headerInFile)
    : m_strPath(path), m_chDelimiter(delimiter), m_bHeaderInFile(headerInFile)
{
}

qint64 CCsvReader::Read(CImportRows* rows)
{
    QFile file(m_strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
        return 0;
    }
    const qint64 length = file.size();
    if (length > kMaxFileBytes) {
        ShowExchangeMessage(QStringLiteral("メモリ不足です"));
        return 0;
    }
    const QByteArray data = file.read(length);
    if (data.size() != length || file.error() != QFileDevice::NoError) {
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
        return 0;
    }
    file.close();
    return Parse(rows, data) ? length : 0;
}

bool CCsvReader::IsDbcsChar(QChar c)
{
    return c.unicode() >= 0x80 && !(c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F) &&
           c.unicode() != 0x00A5 && c.unicode() != 0x203E;
}

bool CCsvReader::IsValidUtf8(const char* data, qsizetype size, bool* wide, qsizetype* cutAtEnd)
{
    const auto* p = reinterpret_cast<const uchar*>(data);
    bool threeOrMore = false;
    qsizetype i = 0;
    while (i < size) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length;
        uchar low = 0x80, high = 0xBF; // the range of the second byte
        if (b >= 0xC2 && b <= 0xDF)
            length = 2;
        else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                low = 0xA0; // no overlong forms
            else if (b == 0xED)
                high = 0x9F; // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F; // nothing beyond U+10FFFF
        } else
            return false;
        for (int k = 1; k < length; ++k) {
            if (i + k >= size) {
                // Cut off by the end: valid only when a cut is allowed.
                if (!cutAtEnd)
                    return false;
                *cutAtEnd = size - i;
                if (wide)
                    *wide = threeOrMore || length >= 3;
                return true;
            }
            const uchar c = p[i + k];
            if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF))
                return false;
        }
        threeOrMore = threeOrMore || length >= 3;
        i += length;
    }
    if (wide)
        *wide = threeOrMore;
    if (cutAtEnd)
        *cutAtEnd = 0;
    return true;
}

bool CCsvReader::IsUtf8Text(const QByteArray& bytes, bool head)
{
    if (bytes.startsWith(kBom))
        return true;
    // Two-byte UTF-8 alone proves nothing: CP932 text of ASCII and half-width
    // katakana often reads as it ("ﾆｼ" is C6 BC, "Ƽ"). Kana and kanji take
    // three bytes in UTF-8.
    bool wide = false;
    qsizetype cut = 0;
    return IsValidUtf8(bytes.constData(), bytes.size(), &wide, head ? &cut : nullptr) && wide;
}

bool CCsvReader::DecodeText(const QByteArray& data, QString& text)
{
    if (!IsUtf8Text(data, false)) {
        bool ok = false;
        text = Cp932::Decode(data, &ok);
        return ok;
    }
    if (!IsValidUtf8(data.constData(), data.size()))
        return false; // a damaged file that claims UTF-8
    text = Utf8Decoder()(data);
    return true;
}

QString CCsvReader::DecodePreview(const QByteArray& head)
{
    QByteArray bytes = head;
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    if (IsUtf8Text(bytes, true)) {
        qsizetype cut = 0;
        IsValidUtf8(bytes.constData(), bytes.size(), nullptr, &cut);
        return Utf8Decoder()(QByteArrayView(bytes).chopped(cut));
    }
    // A lead byte at the very end lost its trail byte to the cut.
    if (!bytes.isEmpty() && Cp932::IsLeadByteAt(bytes, int(bytes.size() - 1)))
        bytes.chop(1);
    return Cp932::Decode(bytes);
}

bool CCsvReader::Fail(CImportRows* rows)
{
    ShowExchangeMessage(
        QStringLiteral("テキストファイルの形式が正しくありません。\nファイルの読み込みを中止します。"));
    rows->clear();
    return false;
}

bool CCsvReader::FailNotCp932(CImportRows* rows)
{
    ShowExchangeMessage(QStringLiteral("テキストファイルの文字コードがShift_JISではありません"
                                       "（UTF-8で保存されているようです）。\n"
                                       "Shift_JISで保存し直してから読み込んでください。\n"
                                       "ファイルの読み込みを中止します。"));
    rows->clear();
    return false;
}

bool CCsvReader::Parse(CImportRows* rows, const QByteArray& data)
{
    QString text;
    if (!DecodeText(data, text)) {
        const bool utf8 = !IsUtf8Text(data, false) && IsValidUtf8(data.constData(), data.size());
        return utf8 ? FailNotCp932(rows) : Fail(rows);
    }
    CWaitProgress wait(text.size(), kWaitReadingFile);
    CCsvParser parser(*this, rows->size(), [&](QStringList&& row) {
        rows->append(std::move(row));
        return true;
    });
    parser.OnRowStart([&wait](qsizetype at) { wait.SetPos(at); });
    bool parsed = parser.Feed(text.constData(), text.size());
    if (!parsed || !parser.Finish()) {
        wait.End();
        return Fail(rows);
    }
    if (!m_bHeaderInFile)
        rows->insert(0, DefaultHeader());
    return true;
}

QStringList CCsvReader::DefaultHeader() const
{
    QStringList header{QString()};
    for (int i = 1; i <= m_nFieldCount; ++i)
        header << QStringLiteral("F%1").arg(i);
    return header;
}

int CCsvReader::FileIsUtf8(QFile& file, bool* validUtf8)
{
    // A byte-order mark decides; else the whole file must be valid UTF-8
    // holding a character of three bytes or more, as for a file read whole.
    *validUtf8 = false;
    const QByteArray head = file.peek(3);
    if (head.startsWith(kBom))
        return 1;
    bool wide = false;
    QByteArray carry;
    while (true) {
        QByteArray block = file.read(kBlockBytes);
        if (file.error() != QFileDevice::NoError)
            return -1;
        if (block.isEmpty())
            break;
        block.prepend(carry);
        bool blockWide = false;
        qsizetype cut = 0;
        if (!IsValidUtf8(block.constData(), block.size(), &blockWide, &cut))
            return 0;
        wide = wide || blockWide;
        carry = block.right(cut);
    }
    *validUtf8 = carry.isEmpty();
    return *validUtf8 && wide ? 1 : 0;
}

qint64 CCsvReader::ReadRows(const RowSink& sink, bool showWait)
{
    QFile file(m_strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
        return 0;
    }
    const qint64 length = file.size();
    m_nFieldCount = 0;
    m_bStopped = false;
    std::optional<CWaitProgress> wait;
    if (showWait)
        wait.emplace(length, kWaitReadingFile);
    const auto endWait = [&wait] {
        if (wait)
            wait->End();
    };
    bool validUtf8 = false;
    const int utf8 = FileIsUtf8(file, &validUtf8);
    if (utf8 < 0 || !file.seek(0)) {
        endWait();
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
        return 0;
    }
    QStringDecoder utf8Text = Utf8Decoder();
    bool stopped = false;
    CCsvParser parser(*this, 0, [&](QStringList&& row) {
        stopped = !sink(std::move(row));
        return !stopped;
    });
    // Where a row starts, in bytes, as near as the block's text tells.
    qint64 blockStart = 0;
    double bytesPerChar = 1;
    if (wait)
        parser.OnRowStart(
            [&](qsizetype at) { wait->SetPos(blockStart + qint64(double(at) * bytesPerChar)); });
    QByteArray carry;
    bool parsed = true;
    while (parsed) {
        blockStart = file.pos() - carry.size();
        QByteArray block = file.read(kBlockBytes);
        if (file.error() != QFileDevice::NoError) {
            endWait();
            ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
            return 0;
        }
        if (block.isEmpty())
            break;
        QString text;
        bool ok = true;
        // A character cut by the block's end waits for the next block; one
        // still cut after the last block fails the read below.
        block.prepend(carry);
        carry.clear();
        if (utf8) {
            qsizetype cut = 0;
            ok = IsValidUtf8(block.constData(), block.size(), nullptr, &cut);
            if (ok) {
                carry = block.right(cut);
                block.chop(cut);
                text = utf8Text(block);
            }
        } else {
            qsizetype at = 0;
            while (at < block.size())
                at += IsCp932Lead(uchar(block[at])) ? 2 : 1;
            if (at > block.size()) {
                carry = block.right(1);
                block.chop(1);
            }
            text = Cp932::Decode(block, &ok);
        }
        bytesPerChar = text.isEmpty() ? 1 : double(block.size()) / double(text.size());
        parsed = ok && !LongWork::Stopped() && parser.Feed(text.constData(), text.size());
    }
    if (parsed && !carry.isEmpty())
        parsed = false; // the file ends inside a character
    endWait();
    if (parsed && !stopped)
        parsed = parser.Finish();
    if (stopped) {
        m_bStopped = true;
        return 0;
    }
    if (!parsed) {
        // A fault not of the grammar is a byte the encoding does not hold.
        CImportRows none;
        return !utf8 && validUtf8 && !parser.Faulted() ? FailNotCp932(&none) : Fail(&none);
    }
    return length;
}

qint64 CCsvReader::ReadHead(CImportRows* rows, int dataRows, qint64* rowCount)
{
    qint64 count = 0;
    CImportRows head;
    const qint64 length = ReadRows(
        [&](QStringList&& row) {
            if (count++ < dataRows + (m_bHeaderInFile ? 1 : 0))
                head.append(std::move(row));
            return true;
        },
        true);
    if (length <= 0)
        return length;
    if (!m_bHeaderInFile)
        head.insert(0, DefaultHeader());
    *rows += std::move(head);
    if (rowCount)
        *rowCount = count - (m_bHeaderInFile ? 1 : 0);
    return length;
}
