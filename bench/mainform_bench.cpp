// The main window's costs: a pane load through layout at each scale, the
// first paint of a part (of a JPEG and of a RAW file's preview), the RAW header probe, Space cold and warm, a page step, start-up, the memory of four panes, and the
// file list of a folder of 100,000 names.
#include "benchdata.h"

#include "render/rawprobe.h"
#include "window/mainform.h"
#include "window/panewidgets.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QListWidget>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <unistd.h>

namespace {

// A folder of `count` names for the benchmark photo (or another file,
// named with another extension), and a window on it.
struct BenchWindow {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> window;

    explicit BenchWindow(int count, int scaleCode, const QString& photo = Bench24MPPath(),
                         const QString& extension = QStringLiteral("JPG"))
    {
        for (int i = 0; i < count; ++i)
            QFile::link(photo, dir.filePath(QStringLiteral("IMG_%1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(extension)));
        const QString ini = dir.filePath(QStringLiteral("bench.ini"));
        {
            QFile f(ini);
            f.open(QIODevice::WriteOnly);
            QByteArray text = "[TfrmMain]\r\n";
            for (int n = 1; n <= 4; ++n)
                text += "imagescale" + QByteArray::number(n) + "=" + QByteArray::number(scaleCode) + "\r\n";
            // The file list closed and the quarters split evenly, as a user's settings would keep them.
            text += "LeftPanel_Width=1\r\nPanelTop_Height=557\r\nPanelTopLeft_Width=965\r\nPanelBottomLeft_Width=965\r\n";
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

// One pane load through layout until the pane holds the whole photo,
// decoded each time (the cache is emptied; the buffer pool stays warm, as
// it is while the user walks). At 1:1 the part the pane shows comes first
// and the whole follows on a worker.
void BM_LoadPane(benchmark::State& state, int code)
{
    BenchWindow bench(1, code);
    const QString path = bench.dir.filePath(QStringLiteral("IMG_0000.JPG"));
    DecodePipeline& pipeline = bench.window->panes().pipeline();
    auto load = [&] {
        pipeline.invalidate(path);
        bench.window->LoadPane(1, path);
        while (bench.window->pane(1).isPart()) {
            pipeline.waitForLookAhead();
            bench.window->FinishPartialPanes();
        }
    };
    load();
    load();
    for (auto _ : state) {
        load();
        benchmark::DoNotOptimize(bench.window->pane(1).photo);
    }
}

// From LoadPane until the part of the photo that the 960 x 540 box shows is
// laid out, ready to paint; the whole photo that follows is waited for
// outside the time.
void BM_FirstPaint(benchmark::State& state, int code)
{
    BenchWindow bench(1, code);
    const QString path = bench.dir.filePath(QStringLiteral("IMG_0000.JPG"));
    DecodePipeline& pipeline = bench.window->panes().pipeline();
    for (auto _ : state) {
        state.PauseTiming();
        pipeline.waitForLookAhead();
        bench.window->FinishPartialPanes();
        pipeline.invalidate(path);
        state.ResumeTiming();
        bench.window->LoadPane(1, path);
        benchmark::DoNotOptimize(bench.window->pane(1).photo);
    }
    pipeline.waitForLookAhead();
    state.counters["parts"] = pipeline.partCount();
}

// BM_FirstPaint for a RAW file whose preview is the benchmark photo: each
// time a name not seen before, so the RAW header probe runs every time, as
// it does at a file's first visit.
void BM_RawFirstPaint(benchmark::State& state, int code)
{
    constexpr int kNames = 2000;
    BenchWindow bench(kNames, code, Bench24MPDngPath(), QStringLiteral("DNG"));
    DecodePipeline& pipeline = bench.window->panes().pipeline();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pipeline.waitForLookAhead();
        bench.window->FinishPartialPanes();
        const QString path = bench.dir.filePath(QStringLiteral("IMG_%1.DNG").arg(i++ % kNames, 4, 10, QLatin1Char('0')));
        pipeline.invalidate(path);
        state.ResumeTiming();
        bench.window->LoadPane(1, path);
        benchmark::DoNotOptimize(bench.window->pane(1).photo);
    }
    pipeline.waitForLookAhead();
    state.counters["parts"] = pipeline.partCount();
    state.counters["probes"] = pipeline.rawProbe().started();
}

// What starting the RAW header probe costs: a child, LibRaw's parse of the
// DNG's headers, the answer read back.
void BM_RawProbeSpawn(benchmark::State& state)
{
    const QString path = Bench24MPDngPath();
    RawProbe probe;
    for (auto _ : state) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        ::fstat(fd, &st);
        benchmark::DoNotOptimize(probe.answer(QString(), fd, st));
        ::close(fd);
    }
}

// Space over a folder of 24-megapixel photos, four panes of 960 x 540.
// Cold: the look-ahead is stopped and its work thrown away before each key,
// so the new files are decoded while the user waits. Warm: the look-ahead
// had the time it needed.
void Walk(benchmark::State& state, int code, bool pageMode, bool warm)
{
    BenchWindow bench(400, code);
    TfrmMain& w = *bench.window;
    DecodePipeline& pipeline = w.panes().pipeline();
    if (pageMode)
        w.TogglePageMode();
    auto* list = w.findChild<QListWidget*>(QStringLiteral("FilesList"));
    for (auto _ : state) {
        state.PauseTiming();
        QCoreApplication::processEvents();   // as the event loop between two keys: wholes replace parts
        if (list->currentRow() >= list->count() - 5)
            w.FillPanesFromList();
        if (warm) {
            pipeline.waitForLookAhead();
        } else {
            pipeline.lookAhead({});
            pipeline.waitForLookAhead();
            for (int i = 1; i <= 4; ++i)
                pipeline.invalidate(w.EntryPath(list->currentRow() + i));
        }
        state.ResumeTiming();
        w.NextFiles();
    }
    pipeline.lookAhead({});
    pipeline.waitForLookAhead();
}

void BM_NextFiles(benchmark::State& state, int code) { Walk(state, code, false, false); }
void BM_NextFilesWarm(benchmark::State& state, int code) { Walk(state, code, false, true); }
void BM_PageStep(benchmark::State& state, int code) { Walk(state, code, true, false); }

// From an empty window to four photos shown at 1:1 (the parts the boxes
// show, when they come first); with `whole`, until the panes hold the whole
// photos.
void StartUp(benchmark::State& state, bool whole)
{
    for (auto _ : state) {
        BenchWindow bench(8, 1);
        if (whole) {
            auto shown = [&] {
                for (int n = 1; n <= 4; ++n)
                    if (bench.window->pane(n).isPart())
                        return false;
                return true;
            };
            while (!shown())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        benchmark::DoNotOptimize(bench.window->pane(4).photo);
        state.PauseTiming();
        bench.window->panes().pipeline().lookAhead({});
        bench.window->panes().pipeline().waitForLookAhead();
        bench.window.reset();
        state.ResumeTiming();
    }
}

// Resident memory added by four panes at 1:1, against their decoded pixels.
void BM_StartUp(benchmark::State& state) { StartUp(state, false); }
void BM_StartUpWhole(benchmark::State& state) { StartUp(state, true); }

void BM_FourPanesMemory(benchmark::State& state)
{
    for (auto _ : state) {
        const long before = ResidentBytes();
        BenchWindow bench(4, 1);
        bench.window->panes().pipeline().waitForLookAhead();
        const long after = ResidentBytes();
        double pixels = 0;
        for (int n = 1; n <= 4; ++n)
            pixels += double(bench.window->pane(n).photo->image.sizeInBytes());
        state.counters["resident_MB"] = double(after - before) / 1e6;
        state.counters["pixels_MB"] = pixels / 1e6;
        state.counters["ratio"] = double(after - before) / pixels;
    }
}

// Resident memory while walking 200 fitted photos with the look-ahead at
// work: it must level off at the cache's budget plus what the panes show.
void BM_WalkMemory(benchmark::State& state)
{
    for (auto _ : state) {
        BenchWindow bench(210, 5);
        TfrmMain& w = *bench.window;
        DecodePipeline& pipeline = w.panes().pipeline();
        const long start = ResidentBytes();
        long after50 = 0;
        for (int step = 1; step <= 200; ++step) {
            pipeline.waitForLookAhead();
            w.NextFiles();
            if (step == 50)
                after50 = ResidentBytes();
        }
        pipeline.waitForLookAhead();
        state.counters["MB_after_50"] = double(after50 - start) / 1e6;
        state.counters["MB_after_200"] = double(ResidentBytes() - start) / 1e6;
        state.counters["budget_MB"] = double(pipeline.cache().budget()) / 1e6;
    }
}

// A folder of 100,000 empty .jpg names, made once.
QString BigFolder()
{
    const QString folder = QDir::temp().filePath(QStringLiteral("tetrafot-bench/names-100000"));
    if (!QFile::exists(folder + QStringLiteral("/P099999.jpg"))) {
        QDir().mkpath(folder);
        for (int i = 0; i < 100000; ++i) {
            // Written out of order, so that the sort has work to do.
            QFile f(folder + QStringLiteral("/P%1.jpg").arg((i * 7919) % 100000, 6, 10, QLatin1Char('0')));
            f.open(QIODevice::WriteOnly);
        }
    }
    return folder;
}

// The floor of a listing: readdir and a sort of the names without regard to case.
void BM_ReaddirSort(benchmark::State& state)
{
    const QByteArray folder = QFile::encodeName(BigFolder());
    for (auto _ : state) {
        std::vector<QString> names;
        DIR* dir = ::opendir(folder.constData());
        while (const dirent* e = ::readdir(dir))
            names.push_back(QFile::decodeName(e->d_name));
        ::closedir(dir);
        std::sort(names.begin(), names.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        benchmark::DoNotOptimize(names.data());
    }
}

// The window's file list filled with the folder's JPEG names.
void BM_ListFolder(benchmark::State& state)
{
    const QString folder = BigFolder();
    BenchWindow bench(1, 5);
    for (auto _ : state)
        bench.window->ListFolder(folder);
}

} // namespace

BENCHMARK_CAPTURE(BM_LoadPane, 1, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LoadPane, 2, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LoadPane, 4, 4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LoadPane, 8, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LoadPane, fit, 5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FirstPaint, 1, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FirstPaint, fit, 5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_RawFirstPaint, 1, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_RawFirstPaint, fit, 5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawProbeSpawn)->Name("BM_RawProbeSpawn/1")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_NextFiles, 1, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_NextFiles, fit, 5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_NextFilesWarm, 1, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK_CAPTURE(BM_NextFilesWarm, fit, 5)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK_CAPTURE(BM_PageStep, fit, 5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartUp)->Name("BM_StartUp/1")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_StartUpWhole)->Name("BM_StartUpWhole/1")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_FourPanesMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReaddirSort)->Name("BM_ReaddirSort/100000")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListFolder)->Name("BM_ListFolder/100000")->Unit(benchmark::kMillisecond)->UseRealTime();
