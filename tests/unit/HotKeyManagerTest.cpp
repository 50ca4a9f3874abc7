// Ctrl+Alt+letter on the player's window: start, change with rollback, shutdown.
#include "ConfigFixture.h"

#include "BoxCatcher.h"
#include "Wait.h"

namespace {
using test::CaughtBox;
class HotKeyManager : public test::ConfigFixture {};
}

TEST_F(HotKeyManager, StartRegistersTheStoredLetterUnderTheAtom) {
    Settings::StoreHotKey('K');
    form->StartHotKey();
    EXPECT_EQ(form->CurrentHotKey, 'K');
    EXPECT_FALSE(IsFree('K'));
    EXPECT_TRUE(IsFree('G'));
    EXPECT_EQ(static_cast<ATOM>(modGlobalDefinitions::HotKeyId), GlobalFindAtomA("DirhoardEx"));
    EXPECT_LT(modGlobalDefinitions::HotKeyId, 0);  // 0xC000.. as signed 16 bits
    EXPECT_EQ(test::WindowText(Box()), L"G");       // the box shows its design text
}

TEST_F(HotKeyManager, StartWithTheCombinationTakenRunsSilentlyWithout) {
    HoldElsewhere('G');
    test::BoxCatcher boxes;
    form->StartHotKey();
    EXPECT_EQ(form->CurrentHotKey, 'G');
    form->SetHotKey('J');  // a free letter still works afterwards
    EXPECT_FALSE(IsFree('J'));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(HotKeyManager, ChangeMovesTheRegistrationAndLeavesTheBox) {
    form->StartHotKey();
    form->SetHotKey('K');
    EXPECT_EQ(form->CurrentHotKey, 'K');
    EXPECT_FALSE(IsFree('K'));
    EXPECT_TRUE(IsFree('G'));
    EXPECT_EQ(test::WindowText(Box()), L"G");
}

TEST_F(HotKeyManager, ChangeToTheActiveLetterTouchesNothing) {
    form->StartHotKey();
    // Freed behind the manager's back: a re-registration would show up as taken again.
    UnregisterHotKey(player.Window(), modGlobalDefinitions::WidenedHotKeyId());
    test::BoxCatcher boxes;
    form->SetHotKey('G');
    EXPECT_TRUE(IsFree('G'));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(HotKeyManager, ChangeToACombinationHeldElsewhereRollsBackAndWarnsOnce) {
    form->StartHotKey();
    HoldElsewhere('K');
    SetWindowTextW(Box(), L"K");
    {
        test::BoxCatcher boxes;
        form->SetHotKey('K');
        const std::vector<CaughtBox> expected{
            {L"Failed to register the new HotKey\r\nRestored the previous one.", true}};
        EXPECT_EQ(boxes.Boxes(), expected);
    }
    EXPECT_EQ(form->CurrentHotKey, 'G');
    EXPECT_EQ(test::WindowText(Box()), L"G");
    EXPECT_FALSE(IsFree('G'));  // still ours
    EXPECT_FALSE(RegisterHotKey(other.Window(), 2, MOD_ALT | MOD_CONTROL, 'K'));  // still the other's
    EXPECT_EQ(StoredLetter(), L"(none)");
}

TEST_F(HotKeyManager, ShutdownFreesTheCombinationStoresTheLetterAndDestroysTheWindow) {
    form->StartHotKey();
    form->SetHotKey('K');
    HWND window = form->Window();
    form->Shutdown();
    EXPECT_TRUE(IsFree('K'));
    EXPECT_EQ(StoredLetter(), L"K");
    EXPECT_TRUE(form->IsQuitting);
    EXPECT_FALSE(IsWindow(window));
    form->ShowModal();  // nothing left to show: returns
}
