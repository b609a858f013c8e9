#include "exchange/CsvReader.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeRules.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"
#include "support/Iconv.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(ImportFormatRules, ModesShowTheirFormatsAndOkWantsAChoice)
{
    const QString read = U("読み込み形式の選択"), write = U("書き出し形式の選択");
    const struct {
        int mode;
        QString caption;
        const char* promptStart;
        bool access, excel, text, contact;
    } modes[] = {
        {0, read, "データを読み込みます。", true, true, true, true},
        {1, write, "データを書き出します。", false, true, true, true},
        {2, read, "データを読み込みます。", true, true, true, false},
        {3, write, "データを書き出します。", false, true, true, false},
    };
    for (const auto& m : modes) {
        const CImportFormatRules rules(m.mode);
        EXPECT_EQ(rules.GetCaption(), m.caption) << m.mode;
        EXPECT_TRUE(rules.GetPrompt().startsWith(U(m.promptStart))) << m.mode;
        EXPECT_TRUE(rules.GetPrompt().endsWith(U("形式を選択して【次へ】をクリックしてください。")))
            << m.mode;
        EXPECT_EQ(QList<bool>({rules.IsChoiceShown(0), rules.IsChoiceShown(1), rules.IsChoiceShown(2),
                               rules.IsChoiceShown(3)}),
                  QList<bool>({m.access, m.excel, m.text, m.contact}))
            << m.mode;
        EXPECT_EQ(rules.m_nChoice, -1) << "no format is chosen at opening";
    }

    ScopedFakeUi ui;
    CImportFormatRules rules(3);
    EXPECT_FALSE(rules.OnOK());
    rules.m_nChoice = CImportFormatRules::kContactXml; // hidden in mode 3
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({U("形式を選択してください"), U("形式を選択してください")}));
    rules.m_nChoice = CImportFormatRules::kExcel;
    EXPECT_TRUE(rules.OnOK());
}

TEST(TextFormatRules, OtherDelimiterKeepsOneSingleByteCharacter)
{
    const QString quoteMessage = U("区切り文字には \" (ダブルクォーテーション)は使用できません。");
    const struct {
        const char* typed;
        const char* kept;
        QChar delimiter;
        bool message;
    } cases[] = {
        {";", ";", u';', false},          {"ab", "a", u'a', false},   {"\"", "", QChar(), true},
        {"\"x", "", QChar(), true},       {"漢", "", QChar(), false}, {"漢,", "", QChar(), false},
        {"ｱ", "ｱ", QChar(0xFF71), false}, {"¥", "¥", u'\\', false},   {"", "", QChar(), false},
        {"😀", "", QChar(), false},
    };
    for (const auto& c : cases) {
        ScopedFakeUi ui;
        CTextFormatRules rules(QStringLiteral("x.csv"), 0);
        rules.OnOtherDelimiter();
        rules.OnChangeOther(U(c.typed));
        EXPECT_EQ(rules.GetOther(), U(c.kept)) << c.typed;
        EXPECT_EQ(rules.GetDelimiter(), c.delimiter) << c.typed;
        EXPECT_EQ(ui.Prompt().Texts(), c.message ? QStringList{quoteMessage} : QStringList()) << c.typed;
    }

    CTextFormatRules rules(QStringLiteral("x.csv"), 0);
    const QChar fixed[] = {u',', u'\t', u' '};
    for (int choice = 0; choice < 3; ++choice) {
        rules.OnOtherDelimiter();
        rules.OnChangeOther(QStringLiteral("|"));
        EXPECT_TRUE(rules.IsOtherEnabled());
        rules.OnFixedDelimiter(choice);
        EXPECT_FALSE(rules.IsOtherEnabled());
        EXPECT_TRUE(rules.GetOther().isEmpty());
        EXPECT_EQ(rules.GetDelimiter(), fixed[choice]);
    }
}

TEST(TextFormatRules, PreviewShowsTheBeginningWithoutACutCharacter)
{
    QTemporaryDir dir;
    auto file = [&](const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    };
    const qint64 limit = CTextFormatRules::kPreviewBytes;
    EXPECT_EQ(limit, 62464);
    // The 62464th byte is the lead byte of "表" (CP932), or the first two of
    // the three bytes of "表" (UTF-8): the character is dropped.
    const QByteArray sjisTail = QByteArray(limit - 1, 'a') + Cp932::Encode(U("表ソ"));
    const QByteArray utf8Tail = "\xEF\xBB\xBF" + QByteArray(limit - 5, 'b') + U("表ソ").toUtf8();
    const struct {
        QString path;
        int choice;
        QString preview;
        bool otherEnabled;
    } cases[] = {
        {file("sjis.csv", sjisTail), 0, QString(limit - 1, u'a'), false},
        {file("utf8.csv", utf8Tail), 3, QString(limit - 5, u'b'), true},
        {file("short.csv", Cp932::Encode(U("名前,値\r\n"))), 1, U("名前,値\r\n"), false},
        {file("zero.csv", QByteArray("ab\0cd", 5)), 0, U("ab"), false},
    };
    for (const auto& c : cases) {
        ScopedFakeUi ui;
        CTextFormatRules rules(c.path, c.choice);
        ASSERT_TRUE(rules.OnInitDialog()) << qPrintable(c.path);
        EXPECT_EQ(rules.GetPreview(), c.preview) << qPrintable(c.path);
        EXPECT_EQ(rules.IsOtherEnabled(), c.otherEnabled) << qPrintable(c.path);
    }

    ScopedFakeUi ui;
    CTextFormatRules missing(dir.filePath(QStringLiteral("missing.csv")), 0);
    EXPECT_FALSE(missing.OnInitDialog());
    ASSERT_EQ(ui.Prompt().Texts().size(), 1);
    EXPECT_TRUE(ui.Prompt().Texts().front().contains(QStringLiteral("missing.csv")));
}

