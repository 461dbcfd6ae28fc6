// The file operations dialog driven through its real widgets: keys, buttons,
// the close box, and what it leaves in the settings file.
#include "settings/appstate.h"
#include "settings/formstorage.h"
#include "settings/iniprofile.h"
#include "settings/mainsettings.h"
#include "dialogs/filesform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

using namespace tetrafot;

// Failures show texts, not their code units.
static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

void WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString Key(const IniProfile::KeyValues& keys, const QString& name)
{
    for (const auto& [key, value] : keys)
        if (key == name)
            return value;
    return QStringLiteral("<missing>");
}

class FilesDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        src = tmp.filePath(QStringLiteral("cam"));
        dst = tmp.filePath(QStringLiteral("sorted"));
        ASSERT_TRUE(QDir().mkpath(src));
        ASSERT_TRUE(QDir().mkpath(dst));
        ini = tmp.filePath(QStringLiteral("settings.ini"));
        AddMainStoredValues(store);
        store.setIniFileName(ini);
        app.Store = &store;
        app.SettingsFileName = ini;
        app.CurrentFilePath = src + QStringLiteral("/IMG_0001.JPG");
        WriteFile(app.CurrentFilePath, "jpeg");
        WriteFile(src + QStringLiteral("/IMG_0001.CRW"), "crw");
        WriteFile(src + QStringLiteral("/IMG_0001.THM"), "thm");
    }

    // Opens the dialog as the main window does and waits until it has the focus.
    TfrmFiles& Open()
    {
        dialog = std::make_unique<TfrmFiles>(app);
        dialog->browseFolder = [](const QString&) { return QString(); };
        app.FilesDialogOpen = true;
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

    // A click on a radio item's indicator, which selects it.
    void Choose(const char* item)
    {
        auto* button = Control<QRadioButton>(item);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    void Type(QWidget* field, const QString& text)
    {
        field->setFocus();
        QTest::keyClicks(field, text);
    }

    // A key pressed and released where the focus is, as the keyboard sends it.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
    }

    IniProfile::KeyValues Section() const { return IniProfile::ReadSection(ini, QStringLiteral("TfrmFiles")); }

    QTemporaryDir tmp;
    QString src, dst, ini;
    TFormStorage store{QStringLiteral("TfrmMain")};
    AppState app;
    std::unique_ptr<TfrmFiles> dialog;
};

