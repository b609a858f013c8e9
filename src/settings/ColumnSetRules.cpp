#include "settings/ColumnSetRules.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/QXColFactory.h"

namespace
{

const char kNoFactoryText[] = "列情報の取得に失敗しました。\n再インストールしてください。";

bool IsComposite(const QString& field)
{
    return field == QLatin1String(kFieldCompanySectionName) ||
           field == QLatin1String(kFieldPhoenicCompanyPerson);
}

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

CColumnSetRules::CColumnSetRules(int mode) : m_nMode(mode == kExport ? kExport : kDisplay) {}

QString CColumnSetRules::GetModeWord() const
{
    return Utf8(m_nMode == kDisplay ? "表示" : "書き出し");
}

QString CColumnSetRules::GetCaption() const
{
    return GetModeWord() + Utf8("列を設定します");
}

QString CColumnSetRules::GetHeader() const
{
    const char* list = m_nListKind == kListItem       ? "商品一覧リストの"
                       : m_nListKind == kListCustomer ? "得意先一覧リストの"
                       : m_nListKind == kListSupplier ? "仕入先一覧リストの"
                                                      : "";
    return Utf8(list) + GetCaption();
}

QString CColumnSetRules::GetToLeftText() const
{
    return Utf8(m_nMode == kDisplay ? "←表示する" : "←書き出す");
}

QString CColumnSetRules::GetToRightText() const
{
    return Utf8(m_nMode == kDisplay ? "表示しない→" : "書き出さない→");
}

QString CColumnSetRules::GetLeftLabel() const
{
    return Utf8(m_nMode == kDisplay ? "表示する列" : "書き出す列");
}

QString CColumnSetRules::GetRightLabel() const
{
    return Utf8(m_nMode == kDisplay ? "表示しない列" : "書き出さない列");
}

QStringList CColumnSetRules::Captions(const QList<int>& rows) const
{
    QStringList captions;
    for (const int i : rows)
        captions << m_factory.m_cols[i].m_strCaption;
    return captions;
}

void CColumnSetRules::Tell(const QString& text) const
{
    UiServices::Prompt().MessageBox(text, MB_OK, MB_ICONINFORMATION);
}

void CColumnSetRules::SelectLeft(int row)
{
    m_nLeftSel = row >= 0 && row < m_left.size() ? row : -1;
}

void CColumnSetRules::SelectRight(int row)
{
    m_nRightSel = row >= 0 && row < m_right.size() ? row : -1;
}

bool CColumnSetRules::Open()
{
    m_factory = CQXColSet();
    m_display = CQXColSet();
    m_left.clear();
    m_right.clear();
    m_sortCols.clear();
    m_nLeftSel = m_nRightSel = m_nSortIndex = -1;

    CQXColOperate colSets;
    if (!colSets.GetDefaultColSet(SetID(), m_factory)) {
        Tell(Utf8(kNoFactoryText));
        return false;
    }
    if (m_nMode == kDisplay)
        colSets.GetColSet(SetID(), m_display);
    FillLists();
    if (m_nMode == kDisplay)
        FillSort(true);
    return true;
}

// The shown columns go to the left in their own order, each carrying its
// caption, width and alignment onto the factory column it names; a column
// the factory set does not know, or one named twice, is left out.
void CColumnSetRules::FillLists()
{
    m_left.clear();
    m_nLeftSel = -1;
    for (CQXCol& col : m_factory.m_cols)
        col.m_nShown = 0;
    for (const CQXCol& shown : m_display.m_cols) {
        const int i = m_factory.IndexOf(shown.m_strField);
        if (i < 0 || m_factory.m_cols[i].m_nShown == 1)
            continue;
        CQXCol& col = m_factory.m_cols[i];
        col.m_strCaption = shown.m_strCaption;
        col.m_nWidth = shown.m_nWidth;
        col.m_nAlign = shown.m_nAlign;
        col.m_nShown = 1;
        m_left.append(i);
    }
    FillRight();
}

// The columns not chosen, in factory order; an export never offers the two
// composite columns, which are no record fields.
void CColumnSetRules::FillRight()
{
    m_right.clear();
    m_nRightSel = -1;
    for (int i = 0; i < m_factory.m_cols.size(); ++i) {
        const CQXCol& col = m_factory.m_cols[i];
        if (col.m_nShown != 1 && !(m_nMode == kExport && IsComposite(col.m_strField)))
            m_right.append(i);
    }
}

void CColumnSetRules::FillSort(bool readSortFile)
{
    m_sortCols.clear();
    for (int i = 0; i < m_factory.m_cols.size(); ++i)
        if (!IsComposite(m_factory.m_cols[i].m_strField))
            m_sortCols.append(i);
    const auto indexOf = [this](const QString& field) {
        for (int k = 0; k < m_sortCols.size(); ++k)
            if (GetSortField(k) == field)
                return k;
        return -1;
    };
    m_nSortIndex = indexOf(GetListCodeField(m_nListKind));
    m_nSortOrder = 0;
    if (!readSortFile)
        return;
    if (const CDefaultSort* entry = m_sortList.Find(m_nListKind)) {
        const int k = indexOf(entry->m_strField);
        if (k >= 0) {
            m_nSortIndex = k;
            m_nSortOrder = entry->m_nOrder;
        }
    }
}

void CColumnSetRules::MoveToLeft()
{
    if (m_nRightSel < 0) {
        Tell(GetModeWord() + Utf8("する項目を選択してください。"));
        return;
    }
    const int i = m_right.takeAt(m_nRightSel);
    m_nRightSel = -1;
    m_factory.m_cols[i].m_nShown = 1;
    m_left.append(i);
}

void CColumnSetRules::MoveToRight()
{
    if (m_nLeftSel < 0) {
        Tell(GetModeWord() + Utf8("しない項目を選択してください。"));
        return;
    }
    const int i = m_left.takeAt(m_nLeftSel);
    m_nLeftSel = -1;
    m_factory.m_cols[i].m_nShown = 0;
    FillRight();
}

void CColumnSetRules::MoveAllToLeft()
{
    if (m_right.isEmpty()) {
        Tell(Utf8("すでに全ての項目が") + GetModeWord() + Utf8("する項目に設定されています。"));
        return;
    }
    for (const int i : m_right) {
        m_factory.m_cols[i].m_nShown = 1;
        m_left.append(i);
    }
    m_right.clear();
    m_nRightSel = -1;
}

void CColumnSetRules::MoveAllToRight()
{
    if (m_left.isEmpty()) {
        Tell(Utf8("すでに全ての項目が") + GetModeWord() + Utf8("しない項目に設定されています。"));
        return;
    }
    for (const int i : m_left)
        m_factory.m_cols[i].m_nShown = 0;
    m_left.clear();
    m_nLeftSel = -1;
    FillRight();
}

void CColumnSetRules::MoveUp()
{
    if (m_nLeftSel < 0) {
        Tell(Utf8("上に移動する項目を選択してください。"));
    } else if (m_nLeftSel == 0) {
        Tell(Utf8("既にいちばん上です"));
    } else {
        m_left.swapItemsAt(m_nLeftSel, m_nLeftSel - 1);
        --m_nLeftSel;
    }
}

void CColumnSetRules::MoveDown()
{
    if (m_nLeftSel < 0) {
        Tell(Utf8("下に移動する項目を選択してください。"));
    } else if (m_nLeftSel == m_left.size() - 1) {
        Tell(Utf8("既にいちばん下です"));
    } else {
        m_left.swapItemsAt(m_nLeftSel, m_nLeftSel + 1);
        ++m_nLeftSel;
    }
}

void CColumnSetRules::RestoreDefaults()
{
    if (m_nMode != kDisplay)
        return;
    CQXColSet factory;
    if (!CQXColOperate().GetDefaultColSet(SetID(), factory)) {
        Tell(Utf8(kNoFactoryText));
        return;
    }
    m_factory = factory;
    m_display = CQXColSet();
    m_display.m_nID = SetID();
    for (const CQXCol& col : factory.m_cols)
        if (col.m_nShown == 1)
            m_display.m_cols.append(col);
    FillLists();
    FillSort(false);
}

bool CColumnSetRules::OnOK()
{
    if (m_left.isEmpty()) {
        Tell(Utf8("%1する項目が一つもありません。\n%1する項目を一つ以上指定してください。")
                 .arg(GetModeWord()));
        return false;
    }
    CQXColSet chosen;
    chosen.m_nID = SetID();
    for (const int i : m_left)
        chosen.m_cols.append(m_factory.m_cols[i]);
    if (m_nMode == kExport) {
        m_result = chosen;
        return true;
    }
    CQXColOperate().SaveColSet(chosen);
    if (m_nSortIndex >= 0 && m_nSortIndex < m_sortCols.size() &&
        m_sortList.Set(m_nListKind, GetSortField(m_nSortIndex), m_nSortOrder) == 1)
        Tell(Utf8("起動時の並び順は、次に一覧画面を表示し直したときから変更されます。"));
    return true;
}
