#include "DetailBench.h"
#include "SearchData.h"
#include "SqliteBaseline.h"
#include "app/ChildForms.h"
#include "app/frmProgress.h"
#include "data/clsAdoConnectJet.h"
#include "platform/Connection.h"
#include "platform/DataGrid.h"
#include "platform/Recordset.h"
#include "search/clsExportToFile.h"
#include "search/clsSearchSegment.h"

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

#include <sqlcipher/sqlite3.h>

#include <benchmark/benchmark.h>

#include <memory>

// The list window's commands over every segment of a full database (20,000
// segments of 50 rows), and Select All in a detail window of 50,000 rows,
// each beside the same rows stepped (or written) in SQLite. What they must
// keep to: an export within 5 times the plain writer at 20,000 rows (and
// under 1.5 s), within 3 times at 1,000,000; Select All and a Shift+click
// over every row under 200 ms; the delete of 1,000 of 20,000 listed under 1 s.
namespace {

constexpr int Listed = 20000;
constexpr int Yes = 6;

clsAdoConnectJet& ado() { return *(*SearchData::get(Listed).app)->DatabaseAdo_Po(); }

// The list window showing every segment; none (and the benchmark skipped) when that fails.
std::unique_ptr<frmSegmentList> listOfAll(benchmark::State& state)
{
    auto window = listWindow(state, Listed);
    if (!window)
        return nullptr;
    window->FormRefresher_po((*SearchData::get(Listed).app)->FormRefresher_po());
    window->Search_p();
    if (!window->listRecordset() || window->listRecordset()->RecordCount() != Listed) {
        state.SkipWithError("the list does not show every segment");
        return nullptr;
    }
    return window;
}

// The statement of the list of every segment.
QByteArray listSql()
{
    clsSearchSegment search;
    search.Initialize_p(ado().ConnectString_ps());
    return search.GetSearchSqlString_ps().toUtf8();
}

// The ids of every `step`-th listed segment, `count` of them, as the list shows them.
QList<qint32> listedIds(frmSegmentList& window, int count, int step = 1)
{
    QList<qint32> ids;
    Recordset* rs = window.listRecordset();
    for (int row = 0; row < rs->RecordCount() && ids.size() < count; row += step)
        ids << rs->valueAt(row, 0).toLong();
    return ids;
}

QString joined(const QList<qint32>& ids)
{
    QStringList parts;
    for (qint32 id : ids)
        parts << QString::number(id);
    return parts.join(QStringLiteral(", "));
}

void selectRows(frmSegmentList& window, int count, int step = 1)
{
    Recordset* rs = window.listRecordset();
    DataGridSelBookmarks& selected = window.dbgMain->SelBookmarks();
    selected.Clear();
    for (int row = 0; row < rs->RecordCount() && selected.Count() < count; row += step)
        selected.Add(Value(rs->bookmarkAt(row)));
}

// ---- export -----------------------------------------------------------------------

// Both ways start with the pages the export reads decrypted in the cache.
void warmUp(frmSegmentList& window, int segments)
{
    stepEveryColumn(ado().Connection()->handle(),
                    clsExportToFile::Statement_ps(joined(listedIds(window, segments))).toUtf8());
}

// Export of the first `segments` listed segments (50 rows each) to a file,
// with the progress window and the closing message, as File, Export To File does.
void exportThroughTheProgram(benchmark::State& state, int segments)
{
    const auto window = listOfAll(state);
    if (!window)
        return;
    ChildForms::registerForm(QStringLiteral("frmProgress"), [] { return new frmProgress; });
    selectRows(*window, segments);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.txt"));
    frmSegmentList::setSaveFileAsker(
        [&](QWidget*, const QString&, const QString&, const QString&) { return std::optional<QString>(path); });
    ScriptedMessages& boxes = *SearchData::get(Listed).boxes;
    warmUp(*window, segments);
    for (auto _ : state) {
        boxes.clear();
        window->Export_p();
        if (boxes.count() != 1 || !boxes.last().text.startsWith(QStringLiteral("Data export"))) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    frmSegmentList::setSaveFileAsker({});
    ChildForms::registerForm(QStringLiteral("frmProgress"), [] { return nullptr; });
    QFile written(path);
    state.counters["lines"] = written.open(QIODevice::ReadOnly) ? double(written.readAll().count('\n')) : 0;
}

// The baseline, as a shell writes a query's rows as tab-separated text: the
// same statement stepped and every value's text written with a tab after it.
void exportStraightThroughSqlite(benchmark::State& state, int segments)
{
    const auto window = listOfAll(state);
    if (!window)
        return;
    const QByteArray sql = clsExportToFile::Statement_ps(joined(listedIds(*window, segments))).toUtf8();
    sqlite3* db = ado().Connection()->handle();
    warmUp(*window, segments);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.txt"));
    int lines = 0;
    for (auto _ : state) {
        QFile out(path);
        int rc = SQLITE_OK;
        const Statement owned = Statement::prepare(db, sql.constData(), int(sql.size()), &rc);
        if (!owned || !out.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot export");
            return;
        }
        sqlite3_stmt* st = owned.get();
        const int columns = sqlite3_column_count(st);
        QByteArray buffer;
        for (int c = 0; c < columns; ++c)
            buffer.append(sqlite3_column_name(st, c)).append('\t');
        buffer.append("\r\n");
        lines = 1;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                buffer.append(text, text ? sqlite3_column_bytes(st, c) : 0).append('\t');
            }
            buffer.append("\r\n");
            ++lines;
            if (buffer.size() > 65536) {
                out.write(buffer);
                buffer.clear();
            }
        }
        out.write(buffer);
    }
    state.counters["lines"] = lines;
}

