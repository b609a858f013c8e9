#include "platform/lookup/RLAddress.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"

CRLAddress& CRLAddress::operator=(const CRLAddress& other)
{
    m_nA = 0;
    m_nB = other.m_nB;
    m_nC = other.m_nC;
    m_strTelephone = other.m_strTelephone;
    m_strPostcode = other.m_strPostcode;
    m_strName = other.m_strName;
    m_strAddress1 = other.m_strAddress1;
    m_strAddress2 = other.m_strAddress2;
    m_strAddress3 = other.m_strAddress3;
    m_strAddress4 = other.m_strAddress4;
    m_nSource = other.m_nSource;
    return *this;
}

bool CRLAddress::operator==(const CRLAddress& other) const
{
    return m_nB == other.m_nB && m_nC == other.m_nC && m_strTelephone == other.m_strTelephone &&
           m_strPostcode == other.m_strPostcode && m_strName == other.m_strName &&
           m_strAddress1 == other.m_strAddress1 && m_strAddress2 == other.m_strAddress2 &&
           m_strAddress3 == other.m_strAddress3 && m_strAddress4 == other.m_strAddress4;
}

void CRLAddress::Serialize(CArchiveReader& ar)
{
    m_nA = ar.ReadInt32();
    m_nSource = ar.ReadInt32();
    m_strTelephone = ar.ReadText();
    m_strPostcode = ar.ReadText();
    m_strName = ar.ReadText();
    m_nB = ar.ReadInt32();
    m_nC = ar.ReadInt32();
    m_strAddress1 = ar.ReadText();
    m_strAddress2 = ar.ReadText();
    m_strAddress3 = ar.ReadText();
    m_strAddress4 = ar.ReadText();
}

void CRLAddress::Serialize(CArchiveWriter& ar) const
{
    ar.WriteInt32(m_nA);
    ar.WriteInt32(m_nSource);
    ar.WriteText(m_strTelephone);
    ar.WriteText(m_strPostcode);
    ar.WriteText(m_strName);
    ar.WriteInt32(m_nB);
    ar.WriteInt32(m_nC);
    ar.WriteText(m_strAddress1);
    ar.WriteText(m_strAddress2);
    ar.WriteText(m_strAddress3);
    ar.WriteText(m_strAddress4);
}

QList<CRLAddress> ReadRLAddressList(const QByteArray& bytes, QString* error)
{
    QList<CRLAddress> list;
    if (error)
        error->clear();
    try {
        CArchiveReader ar(bytes);
        const quint32 count = ar.ReadCount();
        for (quint32 i = 0; i < count; ++i) {
            ar.ReadObjectTag({QByteArray(CRLAddress::kClassName)});
            CRLAddress record;
            record.Serialize(ar);
            list.append(record);
        }
    } catch (const CArchiveError& e) {
        if (error)
            *error = QString::fromStdString(e.what());
    }
    return list;
}

QByteArray WriteRLAddressList(const QList<CRLAddress>& list)
{
    CArchiveWriter ar;
    ar.WriteCount(quint32(list.size()));
    for (const CRLAddress& record : list) {
        ar.WriteObjectTag(CRLAddress::kClassName);
        record.Serialize(ar);
    }
    return ar.Data();
}
