#pragma once

#include <QSize>
#include <QString>

class QTableView;
class QWidget;

// Keeps each window where the user left it: state, position and size in
// twips under <base>\FormSettings\<window name>; centres windows with nothing
// saved and makes windows stay on top. A window comes back inside what can be
// seen of its MDI area (or the screen) and never below its minimum size.
class clsFormSettings {
public:
    clsFormSettings() = default;
    virtual ~clsFormSettings() = default;

    virtual void StayOnTop_p(QWidget* form);
    virtual void NotStayOnTop_p(QWidget* form);
    virtual void BaseRegistrySectionKeyName_ps(const QString& baseKey) { m_baseKey = baseKey; }
    // Centres the window in the parent main window, or on the screen without one.
    virtual void CenterForm_p(QWidget* form, QWidget* parent = nullptr);
    // False, with the window untouched, when nothing was saved for it.
    virtual bool RestorePosition_pf(QWidget* form, bool keepOnScreen);
    virtual void SavePosition_p(QWidget* form);

    // The widget that is moved for a window: its sub-window when it is shown
    // in one, else the window itself.
    static QWidget* frameOf(QWidget* form);
    // The least size of the widget that is moved for a window, its frame included.
    static QSize minimumFrameSize(QWidget* form);
    // Widens a window as it first shows, within the room it has, until its
    // grid shows every column (a saved size, restored after, still wins).
    static void FitColumns_p(QWidget* form, const QTableView* grid);
    // Makes a window fill what can be seen of its MDI area (or the screen's
    // work area), never below its minimum.
    static void FillRoom_p(QWidget* form);

private:
    QString sectionKey(const QWidget* form) const;

    QString m_baseKey;
};
