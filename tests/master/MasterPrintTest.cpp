#include "master/MasterPrint.h"
#include "app/SlipForm.h"
#include "master/AddressPrint.h"
#include "master/MasterTestDb.h"
#include "platform/data/MasterKinds.h"
#include "platform/forms/FormsTestUtil.h"
#include "platform/forms/PloMainData.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/FakePrintDialogs.h"
#include "platform/ui/PrintCanvas.h"
#include "settings/BunruiData.h"
#include "settings/CompanyInfo.h"

#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

using Call = CRecordingCanvas::Call;

std::shared_ptr<const COneRecord> Partner(const QString& table, int n)
{
    auto record = std::make_shared<COneRecord>();
    record->SetField(table + QStringLiteral(".ID"), 100 + n);
    record->SetField(table + u'.' + table + QStringLiteral("Code"),
                     QStringLiteral("P%1").arg(n, 2, 10, QChar(u'0')));
    record->SetField(table + QStringLiteral(".Company"), QStringLiteral("会社%1").arg(n));
    return record;
}

CMasterPrintDoc::Records Records(const QString& table, int count)
{
    CMasterPrintDoc::Records records;
    for (int n = 1; n <= count; ++n)
        records << Partner(table, n);
    return records;
}

// A job over fixed records of the list of that number that leaves the
// program's printer alone.
std::unique_ptr<CMasterPrintDoc> Doc(int kind, int variant, const CMasterPrintDoc::Records& records)
{
    auto doc = std::make_unique<CMasterPrintDoc>(*CMasterKind::OfNumber(kind), variant,
                                                 [records] { return records; });
    doc->SetPaperRule([] { return true; });
    return doc;
}

QList<CPrintRect> BlockRules(const CRecordingCanvas& canvas)
{
    QList<CPrintRect> rules;
    for (const Call& call : canvas.LineCalls()) {
        if (call.value == 0)
            rules << call.rect;
    }
    return rules;
}

// Records the slip-form program's starts.
class CLaunchRecorder
{
  public:
    CLaunchRecorder()
        : m_old(SetProcessLauncher([this](const QString&, const QString& text) {
              m_starts << text;
              return true;
          }))
    {
    }
    ~CLaunchRecorder() { SetProcessLauncher(m_old); }
    QStringList m_starts;

  private:
    ProcessLauncher m_old;
};

class MasterPrintTest : public CMasterDbTest
{
  protected:
    QStringList WorkRows(const QString& table, const QString& columns)
    {
        CCDSData request, result;
        request.m_strTable = table;
        request.m_strCondition = QStringLiteral("ORDER BY ID");
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        QStringList rows;
        for (int i = 0; i < result.GetCount(); ++i) {
            QStringList values;
            for (const QString& column : columns.split(u',')) {
                const CTb* field = result.GetAt(i)->GetOneField(table, column);
                values << (field ? field->GetText() : QStringLiteral("-"));
            }
            rows << values.join(u'|');
        }
        return rows;
    }
    // The rows the test wrote (a new database has a blank-code row).
    CCDSData Load(const QString& table, const QString& codeField)
    {
        CCDSData request, result;
        request.m_strTable = table;
        request.m_strCondition = QStringLiteral("WHERE %1 <> '　' ORDER BY ID").arg(codeField);
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        return result;
    }
};

} // namespace

