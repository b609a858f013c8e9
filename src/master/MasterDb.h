#pragma once

#include <QString>

class CCDSData;
class CMakeMsgID;

// The data-access calls of the master list and its commands, forwarded to
// the frame's data-access object. Tests override them to record the
// statements or make one fail.
class CMasterDb
{
  public:
    explicit CMasterDb(CMakeMsgID& data) : m_data(data) {}
    virtual ~CMasterDb() = default;
    CMasterDb(const CMasterDb&) = delete;
    CMasterDb& operator=(const CMasterDb&) = delete;

    virtual int GetDataList(const CCDSData& request, CCDSData& result, QString& err);
    virtual int GetDataNum(const CCDSData& request, int& count, QString& err);
    virtual int UpdateData(const CCDSData& set, QString& err);
    virtual int DeleteData(const CCDSData& set, QString& err);
    virtual int BeginTransaction(QString& err);
    virtual int Commit(QString& err);
    virtual int Rollback(QString& err);

    CMakeMsgID& Data() { return m_data; }

  private:
    CMakeMsgID& m_data;
};

// The fatal data-access message (stop icon).
void ShowFatalDataMessage();

// `firstLine` followed by the advice to restart the program, the text of a
// failure for which the library gave no text of its own.
QString FailureAdviceText(const QString& firstLine);
