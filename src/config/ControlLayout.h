#pragma once
// The configuration window's controls in tab order, laid out in twips from the top left
// corner of the client area.
#include <windows.h>

namespace ControlLayout {
enum class Kind { Button, Label, TextBox };

// Control identifiers stay clear of IDOK and IDCANCEL, which Enter and Escape produce.
enum ControlId : int {
    cmdHotKey = 101,
    lblInstructions,
    txtHotKey,
    lblHotkey,
    cmdMenu,
    txtMenu,
    lblMenu,
    cmdDefaults,
    cmdClose,
};

struct Control {
    ControlId id;
    Kind kind;
    const char *text;
    int left, top, width, height;
    bool enabled;
};

inline constexpr char Title[] = "Dirhoard + Configuration";
inline constexpr int ClientWidth = 6255;
inline constexpr int ClientHeight = 3735;

inline constexpr Control Controls[] = {
    {cmdHotKey, Kind::Button, "Set HotKey", 3600, 1320, 1335, 450, true},
    {lblInstructions, Kind::Label,
     "Define a letter for 'Dirhoard +' to use as a global hotkay and internal shortcut menu.", 240, 240, 5775, 735,
     true},
    {txtHotKey, Kind::TextBox, "G", 3000, 1320, 495, 465, true},
    {lblHotkey, Kind::Label, "Ctrl + Alt + ", 1200, 1320, 1695, 450, true},
    {cmdMenu, Kind::Button, "Set Menu", 3600, 1920, 1335, 450, false},
    {txtMenu, Kind::TextBox, "G", 3000, 1920, 495, 465, false},
    {lblMenu, Kind::Label, "Shift + ", 1800, 1920, 1095, 450, false},
    {cmdDefaults, Kind::Button, "Defaults", 3720, 3120, 1095, 375, true},
    {cmdClose, Kind::Button, "Close", 4920, 3120, 1095, 375, true},
};

// Labels and text boxes: "Times New Roman" 15.75 pt, regular, Hebrew character set.
inline constexpr char TextFace[] = "Times New Roman";
inline constexpr int TextPointsX100 = 1575;
inline constexpr BYTE TextCharset = 177;

// 1440 twips to the inch: 15 to a pixel at 96 DPI.
inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
}
