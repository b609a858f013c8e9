#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/Record.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/ui/CodeListTool.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "reports/LedgerController.h"
#include "reports/LedgerCreateDlg.h"
#include "reports/LedgerList.h"
#include "reports/ReportColumns.h"
#include "reports/ReportList.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

#include "RecordingScreen.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <functional>

namespace
{

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

using Fields = std::initializer_list<std::pair<const char*, QVariant>>;

// One library record: integers, texts, and money written as "m:1500".
void Put(CCDSData& set, Fields fields)
{
    COneRecord* record = set.AddNew();
    for (const auto& [name, value] : fields) {
        const QString text = value.toString();
        if (value.typeId() == QMetaType::Int)
            record->SetField(Q(name), value.toInt());
        else if (text.startsWith(QLatin1String("m:")))
            record->SetField(Q(name), CMny(text.mid(2).toLongLong()));
        else
            record->SetField(Q(name), text);
    }
}

// The list of a mode with its columns, as the screen builds it.
CReportList ListOf(int mode)
{
    CReportList list;
    list.SetMode(mode);
    CReportColumnParams params;
    params.mode = mode;
    params.unitWidth = 60;
    list.Columns() = BuildReportColumns(params);
    return list;
}

// Every row's cells at the given columns, '|'-joined.
QStringList Cells(const CReportList& list, std::initializer_list<int> columns)
{
    QStringList out;
    for (const CReportRow& row : list.Rows()) {
        QStringList cells;
        for (int c : columns)
            cells << (c < row.texts.size() ? row.texts[c] : Q("<none>"));
        out << cells.join(u'|');
    }
    return out;
}

int FieldCount(const COneRecord* record, const char* name)
{
    int count = 0;
    for (int i = 0; i < record->GetCount(); ++i)
        count += record->GetAt(i)->GetName() == Q(name);
    return count;
}

} // namespace

// The worked example on both sides, the one-time partner and a head without
// its carried-over amount: columns 2 区分, 4 品名, 9 amount, 10 receipt, 11
// balance. The carried-over row stays out of the totals; zero cells stay
// blank except the balance; a refill keeps one "残高" per record.
TEST(LedgerFill, LedgerRowsBalancesTotalsAndLabels)
{
    const struct {
        int mode;
        const char* code;
        bool carried;
        QStringList rows;
        const char* label;
    } cases[] = {
        {43,
         "K001",
         true,
         {"|繰越|||500", "売上|りんご|1,000||1,500", "入金|現金||1,500|0", "|期間合計|1,000|1,500|"},
         "K001 青葉商事 本店"},
        {44,
         "S001",
         true,
         {"|繰越|||500", "仕入|りんご|1,000||1,500", "支払|現金||1,500|0", "|期間合計|1,000|1,500|"},
         "S001 青葉商事 本店"},
        {45,
         "\u3000",
         false,
         {"|繰越|||", "売上|りんご|1,000||1,000", "入金|現金||1,500|-500", "|期間合計|1,000|1,500|"},
         "諸口"},
    };
    for (const auto& c : cases) {
        CReportList list = ListOf(c.mode);
        CCDSData head, rows;
        if (c.carried)
            Put(head, {{c.mode == 44 ? "SupplierCode" : "CustomerCode", Q(c.code)},
                       {"Company", Q("青葉商事")},
                       {"Section", Q("本店")},
                       {"Name", QString()},
                       {"前月繰越額", Q("m:500")}});
        else
            Put(head, {{"CustomerCode", Q(c.code)},
                       {"Company", QString()},
                       {"Section", QString()},
                       {"Name", Q("一見客")}});
        Put(rows, {{"Date", Q("2004/05/10")},
                   {"No", Q("S1")},
                   {"タイプ", 1},
                   {"ItemType", 1},
                   {"ItemName", Q("りんご")},
                   {"TaxFlg", 1},
                   {"Amount", Q("m:1000")},
                   {"Receipt", Q("m:0")}});
        Put(rows, {{"Date", Q("2004/05/20")},
                   {"No", Q("R1")},
                   {"タイプ", 2},
                   {"ItemType", 0},
                   {"ItemName", Q("現金")},
                   {"TaxFlg", 0},
                   {"Amount", Q("m:0")},
                   {"Receipt", Q("m:1500")}});
        for (int fill = 0; fill < 2; ++fill) {
            const CLedgerHead result = FillLedgerRows(list, head, rows);
            EXPECT_EQ(Cells(list, {2, 4, 9, 10, 11}), c.rows) << c.mode;
            EXPECT_EQ(result.partnerLabel, Q(c.label)) << c.mode;
            EXPECT_EQ(result.carried, CMny(c.carried ? 500 : 0)) << c.mode;
            EXPECT_EQ(list.Rows().front().record, head.GetAt(0));
            EXPECT_EQ(list.Rows()[1].texts[0], Q("2004/05/10"));
            EXPECT_EQ(list.Rows().back().kind, CReportRow::kGrand);
            for (int r = 0; r < rows.GetCount(); ++r)
                EXPECT_EQ(FieldCount(rows.GetAt(r), "残高"), 1) << c.mode;
        }
    }
}

