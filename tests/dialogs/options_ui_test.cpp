// The options dialog driven through its real widgets: what it loads, what
// "&Close", Escape and the close box leave behind, the colour swatches, the
// size field and the tool browser.
#include "settings/appstate.h"
#include "settings/formstorage.h"
#include "settings/mainsettings.h"
#include "dialogs/filesform.h"
#include "dialogs/language.h"
#include "dialogs/options.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Failures show texts, not their code units.
static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
#include <optional>

using namespace tetrafot;

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        AddMainStoredValues(store);
        store.setIniFileName(tmp.filePath(QStringLiteral("settings.ini")));
        store.restore();   // no file: every value keeps its default
        app.Store = &store;
        app.SettingsFileName = store.iniFileName();
    }

    TfrmOptions& Open()
    {
        dialog = std::make_unique<TfrmOptions>(app);
        dialog->pickColour = [this](const QColor& initial) {
            offered.push_back(initial);
            return answer;
        };
        dialog->openFile = [this](const QString& preset, const QString& filters) {
            presets << preset;
            lastFilters = filters;
            return chosenFile;
        };
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }

    template <typename T>
    T* Control(const char* name)
    {
        T* control = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    QColor Swatch(const char* name) { return Control<QFrame>(name)->palette().color(QPalette::Window); }
    QString Stored(const char* name) const { return store.textValue(QLatin1String(name)); }

    void Retype(QWidget* field, const QString& text)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }

    QTemporaryDir tmp;
    TFormStorage store{QStringLiteral("TfrmMain")};
    AppState app;
    std::unique_ptr<TfrmOptions> dialog;

    QColor answer;   // what the colour picker answers; invalid = cancelled
    std::vector<QColor> offered;
    QString chosenFile;
    QStringList presets;
    QString lastFilters;
};

