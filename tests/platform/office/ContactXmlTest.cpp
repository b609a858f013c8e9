#include "platform/office/ContactXml.h"
#include "platform/work/LongWork.h"
#include "support/Iconv.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray Doc(const QByteArray& items)
{
    return "<?xml version=\"1.0\"?>\n<ContactXML version=\"1.1\">\n" + items + "</ContactXML>\n";
}

// A contact: a company, an office address and extension items.
QByteArray Item(const QByteArray& code, const QByteArray& memo, const QByteArray& more = {})
{
    return "<ContactXMLItem>\n <Occupation><OrganizationName pronunciation=\"x\">Co</OrganizationName>"
           "</Occupation>\n <Address><AddressItem locationType=\"Office\"><FullAddress>Tokyo</FullAddress>"
           "</AddressItem></Address>\n <Extension>\n  <ExtensionItem name=\"CustomerCode\">" +
           code + "</ExtensionItem>\n  <ExtensionItem name=\"Memo\">" + memo + "</ExtensionItem>\n" + more +
           " </Extension>\n</ContactXMLItem>\n";
}

QByteArray Utf16(const QByteArray& utf8)
{
    const QString text = QString::fromUtf8(utf8);
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

// A contact item is read within bounds far past any contact: too many
// nodes, too much text or a start tag of thousands of attributes is
// refused as malformed XML, as soon as it is seen; what a real contact
// holds (comments, character data, entities, line breaks, UTF-16) reads as
// the whole item did before.
TEST(ContactXml, ItemsPastTheBoundsAreRefusedOthersReadWhole)
{
    const QByteArray extensions300 =
        QByteArray("  <ExtensionItem name=\"F\">v</ExtensionItem>\n").repeated(300);
    const QByteArray extensions1000 =
        QByteArray("<ExtensionItem name=\"F\">v</ExtensionItem>").repeated(1000);
    QByteArray storm = "<Occupation";
    for (int i = 0; i < 3000; ++i)
        storm += " a" + QByteArray::number(i) + "=\"\"";
    storm += "/>";
    // In UTF-16 "丼" (U+4E3C) holds the byte of "<": read a byte at a time,
    // the text after it would look like one long tag.
    const QByteArray wideMemo =
        "<ExtensionItem name=\"Memo\">\xE4\xB8\xBC" + QByteArray(20000, 'w') + "</ExtensionItem>";
    const struct {
        const char* name;
        QByteArray bytes;
        QList<QStringList> rows; // empty: refused
    } cases[] = {
        {"a contact as written by hand",
         Doc(Item("C1", "a<!-- note -->b &amp; <![CDATA[<c>]]>\nd")),
         {{"", "C1", "Co", "Tokyo", "ab & <c>\r\nd"}}},
        {"three hundred extension items",
         Doc(Item("C2", "m", extensions300)),
         {{"", "C2", "Co", "Tokyo", "m"}}},
        {"sixty thousand bytes of text",
         Doc(Item("C3", QByteArray(60000, 'x'))),
         {{"", "C3", "Co", "Tokyo", QString(60000, u'x')}}},
        {"UTF-16 whose characters hold the byte of \"<\"",
         Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?><ContactXML><ContactXMLItem><Extension>" +
               wideMemo + "</Extension></ContactXMLItem></ContactXML>"),
         {{"", "", "", "", U("丼") + QString(20000, u'w')}}},
        {"a thousand extension items", Doc(Item("C4", "m", extensions1000)), {}},
        {"seventy thousand bytes of text", Doc(Item("C5", QByteArray(70000, 'x'))), {}},
        {"five thousand empty elements",
         Doc("<ContactXMLItem>" + QByteArray("<Occupation/>").repeated(5000) + "</ContactXMLItem>"),
         {}},
        {"a tag of three thousand attributes", Doc("<ContactXMLItem>" + storm + "</ContactXMLItem>"), {}},
        {"the same outside any item", Doc(storm), {}},
        {"the same in UTF-16", Utf16(Doc("<ContactXMLItem>" + storm + "</ContactXMLItem>")), {}},
        {"a bad item after good ones",
         Doc(Item("G1", "m") + Item("G2", "m") + Item("C6", "m", extensions1000)),
         {}},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.xml"));
    const QStringList header{"", "CustomerCode", "Company", "Address", "Memo"};
    CContactXmlConv conv;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        QList<QStringList> rows{header};
        int hasCodes = -1;
        QString reason;
        const int read = conv.ImportContactXML(path, CContactXmlConv::kCompany, hasCodes, rows, &reason);
        if (c.rows.isEmpty()) {
            EXPECT_EQ(read, 2);
            EXPECT_EQ(rows, QList<QStringList>{header});
            EXPECT_EQ(reason, U("XMLの形式が正しくありません。"));
            CContactXmlConv::Survey survey;
            EXPECT_EQ(conv.SurveyContacts(path, QStringLiteral("CustomerCode"), survey), 2);
        } else {
            EXPECT_EQ(read, 1) << reason.toStdString();
            EXPECT_EQ(rows.mid(1), c.rows);
        }
    }
}