// The stock detail: partner rows (types 1, 2) show the partner as 摘要,
// movements (3) their own memo; quantities run from 繰越数; the totals row
// puts "期間合計" under 摘要.
TEST(LedgerFill, StockDetailMemosAndQuantities)
{
    CReportList list = ListOf(42);
    CCDSData head, rows;
    Put(head, {{"ItemCode", Q("A001")}, {"ItemName", Q("りんご")}, {"繰越数", Q("m:10")}});
    const auto row = [&](int type, const char* in, const char* out, const char* company, const char* section,
                         const char* name, const char* memo) {
        Put(rows, {{"Date", Q("2004/05/01")},
                   {"No", Q("N")},
                   {"タイプ", type},
                   {"Memo", Q(memo)},
                   {"InNum", Q(in)},
                   {"OutNum", Q(out)},
                   {"Company", Q(company)},
                   {"Section", Q(section)},
                   {"Name", Q(name)}});
    };
    row(1, "m:0", "m:3", "青葉商事", "本店", "", "");
    row(2, "m:5", "m:0", "", "", "山田", "");
    row(3, "m:0", "m:1", "", "", "", "破損");
    for (int fill = 0; fill < 2; ++fill) {
        const CLedgerHead result = FillLedgerRows(list, head, rows);
        EXPECT_EQ(Cells(list, {2, 3, 4, 5, 6}),
                  (QStringList{"|繰越|||10", "売上|青葉商事 本店||3|7", "仕入|山田|5||12", "調整|破損||1|11",
                               "|期間合計|5|4|"}));
        EXPECT_EQ(list.Rows().front().texts[3], Q("繰越"));
        EXPECT_EQ(result.partnerLabel, Q("A001 りんご"));
        for (int r = 0; r < rows.GetCount(); ++r) {
            EXPECT_EQ(FieldCount(rows.GetAt(r), "Memo"), 1);
            EXPECT_EQ(FieldCount(rows.GetAt(r), "残高"), 1);
        }
    }
}

