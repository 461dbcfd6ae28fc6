// Captions and the metadata memo on the real window: the strips after
// start, key Z, a template filled from a photo's Exif block.
#include "exifbuilder.h"
#include "window/mainwindowsandbox.h"

#include <QLabel>
#include <QPlainTextEdit>

using namespace tetrafot;

namespace {

using namespace exif;

class CaptionsTest : public uitest::MainWindowTest {
protected:
    QLabel* Caption(int n) { return Control<QLabel>(QStringLiteral("comment%1").arg(n)); }
    std::vector<bool> Visible()
    {
        std::vector<bool> v;
        for (int n = 1; n <= 4; ++n)
            v.push_back(!Caption(n)->isHidden());
        return v;
    }
    const std::vector<bool> none = {false, false, false, false};
    const std::vector<bool> all = {true, true, true, true};

    // A photo whose Exif block names the camera and the ISO speed.
    ExifBuilder CameraBlock()
    {
        ExifBuilder b;
        b.Add(ExifDir::Ifd0, Ascii(0x0110, "CAM-1")).Add(ExifDir::Exif, Short(0x8827, {200}));
        return b;
    }
    QString FolderWithCameraPhoto(const ExifBuilder& block)
    {
        const QString folder = Folder(QStringLiteral("photos"), 4);   // img_00 .. img_03, no Exif
        JpegSpec desc;
        desc.width = 64;
        desc.height = 48;
        desc.jfif = false;
        desc.markers = {{0xE1, block.Payload()}};
        EXPECT_TRUE(WriteJpeg(folder + QStringLiteral("/cam.jpg"), desc));   // sorts first: pane 1
        return folder;
    }
};

TEST_F(CaptionsTest, HiddenAfterStartAndZShowsAndHidesAllFour)
{
    // The settings file says the strips were visible; the loads hide them.
    Start({Folder(QStringLiteral("photos"), 4)});
    EXPECT_EQ(Visible(), none);
    EXPECT_FALSE(win->session().captionsOn());

    Key(Qt::Key_Z);
    EXPECT_TRUE(win->session().captionsOn());
    EXPECT_EQ(Visible(), all);   // empty ones too, until their next load
    EXPECT_TRUE(Caption(1)->text().isEmpty());
    // The strip takes its 17 pixels from the bottom of the pane.
    EXPECT_EQ(Caption(1)->height(), 17);
    EXPECT_EQ(Control(QStringLiteral("ScrollBox1"))->geometry().bottom() + 1, Caption(1)->y());

    Key(Qt::Key_Z);
    EXPECT_EQ(Visible(), none);
    Key(Qt::Key_Z);
    // A load hides a strip whose caption is empty, even with captions on.
    Key(Qt::Key_R);
    EXPECT_EQ(Visible(), (std::vector<bool>{false, true, true, true}));
}

TEST_F(CaptionsTest, TemplateIsFilledFromTheExifBlock)
{
    WriteSettings("Pattern=%m, ISO %i\r\n");
    Start({FolderWithCameraPhoto(CameraBlock())});
    ASSERT_EQ(uitest::MainWindowTest::NameIn(1), QStringLiteral("cam.jpg"));
    EXPECT_EQ(Caption(1)->text(), QStringLiteral("CAM-1, ISO 200"));
    // Placeholders of a photo without Exif vanish; what is left is shown.
    EXPECT_EQ(Caption(2)->text(), QStringLiteral(", ISO "));
    EXPECT_EQ(Visible(), none);

    Key(Qt::Key_Z);
    EXPECT_EQ(Visible(), all);
    // With captions on, a load shows a strip that has text.
    Key(Qt::Key_R, Qt::ShiftModifier);
    EXPECT_EQ(Visible(), all);
    EXPECT_EQ(Caption(1)->text(), QStringLiteral("CAM-1, ISO 200"));
}

TEST_F(CaptionsTest, ChangedTemplateAppliesFromTheNextLoad)
{
    Start({FolderWithCameraPhoto(CameraBlock())});
    EXPECT_TRUE(Caption(1)->text().isEmpty());   // "%c": no user comment
    win->store().writeValue(QStringLiteral("Pattern"), QStringLiteral("100%% %m"));
    EXPECT_TRUE(Caption(1)->text().isEmpty());
    Key(Qt::Key_R);
    EXPECT_EQ(Caption(1)->text(), QStringLiteral("100% CAM-1"));
}

TEST_F(CaptionsTest, MemoListsTheTagsAndStaysAfterTheClear)
{
    ExifBuilder block = CameraBlock();
    Start({FolderWithCameraPhoto(block)});
    auto* memo = Control<QPlainTextEdit>(QStringLiteral("exif1"));
    // IFD0's own entries, the Exif directory's, then the pointer that led there.
    const QString expected = QStringLiteral("Model:\tCAM-1\nISO Speed Ratings:\t200\nEXIF SubIFD Offset:\t%1")
                                 .arg(block.DirectoryOffset(ExifDir::Exif));
    EXPECT_EQ(memo->toPlainText(), expected);
    EXPECT_TRUE(Control<QPlainTextEdit>(QStringLiteral("exif2"))->toPlainText().isEmpty());
    EXPECT_EQ(win->pane(1).basic().Model, "CAM-1");
    EXPECT_EQ(win->pane(1).basic().ISO, "200");

    Key(Qt::Key_X);
    EXPECT_EQ(memo->toPlainText(), expected);
    EXPECT_TRUE(Caption(1)->isHidden());
}

TEST_F(CaptionsTest, NextFileReplacesTheListing)
{
    Start({FolderWithCameraPhoto(CameraBlock())});
    // The walk moves cam.jpg out of the grid: pane 1 now shows a photo without Exif.
    Key(Qt::Key_Space);
    ASSERT_EQ(NameIn(1), QStringLiteral("img_00.jpg"));
    EXPECT_TRUE(Control<QPlainTextEdit>(QStringLiteral("exif1"))->toPlainText().isEmpty());
    EXPECT_TRUE(win->pane(1).basic().Model.empty());
}

TEST_F(CaptionsTest, AnEmptyPaneKeepsTheStripAsTheSettingsFileHadIt)
{
    // Until a pane shows its first file its strip stands as restored.
    Start({Folder(QStringLiteral("photos"), 1)});
    EXPECT_EQ(Visible(), (std::vector<bool>{false, true, true, true}));
    // Z inverts each strip that way and then hides what is hidden with captions on.
    Key(Qt::Key_Z);
    EXPECT_EQ(Visible(), (std::vector<bool>{true, false, false, false}));
    Key(Qt::Key_Z);
    EXPECT_EQ(Visible(), none);
}

} // namespace

