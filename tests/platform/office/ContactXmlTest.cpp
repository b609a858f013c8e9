#include "platform/office/ContactXml.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace
