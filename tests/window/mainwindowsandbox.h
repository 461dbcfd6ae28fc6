#pragma once
// A sandbox for the main window's widget tests: a temporary folder for the
// settings file and the photo folders, a window made with hooks that collect
// what it would show or open, and key and mouse helpers that act on the real
// controls. Header only: core_tests shares this folder and has no widgets.
#include "settings/iniprofile.h"
#include "window/mainform.h"
#include "window/panewidgets.h"
#include "jpegwriter.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace tetrafot;

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace uitest {

// A small photo of the given size; the same arguments give the same bytes.
inline QByteArray Photo(int width, int height, unsigned seed = 1)
{
    JpegSpec desc;
    desc.width = width;
    desc.height = height;
    desc.seed = seed;
    desc.quality = 80;
    return MakeJpeg(desc);
}

// The names img_00.jpg ... that Folder() writes, by index ("" for -1: a
// pane without a path).
inline QStringList Entries(std::initializer_list<int> indexes)
{
    QStringList names;
    for (int i : indexes)
        names << (i < 0 ? QString() : QStringLiteral("img_%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    return names;
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The value of a key in a section of an INI file, or "<missing>".
inline QString IniValue(const QString& ini, const QString& key, const QString& section = QStringLiteral("TfrmMain"))
{
    for (const auto& [name, value] : IniProfile::ReadSection(ini, section))
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return value;
    return QStringLiteral("<missing>");
}

inline QStringList IniKeys(const QString& ini, const QString& section = QStringLiteral("TfrmMain"))
{
    QStringList keys;
    for (const auto& [name, value] : IniProfile::ReadSection(ini, section))
        keys << name;
    return keys;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        savedCwd = QDir::currentPath();
        hadIni = qEnvironmentVariableIsSet("TETRAFOT_INI");
        savedIni = qgetenv("TETRAFOT_INI");
        ini = tmp.filePath(QStringLiteral("tetrafot.ini"));
        qputenv("TETRAFOT_INI", ini.toLocal8Bit());
    }

    void TearDown() override
    {
        win.reset();
        QDir::setCurrent(savedCwd);
        hadIni ? qputenv("TETRAFOT_INI", savedIni) : qunsetenv("TETRAFOT_INI");
    }

    // A folder under the sandbox with `count` photos named img_00.jpg,
    // img_01.jpg ..., each w x h.
    QString Folder(const QString& name, int count, int w = 64, int h = 48, const QString& prefix = QStringLiteral("img_"))
    {
        const QString folder = tmp.filePath(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        const QByteArray bytes = Photo(w, h);
        for (int i = 0; i < count; ++i)
            WriteBytes(folder + QStringLiteral("/%1%2.jpg").arg(prefix).arg(i, 2, 10, QLatin1Char('0')), bytes);
        return folder;
    }

    // Settings written before the window starts (the section TfrmMain).
    void WriteSettings(const QByteArray& keyLines) { WriteBytes(ini, "[TfrmMain]\r\n" + keyLines); }

    MainHooks Hooks()
    {
        MainHooks hooks;
        hooks.showError = [this](QWidget*, const QString& message) { errors << message; };
        hooks.browseFolder = [this](QWidget*, const QString& start) {
            browseStarts << start;
            return browseAnswer;
        };
        hooks.chooseColour = [this](QWidget*, const QColor& start) -> std::optional<QColor> {
            colourStarts.push_back(start);
            if (colourAnswers.empty())
                return std::nullopt;
            std::optional<QColor> answer = colourAnswers.front();
            colourAnswers.pop_front();
            return answer;
        };
        hooks.openExternally = [this](const QString& path) { opened << path; };
        hooks.runDialog = [this](QDialog& dialog) {
            ++dialogsRun;
            if (onDialog)
                onDialog(dialog);
        };
        return hooks;
    }

    // Starts a window with these arguments; shown, it is also the active
    // window, so that focus and the window's key filter act as for a user.
    TfrmMain& Start(const QStringList& arguments, bool show = true)
    {
        win.reset();
        win = std::make_unique<TfrmMain>(arguments, Hooks());
        if (show) {
            win->show();
            win->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(win.get()));
        }
        return *win;
    }

    // Destroys the window as the program's end does.
    void Destroy() { win.reset(); }

    template <typename T = QWidget>
    T* Control(const QString& name) const
    {
        T* control = win->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control;
    }

    // A key pressed and released where the keyboard focus is (the window
    // when nothing inside it has the focus).
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != win.get())
            target = win.get();
        QTest::keyClick(target, key, modifiers);
    }

    // The file name shown in pane n ("" when the pane has no path).
    QString NameIn(int n) const { return QFileInfo(win->pane(n).PanePath).fileName(); }
    QStringList Names() const { return {NameIn(1), NameIn(2), NameIn(3), NameIn(4)}; }
    QStringList PanePaths() const
    {
        return {win->pane(1).PanePath, win->pane(2).PanePath, win->pane(3).PanePath, win->pane(4).PanePath};
    }
    // The file list as the user sees it.
    QListView* List() const { return Control<QListView>(QStringLiteral("FilesList")); }
    int Selected() const { return List()->currentIndex().row(); }
    int ListCount() const { return List()->model()->rowCount(); }
    QString ListText(int row) const { return List()->model()->index(row, 0).data().toString(); }
    QStringList ListTexts() const
    {
        QStringList texts;
        for (int row = 0; row < ListCount(); ++row)
            texts << ListText(row);
        return texts;
    }
    void ClickEntry(int row)
    {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          List()->visualRect(List()->model()->index(row, 0)).center());
    }

    // A click on the empty bottom-left corner of pane n's box (the marks
    // there let the mouse through).
    void ClickBox(int n)
    {
        auto* box = Control<QAbstractScrollArea>(QStringLiteral("ScrollBox%1").arg(n));
        ASSERT_NE(box, nullptr);
        QWidget* vp = box->viewport();
        QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(2, vp->height() - 3));
    }

    QTemporaryDir tmp;
    QString ini;
    std::unique_ptr<TfrmMain> win;

    QStringList errors;
    QStringList opened;
    QStringList browseStarts;
    QString browseAnswer;
    std::deque<std::optional<QColor>> colourAnswers;
    std::vector<QColor> colourStarts;
    int dialogsRun = 0;
    std::function<void(QDialog&)> onDialog;

private:
    QString savedCwd;
    QByteArray savedIni;
    bool hadIni = false;
};

} // namespace uitest

