// The report list's printing commands.

#include "app/MainFrame.h"
#include "platform/archive/AutFile.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "reports/ExportSettingDlg.h"
#include "reports/ReportPrint.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"
#include "settings/SettingsFiles.h"

#include <QDir>
#include <QPointer>

namespace
{

// The job takes the list again whenever it prepares; a closed screen
// refuses it.
std::shared_ptr<CShimePrintDoc> MakePrintDoc(CShimeView& view, bool totalsOnly)
{
    const QPointer<CShimeView> screen(&view);
    auto document = std::make_shared<CShimePrintDoc>([screen, totalsOnly](CReportPrintSheet& sheet) {
        return screen && screen->TakePrintSheet(sheet, totalsOnly);
    });
    document->SetEndPreview([screen] {
        if (screen)
            screen->OnEndPrintPreview();
        else
            UiServices::Prompt().MessageBox(QStringLiteral("親ウィンドウが取得できません"));
    });
    return document;
}

// Opens every closed group of a grouped list, so that its details print
// as the screen then shows them.
bool ExpandClosedGroups(CReportList& list)
{
    bool changed = false;
    for (int row = list.RowCount() - 2; row >= 0; --row) {
        const CReportRow& group = list.Rows()[size_t(row)];
        if (group.kind != CReportRow::kSubtotal || group.mark != 0)
            continue;
        list.InsertGroupRows(row + 1, group.data, list.Rows()[size_t(row) + 1].data);
        list.Rows()[size_t(row)].mark = 1;
        changed = true;
    }
    return changed;
}

} // namespace

void CShimeView::OnFilePrint()
{
    // An empty list has nothing to print (its preview still shows the page).
    if (m_list.RowCount() == 0)
        return;
    int totals = 0;
    if (m_request.groupByClass && !AskExportSetting(m_request.classTotalsOnly, totals, this))
        return;
    if (m_request.groupByClass && !totals && ExpandClosedGroups(m_list))
        m_pModel->RowsChanged();
    PrintJob::PostPrint(MakePrintDoc(*this, totals != 0));
}

void CShimeView::OnFilePrintPreview()
{
    int totals = 0;
    if (m_request.groupByClass && m_list.RowCount() > 0 &&
        !AskExportSetting(m_request.classTotalsOnly, totals, this))
        return;
    if (m_request.groupByClass && !totals && ExpandClosedGroups(m_list))
        m_pModel->RowsChanged();
    PrintJob::PostPreview(MakePrintDoc(*this, totals != 0));
}

bool CShimeView::TakePrintSheet(CReportPrintSheet& sheet, bool totalsOnly) const
{
    TakeReportPrintRows(m_list, totalsOnly, sheet);
    sheet.title = m_strTitle;
    sheet.company = ReadCompanyName();
    sheet.periodText = m_strPeriodText;
    sheet.subTitle = m_strSubTitle;
    sheet.today = UiServices::Clock().Today();
    return true;
}

void CShimeView::OnEndPrintPreview()
{
    GetFrame().ShowViewToolBar(true);
}

QString CShimeView::ReadCompanyName()
{
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    if (folder.isEmpty())
        return QString();
    // A missing or damaged file prints an empty company line, silently.
    std::optional<CArchiveError::Kind> error;
    const QString text = ReadAutFile(QDir(OtherFolder(folder)).filePath(QStringLiteral("Com.aut")), &error);
    return error ? QString() : text;
}
