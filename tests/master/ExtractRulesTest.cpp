#include "MasterTestDb.h"

#include "master/ExtractRules.h"
#include "master/MasterList.h"

#include <QFile>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace
{

// The frame's part, kept in the test.
class CFakeHost : public IExtractHost
{
  public:
    const CExCondition* GetActiveExtraction() const override { return m_active.get(); }
    int GetActiveFlag() const override { return m_nFlag; }
    void SetActiveExtraction(std::unique_ptr<CExCondition> condition, int flag) override
    {
        m_active = std::move(condition);
        m_nFlag = flag;
    }
    void ReleaseActiveExtraction() override
    {
        m_active.reset();
        m_nFlag = 0;
        ++m_nReleases;
    }

    std::unique_ptr<CExCondition> m_active;
    int m_nFlag = 0;
    int m_nReleases = 0;
};

// Answers the name dialog from a queue; an empty queue cancels.
struct CNames {
    QStringList queue;
    QStringList asked; // caption|prompt|initial name
    CExtractRules::NameAsker Asker()
    {
        return [this](const QString& caption, const QString& prompt, QString& name) {
            asked << caption + u'|' + prompt + u'|' + name;
            if (queue.isEmpty())
                return false;
            name = queue.takeFirst();
            return true;
        };
    }
};

int Field(const CExtractRules& rules, const char* field)
{
    const auto& fields = const_cast<CExtractRules&>(rules).Builder().GetFields();
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].m_strField == QLatin1StringView(field))
            return i;
    }
    return -1;
}

int Op(const CExtractRules& rules, int row, const char* text)
{
    const auto& ops = rules.Row(row).operators;
    for (int i = 0; i < ops.size(); ++i) {
        if (ops[i].text == QString::fromUtf8(text))
            return i;
    }
    return -1;
}

CExCondition Stored(int kind, const QString& name, const QString& sql, const QStringList& a)
{
    CExCondition condition;
    condition.m_nKind = kind;
    condition.m_strName = name;
    condition.m_strSQL = sql;
    condition.m_arrA = a;
    return condition;
}

class ExtractRulesTest : public CMasterDbTest
{
  protected:
    void Store(std::initializer_list<CExCondition> conditions)
    {
        CExtract store;
        ASSERT_EQ(store.Load(), 1);
        for (const CExCondition& condition : conditions)
            ASSERT_EQ(store.Add(condition), 1);
    }

    // The rows the master list shows with the frame's active extraction.
    QStringList Run()
    {
        CMasterDb db(m_data);
        CMasterList list(CMasterKind::Customers(), db);
        list.SetExtraction(m_host.m_active.get());
        list.Reload(true);
        QStringList codes;
        for (int row = 0; row < list.Model().GetRowCount(); ++row)
            codes << list.Model()
                         .RecordAt(row)
                         ->GetOneField(list.GetTableName(), list.GetCodeFieldName())
                         ->GetText();
        codes.sort();
        return codes;
    }
    void Customers()
    {
        Exec(QStringLiteral("DELETE FROM Customer"));
        Exec(QStringLiteral(
            "INSERT INTO Customer(CustomerCode, Company, Day, StartDate) VALUES"
            "('P1', '定価¥100', 99, '2004-07-17 09:00:00'), ('P2', '上‾線', 20, '2004-07-18 09:00:00'),"
            "('P3', 'A−B', 99, '2004-08-01 09:00:00'), ('P4', '100円均一', 0, '2005-07-01 09:00:00'),"
            "('P5', 'A－B', 99, '2006-01-01 09:00:00'), ('P6', '波〜線', 20, '2006-01-01 09:00:00'),"
            "('P7', '波～線', 15, '2006-01-01 09:00:00'), ('P8', '上~線', 99, '2006-01-01 09:00:00'),"
            "('P9', 'C:\\100', 0, '2006-01-01 09:00:00'), ('Q1', '山田商事', 99, '2006-01-01 09:00:00'),"
            "('Q2', '山田物産', 20, '2006-01-01 09:00:00')"));
    }

