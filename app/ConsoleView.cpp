#include "app/ConsoleView.h"

#include "app/Messages.h"

namespace {

// "Disk 2 of 3: " + the model + what the reading gave, one line.
std::string ProgressLine(int ordinal, int total, bool ok, const TDriveResult& drive, const TSmartResult& smart)
{
    std::string line = "Disk " + std::to_string(ordinal) + " of " + std::to_string(total) + ": ";
    if (!drive.ModelNumber.empty())
        line += drive.ModelNumber + ": ";
    if (!ok)
        return line + drive.ErrorText;
    if (smart.AttrCount == 0)
        return line + "no SMART attributes returned";
    return line + std::to_string(smart.AttrCount) + " SMART attributes read";
}

} // namespace

ConsoleView::ConsoleView(const ConsoleOptions& options, ConsoleStreams streams)
    : streams_(std::move(streams)), user_(options.Name), phone_(options.Phone), email_(options.Email)
{
}

std::string ConsoleView::ContactText() const
{
    return Messages::ContactYes;
}

void ConsoleView::SetStatusText(const std::string& text)
{
    Line(text);
}

void ConsoleView::ShowWarning(const std::string& text)
{
    Line(text);
}

void ConsoleView::ShowInformation(const std::string& text)
{
    Line(text);
}

void ConsoleView::ShowPlain(const std::string& text)
{
    Line(text);
}

void ConsoleView::ShowError(const std::string& text)
{
    errorShown_ = true;
    Line(text);
}

void ConsoleView::DiskRead(int ordinal, int total, bool ok, const TDriveResult& drive, const TSmartResult& smart)
{
    Line(ProgressLine(ordinal, total, ok, drive, smart));
}

void ConsoleView::ShowPostFailure(const std::string& text)
{
    postFailed_ = true;
    Line(text);
}

void ConsoleView::ShowServerReply(const std::string& reply)
{
    streams_.Out(reply);
}

void ConsoleView::Line(const std::string& text)
{
    streams_.Err(text + "\n");
}
