#include "platform/office/XlsReader.h"

#include "platform/office/CompoundFile.h"
#include "platform/office/XlsCrypt.h"
#include "platform/text/Cp932.h"
#include "platform/work/LongWork.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace
{

enum RecordType : quint16 {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kCodePage = 0x0042,
    kFilePass = 0x002F,
    kFont = 0x0031,
    kContinue = 0x003C,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kMulBlank = 0x00BE,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kCodeName = 0x01BA,
    kDimensions = 0x0200,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

constexpr quint16 kBiff5 = 0x0500;
constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kGlobals = 0x0005;
// The BOF records of Excel 2.x-4.0, whose books are not read.
constexpr quint16 kOlderBofs[] = {0x0009, 0x0209, 0x0409};
constexpr quint16 kMacRoman = 10000;

// The code page a FONT record's character set stands for; 0 for the
// Western, symbol and OEM sets, which say nothing about the book's script.
quint16 CharSetCodePage(quint8 charSet)
{
    switch (charSet) {
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

bool IsDoubleByte(quint16 codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// Where `count` characters of a double-byte code page starting at `from`
// end; -1 past the data.
qsizetype DoubleByteEnd(QByteArrayView data, qsizetype from, qsizetype count, quint16 codePage)
{
    qsizetype at = from;
    for (qsizetype i = 0; i < count; ++i) {
        if (at >= data.size())
            return -1;
        const quint8 byte = quint8(data[at]);
        const bool lead = codePage == 932 ? (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)
                                          : byte >= 0x81 && byte <= 0xFE;
        at += lead ? 2 : 1;
    }
    return at <= data.size() ? at : -1;
}

// The Windows code page that reads the texts of a Mac one: the Mac's
// Japanese, Chinese and Korean pages are their Windows twins but for a few
// symbols.
quint16 WindowsTwin(quint16 codePage)
{
    switch (codePage) {
    case 10001:
        return 932;
    case 10002:
        return 950;
    case 10003:
        return 949;
    case 10008:
        return 936;
    default:
        return codePage;
    }
}

// Whether an Excel 5.0/95 text ending at `end` fills its record or, with
// `runs`, is followed by exactly its formatting runs (a count byte, two
// bytes a run).
bool FillsRecord(QByteArrayView data, qsizetype end, bool runs)
{
    if (end < 0 || end > data.size())
        return false;
    if (!runs)
        return end == data.size();
    return end < data.size() && end + 1 + 2 * qsizetype(quint8(data[end])) == data.size();
}

// Whether bytes are wholly characters of a double-byte code page.
bool DecodesIn(quint16 codePage, QByteArrayView bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char byte) { return quint8(byte) < 0x80; }))
        return true;
    if (codePage == 932) {
        bool ok = false;
        Cp932::Decode(bytes.toByteArray(), &ok);
        return ok;
    }
    const QByteArray name = "windows-" + QByteArray::number(codePage);
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    decoder.decode(bytes);
    return decoder.isValid() && !decoder.hasError();
}

// What an Excel 5.0/95 text says of a double-byte code page, for a book
// that declares Mac Roman: Excel for the Mac counts the characters of such
// a text, so one holding a double-byte character ends where its count of
// characters ends (`kFits`). A text that ends only where its count of bytes
// ends, or that the code page cannot read, is Mac Roman (`kMisfits`); one
// of single-byte characters tells neither.
enum class Fit { kNeither, kFits, kMisfits };

Fit DoubleByteFit(QByteArrayView data, qsizetype at, int countBytes, bool runs, quint16 codePage)
{
    if (at + countBytes > data.size())
        return Fit::kNeither;
    const qsizetype count = countBytes == 1 ? quint8(data[at]) : qFromLittleEndian<quint16>(data.data() + at);
    const qsizetype from = at + countBytes;
    const qsizetype end = DoubleByteEnd(data, from, count, codePage);
    const bool doubleByte = end != from + count;
    if (doubleByte && !FillsRecord(data, end, runs))
        return Fit::kMisfits;
    if (end >= 0 && !DecodesIn(codePage, data.sliced(from, end - from)))
        return Fit::kMisfits;
    return doubleByte ? Fit::kFits : Fit::kNeither;
}

quint16 U16(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.data() + at);
}

quint32 U32(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.data() + at);
}