    CFakeHost m_host;
    CNames m_names;
};

// Runs `run` with every file write past its first byte failing, whoever
// runs the test.
int WithFailingWrites(const std::function<int()>& run)
{
    struct rlimit saved, small;
    ::getrlimit(RLIMIT_FSIZE, &saved);
    small = saved;
    small.rlim_cur = 1;
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const int result = run();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);
    return result;
}

const QString kCustomerHead = QStringLiteral("SELECT Customer.* FROM Customer ");

} // namespace

// Rows B and C open with their connectors; each field sets the input
// method of its value box.
TEST_F(ExtractRulesTest, RowsFollowTheConnectors)
{
    CExtractRules rules(EMasterKind::Customer, m_host, m_names.Asker());
    rules.Init();
    EXPECT_EQ(rules.GetCaption(), QStringLiteral("得意先の抽出"));
    EXPECT_EQ(rules.Row(0).connector, 2);
    EXPECT_FALSE(rules.IsRowEnabled(1));
    rules.SelectConnector(0, 1);
    EXPECT_TRUE(rules.IsRowEnabled(1));
    EXPECT_EQ(rules.Row(1).connector, 2) << "row B opens ending";
    EXPECT_FALSE(rules.IsRowEnabled(2));
    rules.SelectConnector(1, 0);
    EXPECT_TRUE(rules.IsRowEnabled(2));
    rules.SelectConnector(0, 2);
    EXPECT_FALSE(rules.IsRowEnabled(1));
    EXPECT_FALSE(rules.IsRowEnabled(2));
    EXPECT_FALSE(rules.CanRelease());

    const struct {
        const char* field;
        ImeField ime;
    } imes[] = {{"CustomerCode", ImeField::Code},
                {"E-mail", ImeField::Code},
                {"Day", ImeField::Number},
                {"StartDate", ImeField::Number},
                {"PhoenicCompany", ImeField::Reading},
                {"Company", ImeField::Text},
                {"Memo", ImeField::Text},
                {"BankOnesPhoenic", ImeField::Reading}};
    for (const auto& c : imes)
        EXPECT_EQ(GetExtractImeField(QString::fromLatin1(c.field)), c.ime) << c.field;
}

