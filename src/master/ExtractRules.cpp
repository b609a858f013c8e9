#include "master/ExtractRules.h"

#include "app/MainFrame.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

namespace
{

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE, int defaultButton = 0)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon, defaultButton);
}

const QString kCannotRestore = QStringLiteral("条件が不正なため、再現できません");

} // namespace

const CExCondition* CFrameExtractHost::GetActiveExtraction() const
{
    return m_frame.GetExtractCondition();
}

int CFrameExtractHost::GetActiveFlag() const
{
    return m_frame.m_bExtract;
}

void CFrameExtractHost::SetActiveExtraction(std::unique_ptr<CExCondition> condition, int flag)
{
    m_frame.SetExtractCondition(std::move(condition), flag);
}

void CFrameExtractHost::ReleaseActiveExtraction()
{
    m_frame.ReleaseExtractCondition();
}

CExtractRules::CExtractRules(int target, IExtractHost& host, NameAsker askName)
    : m_host(host), m_askName(std::move(askName)), m_builder(target)
{
}

QString CExtractRules::GetCaption() const
{
    switch (GetTarget()) {
    case 0: return QStringLiteral("商品の抽出");
    case 1: return QStringLiteral("得意先の抽出");
    default: return QStringLiteral("仕入先の抽出");
    }
}

void CExtractRules::Init()
{
    m_builder.LoadFields();
    for (CExtractRow& row : m_rows)
        m_builder.SetRowField(row, -1);
    m_rows[0].connector = 2;
    FillSavedList();
    if (const CExCondition* active = m_host.GetActiveExtraction()) {
        m_working.CopyFrom(*active);
        m_bTakenOver = m_host.GetActiveFlag();
        Restore(m_working);
    }
}

bool CExtractRules::IsRowEnabled(int row) const
{
    const auto joined = [](int connector) { return connector == 0 || connector == 1; };
    switch (row) {
    case 0: return true;
    case 1: return joined(m_rows[0].connector);
    case 2: return joined(m_rows[0].connector) && joined(m_rows[1].connector);
    default: return false;
    }
}

void CExtractRules::SetField(int row, int field)
{
    m_builder.SetRowField(m_rows[size_t(row)], field);
    Touched();
}

void CExtractRules::SetValueText(int row, const QString& text)
{
    CExtractRow& r = m_rows[size_t(row)];
    r.value = text;
    r.valueItem = -1;
    for (int i = 0; i < r.values.size(); ++i) {
        if (r.values[i].text == text) {
            r.valueItem = i;
            break;
        }
    }
    Touched();
}

void CExtractRules::SelectValue(int row, int item)
{
    CExtractRow& r = m_rows[size_t(row)];
    r.valueItem = item >= 0 && item < r.values.size() ? item : -1;
    r.value = r.valueItem >= 0 ? r.values[r.valueItem].text : QString();
    Touched();
}

void CExtractRules::SelectOperator(int row, int op)
{
    CExtractRow& r = m_rows[size_t(row)];
    r.op = op >= 0 && op < r.operators.size() ? op : -1;
    Touched();
}

void CExtractRules::SelectConnector(int row, int connector)
{
    if (row > 1)
        return;
    Touched();
    m_rows[size_t(row)].connector = connector;
    // A row B that opens gets "おわり" until the user says otherwise.
    if (IsRowEnabled(1) && m_rows[1].connector < 0)
        m_rows[1].connector = 2;
}

void CExtractRules::FillSavedList()
{
    m_savedNames.clear();
    m_savedIndexes.clear();
    m_nSavedSel = -1;
    if (!m_store.Load())
        return;
    for (int i = 0; i < m_store.GetCount(); ++i) {
        const CExCondition* condition = m_store.GetAt(i);
        // A condition of an unknown kind names no table of ours; it is
        // offered nowhere.
        if (condition && FitsTarget(condition->m_nKind)) {
            m_savedNames << condition->m_strName;
            m_savedIndexes << i;
        }
    }
}

void CExtractRules::SelectSaved(int index)
{
    m_nSavedSel = index >= 0 && index < m_savedNames.size() ? index : -1;
    const CExCondition* stored = m_nSavedSel < 0 ? nullptr : m_store.GetAt(m_savedIndexes[m_nSavedSel]);
    if (!stored)
        return;
    m_working.Clear();
    m_working.CopyFrom(*stored);
    // Taken over even when a row cannot be shown, but never a statement
    // of another table.
    const bool fits = FitsTarget(m_working.m_nKind) && m_working.m_strSQL.startsWith(m_builder.GetHead());
    Restore(m_working);
    m_bTakenOver = fits ? 1 : 0;
}

bool CExtractRules::Restore(const CExCondition& condition)
{
    // Only a statement of this target's table can be handed over unchanged.
    if (!FitsTarget(condition.m_nKind) || !condition.m_strSQL.startsWith(m_builder.GetHead())) {
        Message(kCannotRestore, MB_OK, MB_ICONEXCLAMATION);
        return false;
    }
    for (CExtractRow& row : m_rows) {
        m_builder.SetRowField(row, -1);
        row.connector = -1;
    }
    if (condition.m_arrA.size() < 3 || !RestoreRow(0, condition.m_arrA))
        return false;
    if (condition.m_arrB.size() < 3 || !RestoreRow(1, condition.m_arrB))
        return true;
    if (condition.m_arrC.size() == 3)
        RestoreRow(2, condition.m_arrC);
    return true;
}

