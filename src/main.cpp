#include "WindowKinds.h"
#include "app/frmAbout.h"
#include "app/modapp.h"
#include "shell/mdiMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Splitwerk"));
    // The main window's unload ends the program, whatever else is still open.
    QApplication::setQuitOnLastWindowClosed(false);
    WindowKinds::registerAll();
    mdiMain::setAboutHandler([] {
        frmAbout about(mdiMain::instance());
        about.exec();
    });
    modapp::setMainWindowFactory([] {
        auto* w = new mdiMain;
        w->show();
        return true;
    });
    const int failed = modapp::Main();
    if (failed != 0)
        return failed;
    if (!modapp::ThisApp())
        return 0;  // already shut down
    return app.exec();
}
