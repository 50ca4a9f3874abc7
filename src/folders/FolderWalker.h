#pragma once
// The walk behind "Add Dir": the record of every media file of a folder, subfolders (when
// recursing) before the folder's own files, in the file system's order, to a sink. It never
// sends: the player's thread alone does.
#include <windows.h>
#include <deque>
#include <string>
#include <string_view>
#include <vector>
#include "win32/Handles.h"
#include "folders/Lister.h"
#include "folders/LongPath.h"
#include "folders/MediaTypes.h"
#include "folders/RecordBuilder.h"

namespace folders {
struct WalkResult {
    size_t sent = 0;
    ShellAnswers::Kept shellAnswers;        // every answer of the shell, those given before included
    size_t lookups = 0;                     // questions this walk asked the shell
    size_t unreadable = 0;                  // folders skipped because they could not be read
    std::vector<std::wstring> firstUnreadable;  // the first few of them, ordinary paths
};

// Where a walk's records go. The walk asks Stopped between entries and ends where it is, names
// each folder before it lists it, and says when it is about to wait for the shell.
class WalkSink : public RecordSink {
public:
    virtual bool Stopped() const { return false; }
    virtual void Reading(std::wstring_view) {}
    virtual void Pausing() {}

protected:
    ~WalkSink() = default;
};

class FolderWalker {
public:
    static constexpr size_t kNamedUnreadable = 5;
    // Names of one folder level kept between its one listing and their use; a folder with
    // more is listed a second time instead, so memory follows depth, not file count.
    static constexpr size_t kLevelBudget = 32 * 1024;

    // `lister` must outlive the walker.
    explicit FolderWalker(WalkSink &sink, const Lister &lister = *Lister::Platform(),
                          size_t levelBudget = kLevelBudget);
    FolderWalker(const FolderWalker &) = delete;
    FolderWalker &operator=(const FolderWalker &) = delete;
    // `played`: the extensions the player said it plays, asked for this press.
    // `earlier`: what the shell answered before, still true.
    WalkResult Walk(std::wstring_view folder, bool recurse, WinampHost::ExtensionList played = {},
                    ShellAnswers::Kept earlier = {});
    const MediaTypes &Types() const { return types_; }

private:
    struct DirId {
        DWORD volume, high, low;
        bool operator==(const DirId &) const = default;
    };
    // One folder on the current path. The levels form an explicit stack, so that the
    // depth of a tree costs heap, not the player's stack.
    struct Level {
        size_t mark = 0;    // the path's length before this folder's name was pushed
        size_t length = 0;  // the path's length while this folder is current
        // Its identity costs an open under Wine (milliseconds), so it is read only when a
        // loop or a second way in is possible: from the first link on the path downwards.
        bool known = false;
        DirId id{};
        bool link = false;
        // The ordinary form of the path names something else (see NeedsExactName).
        bool exact = false;
        // The names kept from the folder's one listing, each ended by a NUL; a subfolder's
        // name is led by its kind ('d' plain, 'l' a link). For subfolders "CD1", "Live" (a
        // junction) and files "a.mp3", "cover.jpg":
        //     dirs  = "dCD1\0lLive\0"    nextDir moves from 0 to 5 to 11
        //     files = "a.mp3\0cover.jpg\0"
        std::wstring dirs, files;
        bool dirsOverflow = false, filesOverflow = false;
        size_t nextDir = 0;  // offset in dirs of the next subfolder to enter
        FindHandle listing;  // overflowing subfolders: the second listing, in progress
    };

    bool Open(size_t depth, size_t mark, bool link, bool exact);
    bool NextSubfolder(Level &level, std::wstring &entry);
    void Enter(const std::wstring &entry, size_t depth);
    bool Admit(Level &level, size_t depth);
    bool OnCurrentPath(const DirId &id, size_t depth);
    bool Identify(size_t length, DirId &id, std::wstring *finalPath = nullptr);
    bool IsWalkedTarget(const std::wstring &finalPath) const;
    void SendFiles(Level &level);
    void SendFile(const wchar_t *name, bool exact);
    bool ReadLevel(Level &level);
    void Keep(Level &level, std::wstring &names, bool &overflow, wchar_t kind, const wchar_t *name) const;
    template <class F> bool ForEachEntry(F &&visit);
    HANDLE FindFirst(const wchar_t *pattern, WIN32_FIND_DATAW &entry);
    void NoteUnreadable();
    WalkResult Result();
    bool Stopping() const { return sink_.Stopped(); }

    LongPath path_;
    WalkSink &sink_;
    const Lister &lister_;
    RecordBuilder builder_;
    MediaTypes types_;
    size_t budget_;
    bool recurse_ = false;
    std::deque<Level> levels_;  // one per depth, reused; a deque keeps references stable
    size_t links_ = 0;          // links (reparse points) among the folders on the current path
    // Where links led: the selected folder's final path first, then each link target walked.
    // A link into any of them would send the same files again.
    std::vector<std::wstring> walkedTargets_;
    std::vector<DirId> walkedIds_;
    WalkResult result_;
};
}
