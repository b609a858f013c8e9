#include "platform/data/ExCondition.h"

#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"

void CExCondition::Clear()
{
    m_nKind = 2;
    m_arrReserved.clear();
    m_strSQL.clear();
    m_strName.clear();
    m_arrA.clear();
    m_arrB.clear();
    m_arrC.clear();
}

void CExCondition::CopyFrom(const CExCondition& other)
{
    m_nKind = other.m_nKind;
    m_arrReserved = other.m_arrReserved;
    m_strSQL = other.m_strSQL;
    m_strName = other.m_strName;
    m_arrA = other.m_arrA;
    m_arrB = other.m_arrB;
    m_arrC = other.m_arrC;
}

void CExCondition::Serialize(CArchiveReader& ar)
{
    m_nKind = ar.ReadInt32();
    m_arrReserved = ar.ReadTextList();
    m_strSQL = ar.ReadText();
    m_strName = ar.ReadText();
    m_arrA = ar.ReadTextList();
    m_arrB = ar.ReadTextList();
    m_arrC = ar.ReadTextList();
}

void CExCondition::Serialize(CArchiveWriter& ar) const
{
    ar.WriteInt32(m_nKind);
    ar.WriteTextList(m_arrReserved);
    ar.WriteText(m_strSQL);
    ar.WriteText(m_strName);
    ar.WriteTextList(m_arrA);
    ar.WriteTextList(m_arrB);
    ar.WriteTextList(m_arrC);
}
