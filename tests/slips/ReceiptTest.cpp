#include "SlipTestDb.h"

#include "slips/ReceiptRules.h"

#include "platform/ui/Prompt.h"

#include <QFile>

namespace
{

class ReceiptDb : public CSlipDbTest
{
  protected:
    void SetUp() override
    {
        CSlipDbTest::SetUp();
        Exec(QStringLiteral(
            "INSERT INTO Customer(CustomerCode, Company, Section, Name, MyPerson, Zip, Address, Keisho) "
            "VALUES('K1', '青木商事', '営業部', '青木', '佐藤', '100-0001', '東京都千代田区', '様')"));
        Exec(QStringLiteral(
            "INSERT INTO Supplier(SupplierCode, Company, Section, Name, MyPerson, Zip, Address) "
            "VALUES('S1', '北星物産', '', '北村', '鈴木', '060-0001', '札幌市')"));
    }
    // An open closing of a customer, with one slip booked to it.
    void AddClosing(int id, const QString& code, const QString& closeDate, int tudo = 1, int status = 0,
                    const QString& table = QStringLiteral("Sales_Close"))
    {
        const QString field = table == QStringLiteral("Sales_Close") ? QStringLiteral("CustomerCode")
                                                                     : QStringLiteral("SupplierCode");
        Exec(QStringLiteral(
                 "INSERT INTO %1(ID, No, Date, %2, CloseDate, CollectDate, Status, TaxRate, TudoFlg) "
                 "VALUES(%3, 'C%3', '%4', '%5', '%4', '2024-05-31', %6, 100000, %7)")
                 .arg(table, field)
                 .arg(id)
                 .arg(closeDate, code)
                 .arg(status)
                 .arg(tudo));
    }
    QString Value(const QString& sql)
    {
        CCDSData request;
        request.m_strCondition = sql;
        CCDSData result;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        return result.GetCount() ? result.GetAt(0)->GetAt(0)->GetText() : QStringLiteral("<none>");
    }
    // A receipt filled for customer K1 with the given rows.
    void Fill(CReceiptRules& r, const QList<std::pair<int, int>>& rows,
              const QString& code = QStringLiteral("K1"))
    {
        r.m_strCode = code;
        r.m_date = QDate(2024, 4, 10);
        for (int i = 0; i < rows.size(); ++i) {
            r.m_rows[size_t(i)].m_nMethod = rows[i].first;
            r.m_rows[size_t(i)].m_amount = CMny(rows[i].second);
            r.m_rows[size_t(i)].m_strContents = QStringLiteral("摘要%1").arg(i + 1);
        }
        r.ComputeTotals();
    }
};

TEST_F(ReceiptDb, RowsEnablingAndTotals)
{
    CReceiptRules r(m_data, 0, 0);
    EXPECT_TRUE(r.IsMethodEnabled(0));
    EXPECT_FALSE(r.IsMethodEnabled(1));
    EXPECT_FALSE(r.IsAmountEnabled(0));
    // 現金 1000, 振込 0, 現金 500: every filled row counts, also after the 0.
    r.SetMethod(0, 0);
    r.SetAmount(0, CMny(1000));
    r.SetMethod(1, 2);
    r.SetMethod(2, 0);
    r.SetAmount(2, CMny(500));
    EXPECT_EQ(r.m_total, CMny(1500));
    EXPECT_EQ(r.m_bill, CMny(1500));
    EXPECT_TRUE(r.IsMethodEnabled(3));
    EXPECT_FALSE(r.IsMethodEnabled(4));
    EXPECT_FALSE(r.IsDraftEnabled(0));
    // 値引き counts in 合計金額 only; moving to and from it moves the amount.
    r.SetMethod(2, CReceiptRules::kDiscountMethod);
    EXPECT_EQ(r.m_total, CMny(1500));
    EXPECT_EQ(r.m_bill, CMny(1000));
    r.SetMethod(2, CReceiptRules::kDraftMethod);
    EXPECT_EQ(r.m_bill, CMny(1500));
    EXPECT_TRUE(r.IsDraftEnabled(2));
    // The blank ninth entry ends the filled rows.
    r.SetMethod(1, 8);
    EXPECT_EQ(r.FilledRows(), 1);
    EXPECT_EQ(r.m_total, CMny(1000));
    EXPECT_FALSE(r.IsMethodEnabled(2));
    EXPECT_FALSE(r.IsAmountEnabled(2));
}

TEST_F(ReceiptDb, ValidationOrderAndTexts)
{
    struct Case {
        int kind;
        QString code, no;
        int method;
        CReceiptRules::Field field;
        QString text;
    } cases[] = {
        {0, "", "", -1, CReceiptRules::kCode, "得意先コードを入力してください"},
        {1, "", "", -1, CReceiptRules::kCode, "仕入先コードを入力してください"},
        {0, "K1", "0", -1, CReceiptRules::kNo, "入金Noを入力してください"},
        {1, "S1", "", 0, CReceiptRules::kNo, "出金Noを入力してください"},
        {0, "K1", "12", -1, CReceiptRules::kMethod1, "内訳を設定してください"},
        {0, "K1", "12", 0, CReceiptRules::kNone, ""},
    };
    for (const Case& c : cases) {
        m_ui.Prompt().Clear();
        CReceiptRules r(m_data, c.kind, 0);
        r.m_strCode = c.code;
        r.m_strNo = c.no;
        r.m_rows[0].m_nMethod = c.method;
        EXPECT_EQ(r.Validate(), c.field) << c.text.toStdString();
        EXPECT_EQ(Texts(), c.text.isEmpty() ? QStringList() : QStringList{c.text});
    }
}

TEST_F(ReceiptDb, TypedAmountsAreReadExactlyOrRefused)
{
    // Money holds ten-thousandths in 64 bits: more than 2^31 yen and
    // fractions are amounts; what is no number or does not fit is refused.
    const struct Case {
        QString text;
        CMny amount; // the row keeps 77 when refused
        QString message;
    } cases[] = {
        {"3000000000", CMny(3000000000LL), ""},
        {"-1250.5", CMny(-12505, 1), ""},
        {"922337203685477", CMny(922337203685477LL), ""},
        {"", CMny(0), ""},
        {"1.2.3", CMny(77), "不正な数値が入力されています。"},
        {"0.12345", CMny(77), "入力できる小数点以下の桁数は、最大4桁までです。"},
        {"922337203685478", CMny(77), "入力できる数値の大きさは、922,337,203,685,477までです。"},
    };
    for (const Case& c : cases) {
        m_ui.Prompt().Clear();
        CReceiptRules r(m_data, 0, 0);
        r.SetMethod(0, 0);
        r.SetAmount(0, CMny(77));
        EXPECT_EQ(r.SetAmountText(0, c.text), c.message.isEmpty()) << c.text.toStdString();
        EXPECT_EQ(r.m_rows[0].m_amount, c.amount) << c.text.toStdString();
        EXPECT_EQ(r.m_total, c.amount);
        EXPECT_EQ(Texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }

    // Two amounts that each fit but not together: refused on 登録, nothing written.
    CReceiptRules r(m_data, 0, 0);
    r.m_strNo = "5";
    Fill(r, {{0, 0}, {2, 0}});
    ASSERT_TRUE(r.SetAmountText(0, "922337203685477") && r.SetAmountText(1, "1"));
    m_ui.Prompt().Clear();
    EXPECT_EQ(r.Validate(), CReceiptRules::kAmount);
    EXPECT_EQ(Texts(), QStringList{"合計金額が大きすぎます。金額を確認してください。"});
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(r.Close(), CReceiptRules::kStay);
    EXPECT_EQ(Count("Receipt_H"), 0);
    // Above 2^31 and with a fraction, stored to the ten-thousandth.
    ASSERT_TRUE(r.SetAmountText(1, "0.5"));
    EXPECT_EQ(r.Validate(), CReceiptRules::kNone);
    EXPECT_EQ(r.Save(), CReceiptRules::kSaved);
    EXPECT_EQ(Value("SELECT Amount || '|' || Bill FROM Receipt_H"),
              "9223372036854775000|9223372036854775000");
    EXPECT_EQ(Value("SELECT group_concat(Amount, ',') FROM Receipt_B"), "9223372036854770000,5000");
}

TEST_F(ReceiptDb, NewReceiptsSettleTheTickedClosingAndAdvanceTheCounter)
{
    AddSales(1, "2024-03-31", "S-1", "K1", "青木商事", 30000, 5);
    AddClosing(5, "K1", "2024-03-31");
    CReceiptRules r(m_data, 0, 0);
    r.Init();
    const QString first = r.m_strNo;
    r.m_strCode = QStringLiteral("K1");
    ASSERT_TRUE(r.LookupPartner());
    EXPECT_EQ(r.m_strName, QStringLiteral("青木商事 営業部 青木"));
    EXPECT_EQ(r.m_strMyPerson, QStringLiteral("佐藤"));
    ASSERT_EQ(r.m_history.size(), 1u);
    EXPECT_EQ(r.m_history[0].m_nID, 5);
    EXPECT_TRUE(r.m_history[0].m_bTicked);
    Fill(r, {{0, 1000}, {2, 0}, {CReceiptRules::kDiscountMethod, 500}});
    EXPECT_EQ(r.Save(), CReceiptRules::kSaved);
    EXPECT_EQ(Texts(), QStringList{"登録しました"});
    const int id1 = Value("SELECT max(ID) FROM Receipt_H").toInt();
    EXPECT_EQ(
        Value("SELECT No || '|' || CustomerCode || '|' || Amount || '|' || Bill || '|' || CloseID || '|' || "
              "SeikyuID || '|' || Date FROM Receipt_H"),
        first + "|K1|15000000|10000000|0|0|2024-04-10");
    EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(LineNo || Code || Amount || Contents, ',') FROM "
                                   "(SELECT * FROM Receipt_B WHERE HeaderID=%1 ORDER BY LineNo)")
                        .arg(id1)),
              "1現金10000000摘要1,2振込0摘要2,3値引き5000000摘要3");
    EXPECT_EQ(Value("SELECT Status FROM Sales_Close WHERE ID=5"), "1");
    EXPECT_TRUE(r.m_history.empty());
    // The form is reset with the next number; a second receipt follows.
    EXPECT_TRUE(r.m_strCode.isEmpty());
    EXPECT_NE(r.m_strNo, first);
    EXPECT_EQ(r.m_strNo.toInt(), first.toInt() + 1);
    const QString second = r.m_strNo;
    Fill(r, {{0, 700}});
    EXPECT_EQ(r.Save(), CReceiptRules::kSaved);
    EXPECT_EQ(Value("SELECT group_concat(No, ',') FROM (SELECT No FROM Receipt_H ORDER BY ID)"),
              first + "," + second);
    EXPECT_EQ(Value("SELECT max(ID) FROM Receipt_H").toInt(), id1 + 1);
    EXPECT_EQ(r.m_strNo.toInt(), second.toInt() + 1);
}

