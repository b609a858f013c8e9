#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class CArchiveReader;
class CArchiveWriter;

// One address of a lookup: a hit of the postcode, corporate or telephone
// dictionaries, or an entry of the user's telephone corrections. Searches
// hand them out as values.
class CRLAddress
{
  public:
    static constexpr const char kClassName[] = "CRLAddress";

    CRLAddress() = default;
    CRLAddress(const CRLAddress& other) { *this = other; }
    // Copies every field but `a`, which a copy always starts at 0.
    CRLAddress& operator=(const CRLAddress& other);

    // b, c and the seven texts; `a` and the source do not count.
    bool operator==(const CRLAddress& other) const;

    // Fields in archive order: a, source, telephone, postcode, name, b, c,
    // address 1-4.
    void Serialize(CArchiveReader& ar);
    void Serialize(CArchiveWriter& ar) const;

    int m_nA = 0;
    int m_nB = 1; // the kind of a directory hit
    int m_nC = 0;
    QString m_strTelephone;
    QString m_strPostcode;
    QString m_strName;
    QString m_strAddress1; // prefecture
    QString m_strAddress2; // city
    QString m_strAddress3; // town
    QString m_strAddress4; // the rest: street, building, a company's address
    int m_nSource = -1;    // 2 a search hit, 4 added by the user
};

// The framework's list of address objects: a count, then each record with
// its class tag. Reading stops at damaged bytes and keeps the records read
// before them; `error` then says what went wrong (empty when all was read).
QList<CRLAddress> ReadRLAddressList(const QByteArray& bytes, QString* error);
QByteArray WriteRLAddressList(const QList<CRLAddress>& list);
