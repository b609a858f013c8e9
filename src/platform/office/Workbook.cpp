#include "platform/office/Workbook.h"

#include "platform/office/XlsReader.h"
#include "platform/office/XlsxReader.h"

#include <QFile>

#include <algorithm>
#include <cmath>

void CSheetData::AddBlank(quint32 row, quint32 column)
{
    if (!m_bBlanks) {
        m_bBlanks = true;
        m_blankRows[0] = m_blankRows[1] = row;
        m_blankColumns[0] = m_blankColumns[1] = column;
        return;
    }
    m_blankRows[0] = qMin(m_blankRows[0], row);
    m_blankRows[1] = qMax(m_blankRows[1], row);
    m_blankColumns[0] = qMin(m_blankColumns[0], column);
    m_blankColumns[1] = qMax(m_blankColumns[1], column);
}

bool CSheetData::UsedRange(quint32& firstRow, quint32& firstColumn, quint32& lastRow,
                           quint32& lastColumn) const
{
    if (cells.empty() && !m_bBlanks)
        return false;
    if (m_bBlanks) {
        firstRow = m_blankRows[0];
        lastRow = m_blankRows[1];
        firstColumn = m_blankColumns[0];
        lastColumn = m_blankColumns[1];
    } else {
        firstRow = lastRow = cells.front().row;
        firstColumn = lastColumn = cells.front().column;
    }
    // Cells are sorted by row, so only the columns need a pass.
    if (!cells.empty()) {
        firstRow = qMin(firstRow, cells.front().row);
        lastRow = qMax(lastRow, cells.back().row);
    }
    for (const CSheetCell& cell : cells) {
        firstColumn = qMin(firstColumn, cell.column);
        lastColumn = qMax(lastColumn, cell.column);
    }
    return true;
}

void CSheetData::SortCells()
{
    auto before = [](const CSheetCell& a, const CSheetCell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    // Strictly increasing, as writers keep them: nothing to do.
    if (std::adjacent_find(cells.begin(), cells.end(), [&](const CSheetCell& a, const CSheetCell& b) {
            return !before(a, b);
        }) == cells.end())
        return;
    std::stable_sort(cells.begin(), cells.end(), before);
    std::vector<CSheetCell> unique;
    unique.reserve(cells.size());
    for (CSheetCell& cell : cells) {
        if (!unique.empty() && unique.back().row == cell.row && unique.back().column == cell.column)
            unique.back() = std::move(cell);
        else
            unique.push_back(std::move(cell));
    }
    cells = std::move(unique);
}

QString CWorkbookReader::CellName(quint32 row, quint32 column)
{
    QString name;
    for (quint32 n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name + QString::number(quint64(row) + 1);
}

bool CWorkbookReader::Met(quint32 row, quint32 column, bool value)
{
    bool grew = false;
    if (value && (m_read.rowsHoldingValues == 0 || row > m_lastValueRow)) {
        ++m_read.rowsHoldingValues;
        m_lastValueRow = row;
        grew = true;
    }
    CSheetRange& met = m_read.met;
    if (!m_read.any) {
        m_read.any = true;
        met = {row, column, row, column};
        grew = true;
    } else if (row < met.firstRow || row > met.lastRow || column < met.firstColumn ||
               column > met.lastColumn) {
        met = {qMin(met.firstRow, row), qMin(met.firstColumn, column), qMax(met.lastRow, row),
               qMax(met.lastColumn, column)};
        grew = true;
    }
    return !grew || !m_readCheck || m_readCheck(m_read);
}

const CNumberFormat& CSheetData::FormatOf(const CSheetCell& cell) const
{
    return cell.format < quint32(formats.size()) ? formats.at(cell.format) : formats.front();
}

std::unique_ptr<CWorkbookReader> CWorkbookReader::Open(const QString& path, Error* error,
                                                       const Limits& limits)
{
    auto fail = [error](Error reason) {
        if (error)
            *error = reason;
        return nullptr;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(CannotOpen);
    const QByteArray head = file.read(8);
    file.close();

    static const char kZip[] = "PK\x03\x04";
    static const char kCompound[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    std::unique_ptr<CWorkbookReader> reader;
    Error reason = NotWorkbook;
    if (head.startsWith(QByteArray(kZip, 4)))
        reader = CXlsxReader::Open(path, limits, reason);
    else if (head == QByteArray(kCompound, 8))
        reader = CXlsReader::Open(path, limits, reason);
    else if (CXlsReader::IsOlderBook(head))
        reason = Unsupported;
    if (!reader)
        return fail(reason);
    if (error)
        *error = NoError;
    return reader;
}

bool IsDateNumberFormat(int id, const QString& code, bool hasCode)
{
    if (!hasCode)
        return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
               (id >= 50 && id <= 58);
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == u'"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == u'[') {
            // Colours, conditions, locales and elapsed-time brackets.
            const qsizetype close = code.indexOf(u']', i);
            if (close < 0)
                break;
            i = close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i; // a literal, a space of that width, a fill character
        } else {
            switch (c.toLower().unicode()) {
            case u'y':
            case u'm':
            case u'd':
            case u'h':
            case u's':
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

QDate ExcelSerialToDate(double serial, bool date1904)
{
    if (!std::isfinite(serial) || std::fabs(serial) > 3e6)
        return {};
    const qint64 day = qint64(std::trunc(serial));
    if (date1904)
        return QDate(1904, 1, 1).addDays(day);
    // Days 1-59 lie before the fictitious 29 February 1900 that the 1900
    // system counts; from day 60 on the count matches 30 December 1899 + n.
    if (day >= 1 && day < 60)
        return QDate(1899, 12, 31).addDays(day);
    return QDate(1899, 12, 30).addDays(day);
}

double ExcelDateToSerial(const QDate& date)
{
    if (date < QDate(1900, 3, 1))
        return double(QDate(1899, 12, 31).daysTo(date));
    return double(QDate(1899, 12, 30).daysTo(date));
}