// The bytes of a contact file are watched as libxml2 reads them: a file in
// an encoding other than UTF-8, UTF-16, Shift_JIS and EUC-JP (whose bytes
// below 0x80 are always ASCII), more than 40 namespace declarations in
// scope, a tag of more than 64 attributes or more than 100 000 comments is
// refused as malformed XML, before the parser spends minutes on it.
TEST(ContactXml, WhatTheWatchCannotFollowIsRefused)
{
    auto body = [](const QByteArray& memo) -> QByteArray {
        return "<ContactXML version=\"1.1\">\n" + Item("C1", memo) + "</ContactXML>\n";
    };
    // The declaration as it stands, the rest in the encoding.
    auto after = [&body](const char* name, const char* encoding, const QByteArray& memo) -> QByteArray {
        const QByteArray rest = Iconv::Encode(body(memo), encoding);
        return rest.isEmpty() ? QByteArray()
                              : "<?xml version=\"1.0\" encoding=\"" + QByteArray(name) + "\"?>\n" + rest;
    };
    auto declarations = [](int from, int count) {
        QByteArray text;
        for (int i = from; i < from + count; ++i)
            text += " xmlns:n" + QByteArray::number(i) + "=\"urn:n" + QByteArray::number(i) + "\"";
        return text;
    };
    auto attributes = [](int count) {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += " a" + QByteArray::number(i) + "=\"\"";
        return text;
    };
    const QByteArray address = "東京都千代田区", circled = "東京都千代田区①";
    const QList<QStringList> read{{"", "C1", "Co", "Tokyo", U("東京都千代田区")}};
    const QList<QStringList> readCircled{{"", "C1", "Co", "Tokyo", U("東京都千代田区①")}};
    const QList<QStringList> ascii{{"", "C1", "Co", "Tokyo", "Memo"}};
    const QByteArray asciiBody = Doc(Item("C1", "Memo"));
    // A Shift_JIS "‐" (0x81 0x5D) ends in "]": character data that ends
    // with it and "]>" goes on, and a comment opened inside it is text.
    auto shiftJis = [&](const QByteArray& memo, const QByteArray& more) -> QByteArray {
        return "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n" +
               Iconv::Encode("<ContactXML version=\"1.1\">\n" + Item("C1", memo, more) + "</ContactXML>\n",
                             "SHIFT_JIS");
    };
    const QByteArray data = "<![CDATA[‐]><!--]]>", wide = "<ExtensionItem" + attributes(65) + "/>\n";
    const char* const docType = "文書型宣言を含むXMLは読み込めません。";
    const QByteArray subset = "<!DOCTYPE ContactXML [<!-- > <?x -->]>\n";
    // Refused by name; x-sjis and x-euc-jp name other tables here.
    const char* const iso2022Jp = "XMLの文字コード「ISO-2022-JP」は読み込めません。";
    const char* const xEucJp = "XMLの文字コード「x-euc-jp」は読み込めません。";
    const struct {
        const char* name;
        QByteArray bytes;
        QList<QStringList> rows; // empty: refused
        const char* reason = "XMLの形式が正しくありません。";
    } cases[] = {
        {"Shift_JIS character data whose last character ends in \"]\"",
         shiftJis(data, {}),
         {{"", "C1", "Co", "Tokyo", U("‐]><!--")}}},
        {"and a tag of 65 attributes after it", shiftJis(data, wide), {}},
        {"Windows-31J", shiftJis(data, wide).replace("Shift_JIS", "Windows-31J"), {}},
        {"Shift_JIS after UTF-8's mark", "\xEF\xBB\xBF" + after("Shift_JIS", "SHIFT_JIS", address), {}},
        {"a document type whose subset hides a tag of 65 attributes",
         Doc(Item("C1", "Memo"))
             .replace("<ContactXML ", QByteArray(subset + "<ContactXML" + attributes(65) + " ")),
         {},
         docType},
        {"in UTF-16",
         Utf16(Doc(Item("C1", "Memo"))
                   .replace("<?xml version=\"1.0\"?>",
                            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + subset))),
         {},
         docType},
        {"Shift_JIS", after("Shift_JIS", "SHIFT_JIS", address), read},
        {"Windows-31J", after("Windows-31J", "CP932", circled), readCircled},
        {"EUC-JP", after("EUC-JP", "EUC-JP", address), read},
        {"UTF-16 big-endian",
         "\xFE\xFF" +
             Iconv::Encode("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body(circled), "UTF-16BE"),
         readCircled},
        {"UTF-7", after("UTF-7", "UTF-7", circled), {}, "XMLの文字コード「UTF-7」は読み込めません。"},
        {"ISO-2022-JP", after("ISO-2022-JP", "ISO-2022-JP", address), {}, iso2022Jp},
        {"MS932", after("MS932", "CP932", circled), readCircled},
        {"MS_Kanji", after("MS_Kanji", "SHIFT_JIS", address), read},
        {"csShiftJIS", after("csShiftJIS", "SHIFT_JIS", address), read},
        {"csWindows31J", after("csWindows31J", "CP932", circled), readCircled},
        {"SJIS-win", after("SJIS-win", "CP932", circled), readCircled},
        {"UJIS", after("UJIS", "EUC-JP", address), read},
        {"csEUCPkdFmtJapanese", after("csEUCPkdFmtJapanese", "EUC-JP", address), read},
        {"x-sjis", after("x-sjis", "SHIFT_JIS", address), {}, "XMLの文字コード「x-sjis」は読み込めません。"},
        {"x-euc-jp", after("x-euc-jp", "EUC-JP", address), {}, xEucJp},
        {"EBCDIC", Iconv::Encode(asciiBody, "IBM037"), {}},
        {"UCS-4", Iconv::Encode(asciiBody, "UCS-4LE"), {}},
        {"UTF-8 whose declaration is never closed",
         "<?xml version=\"1.0\"" + QByteArray(300, ' ') + body(address),
         {}},
        {"40 declarations in scope",
         Doc(Item("C1", "Memo"))
             .replace("<ContactXML ", QByteArray("<ContactXML" + declarations(0, 20) + " "))
             .replace("<ContactXMLItem>", QByteArray("<ContactXMLItem" + declarations(20, 20) + ">")),
         ascii},
        {"41",
         Doc(Item("C1", "Memo"))
             .replace("<ContactXML ", QByteArray("<ContactXML" + declarations(0, 20) + " "))
             .replace("<ContactXMLItem>", QByteArray("<ContactXMLItem" + declarations(20, 21) + ">")),
         {}},
        {"64 attributes of a tag",
         Doc(Item("C1", "Memo")).replace("<Occupation>", QByteArray("<Occupation" + attributes(64) + ">")),
         ascii},
        {"65",
         Doc(Item("C1", "Memo")).replace("<Occupation>", QByteArray("<Occupation" + attributes(65) + ">")),
         {}},
        {"100 000 comments", Doc(QByteArray("<!-- -->").repeated(99999) + Item("C1", "Memo")), ascii},
        {"100 001", Doc(QByteArray("<!-- -->").repeated(100000) + Item("C1", "Memo")), {}},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.xml"));
    const QStringList header{"", "CustomerCode", "Company", "Address", "Memo"};
    CContactXmlConv conv;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.isEmpty());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        QList<QStringList> rows{header};
        int hasCodes = -1;
        QString reason;
        const int result = conv.ImportContactXML(path, CContactXmlConv::kCompany, hasCodes, rows, &reason);
        if (c.rows.isEmpty()) {
            EXPECT_EQ(result, 2);
            EXPECT_EQ(rows, QList<QStringList>{header});
            EXPECT_EQ(reason, U(c.reason));
        } else {
            EXPECT_EQ(result, 1) << reason.toStdString();
            EXPECT_EQ(rows.mid(1), c.rows);
        }
    }
}

