// The main window's costs: a pane load through layout at each scale, the
// first paint of a part (of a JPEG and of a RAW file's preview), the RAW header probe, Space cold and warm, a page step, start-up, the memory of four panes, and the
// file list of a folder of 100,000 names.
#include "benchdata.h"

#include "render/rawprobe.h"
#include "window/mainform.h"
#include "window/panewidgets.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <unistd.h>

using namespace tetrafot;

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

// A key as the user strikes it: the window acts on its release.
void PressKey(TfrmMain& w, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
    QCoreApplication::sendEvent(&w, &release);
}

// The wholes the pipeline handed over reach the window as queued calls.
void TakeHandedOverWholes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

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
    DecodePipeline& pipeline = bench.window->session().panes().pipeline();
    auto load = [&] {
        pipeline.invalidate(path);
        bench.window->LoadPane(1, path);
        while (bench.window->pane(1).isPart()) {
            pipeline.waitForLookAhead();
            TakeHandedOverWholes();
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
    DecodePipeline& pipeline = bench.window->session().panes().pipeline();
    for (auto _ : state) {
        state.PauseTiming();
        pipeline.waitForLookAhead();
        TakeHandedOverWholes();
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
    DecodePipeline& pipeline = bench.window->session().panes().pipeline();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pipeline.waitForLookAhead();
        TakeHandedOverWholes();
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
    DecodePipeline& pipeline = w.session().panes().pipeline();
    if (pageMode)
        w.session().togglePageMode();
    const FolderList& list = w.session().folderList();
    for (auto _ : state) {
        state.PauseTiming();
        QCoreApplication::processEvents();   // as the event loop between two keys: wholes replace parts
        if (list.selection() >= list.count() - 5)
            PressKey(w, Qt::Key_Home);
        if (warm) {
            pipeline.waitForLookAhead();
        } else {
            pipeline.lookAhead({});
            pipeline.waitForLookAhead();
            for (int i = 1; i <= 4; ++i)
                pipeline.invalidate(list.path(list.selection() + i));
        }
        state.ResumeTiming();
        PressKey(w, Qt::Key_Space);
    }
    pipeline.lookAhead({});
    pipeline.waitForLookAhead();
}

void BM_NextFiles(benchmark::State& state, int code) { Walk(state, code, false, false); }
void BM_NextFilesWarm(benchmark::State& state, int code) { Walk(state, code, false, true); }
void BM_PageStep(benchmark::State& state, int code) { Walk(state, code, true, false); }

// Space while the look-ahead is halfway through the file it brings in: the
// key must not wait for the rest of that decode. The time half a decode
// takes is measured once on the window's own pipeline.
void BM_NextFilesRapid(benchmark::State& state, int code)
{
    BenchWindow bench(400, code);
    TfrmMain& w = *bench.window;
    DecodePipeline& pipeline = w.session().panes().pipeline();
    const FolderList& list = w.session().folderList();
    const QString probe = list.path(list.count() - 1);
    pipeline.waitForLookAhead();
    pipeline.get(probe, code, 2000);
    pipeline.invalidate(probe);
    const auto started = std::chrono::steady_clock::now();
    pipeline.get(probe, code, 2000);
    const auto half = (std::chrono::steady_clock::now() - started) / 2;
    pipeline.invalidate(probe);
    int onTime = 0, steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QCoreApplication::processEvents();
        if (list.selection() >= list.count() - 8)
            PressKey(w, Qt::Key_Home);
        pipeline.waitForLookAhead();
        QCoreApplication::processEvents();
        const QString next = list.path(list.selection() + 1);
        pipeline.invalidate(next);
        const int before = pipeline.decodeCount();
        pipeline.lookAhead({{next, code, 2000}});
        while (pipeline.decodeCount() == before)
            std::this_thread::yield();
        std::this_thread::sleep_for(half);
        state.ResumeTiming();
        PressKey(w, Qt::Key_Space);
        state.PauseTiming();
        // The key came while that decode still ran: otherwise it measured nothing.
        onTime += pipeline.isCached(next, code, 2000) ? 0 : 1;
        ++steps;
        state.ResumeTiming();
    }
    pipeline.lookAhead({});
    pipeline.waitForLookAhead();
    state.counters["mid_decode"] = steps ? double(onTime) / steps : 0;
}

// The next Space as soon as the panes have painted the previous step, 20
// steps; reports steps per second. The look-ahead never gets ahead.
void BM_RapidWalk(benchmark::State& state, int code)
{
    BenchWindow bench(400, code);
    TfrmMain& w = *bench.window;
    DecodePipeline& pipeline = w.session().panes().pipeline();
    const FolderList& list = w.session().folderList();
    w.show();
    constexpr int kSteps = 20;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (list.selection() >= list.count() - kSteps - 8)
            PressKey(w, Qt::Key_Home);
        pipeline.waitForLookAhead();
        QCoreApplication::processEvents();
        const int from = list.selection();
        state.ResumeTiming();
        const auto started = std::chrono::steady_clock::now();
        for (int step = 0; step < kSteps; ++step) {
            PressKey(w, Qt::Key_Space);
            w.repaint();   // painted before the next key
            QCoreApplication::processEvents();
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (list.selection() != from + kSteps) {
            state.SkipWithError("a Space did not step");
            break;
        }
    }
    pipeline.lookAhead({});
    pipeline.waitForLookAhead();
    state.counters["steps_per_s"] = double(kSteps) * double(state.iterations()) / seconds;
}

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
        bench.window->session().panes().pipeline().lookAhead({});
        bench.window->session().panes().pipeline().waitForLookAhead();
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
        bench.window->session().panes().pipeline().waitForLookAhead();
        const long after = ResidentBytes();
        double pixels = 0;
        for (int n = 1; n <= 4; ++n)
            pixels += double(bench.window->pane(n).photo->image.sizeInBytes());
        state.counters["resident_MB"] = double(after - before) / 1e6;
        state.counters["pixels_MB"] = pixels / 1e6;
        state.counters["ratio"] = double(after - before) / pixels;
    }
}

