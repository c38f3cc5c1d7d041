#pragma once

#include "lists/RecordWindow.h"

class DatePicker;
class QLineEdit;

// The events segments are assigned to, each with its dates and times.
class frmEvent : public RecordWindow {
    Q_OBJECT
public:
    explicit frmEvent(QWidget* parent = nullptr);

    QLineEdit* txtEvent = nullptr;
    QLineEdit* txtDescription = nullptr;
    DatePicker* dtpStartDate = nullptr;
    DatePicker* dtpEndDate = nullptr;
    QLineEdit* txtStartTime = nullptr;
    QLineEdit* txtEndTime = nullptr;
    QPlainTextEdit* txtNotes = nullptr;

protected:
    void clearDetail() override;
    void fillDetail() override;
    void writeDetail(Recordset& row) override;
    Value writeRecord_m() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool isUserChange(QWidget* control) const override;

private slots:
    void dtpStartDate_Change();
    void dtpEndDate_Change();
    void dbgMain_BeforeUpdate(bool* cancel);

private:
    // A time box's text when the page was filled, and the stored time it shows.
    struct ShownTime {
        QString text;
        Value stored = Value::null();
    };

    QLineEdit* addTimeRow_m(const char* boxName, const char* labelName, const char* caption);
    void timeBox_Validate(QLineEdit* box);
    static Value boxTime_m(const QLineEdit* box, const ShownTime& shown);
    bool m_validating = false;
    ShownTime m_shownStart;
    ShownTime m_shownEnd;
};
