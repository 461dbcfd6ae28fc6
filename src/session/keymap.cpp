#include "session/keymap.h"

int KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    switch (qtKey) {
    case Qt::Key_Space: return KeySpace;
    case Qt::Key_Backspace: return KeyBackspace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return KeyReturn;
    case Qt::Key_Left: return KeyLeft;
    case Qt::Key_Up: return KeyUp;
    case Qt::Key_Right: return KeyRight;
    case Qt::Key_Down: return KeyDown;
    case Qt::Key_Home: return KeyHome;
    case Qt::Key_End: return KeyEnd;
    case Qt::Key_Plus: return keypad ? KeyPadPlus : KeyNone;
    case Qt::Key_Minus: return keypad ? KeyPadMinus : KeyNone;
    default: break;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? KeyNone : KeyDigit0 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return KeyLetterA + (qtKey - Qt::Key_A);
    return KeyNone;
}
