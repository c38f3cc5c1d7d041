#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// One row of menu states: the 35 menu items a window controls, each enabled
// or not. The top menus, separators, Exit, the segment list item, Window and
// Help are never part of a row.
struct MenuRow {
    // Every controlled item by its menu item name.
    static const QStringList& controlledItems()
    {
        static const QStringList items = {
            QStringLiteral("mnuEditClear"),
            QStringLiteral("mnuEditCopy"),
            QStringLiteral("mnuEditCut"),
            QStringLiteral("mnuEditPaste"),
            QStringLiteral("mnuEditUndo"),
            QStringLiteral("mnuEditDelete"),
            QStringLiteral("mnuEditFillDown"),
            QStringLiteral("mnuEditFind"),
            QStringLiteral("mnuEditReplace"),
            QStringLiteral("mnuEditSelectAll"),
            QStringLiteral("mnuSortAscending"),
            QStringLiteral("mnuSortContext"),
            QStringLiteral("mnuSortDescending"),
            QStringLiteral("mnuFileImport"),
            QStringLiteral("mnuFileExport"),
            QStringLiteral("mnuFilePageSetup"),
            QStringLiteral("mnuFilePrint"),
            QStringLiteral("mnuFilePrintPreview"),
            QStringLiteral("mnuViewSearchSegments"),
            QStringLiteral("mnuViewRoster"),
            QStringLiteral("mnuViewEvents"),
            QStringLiteral("mnuViewSegCategory"),
            QStringLiteral("mnuViewSegType"),
            QStringLiteral("mnuViewComments"),
            QStringLiteral("mnuViewDiPS"),
            QStringLiteral("mnuViewDistanceFeet"),
            QStringLiteral("mnuViewDistanceKilometers"),
            QStringLiteral("mnuViewDistanceMeters"),
            QStringLiteral("mnuViewDistanceMiles"),
            QStringLiteral("mnuViewDistanceSpeed"),
            QStringLiteral("mnuViewDistanceSpeedType"),
            QStringLiteral("mnuViewDistanceYards"),
            QStringLiteral("mnuViewRatesSecondsPerCycle"),
            QStringLiteral("mnuViewRatesStrokesPerMinute"),
            QStringLiteral("mnuViewRateType"),
        };
        return items;
    }

    MenuRow() = default;
    // A row with exactly these items enabled.
    explicit MenuRow(const QStringList& enabledItems) : enabled(enabledItems.begin(), enabledItems.end()) {}

    bool isEnabled(const QString& item) const { return enabled.contains(item); }
    void set(const QString& item, bool on)
    {
        if (on)
            enabled.insert(item);
        else
            enabled.remove(item);
    }

    QSet<QString> enabled;
};
