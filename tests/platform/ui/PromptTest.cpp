#include "platform/ui/Prompt.h"
#include "platform/ui/Translation.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(QtFileFilter, TurnsPipeFiltersIntoQtNameFilters)
{
    EXPECT_EQ(
        QtFileFilter(QStringLiteral(u"Corvanta／販売ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ(*.vrb)|*.vrb|すべてのﾌｧｲﾙ(*.*)|*.*||")),
        QStringLiteral(u"Corvanta／販売ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ (*.vrb);;すべてのﾌｧｲﾙ (*.*)"));
    // Several patterns are separated by ';' in the pipe form, by spaces in Qt's.
    EXPECT_EQ(QtFileFilter(QStringLiteral(u"テキスト|*.csv;*.txt|")),
              QStringLiteral(u"テキスト (*.csv *.txt)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Excel (*.xls; *.xlsx)|*.xls; *.xlsx||")),
              QStringLiteral("Excel (*.xls *.xlsx)"));
    EXPECT_EQ(QtFileFilter(QString()), QString());
    // A trailing description without patterns is dropped, not shown as "(null)".
    EXPECT_EQ(QtFileFilter(QStringLiteral("A|*.a|B")), QStringLiteral("A (*.a)"));
}

// Qt's standard buttons read Japanese once its translation is loaded.
TEST(QtTranslation, StandardButtonsReadJapanese)
{
    if (!InstallQtTranslation(*QCoreApplication::instance()))
        GTEST_SKIP() << "Qt's Japanese translation (qt6-translations-l10n) is not installed";
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
}

// Dialogs and message boxes are wide enough for their whole title.
TEST(FitWindowTitle, DialogsAndMessageBoxesShowTheirWholeTitle)
{
    const QString title = QStringLiteral("Tollavineのﾊﾞｰｼﾞｮﾝ情報 とても長いタイトルの確認用の文字列");
    const int text = QFontMetrics(QApplication::font()).horizontalAdvance(title);
    QMessageBox box(QMessageBox::Information, title, QStringLiteral("OK"));
    ASSERT_LT(box.sizeHint().width(), text);
    FitWindowTitle(box);
    EXPECT_GT(box.sizeHint().width(), text);
    QDialog dialog;
    dialog.setWindowTitle(title);
    FitWindowTitle(dialog);
    EXPECT_GT(dialog.minimumWidth(), text);
}
