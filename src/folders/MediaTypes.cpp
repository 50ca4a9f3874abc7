#include "folders/MediaTypes.h"

#include <windows.h>
#include <shellapi.h>
#include <cwchar>

namespace folders {
namespace {
// The shell reads the extension after the last dot; the answers key on exactly that text.
std::wstring_view ExtensionOf(const wchar_t *name) {
    const wchar_t *dot = std::wcsrchr(name, L'.');
    return dot ? std::wstring_view(dot) : std::wstring_view();
}
}

std::optional<bool> ShellSaysMedia(const wchar_t *name) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
        return std::nullopt;
    return std::wcscmp(info.szTypeName, kMediaType) == 0;
}

std::optional<bool> ShellAnswers::Find(std::wstring_view extension) const {
    const auto it = verdicts_.find(extension);
    if (it == verdicts_.end()) return std::nullopt;
    return it->second;
}

ShellAnswers::Kept ShellAnswers::With(const Kept &earlier, const std::vector<std::pair<std::wstring, bool>> &fresh,
                                      size_t most) {
    if (fresh.empty() && earlier) return earlier;
    auto answers = std::make_shared<ShellAnswers>();
    if (earlier) *answers = *earlier;
    for (const auto &[extension, media] : fresh) {
        if (answers->verdicts_.emplace(extension, media).second) answers->order_.push_back(extension);
    }
    if (answers->order_.size() > most) {
        const size_t gone = answers->order_.size() - most;
        for (size_t i = 0; i < gone; ++i) answers->verdicts_.erase(answers->order_[i]);
        answers->order_.erase(answers->order_.begin(), answers->order_.begin() + static_cast<std::ptrdiff_t>(gone));
    }
    return answers;
}

bool MediaTypes::IsMedia(const wchar_t *name) {
    const std::wstring_view extension = ExtensionOf(name);
    if (auto it = known_.find(extension); it != known_.end()) return it->second;
    // Whichever program Windows opens the kind with, the player says what it plays.
    bool media = !extension.empty() && played_.Contains(extension.substr(1));
    if (!media) {
        std::optional<bool> said = earlier_ ? earlier_->Find(extension) : std::nullopt;
        if (!said) {
            ++lookups_;
            if (pause_) pause_();
            // A failed question is no verdict: asked again at the next file of the kind.
            if (!(said = ShellSaysMedia(name))) return false;
            fresh_.emplace_back(extension, *said);
        }
        media = *said;
    }
    known_.emplace(extension, media);
    return media;
}
}
