#include "app/ConsoleRun.h"

#include "app/ConsoleRunInterruption.h"
#include "app/ReportFileName.h"
#include "app/Unit1.h"
#include "base/FileStream.h"

#include <cmath>
#include <optional>

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

// Passes the upload through, telling the view how it goes and keeping the report's file name.
class WatchedUpload : public PreparedUpload {
public:
    WatchedUpload(std::unique_ptr<PreparedUpload> upload, ConsoleView& view, bool& failed)
        : upload_(std::move(upload)), view_(view), failed_(failed)
    {
    }

    void Post(const std::string& url, TStream& reply) override
    {
        try {
            upload_->Post(url, reply);
        } catch (...) {
            failed_ = true;
            view_.PostFailed();
            throw;
        }
    }

private:
    std::unique_ptr<PreparedUpload> upload_;
    ConsoleView& view_;
    bool& failed_;
};

class WatchedUploader : public ReportUploader {
public:
    WatchedUploader(ReportUploader& uploader, ConsoleView& view) : uploader_(uploader), view_(view) {}

    std::unique_ptr<PreparedUpload> Prepare(const std::string& fileName) override
    {
        FileName = fileName;
        auto upload = uploader_.Prepare(fileName);
        view_.UploadPrepared();
        return std::make_unique<WatchedUpload>(std::move(upload), view_, PostFailed);
    }

    std::string FileName;
    bool PostFailed = false;

private:
    ReportUploader& uploader_;
    ConsoleView& view_;
};

class ConsoleRun {
public:
    ConsoleRun(const ConsoleOptions& options, RunOperations operations, ConsoleStreams streams)
        : options_(options), streams_(Watched(std::move(streams))), view_(options, streams_),
          readSmartInfo_(std::move(operations.ReadSmartInfo)), now_(std::move(operations.Now)), printer_(streams_),
          uploader_(options.NoUpload ? static_cast<ReportUploader&>(printer_) : operations.Uploader, view_),
          form_(view_,
                {operations.Inventory, uploader_,
                 [this](std::int32_t n, TDriveResult& drive, TSmartResult& smart) { return Read(n, drive, smart); },
                 [this] { return Now(); }},
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

        view_.SetStage(ConsoleStage::Showing);
        form_.HandleEvent([this] { form_.FormShow(); });
        view_.SetStage(ConsoleStage::Running);
        form_.HandleEvent([this] { form_.btnScanClick(); });
        if (options_.Keep && !uploader_.FileName.empty())
            streams_.Err("Report kept in " + uploader_.FileName + "\n");
        reportInHand_.reset();
        form_.HandleEvent([this] { form_.FormClose(); });

        if (outputFailed_)
            streams_.Err("qm-smart-run: standard output could not be written\n");
        return view_.ErrorShown() || uploader_.PostFailed || outputFailed_ ? ConsoleFailed : ConsoleAccepted;
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

    bool Read(std::int32_t n, TDriveResult& drive, TSmartResult& smart)
    {
        const bool ok = readSmartInfo_(n, drive, smart);
        const std::int32_t first = Truncated(form_.DiskNum.MinValue);
        const std::int32_t total = Truncated(form_.DiskNum.MaxValue) - first + 1;
        streams_.Err(ProgressLine(n - first + 1, total, ok, drive, smart) + "\n");
        return ok;
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
    SmartReader readSmartInfo_;
    LocalClock now_;
    std::optional<InterruptibleReportFile> reportInHand_;
    ReportPrinter printer_;
    WatchedUploader uploader_;
    TForm1 form_;
};

} // namespace

int RunFromConsole(const ConsoleOptions& options, RunOperations operations, ConsoleStreams streams)
{
    ConsoleRun run(options, std::move(operations), std::move(streams));
    return run.Run();
}