namespace
{

// A report screen over a small trading world of May 2004: K001 with a sale
// and a receipt, K002 with a sale, supplier S001 with a purchase and a
// payment, product A001 moved by all of them and by a stock movement.
class LedgerViewTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        ASSERT_FALSE(m_home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
        m_ui.Clock().SetToday(QDate(2004, 5, 31));
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
        Exec("INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, Collect) VALUES"
             "('K001', '青葉商事', '本店', '', 25, 5000000), ('K002', '赤坂物産', '', '', 25, 0)");
        Exec("INSERT INTO Supplier(SupplierCode, Company, Section, Name, Day, Collect) VALUES"
             "('S001', '緑川製作所', '', '', 20, 0)");
        Exec("INSERT INTO Item(ItemCode, ItemName, StockType, StockNumber) VALUES ('A001', 'りんご', 1, "
             "100000)");
        Exec("INSERT INTO Sales_H(ID, No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, Total, "
             "SeikyuID, "
             "FileName, FormID) VALUES (1, 'S1', '2004-05-10', 'K001', 0, 1, 10000000, 10000000, 0, 'a "
             "b.vrh', 201),"
             "(2, 'S2', '2004-05-12', 'K002', 0, 1, 20000000, 20000000, 0, 'k2.vrh', 202)");
        Exec("INSERT INTO Sales_B(HeaderID, \"Date\", LineNo, ItemType, ItemCode, ItemName, Number, Price, "
             "TaxFlg, "
             "Amount) VALUES (1, '2004-05-10', 1, 1, 'A001', 'りんご', 30000, 3333333, 1, 10000000),"
             "(2, '2004-05-12', 1, 1, 'A001', 'りんご', 10000, 20000000, 1, 20000000)");
        Exec("INSERT INTO Receipt_H(ID, No, \"Date\", CustomerCode, Amount, SeikyuID, CloseID) VALUES"
             "(1, 'R1', '2004-05-20', 'K001', 15000000, 0, 0)");
        Exec("INSERT INTO Receipt_B(HeaderID, LineNo, Code, Contents, Amount) VALUES (1, 1, 1, '現金', "
             "15000000)");
        Exec("INSERT INTO Stock_H(ID, No, \"Date\", SupplierCode, DenpyoType, TaxType, Amount, Total, "
             "SeikyuID) VALUES"
             "(1, 'P1', '2004-05-08', 'S001', 0, 1, 40000000, 40000000, 0)");
        Exec("INSERT INTO Stock_B(HeaderID, \"Date\", LineNo, ItemType, ItemCode, ItemName, Number, Price, "
             "TaxFlg, "
             "Amount) VALUES (1, '2004-05-08', 1, 1, 'A001', 'りんご', 50000, 8000000, 1, 40000000)");
        Exec("INSERT INTO Pay_H(ID, No, \"Date\", SupplierCode, Amount, SeikyuID, CloseID) VALUES"
             "(1, 'Y1', '2004-05-25', 'S001', 10000000, 0, 0)");
        Exec("INSERT INTO StockChange(No, \"Date\", ItemCode, Type, InNumber, OutNumber, Memo) VALUES"
             "('M1', '2004-05-15', 'A001', 0, 0, 10000, '破損')");
        m_request.from = QDate(2004, 5, 1);
        m_request.to = QDate(2004, 5, 31);
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_ui.Prompt().PendingAnswers(), 0);
    }
    void Exec(const char* sql)
    {
        QString err;
        ASSERT_EQ(m_frame->GetMakeMsgID().Execute(QString::fromUtf8(sql), err), 1) << err.toStdString();
    }
    CShimeView* Show(int kind)
    {
        m_frame->SwitchView(kind, m_request);
        Pump();
        return qobject_cast<CShimeView*>(m_frame->GetActiveView());
    }
    // The row whose record has `code` in `field`; -1 when none.
    static int RowOf(CShimeView* view, const char* field, const char* code)
    {
        for (int r = 0; r < view->List().RowCount(); ++r) {
            const COneRecord* record = view->List().Rows()[size_t(r)].record;
            const CTb* tb = record ? record->GetOneField(QString(), Q(field)) : nullptr;
            if (tb && tb->GetText() == Q(code))
                return r;
        }
        return -1;
    }
    static QStringList Column(CShimeView* view, int column)
    {
        QStringList texts;
        const QAbstractItemModel* model = view->ListCtrl()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
    // The conditions Show opens its list with.
    CReportRequest m_request;
};

// Answers the ledger dialog: `fill` sets its rules, then OK (which may
// refuse and keep it open) or Cancel.
ScopedModalRunner LedgerAnswer(std::function<void(CLedgerCreateDlg&)> fill, bool ok = true)
{
    return ScopedModalRunner([fill, ok](QDialog& dialog) {
        auto* ledger = dynamic_cast<CLedgerCreateDlg*>(&dialog);
        if (!ledger)
            return int(QDialog::Rejected);
        fill(*ledger);
        if (!ok)
            return int(QDialog::Rejected);
        ledger->OnOK();
        return ledger->result();
    });
}

// Records the commands the double click runs.
class CRecordingView : public CShimeView
{
  public:
    using CShimeView::CShimeView;
    bool OnCmdMsg(int id) override
    {
        m_ids << id;
        return true;
    }
    QList<int> m_ids;
};

// A list of the mode on the conditions `request` whose one row stands for
// a copy of `record`: a ledger's controller drills down from it.
void OneRowList(CReportList& list, int mode, const COneRecord& record, const CReportRequest& request)
{
    list.SetMode(mode);
    static_cast<CReportRequest&>(list.m_cond) = request;
    *list.Records().AddNew() = record;
    CReportRow row;
    row.record = list.Records().GetAt(0);
    list.Rows().push_back(row);
}

} // namespace

