#include "master/MasterList.h"

#include "master/MasterDb.h"
#include "platform/data/ExCondition.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/SqlText.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/DefaultSort.h"
#include "settings/QXColSet.h"

namespace
{

QString QueryFailureText()
{
    return QStringLiteral("データの取得に失敗しました。何らかのエラーが発生した可能性があります。\n『") +
           ProgramTitle() + QStringLiteral("』を一旦終了してから操作し直してください。");
}

int RecordId(const COneRecord& record, const QString& table, bool& found)
{
    int id = 0;
    const CTb* field = record.GetOneField(table, QStringLiteral("ID"));
    found = field && field->GetData(id);
    return id;
}

} // namespace

CMasterList::CMasterList(const CMasterKind& kind, CMasterDb& db) : m_kind(kind), m_db(db)
{
    m_model.SetTable(GetTableName(), GetCodeFieldName());
}

CMasterList::~CMasterList() = default;

void CMasterList::SetFilter(int title, const QString& value)
{
    m_nFilterTitle = title;
    m_strFilterValue = value;
}

bool CMasterList::BuildCondition(QString& condition) const
{
    const QString table = GetTableName();
    condition.clear();
    if (m_pExtraction) {
        const qsizetype where = m_pExtraction->m_strSQL.indexOf(QLatin1StringView("WHERE"));
        // Without a WHERE the text would run whole, as another statement.
        if (where < 0)
            return false;
        condition = m_pExtraction->m_strSQL.mid(where) + u' ';
    } else if (m_nFilterTitle >= 1 && m_nFilterTitle <= 5 && !m_strFilterValue.isEmpty()) {
        // The value comes from the classification file, where "¥" reads as
        // "\": the records may hold either.
        const QString field = QStringLiteral("%1.Class%2").arg(table).arg(m_nFilterTitle);
        const QString value = Cp932::FoldAliases(m_strFilterValue);
        condition = QStringLiteral("WHERE ((%1='%2') AND %3 Not Like '')")
                        .arg(SqlFoldedColumn(field, value), SqlQuote(value), field);
    }
    QString sortField = GetCodeFieldName();
    bool descending = false;
    CDefaultSortList sorts;
    if (const CDefaultSort* entry = sorts.Find(m_kind.number)) {
        sortField = entry->m_strField;
        descending = entry->m_nOrder == 1;
    }
    condition +=
        QStringLiteral("ORDER BY [%1]%2").arg(sortField, descending ? QStringLiteral(" DESC") : QString());
    return true;
}

int CMasterList::LoadList()
{
    const CWaitCursor wait;
    m_pLoaded = std::make_shared<CCDSData>();
    m_nTotal = 0;
    QString condition;
    int result = 0;
    QString err;
    if (!BuildCondition(condition)) {
        result = CMakeMsgID::kFailed;
    } else {
        CCDSData request;
        request.m_strTable = GetTableName();
        request.m_strCondition = condition;
        const CWaitDlg indicator;
        result = m_db.GetDataList(request, *m_pLoaded, err);
    }
    switch (result) {
    case CMakeMsgID::kOk:
        break;
    case CMakeMsgID::kFatal:
        ShowFatalDataMessage();
        return 0;
    default:
        // Any failure is said: an empty list must never pass for an empty
        // table. Only a failure with text (10) brings a text of its own.
        UiServices::Prompt().MessageBox(result == CMakeMsgID::kFailed && !err.isEmpty() ? err
                                                                                        : QueryFailureText(),
                                        MB_OK, MB_ICONEXCLAMATION);
        m_pLoaded->RemoveAll();
        break;
    }
    LoadTotalCount();
    return result == CMakeMsgID::kOk ? 1 : 0;
}

int CMasterList::FillList()
{
    const CWaitCursor wait;
    if (!m_pLoaded)
        m_pLoaded = std::make_shared<CCDSData>();
    m_model.Reset(m_pLoaded);
    return m_model.GetRowCount();
}

int CMasterList::Reload(bool query)
{
    if (query)
        LoadList();
    return FillList();
}

int CMasterList::LoadTotalCount()
{
    CCDSData request;
    request.m_strTable = GetTableName();
    request.m_strCondition = QStringLiteral("WHERE %1.%2 <> '%3'")
                                 .arg(request.m_strTable, GetCodeFieldName(), QStringLiteral("　"));
    int count = 0;
    QString err;
    const int result = m_db.GetDataNum(request, count, err);
    if (result == CMakeMsgID::kOk) {
        m_nTotal = count;
        return m_nTotal;
    }
    UiServices::Prompt().MessageBox(QStringLiteral("データ件数が取得できませんでした。"), MB_OK,
                                    MB_ICONEXCLAMATION);
    m_nTotal = 0;
    if (result == CMakeMsgID::kFatal)
        ShowFatalDataMessage();
    return 0;
}

QString CMasterList::GetCountLine() const
{
    return QStringLiteral("%1 : %2 ／ %3件")
        .arg(m_pExtraction ? QStringLiteral("抽出件数") : QStringLiteral("件数"))
        .arg(m_model.GetRowCount())
        .arg(m_nTotal);
}

int CMasterList::LoadColumns()
{
    CQXColSet columns;
    const int result = CQXColOperate().GetColSet(m_kind.columnSet, columns);
    m_model.SetColumns(columns);
    return result;
}

int CMasterList::SaveColumns()
{
    if (m_model.GetColumns().m_cols.isEmpty())
        return 0;
    return CQXColOperate().SaveColSet(m_model.GetColumns());
}

bool CMasterList::SortByColumn(int column)
{
    const bool descending = m_bSortDesc;
    m_bSortDesc = !m_bSortDesc;
    const CQXColSet& columns = m_model.GetColumns();
    if (column < 0 || column >= columns.m_cols.size())
        return false;
    const CWaitCursor wait;
    m_model.SortRows(GetTableName() + u'.' + columns.m_cols[column].m_strField, descending);
    return true;
}

COneRecord* CMasterList::UpdateRecord(const COneRecord& record, bool* added)
{
    if (added)
        *added = false;
    const QString table = GetTableName();
    bool hasId = false;
    const int id = RecordId(record, table, hasId);
    if (!hasId) {
        UiServices::Prompt().MessageBox(QStringLiteral("レコードIDが不明です"));
        return nullptr;
    }
    std::shared_ptr<CCDSData> set = m_model.GetSet();
    if (!set) {
        set = m_pLoaded ? m_pLoaded : std::make_shared<CCDSData>();
        m_pLoaded = set;
        m_model.Reset(set);
    }
    for (int i = 0; i < set->GetCount(); ++i) {
        COneRecord* held = set->GetAt(i);
        bool heldHasId = false;
        if (!held || RecordId(*held, table, heldHasId) != id || !heldHasId)
            continue;
        held->Copy(record);
        const int row = m_model.RowOf(held);
        if (row >= 0) {
            m_model.RefreshRow(row);
        } else {
            m_model.InsertTop(held);
            if (added)
                *added = true;
        }
        return held;
    }
    COneRecord* copy = set->Add(record);
    m_model.InsertTop(copy);
    ++m_nTotal;
    if (added)
        *added = true;
    return copy;
}
