#include "detail/clsSegmentDetailControls.h"

#include "app/WindowServices.h"
#include "app/clsTxtBoxHelper.h"
#include "data/clsBrSegment.h"
#include "detail/clsSegmentRows.h"
#include "detail/frmSegmentDetail.h"
#include "platform/ComboBox.h"
#include "platform/DataGrid.h"
#include "platform/DatePicker.h"
#include "platform/TextArea.h"
#include "platform/Twips.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

QWidget* clsSegmentDetailControls::Build_p(frmSegmentDetail& form)
{
    const auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    const auto button = [&](const char* name, const char* caption) {
        auto* b = named(new QPushButton(QString::fromLatin1(caption)), name);
        b->setAutoDefault(false);
        return b;
    };
    const auto label = [&](const char* name, const char* caption) {
        return named(new QLabel(QString::fromLatin1(caption)), name);
    };
    const auto bound = [](QWidget* w) {
        w->setProperty("Tag", QStringLiteral("EditField"));
        return w;
    };

    // Everything sits on one body, which fills the window.
    auto* body = new QWidget(&form);
    auto* whole = new QVBoxLayout(&form);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(body);
    auto* outer = new QVBoxLayout(body);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(4);

    form.fraHeader = named(new QGroupBox, "fraHeader");
    auto* header = new QGridLayout(form.fraHeader);
    header->setContentsMargins(6, 4, 6, 4);
    header->setVerticalSpacing(2);
    form.txtsSegmentLabel = named(new QLineEdit, "txtsSegmentLabel");
    clsTxtBoxHelper::HoldLength(
        form.txtsSegmentLabel, clsBrSegment::LabelLength,
        WindowServices::text(4106,
                             QStringLiteral("The segment label holds at most 50 characters: the "
                                            "rest was not taken.")));
    form.dtpdtSegmentDate = named(new DatePicker, "dtpdtSegmentDate");
    form.dtpdtImportDate = named(new DatePicker, "dtpdtImportDate");
    form.txtdtSegmentTime = named(new QLineEdit, "txtdtSegmentTime");
    form.cbolCategoryID = named(new ComboBox, "cbolCategoryID");
    form.cbolEventId = named(new ComboBox, "cbolEventId");
    form.cbolSegmentTypeID = named(new ComboBox, "cbolSegmentTypeID");
    for (ComboBox* cbo : {form.cbolCategoryID, form.cbolEventId, form.cbolSegmentTypeID})
        clsTxtBoxHelper::HoldLength(cbo);  // a name typed here may become a new entry
    for (QWidget* typed :
         std::initializer_list<QWidget*>{form.txtsSegmentLabel, form.txtdtSegmentTime, form.cbolCategoryID,
                                         form.cbolEventId, form.cbolSegmentTypeID})
        clsTxtBoxHelper::KeepNulOut(typed);
    form.chkfReviewed = named(new QCheckBox(QStringLiteral("Reviewed?")), "chkfReviewed");
    form.cmdDetailsCategory = button("cmdDetailsCategory", "details");
    form.cmdDetailsEvent = button("cmdDetailsEvent", "details");
    form.cmdDetailsSegmentType = button("cmdDetailsSegmentType", "details");
    header->addWidget(label("lblSegment", "Segment:"), 0, 0);
    header->addWidget(form.txtsSegmentLabel, 0, 1);
    header->addWidget(label("lblSegmentDate", "Segment Date:"), 0, 2);
    header->addWidget(form.dtpdtSegmentDate, 0, 3, 1, 2);
    header->addWidget(label("lblImportDate", "Import Date:"), 0, 5);
    header->addWidget(form.dtpdtImportDate, 0, 6, 1, 2);
    header->addWidget(label("lblSegmentTime", "Segment Time:"), 1, 0);
    header->addWidget(form.txtdtSegmentTime, 1, 1);
    header->addWidget(label("lblCategory", "Athlete Category:"), 1, 2);
    header->addWidget(form.cbolCategoryID, 1, 3);
    header->addWidget(form.cmdDetailsCategory, 1, 4);
    header->addWidget(form.chkfReviewed, 1, 5, 1, 3);
    header->addWidget(label("lblEvent", "Event:"), 2, 0);
    header->addWidget(form.cbolEventId, 2, 1);
    header->addWidget(form.cmdDetailsEvent, 2, 2);
    header->addWidget(label("lblSegmentType", "Type:"), 2, 3);
    header->addWidget(form.cbolSegmentTypeID, 2, 4, 1, 3);
    header->addWidget(form.cmdDetailsSegmentType, 2, 7);
    header->setColumnStretch(1, 1);
    header->setColumnStretch(3, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{form.txtsSegmentLabel, form.dtpdtSegmentDate,
                                                      form.dtpdtImportDate, form.txtdtSegmentTime, form.cbolCategoryID,
                                                      form.cbolEventId, form.cbolSegmentTypeID, form.chkfReviewed})
        bound(w);
    outer->addWidget(form.fraHeader);

    form.ssTab1 = named(new QTabWidget, "ssTab1");
    auto* detailsPage = new QWidget;
    auto* details = new QVBoxLayout(detailsPage);
    details->setContentsMargins(4, 4, 4, 4);
    form.dbgMain = named(new DataGrid, "dbgMain");
    const char* const captions[clsSegmentRows::ColumnCount] = {
        "lSegmentDetailID", "lSegmentID", "",        "mem", "dCumTime", "Cum", "Lap", "dRate", "Rate", "DiPs", "Speed",
        "Distance",         "Athlete",    "Comments"};
    for (int c = 0; c < clsSegmentRows::ColumnCount; ++c)
        form.dbgMain->AddColumn(clsSegmentRows::ColumnNames().at(c), QString::fromLatin1(captions[c]));
    // Lap, distance per stroke and speed are only ever worked out.
    for (int c : {int(clsSegmentRows::colLap), int(clsSegmentRows::colDips), int(clsSegmentRows::colSpeed)})
        form.dbgMain->Columns(c)->Locked(true);
    details->addWidget(form.dbgMain, 1);
    form.dbgRosterForDetail = named(new DataGrid, "dbgRosterForDetail");
    form.dbgRosterForDetail->setFixedHeight(Twips::toPixelsY(form.dbgRosterForDetail, 1050));
    form.dbgRosterForDetail->setMinimumWidth(
        Twips::toPixelsX(form.dbgRosterForDetail, frmSegmentDetail::DesignWidth - 5310));
    auto* athletes = new QHBoxLayout;
    athletes->addWidget(form.dbgRosterForDetail);
    athletes->addStretch(1);
    details->addLayout(athletes);
    form.ssTab1->addTab(detailsPage, QStringLiteral("De&tails"));

    auto* generalPage = new QWidget;
    auto* general = new QVBoxLayout(generalPage);
    general->addWidget(label("lblSegmentNotes", "Segment Notes:"));
    form.txtmNotes = named(new TextArea, "txtmNotes");
    clsTxtBoxHelper::KeepNulOut(form.txtmNotes);
    bound(form.txtmNotes);
    general->addWidget(form.txtmNotes, 1);
    form.ssTab1->addTab(generalPage, QStringLiteral("&General"));
    outer->addWidget(form.ssTab1, 1);

    form.cmdAddRate = button("cmdAddRate", "Add &Rate");
    form.cmdAddTime = button("cmdAddTime", "Add T&ime");
    form.cmdDeleteRow = button("cmdDeleteRow", "&Delete Row");
    form.cmdPrintGrid = button("cmdPrintGrid", "&Print Grid");
    form.cmdSave = button("cmdSave", "&Save");
    form.cmdClose = button("cmdClose", "&Close");
    // Row commands, printing and the detail buttons have no work here yet.
    for (QPushButton* b : {form.cmdAddRate, form.cmdAddTime, form.cmdDeleteRow, form.cmdPrintGrid,
                           form.cmdDetailsCategory, form.cmdDetailsEvent, form.cmdDetailsSegmentType})
        b->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {form.cmdAddRate, form.cmdAddTime, form.cmdDeleteRow, form.cmdPrintGrid})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(form.cmdSave);
    buttons->addWidget(form.cmdClose);
    outer->addLayout(buttons);
    return body;
}
