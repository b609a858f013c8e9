#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "master/MasterList.h"
#include "master/MasterListModel.h"
#include "master/MasterModule.h"
#include "master/MasterView.h"
#include "master/PartnerInfoDlg.h"
#include "master/PayeeInfoDlg.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "resources/CommandIds.h"

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
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

QLineEdit* Edit(CPartnerInfoDlg& dialog, EPartnerField field)
{
    return qobject_cast<QLineEdit*>(dialog.FieldWidget(field));
}

// The partner lists of a running frame on a fixture database.
class PartnerDialogTest : public ::testing::Test
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
        const QString conditions =
            QStringLiteral("Day, TaxType, TaxRoundType, RoundType, CollectCycle, CollectDay");
        Exec(QStringLiteral("DELETE FROM Customer; DELETE FROM Supplier;"
                            "INSERT INTO Customer(CustomerCode, Company, %1) VALUES"
                            "('C1', '一番', 99, 2, 1, 1, 2, 99), ('C2', '二番', 99, 2, 1, 1, 2, 99);"
                            "INSERT INTO Supplier(SupplierCode, Company, %1) VALUES('S1', '仕入一番', 20, 2, "
                            "1, 1, 2, 10)")
                 .arg(conditions));
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }

    void Exec(const QString& sql)
    {
        QString err;
        for (const QString& statement : sql.split(u';', Qt::SkipEmptyParts))
            ASSERT_EQ(m_frame->GetMakeMsgID().Execute(statement, err), 1) << err.toStdString();
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

TEST_F(PartnerDialogTest, CustomerRegisteredChangedAndSteppedFromTheList)
{
    CMasterView* view = Show(2);
    ASSERT_TRUE(view);
    const int rows = view->List()->Model().GetRowCount();
    int opened = 0;
    ScopedModalRunner runner([&](QDialog& dialog) {
        auto* partner = dynamic_cast<CPartnerInfoDlg*>(&dialog);
        EXPECT_TRUE(partner);
        if (!partner)
            return int(QDialog::Rejected);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("得意先情報"));
        EXPECT_EQ(partner->Cells().size(), 29);
        ++opened;
        if (opened == 1) {
            // New: two partners one after the other.
            EXPECT_FALSE(partner->PrevButton()->isVisible() && partner->PrevButton()->isEnabled());
            for (const char* code : {"N1", "N2"}) {
                Edit(*partner, EPartnerField::Code)->setText(QString::fromUtf8(code));
                Edit(*partner, EPartnerField::Company)->setText(QStringLiteral("新規商店"));
                partner->OnSave();
                EXPECT_TRUE(Edit(*partner, EPartnerField::Code)->text().isEmpty());
            }
        } else {
            // Change the focused row, then step to the next one.
            EXPECT_TRUE(Edit(*partner, EPartnerField::Code)->isReadOnly());
            EXPECT_EQ(Edit(*partner, EPartnerField::Code)->text(), QStringLiteral("N2"));
            Edit(*partner, EPartnerField::Company)->setText(QStringLiteral("変更商店"));
            partner->OnSave();
            EXPECT_TRUE(partner->NextButton()->isEnabled());
            partner->MoveRecord(1);
            EXPECT_EQ(Edit(*partner, EPartnerField::Code)->text(), QStringLiteral("N1"));
            partner->OnCancel();
        }
        return int(QDialog::Rejected);
    });
    m_frame->ExecuteCommand(ID_MASTER_NEW);
    EXPECT_EQ(view->List()->Model().GetRowCount(), rows + 2);
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{0});
    m_frame->ExecuteCommand(ID_MASTER_MODIFY);
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(view->List()->Model().GetRowCount(), rows + 2);
    // The changed row shows the new name.
    QStringList cells;
    for (int column = 0; column < view->List()->Model().columnCount(); ++column)
        cells << view->GetCellText(view->List()->Model().RecordAt(0), column);
    EXPECT_TRUE(cells.contains(QStringLiteral("変更商店"))) << cells.join(u'|').toStdString();
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{1});
    CCDSData request, result;
    request.m_strTable = QStringLiteral("Customer");
    request.m_strCondition = QStringLiteral("WHERE CustomerCode='N2'");
    QString err;
    ASSERT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1);
    ASSERT_EQ(result.GetCount(), 1);
    EXPECT_EQ(result.GetAt(0)->GetOneField(QStringLiteral("Customer"), QStringLiteral("Company"))->GetText(),
              QStringLiteral("変更商店"));
}

