#include "platform/forms/SelForm.h"
#include "FormsTestUtil.h"
#include "platform/forms/PloMainData.h"
#include "platform/ui/FakeUi.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

QList<CSelFormData> Forms(const QList<long>& ids)
{
    QList<CSelFormData> forms;
    for (long id : ids)
        forms << CSelFormData{id, 1, QStringLiteral("F%1").arg(id), id > 60000};
    return forms;
}

} // namespace

TEST(FormChoice, StartsOnTheCurrentLayoutAndAnswersTheSelectedOne)
{
    CFormChoice current(2, Forms({201, 202, 60001}), 202);
    EXPECT_EQ(current.GetCurrentRow(), 1);
    EXPECT_EQ(current.GetChosenID(), 202);
    EXPECT_EQ(current.GetTitle(), QStringLiteral("フォームの選択（売上伝票）"));
    current.SetCurrentRow(2);
    EXPECT_EQ(current.GetChosenID(), 60001);
    current.SetCurrentRow(3);
    EXPECT_FALSE(current.CanAccept());
    EXPECT_EQ(current.GetChosenID(), 0);

    CFormChoice unknown(1, Forms({101, 102}), 0);
    EXPECT_EQ(unknown.GetChosenID(), 101);
    CFormChoice none(4, {}, 0);
    EXPECT_FALSE(none.CanAccept());
    EXPECT_EQ(none.GetChosenID(), 0);
}

TEST(SelForm, SelectFormOffersTheKindsLayoutsAndAnswersBelowOneOnCancel)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    CFormCatalog user;
    user.m_layouts = {{60005, 2, 2, 60005, QStringLiteral("自社納品書")},
                      {60006, 4, 1, 60006, QStringLiteral("注文B")}};
    user.m_nNextUserID = 60007;
    ASSERT_TRUE(CPloMainData(root.path()).SaveUserForms(user));
    CScriptedFormDialogs dialogs;
    CSelForm chooser(root.path());

    dialogs.m_nPick = 60005;
    EXPECT_EQ(chooser.SelectForm(2, 0), 60005);
    EXPECT_EQ(dialogs.m_offered.last(), (QList<long>{201, 202, 203, 60005}));
    EXPECT_EQ(dialogs.m_initiallySelected.last(), 201);

    dialogs.m_nPick = 0;
    EXPECT_LT(chooser.SelectForm(4, 60006), 1);
    EXPECT_EQ(dialogs.m_initiallySelected.last(), 60006);

    const qsizetype shown = dialogs.m_chooserKinds.size();
    EXPECT_EQ(chooser.SelectForm(0, 0), 0);
    EXPECT_EQ(chooser.SelectForm(14, 0), 0);
    EXPECT_EQ(dialogs.m_chooserKinds.size(), shown); // no chooser for a kind that has none
}

TEST(FormCtrl, CreatesRenamesAndDeletesUserFormsWithoutReusingIds)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ScopedFakeUi ui;
    CPloMainData data(root.path());
    CFormCtrl ctrl(data);
    ASSERT_TRUE(ctrl.Load());
    const CLayoutInfo base = *data.GetLayoutInfo(202);

    EXPECT_EQ(ctrl.Create(base, QStringLiteral("自社用")), 0);
    EXPECT_EQ(ctrl.Create(base, QStringLiteral("控え用")), 1);
    EXPECT_EQ(ctrl.GetForms()[1], (CLayoutInfo{60002, 2, 2, 60002, QStringLiteral("控え用")}));

    // Refused names, each with its reason; nothing changes.
    const struct {
        QString name;
        QString message;
    } refused[] = {
        {QStringLiteral("　 "), QStringLiteral("フォーム名を入力してください。")},
        {QString(21, u'あ'), QStringLiteral("フォーム名は全角20文字（半角40文字）以内で入力してください。")},
        {QStringLiteral("😀"),
         QStringLiteral("フォーム名に使用できない文字「😀」(U+1F600) が含まれています。")},
        {QStringLiteral("控え用"), QStringLiteral("同じ名前のオリジナルフォームがあります。")},
    };
    for (const auto& r : refused) {
        ui.Prompt().Clear();
        EXPECT_FALSE(ctrl.Rename(0, r.name));
        EXPECT_EQ(ui.Prompt().Texts(), QStringList{r.message});
    }
    EXPECT_TRUE(ctrl.Rename(0, QString(20, u'あ')));
    EXPECT_TRUE(ctrl.Rename(1, QStringLiteral("控え用"))); // its own name
    EXPECT_EQ(CPloMainData(root.path()).GetLayoutInfo(60001)->m_strName, QString(20, u'あ'));

    ui.Prompt().Clear();
    ui.Prompt().QueueAnswers({IDNO, IDYES});
    EXPECT_FALSE(ctrl.Delete(1));
    EXPECT_TRUE(ctrl.Delete(1));
    EXPECT_EQ(ui.Prompt().Calls().first().defaultButton, IDNO);
    EXPECT_EQ(CPloMainData(root.path()).GetLayoutInfo(60002), nullptr);
    // A slip may still carry 60002: the next form must not take it over.
    EXPECT_EQ(ctrl.Create(base, QStringLiteral("新")), 1);
    EXPECT_EQ(ctrl.GetForms()[1].m_nFormID, 60003);
}

TEST(SelForm, BackupAndRestoreOfTheUserForms)
{
    QTemporaryDir root, elsewhere;
    ASSERT_TRUE(root.isValid() && elsewhere.isValid());
    ScopedFakeUi ui;
    CFormCatalog saved;
    saved.m_layouts = {{60001, 6, 1, 60001, QStringLiteral("請求書A")}};
    saved.m_nNextUserID = 60002;
    ASSERT_TRUE(CPloMainData(root.path()).SaveUserForms(saved));

    const QString backup = elsewhere.filePath(QStringLiteral("ｵﾘｼﾞﾅﾙﾌｫｰﾑ情報.vrb"));
    EXPECT_EQ(CSelForm(root.path()).BackupOrg(backup), 1);

    // Later changes: another form, the first one deleted.
    CFormCatalog later;
    later.m_layouts = {{60002, 1, 1, 60002, QStringLiteral("見積X")}};
    ASSERT_TRUE(CPloMainData(root.path()).SaveUserForms(later));

    EXPECT_EQ(CSelForm(root.path()).RestoreOrg(backup), 1);
    CPloMainData restored(root.path());
    EXPECT_EQ(restored.GetUserForms(), saved.m_layouts);
    EXPECT_EQ(restored.GetNextUserFormID(), 60003); // 60002 was handed out after the backup

    // A file that is no backup changes nothing.
    const QString bogus = elsewhere.filePath(QStringLiteral("other.vrb"));
    QFile file(bogus);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(later.Write(CPloMainData::kUserMagic));
    file.close();
    ui.Prompt().Clear();
    EXPECT_EQ(CSelForm(root.path()).RestoreOrg(bogus), 0);
    EXPECT_EQ(CSelForm(root.path()).RestoreOrg(elsewhere.filePath(QStringLiteral("missing.vrb"))), 0);
    EXPECT_EQ(ui.Prompt().Calls().size(), 2);
    EXPECT_EQ(CPloMainData(root.path()).GetUserForms(), saved.m_layouts);

    EXPECT_EQ(CSelForm(root.path()).BackupOrg(elsewhere.filePath(QStringLiteral("no/such/folder/x.vrb"))), 0);
}
