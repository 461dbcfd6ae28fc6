// The interface language: which one a start chooses, and what the window and
// both dialogs show in each.
#include "window/mainwindowsandbox.h"
#include "settings/appstate.h"
#include "dialogs/filesform.h"
#include "dialogs/language.h"
#include "dialogs/options.h"

#include <QAbstractButton>
#include <algorithm>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

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
        // In Russian: each of the translation's 49 texts but the language's
        // own name, and the language hint twice (its label and its list).
        if (!english) {
            EXPECT_EQ(russian, 49);
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
    EXPECT_EQ(QCoreApplication::translate("TfrmMain", "Выход"), QStringLiteral("Quit"));
    EXPECT_TRUE(SetInterfaceLanguage(QStringLiteral("ru")));
    EXPECT_EQ(QCoreApplication::translate("TfrmMain", "Выход"), QStringLiteral("Выход"));
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
