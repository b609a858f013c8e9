#include "platform/ui/CodeListTool.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTableWidget>
#include <QWidget>
#include <gtest/gtest.h>

namespace
{

CCodeListPicker* OpenPicker(QWidget& owner)
{
    const QList<CCodeListPicker*> pickers = owner.findChildren<CCodeListPicker*>();
    return pickers.isEmpty() ? nullptr : pickers.last();
}

TEST(CodeListTool, EachSwitchListsItsTableAndAnswersOnce)
{
    QList<QChar> asked;
    SetCodeListReader([&asked](QChar kind) {
        asked << kind;
        return QList<CCodeListEntry>{{QString(kind) + "1", "一"}, {QString(kind) + "2", "二"}};
    });
    struct Case {
        QString switches;
        QString title;
        int wParam;
    } cases[] = {{" /C", "得意先一覧 参照 - NWCodeTenki", 1},
                 {" /S", "仕入先一覧 参照 - NWCodeTenki", 2},
                 {" /G", "商品一覧 参照 - NWCodeTenki", 0}};
    for (const Case& c : cases) {
        QWidget owner;
        QList<std::pair<int, QString>> answers;
        CodeListTool().Start(&owner, c.switches, [&answers](int w, const QString& code) {
            answers.append({w, code});
        });
        CCodeListPicker* picker = OpenPicker(owner);
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(picker->windowTitle(), c.title);
        EXPECT_FALSE(picker->isModal());
        ASSERT_EQ(picker->Table()->rowCount(), 2);
        EXPECT_EQ(picker->Table()->item(1, 1)->text(), "二");
        picker->Table()->setCurrentCell(1, 0);
        QPointer<CCodeListPicker> alive(picker);
        // Enter in the list answers.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(picker->Table(), &enter);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(alive.isNull()); // closed after answering
        ASSERT_EQ(answers.size(), 1);
        EXPECT_EQ(answers[0].first, c.wParam);
        EXPECT_EQ(answers[0].second, c.switches.right(1) + "2");
    }
    EXPECT_EQ(asked, (QList<QChar>{u'C', u'S', u'G'}));
    SetCodeListReader({});
}

TEST(CodeListTool, ClosesWithItsOwner)
{
    SetCodeListReader([](QChar) { return QList<CCodeListEntry>{{"K1", "青木"}}; });
    auto* owner = new QWidget;
    CodeListTool().Start(owner, " /C", [](int, const QString&) { ADD_FAILURE() << "no answer expected"; });
    QPointer<CCodeListPicker> picker(OpenPicker(*owner));
    ASSERT_FALSE(picker.isNull());
    delete owner;
    EXPECT_TRUE(picker.isNull());
    SetCodeListReader({});
}

} // namespace
