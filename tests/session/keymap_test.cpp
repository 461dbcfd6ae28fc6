// The codes the command map answers, worked out from the PC virtual-key
// codes the map has always used.
#include "session/keymap.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tetrafot;

namespace {

TEST(KeyMap, KeysGiveTheirCommandCodes)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier, keypad = Qt::KeypadModifier;
    const struct {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        int code;
    } cases[] = {
        {"Space", Qt::Key_Space, none, 32},
        {"Backspace", Qt::Key_Backspace, none, 8},
        {"Return", Qt::Key_Return, none, 13},
        {"the keypad's Enter", Qt::Key_Enter, keypad, 13},
        {"Home", Qt::Key_Home, none, 36},
        {"End", Qt::Key_End, none, 35},
        {"Left", Qt::Key_Left, none, 37},
        {"Down", Qt::Key_Down, none, 40},
        {"the keypad's Up (NumLock off)", Qt::Key_Up, keypad, 38},
        {"the keypad's +", Qt::Key_Plus, keypad, 107},
        {"the keypad's -", Qt::Key_Minus, keypad, 109},
        {"the plain + is no command", Qt::Key_Plus, none, 0},
        {"the plain - is no command", Qt::Key_Minus, none, 0},
        {"the digit row's 0", Qt::Key_0, none, 48},
        {"the digit row's 8 with Ctrl", Qt::Key_8, Qt::ControlModifier, 56},
        {"the keypad's 8 is not the digit row's", Qt::Key_8, keypad, 0},
        {"A", Qt::Key_A, none, 65},
        {"Z with Shift", Qt::Key_Z, Qt::ShiftModifier, 90},
        {"F1 is no command", Qt::Key_F1, none, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyCodeOf(c.key, c.modifiers), c.code) << c.what;
}

// A release runs the command of the key with the modifiers held at its
// press or at its release; a release whose press was not seen runs nothing.
TEST(KeyMap, ReleasesGiveTheCommandOfTheirPress)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    struct Event {
        bool press;
        int key;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
    };
    const struct {
        const char* what;
        std::vector<Event> events;   // the last is a release
        Command command;
        int digit;
    } cases[] = {
        {"Space", {{true, Qt::Key_Space, none, false}, {false, Qt::Key_Space, none, false}}, Command::Next, 0},
        {"Ctrl+3, Ctrl let go first", {{true, Qt::Key_3, ctrl, false}, {false, Qt::Key_3, none, false}}, Command::DigitMark, 3},
        {"Ctrl+0, Ctrl pressed after the digit", {{true, Qt::Key_0, none, false}, {false, Qt::Key_0, ctrl, false}},
         Command::DigitMark, 0},
        {"a plain 4 is a scale", {{true, Qt::Key_4, none, false}, {false, Qt::Key_4, none, false}}, Command::Scale1to4, 0},
        {"the keypad's 4 is nothing", {{true, Qt::Key_4, Qt::KeypadModifier, false}, {false, Qt::Key_4, Qt::KeypadModifier, false}},
         Command::None, 0},
        {"R", {{true, Qt::Key_R, none, false}, {false, Qt::Key_R, none, false}}, Command::Reload, 0},
        {"Shift+R", {{true, Qt::Key_R, shift, false}, {false, Qt::Key_R, none, false}}, Command::ReloadAll, 0},
        {"a repeat keeps the first press's modifiers",
         {{true, Qt::Key_5, ctrl, false}, {true, Qt::Key_5, none, true}, {false, Qt::Key_5, none, false}}, Command::DigitMark, 5},
        {"a Return whose press went to a message box", {{false, Qt::Key_Return, none, false}}, Command::None, 0},
        {"a press is used once", {{true, Qt::Key_X, none, false}, {false, Qt::Key_X, none, false}, {false, Qt::Key_X, none, false}},
         Command::None, 0},
        {"another key's press", {{true, Qt::Key_Q, none, false}, {false, Qt::Key_W, none, false}}, Command::None, 0},
    };
    for (const auto& c : cases) {
        KeyPresses keys;
        KeyCommand last;
        for (const Event& e : c.events) {
            if (e.press)
                keys.pressed(e.key, e.modifiers, e.autoRepeat);
            else
                last = keys.released(e.key, e.modifiers);
        }
        EXPECT_EQ(last.command, c.command) << c.what;
        if (c.command == Command::DigitMark) {
            EXPECT_EQ(last.digit, c.digit) << c.what;
        }
    }
    // The window lost the keyboard: a press seen before runs nothing on its release.
    KeyPresses keys;
    keys.pressed(Qt::Key_Space, Qt::NoModifier, false);
    keys.clear();
    EXPECT_EQ(keys.released(Qt::Key_Space, Qt::NoModifier).command, Command::None);
}

