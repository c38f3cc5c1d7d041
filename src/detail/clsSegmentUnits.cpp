#include "detail/clsSegmentUnits.h"

#include "data/clsAdoConnectJet.h"
#include "platform/AppError.h"
#include "platform/Recordset.h"

namespace {

double factorOf(const Value& v)
{
    try {
        return v.isNullOrEmpty() ? 1.0 : v.toDouble();
    } catch (const AppError&) {
        return 1.0;
    }
}

}  // namespace

QString clsSegmentUnits::idText(const Value& id) const
{
    // Ids are whole numbers: nothing of a text can reach the statement.
    if (id.isNullOrEmpty())
        return QStringLiteral("NULL");
    return QString::number(id.toLong());
}

void clsSegmentUnits::onFirstRow(const QString& sql, const Value& id, const std::function<void(Recordset&)>& take) const
{
    Recordset rs;
    m_db.SQLOpenRecordset_pl(rs, sql + idText(id), clsAdoConnectJet::adOpenStatic, clsAdoConnectJet::adLockReadOnly);
    if (!rs.IsEOF())
        take(rs);
    rs.Close();
}

DetailCalculation::Units clsSegmentUnits::Factors_p(const Value& rateTypeID, const Value& speedTypeID,
                                                    const Value& distanceTypeID, double defaultDigits) const
{
    using DetailCalculation::digitsOf;
    DetailCalculation::Units u;
    u.speedDigits = u.rateDigits = u.dipsDigits = digitsOf(Value(), defaultDigits);
    try {
        u.rateType = rateTypeID.isNullOrEmpty() ? 0 : rateTypeID.toLong();
    } catch (const AppError&) {
        u.rateType = 0;
    }
    onFirstRow(
        QStringLiteral("SELECT tblDistanceType.dfactor as [dFactor_Distance], tblTimeType.dfactor as "
                       "[dFactor_Time], tblSpeedType.lSignificantDigits as [lSigDigits_Speed] FROM (tblSpeedType "
                       "INNER JOIN tblDistanceType on tblSpeedType.lDistanceTypeID = "
                       "tblDistanceType.lDistanceTypeID) INNER JOIN tblTimeType ON tblSpeedType.lTimeTypeID = "
                       "tblTimeType.lTimeTypeID WHERE tblSpeedType.lSpeedTypeID = "),
        speedTypeID, [&](Recordset& rs) {
            u.speedDistanceFactor = factorOf(rs.Fields(0).Value());
            u.speedTimeFactor = factorOf(rs.Fields(1).Value());
            u.speedDigits = digitsOf(rs.Fields(2).Value(), defaultDigits);
        });
    onFirstRow(QStringLiteral("SELECT tblRateType.dfactor as [dFactor_Rate], tblRateType.lSignificantDigits as "
                              "[lSigDigits_Rate] FROM tblRateType WHERE lRateTypeID = "),
               rateTypeID, [&](Recordset& rs) {
                   u.rateFactor = factorOf(rs.Fields(0).Value());
                   u.rateDigits = digitsOf(rs.Fields(1).Value(), defaultDigits);
               });
    // The distance unit's own places are read with its factor but never used.
    onFirstRow(
        QStringLiteral("SELECT tblDistanceType.dfactor as [dFactor_Distance], tblDistanceType.lSignificantDigits "
                       "as [lSigDigits_Distance]FROM tblDistanceType WHERE lDistanceTypeID = "),
        distanceTypeID, [&](Recordset& rs) { u.distanceFactor = factorOf(rs.Fields(0).Value()); });
    onFirstRow(QStringLiteral("SELECT tblDIPSType.lSignificantDigits as [lSigDigits_DIPS]FROM tblDIPSType WHERE "
                              "lDistanceTypeID = "),
               distanceTypeID, [&](Recordset& rs) { u.dipsDigits = digitsOf(rs.Fields(0).Value(), defaultDigits); });
    return u;
}

clsSegmentUnits::Headers clsSegmentUnits::GridHeaders_p(const Value& rateTypeID, const Value& speedTypeID,
                                                        const Value& distanceTypeID) const
{
    const auto caption = [this](const QString& sql, const Value& id) {
        std::optional<QString> text;
        onFirstRow(sql, id, [&](Recordset& rs) { text = rs.Fields(0).Value().asText(); });
        return text;
    };
    Headers h;
    h.rate = caption(QStringLiteral("SELECT sGridHeaderText FROM tblRateType WHERE lRateTypeID = "), rateTypeID);
    h.speed = caption(QStringLiteral("SELECT sGridHeaderText FROM tblSpeedType WHERE lSpeedTypeID = "), speedTypeID);
    h.distance =
        caption(QStringLiteral("SELECT sGridHeaderText FROM tblDistanceType WHERE lDistanceTypeID = "), distanceTypeID);
    h.dips =
        caption(QStringLiteral("SELECT sGridHeaderText FROM tblDipsType WHERE lDistanceTypeID = "), distanceTypeID);
    return h;
}