// Saved conditions: only the target's are offered; one taken over goes to
// the frame unchanged; a touched control makes the run build anew.
TEST_F(ExtractRulesTest, TakeOverAndRun)
{
    const QString stored = kCustomerHead + QStringLiteral("WHERE [Customer].[Day] = 99");
    Store({Stored(3, QStringLiteral("月末の得意先"), stored, {"[Customer].[Day]", "月末", " = *"}),
           Stored(4, QStringLiteral("仕入先"), QStringLiteral("SELECT Supplier.* FROM Supplier WHERE 1"), {}),
           Stored(7, QStringLiteral("種類不明"), kCustomerHead + QStringLiteral("WHERE 1"), {}),
           Stored(3, QStringLiteral("他の表"), QStringLiteral("SELECT Item.* FROM Item WHERE 1"), {}),
           Stored(3, QStringLiteral("項目なし"), kCustomerHead + QStringLiteral("WHERE 1"),
                  {"[Customer].[Nope]", "x", " = '*'"})});
    CExtractRules rules(EMasterKind::Customer, m_host, m_names.Asker());
    rules.Init();
    EXPECT_EQ(rules.GetSavedNames(), QStringList({"月末の得意先", "他の表", "項目なし"}));
    CExtractRules suppliers(EMasterKind::Supplier, m_host, m_names.Asker());
    suppliers.Init();
    EXPECT_EQ(suppliers.GetSavedNames(), QStringList{"仕入先"});

    rules.SelectSaved(0);
    EXPECT_EQ(rules.GetTakenOver(), 1);
    EXPECT_EQ(rules.Row(0).field, Field(rules, "Day"));
    EXPECT_EQ(rules.Row(0).values[rules.Row(0).valueItem].text, QStringLiteral("月末"));
    EXPECT_TRUE(rules.CanRenameOrDelete());
    ASSERT_TRUE(rules.OnRun());
    ASSERT_TRUE(m_host.m_active);
    EXPECT_EQ(m_host.m_active->m_strSQL, stored);
    EXPECT_EQ(m_host.m_active->m_strName, QStringLiteral("月末の得意先"));
    EXPECT_EQ(m_host.m_nFlag, 1);

    rules.SelectOperator(0, Op(rules, 0, "と等しくない"));
    EXPECT_EQ(rules.GetTakenOver(), 0);
    ASSERT_TRUE(rules.OnRun());
    EXPECT_NE(m_host.m_active->m_strSQL, stored);
    EXPECT_EQ(m_host.m_active->m_arrA, QStringList({"[Customer].[Day]", "月末", " <> *"}));
    EXPECT_EQ(m_host.m_nFlag, 0);
    EXPECT_EQ(m_host.m_nReleases, 2);
    EXPECT_EQ(Texts(), QStringList());

    // Another table's statement is not taken over; a row naming no field
    // is not shown, though its statement is.
    rules.SelectSaved(1);
    EXPECT_EQ(rules.GetTakenOver(), 0);
    EXPECT_EQ(rules.Row(0).field, -1) << "a condition of the target without parts shows empty rows";
    rules.SelectSaved(2);
    EXPECT_EQ(rules.GetTakenOver(), 1);
    EXPECT_EQ(rules.Row(0).field, -1);
    EXPECT_EQ(Texts(), QStringList(2, QStringLiteral("条件が不正なため、再現できません")));

    // The active extraction comes back when the dialog opens again.
    CExtractRules reopened(EMasterKind::Customer, m_host, m_names.Asker());
    reopened.Init();
    EXPECT_EQ(reopened.Row(0).op, Op(reopened, 0, "と等しくない"));
    EXPECT_EQ(reopened.GetTakenOver(), 0);
    EXPECT_TRUE(reopened.CanRelease());
}

// Save, rename and delete with their questions and texts; a store that
// cannot be read offers neither rename nor delete.
TEST_F(ExtractRulesTest, SaveRenameDelete)
{
    CExtractRules rules(EMasterKind::Customer, m_host, m_names.Asker());
    rules.Init();
    EXPECT_EQ(rules.OnRename(), 0);
    EXPECT_EQ(rules.GetFocus(), CExtractRules::kFocusList);
    EXPECT_EQ(rules.OnDelete(), 0);
    EXPECT_EQ(Texts(), QStringList({"条件を選択してください", "削除する条件を選択してください"}));

    m_ui.Prompt().Clear();
    rules.SetField(0, Field(rules, "Company"));
    rules.SetValueText(0, QStringLiteral("商事"));
    rules.SelectOperator(0, Op(rules, 0, "を含む"));
    m_names.queue = {QStringLiteral("商事")};
    EXPECT_EQ(rules.OnSave(), 1);
    EXPECT_EQ(rules.GetTakenOver(), 1);
    EXPECT_EQ(rules.GetSavedNames(), QStringList{"商事"});
    EXPECT_EQ(m_names.asked,
              QStringList{"名前をつけて条件を保存|名前を入力して【OK】をクリックしてください。|"});

    rules.SelectSaved(0);
    m_names.queue = {QStringLiteral("商事の得意先")};
    EXPECT_EQ(rules.OnRename(), 1);
    EXPECT_EQ(m_names.asked.last(),
              QStringLiteral("名前の変更|名前を変更して【OK】をクリックしてください。|商事"));
    EXPECT_EQ(rules.GetSavedNames(), QStringList{"商事の得意先"});
    EXPECT_EQ(rules.GetSavedSelection(), 0);

    m_ui.Prompt().QueueAnswers({IDNO, IDYES});
    EXPECT_EQ(rules.OnDelete(), 0);
    EXPECT_EQ(rules.OnDelete(), 1);
    EXPECT_TRUE(rules.GetSavedNames().isEmpty());
    EXPECT_EQ(Texts(),
              QStringList({"抽出条件を保存しました", "条件「商事の得意先」を削除します。\nよろしいですか？",
                           "条件「商事の得意先」を削除します。\nよろしいですか？"}));
    EXPECT_EQ(m_ui.Prompt().Calls()[1].defaultButton, IDNO);

    // A damaged store kept as it is: nothing listed, nothing saved over it.
    QFile file(m_folder + QStringLiteral("/QXExtract.sys"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromHex("0100ffff"));
    file.close();
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDNO});
    CExtractRules damaged(EMasterKind::Customer, m_host, m_names.Asker());
    damaged.Init();
    EXPECT_TRUE(damaged.GetSavedNames().isEmpty());
    EXPECT_FALSE(damaged.CanRenameOrDelete());
    damaged.SetField(0, Field(damaged, "Company"));
    damaged.SetValueText(0, QStringLiteral("x"));
    damaged.SelectOperator(0, 0);
    m_names.queue = {QStringLiteral("x")};
    m_ui.Prompt().QueueAnswers({IDOK, IDNO});
    EXPECT_EQ(damaged.OnSave(), 0);
    EXPECT_TRUE(Texts().contains(QStringLiteral("抽出条件を保存できませんでした")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray::fromHex("0100ffff"));
}