double F64(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<double>(data.data() + at);
}

QString Chars(const char* at, qsizetype count, bool wide)
{
    if (!wide)
        return QString::fromLatin1(at, count);
    QString text(count, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(at + 2 * i));
    return text;
}

// An RK number: 30 bits of an integer or of a double's high half, perhaps
// times 100.
double RkValue(quint32 rk)
{
    double value;
    if (rk & 2) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return rk & 1 ? value / 100 : value;
}

// The text Excel shows for an error value.
QString ErrorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    default:
        return QStringLiteral("#N/A");
    }
}

// The records of the stream from an offset; Next() is false at the end or at
// a record that runs past it (Damaged()).
class CRecords
{
  public:
    CRecords(const QByteArray& stream, qsizetype at) : m_stream(stream), m_at(at) {}

    bool Next()
    {
        if (LongWork::Stopped())
            m_at = -1; // the user stopped the read: it ends as damaged
        if (m_at < 0 || m_at + 4 > m_stream.size()) {
            m_bDamaged = m_at != m_stream.size();
            return false;
        }
        m_type = U16(m_stream, m_at);
        const qsizetype length = U16(m_stream, m_at + 2);
        if (m_at + 4 + length > m_stream.size()) {
            m_bDamaged = true;
            return false;
        }
        m_data = QByteArrayView(m_stream).sliced(m_at + 4, length);
        m_at += 4 + length;
        return true;
    }
    // The CONTINUE records that follow, taken one by one.
    bool NextContinue()
    {
        const qsizetype at = m_at;
        if (Next() && m_type == kContinue)
            return true;
        m_at = at;
        m_bDamaged = false;
        return false;
    }
    quint16 Type() const { return m_type; }
    QByteArrayView Data() const { return m_data; }
    // Where the next record begins (or where a damaged one began).
    qsizetype Position() const { return m_at; }
    bool Damaged() const { return m_bDamaged; }

  private:
    const QByteArray& m_stream;
    qsizetype m_at;
    quint16 m_type = 0;
    QByteArrayView m_data;
    bool m_bDamaged = false;
};

// The data of a record and its CONTINUE records read as one run, each
// CONTINUE record taken from the stream as the reading reaches it, so that
// no list of them is held. Where the characters of a text cross into the
// next record, that record begins with a fresh option byte saying whether
// they are one or two bytes wide.
class CPieces
{
  public:
    // `first` the record's data; with `records`, the CONTINUE records that
    // follow it in that stream.
    explicit CPieces(QByteArrayView first, CRecords* records = nullptr) : m_piece(first), m_records(records)
    {
    }

    bool Skip(qint64 count)
    {
        while (count > 0) {
            if (!Step())
                return false;
            const qsizetype take = qsizetype(qMin<qint64>(count, Left()));
            m_at += take;
            count -= take;
        }
        return true;
    }
    // A little-endian number of one, two or four bytes.
    template <typename T> bool Number(T& value)
    {
        uchar bytes[sizeof(T)];
        if (!Take(bytes, sizeof(T)))
            return false;
        value = qFromLittleEndian<T>(bytes);
        return true;
    }
    bool Text(qsizetype count, bool wide, QString& text)
    {
        text.clear();
        while (count > 0) {
            if (Left() == 0) {
                // Writers leave empty pieces, and pieces of the option byte
                // alone: the characters go on in the next piece that holds
                // any, after its own option byte.
                do {
                    if (!NextPiece())
                        return false;
                } while (m_piece.isEmpty());
                m_at = 1;
                wide = m_piece[0] & 1;
                continue;
            }
            const qsizetype take = qMin(count, Left() / (wide ? 2 : 1));
            if (take == 0)
                return false; // half a character
            text += Chars(m_piece.data() + m_at, take, wide);
            m_at += take * (wide ? 2 : 1);
            count -= take;
        }
        return true;
    }
    // A text of the form count, options, [runs], [phonetic size],
    // characters, [runs], [phonetic data]; `shortCount` for a one-byte count.
    bool UnicodeText(QString& text, bool shortCount = false)
    {
        m_nTextPieces = 0;
        quint16 count = 0;
        quint8 options = 0, shortValue = 0;
        if (shortCount ? !Number(shortValue) : !Number(count))
            return false;
        if (shortCount)
            count = shortValue;
        if (!Number(options))
            return false;
        quint16 runs = 0;
        quint32 phonetic = 0;
        if ((options & 0x08) && !Number(runs))
            return false;
        if ((options & 0x04) && !Number(phonetic))
            return false;
        return Text(count, options & 1, text) && Skip(qint64(runs) * 4) && Skip(phonetic);
    }

