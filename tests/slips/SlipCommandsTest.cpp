#include "SlipTestDb.h"

#include "slips/SlipCommands.h"
#include "slips/SlipExtract.h"
#include "slips/SlipList.h"

#include "platform/env/RegistryIni.h"
#include "platform/forms/FormCatalog.h"
#include "platform/forms/PloMainData.h"
#include "platform/forms/SelForm.h"
#include "platform/forms/SlipFormCommand.h"
#include "platform/forms/SlipListBlock.h"
#include "platform/ipc/ClipboardFormats.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/office/QRTData.h"
#include "platform/text/Cp932.h"
#include "platform/ui/ChoiceDlg.h"

#include <QFile>

namespace
{

// Records what would have been started; only the command line counts.
class CLaunchRecorder
{
  public:
    CLaunchRecorder()
        : m_old(SetProcessLauncher([this](const QString&, const QString& text) {
              m_lines << text;
              return true;
          }))
    {
    }
    ~CLaunchRecorder() { SetProcessLauncher(m_old); }
    QStringList m_lines;

  private:
    ProcessLauncher m_old;
};

// Answers the form chooser and the two-choice dialog.
class CScriptedPickers : public IFormDialogs
{
  public:
    CScriptedPickers()
        : m_old(CSelForm::SetDialogs(this)), m_oldChoice(SetChoiceDialogRunner([this](int mode, int& choice) {
              m_modes << mode;
              choice = m_nChoice;
              return m_nChoiceAnswer;
          }))
    {
    }
    ~CScriptedPickers() override
    {
        CSelForm::SetDialogs(m_old);
        SetChoiceDialogRunner(m_oldChoice);
    }
    bool RunChooser(CFormChoice& choice) override
    {
        m_kinds << choice.GetKind();
        for (int row = 0; row < choice.GetForms().size(); ++row) {
            if (choice.GetForms()[row].m_nFormID == m_nPick) {
                choice.SetCurrentRow(row);
                return true;
            }
        }
        return false;
    }
    void RunFormCtrl(CFormCtrl&) override {}

    long m_nPick = 0;
    int m_nChoice = 0;
    int m_nChoiceAnswer = IDOK;
    QList<int> m_kinds;
    QList<int> m_modes;