// "抽出解除": a word when there is nothing to release, else a question.
TEST_F(ExtractRulesTest, Release)
{
    CExtractRules rules(EMasterKind::Customer, m_host, m_names.Asker());
    rules.Init();
    EXPECT_FALSE(rules.OnRelease());
    EXPECT_EQ(Texts(), QStringList{"現在抽出条件は設定されていません。"});

    m_host.m_active = std::make_unique<CExCondition>();
    m_host.m_active->m_nKind = 3;
    m_host.m_active->m_strSQL = kCustomerHead + QStringLiteral("WHERE 1");
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDNO, IDYES});
    EXPECT_FALSE(rules.OnRelease());
    EXPECT_TRUE(m_host.m_active);
    EXPECT_TRUE(rules.OnRelease());
    EXPECT_FALSE(m_host.m_active);
    EXPECT_EQ(Texts(), QStringList(2, QStringLiteral("抽出を解除してよろしいですか？")));
}

// The save file holds code page 932, where "¥" is the byte of "\", "‾" of
// "~", "−" of "－" and "〜" of "～": a condition finds the same rows when it
// is run, saved, chosen again and run, for every match kind of a text.
TEST_F(ExtractRulesTest, SavedConditionsFindTheSameRowsAfterLoading)
{
    Customers();
    const QStringList all{"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9", "Q1", "Q2"};
    const auto without = [&all](const QStringList& codes) {
        QStringList rest = all;
        for (const QString& code : codes)
            rest.removeAll(code);
        return rest;
    };
    const struct {
        const char* value;
        const char* op;
        QStringList codes;
    } cases[] = {
        {"¥100", "を含む", {"P1", "P9"}},
        {"定価¥", "で始まる", {"P1"}},
        {"¥100", "で終わる", {"P1", "P9"}},
        {"定価¥100", "と等しい", {"P1"}},
        {"‾", "を含む", {"P2", "P8"}},
        {"上‾", "で始まらない", without({"P2", "P8"})},
        {"A−B", "と等しい", {"P3", "P5"}},
        {"A−B", "と等しくない", without({"P3", "P5"})},
        {"−B", "で終わらない", without({"P3", "P5"})},
        {"〜", "を含む", {"P6", "P7"}},
        {"～", "を含まない", without({"P6", "P7"})},
        {"\\1", "を含む", {"P1", "P9"}},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.value) + QString::fromUtf8(c.op);
        SCOPED_TRACE(name.toStdString());
        CExtractRules rules(EMasterKind::Customer, m_host, m_names.Asker());
        rules.Init();
        rules.SetField(0, Field(rules, "Company"));
        rules.SetValueText(0, QString::fromUtf8(c.value));
        rules.SelectOperator(0, Op(rules, 0, c.op));
        ASSERT_TRUE(rules.OnRun());
        EXPECT_EQ(Run(), c.codes) << m_host.m_active->m_strSQL.toStdString();
        m_names.queue = {name};
        ASSERT_EQ(rules.OnSave(), 1);

        CExtractRules loaded(EMasterKind::Customer, m_host, m_names.Asker());
        loaded.Init();
        loaded.SelectSaved(int(loaded.GetSavedNames().size()) - 1);
        EXPECT_EQ(loaded.GetTakenOver(), 1);
        ASSERT_TRUE(loaded.OnRun());
        EXPECT_EQ(Run(), c.codes) << m_host.m_active->m_strSQL.toStdString();
    }
    EXPECT_EQ(Texts(), QStringList(std::size(cases), QStringLiteral("抽出条件を保存しました")));
    // The file keeps its bytes: the yen sign is the one byte 0x5C.
    QFile file(m_folder + QStringLiteral("/QXExtract.sys"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(QByteArray("\x04\\100", 5)));

    // What the file cannot hold is refused, never saved as "?"; a name is
    // asked for again.
    m_ui.Prompt().Clear();
    CExtractRules rules(EMasterKind::Customer, m_host, m_names.Asker());
    rules.Init();
    rules.SetField(0, Field(rules, "Company"));
    rules.SetValueText(0, QStringLiteral("😀"));
    rules.SelectOperator(0, Op(rules, 0, "を含む"));
    EXPECT_EQ(rules.OnSave(), 0);
    rules.SetValueText(0, QStringLiteral("¥"));
    m_names.queue = {QStringLiteral("円😀"), QStringLiteral("円")};
    EXPECT_EQ(rules.OnSave(), 1);
    EXPECT_EQ(rules.GetSavedNames().last(), QStringLiteral("円"));
    EXPECT_EQ(Texts(),
              QStringList({QStringLiteral("会社名に使用できない文字「😀」(U+1F600) が含まれています。"),
                           QStringLiteral("名前に使用できない文字「😀」(U+1F600) が含まれています。"),
                           QStringLiteral("抽出条件を保存しました")}));

    // An accented letter in the second row is named by that row's field,
    // whose value takes the focus.
    m_ui.Prompt().Clear();
    rules.SelectConnector(0, 0);
    rules.SetField(1, Field(rules, "Section"));
    rules.SetValueText(1, QStringLiteral("Taquería"));
    rules.SelectOperator(1, Op(rules, 1, "を含む"));
    EXPECT_EQ(rules.OnSave(), 0);
    EXPECT_EQ(Texts(),
              QStringList{QStringLiteral("部署名に使用できない文字「í」(U+00ED) が含まれています。")});
    EXPECT_EQ(rules.GetFocus(), CExtractRules::kFocusValue);
    EXPECT_EQ(rules.GetFocusRow(), 1);
}