// From each list into its detail and back: modes, titles, menus' kinds,
// the frame's ledger partner (the product's for the stock list), the list's
// records and count untouched, widths kept per mode.
TEST_F(LedgerViewTest, DrillDownAndBackFromTheThreeLists)
{
    m_request.lastCarryForward = QDate();
    const struct {
        int list;
        const char* field;
        const char* code;
        int detail;
        const char* title;
        const char* listTitle;
        const char* ledgerName;
        const char* label;
        QStringList balances;
        int balanceColumn;
    } cases[] = {
        {23,
         "CustomerCode",
         "K001",
         43,
         "得意先別元帳",
         "売掛残高一覧",
         "青葉商事 本店",
         "K001 青葉商事 本店",
         {"500", "1,500", "0", ""},
         11},
        {24,
         "SupplierCode",
         "S001",
         44,
         "仕入先別元帳",
         "買掛残高一覧",
         "緑川製作所",
         "S001 緑川製作所",
         {"0", "4,000", "3,000", ""},
         11},
        {34,
         "ItemCode",
         "A001",
         42,
         "入出庫明細",
         "入出庫一覧",
         "りんご",
         "A001 りんご",
         {"10", "15", "12", "11", "10", ""},
         6},
    };
    for (const auto& c : cases) {
        m_frame->SwitchView(0);
        Pump();
        m_request.from = QDate(2004, 5, 1);
        m_request.to = QDate(2004, 5, 31);
        CShimeView* view = Show(c.list);
        ASSERT_TRUE(view) << c.list;
        const int records = view->List().Records().GetCount();
        const QString count = view->CountLabel()->text();
        const int row = RowOf(view, c.field, c.code);
        ASSERT_GE(row, 0) << c.list;
        {
            // The ledger's controller over a screen of its own: the detail
            // it fills names the partner or product for its print, and the
            // way back forgets it.
            CReportList list;
            OneRowList(list, c.list, *view->List().RecordAt(row), view->Request());
            CRecordingScreen screen(m_frame->GetMakeMsgID(), &list);
            CLedgerController ledger(screen, list);
            ledger.DrillDown(0);
            ASSERT_EQ(list.GetMode(), c.detail);
            EXPECT_TRUE(ledger.FillRows());
            EXPECT_EQ(ledger.GetPrintSubTitle(), Q(c.label));
            EXPECT_FALSE(ledger.IsLedgerOpenedDirectly());
            ledger.OnBackToList();
            EXPECT_TRUE(ledger.GetPrintSubTitle().isEmpty());
            EXPECT_EQ(list.GetMode(), c.list);
            EXPECT_EQ(screen.m_calls, QStringList({QStringLiteral("Mode %1 ").arg(c.detail) + Q(c.title),
                                                   QStringLiteral("Count ") + Q(c.label),
                                                   QStringLiteral("Mode %1 ").arg(c.list) + Q(c.listTitle),
                                                   Q("Count 件数：1件")}));
        }
        view->ListCtrl()->setColumnWidth(0, 77);

        m_ui.Prompt().QueueAnswers({IDCANCEL});
        view->OnDblclkList(row);
        EXPECT_EQ(view->GetMode(), c.list);
        m_ui.Prompt().QueueAnswers({IDOK});
        view->OnDblclkList(row);
        EXPECT_EQ(m_ui.Prompt().Texts().mid(0, 2), QStringList(2, Q("詳細を表示しますか？")));
        ASSERT_EQ(view->GetMode(), c.detail);
        EXPECT_EQ(m_frame->GetViewKind(), c.detail);
        EXPECT_EQ(view->GetTitle(), Q(c.title));
        EXPECT_EQ(view->Request().ledgerCode, Q(c.code));
        EXPECT_EQ(view->Request().ledgerName, Q(c.ledgerName));
        EXPECT_EQ(view->CountLabel()->text(), Q(c.label));
        EXPECT_EQ(Column(view, c.balanceColumn), c.balances) << c.list;
        EXPECT_TRUE(m_frame->QueryCommandState(ID_BACK_TO_LIST).enabled);
        EXPECT_TRUE(m_frame->QueryCommandState(ID_LEDGER_CONDITION).enabled);
        view->ListCtrl()->setColumnWidth(0, 66);

        m_frame->ExecuteCommand(ID_BACK_TO_LIST);
        EXPECT_EQ(view->GetMode(), c.list);
        EXPECT_EQ(m_frame->GetViewKind(), c.list);
        EXPECT_EQ(view->GetTitle(), Q(c.listTitle));
        EXPECT_EQ(view->List().Records().GetCount(), records);
        EXPECT_EQ(view->CountLabel()->text(), count);
        EXPECT_EQ(view->CountLabel()->text(), Q("件数：%1件").arg(records));
        EXPECT_EQ(view->ListCtrl()->columnWidth(0), 77);
        EXPECT_FALSE(m_frame->QueryCommandState(ID_LEDGER_CONDITION).enabled);

        // Again: the detail's own width came back from the file.
        m_ui.Prompt().QueueAnswers({IDOK});
        view->OnDblclkList(row);
        EXPECT_EQ(view->ListCtrl()->columnWidth(0), 66);
        m_ui.Prompt().Clear();
    }
}