TEST_F(OptionsDialogTest, WithoutSettingsFileShowsTheDefaults)
{
    TfrmOptions& dlg = Open();
    EXPECT_EQ(dlg.objectName(), QStringLiteral("frmOptions"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(dlg.size(), QSize(599, 468));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());

    EXPECT_EQ(Control<QLineEdit>("edPTool")->text(), QString());
    EXPECT_EQ(Control<QLineEdit>("edNTool")->text(), QString());
    EXPECT_EQ(Control<QLineEdit>("txtScribe")->text(), QStringLiteral("%c"));
    EXPECT_EQ(Swatch("pOverExpColor"), QColor(Qt::black));
    EXPECT_EQ(Swatch("pUnderExpColor"), QColor(Qt::white));
    EXPECT_TRUE(Control<QRadioButton>("UnderExpSelectorItem2")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>("OverExpSelectorItem1")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>("ckAnyRAW")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>("ckExifRotate")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>("ckSmoothScale")->isChecked());
    EXPECT_EQ(Control<TSpinEdit>("edMaxSize")->text(), QStringLiteral("2000"));
    EXPECT_EQ(QApplication::focusWidget(), Control<QPushButton>("btnCancel"));
    EXPECT_EQ(Control<QFrame>("pOverExpColor")->focusPolicy(), Qt::NoFocus);
}

TEST_F(OptionsDialogTest, EnterAtOnceClosesAndStoresEverythingUnchanged)
{
    store.writeValue(QStringLiteral("toolP"), QStringLiteral("\"/opt/photo tools/p\" %p"));
    store.writeValue(QStringLiteral("toolN"), QStringLiteral("gimp %d%f.%e"));
    store.writeValue(QStringLiteral("Pattern"), QStringLiteral("%m %s %a"));
    store.writeValue(QStringLiteral("OverExpColor"), QStringLiteral("255"));
    store.writeValue(QStringLiteral("UnderExpColor"), QStringLiteral("65280"));
    store.writeValue(QStringLiteral("UnderExpMode"), QStringLiteral("0"));
    store.writeValue(QStringLiteral("OverExpMode"), QStringLiteral("2"));
    store.writeValue(QStringLiteral("anyraw"), QStringLiteral("-1"));
    store.set(Stored::MaxSize, 1234);

    Open();
    EXPECT_EQ(Control<QLineEdit>("edPTool")->text(), QStringLiteral("\"/opt/photo tools/p\" %p"));   // loading reads the store
    EXPECT_EQ(Swatch("pOverExpColor"), QColor(255, 0, 0));
    EXPECT_EQ(Swatch("pUnderExpColor"), QColor(0, 255, 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Stored("toolP"), QStringLiteral("\"/opt/photo tools/p\" %p"));
    EXPECT_EQ(Stored("toolN"), QStringLiteral("gimp %d%f.%e"));
    EXPECT_EQ(Stored("Pattern"), QStringLiteral("%m %s %a"));
    EXPECT_EQ(Stored("OverExpColor"), QStringLiteral("255"));
    EXPECT_EQ(Stored("UnderExpColor"), QStringLiteral("65280"));
    EXPECT_EQ(Stored("UnderExpMode"), QStringLiteral("0"));
    EXPECT_EQ(Stored("OverExpMode"), QStringLiteral("2"));
    EXPECT_EQ(Stored("anyraw"), QStringLiteral("-1"));
    EXPECT_EQ(Stored("maxsize"), QStringLiteral("1234"));
    EXPECT_EQ(store.get(Stored::MaxSize), 1234);
    EXPECT_EQ(store.get(Stored::ToolN), QStringLiteral("gimp %d%f.%e"));
}

TEST_F(OptionsDialogTest, EscapeKeepsTheChangesAndTheCloseBoxDiscardsThem)
{
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close box");
        answer = QColor(0x12, 0x34, 0x56);
        Open();
        QTest::mouseClick(Control<QFrame>("pOverExpColor"), Qt::LeftButton);
        EXPECT_EQ(Swatch("pOverExpColor"), answer);
        Retype(Control<QLineEdit>("txtScribe"), QStringLiteral("%i"));
        Retype(Control<QLineEdit>("edPTool"), QStringLiteral("viewer %p"));
        QTest::mouseClick(Control<QRadioButton>("OverExpSelectorItem0"), Qt::LeftButton, {}, QPoint(8, 10));
        for (const char* box : {"ckAnyRAW", "ckExifRotate", "ckSmoothScale"})
            QTest::mouseClick(Control<QCheckBox>(box), Qt::LeftButton, {}, QPoint(8, 8));
        Retype(Control<TSpinEdit>("edMaxSize"), QStringLiteral("640"));
        if (escape)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            dialog->close();
        EXPECT_FALSE(dialog->isVisible());

        EXPECT_EQ(Stored("OverExpColor"), escape ? QStringLiteral("5649426") : QStringLiteral("0"));
        EXPECT_EQ(Stored("Pattern"), escape ? QStringLiteral("%i") : QStringLiteral("%c"));
        EXPECT_EQ(Stored("toolP"), escape ? QStringLiteral("viewer %p") : QString());
        EXPECT_EQ(store.get(Stored::ToolP), escape ? QStringLiteral("viewer %p") : QString());
        EXPECT_EQ(Stored("OverExpMode"), escape ? QStringLiteral("0") : QStringLiteral("1"));
        for (const char* key : {"anyraw", "exifrotate", "smoothscale"})
            EXPECT_EQ(Stored(key), escape ? QStringLiteral("-1") : QStringLiteral("0")) << key;
        EXPECT_EQ(store.get(Stored::MaxSize), escape ? 640 : 2000);
        if (escape) {   // reset for the close-box round
            store.writeValue(QStringLiteral("OverExpColor"), 0);
            store.writeValue(QStringLiteral("Pattern"), QStringLiteral("%c"));
            store.writeValue(QStringLiteral("toolP"), QString());
            store.writeValue(QStringLiteral("OverExpMode"), 1);
            for (const char* key : {"anyraw", "exifrotate", "smoothscale"})
                store.writeValue(QLatin1String(key), false);
            store.set(Stored::MaxSize, 2000);
        }
    }
}

TEST_F(OptionsDialogTest, ColourPickerStartsBlackThenOffersTheLastAcceptedColour)
{
    Open();
    answer = QColor(0, 0, 255);
    QTest::mouseClick(Control<QFrame>("pUnderExpColor"), Qt::LeftButton);
    answer = QColor();   // cancelled
    QTest::mouseClick(Control<QFrame>("pOverExpColor"), Qt::LeftButton);
    answer = QColor(255, 255, 0);
    QTest::mouseClick(Control<QFrame>("pOverExpColor"), Qt::LeftButton);
    QTest::mouseClick(Control<QFrame>("pUnderExpColor"), Qt::LeftButton, {}, QPoint(3, 3));

    ASSERT_EQ(offered.size(), 4u);
    EXPECT_EQ(offered[0], QColor(Qt::black));
    EXPECT_EQ(offered[1], QColor(0, 0, 255));   // neither the swatch's white nor black
    EXPECT_EQ(offered[2], QColor(0, 0, 255));   // a cancel changes nothing
    EXPECT_EQ(offered[3], QColor(255, 255, 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Stored("OverExpColor"), QStringLiteral("65535"));
    EXPECT_EQ(Stored("UnderExpColor"), QStringLiteral("65535"));

    // Another opening starts black again.
    Open();
    answer = QColor();
    QTest::mouseClick(Control<QFrame>("pOverExpColor"), Qt::LeftButton);
    EXPECT_EQ(offered.back(), QColor(Qt::black));
    EXPECT_EQ(Swatch("pOverExpColor"), QColor(255, 255, 0));
}

TEST_F(OptionsDialogTest, LanguageShowsTheStoredOneAndIsStoredOnClosing)
{
    struct Case {
        const char* stored;
        int shown;   // the list's index: 0 Русский, 1 English
        const char* pick;
        const char* storedAfterEscape;
    };
    for (const Case& c : {Case{"ru", 0, "English", "en"}, Case{"en", 1, "Русский", "ru"},
                          Case{"EN", 0, nullptr, "ru"}, Case{"", 0, nullptr, "ru"}, Case{"de", 0, "English", "en"}}) {
        SCOPED_TRACE(c.stored);
        store.writeValue(QStringLiteral("language"), QString::fromLatin1(c.stored));
        Open();
        auto* list = Control<QComboBox>("cbLanguage");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(0), QStringLiteral("Русский"));
        EXPECT_EQ(list->itemText(1), QStringLiteral("English"));
        EXPECT_EQ(list->currentIndex(), c.shown);
        if (c.pick)
            list->setCurrentText(QString::fromUtf8(c.pick));
        dialog->close();   // the close box keeps the stored value as it was
        EXPECT_EQ(Stored("language"), QString::fromLatin1(c.stored));
        Open();
        if (c.pick)
            Control<QComboBox>("cbLanguage")->setCurrentText(QString::fromUtf8(c.pick));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(Stored("language"), QString::fromLatin1(c.storedAfterEscape));
    }
}

struct SizeCase {
    const char* typed;
    const char* shownAfterLeaving;   // the field after the focus moved on
    int storedWhenLeft;              // "&Close" clicked: the field was left first
    int storedWithFocus;             // Escape while the field still has the focus
};

class SizeField : public OptionsDialogTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SizeField, OutOfRangeIsCorrectedOnlyWhenTheFieldIsLeft)
{
    const SizeCase& c = GetParam();
    for (const bool leave : {true, false}) {
        SCOPED_TRACE(leave ? "left" : "still focused");
        Open();
        auto* field = Control<TSpinEdit>("edMaxSize");
        Retype(field, QString::fromLatin1(c.typed));
        if (leave) {
            QTest::mouseClick(Control<QLineEdit>("txtScribe"), Qt::LeftButton);
            EXPECT_EQ(field->text(), QString::fromLatin1(c.shownAfterLeaving));
            QTest::mouseClick(Control<QPushButton>("btnCancel"), Qt::LeftButton);
        } else {
            QTest::keyClick(field, Qt::Key_Escape);
        }
        EXPECT_FALSE(dialog->isVisible());
        const int expected = leave ? c.storedWhenLeft : c.storedWithFocus;
        EXPECT_EQ(store.get(Stored::MaxSize), expected);
        EXPECT_EQ(Stored("maxsize"), QString::number(expected));
        store.set(Stored::MaxSize, 2000);
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, SizeField,
                         ::testing::Values(SizeCase{"0", "1", 1, 0}, SizeCase{"100001", "100000", 100000, 100001},
                                           SizeCase{"-7", "1", 1, -7}, SizeCase{"640", "640", 640, 640},
                                           SizeCase{"+12", "+12", 12, 12},
                                           // no whole number: counts as 1, the text stays
                                           SizeCase{"-", "-", 1, 1}, SizeCase{"", "", 1, 1},
                                           // too large for an int: the nearer bound, also with the focus
                                           SizeCase{"99999999999", "100000", 100000, 100000},
                                           SizeCase{"2147483648", "100000", 100000, 100000},
                                           SizeCase{"2147483647", "100000", 100000, 2147483647},
                                           SizeCase{"-99999999999", "1", 1, 1},
                                           SizeCase{"123456789012345678901234", "100000", 100000, 100000}));

TEST_F(OptionsDialogTest, SizeFieldRefusesOtherCharactersAndStepsByOne)
{
    Open();
    auto* field = Control<TSpinEdit>("edMaxSize");
    Retype(field, QStringLiteral("1x2 .5"));
    EXPECT_EQ(field->text(), QStringLiteral("125"));
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(field->text(), QStringLiteral("126"));
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(field->text(), QStringLiteral("124"));
    QTest::keyClick(field, Qt::Key_PageUp);
    EXPECT_EQ(field->text(), QStringLiteral("124"));

    struct Step {
        const char* from;
        Qt::Key key;
        const char* to;
    };
    for (const Step& s : {Step{"100000", Qt::Key_Up, "100000"}, Step{"1", Qt::Key_Down, "1"},
                          Step{"0", Qt::Key_Up, "1"}, Step{"100005", Qt::Key_Down, "100000"},
                          Step{"abc", Qt::Key_Up, "2"}}) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        // Letters cannot be typed, so the odd texts are put in directly.
        if (QByteArray(s.from) == "abc" || QByteArray(s.from) == "100005") {
            QLineEdit* edit = field->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            edit->setText(QString::fromLatin1(s.from));
        } else {
            QTest::keyClicks(field, QString::fromLatin1(s.from));
        }
        QTest::keyClick(field, s.key);
        EXPECT_EQ(field->text(), QString::fromLatin1(s.to)) << s.from;
    }
}

