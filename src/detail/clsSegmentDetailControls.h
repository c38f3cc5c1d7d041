#pragma once

class QWidget;
class frmSegmentDetail;

// The controls of the segment detail window, laid out as designed: the header
// frame, the tab control with the row grid and the athlete checklist on its
// first page and the notes on its second, and the buttons below.
class clsSegmentDetailControls {
public:
    // Makes the window's controls (named as their members) and returns the
    // body that holds them; the bound header fields carry the tag "EditField".
    static QWidget* Build_p(frmSegmentDetail& form);
};
