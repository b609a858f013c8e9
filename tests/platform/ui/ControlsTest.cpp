#include "platform/ui/LabelCell.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/ReadingEdit.h"
#include "platform/ui/TextLimit.h"

#include "platform/ui/FakeUi.h"

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{

struct NumCase {
    const char* text;
    bool minus, point;
    int maxDecimals, maxIntegers;
    const char* message; // empty: valid
};

TEST(ControlsTest, ValidateNumText)
{
    const NumCase cases[] = {
        {"", false, false, -1, -1, ""},
        {"-5", true, false, -1, -1, ""},
        {"5-", true, false, -1, -1, "不正な数値が入力されています。"},
        {"-", true, false, -1, -1, "不正な数値が入力されています。"},
        {"--5", true, false, -1, -1, "不正な数値が入力されています。"},
        {"-5", false, true, -1, -1, "数値、小数点以外の文字は入力できません。"},
        {"1a", true, true, -1, -1, "数値、マイナス、小数点以外の文字は入力できません。"},
        {"1.5", false, false, -1, -1, "数値以外の文字は入力できません。"},
        {"１", false, false, -1, -1, "数値以外の文字は入力できません。"},
        {"1.5", false, true, -1, -1, ""},
        {".5", false, true, -1, -1, "不正な数値が入力されています。"},
        {"5.", false, true, -1, -1, "不正な数値が入力されています。"},
        {"-.5", true, true, -1, -1, "不正な数値が入力されています。"},
        {"1.2.3", false, true, -1, -1, "不正な数値が入力されています。"},
        {"-100.0", true, true, 1, 3, ""},
        {"1000.0", true, true, 1, 3, "入力できる整数部の桁数は、最大3桁までです。"},
        {"100.25", true, true, 1, 3, "入力できる小数点以下の桁数は、最大1桁までです。"},
        {"123456789012345.1234", false, true, -1, -1, ""},
        {"-123456789012345", true, false, -1, 15, ""},
        {"1234567890123456", false, false, -1, 15, "入力できる整数部の桁数は、最大15桁までです。"},
        {"1234567890123456", false, false, -1, -1,
         "入力できる数値の大きさは、整数部最大15桁、小数部最大4桁までです。"},
        {"1.12345", false, true, 6, -1, "入力できる数値の大きさは、整数部最大15桁、小数部最大4桁までです。"},
    };
    ScopedFakeUi ui;
    QLineEdit edit;
    for (const NumCase& c : cases) {
        ui.Prompt().Clear();
        edit.setText(QString::fromUtf8(c.text));
        QString value = QStringLiteral("old");
        const QString message = QString::fromUtf8(c.message);
        const int valid = ValidateNumText(&edit, value, c.minus, c.point, c.maxDecimals, c.maxIntegers);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(valid, message.isEmpty() ? 1 : 0);
        EXPECT_EQ(value, message.isEmpty() ? edit.text() : QStringLiteral("old"));
        if (message.isEmpty()) {
            EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
        } else {
            ASSERT_EQ(ui.Prompt().Calls().size(), 1);
            EXPECT_EQ(ui.Prompt().Calls()[0].text, message);
            EXPECT_EQ(ui.Prompt().Calls()[0].icon, int(MB_ICONEXCLAMATION));
        }
    }

    // The exchange loads the text, and a refused save selects it.
    QString value = QStringLiteral("12a");
    EXPECT_TRUE(DDX_NumText(false, &edit, value, false, false, -1, -1));
    EXPECT_EQ(edit.text(), QStringLiteral("12a"));
    EXPECT_FALSE(DDX_NumText(true, &edit, value, false, false, -1, -1));
    EXPECT_EQ(edit.selectedText(), QStringLiteral("12a"));
    edit.setText(QStringLiteral("34"));
    EXPECT_TRUE(DDX_NumText(true, &edit, value, false, false, -1, -1));
    EXPECT_EQ(value, QStringLiteral("34"));
}

void Type(QWidget& widget, int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(&widget, &press);
}

void Compose(QWidget& widget, const QString& preedit, const QString& commit = {})
{
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QCoreApplication::sendEvent(&widget, &event);
}

TEST(ControlsTest, NumEditDropsWhatIsNoNumber)
{
    CNumEdit edit;
    for (QChar ch : QStringLiteral("1a-.2 ３"))
        Type(edit, ch.unicode(), QString(ch));
    EXPECT_EQ(edit.text(), QStringLiteral("1-.2"));
    Type(edit, Qt::Key_Backspace, QStringLiteral("\b"));
    Type(edit, Qt::Key_Left, {});
    Type(edit, Qt::Key_5, QStringLiteral("5"));
    EXPECT_EQ(edit.text(), QStringLiteral("1-5."));
    // Editing keys and shortcuts work: Delete (X11 sends "\x7f"), Home,
    // Ctrl+A; a paste keeps only the characters of a number.
    Type(edit, Qt::Key_Home, {});
    Type(edit, Qt::Key_Delete, QStringLiteral("\x7f"));
    EXPECT_EQ(edit.text(), QStringLiteral("-5."));
    Type(edit, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
    EXPECT_EQ(edit.selectedText(), QStringLiteral("-5."));
    QGuiApplication::clipboard()->setText(QStringLiteral("1,2a3"));
    Type(edit, Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("123"));

    edit.SetAllowMinus(false);
    edit.clear();
    Type(edit, Qt::Key_Minus, QStringLiteral("-"));
    Compose(edit, {}, QStringLiteral("１2-x."));
    EXPECT_EQ(edit.text(), QStringLiteral("2."));
}

TEST(ControlsTest, ReadingEditFeedsThePartner)
{
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral(u"がっこう")), QStringLiteral(u"ｶﾞｯｺｳ"));
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral(u"パーティー・ヴ")), QStringLiteral(u"ﾊﾟｰﾃｨｰ･ｳﾞ"));
    EXPECT_EQ(ToHalfWidthKatakana(QStringLiteral(u"ＡＢ１　ヶ")), QStringLiteral(u"AB1 ヶ"));

    QWidget dialog;
    CReadingEdit name(&dialog);
    QLineEdit reading(&dialog);
    name.SetPartner(&reading);
    // Typing, then converting: the reading is the kana before conversion.
    Compose(name, QStringLiteral(u"か"));
    Compose(name, QStringLiteral(u"かぶしき"));
    Compose(name, QStringLiteral(u"株式"));
    Compose(name, {}, QStringLiteral(u"株式"));
    EXPECT_EQ(name.text(), QStringLiteral(u"株式"));
    EXPECT_EQ(reading.text(), QStringLiteral(u"ｶﾌﾞｼｷ"));
    // Each conversion appends; a commit that starts the next composition
    // keeps the new reading for it.
    Compose(name, QStringLiteral(u"がいしゃ"));
    QInputMethodEvent next(QStringLiteral(u"で"), {});
    next.setCommitString(QStringLiteral(u"会社"));
    QCoreApplication::sendEvent(&name, &next);
    Compose(name, {}, QStringLiteral(u"で"));
    EXPECT_EQ(name.text(), QStringLiteral(u"株式会社で"));
    EXPECT_EQ(reading.text(), QStringLiteral(u"ｶﾌﾞｼｷｶﾞｲｼｬﾃﾞ"));
    // A cancelled composition leaves no reading behind for a direct commit.
    Compose(name, QStringLiteral(u"あ"));
    Compose(name, {});
    Compose(name, {}, QStringLiteral("x"));
    EXPECT_EQ(reading.text(), QStringLiteral(u"ｶﾌﾞｼｷｶﾞｲｼｬﾃﾞ"));
}

