#include "app/ChildForms.h"

#include <QHash>

namespace {
QHash<QString, ChildForms::Factory>& factories()
{
    static QHash<QString, ChildForms::Factory> f;
    return f;
}
}  // namespace

namespace ChildForms {
void registerForm(const QString& name, Factory factory) { factories().insert(name, std::move(factory)); }

bool isRegistered(const QString& name) { return factories().contains(name); }

QWidget* create(const QString& name)
{
    const auto it = factories().constFind(name);
    return it == factories().constEnd() ? nullptr : (*it)();
}
}  // namespace ChildForms
