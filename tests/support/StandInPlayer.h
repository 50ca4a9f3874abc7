#pragma once
// A stand-in for the player's main window, a Unicode window: records every message it gets,
// answers the window query with a known number and keeps the play-file records it is sent,
// the last one's title in its caption as the player shows it. A play-file record without its
// terminating zero within cbData, which the player would read past, fails the running test.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test {
struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct PlayFile {
    ULONG_PTR command;     // 100 (ANSI) or 1100 (UTF-16)
    DWORD bytes;           // cbData as sent
    std::wstring path;     // decoded
    std::string ansi;      // the bytes as sent, for ANSI records (up to the terminator)
};

class StandInPlayer {
public:
    static constexpr LRESULT kPlaylistAnswer = 0x1234ABC;
    // Its answer to the extension-list query: what the real player's input plugins play,
    // followed by the kilobyte of zero bytes the player leaves after its list.
    static const std::string kExtensionBlock;
    // The answer is a block allocated with GlobalAlloc(GPTR) and holding `bytes` exactly, as
    // the real player gives it; the caller frees it.
    static std::function<LRESULT()> Block(std::string bytes);

    StandInPlayer();
    ~StandInPlayer();
    StandInPlayer(const StandInPlayer &) = delete;
    StandInPlayer &operator=(const StandInPlayer &) = delete;

    HWND Window() const { return window_; }
    const std::vector<Received> &Messages() const { return messages_; }
    const std::vector<PlayFile> &Playlist() const { return playlist_; }
    // The kind of every play-file record sent, kept or not.
    const std::vector<ULONG_PTR> &Offered() const { return offered_; }
    std::vector<std::wstring> Paths() const;
    size_t Count(UINT message) const;
    void Clear();
    void Destroy();
    // Whether Ctrl+Alt+key is free, probed by taking and releasing it as hotkey `id` of this
    // window, as another program would.
    bool IsFree(int32_t key, int id = 1) const;
    // Runs inside the player's handling of each play-file record, once it is kept.
    std::function<void()> onPlayFile;
    // False: a player too old for UTF-16 records (5.2), which answers them 0 and keeps nothing.
    bool takesWide = true;
    // Answers the extension-list query (WM_USER, wParam 0, lParam 292); an older player,
    // which does not know the query, answers 0.
    std::function<LRESULT()> answerExtensions = Block(kExtensionBlock);

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<Received> messages_;
    std::vector<PlayFile> playlist_;
    std::vector<ULONG_PTR> offered_;
};
}
