#include "platform/office/ContactXml.h"

#include "platform/office/XmlTagWatch.h"
#include "platform/work/LongWork.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlreader.h>

#include <functional>
#include <memory>

namespace
{

const char kOffice[] = "Office";
const char kHome[] = "Home";

// The fields that live in the contact's own elements rather than in
// extension items.
const QStringList& LocationFields()
{
    static const QStringList fields{QStringLiteral("Zip"), QStringLiteral("Address"), QStringLiteral("TEL"),
                                    QStringLiteral("FAX"), QStringLiteral("E-mail")};
    return fields;
}
const QStringList& IdentityFields()
{
    static const QStringList fields{QStringLiteral("Name"), QStringLiteral("PhoenicPerson"),
                                    QStringLiteral("Company"), QStringLiteral("PhoenicCompany"),
                                    QStringLiteral("Section")};
    return fields;
}

struct ReaderFree {
    void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};
using ReaderPtr = std::unique_ptr<xmlTextReader, ReaderFree>;

struct Source {
    QFile file;
    // Contacts hold attributes of a word or two each; their files come in
    // Unicode or in the Japanese encodings.
    CXmlTagWatch tags{16 << 10, CXmlTagWatch::kUnicodeOrJapanese};
};

int ReadFile(void* context, char* buffer, int length)
{
    auto* source = static_cast<Source*>(context);
    if (LongWork::Stopped())
        return -1;
    const qint64 read = source->file.read(buffer, length);
    if (read > 0 && !source->tags.Pass(buffer, read))
        return -1;
    return int(read);
}

// The element's text with the program's CR LF line breaks (XML reads every
// line break as LF).
QString NodeText(xmlNode* node)
{
    xmlChar* text = xmlNodeGetContent(node);
    QString result = text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
    xmlFree(text);
    if (result.contains(u'\n'))
        result.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return result;
}

QString Attribute(xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    const QString result = value ? QString::fromUtf8(reinterpret_cast<const char*>(value)) : QString();
    xmlFree(value);
    return result;
}

bool Is(xmlNode* node, const char* name)
{
    return node && node->type == XML_ELEMENT_NODE &&
           xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

xmlNode* Child(xmlNode* node, const char* name)
{
    for (xmlNode* c = node ? node->children : nullptr; c; c = c->next) {
        if (Is(c, name))
            return c;
    }
    return nullptr;
}

// One contact as read: identity and extension fields, and the location
// fields of each block.
struct Contact {
    QHash<QString, QString> fields;
    QHash<QString, QString> office;
    QHash<QString, QString> home;
};

Contact ReadContact(xmlNode* item)
{
    Contact contact;
    if (xmlNode* full = Child(Child(Child(item, "PersonName"), "PersonNameItem"), "FullName")) {
        contact.fields.insert(QStringLiteral("Name"), NodeText(full));
        contact.fields.insert(QStringLiteral("PhoenicPerson"), Attribute(full, "pronunciation"));
    }
    if (xmlNode* occupation = Child(item, "Occupation")) {
        if (xmlNode* org = Child(occupation, "OrganizationName")) {
            contact.fields.insert(QStringLiteral("Company"), NodeText(org));
            contact.fields.insert(QStringLiteral("PhoenicCompany"), Attribute(org, "pronunciation"));
        }
        if (xmlNode* dept = Child(occupation, "Department"))
            contact.fields.insert(QStringLiteral("Section"), NodeText(dept));
    }
    auto blockOf = [&contact](xmlNode* node) -> QHash<QString, QString>* {
        const QString location = Attribute(node, "locationType");
        if (location == QLatin1String(kOffice))
            return &contact.office;
        if (location == QLatin1String(kHome))
            return &contact.home;
        return nullptr;
    };
    for (xmlNode* a = Child(Child(item, "Address"), "AddressItem"); a; a = a->next) {
        if (!Is(a, "AddressItem"))
            continue;
        if (QHash<QString, QString>* block = blockOf(a)) {
            if (xmlNode* zip = Child(a, "AddressCode"))
                block->insert(QStringLiteral("Zip"), NodeText(zip));
            if (xmlNode* full = Child(a, "FullAddress"))
                block->insert(QStringLiteral("Address"), NodeText(full));
        }
    }
    for (xmlNode* p = Child(Child(item, "Phone"), "PhoneItem"); p; p = p->next) {
        if (!Is(p, "PhoneItem"))
            continue;
        if (QHash<QString, QString>* block = blockOf(p)) {
            const bool fax = Attribute(p, "phoneType") == QLatin1String("Fax");
            block->insert(fax ? QStringLiteral("FAX") : QStringLiteral("TEL"), NodeText(p));
        }
    }
    for (xmlNode* e = Child(Child(item, "Email"), "EmailItem"); e; e = e->next) {
        if (Is(e, "EmailItem")) {
            if (QHash<QString, QString>* block = blockOf(e))
                block->insert(QStringLiteral("E-mail"), NodeText(e));
        }
    }
    for (xmlNode* x = Child(Child(item, "Extension"), "ExtensionItem"); x; x = x->next) {
        if (Is(x, "ExtensionItem")) {
            const QString name = Attribute(x, "name");
            if (!name.isEmpty() && !LocationFields().contains(name) && !IdentityFields().contains(name))
                contact.fields.insert(name, NodeText(x));
        }
    }
    return contact;
}

// A contact is a few dozen elements (one extension item a field) of a few
// kilobytes; no contact comes near these bounds, which keep one item from
// holding a whole file in memory as a tree.
constexpr int kMostItemNodes = 2048;
constexpr qint64 kMostItemBytes = qint64(64) << 10;

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

// The contact item under the reader as a tree of its elements, attributes
// and texts, built node by node as the reader passes them (it lets each go
// behind it), so that the building stops past the bounds; null then, or
// when the reader fails. The reader is left on the item's end.
xmlNode* ReadItem(xmlTextReader* reader, DocPtr& doc)
{
    doc.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    xmlNode* item = xmlNewDocNode(doc.get(), nullptr, xmlTextReaderConstLocalName(reader), nullptr);
    if (!item)
        return nullptr;
    xmlDocSetRootElement(doc.get(), item);
    int nodes = 1;
    qint64 bytes = 0;
    const auto within = [&](const xmlChar* name, const xmlChar* value) {
        ++nodes;
        bytes += xmlStrlen(name) + xmlStrlen(value);
        return nodes <= kMostItemNodes && bytes <= kMostItemBytes;
    };
    // Attributes by their local name, as they are looked up.
    const auto takeAttributes = [&](xmlNode* node) {
        for (int more = xmlTextReaderMoveToFirstAttribute(reader); more == 1;
             more = xmlTextReaderMoveToNextAttribute(reader)) {
            if (xmlTextReaderIsNamespaceDecl(reader) == 1)
                continue;
            const xmlChar* name = xmlTextReaderConstLocalName(reader);
            const xmlChar* value = xmlTextReaderConstValue(reader);
            if (!within(name, value) || !xmlNewProp(node, name, value))
                return false;
        }
        xmlTextReaderMoveToElement(reader);
        return true;
    };
    if (!takeAttributes(item))
        return nullptr;
    if (xmlTextReaderIsEmptyElement(reader))
        return item;
    xmlNode* parent = item;
    while (parent) {
        if (xmlTextReaderRead(reader) != 1)
            return nullptr;
        switch (xmlTextReaderNodeType(reader)) {
        case XML_READER_TYPE_ELEMENT: {
            const xmlChar* name = xmlTextReaderConstLocalName(reader);
            xmlNode* node = xmlNewChild(parent, nullptr, name, nullptr);
            if (!node || !within(name, nullptr) || !takeAttributes(node))
                return nullptr;
            if (!xmlTextReaderIsEmptyElement(reader))
                parent = node;
            break;
        }
        case XML_READER_TYPE_END_ELEMENT:
            parent = parent == item ? nullptr : parent->parent;
            break;
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_WHITESPACE:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE: {
            const xmlChar* value = xmlTextReaderConstValue(reader);
            if (!within(nullptr, value) || !xmlAddChild(parent, xmlNewDocText(doc.get(), value)))
                return nullptr;
            break;
        }
        default:
            break; // comments and processing instructions hold no field
        }
    }
    return item;
}

// Reads the file as a stream, one contact at a time, so that a file of any
// size is read in the memory of one contact; `take` answers false to stop.
// 1 read to the end, 2 refused (with the reason), 3 stopped.
int WalkContacts(const QString& path, const std::function<bool(const Contact&)>& take, QString* reason)
{
    const auto refuse = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return 2;
    };
    Source source;
    source.file.setFileName(path);
    if (!source.file.open(QIODevice::ReadOnly))
        return refuse(source.file.errorString());
    // No network, no DTD, no entity substitution, no huge documents.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    ReaderPtr reader(xmlReaderForIO(ReadFile, nullptr, &source, nullptr, nullptr, options));
    if (!reader)
        return refuse(QStringLiteral("XMLの形式が正しくありません。"));
    const QString malformed = QStringLiteral("XMLの形式が正しくありません。");
    // A document type declaration is where entities are declared: refused
    // outright, whatever it declares, by the watch before the parser reads
    // it or else as the parser hands it over.
    const QString docType = QStringLiteral("文書型宣言を含むXMLは読み込めません。");
    // What the watch stopped, said as such; any other fault is malformed.
    const auto watched = [&] {
        if (source.tags.GetFault() == CXmlTagWatch::kDocType)
            return refuse(docType);
        if (!source.tags.RefusedEncoding().isEmpty())
            return refuse(QStringLiteral("XMLの文字コード「%1」は読み込めません。")
                              .arg(QString::fromLatin1(source.tags.RefusedEncoding())));
        return refuse(malformed);
    };
    bool rootSeen = false;
    int ret = xmlTextReaderRead(reader.get());
    while (ret == 1 && !LongWork::Stopped()) {
        const int type = xmlTextReaderNodeType(reader.get());
        if (type == XML_READER_TYPE_DOCUMENT_TYPE)
            return refuse(docType);
        if (type == XML_READER_TYPE_ELEMENT) {
            const int depth = xmlTextReaderDepth(reader.get());
            const auto* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader.get()));
            if (depth == 0) {
                if (qstrcmp(name, "ContactXML") != 0 || xmlTextReaderConstPrefix(reader.get()))
                    return refuse(QStringLiteral("ContactXMLのファイルではありません。"));
                rootSeen = true;
            } else if (depth == 1 && qstrcmp(name, "ContactXMLItem") == 0 &&
                       !xmlTextReaderConstPrefix(reader.get())) {
                DocPtr doc;
                xmlNode* item = ReadItem(reader.get(), doc);
                if (!item)
                    return watched();
                if (!take(ReadContact(item)))
                    return 3;
            }
        }
        ret = xmlTextReaderRead(reader.get());
    }
    if (source.tags.GetFault() != CXmlTagWatch::kNoFault || ret != 0 || !rootSeen)
        return watched();
    return 1;
}

