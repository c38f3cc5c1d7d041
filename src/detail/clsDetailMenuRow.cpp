#include "detail/clsDetailMenuRow.h"

#include "app/CallByName.h"

MenuRow clsDetailMenuRow::Build_p(bool detailsPage, const QObject* window)
{
    MenuRow row;
    for (const char* item :
         {"mnuEditCopy", "mnuEditCut", "mnuEditPaste", "mnuEditUndo", "mnuFileImport", "mnuViewSearchSegments",
          "mnuViewRoster", "mnuViewEvents", "mnuViewSegCategory", "mnuViewSegType"})
        row.set(QString::fromLatin1(item), true);
    const struct {
        const char* item;
        const char* member;
    } onDetails[] = {{"mnuEditDelete", "deleteRows_p"},
                     {"mnuEditFillDown", "FillDown_pf"},
                     {"mnuEditFind", "DataSource_Po"},
                     {"mnuEditReplace", "DataSource_Po"},
                     {"mnuEditSelectAll", "SelectAllRows_p"},
                     {"mnuSortAscending", "SetOrder_P"},
                     {"mnuSortContext", "SetOrder_P"},
                     {"mnuSortDescending", "SetOrder_P"},
                     {"mnuFilePageSetup", "PageSetup_P"},
                     {"mnuFilePrint", "Print_P"},
                     {"mnuFilePrintPreview", "Print_P"},
                     {"mnuViewComments", "SetGridColumns_p"},
                     {"mnuViewDiPS", "SetGridColumns_p"},
                     {"mnuViewDistanceFeet", "SetDistanceType_p"},
                     {"mnuViewDistanceKilometers", "SetDistanceType_p"},
                     {"mnuViewDistanceMeters", "SetDistanceType_p"},
                     {"mnuViewDistanceMiles", "SetDistanceType_p"},
                     {"mnuViewDistanceYards", "SetDistanceType_p"},
                     {"mnuViewDistanceSpeed", "SetGridColumns_p"},
                     {"mnuViewDistanceSpeedType", "SetDistanceType_p"},
                     {"mnuViewRatesSecondsPerCycle", "SetRateType_p"},
                     {"mnuViewRatesStrokesPerMinute", "SetRateType_p"},
                     {"mnuViewRateType", "SetRateType_p"}};
    for (const auto& d : onDetails)
        row.set(QString::fromLatin1(d.item), detailsPage && CallByName::has(window, d.member));
    return row;
}