// ---- select all and Shift+click ----------------------------------------------------

// Edit, Select All over every listed segment, and the grid painted.
void BM_SelectAllSegments(benchmark::State& state)
{
    const auto window = listOfAll(state);
    if (!window)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        window->dbgMain->SelBookmarks().Clear();
        state.ResumeTiming();
        window->SelectAllRows_p();
        window->dbgMain->viewport()->repaint();
    }
    state.counters["selected"] = window->dbgMain->SelBookmarks().Count();
}
BENCHMARK(BM_SelectAllSegments)->Unit(benchmark::kMillisecond);

// A click on the first row's selector and a Shift+click on the last one's.
void shiftClickFirstToLast(DataGrid& grid)
{
    QHeaderView* v = grid.verticalHeader();
    const auto click = [&](int row, Qt::KeyboardModifiers mods) {
        QCoreApplication::processEvents();                         // the view lays out its rows first
        grid.Bookmark(Value(grid.DataSource()->bookmarkAt(row)));  // the grid scrolls there
        QCoreApplication::processEvents();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, mods,
                          QPoint(v->width() / 2, v->sectionViewportPosition(row) + v->sectionSize(row) / 2));
    };
    click(0, {});
    click(grid.model()->rowCount() - 1, Qt::ShiftModifier);
    grid.viewport()->repaint();
}

void BM_ShiftClickEverySegment(benchmark::State& state)
{
    const auto window = listOfAll(state);
    if (!window)
        return;
    for (auto _ : state)
        shiftClickFirstToLast(*window->dbgMain);
    state.counters["selected"] = window->dbgMain->SelBookmarks().Count();
}
BENCHMARK(BM_ShiftClickEverySegment)->Unit(benchmark::kMillisecond);

// The twin of both: the list's rows stepped, every value read.
void BM_SelectAllSegments_Sqlite(benchmark::State& state)
{
    if (!SearchData::get(Listed).ok) {
        state.SkipWithError("no database");
        return;
    }
    const QByteArray sql = listSql();
    int rows = 0;
    for (auto _ : state)
        rows = stepEveryColumn(ado().Connection()->handle(), sql);
    state.counters["selected"] = rows;
}
BENCHMARK(BM_SelectAllSegments_Sqlite)->Unit(benchmark::kMillisecond);

// Edit, Select All and a Shift+click range over a detail window's 50,000 rows.
void BM_SelectAllDetailRows(benchmark::State& state)
{
    DetailBench bench(50000);
    if (!bench.ready(state))
        return;
    auto window = bench.openWindow();
    DetailBench::paint(*window);
    for (auto _ : state) {
        window->SelectAllRows_p();
        window->dbgMain->viewport()->repaint();
    }
    state.counters["selected"] = window->dbgMain->SelBookmarks().Count();
    window->Dirty_pf(false);
}
BENCHMARK(BM_SelectAllDetailRows)->Unit(benchmark::kMillisecond);

void BM_ShiftClickEveryDetailRow(benchmark::State& state)
{
    DetailBench bench(50000);
    if (!bench.ready(state))
        return;
    auto window = bench.openWindow();
    DetailBench::paint(*window);
    for (auto _ : state)
        shiftClickFirstToLast(*window->dbgMain);
    state.counters["selected"] = window->dbgMain->SelBookmarks().Count();
    window->Dirty_pf(false);
}
BENCHMARK(BM_ShiftClickEveryDetailRow)->Unit(benchmark::kMillisecond);

