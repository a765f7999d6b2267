#pragma once

#include "app/RunOperations.h"
#include "app/win32/Form1Window.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

// The main window with its boxes recorded instead of shown, and back ends that need no disk,
// WMI or server.
class FakeInventory : public DiskInventory {
public:
    int Count = 2;
    std::vector<bool> Assignments;
    void SetActive(bool active) override { Assignments.push_back(active); }
    int ObjectsCount() const override { return Count; }
};

class FakeUploader : public ReportUploader {
public:
    std::string PostedContent;

    class Upload : public PreparedUpload {
    public:
        Upload(FakeUploader& owner, std::string fileName) : owner_(owner), fileName_(std::move(fileName)) {}
        void Post(const std::string&, TStream& reply) override
        {
            std::ifstream in(fileName_, std::ios::binary);
            owner_.PostedContent.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            const std::string text = "Report received";
            reply.WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));
        }

    private:
        FakeUploader& owner_;
        std::string fileName_;
    };

    std::unique_ptr<PreparedUpload> Prepare(const std::string& fileName) override
    {
        return std::make_unique<Upload>(*this, fileName);
    }
};

struct FakeBackEnds {
    FakeInventory Inventory;
    FakeUploader Uploader;

    RunOperations Operations()
    {
        return {Inventory, Uploader,
                [](std::int32_t, TDriveResult& drive, TSmartResult&) {
                    drive.ErrorText = "SMART Not Supported";
                    drive.Failure = DriveFailure::SmartNotSupported;
                    return false;
                },
                [] { return TDateTimeParts {2026, 12, 7, 9, 24, 44, 0}; }};
    }
};

class RecordingWindow : public Form1Window {
public:
    explicit RecordingWindow(FakeBackEnds& backEnds, HWND owner = nullptr)
        : Form1Window(GetModuleHandleA(nullptr), owner, backEnds.Operations(), "http://127.0.0.1/vellumbox/upload.php")
    {
    }

    // Each box as "kind: text", with whether the window was on screen when it came up.
    std::vector<std::string> Boxes;
    std::vector<bool> VisibleAtBox;
    std::vector<std::string> Previews;
    // Runs while each box would be on screen.
    std::function<void()> WhileBoxIsUp = [] {};

    void ShowWarning(const std::string& text) override { Record("warning: " + text); }
    void ShowInformation(const std::string& text) override { Record("information: " + text); }
    void ShowPlain(const std::string& text) override { Record("plain: " + text); }
    void ShowError(const std::string& text) override { Record("error: " + text); }
    void ShowPreview(const std::string& text) override { Previews.push_back(text); }

private:
    void Record(const std::string& box)
    {
        Boxes.push_back(box);
        VisibleAtBox.push_back(IsWindowVisible(Handle()) != FALSE);
        WhileBoxIsUp();
    }
};

// Handles whatever the windows have posted to themselves.
inline void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

inline std::string WindowText(HWND window)
{
    std::vector<char> text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1);
    const int length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<std::size_t>(length));
}

// A control's rectangle in its parent's client coordinates.
inline RECT PlaceOf(HWND control)
{
    RECT rect {};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
