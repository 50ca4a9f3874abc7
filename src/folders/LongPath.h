#pragma once
// One folder or file path, held in the \\?\ form so that trees deeper than MAX_PATH can be
// walked, and handed out in the ordinary form the player and the user know.
#include <windows.h>
#include <string>
#include <string_view>

namespace modDirhoardEx {
// Turns an extended path in `text` (\\?\C:\... or \\?\UNC\server\...) into its ordinary form
// in place and returns where that form starts. For UNC it overwrites the 'C' of "UNC".
size_t OrdinaryStart(std::wstring &text);

class LongPath {
public:
    // Makes `folder` absolute; false when it is empty or cannot be resolved.
    bool Assign(std::wstring_view folder);
    // Appends "\name" and returns the mark that Truncate takes back to.
    size_t Push(const wchar_t *name);
    void Truncate(size_t mark) { text_.resize(mark); }

    // For the file system: \\?\..., NUL-terminated.
    const wchar_t *Extended();
    // For the player and the user: C:\... or \\server\..., NUL-terminated after the view.
    std::wstring_view Ordinary();

private:
    std::wstring text_;
    size_t ordinary_ = 0;
    bool unc_ = false;
};
}
