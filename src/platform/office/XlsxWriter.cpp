#include "platform/office/XlsxWriter.h"

#include "platform/office/Workbook.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{

constexpr int kFormattedColumns = 256;
constexpr int kMaxSignificantDigits = 15;
constexpr double kRowHeight = 13.5;
constexpr uint8_t kTextFormat = 49;

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A number as Excel takes typed input: sign, digits with or without
// thousands separators in their places, a decimal part, an exponent.
bool ParseTypedNumber(const QString& text, double& value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    QByteArray plain;
    plain.reserve(n);
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        plain += char(text.at(i++).unicode());
    // Integer part: groups of three after the first when separated.
    qsizetype groupStart = i, groups = 0;
    bool separated = false;
    while (i < n && (IsDigit(text.at(i)) || text.at(i) == u',')) {
        if (text.at(i) == u',') {
            const qsizetype length = i - groupStart;
            if (groups == 0 ? (length < 1 || length > 3) : length != 3)
                return false;
            ++groups;
            separated = true;
            groupStart = i + 1;
        } else {
            plain += char(text.at(i).unicode());
        }
        ++i;
    }
    if (separated && i - groupStart != 3)
        return false;
    const qsizetype intDigits = plain.size() - (plain.startsWith('+') || plain.startsWith('-') ? 1 : 0);
    qsizetype fracDigits = 0;
    if (i < n && text.at(i) == u'.') {
        plain += '.';
        ++i;
        while (i < n && IsDigit(text.at(i))) {
            plain += char(text.at(i++).unicode());
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0)
        return false;
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        plain += 'e';
        ++i;
        if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
            plain += char(text.at(i++).unicode());
        const qsizetype expStart = i;
        while (i < n && IsDigit(text.at(i)))
            plain += char(text.at(i++).unicode());
        if (i == expStart)
            return false;
    }
    if (i != n)
        return false;
    // Digits from the first to the last that is not zero: a number cell
    // keeps 15 of them; longer numbers (codes, mostly) stay text.
    QByteArray digits;
    for (char c : plain) {
        if (c == 'e')
            break;
        if (c >= '0' && c <= '9')
            digits += c;
    }
    qsizetype first = 0, last = digits.size();
    while (first < last && digits.at(first) == '0')
        ++first;
    while (last > first && digits.at(last - 1) == '0')
        --last;
    if (last - first > kMaxSignificantDigits)
        return false;
    bool ok = false;
    value = plain.toDouble(&ok);
    return ok && std::isfinite(value);
}

// "2024/02/29" or "2024-2-29", optionally with a time "9:05" or "09:05:30",
// as a serial of the 1900 system.
bool ParseTypedDate(const QString& text, double& serial)
{
    if (text.size() < 8 || text.size() > 19 || !IsDigit(text.at(0)))
        return false;
    const QChar separator = text.size() > 4 ? text.at(4) : QChar();
    if (separator != u'/' && separator != u'-')
        return false;
    const QStringList parts = text.split(u' ');
    if (parts.size() > 2)
        return false;
    const QStringList day = parts.at(0).split(separator);
    if (day.size() != 3 || day.at(0).size() != 4 || day.at(1).isEmpty() || day.at(1).size() > 2 ||
        day.at(2).isEmpty() || day.at(2).size() > 2)
        return false;
    bool ok1, ok2, ok3;
    const QDate date(day.at(0).toInt(&ok1), day.at(1).toInt(&ok2), day.at(2).toInt(&ok3));
    for (const QString& part : day) {
        for (QChar c : part) {
            if (!IsDigit(c))
                return false;
        }
    }
    if (!ok1 || !ok2 || !ok3 || !date.isValid() || date < QDate(1900, 1, 1))
        return false;
    QTime time(0, 0);
    if (parts.size() == 2) {
        time = QTime::fromString(parts.at(1), QStringLiteral("H:mm:ss"));
        if (!time.isValid())
            time = QTime::fromString(parts.at(1), QStringLiteral("H:mm"));
        if (!time.isValid())
            return false;
    }
    serial = ExcelDateToSerial(date) + time.msecsSinceStartOfDay() / 86400000.0;
    return true;
}

// A text that holds "_xHHHH_" literally would read back as the character
// HHHH: its underscore is written as "_x005F_". (libxlsxwriter escapes the
// control characters itself, but not this.)
QByteArray CellUtf8(const QString& text)
{
    static const QRegularExpression escape(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x")))
        return text.toUtf8();
    QString escaped = text;
    escaped.replace(escape, QStringLiteral("_x005F_"));
    return escaped.toUtf8();
}

QString ErrorText(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

// Owns the workbook until it is closed (written) or dropped.
class CBook
{
  public:
    explicit CBook(const QByteArray& path)
    {
        lxw_workbook_options options{};
        // Rows go out as they are written, so a million rows do not sit in
        // memory; strings are then stored in their cells.
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(path.constData(), &options);
    }
    ~CBook()
    {
        if (m_book)
            workbook_close(m_book);
    }
    CBook(const CBook&) = delete;
    CBook& operator=(const CBook&) = delete;

    lxw_workbook* Get() const { return m_book; }
    lxw_error Close() { return m_book ? workbook_close(std::exchange(m_book, nullptr)) : LXW_NO_ERROR; }

  private:
    lxw_workbook* m_book = nullptr;
};

mode_t CreationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool SyncFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

int CXlsxWriter::LineBytes(const QString& text)
{
    // CP932 widths: ASCII and half-width katakana are one byte, "¥" and "‾"
    // too (they share 0x5C and 0x7E); every other character two.
    int longest = 0, current = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\n') {
            longest = qMax(longest, current);
            current = 0;
        } else if (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F) || c == 0x00A5 || c == 0x203E) {
            current += 1;
        } else if (QChar::isHighSurrogate(c)) {
            current += 1; // no CP932 form: it would be one '?'
            ++i;
        } else {
            current += 2;
        }
    }
    return qMax(longest, current);
}