TEST_F(FilesDialogTest, OpensWithItsControlsAndTheFocusOnTheOperation)
{
    store.writeValue(QStringLiteral("exts"), QStringLiteral("CRW;THM"));
    store.writeValue(QStringLiteral("rawprefix"), QStringLiteral("e_"));
    store.writeValue(QStringLiteral("rawsuffix"), QStringLiteral("_edit"));
    TfrmFiles& dlg = Open();
    EXPECT_EQ(dlg.objectName(), QStringLiteral("frmFiles"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Files operations"));
    EXPECT_EQ(dlg.size(), QSize(422, 382));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_FALSE(dlg.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    EXPECT_EQ(Control<QLineEdit>("txtCRWExt")->text(), QStringLiteral("CRW;THM"));
    EXPECT_EQ(Control<QLineEdit>("txtPrefix")->text(), QStringLiteral("e_"));
    EXPECT_EQ(Control<QLineEdit>("txtSuffix")->text(), QStringLiteral("_edit"));
    EXPECT_EQ(Control<QLineEdit>("DstDir")->text(), QString());
    EXPECT_FALSE(Control<QCheckBox>("ckCRW")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>("ckOverwrite")->isChecked());
    EXPECT_EQ(dlg.operationIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), Control<QRadioButton>("OpSelectorItem0"));
    // Neither button answers Enter unless it has the focus.
    EXPECT_FALSE(Control<QPushButton>("btnOk")->isDefault());
    EXPECT_FALSE(Control<QPushButton>("btnCancel")->isDefault());
}

// K, M and D typed into any text field are just letters.
class LetterInTextField : public FilesDialogTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(LetterInTextField, OnlyTypes)
{
    Open();
    Control<QLineEdit>("DstDir")->setText(dst);
    auto* field = Control<QLineEdit>(GetParam());
    field->clear();
    Type(field, QStringLiteral("kmd"));
    EXPECT_EQ(field->text(), QStringLiteral("kmd"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(app.FilesDialogOpen);
    EXPECT_TRUE(QFile::exists(app.CurrentFilePath));
    EXPECT_TRUE(QDir(dst).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Fields, LetterInTextField,
                         ::testing::Values("DstDir", "txtCRWExt", "txtPrefix", "txtSuffix"));

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int item;
    bool sourceStays;
    bool targetMade;
};

class OperationKey : public FilesDialogTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(OperationKey, ActsOnTheFileAndItsCompanionsAndCloses)
{
    const KeyCase& c = GetParam();
    Open();
    Control<QLineEdit>("DstDir")->setText(dst);
    Control<QLineEdit>("txtCRWExt")->setText(QStringLiteral("CRW;THM"));
    Control<QCheckBox>("ckCRW")->setChecked(true);
    Control<QRadioButton>("OpSelectorItem0")->setFocus();   // the focus is on the operation, not in a field

    Press(c.key, c.modifiers);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(app.FilesDialogOpen);
    EXPECT_EQ(store.textValue(QStringLiteral("exts")), QStringLiteral("CRW;THM"));   // the list the window reads
    for (const char* name : {"IMG_0001.JPG", "IMG_0001.CRW", "IMG_0001.THM"}) {
        const QString file = QString::fromLatin1(name);
        EXPECT_EQ(QFile::exists(src + QLatin1Char('/') + file), c.sourceStays) << name;
        EXPECT_EQ(QFile::exists(dst + QLatin1Char('/') + file), c.targetMade) << name;
    }
    // The key chose the item that the next opening starts with.
    EXPECT_EQ(Key(Section(), QStringLiteral("OpSelector_ItemIndex")), QString::number(c.item));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OperationKey,
    ::testing::Values(KeyCase{"K_copies", Qt::Key_K, Qt::NoModifier, 0, true, true},
                      KeyCase{"M_moves", Qt::Key_M, Qt::NoModifier, 1, false, true},
                      KeyCase{"D_deletes", Qt::Key_D, Qt::NoModifier, 2, false, false},
                      KeyCase{"ShiftK_copies", Qt::Key_K, Qt::ShiftModifier, 0, true, true},
                      KeyCase{"CtrlM_moves", Qt::Key_M, Qt::ControlModifier, 1, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilesDialogTest, CompanionsStayWhenTheirBoxIsOff)
{
    Open();
    Control<QLineEdit>("DstDir")->setText(dst);
    Control<QLineEdit>("txtCRWExt")->setText(QStringLiteral("CRW"));
    Press(Qt::Key_M);
    EXPECT_TRUE(QFile::exists(dst + QStringLiteral("/IMG_0001.JPG")));
    EXPECT_FALSE(QFile::exists(app.CurrentFilePath));
    EXPECT_TRUE(QFile::exists(src + QStringLiteral("/IMG_0001.CRW")));
    EXPECT_FALSE(QFile::exists(dst + QStringLiteral("/IMG_0001.CRW")));
}

class Overwrite : public FilesDialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Overwrite, ReplacesAnExistingTargetOnlyWhenChecked)
{
    const bool overwrite = GetParam();
    WriteFile(dst + QStringLiteral("/IMG_0001.JPG"), "old");
    Open();
    Control<QLineEdit>("DstDir")->setText(dst);
    Control<QLineEdit>("txtCRWExt")->setText(QStringLiteral("CRW"));
    Control<QCheckBox>("ckCRW")->setChecked(true);
    Control<QCheckBox>("ckOverwrite")->setChecked(overwrite);
    Press(Qt::Key_K);
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/IMG_0001.JPG")), overwrite ? QByteArray("jpeg") : QByteArray("old"));
    // The JPEG's refusal does not stop its companion.
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/IMG_0001.CRW")), QByteArray("crw"));
    EXPECT_EQ(Key(Section(), QStringLiteral("ckOverwrite_Checked")),
              overwrite ? QStringLiteral("True") : QStringLiteral("False"));
}

INSTANTIATE_TEST_SUITE_P(Flag, Overwrite, ::testing::Bool());

TEST_F(FilesDialogTest, OkCarriesOutTheSelectedItemWithPrefixAndSuffixFromTheFields)
{
    const QString edited = src + QStringLiteral("/e_IMG_0001_edit.JPG");
    WriteFile(edited, "edited");
    app.CurrentFilePath = edited;
    Open();
    Control<QLineEdit>("DstDir")->setText(dst + QLatin1Char('/'));
    Control<QLineEdit>("txtCRWExt")->setText(QStringLiteral("CRW;THM;"));
    Control<QLineEdit>("txtPrefix")->setText(QStringLiteral("e_"));
    Control<QLineEdit>("txtSuffix")->setText(QStringLiteral("_edit"));
    Control<QCheckBox>("ckCRW")->setChecked(true);
    Choose("OpSelectorItem1");
    QTest::mouseClick(Control<QPushButton>("btnOk"), Qt::LeftButton);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(app.FilesDialogOpen);
    EXPECT_FALSE(QFile::exists(edited));
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/e_IMG_0001_edit.JPG")), QByteArray("edited"));
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/IMG_0001.CRW")), QByteArray("crw"));
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/IMG_0001.THM")), QByteArray("thm"));
    EXPECT_FALSE(QFile::exists(src + QStringLiteral("/IMG_0001.CRW")));
    // The main store keeps the fields for the RAW test and the next opening.
    EXPECT_EQ(store.textValue(QStringLiteral("exts")), QStringLiteral("CRW;THM;"));
    EXPECT_EQ(store.textValue(QStringLiteral("rawprefix")), QStringLiteral("e_"));
    EXPECT_EQ(store.textValue(QStringLiteral("rawsuffix")), QStringLiteral("_edit"));
}

// Enter presses the button that has the focus, once, and nothing else does.
TEST_F(FilesDialogTest, EnterPressesOnlyTheFocusedButton)
{
    struct Case {
        const char* focus;
        Qt::Key key;
        int finished;   // times the dialog closed
        bool copied;
    };
    const Case cases[] = {
        {"btnOk", Qt::Key_Return, 1, true},
        {"btnOk", Qt::Key_Enter, 1, true},
        {"btnCancel", Qt::Key_Return, 1, false},
        {"btnCancel", Qt::Key_Enter, 1, false},
        {"OpSelectorItem0", Qt::Key_Return, 0, false},
        {"ckOverwrite", Qt::Key_Enter, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.focus) + (c.key == Qt::Key_Enter ? " Enter" : " Return"));
        QFile::remove(dst + QStringLiteral("/IMG_0001.JPG"));
        Open();
        Control<QLineEdit>("DstDir")->setText(dst);
        Control<QWidget>(c.focus)->setFocus();
        QSignalSpy finished(dialog.get(), &QDialog::finished);
        Press(c.key);
        EXPECT_EQ(finished.count(), c.finished);
        EXPECT_EQ(dialog->isVisible(), c.finished == 0);
        EXPECT_EQ(QFile::exists(dst + QStringLiteral("/IMG_0001.JPG")), c.copied);
        EXPECT_TRUE(QFile::exists(app.CurrentFilePath));
    }
}

TEST_F(FilesDialogTest, BareFileNameIsTakenFromTheWorkingDirectory)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(src));
    app.CurrentFilePath = QStringLiteral("IMG_0001.JPG");
    Open();
    Control<QLineEdit>("DstDir")->setText(QStringLiteral("../sorted"));
    Press(Qt::Key_K);
    QDir::setCurrent(before);
    EXPECT_EQ(ReadFile(dst + QStringLiteral("/IMG_0001.JPG")), QByteArray("jpeg"));
}

TEST_F(FilesDialogTest, CopyWithoutDestinationTouchesNothingAndWaitsInTheFolderField)
{
    Open();
    Control<QLineEdit>("DstDir")->setText(QStringLiteral("   "));
    Press(Qt::Key_K);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(app.FilesDialogOpen);
    EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>("DstDir"));
    EXPECT_TRUE(QFile::exists(app.CurrentFilePath));

    // A folder typed now and Ok carry the copy out.
    Control<QLineEdit>("DstDir")->clear();
    Type(Control<QLineEdit>("DstDir"), dst);
    QTest::mouseClick(Control<QPushButton>("btnOk"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(QFile::exists(dst + QStringLiteral("/IMG_0001.JPG")));
}

TEST_F(FilesDialogTest, OtherKeysDoNothing)
{
    Open();
    Control<QLineEdit>("DstDir")->setText(dst);
    Control<QCheckBox>("ckOverwrite")->setFocus();

    // An auto-repeated release is no key of its own.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_K, Qt::NoModifier, QStringLiteral("k"), true);
    QApplication::sendEvent(QApplication::focusWidget(), &repeat);
    Press(Qt::Key_X);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(app.FilesDialogOpen);
    EXPECT_TRUE(QDir(dst).isEmpty());
}

// A copy that fails, by Ok or by its key, is told through the dialog's
// error hook (the main window's error path) and the dialog closes.
class FailingCopy : public FilesDialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FailingCopy, IsToldThroughTheHookAndTheDialogCloses)
{
    const bool byKey = GetParam();
    Open();
    QStringList told;
    dialog->showError = [&told](const QString& message) { told << message; };
    // A file where the folder should be: no user can copy into it.
    const QString plain = tmp.filePath(QStringLiteral("plain"));
    WriteFile(plain, "x");
    Control<QLineEdit>("DstDir")->setText(plain);
    Control<QCheckBox>("ckCRW")->setChecked(true);
    Control<QLineEdit>("txtCRWExt")->setText(QStringLiteral("CRW"));
    if (byKey) {
        Control<QRadioButton>("OpSelectorItem2")->setFocus();
        Press(Qt::Key_K);
    } else {
        Choose("OpSelectorItem0");
        QTest::mouseClick(Control<QPushButton>("btnOk"), Qt::LeftButton);
    }

    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].count(QLatin1Char('\n')), 1) << "one line for the photo, one for its companion";
    EXPECT_TRUE(told[0].contains(QStringLiteral("IMG_0001.CRW")));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(app.FilesDialogOpen);
    EXPECT_TRUE(QFile::exists(app.CurrentFilePath));
    EXPECT_EQ(ReadFile(plain), "x");
}

