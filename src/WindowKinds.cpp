#include "WindowKinds.h"

#include "app/ChildForms.h"
#include "app/clsThisApp.h"
#include "app/frmProgress.h"
#include "app/modapp.h"
#include "detail/frmSegmentDetail.h"
#include "import/clsFileReader.h"
#include "import/frmImport.h"
#include "import/frmImportSegment.h"
#include "lists/frmCategory.h"
#include "lists/frmEvent.h"
#include "lists/frmRoster.h"
#include "lists/frmSegmentType.h"
#include "search/frmSegmentList.h"
#include "shell/frmFind.h"

namespace WindowKinds {
using ChildForms::registerForm;

void registerAll()
{
    registerForm(QStringLiteral("frmProgress"), [] { return new frmProgress; });
    registerForm(QStringLiteral("frmSegmentList"), [] { return new frmSegmentList; });
    registerForm(QStringLiteral("frmSegmentDetail"), [] { return new frmSegmentDetail; });
    registerForm(QStringLiteral("frmImport"), [] { return new frmImport; });
    registerForm(QStringLiteral("frmImportSegment"), [] { return new frmImportSegment; });
    registerForm(QStringLiteral("frmFind"), [] { return new frmFind; });
    registerForm(QStringLiteral("frmCategory"), [] { return new frmCategory; });
    registerForm(QStringLiteral("frmSegmentType"), [] { return new frmSegmentType; });
    registerForm(QStringLiteral("frmEvent"), [] { return new frmEvent; });
    registerForm(QStringLiteral("frmRoster"), [] { return new frmRoster; });

    // The download window hands its image to the parser, which fills the
    // staging tables the review window shows.
    frmImport::setStagingClearer([] {
        clsFileReader reader;
        reader.ClearImportTables_pf();
    });
    frmImport::setImageParser([](const QString& imagePath, const QDate& importDate) {
        clsFileReader reader;
        reader.DatabaseConnection = modapp::ThisApp() ? modapp::ThisApp()->DatabaseAdo_Po() : nullptr;
        reader.ImportDate_pdt(importDate);
        reader.ProcessFile_mf(imagePath);
        return reader.SkippedSegments();
    });
    frmImport::setReviewOpener([](const QDate& importDate, clsFormRefresher*) {
        return frmImportSegment::openAfterDownload(importDate) != nullptr;
    });
}
}  // namespace WindowKinds
