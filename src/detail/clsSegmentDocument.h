#pragma once

#include "data/clsBrSegment.h"
#include "detail/DetailCalculation.h"
#include "detail/clsSegmentUnits.h"
#include "detail/clsStoredRows.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QTime>

#include <memory>

class Recordset;
class clsAdoConnectJet;
class clsStrings;

// One segment as the detail window edits it, without a widget: the segment
// record, its rows in a detached set with their derived columns, the units
// they are shown in, the column they are sorted by, and whether anything was
// changed since the last load or save. The window shows it and listens to
// its signals; the helpers that edit rows change it through these members.
class clsSegmentDocument : public QObject {
    Q_OBJECT
public:
    // The settings give the default units (200 rate, 210 speed, 220 distance).
    clsSegmentDocument(clsAdoConnectJet& db, const clsStrings& settings, QObject* parent = nullptr);
    ~clsSegmentDocument() override;

    clsBrSegment& segment() { return m_segment; }
    const clsBrSegment& segment() const { return m_segment; }
    // The rows; null until a segment is loaded.
    Recordset* rows() const { return m_rows.get(); }
    bool loaded() const { return m_loaded; }
    // The stored segment's id, 0 for one not saved yet.
    qint32 segmentID() const;

    bool dirty() const { return m_dirty; }
    void setDirty(bool dirty);
    // The grid column the next sort uses.
    qint32 sortColumn() const { return m_sortColumn; }
    void setSortColumn(qint32 column) { m_sortColumn = column; }

    // Loads a stored segment and its rows in time order, worked out; false,
    // with nothing loaded, when there is no such segment.
    bool retrieve(qint32 segmentID);
    // A new segment of today labelled as the day's next, with its first row;
    // its references stay Null until defaultReferences.
    void newSegment(const QDate& today, const QTime& now);
    // The largest label of the day that is a whole number, plus one.
    QString nextLabel(const QDate& day) const;
    // Unit ids stored as Null or 0 (all of them with always) take the settings'.
    void defaultUnits(bool always);
    // A category, event or type stored as Null or 0 is the placeholder 1.
    void defaultReferences();
    // Lets go of the rows and the record.
    void clear();

    // The segment's units as the calculation and the rate conversion use them.
    DetailCalculation::Units units() const;
    clsSegmentUnits::Headers headers() const;
    // Works out the derived columns of the shown rows in the segment's units.
    void recalculate();
    // A unit chosen for the segment; the rows and captions follow, the segment is changed.
    void setRateType(qint32 rateTypeID);
    void setSpeedType(qint32 speedTypeID);
    // Stored distances stay as typed: only the captions follow.
    void setDistanceType(qint32 distanceTypeID);
    // Sorts the rows by the sort column ("ASC" or "DESC"); a sort by time
    // works the derived columns out again.
    void sort(const QString& order);
    // The record set's sort for a grid column; worked-out numbers keep their
    // empty cells last.
    static QString SortText_ps(const QString& field, int column, const QString& order);

    // Writes the segment and its changed rows in one transaction; raises as
    // the writer does (the segment gone, a refusal), nothing changed then.
    // True when another program had changed the stored rows since they were
    // read or saved: every row shown was written in their place.
    bool save(const QString& failureText, const QString& goneText);

signals:
    // About to change the rows: a pending cell edit is to be stored first.
    void rowsAboutToChange();
    // A new set of rows (load, new segment, clear): a bound grid takes it.
    void rowsReplaced();
    // The rows were worked out again or re-sorted.
    void rowsChanged();
    // The unit captions of the derived columns changed.
    void headersChanged();
    void dirtyChanged(bool dirty);

private:
    void replaceRows_m(std::unique_ptr<Recordset> rows);
    // New rows, sorted by time and worked out, with their captions.
    void showInTimeOrder_m(std::unique_ptr<Recordset> rows);
    // The derived columns of the shown rows, without telling anyone.
    void workOut_m();

    clsAdoConnectJet& m_db;
    const clsStrings& m_settings;
    clsBrSegment m_segment;
    std::unique_ptr<Recordset> m_rows;
    // The rows as the database held them when read or last saved.
    clsStoredRows m_stored;
    bool m_loaded = false;
    bool m_dirty = false;
    qint32 m_sortColumn;
    double m_defaultDigits = 4;
};
