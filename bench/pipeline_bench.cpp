// The decode pipeline against the floor of a full decode. BM_StreamDecode is
// libjpeg-turbo with the viewer's settings writing every row into one reused
// row buffer, as djpeg does into /dev/null: no picture memory at all.
// BM_PipelineGetCold decodes through the pipeline with the cache emptied but
// the buffer pool warm; BM_PipelineGetWarm is a cache hit. BM_PipelineGetMany
// asks for four names of the photo at once, cold.

#include "benchdata.h"

#include "pipeline/decodepipeline.h"
#include "render/scaling.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <atomic>
#include <thread>
#include <vector>

#include <jpeglib.h>

using namespace tetrafot;

namespace {

constexpr int kMaxSize = 2000;   // the default fit limit

int Denom(int code) { return code == ScaleFit ? FitDecoderDenom(QSize(6000, 4000), kMaxSize) : DecoderScale(code); }

void BM_StreamDecode(benchmark::State& state, int code)
{
    const QByteArray data = Bench24MPBytes();
    if (data.isEmpty()) {
        state.SkipWithError("no benchmark photo");
        return;
    }
    std::vector<unsigned char> row(6000 * 3);
    for (auto _ : state) {
        DecodeWithViewerSettings(data, Denom(code), [&](const jpeg_decompress_struct&) { return row.data(); });
        benchmark::DoNotOptimize(row.data());
    }
}

void BM_PipelineGetCold(benchmark::State& state, int code)
{
    const QString path = Bench24MPPath();
    DecodePipeline pipeline;
    pipeline.get(path, code, kMaxSize);   // the pool holds a buffer of the size from now on
    for (auto _ : state) {
        pipeline.clearCache();
        benchmark::DoNotOptimize(pipeline.get(path, code, kMaxSize)->image.constBits());
    }
    state.counters["fresh_buffers"] = double(pipeline.pool().freshAllocations());
}

void BM_PipelineGetWarm(benchmark::State& state, int code)
{
    const QString path = Bench24MPPath();
    DecodePipeline pipeline;
    pipeline.get(path, code, kMaxSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(pipeline.get(path, code, kMaxSize)->image.constBits());
}

void BM_PipelineGetMany(benchmark::State& state, int code)
{
    QTemporaryDir dir;
    std::vector<DecodeRequest> requests;
    for (int i = 0; i < 4; ++i) {
        const QString name = dir.filePath(QStringLiteral("IMG_%1.JPG").arg(i));
        QFile::link(Bench24MPPath(), name);
        requests.push_back({name, code, kMaxSize});
    }
    // How the decodes were shared between the calling thread and the workers.
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> onCaller{0}, all{0};
    DecodePipeline::Options options;
    options.beforeDecode = [&](const QString&) {
        ++all;
        onCaller += std::this_thread::get_id() == caller ? 1 : 0;
    };
    DecodePipeline pipeline(options);
    pipeline.getMany(requests);
    for (auto _ : state) {
        pipeline.clearCache();
        benchmark::DoNotOptimize(pipeline.getMany(requests).data());
    }
    state.counters["caller_share"] = double(onCaller) / all;
}

} // namespace

#define PIPELINE_BENCH(fn)                                                             \
    BENCHMARK_CAPTURE(fn, 1, Scale1to1)->Unit(benchmark::kMillisecond)->UseRealTime(); \
    BENCHMARK_CAPTURE(fn, 2, Scale1to2)->Unit(benchmark::kMillisecond)->UseRealTime(); \
    BENCHMARK_CAPTURE(fn, 4, Scale1to4)->Unit(benchmark::kMillisecond)->UseRealTime(); \
    BENCHMARK_CAPTURE(fn, 8, Scale1to8)->Unit(benchmark::kMillisecond)->UseRealTime(); \
    BENCHMARK_CAPTURE(fn, fit, ScaleFit)->Unit(benchmark::kMillisecond)->UseRealTime()

PIPELINE_BENCH(BM_StreamDecode);
PIPELINE_BENCH(BM_PipelineGetCold);
PIPELINE_BENCH(BM_PipelineGetWarm);
BENCHMARK_CAPTURE(BM_PipelineGetMany, 1, Scale1to1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PipelineGetMany, fit, ScaleFit)->Unit(benchmark::kMillisecond)->UseRealTime();
