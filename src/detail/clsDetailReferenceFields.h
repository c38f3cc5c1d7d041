#pragma once

#include "platform/Value.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

class ComboBox;
class DataGrid;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class clsAthleteAssignment;
class clsFamily;
class clsFormRefresher;
class clsSegmentDocument;

// The header fields of the segment detail window beyond their binding: Undo
// tracking, the time box's key filter and format, completion and the
// not-found prompts of the three reference combos, and the reference windows
// opened from them, whose saved id comes back through setObjectID_p.
class clsDetailReferenceFields : public QObject {
    Q_OBJECT
public:
    // The header controls it drives, and the rows' grid for a new athlete.
    struct Controls {
        QLineEdit* label;
        QLineEdit* time;
        QPlainTextEdit* notes;
        ComboBox* category;
        ComboBox* event;
        ComboBox* segmentType;
        QCheckBox* reviewed;
        QPushButton* categoryDetails;
        QPushButton* eventDetails;
        QPushButton* segmentTypeDetails;
        DataGrid* grid;
    };

    // The window is the reference windows' caller (their saved id comes back
    // through its setObjectID_p); its family and refresher go to them too.
    clsDetailReferenceFields(clsSegmentDocument& document, const Controls& controls, clsAthleteAssignment& athletes,
                             QWidget* window, std::function<clsFamily*()> family,
                             std::function<clsFormRefresher*()> refresher);

    // The call-back of a reference window after its save (ObjectTag, id).
    void setObjectID_p(qint32 lTag, const QVariant& vID);
    // A name a reference window is still adding is no entry yet: its combo
    // gets back what it held, so that the header can be read.
    void UnaddedNamesBack_p();
    // Opens the athlete window on a new athlete named as typed.
    void NewAthlete_M(const QString& sName, qint32 lCategoryID);

    // The reference windows; bNew opens a new record holding the combo's text.
    QWidget* OpenCategory_m(bool bNew);
    QWidget* OpenEvent_m(bool bNew);
    QWidget* OpenSegmentType_m(bool bNew);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void cmdDetailsCategory_Click();
    void cmdDetailsEvent_Click();
    void cmdDetailsSegmentType_Click();

private:
    struct Reference {
        ComboBox* cbo;
        const char* formName;
        const char* nameBox;
        qint32 tag;
        qint32 promptId;
        const char* promptText;
        const char* lostFocusProc;
        const char* openProc;
        QList<qint32> builtIns;
    };
    // What a combo held when it got the focus, for No and Cancel.
    struct Held {
        Value id;
        QString text;
    };

    const Reference* referenceOf(const QObject* control) const;
    QWidget* open_m(const Reference& r, bool bNew);
    void gotFocus_m(QWidget* control);
    qint16 txtdtSegmentTime_KeyPress(qint16 KeyAscii);
    void txtdtSegmentTime_LostFocus();
    void comboKeyPress_m(const Reference& r, int* keyAscii);
    // Boxes wait for the event loop: never one from inside a focus change.
    void queueLeave_m(ComboBox* cbo);
    void runQueue_m();
    void comboLeft_m(const Reference& r);
    // The prompt of a combo whose text names no item; true when a window opened.
    bool notFoundPrompt_m(const Reference& r);
    void restore_m(ComboBox* cbo, const Held& held);
    // A reference window opened to add the combo's name has gone.
    void referenceClosed_m(ComboBox* cbo, const QWidget* window);
    void select_m(ComboBox* cbo, const Value& id);
    void setAthlete_m(const Value& id);
    void showWindow_m(QWidget* w);
    // This window back from the minimised state it took for a reference window.
    void comeBack_m();
    void bringToFront_m(QWidget* w);
    QWidget* frame_m() const;

    clsSegmentDocument& m_doc;
    Controls m_c;
    clsAthleteAssignment& m_athletes;
    QWidget* m_window;
    std::function<clsFamily*()> m_family;
    std::function<clsFormRefresher*()> m_refresher;
    QList<Reference> m_references;
    QHash<const ComboBox*, Held> m_held;
    // The combos whose typed name a reference window is adding, with what
    // they held before and that window.
    struct Adding {
        Held held;
        const QWidget* window;
    };
    QHash<ComboBox*, Adding> m_adding;
    QList<ComboBox*> m_queue;
    bool m_queued = false;
    bool m_running = false;
    // The row a new athlete's name was typed into.
    Value m_athleteRow;
};
