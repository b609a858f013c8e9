#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/ComboData.h"
#include "settings/dlg/ComboDataBox.h"
#include "settings/dlg/DlgHelpers.h"
#include "settings/dlg/NameListDlg.h"
#include "settings/dlg/RenameDlg.h"

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

QStringList Lines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

// name:deletable of every entry in the kind's file.
QStringList Stored(int kind)
{
    CComboData data;
    if (!data.Load(kind))
        return {QStringLiteral("<unreadable>")};
    QStringList entries;
    for (const auto& elem : data.GetElems())
        entries << elem->m_strText + ':' + QString::number(elem->m_nDeletable);
    return entries;
}

// Writes the kind's file with the names; a name starting with '!' is protected.
void Seed(int kind, const QStringList& names)
{
    CComboData data;
    ASSERT_EQ(data.Load(kind), 1);
    for (const QString& name : names) {
        auto elem = std::make_unique<CComboDataElem>();
        elem->m_strText = name.startsWith('!') ? name.mid(1) : name;
        elem->m_nDeletable = name.startsWith('!') ? 0 : 1;
        data.GetElems().push_back(std::move(elem));
    }
    ASSERT_EQ(data.Save(), 1);
}

class CScriptedNameListDlg : public CNameListDlg
{
  public:
    using CNameListDlg::CNameListDlg;
    std::function<void(CRenameDlg&)> m_script;

  protected:
    int RunNameDialog(QDialog& dialog) override
    {
        dialog.show();
        m_script(static_cast<CRenameDlg&>(dialog));
        return dialog.result();
    }
};

void Leave(QWidget* box)
{
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &event);
}

} // namespace

