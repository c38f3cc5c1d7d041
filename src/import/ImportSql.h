#pragma once

#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Value.h"

// The import's look-ups are single values with bound parameters; a full
// record-set snapshot for each of the two thousand rows of a download would
// cost more than the writes. Errors come out as the connection raises them.
namespace ImportSql {

inline Value scalar(clsAdoConnectJet& conn, const QString& sql, const QList<Value>& params = {})
{
    const QString source = QStringLiteral("clsAdoConnectJet");
    if (!conn.IsOpen())
        throw AppError(AppError::withObjectBase(3704),
                       QStringLiteral("Operation is not allowed when the object is closed."), source);
    try {
        return conn.Connection()->ExecuteScalar(sql, params);
    } catch (const AppError& e) {
        throw e.asObjectError(source);
    }
}

inline constexpr qint32 InvalidUseOfNull = 94;
inline constexpr qint32 ObjectNotSet = 91;

}  // namespace ImportSql
