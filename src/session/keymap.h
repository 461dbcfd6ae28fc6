#pragma once
#include "panes/paneset.h"

#include <QHash>
#include <optional>
#include <Qt>

namespace tetrafot {

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

// What a key or a toolbar button asks the window to do.
enum class Command {
    None, Next, Previous, First, Last, OpenExternally, PaneAcross, PaneDown, ZoomIn, ZoomOut, DigitMark,
    Scale1to1, Scale1to2, Scale1to4, Scale1to8, ScaleFit, BackgroundColour, TypeFolder, MetadataPanel,
    FilesDialog, ReadOnly, SplitEvenly, CompareDialog, Difference, PageMode, FileList, ToolN, ToolP,
    OptionsDialog, Quit, Pin, Sync, Reload, ReloadAll, TopBar, MarkV, Exposure, ClearPane, Captions,
};
struct KeyCommand {
    Command command = Command::None;
    int digit = 0;   // DigitMark's
};

// The command of a key code (KeyCodeOf) released with these modifiers:
// Ctrl makes a digit of the digit row a mark, Shift makes R reload all panes.
KeyCommand CommandOf(int keyCode, Qt::KeyboardModifiers modifiers);

// The walk a command asks for (Space, Backspace, Home, End), if any.
std::optional<PaneSet::Step> StepOf(Command command);
// The scale code a command sets (1, 2, 4, 8, U), or 0.
int ScaleCodeOf(Command command);

// The keys down whose press the window's commands saw, with the modifiers
// held as each went down. A command runs on the release of such a key
// only, so the release of a Return that closed a message box runs nothing.
class KeyPresses {
public:
    // An auto-repeated press keeps the modifiers of the first.
    void pressed(int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    // The key's command, with the modifiers held at its press or now (so
    // Ctrl+3 released in either order still marks); None when its press was
    // not seen here.
    KeyCommand released(int qtKey, Qt::KeyboardModifiers modifiers);
    // The window lost the keyboard: the releases may go elsewhere.
    void clear() { m_down.clear(); }

private:
    QHash<int, Qt::KeyboardModifiers> m_down;
};

// Where the window's keys go: to the control that has them, to the
// window's commands, or nowhere. The file list and a folder being typed
// into the folder field (D) handle their own keys; Tab moves the focus.
class WindowKeys {
public:
    enum class Focus { Elsewhere, FileList, FolderField };
    struct Route {
        bool eaten = false;   // kept from the control that has the focus
        KeyCommand command;   // to run now
    };
    Route pressed(int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat, Focus focus);
    Route released(int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat, Focus focus);

    // A folder is being typed into the folder field.
    bool typing() const { return m_typing; }
    void startTyping() { m_typing = true; }
    void stopTyping() { m_typing = false; }
    // Return went down in the folder field: while typing it applies the
    // folder, and its release must not open a photo.
    void fieldReturn() { m_returnTaken = m_typing; }
    // The window lost the keyboard: the releases may go elsewhere.
    void windowLeft();

private:
    bool controlHasKeys(int qtKey, Focus focus) const;
    KeyPresses m_down;
    bool m_typing = false;
    bool m_returnTaken = false;   // until its release, Return belongs to the folder field
};

// The toolbar's buttons, left to right: the object name, the picture of
// the toolbar's image list, the hint (translated in the main window's
// context) and the key shown under it.
struct ToolbarButton {
    const char* name;
    int picture;
    const char* hint;
    const char* key;
    Command command;
    bool checkable;
};
extern const ToolbarButton kToolbarButtons[10];

} // namespace tetrafot
