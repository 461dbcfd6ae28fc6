#include "render/scaling.h"

#include <algorithm>
#include <cmath>

namespace tetrafot {

namespace {

// Indexed by the scale code; entry 0 is unused.
constexpr int kDecoderScale[5] = {0, 1, 2, 8, 4};
constexpr int kZoomOutStep[5] = {0, 2, 4, 3, 3};
constexpr int kZoomInStep[5] = {0, 1, 1, 4, 2};

bool IsFixedCode(int code) { return code >= Scale1to1 && code <= Scale1to4; }

// The fixed scales from the largest picture to the smallest.
constexpr int kByReduction[4] = {Scale1to1, Scale1to2, Scale1to4, Scale1to8};

QSize ScaledSize(QSize full, int denom)
{
    // libjpeg's scaled output size: ceil(w / d) x ceil(h / d).
    return {(full.width() + denom - 1) / denom, (full.height() + denom - 1) / denom};
}

bool AtLeastAsLarge(QSize picture, QSize area)
{
    return picture.width() >= area.width() && picture.height() >= area.height();
}

} // namespace

int DecoderScale(int code) { return IsFixedCode(code) ? kDecoderScale[code] : 1; }
int ZoomInStep(int code) { return IsFixedCode(code) ? kZoomInStep[code] : code; }
int ZoomOutStep(int code) { return IsFixedCode(code) ? kZoomOutStep[code] : code; }

int NormaliseScaleCode(int code)
{
    return code >= Scale1to1 && code <= ScaleFit ? code : Scale1to1;
}

int FitDecoderDenom(QSize fullSize, int maxSize)
{
    return fullSize.height() > maxSize || fullSize.width() > maxSize ? 2 : 1;
}

QSize FitSize(QSize picture, QSize box)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {0, 0};
    const long double q1 = static_cast<long double>(box.height()) / picture.height();
    const long double q2 = static_cast<long double>(box.width()) / picture.width();
    // The ratio is rounded to double before the products, which are taken in
    // extended precision and truncated: 1500 x (400/1500) gives 399, not 400.
    const double ratio = static_cast<double>(std::min(q1, q2));
    const long double hl = static_cast<long double>(picture.height()) * ratio;
    const long double wl = static_cast<long double>(picture.width()) * ratio;
    const int h = static_cast<int>(hl);
    const int w = static_cast<int>(wl);
    return {std::min(w, box.width()), std::min(h, box.height())};
}

QRect PlaceInBox(QSize area, QSize box)
{
    const int left = box.width() > area.width() ? (box.width() - area.width()) / 2 : 0;
    const int top = box.height() > area.height() ? (box.height() - area.height()) / 2 : 0;
    return {left, top, area.width(), area.height()};
}

int ZoomInFromFit(QSize fullSize, QSize fittedArea)
{
    // From the smallest picture upwards; a fit that enlarges ends at 1:1.
    for (int i = 3; i > 0; --i) {
        const int code = kByReduction[i];
        if (AtLeastAsLarge(ScaledSize(fullSize, kDecoderScale[code]), fittedArea))
            return code;
    }
    return Scale1to1;
}

int ZoomOutFromFit(QSize fullSize, QSize fittedArea)
{
    // From the largest picture downwards. "Smaller" is "not at least as
    // large", so numpad - lands just below where numpad + would go.
    for (int i = 0; i < 3; ++i) {
        const int code = kByReduction[i];
        if (!AtLeastAsLarge(ScaledSize(fullSize, kDecoderScale[code]), fittedArea))
            return code;
    }
    return Scale1to8;
}

QPoint KeepOnScreen(QRect window, const QList<QRect>& screens, QRect primary)
{
    constexpr int kVisible = 64;
    for (const QRect& screen : screens) {
        const QRect shared = screen.intersected(window);
        if (shared.width() >= std::min(kVisible, window.width())
            && shared.height() >= std::min(kVisible, window.height()))
            return window.topLeft();
    }
    return primary.topLeft();
}

QRect VisiblePart(QSize picture, QSize box, QPoint scroll)
{
    const int x = std::clamp(scroll.x(), 0, std::max(0, picture.width() - box.width()));
    const int y = std::clamp(scroll.y(), 0, std::max(0, picture.height() - box.height()));
    return QRect(QPoint(x, y), box) & QRect(QPoint(0, 0), picture);
}

namespace {

// A product that should be whole (2 x 1.25 x 4) may come out a hair below
// it in floating point; the tolerance keeps it whole.
constexpr double kWhole = 1e-6;

} // namespace

QSize DevicePixels(QSize logical, double ratio)
{
    return {static_cast<int>(std::floor(logical.width() * ratio + kWhole)),
            static_cast<int>(std::floor(logical.height() * ratio + kWhole))};
}

QSize LogicalSize(QSize device, double ratio)
{
    return {static_cast<int>(std::ceil(device.width() / ratio - kWhole)),
            static_cast<int>(std::ceil(device.height() / ratio - kWhole))};
}

int FixedScaleOfDenom(int denom)
{
    for (int code : {Scale1to1, Scale1to2, Scale1to4, Scale1to8})
        if (DecoderScale(code) == denom)
            return code;
    return Scale1to1;
}

int ZoomStepCode(int code, QSize fullSize, QSize shown, bool in)
{
    if (code == 0)
        return 0;
    if (code != ScaleFit)
        return in ? ZoomInStep(code) : ZoomOutStep(code);
    if (fullSize.isEmpty())
        return 0;   // only JPEG photos have fixed scales
    return in ? ZoomInFromFit(fullSize, shown) : ZoomOutFromFit(fullSize, shown);
}

} // namespace tetrafot
