#include "SlipTestDb.h"

#include "app/SlipPeriod.h"
#include "slips/HeaderView.h"
#include "slips/SlipExtractDlg.h"
#include "slips/SlipList.h"
#include "slips/SlipListRules.h"
#include "slips/SlipsModule.h"

#include "app/FindDialog.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/ui/Modal.h"
#include "resources/CommandIds.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class HeaderViewTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterSlipViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        ASSERT_FALSE(m_home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
        m_start = GetDefaultPeriodStart(m_ui.Clock().Today());
        auto day = [&](int offset) { return m_start.addDays(offset).toString(Qt::ISODate); };
        QString err;
        ASSERT_EQ(m_frame->GetMakeMsgID().Execute(
                      QStringLiteral(
                          "INSERT INTO Sales_H(ID, Date, No, CustomerCode, Company, DenpyoType, Total, "
                          "SeikyuID) VALUES"
                          "(1, '%1', 'S-2', 'C1', 'いろは', 0, 10000000, 0), (2, '%2', 'S-1', 'C2', 'ABC', "
                          "0, 0, 0),"
                          "(3, '%3', 'S-3', 'C1', 'いろは', 0, 0, 0), (4, '%4', 'S-4', 'C1', 'x', 1, 0, 0),"
                          "(5, '%5', 'S-0', 'C1', 'old', 0, 0, 0)")
                          .arg(day(0), day(5), day(1), day(2), day(-1)),
                      err),
                  1)
            << err.toStdString();
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }
    CHeaderView* Show(int kind)
    {
        m_frame->SwitchView(kind);
        Pump();
        return qobject_cast<CHeaderView*>(m_frame->GetActiveView());
    }
    QStringList Column(CHeaderView* view, int column)
    {
        QStringList texts;
        const QAbstractItemModel* model = view->ListControl()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
    QDate m_start;
};

} // namespace

// The sales list of the default period: newest first, the labels, the
// money with separators, a header click, a find without a hit.
TEST_F(HeaderViewTest, SalesListOfTheDefaultPeriod)
{
    CHeaderView* view = Show(5);
    ASSERT_TRUE(view);
    EXPECT_TRUE(m_frame->windowTitle().endsWith(QStringLiteral("－売上一覧")));
    EXPECT_EQ(view->PeriodLabel()->text(),
              QStringLiteral("期間 : ") + SlipLabelDate(m_start) + QStringLiteral("～"));
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数 : 3件"));
    EXPECT_EQ(Column(view, 2), (QStringList{"S-1", "S-3", "S-2"}));
    EXPECT_EQ(Column(view, 9).value(2), QStringLiteral("1,000"));
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{0});
    EXPECT_EQ(m_frame->QueryCommandState(ID_SLIP_EXPORT).enabled, true);
    EXPECT_EQ(m_frame->QueryCommandState(ID_SLIP_MODIFY).enabled, true);

    view->OnColumnClick(2);
    EXPECT_EQ(Column(view, 2), (QStringList{"S-1", "S-2", "S-3"}));
    view->OnColumnClick(5); // the next click on any header sorts descending
    EXPECT_EQ(Column(view, 5), (QStringList{"C2", "C1", "C1"}));

    CFindRequest find;
    find.findWhat = QStringLiteral("いろは"); // from the row after the selected one
    EXPECT_EQ(view->OnFindRequest(find), 1);
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{1});
    find.findWhat = QStringLiteral("zzz");
    EXPECT_EQ(view->OnFindRequest(find), 1);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{QStringLiteral("検索が終了しました。\n")});
}

// The menu screen's 売上伝票抽出: the dialog, then the list of the
// extraction, used once; the list's own 抽出解除 brings the period back.
TEST_F(HeaderViewTest, MenuExtractionHandsOverOnce)
{
    int runs = 0;
    ScopedModalRunner runner([&](QDialog& dialog) {
        auto* extract = qobject_cast<CSlipExtractDlg*>(&dialog);
        if (!extract)
            return int(QDialog::Rejected);
        ++runs;
        if (runs == 1) {
            extract->CodeEdit()->setText(QStringLiteral("C1"));
            extract->accept();
        } else {
            extract->OnRelease();
        }
        return dialog.result();
    });
    m_frame->ExecuteCommand(ID_SALES_EXTRACT);
    Pump();
    auto* view = qobject_cast<CHeaderView*>(m_frame->GetActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(view->List()->IsExtracted());
    EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("期間 : 指定なし"));
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数 : 3件"));

    view->OnExtract();
    EXPECT_FALSE(view->List()->IsExtracted());
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数 : 3件"));
    EXPECT_EQ(view->PeriodLabel()->text(),
              QStringLiteral("期間 : ") + SlipLabelDate(m_start) + QStringLiteral("～"));

    // The next list opens with the default period.
    m_frame->SwitchView(0);
    Pump();
    CHeaderView* again = Show(5);
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->List()->IsExtracted());
}
