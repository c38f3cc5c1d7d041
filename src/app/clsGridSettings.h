#pragma once

#include <QString>

class DataGrid;
class QWidget;

// Keeps the column widths and display order of a window's grids in the
// settings store under <base>\GridSettings\<window name>, one pair of values
// per column: <grid>_Column<i>_Width (twips, "." as decimal sign) and
// <grid>_Column<i>_Order.
class clsGridSettings {
public:
    clsGridSettings() = default;
    virtual ~clsGridSettings() = default;

    virtual void BaseRegistrySectionKeyName_ps(const QString& baseKey) { m_baseKey = baseKey; }
    // True when a saved layout was applied; False (nothing changed) when the
    // grid has none. Columns without saved values keep their designed layout.
    virtual bool RestoreSettings_pf(QWidget* window, DataGrid* grid);
    // Saves every column, hidden ones at the width they come back with.
    virtual void SaveSettings_p(QWidget* window, DataGrid* grid);
    // Forgets every saved grid layout of every window; errors are ignored.
    virtual void DeleteGridSettingsRegistryEntry_p();

private:
    QString sectionKey(const QWidget* window) const;

    QString m_baseKey;
};
