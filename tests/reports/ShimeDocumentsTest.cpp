// The documents the report list hands to the slip-form program: the work
// tables it fills, the command lines it starts and the clipboard batches.

#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/Record.h"
#include "platform/forms/SelForm.h"
#include "platform/forms/SlipFormCommand.h"
#include "platform/forms/SlipListBlock.h"
#include "platform/ipc/ClipboardFormats.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/ui/FakeUi.h"
#include "reports/ClosingController.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

#include "RecordingScreen.h"
#include "ShimeTestSupport.h"
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLabel>

#include <gtest/gtest.h>

namespace
{

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

class ShimeDocumentsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        ASSERT_FALSE(m_home.AddCurrentDatabase(Q("本社")).isEmpty());
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
        m_oldLauncher = SetProcessLauncher([this](const QString&, const QString& text) {
            m_launched << text;
            return true;
        });
        // Money columns hold ten-thousandths.
        Exec("INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, Collect, Zip, Address) VALUES "
             "('K001', '青葉商事', '', '', 25, 50000 * 10000, '100-0001', '東京都千代田区'), "
             "('K002', '赤坂物産', '営業部', '', 25, 0, '', ''), "
             "('K003', '九段工業', '', '', 25, 0, '', ''), ('K004', '四谷商会', '', '', 25, 0, '', '')");
        Exec("INSERT INTO Supplier(SupplierCode, Company, Section, Name, Day, Collect) VALUES "
             "('S001', '丸の内製作所', '', '', 20, 7000 * 10000)");
    }
    void TearDown() override
    {
        SetProcessLauncher(m_oldLauncher);
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }
    void Exec(const char* sql) { Exec(Q(sql)); }
    void Exec(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_frame->GetMakeMsgID().Execute(sql, err), 1) << err.toStdString();
    }
    // Every row of a statement, its fields joined by '|'.
    QStringList Rows(const char* sql) { return Rows(Q(sql)); }
    QStringList Rows(const QString& sql)
    {
        CCDSData request, result;
        request.m_strCondition = sql;
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1) << err.toStdString();
        QStringList rows;
        for (int r = 0; r < result.GetCount(); ++r) {
            QStringList fields;
            for (int f = 0; f < result.GetAt(r)->GetCount(); ++f)
                fields << result.GetAt(r)->GetAt(f)->GetText();
            rows << fields.join(u'|');
        }
        return rows;
    }
    CShimeView* Show(int kind)
    {
        m_frame->SwitchView(0);
        Pump();
        m_frame->SwitchView(kind, m_request);
        Pump();
        return qobject_cast<CShimeView*>(m_frame->GetActiveView());
    }
    static void Select(CShimeView& view, const QList<int>& rows)
    {
        QItemSelectionModel* selection = view.ListCtrl()->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(view.ListCtrl()->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
    // The conditions Show opens its list with.
    CReportRequest m_request;
    ProcessLauncher m_oldLauncher;
    QStringList m_launched;
};

} // namespace

