#pragma once

#include <QSet>

// The report commands being wired on the branches of the report lists
// (ledgers, summaries and the closing and money lists' own commands, the
// transfer fee settings): the command checks report them as pending rather
// than missing. A pending id that has a handler fails those checks, so the
// list empties as the branches land.
inline const QSet<int>& PendingReportCommands()
{
    static const QSet<int> ids = {32828, 32830, 32837, 32840, 32841, 32851, 32901, 32929, 32935,
                                  32941, 32953, 32956, 33001, 33015, 33021, 33030, 33036};
    return ids;
}
