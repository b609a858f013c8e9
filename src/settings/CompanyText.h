#pragma once

#include <QString>

// The printed forms of the own company's postcode, address, telephone and
// fax that the company information dialog writes beside the items. The
// slip-form program prints them as they are, so they follow its byte rules.

// Byte by byte of the code page 932 text: "-" gives "－", a digit its
// full-width digit, any other byte "０" (a double-byte character gives two).
QString ToFullWidthDigits(const QString& text);

// Byte by byte: "-" stays, a digit gives its kanji numeral "〇"-"九", any
// other byte "〇".
QString ToVerticalDigits(const QString& text);

// The vertical-writing form of free text, by whole characters, each first
// taken in the form code page 932 gives back (U+2212 as "－"): "－" to "-",
// half- and full-width digits to kanji numerals, Latin letters to full
// width, half-width katakana to full width, then a kana followed by a
// separate voiced or semi-voiced mark merged where a merged kana exists in
// the list of 25. Everything else stays, line breaks included.
QString ToVerticalText(const QString& text);
