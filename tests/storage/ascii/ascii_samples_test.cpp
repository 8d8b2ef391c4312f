// The real bookmark files read through the driver, line for line against a
// plain splitter of the same files: lines end at CR LF or a lone LF, and
// each is cut to the record length.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ascii_fixture.h"
#include "tests/support/temp_dir.h"

namespace linkar::ascii::test {
namespace {

constexpr uint32_t kRecordLength = 512;

std::string trimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Splits the text with std::string searches only.
std::vector<std::string> splitLines(const std::string& text, size_t cut)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string::npos ? text.size() : lf;
        size_t next = lf == std::string::npos ? text.size() : lf + 1;
        if (end > start && text[end - 1] == '\r' && lf != std::string::npos)
            --end;
        lines.push_back(trimmed(text.substr(start, std::min(end - start, cut))));
        start = next;
    }
    return lines;
}

std::vector<std::string> sampleFiles()
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(LINKAR_SAMPLES_DIR "/bookmarks", ec))
        if (entry.path().extension() == ".html")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(AsciiSamples, BookmarkFilesReadLineForLine)
{
    std::vector<std::string> files = sampleFiles();
    ASSERT_FALSE(files.empty()) << "no bookmark samples in " LINKAR_SAMPLES_DIR "/bookmarks";
    for (const std::string& path : files) {
        std::string text = linkar::test::readWholeFile(path);
        ASSERT_EQ(text.find('\x1A'), std::string::npos) << path;
        std::vector<std::string> expected = splitLines(text, kRecordLength);
        for (const char* buffers : {"FILEBUFFERS=1", "FILEBUFFERS=64"}) {
            for (const char* scan : {"QUICKSCAN=ON", "QUICKSCAN=OFF"}) {
                TextFile f(path, kRecordLength);
                ASSERT_TRUE(f.openAndSet(storage::kAccessRead | storage::kDenyNone)) << path;
                f.send("TAB=-100");  // TABs as they stand, like the splitter
                f.send(buffers);
                f.send(scan);
                int32_t code = 0;
                std::vector<std::string> lines = f.readAll(&code);
                EXPECT_EQ(code, 33);
                ASSERT_EQ(lines.size(), expected.size()) << path << " " << buffers << " " << scan;
                for (size_t i = 0; i < lines.size(); ++i)
                    ASSERT_EQ(trimmed(lines[i]), expected[i]) << path << " line " << i + 1;
            }
        }
    }
}

}  // namespace
}  // namespace linkar::ascii::test
