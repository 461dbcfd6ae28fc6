// libFuzzer target: the bytes are a whole photo file, decoded as the panes
// decode it at each scale, with the exposure overlay painted on what
// decodes. A failure must be the one error type the window shows; the
// first two bytes choose the overlay's tests, so that every mode is met.
// Pictures are allowed up to 1 GiB; decoding that much under the fuzzer's
// instrumentation takes far longer than its time limit, so only scales of at
// most kMaxPixels are decoded. The 1/8 scale of every allowed size is within
// it, so each stream is still decoded whole at some scale.
#include <cstdint>
#include <cstdlib>

#include <QImage>

#include "common/usererror.h"
#include "render/exposure.h"
#include "render/jpegpicture.h"

using namespace tetrafot;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr long long kMaxPixels = 16LL << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int underMode = size > 0 ? data[0] % 4 : 0;
    const int overMode = size > 1 ? data[1] % 4 : 0;
    TJPEGPicture picture(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                         QStringLiteral("fuzz.jpg"));
    for (int denom : {8, 4, 2, 1}) {
        picture.setScaleDenom(denom);
        try {
            const int w = picture.width(), h = picture.height();
            Check(w > 0 && h > 0);
            Check(picture.fullWidth() >= w && picture.fullHeight() >= h);
            if (static_cast<long long>(w) * h > kMaxPixels)
                continue;
            QImage image = picture.image();
            Check(image.width() == w && image.height() == h);
            Check(image.format() == (picture.isGreyscale() ? QImage::Format_Indexed8 : QImage::Format_RGB888));
            PaintExposure(image, underMode, overMode, 0x0000FF, 0xFF0000);
            Check(image.size() == QSize(w, h));
        } catch (const UserError&) {
            // Shown as a message; the pane keeps its photo.
        }
    }
    return 0;
}