// The row of a contact in the header's field order, from the block chosen
// (the one present when it has only one).
QStringList ContactRow(const Contact& contact, int block, const QStringList& header)
{
    const QHash<QString, QString>* location = &contact.office;
    if (contact.office.isEmpty() || (block == CContactXmlConv::kPerson && !contact.home.isEmpty()))
        location = &contact.home;
    QStringList row;
    row.reserve(header.size());
    for (const QString& name : header)
        row << (name.isEmpty() ? QString() : contact.fields.value(name, location->value(name)));
    return row;
}

} // namespace

int CContactXmlConv::ExportContactXML(const QString& path, const QList<QStringList>& rows, QString* reason)
{
    if (rows.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("no rows");
        return 2;
    }
    const QStringList& header = rows.first();
    // Built in memory, then written unbuffered: a buffered write that the
    // final flush cuts short would still be committed.
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("ContactXML"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("creator"), QStringLiteral("Corvanta"));
    for (qsizetype r = 1; r < rows.size(); ++r) {
        QHash<QString, QString> f;
        for (qsizetype c = 0; c < header.size() && c < rows[r].size(); ++c) {
            if (!header[c].isEmpty())
                f.insert(header[c], rows[r][c]);
        }
        const QString location =
            QLatin1String(f.value(QStringLiteral("Company")).isEmpty() ? kHome : kOffice);
        xml.writeStartElement(QStringLiteral("ContactXMLItem"));
        if (!f.value(QStringLiteral("Name")).isEmpty() ||
            !f.value(QStringLiteral("PhoenicPerson")).isEmpty()) {
            xml.writeStartElement(QStringLiteral("PersonName"));
            xml.writeStartElement(QStringLiteral("PersonNameItem"));
            xml.writeStartElement(QStringLiteral("FullName"));
            xml.writeAttribute(QStringLiteral("pronunciation"), f.value(QStringLiteral("PhoenicPerson")));
            xml.writeCharacters(f.value(QStringLiteral("Name")));
            xml.writeEndElement();
            xml.writeEndElement();
            xml.writeEndElement();
        }
        if (!f.value(QStringLiteral("Company")).isEmpty() || !f.value(QStringLiteral("Section")).isEmpty()) {
            xml.writeStartElement(QStringLiteral("Occupation"));
            xml.writeStartElement(QStringLiteral("OrganizationName"));
            xml.writeAttribute(QStringLiteral("pronunciation"), f.value(QStringLiteral("PhoenicCompany")));
            xml.writeCharacters(f.value(QStringLiteral("Company")));
            xml.writeEndElement();
            xml.writeTextElement(QStringLiteral("Department"), f.value(QStringLiteral("Section")));
            xml.writeEndElement();
        }
        xml.writeStartElement(QStringLiteral("Address"));
        xml.writeStartElement(QStringLiteral("AddressItem"));
        xml.writeAttribute(QStringLiteral("locationType"), location);
        xml.writeStartElement(QStringLiteral("AddressCode"));
        xml.writeAttribute(QStringLiteral("codeDomain"), QStringLiteral("ZIP7"));
        xml.writeCharacters(f.value(QStringLiteral("Zip")));
        xml.writeEndElement();
        xml.writeTextElement(QStringLiteral("FullAddress"), f.value(QStringLiteral("Address")));
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("Phone"));
        for (const char* type : {"Phone", "Fax"}) {
            xml.writeStartElement(QStringLiteral("PhoneItem"));
            xml.writeAttribute(QStringLiteral("locationType"), location);
            xml.writeAttribute(QStringLiteral("phoneType"), QLatin1String(type));
            xml.writeCharacters(
                f.value(qstrcmp(type, "Fax") == 0 ? QStringLiteral("FAX") : QStringLiteral("TEL")));
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("Email"));
        xml.writeStartElement(QStringLiteral("EmailItem"));
        xml.writeAttribute(QStringLiteral("locationType"), location);
        xml.writeCharacters(f.value(QStringLiteral("E-mail")));
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("Extension"));
        for (const QString& name : header) {
            if (name.isEmpty() || LocationFields().contains(name) || IdentityFields().contains(name))
                continue;
            xml.writeStartElement(QStringLiteral("ExtensionItem"));
            xml.writeAttribute(QStringLiteral("extensionType"), QStringLiteral("Extended"));
            xml.writeAttribute(QStringLiteral("name"), name);
            xml.writeCharacters(f.value(name));
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() ||
        !file.commit()) {
        if (reason)
            *reason = file.errorString();
        return 2;
    }
    return 1;
}