// An address of 254 bytes of 255 ("\r\n" counts two): what is typed, pasted
// or committed in its middle keeps only what fits, and the text around it
// stays whole; a stored text longer than the limit is shown whole.
TEST(ControlsTest, PlainTextLimitRefusesWhereTyped)
{
    const QString head = QString(100, u'東'), tail = QStringLiteral("\n") + QString(52, u'b');
    const struct {
        const char* name;
        std::function<void(QPlainTextEdit&)> input;
        const char* inserted; // what stays at the cursor
        bool crlf = true;
    } cases[] = {
        {"one byte fits", [](QPlainTextEdit& e) { Type(e, Qt::Key_X, QStringLiteral("x")); }, "x"},
        {"a full-width character does not", [](QPlainTextEdit& e) { Type(e, 0, QStringLiteral("あ")); }, ""},
        {"a line break takes two", [](QPlainTextEdit& e) { Type(e, Qt::Key_Return, QStringLiteral("\r")); },
         ""},
        {"a line break of one byte fits",
         [](QPlainTextEdit& e) { Type(e, Qt::Key_Return, QStringLiteral("\r")); }, "\n", false},
        {"a paste is cut", [](QPlainTextEdit& e) { e.insertPlainText(QStringLiteral("xyz")); }, "x"},
        {"a conversion is refused", [](QPlainTextEdit& e) { Compose(e, {}, QStringLiteral("漢字")); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QPlainTextEdit edit;
        LimitPlainTextBytes(&edit, 255, c.crlf);
        edit.setPlainText(head + tail);
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(50);
        edit.setTextCursor(cursor);
        c.input(edit);
        const QString inserted = QString::fromUtf8(c.inserted);
        EXPECT_EQ(edit.toPlainText(), head.left(50) + inserted + head.mid(50) + tail);
        EXPECT_EQ(edit.textCursor().position(), 50 + inserted.size());
    }

    QPlainTextEdit edit;
    LimitPlainTextBytes(&edit, 255, true);
    edit.setPlainText(head + tail);
    // Replacing a selection frees its bytes first; undo takes back the
    // whole insertion.
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(0);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    edit.insertPlainText(QStringLiteral("123456"));
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("12345") + head.mid(2) + tail);
    edit.undo();
    EXPECT_EQ(edit.toPlainText(), head + tail);
    const QString stored = QString(200, u'長');
    edit.setPlainText(stored);
    EXPECT_EQ(edit.toPlainText(), stored);

    EXPECT_EQ(FitPlainTextBytes(QStringLiteral("ab\ncd"), 3, true), QStringLiteral("ab"));
    EXPECT_EQ(FitPlainTextBytes(QStringLiteral("ab\ncd"), 4, true), QStringLiteral("ab\n"));
    EXPECT_EQ(FitPlainTextBytes(QStringLiteral("aあ"), 2, false), QStringLiteral("a"));
}

// An entry dialog's field holding 250 of its 255 bytes: a paste or a
// conversion that does not fit whole leaves the text as it was and says the
// limit once in the status bar behind; what fits goes in and says nothing,
// also over a selection that frees room. The program's own over-long text
// is shown whole, without a word.
TEST(ControlsTest, OverLongInputIsRefusedWhole)
{
    QMainWindow frame;
    QDialog dialog(&frame);
    QLineEdit line(&dialog);
    LimitTextBytes(&line, 255);
    QComboBox box(&dialog);
    box.setEditable(true);
    LimitTextBytes(box.lineEdit(), 255);
    QPlainTextEdit memo(&dialog);
    LimitPlainTextBytes(&memo, 255, true);
    for (QWidget* field :
         {static_cast<QWidget*>(&line), static_cast<QWidget*>(&box), static_cast<QWidget*>(&memo)})
        RefuseOverLongInput(field, QStringLiteral("メモ"));
    struct SField {
        const char* name;
        std::function<QString()> text;
        std::function<void(const QString&)> set;
        std::function<void(int, int)> select;
        QWidget* input;
        std::function<void()> paste;
    } const fields[] = {
        {"line edit", [&] { return line.text(); }, [&](const QString& t) { line.setText(t); },
         [&](int from, int to) { line.setSelection(from, to - from); }, &line, [&] { line.paste(); }},
        {"combo box", [&] { return box.currentText(); }, [&](const QString& t) { box.setEditText(t); },
         [&](int from, int to) { box.lineEdit()->setSelection(from, to - from); }, box.lineEdit(),
         [&] { box.lineEdit()->paste(); }},
        {"multi-line", [&] { return memo.toPlainText(); }, [&](const QString& t) { memo.setPlainText(t); },
         [&](int from, int to) {
             QTextCursor cursor = memo.textCursor();
             cursor.setPosition(from);
             cursor.setPosition(to, QTextCursor::KeepAnchor);
             memo.setTextCursor(cursor);
         },
         &memo, [&] { memo.paste(); }},
    };
    const QString held = QString(125, u'東');
    const QString said = QStringLiteral("メモは255バイトまでです。");
    const struct {
        const char* name;
        bool paste; // else an input-method commit
        const char* input;
        int from, to;       // the selection it replaces
        const char* result; // null: refused
    } cases[] = {
        {"a paste of 6 bytes", true, "abcdef", 3, 3, nullptr},
        {"a paste of 5 bytes", true, "abcde", 3, 3, "abcde"},
        {"a conversion of 6 bytes", false, "漢字ab", 3, 3, nullptr},
        {"a conversion of 5 bytes", false, "漢字a", 3, 3, "漢字a"},
        {"a paste over 2 characters", true, "123456789", 3, 5, "123456789"},
        {"a paste over 2 characters, 1 byte long", true, "1234567890", 3, 5, nullptr},
    };
    for (const SField& f : fields) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(f.name) + ": " + c.name);
            f.set(held);
            f.select(c.from, c.to);
            frame.statusBar()->clearMessage();
            const QString input = QString::fromUtf8(c.input);
            if (c.paste) {
                QGuiApplication::clipboard()->setText(input);
                f.paste();
            } else {
                Compose(*f.input, {}, input);
            }
            if (c.result) {
                EXPECT_EQ(f.text(), held.left(c.from) + QString::fromUtf8(c.result) + held.mid(c.to));
                EXPECT_EQ(frame.statusBar()->currentMessage(), QString());
            } else {
                EXPECT_EQ(f.text(), held);
                EXPECT_EQ(frame.statusBar()->currentMessage(), said);
            }
        }
        frame.statusBar()->clearMessage();
        const QString stored = QString(200, u'長');
        f.set(stored);
        EXPECT_EQ(f.text(), stored) << f.name;
        EXPECT_EQ(frame.statusBar()->currentMessage(), QString()) << f.name;
    }
    EXPECT_EQ(TextLimitMessage(QString(), 20), QStringLiteral("20バイトまでです。"));
}

