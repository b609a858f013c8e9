#include <gtest/gtest.h>

#include <QSet>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/CounterInfo.h"
#include "settings/CounterSetModel.h"

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray Int(qint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(quint32(value) >> (8 * i));
    return bytes;
}

// A counter's fields after its tag, with empty prefix and suffix.
QByteArray Fields(int kind, int number, int digits, int zeroFill)
{
    return Int(1) + Int(kind) + Int(number) + Int(digits) + Int(zeroFill) + Hex("00 00") + Int(0);
}

} // namespace

TEST(CounterInfo, GoldenBytesAndReadBack)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;

    CCounterInfo receipts;
    CCounterInfoElem* receipt = receipts.GetElem(COUNTER_RECEIPT);
    ASSERT_NE(receipt, nullptr);
    EXPECT_EQ(receipt->Format(), "000001");
    EXPECT_TRUE(db.Files().isEmpty());                   // the default is not saved by itself
    EXPECT_EQ(receipts.GetElem(COUNTER_STOCK), receipt); // serves its first kind
    ASSERT_EQ(receipts.Increment(), 1);
    EXPECT_EQ(receipt->Format(), "000002");

    const QByteArray header = Hex("FF FF 01 00 10 00") + QByteArray("CCounterInfoElem");
    EXPECT_EQ(CSettingsTestDb::Get(db.File("NoInfo.dat")), Hex("01 00") + header + Fields(10, 2, 6, 1));

    CCounterInfo customers;
    CCounterInfoElem* code = customers.GetElem(COUNTER_CUSTOMER_CODE);
    ASSERT_NE(code, nullptr);
    code->m_strPrefix = U("Ｎ");
    code->m_strSuffix = "-";
    code->m_nAuto = 1;
    ASSERT_EQ(customers.Save(), 1);
    EXPECT_EQ(code->Format(), U("Ｎ000001-"));
    EXPECT_EQ(CSettingsTestDb::Get(db.File("NoInfo.dat")),
              Hex("02 00") + header + Fields(10, 2, 6, 1) + Hex("01 80") + Int(1) + Int(100) + Int(1) +
                  Int(6) + Int(1) + Hex("02 82 6D 01 2D") + Int(1));

    CCounterInfo back;
    const CCounterInfoElem* read = back.GetElem(COUNTER_CUSTOMER_CODE);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->m_nKind, 100);
    EXPECT_EQ(read->m_nAuto, 1);
    EXPECT_EQ(read->Format(), U("Ｎ000001-"));
    EXPECT_EQ(back.GetElems().size(), 2u);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

TEST(CounterInfo, FormattingAndWrap)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;

    EXPECT_EQ(CCounterInfoElem::FormatNumber(999, 3, 1), "999");
    EXPECT_EQ(CCounterInfoElem::FormatNumber(7, 3, 0), "7");
    EXPECT_EQ(CCounterInfoElem::FormatNumber(7, 3, 1), "007");
    EXPECT_EQ(CCounterInfoElem::FormatNumber(7, 3, 2), "7");         // zero fill only when exactly 1
    EXPECT_EQ(CCounterInfoElem::FormatNumber(12345, 3, 1), "12345"); // never cut
    EXPECT_EQ(CCounterInfoElem::FormatNumber(5, 0, 1), "5");         // damaged digits clamp to 1-9
    EXPECT_EQ(CCounterInfoElem::FormatNumber(10, -4, 1), "10");
    EXPECT_EQ(CCounterInfoElem::FormatNumber(5, 12, 1), "000000005");
    EXPECT_EQ(CCounterInfoElem::FormatNumber(999999999, 9, 1), "999999999");

    CCounterInfo counter;
    CCounterInfoElem* elem = counter.GetElem(COUNTER_INVOICE);
    ASSERT_NE(elem, nullptr);
    elem->m_nDigits = 3;
    elem->m_nNumber = 998;
    elem->m_strPrefix = "AB";
    ASSERT_EQ(counter.Save(), 1);
    EXPECT_EQ(counter.Increment(), 1);
    EXPECT_EQ(elem->Format(), "AB999");
    EXPECT_EQ(counter.Increment(), -1);
    EXPECT_EQ(elem->m_nNumber, 1);
    EXPECT_EQ(elem->Format(), "AB001");
    CCounterInfo back;
    EXPECT_EQ(back.GetElem(COUNTER_INVOICE)->Format(), "AB001");

    // A damaged digit count of 0 counts as 1, and 9 digits wrap at the top.
    const QByteArray header = Hex("02 00 FF FF 01 00 10 00") + QByteArray("CCounterInfoElem");
    CSettingsTestDb::Put(db.File("NoInfo.dat"),
                         header + Fields(51, 9, 0, 1) + Hex("01 80") + Fields(50, 999999999, 9, 0));
    CCounterInfo stock, payments;
    EXPECT_EQ(stock.GetElem(COUNTER_STOCK)->Format(), "9");
    EXPECT_EQ(stock.Increment(), -1);
    EXPECT_EQ(stock.GetElem(COUNTER_STOCK)->Format(), "1");
    EXPECT_EQ(payments.GetElem(COUNTER_PAYMENT)->Format(), "999999999");
    EXPECT_EQ(payments.Increment(), -1);
    EXPECT_EQ(payments.GetElem(COUNTER_PAYMENT)->m_nNumber, 1);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

