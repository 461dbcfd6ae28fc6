// Entry point: answers --help, --version, --languages and --dump-exif
// without a window, otherwise shows the main window.
#include "window/mainform.h"
#include "dialogs/language.h"
#include "metadata/dumpexif.h"
#include "settings/startfolder.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace tetrafot {

namespace {

// The one description of the command line, the keys and the files: --help
// prints it, and the build turns that output into the manual page, so the
// two cannot drift apart. Its layout follows what help2man understands:
// "Options:", "Environment:" and "Files:" start sections of the page, and an
// indented "term  text" line becomes a tagged paragraph.
const char* const kUsage =
    "Usage: tetrafot [FOLDER | FILE | -d]\n"
    "  or:  tetrafot FOLDER1 FOLDER2 [FOLDER3 [FOLDER4]]\n"
    "  or:  tetrafot --dump-exif FILE...\n"
    "  or:  tetrafot --help | --version | --languages\n"
    "\n"
    "Shows the JPEG photos of a folder four at a time in a two by two grid, for\n"
    "choosing between similar shots. Each pane has its own zoom, caption, EXIF\n"
    "panel and exposure-error overlay; files can be marked, copied, moved and\n"
    "deleted together with their RAW companions.\n"
    "\n"
    "  FOLDER               start in this folder\n"
    "  FILE                 start in the folder of this file, showing it in pane 1\n"
    "                       and the files after it beside it (for a RAW file,\n"
    "                       the folder's JPEG and RAW files are listed)\n"
    "  -d                   start in the working directory\n"
    "  (none)               start in the folder shown last\n"
    "  FOLDER1 FOLDER2 ...  compare two to four folders side by side: their files\n"
    "                       are matched by name without extension, whatever the\n"
    "                       case, and walked together; two folders show a name\n"
    "                       in panes 1-2 and the next in panes 3-4, three show\n"
    "                       it in panes 1-3 and the next name of folder 1 in\n"
    "                       pane 4, four one pane each. A folder that lacks a\n"
    "                       name leaves its pane empty with a note. Not stored:\n"
    "                       the next start opens the usual folder\n"
    "\n"
    "Keys (in the window):\n"
    "  Space, Backspace     next, previous file (four files in page mode); with\n"
    "                       folders compared, the next, previous name in all panes\n"
    "  Home, End            the first, the last four files (the first, last name)\n"
    "  S                    synchronize scale and position of the four panes;\n"
    "                       Shift+drag moves one pane alone\n"
    "  A                    pin the pane: it keeps its file while the others walk;\n"
    "                       with folders compared all panes walk, and the pinned\n"
    "                       pane is the reference of the difference view\n"
    "  B                    compare folders: choose two to four (one folder goes\n"
    "                       back to the usual walk), by name or by position, all\n"
    "                       names or only those every folder holds\n"
    "  I                    difference view of the pane: black where its photo and\n"
    "                       the reference (the pinned pane, else pane 1) agree,\n"
    "                       differences amplified 8 times; I again, or a walk,\n"
    "                       shows the photo\n"
    "  arrows               select the pane left, right, above or below\n"
    "  1 2 4 8, U           scale 1:1, 1:2, 1:4, 1:8, fit the pane\n"
    "  keypad + -           zoom the pane in, out\n"
    "  V, Ctrl+0..9         toggle the V mark, set a digit mark\n"
    "  W                    exposure-error overlay on or off\n"
    "  E, L, T, Z           show or hide the EXIF panel, file list, top bar,\n"
    "                       captions\n"
    "  H, J                 split the panes evenly, page mode on or off (not with\n"
    "                       folders compared)\n"
    "  C                    choose the background colour\n"
    "  D                    type a folder into the folder field\n"
    "  F                    file operations: copy (K), move (M), delete (D)\n"
    "  O                    options\n"
    "  G                    toggle the file's read-only attribute\n"
    "  P, N                 run the external tool P, N on the file\n"
    "  Enter, double click  open the file in its associated program\n"
    "  R, Shift+R           reload the pane, all four panes\n"
    "  X                    clear the pane\n"
    "  Q                    save the settings and marks, and quit\n"
    "\n"
    "Options:\n"
    "  --dump-exif FILE...  print the EXIF panel's lines for each file and exit\n"
    "                       (status 1 when a file has no readable EXIF data)\n"
    "  --languages          list the interface languages, each as its code and its\n"
    "                       name in itself, and exit\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Environment:\n"
    "  TETRAFOT_INI         the settings file to use instead of tetrafot.ini\n"
    "  TETRAFOT_LANG        the interface language (ru or en) instead of the one\n"
    "                       chosen in the options (O), which is Russian at first\n"
    "\n"
    "Files:\n"
    "  tetrafot.ini         the settings: beside the program when that folder is\n"
    "                       writable, else $XDG_CONFIG_HOME/tetrafot/tetrafot.ini\n"
    "                       (~/.config/tetrafot/tetrafot.ini); read at start,\n"
    "                       written at each change of folder and on quitting\n"
    "  marked.txt           the marks of a folder's files, in that folder; read\n"
    "                       when the folder is opened, written when it is left\n"
    "                       or on quitting if the marks changed, removed when no\n"
    "                       file is marked\n";

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

} // namespace tetrafot

using namespace tetrafot;

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
    if (argc >= 2 && std::strcmp(argv[1], "--languages") == 0) {
        for (const InterfaceLanguage& language : InterfaceLanguages())
            std::printf("%s %s\n", qPrintable(language.code), language.name.toUtf8().constData());
        return 0;
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
    // The launcher's name lets a Wayland desktop match the window to its
    // entry; the icon is the launcher's, at every size it is drawn.
    QGuiApplication::setDesktopFileName(QStringLiteral(TETRAFOT_APP_ID));
    Q_INIT_RESOURCE(tetrafot);
    // The language is chosen before any text is built, so it holds for the
    // whole run; a change in the options waits for the next start.
    const QString language = ChosenLanguage(SettingsFilePath(QCoreApplication::applicationDirPath()));
    if (!SetInterfaceLanguage(language))
        std::fprintf(stderr, "tetrafot: no interface language \"%s\"; using Russian\n", qPrintable(language));
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files))
        icon.addFile(icons.filePath(name));
    QApplication::setWindowIcon(icon);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    TfrmMain window(arguments);
    window.show();
    closeOnTerminate();
    return app.exec();
}
