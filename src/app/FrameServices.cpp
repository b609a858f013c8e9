// The frame's services for the list screens and the entry dialogs: launcher,
// slip-form program, web pages, code lookup, master-list relays, find dialog,
// list font and the active extraction.
#include "app/FindDialog.h"
#include "app/MainFrame.h"
#include "app/View.h"
#include "app/ViewRegistry.h"
#include "platform/data/ExCondition.h"
#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"
#include "platform/env/DBDirMng.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

int CMainFrame::RunExe(const QString& path, const QString& args)
{
    return ::RunExe(path, args);
}

int CMainFrame::OpenSlipForm(int kind, const QString& text, long layout)
{
    return SlipForm::OpenSlipForm(kind, text, layout);
}

int CMainFrame::RunSlipFormProgram(const QString& commandLine)
{
    return SlipForm::RunSlipFormProgram(commandLine);
}

int CMainFrame::PutSlipListOnClipboard(const CFormPrintList* list, long layout)
{
    return SlipForm::PutSlipListOnClipboard(list, layout);
}

int CMainFrame::OpenUrl(const QString& url)
{
    QString message;
    int result;
    {
        CWaitCursor wait;
        result = ::OpenUrl(url, &message);
    }
    if (!message.isEmpty())
        UiServices::Prompt().MessageBox(message);
    return result;
}

int CMainFrame::CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                                   CCDSData& result)
{
    if (code.isEmpty())
        return 0;
    int rc;
    {
        CWaitCursor wait;
        CCDSData request;
        request.m_strTable = table;
        request.m_strCondition = QStringLiteral("WHERE %1='%2'").arg(field, SqlQuote(code));
        QString err;
        rc = m_MakeMsgID.GetDataList(request, result, err);
    }
    if (rc == CMakeMsgID::kOk)
        return 1;
    const QString title = ProgramTitle();
    if (rc == CMakeMsgID::kFatal)
        UiServices::Prompt().MessageBox(
            QStringLiteral("処理中に重大なエラーが発生しました。このまま『") + title +
                QStringLiteral(
                    "』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。"),
            MB_OK, MB_ICONSTOP);
    else
        UiServices::Prompt().MessageBox(
            QStringLiteral(
                "データの二重登録チェックに失敗しました。何らかのエラーが発生した可能性があります。\n『") +
            title + QStringLiteral("』を一旦終了してから操作し直すことをおすすめします。"));
    return 0;
}

// ---------------------------------------------------------------------------
// Master-list relays: only while a master list is shown.

IMasterList* CMainFrame::ActiveMasterList() const
{
    if (m_nViewKind < 1 || m_nViewKind > 3)
        return nullptr;
    CView* view = GetActiveView();
    return view ? view->GetMasterList() : nullptr;
}

int CMainFrame::NotifyMasterRecordAdded(const COneRecord* record)
{
    IMasterList* view = ActiveMasterList();
    if (!view || !record)
        return 0;
    return view->UpdateRecord(*record) ? 1 : 0;
}

int CMainFrame::NotifyMasterRecordsAdded(const CCDSData& set)
{
    int accepted = 0;
    for (int i = 0; i < set.GetCount(); ++i) {
        if (const COneRecord* record = set.GetAt(i); record && NotifyMasterRecordAdded(record))
            ++accepted;
    }
    return accepted;
}

COneRecord* CMainFrame::SelectNextMasterRecord(COneRecord* record)
{
    IMasterList* view = ActiveMasterList();
    return view ? view->SelectNextRecord(record) : nullptr;
}

COneRecord* CMainFrame::SelectPrevMasterRecord(COneRecord* record)
{
    IMasterList* view = ActiveMasterList();
    return view ? view->SelectPrevRecord(record) : nullptr;
}

int CMainFrame::GetMasterPrevNextState(bool& hasPrev, bool& hasNext)
{
    IMasterList* view = ActiveMasterList();
    return view ? view->GetPrevNextState(hasPrev, hasNext) : 0;
}

// ---------------------------------------------------------------------------
// Find dialog

void CMainFrame::OnEditFind()
{
    if (m_pFindDialog) {
        m_pFindDialog->raise();
        m_pFindDialog->activateWindow();
        return;
    }
    if (m_nViewKind < 1 || m_nViewKind > kMaxViewKind)
        return;
    m_pFindDialog = new CFindDialog(this);
    connect(m_pFindDialog, &CFindDialog::Request, this,
            [this](const CFindRequest& request) { OnFindReplace(request); });
    m_pFindDialog->show();
}

long CMainFrame::OnFindReplace(const CFindRequest& request)
{
    if (!m_pFindDialog)
        return 0;
    if (request.isTerminating) {
        m_pFindDialog->disconnect(this);
        m_pFindDialog->deleteLater();
        m_pFindDialog = nullptr;
        return 1;
    }
    CView* view = GetActiveView();
    if (m_nViewKind >= 1 && m_nViewKind <= kMaxViewKind && view)
        return view->OnFindRequest(request);
    return 0;
}

// ---------------------------------------------------------------------------
// List font

void CMainFrame::SetListFont(QWidget* window, bool redraw)
{
    if (!window || !m_bListFontCreated)
        return;
    window->setFont(m_ListFont);
    if (redraw)
        window->update();
}

void CMainFrame::MoveAndSetListFont(QWidget* window, const QRect& rect, const QFont* font, bool repaint,
                                    bool redraw)
{
    if (!window)
        return;
    window->setGeometry(rect);
    if (repaint)
        window->update();
    if (font)
        window->setFont(*font);
    else if (m_bListFontCreated)
        window->setFont(m_ListFont);
    else
        return;
    if (redraw)
        window->update();
}

// ---------------------------------------------------------------------------
// Active master extraction

void CMainFrame::SetExtractCondition(std::unique_ptr<CExCondition> condition, int takenOver)
{
    ReleaseExtractCondition();
    m_pExCondition = std::move(condition);
    m_bExtract = m_pExCondition ? takenOver : 0;
}

void CMainFrame::ReleaseExtractCondition()
{
    m_pExCondition.reset();
    m_bExtract = 0;
}