// The reading goes in whole or not at all, and only with its conversion.
TEST(ControlsTest, ReadingIsAddedOnlyWhenItFits)
{
    QMainWindow frame;
    QDialog dialog(&frame);
    CReadingEdit company(&dialog);
    LimitTextBytes(&company, 10);
    QLineEdit reading(&dialog);
    LimitTextBytes(&reading, 10);
    company.SetPartner(&reading);
    RefuseOverLongInput(&company, QStringLiteral("会社名"));
    RefuseOverLongInput(&reading, QStringLiteral("会社ﾌﾘｶﾞﾅ"));
    const struct {
        const char* held;
        const char* kana;
        const char* converted;
        const char* reading; // afterwards
    } cases[] = {
        {"", "かぶしき", "株式", "ｶﾌﾞｼｷ"},
        {"", "かぶしきがいしゃだ", "株式会社だ", ""},       // ｶﾌﾞｼｷｶﾞｲｼｬﾀﾞ: 12 bytes
        {"", "かぶしきがいしゃ", "株式会社", "ｶﾌﾞｼｷｶﾞｲｼｬ"}, // 10 bytes
        {"株式会社", "ほんてん", "本店", ""},               // 12 bytes: the conversion is refused
    };
    for (const auto& c : cases) {
        company.setText(QString::fromUtf8(c.held));
        reading.clear();
        Compose(company, QString::fromUtf8(c.kana));
        Compose(company, QString::fromUtf8(c.converted));
        Compose(company, {}, QString::fromUtf8(c.converted));
        EXPECT_EQ(reading.text(), QString::fromUtf8(c.reading)) << c.kana;
    }
}