int CContactXmlConv::SurveyContacts(const QString& path, const QString& codeField, Survey& survey,
                                    QString* reason)
{
    survey = Survey();
    const int read = WalkContacts(
        path,
        [&](const Contact& contact) {
            ++survey.contacts;
            survey.bothBlocks = survey.bothBlocks || (!contact.office.isEmpty() && !contact.home.isEmpty());
            survey.hasCodes =
                survey.hasCodes || (!codeField.isEmpty() && !contact.fields.value(codeField).isEmpty());
            return true;
        },
        reason);
    return read == 1 ? 1 : 2;
}

int CContactXmlConv::ReadContacts(const QString& path, int block, const QStringList& header,
                                  const RowSink& sink, QString* reason)
{
    const int read = WalkContacts(
        path, [&](const Contact& contact) { return sink(ContactRow(contact, block, header)); }, reason);
    return read == 3 ? 3 : read;
}

int CContactXmlConv::ImportContactXML(const QString& path, int block, int& hasCodes, QList<QStringList>& rows,
                                      QString* reason)
{
    hasCodes = 0;
    if (rows.isEmpty())
        return 2;
    const QStringList header = rows.first();
    const QString codeField = header.size() > 1 ? header[1] : QString();
    // Appended only when the whole file was read.
    QList<QStringList> read;
    int codes = 0;
    const int result = WalkContacts(
        path,
        [&](const Contact& contact) {
            if (!codeField.isEmpty() && !contact.fields.value(codeField).isEmpty())
                codes = 1;
            read << ContactRow(contact, block, header);
            return true;
        },
        reason);
    if (result != 1)
        return 2;
    hasCodes = codes;
    rows += read;
    return 1;
}