  private:
    // Excel fills a CONTINUE record to 8 224 bytes: its longest text, with
    // its runs and phonetic data, spans a few dozen. A text that crosses
    // more records than this, empty ones included, is damaged.
    static constexpr int kMostTextPieces = 4096;

    qsizetype Left() const { return m_piece.size() - m_at; }
    // The next CONTINUE record, if any.
    bool NextPiece()
    {
        if (!m_records || ++m_nTextPieces > kMostTextPieces || !m_records->NextContinue())
            return false;
        m_piece = m_records->Data();
        m_at = 0;
        return true;
    }
    // Onto the next piece when this one is used up.
    bool Step()
    {
        while (Left() == 0) {
            if (!NextPiece())
                return false;
        }
        return true;
    }
    bool Take(uchar* out, qsizetype count)
    {
        for (qsizetype i = 0; i < count; ++i) {
            if (!Step())
                return false;
            out[i] = uchar(m_piece[m_at++]);
        }
        return true;
    }

    QByteArrayView m_piece;
    qsizetype m_at = 0;
    CRecords* m_records;
    int m_nTextPieces = 0;
};

// One record's text (a label, a format code, a sheet or code name). A text
// of no characters may end before its option byte.
bool RecordText(QByteArrayView data, qsizetype at, QString& text, bool shortCount = false)
{
    if (at > data.size())
        return false;
    const qsizetype countBytes = shortCount ? 1 : 2;
    if (data.size() == at + countBytes && (shortCount ? data[at] == 0 : U16(data, at) == 0)) {
        text.clear();
        return true;
    }
    CPieces pieces(data.sliced(at));
    return pieces.UnicodeText(text, shortCount);
}

} // namespace

std::unique_ptr<CXlsReader> CXlsReader::Open(const QString& path, const Limits& limits, Error& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = CannotOpen;
        return nullptr;
    }
    // The workbook stream is nearly the whole file.
    if (file.size() > 2 * limits.maxEntryBytes) {
        error = TooLarge;
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) {
        error = CannotOpen;
        return nullptr;
    }
    return FromBytes(bytes, limits, error);
}

std::unique_ptr<CXlsReader> CXlsReader::FromBytes(const QByteArray& file, const Limits& limits, Error& error)
{
    CCompoundFile compound;
    if (!compound.Open(file)) {
        error = NotWorkbook;
        return nullptr;
    }
    std::unique_ptr<CXlsReader> reader(new CXlsReader);
    reader->m_limits = limits;
    // Excel 97 and later name the stream "Workbook", Excel 5.0/95 "Book"
    // (letter case varies by writer); a book saved for both keeps both and
    // the newer is read. Which records follow, its BOF says.
    CCompoundFile::Result found =
        compound.ReadStream(QStringLiteral("Workbook"), reader->m_stream, limits.maxEntryBytes);
    if (found == CCompoundFile::Missing)
        found = compound.ReadStream(QStringLiteral("Book"), reader->m_stream, limits.maxEntryBytes);
    switch (found) {
    case CCompoundFile::Ok:
        break;
    case CCompoundFile::TooLarge:
        error = TooLarge;
        return nullptr;
    case CCompoundFile::Missing: {
        // An .xlsx encrypted with a password is a compound file too.
        QByteArray package;
        error = compound.ReadStream(QStringLiteral("EncryptedPackage"), package, 0) != CCompoundFile::Missing
                    ? Password
                    : NotWorkbook;
        return nullptr;
    }
    default:
        error = NotWorkbook;
        return nullptr;
    }
    if (!reader->ReadGlobals(error))
        return nullptr;
    error = NoError;
    return reader;
}

bool CXlsReader::IsOlderBook(QByteArrayView head)
{
    // The record's length and the kind of sheet its BOF announces
    // (worksheet, chart, macro sheet or workbook) tell it from text.
    if (head.size() < 8 ||
        std::find(std::begin(kOlderBofs), std::end(kOlderBofs), U16(head, 0)) == std::end(kOlderBofs))
        return false;
    const quint16 length = U16(head, 2), kind = U16(head, 6);
    return length >= 4 && length <= 16 &&
           (kind == 0x0010 || kind == 0x0020 || kind == 0x0040 || kind == 0x0100);
}