TEST(ControlsTest, LabelCellDrawsAFramedCaption)
{
    QImage image(100, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QFont font;
    font.setPixelSize(14);
    CLabelCell cell;
    cell.m_pFont = &font;
    cell.m_strText = QStringLiteral("ab");
    {
        QPainter painter(&image);
        EXPECT_EQ(cell.Draw(&painter), 0); // empty rectangle
        EXPECT_EQ(cell.Draw(nullptr), 0);
        cell.m_rect = QRect(10, 5, 80, 30); // pixels 10-89, 5-34
        EXPECT_EQ(cell.Draw(&painter), 1);
    }
    const QRgb navy = qRgb(0, 0, 128), yellow = qRgb(255, 255, 189), white = qRgb(255, 255, 255);
    EXPECT_EQ(image.pixel(10, 5), navy);
    EXPECT_EQ(image.pixel(89, 34), navy);
    EXPECT_EQ(image.pixel(50, 5), navy);
    EXPECT_EQ(image.pixel(90, 34), white);
    EXPECT_EQ(image.pixel(89, 35), white);
    EXPECT_EQ(image.pixel(9, 20), white);
    EXPECT_EQ(image.pixel(11, 6), yellow);

    // The text stands on the right by default.
    auto inkIn = [](const QImage& img, int from, int to) {
        int ink = 0;
        for (int x = from; x < to; ++x)
            for (int y = 8; y < 32; ++y)
                ink += qRed(img.pixel(x, y)) < 128 ? 1 : 0;
        return ink;
    };
    EXPECT_GT(inkIn(image, 60, 88), 0);
    EXPECT_EQ(inkIn(image, 12, 40), 0);
    QPainter inactive;
    EXPECT_EQ(cell.Draw(&inactive), 0);
}

} // namespace

