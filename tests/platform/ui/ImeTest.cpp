#include "platform/ui/Ime.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QFocusEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

// A digits-only field closes its window's input method when it takes the
// focus, even after a Japanese field opened it; other fields are left alone.
TEST(ImeOnFocus, ADigitsFieldClosesTheWindowsInputMethodOnEveryFocus)
{
    QWidget window;
    auto* name = new QLineEdit(&window);
    auto* date = new QDateEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(name);
    layout->addWidget(date);
    CloseImeOnFocus(date);
    CloseImeOnFocus(nullptr); // nothing to watch, nothing done

    for (int round = 0; round < 2; ++round) {
        SetImeMode(true, &window);
        QFocusEvent toName(QEvent::FocusIn);
        QCoreApplication::sendEvent(name, &toName);
        EXPECT_TRUE(window.testAttribute(Qt::WA_InputMethodEnabled)) << round;

        QFocusEvent toDate(QEvent::FocusIn);
        QCoreApplication::sendEvent(date, &toDate);
        EXPECT_FALSE(window.testAttribute(Qt::WA_InputMethodEnabled)) << round;
        EXPECT_TRUE(window.inputMethodHints().testFlag(Qt::ImhLatinOnly)) << round;
    }
}
