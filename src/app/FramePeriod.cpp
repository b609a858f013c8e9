// The frame's current period, calendar data, database name and environment
// settings.
#include "app/EnvSettingsDlg.h"
#include "app/MainFrame.h"
#include "app/Period.h"
#include "app/View.h"
#include "app/ViewRegistry.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

void CMainFrame::SetCurrentPeriod()
{
    const CCurrentPeriod period =
        ComputeCurrentPeriod(UiServices::Clock().Today(), int(m_EnvSettings.m_nCalendarStartDays));
    SetPeriod(period.m_start, period.m_end);
}

void CMainFrame::SetPeriod(const QDate& start, const QDate& end)
{
    m_dtPeriodStart = start;
    m_dtPeriodEnd = end;
}

int CMainFrame::ReloadCalendar()
{
    QString err;
    // A read the user stopped leaves the calendar without marks, as they
    // asked: nothing failed that they need to be told of.
    bool stopped = false;
    const bool read =
        ::ReloadCalendar(m_MakeMsgID, m_dtPeriodStart, m_dtPeriodEnd, m_CalendarData, err, &stopped);
    return read || stopped ? 1 : 0;
}

int CMainFrame::GetCurrentDatabaseName()
{
    return ::GetCurrentDatabaseName(CDBDirMng(), m_strDatabaseName) ? 1 : 0;
}

QDate CMainFrame::GetLastCarryForwardDate()
{
    return ::GetLastCarryForwardDate(m_MakeMsgID);
}

namespace
{

QString CurrentSettingsPath()
{
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    return CEnvSettings::FilePath(folder);
}

} // namespace

int CMainFrame::LoadSettings()
{
    // The settings belong to one database: after a switch, what the new
    // database's file does not hold is the default, not the previous value.
    m_EnvSettings = CEnvSettings();
    const QString path = CurrentSettingsPath();
    const CEnvSettings::LoadResult result = m_EnvSettings.Load(path);
    if (result == CEnvSettings::kShort || result == CEnvSettings::kUnreadable)
        UiServices::Prompt().MessageBox(
            QStringLiteral(
                "設定ファイル<%1>を読み込めませんでした。\n読み込めなかった設定には既定値を使います。")
                .arg(path),
            MB_OK, MB_ICONEXCLAMATION);
    RecreateListFont();
    if (result == CEnvSettings::kMissing)
        SaveSettings();
    return result == CEnvSettings::kLoaded || result == CEnvSettings::kMissing;
}

int CMainFrame::SaveSettings(QString* why)
{
    return m_EnvSettings.Save(CurrentSettingsPath(), why);
}

void CMainFrame::RecreateListFont()
{
    m_ListFont = m_EnvSettings.ListFont();
    m_bListFontCreated = true;
}

void CMainFrame::OnEnvSettings()
{
    CEnvSettingDlg dialog(m_EnvSettings, this);
    if (dialog.exec() == QDialog::Accepted)
        ApplyEnvSettings(dialog.Settings());
}

void CMainFrame::ApplyEnvSettings(const CEnvSettings& settings)
{
    const bool startMoved = settings.m_nCalendarStartDays != m_EnvSettings.m_nCalendarStartDays;
    m_EnvSettings = settings;
    RecreateListFont();
    if (startMoved) {
        SetCurrentPeriod();
        if (!ReloadCalendar())
            UiServices::Prompt().MessageBox(QStringLiteral("カレンダーのデータ取得に失敗しました。"));
        // Also after a failed reload: its data is gone, so the old marks must go too.
        if (m_nViewKind == 0) {
            m_nCalendarScrollPos = 0;
            ResetMenuCalendar(GetActiveView());
        }
    }
    if (QString why; !SaveSettings(&why))
        UiServices::Prompt().MessageBox(QStringLiteral("設定情報の保存に失敗しました。\n") + why, MB_OK,
                                        MB_ICONEXCLAMATION);
    if (CView* view = GetActiveView())
        view->OnEnvSettingsChanged();
}
