#pragma once

#include <QString>

// What a settings dialog asks the one-line name dialog: its caption, the
// prompt line, the name it starts with and the most bytes a name may take
// (-1: no limit).
struct CNameRequest {
    QString caption;
    QString prompt;
    QString name;
    int maxLength = -1;
};
