#pragma once

#include <QString>

#include <functional>
#include <memory>

class DataGrid;
class QPainter;
class QPrinter;
class QRect;
class QWidget;

// The printing dialogs, behind one replaceable service so that tests print
// to a file and never wait on a dialog. Each dialog is modal over the given
// window (none: a window of its own).
class PrintDialogService {
public:
    // How the user left the preview: closed, or asking to print or to set up
    // the page, which the caller does once the preview has gone.
    enum class PreviewChoice { Close, Print, PageSetup };
    using Paint = std::function<void(QPrinter*)>;

    struct Hooks {
        std::function<bool()> printerAvailable;
        // Readies the printer before a print or preview (tests: a PDF file).
        std::function<void(QPrinter&)> preparePrinter;
        // Page setup; false when cancelled.
        std::function<bool(QPrinter&)> pageSetup;
        // The print dialog: printer and pages; false when cancelled.
        std::function<bool(QPrinter&)> printDialog;
        // Shows a preview that calls paint for the printer it draws on.
        std::function<PreviewChoice(QPrinter&, const QString& caption, const Paint& paint)> preview;
    };
    static bool printerAvailable();
    static void preparePrinter(QPrinter& printer);
    static bool pageSetup(QPrinter& printer, QWidget* parent = nullptr);
    static bool printDialog(QPrinter& printer, QWidget* parent = nullptr);
    static PreviewChoice preview(QPrinter& printer, const QString& caption, const Paint& paint,
                                 QWidget* parent = nullptr);
    // Hooks left empty keep the real behaviour; install({}) restores it all.
    static void install(Hooks hooks);
};

// How a grid prints: a page header of lines ("\n") in three parts ("\t"
// splits left, centre and right), the column captions on every page and the
// rows as shown, hidden columns left out.
class DataGridPrintInfo {
public:
    explicit DataGridPrintInfo(DataGrid* grid);
    ~DataGridPrintInfo();

    QString PageHeader() const { return m_pageHeader; }
    void PageHeader(const QString& text) { m_pageHeader = text; }
    QString PageFooter() const { return m_pageFooter; }
    void PageFooter(const QString& text) { m_pageFooter = text; }
    QString PreviewCaption() const { return m_previewCaption; }
    void PreviewCaption(const QString& text) { m_previewCaption = text; }
    bool RepeatColumnHeaders() const { return m_repeatHeaders; }
    void RepeatColumnHeaders(bool on) { m_repeatHeaders = on; }

    // Prints every row on the default printer; 482 when there is no printer.
    void PrintData();
    // The preview, from which the user may set up the page (the preview
    // then comes back) or print, through the print dialog; a file picked
    // there is said once it is written.
    void PrintPreview();
    // False when the page setup was cancelled.
    bool PageSetup();
    static bool PrinterAvailable() { return PrintDialogService::printerAvailable(); }

    QPrinter& printer();
    // Paints every page on the printer; returns the page count.
    int render(QPrinter& printer);
    // Paints every page with the painter on an area of the given resolution,
    // calling newPage between pages; returns the page count.
    int paint(QPainter& painter, const QRect& area, int dpi, const std::function<void()>& newPage);
    // Paints the header lines into the rectangle; returns the height used.
    int paintPageHeader(QPainter& painter, const QRect& area, int pageNumber) const;

private:
    DataGrid* m_grid;
    std::unique_ptr<QPrinter> m_printer;
    QString m_pageHeader;
    QString m_pageFooter;
    QString m_previewCaption;
    bool m_repeatHeaders = true;
};