QString CXlsReader::Bytes(QByteArrayView bytes) const
{
    switch (m_nCodePage) {
    case 932:
        return Cp932::Decode(bytes.toByteArray());
    case 367:
    case 1200:
        return QString::fromLatin1(bytes);
    default:
        // A code page without a decoder refuses the book when it opens.
        m_decoder.resetState();
        return m_decoder.decode(bytes);
    }
}

bool CXlsReader::SetCodePage(quint16 codePage)
{
    m_nCodePage = codePage;
    const QByteArray name = codePage == 0x8000 || codePage == 10000 ? QByteArray("macintosh")
                            : codePage == 0x8001                    ? QByteArray("windows-1252")
                                                 : "windows-" + QByteArray::number(codePage);
    m_decoder = QStringDecoder(name.constData());
    return codePage == 932 || codePage == 367 || codePage == 1200 || m_decoder.isValid();
}

bool CXlsReader::ChooseCodePage(Error& error)
{
    // The globals' CODEPAGE record (the last one) and the first font of a
    // script other than the Western one, up to the globals' end. A book
    // encrypted from there on is refused for that.
    quint16 declared = 0, fonts = 0;
    CRecords records(m_stream, 0);
    records.Next();
    while (records.Next() && records.Type() != kEof) {
        const QByteArrayView data = records.Data();
        if (records.Type() == kFilePass)
            return true;
        if (records.Type() == kCodePage && data.size() >= 2)
            declared = U16(data, 0);
        else if (records.Type() == kFont && data.size() >= 13 && fonts == 0)
            fonts = CharSetCodePage(quint8(data[12]));
    }
    // Without a CODEPAGE record the fonts tell the script. Excel for the Mac
    // declares Mac Roman whatever the script, and writes Japanese, Chinese
    // and Korean texts in their own double-byte code page, which a font of
    // such a character set names; but a Mac Roman book may use such a font
    // too, and then its texts read only in Mac Roman.
    quint16 codePage = declared ? WindowsTwin(declared) : fonts ? fonts : 1252;
    if ((declared == kMacRoman || declared == 0x8000) && IsDoubleByte(fonts) && TextsAreDoubleByte(fonts))
        codePage = fonts;
    if (!SetCodePage(codePage)) {
        error = CodePage;
        return false;
    }
    return true;
}

bool CXlsReader::TextsAreDoubleByte(quint16 codePage) const
{
    // Every text the reader reads: sheet and code names, format codes,
    // labels and formulas' texts.
    CRecords records(m_stream, 0);
    bool shown = false;
    while (records.Next()) {
        Fit fit = Fit::kNeither;
        const QByteArrayView data = records.Data();
        switch (records.Type()) {
        case kBoundSheet:
            fit = DoubleByteFit(data, 6, 1, false, codePage);
            break;
        case kFormat:
            fit = DoubleByteFit(data, 2, 1, false, codePage);
            break;
        case kLabel:
        case kRString:
            fit = DoubleByteFit(data, 6, 2, records.Type() == kRString, codePage);
            break;
        case kString:
        case kCodeName:
            fit = DoubleByteFit(data, 0, 2, false, codePage);
            break;
        default:
            break;
        }
        if (fit == Fit::kMisfits)
            return false;
        shown = shown || fit == Fit::kFits;
    }
    return shown;
}

bool CXlsReader::Text(QByteArrayView data, qsizetype at, int countBytes, QString& text, bool runs) const
{
    if (m_nBiff == 8)
        return RecordText(data, at, text, countBytes == 1);
    // Excel 5.0/95: a count, then that many bytes in the book's code page.
    if (at + countBytes > data.size())
        return false;
    const qsizetype count = countBytes == 1 ? quint8(data[at]) : U16(data, at);
    const qsizetype from = at + countBytes;
    auto fills = [&](qsizetype end) { return FillsRecord(data, end, runs); };
    qsizetype end = from + count;
    // Excel for the Mac counts characters, not bytes: in a double-byte code
    // page the text then runs on past the count.
    if (!fills(end) && IsDoubleByte(m_nCodePage)) {
        const qsizetype characters = DoubleByteEnd(data, from, count, m_nCodePage);
        if (fills(characters))
            end = characters;
    }
    if (end > data.size())
        return false;
    text = Bytes(data.sliced(from, end - from));
    return true;
}