// Conditions in the form the saved file shows them, written by another copy
// of the program (Jet statements), are shown and run through this builder's
// statement made from their parts.
TEST_F(ExtractRulesTest, ConditionsInTheirShownFormRestore)
{
    Customers();
    const QString jet = QStringLiteral("SELECT DISTINCTROW Customer.* FROM Customer WHERE ");
    const struct {
        const char* name;
        QString where;
        QStringList a, b, c;
        QStringList codes;
    } cases[] = {
        {"contains and a coded value",
         "([Customer].[Company] Like '%山田%' AND [Customer].[Company] Not Like '') AND [Customer].[Day] = "
         "99",
         {"[Customer].[Company]", "山田", " Like '%*%'", "AND"},
         {"[Customer].[Day]", "月末", " = *"},
         {},
         {"Q1"}},
        {"before a day",
         "Int([Customer].[StartDate]) < #7/18/2004#",
         {"[Customer].[StartDate]", "2004/07/18", " < *"},
         {},
         {},
         {"P1"}},
        {"month",
         "Month(Int([Customer].[StartDate]))= 7",
         {"[Customer].[StartDate]", "7", "Month()= *"},
         {},
         {},
         {"P1", "P2", "P4"}},
        {"(A or B) and C",
         "([Customer].[Day] = 99 OR [Customer].[Day] = 20) AND ([Customer].[Company] Like '%線' AND "
         "[Customer].[Company] Not Like '')",
         {"[Customer].[Day]", "月末", " = *", "OR"},
         {"[Customer].[Day]", "毎月20日締", " = *", "AND"},
         {"[Customer].[Company]", "線", " Like '%*'"},
         {"P2", "P6", "P8"}},
        {"(month or day) and ends",
         "(Month(Int([Customer].[StartDate]))= 7 OR [Customer].[Day] = 20) AND ...",
         {"[Customer].[StartDate]", "7", "Month()= *", "OR"},
         {"[Customer].[Day]", "毎月20日締", " = *", "AND"},
         {"[Customer].[Company]", "線", " Like '%*'"},
         {"P2", "P6"}},
    };
    for (const auto& c : cases) {
        CExCondition stored = Stored(3, QString::fromUtf8(c.name), jet + c.where, c.a);
        stored.m_arrB = c.b;
        stored.m_arrC = c.c;
        Store({stored});
    }
    CExtractRules rules(EMasterKind::Customer, m_host, m_names.Asker());
    rules.Init();
    for (int i = 0; i < int(std::size(cases)); ++i) {
        SCOPED_TRACE(cases[i].name);
        rules.SelectSaved(i);
        EXPECT_EQ(rules.GetTakenOver(), 1);
        EXPECT_GE(rules.Row(0).field, 0);
        EXPECT_EQ(rules.Row(0).field, rules.Builder().FindField(cases[i].a[0]));
        EXPECT_EQ(rules.GetWorking().m_arrA, cases[i].a);
        ASSERT_TRUE(rules.OnRun());
        EXPECT_TRUE(m_host.m_active->m_strSQL.startsWith(kCustomerHead));
        EXPECT_EQ(m_host.m_active->m_strName, QString::fromUtf8(cases[i].name));
        EXPECT_EQ(Run(), cases[i].codes) << m_host.m_active->m_strSQL.toStdString();
    }
    EXPECT_EQ(Texts(), QStringList());
}

