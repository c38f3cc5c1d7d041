#include "app/frmProgress.h"

#include "app/WindowProc.h"
#include "app/clsFormSettings.h"
#include "platform/AppError.h"
#include "platform/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

frmProgress::frmProgress(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmProgress"));
    fraStatus = new QGroupBox(QStringLiteral("Staus:"), this);
    fraStatus->setObjectName(QStringLiteral("fraStatus"));
    prgProgress = new QProgressBar(fraStatus);
    prgProgress->setObjectName(QStringLiteral("prgProgress"));
    lblStatus = new QLabel(QStringLiteral("waiting for user action ..."), fraStatus);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    // Its width is set when the window shows (fitStatus_m), not by a long text.
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* inside = new QVBoxLayout(fraStatus);
    inside->addWidget(prgProgress);
    inside->addWidget(lblStatus);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(fraStatus);

    Form_Load();
}

QSize frmProgress::minimumSizeHint() const
{
    return Twips::designSize(this, DesignWidth, DesignHeight, QWidget::minimumSizeHint());
}

QSize frmProgress::sizeHint() const { return minimumSizeHint(); }

void frmProgress::Form_Load()
{
    guarded("frmProgress", "Form_Load", [&] {
        prgProgress->setMaximum(100);
        prgProgress->setMinimum(0);
        prgProgress->setValue(0);
    });
}

void frmProgress::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ignoringErrors([&] { fitStatus_m(); });
}

namespace {
// A line broken into pieces no wider than `width`, after a path separator
// where there is one in the piece, else where the width ends.
QStringList brokenLine(const QString& line, const QFontMetrics& fm, int width)
{
    QStringList pieces;
    QString rest = line;
    while (rest.size() > 1 && fm.horizontalAdvance(rest) > width) {
        qsizetype n = rest.size() - 1;
        while (n > 1 && fm.horizontalAdvance(rest.left(n)) > width)
            --n;
        const qsizetype separator =
            std::max(rest.lastIndexOf(QLatin1Char('/'), n - 1), rest.lastIndexOf(QLatin1Char('\\'), n - 1));
        if (separator > 0)
            n = separator + 1;
        pieces << rest.left(n);
        rest = rest.mid(n);
    }
    return pieces << rest;
}
}  // namespace

void frmProgress::fitStatus_m()
{
    QWidget* frame = clsFormSettings::frameOf(this);
    auto* sub = qobject_cast<QMdiSubWindow*>(frame);
    const QRect room = sub && sub->mdiArea() ? sub->mdiArea()->viewport()->rect()
        : screen()                           ? screen()->availableGeometry()
                                             : QRect(0, 0, 1024, 768);
    // What the frame, the group box and the margins take besides the label;
    // a character's width spare for the glyphs' overhang.
    layout()->activate();
    const QFontMetrics fm = lblStatus->fontMetrics();
    const int widthLimit = std::max(room.width() - (frame->width() - lblStatus->width()) - fm.averageCharWidth(), 50);
    QStringList lines;
    for (const QString& line : lblStatus->text().split(QLatin1Char('\n')))
        lines << brokenLine(line, fm, widthLimit);
    lblStatus->setText(lines.join(QLatin1Char('\n')));
    const QSize had = lblStatus->size();
    const QSize wanted = lblStatus->sizeHint();
    lblStatus->setMinimumSize(wanted);
    frame->resize(frame->size() + (wanted.expandedTo(had) - had));
    // Wholly inside the area it is shown in.
    const QRect placed = frame->geometry();
    frame->move(std::clamp(placed.x(), room.left(), std::max(room.left(), room.right() + 1 - placed.width())),
                std::clamp(placed.y(), room.top(), std::max(room.top(), room.bottom() + 1 - placed.height())));
}

void frmProgress::ProgressBarMax_p(qint32 maximum)
{
    if (maximum < prgProgress->minimum())
        AppError::raise(ErrNo::InvalidPropertyValue, AppError::standardDescription(ErrNo::InvalidPropertyValue),
                        QStringLiteral("frmProgress.ProgressBarMax_p"));
    prgProgress->setMaximum(maximum);
}

void frmProgress::progressBarValue_p(qint32 value)
{
    if (value < prgProgress->minimum() || value > prgProgress->maximum())
        AppError::raise(ErrNo::InvalidPropertyValue, AppError::standardDescription(ErrNo::InvalidPropertyValue),
                        QStringLiteral("frmProgress.progressBarValue_p"));
    prgProgress->setValue(value);
    // The job that advances the bar does not return to the event loop; paint now.
    repaint();
}