// A library refusal leaves the list as it was; new conditions reload the
// detail with the new partner and period; the dialog's Cancel changes
// nothing.
TEST_F(LedgerViewTest, FailedDrillDownAndNewConditions)
{
    CShimeView* view = Show(23);
    ASSERT_TRUE(view);
    const QStringList before = Column(view, 0);
    const int row = RowOf(view, "CustomerCode", "K001");
    view->Request().to = QDate(2004, 4, 1); // reversed: the library refuses
    m_ui.Prompt().QueueAnswers({IDOK});
    view->OnDblclkList(row);
    EXPECT_EQ(m_ui.Prompt().Texts().last(), Q("元帳データの取得に失敗しました。期間が正しくありません。"));
    EXPECT_EQ(view->GetMode(), 23);
    EXPECT_EQ(m_frame->GetViewKind(), 23);
    EXPECT_EQ(Column(view, 0), before);
    EXPECT_TRUE(view->Request().ledgerCode.isEmpty());
    {
        // The ledger's controller over a screen of its own: nothing read,
        // the failure told on that screen.
        CReportList list;
        OneRowList(list, 23, *view->List().RecordAt(row), view->Request());
        CRecordingScreen screen(m_frame->GetMakeMsgID(), &list);
        CLedgerController ledger(screen, list);
        m_ui.Prompt().Clear();
        ledger.DrillDown(0);
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
        EXPECT_EQ(ledger.LedgerRows().GetCount(), 0);
        EXPECT_EQ(screen.m_calls,
                  QStringList({Q("Tell 元帳データの取得に失敗しました。期間が正しくありません。")}));
        EXPECT_EQ(list.GetMode(), 23);
        EXPECT_TRUE(list.m_cond.ledgerCode.isEmpty());
    }

    view->Request().to = QDate(2004, 5, 31);
    m_ui.Prompt().QueueAnswers({IDOK});
    view->OnDblclkList(row);
    ASSERT_EQ(view->GetMode(), 43);
    {
        auto cancel = LedgerAnswer([](CLedgerCreateDlg& d) { d.Rules().m_strCode = Q("K002"); }, false);
        m_frame->ExecuteCommand(ID_LEDGER_CONDITION);
    }
    EXPECT_EQ(view->Request().ledgerCode, Q("K001"));
    {
        auto answer = LedgerAnswer([](CLedgerCreateDlg& d) {
            EXPECT_EQ(d.windowTitle(), Q("得意先元帳の作成"));
            EXPECT_EQ(d.Rules().m_from, QDate(2004, 5, 1));
            d.CodeEdit()->setText(Q("K002"));
            d.FromEdit()->setDate(QDate(2004, 5, 11));
        });
        m_frame->ExecuteCommand(ID_LEDGER_CONDITION);
    }
    EXPECT_EQ(view->GetMode(), 43);
    EXPECT_EQ(view->Request().ledgerCode, Q("K002"));
    EXPECT_EQ(view->Request().ledgerName, Q("赤坂物産"));
    EXPECT_EQ(view->Request().from, QDate(2004, 5, 11));
    EXPECT_EQ(view->CountLabel()->text(), Q("K002 赤坂物産"));
    EXPECT_EQ(view->PeriodLabel()->text(), Q("期間：2004/05/11～2004/05/31"));
    EXPECT_EQ(Column(view, 11), (QStringList{"0", "2,000", ""}));
    // The reload failing on a partner gone meanwhile: its message, an empty
    // ledger; by the ledger's controller over a screen of its own.
    CReportList detail;
    detail.SetMode(43);
    static_cast<CReportRequest&>(detail.m_cond) = view->Request();
    CRecordingScreen screen(m_frame->GetMakeMsgID(), &detail);
    CLedgerController ledger(screen, detail);
    ledger.LoadLedger();
    ASSERT_TRUE(ledger.FillRows());
    ASSERT_GT(detail.RowCount(), 0);
    screen.m_calls.clear();
    Exec("DELETE FROM Customer WHERE CustomerCode = 'K002'");
    ledger.LoadLedger();
    EXPECT_FALSE(
        m_ui.Prompt().Texts().contains(Q("データの取得に失敗しました。取引先「K002」が見つかりません。")));
    EXPECT_EQ(ledger.LedgerHead().GetCount(), 0);
    EXPECT_EQ(detail.RowCount(), 0);
    EXPECT_EQ(
        screen.m_calls,
        QStringList({"ClearRows", Q("Tell データの取得に失敗しました。取引先「K002」が見つかりません。")}));
}

