#pragma once

#include <QString>
#include <QWidget>
#include <functional>

// Creates child windows by their class name ("frmImport", "frmSegmentList"),
// so the main window and the windows that open each other need not know
// every window class. The program registers each window kind once at
// start-up (WindowKinds::registerAll).
namespace ChildForms {
using Factory = std::function<QWidget*()>;

void registerForm(const QString& name, Factory factory);
bool isRegistered(const QString& name);
// A new, not yet shown instance, or null when that kind is not registered.
QWidget* create(const QString& name);
}  // namespace ChildForms
