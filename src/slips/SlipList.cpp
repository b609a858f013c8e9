#include "slips/SlipList.h"

#include "app/SlipPeriod.h"
#include "slips/SlipListRules.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/sql/SlipListSql.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/QXColSet.h"

void ShowSlipFatalMessage()
{
    UiServices::Prompt().MessageBox(
        QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + ProgramTitle() +
            QStringLiteral(
                "』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。"),
        MB_OK, MB_ICONSTOP);
}

CSlipList::CSlipList(int viewKind, CMakeMsgID& data)
    : m_nViewKind(viewKind), m_pMode(GetSlipMode(viewKind)), m_data(data)
{
    m_model.SetViewKind(viewKind);
}

CSlipList::~CSlipList() = default;

QString CSlipList::GetHeaderTable() const
{
    return m_pMode ? QString::fromLatin1(m_pMode->header) : QString();
}

int CSlipList::GetSlipKind() const
{
    return m_pMode ? m_pMode->slipKind : 0;
}

int CSlipList::InitColumns()
{
    m_model.SetColumns({});
    if (!m_pMode) {
        UiServices::Prompt().MessageBox(QStringLiteral("リストの初期化ができませんでした。"));
        return 0;
    }
    CQXColSet columns;
    CQXColOperate().GetColSet(m_pMode->columnSet, columns);
    if (columns.m_cols.isEmpty()) {
        UiServices::Prompt().MessageBox(QStringLiteral("カラムの初期化ができませんでした。"));
        return 0;
    }
    m_model.SetColumns(columns);
    return 1;
}

int CSlipList::SaveColumns()
{
    if (m_model.GetColumns().m_cols.isEmpty())
        return 0;
    return CQXColOperate().SaveColSet(m_model.GetColumns());
}

void CSlipList::SetDefaultPeriod(const QDate& today)
{
    m_bExtracted = false;
    m_strQuery.clear();
    m_strFrom.clear();
    m_strTo.clear();
    if (!m_pMode)
        return;
    const QDate start = GetDefaultPeriodStart(today);
    m_strFrom = SlipLabelDate(start);
    // Slips taxed at invoicing have no form and are never listed.
    m_strQuery = MakeSlipListSQL(start, QDate(), 2, m_pMode->closing ? 0 : -1, GetHeaderTable());
}

void CSlipList::SetExtraction(const QString& statement, const QDate& from, const QDate& to)
{
    m_bExtracted = true;
    m_strQuery = statement;
    m_strFrom = SlipLabelDate(from);
    m_strTo = SlipLabelDate(to);
}

int CSlipList::Reload()
{
    auto set = std::make_shared<CCDSData>();
    if (!m_pMode) {
        m_model.Reset(set);
        return 0;
    }
    const CWaitCursor wait;
    CCDSData request;
    // Quotes and orders of the default period are a request for their table.
    if (!m_pMode->closing && !m_bExtracted)
        request.m_strTable = GetHeaderTable();
    request.m_strCondition = m_strQuery;
    QString err;
    const int result = m_data.GetDataList(request, *set, err);
    if (result == CMakeMsgID::kFatal) {
        m_model.Reset(std::make_shared<CCDSData>());
        ShowSlipFatalMessage();
        return CMakeMsgID::kFatal;
    }
    m_model.Reset(set);
    if (result != CMakeMsgID::kOk) {
        UiServices::Prompt().MessageBox(QStringLiteral("データの取得に失敗しました。\n") + err);
        return 0;
    }
    return 1;
}

QString CSlipList::SlipPeriodLabelText() const
{
    return SlipPeriodLabel(m_strFrom, m_strTo);
}

QString CSlipList::GetCountLabel() const
{
    return SlipCountLabel(m_model.GetRowCount());
}

QString CSlipList::SortKey(int column) const
{
    const CQXColSet& columns = m_model.GetColumns();
    if (column < 0 || column >= columns.m_cols.size())
        return {};
    const QString& field = columns.m_cols[column].m_strField;
    return !m_pMode || m_pMode->closing || m_bExtracted ? field : GetHeaderTable() + u'.' + field;
}

void CSlipList::SortByColumn(int column)
{
    const bool descending = m_bSortDesc;
    m_bSortDesc = !m_bSortDesc;
    const QString key = SortKey(column);
    if (key.isEmpty())
        return;
    const CWaitCursor wait;
    m_model.SortRows(key, descending);
}
