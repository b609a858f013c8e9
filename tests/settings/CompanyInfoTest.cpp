#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/archive/AutFile.h"
#include "platform/ui/FakeUi.h"
#include "settings/CompanyInfo.h"
#include "settings/dlg/CompanyInfoDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStatusBar>

namespace
{

using F = CCompanyInfoRules;

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QString Stored(const CSettingsTestDb& db, const QString& name)
{
    return ReadAutFile(db.File(QStringLiteral("Other/") + name), nullptr);
}

// Types the text key by key, as the user would.
void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

} // namespace

TEST(CompanyInfo, SplitJoinAndPrintedForms)
{
    // Stored text -> the parts shown on reopening.
    const struct {
        const char* zip;
        const char* zip1;
        const char* zip2;
    } zips[] = {{"123-4567", "123", "4567"},
                {"123-", "123", ""},
                {"1234567", "", "1234567"},
                {"-", "", ""},
                {"1", "1", ""},
                {"1-2-3", "2", "3"},
                {"", "", ""}};
    for (const auto& z : zips) {
        QString a, b;
        F::SplitPostcode(U(z.zip), a, b);
        EXPECT_EQ(a, U(z.zip1)) << z.zip;
        EXPECT_EQ(b, U(z.zip2)) << z.zip;
    }
    const struct {
        const char* tel;
        const char* p1;
        const char* p2;
        const char* p3;
    } tels[] = {{"03-1234-5678", "03", "1234", "5678"},
                {"--5678", "", "", "5678"},
                {"0312345678", "", "", "0312345678"},
                {"03-5678", "03", "", "5678"},
                {"03", "03", "", ""},
                {"1-2-3-4", "1", "2", "4"},
                {"", "", "", ""}};
    for (const auto& t : tels) {
        QString a, b, c;
        F::SplitTelephone(U(t.tel), a, b, c);
        EXPECT_EQ(QStringList({a, b, c}), QStringList({U(t.p1), U(t.p2), U(t.p3)})) << t.tel;
    }

    // Fields -> the 16 texts: only postcode part 1, only TEL part 3.
    F rules;
    rules.m_strField[F::COMPANY] = U("株式会社テスト");
    rules.m_strField[F::ZIP1] = "100";
    rules.m_strField[F::ADDRESS] = U("千代田区1-2\r\nｶﾞｰﾃﾞﾝ");
    rules.m_strField[F::TEL3] = "5678";
    const QStringList texts = rules.SaveTexts();
    ASSERT_EQ(texts.size(), 16);
    ASSERT_EQ(F::SaveFileNames().size(), 16);
    const QStringList expected{U("株式会社テスト"),
                               "",
                               "",
                               "100-",
                               U("一〇〇-"),
                               "100",
                               U("１００"),
                               U("千代田区1-2\r\nｶﾞｰﾃﾞﾝ"),
                               U("千代田区一-二\r\nガーデン"),
                               "--5678",
                               U("--五六七八"),
                               "5678",
                               "",
                               "",
                               "",
                               ""};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(F::JoinParts({"", "", ""}), QString());
    EXPECT_EQ(F::JoinParts({"03", "", ""}), "03--");

    // Digit fields keep their leading digits; four full parts move on.
    EXPECT_EQ(F::FilterDigits("12a3"), "12");
    EXPECT_EQ(F::FilterDigits(U("１2")), QString());
    const struct {
        F::Field field;
        const char* text;
        F::Field next;
    } moves[] = {{F::ZIP1, "100", F::ZIP2},      {F::ZIP1, "10", F::NO_FIELD},
                 {F::ZIP2, "0004", F::ADDRESS},  {F::TEL3, "5678", F::FAX1},
                 {F::FAX3, "5678", F::ACCOUNT},  {F::TEL1, "0312", F::NO_FIELD},
                 {F::TEL2, "1234", F::NO_FIELD}, {F::FAX3, "567", F::NO_FIELD}};
    for (const auto& m : moves)
        EXPECT_EQ(F::NextFocus(m.field, m.text), m.next) << int(m.field) << " " << m.text;
}