// Without its counter file, and when a number is stored while the dialog
// shows it, a receipt or payment takes the number after the stored ones and
// says so once.
TEST_F(ReceiptDb, NumbersTheBooksHoldAreNotProposedOrWritten)
{
    const QString noInfo = m_folder + QStringLiteral("/NoInfo.dat");
    const QString fresh =
        QStringLiteral("番号の設定ファイル<%1>に%2の番号がなかったため、登録済みの%2の番号「%3」"
                       "の次の「%4」から番号を付けます。");
    const QString held =
        QStringLiteral("番号の設定ファイル<%1>の%2の番号「%3」からの番号は登録済みの%2の番号と重"
                       "なるため、登録済みの%2の番号「%4」の次の「%5」から番号を付けます。");
    for (const int kind : {0, 1}) {
        const QString table = kind == 0 ? QStringLiteral("Receipt_H") : QStringLiteral("Pay_H");
        const QString word = kind == 0 ? QStringLiteral("入金") : QStringLiteral("出金");
        SCOPED_TRACE(word.toStdString());
        Exec(QStringLiteral("INSERT INTO %1(No) VALUES('000001'), ('2')").arg(table));
        QFile::remove(noInfo);
        CReceiptRules r(m_data, kind, 0);
        r.Init();
        EXPECT_EQ(r.m_strNo, QStringLiteral("000003"));
        EXPECT_EQ(Texts(), QStringList{fresh.arg(noInfo, word, QStringLiteral("2"), r.m_strNo)});
        m_ui.Prompt().Clear();
        Exec(QStringLiteral("INSERT INTO %1(No) VALUES('3')").arg(table));
        Fill(r, {{0, 1000}}, kind == 0 ? QStringLiteral("K1") : QStringLiteral("S1"));
        EXPECT_EQ(r.Save(), CReceiptRules::kSaved);
        EXPECT_EQ(Texts(), QStringList({held.arg(noInfo, word, QStringLiteral("000003"), QStringLiteral("3"),
                                                 QStringLiteral("000004")),
                                        QStringLiteral("登録しました")}));
        m_ui.Prompt().Clear();
        EXPECT_EQ(Value(QStringLiteral("SELECT group_concat(No, ',') FROM (SELECT No FROM %1 ORDER BY ID)")
                            .arg(table)),
                  QStringLiteral("000001,2,3,000004"));
        EXPECT_EQ(r.m_strNo, QStringLiteral("000005"));
    }
}

