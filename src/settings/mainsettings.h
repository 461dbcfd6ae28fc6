#pragma once
#include "settings/storedvalue.h"

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

// The controls whose colour is stored (as "<name>.Color"), in the order of
// their keys in the file; C gives them all the background colour chosen.
inline constexpr const char* RecolouredControls[] = {
    "ScrollBox1", "Splitter3", "ScrollBox2", "ScrollBox3", "ScrollBox4", "Splitter1",
    "Splitter5", "Splitter4", "ToolBar1", "TopPanel", "Panel1", "Panel4",
    "PanelBottomLeft", "PanelBottomRight", "PanelTopLeft", "PanelTopRight",
    "DirAndExitPanel",   // stored after the metadata panels' widths
};

// Registers the main window's 25 stored values, in the order above.
void AddMainStoredValues(TFormStorage& store);
