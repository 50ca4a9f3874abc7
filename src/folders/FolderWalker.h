#pragma once
// The walk behind "Add Dir": every Winamp media file of a folder to the player, subfolders
// (when recursing) before the folder's own files, in the file system's order.
#include <windows.h>
#include <deque>
#include <string>
#include <string_view>
#include <vector>
#include "LongPath.h"
#include "MediaTypes.h"
#include "PlaySender.h"

namespace modDirhoardEx {
struct WalkResult {
    size_t sent = 0;
    size_t unreadable = 0;                  // folders skipped because they could not be read
    std::vector<std::wstring> firstUnreadable;  // the first few of them, ordinary paths
};

class FolderWalker {
public:
    static constexpr size_t kNamedUnreadable = 5;
    // Names of one folder level kept between its one listing and their use; a folder with
    // more is listed a second time instead, so memory follows depth, not file count.
    static constexpr size_t kLevelBudget = 32 * 1024;

    FolderWalker(HWND player, COPYDATASTRUCT &record, TypeLookup lookup = TypeLookup::PerExtension,
                 size_t levelBudget = kLevelBudget);
    WalkResult Walk(std::wstring_view folder, bool recurse);
    const MediaTypes &Types() const { return types_; }

private:
    struct DirId {
        DWORD volume, high, low;
        bool operator==(const DirId &) const = default;
    };
    // One folder's subfolders and media files, NUL-separated.
    struct Level {
        std::wstring dirs, files;
        bool dirsOverflow = false, filesOverflow = false;
    };

    void WalkFolder(size_t depth);
    void VisitSubfolders(Level &level, size_t depth);
    void SendFiles(Level &level);
    void Enter(const wchar_t *name, size_t depth);
    void SendFile(const wchar_t *name);
    bool Identify(DirId &id);
    bool ReadLevel(Level &level);
    void Keep(Level &level, std::wstring &names, bool &overflow, const wchar_t *name) const;
    template <class F> bool ForEachEntry(F &&visit);
    void NoteUnreadable();

    LongPath path_;
    PlaySender sender_;
    MediaTypes types_;
    size_t budget_;
    bool recurse_ = false;
    std::vector<DirId> ancestors_;
    std::deque<Level> levels_;  // one per depth, reused; a deque keeps references stable
    WalkResult result_;
};
}
