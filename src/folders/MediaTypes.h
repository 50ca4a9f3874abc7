#pragma once
// Which files go to the player: those whose extension the player says it plays, and those the
// shell types as "Winamp media file". The shell is asked once per extension and press.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include "core/WinampHost.h"
#include "folders/LongPath.h"

namespace folders {
inline constexpr wchar_t kMediaType[] = L"Winamp media file";

// The shell's verdict on one file: its type description equals "Winamp media file",
// exactly. `file` holds the file's path, `name` its name; `exact` when the path's ordinary
// form names something else.
bool ShellSaysMedia(LongPath &file, const wchar_t *name, bool exact);

struct ExtensionHash {
    using is_transparent = void;
    size_t operator()(std::wstring_view s) const { return std::hash<std::wstring_view>{}(s); }
};
// Whether files are media, by extension with its dot ("" for a name without one).
using ExtensionVerdicts = std::unordered_map<std::wstring, bool, ExtensionHash, std::equal_to<>>;

class MediaTypes {
public:
    // `folder` holds the folder the file `name` lies in; it is left as it was.
    bool IsMedia(LongPath &folder, const wchar_t *name, bool exact);
    // A new press: the player's list as it answered now, and what the shell answered before
    // (nothing: it is asked afresh, so that registry changes count from the next press on).
    void Reset(WinampHost::ExtensionList played, ExtensionVerdicts earlier = {}) {
        played_ = std::move(played);
        shell_ = std::move(earlier);
        known_.clear();
    }
    size_t Lookups() const { return lookups_; }
    // Every answer of the shell so far, those given before included.
    const ExtensionVerdicts &Shell() const { return shell_; }
    // Runs before each time the shell is asked, which takes milliseconds under Wine.
    void BeforeAsking(std::function<void()> pause) { pause_ = std::move(pause); }

private:
    bool Ask(LongPath &folder, const wchar_t *name, bool exact);

    WinampHost::ExtensionList played_;
    std::function<void()> pause_;
    size_t lookups_ = 0;
    ExtensionVerdicts shell_, known_;
};
}
