// The main window's costs: a pane load through layout at each scale, one
// Space over four fitted 24-megapixel photos, and the memory of four panes.
#include "benchdata.h"

#include "app/mainform.h"
#include "app/panewidgets.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <unistd.h>

namespace {

// A folder of `count` names for the benchmark photo, and a window on it.
struct BenchWindow {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> window;

    explicit BenchWindow(int count, int scaleCode)
    {
        const QString photo = Bench24MPPath();
        for (int i = 0; i < count; ++i)
            QFile::link(photo, dir.filePath(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'))));
        const QString ini = dir.filePath(QStringLiteral("bench.ini"));
        {
            QFile f(ini);
            f.open(QIODevice::WriteOnly);
            QByteArray text = "[TfrmMain]\r\n";
            for (int n = 1; n <= 4; ++n)
                text += "imagescale" + QByteArray::number(n) + "=" + QByteArray::number(scaleCode) + "\r\n";
            f.write(text);
        }
        qputenv("TETRAFOT_INI", ini.toLocal8Bit());
        MainHooks hooks;
        hooks.showError = [](QWidget*, const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); };
        // Boxes of 960 x 540: the panels around them are sized to match.
        window = std::make_unique<TfrmMain>(QStringList{dir.path()}, hooks);
        window->resize(1 + 3 + 965 + 7 + 965, 29 + 557 + 3 + 557);
        window->relayout();
    }
};

long ResidentBytes()
{
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

void BM_LoadPane(benchmark::State& state, int code)
{
    BenchWindow bench(1, code);
    const QString path = bench.dir.filePath(QStringLiteral("IMG_0000.JPG"));
    for (auto _ : state) {
        bench.window->LoadPane(1, path);
        benchmark::DoNotOptimize(bench.window->pane(1).picture);
    }
}

void BM_NextFiles(benchmark::State& state)
{
    BenchWindow bench(64, 5);
    TfrmMain& w = *bench.window;
    for (auto _ : state) {
        if (w.pane(4).PanePath.endsWith(QStringLiteral("IMG_0063.JPG"))) {
            state.PauseTiming();
            w.FillPanesFromList();
            state.ResumeTiming();
        }
        w.NextFiles();
    }
}

// Resident memory added by four panes at 1:1, against their decoded pixels.
void BM_FourPanesMemory(benchmark::State& state)
{
    for (auto _ : state) {
        const long before = ResidentBytes();
        BenchWindow bench(4, 1);
        const long after = ResidentBytes();
        double pixels = 0;
        for (int n = 1; n <= 4; ++n)
            pixels += double(bench.window->pane(n).picture->image().sizeInBytes());
        state.counters["resident_MB"] = double(after - before) / 1e6;
        state.counters["pixels_MB"] = pixels / 1e6;
        state.counters["ratio"] = double(after - before) / pixels;
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_LoadPane, 1, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPane, 2, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPane, 4, 4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPane, 8, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPane, fit, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourPanesMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
