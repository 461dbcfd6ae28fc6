// The difference view on a 24 megapixel photo at 1:1: what one pane of
// 960 x 540 shows, against the stream decode of the same photo. The second
// version is the photo with every pixel of a band changed slightly, as a
// compression step would; the timing is the difference alone.

#include "benchdata.h"

#include "render/difference.h"
#include "render/jpegpicture.h"

#include <benchmark/benchmark.h>

#include <QImage>

using namespace tetrafot;

namespace {

void BM_Difference(benchmark::State& state)
{
    const QByteArray data = Bench24MPBytes();
    if (data.isEmpty()) {
        state.SkipWithError("no benchmark photo");
        return;
    }
    TJPEGPicture picture(data);
    picture.setScaleDenom(1);
    const QImage photo = picture.image();
    QImage version = photo.copy();
    for (int y = 1500; y < 2500; ++y) {
        uchar* row = version.scanLine(y);
        for (int x = 0; x < version.width() * 3; x += 7)
            row[x] ^= 3;
    }
    // A pane's box in the middle of the photo.
    const QRect box(QPoint(2520, 1730), QSize(960, 540));
    for (auto _ : state) {
        const PhotoDifference d = Difference(photo, version, box);
        benchmark::DoNotOptimize(d.image.constBits());
    }
}

} // namespace

BENCHMARK(BM_Difference)->Name("BM_Difference/1")->Unit(benchmark::kMillisecond)->UseRealTime();
