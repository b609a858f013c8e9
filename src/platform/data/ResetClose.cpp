#include "platform/data/MakeMsgID.h"

#include <QStringList>

namespace
{

struct CloseSide {
    const char* closing; // "Sales_Close"
    const char* slips;   // "Sales_H"
    const char* money;   // "Receipt_H"
};

constexpr CloseSide kSides[] = {{"Sales_Close", "Sales_H", "Receipt_H"}, {"Stock_Close", "Stock_H", "Pay_H"}};

} // namespace

int CMakeMsgID::Reset_SalesClose(const CCDSData& closings, QString& err)
{
    if (!IsOpen())
        return NoConnection(err);
    const CloseSide* side = nullptr;
    QStringList ids;
    for (int i = 0; i < closings.GetCount(); ++i) {
        const COneRecord* record = closings.GetAt(i);
        const CloseSide* found = nullptr;
        int id = 0;
        for (const CloseSide& candidate : kSides) {
            const CTb* field = record ? record->FindField(QLatin1String(candidate.closing) + QStringLiteral(".ID")) : nullptr;
            if (field && field->GetData(id)) {
                found = &candidate;
                break;
            }
        }
        if (!found || (side && side != found)) {
            err = found ? QStringLiteral("売上と仕入の締めを同時に取り消すことはできません。")
                        : QStringLiteral("取り消す締めのIDがありません。");
            return kFailed;
        }
        side = found;
        ids << QString::number(id);
    }
    if (!side)
        return kOk;

    const QString in = QStringLiteral(" IN (") + ids.join(u',') + u')';
    const QStringList statements{
        // The tax slips a closing made belong to it and go with it (their
        // lines by cascade).
        QStringLiteral("DELETE FROM %1 WHERE DenpyoType <> 0 AND SeikyuID%2").arg(QLatin1String(side->slips), in),
        QStringLiteral("UPDATE %1 SET SeikyuID = 0 WHERE SeikyuID%2").arg(QLatin1String(side->slips), in),
        QStringLiteral("UPDATE %1 SET SeikyuID = 0 WHERE SeikyuID%2").arg(QLatin1String(side->money), in),
        QStringLiteral("UPDATE %1 SET CloseID = 0 WHERE CloseID%2").arg(QLatin1String(side->money), in),
        QStringLiteral("DELETE FROM %1 WHERE ID%2").arg(QLatin1String(side->closing), in),
    };
    int result = BeginTransaction(err);
    if (result != kOk)
        return result;
    for (const QString& statement : statements) {
        result = Execute(statement, err);
        if (result != kOk) {
            QString ignored;
            Rollback(ignored);
            return result;
        }
    }
    result = Commit(err);
    if (result != kOk) {
        QString ignored;
        Rollback(ignored);
    }
    return result;
}