// The page frame in 0.1 mm: four header rows from 20 mm, the rules under
// rows 3 and 4, then the blocks of the kind's height; a page shows its own
// records and leaves the slots of missing ones empty.
TEST_F(MasterPrintTest, PageFrameAndBlocks)
{
    CCompanyInfoRules company;
    company.m_strField[CCompanyInfoRules::COMPANY] = QStringLiteral("株式会社甲");
    ASSERT_TRUE(company.Save(m_folder));
    m_ui.Clock().SetToday(QDate(2024, 7, 5));

    const struct {
        int kind, variant, records, pages, page;
        int blockHeight;
        QStringList firstLines; // line 0 of each block drawn
        QString title, heading;
    } cases[] = {
        {1,
         0,
         5,
         2,
         2,
         528,
         {QStringLiteral("品番：P05")},
         QStringLiteral("商品台帳"),
         QStringLiteral("商品情報")},
        {1,
         0,
         8,
         2,
         2,
         528,
         {QStringLiteral("品番：P05"), QStringLiteral("品番：P06"), QStringLiteral("品番：P07"),
          QStringLiteral("品番：P08")},
         QStringLiteral("商品台帳"),
         QStringLiteral("商品情報")},
        {2,
         0,
         14,
         5,
         5,
         704,
         {QStringLiteral("取引先名：P13 会社13"), QStringLiteral("取引先名：P14 会社14")},
         QStringLiteral("得意先名簿"),
         QStringLiteral("所在地／販売情報／分類")},
        {2,
         1,
         14,
         2,
         2,
         176,
         {QStringLiteral("P14 会社14")},
         QStringLiteral("得意先名簿"),
         QStringLiteral("コード　得意先名　フリガナ　住所　TEL／FAX／E-mail")},
        {3,
         1,
         13,
         1,
         1,
         176,
         {},
         QStringLiteral("仕入先名簿"),
         QStringLiteral("コード　得意先名　フリガナ　住所　TEL／FAX／E-mail")},
    };
    for (const auto& c : cases) {
        const QString table = c.kind == 1   ? QStringLiteral("Item")
                              : c.kind == 2 ? QStringLiteral("Customer")
                                            : QStringLiteral("Supplier");
        CMasterPrintDoc::Records records = Records(table, c.records);
        if (c.kind == 1) {
            // Products carry their code as ItemCode.
            records.clear();
            for (int n = 1; n <= c.records; ++n) {
                auto item = std::make_shared<COneRecord>();
                item->SetField(QStringLiteral("Item.ItemCode"),
                               QStringLiteral("P%1").arg(n, 2, 10, QChar(u'0')));
                records << item;
            }
        }
        auto doc = Doc(c.kind, c.variant, records);
        CPrintInfo info;
        ASSERT_TRUE(doc->OnPreparePrinting(info));
        EXPECT_EQ(info.m_nMinPage, 1);
        EXPECT_EQ(info.m_nMaxPage, c.pages) << c.kind << c.variant;
        CRecordingCanvas canvas;
        doc->OnBeginPrinting(canvas, info);
        info.m_nCurPage = c.page;
        doc->OnPrint(canvas, info);
        const QList<Call> texts = canvas.TextCalls();
        ASSERT_GE(texts.size(), 5);
        const int mid = IPrintCanvas::kVCenter;
        EXPECT_EQ(texts[0].text, c.title);
        EXPECT_EQ(texts[0].rect, (CPrintRect{200, 200, 1900, 250}));
        EXPECT_EQ(texts[0].value, IPrintCanvas::kCenter | mid);
        EXPECT_EQ(texts[1].text, QStringLiteral("ページ%1").arg(c.page));
        EXPECT_EQ(texts[1].rect, (CPrintRect{200, 250, 1900, 300}));
        EXPECT_EQ(texts[1].value, IPrintCanvas::kRight | mid);
        EXPECT_EQ(texts[2].text, QStringLiteral("株式会社甲"));
        EXPECT_EQ(texts[2].value, IPrintCanvas::kLeft | mid);
        EXPECT_EQ(texts[3].text, QStringLiteral("2024/07/05"));
        EXPECT_EQ(texts[3].rect, (CPrintRect{200, 300, 1900, 350}));
        EXPECT_EQ(texts[3].value, IPrintCanvas::kRight | mid);
        EXPECT_EQ(texts[4].text, c.heading);
        EXPECT_EQ(texts[4].rect, (CPrintRect{200, 350, 1900, 400}));
        // Fonts: the title at 14 points, the rest at 11, both Mincho.
        EXPECT_EQ(canvas.Calls()[0].kind, Call::Font);
        EXPECT_EQ(canvas.Calls()[0].value, 14);
        EXPECT_EQ(canvas.Calls()[0].text, QStringLiteral(u"ＭＳ 明朝"));
        QList<CPrintRect> rules;
        for (const Call& line : canvas.LineCalls()) {
            if (line.value == 3)
                rules << line.rect;
        }
        EXPECT_EQ(rules, (QList<CPrintRect>{{200, 350, 1900, 350}, {200, 400, 1900, 400}}));

        // One rule under each block drawn, blocks stacked from 40 mm.
        const QList<CPrintRect> blocks = BlockRules(canvas);
        const int drawn = c.kind == 3 ? 13 : int(c.firstLines.size());
        ASSERT_EQ(blocks.size(), drawn) << c.kind << c.variant;
        for (int i = 0; i < drawn; ++i)
            EXPECT_EQ(blocks[i],
                      (CPrintRect{200, 400 + (i + 1) * c.blockHeight, 1900, 400 + (i + 1) * c.blockHeight}));
        QStringList firstLines;
        for (const Call& text : texts) {
            if (text.rect.top >= 400 && (text.rect.top - 400) % c.blockHeight == 0)
                firstLines << text.text;
        }
        if (c.kind != 3)
            EXPECT_EQ(firstLines, c.firstLines) << c.kind << c.variant;
        else
            EXPECT_EQ(blocks.last().bottom, 2688); // the thirteenth address block
        // Block lines are clipped, 4.4 mm tall.
        EXPECT_EQ(texts[5].value, IPrintCanvas::kLeft | mid | IPrintCanvas::kClip);
        EXPECT_EQ(texts[5].rect.bottom - texts[5].rect.top, 44);
        doc->OnEndPrinting(canvas, info);
        EXPECT_TRUE(doc->PrintRecords().isEmpty());
    }
    EXPECT_TRUE(Texts().isEmpty());
}

