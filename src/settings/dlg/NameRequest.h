#pragma once

#include <QString>

// What a settings dialog asks the one-line name dialog: its caption, the
// prompt line, the name it starts with, the most bytes a name may take (-1:
// no limit) and what the name is, for a refusal of its characters ("単位";
// empty: "名前").
struct CNameRequest {
    QString caption;
    QString prompt;
    QString name;
    int maxLength = -1;
    QString field;
};