INSTANTIATE_TEST_SUITE_P(Ways, FailingCopy, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "Key" : "OkButton");
});

enum class WayOut { Escape, CancelButton, CloseBox };

class LeavingWithoutOperation : public FilesDialogTest, public ::testing::WithParamInterface<WayOut> {};

TEST_P(LeavingWithoutOperation, TouchesNoFileButStoresTheFieldsAndTheSection)
{
    Open();
    Control<QLineEdit>("DstDir")->setText(QStringLiteral("  ") + dst + QStringLiteral(" "));
    Control<QCheckBox>("ckCRW")->setChecked(true);
    Choose("OpSelectorItem2");
    Type(Control<QLineEdit>("txtCRWExt"), QStringLiteral("crw;thm"));
    Type(Control<QLineEdit>("txtPrefix"), QStringLiteral("p_"));
    Type(Control<QLineEdit>("txtSuffix"), QStringLiteral("_s"));
    switch (GetParam()) {
    case WayOut::Escape: QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); break;
    case WayOut::CancelButton: QTest::mouseClick(Control<QPushButton>("btnCancel"), Qt::LeftButton); break;
    case WayOut::CloseBox: dialog->close(); break;
    }

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(app.FilesDialogOpen);
    EXPECT_TRUE(QFile::exists(app.CurrentFilePath));
    EXPECT_TRUE(QFile::exists(src + QStringLiteral("/IMG_0001.CRW")));
    EXPECT_TRUE(QDir(dst).isEmpty());
    EXPECT_EQ(store.textValue(QStringLiteral("exts")), QStringLiteral("crw;thm"));
    EXPECT_EQ(store.textValue(QStringLiteral("rawprefix")), QStringLiteral("p_"));
    EXPECT_EQ(store.textValue(QStringLiteral("rawsuffix")), QStringLiteral("_s"));

    const IniProfile::KeyValues keys = Section();
    QStringList names;
    for (const auto& [key, value] : keys)
        names << key;
    EXPECT_EQ(names, QStringList({"FormVersion", "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos",
                                  "Visible", "DstDir_Text", "ckOverwrite_Checked", "OpSelector_ItemIndex",
                                  "ckCRW_Checked"}));
    EXPECT_EQ(Key(keys, QStringLiteral("DstDir_Text")), dst);
    EXPECT_EQ(Key(keys, QStringLiteral("ckOverwrite_Checked")), QStringLiteral("False"));
    EXPECT_EQ(Key(keys, QStringLiteral("OpSelector_ItemIndex")), QStringLiteral("2"));
    EXPECT_EQ(Key(keys, QStringLiteral("ckCRW_Checked")), QStringLiteral("True"));
    EXPECT_EQ(Key(keys, QStringLiteral("ShowCmd")), QStringLiteral("1"));
    // The dialog's own section does not disturb the main window's.
    EXPECT_TRUE(IniProfile::ReadSection(ini, QStringLiteral("TfrmMain")).empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, LeavingWithoutOperation,
                         ::testing::Values(WayOut::Escape, WayOut::CancelButton, WayOut::CloseBox));