TEST(CounterInfo, CountersUsedAtOnceNeverRepeatANumber)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;

    CCounterInfo first, second, stock;
    ASSERT_NE(first.GetElem(COUNTER_RECEIPT), nullptr);
    ASSERT_NE(second.GetElem(COUNTER_RECEIPT), nullptr);
    ASSERT_NE(stock.GetElem(COUNTER_STOCK), nullptr);
    // The settings dialog is open meanwhile and only changes the prefix.
    CCounterSetModel dialog(COUNTER_RECEIPT);
    dialog.Open();

    QStringList given;
    for (int round = 0; round < 10; ++round) {
        for (CCounterInfo* user : {&first, &second}) {
            given << user->GetElem(COUNTER_RECEIPT)->Format();
            ASSERT_EQ(user->Increment(), 1);
        }
        ASSERT_EQ(stock.Increment(), 1);
    }
    EXPECT_EQ(QSet<QString>(given.begin(), given.end()).size(), 20);
    EXPECT_EQ(given.first(), "000001");
    EXPECT_EQ(given.last(), "000020");

    dialog.m_strPrefix = "R";
    ASSERT_EQ(dialog.OnOK(), CCounterSetModel::CHECK_OK);
    CCounterInfo check;
    EXPECT_EQ(check.GetElem(COUNTER_RECEIPT)->Format(), "R000021");
    CCounterInfo checkStock;
    EXPECT_EQ(checkStock.GetElem(COUNTER_STOCK)->Format(), "000011");
    EXPECT_EQ(check.GetElems().size(), 2u);

    // A number the user sets himself is taken as it is.
    CCounterSetModel reset(COUNTER_RECEIPT);
    reset.Open();
    EXPECT_EQ(reset.m_nCurrentNo, 21);
    reset.Reset();
    ASSERT_EQ(reset.OnOK(), CCounterSetModel::CHECK_OK);
    EXPECT_EQ(first.GetElem(COUNTER_RECEIPT)->Format(), "R000001");
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

// A block of numbers is taken from the number the file holds at that
// moment, in one save, stepping as Increment steps.
TEST(CounterInfo, ABlockOfNumbersIsTakenAtOnce)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    const struct {
        int start;
        int digits;
        int count;
        int result;
        int next;
    } cases[] = {
        {7, 3, 3, 1, 10}, {998, 3, 1, 1, 999}, {998, 3, 2, -1, 1}, {998, 3, 4, -1, 3}, {5, 6, 0, 0, 5},
    };
    for (const auto& c : cases) {
        CCounterInfo counter;
        CCounterInfoElem* elem = counter.GetElem(COUNTER_CUSTOMER_CODE);
        ASSERT_NE(elem, nullptr);
        elem->m_nNumber = c.start;
        elem->m_nDigits = c.digits;
        ASSERT_EQ(counter.Save(), 1);
        int first = -1;
        EXPECT_EQ(counter.Reserve(c.count, first), c.result) << c.start << '+' << c.count;
        EXPECT_EQ(first, c.result ? c.start : -1) << c.start << '+' << c.count;
        EXPECT_EQ(CCounterInfo().GetElem(COUNTER_CUSTOMER_CODE)->m_nNumber, c.next)
            << c.start << '+' << c.count;
    }
    // Another user took a number since this object read the file.
    CCounterInfo mine, other;
    ASSERT_EQ(mine.GetElem(COUNTER_CUSTOMER_CODE)->m_nNumber, 5);
    ASSERT_EQ(other.GetElem(COUNTER_CUSTOMER_CODE) ? other.Increment() : 0, 1);
    int first = 0;
    EXPECT_EQ(mine.Reserve(10, first), 1);
    EXPECT_EQ(first, 6);
    EXPECT_EQ(CCounterInfo().GetElem(COUNTER_CUSTOMER_CODE)->m_nNumber, 16);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

