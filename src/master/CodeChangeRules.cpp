#include "master/CodeChangeRules.h"
#include "platform/data/MasterKinds.h"

#include "app/MainFrame.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/RecordCompare.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

namespace
{

class CFrameCodeChangeHost : public ICodeChangeHost
{
  public:
    int CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                           CCDSData& result) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->CheckDuplicateCode(table, field, code, result) : 0;
    }
    int ChangeMasterCode(const QString& table, const QString& oldCode, const QString& newCode,
                         QString& err) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        if (!frame) {
            err.clear();
            return CMakeMsgID::kFatal;
        }
        return frame->GetMakeMsgID().ChangeMasterCode(table, oldCode, newCode, err);
    }
};

bool HasBlank(const QString& text)
{
    return text.contains(u' ') || text.contains(QChar(0x3000));
}

int IdOf(const COneRecord& record, const QString& table)
{
    int id = 0;
    const CTb* field = record.GetOneField(table, QStringLiteral("ID"));
    return field && field->GetData(id) ? id : 0;
}

} // namespace

CCodeChangeRules::CCodeChangeRules(const CMasterKind& kind, const QString& currentCode)
    : m_pFrameHost(std::make_unique<CFrameCodeChangeHost>()), m_pHost(m_pFrameHost.get()), m_kind(kind),
      m_strCurrentCode(currentCode)
{
}

CCodeChangeRules::CCodeChangeRules(const CMasterKind& kind, const QString& currentCode, ICodeChangeHost& host)
    : m_pHost(&host), m_kind(kind), m_strCurrentCode(currentCode)
{
}

CCodeChangeRules::~CCodeChangeRules() = default;

QString CCodeChangeRules::GetCaption() const
{
    return m_kind.CodeLabel() + QStringLiteral("の変更");
}

void CCodeChangeRules::Open()
{
    if (m_strCurrentCode.isEmpty())
        return;
    CCDSData found;
    if (!m_pHost->CheckDuplicateCode(GetTableName(), GetCodeFieldName(), m_strCurrentCode, found) ||
        found.GetCount() == 0)
        return;
    const COneRecord& record = *found.GetAt(0);
    const QString table = GetTableName();
    m_nRecordID = IdOf(record, table);
    if (!m_kind.side) {
        const CTb* name = record.GetOneField(table, QStringLiteral("ItemName"));
        m_strName = name ? name->GetText() : QString();
    } else {
        m_strName = GetCompanySectionName(&record, table);
    }
}

int CCodeChangeRules::Refuse(const QString& text, Focus focus)
{
    UiServices::Prompt().MessageBox(text);
    m_focus = focus;
    return 0;
}

int CCodeChangeRules::Ok(const QString& newCode)
{
    m_focus = kFocusNone;
    if (newCode.isEmpty())
        return Refuse(QStringLiteral("新しいコードを入力してください。"), kFocusNewCode);
    if (HasBlank(newCode))
        return Refuse(QStringLiteral("コードには、スペース文字を含めることはできません。"), kFocusNewCode);
    if (const QString problem =
            UnusableCharsProblem(m_kind.side ? QStringLiteral("コード") : m_kind.CodeLabel(), newCode);
        !problem.isEmpty())
        return Refuse(problem, kFocusNewCode);
    if (Cp932::ByteLength(newCode) > GetMaxBytes())
        return Refuse(m_kind.side ? QStringLiteral("コードが長すぎます。20ﾊﾞｲﾄまでです。")
                                  : QStringLiteral("品番が長すぎます。100ﾊﾞｲﾄまでです。"),
                      kFocusNewCode);
    if (m_nRecordID == 0 || m_strCurrentCode.isEmpty())
        return Refuse(QStringLiteral("変更前のコードが正しく指定されていません。"), kFocusCurrentCode);

    CCDSData found;
    if (!m_pHost->CheckDuplicateCode(GetTableName(), GetCodeFieldName(), newCode, found)) {
        // The lookup has said why; a code that could not be checked is not used.
        m_focus = kFocusNewCode;
        return 0;
    }
    // Only the record itself may hold the new code (a change of letter case,
    // or the same code).
    if (found.GetCount() > 1 ||
        (found.GetCount() == 1 && IdOf(*found.GetAt(0), GetTableName()) != m_nRecordID))
        return Refuse(QStringLiteral("このコードは既に登録されています。他のコードを指定してください。"),
                      kFocusNewCode);

    const QString question =
        QStringLiteral(
            "%1を「%2」から「%3」に変更します。\nデータベースに登録されているデータのコードも変更します。\n"
            "変更には時間がかかる場合があります。\n\n変更を実行してよろしいですか？%4")
            .arg(GetCodeLabel(), m_strCurrentCode, newCode, QString());
    if (UiServices::Prompt().MessageBox(question, MB_YESNO, MB_ICONQUESTION) != IDYES)
        return 0;

    QString err;
    int result = 0;
    {
        const CWaitCursor wait;
        result = m_pHost->ChangeMasterCode(GetTableName(), m_strCurrentCode, newCode, err);
    }
    if (result == 1) {
        m_nChanged = 1;
        return 1;
    }
    if (result == CMakeMsgID::kFatal) {
        UiServices::Prompt().MessageBox(
            QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + ProgramTitle() +
                QStringLiteral(
                    "』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。"),
            MB_OK, MB_ICONSTOP);
    } else {
        UiServices::Prompt().MessageBox(
            !err.isEmpty()
                ? err
                : QStringLiteral("何らかのエラーが発生した可能性があります。\n『") + ProgramTitle() +
                      QStringLiteral("』を一旦終了してから操作し直すことをおすすめします。"));
    }
    return 0;
}