// A rename or delete whose save fails shows the list as the file holds it,
// so that each name still runs its own condition.
TEST_F(ExtractRulesTest, FailedRenameOrDeleteShowsTheFile)
{
    Customers();
    Store({Stored(3, QStringLiteral("月末"), {}, {"[Customer].[Day]", "月末", " = *"}),
           Stored(3, QStringLiteral("都度"), {}, {"[Customer].[Day]", "都度", " = *"})});
    CExtractRules rules(EMasterKind::Customer, m_host, m_names.Asker());
    rules.Init();
    const QStringList names{"月末", "都度"};
    const QString failed = QStringLiteral("抽出条件を保存できませんでした");
    const QString fileError = QStringLiteral("設定ファイル<%1/QXExtract.sys>に書き込めませんでした。\n"
                                             "ディスクの空き容量や書き込みの権限を確認してください。")
                                  .arg(m_folder);

    rules.SelectSaved(0);
    m_names.queue = {QStringLiteral("新しい名前")};
    EXPECT_EQ(WithFailingWrites([&rules] { return rules.OnRename(); }), 0);
    EXPECT_EQ(rules.GetSavedNames(), names);
    EXPECT_EQ(rules.GetSavedSelection(), 0);
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(WithFailingWrites([&rules] { return rules.OnDelete(); }), 0);
    EXPECT_EQ(rules.GetSavedNames(), names);
    EXPECT_EQ(Texts(),
              QStringList({fileError, failed, QStringLiteral("条件「月末」を削除します。\nよろしいですか？"),
                           fileError, failed}));
    for (int i = 0; i < 2; ++i) {
        rules.SelectSaved(i);
        ASSERT_TRUE(rules.OnRun());
        EXPECT_EQ(Run(), i == 0 ? QStringList({"P1", "P3", "P5", "P8", "Q1"}) : QStringList({"P4", "P9"}));
    }
}