// The longest tag the watch lets through, 64 attributes filling 16 K after
// its "<", is read as any other (libxml2 spends no time on it), one longer
// refused; a stop pressed while the file is read is heard before another
// contact is handed over.
TEST(ContactXml, TheLongestTagAllowedIsReadAndAStopIsHeardPastIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.xml"));
    // 40 contacts, each with an <Occupation> start tag of `length` bytes; whether a stop is pressed
    // once one is taken; the answer and the count of contacts taken.
    for (const auto& [length, stop, result, count] :
         {std::tuple(16385, false, 1, 40), std::tuple(16386, false, 2, 0), std::tuple(16385, true, 2, 1)}) {
        QByteArray tag = "<Occupation", items;
        for (int i = 0; i < 64; ++i)
            tag += " a" + QByteArray::number(i) + "=\"\"";
        tag.insert(tag.size() - 1, QByteArray(length - tag.size() - 1, 'v'));
        for (int i = 0; i < 40; ++i)
            items += Item("C" + QByteArray::number(i), "m").replace("<Occupation>", QByteArray(tag + ">"));
        const QByteArray bytes = Doc(items);
        SCOPED_TRACE(bytes.size());
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size());
        out.close();
        std::atomic<bool> stopped(false);
        const LongWork::CStopScope scope(stopped);
        QList<QStringList> rows;
        const auto take = [&](QStringList&& row) {
            rows << row;
            stopped = stop;
            return true;
        };
        EXPECT_EQ(CContactXmlConv().ReadContacts(path, 0, {"", "CustomerCode", "Company", "Memo"}, take),
                  result);
        ASSERT_EQ(rows.size(), count);
        if (count) {
            EXPECT_EQ(rows.last(), QStringList({"", "C" + QString::number(count - 1), "Co", "m"}));
        }
    }
}

} // namespace
