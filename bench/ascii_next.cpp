// Reading a 100 MB text file line by line with NEXT, QUICKSCAN on and off,
// against std::getline over the same file in the same run. Prints MB/s and
// the ratios; run by hand (argument: a folder for the file, default $TMPDIR).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "runtime/error_state.h"
#include "storage/ascii/ascii_driver.h"
#include "storage/layer/declarations.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"

namespace {

using namespace linkar;
using Clock = std::chrono::steady_clock;

constexpr uint64_t kFileBytes = 100ull * 1024 * 1024;
constexpr uint32_t kRecordLength = 256;
constexpr double kMegabyte = 1024.0 * 1024.0;
// FILEBUFFERS giving an 8 KB buffer, the size std::getline's stream reads with.
constexpr int kGetlineSizedBuffers = 16;
constexpr int kRounds = 3;

std::string makeFile(const std::string& folder)
{
    std::string path = folder + "/linkar-ascii-bench.txt";
    std::ofstream out(path, std::ios::binary);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> length(10, 200);
    std::uniform_int_distribution<int> letter('a', 'z');
    uint64_t written = 0;
    std::string line;
    while (written < kFileBytes) {
        line.assign(static_cast<size_t>(length(rng)), 'x');
        for (char& c : line)
            c = static_cast<char>(letter(rng));
        line += "\r\n";
        out << line;
        written += line.size();
    }
    return path;
}

// Wall time, and the process's CPU time (user and system), which a busy
// machine disturbs far less.
struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    uint64_t lines = 0;
};

class Timer {
public:
    Timer() : m_wall(Clock::now()), m_cpu(std::clock()) {}
    void stop(Run& run) const
    {
        run.seconds = std::chrono::duration<double>(Clock::now() - m_wall).count();
        run.cpuSeconds = static_cast<double>(std::clock() - m_cpu) / CLOCKS_PER_SEC;
    }

private:
    Clock::time_point m_wall;
    std::clock_t m_cpu;
};

// fileBuffers: 0 keeps the buffer an open starts with (1024 bytes here).
Run readWithDriver(const std::string& path, bool quickScan, int fileBuffers = 0)
{
    std::vector<uint8_t> record(kRecordLength, ' ');
    std::vector<uint8_t> list = storage::FieldListBuilder().text("ASC:LINE", 0, kRecordLength).build();
    storage::FileDecl decl;
    decl.entry = &ascii::asciiDriverEntry;
    decl.name = path.c_str();
    decl.nameLength = storage::kTextNulTerminated;
    decl.recordLength = kRecordLength;
    decl.fieldList = list.data();
    decl.record = record.data();
    Run run;
    Timer timer;
    storage::fileOpen(decl, storage::kAccessRead | storage::kDenyWrite);
    if (runtime::errorCode() != 0) {
        std::fprintf(stderr, "cannot open %s: %d\n", path.c_str(), runtime::errorCode());
        std::exit(1);
    }
    storage::fileSend(decl, quickScan ? "QUICKSCAN=ON" : "QUICKSCAN=OFF");
    if (fileBuffers > 0)
        storage::fileSend(decl, "FILEBUFFERS=" + std::to_string(fileBuffers));
    storage::fileSet(decl);
    for (;;) {
        storage::fileNext(decl);
        if (runtime::errorCode() != 0)
            break;
        ++run.lines;
    }
    storage::fileClose(decl);
    timer.stop(run);
    return run;
}

Run readWithGetline(const std::string& path)
{
    Run run;
    Timer timer;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        ++run.lines;
    timer.stop(run);
    return run;
}

template <typename F>
Run best(F run)
{
    Run fastest = run();
    for (int i = 1; i < kRounds; ++i) {
        Run r = run();
        fastest.seconds = std::min(fastest.seconds, r.seconds);
        fastest.cpuSeconds = std::min(fastest.cpuSeconds, r.cpuSeconds);
    }
    return fastest;
}

double megabytesPerSecond(double seconds)
{
    return static_cast<double>(kFileBytes) / kMegabyte / seconds;
}

void report(const char* what, const Run& run, const Run& getline)
{
    std::printf("%-34s wall %8.1f MB/s (ratio %.2f)   cpu %8.1f MB/s (ratio %.2f)   %llu lines\n", what,
                megabytesPerSecond(run.seconds), getline.seconds / run.seconds, megabytesPerSecond(run.cpuSeconds),
                getline.cpuSeconds / run.cpuSeconds, static_cast<unsigned long long>(run.lines));
}

}  // namespace

int main(int argc, char** argv)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = argc > 1 ? argv[1] : (tmp != nullptr ? tmp : "/tmp");
    std::string path = makeFile(folder);
    readWithGetline(path);  // warms the page cache

    // Best of a few rounds: a shared machine slows single runs at random.
    Run getline = best([&] { return readWithGetline(path); });
    Run on = best([&] { return readWithDriver(path, true); });
    Run off = best([&] { return readWithDriver(path, false); });
    Run wide = best([&] { return readWithDriver(path, true, kGetlineSizedBuffers); });
    std::printf("file: %.0f MB, record %u bytes; ratios are against std::getline\n", kFileBytes / kMegabyte,
                kRecordLength);
    report("std::getline", getline, getline);
    report("NEXT QUICKSCAN=ON", on, getline);
    report("NEXT QUICKSCAN=OFF", off, getline);
    std::string wideName = "NEXT QUICKSCAN=ON FILEBUFFERS=" + std::to_string(kGetlineSizedBuffers);
    report(wideName.c_str(), wide, getline);
    unlink(path.c_str());
    bool same = on.lines == getline.lines && off.lines == getline.lines && wide.lines == getline.lines;
    return same ? 0 : 1;
}
