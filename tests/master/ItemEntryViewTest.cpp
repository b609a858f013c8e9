#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "master/CodeChangeDlg.h"
#include "master/ItemInfoDlg.h"
#include "master/MasterList.h"
#include "master/MasterListModel.h"
#include "master/MasterModule.h"
#include "master/MasterView.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "resources/CommandIds.h"
#include "settings/BunruiData.h"
#include "settings/dlg/BunruiNameDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QStringList Column(const CMasterView& view, int column)
{
    QStringList texts;
    const QAbstractItemModel* model = view.ListControl()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}

class ItemEntryViewTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterMasterViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        ASSERT_FALSE(m_home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
        QString err;
        for (const char* sql :
             {"INSERT INTO Item(ItemCode, ItemName, ItemType, TaxFlg, TaxFlg2) VALUES "
              "('A1', '鉛筆', 1, 1, 1), ('A2', '消しゴム', 1, 1, 1)",
              "INSERT INTO Customer(CustomerCode, Company) VALUES ('C1', 'いろは商店'), ('C2', 'ほへと')",
              "INSERT INTO Sales_H(CustomerCode) VALUES ('C1')"})
            ASSERT_EQ(m_frame->GetMakeMsgID().Execute(QString::fromUtf8(sql), err), 1) << err.toStdString();
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }

    CMasterView* Show(int kind)
    {
        m_frame->SwitchView(kind);
        Pump();
        return qobject_cast<CMasterView*>(m_frame->GetActiveView());
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// "新規作成..." registers a product whose row appears with its ID; "修正..."
// changes the focused product and steps to the next one.
TEST_F(ItemEntryViewTest, RegisterChangeAndStepFromTheProductList)
{
    CMasterView* view = Show(1);
    ASSERT_TRUE(view);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_MASTER_NEW).enabled);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_MASTER_MODIFY).enabled);
    EXPECT_EQ(m_frame->FindMenuItem(ID_MASTER_CODE_CHANGE)->text(), QStringLiteral("品番の変更..."));

    int runs = 0;
    {
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto* item = qobject_cast<CItemInfoDlg*>(&dialog);
            EXPECT_TRUE(item);
            ++runs;
            EXPECT_EQ(item->windowTitle(), QStringLiteral("商品情報"));
            EXPECT_FALSE(item->PrevButton()->isVisibleTo(item));
            EXPECT_EQ(item->TaxBox()->currentText(), QStringLiteral("外税"));
            item->CodeEdit()->setText(QStringLiteral("B1"));
            item->NameEdit()->setText(QStringLiteral("万年筆"));
            item->PriceEdit()->setText(QStringLiteral("1200"));
            EXPECT_EQ(item->Save(true), 1);
            EXPECT_EQ(item->CodeEdit()->text(), QString()); // ready for the next product
            item->reject();
            return dialog.result();
        });
        m_frame->ExecuteCommand(ID_MASTER_NEW);
    }
    EXPECT_EQ(runs, 1);
    const COneRecord* added = view->List()->Model().RecordAt(0);
    ASSERT_TRUE(added);
    const CTb* id = added->GetOneField(QStringLiteral("Item"), QStringLiteral("ID"));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->GetText(), QStringLiteral("3"));
    EXPECT_EQ(Column(*view, 0).first(), QStringLiteral("B1"));
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList({"新しい商品を登録します。よろしいですか？", "\n登録しました。"}));

    // Change the registered product (the selected top row), then step on.
    m_ui.Prompt().Clear();
    {
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto* item = qobject_cast<CItemInfoDlg*>(&dialog);
            EXPECT_EQ(item->CodeEdit()->text(), QStringLiteral("B1"));
            EXPECT_TRUE(item->CodeEdit()->isReadOnly());
            EXPECT_TRUE(item->PrevButton()->isVisibleTo(item));
            EXPECT_FALSE(item->PrevButton()->isEnabled());
            EXPECT_TRUE(item->NextButton()->isEnabled());
            item->NameEdit()->setText(QStringLiteral("高級万年筆"));
            EXPECT_EQ(item->Save(true), 1);
            item->NextButton()->click();
            EXPECT_EQ(item->CodeEdit()->text(), Column(*view, 0).at(1));
            EXPECT_TRUE(item->PrevButton()->isEnabled());
            item->reject();
            return dialog.result();
        });
        m_frame->ExecuteCommand(ID_MASTER_MODIFY);
    }
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList({"商品情報を修正します。よろしいですか？", "\n修正しました。"}));
    EXPECT_EQ(view->List()->Model().GetRowCount(), 3);
    const int name = view->List()->Model().GetColumns().IndexOf(QStringLiteral("ItemName"));
    ASSERT_GE(name, 0);
    EXPECT_EQ(Column(*view, name).first(), QStringLiteral("高級万年筆"));
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{1});

    // The menu screen's "新規登録" and "抽出" find their dialogs registered.
    EXPECT_TRUE(CViewRegistry::Instance().HasOpener(CViewRegistry::EOpener::MasterEntry));
    EXPECT_TRUE(CViewRegistry::Instance().HasOpener(CViewRegistry::EOpener::MasterExtract));
}

