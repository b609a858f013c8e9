#pragma once

#include <QByteArray>
#include <QList>

#include "platform/forms/LayoutInfo.h"

// The byte form of a form catalogue, used by the catalogues in the data
// root and by the user-form backup file: the framework archive with a
// leading name and version, the next free user-form id, a count, and per
// layout the four numbers and the name.
struct CFormCatalog {
    QList<CLayoutInfo> m_layouts;
    // User-form ids are never handed out twice: slips keep the id of a
    // deleted form, which must not come to name another one.
    qint32 m_nNextUserID = CLayoutInfo::kUserFormBase + 1;

    enum Contents { kFactoryForms, kUserForms };

    QByteArray Write(const char* magic) const;

    // Raises CArchiveError unless the bytes are a catalogue written under
    // `magic` whose every layout is sound: a kind of 1-13, a name, an id no
    // other layout has, factory ids 1-60000 or user ids above 60000 and
    // below the next free id, a layout above 0.
    static CFormCatalog Read(const QByteArray& bytes, const char* magic, Contents contents);

    // The factory layouts the installation ships with.
    static CFormCatalog BuiltInFactoryForms();
};
