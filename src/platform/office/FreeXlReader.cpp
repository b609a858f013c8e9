#include "platform/office/FreeXlReader.h"

#include <QDateTime>
#include <QFile>

#include <freexl.h>

namespace
{

// Formats given to FreeXL's typed cells: a day (built-in 14) and a time of
// day (built-in 20); both read as dates.
constexpr quint32 kDateFormat = 1;
constexpr quint32 kTimeFormat = 2;

CWorkbookReader::Error ErrorOf(int rc)
{
    switch (rc) {
    case FREEXL_FILE_NOT_FOUND:
        return CWorkbookReader::CannotOpen;
    case FREEXL_INSUFFICIENT_MEMORY:
        return CWorkbookReader::TooLarge;
    default:
        return CWorkbookReader::NotWorkbook;
    }
}

// FreeXL's "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" as a serial of
// the workbook's system.
bool SerialOf(const char* text, unsigned char type, bool date1904, double& serial)
{
    const QString value = QString::fromLatin1(text);
    QDate day;
    QTime time(0, 0);
    if (type == FREEXL_CELL_TIME) {
        time = QTime::fromString(value, QStringLiteral("HH:mm:ss"));
        day = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    } else if (type == FREEXL_CELL_DATE) {
        day = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
    } else {
        const QDateTime when = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        day = when.date();
        time = when.time();
    }
    if (!day.isValid() || !time.isValid())
        return false;
    double days;
    if (date1904)
        days = double(QDate(1904, 1, 1).daysTo(day));
    else if (type == FREEXL_CELL_TIME)
        days = 0;
    else
        days = ExcelDateToSerial(day);
    serial = days + time.msecsSinceStartOfDay() / 86400000.0;
    return true;
}

} // namespace

std::unique_ptr<CFreeXlReader> CFreeXlReader::Open(const QString& path, Error& error)
{
    const void* handle = nullptr;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
    std::unique_ptr<CFreeXlReader> reader(new CFreeXlReader);
    reader->m_handle = handle;
    // FreeXL answers some books it cannot parse with OK and no handle.
    if (rc != FREEXL_OK || !handle) {
        error = rc != FREEXL_OK ? ErrorOf(rc) : NotWorkbook;
        return nullptr;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK)
        reader->m_date1904 = info == FREEXL_BIFF_DATEMODE_1904;
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        error = NotWorkbook;
        return nullptr;
    }
    for (unsigned int i = 0; i < count && i < 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, (unsigned short)i, &name) != FREEXL_OK) {
            error = NotWorkbook;
            return nullptr;
        }
        CSheetInfo sheet;
        sheet.name = QString::fromUtf8(name ? name : "");
        reader->m_sheets << sheet;
    }
    error = NoError;
    return reader;
}

CFreeXlReader::~CFreeXlReader()
{
    // FreeXL wants its handle closed even after a failed open.
    if (m_handle)
        freexl_close(m_handle);
}

bool CFreeXlReader::ReadSheet(int index, CSheetData& sheet, Error* error)
{
    auto fail = [&](Error why) { return Refuse(sheet, error, why); };
    BeginSheet(sheet);
    sheet.formats << CNumberFormat{14, QString(), true} << CNumberFormat{20, QString(), true};
    if (index < 0 || index >= m_sheets.size())
        return fail(NotWorkbook);
    int rc = freexl_select_active_worksheet(m_handle, (unsigned short)index);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (rc == FREEXL_OK)
        rc = freexl_worksheet_dimensions(m_handle, &rows, &columns);
    if (rc != FREEXL_OK)
        return fail(ErrorOf(rc));
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            rc = freexl_get_cell_value(m_handle, r, c, &value);
            if (rc != FREEXL_OK)
                return fail(ErrorOf(rc));
            CSheetCell cell;
            cell.row = r;
            cell.column = c;
            switch (value.type) {
            case FREEXL_CELL_INT:
                cell.kind = CSheetCell::Number;
                cell.number = value.value.int_value;
                break;
            case FREEXL_CELL_DOUBLE:
                cell.kind = CSheetCell::Number;
                cell.number = value.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                cell.kind = CSheetCell::Text;
                cell.text = QString::fromUtf8(value.value.text_value ? value.value.text_value : "");
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                if (!value.value.text_value || !SerialOf(value.value.text_value, value.type, m_date1904, cell.number))
                    return fail(NotWorkbook);
                cell.kind = CSheetCell::Number;
                cell.format = value.type == FREEXL_CELL_TIME ? kTimeFormat : kDateFormat;
                break;
            default:
                continue;
            }
            sheet.cells.push_back(std::move(cell));
        }
    }
    if (error)
        *error = NoError;
    return true;
}
