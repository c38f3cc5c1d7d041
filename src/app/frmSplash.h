#pragma once

#include <QWidget>
#include <functional>

class QFrame;
class QLabel;
class QProgressBar;

// The start-up window: shows progress while the program builds itself and
// stays up at least MinimumSeconds after it loaded. Asked to close earlier,
// it holds the close until then without running any events.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    // Where the splash reads the time and how it waits; tests pass a fake.
    struct Clock {
        std::function<qint64()> elapsedMs;  // monotonic milliseconds
        std::function<void(int ms)> sleepMs;
    };
    static constexpr int WaitStepMs = 10;

    explicit frmSplash(qint32 minimumSeconds = 0, Clock clock = {}, QWidget* parent = nullptr);
    ~frmSplash() override;

    // The first size in twips, and the least the window takes.
    static constexpr int DesignWidth = 7200;
    static constexpr int DesignHeight = 4500;
    QSize sizeHint() const override;

    qint32 MinimumSeconds() const { return m_minimumSeconds; }
    void MinimumSeconds(qint32 seconds) { m_minimumSeconds = seconds; }

    Q_INVOKABLE void Status_ps(const QString& status);
    Q_INVOKABLE void StatusDetail_ps(const QString& detail);
    Q_INVOKABLE void Progress_pl(qint32 value);

    // Paints the window now; right after show() also lets it map, without user input.
    void Refresh();
    // Stops staying on top of other windows, so a message box shown while it
    // is up is not hidden behind it.
    void yieldTopmost();
    // True once the window has unloaded (closed by its creator or the user).
    bool Unloaded() const { return m_unloaded; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void waitForMinimum_m();
    void showStatus_m(const QString& text);

    QFrame* Frame1 = nullptr;
    QProgressBar* prgProgress = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblMaker = nullptr;

    Clock m_clock;
    qint32 m_minimumSeconds = 0;
    qint64 m_loadedAtMs = 0;
    bool m_shownOnce = false;
    bool m_unloaded = false;
    QString m_status;
};
