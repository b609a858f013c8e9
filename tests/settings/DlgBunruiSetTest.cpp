#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/BunruiData.h"
#include "settings/dlg/BunruiComboBox.h"
#include "settings/dlg/BunruiNameDlg.h"
#include "settings/dlg/BunruiSetDlg.h"
#include "settings/dlg/DlgHelpers.h"
#include "settings/dlg/RenameDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <functional>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QPushButton* Button(QWidget* dialog, const char* text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == U(text))
            return button;
    ADD_FAILURE() << "no button " << text;
    return nullptr;
}

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QStringList Lines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

QStringList Contents(int ledger, int index)
{
    CBunruiData data;
    const CBunruiDataElem* elem = data.Find(ledger, index);
    return elem ? elem->m_contents : QStringList{QStringLiteral("<none>")};
}

// The settings dialog with its name dialogs answered in place: each is
// shown, handed to the script and closed as its own buttons would.
class CScriptedBunruiSetDlg : public CBunruiSetDlg
{
  public:
    std::function<void(QDialog&)> m_script;
    QStringList m_captions;

  protected:
    int RunNameDialog(QDialog& dialog) override
    {
        dialog.show();
        m_captions << dialog.windowTitle();
        m_script(dialog);
        return dialog.result();
    }
};

void Answer(QDialog& dialog, const QString& name)
{
    if (auto* rename = qobject_cast<CRenameDlg*>(&dialog))
        rename->NameEdit()->setText(name);
    else if (auto* genre = qobject_cast<CBunruiNameDlg*>(&dialog))
        genre->NewNameEdit()->setText(name);
    dialog.accept();
}

} // namespace