// Refusals when the job prepares: nothing selected (the preview's print
// button after all rows were deselected); a number without a ledger makes
// no job at all.
TEST_F(MasterPrintTest, RefusedJobs)
{
    CPrintInfo info;
    EXPECT_FALSE(Doc(2, 0, {})->OnPreparePrinting(info));
    EXPECT_EQ(CMasterKind::OfNumber(0), nullptr);
    EXPECT_EQ(Texts(), (QStringList{QStringLiteral("印刷するデータを選択してください。\n")}));
    // A failing paper rule stops the job too, silently.
    auto doc = Doc(2, 0, Records(QStringLiteral("Customer"), 2));
    doc->SetPaperRule([] { return false; });
    EXPECT_FALSE(doc->OnPreparePrinting(info));
    EXPECT_EQ(Texts().size(), 1);
}

TEST(MasterPrintText, CollectionDay)
{
    const struct {
        const char16_t *cycle, *day, *text;
    } cases[] = {{u"請求後", u"10", u"10日"},
                 {u"請求後", u"99", u"99日"},
                 {u"翌月", u"99", u"月末"},
                 {u"翌月", u"25", u"25日"},
                 {u"当月", u"", u"日"}};
    for (const auto& c : cases)
        EXPECT_EQ(MasterPrintText::CollectionDayText(QString::fromUtf16(c.cycle), QString::fromUtf16(c.day)),
                  QString::fromUtf16(c.text));
}

