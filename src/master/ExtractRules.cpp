#include "master/ExtractRules.h"

#include "app/MainFrame.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/dlg/DlgHelpers.h"

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

CExtractRules::CExtractRules(EMasterKind target, IExtractHost& host, NameAsker askName)
    : m_host(host), m_askName(std::move(askName)), m_builder(target)
{
}

QString CExtractRules::GetCaption() const
{
    return m_builder.Kind().Word() + QStringLiteral("の抽出");
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
    case 0:
        return true;
    case 1:
        return joined(m_rows[0].connector);
    case 2:
        return joined(m_rows[0].connector) && joined(m_rows[1].connector);
    default:
        return false;
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
    m_bTakenOver = Restore(m_working) ? 1 : 0;
}

bool CExtractRules::Restore(CExCondition& condition)
{
    if (!FitsTarget(condition.m_nKind)) {
        Message(kCannotRestore, MB_OK, MB_ICONEXCLAMATION);
        return false;
    }
    for (CExtractRow& row : m_rows) {
        m_builder.SetRowField(row, -1);
        row.connector = -1;
    }
    // Row B shows after row A, row C after row B; a row whose field or
    // operator is unknown has been said.
    bool said = false;
    const QStringList* const parts[] = {&condition.m_arrA, &condition.m_arrB, &condition.m_arrC};
    for (int i = 0; i < 3; ++i) {
        if (parts[i]->size() < 3 || (i == 2 && parts[i]->size() != 3))
            break;
        const int shown = RestoreRow(i, *parts[i]);
        said = said || shown != 1;
        if (shown == 0)
            break;
    }
    // The statement is made again from the parts: a file keeps its text in
    // code page 932, and another copy of the program may have written it in
    // its own form. Parts this builder cannot make leave the statement as it
    // was stored, when it is one of this builder's.
    CExCondition rebuilt;
    if (!said && m_builder.Build(m_rows, rebuilt, false)) {
        condition.m_strSQL = rebuilt.m_strSQL;
        return true;
    }
    if (!said)
        Message(kCannotRestore, MB_OK, MB_ICONEXCLAMATION);
    return condition.m_strSQL.startsWith(m_builder.GetHead());
}

int CExtractRules::RestoreRow(int index, const QStringList& parts)
{
    CExtractRow& row = m_rows[size_t(index)];
    const int field = m_builder.FindField(parts[0]);
    if (field < 0) {
        Message(kCannotRestore, MB_OK, MB_ICONEXCLAMATION);
        return 0;
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
    if (index < 2) {
        const QString connector = parts.value(3);
        row.connector = connector == QLatin1StringView("AND")  ? 0
                        : connector == QLatin1StringView("OR") ? 1
                                                               : 2;
    }
    if (row.op < 0) {
        Message(kCannotRestore, MB_OK, MB_ICONEXCLAMATION);
        return 2;
    }
    return 1;
}

bool CExtractRules::BuildWorking()
{
    m_focus = kFocusNone;
    if (m_builder.Build(m_rows, m_working))
        return true;
    m_nFocusRow = m_builder.GetFailedRow();
    switch (m_builder.GetFocus()) {
    case CExtractBuilder::kFocusField:
        m_focus = kFocusField;
        break;
    case CExtractBuilder::kFocusValue:
        m_focus = kFocusValue;
        break;
    case CExtractBuilder::kFocusOperator:
        m_focus = kFocusOperator;
        break;
    default:
        m_focus = kFocusNone;
        break;
    }
    return false;
}

int CExtractRules::OnSave()
{
    if (!BuildWorking())
        return 0;
    // The file keeps code page 932: what it cannot hold would come back as "?".
    // A refusal names the row's field and goes back to its value.
    const QStringList* const parts[] = {&m_working.m_arrA, &m_working.m_arrB, &m_working.m_arrC};
    const QList<CQXCol>& fields = m_builder.GetFields();
    for (int row = 0; row < 3; ++row) {
        const int field = m_rows[size_t(row)].field;
        const QString caption =
            field >= 0 && field < fields.size() ? fields[field].m_strCaption : QStringLiteral("条件");
        if (!CheckEncodable(parts[row]->value(1), caption)) {
            m_focus = kFocusValue;
            m_nFocusRow = row;
            return 0;
        }
    }
    QString name;
    if (!AskName(QStringLiteral("名前をつけて条件を保存"),
                 QStringLiteral("名前を入力して【OK】をクリックしてください。"), name))
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
    if (!AskName(QStringLiteral("名前の変更"), QStringLiteral("名前を変更して【OK】をクリックしてください。"),
                 name))
        return 0;
    stored->m_strName = name;
    return SaveStore(true);
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
    return SaveStore(false);
}

int CExtractRules::SaveStore(bool keepSelection)
{
    const int saved = m_store.Save();
    if (!saved)
        Message(QStringLiteral("抽出条件を保存できませんでした"), MB_OK, MB_ICONEXCLAMATION);
    // The list shows what the file holds, so that a name picked runs its
    // own condition, also after a failed write.
    const int kept = keepSelection || !saved ? m_nSavedSel : -1;
    FillSavedList();
    m_nSavedSel = kept < m_savedNames.size() ? kept : -1;
    return saved;
}

bool CExtractRules::AskName(const QString& caption, const QString& prompt, QString& name)
{
    // Asked again until the name is one the file can hold.
    while (m_askName && m_askName(caption, prompt, name)) {
        if (CheckEncodable(name, QStringLiteral("名前")))
            return true;
    }
    return false;
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
