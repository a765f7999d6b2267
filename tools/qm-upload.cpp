// qm-upload URL FILE: posts FILE the way the program uploads its report (one file field "file",
// the file name as given, "application/octet-stream") with a client set up as the main
// window's. The reply body goes to standard output; a failure is reported on standard error
// after the program's own words, and the exit code is 1.

#include "base/StandardError.h"
#include "base/StandardOutput.h"
#include "base/Streams.h"
#include "base/SystemLibrary.h"
#include "net/HttpClient.h"
#include "net/MultipartFormData.h"
#include "net/SocketStack.h"
#include "tools/ReadTimeoutSetting.h"
#include "tools/ToolErrors.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

const char* const Usage =
    "Usage: qm-upload URL FILE\n"
    "\n"
    "Posts FILE to URL the way QM Smart Test uploads its report: one multipart/form-data\n"
    "file field \"file\" with the file name as given and the type application/octet-stream.\n"
    "The reply body goes to standard output unchanged.\n"
    "\n"
    "Exit status: 0 after a 2xx reply; 1 when the upload failed (\"Error encountered during\n"
    "POST: ...\" on standard error) or the reply could not be written; 2 for a wrong command\n"
    "line or QM_UPLOAD_READ_TIMEOUT.\n"
    "\n"
    "QM_UPLOAD_READ_TIMEOUT: how long to wait for the server's next byte, in milliseconds\n"
    "(default 60000), before the upload ends with \"Read Timeout\".\n";

int Upload(const std::string& url, const std::string& fileName, int readTimeout)
{
    TStringStream reply;
    bool failed = false;
    try {
        StartSocketInterface();
        THttpClient HTTP;
        // The main window's stored settings: no options, and its read limit.
        HTTP.HTTPOptions.clear();
        HTTP.ReadTimeout = readTimeout;
        TMultipartFormDataStream body;
        body.AddFile("file", fileName, "application/octet-stream");
        HTTP.Post(url, body, reply);
    } catch (const std::exception& e) {
        // The message goes out as it is, its CR LF included.
        WriteStandardError(std::string("Error encountered during POST: ") + e.what() + "\n");
        failed = true;
    }
    const bool written = WriteStandardOutput(reply.DataString());
    return failed || !written ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    RestrictLibrarySearchToSystem();
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << Usage;
        return 0;
    }
    if (argc != 3) {
        std::cerr << Usage;
        return 2;
    }
    const std::optional<int> readTimeout = UploadReadTimeoutSetting();
    if (!readTimeout) {
        std::cerr << "qm-upload: " << UploadReadTimeoutRefused << "\n";
        return 2;
    }
    return ReportingErrors("qm-upload", [&] { return Upload(argv[1], argv[2], *readTimeout); });
}