bool CXlsReader::ReadGlobals(Error& error)
{
    CRecords records(m_stream, 0);
    if (!records.Next() || records.Data().size() < 4) {
        error = NotWorkbook;
        return false;
    }
    if (std::find(std::begin(kOlderBofs), std::end(kOlderBofs), records.Type()) != std::end(kOlderBofs)) {
        error = Unsupported;
        return false;
    }
    if (records.Type() != kBof) {
        error = NotWorkbook;
        return false;
    }
    const quint16 version = U16(records.Data(), 0);
    if ((version != kBiff8 && version != kBiff5) || U16(records.Data(), 2) != kGlobals) {
        error = Unsupported;
        return false;
    }
    m_nBiff = version == kBiff8 ? 8 : 5;
    SetCodePage(1252);
    if (m_nBiff == 5 && !ChooseCodePage(error))
        return false;
    QHash<quint16, QString> codes;
    QList<quint16> xfFormats;
    QList<quint32> offsets;
    bool ended = false, decrypted = false;
    while (!ended && records.Next()) {
        const QByteArrayView data = records.Data();
        switch (records.Type()) {
        case kEof:
            ended = true;
            break;
        case kFilePass: {
            // Encrypted with the built-in password, the book opens as it
            // does in Excel; with the user's own, it is refused. A book is
            // encrypted once: another FILEPASS is damage, and each would
            // decrypt the whole stream again.
            if (decrypted) {
                error = NotWorkbook;
                return false;
            }
            const QByteArray filePass = data.toByteArray();
            const XlsCrypt::Result result =
                m_nBiff == 8 ? XlsCrypt::Decrypt(m_stream, filePass) : XlsCrypt::Unknown;
            decrypted = result == XlsCrypt::Decrypted;
            if (decrypted)
                break;
            error = result == XlsCrypt::WrongPassword ? Password : Unsupported;
            return false;
        }
        case kDateMode:
            m_date1904 = data.size() >= 2 && U16(data, 0) == 1;
            break;
        case kFormat: {
            QString code;
            if (data.size() >= 2 && Text(data, 2, m_nBiff == 8 ? 2 : 1, code)) {
                if (code.size() > Limits::kFormatCodeChars) {
                    error = NotWorkbook;
                    return false;
                }
                codes.insert(U16(data, 0), code);
            }
            break;
        }
        case kXf:
            if (xfFormats.size() >= m_limits.maxFormats) {
                error = TooLarge;
                return false;
            }
            if (data.size() >= 4)
                xfFormats << U16(data, 2);
            break;
        case kBoundSheet: {
            CSheetInfo sheet;
            if (data.size() < 8 || !Text(data, 6, 1, sheet.name)) {
                error = NotWorkbook;
                return false;
            }
            if (m_sheets.size() >= m_limits.maxSheets) {
                error = TooLarge;
                return false;
            }
            sheet.isWorksheet = data[5] == 0;
            m_sheets << sheet;
            offsets << U32(data, 0);
            break;
        }
        case kSst: {
            if (m_nBiff != 8)
                break;
            CPieces pieces(data, &records);
            quint32 total = 0, unique = 0;
            if (!pieces.Number(total) || !pieces.Number(unique)) {
                error = NotWorkbook;
                return false;
            }
            // Each text takes at least three bytes: no trust in the count.
            // Some writers claim more texts than they write; those written
            // are kept, and only a cell of a missing one is refused.
            m_nClaimedStrings = unique;
            m_sharedStrings.reserve(qMin<qsizetype>(unique, data.size() / 3 + 1));
            for (quint32 i = 0; i < unique; ++i) {
                // No sheet can use more texts than it may hold cells.
                if (m_sharedStrings.size() >= m_limits.maxCells) {
                    error = TooLarge;
                    return false;
                }
                QString text;
                if (!pieces.UnicodeText(text))
                    break;
                m_sharedStrings << text;
            }
            break;
        }
        default:
            break;
        }
    }
    // A book whose sheets cannot be found is damaged, not empty.
    if (!ended || m_sheets.isEmpty()) {
        error = NotWorkbook;
        return false;
    }
    CDateFormats dated;
    for (quint16 id : std::as_const(xfFormats)) {
        const auto code = codes.constFind(id);
        const bool hasCode = code != codes.constEnd();
        const QString text = hasCode ? *code : QString();
        m_formats << CNumberFormat{id, text, dated.IsDate(id, text, hasCode)};
    }
    if (m_formats.isEmpty())
        m_formats << CNumberFormat();

    // The substreams in one pass over the stream; where damage stops it
    // before a sheet's offset, another pass starts there. Each byte is
    // walked once however many sheets name the same place.
    QList<quint32> starts = offsets;
    std::sort(starts.begin(), starts.end());
    qsizetype covered = Scan(0);
    for (quint32 start : std::as_const(starts)) {
        if (qsizetype(start) >= covered && qsizetype(start) < m_stream.size())
            covered = Scan(start);
    }
    // A sheet's records are the substream whose records hold its offset
    // (some writers point past the BOF), else they begin at the first BOF
    // after it. The globals are no sheet, and an offset on a substream's
    // EOF points at the next.
    for (qsizetype s = 0; s < m_sheets.size(); ++s) {
        const qsizetype offset = qsizetype(offsets[s]);
        auto at =
            std::lower_bound(m_substreams.cbegin(), m_substreams.cend(), offset,
                             [](const CSubstream& sub, qsizetype offset) { return sub.begin < offset; });
        if (at != m_substreams.cbegin() && (at == m_substreams.cend() || at->begin != offset)) {
            const auto holder = at - 1;
            if (holder != m_substreams.cbegin() && holder->eof >= 0 && offset < holder->eof)
                at = holder;
        }
        m_sheetSubstreams << (at == m_substreams.cend() ? -1 : int(at - m_substreams.cbegin()));
        if (at != m_substreams.cend())
            m_sheets[s].codeName = at->codeName;
    }
    return true;
}

