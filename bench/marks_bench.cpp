// marked.txt of 100,000 lines: reading it, the four look-ups of a Space and
// a mark, and writing it back.
#include "render/marks.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

using namespace tetrafot;

namespace {

QString MarksFolder()
{
    const QString folder = QDir::temp().filePath(QStringLiteral("tetrafot-bench/marks-100000"));
    QDir().mkpath(folder);
    QFile f(MarkStore::MarksFileName(folder));
    if (!f.exists() && f.open(QIODevice::WriteOnly))
        for (int i = 0; i < 100000; ++i)
            f.write(QStringLiteral("IMG_%1.JPG:%2\r\n").arg(i, 6, 10, QLatin1Char('0')).arg(i % 10).toLatin1());
    return folder;
}

void BM_MarksLoad(benchmark::State& state)
{
    const QString folder = MarksFolder();
    MarkStore store;
    for (auto _ : state)
        store.LoadMarks(folder);
}

void BM_MarksSpace(benchmark::State& state)
{
    MarkStore store;
    store.LoadMarks(MarksFolder());
    int i = 90000;
    for (auto _ : state) {
        for (int k = 0; k < 4; ++k)
            benchmark::DoNotOptimize(store.GetMark(QStringLiteral("/p/img_%1.jpg").arg(i + k, 6, 10, QLatin1Char('0'))));
        store.SetMark(QStringLiteral("/p/IMG_%1.JPG").arg(i, 6, 10, QLatin1Char('0')), MarkV);
        i = i < 99990 ? i + 1 : 90000;
    }
}

void BM_MarksSave(benchmark::State& state)
{
    const QString folder = MarksFolder();
    MarkStore store;
    store.LoadMarks(folder);
    const QString copy = folder + QStringLiteral("/save");
    QDir().mkpath(copy);
    for (auto _ : state)
        store.SaveMarks(copy);
}

} // namespace

BENCHMARK(BM_MarksLoad)->Name("BM_MarksLoad/100000")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MarksSpace)->Name("BM_MarksSpace/100000")->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_MarksSave)->Name("BM_MarksSave/100000")->Unit(benchmark::kMillisecond)->UseRealTime();
