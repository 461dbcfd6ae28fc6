// The main window's panes: loading, laying out, clearing, the current pane,
// the exposure overlay and dragging.
#include "window/mainform.h"

#include "window/panewidgets.h"
#include "common/usererror.h"
#include "files/companions.h"
#include "metadata/metadatalisting.h"
#include "metadata/phmetadata.h"
#include "render/exposure.h"
#include "render/scaling.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

QColor fromTColor(int colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

bool isJpegExtension(const QString& ext)
{
    // .jpe and .jfif are offered by the file list, so they decode too.
    return ext == QLatin1String("jpg") || ext == QLatin1String("jpeg") || ext == QLatin1String("jpe")
        || ext == QLatin1String("jfif");
}

} // namespace

void TfrmMain::LoadPane(int n, const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    PaneSlot& slot = m_panes[n - 1];

    const int scale = NormaliseScaleCode(m_store.intValue(QStringLiteral("imagescale%1").arg(n), 1));

    // Decode before anything of the pane changes, so that a file that fails
    // leaves the previous picture, path and caption in place.
    const QString ext = QFileInfo(path).suffix().toLower();
    std::unique_ptr<TJPEGPicture> jpeg;
    QImage bitmap;
    try {
        if (isJpegExtension(ext)) {
            jpeg = std::make_unique<TJPEGPicture>(TJPEGPicture::fromFile(path));
            const int denom = scale == ScaleFit
                ? FitDecoderDenom(QSize(jpeg->fullWidth(), jpeg->fullHeight()), m_app.MaxSize)
                : DecoderScale(scale);
            jpeg->setScaleDenom(denom);
            jpeg->image();
        } else if (ext == QLatin1String("bmp") || ext == QLatin1String("ico")) {
            QImageReader reader(path);
            bitmap = reader.read();
            if (bitmap.isNull())
                throw UserError(QStringLiteral("Cannot read the picture \"%1\": %2")
                                    .arg(path, reader.errorString()).toStdString());
        } else {
            throw UserError(QStringLiteral("Unknown picture file extension (.%1)").arg(QFileInfo(path).suffix()).toStdString());
        }
    } catch (const UserError& e) {
        // Walking past a damaged file shows its message once per visit of
        // the folder, not once for every pane it passes through.
        const bool seen = m_failedLoads.contains(path);
        m_failedLoads.insert(path);
        if (!seen || m_reportEveryFailure)
            reportError(QString::fromUtf8(e.what()));
        return;
    }
    m_failedLoads.remove(path);
    slot.PaneScale = scale;

    slot.OverlayOn = false;
    slot.indicator->hide();

    const MarkCode mark = m_app.Marks.GetMark(path);
    ShowMark(n, mark);
    slot.markImage->setVisible(mark != NoMark);

    slot.rawMark->setVisible(HasRawCompanions(path, m_app.RawExtensions,
                                              m_store.boolValue(QStringLiteral("anyraw"), false),
                                              m_store.textValue(QStringLiteral("rawprefix")),
                                              m_store.textValue(QStringLiteral("rawsuffix"))));
    slot.readOnlyMark->setVisible(IsReadOnlyFile(path));

    slot.picture->clear();
    slot.fullSize = jpeg ? QSize(jpeg->fullWidth(), jpeg->fullHeight()) : QSize();
    slot.jpeg = std::move(jpeg);
    slot.bitmap = bitmap;

    ShowFileInPane(n, path);
}

void TfrmMain::ReloadPane(int n)
{
    // R asks for the file again: a failure is shown even when it was before.
    m_reportEveryFailure = true;
    LoadPane(n, m_panes[n - 1].PanePath);
    m_reportEveryFailure = false;
    SetPaneScale(n, m_panes[n - 1].PaneScale);
}

void TfrmMain::ClearPane(int n)
{
    PaneSlot& slot = m_panes[n - 1];
    slot.PanePath.clear();
    slot.jpeg.reset();
    slot.bitmap = QImage();
    slot.fullSize = QSize();
    slot.picture->clear();
    slot.caption->clear();
    slot.caption->hide();
    slot.quarter->relayout();
    slot.pathLabel->clear();
    slot.indicator->hide();
    slot.markImage->hide();
    slot.rawMark->hide();
    slot.readOnlyMark->hide();
}

void TfrmMain::SelectPane(int n)
{
    m_currentPane = n;
    ToolButton5->setChecked(m_panes[n - 1].quarter->childSize(m_panes[n - 1].metaPanel) > 1);
    for (auto& slot : m_panes)
        slot.box->setCurrent(false);
    m_panes[n - 1].box->setCurrent(true);
}

bool TfrmMain::IsReadOnlyFile(const QString& path)
{
    // Read-only means the owner may not write; a failed query counts as read-only.
    QFileInfo info(path);
    if (!info.exists())
        return true;
    return !(info.permissions() & QFileDevice::WriteOwner);
}

void TfrmMain::SetPaneScale(int n, int code)
{
    PaneSlot& slot = m_panes[n - 1];
    if (!slot.hasPicture())
        return;
    bool repaint = false;
    if (slot.OverlayOn) {
        slot.OverlayOn = false;
        slot.indicator->hide();
        LoadPane(n, slot.PanePath);
        repaint = true;
    }
    layoutPicture(n, code);
    if (repaint)
        ToggleExposureOverlay(n);
}

