// gen_dirhoardex.dll loaded by the stand-in player's own loader, in this process: init,
// config and quit reach the registered COM object; an unregistered class fails init with
// one clear message box while the player goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "GenPlugin.h"
#include "PlayerWindow.h"
#include "Plugins.h"
#include "Server.h"
#include "Wait.h"

namespace {
constexpr char kDescription[] = "Dirhoard+ WinAmp Plugin by Vaskell";

std::wstring TestFolder() {
    std::wstring dll = test::BesideThisProgram(L"");
    return dll.substr(0, dll.size() - 1);
}

// Answers whatever modal window `caption` opens on the test thread, until stopped.
class Watcher {
public:
    Watcher(const wchar_t *caption, bool messageBox) : thread_([this, caption, messageBox] {
        const ULONGLONG deadline = GetTickCount64() + test::kTimeoutMs;
        while (!stop_ && GetTickCount64() < deadline) {
            HWND window = messageBox ? test::WaitForMessageBox(caption, nullptr, 100)
                                     : test::WaitForWindow(caption, 100);
            if (!window) continue;
            if (messageBox) {
                for (HWND s = FindWindowExW(window, nullptr, L"Static", nullptr); s;
                     s = FindWindowExW(window, s, L"Static", nullptr))
                    text_ += test::WindowText(s);
                ++seen_;
                test::Click(test::FindChild(window, L"Button", L"OK"));
            } else {
                ++seen_;
                SendMessageW(window, WM_CLOSE, 0, 0);
            }
            Sleep(200);
        }
    }) {}
    ~Watcher() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int Seen() const { return seen_; }
    const std::wstring &Text() const { return text_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> seen_{0};
    std::wstring text_;
    std::thread thread_;
};

class HostPlugin : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(player.Create(GetModuleHandleW(nullptr))); }
    void TearDown() override {
        if (IsWindow(player.Window())) DestroyWindow(player.Window());
        plugins.Unload();
    }
    Plugins plugins;
    PlayerWindow player{plugins};
};
}

TEST(HostPluginHeader, IsTheVersion10HeaderWithEveryEntry) {
    HMODULE module = LoadLibraryW(test::BesideThisProgram(L"gen_dirhoardex.dll").c_str());
    ASSERT_NE(module, nullptr);
    auto entry = reinterpret_cast<GenPluginEntry>(GetProcAddress(module, GenPluginEntryName));
    ASSERT_NE(entry, nullptr) << "winampGetGeneralPurposePlugin is not exported by its plain name";
    GenPluginHeader *header = entry();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->version, 0x10);
    EXPECT_NE(header->description, nullptr);
    EXPECT_NE(header->init, nullptr);
    EXPECT_NE(header->config, nullptr);
    EXPECT_NE(header->quit, nullptr);
    EXPECT_EQ(entry(), header) << "the player may call the entry more than once";
    FreeLibrary(module);
}

TEST_F(HostPlugin, InitStartsTheRegisteredObjectAndShowsItsDescription) {
    test::EnsureRegistered();
    Watcher boxes(L"DirhoardEx", true);
    plugins.Load(TestFolder(), player.Window());
    boxes.Stop();
    EXPECT_EQ(boxes.Seen(), 0);
    ASSERT_EQ(plugins.Count(), 1u);
    EXPECT_EQ(plugins.Description(0), std::wstring(kDescription, kDescription + sizeof kDescription - 1));
}

TEST_F(HostPlugin, ConfigReturnsOnceTheConfigurationWindowIsClosedAndQuitStops) {
    test::EnsureRegistered();
    plugins.Load(TestFolder(), player.Window());
    ASSERT_EQ(plugins.Count(), 1u);
    {
        Watcher configuration(L"Dirhoard + Configuration", false);
        plugins.Configure(0);
    }
    plugins.Quit();
    plugins.Quit();  // a second quit is harmless
    EXPECT_TRUE(IsWindow(player.Window()));
}

TEST_F(HostPlugin, UnregisteredClassFailsInitWithOneClearBoxAndThePlayerGoesOn) {
    ASSERT_EQ(test::RunRegsvr32(true), 0u);
    Watcher boxes(L"DirhoardEx", true);
    plugins.Load(TestFolder(), player.Window());
    boxes.Stop();
    test::EnsureRegistered();

    EXPECT_EQ(plugins.Count(), 0u) << "a plugin whose init fails is unloaded";
    EXPECT_EQ(boxes.Seen(), 1);
    const std::wstring &text = boxes.Text();
    EXPECT_NE(text.find(L"DirhoardEx.clsDirhoardEx is not registered"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"regsvr32 \"" + TestFolder() + L"\\DirhoardEx.dll\""), std::wstring::npos) << text;
    EXPECT_EQ(GetModuleHandleW(L"gen_dirhoardex.dll"), nullptr);
    ASSERT_TRUE(IsWindow(player.Window()));
    EXPECT_EQ(SendMessageW(player.Window(), WM_USER, 1, 260) != 0, true) << "the player still answers";
}
