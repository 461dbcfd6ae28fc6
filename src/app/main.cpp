// Entry point: answers --help, --version and --dump-exif without a window,
// otherwise shows the main window.
#include "app/mainform.h"
#include "metadata/dumpexif.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: tetrafot [FOLDER | FILE | -d]\n"
    "       tetrafot --dump-exif FILE...\n"
    "\n"
    "Shows the JPEG photos of a folder four at a time.\n"
    "  FOLDER             start in this folder\n"
    "  FILE               start in the folder of this file\n"
    "  -d                 start in the working directory\n"
    "  (none)             start in the folder shown last\n"
    "\n"
    "  --dump-exif FILE... print the metadata panel's lines for each file and exit\n"
    "                     (status 1 when a file has no readable EXIF data)\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Settings: $TETRAFOT_INI, else tetrafot.ini beside the program when that folder\n"
    "is writable, else ~/.config/tetrafot/tetrafot.ini.\n";

// A session ending or a plain kill closes the window as Q does, so the
// settings and the marks are saved: the handler only wakes the event loop.
int g_signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void closeOnTerminate()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        QApplication::closeAllWindows();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

bool hasDisplay()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tetrafot %s\n", TETRAFOT_VERSION);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--dump-exif") == 0) {
        if (argc < 3) {
            std::fputs("tetrafot: --dump-exif needs at least one FILE\n", stderr);
            return 2;
        }
        std::setlocale(LC_ALL, "");
        std::vector<std::string> files(argv + 2, argv + argc);
        return DumpExif(files, stdout, stderr);
    }
    if (!hasDisplay()) {
        std::fputs("tetrafot: no display found (DISPLAY is not set); run it under a virtual one: "
                   "xvfb-run -s '-screen 0 1920x1080x24' tetrafot [FOLDER]\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tetrafot"));
    QApplication::setApplicationVersion(QStringLiteral(TETRAFOT_VERSION));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    TfrmMain window(arguments);
    window.show();
    closeOnTerminate();
    return app.exec();
}