// The menu's ledger command: Cancel stays on the menu, OK opens the
// customer ledger of the month; leaving it goes to the menu screen.
TEST_F(LedgerViewTest, LedgerCommandOpensTheLedgerDirectly)
{
    m_frame->SwitchView(0);
    Pump();
    QStringList captions;
    {
        auto cancel = LedgerAnswer([&captions](CLedgerCreateDlg& d) { captions << d.windowTitle(); }, false);
        for (int id : {32828, 32830})
            m_frame->ExecuteCommand(id);
        Pump();
    }
    EXPECT_EQ(captions, (QStringList{Q("得意先元帳の作成"), Q("仕入先元帳の作成")}));
    EXPECT_EQ(m_frame->GetViewKind(), 0);
    {
        auto answer = LedgerAnswer([](CLedgerCreateDlg& d) {
            EXPECT_EQ(d.Rules().m_from, QDate(2004, 5, 1));
            EXPECT_EQ(d.Rules().m_to, QDate(2004, 5, 31));
            d.CodeEdit()->setText(Q("K001"));
        });
        m_frame->ExecuteCommand(32828);
        Pump();
    }
    auto* view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 45);
    EXPECT_EQ(view->GetTitle(), Q("得意先元帳"));
    EXPECT_EQ(Column(view, 2), (QStringList{"", "売上", "入金", ""}));
    EXPECT_EQ(Column(view, 11), (QStringList{"500", "1,500", "0", ""}));
    EXPECT_EQ(view->PeriodLabel()->text(), Q("期間：2004/05/01～2004/05/31"));
    EXPECT_FALSE(m_frame->QueryCommandState(ID_BACK_TO_LIST).enabled);
    {
        // The ledger's controller over a screen of its own: opened
        // directly, its way back leads to the menu screen.
        CReportList list;
        list.SetMode(45);
        static_cast<CReportRequest&>(list.m_cond) = view->Request();
        CRecordingScreen screen(m_frame->GetMakeMsgID(), &list);
        CLedgerController ledger(screen, list);
        ledger.Load();
        EXPECT_TRUE(ledger.IsLedgerOpenedDirectly());
        screen.m_calls.clear();
        ledger.OnBackToList();
        EXPECT_EQ(screen.m_calls, QStringList({"Menu"}));
    }
    // The screen's own does the same.
    m_frame->ExecuteCommand(ID_BACK_TO_LIST);
    Pump();
    EXPECT_EQ(m_frame->GetViewKind(), 0);
}

// The double click per mode: the command each list's handler is mapped to,
// the question before a drill-down, the slip question on the detail lists;
// group rows and the grand total under a classification do nothing.
TEST_F(LedgerViewTest, DoubleClickDispatchPerMode)
{
    const struct {
        int mode;
        QList<int> ids;
        const char* question;
    } cases[] = {
        {8, {ID_REPORT_CLOSE_PRINT}, nullptr},
        {9, {ID_REPORT_CLOSE_PRINT}, nullptr},
        {10, {ID_REPORT_RECEIPT}, nullptr},
        {11, {ID_REPORT_RECEIPT}, nullptr},
        {14, {ID_REPORT_RECEIPT}, nullptr},
        {17, {ID_REPORT_RECEIPT}, nullptr},
        {12, {ID_REPORT_REPRINT}, nullptr},
        {13, {ID_REPORT_REPRINT}, nullptr},
        {22, {32905}, nullptr},
        {33, {32905}, nullptr},
        {18, {}, "選択されたデータに該当する伝票を表示しますか？"},
        {21, {}, "選択されたデータに該当する伝票を表示しますか？"},
        {23, {}, "詳細を表示しますか？"},
        {34, {}, "詳細を表示しますか？"},
        {25, {}, nullptr},
        {42, {}, nullptr},
    };
    m_frame->SwitchView(0);
    Pump();
    for (const auto& c : cases) {
        m_ui.Prompt().Clear();
        CRecordingView view(*m_frame);
        view.List().SetMode(c.mode);
        view.List().Rows().resize(3);
        view.OnDblclkList(-1);
        view.OnDblclkList(3);
        if (c.question)
            m_ui.Prompt().QueueAnswers({IDCANCEL});
        view.OnDblclkList(1);
        EXPECT_EQ(view.m_ids, c.ids) << c.mode;
        EXPECT_EQ(m_ui.Prompt().Texts(), c.question ? QStringList{Q(c.question)} : QStringList()) << c.mode;
    }
    m_ui.Prompt().Clear();
    CRecordingView view(*m_frame);
    view.Request().groupByClass = 1;
    view.List().SetMode(34);
    view.List().Rows().resize(4);
    view.List().Rows()[0].mark = 1; // an open group
    view.List().Rows()[3].kind = CReportRow::kGrand;
    for (int row : {0, 3})
        view.OnDblclkList(row);
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());
    m_ui.Prompt().QueueAnswers({IDCANCEL});
    view.OnDblclkList(1);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{Q("詳細を表示しますか？")});
}

