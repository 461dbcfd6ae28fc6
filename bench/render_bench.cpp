// Decoding and overlay costs on a 24 megapixel photo. BM_RawDecode is
// libjpeg used directly with the settings the viewer uses (DCT scale, float
// IDCT, block smoothing) into a fresh whole-picture buffer: against
// BM_StreamDecode it shows what mapping new picture memory costs.
// BM_PictureDecode is the same decode through TJPEGPicture. BM_FitSmooth is
// the filtered resize of a fitted photo against BM_FitStretch, the plain
// one; BM_UprightTurn the quarter turn of an orientation-6 photo. Qt spreads
// these over threads, so they are timed by the wall clock.

#include "benchdata.h"

#include "render/exposure.h"
#include "render/jpegpicture.h"
#include "render/orientation.h"
#include "render/scaling.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>

using namespace tetrafot;

namespace {

const QByteArray& Photo()
{
    static const QByteArray bytes = Bench24MPBytes();
    return bytes;
}

// The denominator that fit mode gives a 24 MP photo with the default maxsize.
int FitDenom() { return FitDecoderDenom(QSize(6000, 4000), 2000); }

void BM_RawDecode(benchmark::State& state, int denom)
{
    const QByteArray& data = Photo();
    if (data.isEmpty()) {
        state.SkipWithError("no benchmark photo");
        return;
    }
    if (denom == 0)
        denom = FitDenom();
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> pixels;
        DecodeWithViewerSettings(data, denom, [&](const jpeg_decompress_struct& cinfo) {
            const size_t stride = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
            if (!pixels)
                pixels.reset(new unsigned char[stride * cinfo.output_height]);
            return pixels.get() + stride * cinfo.output_scanline;
        });
        benchmark::DoNotOptimize(pixels.get());
    }
}

void BM_PictureDecode(benchmark::State& state, int denom)
{
    const QByteArray& data = Photo();
    if (data.isEmpty()) {
        state.SkipWithError("no benchmark photo");
        return;
    }
    if (denom == 0)
        denom = FitDenom();
    for (auto _ : state) {
        TJPEGPicture picture(data);
        picture.setScaleDenom(denom);
        benchmark::DoNotOptimize(picture.image().constBits());
    }
}

// PaintExposure with the default settings (under mode 2 in white, over mode
// 1 in black) on the photo at 1:1; the fresh working copy is made outside
// the timing, as the viewer's copy is part of the overlay but not of the test.
void BM_ExposureOverlay(benchmark::State& state)
{
    const QByteArray& data = Photo();
    if (data.isEmpty()) {
        state.SkipWithError("no benchmark photo");
        return;
    }
    TJPEGPicture picture(data);
    const QImage& original = picture.image();
    QImage work = original.copy();
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.bits(), original.constBits(), static_cast<size_t>(original.sizeInBytes()));
        state.ResumeTiming();
        PaintExposure(work, 2, 1, 0xFFFFFF, 0);
        benchmark::DoNotOptimize(work.constBits());
    }
}

// The photo decoded as fit mode decodes it, and the size it is drawn at in
// a quarter of a 1920 x 1080 screen.
const QImage& FittedPhoto()
{
    static const QImage image = [] {
        TJPEGPicture picture(Photo());
        picture.setScaleDenom(FitDenom());
        return picture.image();
    }();
    return image;
}

void FitResize(benchmark::State& state, Qt::TransformationMode mode)
{
    if (Photo().isEmpty()) {
        state.SkipWithError("no benchmark photo");
        return;
    }
    const QImage& image = FittedPhoto();
    const QSize drawn = FitSize(image.size(), QSize(1920 / 2, 1080 / 2));
    for (auto _ : state) {
        const QImage scaled = image.scaled(drawn, Qt::IgnoreAspectRatio, mode);
        benchmark::DoNotOptimize(scaled.constBits());
    }
    state.SetLabel(QStringLiteral("%1x%2 -> %3x%4")
                       .arg(image.width()).arg(image.height()).arg(drawn.width()).arg(drawn.height())
                       .toStdString());
}
void BM_FitStretch(benchmark::State& state) { FitResize(state, Qt::FastTransformation); }
void BM_FitSmooth(benchmark::State& state) { FitResize(state, Qt::SmoothTransformation); }

void BM_UprightTurn(benchmark::State& state)
{
    if (Photo().isEmpty()) {
        state.SkipWithError("no benchmark photo");
        return;
    }
    for (auto _ : state) {
        const QImage upright = Upright(FittedPhoto(), 6);
        benchmark::DoNotOptimize(upright.constBits());
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_RawDecode, 1, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RawDecode, 2, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RawDecode, 4, 4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RawDecode, 8, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RawDecode, fit, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PictureDecode, 1, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PictureDecode, 2, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PictureDecode, 4, 4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PictureDecode, 8, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PictureDecode, fit, 0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExposureOverlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitStretch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FitSmooth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UprightTurn)->Unit(benchmark::kMillisecond)->UseRealTime();