// The status bar's line about a refused input speaks of a field of the
// dialog: it goes when the dialog closes, however it closes, and a second
// refusal in the same dialog goes with it too; a line said since by anyone
// else stays.
TEST(ControlsTest, ARefusalLineGoesWithItsDialog)
{
    QMainWindow frame;
    const QString said = QStringLiteral("メモは10バイトまでです。");
    const QString other = QStringLiteral("得意先を新規登録します");
    const struct {
        const char* name;
        std::function<void(std::unique_ptr<QDialog>&)> close;
        bool otherSince;
        int refusals;
    } cases[] = {
        {"accepted", [](std::unique_ptr<QDialog>& d) { d->accept(); }, false, 1},
        {"rejected", [](std::unique_ptr<QDialog>& d) { d->reject(); }, false, 1},
        {"closed", [](std::unique_ptr<QDialog>& d) { d->close(); }, false, 1},
        {"hidden", [](std::unique_ptr<QDialog>& d) { d->hide(); }, false, 1},
        {"deleted while shown", [](std::unique_ptr<QDialog>& d) { d.reset(); }, false, 1},
        {"refused twice", [](std::unique_ptr<QDialog>& d) { d->reject(); }, false, 2},
        {"another line said since", [](std::unique_ptr<QDialog>& d) { d->accept(); }, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frame.statusBar()->clearMessage();
        auto dialog = std::make_unique<QDialog>(&frame);
        auto* line = new QLineEdit(dialog.get());
        LimitTextBytes(line, 10);
        RefuseOverLongInput(line, QStringLiteral("メモ"));
        dialog->show();
        for (int i = 0; i < c.refusals; ++i) {
            frame.statusBar()->clearMessage();
            Compose(*line, {}, QStringLiteral("長すぎる名前です"));
            EXPECT_EQ(line->text(), QString());
            EXPECT_EQ(frame.statusBar()->currentMessage(), said);
        }
        if (c.otherSince)
            frame.statusBar()->showMessage(other);
        c.close(dialog);
        EXPECT_EQ(frame.statusBar()->currentMessage(), c.otherSince ? other : QString());
    }
    // A field of the main window itself has no dialog to close: its line stays.
    auto* own = new QLineEdit(&frame);
    LimitTextBytes(own, 4);
    RefuseOverLongInput(own, QStringLiteral("コード"));
    frame.statusBar()->clearMessage();
    Compose(*own, {}, QStringLiteral("ABCDE"));
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("コードは4バイトまでです。"));
}
