#include "app/frmProgress.h"

#include "app/WindowProc.h"
#include "platform/AppError.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
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

    auto* inside = new QVBoxLayout(fraStatus);
    inside->addWidget(prgProgress);
    inside->addWidget(lblStatus);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(fraStatus);
    resize(360, 110);

    Form_Load();
}

void frmProgress::Form_Load()
{
    guarded("frmProgress", "Form_Load", [&] {
        prgProgress->setMaximum(100);
        prgProgress->setMinimum(0);
        prgProgress->setValue(0);
    });
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
