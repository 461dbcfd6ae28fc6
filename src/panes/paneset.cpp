#include "panes/paneset.h"

#include "common/paths.h"
#include "common/usererror.h"
#include "files/companions.h"
#include "files/fileops.h"
#include "metadata/metadatalisting.h"
#include "metadata/phmetadata.h"
#include "render/caption.h"
#include "render/exposure.h"
#include "render/scaling.h"

#include <QCoreApplication>

#include <algorithm>

namespace tetrafot {

namespace {

DecodePipeline::Options WithSpares(DecodePipeline::Options options)
{
    // A decode the user waits for finds a buffer already mapped.
    options.spareBuffers = true;
    return options;
}

// The facts of files loaded lately, besides the panes' own: enough for a
// Backspace after a Space to find them all.
constexpr size_t kRecentFacts = 16;

} // namespace

PaneSet::PaneSet(DecodePipeline::Options options) : m_pipeline(WithSpares(std::move(options))) {}

std::array<QString, 4> PaneSet::paths() const
{
    std::array<QString, 4> result;
    for (size_t k = 0; k < 4; ++k)
        result[k] = m_panes[k].PanePath;
    return result;
}

QString PaneState::label() const
{
    if (DifferenceOn)
        return differenceLabel;
    QString label = DisplayName(AbsolutePath(PanePath));
    if (const QSize preview = meagrePreview(); !preview.isEmpty())
        label += QStringLiteral(" — ")
            + QCoreApplication::translate("PaneSet", "превью %1 × %2").arg(preview.width()).arg(preview.height());
    return label;
}

QString PaneState::captionText(const QString& pattern) const
{
    return QString::fromLocal8Bit(ExpandCaption(pattern.toStdString(), basic()));
}

const TBasicExif& PaneState::basic() const
{
    static const TBasicExif none;
    return facts ? facts->basic : none;
}

bool PaneSet::load(int n, const QString& path, int scaleCode, int maxSize, const MarkStore& marks, bool fromDisk,
                   std::function<QRect(QSize)> visibleOf, const CompanionRule& companions)
{
    // The one look at the file for this load: the pipeline, the prepared
    // photos, the facts and the read-only mark all go by it.
    FileIdentity id;
    if (!StatFileIdentity(path, &id))
        return false;
    std::shared_ptr<const DecodedPhoto> photo;
    if (fromDisk) {
        m_pipeline.invalidate(path);
    } else {
        // The answer prepare had ready, decoded for this pane's scale from
        // the file as it is now.
        auto it = std::find_if(m_prepared.begin(), m_prepared.end(), [&](const auto& entry) {
            return entry.first.path == path && entry.first.scaleCode == scaleCode && entry.first.maxSize == maxSize
                && entry.second->identity == id;
        });
        if (it != m_prepared.end()) {
            photo = std::move(it->second);
            m_prepared.erase(it);
        }
    }
    DecodeRequest request{path, scaleCode, maxSize, std::move(visibleOf)};
    request.identity = id;
    if (!photo && !fromDisk)
        photo = shownPart(request);
    if (!photo)
        photo = m_pipeline.getFirst(request);
    std::shared_ptr<const PhotoFacts> facts = factsOf(*photo, id, fromDisk);
    PaneState& p = pane(n);
    // A part shown over a part keeps what the pane showed before the first:
    // a part is not yet a load that succeeded.
    if (!photo->isPart())
        m_before[size_t(n - 1)].reset();
    else if (!p.isPart())
        m_before[size_t(n - 1)] = p;
    p.PanePath = path;
    p.PaneScale = scaleCode;
    p.OverlayOn = false;
    p.overlay = QImage();
    p.DifferenceOn = false;   // a walk or a reload returns to the photo
    p.reference.reset();
    p.differenceImage = QImage();
    p.photo = std::move(photo);
    p.mark = marks.GetMark(path);
    p.facts = std::move(facts);
    p.readOnly = id.readOnly;
    p.rawCompanions = HasRawCompanions(path, companions.extensions, companions.anyRaw, companions.prefix,
                                       companions.suffix);
    return true;
}

std::shared_ptr<const PhotoFacts> PaneSet::factsOf(const DecodedPhoto& photo, const FileIdentity& identity,
                                                   bool fromDisk)
{
    if (fromDisk) {
        std::erase_if(m_recentFacts, [&](const auto& facts) { return facts->identity.path == identity.path; });
    } else {
        for (const PaneState& p : m_panes)
            if (p.facts && p.facts->identity == identity)
                return p.facts;
    }
    for (auto it = m_recentFacts.begin(); it != m_recentFacts.end(); ++it)
        if ((*it)->identity == identity) {
            std::rotate(m_recentFacts.begin(), it, it + 1);
            return m_recentFacts.front();
        }
    ++m_metadataReads;
    // A JPEG's bytes (a RAW file's head) are in memory already: the Exif
    // block is read from them rather than from the file a second time.
    const MetadataListing listing = photo.jpeg || photo.raw ? ListMetadata(ExifOf(photo))
                                                            : ListMetadata(EncodeFileName(identity.path).toStdString());
    auto facts = std::make_shared<PhotoFacts>();
    facts->identity = identity;
    if (listing.status == 0) {
        QStringList lines;
        lines.reserve(qsizetype(listing.lines.size()));
        for (const std::string& line : listing.lines)
            lines << QString::fromLocal8Bit(line);
        facts->metadataText = lines.join(QLatin1Char('\n'));
        facts->basic = listing.basic;
    }
    m_recentFacts.insert(m_recentFacts.begin(), facts);
    if (m_recentFacts.size() > kRecentFacts)
        m_recentFacts.pop_back();
    return facts;
}

std::vector<PaneSet::PartOutcome> PaneSet::takeWhole(const WholeResult& result)
{
    std::vector<int> showing;
    for (int n = 1; n <= 4; ++n) {
        const PaneState& p = pane(n);
        if (p.isPart() && p.photo->identity == result.key.identity
            && p.photo->denom == DecoderScale(result.key.scaleCode))
            showing.push_back(n);
    }
    // Taken only for a pane that shows it: otherwise it stays held until
    // the walk drops it, as a part of the file may come back before then.
    if (showing.empty() || !m_pipeline.take(result))
        return {};
    std::vector<PartOutcome> outcomes;
    for (const int n : showing) {
        PaneState& p = pane(n);
        outcomes.push_back({n, p.PanePath, result.error});
        if (result.ok()) {
            p.photo = result.photo;
            m_before[size_t(n - 1)].reset();
        } else {
            putBack(n);
        }
    }
    return outcomes;
}

void PaneSet::makeWhole(int n)
{
    PaneState& p = pane(n);
    if (!p.isPart())
        return;
    try {
        p.photo = m_pipeline.wholeOf(*p.photo);
        m_before[size_t(n - 1)].reset();
    } catch (const UserError&) {
        putBack(n);
        throw;
    }
}

void PaneSet::putBack(int n)
{
    std::optional<PaneState>& before = m_before[size_t(n - 1)];
    if (before)
        pane(n) = std::move(*before);
    else
        clear(n);
    before.reset();
}

void PaneSet::rescale(int n, int scaleCode, int maxSize)
{
    PaneState& p = pane(n);
    if (!p.hasPicture())
        return;
    if (scaleCode == ScaleFit)
        makeWhole(n);   // a fitted picture is drawn whole
    // A load lays its photo out at the scale it was decoded at: no second
    // look at the file then.
    const int denom = scaleCode == ScaleFit ? FitDecoderDenom(p.photo->fullSize, maxSize) : DecoderScale(scaleCode);
    if (p.isJpeg() && denom != p.photo->denom) {
        p.photo = m_pipeline.get(p.PanePath, scaleCode, maxSize);
        m_before[size_t(n - 1)].reset();
    }
    p.PaneScale = scaleCode;
    // The difference stays on at the new scale, the reference following it.
    // A reference that no longer decodes ends the difference view.
    try {
        if (p.DifferenceOn && !startDifference(n, p.differenceReference, maxSize))
            stopDifference(n);
    } catch (const UserError&) {
        stopDifference(n);
    }
}


bool PaneSet::startDifference(int n, int reference, int maxSize)
{
    if (n == reference || reference < 1 || reference > 4 || !pane(n).hasPicture()
        || !pane(reference).hasPicture())
        return false;
    makeWhole(n);   // the difference is of the whole photo
    PaneState& p = pane(n);
    const PaneState& r = pane(reference);
    // At this pane's own DCT scale, whatever the reference pane shows: a
    // fitted pane of another photo size would otherwise compare unlike scales.
    p.reference = r.isJpeg() ? m_pipeline.get(r.PanePath, FixedScaleOfDenom(p.photo->denom), maxSize) : r.photo;
    p.differenceReference = reference;
    p.DifferenceOn = true;
    return true;
}

void PaneSet::stopDifference(int n)
{
    PaneState& p = pane(n);
    p.DifferenceOn = false;
    p.reference.reset();
    p.differenceImage = QImage();
    p.differenceLabel.clear();
}

PhotoDifference PaneSet::difference(int n, QRect visible) const
{
    const PaneState& p = (*this)[n];
    if (!p.DifferenceOn || !p.photo || !p.reference)
        return {};
    return Difference(p.photo->image, p.reference->image, visible);
}

bool PaneSet::setUpright(bool on)
{
    if (m_pipeline.upright() == on)
        return false;
    m_pipeline.setUpright(on);
    return true;
}

bool PaneSet::checkReadOnly(int n)
{
    PaneState& p = pane(n);
    p.readOnly = IsReadOnlyFile(p.PanePath);
    return p.readOnly;
}

void PaneSet::clear(int n)
{
    const int scale = pane(n).PaneScale;
    pane(n) = PaneState{};
    pane(n).PaneScale = scale;
    m_before[size_t(n - 1)].reset();
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
    makeWhole(n);   // the overlay is painted on the whole photo
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
    m_prepared.clear();
    if (requests.size() < 2)
        return;
    std::vector<DecodeRequest> toDecode;
    for (DecodeRequest r : requests) {
        // Each file looked up once for the part on show and the decode.
        if (FileIdentity id; !r.identity && StatFileIdentity(r.path, &id))
            r.identity = id;
        if (auto part = shownPart(r))
            m_prepared.emplace_back(r, std::move(part));
        else
            toDecode.push_back(std::move(r));
    }
    const std::vector<DecodeResult> results = m_pipeline.getMany(toDecode);
    for (size_t i = 0; i < results.size(); ++i)
        if (results[i].ok())
            m_prepared.emplace_back(toDecode[i], results[i].photo);
}

std::shared_ptr<const DecodedPhoto> PaneSet::shownPart(const DecodeRequest& r)
{
    // A step in shift mode moves a part to the next pane, and start-up fills
    // the panes twice: a part on show that holds what the pane will show
    // serves again while its whole decodes.
    FileIdentity now;
    if (!r.visibleOf || r.scaleCode == ScaleFit)
        return nullptr;
    if (r.identity && r.identity->path == r.path)
        now = *r.identity;
    else if (!StatFileIdentity(r.path, &now))
        return nullptr;
    DecodeRequest known = r;
    known.identity = now;
    if (m_pipeline.isCached(known))
        return nullptr;
    for (const PaneState& p : m_panes) {
        if (!p.isPart() || !(p.photo->identity == now) || p.photo->denom != DecoderScale(r.scaleCode))
            continue;
        const QRect seen = r.visibleOf(p.photo->whole) & QRect(QPoint(), p.photo->whole);
        if (p.photo->part.contains(seen))
            return p.photo;
    }
    return nullptr;
}

void PaneSet::lookAhead(int selection, int count, bool pageMode, const EntryPath& entryPath,
                        const std::function<int(int)>& scaleOf, int maxSize, int pinnedEntry)
{
    const std::array<QString, 4> shown = paths();
    const Pin pin(m_pinned, pinnedEntry);
    std::vector<WalkResult> steps{NextFiles(selection, count, shown, pageMode, entryPath, pin),
                                  PreviousFiles(selection, count, shown, pageMode, entryPath, pin)};
    // A walk that outpaces the workers at fit (where no part is shown
    // first) has the look-ahead go one step further, so that a key waiting
    // for its file finds the next one queued for a second core (see
    // DecodePipeline::get). At a relaxed pace it holds no more photos.
    const WalkResult& next = steps.front();
    bool fitted = next.changed && m_pipeline.outpaced();
    for (int k = 0; k < 4; ++k)
        fitted = fitted && (!next.load[size_t(k)] || scaleOf(k + 1) == ScaleFit);
    if (fitted)
        steps.push_back(NextFiles(next.selection, count, next.paths, pageMode, entryPath, pin));
    lookAhead(steps, scaleOf, maxSize);
}

void PaneSet::lookAhead(const std::vector<WalkResult>& steps, const std::function<int(int)>& scaleOf, int maxSize)
{
    std::vector<const DecodedPhoto*> parts;
    for (const PaneState& p : m_panes)
        if (p.isPart())
            parts.push_back(p.photo.get());
    m_pipeline.keepCompletionsOf(parts);   // the whole photos for panes walked on are not wanted
    m_prepared.clear();
    std::vector<DecodeRequest> requests;
    for (const WalkResult& step : steps) {
        if (!step.changed)
            continue;
        for (int k = 0; k < 4; ++k)
            if (step.load[size_t(k)] && !step.paths[size_t(k)].isEmpty())
                requests.push_back({step.paths[size_t(k)], scaleOf(k + 1), maxSize});
    }
    m_pipeline.lookAhead(requests);
}

namespace {

EntryPath EntriesOf(const FolderList& list)
{
    return [&list](int i) { return list.path(i); };
}

} // namespace

WalkResult PaneSet::step(Step step, const FolderList& list, bool pageMode) const
{
    const Pin pin(m_pinned, m_pinned ? list.indexOf(m_panes[size_t(m_pinned - 1)].PanePath) : -1);
    const std::array<QString, 4> shown = paths();
    switch (step) {
    case Step::Next: return NextFiles(list.selection(), list.count(), shown, pageMode, EntriesOf(list), pin);
    case Step::Previous: return PreviousFiles(list.selection(), list.count(), shown, pageMode, EntriesOf(list), pin);
    case Step::First: return FirstFiles(list.count(), shown, EntriesOf(list), pin);
    case Step::Last: return LastFiles(list.count(), shown, EntriesOf(list), pin);
    }
    return {};
}

WalkResult PaneSet::showFrom(int first, const FolderList& list) const
{
    const Pin pin(m_pinned, m_pinned ? list.indexOf(m_panes[size_t(m_pinned - 1)].PanePath) : -1);
    return FilesFrom(first, list.count(), paths(), EntriesOf(list), pin);
}

void PaneSet::lookAhead(const FolderList& list, bool pageMode, const std::function<int(int)>& scaleOf, int maxSize)
{
    lookAhead(list.selection(), list.count(), pageMode, EntriesOf(list), scaleOf, maxSize,
              m_pinned ? list.indexOf(m_panes[size_t(m_pinned - 1)].PanePath) : -1);
}

} // namespace tetrafot