TEST(CompanyInfo, OpenLoadSaveAndReadItems)
{
    ScopedFakeUi ui;
    CFakePrompt& prompt = ui.Prompt();
    CSettingsTestDb db;

    // Without a current database every item is empty.
    {
        CSettingsTestDb none(false);
        EXPECT_EQ(ReadCompanyInfoItem(0), QString());
    }
    QDir().mkpath(db.File("Other"));
    CSettingsTestDb::Put(db.File("FTtemp.dat"), "");
    CSettingsTestDb::Put(db.File("Other/Com.aut"), Hex("04 8a94 8eae")); // 株式, under a mixed-case name
    CSettingsTestDb::Put(db.File("Other/TEL.AUT"), QByteArray("\x0a") + "0312345678");
    CSettingsTestDb::Put(db.File("Other/FAX.AUT"), Hex("07 3033 2d35 36")); // cut short

    F rules;
    rules.Open(db.Folder());
    EXPECT_TRUE(rules.IsFirstRun());
    EXPECT_FALSE(QFile::exists(db.File("FTtemp.dat")));
    ASSERT_EQ(prompt.Calls().size(), 1);
    EXPECT_TRUE(prompt.Texts()[0].contains("FAX.AUT"));
    EXPECT_EQ(rules.m_strField[F::COMPANY], U("株式"));
    EXPECT_EQ(rules.m_strField[F::TEL3], "0312345678");
    EXPECT_EQ(rules.m_strField[F::FAX1], QString());
    prompt.Clear();

    EXPECT_EQ(ReadCompanyInfoItem(0), U("株式"));
    EXPECT_EQ(ReadCompanyInfoItem(5), "0312345678");
    EXPECT_EQ(ReadCompanyInfoItem(8), QString());
    EXPECT_EQ(ReadCompanyInfoItem(9), QString());
    EXPECT_EQ(ReadCompanyInfoItem(-1), QString());
    EXPECT_TRUE(prompt.Calls().isEmpty());

    // A character without a CP932 form refuses the whole save.
    rules.m_strField[F::CATCH] = U("最高\u00e9");
    EXPECT_FALSE(rules.Save(db.Folder()));
    EXPECT_EQ(prompt.Texts(),
              QStringList{U("会社ｷｬｯﾁﾌﾚｰｽﾞに使用できない文字「\u00e9」(U+00E9) が含まれています。")});
    EXPECT_EQ(QDir(db.File("Other")).entryList(QDir::Files).size(), 3);
    rules.m_strField[F::CATCH] = U("最高");
    ASSERT_TRUE(rules.Save(db.Folder()));
    const QStringList stored = QDir(db.File("Other")).entryList(QDir::Files);
    EXPECT_EQ(stored.size(), 16);
    EXPECT_TRUE(stored.contains("Com.aut"));
    EXPECT_EQ(CSettingsTestDb::Get(db.File("Other/Com.aut")), Hex("04 8a94 8eae"));
    // Digits without hyphens came back as part 3 and are stored as such.
    EXPECT_EQ(Stored(db, "TEL.AUT"), "--0312345678");
    EXPECT_EQ(Stored(db, "TELNOHIFN.AUT"), "0312345678");
    EXPECT_EQ(Stored(db, "TATETEL.AUT"), U("--〇三一二三四五六七八"));
    EXPECT_EQ(Stored(db, "ZIPHIFN.AUT"), QString());
    EXPECT_EQ(ReadCompanyInfoItem(8), U("最高"));

    // A second opening finds no marker.
    rules.Open(db.Folder());
    EXPECT_FALSE(rules.IsFirstRun());
}