// The lines of the three blocks from records as the list loads them.
TEST(MasterPrintText, BlockLines)
{
    const QStringList captions{QStringLiteral("地域"), QStringLiteral("業種"), QStringLiteral("分類３"),
                               QStringLiteral("分類４"), QStringLiteral("分類５")};
    COneRecord customer;
    customer.SetField(QStringLiteral("Customer.ID"), 1);
    customer.SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C001"));
    customer.SetField(QStringLiteral("Customer.Company"), QStringLiteral(" 甲商事"));
    customer.SetField(QStringLiteral("Customer.Section"), QString());
    customer.SetField(QStringLiteral("Customer.Name"), QStringLiteral("山田　"));
    customer.SetField(QStringLiteral("Customer.PhoenicCompany"), QStringLiteral("コウショウジ"));
    customer.SetField(QStringLiteral("Customer.Zip"), QStringLiteral("100-0001"));
    customer.SetField(QStringLiteral("Customer.Address"), QStringLiteral("東京都\r\n千代田区"));
    customer.SetField(QStringLiteral("Customer.Day"), 20);
    customer.SetField(QStringLiteral("Customer.TaxType"), 1);
    customer.SetField(QStringLiteral("Customer.TaxRoundType"), 2);
    customer.SetField(QStringLiteral("Customer.RoundType"), 1);
    customer.SetField(QStringLiteral("Customer.Percent"), CMny(80));
    customer.SetField(QStringLiteral("Customer.CollectCycle"), 0);
    customer.SetField(QStringLiteral("Customer.CollectDay"), 10);
    customer.SetField(QStringLiteral("Customer.CollectType"), QStringLiteral("振込"));
    customer.SetField(QStringLiteral("Customer.Ceiling"), CMny(1234567));
    customer.SetField(QStringLiteral("Customer.Class1"), QStringLiteral("関東"));
    customer.SetField(QStringLiteral("Customer.Memo"), QStringLiteral("一行目\r\n二行目\n三行目"));
    customer.SetField(QStringLiteral("Supplier.Class2"), QStringLiteral("別の表"));

    const QStringList detailed = MasterPrintText::CustomerLines(customer, 0, captions);
    ASSERT_EQ(detailed.size(), 16);
    EXPECT_EQ(detailed[0], QStringLiteral("取引先名：C001 甲商事  山田　")); // only ASCII blanks trimmed
    EXPECT_EQ(detailed[1], QStringLiteral("フリガナ：コウショウジ"));
    EXPECT_EQ(detailed[3], QStringLiteral("所在地：東京都千代田区"));
    EXPECT_EQ(detailed[4], QStringLiteral("TEL：／FAX："));
    EXPECT_EQ(detailed[6], QStringLiteral("自社担当者：／相手先指定コード："));
    EXPECT_EQ(detailed[7],
              QStringLiteral("販売方法：掛率 80％ 20日締 税転嫁請求時 税端数四捨五入 金額端数切り捨て"));
    EXPECT_EQ(detailed[8], QStringLiteral("入金方法：請求後 10日 振込"));
    EXPECT_EQ(detailed[9], QStringLiteral(u"与信限度額：¥1,234,567"));
    EXPECT_EQ(detailed[10], QStringLiteral("地域：関東"));
    EXPECT_TRUE(detailed[11].isNull()); // no Class2 of this table: nothing drawn
    EXPECT_EQ(detailed[15], QStringLiteral("メモ：一行目二行目三行目"));

    const QStringList address = MasterPrintText::CustomerLines(customer, 1, captions);
    EXPECT_EQ(address, (QStringList{QStringLiteral("C001 甲商事  山田　"), QStringLiteral("コウショウジ"),
                                    QStringLiteral("100-0001 東京都千代田区"),
                                    QStringLiteral("TEL：／FAX：／E-mail：")}));

    COneRecord supplier;
    supplier.SetField(QStringLiteral("Supplier.SupplierCode"), QStringLiteral("S9"));
    supplier.SetField(QStringLiteral("Supplier.CollectCycle"), 2);
    supplier.SetField(QStringLiteral("Supplier.CollectDay"), 99);
    supplier.SetField(QStringLiteral("Supplier.BankCode"), QStringLiteral("0001"));
    supplier.SetField(QStringLiteral("Supplier.Bank"), QStringLiteral("甲銀行"));
    supplier.SetField(QStringLiteral("Supplier.BankAccountType"), 2);
    supplier.SetField(QStringLiteral("Supplier.BankNumber"), QStringLiteral("1234567"));
    supplier.SetField(QStringLiteral("Supplier.PaymentType"), 1);
    supplier.SetField(QStringLiteral("Supplier.BankType"), 3);
    supplier.SetField(QStringLiteral("Supplier.BankFee"), 0);
    supplier.SetField(QStringLiteral("Supplier.Memo"), QStringLiteral("印刷しない"));
    supplier.SetField(QStringLiteral("Supplier.Class5"), QStringLiteral("外注"));
    const QStringList s = MasterPrintText::SupplierLines(supplier, 0, captions);
    ASSERT_EQ(s.size(), 16);
    EXPECT_EQ(s[0], QStringLiteral("取引先名：S9 "));
    EXPECT_EQ(s[7], QStringLiteral("仕入方法：締 税転嫁 税端数 金額端数"));
    EXPECT_EQ(s[8], QStringLiteral("支払方法：翌月 月末 "));
    EXPECT_EQ(s[9], QStringLiteral("振込方法：0001 甲銀行  "));
    EXPECT_EQ(s[10], QStringLiteral("              普通 口座番号1234567 電信 他行 相手負担"));
    EXPECT_EQ(s[15], QStringLiteral("分類５：外注"));
    EXPECT_FALSE(s.join(u'|').contains(QStringLiteral("印刷しない")));

    COneRecord item;
    item.SetField(QStringLiteral("Item.ItemCode"), QStringLiteral("A-1"));
    item.SetField(QStringLiteral("Item.Price"), CMny(1200));
    item.SetField(QStringLiteral("Item.FixPrice"), CMny(1000));
    item.SetField(QStringLiteral("Item.TaxFlg2"), 2);
    item.SetField(QStringLiteral("Item.Class3"), QStringLiteral("文具"));
    const QStringList i = MasterPrintText::ItemLines(item, captions);
    ASSERT_EQ(i.size(), 12);
    EXPECT_EQ(i[0], QStringLiteral("品番：A-1"));
    EXPECT_TRUE(i[1].isNull());
    EXPECT_EQ(i[4], QStringLiteral(u"売価：¥1200  （統一伝票用売価：¥1000）")); // no TaxFlg: its part empty
    EXPECT_EQ(i[5], QStringLiteral(u" (内税)"));                                // no Cost
    EXPECT_EQ(i[8], QStringLiteral("分類３：文具"));
    EXPECT_TRUE(i[11].isNull());
}