TEST_F(FilesDialogTest, RestoresItsSectionWhenShownAndStartsOnTheRememberedItem)
{
    IniProfile::WriteSection(ini, QStringLiteral("TfrmFiles"),
                             {{"DstDir_Text", dst},
                              {"ckOverwrite_Checked", "True"},
                              {"OpSelector_ItemIndex", "1"},
                              {"ckCRW_Checked", "true"},
                              {"NormPos", "5000,5000,5422,5382"}});
    auto* parent = new QWidget;
    parent->setGeometry(100, 100, 800, 600);
    dialog = std::make_unique<TfrmFiles>(app, parent);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));

    EXPECT_EQ(Control<QLineEdit>("DstDir")->text(), dst);
    EXPECT_TRUE(Control<QCheckBox>("ckOverwrite")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>("ckCRW")->isChecked());
    EXPECT_EQ(dialog->operationIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), Control<QRadioButton>("OpSelectorItem1"));
    // Centred on the main window whatever position the file held.
    EXPECT_LE(std::abs(dialog->frameGeometry().center().x() - parent->frameGeometry().center().x()), 1);
    EXPECT_LE(std::abs(dialog->frameGeometry().center().y() - parent->frameGeometry().center().y()), 1);

    // M from the remembered item still moves.
    Press(Qt::Key_M);
    EXPECT_FALSE(QFile::exists(app.CurrentFilePath));
    EXPECT_TRUE(QFile::exists(dst + QStringLiteral("/IMG_0001.JPG")));
    dialog.reset();
    delete parent;
}