  private:
    IFormDialogs* m_old;
    ChoiceDialogRunner m_oldChoice;
};

class SlipCommandsTest : public CSlipDbTest
{
  protected:
    // The list of a view kind with every slip, ordered by ID.
    std::unique_ptr<CSlipList> List(int kind, const QString& header)
    {
        auto list = std::make_unique<CSlipList>(kind, m_data);
        EXPECT_EQ(list->InitColumns(), 1);
        list->SetExtraction(MakeSlipExtractWhere(header, {}) + QStringLiteral(" ORDER BY ID"), {}, {});
        EXPECT_EQ(list->Reload(), 1);
        return list;
    }
    QString FilePath(const QString& name) const { return m_folder + QStringLiteral("/Files/") + name; }
    void Touch(const QString& name)
    {
        QFile file(FilePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void AddSlips(int count)
    {
        QStringList values;
        for (int id = 1; id <= count; ++id)
            values << QStringLiteral("(%1, '2004-04-01', 'N%1', 'C1', 0, 'S%1.vrh', 201)").arg(id);
        Exec(QStringLiteral(
                 "INSERT INTO Sales_H(ID, Date, No, CustomerCode, DenpyoType, FileName, FormID) VALUES ") +
             values.join(u','));
        Exec(
            QStringLiteral("INSERT INTO Sales_B(HeaderID, LineNo, ItemCode) SELECT ID, 1, 'P' FROM Sales_H"));
    }
};

QList<int> Range(int from, int to)
{
    QList<int> rows;
    for (int i = from; i <= to; ++i)
        rows << i;
    return rows;
}

} // namespace

// 600 slips go in one unit with their lines and then their files; a file
// already gone is reported once. A billed slip is kept with a word.
TEST_F(SlipCommandsTest, DeleteInOneUnitThenTheFiles)
{
    AddSlips(600);
    for (int id = 1; id <= 598; ++id)
        Touch(QStringLiteral("S%1.vrh").arg(id));
    // The folder's name in another letter case is found all the same.
    QFile::rename(FilePath("S1.vrh"), FilePath("s1.VRH"));
    auto list = List(5, "Sales_H");
    ASSERT_EQ(list->Model().GetRowCount(), 600);

    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(CSlipCommands(*list).OnDelete(Range(0, 599)), 1);
    EXPECT_EQ(
        Texts(),
        (QStringList{QStringLiteral(
                         "一旦削除したデータは、元に戻すことは出来ません。\n本当に削除してよろしいですか？"),
                     QStringLiteral("削除するファイル（*.vrh）が存在しませんでした。"),
                     QStringLiteral("削除しました。")}));
    EXPECT_EQ(Count("Sales_H"), 0);
    EXPECT_EQ(Count("Sales_B"), 0);
    EXPECT_TRUE(QDir(m_folder + "/Files")
                    .entryList({QStringLiteral("*.vrh"), QStringLiteral("*.VRH")}, QDir::Files)
                    .isEmpty())
        << QDir(m_folder + "/Files").entryList(QDir::Files).join(u' ').toStdString();
    EXPECT_EQ(list->Model().GetRowCount(), 0);
    EXPECT_EQ(list->GetCountLabel(), QStringLiteral("件数 : 0件"));
}

// Deleting billed slips undoes their closings in the same unit: the words
// of the question follow the kind of closing; a failed undo keeps all.
TEST_F(SlipCommandsTest, DeleteBilledSlipsUndoesTheirClosings)
{
    Exec("INSERT INTO Sales_Close(ID, CustomerCode, TudoFlg) VALUES(7, 'C1', 1), (8, 'C2', 0)");
    AddSales(1, "2004-04-01", "A", "C1", "x", 100, 7);
    AddSales(2, "2004-04-02", "B", "C1", "x", 100, 7);
    AddSales(3, "2004-04-03", "C", "C2", "y", 100, 8);
    AddSales(4, "2004-04-04", "D", "C2", "y", 100, 0);
    Exec("INSERT INTO Receipt_H(ID, No, CustomerCode, SeikyuID) VALUES(1, 'R1', 'C1', 7)");
    auto list = List(5, "Sales_H");

    Exec("CREATE TRIGGER keep BEFORE DELETE ON Sales_Close BEGIN SELECT RAISE(ABORT, 'kept'); END");
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(CSlipCommands(*list).OnDelete({0}), 0);
    ASSERT_EQ(Texts().size(), 2);
    EXPECT_TRUE(
        Texts()[0].startsWith(QStringLiteral("注意！\n\n　請求済みの伝票を削除しようとしています。")));
    EXPECT_TRUE(Texts()[1].startsWith(QStringLiteral("締め請求の取り消しに失敗しました。\n")));
    EXPECT_EQ(Count("Sales_H", "WHERE SeikyuID = 7"), 2);
    EXPECT_EQ(list->Model().GetRowCount(), 4);
    Exec("DROP TRIGGER keep");

    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDYES, IDOK});
    EXPECT_EQ(CSlipCommands(*list).OnDelete({0}), 1);
    EXPECT_EQ(Count("Sales_Close"), 1);
    EXPECT_EQ(Count("Sales_H"), 3);
    EXPECT_EQ(Count("Sales_H", "WHERE ID = 2 AND SeikyuID = 0"), 1);
    EXPECT_EQ(Count("Receipt_H", "WHERE SeikyuID = 0"), 1);

    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDNO});
    const int row = list->Model().GetRowCount() - 2; // slip 3
    EXPECT_EQ(CSlipCommands(*list).OnDelete({row}), 0);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral(
                           "請求済みの伝票を削除しようとしています。\n本当に削除してよろしいですか？")});
    EXPECT_EQ(Count("Sales_Close"), 1);
}

// A failure in the second batch leaves slips, lines, files and the list as
// they were; No at the question changes nothing.
TEST_F(SlipCommandsTest, FailedBatchRollsEverythingBack)
{
    AddSlips(600);
    for (int id = 1; id <= 600; ++id)
        Touch(QStringLiteral("S%1.vrh").arg(id));
    Exec("CREATE TRIGGER refuse BEFORE DELETE ON Sales_H WHEN OLD.ID = 400 BEGIN SELECT RAISE(ABORT, "
         "'locked'); END");
    auto list = List(5, "Sales_H");

    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(CSlipCommands(*list).OnDelete(Range(0, 599)), 0);
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(CSlipCommands(*list).OnDelete(Range(0, 599)), 0);
    ASSERT_EQ(Texts().size(), 3);
    EXPECT_TRUE(Texts()[2].startsWith(QStringLiteral("データの削除に失敗しました。\n")))
        << Texts()[2].toStdString();
    EXPECT_EQ(Count("Sales_H"), 600);
    EXPECT_EQ(Count("Sales_B"), 600);
    EXPECT_EQ(QDir(m_folder + "/Files").entryList({QStringLiteral("S*.vrh")}, QDir::Files).size(), 600);
    EXPECT_EQ(list->Model().GetRowCount(), 600);
}