// The printer keeps the user's paper when it offers no A4.
TEST(MasterPrintPaper, A4PortraitOnlyWhenOffered)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Landscape);
    EXPECT_FALSE(ApplyPaper(printer, {QPageSize(QPageSize::Letter), QPageSize(QPageSize::Legal)}, 9, 1));
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_TRUE(ApplyPaper(printer, {QPageSize(QPageSize::Letter), QPageSize(QPageSize::A4)}, 9, 1));
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
}

// A three-page customer directory through the job driver into a PDF file.
TEST_F(MasterPrintTest, CustomerDirectoryPdf)
{
    QTemporaryDir dir;
    CFakePrintDialogs dialogs;
    dialogs.m_strPdf = dir.filePath(QStringLiteral("customers.pdf"));
    auto doc = Doc(2, 0, Records(QStringLiteral("Customer"), 8));
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(600);
    printer.setFullPage(true);
    ASSERT_TRUE(PrintJob::Print(*doc, printer));
    EXPECT_EQ(dialogs.m_offered, (QList<QPair<int, int>>{{1, 3}}));
    EXPECT_EQ(PdfPageCount(dialogs.m_strPdf), 3);
    EXPECT_TRUE(doc->PrintRecords().isEmpty());
}

// The questions before a directory print.
TEST_F(MasterPrintTest, ListPrintQuestions)
{
    int mode = 0, answer = 1;
    const ChoiceDialogRunner old = SetChoiceDialogRunner([&](int m, int& choice) {
        mode = m;
        if (answer < 0)
            return int(IDCANCEL);
        choice = answer;
        return int(IDOK);
    });
    int variant = -1;
    EXPECT_FALSE(AskListPrint(CMasterKind::Customers(), 0, variant));
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_FALSE(AskListPrint(CMasterKind::Customers(), 3, variant));
    m_ui.Prompt().QueueAnswers({IDYES});
    answer = -1;
    EXPECT_FALSE(AskListPrint(CMasterKind::Suppliers(), 3, variant));
    EXPECT_EQ(mode, 4);
    EXPECT_EQ(Texts(), (QStringList{QStringLiteral("印刷するデータを選択してください。\n"),
                                    QStringLiteral("選択されている3件の情報を印刷します。よろしいですか？"),
                                    QStringLiteral("選択されている3件の情報を印刷します。よろしいですか？"),
                                    QStringLiteral("印刷を中止します。")}));
    EXPECT_EQ(m_ui.Prompt().Calls()[1].buttons, MB_YESNO);
    EXPECT_EQ(m_ui.Prompt().Calls()[1].icon, MB_ICONQUESTION);

    answer = 1;
    mode = 0;
    EXPECT_TRUE(AskListPrint(CMasterKind::Customers(), 1, variant));
    EXPECT_EQ(variant, 1);
    EXPECT_TRUE(AskListPrint(CMasterKind::Items(), 1, variant)); // products: no choice
    EXPECT_EQ(variant, 0);
    EXPECT_EQ(mode, 4);
    SetChoiceDialogRunner(old);
}

