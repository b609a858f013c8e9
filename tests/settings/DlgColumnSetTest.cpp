#include <gtest/gtest.h>

#include "ColumnSetTestDb.h"
#include "settings/QXColFactory.h"
#include "settings/dlg/ColumnSetDlg.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QPushButton* Button(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

QStringList Lines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

} // namespace

TEST(ColumnSetDlg, DisplayModeOpensAndSavesWhatItShows)
{
    CColumnTestDb db;
    CColumnSetDlg dlg(CColumnSetRules::kDisplay);
    dlg.SetListKind(kListCustomer);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), U("表示列を設定します"));
    QStringList labels;
    for (const QLabel* label : dlg.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(U("得意先一覧リストの表示列を設定します")));
    EXPECT_TRUE(labels.contains(U("表示しない列")));
    EXPECT_FALSE(Button(&dlg, U("全て書き出す\n←"))->isVisible());
    EXPECT_TRUE(Button(&dlg, U("規定値に戻す"))->isVisible());

    auto* left = dlg.findChild<QListWidget*>("left");
    auto* right = dlg.findChild<QListWidget*>("right");
    auto* sortField = dlg.findChild<QComboBox*>("sortField");
    auto* descending = dlg.findChild<QRadioButton*>("descending");
    ASSERT_TRUE(left && right && sortField && descending);
    EXPECT_EQ(left->count(), 28);
    EXPECT_EQ(Lines(right).first(), U("会社名"));
    EXPECT_EQ(sortField->currentText(), U("コード"));
    EXPECT_FALSE(descending->isChecked());
    QPushButton* toLeft = Button(&dlg, U("←表示する"));
    QPushButton* up = Button(&dlg, U("↑上へ"));
    EXPECT_FALSE(toLeft->isEnabled());
    EXPECT_FALSE(up->isEnabled());

    // "会社名" goes to the end of the shown columns and one place up.
    right->setCurrentRow(0);
    EXPECT_TRUE(toLeft->isEnabled());
    toLeft->click();
    EXPECT_EQ(Lines(left).last(), U("会社名"));
    EXPECT_EQ(Lines(right).first(), U("部署名"));
    left->setCurrentRow(left->count() - 1);
    EXPECT_FALSE(Button(&dlg, U("下へ↓"))->isEnabled());
    up->click();
    EXPECT_EQ(left->item(left->count() - 2)->text(), U("会社名"));
    EXPECT_EQ(left->currentRow(), left->count() - 2);
    left->setCurrentRow(0);
    Button(&dlg, U("表示しない→"))->click();
    EXPECT_EQ(Lines(right).first(), U("コード")); // back at its factory place
    sortField->setCurrentIndex(sortField->findText(U("住所")));
    descending->setChecked(true);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(db.Prompt().Texts(),
              QStringList{U("起動時の並び順は、次に一覧画面を表示し直したときから変更されます。")});

    CQXColSet shown;
    ASSERT_EQ(CQXColOperate().GetColSet(kColSetCustomer, shown), 1);
    ASSERT_EQ(shown.m_cols.size(), 28);
    EXPECT_EQ(shown.m_cols.first().m_strField, "Company_Section_Name");
    EXPECT_EQ(shown.m_cols[26].m_strField, "Company");
    EXPECT_EQ(shown.IndexOf("CustomerCode"), -1);
    CDefaultSortList sorts;
    const CDefaultSort* sort = sorts.Find(kListCustomer);
    ASSERT_NE(sort, nullptr);
    EXPECT_EQ(sort->m_strField, "Address");
    EXPECT_EQ(sort->m_nOrder, 1);

    // Opened again, the dialog shows what was saved; the defaults button
    // brings back the factory columns and the code field ascending.
    CColumnSetDlg again(CColumnSetRules::kDisplay);
    again.SetListKind(kListCustomer);
    again.show();
    auto* againLeft = again.findChild<QListWidget*>("left");
    auto* againSort = again.findChild<QComboBox*>("sortField");
    EXPECT_EQ(Lines(againLeft).at(26), U("会社名"));
    EXPECT_EQ(againSort->currentText(), U("住所"));
    EXPECT_TRUE(again.findChild<QRadioButton*>("descending")->isChecked());
    Button(&again, U("規定値に戻す"))->click();
    EXPECT_EQ(Lines(againLeft).first(), U("コード"));
    EXPECT_EQ(againSort->currentText(), U("コード"));
    EXPECT_FALSE(again.findChild<QRadioButton*>("descending")->isChecked());
    EXPECT_TRUE(db.Prompt().ScriptErrors().isEmpty());
}

TEST(ColumnSetDlg, ExportModeHidesTheSortOrderAndHandsBackTheColumns)
{
    CColumnTestDb db;
    CColumnSetDlg display(CColumnSetRules::kDisplay);
    display.SetListKind(kListItem);
    display.show();

    CColumnSetDlg dlg(CColumnSetRules::kExport);
    dlg.SetListKind(kListItem);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), U("書き出し列を設定します"));
    EXPECT_FALSE(dlg.findChild<QComboBox*>("sortField")->isVisible());
    EXPECT_FALSE(Button(&dlg, U("規定値に戻す"))->isVisible());
    EXPECT_LT(dlg.height(), display.height());

    auto* left = dlg.findChild<QListWidget*>("left");
    auto* right = dlg.findChild<QListWidget*>("right");
    QPushButton* allLeft = Button(&dlg, U("全て書き出す\n←"));
    QPushButton* allRight = Button(&dlg, U("全て書き出さない\n→"));
    EXPECT_EQ(left->count(), 0);
    EXPECT_FALSE(Lines(right).contains(U("主な仕入先")));
    EXPECT_TRUE(allLeft->isEnabled());
    EXPECT_FALSE(allRight->isEnabled());

    // Nothing chosen: OK says so and stays open.
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(db.Prompt().Texts().last(),
              U("書き出しする項目が一つもありません。\n書き出しする項目を一つ以上指定してください。"));

    const QStringList all = Lines(right);
    allLeft->click();
    EXPECT_EQ(Lines(left), all);
    EXPECT_FALSE(allLeft->isEnabled());
    EXPECT_TRUE(allRight->isEnabled());
    left->setCurrentRow(0);
    Button(&dlg, U("書き出さない→"))->click();
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const CQXColSet& result = dlg.GetResultSet();
    EXPECT_EQ(result.m_nID, kColSetItem);
    ASSERT_EQ(result.m_cols.size(), all.size() - 1);
    EXPECT_EQ(result.m_cols.first().m_strCaption, all.at(1));
    EXPECT_FALSE(QFileInfo::exists(db.DisplayPath()));
    EXPECT_FALSE(QFileInfo::exists(db.SortPath()));
}
