#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QProgressBar;

// A child window with one progress bar, for long jobs such as the export;
// the caller captions it, sets the maximum and advances it.
class frmProgress : public QWidget {
    Q_OBJECT
public:
    explicit frmProgress(QWidget* parent = nullptr);

    // The first size in twips, and the least the window takes.
    static constexpr int DesignWidth = 5400;
    static constexpr int DesignHeight = 1650;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // Both raise 380 for a value the bar cannot take, as the bar control did.
    Q_INVOKABLE void ProgressBarMax_p(qint32 maximum);
    Q_INVOKABLE void progressBarValue_p(qint32 value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    // Makes room for the whole status text (it names a file): wider up to the
    // document area, wrapped at the path's separators beyond that.
    void fitStatus_m();

    QGroupBox* fraStatus = nullptr;
    QProgressBar* prgProgress = nullptr;
    QLabel* lblStatus = nullptr;
};