TEST(NameListRules, TextsLimitsAndEditingByMode)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    CFakePrompt& prompt = ui.Prompt();

    CNameListRules money(COMBO_MONEY);
    EXPECT_EQ(money.GetCaption(), U("入金摘要内容の設定"));
    EXPECT_EQ(
        money.GetHeader(),
        U("入金摘要内容を登録・変更・削除します。\n設定が完了したら【OK】ボタンをクリックしてください。"));
    EXPECT_EQ(money.GetNote(),
              U("※なお、入金画面の摘要を設定するコンボボックスで入力すると自動的に登録されます。"));
    EXPECT_EQ(money.GetListLabel(), U("現在登録されている入金摘要内容："));
    EXPECT_EQ(money.GetHelpTopic(), 1503);
    EXPECT_EQ(money.GetAddRequest().caption, U("入金摘要内容の追加"));
    EXPECT_EQ(money.GetAddRequest().maxLength, 50);
    EXPECT_EQ(CNameListRules(COMBO_TANTO).GetCaption(), U("自社担当者の設定"));
    EXPECT_EQ(CNameListRules(COMBO_TANTO).GetAddRequest().prompt,
              U("追加する自社担当者を入力して【OK】をクリックしてください。"));
    EXPECT_EQ(CNameListRules(COMBO_TANTO).GetAddRequest().maxLength, 30);
    EXPECT_EQ(CNameListRules(COMBO_UNIT).GetListLabel(), U("現在登録されている単位："));
    EXPECT_EQ(CNameListRules(COMBO_UNIT).GetHelpTopic(), 1504);
    EXPECT_EQ(CNameListRules(COMBO_UNIT).GetAddRequest().maxLength, 20);

    // An empty list: every command but add explains itself.
    money.Open();
    EXPECT_EQ(money.GetItemSel(), -1);
    CNameRequest request;
    EXPECT_FALSE(money.BeginChange(request));
    EXPECT_FALSE(money.Delete());
    EXPECT_FALSE(money.MoveUp());
    EXPECT_FALSE(money.MoveDown());
    EXPECT_EQ(prompt.Texts(),
              QStringList({U("変更する項目を選択してください。"), U("削除する項目を選択してください。"),
                           U("移動する項目を選択してください。"), U("移動する項目を選択してください。")}));
    prompt.Clear();

    Seed(COMBO_TANTO, {U("!山田"), U("鈴木")});
    CNameListRules staff(COMBO_TANTO);
    staff.Open();
    EXPECT_EQ(staff.GetItems(), QStringList({U("山田"), U("鈴木")}));
    EXPECT_EQ(staff.GetItemSel(), 0);
    EXPECT_TRUE(staff.CanChange() && staff.CanDelete() && staff.CanMoveDown());
    EXPECT_FALSE(staff.CanMoveUp());

    // Add: a listed name is refused; half and full width are different names.
    EXPECT_FALSE(staff.Add(U("鈴木")));
    ASSERT_EQ(prompt.Calls().size(), 1);
    EXPECT_EQ(prompt.Calls()[0].text, U("その名前は既に登録されています。"));
    EXPECT_EQ(prompt.Calls()[0].icon, MB_ICONINFORMATION);
    ASSERT_TRUE(staff.Add(U("ｽｽﾞｷ")));
    ASSERT_TRUE(staff.Add(U("スズキ")));
    EXPECT_EQ(staff.GetItemSel(), 3);
    EXPECT_FALSE(staff.CanMoveDown());

    // A protected name may be renamed and moved but not deleted.
    staff.SelectItem(0);
    ASSERT_TRUE(staff.BeginChange(request));
    EXPECT_EQ(request.caption, U("自社担当者の変更"));
    EXPECT_EQ(request.prompt, U("自社担当者名を変更して【OK】をクリックしてください。"));
    EXPECT_EQ(request.name, U("山田"));
    EXPECT_EQ(request.maxLength, 30);
    EXPECT_FALSE(staff.Change(U("山田")));
    EXPECT_FALSE(staff.Change(U("スズキ")));
    ASSERT_TRUE(staff.Change(U("山田太郎")));
    EXPECT_FALSE(staff.Delete());
    EXPECT_EQ(prompt.Texts().last(), U("この項目は削除できません"));
    ASSERT_TRUE(staff.MoveDown());
    EXPECT_EQ(staff.GetItemSel(), 1);
    EXPECT_EQ(staff.GetItems(), QStringList({U("鈴木"), U("山田太郎"), U("ｽｽﾞｷ"), U("スズキ")}));

    // Delete asks with No as the default; the last line's removal selects the new last.
    staff.SelectItem(3);
    prompt.QueueAnswers({IDNO, IDYES});
    EXPECT_FALSE(staff.Delete());
    const CPromptCall ask = prompt.Calls().last();
    EXPECT_EQ(ask.text, U("選択している項目を削除してよろしいですか？"));
    EXPECT_EQ(ask.buttons, MB_YESNO);
    EXPECT_EQ(ask.icon, MB_ICONQUESTION);
    EXPECT_EQ(ask.defaultButton, IDNO);
    ASSERT_TRUE(staff.Delete());
    EXPECT_EQ(staff.GetItemSel(), 2);
    staff.SelectItem(0);
    prompt.QueueAnswers({IDYES});
    ASSERT_TRUE(staff.Delete());
    EXPECT_EQ(staff.GetItemSel(), 0);

    // Nothing is written before OK; cancel asks with Cancel as the default.
    EXPECT_EQ(Stored(COMBO_TANTO), QStringList({U("山田:0"), U("鈴木:1")}));
    prompt.QueueAnswers({IDCANCEL});
    EXPECT_FALSE(staff.ConfirmCancel());
    EXPECT_EQ(prompt.Calls().last().text, U("変更を保存せずに画面を終了してよろしいですか？"));
    EXPECT_EQ(prompt.Calls().last().buttons, MB_OKCANCEL);
    EXPECT_EQ(prompt.Calls().last().defaultButton, IDCANCEL);
    ASSERT_EQ(staff.OnOK(), 1);
    EXPECT_EQ(Stored(COMBO_TANTO), QStringList({U("山田太郎:0"), U("ｽｽﾞｷ:1")}));

    // Deleting every name writes an empty collection.
    CNameListRules again(COMBO_TANTO);
    again.Open();
    again.SelectItem(1);
    prompt.QueueAnswers({IDYES});
    ASSERT_TRUE(again.Delete());
    EXPECT_FALSE(again.Delete()); // the protected one stays
    ASSERT_EQ(again.OnOK(), 1);
    EXPECT_EQ(Stored(COMBO_TANTO), QStringList{U("山田太郎:0")});
    EXPECT_TRUE(CNameListRules(COMBO_TANTO).ConfirmCancel());
    EXPECT_TRUE(prompt.ScriptErrors().isEmpty());
}