// Where each key goes: the route of the last event of each sequence.
TEST(WindowKeys, RoutesKeysToTheControlOrTheCommands)
{
    using F = WindowKeys::Focus;
    enum Op { Press, Release, StartTyping, StopTyping, FieldReturn, WindowLeft };
    struct Event {
        Op op;
        int key = 0;
        F focus = F::Elsewhere;
    };
    const struct {
        const char* what;
        std::vector<Event> events;
        bool eaten;
        Command command;
    } cases[] = {
        {"Space on a pane", {{Press, Qt::Key_Space}, {Release, Qt::Key_Space}}, true, Command::Next},
        {"a letter in the file list", {{Press, Qt::Key_V, F::FileList}, {Release, Qt::Key_V, F::FileList}}, false,
         Command::None},
        {"Tab moves the focus", {{Press, Qt::Key_Tab}, {Release, Qt::Key_Tab}}, false, Command::None},
        {"a letter typed into the folder field",
         {{StartTyping}, {Press, Qt::Key_V, F::FolderField}, {Release, Qt::Key_V, F::FolderField}}, false, Command::None},
        {"the folder field not being typed into", {{Press, Qt::Key_V, F::FolderField}, {Release, Qt::Key_V, F::FolderField}},
         true, Command::MarkV},
        {"the Return that applied a typed folder",
         {{StartTyping}, {Press, Qt::Key_Return, F::FolderField}, {FieldReturn}, {StopTyping}, {Release, Qt::Key_Return}},
         true, Command::None},
        {"the next Return opens the photo",
         {{StartTyping}, {Press, Qt::Key_Return, F::FolderField}, {FieldReturn}, {StopTyping}, {Release, Qt::Key_Return},
          {Press, Qt::Key_Return}, {Release, Qt::Key_Return}},
         true, Command::OpenExternally},
        {"Return on a folder that cannot be listed: typing goes on",
         {{StartTyping}, {Press, Qt::Key_Return, F::FolderField}, {FieldReturn}, {Release, Qt::Key_Return, F::FolderField},
          {Press, Qt::Key_Return, F::FolderField}},
         false, Command::None},
        {"a Return pressed in the field while not typing is the window's",
         {{Press, Qt::Key_Return, F::FolderField}, {FieldReturn}, {Release, Qt::Key_Return}}, true, Command::OpenExternally},
        {"leaving the window drops the taken Return",
         {{StartTyping}, {Press, Qt::Key_Return, F::FolderField}, {FieldReturn}, {StopTyping}, {WindowLeft},
          {Press, Qt::Key_Return}, {Release, Qt::Key_Return}},
         true, Command::OpenExternally},
        {"a key pressed in the list, released on a pane", {{Press, Qt::Key_V, F::FileList}, {Release, Qt::Key_V}}, true,
         Command::None},
    };
    for (const auto& c : cases) {
        WindowKeys keys;
        WindowKeys::Route last;
        for (const Event& e : c.events) {
            switch (e.op) {
            case Press: last = keys.pressed(e.key, Qt::NoModifier, false, e.focus); break;
            case Release: last = keys.released(e.key, Qt::NoModifier, false, e.focus); break;
            case StartTyping: keys.startTyping(); break;
            case StopTyping: keys.stopTyping(); break;
            case FieldReturn: keys.fieldReturn(); break;
            case WindowLeft: keys.windowLeft(); break;
            }
        }
        EXPECT_EQ(last.eaten, c.eaten) << c.what;
        EXPECT_EQ(last.command.command, c.command) << c.what;
    }
}

} // namespace
