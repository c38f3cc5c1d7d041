#include "lists/frmSegmentType.h"

#include "platform/AppError.h"
#include "platform/DataGrid.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
const RecordWindow::Config SegmentTypeConfig{
    "frmSegmentType", "tblSegmentType", "lSegmentTypeID",
    "Select lSegmentTypeId, sSegmentType, sDescription, sComments FROM tblSegmentType WHERE fSysLock = 0",
    3300, "Segment Type", 6, "Segment Type", 7476, 5124, true};
}

frmSegmentType::frmSegmentType(QWidget* parent) : RecordWindow(SegmentTypeConfig, parent)
{
    txtSegmentType = addTextRow(1, "txtSegmentType", "lblSegmentType", "Segment Type:");
    txtDescription = addTextRow(2, "txtDescription", "lblDescription", "Description:");
    txtComments = addTextRow(3, "txtComments", "lblComments", "Comments:");
    requireField(txtSegmentType, "Segment Type");

    dbgMain->AddColumn(QStringLiteral("lSegmentTypeId"), QStringLiteral("lSegmentTypeId"))->Visible(false);
    dbgMain->AddColumn(QStringLiteral("sSegmentType"), QStringLiteral("Segment Type"));
    dbgMain->AddColumn(QStringLiteral("sDescription"), QStringLiteral("Description"));
    Form_Load();
}

qint32 frmSegmentType::deleteIds_m(const QString& ids)
{
    // Rows another window deleted meanwhile: nothing was deleted here.
    const qint32 deleted = RecordWindow::deleteIds_m(ids);
    if (deleted == 0)
        throw AppError(4120, text_m(4120, QStringLiteral("Records could not be deleted since they have already been assigned")));
    return deleted;
}
