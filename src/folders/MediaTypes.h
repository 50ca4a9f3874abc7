#pragma once
// Which files go to the player: those whose extension the player says it plays, and those the
// shell types as "Winamp media file". The shell is asked once per extension, and its answers
// are kept from press to press until a file type changes.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#include "core/WinampHost.h"

namespace folders {
inline constexpr wchar_t kMediaType[] = L"Winamp media file";

// The shell's verdict on the kind of the file `name`: whether its type description is
// "Winamp media file", exactly. Asked of the kind, not of the file, which may be gone by now;
// nothing when the shell could not answer.
std::optional<bool> ShellSaysMedia(const wchar_t *name);

struct ExtensionHash {
    using is_transparent = void;
    size_t operator()(std::wstring_view s) const { return std::hash<std::wstring_view>{}(s); }
};
// Whether files are media, by extension with its dot ("" for a name without one).
using ExtensionVerdicts = std::unordered_map<std::wstring, bool, ExtensionHash, std::equal_to<>>;

// What the shell said of the kinds met so far: read-only once made, shared by the walks that
// read it. A walk's new answers make the next one, on its worker, the oldest going beyond
// kMostKinds: a library of numbered archive parts or backups has tens of thousands.
class ShellAnswers {
public:
    static constexpr size_t kMostKinds = 4096;
    using Kept = std::shared_ptr<const ShellAnswers>;

    // The verdict on `extension`; nothing: not asked.
    std::optional<bool> Find(std::wstring_view extension) const;
    size_t Size() const { return verdicts_.size(); }
    // `earlier` (none: nothing yet) with `fresh` added, in the order they were asked.
    static Kept With(const Kept &earlier, const std::vector<std::pair<std::wstring, bool>> &fresh,
                     size_t most = kMostKinds);

private:
    ExtensionVerdicts verdicts_;
    std::vector<std::wstring> order_;  // the oldest first
};

class MediaTypes {
public:
    bool IsMedia(const wchar_t *name);
    // A new press: the player's list as it answered now, and what the shell answered before.
    void Reset(WinampHost::ExtensionList played, ShellAnswers::Kept earlier = {}) {
        played_ = std::move(played);
        earlier_ = std::move(earlier);
        fresh_.clear();
        known_.clear();
    }
    size_t Lookups() const { return lookups_; }
    // What the shell answered before, with what it answered in this walk.
    ShellAnswers::Kept Answers() const { return ShellAnswers::With(earlier_, fresh_); }
    // Runs before each time the shell is asked, which takes milliseconds under Wine.
    void BeforeAsking(std::function<void()> pause) { pause_ = std::move(pause); }

private:
    WinampHost::ExtensionList played_;
    ShellAnswers::Kept earlier_;
    std::vector<std::pair<std::wstring, bool>> fresh_;
    std::function<void()> pause_;
    size_t lookups_ = 0;
    ExtensionVerdicts known_;  // this walk's verdicts, the player's list's included
};
}
