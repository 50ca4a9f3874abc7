#pragma once
// One folder or file path, held in the \\?\ form so that trees deeper than MAX_PATH can be
// walked, and handed out in the ordinary form the player and the user know.
#include <windows.h>
#include <string>
#include <string_view>

namespace folders {
// Turns an extended path in `text` (\\?\C:\... or \\?\UNC\server\...) into its ordinary form
// in place and returns where that form starts. For UNC it overwrites the 'C' of "UNC".
size_t OrdinaryStart(std::wstring &text);
// The folder an extended path names, in the ordinary form the shell and the user know; a path
// whose ordinary form would name something else, and any other path, as it is.
std::wstring OrdinaryForm(std::wstring path);

// Whether the ordinary form of a path through this name opens something else: the platform
// drops a trailing dot or blank, and a device's name, with any extension, opens the device.
bool NeedsExactName(std::wstring_view name);
// Whether any name in the path does.
bool NeedsExactPath(std::wstring_view path);

class LongPath {
public:
    // Makes `folder` absolute; false when it is empty or cannot be resolved. An absolute path
    // with a name only its exact form carries is taken as it stands.
    bool Assign(std::wstring_view folder);
    // Appends "\name" and returns the mark that Truncate takes back to.
    size_t Push(const wchar_t *name);
    void Truncate(size_t mark) { text_.resize(mark); }
    size_t Length() const { return text_.size(); }

    // For the file system: \\?\..., NUL-terminated.
    const wchar_t *Extended() const { return text_.c_str(); }
    // For the player and the user: C:\... or \\server\..., NUL-terminated after the view. Both
    // forms stay valid together until the path changes.
    std::wstring_view Ordinary() const;

private:
    std::wstring text_;
    size_t ordinary_ = 0;
    bool unc_ = false;
    mutable std::wstring uncOrdinary_;  // \\server\..., made when asked
};
}
