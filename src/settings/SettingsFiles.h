#pragma once

#include <QString>
#include <QStringList>

// The default-value files of a database folder's "Other" folder as the
// settings dialogs read and write them.

// The database folder's "Other" folder.
QString OtherFolder(const QString& dbFolder);

// The text of one file of `otherFolder` (name matched without letter case).
// `found` is false for a file that is missing or does not open, and for a
// damaged one, which is also reported by name; the caller then keeps its
// own default.
QString ReadDefaultValue(const QString& otherFolder, const QString& name, bool* found = nullptr);

// The number a text starts with, as the C library reads it: leading blanks,
// an optional sign, digits; 0 when there are none. Stops short of overflow.
int LeadingInt(const QString& text);

// Writes texts[i] into names[i] of `dbFolder`'s "Other" folder (made when
// missing), each file replaced atomically under the spelling it already
// has. Nothing is written, and the reason is shown, when no database is
// current (empty folder) or a text holds a character without a code page
// 932 form (the refusal names captions[i], the field the text comes from,
// else the file). Files that cannot be written are named in one message and
// the answer is false; true when every file was written.
bool WriteDefaultValues(const QString& dbFolder, const QStringList& names, const QStringList& texts,
                        const QStringList& captions = {});
