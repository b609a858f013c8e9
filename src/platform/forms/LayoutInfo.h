#pragma once

#include <QString>
#include <QtGlobal>

// One form layout of the slip-layout catalogue. The four numbers lead the
// record in this order because callers rely on the layout to start with
// being the fourth 32-bit value.
struct CLayoutInfo {
    // Above this, ids are user-made forms (オリジナルフォーム); 0 means "let the user choose".
    static constexpr qint32 kUserFormBase = 60000;

    qint32 m_nFormID = 0; // the id slips keep in "FormID"
    qint32 m_nKind = 0;   // slip-form kind 1-13; sales layouts of both classifications are kind 2
    qint32 m_nBunrui = 0; // form classification: 2 prints a sales slip as kind 3
    qint32 m_nLayout = 0; // the layout the slip-form program is started with
    QString m_strName;

    bool IsUserForm() const { return m_nFormID > kUserFormBase; }
    bool operator==(const CLayoutInfo&) const = default;
};

// The name of a slip-form kind as the chooser and the slip-form program show it
// ("見積書", "売上伝票", ...); empty outside 1-13.
QString SlipFormKindName(int kind);
