// The codes the command map answers, worked out from the PC virtual-key
// codes the map has always used.
#include "session/keymap.h"

#include <gtest/gtest.h>

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

} // namespace
