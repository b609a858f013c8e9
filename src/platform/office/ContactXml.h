#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

// Customers and suppliers as contact XML: our own shape on the public
// ContactXML 1.1 vocabulary, UTF-8.
//
//   <ContactXML version="1.1" creator="Corvanta">
//    <ContactXMLItem>
//     <PersonName><PersonNameItem>
//       <FullName pronunciation="PhoenicPerson">Name</FullName>
//     </PersonNameItem></PersonName>
//     <Occupation>
//       <OrganizationName pronunciation="PhoenicCompany">Company</OrganizationName>
//       <Department>Section</Department>
//     </Occupation>
//     <Address><AddressItem locationType="Office">
//       <AddressCode codeDomain="ZIP7">Zip</AddressCode><FullAddress>Address</FullAddress>
//     </AddressItem></Address>
//     <Phone><PhoneItem locationType="Office" phoneType="Phone">TEL</PhoneItem>
//            <PhoneItem locationType="Office" phoneType="Fax">FAX</PhoneItem></Phone>
//     <Email><EmailItem locationType="Office">E-mail</EmailItem></Email>
//     <Extension><ExtensionItem extensionType="Extended" name="Day">20日</ExtensionItem> ...</Extension>
//    </ContactXMLItem>
//   </ContactXML>
//
// The office items (locationType "Office") make the company block, the home
// items ("Home") the person block: a record with a company writes its
// address, phones and mail as office items, one without as home items. Every
// other field is a named extension item. Reading takes a contact's office
// items or its home items (the caller's choice when a contact has both, the
// one present otherwise). Reading never touches the network, loads no DTD
// and refuses any document type declaration, so no entity is expanded; a
// contact item far larger than any contact (past two thousand nodes or 64 KB
// of names and texts), a tag past 16 K characters, more than a few dozen
// namespace declarations in scope is refused as malformed XML; an encoding
// other than UTF-8, UTF-16, Shift_JIS and EUC-JP is refused by its name.
class CContactXmlConv
{
  public:
    enum Block { kCompany = 0, kPerson = 1 };

    // 1: the converter can be used.
    int CheckXML() const { return 1; }

    // Writes rows (row 0 the field names, cell 0 empty; then one row of
    // texts per record) to `path` through a temporary file renamed over it.
    // 1 written, 2 failed (the old file kept) with the reason.
    int ExportContactXML(const QString& path, const QList<QStringList>& rows, QString* reason = nullptr);

    // Appends one row per contact to `rows`, whose row 0 holds the field
    // names to fill (cell 0 empty; each row starts with an empty cell).
    // `hasCodes` tells whether any contact carried the code field (the
    // header's cell 1). 1 read, 2 refused (malformed, a DTD, not ours).
    int ImportContactXML(const QString& path, int block, int& hasCodes, QList<QStringList>& rows,
                         QString* reason = nullptr);

    // What an import asks before it reads the contacts, learnt in one pass
    // over the whole file (which is checked as the import reads it): the
    // number of contacts, whether one has both blocks, whether one carries
    // the code field `codeField`. 1 read, 2 refused with the reason.
    struct Survey {
        qint64 contacts = 0;
        bool bothBlocks = false;
        bool hasCodes = false;
    };
    int SurveyContacts(const QString& path, const QString& codeField, Survey& survey,
                       QString* reason = nullptr);

    // The rows ImportContactXML appends, handed one at a time to `sink` as
    // the file is read, never holding more than one contact: 1 read to the
    // end, 2 refused (rows may have been handed over before the fault was
    // found), 3 the sink answered false.
    using RowSink = std::function<bool(QStringList&& row)>;
    int ReadContacts(const QString& path, int block, const QStringList& header, const RowSink& sink,
                     QString* reason = nullptr);
};
