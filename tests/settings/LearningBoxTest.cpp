#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/BunruiData.h"
#include "settings/ComboData.h"
#include "settings/dlg/BunruiComboBox.h"
#include "settings/dlg/ComboDataBox.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>

namespace
{

void Leave(QWidget* box)
{
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &event);
}

QStringList Items(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

QStringList Classification()
{
    CBunruiData data;
    const CBunruiDataElem* elem = data.Find(BUNRUI_CUSTOMER, 0);
    return elem ? elem->m_contents : QStringList{QStringLiteral("<none>")};
}

QStringList Staff()
{
    CComboData data;
    if (!data.Load(COMBO_TANTO))
        return {QStringLiteral("<unreadable>")};
    QStringList names;
    for (const auto& elem : data.GetElems())
        names << elem->m_strText;
    return names;
}

} // namespace

// A text with a character that code page 932 writes as another one is
// learned in the form its file gives back, whether it is the first entry of
// an empty list or a later one; the box goes on showing what was typed, so
// that the record gets the typed text.
TEST(LearningBoxes, KeepTheTypedTextWhileTheListLearnsTheFileForm)
{
    const struct {
        const char* name;
        QString typed;
        QString listed;
    } cases[] = {
        {"yen sign", u"¥100均一"_qs, u"\\100均一"_qs}, {"minus sign", u"佐藤−一郎"_qs, u"佐藤－一郎"_qs},
        {"cent sign", u"¢セール"_qs, u"￠セール"_qs},  {"pound sign", u"£払い"_qs, u"￡払い"_qs},
        {"not sign", u"¬対象"_qs, u"￢対象"_qs},       {"em dash", u"東—西"_qs, u"東―西"_qs},
        {"double bar", u"A‖B"_qs, u"A∥B"_qs},          {"overline", u"A‾B"_qs, u"A~B"_qs},
        {"wave dash", u"春〜夏"_qs, u"春～夏"_qs},
    };
    const QString held = u"既存"_qs;
    for (const bool firstEntry : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (firstEntry ? ", first entry" : ", later entry"));
            ScopedFakeUi ui;
            CSettingsTestDb db;
            if (!firstEntry) {
                ASSERT_EQ(CBunruiData().AddContentAndSave(BUNRUI_CUSTOMER, 0, held), 1);
                CComboData staff;
                ASSERT_EQ(staff.Load(COMBO_TANTO), 1);
                ASSERT_EQ(staff.Add(held), 1);
            }
            CBunruiComboBox classification;
            CComboDataBox staff;
            ASSERT_EQ(classification.Fill(BUNRUI_CUSTOMER, 0), 1);
            ASSERT_EQ(staff.Fill(COMBO_TANTO), 1);
            const QStringList before = firstEntry ? QStringList() : QStringList{held};
            for (QComboBox* box :
                 {static_cast<QComboBox*>(&classification), static_cast<QComboBox*>(&staff)}) {
                ASSERT_EQ(Items(*box), before);
                box->setEditText(c.typed);
                Leave(box);
                EXPECT_EQ(Items(*box), before + QStringList{c.listed});
                EXPECT_EQ(box->currentText(), c.typed);
                // Leaving again learns nothing more and changes nothing.
                Leave(box);
                EXPECT_EQ(box->count(), before.size() + 1);
                EXPECT_EQ(box->lineEdit()->text(), c.typed);
            }
            EXPECT_EQ(Classification(), before + QStringList{c.listed});
            EXPECT_EQ(Staff(), before + QStringList{c.listed});
            EXPECT_TRUE(ui.Prompt().Texts().isEmpty());
        }
    }
}
