#pragma once

#include "app/clsEditField.h"

#include <QTime>

#include <vector>

class QWidget;
class clsBrSegment;
class clsCboBoxHelper;

// The header controls of the segment detail window bound to the segment
// record: a control tagged "EditField" edits the field named after it
// without its three-letter prefix (txtsSegmentLabel edits sSegmentLabel).
class clsSegmentHeader {
public:
    // Binds every tagged control below root.
    void Bind_p(QWidget* root);
    void Clear_p() { m_fields.clear(); }
    const std::vector<clsEditField>& Fields() const { return m_fields; }

    // The record's values become the loaded ones the change test compares with.
    void TakeLoadedValues_p(const clsBrSegment& segment);
    // A time of day as the time box shows it: the locale's long time.
    static QString timeText(const QTime& time);
    // Shows the record's values: Null as empty, a time as timeText gives it.
    void Show_p(const clsBrSegment& segment, clsCboBoxHelper& combos) const;
    // Copies what the controls hold into the record (a cleared box empties its
    // field) and tells whether any field now differs from its loaded value:
    // texts by their exact letters, dates, times, ids and flags by value.
    // A control value the record refuses raises its error.
    bool CopyAndCompare_pf(clsBrSegment& segment) const;

private:
    std::vector<clsEditField> m_fields;
};