void TfrmMain::layoutPicture(int n, int code)
{
    PaneSlot& slot = m_panes[n - 1];
    const QSize box = slot.box->size();
    QSize area;
    bool scrollBars = true;
    if (slot.jpeg) {
        m_store.writeValue(QStringLiteral("imagescale%1").arg(n), code);
        slot.PaneScale = code;
        if (code == ScaleFit) {
            slot.picture->setStretch(true);
            slot.jpeg->setScaleDenom(FitDecoderDenom(QSize(slot.jpeg->fullWidth(), slot.jpeg->fullHeight()), m_app.MaxSize));
        } else {
            slot.picture->setStretch(false);
            slot.jpeg->setScaleDenom(DecoderScale(code));
        }
    }
    const QSize picture = slot.jpeg ? QSize(slot.jpeg->width(), slot.jpeg->height()) : slot.bitmap.size();
    if (code == ScaleFit) {
        area = FitSize(picture, box);
        scrollBars = false;
    } else {
        area = picture;
    }
    // Pixels first: a decoder error leaves the layout as it was.
    const QImage& image = slot.jpeg ? slot.jpeg->image() : slot.bitmap;
    slot.picture->setImage(image);
    slot.box->placeArea(PlaceInBox(area, box), scrollBars);
}

void TfrmMain::ShowFileInPane(int n, const QString& path)
{
    PaneSlot& slot = m_panes[n - 1];
    SetPaneScale(n, slot.PaneScale);
    slot.pathLabel->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    FillMetadata(n, path);
    const std::string caption = ExpandCaption(m_store.textValue(QStringLiteral("Pattern")).toStdString(), slot.basic);
    slot.caption->setText(QString::fromLocal8Bit(caption));
    slot.caption->setVisible(!caption.empty() && m_captionsOn);
    slot.quarter->relayout();
    ShowMark(n, m_app.Marks.GetMark(path));
    slot.PanePath = path;
}

void TfrmMain::FillMetadata(int n, const QString& path)
{
    PaneSlot& slot = m_panes[n - 1];
    slot.memo->clear();
    slot.basic = TBasicExif{};
    // A JPEG's bytes are in memory already: the EXIF block is read from
    // them rather than from the file a second time.
    const MetadataListing listing = slot.jpeg
        ? ListMetadata(TImageMetadata::FromBytes(std::string_view(slot.jpeg->data().constData(),
                                                                   size_t(slot.jpeg->data().size()))))
        : ListMetadata(path.toLocal8Bit().toStdString());
    if (listing.status != 0)
        return;
    QStringList lines;
    lines.reserve(int(listing.lines.size()));
    for (const std::string& line : listing.lines)
        lines << QString::fromLocal8Bit(line);
    slot.memo->setPlainText(lines.join(QLatin1Char('\n')));
    slot.basic = listing.basic;
}

void TfrmMain::ShowMark(int n, int code)
{
    if (code < 0 || code > 10)
        return;   // an odd code from a hand-edited file keeps the picture
    m_panes[n - 1].markImage->setPixmap(m_markPictures[code]->pixmap());
}

void TfrmMain::ToggleExposureOverlay(int n)
{
    PaneSlot& slot = m_panes[n - 1];
    if (slot.OverlayOn) {
        slot.OverlayOn = false;
        slot.indicator->hide();
        ReloadPane(n);
        return;
    }
    if (!slot.jpeg)
        return;
    // The decoded pixels become the working copy: the photo is released, so
    // the copy is painted in place without a second 24-megapixel buffer.
    QImage copy = slot.jpeg->image();
    slot.picture->clear();
    slot.jpeg.reset();
    const int over = m_store.intValue(QStringLiteral("OverExpColor"), 0);
    const int under = m_store.intValue(QStringLiteral("UnderExpColor"), 16777215);
    slot.indicator->setColours(fromTColor(over), fromTColor(under));
    slot.indicator->show();
    PaintExposure(copy, m_store.intValue(QStringLiteral("UnderExpMode"), 2),
                  m_store.intValue(QStringLiteral("OverExpMode"), 1), under, over);
    slot.bitmap = copy;
    slot.picture->setImage(slot.bitmap);
    slot.OverlayOn = true;
}

void TfrmMain::ImageMouseDown(int, QPoint pos)
{
    m_dragPane = m_currentPane;
    m_panes[m_currentPane - 1].dragStart = pos;
}

void TfrmMain::ImageMouseMove(int tag, QPoint pos)
{
    if (tag != m_currentPane) {
        m_dragPane = 0;
        return;
    }
    if (m_dragPane == m_currentPane) {
        PaneSlot& slot = m_panes[m_currentPane - 1];
        slot.box->moveArea(pos - slot.dragStart);
    }
}

void TfrmMain::ImageMouseUp(int)
{
    m_dragPane = 0;
}

void TfrmMain::ImageClick(int tag)
{
    m_currentPane = tag;
    m_panes[tag - 1].box->setFocus();
    SelectPane(m_currentPane);
}

void TfrmMain::ScrollClick(int tag)
{
    m_currentPane = tag;
    m_panes[tag - 1].box->setFocus();
    SelectPane(m_currentPane);
}