TEST(CompanyInfoDlg, ShowsEditsAndSaves)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    QDir().mkpath(db.File("Other"));
    ASSERT_TRUE(WriteAutFile(db.File("Other/ZIPHIFN.AUT"), "1000004"));
    ASSERT_TRUE(WriteAutFile(db.File("Other/ADD.AUT"), U("東京都\r\n大手町")));
    CSettingsTestDb::Put(db.File("FTtemp.dat"), "");

    {
        // Cancel keeps the files but the marker is gone.
        CCompanyInfoDlg dlg;
        EXPECT_EQ(dlg.size(), QSize(540, 360));
        dlg.reject();
    }
    EXPECT_FALSE(QFile::exists(db.File("FTtemp.dat")));

    CCompanyInfoDlg dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    auto* zip1 = qobject_cast<QLineEdit*>(dlg.Field(F::ZIP1));
    auto* zip2 = qobject_cast<QLineEdit*>(dlg.Field(F::ZIP2));
    auto* address = qobject_cast<QPlainTextEdit*>(dlg.Field(F::ADDRESS));
    auto* tel2 = qobject_cast<QLineEdit*>(dlg.Field(F::TEL2));
    auto* person = qobject_cast<QComboBox*>(dlg.Field(F::PERSON));
    ASSERT_TRUE(zip1 && zip2 && address && tel2 && person);
    EXPECT_EQ(zip1->text(), QString());
    EXPECT_EQ(zip2->text(), "1000004");
    EXPECT_EQ(address->toPlainText(), U("東京都\n大手町"));
    EXPECT_EQ(zip1->geometry(), QRect(120, 123, 40, 22));
    EXPECT_EQ(address->geometry(), QRect(120, 148, 403, 44));

    zip1->setFocus();
    zip1->clear();
    Type(zip1, "1a00");
    EXPECT_EQ(zip1->text(), "100");
    EXPECT_EQ(QApplication::focusWidget(), zip2);
    EXPECT_EQ(zip2->selectedText(), "1000004");
    Type(zip2, "0004");
    EXPECT_EQ(QApplication::focusWidget(), address);
    tel2->insert("12x34"); // pasted
    EXPECT_EQ(tel2->text(), "12");
    person->setEditText(U("山田"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
    EXPECT_EQ(Stored(db, "ZIPHIFN.AUT"), "100-0004");
    EXPECT_EQ(Stored(db, "ZENZIP.AUT"), U("１０００００４"));
    EXPECT_EQ(Stored(db, "ADD.AUT"), U("東京都\r\n大手町"));
    EXPECT_EQ(Stored(db, "TEL.AUT"), "-12-");
    EXPECT_EQ(Stored(db, "NAME.AUT"), U("山田"));
}

// The person takes the staff list's 30 bytes, said in characters; the other
// fields have no such limit.
TEST(CompanyInfo, ThePersonIsRefusedPastThirtyBytesInCharacters)
{
    const QString said = U("担当者は全角15文字・半角30文字までです。");
    const struct {
        F::Field field;
        QString text;
        QString problem;
    } cases[] = {
        {F::PERSON, QString(15, u'佐'), {}},
        {F::PERSON, QString(16, u'佐'), said},
        {F::PERSON, QString(30, u'a'), {}},
        {F::PERSON, QString(31, u'ｱ'), said},
        {F::PERSON, QString(14, u'佐') + U("ab"), {}},
        {F::PERSON, QString(14, u'佐') + U("abc"), said},
        {F::COMPANY, QString(40, u'佐'), {}},
    };
    EXPECT_EQ(F::MaxBytes(F::PERSON), 30);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(F::LengthProblem(c.field, c.text), c.problem);
    }
}

// The person's box keeps the staff list's 30 bytes: a paste past them is
// refused whole and said over the dialog in characters, never cut short
// unseen; one that fits goes in without a word.
TEST(CompanyInfoDlg, APersonPastTheLimitIsRefusedAndSaid)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    QMainWindow frame;
    CCompanyInfoDlg dlg(&frame);
    dlg.show();
    auto* person = qobject_cast<QComboBox*>(dlg.Field(F::PERSON));
    ASSERT_TRUE(person && person->lineEdit());
    const struct {
        const char* held;
        const char* pasted;
        const char* result; // null: refused
    } cases[] = {
        {"", "佐藤－一郎東京都千代田区丸の内１－１", nullptr},                    // 36 bytes
        {"", "佐藤－一郎東京都千代田区丸の内", "佐藤－一郎東京都千代田区丸の内"}, // 30 bytes
        {"佐藤", "－一郎東京都千代田区丸の内１", nullptr},                        // 4 + 28 bytes
        {"佐藤", "－一郎", "佐藤－一郎"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pasted);
        person->setEditText(U(c.held));
        person->lineEdit()->end(false);
        frame.statusBar()->clearMessage();
        ui.Prompt().Clear();
        QGuiApplication::clipboard()->setText(U(c.pasted));
        person->lineEdit()->paste();
        QCoreApplication::processEvents();
        EXPECT_EQ(person->currentText(), U(c.result ? c.result : c.held));
        EXPECT_EQ(ui.Prompt().Texts(),
                  c.result ? QStringList() : QStringList{U("担当者は全角15文字・半角30文字までです。")});
        EXPECT_EQ(frame.statusBar()->currentMessage(), QString());
    }
    dlg.reject();
    EXPECT_EQ(frame.statusBar()->currentMessage(), QString());
}
