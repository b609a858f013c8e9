#include "platform/data/MasterKinds.h"

QString MasterTableOf(int kind)
{
    switch (kind) {
    case 1:
        return QStringLiteral("Item");
    case 2:
        return QStringLiteral("Customer");
    case 3:
        return QStringLiteral("Supplier");
    default:
        return {};
    }
}

QString MasterCodeFieldOf(int kind)
{
    const QString table = MasterTableOf(kind);
    return table.isEmpty() ? table : table + QStringLiteral("Code");
}
