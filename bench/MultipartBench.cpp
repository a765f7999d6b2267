// Reading the upload's multipart body as the connection does when it sends it: a 64 MiB report
// file in one file field, taken in blocks of the connection's send size. The file is made once
// in QM_BENCH_WORK (else the current folder) and removed at the end; after the first round it
// comes from the page cache, so this is the body's own cost, not the disk's.

#include "base/FileStream.h"
#include "net/MultipartFormData.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t FileBytes = 64ll << 20;

class BenchFile {
public:
    BenchFile()
    {
        const char* folder = std::getenv("QM_BENCH_WORK");
        name_ = std::string(folder && *folder ? folder : ".") + "/multipart-bench.smart";
        TFileStream file(name_, TFileMode::fmCreate);
        // Report-like text: lines of printable characters ending in CR LF.
        std::string line = "  9 Power On Count             Y N N   99   99    0          12345 OK";
        line.resize(78, ' ');
        line += "\r\n";
        std::string block;
        while (block.size() < (1u << 20))
            block += line;
        block.resize(1u << 20);
        for (std::int64_t written = 0; written < FileBytes; written += static_cast<std::int64_t>(block.size()))
            file.WriteBuffer(block.data(), static_cast<std::int32_t>(block.size()));
    }
    ~BenchFile() { std::remove(name_.c_str()); }
    BenchFile(const BenchFile&) = delete;
    BenchFile& operator=(const BenchFile&) = delete;
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

const BenchFile& TheFile()
{
    static const BenchFile file;
    return file;
}

void BM_MultipartBodyRead(benchmark::State& state)
{
    const auto blockSize = static_cast<std::int32_t>(state.range(0));
    TMultipartFormDataStream body;
    body.AddFile("file", TheFile().Name(), "application/octet-stream");
    std::vector<char> block(static_cast<size_t>(blockSize));
    std::int64_t bodyBytes = 0;
    for (auto _ : state) {
        body.Seek(0, TSeekOrigin::soBeginning);
        std::int64_t total = 0;
        for (std::int32_t n; (n = body.Read(block.data(), blockSize)) > 0;)
            total += n;
        benchmark::DoNotOptimize(block.data());
        bodyBytes = total;
    }
    if (bodyBytes < FileBytes)
        state.SkipWithError("the body was shorter than the file");
    state.SetBytesProcessed(state.iterations() * bodyBytes);
}

} // namespace

// 32768 is the connection's SendBufferSize, the block the upload reads the body in.
BENCHMARK(BM_MultipartBodyRead)->Arg(32768)->Arg(262144)->Unit(benchmark::kMillisecond);
