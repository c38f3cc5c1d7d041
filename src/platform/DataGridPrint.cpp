#include "platform/DataGridPrint.h"

#include "platform/AppError.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "platform/Twips.h"

#include <QHeaderView>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

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
    if (hooks().preparePrinter)
        hooks().preparePrinter(printer);
}

bool PrintDialogService::pageSetup(QPrinter& printer)
{
    if (hooks().pageSetup)
        return hooks().pageSetup(printer);
    QPageSetupDialog dialog(&printer);
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialogService::preview(QPrinter& printer, const QString& caption,
                                 const std::function<void(QPrinter*)>& paint)
{
    if (hooks().preview) {
        hooks().preview(printer, caption, paint);
        return;
    }
    QPrintPreviewDialog dialog(&printer);
    if (!caption.isEmpty())
        dialog.setWindowTitle(caption);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) { paint(p); });
    dialog.exec();
}

void PrintDialogService::install(Hooks h)
{
    hooks() = std::move(h);
}

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
    PrintDialogService::preview(p, m_previewCaption, [this](QPrinter* target) { render(*target); });
}

bool DataGridPrintInfo::PageSetup()
{
    return PrintDialogService::pageSetup(printer());
}

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

    // Columns as shown, at their shown widths, squeezed to the page when wider.
    struct PrintColumn {
        int index;
        int width;
        QString caption;
    };
    std::vector<PrintColumn> cols;
    const QHeaderView* h = m_grid->horizontalHeader();
    double total = 0;
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (logical < 0 || logical >= m_grid->ColumnCount() || !m_grid->Columns(logical)->Visible())
            continue;
        const DataGridColumn* c = m_grid->Columns(logical);
        const double w = c->Width() * dpi / Twips::PerInch;
        cols.push_back({logical, int(std::lround(w)), c->Caption()});
        total += w;
    }
    if (total > area.width() && total > 0)
        for (auto& c : cols)
            c.width = int(c.width * area.width() / total);

    Recordset* rs = m_grid->DataSource();
    const int rows = (rs && rs->IsOpen()) ? rs->RecordCount() : 0;
    const int footerHeight = m_pageFooter.isEmpty() ? 0 : lineHeight * 2;
    const int pad = std::max(1, dpi / 48);

    int page = 1;
    int row = 0;
    for (;;) {
        int y = area.top() + paintPageHeader(painter, area, page);
        if (page == 1 || m_repeatHeaders) {
            int x = area.left();
            QFont bold = font;
            bold.setBold(true);
            painter.setFont(bold);
            for (const auto& c : cols) {
                painter.drawText(QRect(x + pad, y, c.width - 2 * pad, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                                 painter.fontMetrics().elidedText(c.caption, Qt::ElideRight, c.width - 2 * pad));
                x += c.width;
            }
            painter.setFont(font);
            y += lineHeight;
            painter.drawLine(area.left(), y, area.left() + int(std::min<double>(total, area.width())), y);
        }
        const int bottom = area.bottom() - footerHeight;
        do {
            if (row >= rows)
                break;
            int x = area.left();
            for (const auto& c : cols) {
                QString text;
                try {
                    text = m_grid->cellText(row, c.index);
                } catch (const AppError&) {
                }
                const Qt::Alignment align =
                    (text.size() > 0 && (text.at(0).isDigit() || text.at(0) == QLatin1Char('-'))) ? Qt::AlignRight
                                                                                                   : Qt::AlignLeft;
                painter.drawText(QRect(x + pad, y, c.width - 2 * pad, lineHeight), align | Qt::AlignVCenter,
                                 fm.elidedText(text, Qt::ElideRight, c.width - 2 * pad));
                x += c.width;
            }
            y += lineHeight;
            ++row;
        } while (y + lineHeight <= bottom);
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
