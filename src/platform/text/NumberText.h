#pragma once

#include <QString>
#include <QStringView>

// What a text that holds a number may hold around and between its digits.
// One grammar reads every number the system takes as text; each reader of
// such texts states its own forms. The default reads "-12.5" and ".5".
struct CNumberSyntax {
    // Commas in the whole part: none, groups of three all in their places
    // ("1,234,567"), or dropped wherever they stand ("1,2,3" is 123).
    enum class Commas { None, Groups, Dropped };
    // Spaces: none, around the whole text only, or also between the sign,
    // the yen sign, the number and its "円".
    enum class Spaces { None, Around, Between };

    bool minus = true;              // "-" before the number
    bool plusSign = false;          // "+" as well as "-"
    bool signBehind = false;        // the sign may follow the number ("500-", "500円-")
    bool point = true;              // a decimal point
    bool bareLeadingPoint = true;   // a point without whole digits (".5")
    bool bareTrailingPoint = false; // a point without fraction digits ("5.")
    bool yenSign = false;   // "\\", "¥" or "￥" before the number; a sign may stand before or after it
    bool yenSuffix = false; // "円" after the number
    Commas commas = Commas::None;
    bool fullWidth = false; // full-width digits, signs, point and commas ("１，２３４")
    bool mathMinus = false; // "−" (U+2212), which some decoders of code page 932 give for its minus
    Spaces spaces = Spaces::None;
    // The number is the leading run of the characters the syntax allows;
    // whatever follows is not looked at ("12箱" is 12). Otherwise the whole
    // text must be the number.
    bool leadingPart = false;

    // Amounts read from a file of another program: every form but the
    // leading part, commas in groups, spaces between.
    static CNumberSyntax Imported();
};

// What a text holds as a number by a syntax.
struct CNumberText {
    enum Status {
        Number,    // a number: `negative`, `whole` and `fraction` hold it
        Empty,     // nothing (after spaces the syntax allows)
        Foreign,   // a character the syntax has no place for (whole text only)
        NoDigits,  // the syntax's characters without a digit ("-", ".")
        Malformed, // digits that do not make a number ("1.2.3", "5-5", "1,2,3" in groups)
    };
    Status status = Empty;
    bool negative = false;
    QString whole;    // half-width digits before the point, commas gone ("" for ".5")
    QString fraction; // half-width digits after it
    QString foreign;  // Foreign: the first character the syntax has no place for, as written
};

CNumberText ReadNumberText(QStringView text, const CNumberSyntax& syntax);