qsizetype CXlsReader::Scan(qsizetype from)
{
    CRecords records(m_stream, from);
    int depth = 0;
    qsizetype at = from;
    while (records.Next()) {
        const quint16 type = records.Type();
        if (type == kBof) {
            if (depth == 0)
                m_substreams << CSubstream{at, -1, {}};
            ++depth;
        } else if (type == kEof && depth > 0) {
            if (--depth == 0) {
                m_substreams.last().eof = at;
                m_substreams.last().end = records.Position();
            }
        } else if (type == kCodeName && depth == 1) {
            Text(records.Data(), 0, 2, m_substreams.last().codeName);
        }
        at = records.Position();
    }
    return records.Position();
}

// A sheet's records read in steps: its cells against the bounds as they
// come, each with the text it names resolved (a shared string, the text
// result that follows a formula).
class CXlsReader::CSheetWalk
{
  public:
    CSheetWalk(CXlsReader& reader, CSheetData& sheet, qsizetype begin)
        : m_reader(reader), m_sheet(sheet), m_records(reader.m_stream, begin),
          m_nFormats(quint32(reader.m_formats.size()))
    {
    }

    // Every record from the sheet's BOF to its EOF, an embedded chart's
    // skipped. TooLarge is the cells' cap.
    Error ReadCells()
    {
        if (!m_records.Next() || m_records.Type() != kBof)
            return NotWorkbook;
        int depth = 1;
        while (depth > 0 && m_records.Next()) {
            const quint16 type = m_records.Type();
            if (type == kBof || type == kEof) {
                depth += type == kBof ? 1 : -1;
                continue;
            }
            if (depth != 1)
                continue;
            const Error why = ReadRecord(type, m_records.Data());
            if (why != NoError)
                return why;
        }
        if (depth > 0)
            return NotWorkbook;
        return m_nPendingText >= 0 ? Lost() : NoError;
    }

  private:
    static bool IsCell(quint16 type)
    {
        switch (type) {
        case kNumber:
        case kRk:
        case kMulRk:
        case kMulBlank:
        case kBlank:
        case kLabelSst:
        case kLabel:
        case kRString:
        case kBoolErr:
        case kFormula:
            return true;
        default:
            return false;
        }
    }