TEST_F(ReceiptDb, SundryPartnerTakesTheTickedClosingsNameAndId)
{
    AddSales(1, "2024-03-20", "S-1", "　", "一見商店", 5000, 9);
    AddClosing(9, "　", "2024-03-20", 0);
    CReceiptRules r(m_data, 0, 0);
    r.Init();
    r.m_strCode = CReceiptRules::SundryCode();
    ASSERT_TRUE(r.LookupPartner());
    EXPECT_EQ(r.m_strName.trimmed(), QStringLiteral("一見商店"));
    r.Tick(0);
    EXPECT_EQ(r.m_strName, QStringLiteral("諸口"));
    r.Tick(0);
    EXPECT_EQ(r.m_strName.trimmed(), QStringLiteral("一見商店"));
    Fill(r, {{0, 5000}}, CReceiptRules::SundryCode());
    EXPECT_EQ(r.Save(), CReceiptRules::kSaved);
    EXPECT_EQ(Value("SELECT CloseID FROM Receipt_H"), "9");
    EXPECT_EQ(Value("SELECT Status FROM Sales_Close WHERE ID=9"), "1");
}

TEST_F(ReceiptDb, AFailingInsertLeavesNothingWritten)
{
    AddClosing(5, "K1", "2024-03-31");
    Exec("CREATE TRIGGER fail_rows BEFORE INSERT ON Receipt_B BEGIN SELECT RAISE(ABORT, '明細不可'); END");
    CReceiptRules r(m_data, 0, 0);
    r.Init();
    const QString no = r.m_strNo;
    r.m_strCode = QStringLiteral("K1");
    r.LookupPartner();
    Fill(r, {{0, 1000}});
    EXPECT_EQ(r.Save(), CReceiptRules::kFailed);
    ASSERT_EQ(Texts().size(), 1);
    EXPECT_TRUE(Texts()[0].startsWith(QStringLiteral("データの登録に失敗しました。\n")));
    EXPECT_EQ(Count("Receipt_H"), 0);
    EXPECT_EQ(Value("SELECT Status FROM Sales_Close WHERE ID=5"), "0");
    EXPECT_EQ(r.m_strNo, no);
    EXPECT_EQ(r.m_strCode, "K1"); // the form is kept
    EXPECT_EQ(r.m_nHeaderID, 0);
    CReceiptRules again(m_data, 0, 0);
    again.Init();
    EXPECT_EQ(again.m_strNo, no); // the counter did not move
}