// Ties go to 成立; the rows change after the write; a click on a check
// image changes its row alone, or the selection it belongs to.
TEST_F(SlipCommandsTest, StatusOfQuotes)
{
    Exec("INSERT INTO Estimate_H(ID, Date, No, CustomerCode, Status) VALUES(1, '2004-04-01', 'E1', 'C1', 0),"
         "(2, '2004-04-02', 'E2', 'C1', 2), (3, '2004-04-03', 'E3', 'C1', 0)");
    auto list = List(4, "Estimate_H");
    CSlipCommands commands(*list);
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(commands.OnChangeStatus({0, 1}), 1);
    EXPECT_EQ(Texts(),
              (QStringList{QStringLiteral("選択したデータの状況を「成立」に変更してもよろしいですか？"),
                           QStringLiteral("変更しました。")}));
    EXPECT_EQ(Count("Estimate_H", "WHERE Status = 1"), 2);
    EXPECT_TRUE(list->Model().IsChecked(0));

    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDOK, IDOK});
    EXPECT_EQ(commands.OnStateIconClick(2, {0, 1}), 1); // not selected: the row alone
    EXPECT_EQ(Count("Estimate_H", "WHERE Status = 1"), 3);
    EXPECT_EQ(commands.OnStateIconClick(0, {0, 1}), 1); // selected: the selection
    EXPECT_EQ(Count("Estimate_H", "WHERE Status = 0"), 2);
    EXPECT_FALSE(list->Model().IsChecked(1));
    EXPECT_TRUE(list->Model().IsChecked(2));
    EXPECT_EQ(Texts(),
              (QStringList{QStringLiteral("選択したデータの状況を「成立」に変更してもよろしいですか？"),
                           QStringLiteral("選択したデータの状況を「未成立」に変更してもよろしいですか？")}));

    m_ui.Prompt().Clear();
    AddSales(1, "2004-04-01", "A", "C1", "x");
    EXPECT_EQ(CSlipCommands(*List(5, "Sales_H")).OnChangeStatus({0}), 0);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("売上一覧は変更できません。\n")});
}

// Forms A, B, A: the first start prints both A slips after the word on
// different forms, the second asks first; a deleted user form is named and
// left out.
TEST_F(SlipCommandsTest, BatchPrintPerForm)
{
    AddSales(1, "2004-04-01", "N1", "C1", "甲", 1, 0, "a.vrh", 201);
    AddSales(2, "2004-04-01", "N2", "C1", "乙", 1, 0, "b.vrh", 202);
    AddSales(3, "2004-04-01", "N3", "C1", "丙", 1, 0, "c.vrh", 201);
    AddSales(4, "2004-04-01", "N4", "C1", "丁", 1, 0, "d.vrh", 60009);
    auto list = List(5, "Sales_H");
    CLaunchRecorder launches;
    m_ui.Prompt().QueueAnswers({IDOK, IDOK, IDYES});
    EXPECT_EQ(CSlipCommands(*list).OnBatchPrint({0, 1, 2, 3}), 1);
    EXPECT_EQ(
        Texts(),
        (QStringList{QStringLiteral("伝票番号：N4　得意先名：丁\n\n上記の伝票は、オリジナルフォームが削除され"
                                    "たため印刷できません。\n"),
                     QStringLiteral("選択した得意先の印刷フォームが異なります。\nフォーム別に起動します。\n"),
                     QStringLiteral("次の印刷フォームを起動しますか？")}));
    ASSERT_EQ(launches.m_lines.size(), 2);
    CSlipFormCommand first, second;
    ASSERT_TRUE(first.Parse(launches.m_lines[0]));
    ASSERT_TRUE(second.Parse(launches.m_lines[1]));
    EXPECT_EQ(first.GetLayout(), 201);
    EXPECT_EQ(first.GetKind(), 2);
    EXPECT_EQ(second.GetLayout(), 202);
    const auto slips = DecodeSlipList(GetClipboardBlock(uint(first.GetClipFormat())));
    ASSERT_TRUE(slips.has_value());
    EXPECT_EQ(*slips, (QList<CFormPrintItem>{{1, "a.vrh"}, {3, "c.vrh"}}));
}