// A Space moves three photos on and brings one: only its Exif is read, and
// a Backspace brings the photo that left back with its listing and caption
// without reading it again.
TEST_F(CaptionsTest, AWalkReadsTheExifOfTheFilesItBringsAlone)
{
    Start({FolderWithCameraPhoto(CameraBlock())});
    win->store().writeValue(QStringLiteral("Pattern"), QStringLiteral("%m"));
    Key(Qt::Key_R);
    auto* memo = Control<QPlainTextEdit>(QStringLiteral("exif1"));
    const QString listing = memo->toPlainText();
    const QString caption = Caption(1)->text();
    ASSERT_EQ(caption, QStringLiteral("CAM-1"));
    const int reads = win->session().panes().metadataReads();

    Key(Qt::Key_Space);
    ASSERT_EQ(NameIn(1), QStringLiteral("img_00.jpg"));
    EXPECT_EQ(win->session().panes().metadataReads(), reads + 1);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    Key(Qt::Key_Backspace);
    ASSERT_EQ(NameIn(1), QStringLiteral("cam.jpg"));
    EXPECT_EQ(win->session().panes().metadataReads(), reads + 1);
    EXPECT_EQ(memo->toPlainText(), listing);
    EXPECT_EQ(Caption(1)->text(), caption);
    // R reads the file again, its Exif too.
    Key(Qt::Key_R);
    EXPECT_EQ(win->session().panes().metadataReads(), reads + 2);
    EXPECT_EQ(memo->toPlainText(), listing);
}
