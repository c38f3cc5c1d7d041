#include "app/clsGridSettings.h"

#include "app/clsLocaleInfo.h"
#include "app/clsRegistry.h"
#include "platform/AppError.h"
#include "platform/DataGrid.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

const QString ClassName = QStringLiteral("clsGridSettings");

QString valueName(const DataGrid* grid, int column, const char* what)
{
    return grid->objectName() + QStringLiteral("_Column") + QString::number(column) + QLatin1Char('_')
        + QLatin1String(what);
}

// A saved value that is there at all, even "0", counts; an empty one does not.
bool isSaved(const Value& v) { return !v.isNullOrEmpty() && !v.asText().isEmpty(); }

}  // namespace

QString clsGridSettings::sectionKey(const QWidget* window) const
{
    return m_baseKey + QStringLiteral("\\GridSettings\\") + window->objectName();
}

bool clsGridSettings::RestoreSettings_pf(QWidget* window, DataGrid* grid)
{
    try {
        clsRegistry reg;
        clsLocaleInfo locale;
        const QString key = sectionKey(window);
        if (!isSaved(reg.GetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, valueName(grid, 0, "Order"))))
            return false;

        struct Placement {
            int order;
            int column;
        };
        std::vector<Placement> placements;
        for (int i = 0; i < grid->ColumnCount(); ++i) {
            const Value width = reg.GetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, valueName(grid, i, "Width"));
            if (isSaved(width))
                grid->Columns(i)->Width(Value::val(locale.cUSDecimalSymbol(width).asText()));
            const Value order = reg.GetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, valueName(grid, i, "Order"));
            if (isSaved(order))
                placements.push_back({Value::roundToLong(Value::val(order.asText())), i});
        }
        // Placed left to right, each move leaves the ones already placed alone;
        // equal orders (a damaged entry) resolve by column index.
        std::stable_sort(placements.begin(), placements.end(),
                         [](const Placement& a, const Placement& b) { return a.order < b.order; });
        for (const Placement& p : placements)
            grid->Columns(p.column)->Order(p.order);
        return true;
    } catch (const AppError& e) {
        throw e.asObjectError(ClassName + QStringLiteral(".RestoreSettings_pf"));
    }
}

void clsGridSettings::SaveSettings_p(QWidget* window, DataGrid* grid)
{
    try {
        clsRegistry reg;
        clsLocaleInfo locale;
        const QString key = sectionKey(window);
        for (int i = 0; i < grid->ColumnCount(); ++i) {
            const DataGridColumn* c = grid->Columns(i);
            reg.SetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, valueName(grid, i, "Width"),
                                 locale.cUSDecimalSymbol(Value(c->Width())));
            reg.SetRegistryValue(clsRegistry::HKEY_LOCAL_MACHINE, key, valueName(grid, i, "Order"),
                                 Value(QString::number(c->Order())));
        }
    } catch (const AppError& e) {
        throw e.asObjectError(ClassName + QStringLiteral(".SaveSettings_p"));
    }
}

void clsGridSettings::DeleteGridSettingsRegistryEntry_p()
{
    try {
        clsRegistry().DeleteKeyWithSubKeys(clsRegistry::HKEY_LOCAL_MACHINE,
                                           m_baseKey + QStringLiteral("\\GridSettings"));
    } catch (...) {
    }
}
