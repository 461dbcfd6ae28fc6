#include "window/paneview.h"

#include "panes/paneset.h"
#include "panes/viewplace.h"
#include "render/panebox.h"
#include "window/alignwidget.h"
#include "window/markpictures.h"
#include "window/panewidgets.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>

namespace tetrafot {

void PaneView::build(int n, AlignWidget* host)
{
    static const char* const splitterNames[] = {"Splitter2", "Splitter6", "Splitter7", "Splitter8"};
    quarter = host;

    caption = new QLabel;
    caption->setObjectName(QStringLiteral("comment%1").arg(n));
    caption->setTextFormat(Qt::PlainText);
    caption->setContentsMargins(3, 0, 3, 0);
    quarter->addChild(caption, AlignWidget::Bottom, 17);

    auto* exPan = new AlignWidget(QStringLiteral("ExPan%1").arg(n));
    exPan->setMinimumWidth(1);
    quarter->addChild(exPan, AlignWidget::Right, 1);
    metaPanel = exPan;
    memo = new QPlainTextEdit;
    memo->setObjectName(QStringLiteral("exif%1").arg(n));
    memo->setReadOnly(true);
    memo->setFrameStyle(QFrame::NoFrame);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setFocusPolicy(Qt::NoFocus);
    QPalette mp = memo->palette();
    mp.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    memo->setPalette(mp);
    exPan->addChild(memo, AlignWidget::Client);
    quarter->addChild(new SplitterWidget(QString::fromLatin1(splitterNames[n - 1]), Qt::Horizontal),
                      AlignWidget::Right, 4);

    box = new ScrollBoxWidget(n);
    quarter->addChild(box, AlignWidget::Client);
    picture = box->area();
    pathLabel = box->pathLabel();
    indicator = static_cast<ExposureIndicator*>(box->overlay(OverlayIndicator));
    markImage = static_cast<QLabel*>(box->overlay(OverlayMark));
    rawMark = static_cast<QLabel*>(box->overlay(OverlayRaw));
    readOnlyMark = static_cast<QLabel*>(box->overlay(OverlayReadOnly));
    pinMark = static_cast<QLabel*>(box->overlay(OverlayPin));
}

bool PaneView::show(const PaneState& state, ViewPlace& place, const PaneViewOptions& options, const MarkPictureSet& marks)
{
    if (state.PanePath.isEmpty() || !state.hasPicture()) {
        clear();
        return false;
    }
    const QSize size = state.pictureSize();
    if (state.DifferenceOn && !state.differenceImage.isNull())
        picture->show(state.differenceImage, state.differenceRect, size);
    else
        picture->show(state.image(), state.part(), size);
    picture->setStretch(place.stretch());
    picture->setPixelSize(place.pixels());
    box->apply(place);

    indicator->setVisible(state.OverlayOn);
    if (state.OverlayOn)
        indicator->setColours(QColor::fromRgb(state.overColour), QColor::fromRgb(state.underColour));
    markImage->setVisible(state.mark != NoMark);
    rawMark->setVisible(state.rawCompanions);
    readOnlyMark->setVisible(state.readOnly);

    pathLabel->setText(state.label());
    if (state.metadataText() != m_metadataText) {
        m_metadataText = state.metadataText();
        memo->setPlainText(m_metadataText);
    }
    const QString text = state.captionText(options.captionPattern);
    const bool captionShown = !text.isEmpty() && options.captionsOn;
    const bool boxChanged = captionShown == caption->isHidden();
    if (text != caption->text() || boxChanged) {
        caption->setText(text);
        caption->setVisible(captionShown);
        quarter->relayout();
    }
    showMark(state.mark, marks);
    return boxChanged;
}

void PaneView::showMark(int code, const MarkPictureSet& marks)
{
    if (code < 0 || code > 10)
        return;
    markImage->setPixmap(marks[size_t(code)]->pixmap());
    shownMark = code;
}

void PaneView::clear()
{
    picture->clear();
    caption->clear();
    caption->hide();
    quarter->relayout();
    pathLabel->clear();
    indicator->hide();
    markImage->hide();
    rawMark->hide();
    readOnlyMark->hide();
}

void PaneView::drawMarkPictures(double ratio)
{
    rawMark->setPixmap(RawMarkPicture(ratio));
    readOnlyMark->setPixmap(ReadOnlyMarkPicture(ratio));
    pinMark->setPixmap(PinMarkPicture(ratio));
}

} // namespace tetrafot