    Error ReadRecord(quint16 type, QByteArrayView data)
    {
        if (type == kDimensions)
            return Dimensions(data);
        if (type == kString)
            return FormulaText(data);
        // Other records between a formula and its text keep it pending.
        if (!IsCell(type))
            return NoError;
        if (m_nPendingText >= 0)
            return Lost();
        const std::size_t before = m_sheet.cells.size();
        const Error why = ReadCell(type, data);
        return why != NoError ? why : Bounded(before);
    }

    // The first row and column and one past the last: 32-bit rows in BIFF8,
    // 16-bit in BIFF5. A sheet without cells declares none.
    Error Dimensions(QByteArrayView data)
    {
        const bool biff8 = m_reader.m_nBiff == 8;
        const qsizetype rowBytes = biff8 ? 4 : 2;
        if (data.size() < 2 * rowBytes + 4)
            return NotWorkbook;
        const quint32 rows[] = {biff8 ? U32(data, 0) : U16(data, 0), biff8 ? U32(data, 4) : U16(data, 2)};
        const quint32 columns[] = {U16(data, 2 * rowBytes), U16(data, 2 * rowBytes + 2)};
        if (rows[1] > rows[0] && columns[1] > columns[0])
            m_reader.Declare({rows[0], columns[0], rows[1] - 1, columns[1] - 1});
        return NoError;
    }

    // The text result of the formula before it; one that follows no
    // formula is passed over.
    Error FormulaText(QByteArrayView data)
    {
        QString text;
        bool read;
        if (m_reader.m_nBiff == 8) {
            CPieces pieces(data, &m_records);
            read = pieces.UnicodeText(text);
        } else {
            read = m_reader.Text(data, 0, 2, text);
        }
        if (m_nPendingText >= 0) {
            if (!read)
                return Lost();
            m_sheet.cells[size_t(m_nPendingText)].text = text;
        }
        m_nPendingText = -1;
        return NoError;
    }

    Error ReadCell(quint16 type, QByteArrayView data)
    {
        switch (type) {
        case kNumber:
            if (data.size() < 14)
                return NotWorkbook;
            Add(data, 4, CSheetCell::Number).number = F64(data, 6);
            return NoError;
        case kRk:
            if (data.size() < 10)
                return NotWorkbook;
            Add(data, 4, CSheetCell::Number).number = RkValue(U32(data, 6));
            return NoError;
        case kMulRk:
            return MulRk(data);
        case kMulBlank:
        case kBlank:
            return Blanks(type, data);
        case kLabelSst:
            return SharedString(data);
        case kLabel:
        case kRString: {
            QString text;
            if (data.size() < 6 || !m_reader.Text(data, 6, 2, text, type == kRString))
                return NotWorkbook;
            Add(data, 4, CSheetCell::Text).text = text;
            return NoError;
        }
        case kBoolErr: {
            if (data.size() < 8)
                return NotWorkbook;
            const bool isError = data[7] != 0;
            CSheetCell& cell = Add(data, 4, isError ? CSheetCell::Error : CSheetCell::Boolean);
            if (isError)
                cell.text = ErrorText(quint8(data[6]));
            else
                cell.number = data[6] != 0;
            return NoError;
        }
        default: // the one cell record left, kFormula
            return Formula(data);
        }
    }

    Error MulRk(QByteArrayView data)
    {
        constexpr qsizetype kWidth = 6;
        if (data.size() < 6 || (data.size() - 6) % kWidth != 0)
            return NotWorkbook;
        const quint16 first = U16(data, 2);
        const qsizetype count = (data.size() - 6) / kWidth;
        for (qsizetype i = 0; i < count; ++i) {
            CSheetCell& cell = Add(data, 4 + i * kWidth, CSheetCell::Number);
            cell.column = first + quint32(i);
            cell.number = RkValue(U32(data, 6 + i * kWidth));
        }
        return NoError;
    }

    // Styled empty cells: only their place counts, the first and the last
    // of a run bounding it.
    Error Blanks(quint16 type, QByteArrayView data)
    {
        if (data.size() < 6 || (type == kMulBlank && (data.size() - 6) % 2 != 0))
            return NotWorkbook;
        const quint16 row = U16(data, 0), first = U16(data, 2);
        if (type == kBlank) {
            m_sheet.AddBlank(row, first);
            return m_reader.Met(row, first, false) ? NoError : TooLarge;
        }
        const qsizetype count = (data.size() - 6) / 2;
        if (count == 0)
            return NoError;
        const quint32 last = first + quint32(count) - 1;
        m_sheet.AddBlank(row, first);
        m_sheet.AddBlank(row, last);
        return m_reader.Met(row, first, false) && m_reader.Met(row, last, false) ? NoError : TooLarge;
    }

