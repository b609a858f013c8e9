#include "platform/data/ExCondition.h"

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
