// The session's pane commands: loads, scales, the exposure overlay, the
// difference view and dragging, each changing the panes' states and places
// and saying which panes to draw again.
#include "session/viewsession.h"

#include "common/paths.h"
#include "common/usererror.h"
#include "render/scaling.h"
#include "settings/appstate.h"
#include "settings/mainsettings.h"

namespace tetrafot {

ViewSession::PaneUpdate& ViewSession::PaneUpdate::operator+=(const PaneUpdate& other)
{
    for (size_t k = 0; k < draw.size(); ++k)
        draw[k] = draw[k] || other.draw[k];
    errors += other.errors;
    return *this;
}

ShownPictures ViewSession::shownPictures() const
{
    ShownPictures shown;
    for (int n = 1; n <= 4; ++n)
        shown[size_t(n - 1)] = {place(n).shown(), place(n).view(), m_panes[n].hasPicture()};
    return shown;
}

std::function<QRect(QSize)> ViewSession::visibleOf(int n) const
{
    std::optional<QPointF> centre;
    if (m_syncOn && m_panes[n].hasPicture())
        centre = place(n).centre();
    return place(n).firstSeen(centre);
}

ViewSession::PaneUpdate ViewSession::loadFailed(const QString& path, const QString& message, bool always)
{
    PaneUpdate update;
    if (failureToReport(path, always))
        update.errors << message;
    return update;
}

ViewSession::PaneUpdate ViewSession::loadPane(int n, const QString& path, bool fromDisk)
{
    if (path.isEmpty())
        return {};
    // Decoded before anything of the pane changes, so that a file that fails
    // leaves the previous picture, path and caption in place.
    try {
        if (!m_panes.load(n, path, storedScale(n), m_maxSize, marksFor(path), fromDisk, visibleOf(n), companionRule()))
            return {};
    } catch (const UserError& e) {
        return loadFailed(path, e.message(), fromDisk);
    }
    loaded(path);
    PaneUpdate update = setScale(n, m_panes[n].PaneScale);
    update.add(n);
    return update;
}

ViewSession::PaneUpdate ViewSession::reloadPane(int n)
{
    std::optional<QPointF> centre;
    if (m_syncOn && m_panes[n].hasPicture())
        centre = place(n).centre();
    PaneUpdate update = loadPane(n, m_panes[n].PanePath, true);
    update += setScale(n, m_panes[n].PaneScale);
    if (centre && m_panes[n].hasPicture())
        place(n).placeAt(*centre);
    update.add(n);
    return update;
}

ViewSession::PaneUpdate ViewSession::wholeFailed(int n, const QString& path, const QString& message)
{
    // As a failed load: the pane shows what it showed before.
    PaneUpdate update = loadFailed(path, message, false);
    if (m_panes[n].hasPicture())
        update += setScale(n, m_panes[n].PaneScale);
    else
        m_panes.clear(n);
    update.add(n);
    return update;
}

ViewSession::PaneUpdate ViewSession::takeWhole(const WholeResult& result)
{
    PaneUpdate update;
    for (const PaneSet::PartOutcome& outcome : m_panes.takeWhole(result)) {
        if (outcome.error.isEmpty())
            update.add(outcome.pane);   // the same pixels where the part was: no layout changes
        else
            update += wholeFailed(outcome.pane, outcome.path, outcome.error);
    }
    return update;
}

ViewSession::PaneUpdate ViewSession::layOut(int n, int code)
{
    const PaneState& state = m_panes[n];
    // Pixels first: a decoder error leaves the layout as it was.
    if (state.isPart() && code == ScaleFit) {
        const QString path = state.PanePath;
        try {
            m_panes.makeWhole(n);   // a fitted picture is drawn whole
        } catch (const UserError& e) {
            return wholeFailed(n, path, e.message());
        }
    }
    std::optional<bool> stretch;
    if (state.isJpeg()) {
        m_panes.rescale(n, code, m_maxSize);
        m_store.set(Stored::ImageScale, n, code);
        stretch = code == ScaleFit;
    }
    place(n).layOut(state.pictureSize(), code == ScaleFit, stretch);
    PaneUpdate update;
    update.add(n);
    return update;
}

ViewSession::PaneUpdate ViewSession::setScale(int n, int code)
{
    const PaneState& state = m_panes[n];
    if (!state.hasPicture())
        return {};
    PaneUpdate update;
    // The overlay is painted again over the photo at the new scale.
    const bool overlay = state.OverlayOn;
    if (overlay) {
        const QString path = state.PanePath;
        m_panes.keepOverlayAsPicture(n);
        update += loadPane(n, path);
    }
    update += layOut(n, code);
    if (overlay)
        update += toggleOverlay(n);
    refreshDifference(n);
    update.add(n);
    return update;
}

ViewSession::PaneUpdate ViewSession::scaleCommand(int code)
{
    if (!m_syncOn)
        return setScale(m_current, code);
    PaneUpdate update;
    for (int n = 1; n <= 4; ++n) {
        if (!m_panes[n].hasPicture())
            continue;
        const QPointF centre = place(n).centre();
        update += setScale(n, code);
        place(n).placeAt(centre);
        refreshDifference(n);
    }
    return update;
}

ViewSession::PaneUpdate ViewSession::placeAt(int n, QPointF centre)
{
    place(n).placeAt(centre);
    refreshDifference(n);
    PaneUpdate update;
    update.add(n);
    return update;
}

ViewSession::PaneUpdate ViewSession::layOutAgain(int n)
{
    if (!m_panes[n].hasPicture() || m_panes[n].PaneScale == 0)
        return {};
    const QPointF centre = place(n).centre();
    PaneUpdate update = layOut(n, m_panes[n].PaneScale);
    place(n).placeAt(centre);
    refreshDifference(n);
    return update;
}

ViewSession::PaneUpdate ViewSession::toggleOverlay(int n)
{
    PaneUpdate update;
    if (m_panes[n].DifferenceOn)
        update += setDifference(n, false);   // the overlay is painted on the photo
    if (m_panes[n].OverlayOn) {
        m_panes.keepOverlayAsPicture(n);
        return update += reloadPane(n);
    }
    const StoredColour over = m_store.get(Stored::OverExpColour);
    const StoredColour under = m_store.get(Stored::UnderExpColour);
    const QString path = m_panes[n].PanePath;
    try {
        if (!m_panes.paintOverlay(n, m_store.get(Stored::UnderExpMode), m_store.get(Stored::OverExpMode), under.value,
                                  over.value))
            return update;
    } catch (const UserError& e) {
        return update += wholeFailed(n, path, e.message());   // the rest of a photo shown in part
    }
    PaneState& state = m_panes.pane(n);
    state.overColour = over.toQColor().rgb();
    state.underColour = under.toQColor().rgb();
    // The overlay is the photo's size: the picture stays where it lies.
    update.add(n);
    return update;
}

ViewSession::PaneUpdate ViewSession::setDifference(int n, bool on)
{
    if (on == m_panes[n].DifferenceOn || !m_panes[n].hasPicture())
        return {};
    const QPointF centre = place(n).centre();   // the view stays where it is
    PaneUpdate update;
    if (!on) {
        m_panes.stopDifference(n);
        update += setScale(n, m_panes[n].PaneScale);
        place(n).placeAt(centre);
        update.add(n);
        return update;
    }
    const int reference = m_panes.pinned() ? m_panes.pinned() : 1;
    if (reference == n) {
        update.errors << tr("Панель %1 — образец, с которым сравниваются другие панели. Выберите другую панель "
                            "или закрепите образец клавишей A.")
                             .arg(n);
        return update;
    }
    if (!m_panes[reference].hasPicture()) {
        update.errors << tr("В панели %1 нет снимка, с которым сравнивать.").arg(reference);
        return update;
    }
    if (m_panes[n].OverlayOn)
        update += toggleOverlay(n);
    const QString path = m_panes[n].PanePath;
    const bool part = m_panes[n].isPart();
    try {
        m_panes.startDifference(n, reference, m_maxSize);
    } catch (const UserError& e) {
        if (part && m_panes[n].PanePath != path)
            return update += wholeFailed(n, path, e.message());   // the rest of a photo shown in part
        update.errors << e.message();
        return update;
    }
    update += layOut(n, m_panes[n].PaneScale);   // the whole photo where a part was
    place(n).placeAt(centre);
    refreshDifference(n);
    return update;
}

void ViewSession::refreshDifference(int n)
{
    if (!m_panes[n].DifferenceOn)
        return;
    PaneState& state = m_panes.pane(n);
    const PhotoDifference d = m_panes.difference(n, place(n).shownPixels(state.pictureSize()));
    state.differenceImage = d.image;
    state.differenceRect = d.rect;
    state.differenceLabel = DisplayName(AbsolutePath(state.PanePath)) + QStringLiteral(" — ")
        + tr("разница с панелью %1, ×%2").arg(state.differenceReference).arg(DifferenceGain);
    if (d.sizesDiffer)
        state.differenceLabel += QStringLiteral("; ")
            + tr("размеры разные, сравнивается общая область %1 × %2").arg(d.common.width()).arg(d.common.height());
}

ViewSession::PaneUpdate ViewSession::dragTo(int n, QPoint at)
{
    PaneUpdate update;
    for (const PictureMove& m : m_drag.move(n, m_current, at, m_syncOn, shownPictures())) {
        place(m.pane).moveArea(m.by);
        refreshDifference(m.pane);   // worked out for what the pane shows
        update.add(m.pane);
    }
    return update;
}

} // namespace tetrafot
