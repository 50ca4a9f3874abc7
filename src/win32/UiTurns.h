#pragma once
// Work done on the UI thread in turns, each turn a message to a window of its own, so that
// whichever loop runs on the thread dispatches it: a dialog's, a message box's, the host's own.
// No loop of ours.
//
// The yield rule. After a turn with more to do, the next is posted at once, unless input, a paint
// or a timer of the thread waits: posted messages go before all three, and turns posted back to
// back would starve them. Then the turns yield: a message filter (WH_MSGFILTER) posts the next as
// soon as a modal loop has taken what waited, or once a turn's length has passed since; where no
// modal loop runs, a timer brings it. Every tick runs a turn as well, so that a wake the platform
// refused (a full queue, no timer) stalls nothing. Once the thread's loop was told to end (WM_QUIT
// posted), no turn is posted at all: the quit would wait behind it. The work is told instead.
//
// A turn never runs inside another: a turn that a loop inside it dispatches (a box the work shows,
// the host pumping while it takes what the work sends) comes after it instead.
//
// What the rule's GetQueueStatus does to a host: it marks the input it reports as seen. A host
// that waits with MsgWaitForMultipleObjects for QS_INPUT must pass MWMO_INPUTAVAILABLE, or it may
// sleep with input queued.
//
// The UI thread alone uses an object of this class; any thread may post WakeMessage() to Window().
#include <windows.h>
#include <memory>

class UiTurns {
public:
    class Work {
    public:
        // One turn, until Clock::NowMs() reaches `end`: true when more is to be done at once,
        // false when the work waits to be woken.
        virtual bool Turn(double end) = 0;
        // Every tick's period, turns or not.
        virtual void Tick() = 0;
        // The thread's loop was told to end: no turn comes any more.
        virtual void Quit() = 0;

    protected:
        ~Work() = default;
    };

    // The longest turn: with a 10 ms timer of the host's due meanwhile, still within one frame
    // (16 ms) of its last tick.
    static constexpr double kTurnMs = 5.0;
    static constexpr UINT kWake = WM_APP;

    explicit UiTurns(Work &work) : work_(work) {}
    ~UiTurns();
    UiTurns(const UiTurns &) = delete;
    UiTurns &operator=(const UiTurns &) = delete;

    // The window, the filter and the ticker (every `tickMs`); false when the platform refuses them.
    bool Open(UINT tickMs);
    // Nothing more runs once this returns; callable from inside a turn.
    void Close();
    // Where a turn is due: post kWake to it, from any thread.
    HWND Window() const { return window_; }
    // The next turn waits for the host's own messages.
    bool Yielding() const { return yielding_; }

private:
    static LRESULT CALLBACK Door(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam);
    template <class F>
    void Guarded(F &&step);
    bool Handle(UINT message, WPARAM wParam);
    void Run();
    void ComeBack();
    void Taken(const MSG &msg);

    Work &work_;
    HWND window_ = nullptr;
    HHOOK filter_ = nullptr;
    bool pending_ = false;   // the next turn is posted or timed
    bool yielding_ = false;  // it waits for the host's own messages
    bool inTurn_ = false;
    bool again_ = false;  // a turn came due while one ran
    UiTurns *nextOpen_ = nullptr;  // in this thread's list of open ones
    double yieldedAt_ = 0;
    // False once this object is gone: whoever called the work checks it before going on.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
