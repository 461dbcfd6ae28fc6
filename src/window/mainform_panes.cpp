// The main window's panes: the session's pane commands, each drawn as the
// panes' states and places it leaves, the current pane and the mouse.
#include "window/mainform.h"

#include "window/markpictures.h"
#include "window/panewidgets.h"

#include <QToolButton>

namespace tetrafot {

ViewSession& TfrmMain::measured()
{
    // The boxes' sizes as laid out, also before the window first shows
    // (a hidden widget gets its resize event only then).
    for (int n = 1; n <= 4; ++n)
        m_session.place(n).measure(m_panes[n - 1].box->metrics());
    return m_session;
}

void TfrmMain::drawPanes(const ViewSession::PaneUpdate& update)
{
    for (int n = 1; n <= 4; ++n)
        if (update.draw[size_t(n - 1)] && drawPane(n))
            SetPaneScale(n, m_paneSet[n].PaneScale);   // laid out again in the box the caption left
    for (const QString& message : update.errors)
        reportError(message);
}

bool TfrmMain::drawPane(int n)
{
    return m_panes[n - 1].show(m_paneSet[n], m_session.place(n), paneViewOptions(), m_markPictures);
}

void TfrmMain::LoadPane(int n, const QString& path, bool fromDisk)
{
    drawPanes(measured().loadPane(n, path, fromDisk));
}

std::function<QRect(QSize)> TfrmMain::visibleOf(int n)
{
    return measured().visibleOf(n);
}

PaneViewOptions TfrmMain::paneViewOptions() const
{
    return {m_session.captionsOn(), m_store.get(Stored::Pattern)};
}

void TfrmMain::FinishPartialPanes(const WholeResult& result)
{
    drawPanes(measured().takeWhole(result));
}

void TfrmMain::ReloadPane(int n)
{
    drawPanes(measured().reloadPane(n));
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
    drawPanes(measured().setScale(n, code));
}

void TfrmMain::ToggleDifference()
{
    const int n = m_session.currentPane();
    drawPanes(measured().setDifference(n, !m_paneSet[n].DifferenceOn));
}

void TfrmMain::refreshDifference(int n)
{
    measured().refreshDifference(n);
    drawPane(n);
}

void TfrmMain::ScaleCommand(int code)
{
    drawPanes(measured().scaleCommand(code));
}

void TfrmMain::followScreenScale()
{
    const double ratio = devicePixelRatioF();
    if (ratio == m_screenRatio)
        return;
    m_screenRatio = ratio;
    for (int code = 0; code <= 10; ++code)
        m_markPictures[code]->setPixmap(MarkPicture(code, ratio));
    for (int n = 1; n <= 4; ++n) {
        m_panes[n - 1].showMark(m_panes[n - 1].shownMark, m_markPictures);
        m_panes[n - 1].drawMarkPictures(ratio);
        // The same point of the photo stays in the middle of the pane.
        drawPanes(measured().layOutAgain(n));
    }
}

void TfrmMain::ToggleExposureOverlay(int n)
{
    drawPanes(measured().toggleOverlay(n));
}

void TfrmMain::ImageMouseDown(int tag, QPoint pos)
{
    m_session.drag().press(m_session.currentPane(), pos, m_panes[tag - 1].picture->pressModifiers() & Qt::ShiftModifier);
}

void TfrmMain::ImageMouseMove(int tag, QPoint pos)
{
    drawPanes(measured().dragTo(tag, pos));
}

void TfrmMain::ImageMouseUp(int)
{
    m_session.drag().release();
}

void TfrmMain::ImageClick(int tag)
{
    m_session.selectPane(tag);
    m_panes[tag - 1].box->setFocus();
    SelectPane(m_session.currentPane());
}

void TfrmMain::ScrollClick(int tag)
{
    ImageClick(tag);
}

} // namespace tetrafot