struct BrowseCase {
    const char* name;
    const char* fieldText;
    const char* expectedPreset;   // "@file" stands for the existing file made by the test
    const char* chosen;
    const char* expectedText;     // "@keep" when the field keeps its text
};

class ToolBrowse : public OptionsDialogTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(ToolBrowse, PresetsTheFirstTokenAndQuotesAPathWithBlanks)
{
    const BrowseCase& c = GetParam();
    const QString existing = tmp.filePath(QStringLiteral("my tool"));
    QFile(existing).open(QIODevice::WriteOnly);
    auto expand = [&](const char* text) {
        return QString::fromUtf8(text).replace(QStringLiteral("@file"), existing);
    };
    for (const char* name : {"edPTool", "edNTool"}) {
        SCOPED_TRACE(name);
        Open();
        auto* field = Control<QLineEdit>(name);
        field->setText(expand(c.fieldText));
        chosenFile = QString::fromUtf8(c.chosen);
        QAction* browse = dialog->findChild<QAction*>(QString::fromLatin1(name) + QStringLiteral("Browse"));
        ASSERT_NE(browse, nullptr);
        browse->trigger();
        EXPECT_EQ(presets.back(), expand(c.expectedPreset));
        EXPECT_EQ(field->text(), QByteArray(c.expectedText) == "@keep" ? expand(c.fieldText)
                                                                        : QString::fromUtf8(c.expectedText));
    }
#ifndef Q_OS_WIN
    EXPECT_TRUE(lastFilters.startsWith(QStringLiteral("All files (*);;")));
#endif
    EXPECT_TRUE(lastFilters.contains(QStringLiteral("Executable files (*.exe *.com *.bat *.cmd)")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolBrowse,
    ::testing::Values(
        BrowseCase{"PathWithBlankIsQuoted", "", "", "/opt/Program Files/Tool/x.sh", "\"/opt/Program Files/Tool/x.sh\""},
        BrowseCase{"PathWithoutBlankIsNot", "old %p", "old", "/usr/bin/gimp", "/usr/bin/gimp"},
        BrowseCase{"QuotedPathStaysAsItIs", "", "", "\"/a b/x\"", "\"/a b/x\""},
        BrowseCase{"ArgumentsAreDropped", "\"/opt/x y/t\" -a %p", "/opt/x y/t", "/bin/t", "/bin/t"},
        BrowseCase{"ExistingFileIsThePreset", "@file", "@file", "/bin/t", "/bin/t"},
        BrowseCase{"CancelKeepsTheText", "viewer -f %p", "viewer", "", "@keep"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionsDialogTest, TabOrderVisitsTheSelectedRadioItems)
{
    Open();
    const std::vector<const char*> expected = {"edPTool", "edNTool", "txtScribe", "UnderExpSelectorItem2",
                                               "OverExpSelectorItem1", "ckAnyRAW", "edMaxSize", "cbLanguage",
                                               "ckExifRotate", "ckSmoothScale", "btnCancel"};
    for (const char* name : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        // The size field's inner line edit may hold the focus for it.
        if (auto* spin = qobject_cast<TSpinEdit*>(focus->parentWidget()))
            focus = spin;
        EXPECT_EQ(focus->objectName().toStdString(), name);
    }
}

// The text as drawn: "&x" shows x underlined, "&&" one ampersand.
QString Drawn(const QString& text, bool mnemonic)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (mnemonic && text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

// Every label, check box, radio item and button of both dialogs shows its whole
// text inside its own rectangle, clear of the controls beside it, in the
// font and style the dialogs really use.
class DialogTexts : public ::testing::TestWithParam<const char*> {};

TEST_P(DialogTexts, FitTheirControlsAndStayClearOfTheirNeighbours)
{
    ASSERT_TRUE(SetInterfaceLanguage(QString::fromLatin1(GetParam())));
    AppState app;
    TfrmFiles files(app);
    TfrmOptions options(app);
    int checked = 0;
    for (QDialog* dialog : {static_cast<QDialog*>(&files), static_cast<QDialog*>(&options)}) {
        dialog->ensurePolished();
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
            if (w->window() != dialog)   // the colour picker is a window of its own
                continue;
            const QStyle* style = w->style();
            QString text;
            bool mnemonic = true;
            int lead = 0;   // indicator and gap in front of the text, or a button's margin on each side
            Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
            if (auto* label = qobject_cast<QLabel*>(w)) {
                text = label->text();
                mnemonic = label->buddy() != nullptr;
                alignment = label->alignment();
            } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
                text = radio->text();
                lead = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w)
                       + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
            } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
                text = box->text();
                lead = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w)
                       + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
            } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                text = button->text();
                lead = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
                alignment = Qt::AlignCenter;
            } else {
                continue;
            }
            const QFontMetrics metrics(w->font());
            const QStringList lines = Drawn(text, mnemonic).split(QLatin1Char('\n'));
            int width = 0;
            for (const QString& line : lines)
                width = std::max(width, metrics.horizontalAdvance(line));
            const int height = int(lines.size() - 1) * metrics.lineSpacing() + metrics.height();
            const bool button = qobject_cast<QPushButton*>(w) != nullptr;
            const QRect room = w->geometry().adjusted(lead, 0, button ? -lead : 0, 0);
            const QRect area = QStyle::alignedRect(w->layoutDirection(), alignment, QSize(width, height), room);
            const std::string name = w->objectName().toStdString();
            ++checked;

            EXPECT_LE(width, room.width()) << name << ": " << text.toStdString();
            EXPECT_LE(height, room.height()) << name << ": " << lines.size() << " lines";
            EXPECT_TRUE(w->parentWidget()->rect().contains(area)) << name;
            for (QWidget* sibling : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (sibling != w && !sibling->isHidden()) {
                    EXPECT_FALSE(area.intersects(sibling->geometry()))
                        << name << " runs under " << sibling->objectName().toStdString();
                }
            }
        }
    }
    EXPECT_EQ(checked, 12 + 21);   // every text-bearing control of both dialogs was looked at
    SetInterfaceLanguage(QStringLiteral("ru"));
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogTexts, ::testing::Values("ru", "en"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
