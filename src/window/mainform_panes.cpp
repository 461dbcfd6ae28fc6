// The main window's panes: loading, laying out, clearing, the current pane,
// the exposure overlay and dragging.
#include "window/mainform.h"
#include "settings/mainsettings.h"

#include "window/panewidgets.h"
#include "common/paths.h"
#include "common/usererror.h"
#include "panes/panesync.h"
#include "render/exposure.h"
#include "render/scaling.h"
#include "window/markpictures.h"

#include <QLabel>
#include <QtMath>
#include <QScrollBar>
#include <QToolButton>

#include <optional>


void TfrmMain::LoadPane(int n, const QString& path, bool fromDisk)
{
    if (path.isEmpty())
        return;
    const int scale = NormaliseScaleCode(m_store.get(Stored::ImageScale, n));

    // Decoded before anything of the pane changes, so that a file that fails
    // leaves the previous picture, path and caption in place. A name that is
    // no regular file leaves the pane alone without a word.
    try {
        if (!m_paneSet.load(n, path, scale, m_session.maxSize(), m_session.marksFor(path), fromDisk, visibleOf(n),
                            companionRule()))
            return;
    } catch (const UserError& e) {
        reportLoadFailure(path, e.message(), fromDisk);
        return;
    }
    m_session.loaded(path);
    showLoadedPane(n);
}

void TfrmMain::reportLoadFailure(const QString& path, const QString& message, bool always)
{
    // Walking past a damaged file shows its message once per visit of the
    // folder, not once for every pane it passes through.
    if (m_session.failureToReport(path, always))
        reportError(message);
}

std::function<QRect(QSize)> TfrmMain::visibleOf(int n) const
{
    // A picture at a fixed scale lies in device pixels: the box is measured
    // in them too.
    const ScrollBoxWidget* box = m_panes[n - 1].box;
    const double ratio = box->devicePixelRatioF();
    const QSize size = DevicePixels(box->size(), ratio);
    if (m_session.syncOn() && m_paneSet[n].hasPicture()) {
        // A synchronized walk puts the pane's point of its photo back in
        // the middle (placeAt): the next photo is seen around that point.
        const QPointF centre = viewCentre(n);
        const QSize view = DevicePixels(box->viewport()->size(), ratio);
        return [size, centre, view](QSize picture) {
            const QRect laid(PlaceInBox(picture, size).topLeft(), picture);
            return QRect(-PlaceAtCentre(centre, laid, view), view) & QRect(QPoint(0, 0), picture);
        };
    }
    const QPoint scroll(qRound(box->horizontalScrollBar()->value() * ratio),
                        qRound(box->verticalScrollBar()->value() * ratio));
    return [size, scroll](QSize picture) { return VisiblePart(picture, size, scroll); };
}

CompanionRule TfrmMain::companionRule() const
{
    return m_session.companionRule();
}

PaneViewOptions TfrmMain::paneViewOptions() const
{
    return {m_session.captionsOn(), m_store.get(Stored::Pattern)};
}

void TfrmMain::showLoadedPane(int n)
{
    m_panes[n - 1].picture->clear();
    // The caption first: showing or hiding it changes the box the picture
    // is laid out in. An empty path: the rest of a part failed, and the
    // pane had nothing before.
    if (!m_paneSet[n].PanePath.isEmpty())
        m_panes[n - 1].showLoaded(m_paneSet[n], paneViewOptions(), m_markPictures);
    SetPaneScale(n, m_paneSet[n].PaneScale);
}

void TfrmMain::FinishPartialPanes(const WholeResult& result)
{
    for (const PaneSet::PartOutcome& outcome : m_paneSet.takeWhole(result)) {
        const int n = outcome.pane;
        if (outcome.error.isEmpty()) {
            // The same pixels where the part was: no layout changes.
            m_panes[n - 1].picture->setImage(m_paneSet[n].image());
            continue;
        }
        wholeFailed(n, outcome.path, outcome.error);
    }
}

void TfrmMain::wholeFailed(int n, const QString& path, const QString& message)
{
    // As a failed load: the pane shows what it showed before.
    reportLoadFailure(path, message);
    if (m_paneSet[n].hasPicture())
        showLoadedPane(n);
    else
        ClearPane(n);
}

void TfrmMain::ReloadPane(int n)
{
    // A synchronized pane keeps its place with the others.
    std::optional<QPointF> centre;
    if (m_session.syncOn() && m_paneSet[n].hasPicture())
        centre = viewCentre(n);
    // R asks for the file again: a failure is shown even when it was before.
    LoadPane(n, m_paneSet[n].PanePath, true);
    SetPaneScale(n, m_paneSet[n].PaneScale);
    if (centre && m_paneSet[n].hasPicture())
        placeAt(n, *centre);
}

void TfrmMain::ClearPane(int n)
{
    m_paneSet.clear(n);
    m_panes[n - 1].clear();
}

void TfrmMain::SelectPane(int n)
{
    m_session.selectPane(n);
    ToolButton5->setChecked(m_panes[n - 1].quarter->childSize(m_panes[n - 1].metaPanel) > 1);
    for (auto& slot : m_panes)
        slot.box->setCurrent(false);
    m_panes[n - 1].box->setCurrent(true);
}

