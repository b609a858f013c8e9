#include "platform/data/Compact.h"

#include "platform/data/MakeMsgID.h"

#include <QFileInfo>

int CompactDB(CMakeMsgID& data, QString& info, QString& err, bool* balancesRemade)
{
    info.clear();
    err.clear();
    if (balancesRemade)
        *balancesRemade = false;
    if (!data.IsOpen())
        return data.Execute(QStringLiteral("VACUUM"), err); // answers -100 with the library's text
    const QString path = CMakeMsgID::DatabasePath(data.GetFolder());
    const qint64 before = QFileInfo(path).size();
    bool remade = false;
    if (const int checked = data.RecheckBookedBalances(remade, err); checked != CMakeMsgID::kOk)
        return checked;
    if (balancesRemade)
        *balancesRemade = remade;
    const int rc = data.Execute(QStringLiteral("VACUUM"), err);
    if (rc == CMakeMsgID::kOk)
        info = QStringLiteral("%1 -> %2").arg(before).arg(QFileInfo(path).size());
    return rc;
}