TEST_F(FilesDialogTest, TabbingLandsOnTheSelectedOperation)
{
    Open();
    dialog->setOperationIndex(2);
    Control<QPushButton>("btnCancel")->setFocus();
    // Backwards from Cancel: Ok, the folder field, then the operation group.
    for (int i = 0; i < 3; ++i)
        Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), Control<QRadioButton>("OpSelectorItem2"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>("DstDir"));
}

TEST_F(FilesDialogTest, BrowseButtonPutsTheChosenFolderIntoTheField)
{
    Open();
    QString started;
    dialog->browseFolder = [&](const QString& start) {
        started = start;
        return dst;
    };
    auto* field = Control<QLineEdit>("DstDir");
    field->setText(QStringLiteral(" /somewhere "));
    QAction* browse = dialog->findChild<QAction*>(QStringLiteral("DstDirBrowse"));
    ASSERT_NE(browse, nullptr);
    browse->trigger();
    EXPECT_EQ(started, QStringLiteral("/somewhere"));
    EXPECT_EQ(field->text(), QDir::toNativeSeparators(dst));

    dialog->browseFolder = [](const QString&) { return QString(); };   // cancelled
    browse->trigger();
    EXPECT_EQ(field->text(), QDir::toNativeSeparators(dst));
}

}  // namespace
