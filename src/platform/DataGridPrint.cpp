#include "platform/DataGridPrint.h"

#include "platform/AppError.h"
#include "platform/AppInfo.h"
#include "platform/DataGrid.h"
#include "platform/MessagePresenter.h"
#include "platform/Recordset.h"
#include "platform/Twips.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include <cmath>

namespace {

constexpr qint32 PrinterError = 482;

PrintDialogService::Hooks& hooks()
{
    static PrintDialogService::Hooks h;
    return h;
}

// A line of the header or footer: "\t" moves on to the centre, then the right.
void paintThreeParts(QPainter& p, const QRect& r, const QString& line)
{
    const QStringList parts = line.split(QLatin1Char('\t'));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, parts.value(0));
    if (parts.size() > 1)
        p.drawText(r, Qt::AlignHCenter | Qt::AlignVCenter, parts.value(1));
    if (parts.size() > 2)
        p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, parts.mid(2).join(QLatin1Char(' ')));
}

}  // namespace

bool PrintDialogService::printerAvailable()
{
    if (hooks().printerAvailable)
        return hooks().printerAvailable();
    return !QPrinterInfo::availablePrinters().isEmpty();
}

void PrintDialogService::preparePrinter(QPrinter& printer)
{
    // Every print starts out aimed at the default printer: a file the print
    // dialog was told to write once is not written again unasked. The page as
    // set up stays.
    printer.setOutputFileName(QString());
    const QString name = QPrinterInfo::defaultPrinterName();
    if (!name.isEmpty())
        printer.setPrinterName(name);
    if (hooks().preparePrinter)
        hooks().preparePrinter(printer);
}

bool PrintDialogService::pageSetup(QPrinter& printer, QWidget* parent)
{
    if (hooks().pageSetup)
        return hooks().pageSetup(printer);
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool PrintDialogService::printDialog(QPrinter& printer, QWidget* parent)
{
    if (hooks().printDialog)
        return hooks().printDialog(printer);
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

PrintDialogService::PreviewChoice PrintDialogService::preview(QPrinter& printer, const QString& caption,
                                                              const Paint& paint, QWidget* parent)
{
    if (hooks().preview)
        return hooks().preview(printer, caption, paint);
    QPrintPreviewDialog dialog(&printer, parent);
    if (!caption.isEmpty())
        dialog.setWindowTitle(caption);
    // Readable at once: most of the screen, not the dialog's small default.
    if (const QScreen* screen = dialog.screen())
        dialog.resize(screen->availableGeometry().size() * 0.85);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) { paint(p); });
    // The preview's own Print and Page Setup would open their dialog modal
    // over the modal preview, from inside its event loop; some window
    // managers never give that second dialog the focus, and the program
    // hangs. They close the preview instead, and the caller goes on.
    PreviewChoice choice = PreviewChoice::Close;
    const auto reroute = [&](const char* text, PreviewChoice asked) {
        const QString wanted = QCoreApplication::translate("QPrintPreviewDialog", text);
        for (QAction* action : dialog.findChildren<QAction*>())
            if (action->text() == wanted) {
                QObject::disconnect(action, nullptr, &dialog, nullptr);
                QObject::connect(action, &QAction::triggered, &dialog, [&dialog, &choice, asked] {
                    choice = asked;
                    dialog.accept();
                });
            }
    };
    reroute("Print", PreviewChoice::Print);
    reroute("Page setup", PreviewChoice::PageSetup);
    dialog.exec();
    return choice;
}

void PrintDialogService::install(Hooks h) { hooks() = std::move(h); }

DataGridPrintInfo::DataGridPrintInfo(DataGrid* grid) : m_grid(grid) {}

DataGridPrintInfo::~DataGridPrintInfo() = default;

QPrinter& DataGridPrintInfo::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void DataGridPrintInfo::PrintData()
{
    if (!PrinterAvailable())
        AppError::raise(PrinterError, QStringLiteral("Printer error"), QStringLiteral("DataGrid"));
    QPrinter& p = printer();
    PrintDialogService::preparePrinter(p);
    render(p);
}

void DataGridPrintInfo::PrintPreview()
{
    if (!PrinterAvailable())
        AppError::raise(PrinterError, QStringLiteral("Printer error"), QStringLiteral("DataGrid"));
    QPrinter& p = printer();
    PrintDialogService::preparePrinter(p);
    // The dialogs stand over the window the grid is in, which stays shown.
    QWidget* owner = m_grid->window();
    for (;;) {
        switch (PrintDialogService::preview(
            p, m_previewCaption, [this](QPrinter* target) { render(*target); }, owner)) {
        case PrintDialogService::PreviewChoice::PageSetup:
            PrintDialogService::pageSetup(p, owner);
            continue;  // back to the preview, on the page as set up now
        case PrintDialogService::PreviewChoice::Print:
            if (PrintDialogService::printDialog(p, owner)) {
                render(p);
                // A file picked in the dialog is said, or the user looks for paper.
                if (!p.outputFileName().isEmpty())
                    MessagePresenter::show(
                        QStringLiteral("Printed to the file %1").arg(QDir::toNativeSeparators(p.outputFileName())),
                        MessageBoxStyle::Information, AppInfo::title());
            }
            return;
        case PrintDialogService::PreviewChoice::Close: return;
        }
    }
}

