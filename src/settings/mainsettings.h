#pragma once
#include "settings/storedvalue.h"

#include <functional>

namespace tetrafot {

class TFormStorage;

// The main window's stored values, in the order the file keeps them. Later
// additions go last, so that a file written before them reads as it did.
namespace Stored {
inline constexpr PaneIntValue ImageScale{"imagescale", 1};   // scale code 1..5 of each pane
inline constexpr PaneIntValue ExpanWidth{"expanwidth", 150};   // each pane's metadata panel
inline constexpr IntValue FileListWidth{"flistwidth", 150};
inline constexpr TextValue CurDir{"curdir", ""};
inline constexpr TextValue ToolP{"toolP", ""};
inline constexpr TextValue ToolN{"toolN", ""};
inline constexpr TextValue Pattern{"Pattern", "%c"};
inline constexpr ColourValue OverExpColour{"OverExpColor", 0};
inline constexpr ColourValue UnderExpColour{"UnderExpColor", 16777215};
inline constexpr IntValue UnderExpMode{"UnderExpMode", 2};
inline constexpr IntValue OverExpMode{"OverExpMode", 1};
inline constexpr TextValue Exts{"exts", ""};
inline constexpr TextValue RawPrefix{"rawprefix", ""};
inline constexpr TextValue RawSuffix{"rawsuffix", ""};
inline constexpr BoolValue AnyRaw{"anyraw", false};
inline constexpr IntValue MaxSize{"maxsize", 2000};
inline constexpr TextValue Language{"language", "ru"};
inline constexpr BoolValue ExifRotate{"exifrotate", false};
inline constexpr BoolValue SmoothScale{"smoothscale", false};
} // namespace Stored

// The window's control properties the file keeps, each as "<control>.<property>"
// under the key "<control>_<property>". The window reads and applies them
// (AddLayoutProperties); what they mean and how they are written is here.
enum class LayoutKind {
    Size,           // the control's width or height in its host, an integer
    FilledHeight,   // a control that fills the rest: its height is written, one read changes nothing
    Colour,         // a StoredColour's integer; C gives every one the background colour chosen
    Visible,        // "True" or "False"
    Pressed,        // a toolbar button's pressed state, "True" or "False"
};
struct LayoutProperty {
    const char* control;
    const char* property;
    LayoutKind kind;
    int fallback;   // what the window is built with: a size, a StoredColour, 1 for shown or pressed
};

// In the order of their keys in the file.
inline constexpr LayoutProperty LayoutProperties[] = {
    {"LeftPanel", "Width", LayoutKind::Size, 175},
    {"PanelBottom", "Height", LayoutKind::FilledHeight, 0},
    {"PanelBottomLeft", "Width", LayoutKind::Size, 262},
    {"PanelTop", "Height", LayoutKind::Size, 193},
    {"PanelTopLeft", "Width", LayoutKind::Size, 262},
    {"ScrollBox1", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"Splitter3", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"ScrollBox2", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"ScrollBox3", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"ScrollBox4", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"Splitter1", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"Splitter5", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"Splitter4", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"ToolBar1", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"TopPanel", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"Panel1", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"Panel4", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"PanelBottomLeft", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"PanelBottomRight", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"PanelTopLeft", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"PanelTopRight", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"ExPan1", "Width", LayoutKind::Size, 1},
    {"ExPan2", "Width", LayoutKind::Size, 1},
    {"ExPan3", "Width", LayoutKind::Size, 1},
    {"ExPan4", "Width", LayoutKind::Size, 1},
    {"DirAndExitPanel", "Color", LayoutKind::Colour, StoredColour::ButtonFace},
    {"TopPanel", "Visible", LayoutKind::Visible, 1},
    {"showflist", "Down", LayoutKind::Pressed, 1},
    {"comment1", "Visible", LayoutKind::Visible, 0},
    {"comment2", "Visible", LayoutKind::Visible, 0},
    {"comment3", "Visible", LayoutKind::Visible, 0},
    {"comment4", "Visible", LayoutKind::Visible, 0},
};
// The size a control of the table is built with (0 for one not sized there).
int LayoutFallback(const char* control);

// How the window reads a control's property and applies a value read from
// the file (false when the control is not there).
struct LayoutControls {
    std::function<int(const LayoutProperty&)> read;
    std::function<bool(const LayoutProperty&, int)> apply;
};
// Registers the layout properties with the store, in the order above.
void AddLayoutProperties(TFormStorage& store, const LayoutControls& controls);

// Registers the main window's 25 stored values, in the order above.
void AddMainStoredValues(TFormStorage& store);

} // namespace tetrafot
