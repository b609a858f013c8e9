#include "app/AppHome.h"
#include "app/ExchangePorts.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeModule.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>

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

// The closing list's rows into a workbook shown on screen (nothing asked),
// then into a CSV file after the format and the file.
TEST(ReportExport, TheListIntoAWorkbookOnScreenAndIntoAFile)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    const QString folder = home.AddCurrentDatabase(QStringLiteral("本社"));
    RegisterReportViews(CViewRegistry::Instance());
    RegisterExchangeCommands();
    auto frame = std::make_unique<CMainFrame>();
    ASSERT_TRUE(frame->Create());
    Pump();
    QString err;
    for (const char* sql :
         {"INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, TaxRoundType) VALUES"
          "('K001', '青葉商事', '', '', 25, 2), ('K002', '赤坂\"物産', '', '', 25, 1)",
          "INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
          "Total, "
          "SeikyuID) VALUES ('S1', '2004-05-10', 'K001', 0, 1, 12340000, 12340000, 0, 12340000, 0),"
          "('S2', '2004-05-12', 'K002', 0, 1, 100000000, 100000000, 0, 100000000, 0)"}) {
        QString err;
        ASSERT_EQ(frame->GetMakeMsgID().Execute(QString::fromUtf8(sql), err), 1) << err.toStdString();
    }
    frame->m_dtCalendarDate = QDate(2004, 5, 25);
    frame->m_nCalendarCloseDay = 25;
    frame->SwitchView(8);
    Pump();
    auto* view = qobject_cast<CShimeView*>(frame->GetActiveView());
    ASSERT_TRUE(view);
    ASSERT_EQ(view->List().RowCount(), 2);
    ASSERT_TRUE(frame->QueryCommandState(ID_REPORT_EXCEL).enabled);

    QList<QUrl> opened;
    const UrlOpener old = SetUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    frame->ExecuteCommand(ID_REPORT_EXCEL);
    SetUrlOpener(old);
    EXPECT_TRUE(dialogs.Log().isEmpty()) << "nothing asked";
    ASSERT_EQ(opened.size(), 1);
    CExcelApp reader;
    reader.SetPath(opened.first().toLocalFile());
    CImportRows rows;
    ASSERT_EQ(reader.ReadSheet(&rows), 1);
    ASSERT_EQ(rows.size(), 4) << "captions and two records";
    const int codeColumn = int(rows[1].indexOf(view->List().Columns()[1].m_strCaption));
    ASSERT_GT(codeColumn, 0);
    EXPECT_EQ(rows[2][codeColumn], QStringLiteral("K001"));
    EXPECT_EQ(rows[3][codeColumn], QStringLiteral("K002"));
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("書き出しを完了しました。")});

    // Asking the format (mode 3: Excel or text) and the file.
    ui.Prompt().Clear();
    const QString csv = QDir(folder).filePath(QStringLiteral("list.csv"));
    dialogs.QueueFormatChoice(CImportFormatRules::kText);
    ui.Prompt().QueueFiles({csv});
    frame->ExecuteCommand(ID_REPORT_EXPORT);
    EXPECT_EQ(dialogs.Log().value(1), QStringLiteral("ImportFormat 3 -> IDOK"));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = Cp932::Decode(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[2].contains(QStringLiteral("\"赤坂\"\"物産\""))) << lines[2].toStdString();
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("書き出しを完了しました。")});
    frame.reset();
    SetReportExportHandler({});
}