    // A cell of the shared-string table: one the table claims but lost is
    // named, one past its claim is damage.
    Error SharedString(QByteArrayView data)
    {
        if (data.size() < 10)
            return NotWorkbook;
        const quint32 at = U32(data, 6);
        if (at >= m_reader.m_nClaimedStrings)
            return NotWorkbook;
        if (at >= quint32(m_reader.m_sharedStrings.size())) {
            m_reader.m_strFailedCell = CellName(U16(data, 0), U16(data, 2));
            return CellText;
        }
        Add(data, 4, CSheetCell::Text).text = m_reader.m_sharedStrings.at(at);
        return NoError;
    }

    // The stored result: a double, or a marked kind in the first byte when
    // the last two are 0xFFFF. A text result follows in a record of its own.
    Error Formula(QByteArrayView data)
    {
        if (data.size() < 14)
            return NotWorkbook;
        if (U16(data, 12) != 0xFFFF) {
            Add(data, 4, CSheetCell::Number).number = F64(data, 6);
            return NoError;
        }
        switch (quint8(data[6])) {
        case 0:
            Add(data, 4, CSheetCell::Text);
            m_nPendingText = qsizetype(m_sheet.cells.size()) - 1;
            return NoError;
        case 1:
            Add(data, 4, CSheetCell::Boolean).number = data[8] != 0;
            return NoError;
        case 2:
            Add(data, 4, CSheetCell::Error).text = ErrorText(quint8(data[8]));
            return NoError;
        case 3:
            Add(data, 4, CSheetCell::Text);
            return NoError;
        default:
            m_reader.m_strFailedCell = CellName(U16(data, 0), U16(data, 2));
            return FormulaResult;
        }
    }

    // A formula left without its text result has lost it.
    Error Lost()
    {
        const CSheetCell& cell = m_sheet.cells[size_t(m_nPendingText)];
        m_reader.m_strFailedCell = CellName(cell.row, cell.column);
        return FormulaResult;
    }

    CSheetCell& Add(QByteArrayView data, qsizetype xfAt, CSheetCell::Kind kind)
    {
        CSheetCell cell;
        cell.row = U16(data, 0);
        cell.column = U16(data, 2);
        const quint16 xf = U16(data, xfAt);
        cell.format = xf < m_nFormats ? xf : 0;
        cell.kind = kind;
        m_sheet.cells.push_back(std::move(cell));
        return m_sheet.cells.back();
    }

    // The cells a record added share its row: the first and the last bound
    // the columns it reaches.
    Error Bounded(std::size_t before)
    {
        const std::vector<CSheetCell>& cells = m_sheet.cells;
        if (cells.size() > before && (!m_reader.Met(cells[before].row, cells[before].column, true) ||
                                      !m_reader.Met(cells.back().row, cells.back().column, true)))
            return TooLarge;
        return qint64(cells.size()) > m_reader.m_limits.maxCells ? TooLarge : NoError;
    }

    CXlsReader& m_reader;
    CSheetData& m_sheet;
    CRecords m_records;
    const quint32 m_nFormats;
    qsizetype m_nPendingText = -1; // the formula cell whose text result comes next
};

qsizetype CXlsReader::SheetBegin(int index) const
{
    if (index < 0 || index >= m_sheets.size())
        return -1;
    const int substream = m_sheetSubstreams.at(index);
    if (substream < 0 || m_substreams.at(substream).end < 0)
        return -1;
    return m_substreams.at(substream).begin;
}

bool CXlsReader::ReadSheet(int index, CSheetData& sheet, Error* error)
{
    BeginSheet(sheet);
    sheet.formats = m_formats;
    const qsizetype begin = SheetBegin(index);
    if (begin < 0)
        return Refuse(sheet, error, NotWorkbook);
    const Error why = CSheetWalk(*this, sheet, begin).ReadCells();
    if (why == TooLarge)
        return RefuseCap(sheet, error, Cap::Cells);
    if (why != NoError)
        return Refuse(sheet, error, why);
    sheet.SortCells();
    if (error)
        *error = NoError;
    return true;
}