// "得意先コードの変更..." gives the selected customer a new code throughout;
// the list is read again.
TEST_F(ItemEntryViewTest, CodeChangeFromTheCustomerList)
{
    CMasterView* view = Show(2);
    ASSERT_TRUE(view);
    EXPECT_EQ(m_frame->FindMenuItem(ID_MASTER_CODE_CHANGE)->text(), QStringLiteral("得意先コードの変更..."));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_MASTER_CODE_CHANGE).enabled);
    ASSERT_EQ(Column(*view, 0), QStringList({"C1", "C2"}));
    view->ListControl()->selectRow(0);
    {
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto* change = qobject_cast<CCodeChangeDlg*>(&dialog);
            EXPECT_TRUE(change);
            EXPECT_EQ(change->windowTitle(), QStringLiteral("得意先コードの変更"));
            EXPECT_EQ(change->NameEdit()->text(), QStringLiteral("いろは商店"));
            change->NewCodeEdit()->setText(QStringLiteral("K100"));
            change->accept();
            return dialog.result();
        });
        m_frame->ExecuteCommand(ID_MASTER_CODE_CHANGE);
    }
    ASSERT_EQ(m_ui.Prompt().Texts().size(), 2);
    EXPECT_EQ(m_ui.Prompt().Texts().at(1),
              QStringLiteral("得意先コードの変更が行なわれましたので、リストを表示しなおします。"));
    EXPECT_EQ(Column(*view, 0), QStringList({"C2", "K100"}));
    CCDSData request;
    request.m_strTable = QStringLiteral("Sales_H");
    request.m_strCondition = QStringLiteral("WHERE CustomerCode='K100'");
    int count = 0;
    QString err;
    ASSERT_EQ(m_frame->GetMakeMsgID().GetDataNum(request, count, err), 1);
    EXPECT_EQ(count, 1);

    // Several rows: the change is refused before the dialog.
    m_ui.Prompt().Clear();
    view->ListControl()->selectAll();
    m_frame->ExecuteCommand(ID_MASTER_CODE_CHANGE);
    EXPECT_EQ(
        m_ui.Prompt().Texts(),
        QStringList{QStringLiteral(
            "複数のデータが選択されています。\n得意先コードを変更するデータを、一件だけ選択してください。")});
}

// A new entry as it opens, its hint line, and the helpers beside the unit
// and the classifications.
TEST_F(ItemEntryViewTest, NewEntryLayoutHintsAndHelpers)
{
    CItemInfoDlg dialog;
    EXPECT_EQ(dialog.size(), QSize(605, 412));
    EXPECT_EQ(dialog.ItemTypeBox()->currentText(), QStringLiteral("商品"));
    EXPECT_EQ(dialog.TaxBox()->currentText(), QStringLiteral("外税"));
    EXPECT_FALSE(dialog.PrevButton()->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.NextButton()->isEnabled());
    int drawn = 0;
    for (const CLabelCell& cell : dialog.Captions())
        drawn += cell.m_rect.isEmpty() ? 0 : 1;
    EXPECT_EQ(drawn, 18);
    EXPECT_EQ(dialog.Captions()[16].m_strText, GetDefaultBunruiTitle(0));

    auto focus = [](QWidget* w) {
        QFocusEvent in(QEvent::FocusIn);
        QCoreApplication::sendEvent(w, &in);
    };
    focus(dialog.CodeEdit());
    EXPECT_EQ(dialog.HintBox()->toPlainText(),
              QStringLiteral("伝票でのコード入力、また集計資料の集計用コードになります。"));
    focus(dialog.StartDateEdit());
    EXPECT_EQ(dialog.HintBox()->toPlainText(), QString());
    focus(dialog.CloseButton());
    EXPECT_EQ(dialog.HintBox()->toPlainText(), QStringLiteral("変更を保存せずに画面を終了します"));

    // Renaming to the same title stores nothing; a new title is stored and shown.
    QString typed = GetDefaultBunruiTitle(0);
    ScopedModalRunner runner([&](QDialog& d) {
        if (auto* name = qobject_cast<CBunruiNameDlg*>(&d)) {
            name->NewNameEdit()->setText(typed);
            name->accept();
            return d.result();
        }
        return int(QDialog::Accepted); // the unit list, unchanged
    });
    dialog.RenameButton(0)->click();
    EXPECT_FALSE(CBunruiData().Find(0, 0) && !CBunruiData().Find(0, 0)->m_strTitle.isEmpty());
    typed = QStringLiteral("色");
    dialog.RenameButton(0)->click();
    EXPECT_EQ(dialog.Captions()[16].m_strText, QStringLiteral("色"));
    EXPECT_EQ(CBunruiData().GetTitle(0, 0), QStringLiteral("色"));
    EXPECT_EQ(CItemInfoDlg().Captions()[16].m_strText, QStringLiteral("色"));

    // A unit the list does not hold stays in the box after the list dialog.
    dialog.UnitBox()->setEditText(QStringLiteral("箱"));
    dialog.UnitListButton()->click();
    EXPECT_EQ(dialog.UnitBox()->currentText(), QStringLiteral("箱"));
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());
}