void BM_SelectAllDetailRows_Sqlite(benchmark::State& state)
{
    DetailBench bench(50000);
    if (!bench.ready(state))
        return;
    const QByteArray sql = DetailBench::rowsSql().toUtf8();
    int rows = 0;
    for (auto _ : state)
        rows = stepEveryColumn((*bench.app)->DatabaseAdo_Po()->Connection()->handle(), sql);
    state.counters["selected"] = rows;
}
BENCHMARK(BM_SelectAllDetailRows_Sqlite)->Unit(benchmark::kMillisecond);

// ---- delete ----------------------------------------------------------------------

constexpr int Deleted = 1000;

// Keeps the segments about to be deleted (every 20th listed) and puts them back.
struct DeletedSegments {
    explicit DeletedSegments(const QList<qint32>& ids) : list(joined(ids))
    {
        ado().Connection()->Execute(
            QStringLiteral("CREATE TEMP TABLE benchSegments AS SELECT * FROM tblSegment WHERE lSegmentID IN (%1);"
                           "CREATE TEMP TABLE benchRows AS SELECT * FROM tblSegmentDetail WHERE lSegmentID IN (%1)")
                .arg(list));
    }
    ~DeletedSegments()
    {
        restore();
        ado().Connection()->Execute(QStringLiteral("DROP TABLE temp.benchSegments; DROP TABLE temp.benchRows"));
    }
    void restore() const
    {
        ado().Connection()->Execute(
            QStringLiteral("INSERT OR IGNORE INTO tblSegment SELECT * FROM temp.benchSegments;"
                           "INSERT OR IGNORE INTO tblSegmentDetail SELECT * FROM temp.benchRows"));
    }
    QString list;
};

// Delete of 1,000 of the 20,000 listed segments (every 20th, 50,000 rows):
// the question built and answered Yes, both statements in one transaction,
// and the list of the rest read again.
void BM_DeleteThousandOfEverySegment(benchmark::State& state)
{
    const auto window = listOfAll(state);
    if (!window)
        return;
    const DeletedSegments kept(listedIds(*window, Deleted, Listed / Deleted));
    ScriptedMessages& boxes = *SearchData::get(Listed).boxes;
    qsizetype question = 0;
    for (auto _ : state) {
        state.PauseTiming();
        kept.restore();
        window->Search_p();
        selectRows(*window, Deleted, Listed / Deleted);
        boxes.clear();
        boxes.answer(Yes);
        state.ResumeTiming();
        window->deleteRows_p();
        state.PauseTiming();
        if (boxes.count() != 1 || window->listRecordset()->RecordCount() != Listed - Deleted) {
            state.SkipWithError("the delete failed");
            break;
        }
        question = boxes.last().text.count(QLatin1Char('\n'));
        state.ResumeTiming();
    }
    state.counters["question lines"] = double(question);
}
BENCHMARK(BM_DeleteThousandOfEverySegment)->Unit(benchmark::kMillisecond);

// The twin: the same two statements in one transaction, and the rest of the list stepped.
void BM_DeleteThousandOfEverySegment_Sqlite(benchmark::State& state)
{
    const auto window = listOfAll(state);
    if (!window)
        return;
    const DeletedSegments kept(listedIds(*window, Deleted, Listed / Deleted));
    Connection& db = *ado().Connection();
    const QByteArray sql = listSql();
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        kept.restore();
        state.ResumeTiming();
        db.Execute(QStringLiteral("BEGIN; DELETE FROM tblSegmentDetail WHERE lSegmentID IN (%1);"
                                  "DELETE FROM tblSegment WHERE lSegmentID IN (%1); COMMIT")
                       .arg(kept.list));
        rows = stepEveryColumn(db.handle(), sql);
    }
    state.counters["rows left"] = rows;
}
BENCHMARK(BM_DeleteThousandOfEverySegment_Sqlite)->Unit(benchmark::kMillisecond);

const bool registered = [] {
    for (const int segments : {400, Listed}) {
        const std::string rows = std::to_string(segments * 50);
        benchmark::RegisterBenchmark(("ExportRows/" + rows).c_str(), exportThroughTheProgram, segments)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ExportRows_Sqlite/" + rows).c_str(), exportStraightThroughSqlite, segments)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
