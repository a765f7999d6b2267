#include "app/ConsoleRun.h"

#include "app/ConsoleRunInterruption.h"
#include "app/ReportFileName.h"
#include "app/Unit1.h"
#include "base/FileStream.h"

#include <optional>

namespace {

// The report file copied to standard output in place of the POST.
class PrintedReport : public PreparedUpload {
public:
    PrintedReport(const std::string& fileName, const ConsoleStreams& streams)
        : file_(fileName, TFileMode::fmOpenReadShareDenyWrite), streams_(streams)
    {
    }

    void Post(const std::string&, TStream&) override
    {
        TStringStream content;
        content.CopyFrom(file_, 0);
        streams_.Out(content.DataString());
    }

private:
    TFileStream file_;
    const ConsoleStreams& streams_;
};

class ReportPrinter : public ReportUploader {
public:
    explicit ReportPrinter(const ConsoleStreams& streams) : streams_(streams) {}

    std::unique_ptr<PreparedUpload> Prepare(const std::string& fileName) override
    {
        return std::make_unique<PrintedReport>(fileName, streams_);
    }

private:
    const ConsoleStreams& streams_;
};

class ConsoleRun {
public:
    ConsoleRun(const ConsoleOptions& options, RunOperations operations, ConsoleStreams streams)
        : options_(options), streams_(Watched(std::move(streams))), view_(options, streams_),
          now_(std::move(operations.Now)), printer_(streams_),
          form_(view_,
                {operations.Inventory, options.NoUpload ? static_cast<ReportUploader&>(printer_) : operations.Uploader,
                 std::move(operations.ReadSmartInfo), [this] { return Now(); }},
                options.UploadURL)
    {
        form_.KeepReportFile = options.Keep;
    }

    int Run()
    {
        form_.edUserExit();
        form_.edPhoneExit();
        form_.edEmailExit();
        form_.edContactChange();
        if (!(form_.ValidName && form_.ValidPhone && form_.ValidEmail && form_.ContactAllowed)) {
            // The click's own checks name the first refused entry.
            form_.btnScanClick();
            return ConsoleRefused;
        }

        form_.HandleEvent([this] { form_.FormShow(); });
        form_.HandleEvent([this] { form_.btnScanClick(); });
        if (options_.Keep && !view_.SavedReport().empty())
            streams_.Err("Report kept in " + view_.SavedReport() + "\n");
        reportInHand_.reset();
        form_.HandleEvent([this] { form_.FormClose(); });

        if (outputFailed_)
            streams_.Err("qm-smart-run: standard output could not be written\n");
        return view_.ErrorShown() || view_.PostFailed() || outputFailed_ ? ConsoleFailed : ConsoleAccepted;
    }

private:
    // Standard output's failures are remembered for the exit status.
    ConsoleStreams Watched(ConsoleStreams streams)
    {
        return {[this, out = std::move(streams.Out)](const std::string& bytes) {
                    const bool written = out(bytes);
                    outputFailed_ = outputFailed_ || !written;
                    return written;
                },
                std::move(streams.Err)};
    }

    // The window asks the clock once, for the report's file name, right before it saves the
    // report: from here until the run is done with the file an interruption removes it.
    TDateTimeParts Now()
    {
        const TDateTimeParts now = now_();
        reportInHand_.emplace(ReportFileName(view_.UserText(), DateTimeToFileDate(now)));
        return now;
    }

    const ConsoleOptions& options_;
    bool outputFailed_ = false;
    ConsoleStreams streams_;
    ConsoleView view_;
    LocalClock now_;
    std::optional<InterruptibleReportFile> reportInHand_;
    ReportPrinter printer_;
    TForm1 form_;
};

} // namespace

int RunFromConsole(const ConsoleOptions& options, RunOperations operations, ConsoleStreams streams)
{
    ConsoleRun run(options, std::move(operations), std::move(streams));
    return run.Run();
}