// The slip behind a row of 売上明細表: the command line with the slip kind
// (3 on a form of classification 2) and a FileName with blanks whole; the
// refusals of the selection, a tax slip, a missing file, a deleted user
// form and a header deleted meanwhile start nothing.
TEST_F(LedgerViewTest, ShowSlipOfTheSalesDetailList)
{
    QStringList starts;
    const ProcessLauncher old = SetProcessLauncher([&starts](const QString& program, const QString& text) {
        starts << program.section(u'/', -1) + text;
        return true;
    });
    m_request.periodShape = 0;
    CShimeView* view = Show(18);
    ASSERT_TRUE(view);
    const QString ask = Q("選択されたデータに該当する伝票を表示しますか？");
    const struct {
        const char* sql;     // run before, or null
        const char* slip;    // the row selected: "" none, "*" all
        const char* message; // after the question, or null
        const char* started; // or null
    } cases[] = {
        {nullptr, "", "表示するデータを選択してください。\n", nullptr},
        {nullptr, "*", "表示するデータを１つだけ選択してください。\n", nullptr},
        {nullptr, "S1", nullptr, "MorvekForm a b.vrh /C:2 /R:1"},
        {nullptr, "S2", nullptr, "MorvekForm k2.vrh /C:3 /R:2"},
        {"UPDATE Sales_H SET DenpyoType = 1 WHERE ID = 2", "S2", "請求時消費税なので伝票はありません。",
         nullptr},
        {"UPDATE Sales_H SET FileName = '' WHERE ID = 1", "S1", "以前起動したﾌｧｲﾙがありません\n", nullptr},
        {"UPDATE Sales_H SET FileName = 'a.vrh', FormID = 60009 WHERE ID = 1", "S1",
         "オリジナルフォームが削除されたため表示できません。\n売上一覧で別フォームへデータを転記し、保存しな"
         "おしてください。\n",
         nullptr},
        {"DELETE FROM Sales_H WHERE ID = 1", "S1",
         "データの取得に失敗しました。\n該当する伝票が見つかりません。", nullptr},
    };
    for (const auto& c : cases) {
        if (c.sql)
            Exec(c.sql);
        starts.clear();
        m_ui.Prompt().Clear();
        view->ListCtrl()->clearSelection();
        if (QByteArray(c.slip) == "*") {
            view->SelectAllRows();
        } else if (*c.slip) {
            ASSERT_TRUE(view->SelectOnlyRow(RowOf(view, "No", c.slip))) << c.slip;
        }
        // The clicked row is not the one shown: the selection decides.
        view->OnDblclkList(0);
        QStringList expected{ask};
        if (c.message)
            expected << Q(c.message);
        EXPECT_EQ(m_ui.Prompt().Texts(), expected) << c.slip;
        EXPECT_EQ(starts, c.started ? QStringList{Q(c.started)} : QStringList()) << c.slip;
    }
    SetProcessLauncher(old);
}

namespace
{

// A code list answering at once, recording its switches.
class CAnsweringCodeList : public ICodeListTool
{
  public:
    CAnsweringCodeList() : m_old(SetCodeListTool(this)) {}
    ~CAnsweringCodeList() override { SetCodeListTool(m_old); }
    void Start(QWidget*, const QString& switches, CodeListAnswer answer) override
    {
        m_switches << switches;
        answer(m_nWParam, m_strCode);
    }
    int m_nWParam = 1;
    QString m_strCode;
    QStringList m_switches;

  private:
    ICodeListTool* m_old;
};

} // namespace

