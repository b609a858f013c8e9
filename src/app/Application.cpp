#include "app/Application.h"

#include "app/MainFrame.h"
#include "app/PasswordDialog.h"
#include "app/Startup.h"
#include "app/View.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/Password.h"
#include "platform/ui/Help.h"
#include "platform/ui/PopupPlacement.h"
#include "platform/ui/PrintJob.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/Translation.h"
#include "platform/ui/UiServices.h"
#include "resources/CommandIds.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>

CTollavineApp::CTollavineApp(std::unique_ptr<IStartupServices> services)
    : m_pServices(services ? std::move(services) : std::make_unique<CStartupServices>())
{
    MapCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
    MapCommand(ID_PASSWORD, [this] { OnPassword(); });
    MapCommand(ID_HELP_FINDER, [] { ShowHelpTopic(kHelpContents); });
    MapCommand(ID_HELP_SUPPORT, [] { ShowHelpTopic(1106); });
    MapCommand(ID_HELP_QA, [] { ShowHelpTopic(1101); });
    MapCommand(ID_HELP_PAPER, [] { ShowHelpTopic(1109); });
    MapCommand(ID_FILE_PRINT_SETUP, [] { PrintJob::OnFilePrintSetup(); });
}

CTollavineApp::~CTollavineApp()
{
    ExitInstance();
}

bool CTollavineApp::InitInstance()
{
    if (!CStartup(*m_pServices).Run())
        return false;
    CMainFrame::SetApplicationTarget(this);
    m_pFrame = std::make_unique<CMainFrame>();
    if (!m_pFrame->Create()) {
        m_pFrame.reset();
        m_pServices->ReleaseLocks();
        return false;
    }
    m_pFrame->show();
    return true;
}

int CTollavineApp::ExitInstance()
{
    const bool failed = m_pFrame && m_pFrame->ConnectFailed();
    // The frame lets go of the database before the locks go.
    m_pFrame.reset();
    CMainFrame::SetApplicationTarget(nullptr);
    m_pServices->ReleaseLocks();
    return failed ? 1 : 0;
}

QString CTollavineApp::FormatVersion(int version)
{
    const QString digits = QString::asprintf("%3d", version);
    return digits.left(1) + u'.' + digits.right(2);
}

void CTollavineApp::OnAppAbout()
{
    QDialog about(m_pFrame.get());
    about.setWindowTitle(QStringLiteral("Tollavineのﾊﾞｰｼﾞｮﾝ情報"));
    auto* layout = new QVBoxLayout(&about);
    layout->addWidget(new QLabel(
        ProgramTitle() + QStringLiteral("    Version ") + FormatVersion(CArdoEnv().GetVersion()), &about));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(buttons);
    FitWindowTitle(about);
    about.exec();
}

void CTollavineApp::OnPassword()
{
    CNWPassCheck check([](QString& password) { return AskPassword(password); },
                       [](QString& password) { return AskNewPassword(password); });
    if (check.SetPassWord() == -1)
        UiServices::Prompt().MessageBox(
            QStringLiteral("パスワード設定ファイルに問題があります。\nパスワードを設定できません。"));
    if (m_pFrame && m_pFrame->GetActiveView())
        m_pFrame->GetActiveView()->update();
}

int RunApplication(int argc, char* argv[])
{
    // Qt's file pickers write dates and sizes as the locale read here says.
    CQtJapaneseLocale japanese;
    QApplication app(argc, argv);
    japanese.Restore();
    QApplication::setApplicationName(QStringLiteral("Corvanta"));
    InstallQtTranslation(app);
    KeepPopupsOnScreen(app);
    // Developer aid: a picture of the whole screen a few seconds after the
    // start, then the process ends (for checking the screens headless).
    if (const QString shot = qEnvironmentVariable("CORVANTA_SCREENSHOT"); !shot.isEmpty()) {
        QTimer::singleShot(3000, [shot] {
            QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
            std::_Exit(0);
        });
    }
    CTollavineApp theApp;
    if (!theApp.InitInstance())
        return 1;
    const int code = app.exec();
    const int exitCode = theApp.ExitInstance();
    return code != 0 ? code : exitCode;
}
