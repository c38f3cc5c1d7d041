#pragma once

#include "platform/Value.h"

#include <QString>

class clsAdoConnectJet;
class clsImportSegment;

// One time or rate row of a download, written into tblImportSegmentDetail
// under the newest header; a row whose label that header already has is
// updated instead.
class clsImportSegmentDetail {
public:
    // Taken from the segment when Segment is set.
    clsAdoConnectJet* DatabaseConnection = nullptr;

    clsImportSegmentDetail() = default;

    // Keeps the (non-owning) segment and takes over its connection, so the
    // segment's connection must be set first.
    void Segment(clsImportSegment* segment);

    QString SegmentDetailLabel() const { return m_label; }
    void SegmentDetailLabel(const QString& v);  // stored trimmed
    qint32 OrdinalPosition() const { return m_ordinalPosition; }
    void OrdinalPosition(qint32 v) { m_ordinalPosition = v; }
    double CumTime() const { return m_cumTime; }
    void CumTime(double v) { m_cumTime = v; }
    double Rate() const { return m_rate; }
    void Rate(double v) { m_rate = v; }
    // Kept, never written: the watch measures no distance.
    float Distance() const { return m_distance; }
    void Distance(float v) { m_distance = v; }

    // Inserts the row, or updates the newest header's row with this label;
    // true when a row was written.
    bool Save_pf();

private:
    // An existing row changes in one column only: the time when there is
    // one, else the rate. The clause has one placeholder, for value.
    static QString UpdateSetClause_mf(double cumTime, double rate, Value& value);
    clsAdoConnectJet& connection() const;

    clsImportSegment* m_segment = nullptr;
    QString m_label;
    qint32 m_ordinalPosition = 0;
    double m_cumTime = 0;
    double m_rate = 0;
    float m_distance = 0;
};