// Receipts 57, 12 and 90, shown in that order, become vouchers 1-3 with
// their lines pointing at the new numbers; a failing line insert leaves the
// previous work rows and starts nothing; more receipts than one body
// request holds still bring every line.
TEST_F(ShimeDocumentsTest, ReceiptVouchersRenumberedAndWrittenWhole)
{
    Exec("INSERT INTO Receipt_H(ID, No, \"Date\", CustomerCode, Amount, MyPerson, SeikyuID, Bill, CloseID) "
         "VALUES "
         "(57, 'R057', '2024-03-30', 'K001', 30000 * 10000, '山田', 0, 0, 0), "
         "(12, 'R012', '2024-03-20', 'K002', 12000 * 10000, '', 0, 0, 0), "
         "(90, 'R090', '2024-03-10', 'K003', 9000 * 10000, '', 0, 0, 0)");
    Exec("INSERT INTO Receipt_B(HeaderID, LineNo, Code, Amount, Contents, DraftNo, DraftDate) VALUES "
         "(57, 1, '現金', 20000 * 10000, '', '', NULL), (57, 2, '手形', 10000 * 10000, '3月分', 'D-1', "
         "'2024-06-30'), "
         "(12, 1, '振込', 11000 * 10000, '', '', NULL), (12, 2, '手数料', 1000 * 10000, '', '', NULL), "
         "(12, 3, '値引', 0, '端数', '', NULL), (90, 1, '現金', 9000 * 10000, '', '', NULL)");
    // 300 older receipts of one line each, beyond one body request.
    Exec("WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 399) "
         "INSERT INTO Receipt_H(ID, No, \"Date\", CustomerCode, Amount, SeikyuID, Bill, CloseID) "
         "SELECT i, printf('X%03d', i), '2024-02-01', 'K004', 10000 * 10000, 0, 0, 0 FROM n");
    Exec("INSERT INTO Receipt_B(HeaderID, LineNo, Code, Amount) SELECT ID, 1, '現金', 10000 * 10000 FROM "
         "Receipt_H "
         "WHERE ID >= 100");
    Exec("INSERT INTO WReceipt_H(ID, No) VALUES (7, 'old')");
    Exec("INSERT INTO WReceipt_B(ID, HeaderID, LineNo, Code) VALUES (70, 7, 1, 'old')");

    CShimeView* view = Show(14);
    ASSERT_TRUE(view);
    ASSERT_GE(view->List().RowCount(), 303);
    CFirstForm forms;
    m_frame->ExecuteCommand(ID_REPORT_RECEIPT_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({Q("印刷するデータを選択してください。")}));
    m_ui.Prompt().Clear();

    Select(*view, {0, 1, 2});
    Exec("CREATE TRIGGER refuse_lines BEFORE INSERT ON WReceipt_B BEGIN SELECT RAISE(ABORT, "
         "'書き込めません'); END");
    m_frame->ExecuteCommand(ID_REPORT_RECEIPT_PRINT);
    ASSERT_EQ(m_ui.Prompt().Texts().size(), 1);
    EXPECT_TRUE(m_ui.Prompt().Texts()[0].startsWith(Q("データの追加に失敗しました(B)。")))
        << m_ui.Prompt().Texts()[0].toStdString();
    EXPECT_EQ(Rows("SELECT ID, No FROM WReceipt_H"), QStringList({"7|old"}));
    EXPECT_EQ(Rows("SELECT ID, HeaderID, Code FROM WReceipt_B"), QStringList({"70|7|old"}));
    EXPECT_TRUE(m_launched.isEmpty());
    m_ui.Prompt().Clear();

    Exec("DROP TRIGGER refuse_lines");
    m_frame->ExecuteCommand(ID_REPORT_RECEIPT_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
    EXPECT_EQ(
        Rows("SELECT ID, No, CustomerCode, Company, Zip, Amount, Company_Section_Name FROM WReceipt_H ORDER "
             "BY ID"),
        QStringList({"1|R057|K001|青葉商事|100-0001|30000|青葉商事",
                     "2|R012|K002|赤坂物産||12000|赤坂物産 営業部", "3|R090|K003|九段工業||9000|九段工業"}));
    EXPECT_EQ(Rows("SELECT HeaderID, LineNo, Code, Amount, Contents, DraftNo, DraftDate FROM WReceipt_B "
                   "ORDER BY HeaderID, LineNo"),
              QStringList({"1|1|現金|20000|||", "1|2|手形|10000|3月分|D-1|2024/06/30", "2|1|振込|11000|||",
                           "2|2|手数料|1000|||", "2|3|値引|0|端数||", "3|1|現金|9000|||"}));
    EXPECT_EQ(forms.m_kinds, QList<int>({10}));
    EXPECT_EQ(m_launched, QStringList({" /L:1001 /C:10 /W:"}));

    // Every receipt shown: one voucher per receipt, each with its one line.
    ASSERT_TRUE(view->SelectAllRows());
    m_frame->ExecuteCommand(ID_REPORT_RECEIPT_PRINT);
    EXPECT_EQ(Rows("SELECT COUNT(*), MIN(ID), MAX(ID) FROM WReceipt_H"), QStringList({"303|1|303"}));
    EXPECT_EQ(Rows("SELECT COUNT(*), COUNT(DISTINCT HeaderID) FROM WReceipt_B"), QStringList({"306|303"}));
    // The last row (the oldest receipt, X100) is voucher 303.
    EXPECT_EQ(Rows("SELECT H.No, B.Amount FROM WReceipt_H H JOIN WReceipt_B B ON B.HeaderID = H.ID WHERE "
                   "H.ID = 303"),
              QStringList({"X100|10000"}));
}

// Ledgers from the receivable balances with two partners, from the payable
// balances with a supplier, and from a ledger screen with its carried-over
// balance; the refusals before any work.
TEST_F(ShimeDocumentsTest, LedgersFromBalanceListsAndFromALedger)
{
    Exec("INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, "
         "SeikyuID) VALUES ('S1', '2024-02-10', 'K002', 0, 1, 800000000, 800000000, 0, 800000000, 0), "
         "('S2', '2024-03-05', 'K001', 0, 1, 100000000, 100000000, 0, 100000000, 0)");
    Exec("INSERT INTO Sales_B(HeaderID, LineNo, \"Date\", CustomerCode, ItemType, ItemName, Number, Price, "
         "Amount) "
         "SELECT ID, 1, \"Date\", CustomerCode, 0, '品物', 1, Total, Total FROM Sales_H");
    m_request.from = QDate(2024, 3, 1);
    m_request.to = QDate(2024, 3, 31);
    CShimeView* view = Show(23);
    ASSERT_TRUE(view);
    ASSERT_GE(view->List().RowCount(), 2);
    CFirstForm forms;
    m_frame->ExecuteCommand(ID_LIST_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({Q("データを選択してください。")}));
    m_ui.Prompt().Clear();

    QList<int> rows;
    for (int r = 0; r < view->List().RowCount(); ++r) {
        const COneRecord* record = view->List().Rows()[size_t(r)].record;
        const CTb* code = record ? record->GetOneField(QString(), Q("CustomerCode")) : nullptr;
        if (code && (code->GetText() == Q("K001") || code->GetText() == Q("K002")))
            rows << r;
    }
    ASSERT_EQ(rows.size(), 2);
    Select(*view, rows);
    m_frame->ExecuteCommand(ID_LIST_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
    const QString term = view->PeriodLabel()->text();
    ASSERT_TRUE(term.startsWith(Q("期間：")));
    EXPECT_EQ(
        Rows("SELECT ID, CustomerCode, Name, Term, LastCollect FROM WMotocho_H ORDER BY ID"),
        QStringList({"1|K001|青葉商事|" + term + "|50000", "2|K002|赤坂物産 営業部|" + term + "|80000"}));
    // K001's March slip on top of its 50,000 brought forward.
    EXPECT_EQ(
        Rows("SELECT H.CustomerCode, B.\"No\", B.Amount, B.Balance FROM WMotocho_B B JOIN WMotocho_H H ON "
             "H.ID = B.HeaderID ORDER BY B.ID"),
        QStringList({"K001|S2|10000|60000"}));
    EXPECT_EQ(m_launched, QStringList({" /L:801 /C:8 /W:"}));

    // The supplier's code goes into the one code field.
    view = Show(24);
    ASSERT_TRUE(view);
    ASSERT_GE(view->List().RowCount(), 1);
    ASSERT_EQ(view->List().Rows()[0].record->GetOneField(QString(), Q("SupplierCode"))->GetText(), Q("S001"));
    Select(*view, {0});
    m_frame->ExecuteCommand(ID_LIST_PRINT);
    EXPECT_EQ(Rows("SELECT ID, CustomerCode, Name, LastCollect FROM WMotocho_H"),
              QStringList({"1|S001|丸の内製作所|7000"}));
    EXPECT_EQ(m_launched.value(1), Q(" /L:901 /C:9 /W:"));

    // A ledger screen prints its partner with the carried-over balance the
    // head record gave its first row.
    view = Show(45);
    ASSERT_TRUE(view);
    m_ui.Prompt().Clear();
    view->Request().ledgerCode = Q("K002");
    view->Request().ledgerName = Q("赤坂物産 営業部");
    CCDSData head;
    COneRecord* record = head.AddNew();
    record->SetField(Q("CustomerCode"), Q("K002"));
    record->SetField(Q("前月繰越額"), CMny(80000));
    view->List().ClearRows();
    CReportRow carried;
    carried.record = record;
    view->List().Rows().push_back(carried);
    m_frame->ExecuteCommand(ID_LIST_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
    EXPECT_EQ(Rows("SELECT ID, CustomerCode, Name, LastCollect FROM WMotocho_H"),
              QStringList({"1|K002|赤坂物産 営業部|80000"}));
    EXPECT_EQ(m_launched.value(2), Q(" /L:801 /C:8 /W:"));
    // Without the head the ledger starts from nothing.
    view->List().ClearRows();
    m_frame->ExecuteCommand(ID_LIST_PRINT);
    EXPECT_EQ(Rows("SELECT LastCollect FROM WMotocho_H"), QStringList({"0"}));
    EXPECT_EQ(forms.m_kinds, QList<int>({8, 9, 8, 8}));
}

// The billed list: address labels carry the billed amount as "Amount";
// per-slip invoices on forms A, B and A go out in two hand-overs, the
// second after the question, and the invoice on a deleted user form is
// named and left out.
TEST_F(ShimeDocumentsTest, AddressLabelsAndPerSlipInvoicesByForm)
{
    Exec("INSERT INTO Sales_Close(ID, No, \"Date\", CustomerCode, CloseDate, CollectDate, Status, TudoFlg) "
         "VALUES "
         "(1, 'B4', '2024-03-10', 'K001', '2024-03-10', '2024-04-10', 0, 0), "
         "(2, 'B3', '2024-03-10', 'K002', '2024-03-10', '2024-04-10', 0, 0), "
         "(3, 'B2', '2024-03-10', 'K003', '2024-03-10', '2024-04-10', 0, 0), "
         "(4, 'B1', '2024-03-10', 'K004', '2024-03-10', '2024-04-10', 0, 0)");
    Exec("INSERT INTO Sales_H(ID, No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
         "Total, "
         "SeikyuID, FormID, FileName) VALUES "
         "(31, 'S31', '2024-03-10', 'K001', 0, 1, 110000000, 110000000, 0, 110000000, 1, 201, 'a.vrf'), "
         "(32, 'S32', '2024-03-10', 'K002', 0, 1, 220000000, 220000000, 0, 220000000, 2, 203, 'b c.vrf'), "
         "(33, 'S33', '2024-03-10', 'K003', 0, 1, 330000000, 330000000, 0, 330000000, 3, 201, 'd.vrf'), "
         "(34, 'S34', '2024-03-10', 'K004', 0, 1, 440000000, 440000000, 0, 440000000, 4, 60099, 'e.vrf')");
    Exec("INSERT INTO Sales_B(HeaderID, LineNo, \"Date\", CustomerCode, ItemType, ItemName, Number, Price, "
         "Amount) "
         "SELECT ID, 1, \"Date\", CustomerCode, 0, '品物', 1, Total, Total FROM Sales_H");
    CShimeView* view = Show(12);
    ASSERT_TRUE(view);
    ASSERT_EQ(view->List().RowCount(), 4);
    QStringList numbers;
    for (const CReportRow& row : view->List().Rows())
        numbers << row.record->GetOneField(QString(), Q("No"))->GetText();
    ASSERT_EQ(numbers, QStringList({"B4", "B3", "B2", "B1"}));
    CFirstForm forms;

    Select(*view, {1, 2});
    m_frame->ExecuteCommand(ID_MASTER_LABEL_PRINT);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
    // Every field of the row goes over, its closing's ID too.
    EXPECT_EQ(Rows("SELECT ID, CustomerCode, Company, Section, Amount FROM WAtena ORDER BY ID"),
              QStringList({"2|K002|赤坂物産|営業部|22000", "3|K003|九段工業||33000"}));
    EXPECT_EQ(m_launched, QStringList({" /L:1101 /C:11 /W:"}));
    m_launched.clear();

    ASSERT_TRUE(view->SelectAllRows());
    m_ui.Prompt().QueueAnswers({IDOK, IDOK, IDOK, IDYES});
    m_frame->ExecuteCommand(ID_REPORT_REPRINT);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({Q("都度請求書を印刷します。よろしいですか？"),
                                                  Q("伝票番号：B1　得意先名：四谷商会\n\n上記の伝票は、オリジ"
                                                    "ナルフォームが削除されたため印刷できません。\n"),
                                                  Q("選択した得意先の印刷フォームが異なります。\nフォーム別に"
                                                    "起動します。\nフォーム別に印刷をしてください。\n"),
                                                  Q("次の印刷フォームを起動しますか？")}));
    ASSERT_EQ(m_launched.size(), 2);
    CSlipFormCommand first, second;
    ASSERT_TRUE(first.Parse(m_launched[0]));
    ASSERT_TRUE(second.Parse(m_launched[1]));
    EXPECT_EQ(first.GetLayout(), 201);
    EXPECT_EQ(first.GetKind(), 2);
    EXPECT_EQ(second.GetLayout(), 203);
    EXPECT_EQ(DecodeSlipList(GetClipboardBlock(uint(first.GetClipFormat()))),
              QList<CFormPrintItem>({{31, "a.vrf"}, {33, "d.vrf"}}));
    EXPECT_EQ(DecodeSlipList(GetClipboardBlock(uint(second.GetClipFormat()))),
              QList<CFormPrintItem>({{32, "b c.vrf"}}));
    // The batch names its forms: no chooser after the labels'.
    EXPECT_EQ(forms.m_kinds, QList<int>({11}));
    m_ui.Prompt().Clear();
    m_launched.clear();

    // Declining the second form stops after the first hand-over: the
    // closing's controller over the list shown and a screen of its own.
    QList<int> rows{0, 1, 2};
    CRecordingScreen screen(m_frame->GetMakeMsgID());
    screen.m_answers = {IDNO};
    CClosingController closing(screen, view->List());
    closing.PrintByForm(rows);
    EXPECT_EQ(screen.m_calls,
              QStringList({Q("Tell 選択した得意先の印刷フォームが異なります。\nフォーム別に起動し"
                             "ます。\nフォーム別に印刷をしてください。\n"),
                           Q("Ask 次の印刷フォームを起動しますか？")}));
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
    EXPECT_EQ(m_launched.size(), 1);
    EXPECT_EQ(rows, QList<int>({1}));
}