// The preview opens once the file's encoding is decided, in the reading
// chosen; a file the reader refuses, or a cancelled question, has none.
TEST(TextFormatRules, ThePreviewShowsTheReadingChosen)
{
    const QString names = U("コード,名前\r\nK1,山田\r\n");
    const QByteArray either = "001,\xC6\xBC\r\n", eucJp = Iconv::Encode("山田太郎,やまだ\r\n", "EUC-JP");
    const QByteArray le = Iconv::Encode(names.toUtf8(), "UTF-16LE");
    const char* const utf16 = "UTF-16（Unicode テキスト）です";
    const int utf8 = CCsvReader::kUtf8, sjis = CCsvReader::kShiftJis;
    const struct {
        const char* name;
        QByteArray bytes;
        int answer;          // to the question, 0 none asked
        const char* preview; // null: refused or cancelled
        const char* said;    // the encoding a refusal names
        int encoding;
    } cases[] = {
        {"UTF-8", names.toUtf8(), 0, "コード,名前\r\nK1,山田\r\n", nullptr, utf8},
        {"Shift_JIS", Cp932::Encode(names), 0, "コード,名前\r\nK1,山田\r\n", nullptr, sjis},
        {"either, UTF-8 chosen", either, IDYES, "001,\u01BC\r\n", nullptr, utf8},
        {"either, Shift_JIS chosen", either, IDNO, "001,ﾆｼ\r\n", nullptr, sjis},
        {"either, cancelled", either, IDCANCEL, nullptr, nullptr, 0},
        {"Shift_JIS or EUC-JP, Shift_JIS", eucJp, IDYES, "ｻｳﾅﾄﾂﾀﾏｺ,､荀ﾞ､ﾀ\r\n", nullptr, sjis},
        {"Shift_JIS or EUC-JP, EUC-JP", eucJp, IDNO, nullptr, "EUC-JPです", 0},
        {"EUC-JP", Iconv::Encode("東京,テスト\r\n", "EUC-JP"), 0, nullptr, "EUC-JPのようです", 0},
        {"UTF-16 with its mark", "\xFF\xFE" + le, 0, nullptr, utf16, 0},
        {"UTF-16 LE without its mark", le, 0, nullptr, utf16, 0},
        {"UTF-16 BE without its mark", Iconv::Encode(names.toUtf8(), "UTF-16BE"), 0, nullptr, utf16, 0},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile out(dir.filePath(QStringLiteral("file.csv")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    out.write(c.bytes) == c.bytes.size() && out.flush());
        ScopedFakeUi ui;
        ui.Prompt().QueueAnswers(c.answer ? QList<int>{c.answer} : QList<int>());
        CTextFormatRules rules(out.fileName(), 0);
        EXPECT_EQ(rules.OnInitDialog(), c.preview != nullptr);
        EXPECT_EQ(rules.GetPreview(), c.preview ? U(c.preview) : QString());
        EXPECT_EQ(rules.GetEncoding(), c.encoding);
        const QStringList said = ui.Prompt().Texts();
        EXPECT_EQ(said.size(), (c.answer ? 1 : 0) + (c.said ? 1 : 0));
        EXPECT_EQ(said.filter(U("としても読めます。")).size(), c.answer ? 1 : 0);
        EXPECT_TRUE(!c.said || said.last().startsWith(U("テキストファイルの文字コードが") + U(c.said)));
    }
}

TEST(SheetSelectRules, FirstSheetPreselectedAndOkWantsASelection)
{
    ScopedFakeUi ui;
    CSheetSelectRules rules;
    rules.m_names = QStringList({U("商品"), U("Sheet2")});
    rules.OnInitDialog();
    EXPECT_EQ(rules.m_nSelected, 0);
    ASSERT_TRUE(rules.OnOK());
    EXPECT_EQ(rules.m_strChosen, U("商品"));

    rules.m_nSelected = -1;
    EXPECT_FALSE(rules.OnOK());
    CSheetSelectRules none;
    none.OnInitDialog();
    EXPECT_EQ(none.m_nSelected, -1);
    EXPECT_FALSE(none.OnOK());
    EXPECT_EQ(ui.Prompt().Texts(),
              QStringList({U("シート名を選択してください."), U("シート名を選択してください.")}));
}

TEST(ScriptedExchangeDialogs, RunTheRulesAndLogTheAnswers)
{
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    EXPECT_EQ(&ExchangeDialogs(), &dialogs);
    dialogs.QueueImportFormat([](CImportFormatRules&) { return int(IDOK); }); // OK without a choice
    dialogs.QueueFormatChoice(CImportFormatRules::kText);

    CImportFormatRules first(0), second(0);
    EXPECT_EQ(ExchangeDialogs().RunImportFormat(first), IDCANCEL);
    EXPECT_EQ(ExchangeDialogs().RunImportFormat(second), IDOK);
    EXPECT_EQ(second.m_nChoice, CImportFormatRules::kText);

    CSheetSelectRules sheets;
    sheets.m_names = QStringList({QStringLiteral("A"), QStringLiteral("B")});
    EXPECT_EQ(ExchangeDialogs().RunSheetSelect(sheets), IDOK); // nothing queued: OK at once
    EXPECT_EQ(sheets.m_strChosen, QStringLiteral("A"));
    EXPECT_EQ(dialogs.Log(), QStringList({QStringLiteral("ImportFormat 0 -> IDCANCEL refused"),
                                          QStringLiteral("ImportFormat 0 -> IDOK"),
                                          QStringLiteral("SheetSelect A|B -> IDOK")}));
    EXPECT_EQ(dialogs.Pending(), 0);
}

} // namespace