// A block is given back only while the file still holds the number after
// it: once another user took a number, giving back would hand out his
// numbers twice.
TEST(CounterInfo, ABlockIsGivenBackWhenNobodyTookNumbersSince)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    const struct {
        int start;
        int digits;
        int count;
        int takenSince; // numbers another user took after the block
        int given;      // GiveBack's answer
        int next;       // the number the file holds after it
    } cases[] = {
        {7, 3, 3, 0, 1, 7},   {998, 3, 4, 0, 1, 998}, {7, 3, 3, 1, 0, 11},
        {998, 3, 4, 2, 0, 5}, {5, 6, 0, 0, 0, 5},
    };
    for (const auto& c : cases) {
        CCounterInfo counter;
        CCounterInfoElem* elem = counter.GetElem(COUNTER_INVOICE);
        ASSERT_NE(elem, nullptr);
        elem->m_nNumber = c.start;
        elem->m_nDigits = c.digits;
        ASSERT_EQ(counter.Save(), 1);
        int first = 0;
        counter.Reserve(c.count, first);
        for (int i = 0; i < c.takenSince; ++i) {
            CCounterInfo other;
            ASSERT_EQ(other.GetElem(COUNTER_INVOICE) ? other.Increment() : 0, 1);
        }
        EXPECT_EQ(counter.GiveBack(), c.given) << c.start << '+' << c.count << '+' << c.takenSince;
        EXPECT_EQ(CCounterInfo().GetElem(COUNTER_INVOICE)->m_nNumber, c.next)
            << c.start << '+' << c.count << '+' << c.takenSince;
        // A block goes back once.
        EXPECT_EQ(counter.GiveBack(), 0);
    }
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

TEST(CounterInfo, DamagedFileStartsAgainFromTheDefaults)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    const QString path = db.File("NoInfo.dat");
    CSettingsTestDb::Put(path, Hex("01 00 FF FF 01 00 10 00") + "CCounterInfoElem" + Int(1) + Int(10));

    ui.Prompt().QueueAnswers({IDNO});
    CCounterInfo counter;
    EXPECT_EQ(counter.GetElem(COUNTER_RECEIPT), nullptr);
    EXPECT_EQ(counter.Increment(), 0);
    EXPECT_TRUE(QFile::exists(path));

    ui.Prompt().QueueAnswers({IDYES});
    const CCounterInfoElem* elem = counter.GetElem(COUNTER_RECEIPT);
    ASSERT_NE(elem, nullptr);
    EXPECT_EQ(elem->Format(), "000001");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(ui.Prompt().Calls().size(), 2);
    EXPECT_TRUE(ui.Prompt().ScriptErrors().isEmpty());
}

