#include "panes/paneset.h"

#include "render/exposure.h"
#include "render/scaling.h"

namespace {

DecodePipeline::Options WithSpares(DecodePipeline::Options options)
{
    // A decode the user waits for finds a buffer already mapped.
    options.spareBuffers = true;
    return options;
}

} // namespace

PaneSet::PaneSet(DecodePipeline::Options options) : m_pipeline(WithSpares(std::move(options))) {}

std::array<QString, 4> PaneSet::paths() const
{
    std::array<QString, 4> result;
    for (size_t k = 0; k < 4; ++k)
        result[k] = m_panes[k].PanePath;
    return result;
}

void PaneSet::load(int n, const QString& path, int scaleCode, int maxSize, const MarkStore& marks, bool fromDisk)
{
    if (fromDisk)
        m_pipeline.invalidate(path);
    std::shared_ptr<const DecodedPhoto> photo = m_pipeline.get(path, scaleCode, maxSize);
    PaneState& p = pane(n);
    p.PanePath = path;
    p.PaneScale = scaleCode;
    p.OverlayOn = false;
    p.overlay = QImage();
    p.photo = std::move(photo);
    p.mark = marks.GetMark(path);
}

void PaneSet::rescale(int n, int scaleCode, int maxSize)
{
    PaneState& p = pane(n);
    if (!p.hasPicture())
        return;
    // A load lays its photo out at the scale it was decoded at: no second
    // look at the file then.
    const int denom = scaleCode == ScaleFit ? FitDecoderDenom(p.photo->fullSize, maxSize) : DecoderScale(scaleCode);
    if (p.isJpeg() && denom != p.photo->denom)
        p.photo = m_pipeline.get(p.PanePath, scaleCode, maxSize);
    p.PaneScale = scaleCode;
}

bool PaneSet::setUpright(bool on)
{
    if (m_pipeline.upright() == on)
        return false;
    m_pipeline.setUpright(on);
    return true;
}

void PaneSet::clear(int n)
{
    const int scale = pane(n).PaneScale;
    pane(n) = PaneState{};
    pane(n).PaneScale = scale;
}

void PaneSet::keepOverlayAsPicture(int n)
{
    PaneState& p = pane(n);
    if (!p.OverlayOn)
        return;
    auto painted = std::make_shared<DecodedPhoto>();
    painted->identity.path = p.PanePath;
    painted->image = p.overlay;
    painted->fullSize = p.overlay.size();
    painted->jpeg = false;
    p.photo = std::move(painted);
    p.overlay = QImage();
    p.OverlayOn = false;
}

bool PaneSet::paintOverlay(int n, int underMode, int overMode, int underColour, int overColour)
{
    PaneState& p = pane(n);
    if (!p.isJpeg())
        return false;
    // A copy: the decoded photo stays in the cache for the switch-off and
    // for the other panes that show the same file.
    QImage copy = p.photo->image.copy();
    PaintExposure(copy, underMode, overMode, underColour, overColour);
    p.overlay = std::move(copy);
    p.OverlayOn = true;
    return true;
}

void PaneSet::prepare(const std::vector<DecodeRequest>& requests)
{
    if (requests.size() > 1)
        m_pipeline.getMany(requests);
}

void PaneSet::lookAhead(int selection, int count, bool pageMode, const EntryPath& entryPath,
                        const std::function<int(int)>& scaleOf, int maxSize)
{
    std::vector<DecodeRequest> requests;
    const std::array<QString, 4> shown = paths();
    for (const WalkResult& step : {NextFiles(selection, count, shown, pageMode, entryPath),
                                   PreviousFiles(selection, count, shown, pageMode, entryPath)}) {
        if (!step.changed)
            continue;
        for (int k = 0; k < 4; ++k)
            if (step.load[size_t(k)] && !step.paths[size_t(k)].isEmpty())
                requests.push_back({step.paths[size_t(k)], scaleOf(k + 1), maxSize});
    }
    m_pipeline.lookAhead(requests);
}