// The ledger dialog's rules per mode and its look-ups against the master:
// "諸口", a partner without Company, a product, an unknown code keeping the
// dialog open, a failed query, the date and code refusals, and the code
// list's answer running the look-up.
TEST_F(LedgerViewTest, LedgerDialogRules)
{
    Exec("INSERT INTO Customer(CustomerCode, Company, Section, Name) VALUES ('K003', '', '営業部', '佐藤')");
    const struct {
        int mode;
        const char* caption;
        const char* label;
        const char* tool;
        const char* code;
        const char* name; // null: not found
    } modes[] = {
        {42, "入出庫明細の作成", "品番", " /G", "A001", "りんご"},
        {43, "得意先元帳の作成", "得意先コード", " /C", "K003", "営業部 佐藤"},
        {45, "得意先元帳の作成", "得意先コード", " /C", "\u3000", "諸口"},
        {44, "仕入先元帳の作成", "仕入先コード", " /S", "S001", "緑川製作所"},
        {46, "仕入先元帳の作成", "仕入先コード", " /S", "K001", nullptr},
    };
    for (const auto& c : modes) {
        m_ui.Prompt().Clear();
        CLedgerCreateDlg dialog(c.mode);
        EXPECT_EQ(dialog.windowTitle(), Q(c.caption));
        EXPECT_EQ(dialog.CodeLabel()->text(), Q(c.label));
        CAnsweringCodeList tool;
        tool.m_strCode = Q(c.code);
        tool.m_nWParam = c.mode == 42 ? 0 : 2;
        dialog.OnReference();
        EXPECT_EQ(tool.m_switches, QStringList{Q(c.tool)});
        EXPECT_EQ(dialog.CodeEdit()->text(), Q(c.code));
        EXPECT_EQ(dialog.NameEdit()->text(), c.name ? Q(c.name) : QString()) << c.mode;
        dialog.OnOK();
        EXPECT_EQ(dialog.result(), c.name ? int(QDialog::Accepted) : int(QDialog::Rejected)) << c.mode;
        EXPECT_EQ(m_ui.Prompt().Texts(),
                  c.name ? QStringList() : QStringList(2, Q("入力されたコードのデータは見つかりません。")));
        EXPECT_EQ(dialog.Rules().m_bFound, c.name ? 1 : 0);
    }

    CLedgerCreateRules rules;
    rules.m_nMode = 45;
    rules.SetOneTime();
    EXPECT_EQ(rules.m_strCode, Q("\u3000"));
    EXPECT_EQ(rules.m_strName, Q("諸口"));
    EXPECT_FALSE(rules.TakeToolAnswer(3, Q("K001")));
    EXPECT_FALSE(rules.TakeToolAnswer(-1, Q("K001")));
    EXPECT_EQ(rules.m_strCode, Q("\u3000"));

    m_ui.Prompt().Clear();
    rules.m_from = QDate(2004, 6, 1);
    rules.m_to = QDate(2004, 5, 31);
    EXPECT_FALSE(rules.OnOK());
    rules.m_from = QDate(2004, 5, 1);
    rules.m_strCode.clear();
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(m_ui.Prompt().Texts(),
              (QStringList{Q("日付の設定が正しくありません。"), Q("コードを指定してください。")}));

    CLedgerCreateRules failing([](const QString&, const QString&, const QString&, CCDSData&) { return 0; });
    failing.m_nMode = 43;
    failing.m_strCode = Q("K001");
    failing.m_strName = Q("前の名前");
    EXPECT_FALSE(failing.OnOK());
    EXPECT_EQ(m_ui.Prompt().Texts().last(), Q("検索に失敗しました。"));
    EXPECT_TRUE(failing.m_strName.isEmpty());
}

// Under a classification the stock list's detail rows name their record by
// position: the detail of the row's product opens, the group and total rows
// open nothing, and the grouped list comes back whole.
TEST_F(LedgerViewTest, DrillDownUnderAClassification)
{
    Exec("INSERT INTO Item(ItemCode, ItemName, StockType, StockNumber, Class1) VALUES ('B001', 'ばなな', 1, "
         "0, '果物')");
    Exec("UPDATE Item SET Class1 = '果物'");
    m_request.classField = Q("Class1");
    m_request.classTitle = Q("分類１");
    m_request.groupByClass = 1;
    CShimeView* view = Show(34);
    ASSERT_TRUE(view);
    const int rows = view->List().RowCount();
    const int row = RowOf(view, "ItemCode", "A001");
    ASSERT_GT(row, 0);
    ASSERT_EQ(view->List().Rows()[size_t(row)].kind, CReportRow::kDetail);
    for (int other : {0, rows - 1})
        view->OnDblclkList(other);
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());
    m_ui.Prompt().QueueAnswers({IDOK});
    view->OnDblclkList(row);
    ASSERT_EQ(view->GetMode(), 42);
    EXPECT_EQ(view->Request().ledgerCode, Q("A001"));
    EXPECT_EQ(view->CountLabel()->text(), Q("A001 りんご"));
    m_frame->ExecuteCommand(ID_BACK_TO_LIST);
    EXPECT_EQ(view->GetMode(), 34);
    EXPECT_EQ(view->List().RowCount(), rows);
    EXPECT_EQ(RowOf(view, "ItemCode", "A001"), row);
}
