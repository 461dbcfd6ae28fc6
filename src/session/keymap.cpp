#include "session/keymap.h"
#include "render/scaling.h"

#include <QCoreApplication>

namespace tetrafot {

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

KeyCommand CommandOf(int keyCode, Qt::KeyboardModifiers modifiers)
{
    if ((modifiers & Qt::ControlModifier) && keyCode >= KeyDigit0 && keyCode <= KeyDigit9)
        return {Command::DigitMark, keyCode - KeyDigit0};
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (keyCode) {
    case KeySpace: return {Command::Next};
    case KeyBackspace: return {Command::Previous};
    case KeyReturn: return {Command::OpenExternally};
    case KeyLeft:
    case KeyRight: return {Command::PaneAcross};
    case KeyUp:
    case KeyDown: return {Command::PaneDown};
    case KeyPadPlus: return {Command::ZoomIn};
    case KeyPadMinus: return {Command::ZoomOut};
    case KeyHome: return {Command::First};
    case KeyEnd: return {Command::Last};
    case '1': return {Command::Scale1to1};
    case '2': return {Command::Scale1to2};
    case '4': return {Command::Scale1to4};
    case '8': return {Command::Scale1to8};
    case 'A': return {Command::Pin};
    case 'B': return {Command::CompareDialog};
    case 'C': return {Command::BackgroundColour};
    case 'D': return {Command::TypeFolder};
    case 'E': return {Command::MetadataPanel};
    case 'F': return {Command::FilesDialog};
    case 'G': return {Command::ReadOnly};
    case 'H': return {Command::SplitEvenly};
    case 'I': return {Command::Difference};
    case 'J': return {Command::PageMode};
    case 'L': return {Command::FileList};
    case 'N': return {Command::ToolN};
    case 'O': return {Command::OptionsDialog};
    case 'P': return {Command::ToolP};
    case 'Q': return {Command::Quit};
    case 'R': return {shift ? Command::ReloadAll : Command::Reload};
    case 'S': return {Command::Sync};
    case 'T': return {Command::TopBar};
    case 'U': return {Command::ScaleFit};
    case 'V': return {Command::MarkV};
    case 'W': return {Command::Exposure};
    case 'X': return {Command::ClearPane};
    case 'Z': return {Command::Captions};
    default: return {};
    }
}

void KeyPresses::pressed(int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat)
{
    if (!autoRepeat || !m_down.contains(qtKey))
        m_down[qtKey] = modifiers;
}

KeyCommand KeyPresses::released(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const auto press = m_down.constFind(qtKey);
    if (press == m_down.constEnd())
        return {};
    const Qt::KeyboardModifiers held = modifiers | press.value();
    m_down.erase(press);
    return CommandOf(KeyCodeOf(qtKey, held), held);
}

const ToolbarButton kToolbarButtons[10] = {
    {"showflist", 8, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Показать/скрыть список файлов"), "(L)", Command::FileList, true},
    {"ToolButton4", 3, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Масштаб выбранного изображения 1:8"), "(8)", Command::Scale1to8, false},
    {"ToolButton1", 0, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Масштаб выбранного изображения 1:4"), "(4)", Command::Scale1to4, false},
    {"ToolButton2", 1, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Масштаб выбранного изображения 1:2"), "(2)", Command::Scale1to2, false},
    {"ToolButton3", 2, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Масштаб выбранного изображения 1:1"), "(1)", Command::Scale1to1, false},
    {"ToolButton6", 4, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Выбрать цвет фона..."), "(C)", Command::BackgroundColour, false},
    {"ToolButton5", 5, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Показывать данные EXIF выбранного изображения"), "(E)",
     Command::MetadataPanel, true},
    {"ToolButton7", 7, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Открыть изображение в ассоциированной программе"), "(Enter)",
     Command::OpenExternally, false},
    {"ToolButton8", 9, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Синхронизировать масштаб и положение изображений"), "(S)",
     Command::Sync, true},
    {"CompareButton", 10, QT_TRANSLATE_NOOP("tetrafot::TfrmMain", "Сравнить папки..."), "(B)", Command::CompareDialog, false},
};

bool WindowKeys::controlHasKeys(int qtKey, Focus focus) const
{
    return focus == Focus::FileList || (focus == Focus::FolderField && m_typing) || qtKey == Qt::Key_Tab
        || qtKey == Qt::Key_Backtab;
}

WindowKeys::Route WindowKeys::pressed(int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat, Focus focus)
{
    if (m_returnTaken && (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter))
        return {true, {}};
    const bool control = controlHasKeys(qtKey, focus);
    if (!control)
        m_down.pressed(qtKey, modifiers, autoRepeat);
    // Everything else is the window's: a pane's box must not scroll on the
    // arrows, nor a button click on Space.
    return {!control, {}};
}

WindowKeys::Route WindowKeys::released(int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat, Focus focus)
{
    // The field lets the press of the Return that applied a typed folder
    // on to the window; its release is the field's.
    if (m_returnTaken && (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)) {
        if (!autoRepeat)
            m_returnTaken = false;
        return {true, {}};
    }
    const bool control = controlHasKeys(qtKey, focus);
    Route route{!control, {}};
    // A command runs on the release of a key whose press the window's
    // commands saw. The release of a Return that closed a message box or a
    // dialog finds no press here and does nothing; letters typed into the
    // folder field are the field's, not commands.
    if (!autoRepeat)
        if (const KeyCommand command = m_down.released(qtKey, modifiers);
            focus != Focus::FileList && !(focus == Focus::FolderField && m_typing))
            route.command = command;
    return route;
}

void WindowKeys::windowLeft()
{
    m_down.clear();
    m_returnTaken = false;
}

std::optional<PaneSet::Step> StepOf(Command command)
{
    switch (command) {
    case Command::Next: return PaneSet::Step::Next;
    case Command::Previous: return PaneSet::Step::Previous;
    case Command::First: return PaneSet::Step::First;
    case Command::Last: return PaneSet::Step::Last;
    default: return std::nullopt;
    }
}

int ScaleCodeOf(Command command)
{
    switch (command) {
    case Command::Scale1to1: return Scale1to1;
    case Command::Scale1to2: return Scale1to2;
    case Command::Scale1to4: return Scale1to4;
    case Command::Scale1to8: return Scale1to8;
    case Command::ScaleFit: return ScaleFit;
    default: return 0;
    }
}

} // namespace tetrafot
