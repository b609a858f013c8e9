#include "platform/data/TradeSide.h"

#include <QString>

const CTradeSide* CTradeSide::OfClosing(const QString& table)
{
    for (const CTradeSide* side : Both()) {
        if (table.compare(QLatin1String(side->closing), Qt::CaseInsensitive) == 0)
            return side;
    }
    return nullptr;
}