int CXlsxWriter::ColumnWidth(int longestLine)
{
    return longestLine <= 0 ? 0 : qMin(255, longestLine + 1);
}

bool CXlsxWriter::Write(const QString& path, const QList<QStringList>& rows, int columnCount,
                        const QList<int>& columnTypes, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (columnCount <= 0 || columnCount > 16384 || rows.isEmpty() || rows.size() > 1048576)
        return fail(QStringLiteral("no rows or columns to write, or more than a sheet holds"));

    const QFileInfo target(path);
    QTemporaryFile reserve(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                           QStringLiteral(".XXXXXX"));
    reserve.setAutoRemove(false);
    if (!reserve.open())
        return fail(reserve.errorString());
    const QString temporary = reserve.fileName();
    reserve.close();
    const QByteArray tempName = QFile::encodeName(temporary);
    auto failRemoving = [&](const QString& why) {
        QFile::remove(temporary);
        return fail(why);
    };

    CBook book(tempName);
    // Closing writes the file, so a failed write closes before removing it.
    auto abandon = [&](const QString& why) {
        book.Close();
        return failRemoving(why);
    };
    if (!book.Get())
        return failRemoving(QStringLiteral("cannot create the workbook"));
    lxw_worksheet* sheet = workbook_add_worksheet(book.Get(), nullptr);
    if (!sheet)
        return abandon(QStringLiteral("cannot add a worksheet"));

    lxw_format* caption = workbook_add_format(book.Get());
    // Built-in 49 is Excel's own text format "@".
    format_set_num_format_index(caption, kTextFormat);
    format_set_bold(caption);
    format_set_bottom(caption, LXW_BORDER_THIN);
    lxw_format* text = workbook_add_format(book.Get());
    format_set_num_format_index(text, kTextFormat);
    lxw_format* date = workbook_add_format(book.Get());
    format_set_num_format(date, "yyyy/m/d");

    // Widths from every text, before the rows stream out.
    QList<int> longest(columnCount, 0);
    for (const QStringList& row : rows) {
        const int n = qMin(columnCount, int(row.size()));
        for (int c = 0; c < n; ++c)
            longest[c] = qMax(longest[c], LineBytes(row.at(c)));
    }
    for (int c = 0; c < columnCount; ++c) {
        const int width = ColumnWidth(longest.at(c));
        if (width > 0) {
            const lxw_error rc = worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), width, nullptr);
            if (rc != LXW_NO_ERROR)
                return abandon(ErrorText(rc));
        }
    }
    worksheet_set_default_row(sheet, kRowHeight, LXW_FALSE);

    QList<lxw_format*> columnFormat(columnCount, nullptr);
    QList<int> kinds(columnCount, kNoField);
    for (int c = 0; c < columnCount && c < kFormattedColumns && c < columnTypes.size(); ++c) {
        kinds[c] = columnTypes.at(c);
        columnFormat[c] = kinds[c] == kText || kinds[c] == kInteger ? text
                          : kinds[c] == kDate                       ? date
                                                                    : nullptr;
    }

    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QStringList& row = rows.at(r);
        for (int c = 0; c < columnCount; ++c) {
            const QString value = c < row.size() ? row.at(c) : QString();
            lxw_error rc = LXW_NO_ERROR;
            const lxw_row_t sheetRow = lxw_row_t(r);
            const lxw_col_t sheetColumn = lxw_col_t(c);
            lxw_format* format = r == 0 ? caption : columnFormat.at(c);
            double number = 0;
            if (value.isEmpty()) {
                // An empty text clears the cell; it keeps the column's format.
                if (format)
                    rc = worksheet_write_blank(sheet, sheetRow, sheetColumn, format);
            } else if (format == caption || format == text) {
                rc =
                    worksheet_write_string(sheet, sheetRow, sheetColumn, CellUtf8(value).constData(), format);
            } else if (ParseTypedDate(value, number)) {
                rc = worksheet_write_number(sheet, sheetRow, sheetColumn, number, date);
            } else if (ParseTypedNumber(value, number)) {
                rc = worksheet_write_number(sheet, sheetRow, sheetColumn, number, format);
            } else {
                rc =
                    worksheet_write_string(sheet, sheetRow, sheetColumn, CellUtf8(value).constData(), format);
            }
            if (rc != LXW_NO_ERROR)
                return abandon(ErrorText(rc));
        }
    }

    const lxw_error closed = book.Close();
    if (closed != LXW_NO_ERROR)
        return failRemoving(ErrorText(closed));
    if (!SyncFile(tempName))
        return failRemoving(QString::fromLocal8Bit(std::strerror(errno)));
    // The new file gets the old one's permissions, or the usual ones.
    struct stat old;
    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());
    const mode_t mode = ::stat(targetName.constData(), &old) == 0 ? (old.st_mode & 07777) : CreationMode();
    if (::chmod(tempName.constData(), mode) != 0 ||
        std::rename(tempName.constData(), targetName.constData()) != 0)
        return failRemoving(QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}
