#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "master/MasterList.h"
#include "master/MasterModule.h"
#include "master/MasterView.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/FakePrintDialogs.h"
#include "platform/ui/FakeUi.h"
#include "resources/CommandIds.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

// The list-print commands from the customer list: the questions, then a
// queued preview of the selected rows. The job keeps its own copies, so a
// reload of the list between two paintings of the preview draws the same
// pages; its print button prepares again and refuses an empty selection.
TEST(MasterViewPrint, PreviewSurvivesAReloadAndItsPrintButtonPreparesAgain)
{
    RegisterMasterViews(CViewRegistry::Instance());
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ASSERT_FALSE(home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
    ScopedFakeUi ui;
    auto frame = std::make_unique<CMainFrame>();
    ASSERT_TRUE(frame->Create());
    Pump();
    QString err;
    ASSERT_EQ(
        frame->GetMakeMsgID().Execute(
            QStringLiteral("INSERT INTO Customer(CustomerCode, Company) VALUES ('C1', '甲'), ('C2', '乙'),"
                           "('C3', '丙'), ('C4', '丁')"),
            err),
        1);
    frame->SwitchView(2);
    Pump();
    auto* view = qobject_cast<CMasterView*>(frame->GetActiveView());
    ASSERT_TRUE(view);
    int choices = 0;
    const ChoiceDialogRunner old = SetChoiceDialogRunner([&choices](int, int& choice) {
        ++choices;
        choice = 0;
        return int(IDOK);
    });

    QTemporaryDir dir;
    CFakePrintDialogs dialogs;
    dialogs.m_strPreviewPdf = dir.filePath(QStringLiteral("preview.pdf"));
    dialogs.m_strPdf = dir.filePath(QStringLiteral("print.pdf"));
    dialogs.m_bPreviewPrints = true;
    dialogs.m_betweenPaints = [view] {
        view->Reload(true); // the list's records are made anew
        view->ListControl()->selectionModel()->clear();
    };

    EXPECT_TRUE(frame->QueryCommandState(ID_MASTER_PRINT_PREVIEW).enabled);
    view->ListControl()->selectAll();
    const int rows = int(view->GetSelectedRows().size());
    ASSERT_GE(rows, 4);
    ui.Prompt().QueueAnswers({IDYES});
    view->OnCmdMsg(ID_MASTER_PRINT_PREVIEW);
    EXPECT_EQ(dialogs.m_nPreviews, 0); // posted, not run inside the command
    Pump();
    EXPECT_EQ(dialogs.m_nPreviews, 1);
    EXPECT_EQ(choices, 1);
    // Both paintings drew the two pages of the rows selected when it started.
    EXPECT_EQ(PdfPageCount(dialogs.m_strPreviewPdf), 2);
    const QFileInfo first(dialogs.m_strPreviewPdf),
        again(dialogs.m_strPreviewPdf + QStringLiteral(".again.pdf"));
    EXPECT_GT(first.size(), 0);
    EXPECT_EQ(again.size(), first.size());
    EXPECT_TRUE(dialogs.m_offered.isEmpty()); // the new job refused before its dialog
    EXPECT_EQ(ui.Prompt().Texts(),
              (QStringList{QStringLiteral("選択されている%1件の情報を印刷します。よろしいですか？").arg(rows),
                           QStringLiteral("印刷するデータを選択してください。\n")}));

    // Labels need a selection; printing does not.
    EXPECT_FALSE(frame->QueryCommandState(ID_MASTER_LABEL_PRINT).enabled);
    EXPECT_TRUE(frame->QueryCommandState(ID_MASTER_PRINT).enabled);
    ui.Prompt().Clear();
    view->OnCmdMsg(ID_MASTER_PRINT);
    Pump();
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("印刷するデータを選択してください。\n")});
    SetChoiceDialogRunner(old);
    frame.reset();
}
