#include "window/paneview.h"

#include "common/paths.h"
#include "panes/paneset.h"
#include "render/caption.h"
#include "render/panebox.h"
#include "render/scaling.h"
#include "window/alignwidget.h"
#include "window/markpictures.h"
#include "window/panewidgets.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>

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

void PaneView::showLoaded(const PaneState& state, const PaneViewOptions& options, const MarkPictureSet& marks)
{
    indicator->hide();
    markImage->setVisible(state.mark != NoMark);
    rawMark->setVisible(state.rawCompanions);
    readOnlyMark->setVisible(state.readOnly);
    showFile(state, options, marks);
}

void PaneView::showFile(const PaneState& state, const PaneViewOptions& options, const MarkPictureSet& marks)
{
    QString label = DisplayName(AbsolutePath(state.PanePath));
    if (const QSize preview = state.meagrePreview(); !preview.isEmpty())
        label += QStringLiteral(" — ")
            + QCoreApplication::translate("TfrmMain", "превью %1 × %2").arg(preview.width()).arg(preview.height());
    pathLabel->setText(label);
    memo->setPlainText(state.metadataText());
    const std::string text = ExpandCaption(options.captionPattern.toStdString(), state.basic());
    caption->setText(QString::fromLocal8Bit(text));
    caption->setVisible(!text.empty() && options.captionsOn);
    quarter->relayout();
    showMark(state.mark, marks);
}

void PaneView::layOut(const PaneState& state, int code)
{
    if (state.isJpeg())
        picture->setStretch(code == ScaleFit);
    const PictureLayout layout = LayOutPicture(state.pictureSize(), code == ScaleFit, box->size(), box->devicePixelRatioF());
    if (state.isPart())
        picture->setPart(state.image(), state.part(), state.pictureSize());
    else
        picture->setImage(state.image());
    picture->setPixelSize(layout.pixels);
    box->placeArea(layout.area, layout.scrollBars);
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