TEST_F(ReceiptDb, BilledPeriodQuestion)
{
    AddClosing(3, "K1", "2024-04-30", 0); // a per-slip invoice first
    AddClosing(4, "K1", "2024-05-31", 1);
    AddClosing(6, "K2", "2024-06-30", 1);
    struct Case {
        QDate date;
        bool billed;
    } cases[] = {{QDate(2024, 4, 10), true}, {QDate(2024, 5, 31), true}, {QDate(2024, 6, 1), false}};
    for (const Case& c : cases) {
        CReceiptRules r(m_data, 0, 0);
        r.m_strCode = QStringLiteral("K1");
        r.m_date = c.date;
        EXPECT_EQ(r.IsInBilledPeriod(), c.billed) << c.date.toString().toStdString();
    }
    // Cancelling the question writes nothing.
    CReceiptRules r(m_data, 0, 0);
    r.Init();
    Fill(r, {{0, 100}});
    m_ui.Prompt().QueueAnswers({IDCANCEL});
    EXPECT_EQ(r.Save(), CReceiptRules::kWarningCancelled);
    ASSERT_EQ(Texts().size(), 1);
    EXPECT_TRUE(Texts()[0].startsWith(QStringLiteral("請求済みになっている期間の入金ですので")));
    EXPECT_EQ(Count("Receipt_H"), 0);
}

