#include "lists/frmSegmentType.h"

#include "platform/AppError.h"

#include <QLineEdit>

namespace {
const RecordWindow::Config SegmentTypeConfig{
    "frmSegmentType",
    "tblSegmentType",
    "lSegmentTypeID",
    "Select lSegmentTypeId, sSegmentType, sDescription, sComments FROM tblSegmentType WHERE fSysLock = 0",
    3300,
    "Segment Type",
    6,
    "Segment Type",
    7476,
    5124,
    true,
    true,
    "segment type"};
}

frmSegmentType::frmSegmentType(QWidget* parent) : RecordWindow(SegmentTypeConfig, parent)
{
    txtSegmentType = addTextRow(1, "txtSegmentType", "lblSegmentType", "Segment Type:");
    txtDescription = addTextRow(2, "txtDescription", "lblDescription", "Description:");
    txtComments = addTextRow(3, "txtComments", "lblComments", "Comments:");
    requireField(txtSegmentType, "Segment Type");

    addColumn("lSegmentTypeId", "lSegmentTypeId", 0);
    addColumn("sSegmentType", "Segment Type", 2400);
    addColumn("sDescription", "Description", 4200);
    Form_Load();
}

qint32 frmSegmentType::deleteIds_m(const QString& ids)
{
    // Rows another window deleted meanwhile: nothing was deleted here, and
    // that is said in the message of a refused delete, not the error dialog.
    const qint32 deleted = RecordWindow::deleteIds_m(ids);
    if (deleted == 0)
        throw AppError(AppError::withObjectBase(ErrNo::OleDbFailed), inUseText_m());
    return deleted;
}
