// The multipart body read in pieces of any sizes must give exactly the bytes of one read of the
// whole body, and as many as its announced size.
//
// Input (through FuzzedDataProvider): up to eight fields of the four kinds (plain value,
// stream, lines, file), then the sizes of the reads.

#include "base/DosDateTime.h"
#include "base/StringList.h"
#include "base/Streams.h"
#include "net/MultipartFormData.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <list>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// One file the file fields read, rewritten for every input.
const std::string& ScratchFile()
{
    static const std::string name = [] {
        char path[] = "/tmp/qm-fuzz-multipart-XXXXXX";
        const int fd = mkstemp(path);
        if (fd < 0)
            std::abort();
        close(fd);
        return std::string(path);
    }();
    return name;
}

std::string ReadAll(TStream& body, FuzzedDataProvider* sizes, std::size_t expected)
{
    std::string bytes;
    for (;;) {
        const std::int32_t want =
            sizes ? sizes->ConsumeIntegralInRange<std::int32_t>(1, 70000) : static_cast<std::int32_t>(expected + 17);
        std::string block(static_cast<std::size_t>(want), '\0');
        const std::int32_t got = body.Read(block.data(), want);
        if (got < 0 || got > want)
            std::abort();
        bytes.append(block, 0, static_cast<std::size_t>(got));
        if (got < want)
            return bytes;
        if (bytes.size() > expected)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    TDateTimeParts now{};
    now.Year = 2024;
    now.Month = 5;
    now.Day = 17;
    TMultipartFormDataStream body(now);
    std::list<TStringStream> streams;
    std::list<TStringList> lists;
    bool fileUsed = false;

    const int fields = input.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < fields; ++i) {
        const std::string name = input.ConsumeRandomLengthString(32);
        const std::string fileName = input.ConsumeRandomLengthString(32);
        const std::string content = input.ConsumeRandomLengthString(4096);
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            body.AddValueField(name, content);
            break;
        case 1:
            streams.emplace_back(content);
            body.AddContentField(name, "application/octet-stream", streams.back(), fileName);
            break;
        case 2:
            lists.emplace_back();
            for (std::size_t start = 0, end; start < content.size(); start = end + 1) {
                end = content.find('\n', start);
                if (end == std::string::npos)
                    end = content.size();
                lists.back().Add(content.substr(start, end - start));
            }
            body.AddContentField(name, "text/plain", lists.back(), fileName);
            break;
        default:
            if (fileUsed)
                break;
            {
                std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
                file << content;
            }
            body.AddFile(name, ScratchFile(), "application/octet-stream");
            fileUsed = true;
            break;
        }
    }

    const std::int64_t announced = body.Size();
    body.SetPosition(0);
    const std::string whole = ReadAll(body, nullptr, static_cast<std::size_t>(announced));
    if (static_cast<std::int64_t>(whole.size()) != announced)
        std::abort();
    for (int pass = 0; pass < 2; ++pass) {
        body.SetPosition(0);
        if (ReadAll(body, &input, whole.size()) != whole)
            std::abort();
    }
    return 0;
}
