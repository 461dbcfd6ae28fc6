// The window writing marked.txt and tetrafot.ini into a full file system:
// the old files stay whole, the message names the file, the marks stay in
// memory and reach the disk once there is room again.
#include "common/safefile.h"
#include "window/mainwindowsandbox.h"

#include <cerrno>

using namespace tetrafot;

using namespace uitest;

class FullDiskTest : public MainWindowTest {
protected:
    void TearDown() override
    {
        SafeFileFaults::Clear();
        MainWindowTest::TearDown();
    }
};

TEST_F(FullDiskTest, MarksAndSettingsSurviveAFullDiskAndArriveLater)
{
    const QString folder = Folder(QStringLiteral("photos"), 4);
    const QString marks = folder + QStringLiteral("/marked.txt");
    WriteBytes(marks, "img_03.jpg:7\r\n");
    WriteSettings("imagescale1=2\r\n");
    Start({folder});

    SafeFileFaults::Inject(SafeFileFaults::Step::Write, 1, ENOSPC);
    Key(Qt::Key_V);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !errors.isEmpty(); }, 4000));
    EXPECT_TRUE(errors[0].contains(marks) && errors[0].contains(QStringLiteral("No space left on device")))
        << errors[0].toStdString();
    EXPECT_EQ(ReadBytes(marks), QByteArray("img_03.jpg:7\r\n"));
    EXPECT_EQ(win->app().Marks.GetMark(folder + QStringLiteral("/img_00.jpg")), MarkV);

    // The settings at the end meet the full disk as well.
    errors.clear();
    Key(Qt::Key_4);
    const QByteArray oldIni = ReadBytes(ini);
    SafeFileFaults::Inject(SafeFileFaults::Step::Write, 1, ENOSPC);
    win->close();
    EXPECT_EQ(ReadBytes(ini), oldIni);
    EXPECT_TRUE(errors.join(QLatin1Char('\n')).contains(ini)) << errors.join(QLatin1Char('\n')).toStdString();

    SafeFileFaults::Clear();
    Destroy();
    EXPECT_EQ(ReadBytes(marks), QByteArray("img_03.jpg:7\r\nimg_00.jpg\r\n"));
    EXPECT_EQ(IniValue(ini, QStringLiteral("imagescale1")), QStringLiteral("4"));
}