TEST(BunruiSetRules, EditsContentsAndTitlesOfProductsAndCustomers)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    {
        CBunruiData seed;
        ASSERT_EQ(seed.SetTitle(BUNRUI_PRODUCT, 1, U("産地")), 1);
        ASSERT_EQ(seed.AddContentAndSave(BUNRUI_PRODUCT, 1, U("東京")), 1);
        ASSERT_EQ(seed.AddContentAndSave(BUNRUI_PRODUCT, 1, U("大阪")), 1);
        ASSERT_EQ(seed.AddContentAndSave(BUNRUI_CUSTOMER, 0, U("卸")), 1);
        ASSERT_EQ(seed.AddContentAndSave(BUNRUI_SUPPLIER, 0, U("仕入")), 1);
        ASSERT_EQ(seed.AddContentAndSave(BUNRUI_PRODUCT, 7, U("壊れ")), 1); // no such classification
        ASSERT_EQ(seed.SetTitle(BUNRUI_CUSTOMER, 2, QString()), 1);
        // A second element for a classification: the dialog edits the first,
        // which is the one the lists use.
        auto twin = std::make_unique<CBunruiDataElem>();
        twin->m_nLedger = BUNRUI_PRODUCT;
        twin->m_nIndex = 1;
        twin->m_strTitle = U("二重");
        twin->m_contents = QStringList{U("影")};
        seed.GetElems().push_back(std::move(twin));
        ASSERT_EQ(seed.Save(), 1);
    }
    CFakePrompt& prompt = ui.Prompt();

    CBunruiSetRules rules;
    EXPECT_EQ(CBunruiSetRules::GetLedgerNames(), QStringList({U("商品台帳"), U("得意先台帳")}));
    rules.Open();
    EXPECT_EQ(rules.GetLedgerSel(), BUNRUI_PRODUCT);
    EXPECT_EQ(rules.GetClassTitles(),
              QStringList({U("分類１"), U("産地"), U("分類３"), U("分類４"), U("分類５")}));
    EXPECT_EQ(rules.GetClassSel(), 0);
    EXPECT_TRUE(rules.GetItems().isEmpty());
    EXPECT_FALSE(rules.CanChange() || rules.CanDelete() || rules.CanMoveUp() || rules.CanMoveDown());

    // Without a selected line each command says why and changes nothing.
    CNameRequest request;
    EXPECT_FALSE(rules.BeginChange(request));
    EXPECT_FALSE(rules.Delete());
    EXPECT_FALSE(rules.MoveUp());
    EXPECT_FALSE(rules.MoveDown());
    EXPECT_EQ(prompt.Texts(),
              QStringList({U("変更する項目を選択してください。"), U("データを選択してください"),
                           U("データを選択してください"), U("データを選択してください")}));
    EXPECT_FALSE(rules.IsModified());
    prompt.Clear();

    rules.SelectClass(1);
    EXPECT_EQ(rules.GetItems(), QStringList({U("東京"), U("大阪")}));
    EXPECT_EQ(rules.GetItemSel(), 0);
    EXPECT_TRUE(rules.CanChange() && rules.CanDelete() && rules.CanMoveDown());
    EXPECT_FALSE(rules.CanMoveUp());
    rules.SelectItem(1);
    EXPECT_TRUE(rules.CanMoveUp());
    EXPECT_FALSE(rules.CanMoveDown());
    EXPECT_FALSE(rules.MoveDown());
    ASSERT_TRUE(rules.MoveUp());
    EXPECT_EQ(rules.GetItems(), QStringList({U("大阪"), U("東京")}));
    EXPECT_EQ(rules.GetItemSel(), 0);
    EXPECT_FALSE(rules.MoveUp());

    // Add and change refuse a listed content; full and half width differ.
    const CNameRequest add = rules.GetAddRequest();
    EXPECT_EQ(add.caption, U("分類内容の追加"));
    EXPECT_EQ(add.prompt, U("新しい分類内容を入力して【OK】をクリックしてください"));
    EXPECT_EQ(add.maxLength, 100);
    EXPECT_FALSE(rules.Add(U("東京")));
    ASSERT_EQ(prompt.Calls().size(), 1);
    EXPECT_EQ(prompt.Calls()[0].text, U("その名前は既に登録されています。"));
    EXPECT_EQ(prompt.Calls()[0].icon, MB_ICONINFORMATION);
    EXPECT_TRUE(rules.Add(U("Ａ")));
    EXPECT_TRUE(rules.Add("A"));
    EXPECT_EQ(rules.GetItemSel(), 0); // adding keeps the selection
    ASSERT_TRUE(rules.BeginChange(request));
    EXPECT_EQ(request.caption, U("分類内容の変更"));
    EXPECT_EQ(request.prompt, U("分類内容名を変更して【OK】をクリックしてください。"));
    EXPECT_EQ(request.name, U("大阪"));
    EXPECT_EQ(request.maxLength, 100);
    EXPECT_FALSE(rules.Change(U("大阪")));
    EXPECT_FALSE(rules.Change("A"));
    EXPECT_EQ(prompt.Calls().size(), 2);
    ASSERT_TRUE(rules.Change(U("京都")));
    EXPECT_EQ(rules.GetItems(), QStringList({U("京都"), U("東京"), U("Ａ"), "A"}));

    // Delete asks with No as the default; the last line's removal selects the new last.
    rules.SelectItem(3);
    prompt.QueueAnswers({IDNO});
    EXPECT_FALSE(rules.Delete());
    const CPromptCall& ask = prompt.Calls().last();
    EXPECT_EQ(ask.text, U("削除してもよろしいですか？"));
    EXPECT_EQ(ask.buttons, MB_YESNO);
    EXPECT_EQ(ask.icon, MB_ICONQUESTION);
    EXPECT_EQ(ask.defaultButton, IDNO);
    prompt.QueueAnswers({IDYES});
    ASSERT_TRUE(rules.Delete());
    EXPECT_EQ(rules.GetItemSel(), 2);
    EXPECT_EQ(rules.GetItems().size(), 3);

    // A classification without an element gets one on the first content,
    // titled as shown; renaming to the same title changes nothing.
    rules.SelectLedger(BUNRUI_CUSTOMER);
    EXPECT_EQ(rules.GetClassTitles(),
              QStringList({U("分類１"), U("分類２"), U("分類３"), U("分類４"), U("分類５")}));
    EXPECT_EQ(rules.GetItems(), QStringList{U("卸")});
    prompt.QueueAnswers({IDYES});
    ASSERT_TRUE(rules.Delete());
    EXPECT_EQ(rules.GetItemSel(), -1);
    EXPECT_FALSE(rules.CanChange() || rules.CanDelete() || rules.CanMoveUp() || rules.CanMoveDown());
    QString title;
    rules.SelectClass(3);
    ASSERT_TRUE(rules.BeginRename(title));
    EXPECT_EQ(title, U("分類４"));
    EXPECT_FALSE(rules.Rename(U("分類４")));
    ASSERT_TRUE(rules.Rename(U("業種")));
    EXPECT_EQ(rules.GetClassTitles().at(3), U("業種"));
    EXPECT_TRUE(rules.GetItems().isEmpty());
    rules.SelectClass(4);
    ASSERT_TRUE(rules.Add(U("小売")));

    // Nothing reaches the file before OK; cancel asks with Cancel as the default.
    EXPECT_EQ(Contents(BUNRUI_PRODUCT, 1), QStringList({U("東京"), U("大阪")}));
    prompt.QueueAnswers({IDCANCEL});
    EXPECT_FALSE(rules.ConfirmCancel());
    const CPromptCall& cancel = prompt.Calls().last();
    EXPECT_EQ(cancel.text, U("変更を保存せずに画面を終了してよろしいですか？"));
    EXPECT_EQ(cancel.buttons, MB_OKCANCEL);
    EXPECT_EQ(cancel.defaultButton, IDCANCEL);
    EXPECT_TRUE(CBunruiSetRules().ConfirmCancel()); // unchanged: closes at once
    ASSERT_EQ(rules.OnOK(), 1);

    CBunruiData saved;
    EXPECT_EQ(Contents(BUNRUI_PRODUCT, 1), QStringList({U("京都"), U("東京"), U("Ａ")}));
    EXPECT_EQ(Contents(BUNRUI_CUSTOMER, 0), QStringList());
    EXPECT_EQ(saved.GetTitle(BUNRUI_CUSTOMER, 3), U("業種"));
    EXPECT_EQ(Contents(BUNRUI_CUSTOMER, 3), QStringList());
    ASSERT_NE(saved.Find(BUNRUI_CUSTOMER, 4), nullptr);
    EXPECT_EQ(saved.Find(BUNRUI_CUSTOMER, 4)->m_strTitle, U("分類５"));
    EXPECT_EQ(Contents(BUNRUI_CUSTOMER, 4), QStringList{U("小売")});
    // Suppliers and the stray element are kept as they were.
    EXPECT_EQ(Contents(BUNRUI_SUPPLIER, 0), QStringList{U("仕入")});
    EXPECT_EQ(Contents(BUNRUI_PRODUCT, 7), QStringList{U("壊れ")});
    EXPECT_TRUE(prompt.ScriptErrors().isEmpty());
}

