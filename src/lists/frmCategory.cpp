#include "lists/frmCategory.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
const RecordWindow::Config CategoryConfig{
    "frmCategory",
    "tblCategory",
    "lCategoryID",
    "Select lCategoryId, sCategory, sDescription, mNotes FROM tblCategory WHERE fSysLock = 0",
    3290,
    "Category",
    1,
    "Category",
    7476,
    5124,
    false,
    true,
    "category"};
}

frmCategory::frmCategory(QWidget* parent) : RecordWindow(CategoryConfig, parent)
{
    txtCategory = addTextRow(1, "txtCategory", "lblSegmentCategory", "Segment Category:");
    txtDescription = addTextRow(2, "txtDescription", "lblDescription", "Description:");
    txtNotes = addMemoRow(3, "txtNotes", "lblNotes", "Notes:");
    requireField(txtCategory, "Category");

    // The id stays in the list for sorting and look-ups; users need not see it.
    addColumn("lCategoryId", "lCategoryId", 0);
    addColumn("sCategory", "Category", 2400);
    addColumn("sDescription", "Description", 4200);
    Form_Load();
}