TEST(NameListDlg, OpensOnTheDatabaseAndSavesWhatItShows)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    Seed(COMBO_UNIT, {U("個"), U("箱")});

    CScriptedNameListDlg dlg(COMBO_UNIT);
    EXPECT_EQ(dlg.windowTitle(), U("単位の設定"));
    QStringList labels;
    for (const QLabel* label : dlg.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(U("現在登録されている単位：")));
    auto* list = dlg.findChild<QListWidget*>("names");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Lines(list), QStringList({U("個"), U("箱")}));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_FALSE(Button(&dlg, "↑上へ")->isEnabled());

    // The name prompt holds a unit to 20 bytes.
    QString caption;
    dlg.m_script = [&caption](CRenameDlg& name) {
        caption = name.windowTitle();
        name.NameEdit()->insert(U("ダースダースダースダースダース"));
        name.accept();
    };
    Button(&dlg, "追加...")->click();
    EXPECT_EQ(caption, U("単位の追加"));
    EXPECT_EQ(Lines(list), QStringList({U("個"), U("箱"), U("ダースダースダースダ")}));
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_FALSE(Button(&dlg, "↓下へ")->isEnabled());
    Button(&dlg, "↑上へ")->click();
    EXPECT_EQ(list->currentRow(), 1);

    list->setCurrentRow(0);
    dlg.m_script = [](CRenameDlg& name) {
        name.NameEdit()->setText(U("ケース"));
        name.accept();
    };
    Button(&dlg, "変更...")->click();
    ui.Prompt().QueueAnswers({IDYES});
    list->setCurrentRow(2);
    Button(&dlg, "削除")->click();
    EXPECT_EQ(Lines(list), QStringList({U("ケース"), U("ダースダースダースダ")}));
    EXPECT_EQ(list->currentRow(), 1);
    Button(&dlg, "？")->click();
    EXPECT_EQ(ui.Help().Topics(), QList<int>{1504});

    dlg.show();
    ui.Prompt().QueueAnswers({IDCANCEL});
    dlg.reject();
    EXPECT_TRUE(dlg.isVisible());
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(Stored(COMBO_UNIT), QStringList({U("ケース:1"), U("ダースダースダースダ:1")}));
    EXPECT_TRUE(ui.Prompt().ScriptErrors().isEmpty());
}

TEST(ComboDataBox, LearnsIntoTheListFileOnlyWhenAsked)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    Seed(COMBO_MONEY, {U("振込")});

    CComboDataBox box, quiet;
    ASSERT_EQ(box.Fill(COMBO_MONEY), 1);
    ASSERT_EQ(quiet.Fill(COMBO_MONEY, 0), 1);
    EXPECT_EQ(box.count(), 1);
    EXPECT_EQ(box.itemText(0), U("振込"));
    const auto* limit = dynamic_cast<const CByteLimitValidator*>(box.lineEdit()->validator());
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(limit->MaxBytes(), 50);

    quiet.setEditText(U("現金"));
    Leave(&quiet);
    EXPECT_EQ(Stored(COMBO_MONEY), QStringList{U("振込:1")});
    // Unlike the classification box, a text of spaces is a name.
    box.setEditText(U("　"));
    Leave(&box);
    box.setEditText(U("振込"));
    Leave(&box);
    EXPECT_EQ(box.count(), 2);
    EXPECT_EQ(Stored(COMBO_MONEY), QStringList({U("振込:1"), U("　:1")}));

    CComboDataBox staff;
    ASSERT_EQ(staff.Fill(COMBO_TANTO), 1);
    staff.lineEdit()->insert(QString(40, u'あ'));
    EXPECT_EQ(staff.currentText(), QString(15, u'あ'));
    Leave(&staff);
    EXPECT_EQ(Stored(COMBO_TANTO), QStringList{QString(15, u'あ') + ":1"});

    // A damaged list kept by the user: the box neither lists nor learns.
    CSettingsTestDb::Put(db.File("Unit.dat"), Hex("05 00 FF FF"));
    ui.Prompt().QueueAnswers({IDNO});
    CComboDataBox units;
    EXPECT_EQ(units.Fill(COMBO_UNIT), 0);
    units.setEditText(U("本"));
    Leave(&units);
    EXPECT_EQ(CSettingsTestDb::Get(db.File("Unit.dat")), Hex("05 00 FF FF"));
    EXPECT_TRUE(ui.Prompt().ScriptErrors().isEmpty());
}
