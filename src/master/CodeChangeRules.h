#pragma once

#include "platform/data/MasterKinds.h"

#include <QString>

#include <memory>

class CCDSData;

// What the code change uses of the frame: the code lookup and the rename in
// the data-access library. The frame's adapter forwards; tests script it.
class ICodeChangeHost
{
  public:
    virtual ~ICodeChangeHost() = default;
    // 1 when the lookup ran (matches in `result`), 0 when it failed (the
    // frame has said why).
    virtual int CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                                   CCDSData& result) = 0;
    virtual int ChangeMasterCode(const QString& table, const QString& oldCode, const QString& newCode,
                                 QString& err) = 0;
};

// The rules of the code change of one product (kind 1), customer (2) or
// supplier (3): the current record found on opening, the new code's checks,
// the confirmation and the change with its result messages.
class CCodeChangeRules
{
  public:
    enum Focus { kFocusNone = 0, kFocusNewCode, kFocusCurrentCode };

    // Works through the program's frame.
    CCodeChangeRules(int kind, const QString& currentCode);
    // Works through `host`, which must outlive the rules.
    CCodeChangeRules(int kind, const QString& currentCode, ICodeChangeHost& host);
    ~CCodeChangeRules();

    bool IsKnownKind() const { return CMasterKind::OfNumber(m_nKind) != nullptr; }
    QString GetCaption() const;
    QString GetTableName() const;
    QString GetCodeFieldName() const;
    // "品番", "得意先コード", "仕入先コード".
    QString GetCodeLabel() const;
    int GetMaxBytes() const { return m_nKind == 1 ? 100 : 20; }

    // Opening: an unknown kind is reported (false); otherwise the current
    // record is looked up for its ID and the name shown.
    bool Open();
    // OK: 1 when the code was changed (the dialog closes), 0 when it stays
    // open; GetFocus() then names the field to focus.
    int Ok(const QString& newCode);

    int GetKind() const { return m_nKind; }
    const QString& GetCurrentCode() const { return m_strCurrentCode; }
    int GetRecordId() const { return m_nRecordID; }
    const QString& GetRecordName() const { return m_strName; }
    bool IsChanged() const { return m_nChanged != 0; }
    Focus GetFocus() const { return m_focus; }

  private:
    int Refuse(const QString& text, Focus focus);

    std::unique_ptr<ICodeChangeHost> m_pFrameHost;
    ICodeChangeHost* m_pHost;
    int m_nKind;
    QString m_strCurrentCode;
    int m_nRecordID = 0;
    QString m_strName;
    int m_nChanged = 0;
    Focus m_focus = kFocusNone;
};
