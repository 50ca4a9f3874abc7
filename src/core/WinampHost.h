#pragma once
// What the plugin relies on from the player's main window: message numbers and the
// play-file record that carries one path into the playlist.
#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

namespace WinampHost {
inline constexpr UINT WM_WA_IPC = WM_USER;           // the player's query/command message
inline constexpr WPARAM IPC_GETWND_QUERY = 1;        // wParam of the window query
inline constexpr LPARAM IPC_GETWND = 260;            // lParam of the window query
inline constexpr ULONG_PTR IPC_PLAYFILE = 100;       // WM_COPYDATA: append an ANSI path
inline constexpr ULONG_PTR IPC_PLAYFILEW = 1100;     // WM_COPYDATA: append a UTF-16 path
inline constexpr WORD ID_PLAY_FOLDER = 40187;        // the player's own "Play Folder" command
inline constexpr LPARAM IPC_GET_EXTLIST = 292;       // wParam 0: the extensions the player plays
inline constexpr LPARAM IPC_GETVERSION = 0;          // wParam 0: the player's version, 0x5092 for 5.92
// The first version known to take UTF-16 records; an older one gets a name outside the code page
// by its short form. A later version is no harm: the short form names the same file.
inline constexpr LRESULT kFirstWideVersion = 0x5050;

// Converts to the ANSI code page; false when the conversion would lose characters.
bool ToAnsi(std::wstring_view path, std::string &out);
// The same in `codePage`.
bool ToCodePage(std::wstring_view path, std::string &out, UINT codePage);

// What the player plays: the extensions of its answer to IPC_GET_EXTLIST, compared without
// regard to case. Empty where the player gave no usable list.
class ExtensionList {
public:
    // More would only be a player's fault; the first ones are kept.
    static constexpr size_t kMaxEntries = 4096;

    // Reads the player's block, `size` bytes and not one more: entries each ended by a zero
    // byte, the first empty entry ending the list. A block without that end is no list.
    // Entries that could not be an extension (a dot, a path separator, a wildcard, anything
    // outside printable ASCII) are skipped.
    static ExtensionList Parse(const char *bytes, size_t size);

    bool Empty() const { return entries_.empty(); }
    size_t Size() const { return entries_.size(); }
    // `extension` without its dot.
    bool Contains(std::wstring_view extension) const;

private:
    std::vector<std::string> entries_;  // lower case, sorted
};

// Asks the player for its list and frees the block it answered with. Only on the player's own
// thread: the answer is a block of this process, which the caller owns.
ExtensionList AskExtensions(HWND player);

// One synchronous send of one play-file record to the player's window; its answer.
LRESULT Send(HWND player, const COPYDATASTRUCT &record);

// Whether the player takes UTF-16 records: by its version, asked on its own thread. Its answer to
// a record says nothing: something in front of it (another plugin's subclass) may answer 0 to
// a record the player took.
bool TakesWideRecords(HWND player);

// Sends the play-file records of one walk, each file once. The answers are not used.
class PlayFileSender {
public:
    // Asks the player's version: on its thread.
    explicit PlayFileSender(HWND player) : player_(player), wide_(TakesWideRecords(player)) {}
    // The record to send for a file: `record`, or for a player too old for a UTF-16 one the
    // file's short form as an ANSI record; null where it has none.
    const COPYDATASTRUCT *Pick(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) const;
    // Sends what Pick picks; false when that was nothing.
    bool Send(const COPYDATASTRUCT &record, const COPYDATASTRUCT *shortForm) const;

private:
    HWND player_;
    bool wide_;
};
}