TEST_F(ReceiptDb, UnknownPartnerEmptiesTheCode)
{
    CReceiptRules r(m_data, 1, 0);
    r.m_strCode = QStringLiteral("ZZ");
    EXPECT_FALSE(r.LookupPartner());
    EXPECT_EQ(Texts(), QStringList{"「ZZ」の仕入先コードは台帳に登録がありません。\n"});
    EXPECT_TRUE(r.m_strCode.isEmpty());
    r.m_strCode = QStringLiteral("S1");
    EXPECT_TRUE(r.LookupPartner());
    EXPECT_EQ(r.m_strName, QStringLiteral("北星物産  北村"));
    EXPECT_EQ(r.m_strMyPerson, QStringLiteral("鈴木"));
}

class StoredReceipt : public ReceiptDb
{
  protected:
    void SetUp() override
    {
        ReceiptDb::SetUp();
        AddSales(1, "2024-03-31", "S-1", "K1", "青木商事", 30000, 7);
        AddClosing(7, "K1", "2024-03-31");
        Exec("INSERT INTO Receipt_H(ID, No, Date, CustomerCode, Amount, MyPerson, SeikyuID, Bill, CloseID) "
             "VALUES(20, 'R-20', '2024-03-15', 'K1', 12345000, '佐藤', 7, 12345000, 0)");
        Exec("INSERT INTO Receipt_B(HeaderID, LineNo, Code, Amount, Contents, DraftNo, DraftDate) VALUES"
             "(20, 1, '手形', 10000000, '手形入金', 'D-1', '2024-06-30'), (20, 2, '現金', 2345000, '', '', "
             "NULL)");
    }
    std::unique_ptr<CReceiptRules> Open()
    {
        auto r = std::make_unique<CReceiptRules>(m_data, 0, 2);
        r->m_strCode = QStringLiteral("K1");
        r->m_nHeaderID = 20;
        r->Init();
        return r;
    }
};