void TfrmMain::SetPaneScale(int n, int code)
{
    PaneSlot& slot = m_panes[n - 1];
    const PaneState& state = m_paneSet[n];
    if (!state.hasPicture())
        return;
    bool repaint = false;
    if (state.OverlayOn) {
        slot.indicator->hide();
        m_paneSet.keepOverlayAsPicture(n);
        LoadPane(n, state.PanePath);
        repaint = true;
    }
    layoutPicture(n, code);
    if (repaint)
        ToggleExposureOverlay(n);
    if (m_paneSet[n].DifferenceOn)
        refreshDifference(n);
}

void TfrmMain::ToggleDifference()
{
    setDifference(m_session.currentPane(), !m_paneSet[m_session.currentPane()].DifferenceOn);
}

void TfrmMain::setDifference(int n, bool on)
{
    if (on == m_paneSet[n].DifferenceOn || !m_paneSet[n].hasPicture())
        return;
    const QPointF centre = viewCentre(n);   // the view stays where it is
    if (!on) {
        m_paneSet.stopDifference(n);
        ShowFileInPane(n);
        placeAt(n, centre);
        return;
    }
    const int reference = m_paneSet.pinned() ? m_paneSet.pinned() : 1;
    if (reference == n) {
        reportError(tr("Панель %1 — образец, с которым сравниваются другие панели. Выберите другую панель "
                       "или закрепите образец клавишей A.")
                        .arg(n));
        return;
    }
    if (!m_paneSet[reference].hasPicture()) {
        reportError(tr("В панели %1 нет снимка, с которым сравнивать.").arg(reference));
        return;
    }
    if (m_paneSet[n].OverlayOn)
        ToggleExposureOverlay(n);
    const QString path = m_paneSet[n].PanePath;
    const bool part = m_paneSet[n].isPart();
    try {
        m_paneSet.startDifference(n, reference, m_session.maxSize());
    } catch (const UserError& e) {
        if (part && m_paneSet[n].PanePath != path)
            wholeFailed(n, path, e.message());   // the rest of a photo shown in part
        else
            reportError(e.message());
        return;
    }
    layoutPicture(n, m_paneSet[n].PaneScale);   // the whole photo where a part was
    placeAt(n, centre);
    refreshDifference(n);
}

QRect TfrmMain::shownPixels(int n) const
{
    const PaneSlot& slot = m_panes[n - 1];
    const QSize size = m_paneSet[n].pictureSize();
    if (slot.picture->stretch())
        return QRect(QPoint(), size);   // a fitted picture is seen whole
    // The viewport over the area, in the picture's device pixels; a pixel
    // cut by the edge counts.
    const double ratio = slot.box->devicePixelRatioF();
    const QRect area = slot.picture->geometry();
    const QRectF seen = QRectF(QPointF(-area.x(), -area.y()), QSizeF(slot.box->viewport()->size()));
    const QRect pixels(QPoint(qFloor(seen.left() * ratio), qFloor(seen.top() * ratio)),
                       QPoint(qCeil(seen.right() * ratio), qCeil(seen.bottom() * ratio)));
    return pixels & QRect(QPoint(), size);
}

void TfrmMain::refreshDifference(int n)
{
    PaneSlot& slot = m_panes[n - 1];
    const PaneState& state = m_paneSet[n];
    if (!state.DifferenceOn)
        return;
    const QSize size = state.pictureSize();
    const PhotoDifference d = m_paneSet.difference(n, shownPixels(n));
    if (d.rect == QRect(QPoint(), size))
        slot.picture->setImage(d.image);
    else
        slot.picture->setPart(d.image, d.rect, size);
    QString label = DisplayName(AbsolutePath(state.PanePath)) + QStringLiteral(" — ")
        + tr("разница с панелью %1, ×%2").arg(state.differenceReference).arg(DifferenceGain);
    if (d.sizesDiffer)
        label += QStringLiteral("; ") + tr("размеры разные, сравнивается общая область %1 × %2")
                                             .arg(d.common.width())
                                             .arg(d.common.height());
    slot.pathLabel->setText(label);
}

void TfrmMain::ScaleCommand(int code)
{
    if (!m_session.syncOn()) {
        SetPaneScale(m_session.currentPane(), code);
        return;
    }
    // Each pane keeps the point of its photo it showed in the middle.
    for (int n = 1; n <= 4; ++n) {
        if (!m_paneSet[n].hasPicture())
            continue;
        const QPointF centre = viewCentre(n);
        SetPaneScale(n, code);
        placeAt(n, centre);
    }
}

void TfrmMain::ToggleSync()
{
    m_session.toggleSync();
    ToolButton8->setChecked(m_session.syncOn());
}

QPointF TfrmMain::viewCentre(int n) const
{
    const PaneSlot& slot = m_panes[n - 1];
    return ViewCentre(slot.picture->geometry(), slot.box->viewport()->size());
}

