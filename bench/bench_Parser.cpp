#include "data/clsAdoConnectJet.h"
#include "import/WatchImage.h"
#include "import/clsFileReader.h"
#include "platform/Connection.h"
#include "support/TempProgramFolder.h"
#include "support/WatchImageBuilder.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

// A full 8228-byte download: segments filling the 8192-byte memory.
QByteArray fullImage()
{
    WatchImageBuilder b;
    for (int seg = 0; seg < 8; ++seg) {
        b.segment({2022, 10, 1 + seg}, {seg + 6, 30, 0});
        const int rows = seg < 7 ? 250 : 120;  // the trailer's row count stops at 127
        for (int r = 0; r < rows; ++r) {
            if (r % 4 == 3)
                b.rate(quint16(0x8000 + 2 * r), quint16(0x2000 + r));
            else
                b.time(quint32(r * 1234));
        }
    }
    return b.finalTime(600000).large().build();
}

void BM_DecodeFullImage(benchmark::State& state)
{
    const QByteArray image = fullImage();
    for (auto _ : state)
        benchmark::DoNotOptimize(WatchImage::decode(image).segments.size());
}
BENCHMARK(BM_DecodeFullImage)->Unit(benchmark::kMicrosecond);

// The whole import as the download window runs it: clear, then parse the
// image file into the staging tables of a keyed database on disk.
void BM_ParseFullImageIntoStaging(benchmark::State& state)
{
    TempProgramFolder folder;
    if (!folder.createDatabase() || !folder.writeUdl()) {
        state.SkipWithError("no program folder");
        return;
    }
    clsAdoConnectJet ado;
    ado.UDL(folder.udlPath());
    ado.OpenConnection_pf();
    const QString path = QDir(folder.path()).filePath(QStringLiteral("temp.bin"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(fullImage());
    f.close();

    clsFileReader reader;
    reader.DatabaseConnection = &ado;
    reader.ImportDate_pdt(QDate(2024, 1, 1));
    for (auto _ : state) {
        reader.ClearImportTables_pf();
        benchmark::DoNotOptimize(reader.ProcessFile_mf(path));
    }
    state.counters["rows"] =
        double(ado.Connection()->ExecuteScalar("SELECT COUNT(*) FROM tblImportSegmentDetail").toLong());
}
BENCHMARK(BM_ParseFullImageIntoStaging)->Unit(benchmark::kMillisecond);

}  // namespace
