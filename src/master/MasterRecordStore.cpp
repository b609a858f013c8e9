#include "master/MasterRecordStore.h"
#include "platform/data/MasterKinds.h"

#include "app/MainFrame.h"
#include "platform/data/Record.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

namespace
{

// Forwards to the program's frame; without one nothing is found or written.
class CFrameStoreHost : public IMasterStoreHost
{
  public:
    int CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                           CCDSData& result) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->CheckDuplicateCode(table, field, code, result) : 0;
    }
    int InsertData(CCDSData& set, QString& err) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->GetMakeMsgID().InsertData(set, err) : CMakeMsgID::kFatal;
    }
    int UpdateData(const CCDSData& set, QString& err) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->GetMakeMsgID().UpdateData(set, err) : CMakeMsgID::kFatal;
    }
    int GetDataNum(const CCDSData& request, int& count, QString& err) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->GetMakeMsgID().GetDataNum(request, count, err) : CMakeMsgID::kFatal;
    }
    int NotifyMasterRecordAdded(const COneRecord* record) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->NotifyMasterRecordAdded(record) : 0;
    }
    COneRecord* SelectNextMasterRecord(COneRecord* record) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->SelectNextMasterRecord(record) : nullptr;
    }
    COneRecord* SelectPrevMasterRecord(COneRecord* record) override
    {
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->SelectPrevMasterRecord(record) : nullptr;
    }
    int GetMasterPrevNextState(bool& hasPrev, bool& hasNext) override
    {
        hasPrev = hasNext = false;
        CMainFrame* frame = CMainFrame::Instance();
        return frame ? frame->GetMasterPrevNextState(hasPrev, hasNext) : 0;
    }
};

void ShowFatal()
{
    UiServices::Prompt().MessageBox(
        QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + ProgramTitle() +
            QStringLiteral(
                "』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。"),
        MB_OK, MB_ICONSTOP);
}

// The library's own text, or the general advice when it gave none.
void ShowLibraryError(const QString& err)
{
    UiServices::Prompt().MessageBox(
        !err.isEmpty() ? err
                       : QStringLiteral("何らかのエラーが発生した可能性があります。\n『") + ProgramTitle() +
                             QStringLiteral("』を一旦終了してから操作し直すことをおすすめします。"),
        MB_OK, MB_ICONEXCLAMATION);
}

} // namespace

CMasterRecordStore::CMasterRecordStore()
    : m_pFrameHost(std::make_unique<CFrameStoreHost>()), m_pHost(m_pFrameHost.get())
{
}

CMasterRecordStore::CMasterRecordStore(IMasterStoreHost& host) : m_pHost(&host) {}

CMasterRecordStore::~CMasterRecordStore() = default;

QString CMasterRecordStore::GetTableName() const
{
    return m_pKind ? m_pKind->Table() : QString();
}

QString CMasterRecordStore::GetCodeFieldName() const
{
    return m_pKind ? m_pKind->CodeField() : QString();
}

int CMasterRecordStore::IsDuplicateCode(const QString& code, CCDSData& result)
{
    if (!IsKnownKind())
        return 1;
    if (m_pHost->CheckDuplicateCode(GetTableName(), GetCodeFieldName(), code, result) != 1)
        return 1;
    return result.GetCount() > 0 ? 1 : 0;
}

int CMasterRecordStore::Insert(CCDSData& set)
{
    if (!IsKnownKind())
        return 0;
    const CWaitCursor wait;
    QString err;
    const int result = m_pHost->InsertData(set, err);
    switch (result) {
    case CMakeMsgID::kOk:
        for (int i = 0; i < set.GetCount(); ++i)
            m_pHost->NotifyMasterRecordAdded(set.GetAt(i));
        UiServices::Prompt().MessageBox(QStringLiteral("\n登録しました。"), MB_OK, MB_ICONINFORMATION);
        break;
    case CMakeMsgID::kFatal:
        ShowFatal();
        break;
    case CMakeMsgID::kFailed:
        ShowLibraryError(err);
        break;
    default:
        UiServices::Prompt().MessageBox(QStringLiteral("一部のレコードを追加できませんでした。\n『") +
                                            ProgramTitle() +
                                            QStringLiteral("』を一旦終了してから操作し直してください。"),
                                        MB_OK, MB_ICONEXCLAMATION);
        break;
    }
    return result;
}

int CMasterRecordStore::Update(const CCDSData& set, bool showDone)
{
    if (!IsKnownKind())
        return 0;
    const CWaitCursor wait;
    QString err;
    const int result = m_pHost->UpdateData(set, err);
    if (result == CMakeMsgID::kOk) {
        if (showDone)
            UiServices::Prompt().MessageBox(QStringLiteral("\n修正しました。"), MB_OK, MB_ICONINFORMATION);
    } else if (result == CMakeMsgID::kFatal) {
        ShowFatal();
    } else {
        ShowLibraryError(err);
    }
    return result;
}

int CMasterRecordStore::GetCount(const CCDSData& request, int& count, QString& err)
{
    return m_pHost->GetDataNum(request, count, err);
}

int CMasterRecordStore::NotifyAdded(const COneRecord* record)
{
    return m_pHost->NotifyMasterRecordAdded(record);
}

COneRecord* CMasterRecordStore::SelectNextRecord(COneRecord* record)
{
    return m_pHost->SelectNextMasterRecord(record);
}

COneRecord* CMasterRecordStore::SelectPrevRecord(COneRecord* record)
{
    return m_pHost->SelectPrevMasterRecord(record);
}

void CMasterRecordStore::GetPrevNextState(bool& hasPrev, bool& hasNext)
{
    hasPrev = hasNext = false;
    m_pHost->GetMasterPrevNextState(hasPrev, hasNext);
}