TEST(CounterSet, DialogRules)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;

    CCounterSetModel codes(COUNTER_SUPPLIER_CODE);
    codes.Open();
    EXPECT_EQ(codes.GetCaption(), U("取引先コード番号の設定"));
    EXPECT_EQ(CCounterSetModel(COUNTER_INVOICE).GetCaption(), U("伝票番号の設定"));
    EXPECT_EQ(codes.m_nCurrentNo, 1);
    EXPECT_EQ(codes.m_nSetNo, 1);
    EXPECT_EQ(codes.m_nZeroFill, 1);
    EXPECT_EQ(codes.GetNumberLimit(), 6);
    codes.m_strPrefix = "S";
    codes.m_nSetNo = 42;
    EXPECT_EQ(codes.GetPreview(), "S000042");

    // The first arrow click asks; No keeps the digits, Yes resets the number.
    ui.Prompt().QueueAnswers({IDNO});
    EXPECT_FALSE(codes.StepDigits(5));
    EXPECT_EQ(codes.m_nDigits, 6);
    EXPECT_EQ(codes.m_nSetNo, 42);
    ASSERT_EQ(ui.Prompt().Calls().size(), 1);
    const CPromptCall& ask = ui.Prompt().Calls()[0];
    EXPECT_EQ(ask.text,
              U("有効桁数を変更すると、「設定する連番」がリセットされます。\n有効桁数を変更しますか？"));
    EXPECT_EQ(ask.caption, U("桁数変更"));
    EXPECT_EQ(ask.buttons, MB_YESNO);
    EXPECT_EQ(ask.icon, MB_ICONQUESTION);
    EXPECT_EQ(ask.defaultButton, IDNO);
    ui.Prompt().QueueAnswers({IDYES});
    EXPECT_TRUE(codes.StepDigits(5));
    EXPECT_EQ(codes.m_nSetNo, 1);
    EXPECT_EQ(codes.GetNumberLimit(), 5);
    EXPECT_TRUE(codes.StepDigits(4)); // asked once only
    EXPECT_FALSE(codes.StepDigits(10));
    EXPECT_EQ(ui.Prompt().Calls().size(), 2);
    codes.m_nDigits = 12; // typed: only the preview follows, clamped
    EXPECT_EQ(codes.GetNumberLimit(), 4);
    EXPECT_EQ(codes.GetPreview(), "S000000001");

    // OK: 6-byte prefix and suffix, digits 1-9, number 1-999999999, 20 bytes in all.
    codes.m_nDigits = 9;
    codes.m_strPrefix = U("ＡＢＣＤ");
    EXPECT_EQ(codes.OnOK(), CCounterSetModel::CHECK_PREFIX);
    codes.m_strPrefix = U("ＡＢＣ");
    codes.m_strSuffix = "1234567";
    EXPECT_EQ(codes.OnOK(), CCounterSetModel::CHECK_SUFFIX);
    codes.m_strSuffix = U("ＤＥＦ");
    codes.m_nSetNo = 0;
    EXPECT_EQ(codes.OnOK(), CCounterSetModel::CHECK_NUMBER);
    codes.m_nSetNo = 7;
    codes.m_nDigits = 0;
    EXPECT_EQ(codes.OnOK(), CCounterSetModel::CHECK_DIGITS);
    codes.m_nDigits = 9;
    EXPECT_EQ(codes.OnOK(), CCounterSetModel::CHECK_TOTAL);
    EXPECT_EQ(ui.Prompt().Texts().last(), U("接頭文字数＋桁数＋接尾文字数は20文字以内にしてください。"));
    EXPECT_TRUE(db.Files().isEmpty());
    codes.m_strSuffix = U("ＤＥ") + "X";
    codes.m_nZeroFill = 0;
    ASSERT_EQ(codes.OnOK(), CCounterSetModel::CHECK_OK);

    CCounterInfo check;
    const CCounterInfoElem* elem = check.GetElem(COUNTER_SUPPLIER_CODE);
    ASSERT_NE(elem, nullptr);
    EXPECT_EQ(elem->m_nNumber, 7);
    EXPECT_EQ(elem->m_nDigits, 9);
    EXPECT_EQ(elem->m_nAuto, 0);
    EXPECT_EQ(elem->Format(), U("ＡＢＣ7ＤＥX"));

    // A stored number too long for its digits opens as 1.
    CCounterInfo grow;
    CCounterInfoElem* grown = grow.GetElem(COUNTER_SUPPLIER_CODE);
    grown->m_nDigits = 1;
    grown->m_nNumber = 12;
    ASSERT_EQ(grow.Save(), 1);
    CCounterSetModel again(COUNTER_SUPPLIER_CODE);
    again.Open();
    EXPECT_EQ(again.m_nCurrentNo, 12);
    EXPECT_EQ(again.m_nSetNo, 1);
    EXPECT_EQ(again.m_nZeroFill, 0);
}
