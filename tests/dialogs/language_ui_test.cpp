// The interface language: which one a start chooses, and what the window and
// both dialogs show in each.
#include "window/mainwindowsandbox.h"
#include "common/errortext.h"
#include "common/safefile.h"
#include "settings/appstate.h"
#include "settings/iniprofile.h"
#include "dialogs/filesform.h"
#include "dialogs/language.h"
#include "dialogs/options.h"
#include "files/fileops.h"
#include "render/jpegpicture.h"
#include "render/marks.h"

#include <QAbstractButton>
#include <algorithm>
#include <functional>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <sys/stat.h>

using namespace tetrafot;

namespace {

// Puts the language in place for one test and Russian back afterwards.
struct LanguageScope {
    explicit LanguageScope(const char* code) { ok = SetInterfaceLanguage(QString::fromLatin1(code)); }
    ~LanguageScope() { SetInterfaceLanguage(QStringLiteral("ru")); }
    bool ok;
};

// Everything a widget shows as text: its own text or title, its tool tip
// and, for a list box, its entries.
QStringList ShownTexts(const QWidget* w)
{
    QStringList texts{w->toolTip(), w->windowTitle()};
    if (auto* label = qobject_cast<const QLabel*>(w))
        texts << label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        texts << button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w))
        texts << group->title();
    if (auto* list = qobject_cast<const QComboBox*>(w); list && list->objectName() != QLatin1String("cbLanguage"))
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    for (const QAction* action : w->actions())
        texts << action->toolTip();
    return texts;
}