// Modify and transcribe hand the slip-form program its command lines: a
// file name with blanks whole, a sales slip on a class-2 form as kind 3.
TEST_F(SlipCommandsTest, ModifyAndTranscribeCommandLines)
{
    AddSales(5, "2004-04-01", "N1", "C1", "甲", 1, 0, "my slip.vrh", 202);
    Exec("INSERT INTO Estimate_H(ID, Date, No, CustomerCode, Status, FileName, FormID) VALUES(8, "
         "'2004-04-01', 'E1', 'C1', 0, 'q.vrh', 101)");
    CLaunchRecorder launches;
    CScriptedPickers pickers;
    EXPECT_EQ(CSlipCommands(*List(5, "Sales_H")).OnModify({0}), 1);
    CSlipFormCommand modify;
    ASSERT_TRUE(modify.Parse(launches.m_lines.value(0)));
    EXPECT_EQ(modify.GetFileName(), QStringLiteral("my slip.vrh"));
    EXPECT_EQ(modify.GetKind(), 3);
    EXPECT_EQ(modify.GetID(), 5);

    pickers.m_nPick = 202;
    auto quotes = List(4, "Estimate_H");
    EXPECT_EQ(CSlipCommands(*quotes).OnTranscribe({0}), 1);
    EXPECT_EQ(pickers.m_modes, QList<int>{7});
    EXPECT_EQ(pickers.m_kinds, QList<int>{2});
    CSlipFormCommand transfer;
    ASSERT_TRUE(transfer.Parse(launches.m_lines.value(1)));
    EXPECT_EQ(transfer.GetLayout(), 202);
    EXPECT_EQ(transfer.GetKind(), 3);
    EXPECT_EQ(transfer.GetID(), 8);
    EXPECT_EQ(transfer.GetTransferMode(), 2);

    pickers.m_nChoiceAnswer = IDCANCEL;
    EXPECT_EQ(CSlipCommands(*quotes).OnTranscribe({0}), 0);
    EXPECT_EQ(CSlipCommands(*quotes).OnModify({0, 1}), 0);
    EXPECT_EQ(launches.m_lines.size(), 2);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("修正するデータを１つだけ選択してください。\n")});

    // A user form deleted since: nothing starts.
    m_ui.Prompt().Clear();
    Exec("UPDATE Sales_H SET FormID = 60010");
    EXPECT_EQ(CSlipCommands(*List(5, "Sales_H")).OnModify({0}), 0);
    EXPECT_EQ(launches.m_lines.size(), 2);
    EXPECT_TRUE(
        Texts().value(0).startsWith(QStringLiteral("オリジナルフォームが削除されたため、修正できません。")));
}

// Two slips of one customer give two labels from one master; 1 200
// customers are read in batches; a failed write starts nothing.
TEST_F(SlipCommandsTest, AddressLabels)
{
    QStringList customers, slips;
    for (int i = 1; i <= 1200; ++i) {
        customers << QStringLiteral("('K%1', '会社%1', '03-%1', '06-%1')").arg(i);
        slips << QStringLiteral("(%1, '2004-04-01', 'N%1', 'K%1', 0, '会社%1', 1500000)").arg(i);
    }
    Exec("INSERT INTO Customer(CustomerCode, Company, TEL, FAX) VALUES " + customers.join(u','));
    Exec("INSERT INTO Sales_H(ID, Date, No, CustomerCode, DenpyoType, Company, Total) VALUES " +
         slips.join(u','));
    Exec("INSERT INTO Sales_H(ID, Date, No, CustomerCode, DenpyoType, Company, TEL, Total) VALUES "
         "(1201, '2004-04-02', 'M', 'K7', 0, '会社7', '045-1', 20000)");
    auto list = List(5, "Sales_H");
    CLaunchRecorder launches;
    CScriptedPickers pickers;
    pickers.m_nPick = 1101;

    EXPECT_EQ(CSlipCommands(*list).OnAddressPrint({6, 1200}), 1);
    EXPECT_EQ(Count("WAtena"), 2);
    EXPECT_EQ(Count("WAtena", "WHERE CustomerCode = 'K7' AND FAX = '06-7' AND Amount = 20000"), 1);
    EXPECT_EQ(Count("WAtena", "WHERE TEL = '045-1'"), 1); // the sales slip's own number
    EXPECT_EQ(launches.m_lines.size(), 1);
    EXPECT_EQ(pickers.m_kinds, QList<int>{11});

    EXPECT_EQ(CSlipCommands(*list).OnAddressPrint(Range(0, 1199)), 1);
    EXPECT_EQ(Count("WAtena"), 1200);
    EXPECT_EQ(Count("WAtena", "WHERE FAX = '06-' || substr(CustomerCode, 2)"), 1200);

    Exec("CREATE TRIGGER refuse BEFORE INSERT ON WAtena BEGIN SELECT RAISE(ABORT, 'full'); END");
    EXPECT_EQ(CSlipCommands(*list).OnAddressPrint({0}), 0);
    EXPECT_EQ(launches.m_lines.size(), 2);
    ASSERT_EQ(Texts().size(), 1);
    EXPECT_TRUE(Texts()[0].startsWith(QStringLiteral("データ書き出しに失敗しました。\n")));
}

