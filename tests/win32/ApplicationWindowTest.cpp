#include "RecordingWindow.h"
#include "TaskBarButton.h"

#include "app/win32/ApplicationWindow.h"

#include <gtest/gtest.h>

namespace {

BOOL CALLBACK AddTaskBarEntry(HWND window, LPARAM titles)
{
    if (HasTaskBarButton(window))
        reinterpret_cast<std::vector<std::string>*>(titles)->push_back(WindowText(window));
    return TRUE;
}

// The titles of this program's task-bar buttons.
std::vector<std::string> TaskBarEntries()
{
    std::vector<std::string> titles;
    EnumThreadWindows(GetCurrentThreadId(), AddTaskBarEntry, reinterpret_cast<LPARAM>(&titles));
    return titles;
}

class ApplicationWindowTest : public ::testing::Test {
protected:
    ApplicationWindow application {GetModuleHandleA(nullptr)};
    FakeBackEnds backEnds;
    RecordingWindow main {backEnds, application.Handle()};

    void SetUp() override { application.SetMainWindow(main.Handle()); }
};

} // namespace

TEST_F(ApplicationWindowTest, OneTaskBarButtonTitledWithTheApplicationTitleFromTheGreetingOn)
{
    std::vector<std::string> atGreeting;
    main.WhileBoxIsUp = [&atGreeting] { atGreeting = TaskBarEntries(); };
    main.Show();
    ASSERT_EQ(main.VisibleAtBox, std::vector<bool> {false}) << "the greeting comes before the window";
    EXPECT_EQ(atGreeting, std::vector<std::string> {"QM Smart Test"});
    EXPECT_EQ(TaskBarEntries(), std::vector<std::string> {"QM Smart Test"});
    EXPECT_EQ(WindowText(main.Handle()), "Quillmark SMART Test.") << "the window keeps its caption";
}

TEST_F(ApplicationWindowTest, TheButtonHandsTheActivationToTheWindowActiveLast)
{
    main.Show();
    SetActiveWindow(application.Handle());
    EXPECT_EQ(GetActiveWindow(), main.Handle());

    // A box of the main window, such as the greeting, gets the activation back in its place.
    WindowHandle box(CreateWindowExA(0, "STATIC", "Information", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200, 100,
                                     main.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr));
    SetActiveWindow(box.get());
    SetActiveWindow(application.Handle());
    EXPECT_EQ(GetActiveWindow(), box.get());
}

TEST_F(ApplicationWindowTest, CloseFromTheTaskBarGoesThroughTheCloseStep)
{
    main.Show();
    SendMessageA(application.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(main.Handle()));
    EXPECT_EQ(backEnds.Inventory.Assignments, (std::vector<bool> {true, false}));
    EXPECT_TRUE(IsWindow(application.Handle())) << "it goes when the program ends";
}
