#pragma once

#include <QDate>
#include <QString>
#include <QTime>

class clsAdoConnectJet;

// One segment header of a download, written into the staging table
// tblImportSegment. Its rows find it again as the newest header there.
class clsImportSegment {
public:
    // The record-set connection; set by the creator before any statement.
    clsAdoConnectJet* DatabaseConnection = nullptr;

    clsImportSegment() = default;

    // The largest id in the staging table, read afresh every time: the id of
    // the header written last. Raises 94 when the table is empty, so a row
    // can never attach to a segment that is not there.
    qint32 SegmentID() const;

    QString SegmentLabel() const { return m_label; }
    void SegmentLabel(const QString& v);  // stored trimmed
    QDate SegmentDate() const { return m_segmentDate; }
    void SegmentDate(const QDate& v) { m_segmentDate = v; }
    QTime SegmentTime() const { return m_segmentTime; }
    void SegmentTime(const QTime& v) { m_segmentTime = v; }
    QDate ImportDate() const { return m_importDate; }
    void ImportDate(const QDate& v) { m_importDate = v; }
    qint32 RateTypeID() const { return m_rateTypeID; }
    void RateTypeID(qint32 v) { m_rateTypeID = v; }
    qint32 SpeedTypeID() const { return m_speedTypeID; }
    void SpeedTypeID(qint32 v) { m_speedTypeID = v; }
    qint32 DistanceTypeID() const { return m_distanceTypeID; }
    void DistanceTypeID(qint32 v) { m_distanceTypeID = v; }
    // Kept, never written: a download always lands in the default category
    // and segment type.
    qint32 CategoryID() const { return m_categoryID; }
    void CategoryID(qint32 v) { m_categoryID = v; }
    qint32 SegmentTypeID() const { return m_segmentTypeID; }
    void SegmentTypeID(qint32 v) { m_segmentTypeID = v; }

    // Deletes the newest header (its rows stay); true when a row went.
    bool Delete_Pf();
    // Inserts the header; true when a row was written.
    bool Save_pf();

private:
    clsAdoConnectJet& connection(const QString& source) const;

    qint32 m_rateTypeID = 0;
    qint32 m_speedTypeID = 0;
    qint32 m_distanceTypeID = 0;
    qint32 m_categoryID = 0;
    qint32 m_segmentTypeID = 0;
    QString m_label;
    // A date value that was never set is day zero, 30 December 1899.
    QDate m_importDate{1899, 12, 30};
    QDate m_segmentDate{1899, 12, 30};
    QTime m_segmentTime{0, 0};
};