TEST_F(StoredReceipt, LoadsAndDetectsEachChange)
{
    auto base = Open();
    EXPECT_EQ(base->m_strNo, "R-20");
    EXPECT_EQ(base->m_rows[0].m_nMethod, CReceiptRules::kDraftMethod);
    EXPECT_EQ(base->m_rows[0].m_strDraftNo, "D-1");
    EXPECT_EQ(base->m_rows[1].m_amount, CMny(2345, 1)); // the fraction stays
    EXPECT_EQ(base->m_bill, CMny(12345, 1));
    EXPECT_FALSE(base->IsChanged());
    const std::function<void(CReceiptRules&)> changes[] = {
        [](CReceiptRules& r) { r.m_strCode = "K2"; },
        [](CReceiptRules& r) { r.m_strNo = "R-21"; },
        [](CReceiptRules& r) { r.m_date = r.m_date.addDays(1); },
        [](CReceiptRules& r) { r.m_strMyPerson = "別人"; },
        [](CReceiptRules& r) { r.SetMethod(1, 2); },
        [](CReceiptRules& r) { r.SetAmount(1, CMny(1)); },
        [](CReceiptRules& r) { r.m_rows[1].m_strContents = "x"; },
        [](CReceiptRules& r) { r.m_rows[0].m_strDraftNo = "D-2"; },
        [](CReceiptRules& r) { r.m_rows[0].m_dtDraft = QDate(2024, 7, 1); },
    };
    int n = 0;
    for (const auto& change : changes) {
        auto r = Open();
        change(*r);
        r->ComputeTotals();
        EXPECT_TRUE(r->IsChanged()) << "change " << n;
        ++n;
    }
    // Closing without a change asks nothing; with one it asks.
    EXPECT_EQ(base->Close(), CReceiptRules::kClose);
    base->m_strNo = "R-22";
    m_ui.Prompt().QueueAnswers({IDCANCEL});
    EXPECT_EQ(base->Close(), CReceiptRules::kStay);
    EXPECT_EQ(Texts(), QStringList{"このデータは変更されています。\n登録しますか？"});
}

TEST_F(StoredReceipt, ChangingABilledReceiptUndoesItsClosing)
{
    auto r = Open();
    r->SetAmount(1, CMny(3000));
    m_ui.Prompt().QueueAnswers({IDOK});
    EXPECT_EQ(r->Save(), CReceiptRules::kSaved);
    EXPECT_TRUE(Texts()[0].startsWith(QStringLiteral("注意！")));
    EXPECT_EQ(Texts().last(), "修正しました");
    EXPECT_EQ(Count("Sales_Close", "WHERE ID=7"), 0);
    EXPECT_EQ(Value("SELECT SeikyuID FROM Sales_H WHERE ID=1"), "0");
    EXPECT_EQ(Value("SELECT SeikyuID || '|' || Amount || '|' || Bill FROM Receipt_H WHERE ID=20"),
              "0|40000000|40000000");
    // The unedited 手形 row is written back as it was.
    EXPECT_EQ(Value("SELECT group_concat(Code || Amount || DraftNo || ifnull(DraftDate, ''), ',') FROM "
                    "(SELECT * FROM Receipt_B WHERE HeaderID=20 ORDER BY LineNo)"),
              "手形10000000D-12024-06-30,現金30000000");
}

TEST_F(StoredReceipt, AFailingChangeLeavesTheStoredReceipt)
{
    Exec("CREATE TRIGGER fail_rows BEFORE INSERT ON Receipt_B BEGIN SELECT RAISE(ABORT, '明細不可'); END");
    auto r = Open();
    r->SetAmount(1, CMny(3000));
    m_ui.Prompt().QueueAnswers({IDOK});
    EXPECT_EQ(r->Save(), CReceiptRules::kFailed);
    EXPECT_TRUE(Texts().last().startsWith(QStringLiteral("データの登録に失敗しました。\n")));
    EXPECT_EQ(Count("Sales_Close", "WHERE ID=7"), 1);
    EXPECT_EQ(Value("SELECT SeikyuID FROM Sales_H WHERE ID=1"), "7");
    EXPECT_EQ(Value("SELECT SeikyuID || '|' || Amount FROM Receipt_H WHERE ID=20"), "7|12345000");
    EXPECT_EQ(Count("Receipt_B", "WHERE HeaderID=20"), 2);
}

