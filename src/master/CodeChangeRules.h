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

// The rules of the code change of one product, customer or supplier: the
// current record found on opening, the new code's checks, the confirmation
// and the change with its result messages.
class CCodeChangeRules
{
  public:
    enum Focus { kFocusNone = 0, kFocusNewCode, kFocusCurrentCode };

    // Works through the program's frame.
    CCodeChangeRules(const CMasterKind& kind, const QString& currentCode);
    // Works through `host`, which must outlive the rules.
    CCodeChangeRules(const CMasterKind& kind, const QString& currentCode, ICodeChangeHost& host);
    ~CCodeChangeRules();

    QString GetCaption() const;
    QString GetTableName() const { return m_kind.Table(); }
    QString GetCodeFieldName() const { return m_kind.CodeField(); }
    // "品番", "得意先コード", "仕入先コード".
    QString GetCodeLabel() const { return m_kind.CodeLabel(); }
    int GetMaxBytes() const { return m_kind.side ? 20 : 100; }

    // Opening: the current record is looked up for its ID and the name
    // shown.
    void Open();
    // OK: 1 when the code was changed (the dialog closes), 0 when it stays
    // open; GetFocus() then names the field to focus.
    int Ok(const QString& newCode);

    const CMasterKind& GetKind() const { return m_kind; }
    const QString& GetCurrentCode() const { return m_strCurrentCode; }
    int GetRecordId() const { return m_nRecordID; }
    const QString& GetRecordName() const { return m_strName; }
    bool IsChanged() const { return m_nChanged != 0; }
    Focus GetFocus() const { return m_focus; }

  private:
    int Refuse(const QString& text, Focus focus);

    std::unique_ptr<ICodeChangeHost> m_pFrameHost;
    ICodeChangeHost* m_pHost;
    const CMasterKind& m_kind;
    QString m_strCurrentCode;
    int m_nRecordID = 0;
    QString m_strName;
    int m_nChanged = 0;
    Focus m_focus = kFocusNone;
};