TEST(BunruiSetDlg, OpensOnTheDatabaseAndSavesWhatItShows)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    {
        CBunruiData seed;
        ASSERT_EQ(seed.AddContentAndSave(BUNRUI_CUSTOMER, 1, U("関東")), 1);
    }

    CScriptedBunruiSetDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), U("分類設定"));
    auto* ledger = dlg.findChild<QComboBox*>("ledger");
    auto* classes = dlg.findChild<QComboBox*>("class");
    auto* contents = dlg.findChild<QListWidget*>("contents");
    ASSERT_TRUE(ledger && classes && contents);
    EXPECT_EQ(Items(ledger), QStringList({U("商品台帳"), U("得意先台帳")}));
    EXPECT_EQ(Items(classes).first(), U("分類１"));
    EXPECT_FALSE(Button(&dlg, "変更...")->isEnabled());
    EXPECT_TRUE(Button(&dlg, "追加...")->isEnabled());

    ledger->setCurrentIndex(BUNRUI_CUSTOMER);
    classes->setCurrentIndex(1);
    EXPECT_EQ(Lines(contents), QStringList{U("関東")});
    EXPECT_TRUE(Button(&dlg, "削除")->isEnabled());
    EXPECT_FALSE(Button(&dlg, "↓下へ")->isEnabled());

    // "追加..." limits the content to 100 bytes, like "変更...".
    int limit = -2;
    dlg.m_script = [&limit](QDialog& dialog) {
        auto* edit = static_cast<CRenameDlg&>(dialog).NameEdit();
        const auto* validator = dynamic_cast<const CByteLimitValidator*>(edit->validator());
        limit = validator ? validator->MaxBytes() : -1;
        Answer(dialog, U("関西"));
    };
    Button(&dlg, "追加...")->click();
    EXPECT_EQ(limit, 100);
    EXPECT_EQ(Lines(contents), QStringList({U("関東"), U("関西")}));
    contents->setCurrentRow(1);
    Button(&dlg, "↑上へ")->click();
    EXPECT_EQ(Lines(contents), QStringList({U("関西"), U("関東")}));
    EXPECT_EQ(contents->currentRow(), 0);
    EXPECT_TRUE(Button(&dlg, "↓下へ")->isEnabled());

    dlg.m_script = [](QDialog& dialog) { Answer(dialog, U("地域")); };
    Button(&dlg, "編集...")->click();
    EXPECT_EQ(classes->itemText(1), U("地域"));
    EXPECT_EQ(classes->currentIndex(), 1);
    dlg.m_script = [](QDialog& dialog) { dialog.reject(); };
    Button(&dlg, "変更...")->click();
    EXPECT_EQ(dlg.m_captions,
              QStringList({U("分類内容の追加"), U("分類ジャンル名を変更"), U("分類内容の変更")}));
    EXPECT_EQ(Lines(contents), QStringList({U("関西"), U("関東")}));

    // Cancel refused keeps the dialog open; OK writes what it shows.
    dlg.show();
    ui.Prompt().QueueAnswers({IDCANCEL});
    dlg.reject();
    EXPECT_TRUE(dlg.isVisible());
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    CBunruiData saved;
    EXPECT_EQ(saved.GetTitle(BUNRUI_CUSTOMER, 1), U("地域"));
    EXPECT_EQ(Contents(BUNRUI_CUSTOMER, 1), QStringList({U("関西"), U("関東")}));
    EXPECT_TRUE(ui.Prompt().ScriptErrors().isEmpty());
}