bool CExtractRules::RestoreRow(int index, const QStringList& parts)
{
    CExtractRow& row = m_rows[size_t(index)];
    const int field = m_builder.FindField(parts[0]);
    if (field < 0) {
        Message(kCannotRestore, MB_OK, MB_ICONEXCLAMATION);
        return false;
    }
    m_builder.SetRowField(row, field);
    row.value = parts[1];
    for (int i = 0; i < row.values.size(); ++i) {
        if (row.values[i].text == parts[1]) {
            row.valueItem = i;
            break;
        }
    }
    for (int i = 0; i < row.operators.size(); ++i) {
        if (row.operators[i].fragment == parts[2]) {
            row.op = i;
            break;
        }
    }
    if (row.op < 0)
        Message(kCannotRestore, MB_OK, MB_ICONEXCLAMATION);
    if (index < 2) {
        const QString connector = parts.value(3);
        row.connector = connector == QLatin1StringView("AND") ? 0 : connector == QLatin1StringView("OR") ? 1 : 2;
    }
    return true;
}

bool CExtractRules::BuildWorking()
{
    m_focus = kFocusNone;
    if (m_builder.Build(m_rows, m_working))
        return true;
    m_nFocusRow = m_builder.GetFailedRow();
    switch (m_builder.GetFocus()) {
    case CExtractBuilder::kFocusField: m_focus = kFocusField; break;
    case CExtractBuilder::kFocusValue: m_focus = kFocusValue; break;
    case CExtractBuilder::kFocusOperator: m_focus = kFocusOperator; break;
    default: m_focus = kFocusNone; break;
    }
    return false;
}

int CExtractRules::OnSave()
{
    if (!BuildWorking())
        return 0;
    QString name;
    if (!m_askName || !m_askName(QStringLiteral("名前をつけて条件を保存"), QStringLiteral("名前を入力して【OK】をクリックしてください。"), name))
        return 0;
    m_working.m_strName = name;
    const int saved = m_store.Add(m_working);
    if (saved) {
        Message(QStringLiteral("抽出条件を保存しました"), MB_OK, MB_ICONINFORMATION);
        m_bTakenOver = 1;
    } else {
        Message(QStringLiteral("抽出条件を保存できませんでした"), MB_OK, MB_ICONEXCLAMATION);
    }
    FillSavedList();
    return saved;
}

int CExtractRules::OnRename()
{
    m_focus = kFocusNone;
    if (m_nSavedSel < 0) {
        Message(QStringLiteral("条件を選択してください"));
        m_focus = kFocusList;
        return 0;
    }
    CExCondition* stored = m_store.GetAt(m_savedIndexes[m_nSavedSel]);
    if (!stored)
        return 0;
    QString name = stored->m_strName;
    if (!m_askName || !m_askName(QStringLiteral("名前の変更"), QStringLiteral("名前を変更して【OK】をクリックしてください。"), name))
        return 0;
    stored->m_strName = name;
    if (!m_store.Save())
        return 0;
    const int kept = m_nSavedSel;
    FillSavedList();
    m_nSavedSel = kept < m_savedNames.size() ? kept : -1;
    return 1;
}

int CExtractRules::OnDelete()
{
    m_focus = kFocusNone;
    if (m_nSavedSel < 0) {
        Message(QStringLiteral("削除する条件を選択してください"));
        m_focus = kFocusList;
        return 0;
    }
    const int index = m_savedIndexes[m_nSavedSel];
    const CExCondition* stored = m_store.GetAt(index);
    if (!stored) {
        Message(QStringLiteral("削除する条件が取得できませんでした。"));
        return 0;
    }
    if (Message(QStringLiteral("条件「%1」を削除します。\nよろしいですか？").arg(stored->m_strName), MB_YESNO,
                MB_ICONQUESTION, IDNO) != IDYES)
        return 0;
    m_store.RemoveAt(index);
    if (!m_store.Save())
        return 0;
    FillSavedList();
    return 1;
}

bool CExtractRules::OnRun()
{
    if (!m_bTakenOver && !BuildWorking())
        return false;
    m_host.ReleaseActiveExtraction();
    auto copy = std::make_unique<CExCondition>();
    copy->CopyFrom(m_working);
    m_host.SetActiveExtraction(std::move(copy), m_bTakenOver);
    return true;
}

bool CExtractRules::OnRelease()
{
    if (!m_host.GetActiveExtraction()) {
        Message(QStringLiteral("現在抽出条件は設定されていません。"));
        return false;
    }
    if (Message(QStringLiteral("抽出を解除してよろしいですか？"), MB_YESNO, MB_ICONQUESTION) != IDYES)
        return false;
    m_host.ReleaseActiveExtraction();
    return true;
}
