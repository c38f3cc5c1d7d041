#include "BenchApplication.h"

#include "app/modapp.h"
#include "shell/mdiMain.h"
#include "support/TempProgramFolder.h"

#include <QElapsedTimer>
#include <QEvent>

#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <memory>

namespace {

// Notes the moment the splash goes away, which is where the timed part starts.
class SplashRelease : public QObject {
public:
    QElapsedTimer* clock = nullptr;
    qint64 releasedAt = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched->objectName() == QLatin1String("frmSplash"))
            releasedAt = clock->nsecsElapsed();
        return false;
    }
};

// From the splash's release to the main window shown: both connections, the
// settings, the housekeeping and the main window itself.
void BM_StartupSplashReleaseToMainWindow(benchmark::State& state)
{
    ensureApplication();
    TempProgramFolder folder;
    if (!folder.makeProgramFiles()) {
        state.SkipWithError("no program folder");
        return;
    }
    modapp::setSplashMinimumSeconds(0);
    QElapsedTimer clock;
    SplashRelease watcher;
    watcher.clock = &clock;
    qApp->installEventFilter(&watcher);
    qint64 shownAt = -1;
    modapp::setMainWindowFactory([&] {
        auto* w = new mdiMain;
        w->show();
        shownAt = clock.nsecsElapsed();
        return true;
    });
    for (auto _ : state) {
        watcher.releasedAt = shownAt = -1;
        clock.start();
        const int failed = modapp::Main();
        if (failed || watcher.releasedAt < 0 || shownAt < 0) {
            state.SkipWithError("start-up failed");
            break;
        }
        state.SetIterationTime(double(shownAt - watcher.releasedAt) / 1e9);
        delete mdiMain::instance();
        modapp::EndApplication_m();
    }
    qApp->removeEventFilter(&watcher);
    modapp::setMainWindowFactory({});
    modapp::releaseAll();
}
BENCHMARK(BM_StartupSplashReleaseToMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The baseline: one keyed open of the same file, whose first read derives the key.
void BM_OneKeyDerivation(benchmark::State& state)
{
    TempProgramFolder folder;
    if (!folder.createDatabase()) {
        state.SkipWithError("no program folder");
        return;
    }
    const QByteArray path = folder.databasePath().toUtf8();
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA key = 'RORUDAZE'", nullptr, nullptr, nullptr);
        const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        if (rc != SQLITE_OK) {
            state.SkipWithError("the key did not open the file");
            break;
        }
    }
}
BENCHMARK(BM_OneKeyDerivation)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
