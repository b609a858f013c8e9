#include "exchange/MasterImport.h"
#include "platform/data/MnyText.h"
#include "platform/data/Record.h"
#include "platform/ui/NumEdit.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace
{

// An amount as its decimal text, its scale after a slash when there is one.
QString Amount(const CMny& m)
{
    if (!m.IsValid())
        return u"invalid"_s;
    return m.GetScale() ? MnyToText(m) + u'/' + QString::number(m.GetScale()) : MnyToText(m);
}

QString Typed(const QString& text)
{
    bool ok = false;
    const QString amount = Amount(TextToMny(text, &ok));
    return ok ? amount : u'!' + amount;
}

QString Stored(const QString& text)
{
    CTb field(u"T.F"_s);
    field = text;
    CMny value;
    return field.GetData(value) ? Amount(value) : u"-"_s;
}

QString Imported(const QString& text)
{
    CMny value = MnyFromLong(7);
    return ImportTextToMny(text, value) ? Amount(value) : u"-"_s;
}

// Which of the edit's messages the text draws, by its first words.
QString Edited(const QString& text, bool minus, bool point, int decimals, int integers)
{
    const QString problem = NumTextProblem(text, minus, point, decimals, integers);
    if (problem.isEmpty())
        return u"ok"_s;
    if (problem.startsWith(u"数値"_s))
        return u"char"_s;
    if (problem.startsWith(u"不正"_s))
        return u"form"_s;
    if (problem.startsWith(u"入力できる整数部"_s))
        return u"int"_s;
    if (problem.startsWith(u"入力できる小数点"_s))
        return u"dec"_s;
    if (problem.startsWith(u"入力できる数値"_s))
        return u"size"_s;
    return problem;
}

} // namespace