// Labels: the selected masters go into the work table in one insert, then
// the slip-form program starts on it after the form chooser.
TEST_F(MasterPrintTest, AddressAndLabelWorkTables)
{
    CScriptedFormDialogs forms;
    CLaunchRecorder launcher;
    Exec(QStringLiteral(
        "INSERT INTO Supplier(SupplierCode, Company, Zip, TEL) VALUES ('S1', '甲', '100', '03'),"
        "('S2', '乙', '200', '04'), ('S3', '丙', '300', '05')"));
    Exec(QStringLiteral("INSERT INTO Customer(CustomerCode, Company) VALUES ('C1', '丁')"));
    Exec(QStringLiteral("INSERT INTO Item(ItemCode, ItemName, SetItem, FixPrice, StockType, Price) VALUES "
                        "('I1', '鉛筆', 1, 90, 1, 100)"));
    const auto insert = [this](CCDSData& set, QString& err) { return m_data.InsertData(set, err); };
    const auto launch = [](int kind, const QString& text, long layout) {
        return SlipForm::OpenSlipForm(kind, text, layout);
    };

    CCDSData customers = Load(QStringLiteral("Customer"), QStringLiteral("CustomerCode"));
    m_ui.Prompt().QueueAnswers({IDYES});
    forms.m_nPick = 0; // the chooser cancelled: nothing starts, the rows stay
    EXPECT_EQ(CAddressPrint(CMasterKind::Customers(), insert, launch).Run({customers.GetAt(0)}), 0);
    EXPECT_EQ(WorkRows(QStringLiteral("WAtena"), QStringLiteral("CustomerCode,Company")),
              QStringList{QStringLiteral("C1|丁")});
    EXPECT_TRUE(launcher.m_starts.isEmpty());

    CCDSData suppliers = Load(QStringLiteral("Supplier"), QStringLiteral("SupplierCode"));
    ASSERT_EQ(suppliers.GetCount(), 3);
    const QList<long> offered = forms.m_offered.isEmpty() ? QList<long>() : forms.m_offered.first();
    ASSERT_FALSE(offered.isEmpty());
    forms.m_nPick = offered.first();
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(CAddressPrint(CMasterKind::Suppliers(), insert, launch)
                  .Run({suppliers.GetAt(0), suppliers.GetAt(1), suppliers.GetAt(2)}),
              1);
    // The second command replaced the first's rows; suppliers carry their own code and ID.
    QStringList expected;
    for (int i = 0; i < 3; ++i)
        expected << QStringLiteral("%1|-|S%2|%3")
                        .arg(suppliers.GetAt(i)
                                 ->GetOneField(QStringLiteral("Supplier"), QStringLiteral("ID"))
                                 ->GetText())
                        .arg(i + 1)
                        .arg(QStringList{"100", "200", "300"}[i]);
    QStringList rows = WorkRows(QStringLiteral("WAtena"), QStringLiteral("ID,CustomerCode,SupplierCode,Zip"));
    for (QString& row : rows)
        row.replace(QStringLiteral("||"), QStringLiteral("|-|")); // a column without value reads empty
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(launcher.m_starts, QStringList{QStringLiteral(" /L:%1 /C:11 /W:").arg(forms.m_nPick)});
    EXPECT_EQ(forms.m_chooserKinds, (QList<int>{11, 11}));

    // Product labels: only the work table's fields are copied.
    CCDSData work;
    work.m_strTable = QStringLiteral("WItem");
    CCDSData items = Load(QStringLiteral("Item"), QStringLiteral("ItemCode"));
    ASSERT_EQ(CAddressPrint::AppendWorkRecord(items.GetAt(0), work), 1);
    QStringList names;
    for (int i = 0; i < work.GetAt(0)->GetCount(); ++i)
        names << work.GetAt(0)->GetAt(i)->GetName();
    EXPECT_TRUE(names.contains(QStringLiteral("WItem.ItemCode")));
    EXPECT_TRUE(names.contains(QStringLiteral("WItem.Price")));
    for (const char* absent :
         {"WItem.SetItem", "WItem.FixPrice", "WItem.StockType", "WItem.SupplierCode", "WItem.StartDate"})
        EXPECT_FALSE(names.contains(QString::fromLatin1(absent))) << absent;
    EXPECT_EQ(names.size(), 17);
    CCDSData other;
    other.m_strTable = QStringLiteral("Item");
    EXPECT_EQ(CAddressPrint::AppendWorkRecord(items.GetAt(0), other), 0);
    EXPECT_EQ(CAddressPrint::AppendWorkRecord(nullptr, work), 0);

    // An insert failure shows its texts and starts nothing.
    launcher.m_starts.clear();
    m_ui.Prompt().Clear();
    const struct {
        int result;
        QString err;
        QString first;
    } failures[] = {
        {10, QStringLiteral("書けません"), QStringLiteral("書けません")},
        {0, QString(),
         FailureAdviceText(QStringLiteral("印刷のためのワークテーブル書き出しに失敗しました。"))},
    };
    for (const auto& f : failures) {
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers({IDYES});
        CAddressPrint failing(
            CMasterKind::Items(),
            [&f](CCDSData&, QString& err) {
                err = f.err;
                return f.result;
            },
            launch);
        EXPECT_EQ(failing.Run({items.GetAt(0)}), 0);
        EXPECT_EQ(Texts().mid(1), (QStringList{f.first, QStringLiteral("書き出し処理に失敗しました。\n")}));
    }
    m_ui.Prompt().Clear();
    CAddressPrint fatal(
        CMasterKind::Items(), [](CCDSData&, QString&) { return -100; }, launch);
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(fatal.Run({items.GetAt(0)}), 0);
    ASSERT_EQ(Texts().size(), 3);
    EXPECT_EQ(m_ui.Prompt().Calls()[1].icon, MB_ICONSTOP);
    EXPECT_TRUE(launcher.m_starts.isEmpty());
    // No selection, or No to the question: nothing written.
    m_ui.Prompt().Clear();
    EXPECT_EQ(CAddressPrint(CMasterKind::Suppliers(), insert, launch).Run({}), 0);
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(CAddressPrint(CMasterKind::Suppliers(), insert, launch).Run({suppliers.GetAt(0)}), 0);
    EXPECT_EQ(Texts().first(), QStringLiteral("印刷するデータを選択してください。\n"));
    EXPECT_EQ(Count(QStringLiteral("WAtena")), 3);
}
