#include "master/MasterListModel.h"

#include "app/FieldCodes.h"
#include "platform/data/Record.h"
#include "platform/data/RecordCompare.h"
#include "platform/text/TextHelpers.h"

#include <QHash>

#include <algorithm>
#include <unordered_set>

namespace
{

bool IsPartnerTable(const QString& table)
{
    return table == QLatin1StringView("Customer") || table == QLatin1StringView("Supplier");
}

QString CollectDayText(const COneRecord* record, const QString& table)
{
    int day = 0;
    if (const CTb* field = record->GetOneField(table, QStringLiteral("CollectDay")))
        field->GetData(day);
    int cycle = -1;
    const CTb* cycleField = record->GetOneField(table, QStringLiteral("CollectCycle"));
    if (cycleField && cycleField->GetData(cycle) && cycle == 0)
        return QString::number(day) + QStringLiteral("日");
    return day == 99 ? QStringLiteral("月末") : QString::number(day);
}

Qt::Alignment ColumnAlignment(int align)
{
    switch (align) {
    case 1:
        return Qt::AlignRight | Qt::AlignVCenter;
    case 2:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

QString GetMasterCellText(const QString& table, const CQXColSet& columns, const COneRecord* record,
                          int column)
{
    if (!record || column < 0 || column >= columns.m_cols.size())
        return {};
    const QString& field = columns.m_cols[column].m_strField;
    QString text;
    if (IsPartnerTable(table) && field == QLatin1StringView(kCompanySectionNameField)) {
        text = GetCompanySectionName(record, table);
    } else if (IsPartnerTable(table) && field == QLatin1StringView(kReadingNameField)) {
        text = GetReadingName(record, table);
    } else if (IsPartnerTable(table) && field == QLatin1StringView("CollectDay")) {
        text = CollectDayText(record, table);
    } else {
        const CTb* tb = record->GetOneField(table, field);
        text = GetFieldDisplayText(tb, 0);
        if (tb && tb->GetType() == CTb::kMoney)
            text = InsertThousandsSeparators(text);
    }
    if (text.contains(u'\n'))
        text.remove(QStringLiteral("\r\n")).remove(u'\n');
    return text;
}

bool IsBlankCodeRecord(const COneRecord* record, const QString& table, const QString& codeField)
{
    const CTb* code = record ? record->GetOneField(table, codeField) : nullptr;
    return code && IsBlankString(code->GetText());
}

CMasterListModel::CMasterListModel(QObject* parent) : CRecordRowsModel(parent) {}

CMasterListModel::~CMasterListModel() = default;

void CMasterListModel::SetTable(const QString& table, const QString& codeField)
{
    m_strTable = table;
    m_strCodeField = codeField;
}

void CMasterListModel::SetColumns(const CQXColSet& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

void CMasterListModel::SetColumnCaption(int column, const QString& caption)
{
    if (column < 0 || column >= m_columns.m_cols.size())
        return;
    m_columns.m_cols[column].m_strCaption = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

int CMasterListModel::GetColumnWidth(int column) const
{
    if (column < 0 || column >= m_columns.m_cols.size())
        return 0;
    const int width = m_columns.m_cols[column].m_nWidth;
    return width < 1 ? 100 : width;
}

void CMasterListModel::SetColumnWidth(int column, int width)
{
    if (column >= 0 && column < m_columns.m_cols.size())
        m_columns.m_cols[column].m_nWidth = width;
}

void CMasterListModel::Reset(std::shared_ptr<CCDSData> set)
{
    // One-time partners are never listed.
    ResetRows(std::move(set), [this](const COneRecord* record) {
        return !IsBlankCodeRecord(record, m_strTable, m_strCodeField);
    });
}

QString CMasterListModel::GetCellText(const COneRecord* record, int column) const
{
    return GetMasterCellText(m_strTable, m_columns, record, column);
}

void CMasterListModel::InsertTop(COneRecord* record)
{
    beginInsertRows(QModelIndex(), 0, 0);
    m_rows.insert(m_rows.begin(), record);
    endInsertRows();
}

int CMasterListModel::FindRow(const QString& text, bool down, int start) const
{
    const int columns = int(m_columns.m_cols.size());
    for (int row = start; row >= 0 && row < int(m_rows.size()); row += down ? 1 : -1) {
        const COneRecord* record = m_rows[size_t(row)];
        for (int column = 0; column < columns; ++column) {
            if (GetCellText(record, column).contains(text))
                return row;
        }
    }
    return -1;
}

int CMasterListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.m_cols.size());
}

QVariant CMasterListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= m_columns.m_cols.size())
        return {};
    if (role == Qt::DisplayRole)
        return GetCellText(m_rows[size_t(index.row())], index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ColumnAlignment(m_columns.m_cols[index.column()].m_nAlign));
    return {};
}

QVariant CMasterListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.m_cols.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns.m_cols[section].m_strCaption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ColumnAlignment(m_columns.m_cols[section].m_nAlign));
    return {};
}
