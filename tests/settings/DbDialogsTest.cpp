#include "DbTestSupport.h"

#include "platform/env/ArdoEnv.h"
#include "settings/db/DBNameDlg.h"
#include "settings/db/FolderSelectDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace
{

class DbDialogs : public CDbAdminTest
{
  protected:
    static QPushButton* Button(QWidget& dialog, const char* text)
    {
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == QString::fromUtf8(text))
                return button;
        ADD_FAILURE() << "no button " << text;
        return nullptr;
    }

    // The user clicks "参照..." (it takes the focus, as a mouse click gives
    // it), the picker answers, then Enter is pressed in the folder field.
    static void BrowseThenEnter(QDialog& dialog, QLineEdit* folder)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QPushButton* browse = Button(dialog, "参照...");
        ASSERT_NE(browse, nullptr);
        browse->setFocus(Qt::MouseFocusReason);
        browse->click();
        folder->setFocus(Qt::MouseFocusReason);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(folder, &enter);
    }
};

} // namespace

// The pickers of the database dialogs open in the data root's folder for
// databases, or in the folder already typed, never in the working folder;
// Enter in a folder field presses OK even after "参照..." had the focus.
TEST_F(DbDialogs, FolderPickersStartInTheDatabasesFolderAndEnterPressesOk)
{
    MakeDatabase("本社", "main", true);
    const QString databases = CArdoEnv().GetDatabasesFolder();
    const QString picked = Path("picked");
    ASSERT_TRUE(QDir().mkpath(picked));
    ASSERT_FALSE(QFileInfo::exists(databases));

    CDBNameDlg name({}, {}, CDBNameRules::kNew);
    auto* folder = name.findChild<QLineEdit*>("folder");
    auto* nameEdit = name.findChild<QLineEdit*>("name");
    ASSERT_TRUE(folder && nameEdit);
    nameEdit->setText(QString::fromUtf8("支店"));

    m_ui.Prompt().QueueFolders({picked});
    BrowseThenEnter(name, folder);
    ASSERT_EQ(m_ui.Prompt().PickerCalls().size(), 1);
    EXPECT_EQ(m_ui.Prompt().PickerCalls()[0].dir, databases);
    EXPECT_TRUE(QFileInfo(databases).isDir());
    EXPECT_EQ(name.result(), QDialog::Accepted);
    EXPECT_EQ(name.Rules().GetFolder(), picked);
    EXPECT_EQ(name.Rules().GetOtherFolder(), picked + "/Other");

    // The backup's folder dialog: the folder typed there is where its picker opens.
    CFolderSelectDlg select(nullptr, picked, {}, {});
    QLineEdit* selectFolder = select.findChild<QLineEdit*>();
    ASSERT_NE(selectFolder, nullptr);
    BrowseThenEnter(select, selectFolder); // the picker is cancelled
    ASSERT_EQ(m_ui.Prompt().PickerCalls().size(), 2);
    EXPECT_EQ(m_ui.Prompt().PickerCalls()[1].dir, picked);
    EXPECT_EQ(select.result(), QDialog::Accepted);
    EXPECT_EQ(select.GetFolder(), picked);
}
