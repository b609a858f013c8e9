#include "platform/text/NumberText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace
{

// The outcome as one text: the number with its sign, or why there is none.
QString Outcome(const QString& text, const CNumberSyntax& syntax)
{
    const CNumberText read = ReadNumberText(text, syntax);
    switch (read.status) {
    case CNumberText::Number:
        return (read.negative ? u"-"_s : QString()) + read.whole + u'.' + read.fraction;
    case CNumberText::Empty:
        return u"empty"_s;
    case CNumberText::Foreign:
        return u"foreign"_s;
    case CNumberText::NoDigits:
        return u"nodigits"_s;
    case CNumberText::Malformed:
        return u"malformed"_s;
    }
    return {};
}

} // namespace

// Each form is the syntax's to allow: the same text against the plain
// syntax and against one that allows the form.
TEST(NumberText, EachFormIsAllowedByItsOption)
{
    const CNumberSyntax plain;
    const auto with = [](auto change) {
        CNumberSyntax syntax;
        change(syntax);
        return syntax;
    };
    const struct {
        QString text;
        CNumberSyntax syntax;
        const char* plainOutcome;
        const char* allowed;
    } cases[] = {
        {u"+5"_s, with([](CNumberSyntax& s) { s.plusSign = true; }), "foreign", "5."},
        {u"5-"_s, with([](CNumberSyntax& s) { s.signBehind = true; }), "malformed", "-5."},
        {u"5."_s, with([](CNumberSyntax& s) { s.bareTrailingPoint = true; }), "malformed", "5."},
        {u"-.5"_s, with([](CNumberSyntax& s) { s.bareLeadingPoint = false; }), "-.5", "malformed"},
        {u"-5"_s, with([](CNumberSyntax& s) { s.minus = false; }), "-5.", "foreign"},
        {u"1.5"_s, with([](CNumberSyntax& s) { s.point = false; }), "1.5", "foreign"},
        {u"¥1"_s, with([](CNumberSyntax& s) { s.yenSign = true; }), "foreign", "1."},
        {u"1円"_s, with([](CNumberSyntax& s) { s.yenSuffix = true; }), "foreign", "1."},
        {u"１．５"_s, with([](CNumberSyntax& s) { s.fullWidth = true; }), "foreign", "1.5"},
        {u"−5"_s, with([](CNumberSyntax& s) { s.mathMinus = true; }), "foreign", "-5."},
        {u" 5 "_s, with([](CNumberSyntax& s) { s.spaces = CNumberSyntax::Spaces::Around; }), "foreign", "5."},
        {u"- 5"_s, with([](CNumberSyntax& s) { s.spaces = CNumberSyntax::Spaces::Around; }), "foreign",
         "malformed"},
        {u"- 5"_s, with([](CNumberSyntax& s) { s.spaces = CNumberSyntax::Spaces::Between; }), "foreign",
         "-5."},
        {u"1,234"_s, with([](CNumberSyntax& s) { s.commas = CNumberSyntax::Commas::Groups; }), "foreign",
         "1234."},
        {u"1,2,3"_s, with([](CNumberSyntax& s) { s.commas = CNumberSyntax::Commas::Groups; }), "foreign",
         "malformed"},
        {u"1,2,3"_s, with([](CNumberSyntax& s) { s.commas = CNumberSyntax::Commas::Dropped; }), "foreign",
         "123."},
        {u"12箱"_s, with([](CNumberSyntax& s) { s.leadingPart = true; }), "foreign", "12."},
        {u"1.2.3箱"_s, with([](CNumberSyntax& s) { s.leadingPart = true; }), "foreign", "malformed"},
        {u"箱"_s, with([](CNumberSyntax& s) { s.leadingPart = true; }), "foreign", "empty"},
        {u"-."_s, with([](CNumberSyntax& s) { s.bareTrailingPoint = true; }), "nodigits", "nodigits"},
    };
    for (const auto& c : cases) {
        const std::string text = c.text.toStdString();
        EXPECT_EQ(Outcome(c.text, plain), QString::fromUtf8(c.plainOutcome)) << text;
        EXPECT_EQ(Outcome(c.text, c.syntax), QString::fromUtf8(c.allowed)) << text;
    }
}