void TfrmMain::placeAt(int n, QPointF centre)
{
    const PaneSlot& slot = m_panes[n - 1];
    const QRect shown = slot.picture->geometry();
    slot.box->moveArea(PlaceAtCentre(centre, shown, slot.box->viewport()->size()) - shown.topLeft());
}

void TfrmMain::layoutPicture(int n, int code)
{
    PaneSlot& slot = m_panes[n - 1];
    const PaneState& state = m_paneSet[n];
    // Pixels first: a decoder error leaves the layout as it was.
    if (state.isPart() && code == ScaleFit) {
        const QString path = state.PanePath;
        try {
            m_paneSet.makeWhole(n);   // a fitted picture is drawn whole
        } catch (const UserError& e) {
            wholeFailed(n, path, e.message());
            return;
        }
    }
    if (state.isJpeg()) {
        m_paneSet.rescale(n, code, m_session.maxSize());
        m_store.set(Stored::ImageScale, n, code);
    }
    slot.layOut(state, code);
}

void TfrmMain::followScreenScale()
{
    const double ratio = devicePixelRatioF();
    if (ratio == m_screenRatio)
        return;
    m_screenRatio = ratio;
    // A pane's mark label holds a copy of one of the eleven pictures: find
    // which before they are drawn anew.
    std::array<int, 4> shownMark{};
    for (int n = 1; n <= 4; ++n) {
        shownMark[n - 1] = MarkV;
        const QPixmap shown = m_panes[n - 1].markImage->pixmap();
        for (int code = 0; code <= 10 && !shown.isNull(); ++code)
            if (m_markPictures[code]->pixmap().cacheKey() == shown.cacheKey())
                shownMark[n - 1] = code;
    }
    for (int code = 0; code <= 10; ++code)
        m_markPictures[code]->setPixmap(MarkPicture(code, ratio));
    for (int n = 1; n <= 4; ++n) {
        ShowMark(n, shownMark[n - 1]);
        m_panes[n - 1].drawMarkPictures(ratio);
        // The same point of the photo stays in the middle of the pane.
        if (m_paneSet[n].hasPicture() && m_paneSet[n].PaneScale != 0) {
            const QPointF centre = viewCentre(n);
            layoutPicture(n, m_paneSet[n].PaneScale);
            placeAt(n, centre);
        }
    }
}

void TfrmMain::ShowFileInPane(int n)
{
    SetPaneScale(n, m_paneSet[n].PaneScale);
    m_panes[n - 1].showFile(m_paneSet[n], paneViewOptions(), m_markPictures);
}

void TfrmMain::ToggleExposureOverlay(int n)
{
    PaneSlot& slot = m_panes[n - 1];
    if (m_paneSet[n].DifferenceOn)
        setDifference(n, false);   // the overlay is painted on the photo
    if (m_paneSet[n].OverlayOn) {
        slot.indicator->hide();
        m_paneSet.keepOverlayAsPicture(n);
        ReloadPane(n);
        return;
    }
    const StoredColour over = m_store.get(Stored::OverExpColour);
    const StoredColour under = m_store.get(Stored::UnderExpColour);
    const QString path = m_paneSet[n].PanePath;
    try {
        if (!m_paneSet.paintOverlay(n, m_store.get(Stored::UnderExpMode),
                                    m_store.get(Stored::OverExpMode), under.value, over.value))
            return;
    } catch (const UserError& e) {
        wholeFailed(n, path, e.message());   // the rest of a photo shown in part
        return;
    }
    slot.indicator->setColours(over.toQColor(), under.toQColor());
    slot.indicator->show();
    std::optional<QPointF> centre;
    if (m_session.syncOn())
        centre = viewCentre(n);
    slot.picture->setImage(m_paneSet[n].image());
    if (centre)
        placeAt(n, *centre);
}

void TfrmMain::ImageMouseDown(int tag, QPoint pos)
{
    m_dragPane = m_session.currentPane();
    m_panes[m_session.currentPane() - 1].dragStart = pos;
    m_dragAlone = m_panes[tag - 1].picture->pressModifiers() & Qt::ShiftModifier;
}

void TfrmMain::ImageMouseMove(int tag, QPoint pos)
{
    if (tag != m_session.currentPane()) {
        m_dragPane = 0;
        return;
    }
    if (m_dragPane == m_session.currentPane()) {
        PaneSlot& slot = m_panes[m_session.currentPane() - 1];
        slot.box->moveArea(pos - slot.dragStart);
        if (m_session.syncOn() && !m_dragAlone) {
            const QPointF centre = viewCentre(m_session.currentPane());
            for (int n = 1; n <= 4; ++n)
                if (n != m_session.currentPane() && m_paneSet[n].hasPicture())
                    placeAt(n, centre);
        }
    }
}

void TfrmMain::ImageMouseUp(int)
{
    m_dragPane = 0;
}

void TfrmMain::ImageClick(int tag)
{
    m_session.selectPane(tag);
    m_panes[tag - 1].box->setFocus();
    SelectPane(m_session.currentPane());
}

void TfrmMain::ScrollClick(int tag)
{
    m_session.selectPane(tag);
    m_panes[tag - 1].box->setFocus();
    SelectPane(m_session.currentPane());
}
