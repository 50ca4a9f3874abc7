#include "StandInPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include "win32/WindowClass.h"
#include "FileAssociations.h"
#include "PlayerIds.h"
#include "Playlist.h"

namespace test {
namespace {
constexpr wchar_t kClass[] = L"Winamp v1.x";
}

const std::string StandInPlayer::kExtensionBlock = std::string("MP3\0MP2\0OGG\0FLAC\0WAV\0M4A\0\0", 26) +
                                                   std::string(FileAssociations::kExtensionListSlack, '\0');

std::function<LRESULT()> StandInPlayer::Block(std::string bytes) {
    return [bytes] {
        HGLOBAL block = GlobalAlloc(GPTR, bytes.size());
        if (block) std::copy(bytes.begin(), bytes.end(), static_cast<char *>(block));
        return reinterpret_cast<LRESULT>(block);
    };
}

StandInPlayer::StandInPlayer() {
    WindowClass::Register(kClass, Proc);
    window_ = CreateWindowExW(0, kClass, L"Stand-in player", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
}

StandInPlayer::~StandInPlayer() { Destroy(); }

void StandInPlayer::Destroy() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
}

LRESULT CALLBACK StandInPlayer::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams));
    }
    auto *self = reinterpret_cast<StandInPlayer *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->window_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    self->messages_.push_back({message, wParam, lParam});
    LRESULT handled = self->Handle(message, wParam, lParam);
    if (handled != -1) return handled;
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT StandInPlayer::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER && wParam == 1 && lParam == 260) return kPlaylistAnswer;
    if (message == WM_USER && wParam == 0 && lParam == 292) return answerExtensions ? answerExtensions() : 0;
    // Its version, as the player answers it: 5.92, or 5.2 for a player too old for UTF-16 records.
    if (message == WM_USER && wParam == 0 && lParam == 0) return takesWide ? 0x5092 : 0x5020;
    if (message == WM_COPYDATA) {
        const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        offered_.push_back(cds->dwData);
        if (cds->dwData == 1100 && !takesWide) return FALSE;
        PlayFile file{cds->dwData, cds->cbData, {}, {}};
        if (Playlist::IsPlayFile(*cds)) {
            auto path = Playlist::DecodePlayFile(*cds);
            if (!path) {
                ADD_FAILURE() << "the player got a play-file record without its terminating zero within cbData: "
                              << "dwData " << cds->dwData << ", cbData " << cds->cbData;
                return FALSE;
            }
            file.path = std::move(*path);
            if (cds->dwData == Playlist::kPlayFile) file.ansi = static_cast<const char *>(cds->lpData);
            SetWindowTextW(window_, (Playlist::Title(file.path) + Player::kCaptionEnd).c_str());
        }
        playlist_.push_back(std::move(file));
        if (onPlayFile) onPlayFile();
        return TRUE;
    }
    return -1;
}

std::vector<std::wstring> StandInPlayer::Paths() const {
    std::vector<std::wstring> paths;
    for (const auto &f : playlist_) paths.push_back(f.path);
    return paths;
}

bool StandInPlayer::IsFree(int32_t key, int id) const {
    if (!RegisterHotKey(window_, id, MOD_ALT | MOD_CONTROL, static_cast<UINT>(key))) return false;
    UnregisterHotKey(window_, id);
    return true;
}

size_t StandInPlayer::Count(UINT message) const {
    size_t n = 0;
    for (const auto &m : messages_) n += m.message == message;
    return n;
}

void StandInPlayer::Clear() {
    messages_.clear();
    playlist_.clear();
    offered_.clear();
}
}
