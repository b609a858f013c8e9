#include "platform/forms/SelForm.h"

#include <QDir>
#include <QFile>

#include <limits>
#include <utility>

#include "platform/archive/ArchiveError.h"
#include "platform/archive/SafeFile.h"
#include "platform/forms/FormDialogs.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

namespace
{

// A backup holds a few dozen bytes per form.
constexpr qint64 kMaxBackupSize = 4 * 1024 * 1024;

IFormDialogs* g_dialogs = nullptr;

IFormDialogs& Dialogs()
{
    static CQtFormDialogs dialogs;
    return g_dialogs ? *g_dialogs : dialogs;
}

void Tell(const QString& text, int icon = MB_ICONEXCLAMATION)
{
    UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

CFormChoice::CFormChoice(int kind, const QList<CSelFormData>& forms, long current)
    : m_nKind(kind), m_forms(forms)
{
    for (int i = 0; i < m_forms.size(); ++i) {
        if (m_forms[i].m_nFormID == current)
            m_nRow = i;
    }
    if (m_nRow < 0 && !m_forms.isEmpty())
        m_nRow = 0;
}

QString CFormChoice::GetTitle() const
{
    return QStringLiteral("フォームの選択（%1）").arg(SlipFormKindName(m_nKind));
}

void CFormChoice::SetCurrentRow(int row)
{
    m_nRow = row >= 0 && row < m_forms.size() ? row : -1;
}

long CFormChoice::GetChosenID() const
{
    return m_nRow >= 0 ? m_forms[m_nRow].m_nFormID : 0;
}

CFormCtrl::CFormCtrl(CPloMainData& data) : m_data(data) {}

bool CFormCtrl::Load()
{
    if (!m_data.ReadPickUp()) {
        Tell(QStringLiteral("オリジナルフォーム情報を取得できません。"));
        return false;
    }
    m_catalog.m_layouts = m_data.GetUserForms();
    m_catalog.m_nNextUserID = m_data.GetNextUserFormID();
    return true;
}

QString CFormCtrl::CheckName(const QString& name, qint32 formID) const
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("フォーム名を入力してください。");
    if (const QString problem = UnusableCharsProblem(QStringLiteral("フォーム名"), name); !problem.isEmpty())
        return problem;
    if (Cp932::ByteLength(name) > kMaxNameBytes)
        return QStringLiteral("フォーム名は全角%1文字（半角%2文字）以内で入力してください。")
            .arg(kMaxNameBytes / 2)
            .arg(kMaxNameBytes);
    for (const CLayoutInfo& form : m_catalog.m_layouts) {
        if (form.m_nFormID != formID && form.m_strName == name)
            return QStringLiteral("同じ名前のオリジナルフォームがあります。");
    }
    return {};
}

int CFormCtrl::Create(const CLayoutInfo& base, const QString& name)
{
    if (const QString problem = CheckName(name, 0); !problem.isEmpty()) {
        Tell(problem);
        return -1;
    }
    if (m_catalog.m_nNextUserID == std::numeric_limits<qint32>::max()) {
        Tell(QStringLiteral("これ以上オリジナルフォームを作成できません。"));
        return -1;
    }
    const qint32 id = m_catalog.m_nNextUserID;
    CFormCatalog changed = m_catalog;
    changed.m_layouts << CLayoutInfo{id, base.m_nKind, base.m_nBunrui, id, name};
    changed.m_nNextUserID = id + 1;
    return Save(changed) ? int(m_catalog.m_layouts.size()) - 1 : -1;
}

bool CFormCtrl::Rename(int row, const QString& name)
{
    if (row < 0 || row >= m_catalog.m_layouts.size())
        return false;
    if (const QString problem = CheckName(name, m_catalog.m_layouts[row].m_nFormID); !problem.isEmpty()) {
        Tell(problem);
        return false;
    }
    CFormCatalog changed = m_catalog;
    changed.m_layouts[row].m_strName = name;
    return Save(changed);
}

bool CFormCtrl::Delete(int row)
{
    if (row < 0 || row >= m_catalog.m_layouts.size())
        return false;
    const QString question =
        QStringLiteral("オリジナルフォーム「%"
                       "1」を削除してよろしいですか？\nこのフォームで作成した伝票は修正できなくなります。")
            .arg(m_catalog.m_layouts[row].m_strName);
    if (UiServices::Prompt().MessageBox(question, MB_YESNO, MB_ICONQUESTION, IDNO) != IDYES)
        return false;
    CFormCatalog changed = m_catalog;
    changed.m_layouts.removeAt(row);
    return Save(changed);
}

bool CFormCtrl::Save(const CFormCatalog& changed)
{
    if (!m_data.SaveUserForms(changed)) {
        Tell(QStringLiteral("オリジナルフォーム情報を保存できません。"));
        return false;
    }
    m_catalog.m_layouts = m_data.GetUserForms();
    m_catalog.m_nNextUserID = m_data.GetNextUserFormID();
    return true;
}

CSelForm::CSelForm(const QString& dataRoot) : m_data(dataRoot) {}

CSelForm::~CSelForm()
{
    m_mapSelForm.clear();
}

long CSelForm::SelectForm(int kind, long current)
{
    m_mapSelForm.clear();
    if (kind < 1 || kind > 13)
        return 0;
    for (const CLayoutInfo& layout : m_data.GetLayouts(kind))
        m_mapSelForm.insert(uint(layout.m_nFormID), CSelFormData{layout.m_nFormID, layout.m_nBunrui,
                                                                 layout.m_strName, layout.IsUserForm()});
    CFormChoice choice(kind, m_mapSelForm.values(), current);
    if (!Dialogs().RunChooser(choice))
        return 0;
    return choice.GetChosenID();
}

int CSelForm::DoModalFormCtrlDlg()
{
    CFormCtrl ctrl(m_data);
    if (!ctrl.Load())
        return 0;
    Dialogs().RunFormCtrl(ctrl);
    return 1;
}

int CSelForm::BackupOrg(const QString& path)
{
    if (!m_data.ReadPickUp()) {
        Tell(QStringLiteral("オリジナルフォーム情報を取得できません。\nバックアップできません。"));
        return 0;
    }
    CFormCatalog catalog;
    catalog.m_layouts = m_data.GetUserForms();
    catalog.m_nNextUserID = m_data.GetNextUserFormID();
    if (!AtomicWriteFile(path, catalog.Write(kBackupMagic))) {
        Tell(QStringLiteral("バックアップファイル<%1>を作成できませんでした。").arg(Native(path)));
        return 0;
    }
    Tell(QStringLiteral("オリジナルフォームのバックアップが終了しました。"), MB_ICONINFORMATION);
    return 1;
}

int CSelForm::RestoreOrg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Tell(QStringLiteral("バックアップファイル<%1>を開けません。").arg(Native(path)));
        return 0;
    }
    CFormCatalog catalog;
    try {
        if (file.size() > kMaxBackupSize)
            throw CArchiveError(CArchiveError::BadFormat, "backup too large");
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw CArchiveError(CArchiveError::FileError, "backup cannot be read");
        catalog = CFormCatalog::Read(bytes, kBackupMagic, CFormCatalog::kUserForms);
    } catch (const CArchiveError&) {
        Tell(QStringLiteral(
                 "<%1>はオリジナルフォームのバックアップファイルではないか、壊れています。\n復元できません。")
                 .arg(Native(path)));
        return 0;
    }
    if (!m_data.SaveUserForms(catalog)) {
        Tell(QStringLiteral("オリジナルフォーム情報を保存できません。"));
        return 0;
    }
    Tell(QStringLiteral("オリジナルフォームを復元しました。"), MB_ICONINFORMATION);
    return 1;
}

IFormDialogs* CSelForm::SetDialogs(IFormDialogs* dialogs)
{
    return std::exchange(g_dialogs, dialogs);
}