TEST(NameDialogs, RefuseEmptyNamesAndKeepToTheLimit)
{
    ScopedFakeUi ui;

    CRenameDlg plain;
    plain.show();
    EXPECT_EQ(plain.windowTitle(), U("名前の変更"));
    EXPECT_EQ(plain.NameEdit()->validator(), nullptr);
    EXPECT_NE(
        plain.findChild<QLabel*>()->text().indexOf(U("新しい名前を入力して【OK】をクリックしてください")),
        -1);
    plain.accept();
    EXPECT_EQ(plain.result(), QDialog::Rejected);
    EXPECT_TRUE(plain.isVisible());
    EXPECT_EQ(ui.Prompt().Texts().last(), U("名前を入力してください。"));
    plain.NameEdit()->setText(U("😀"));
    plain.accept();
    EXPECT_TRUE(plain.isVisible());
    EXPECT_EQ(ui.Prompt().Texts().last(), U("名前に使用できない文字「😀」(U+1F600) が含まれています。"));

    // A limited name: a paste is cut where it goes in, never inside a character.
    CRenameDlg limited;
    limited.SetCaption(U("単位の追加"));
    limited.SetMessage(U("追加する単位を入力して【OK】をクリックしてください。"));
    limited.m_strName = U("ケース");
    limited.m_nMaxLength = 10;
    limited.show();
    EXPECT_EQ(limited.windowTitle(), U("単位の追加"));
    QLineEdit* edit = limited.NameEdit();
    EXPECT_EQ(edit->text(), U("ケース"));
    edit->end(false);
    edit->insert(U("abc箱"));
    EXPECT_EQ(edit->text(), U("ケースabc"));
    edit->insert("d");
    EXPECT_EQ(edit->text(), U("ケースabcd"));
    edit->insert("e");
    EXPECT_EQ(edit->text(), U("ケースabcd"));
    edit->setCursorPosition(0);
    edit->insert(U("大"));
    EXPECT_EQ(edit->text(), U("ケースabcd"));
    limited.accept();
    EXPECT_EQ(limited.result(), QDialog::Accepted);
    EXPECT_EQ(limited.m_strName, U("ケースabcd"));

    CBunruiNameDlg genre(U("分類２"));
    EXPECT_EQ(genre.windowTitle(), U("分類ジャンル名を変更"));
    EXPECT_EQ(genre.NewNameEdit()->text(), U("分類２"));
    genre.show();
    genre.NewNameEdit()->clear();
    genre.accept();
    EXPECT_TRUE(genre.isVisible());
    EXPECT_EQ(ui.Prompt().Texts().last(), U("新しい名前を入力してください。"));
    Button(&genre, "？")->click();
    EXPECT_EQ(ui.Help().Topics(), QList<int>{1506});
    genre.NewNameEdit()->setText(U("地区"));
    genre.accept();
    EXPECT_EQ(genre.result(), QDialog::Accepted);
    EXPECT_EQ(genre.GetNewName(), U("地区"));
}

