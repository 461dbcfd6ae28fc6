#include "window/paneview.h"

#include "common/paths.h"
#include "panes/paneset.h"
#include "render/caption.h"
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
    indicator = box->indicator();
    markImage = box->markImage();
    rawMark = box->rawMark();
    readOnlyMark = box->readOnlyMark();
    pinMark = box->pinMark();
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
    // The picture's size and the fit are in device pixels, so that 1:1 is one
    // photo pixel on one screen pixel; the area is placed in logical ones.
    const QSize boxSize = box->size();
    const double ratio = box->devicePixelRatioF();
    const QSize size = state.pictureSize();
    const QSize area = code == ScaleFit ? FitSize(size, DevicePixels(boxSize, ratio)) : size;
    if (state.isPart())
        picture->setPart(state.image(), state.part(), size);
    else
        picture->setImage(state.image());
    picture->setPixelSize(area);
    box->placeArea(PlaceInBox(LogicalSize(area, ratio), boxSize), code != ScaleFit);
}

void PaneView::showMark(int code, const MarkPictureSet& marks)
{
    if (code < 0 || code > 10)
        return;
    markImage->setPixmap(marks[size_t(code)]->pixmap());
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