TEST_F(ReceiptDb, CloseQuestionOfNewEntries)
{
    struct Case {
        int kind;
        int answer;
        CReceiptRules::CloseResult result;
        QString text;
    } cases[] = {{0, IDCANCEL, CReceiptRules::kStay, "この入金データは登録されていません。\n登録しますか？"},
                 {1, IDNO, CReceiptRules::kClose, "この出金データは登録されていません。\n登録しますか？"}};
    for (const Case& c : cases) {
        m_ui.Prompt().Clear();
        CReceiptRules r(m_data, c.kind, 1);
        r.m_strNo = "1";
        Fill(r, {{0, 100}}, c.kind == 0 ? "K1" : "S1");
        m_ui.Prompt().QueueAnswers({c.answer});
        EXPECT_EQ(r.Close(), c.result);
        EXPECT_EQ(Texts(), QStringList{c.text});
    }
    // Nothing entered: no question.
    m_ui.Prompt().Clear();
    CReceiptRules empty(m_data, 0, 0);
    EXPECT_EQ(empty.Close(), CReceiptRules::kClose);
    EXPECT_TRUE(Texts().isEmpty());
    // Yes saves; mode 1 then closes.
    CReceiptRules r(m_data, 0, 1);
    r.m_strNo = "77";
    Fill(r, {{0, 100}});
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(r.Close(), CReceiptRules::kClose);
    EXPECT_EQ(Count("Receipt_H", "WHERE No='77'"), 1);
}

TEST_F(ReceiptDb, VoucherWritesWhatIsShownAndStartsKindTen)
{
    QList<int> kinds;
    auto opener = [&kinds](int kind, const QString& text, long layout) {
        EXPECT_TRUE(text.isEmpty());
        EXPECT_EQ(layout, 0);
        kinds << kind;
        return 1;
    };
    CReceiptRules r(m_data, 0, 0);
    r.m_strNo = "V-1";
    r.m_strMyPerson = "佐藤";
    Fill(r, {{0, 1000}, {CReceiptRules::kDiscountMethod, 200}});
    EXPECT_EQ(r.PrintVoucher(opener), 1);
    EXPECT_EQ(kinds, QList<int>{10});
    EXPECT_EQ(
        Value("SELECT No || '|' || CustomerCode || '|' || Zip || '|' || Company || '|' || Keisho || '|' || "
              "MyPerson || '|' || Bill FROM WReceipt_H"),
        "V-1|K1|100-0001|青木商事|様|佐藤|10000000");
    EXPECT_EQ(Value("SELECT group_concat(LineNo || Code || Amount || Contents, ',') FROM "
                    "(SELECT * FROM WReceipt_B ORDER BY LineNo)"),
              "1現金10000000摘要1,2値引き2000000摘要2");
    EXPECT_EQ(Count("WReceipt_B", "WHERE HeaderID<>(SELECT ID FROM WReceipt_H)"), 0);

    // A payment: the supplier's code and address; the second print replaces the first.
    CReceiptRules p(m_data, 1, 0);
    p.m_strNo = "P-1";
    Fill(p, {{2, 300}}, "S1");
    EXPECT_EQ(p.PrintVoucher(opener), 1);
    EXPECT_EQ(Count("WReceipt_H"), 1);
    EXPECT_EQ(Value("SELECT CustomerCode || '|' || Address || '|' || Bill FROM WReceipt_H"),
              "S1|札幌市|3000000");
    EXPECT_EQ(Count("WReceipt_B"), 1);

    // The one-time partner without a tick: empty partner fields.
    CReceiptRules s(m_data, 0, 0);
    Fill(s, {}, CReceiptRules::SundryCode());
    EXPECT_EQ(s.PrintVoucher(opener), 1);
    EXPECT_EQ(Value("SELECT Company || Zip || Address FROM WReceipt_H"), "");
    EXPECT_EQ(Count("WReceipt_B"), 0);

    // A failed body write: nothing kept, the form program not started.
    Exec("CREATE TRIGGER fail_w BEFORE INSERT ON WReceipt_B BEGIN SELECT RAISE(ABORT, 'x'); END");
    kinds.clear();
    m_ui.Prompt().Clear();
    EXPECT_EQ(r.PrintVoucher(opener), 0);
    EXPECT_TRUE(kinds.isEmpty());
    EXPECT_TRUE(Texts().value(0).startsWith(QStringLiteral("データの書き出しに失敗しました。\n")));
    EXPECT_EQ(Value("SELECT Company FROM WReceipt_H"), "");
}

} // namespace

