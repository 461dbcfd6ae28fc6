#pragma once
#include <Qt>

// The keys the window's commands answer, by the codes the command map has
// always used (the PC virtual-key codes): letters are 'A'..'Z' and the digit
// row '0'..'9', as their characters.
enum KeyCode : int {
    KeyNone = 0,
    KeyBackspace = 8,
    KeyReturn = 13,
    KeySpace = 32,
    KeyEnd = 35,
    KeyHome = 36,
    KeyLeft = 37,
    KeyUp = 38,
    KeyRight = 39,
    KeyDown = 40,
    KeyDigit0 = '0',
    KeyDigit9 = '9',
    KeyLetterA = 'A',
    KeyPadPlus = 107,
    KeyPadMinus = 109,
};

// The code of a key as it goes up: the keypad's digits have none (they are
// not the digit row), its + and - have their own, the plain + and - none;
// the keypad's arrows (NumLock off) are arrows too.
int KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers);
