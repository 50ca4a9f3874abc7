#pragma once
// What the plugin relies on from the player's main window: message numbers and the
// play-file record that carries one path into the playlist.
#include <windows.h>
#include <string>
#include <string_view>

namespace WinampHost {
inline constexpr UINT WM_WA_IPC = WM_USER;           // the player's query/command message
inline constexpr WPARAM IPC_GETWND_QUERY = 1;        // wParam of the window query
inline constexpr LPARAM IPC_GETWND = 260;            // lParam of the window query
inline constexpr ULONG_PTR IPC_PLAYFILE = 100;       // WM_COPYDATA: append an ANSI path
inline constexpr ULONG_PTR IPC_PLAYFILEW = 1100;     // WM_COPYDATA: append a UTF-16 path
inline constexpr WORD ID_PLAY_FOLDER = 40187;        // the player's own "Play Folder" command

// The play-file record as it crosses into the player: the path's bytes end with a zero
// that cbData counts. Valid while the object lives; it owns the bytes.
class WireRecord {
public:
    // ANSI record (IPC_PLAYFILE) for a path the ANSI code page can represent.
    static WireRecord Ansi(std::string bytes);
    // UTF-16 record (IPC_PLAYFILEW).
    static WireRecord Wide(std::wstring_view path);

    const COPYDATASTRUCT *Data() const { return &cds_; }
    ULONG_PTR Command() const { return cds_.dwData; }
    DWORD Bytes() const { return cds_.cbData; }

    WireRecord(const WireRecord &) = delete;
    WireRecord &operator=(const WireRecord &) = delete;
    WireRecord(WireRecord &&o) noexcept;
    WireRecord &operator=(WireRecord &&o) noexcept;
    ~WireRecord() = default;

private:
    WireRecord() = default;
    void Point();
    std::string bytes_;  // ANSI or UTF-16 bytes, terminating zero included
    COPYDATASTRUCT cds_{};
};

// Converts to the ANSI code page; false when the conversion would lose characters.
bool ToAnsi(std::wstring_view path, std::string &out);

// The ANSI record for a path the code page represents exactly; otherwise the wide one.
WireRecord MakeRecord(std::wstring_view path);

// One synchronous send of one record to the player's window; the answer is not used.
void Send(HWND player, const WireRecord &record);
void Send(HWND player, const COPYDATASTRUCT &record);
}