TEST_F(PartnerDialogTest, SupplierPayeeDataSavedAndShownAgain)
{
    CMasterView* view = Show(3);
    ASSERT_TRUE(view);
    int round = 0;
    QString shownBank;
    ScopedModalRunner runner([&](QDialog& dialog) {
        if (auto* payee = dynamic_cast<CPayeeInfoDlg*>(&dialog)) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("振込先情報"));
            EXPECT_EQ(payee->Cells().size(), 11);
            shownBank = payee->Edit(0)->text();
            if (round == 1) {
                payee->Edit(0)->setText(QStringLiteral("みどり銀行"));
                payee->BankType()->setCurrentIndex(0);    // "同行同支店"
                payee->PaymentType()->setCurrentIndex(0); // "文書": the question turns it into "電信"
                payee->accept();
            }
            return dialog.result();
        }
        auto* partner = dynamic_cast<CPartnerInfoDlg*>(&dialog);
        EXPECT_TRUE(partner);
        if (!partner)
            return int(QDialog::Rejected);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("仕入先情報"));
        EXPECT_EQ(partner->Cells().size(), 27);
        ++round;
        partner->OnPayee();
        if (round == 1)
            partner->OnSave();
        return int(QDialog::Rejected);
    });
    view->ListControl()->selectRow(0);
    m_frame->ExecuteCommand(ID_MASTER_MODIFY);
    m_frame->ExecuteCommand(ID_MASTER_MODIFY);
    EXPECT_EQ(round, 2);
    EXPECT_EQ(shownBank, QStringLiteral("みどり銀行"));
    CCDSData request, result;
    request.m_strTable = QStringLiteral("Supplier");
    request.m_strCondition = QStringLiteral("WHERE SupplierCode='S1'");
    QString err;
    ASSERT_EQ(m_frame->GetMakeMsgID().GetDataList(request, result, err), 1);
    ASSERT_EQ(result.GetCount(), 1);
    int paymentType = -1, bankType = -1, day = -1;
    EXPECT_TRUE(result.GetAt(0)->GetOneField("Supplier", "PaymentType")->GetData(paymentType));
    EXPECT_TRUE(result.GetAt(0)->GetOneField("Supplier", "BankType")->GetData(bankType));
    EXPECT_TRUE(result.GetAt(0)->GetOneField("Supplier", "Day")->GetData(day));
    EXPECT_EQ(paymentType, 1);
    EXPECT_EQ(bankType, 1);
    EXPECT_EQ(day, 20);
    EXPECT_TRUE(m_ui.Prompt().Texts().contains(QStringLiteral(
        "同行の場合は、振込区分は「電信」のみです。\n振込区分を「電信」に変更してよろしいですか？")));
}

// A paste of 300 bytes into the fields that kept a part of it: the text
// stays as it was and the status bar of the frame names the field's limit.
TEST_F(PartnerDialogTest, OverLongPasteIsRefusedWithTheFieldsLimit)
{
    ASSERT_TRUE(Show(2));
    int opened = 0;
    ScopedModalRunner runner([&](QDialog& dialog) {
        auto* partner = dynamic_cast<CPartnerInfoDlg*>(&dialog);
        if (!partner)
            return int(QDialog::Rejected);
        ++opened;
        const struct {
            EPartnerField field;
            const char* said;
        } cases[] = {
            {EPartnerField::Address, "住所は255バイトまでです。"},
            {EPartnerField::Memo, "メモは255バイトまでです。"},
            {EPartnerField::Company, "会社名は100バイトまでです。"},
            {EPartnerField::MyPerson, "自社担当者は30バイトまでです。"},
        };
        for (const auto& c : cases) {
            QWidget* field = partner->FieldWidget(c.field);
            EXPECT_TRUE(field);
            if (!field)
                continue;
            m_frame->statusBar()->clearMessage();
            QGuiApplication::clipboard()->setText(QString(150, u'長'));
            if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) {
                plain->setPlainText(QStringLiteral("元"));
                plain->moveCursor(QTextCursor::End);
                plain->paste();
                EXPECT_EQ(plain->toPlainText(), QStringLiteral("元"));
            } else {
                QLineEdit* edit = qobject_cast<QComboBox*>(field)
                                      ? qobject_cast<QComboBox*>(field)->lineEdit()
                                      : Edit(*partner, c.field);
                EXPECT_TRUE(edit);
                if (!edit)
                    continue;
                edit->setText(QStringLiteral("元"));
                edit->end(false);
                edit->paste();
                EXPECT_EQ(edit->text(), QStringLiteral("元"));
            }
            EXPECT_EQ(m_frame->statusBar()->currentMessage(), QString::fromUtf8(c.said));
        }
        return int(QDialog::Rejected);
    });
    m_frame->ExecuteCommand(ID_MASTER_NEW);
    EXPECT_EQ(opened, 1);
}