TEST(BunruiComboBox, ListsAndLearnsWhenTheUserLeavesIt)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    {
        CBunruiData seed;
        ASSERT_EQ(seed.AddContentAndSave(BUNRUI_PRODUCT, 2, U("国産")), 1);
    }
    const auto leave = [](QWidget* box, Qt::FocusReason reason) {
        QFocusEvent event(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(box, &event);
    };

    CBunruiComboBox box, other;
    ASSERT_EQ(box.Fill(BUNRUI_PRODUCT, 2), 1);
    ASSERT_EQ(other.Fill(BUNRUI_PRODUCT, 2), 1);
    EXPECT_EQ(Items(&box), QStringList{U("国産")});
    EXPECT_TRUE(box.isEditable());

    // Opening the drop-down list is no leaving; blanks are never learned.
    box.setEditText(U("輸入"));
    leave(&box, Qt::PopupFocusReason);
    EXPECT_EQ(Contents(BUNRUI_PRODUCT, 2), QStringList{U("国産")});
    leave(&box, Qt::TabFocusReason);
    EXPECT_EQ(Items(&box), QStringList({U("国産"), U("輸入")}));
    box.setEditText(U("　 "));
    leave(&box, Qt::TabFocusReason);
    other.setEditText(U("国内"));
    leave(&other, Qt::MouseFocusReason);
    EXPECT_EQ(Contents(BUNRUI_PRODUCT, 2), QStringList({U("国産"), U("輸入"), U("国内")}));
    EXPECT_EQ(Items(&other), QStringList({U("国産"), U("国内")}));

    // The edit takes 100 bytes; a refill reads the file again.
    box.lineEdit()->clear();
    box.lineEdit()->insert(QString(60, u'漢'));
    EXPECT_EQ(box.currentText(), QString(50, u'漢'));
    ASSERT_EQ(box.Fill(BUNRUI_PRODUCT, 2), 1);
    EXPECT_EQ(Items(&box), QStringList({U("国産"), U("輸入"), U("国内")}));

    // A damaged file kept by the user: an empty box that learns nothing.
    CSettingsTestDb::Put(db.File("ClassTitle.dat"), Hex("01 00 FF FF 02 00"));
    ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(box.Fill(BUNRUI_PRODUCT, 2), 0);
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.lineEdit()->validator(), nullptr);
    EXPECT_TRUE(ui.Prompt().ScriptErrors().isEmpty());
}