// Every reader of numbers in text over one table, so that one grammar can
// serve them all without any of them answering differently: a typed amount
// (the leading number of a text), an amount stored as text in a field, the
// number edit's check with three callers' options, and an imported cell.
TEST(NumberReaders, EachCallerKeepsItsAnswer)
{
    const struct {
        QString text;
        const char* typed;    // TextToMny: amount, "!" when not ok
        const char* stored;   // a text field read as money: amount, "-" when not
        const char* edit;     // NumTextProblem, minus and point, no limits of the caller's
        const char* whole;    // no minus, no point, at most 5 digits
        const char* limited;  // minus and point, at most 3 integer digits and 1 decimal
        const char* imported; // ImportTextToMny: amount, "-" when not
    } cases[] = {
        {QString(), "0", "-", "ok", "ok", "ok", "-"},
        {u" "_s, "0", "-", "char", "char", "char", "-"},
        {u"\u3000"_s, "0", "-", "char", "char", "char", "-"},
        {u"0"_s, "0", "0", "ok", "ok", "ok", "0"},
        {u"007"_s, "7", "7", "ok", "ok", "ok", "7"},
        {u"1234"_s, "1234", "1234", "ok", "ok", "int", "1234"},
        {u"1,234"_s, "1234", "-", "char", "char", "char", "1234"},
        {u"1,234,567.5"_s, "1234567.5/1", "-", "char", "char", "char", "1234567.5/1"},
        {u"１２３"_s, "123", "-", "char", "char", "char", "123"},
        {u"１，２３４"_s, "1234", "-", "char", "char", "char", "1234"},
        {u"－０．２５"_s, "-0.25/2", "-", "char", "char", "char", "-0.25/2"},
        {u"−5"_s, "0", "-", "char", "char", "char", "-5"},
        {u"＋5"_s, "0", "-", "char", "char", "char", "5"},
        {u"¥100"_s, "0", "-", "char", "char", "char", "100"},
        {u"￥100"_s, "0", "-", "char", "char", "char", "100"},
        {u"\\100"_s, "0", "-", "char", "char", "char", "100"},
        {u"¥-50"_s, "0", "-", "char", "char", "char", "-50"},
        {u"-¥50"_s, "0", "-", "char", "char", "char", "-50"},
        {u"¥ 100"_s, "0", "-", "char", "char", "char", "100"},
        {u"100円"_s, "100", "-", "char", "char", "char", "100"},
        {u"1,200円"_s, "1200", "-", "char", "char", "char", "1200"},
        {u"500円-"_s, "500", "-", "char", "char", "char", "-500"},
        {u"12円34"_s, "12", "-", "char", "char", "char", "-"},
        {u"-5"_s, "-5", "-5", "ok", "char", "ok", "-5"},
        {u"5-"_s, "-5", "-", "form", "char", "form", "-5"},
        {u"+5"_s, "0", "5", "char", "char", "char", "5"},
        {u"+-5"_s, "0", "-", "char", "char", "char", "-"},
        {u"△5"_s, "0", "-", "char", "char", "char", "-"},
        {u"▲5"_s, "0", "-", "char", "char", "char", "-"},
        {u" 5"_s, "0", "5", "char", "char", "char", "5"},
        {u"5 "_s, "5", "5", "char", "char", "char", "5"},
        {u" 5 "_s, "0", "5", "char", "char", "char", "5"},
        {u"\u3000１２\u3000"_s, "0", "-", "char", "char", "char", "12"},
        {u"- 5"_s, "0", "-", "char", "char", "char", "-5"},
        {u"1 000"_s, "1", "-", "char", "char", "char", "-"},
        {u"1.5"_s, "1.5/1", "1.5/1", "ok", "char", "ok", "1.5/1"},
        {u"1.50"_s, "1.5/2", "1.5/2", "ok", "char", "dec", "1.5/2"},
        {u"1.55555"_s, "1.5556/4", "1.5556/4", "size", "char", "dec", "1.5556/4"},
        {u"1.23454"_s, "1.2345/4", "1.2345/4", "size", "char", "dec", "1.2345/4"},
        {u"0.00005"_s, "0.0001/4", "0.0001/4", "size", "char", "dec", "0.0001/4"},
        {u"12.3456"_s, "12.3456/4", "12.3456/4", "ok", "char", "dec", "12.3456/4"},
        {u"12.34"_s, "12.34/2", "12.34/2", "ok", "char", "dec", "12.34/2"},
        {u"1234.5"_s, "1234.5/1", "1234.5/1", "ok", "char", "int", "1234.5/1"},
        {u".5"_s, "0.5/1", "0.5/1", "form", "char", "form", "0.5/1"},
        {u"-.5"_s, "-0.5/1", "-0.5/1", "form", "char", "form", "-0.5/1"},
        {u"5."_s, "5", "5", "form", "char", "form", "-"},
        {u"5.-"_s, "-5", "-", "form", "char", "form", "-"},
        {u"."_s, "0", "-", "form", "char", "form", "-"},
        {u"-"_s, "0", "-", "form", "char", "form", "-"},
        {u"3万"_s, "3", "-", "char", "char", "char", "-"},
        {u"12箱"_s, "12", "-", "char", "char", "char", "-"},
        {u"abc"_s, "0", "-", "char", "char", "char", "-"},
        {u"1,2,3"_s, "123", "-", "char", "char", "char", "-"},
        {u"12,34"_s, "1234", "-", "char", "char", "char", "-"},
        {u",123"_s, "123", "-", "char", "char", "char", "-"},
        {u"1,234."_s, "1234", "-", "char", "char", "char", "-"},
        {u"0x10"_s, "0", "-", "char", "char", "char", "-"},
        {u"1e3"_s, "1", "-", "char", "char", "char", "-"},
        {u"1.2.3"_s, "!0", "-", "form", "char", "form", "-"},
        {u"--5"_s, "!0", "-", "form", "char", "form", "-"},
        {u"-5-"_s, "!0", "-", "form", "char", "form", "-"},
        {u"1-2"_s, "!0", "-", "form", "char", "form", "-"},
        {u"123456789012345"_s, "123456789012345", "123456789012345", "ok", "int", "int", "123456789012345"},
        {u"1234567890123456"_s, "!invalid", "-", "size", "int", "int", "-"},
        {u"922337203685477"_s, "922337203685477", "922337203685477", "ok", "int", "int", "922337203685477"},
        {u"922337203685477.5807"_s, "922337203685477.5807/4", "922337203685477.5807/4", "ok", "char", "int",
         "922337203685477.5807/4"},
        {u"922337203685477.5808"_s, "!invalid", "-", "ok", "char", "int", "-"},
        {u"-922337203685477.5808"_s, "-922337203685477.5808/4", "-922337203685477.5808/4", "ok", "char",
         "int", "-922337203685477.5808/4"},
        {u"-922337203685477.5809"_s, "!invalid", "-", "ok", "char", "int", "-"},
        {u"9223372036854775808"_s, "!invalid", "-", "size", "int", "int", "-"},
        {u"99999999999999999999999999"_s, "!invalid", "-", "size", "int", "int", "-"},
    };
    for (const auto& c : cases) {
        const std::string text = c.text.toStdString();
        EXPECT_EQ(Typed(c.text), QString::fromUtf8(c.typed)) << text;
        EXPECT_EQ(Stored(c.text), QString::fromUtf8(c.stored)) << text;
        EXPECT_EQ(Edited(c.text, true, true, -1, -1), QString::fromUtf8(c.edit)) << text;
        EXPECT_EQ(Edited(c.text, false, false, 0, 5), QString::fromUtf8(c.whole)) << text;
        EXPECT_EQ(Edited(c.text, true, true, 1, 3), QString::fromUtf8(c.limited)) << text;
        EXPECT_EQ(Imported(c.text), QString::fromUtf8(c.imported)) << text;
    }
}