bool DataGridPrintInfo::PageSetup() { return PrintDialogService::pageSetup(printer(), m_grid->window()); }

int DataGridPrintInfo::render(QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        AppError::raise(PrinterError, QStringLiteral("Printer error"), QStringLiteral("DataGrid"));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int pages =
        paint(painter, QRect(0, 0, page.width(), page.height()), printer.resolution(), [&] { printer.newPage(); });
    painter.end();
    return pages;
}

int DataGridPrintInfo::paintPageHeader(QPainter& painter, const QRect& area, int) const
{
    if (m_pageHeader.isEmpty())
        return 0;
    const int lineHeight = painter.fontMetrics().height();
    int y = area.top();
    for (const QString& line : m_pageHeader.split(QLatin1Char('\n'))) {
        paintThreeParts(painter, QRect(area.left(), y, area.width(), lineHeight), line);
        y += lineHeight;
    }
    return y - area.top() + lineHeight / 2;
}

int DataGridPrintInfo::paint(QPainter& painter, const QRect& area, int dpi, const std::function<void()>& newPage)
{
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    const QFontMetrics fm = painter.fontMetrics();
    const int lineHeight = fm.height() + fm.height() / 4;

    // Columns as shown, each at least as wide as its widest text; when they
    // are wider than the page together, the grid is drawn smaller, text and
    // all, so that no column is cut.
    struct PrintColumn {
        int index;
        int width;
        QString caption;
    };
    Recordset* rs = m_grid->DataSource();
    const int rows = (rs && rs->IsOpen()) ? rs->RecordCount() : 0;
    const int pad = std::max(1, dpi / 48);
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics boldFm(bold, painter.device());
    const auto text = [&](int row, int column) {
        try {
            return m_grid->cellText(row, column);
        } catch (const AppError&) {
            return QString();
        }
    };
    std::vector<PrintColumn> cols;
    const QHeaderView* h = m_grid->horizontalHeader();
    int total = 0;
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (logical < 0 || logical >= m_grid->ColumnCount() || !m_grid->Columns(logical)->Visible())
            continue;
        const DataGridColumn* c = m_grid->Columns(logical);
        int width = std::max(Twips::toPixels(c->Width(), dpi), boldFm.horizontalAdvance(c->Caption()));
        for (int row = 0; row < rows; ++row)
            width = std::max(width, fm.horizontalAdvance(text(row, logical)));
        width += 2 * pad;
        cols.push_back({logical, width, c->Caption()});
        total += width;
    }
    const double scale = total > area.width() ? double(area.width()) / total : 1.0;
    const int footerHeight = m_pageFooter.isEmpty() ? 0 : lineHeight * 2;

    int page = 1;
    int row = 0;
    for (;;) {
        const int top = area.top() + paintPageHeader(painter, area, page);
        // The grid's own units from here, scaled down to the page's width.
        painter.save();
        painter.translate(area.left(), top);
        painter.scale(scale, scale);
        const double room = (area.bottom() - footerHeight - top) / scale;
        int y = 0;
        if (page == 1 || m_repeatHeaders) {
            int x = 0;
            painter.setFont(bold);
            for (const auto& c : cols) {
                painter.drawText(QRect(x + pad, y, c.width - 2 * pad, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                                 boldFm.elidedText(c.caption, Qt::ElideRight, c.width - 2 * pad));
                x += c.width;
            }
            painter.setFont(font);
            y += lineHeight;
            painter.drawLine(0, y, total, y);
        }
        do {
            if (row >= rows)
                break;
            int x = 0;
            for (const auto& c : cols) {
                const QString cell = text(row, c.index);
                const Qt::Alignment align =
                    (cell.size() > 0 && (cell.at(0).isDigit() || cell.at(0) == QLatin1Char('-'))) ? Qt::AlignRight
                                                                                                  : Qt::AlignLeft;
                painter.drawText(QRect(x + pad, y, c.width - 2 * pad, lineHeight), align | Qt::AlignVCenter,
                                 fm.elidedText(cell, Qt::ElideRight, c.width - 2 * pad));
                x += c.width;
            }
            y += lineHeight;
            ++row;
        } while (y + lineHeight <= room);
        painter.restore();
        if (footerHeight > 0)
            paintThreeParts(painter, QRect(area.left(), area.bottom() - lineHeight, area.width(), lineHeight),
                            m_pageFooter);
        if (row >= rows)
            break;
        newPage();
        ++page;
    }
    return page;
}