#include "slips/ReceiptDlg.h"

#include "platform/ui/NumEdit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTreeWidget>

namespace
{

TEST_F(ReceiptDb, DialogEntersAndSavesAPayment)
{
    AddClosing(8, "S1", "2024-03-31", 1, 0, QStringLiteral("Stock_Close"));
    CReceiptDlg dialog(nullptr, m_data, 1, 0);
    dialog.Rules().Init();
    dialog.ShowValues();
    EXPECT_EQ(dialog.size(), QSize(CReceiptDlg::kClientWidth, CReceiptDlg::kClientHeight));
    // An answer of the code list for a product is not for this dialog.
    dialog.OnCodeChosen(0, QStringLiteral("S1"));
    EXPECT_TRUE(dialog.CodeEdit()->text().isEmpty());
    CScriptedCodeList list;
    list.m_nWParam = 2;
    list.m_strCode = QStringLiteral("S1");
    dialog.OnReference();
    EXPECT_EQ(list.m_switches, QStringList{" /S"});
    EXPECT_EQ(dialog.CodeEdit()->text(), "S1");
    EXPECT_EQ(dialog.History()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.History()->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_FALSE(dialog.AmountEdit(0)->isEnabled());
    dialog.MethodCombo(0)->setCurrentIndex(2);
    EXPECT_TRUE(dialog.AmountEdit(0)->isEnabled());
    EXPECT_TRUE(dialog.MethodCombo(1)->isEnabled());
    // A malformed amount is refused on leaving it and on 登録; nothing is written.
    dialog.AmountEdit(0)->setText(QStringLiteral("1.2.3"));
    m_ui.Prompt().Clear();
    QFocusEvent tabbed(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(dialog.AmountEdit(0), &tabbed);
    EXPECT_EQ(Texts(), QStringList{"不正な数値が入力されています。"});
    EXPECT_EQ(dialog.Rules().m_rows[0].m_amount, CMny(0));
    m_ui.Prompt().Clear();
    dialog.OnRegister();
    EXPECT_EQ(Texts(), QStringList{"不正な数値が入力されています。"});
    EXPECT_EQ(Count("Pay_H"), 0);
    dialog.AmountEdit(0)->setText(QStringLiteral("8000"));
    m_ui.Prompt().QueueAnswers({IDOK}); // the closing of 2024-03-31 is a period closing
    dialog.OnRegister();
    EXPECT_EQ(Texts().last(), "登録しました");
    EXPECT_EQ(Value("SELECT SupplierCode || '|' || Amount FROM Pay_H"), "S1|80000000");
    EXPECT_EQ(Value("SELECT Code FROM Pay_B"), "振込");
    EXPECT_EQ(Value("SELECT Status FROM Stock_Close WHERE ID=8"), "1");
    EXPECT_TRUE(dialog.CodeEdit()->text().isEmpty()); // ready for the next one
}

} // namespace
