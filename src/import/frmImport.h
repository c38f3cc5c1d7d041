#pragma once

#include "app/clsFormRefresher.h"
#include "import/WatchImage.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class clsDownloadSession;
class clsHourglass;

// The download window: the user checks the serial port number and presses
// Import; the window wakes the watch, takes its memory into temp.bin in the
// program folder, has it decoded into the staging tables and hands over to
// the review window. The transfer itself runs in clsDownloadSession.
class frmImport : public QWidget {
    Q_OBJECT
public:
    // Empties the staging tables before a download.
    using StagingClearer = std::function<void()>;
    // Decodes the image file into the staging tables for that import date;
    // gives the segments it skipped, the rest being imported.
    using ImageParser =
        std::function<QList<WatchImage::SkippedSegment>(const QString& imagePath, const QDate& importDate)>;
    // Opens the review window for the import date, handing on the refresher;
    // true when one was opened (the download window then closes without
    // putting back the no-child menu state).
    using ReviewOpener = std::function<bool(const QDate& importDate, clsFormRefresher* refresher)>;

    // Process-wide seams for the parts around the transfer; each defaults to
    // doing nothing until the program wires the parser and the review window.
    static void setStagingClearer(StagingClearer clearer);
    static void setImageParser(ImageParser parser);
    static void setReviewOpener(ReviewOpener opener);

    explicit frmImport(QWidget* parent = nullptr);
    ~frmImport() override;

    Q_INVOKABLE clsFormRefresher* FormRefresher_po() const { return m_refresher.data(); }
    Q_INVOKABLE void FormRefresher_po(clsFormRefresher* refresher) { m_refresher = refresher; }
    // Applies this window's menu and toolbar row to the main window.
    Q_INVOKABLE void Form_Activate();
    // A download is waking the watch or receiving (other windows ask before starting one).
    Q_INVOKABLE bool isTransferring() const;

    // The first size in twips, and the least the window takes.
    static constexpr int DesignWidth = 7572;
    static constexpr int DesignHeight = 4884;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    clsDownloadSession* session() const { return m_session; }
    QDate ImportDate() const { return m_importDate; }
    qint32 ImportStatus() const { return m_status; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void cmdImport_Click();
    void cmdCancel_Click();
    void MSComm1_OnComm(qint32 number, const QString& description);
    void tmrReceiveInterval_Timer(const QString& imagePath);
    void TransferIncomplete_m(const QString& imagePath, qint64 bytes, bool cutAtLimit);
    void WaitTimedOut_m();

private:
    void Form_Load();
    void Form_Unload();
    void ChangeImportStatus_m(qint32 status);
    void SetStatusOfMdiMenus_Pf();
    void backToIdle_m();
    // A download that cannot start, said in words; the port box is ready for another try.
    void startRefused_m(const QString& words);
    void readyForAnotherTry_m();
    bool otherDownloadBlocks_m();
    QString text_m(qint32 id, const QString& defaultText) const;
    // The text with its "|" filled in.
    QString text_m(qint32 id, const QString& defaultText, const QString& tag) const;
    QString setting_m(qint32 id, const QString& defaultText) const;
    // The contents of a program-folder file named by a setting, or "" when
    // the setting is empty or the file gives nothing.
    QString settingFileText_m(qint32 settingId) const;

    QGroupBox* fraSettings = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtCommPort = nullptr;
    QGroupBox* fraStatus = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdCancel = nullptr;
    QFrame* picInstructions = nullptr;
    QLabel* lblPicBoxHeader = nullptr;
    QFrame* PicLine = nullptr;
    QPlainTextEdit* txtInstructions = nullptr;
    clsDownloadSession* m_session = nullptr;

    QDate m_importDate;
    QString m_imagePath;
    QString m_portTextAsLoaded;
    qint32 m_status = 0;
    bool m_reviewOpened = false;
    bool m_firstShowDone = false;
    bool m_unloaded = false;
    std::unique_ptr<clsHourglass> m_busy;
    QPointer<clsFormRefresher> m_refresher;
};