bool HasCyrillic(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

class LanguageTest : public uitest::MainWindowTest {
protected:
    // The text of the named control of the window or a dialog: a label's or
    // button's text, a group's title, or (for a tool button) its tool tip.
    static QString Shown(const QWidget* top, const char* name)
    {
        const auto* w = top->findChild<QWidget*>(QLatin1String(name));
        if (!w)
            return QStringLiteral("<no %1>").arg(QLatin1String(name));
        if (qobject_cast<const QToolButton*>(w))
            return w->toolTip();
        if (auto* group = qobject_cast<const QGroupBox*>(w))
            return group->title();
        if (auto* button = qobject_cast<const QAbstractButton*>(w))
            return button->text();
        return qobject_cast<const QLabel*>(w)->text();
    }
};

struct TextCase {
    int where;   // 0 the window, 1 the files dialog, 2 the options dialog
    const char* name;
    const char* russian;
    const char* english;
};

// Russian exactly as the program always showed it; English from the translation.
const TextCase kTexts[] = {
    {0, "showflist", "Показать/скрыть список файлов\n(L)", "Show/hide the file list\n(L)"},
    {0, "ToolButton3", "Масштаб выбранного изображения 1:1\n(1)", "Scale the selected picture 1:1\n(1)"},
    {0, "ToolButton7", "Открыть изображение в ассоциированной программе\n(Enter)",
     "Open the picture in its associated program\n(Enter)"},
    {0, "SpeedButton1", "Выход\n(Q)", "Quit\n(Q)"},
    {0, "ToolButton8", "Синхронизировать масштаб и положение изображений\n(S)",
     "Synchronize the scale and position of the pictures\n(S)"},
    {1, "Label2", "Клавиша K - копировать файл\nM - переместить\nD - удалить", "Key K - copy the file\nM - move it\nD - delete it"},
    {1, "OpSelector", "&Операция:", "O&peration:"},
    {1, "OpSelectorItem2", "Удалить файл (D)", "Delete the file (D)"},
    {1, "btnOk", "&Ok", "&Ok"},
    {2, "GroupBox1", "Инструменты", "Tools"},
    {2, "Label1", "Запускать по клавише &P:", "Run on key &P:"},
    {2, "OverExpSelectorItem1", "Хотя бы в одном канале &255", "At least one channel at &255"},
    {2, "ckAnyRAW", "Показывать метку &RAW, если есть файл хотя бы один RAW-файл (не отмечено - только если есть все)",
     "Show the &RAW mark when at least one RAW file exists (unchecked: only when all of them exist)"},
    {2, "Label11", "&Язык интерфейса:", "Interface &language:"},
    {2, "ckExifRotate", "Поворачивать по &ориентации из EXIF", "Rotate by EXIF &orientation"},
    {2, "ckSmoothScale", "&Плавное масштабирование", "S&mooth scaling"},
    {2, "btnCancel", "&Close", "&Close"},
};

TEST_F(LanguageTest, WindowAndDialogsShowTheChosenLanguageAndEnglishLeavesNoRussian)
{
    for (const char* code : {"ru", "en", "ru"}) {
        SCOPED_TRACE(code);
        LanguageScope language(code);
        ASSERT_TRUE(language.ok);
        const bool english = QByteArray(code) == "en";
        Start({tmp.path()}, false);
        AppState app;
        TfrmFiles files(app);
        TfrmOptions options(app);
        const QWidget* tops[] = {win.get(), &files, &options};
        for (const TextCase& c : kTexts)
            EXPECT_EQ(Shown(tops[c.where], c.name), QString::fromUtf8(english ? c.english : c.russian)) << c.name;

        // In English every text is translated: none is left in Russian.
        int russian = 0;
        for (const QWidget* top : tops)
            for (const QWidget* w : top->findChildren<QWidget*>())
                for (const QString& text : ShownTexts(w))
                    if (HasCyrillic(text)) {
                        ++russian;
                        EXPECT_FALSE(english) << w->objectName().toStdString() << ": " << text.toStdString();
                    }
        // In Russian: each of the 48 texts of the forms and the tool bar,
        // the language hint once more (it is on its label and its list),
        // the program's own "Отмеченные файлы", "RAW-файлы" and "JPEG и
        // RAW-файлы", and its "Выбрать папку" and three "Обзор" three times
        // each (the field's action, the button that shows it and that
        // button's action), and the hint of the button that compares folders.
        if (!english) {
            EXPECT_EQ(russian, 48 + 1 + 3 + 3 * 4 + 1);
        }
    }
}

// The texts the program adds to the forms' and its messages, in each
// language: Russian as the code writes them, English from the translation.
// The core's messages are raised for real, so one that misses the
// translation shows in Russian in the English interface. %1 and %2 stand
// for the paths involved; the system's own reasons stay as the system
// gives them.
TEST_F(LanguageTest, TheProgramsOwnTextsAndMessagesInBothLanguages)
{
    const QString fifo = tmp.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folderMarks = tmp.filePath(QStringLiteral("marks"));
    ASSERT_TRUE(QDir().mkpath(folderMarks + QStringLiteral("/marked.txt")));   // a folder under the name
    const QString tenBytes = tmp.filePath(QStringLiteral("ten.txt"));
    uitest::WriteBytes(tenBytes, "0123456789");
    const QString nowhere = tmp.filePath(QStringLiteral("none"));
    const auto text = [](auto f) { return QString::fromStdString(ErrorText(f)); };

    struct Case {
        const char* what;
        std::function<QString()> shown;
        QString arg1, arg2;
        const char* russian;
        const char* english;
    };
    for (const char* code : {"ru", "en"}) {
        SCOPED_TRACE(code);
        LanguageScope language(code);
        ASSERT_TRUE(language.ok);
        const bool english = QByteArray(code) == "en";
        const QString photos = Folder(QStringLiteral("photos"), 4);
        const QString first = photos + QStringLiteral("/img_00.jpg");
        const QString second = photos + QStringLiteral("/img_01.jpg");
        Start({photos});
        ASSERT_EQ(win->pane(1).PanePath, first);
        ASSERT_TRUE(QFile::remove(first));   // gone under the window
        AppState app;
        TfrmFiles files(app);
        TfrmOptions options(app);
        const auto tip = [](const QWidget* top, const char* name) {
            const auto* action = top->findChild<QAction*>(QLatin1String(name));
            return action ? action->toolTip() : QStringLiteral("<no %1>").arg(QLatin1String(name));
        };
        const auto errorOf = [this](Qt::Key key) {
            errors.clear();
            Key(key);
            return errors.value(0);
        };
        const Case cases[] = {
            {"the filter entry", [&] { return Control<QComboBox>(QStringLiteral("FiltersList"))->itemText(2); }, {}, {},
             "Отмеченные файлы", "Marked files"},
            {"the folder button", [&] { return tip(win.get(), "DirEditBrowse"); }, {}, {}, "Выбрать папку", "Choose a folder"},
            {"the copy folder button", [&] { return tip(&files, "DstDirBrowse"); }, {}, {}, "Обзор", "Browse"},
            {"the tool button", [&] { return tip(&options, "edPToolBrowse"); }, {}, {}, "Обзор", "Browse"},
            {"a folder that is gone",
             [&] {
                 errors.clear();
                 win->ListFolder(nowhere);
                 return errors.value(0);
             },
             nowhere, {}, "Не удаётся открыть папку \"%1\": папка не существует.",
             "Cannot list the folder \"%1\": the folder does not exist."},
            {"R on a file that is gone", [&] { return errorOf(Qt::Key_R); }, first, {},
             "Не удаётся прочитать файл \"%1\": файл не существует.", "Cannot read the file \"%1\": the file does not exist."},
            {"G on a file that is gone", [&] { return errorOf(Qt::Key_G); }, first, {},
             "Не удаётся изменить права доступа к файлу \"%1\": файл не существует.",
             "Cannot change the permissions of the file \"%1\": the file does not exist."},
            {"a name with a line break", [&] { return text([] { MarkStore().SetMark(QStringLiteral("/f/a\nb.jpg"), 3); }); },
             QStringLiteral("/f/a\nb.jpg"), {},
             "Не удаётся отметить \"%1\": в имени файла есть перевод строки, а файл отметок не может его хранить",
             "Cannot mark \"%1\": its name contains a line break, which the marks file cannot hold"},
            {"a marks file that is a folder", [&] { return text([&] { MarkStore().LoadMarks(folderMarks); }); },
             folderMarks + QStringLiteral("/marked.txt"), {}, "Не удаётся прочитать файл отметок \"%1\": это папка",
             "Cannot read the marks file \"%1\": it is a folder"},
            {"a settings file that is a FIFO", [&] { return text([&] { IniProfile::WriteSection(fifo, QStringLiteral("M"), {}); }); },
             fifo, {}, "Не удаётся прочитать файл настроек \"%1\": это не обычный файл",
             "Cannot read the settings file \"%1\": it is not a regular file"},
            {"a photo that is a folder", [&] { return text([&] { TJPEGPicture::fromFile(folderMarks); }); }, folderMarks, {},
             "Не удаётся прочитать файл \"%1\": это папка", "Cannot read the file \"%1\": it is a folder"},
            {"copying a FIFO", [&] { return text([&] { CopyFileWhole(fifo, tmp.filePath(QStringLiteral("copy")), true); }); },
             fifo, {}, "Не удаётся прочитать файл \"%1\": это не обычный файл",
             "Cannot read the file \"%1\": it is not a regular file"},
            {"copying into a missing folder",
             [&] { return text([&] { CopyFileWhole(second, nowhere + QStringLiteral("/c.jpg"), true); }); },
             nowhere + QStringLiteral("/c.jpg"), {}, "Не удаётся записать копию \"%1\": No such file or directory",
             "Cannot write the copy \"%1\": No such file or directory"},
            {"moving into a missing folder", [&] { return text([&] { MoveCurrentFile(second, nowhere, {}); }); }, second,
             nowhere + QStringLiteral("/img_01.jpg"), "Не удаётся переместить файл \"%1\" в \"%2\": No such file or directory",
             "Cannot move the file \"%1\" to \"%2\": No such file or directory"},
            {"a file over the reading limit", [&] { return ReadRegularFile(tenBytes, 3).reason; }, {}, {}, "он больше 3 байт",
             "it is larger than 3 bytes"},
        };
        for (const Case& c : cases) {
            QString expected = QString::fromUtf8(english ? c.english : c.russian);
            if (!c.arg1.isNull())
                expected = c.arg2.isNull() ? expected.arg(c.arg1) : expected.arg(c.arg1, c.arg2);
            EXPECT_EQ(c.shown(), expected) << c.what;
        }
    }
}

TEST(InterfaceLanguages, RussianAndTheEmbeddedEnglishEachByItsOwnName)
{
    const std::vector<InterfaceLanguage> languages = InterfaceLanguages();
    ASSERT_EQ(languages.size(), 2u);
    EXPECT_EQ(languages[0].code, QStringLiteral("ru"));
    EXPECT_EQ(languages[0].name, QStringLiteral("Русский"));
    EXPECT_EQ(languages[1].code, QStringLiteral("en"));
    EXPECT_EQ(languages[1].name, QStringLiteral("English"));

    // A language the program lacks leaves the one in place.
    LanguageScope english("en");
    EXPECT_FALSE(SetInterfaceLanguage(QStringLiteral("de")));
    EXPECT_FALSE(SetInterfaceLanguage(QStringLiteral("")));
    EXPECT_EQ(QCoreApplication::translate("tetrafot::TfrmMain", "Выход"), QStringLiteral("Quit"));
    EXPECT_TRUE(SetInterfaceLanguage(QStringLiteral("ru")));
    EXPECT_EQ(QCoreApplication::translate("tetrafot::TfrmMain", "Выход"), QStringLiteral("Выход"));
}

TEST(ChosenLanguage, TheEnvironmentOverridesTheSettingsWhichOverrideRussian)
{
    QTemporaryDir tmp;
    const QString ini = tmp.filePath(QStringLiteral("tetrafot.ini"));
    const QByteArray savedEnv = qgetenv("TETRAFOT_LANG");
    const bool hadEnv = qEnvironmentVariableIsSet("TETRAFOT_LANG");
    struct Case {
        const char* file;   // nullptr: no settings file
        const char* env;    // nullptr: unset
        const char* chosen;
    };
    const Case cases[] = {
        {nullptr, nullptr, "ru"},
        {"[TfrmMain]\nmaxsize=2000\n", nullptr, "ru"},   // written before the option existed
        {"[TfrmMain]\nmaxsize=2000\nlanguage=en\n", nullptr, "en"},
        {"[tfrmmain]\r\nLANGUAGE = en \r\nlanguage=ru\r\n", nullptr, "en"},   // the first key counts
        {"[TfrmMain]\nlanguage=\n", nullptr, "ru"},
        {"[TfrmFiles]\nlanguage=en\n[TfrmMain]\n", nullptr, "ru"},
        {"[TfrmMain]\nlanguage=en\n", "ru", "ru"},
        {"[TfrmMain]\nlanguage=ru\n", " en", "en"},
        {"[TfrmMain]\nlanguage=en\n", "", "en"},   // an empty override is none
        {nullptr, "de", "de"},                      // refused later, when it is set
    };
    for (const Case& c : cases) {
        QFile::remove(ini);
        if (c.file)
            uitest::WriteBytes(ini, c.file);
        if (c.env)
            qputenv("TETRAFOT_LANG", c.env);
        else
            qunsetenv("TETRAFOT_LANG");
        EXPECT_EQ(ChosenLanguage(ini), QString::fromLatin1(c.chosen))
            << (c.file ? c.file : "(no file)") << " / " << (c.env ? c.env : "(unset)");
    }
    if (hadEnv)
        qputenv("TETRAFOT_LANG", savedEnv);
    else
        qunsetenv("TETRAFOT_LANG");
}

} // namespace
