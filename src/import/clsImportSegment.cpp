#include "import/clsImportSegment.h"

#include "app/modlib.h"
#include "data/clsAdoConnectJet.h"
#include "import/ImportSql.h"
#include "platform/AppError.h"

namespace {
const QString Source = QStringLiteral("clsImportSegment");
}  // namespace

void clsImportSegment::SegmentLabel(const QString& v) { m_label = TrimSpaces_gs(v); }

clsAdoConnectJet& clsImportSegment::connection(const QString& source) const
{
    if (!DatabaseConnection)
        throw AppError(ImportSql::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"),
                       source);
    return *DatabaseConnection;
}

qint32 clsImportSegment::SegmentID() const
{
    const Value id = ImportSql::scalar(connection(Source + QStringLiteral(".SegmentID")),
                                       QStringLiteral("Select Max(lSegmentID) From tblImportSegment"));
    if (id.isNullOrEmpty())
        throw AppError(ImportSql::InvalidUseOfNull, QStringLiteral("Invalid use of Null"),
                       Source + QStringLiteral(".SegmentID"));
    return id.toLong();
}

bool clsImportSegment::Save_pf()
{
    return withErrorSource(Source + QStringLiteral(".Save_pf"), [&] {
        // Category and segment type are always the built-in default rows.
        const qint32 n = connection(Source).SQLExecute_pl(
            QStringLiteral("Insert Into tblImportSegment (sSegmentLabel, dtImportDate, dtSegmentDate, "
                           "dtSegmentTime, lSegmentTypeID, lCategoryID, lRateTypeID, lSpeedTypeID, "
                           "lDistanceTypeID ) Values(?, ?, ?, ?, 1, 1, ?, ?, ?)"),
            {Value(m_label), Value(m_importDate), Value(m_segmentDate), Value(m_segmentTime), Value(int(m_rateTypeID)),
             Value(int(m_speedTypeID)), Value(int(m_distanceTypeID))});
        return n != 0;
    });
}

bool clsImportSegment::Delete_Pf()
{
    return withErrorSource(Source + QStringLiteral(".Delete_pf"), [&] {
        const qint32 id = SegmentID();
        return connection(Source).SQLExecute_pl(QStringLiteral("DELETE FROM tblImportSegment WHERE lSegmentId = ?"),
                                                {Value(int(id))})
            != 0;
    });
}
