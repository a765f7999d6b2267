#include "app/ConsoleView.h"

#include "app/Messages.h"

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
    refused_ = true;
    Line(text);
}

void ConsoleView::ShowInformation(const std::string& text)
{
    // The greeting is for the person at the window; a terminal run goes straight to work.
    if (stage_ == ConsoleStage::Showing)
        return;
    refused_ = true;
    Line(text);
}

void ConsoleView::ShowPlain(const std::string& text)
{
    if (uploadPrepared_ && !(postFailed_ && !failureTold_)) {
        streams_.Out(text);
        return;
    }
    failureTold_ = postFailed_;
    Line(text);
}

void ConsoleView::ShowError(const std::string& text)
{
    errorShown_ = true;
    Line(text);
}

void ConsoleView::Line(const std::string& text)
{
    streams_.Err(text + "\n");
}
