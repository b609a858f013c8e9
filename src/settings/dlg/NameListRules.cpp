#include "settings/dlg/NameListRules.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <algorithm>

namespace
{

struct ModeTexts {
    const char* caption;
    const char* header;
    const char* note;
    const char* label;
    const char* addCaption;
    const char* addPrompt;
    const char* changeCaption;
    const char* changePrompt;
};

const ModeTexts kModeTexts[] = {
    {"自社担当者の設定",
     "自社担当者を登録・変更・削除します。\n設定が完了したら【OK】ボタンをクリックしてください。",
     "※なお、各画面の自社担当者を設定するコンボボックスで入力すると自動的に登録されます。",
     "現在登録されている自社担当者：", "自社担当者の追加",
     "追加する自社担当者を入力して【OK】をクリックしてください。", "自社担当者の変更",
     "自社担当者名を変更して【OK】をクリックしてください。"},
    {"入金摘要内容の設定",
     "入金摘要内容を登録・変更・削除します。\n設定が完了したら【OK】ボタンをクリックしてください。",
     "※なお、入金画面の摘要を設定するコンボボックスで入力すると自動的に登録されます。",
     "現在登録されている入金摘要内容：", "入金摘要内容の追加",
     "追加する入金摘要内容を入力して【OK】をクリックしてください。", "入金摘要内容の変更",
     "入金摘要内容名を変更して【OK】をクリックしてください。"},
    {"単位の設定",
     "商品の単位を登録・変更・削除します。\n設定が完了したら【OK】ボタンをクリックしてください。",
     "※なお、商品登録画面の単位を設定するコンボボックスで入力すると自動的に登録されます。",
     "現在登録されている単位：", "単位の追加", "追加する単位を入力して【OK】をクリックしてください。",
     "単位の変更", "単位名を変更して【OK】をクリックしてください。"},
};

const ModeTexts* TextsOf(int mode)
{
    return mode >= 0 && mode < int(std::size(kModeTexts)) ? &kModeTexts[mode] : nullptr;
}

QString Text(int mode, const char* ModeTexts::*field)
{
    const ModeTexts* texts = TextsOf(mode);
    return texts ? QString::fromUtf8(texts->*field) : QString();
}

void Tell(const QString& text, int icon = MB_ICONNONE)
{
    UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

} // namespace

QString CNameListRules::GetCaption() const
{
    return Text(m_nMode, &ModeTexts::caption);
}

QString CNameListRules::GetHeader() const
{
    return Text(m_nMode, &ModeTexts::header);
}

QString CNameListRules::GetNote() const
{
    return Text(m_nMode, &ModeTexts::note);
}

QString CNameListRules::GetListLabel() const
{
    return Text(m_nMode, &ModeTexts::label);
}

void CNameListRules::Open()
{
    m_data.Load(m_nMode);
    m_nSel = Count() > 0 ? 0 : -1;
}

QStringList CNameListRules::GetNames() const
{
    QStringList names;
    for (const auto& elem : m_data.GetElems())
        names << elem->m_strText;
    return names;
}

void CNameListRules::Select(int row)
{
    m_nSel = row >= 0 && row < Count() ? row : -1;
}

bool CNameListRules::IsListed(const QString& name) const
{
    if (!GetNames().contains(name))
        return false;
    Tell(QStringLiteral("その名前は既に登録されています。"), MB_ICONINFORMATION);
    return true;
}

bool CNameListRules::HasSel(const char* message) const
{
    if (m_nSel >= 0)
        return true;
    Tell(QString::fromUtf8(message));
    return false;
}

CNameRequest CNameListRules::Request(bool add) const
{
    return {Text(m_nMode, add ? &ModeTexts::addCaption : &ModeTexts::changeCaption),
            Text(m_nMode, add ? &ModeTexts::addPrompt : &ModeTexts::changePrompt), QString(),
            CComboData::GetTextLimit(m_nMode)};
}

CNameRequest CNameListRules::GetAddRequest() const
{
    return Request(true);
}

bool CNameListRules::Add(const QString& name)
{
    if (!TextsOf(m_nMode) || name.isEmpty() || IsListed(name))
        return false;
    auto elem = std::make_unique<CComboDataElem>();
    elem->m_strText = name;
    m_data.GetElems().push_back(std::move(elem));
    m_nSel = Count() - 1;
    m_bModified = true;
    return true;
}

bool CNameListRules::BeginChange(CNameRequest& request) const
{
    if (!HasSel("変更する項目を選択してください。"))
        return false;
    request = Request(false);
    request.name = m_data.GetElems()[m_nSel]->m_strText;
    return true;
}

bool CNameListRules::Change(const QString& name)
{
    if (m_nSel < 0 || name.isEmpty() || name == m_data.GetElems()[m_nSel]->m_strText || IsListed(name))
        return false;
    m_data.GetElems()[m_nSel]->m_strText = name;
    m_bModified = true;
    return true;
}

bool CNameListRules::Delete()
{
    if (!HasSel("削除する項目を選択してください。"))
        return false;
    auto& elems = m_data.GetElems();
    if (elems[m_nSel]->m_nDeletable == 0) {
        Tell(QStringLiteral("この項目は削除できません"));
        return false;
    }
    if (UiServices::Prompt().MessageBox(QStringLiteral("選択している項目を削除してよろしいですか？"),
                                        MB_YESNO, MB_ICONQUESTION, IDNO) != IDYES)
        return false;
    elems.erase(elems.begin() + m_nSel);
    m_nSel = std::min(m_nSel, Count() - 1);
    m_bModified = true;
    return true;
}

bool CNameListRules::MoveUp()
{
    if (!HasSel("移動する項目を選択してください。") || m_nSel == 0)
        return false;
    auto& elems = m_data.GetElems();
    std::swap(elems[m_nSel], elems[m_nSel - 1]);
    --m_nSel;
    m_bModified = true;
    return true;
}

bool CNameListRules::MoveDown()
{
    if (!HasSel("移動する項目を選択してください。") || m_nSel >= Count() - 1)
        return false;
    auto& elems = m_data.GetElems();
    std::swap(elems[m_nSel], elems[m_nSel + 1]);
    ++m_nSel;
    m_bModified = true;
    return true;
}

int CNameListRules::OnOK()
{
    return m_bModified ? m_data.Save() : 1;
}

bool CNameListRules::ConfirmCancel() const
{
    return !m_bModified ||
           UiServices::Prompt().MessageBox(QStringLiteral("変更を保存せずに画面を終了してよろしいですか？"),
                                           MB_OKCANCEL, MB_ICONQUESTION, IDCANCEL) == IDOK;
}
