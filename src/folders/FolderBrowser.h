#pragma once
// The stay-open folder browser: the shell's folder dialog turned into an adding tool. One object
// lives for the length of SHBrowseForFolderW, as a dialog object lives for its modal loop, and
// holds the dialog's state; the design's procedures (ShowFolderBrowser, BrowseCallback,
// BrowseDialogProc) hand everything to it, and it alone writes the design's module state. It
// watches the walks it starts, one after another: a press during a walk waits in its queue.
// The player's thread only.
#include <windows.h>
#include <shlobj.h>
#include <deque>
#include <memory>
#include <string>
#include "win32/Subclass.h"
#include "folders/BackgroundWalk.h"
#include "folders/FolderCheck.h"
#include "folders/Lister.h"
#include "folders/ProgressLine.h"

namespace folders {
class FolderBrowser final : public WalkObserver {
public:
    // How a screen reader names the folder tree, whose label the dialog loses.
    static constexpr wchar_t kTreeName[] = L"Folders";

    explicit FolderBrowser(std::shared_ptr<const Lister> lister, const FolderProbe &probe = {})
        : lister_(std::move(lister)), probe_(probe) {}
    FolderBrowser(const FolderBrowser &) = delete;
    FolderBrowser &operator=(const FolderBrowser &) = delete;

    // The browser that is open, from the call into the shell until it returns; null: none.
    static FolderBrowser *Current();
    // Shows the dialog and returns once it has closed.
    void Run();
    // Stops the walks, stores the folder and the box now, then ends the dialog as "Finish"
    // does; nothing of the browser writes the settings after this.
    void Close();

    // What the design's callback and dialog procedure hand over.
    void OnInitialized(HWND dialog);
    void OnSelectionChanged(HWND dialog, PCIDLIST_ABSOLUTE item);
    LRESULT Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    void Progress(size_t sent, std::wstring_view folder) override;
    void Ended(const WalkOutcome &outcome) override;

private:
    struct Pressed {
        std::wstring folder;
        bool recurse;
    };
    static LRESULT CALLBACK EscapeFilter(int code, WPARAM wParam, LPARAM lParam);

    LRESULT PassOn(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(HWND dialog, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam);
    void OnAddDir();
    // `queued`: the press waited for an earlier walk of this run.
    void Start(Pressed press, bool queued);
    void EndRun(bool stopped);
    void TellRefused(DWORD error) const;
    bool Walking() const { return !walked_.empty(); }
    bool IsPressed(const std::wstring &folder) const;
    void LoadSelectedPath();
    void SetSelectedPath(std::wstring path);
    void OnChecked(HWND dialog);
    void StoreSettings();
    void Closed();

    std::shared_ptr<const Lister> lister_;
    const FolderProbe probe_;
    // Messages of the browser's own, as the dialog's class is the shell's: posted at the start,
    // so that the keyboard begins in the tree whatever the dialog manager chose, and by the check
    // of the stored folder once its disk has answered.
    const UINT settleFocus_ = RegisterWindowMessageW(L"DirhoardExSettleFocus");
    const UINT checked_ = RegisterWindowMessageW(L"DirhoardExFolderChecked");
    HWND dialog_ = nullptr;
    Subclass::Previous own_;  // the dialog's own procedure, as PrevDialogProc holds it
    HHOOK escapeFilter_ = nullptr;
    HWND tree_ = nullptr;
    // Where the stored folder is, asked when the browser opened; null once answered.
    std::shared_ptr<FolderCheck> check_;
    ProgressLine line_;
    // The selected item has no file-system path: "Add Dir" adds nothing.
    bool addDirDisabled_ = false;
    // Stored when the browser was told to close: nothing more is.
    bool settingsStored_ = false;
    // The folder being walked (empty: none), and the presses waiting for their turn.
    std::wstring walked_;
    std::deque<Pressed> queue_;
    // Files sent by the walks since the line last said "Added".
    size_t runSent_ = 0;
};
}