TEST(SlipExportMemo, TaxLinesOnlyAndTheByteLimit)
{
    EXPECT_EQ(CSlipCommands::MakeExportMemo({}, QStringLiteral("80")),
              QStringLiteral("品番 品名 数量 単位 単価 金額 備考\r\n（税額：80）"));
    QList<QStringList> lines;
    for (int i = 0; i < 100; ++i)
        lines << QStringList{"P", "漢字の品名", "1", "個", "100", "100", ""};
    const QString memo = CSlipCommands::MakeExportMemo(lines, QStringLiteral("8"));
    EXPECT_LE(Cp932::ByteLength(memo), 2000);
    EXPECT_GE(Cp932::ByteLength(memo), 1999);
    EXPECT_FALSE(memo.contains(QStringLiteral("税額")));
}

// Sales slips to the customer product: not set up says so; set up, the
// history file holds a record per slip, tax lines left out of the memo.
TEST_F(SlipCommandsTest, ExportToTheCustomerProduct)
{
    AddSales(1, "2004-04-01", "N1", "C1", "甲", 1100);
    AddSales(2, "2004-04-05", "N2", "C1", "甲", 50);
    AddLine(1, 1, "P1", "赤いペン");
    AddLine(1, 2, "", "消費税", 9);
    AddLine(2, 1, "", "消費税", 9);
    auto list = List(5, "Sales_H");
    EXPECT_EQ(CSlipCommands(*list).OnExport({0, 1}), 0);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Velmiraが設定されていないため、書き出しできません。")});

    const QString product = m_home.Root() + QStringLiteral("/velmira");
    QDir().mkpath(product);
    QFile ini(CRegistryIni::FilePath());
    ASSERT_TRUE(ini.open(QIODevice::Append));
    ini.write("\n[SOFTWARE\\Pellam\\Fennimor\\Velmira]\nInstalledDir=" + product.toUtf8() + "\n");
    ini.close();
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(CSlipCommands(*list).OnExport({0, 1}), 1);
    EXPECT_EQ(Texts().value(1), QStringLiteral("書き出しを完了しました。"));
    QList<QPair<QString, CQXRireki>> records;
    ASSERT_TRUE(CExportRireki::ReadHistory(product + "/" + CExportRireki::kFileName, records));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].first, QStringLiteral("C1"));
    EXPECT_EQ(records[0].second.m_dTotal, 1100);
    EXPECT_EQ(records[0].second.m_strKind, QStringLiteral("購入"));
    EXPECT_EQ(records[0].second.m_strPerson, QStringLiteral("山田"));
    EXPECT_EQ(records[0].second.m_dtDate.date(), QDate(2004, 4, 1));
    EXPECT_EQ(
        records[0].second.m_strMemo,
        QStringLiteral("品番 品名 数量 単位 単価 金額 備考\r\nP1 赤いペン 2 個 100 200 \r\n（税額：0）"));
    EXPECT_EQ(records[1].second.m_strMemo,
              QStringLiteral("品番 品名 数量 単位 単価 金額 備考\r\n（税額：0）"));
}
