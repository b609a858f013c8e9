#include "exchange/CsvReader.h"

#include "exchange/ExchangeText.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Prompt.h"

#include <QFile>

namespace
{

// One block holds the whole file, as a QByteArray can.
constexpr qint64 kMaxFileBytes = qint64(1) << 30;

const char kBom[] = "\xEF\xBB\xBF";

} // namespace

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
    return c.unicode() >= 0x80 && !(c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F) && c.unicode() != 0x00A5 &&
           c.unicode() != 0x203E;
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
    const qsizetype start = data.startsWith(kBom) ? 3 : 0;
    if (!IsValidUtf8(data.constData() + start, data.size() - start))
        return false; // a damaged file that claims UTF-8
    text = QString::fromUtf8(data.constData() + start, data.size() - start);
    return true;
}

QString CCsvReader::DecodePreview(const QByteArray& head)
{
    QByteArray bytes = head;
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    if (IsUtf8Text(bytes, true)) {
        const qsizetype start = bytes.startsWith(kBom) ? 3 : 0;
        qsizetype cut = 0;
        IsValidUtf8(bytes.constData() + start, bytes.size() - start, nullptr, &cut);
        return QString::fromUtf8(bytes.constData() + start, bytes.size() - start - cut);
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

bool CCsvReader::EndRow(CImportRows* rows, QStringList& row)
{
    const int values = int(row.size()) - 1;
    if (m_nFieldCount == 0)
        m_nFieldCount = values;
    else if (values != m_nFieldCount)
        return false;
    rows->append(std::move(row));
    row = QStringList();
    return true;
}

bool CCsvReader::Parse(CImportRows* rows, const QByteArray& data)
{
    QString text;
    if (!DecodeText(data, text))
        return Fail(rows);

    const QChar* p = text.constData();
    const qsizetype n = text.size();
    CWaitProgress wait(n, kWaitReadingFile);
    const auto fail = [&] {
        wait.End();
        return Fail(rows);
    };
    const bool hasDelimiter = !m_chDelimiter.isNull();
    const QChar quote(u'"'), cr(u'\r'), lf(u'\n');
    bool inQuotes = false;
    bool rowOpen = false;
    QStringList row;
    QString value;
    for (qsizetype i = 0; i < n; ++i) {
        if (!rowOpen) {
            const qsizetype number = rows->size() + 1 - (m_bHeaderInFile ? 1 : 0);
            row.clear();
            row << (number == 0 ? QString() : QString::number(number));
            rowOpen = true;
            wait.SetPos(i);
        }
        const QChar c = p[i];
        if (c == quote) {
            if (!inQuotes) {
                inQuotes = true;
            } else if (i + 1 < n && p[i + 1] == quote) {
                value += quote;
                ++i;
            } else {
                inQuotes = false;
                const bool end = i + 1 >= n;
                const QChar next = end ? QChar() : p[i + 1];
                if (!end && !(hasDelimiter && next == m_chDelimiter) && next != cr && next != lf && !IsDbcsChar(next))
                    return fail();
            }
        } else if (c == cr && i + 1 < n && p[i + 1] == lf) {
            ++i;
            if (inQuotes) {
                value += cr;
                value += lf;
            } else {
                row << value;
                value.clear();
                rowOpen = false;
                if (!EndRow(rows, row))
                    return fail();
            }
        } else if (c == lf && !inQuotes) {
            row << value;
            value.clear();
            rowOpen = false;
            if (!EndRow(rows, row))
                return fail();
        } else if (hasDelimiter && c == m_chDelimiter && !inQuotes) {
            row << value;
            value.clear();
        } else {
            value += c;
        }
        if (i + 1 >= n && rowOpen) {
            row << value;
            value.clear();
            rowOpen = false;
            if (!EndRow(rows, row))
                return fail();
        }
    }
    if (inQuotes)
        return fail();
    if (!m_bHeaderInFile) {
        QStringList header{QString()};
        for (int i = 1; i <= m_nFieldCount; ++i)
            header << QStringLiteral("F%1").arg(i);
        rows->insert(0, header);
    }
    return true;
}
