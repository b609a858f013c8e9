#pragma once

#include <QString>
#include <QStringList>

class CTb;
struct CMasterKind;

// Coded integer fields of the master and slip tables and the words the user
// sees for them, in both directions; the fixed order of the customer and
// supplier fields; default-value files.

// The display text of a field: empty for none or no value; text unchanged;
// a date as "yyyy/MM/dd"; money without separators; an integer as its word.
// The master fields ("Item.TaxFlg", "Customer.TaxType", ...) are matched by
// their full name, the slip and list fields ("SeikyuID", "タイプ", ...) by the
// bare name; any other integer shows as its number. With `codeFlag` set, a
// master field and a plain number get "<code>:" in front of the word ("1:請求時",
// "7:" for a code without a word); the slip and list words never do.
QString GetFieldDisplayText(const CTb* field, int codeFlag);

// The code of a master field's word: 1 and `code` set when the text is one
// of the words of that field of "Item", "Customer" or "Supplier" (bank fields
// for "Supplier" only), else 0. A leading "." of the field name is ignored.
// The closing day ("Day") also takes "N日" and the digits of 0, 1-28 or 99;
// the collection day ("CollectDay") "月末", "N日" and digits of 0 or more.
// Any other text is not converted, so an import refuses it instead of
// storing a made-up day.
int GetFieldCodeFromText(const QString& table, const QString& field, const QString& text, int& code);

// The field order of the customer or supplier records for export and
// import, starting with an empty entry; "StartDate" and "LastUpdate" follow
// when `withDates` is 1. Products: 0 and an empty list.
int GetMasterFieldNames(const CMasterKind& kind, QStringList& names, int withDates);

// The one text of a default-value file (".aut", name matched without letter
// case). A missing or unopenable file reads as empty text without a word;
// a damaged one shows the file error and reads as empty text.
QString ReadAutFile(const QString& path);