// Peak resident memory while walking (the next Space once the look-ahead
// is done), above what the process held before the window, against the
// decoded pixels the walk can reach: the four panes' photos and the two the
// next Space and Backspace bring. ratio_with_files also counts the file
// bytes each photo keeps for its Exif. Sampled every millisecond.
void BM_WalkMemory(benchmark::State& state, int code)
{
    for (auto _ : state) {
        const long start = ResidentBytes();
        std::atomic<bool> stop{false};
        std::atomic<long> peak{start};
        std::thread sampler([&] {
            while (!stop) {
                peak = std::max(peak.load(), ResidentBytes());
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        double pixels = 0, cost = 0;
        {
            BenchWindow bench(80, code);
            TfrmMain& w = *bench.window;
            DecodePipeline& pipeline = w.session().panes().pipeline();
            for (int step = 1; step <= 60; ++step) {
                pipeline.waitForLookAhead();
                QCoreApplication::processEvents();
                PressKey(w, Qt::Key_Space);
            }
            pipeline.waitForLookAhead();
            QCoreApplication::processEvents();
            const DecodedPhoto& shown = *w.pane(1).photo;
            pixels = 6.0 * double(shown.image.sizeInBytes());
            cost = 6.0 * double(shown.costBytes());
            state.counters["cache_budget_MB"] = double(pipeline.cache().budget()) / 1e6;
            state.counters["pool_MB"] = double(pipeline.pool().keptBytes()) / 1e6;
        }
        stop = true;
        sampler.join();
        state.counters["peak_MB"] = double(peak - start) / 1e6;
        state.counters["reach_MB"] = pixels / 1e6;
        state.counters["ratio"] = double(peak - start) / pixels;
        state.counters["ratio_with_files"] = double(peak - start) / cost;
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
BENCHMARK_CAPTURE(BM_NextFilesRapid, 1, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);
BENCHMARK_CAPTURE(BM_RapidWalk, 1, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_RapidWalk, fit, 5)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_PageStep, fit, 5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartUp)->Name("BM_StartUp/1")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_StartUpWhole)->Name("BM_StartUpWhole/1")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_FourPanesMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WalkMemory, 1, 1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_WalkMemory, fit, 5)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReaddirSort)->Name("BM_ReaddirSort/100000")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListFolder)->Name("BM_ListFolder/100000")->Unit(benchmark::kMillisecond)->UseRealTime();
