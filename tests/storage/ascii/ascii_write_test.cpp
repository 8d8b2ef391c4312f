// Writing lines through the text driver: CLIP, appends with and without a
// length, PUT over the current record and at a position, cutting the file,
// the end-of-record bytes, OEM conversion and buffered data reaching the file.
#include <gtest/gtest.h>

#include <string>

#include "ascii_fixture.h"
#include "platform/fault_injection.h"
#include "tests/support/temp_dir.h"

namespace linkar::ascii::test {
namespace {

using linkar::test::readWholeFile;
using linkar::test::TempDir;
using linkar::test::writeWholeFile;

constexpr int32_t kWriteExclusive = storage::kAccessReadWrite | storage::kDenyWrite;
constexpr int32_t kWriteShared = storage::kAccessReadWrite | storage::kDenyNone;

class AsciiWrite : public ::testing::TestWithParam<int32_t> {
protected:
    std::string path(const std::string& contents = "")
    {
        std::string p = m_dir.file("out.txt");
        EXPECT_TRUE(writeWholeFile(p, contents));
        return p;
    }
    TempDir m_dir;
};

TEST_P(AsciiWrite, ClipDropsTrailingBlanks)
{
    std::string p = path();
    {
        TextFile f(p, 8);
        ASSERT_TRUE(f.openAndSet(GetParam()));
        f.setRecord("abc");
        storage::fileAdd(f.decl);
        EXPECT_EQ(runtime::errorCode(), 0);
        EXPECT_EQ(storage::fileBytes(f.decl), 5);
        EXPECT_EQ(f.send("CLIP=OFF"), "ON");
        storage::fileAdd(f.decl);
        EXPECT_EQ(storage::fileBytes(f.decl), 10);
        storage::fileClose(f.decl);
        EXPECT_EQ(runtime::errorCode(), 0);
    }
    EXPECT_EQ(readWholeFile(p), "abc\r\nabc     \r\n");
}

TEST_P(AsciiWrite, AppendWithLengthAndLineFeedEnd)
{
    std::string p = path("old\r\n");
    {
        TextFile f(p, 10);
        ASSERT_TRUE(f.openAndSet(GetParam()));
        f.setRecord("abcdefgh");
        storage::fileAppendLength(f.decl, 3);
        f.send("ENDOFRECORD=1,10");
        storage::fileAppendLength(f.decl, 100);  // no more than the record
        f.send("clip=off");
        storage::fileAppend(f.decl);
        storage::fileClose(f.decl);
    }
    EXPECT_EQ(readWholeFile(p), "old\r\nabc\r\nabcdefgh\nabcdefgh  \n");
}

TEST_P(AsciiWrite, PutOverwritesTheCurrentRecordInPlace)
{
    std::string p = path("aaaa\r\nbbbb\r\ncccc\r\n");
    {
        TextFile f(p, 10);
        ASSERT_TRUE(f.openAndSet(GetParam()));
        storage::fileNext(f.decl);
        storage::fileNext(f.decl);
        f.setRecord("XY");
        storage::filePut(f.decl);
        EXPECT_EQ(runtime::errorCode(), 0);
        // The shorter line leaves the rest of the old one in place.
        storage::fileSet(f.decl);
        EXPECT_EQ(f.readAll(), (std::vector<std::string>{"aaaa", "XY", "", "cccc"}));
        // A longer line runs over the next one.
        storage::fileGetPosition(f.decl, 1);
        f.setRecord("LONGERLINE");
        storage::filePut(f.decl);
        storage::fileClose(f.decl);
    }
    EXPECT_EQ(readWholeFile(p), "LONGERLINE\r\ncccc\r\n");
}

TEST_P(AsciiWrite, PutAtPositionAndCutting)
{
    std::string p = path("0123456789\r\nabcdef\r\n");
    {
        TextFile f(p, 10);
        ASSERT_TRUE(f.openAndSet(GetParam()));
        f.setRecord("zz");
        storage::filePutPosition(f.decl, 3);
        EXPECT_EQ(storage::fileBytes(f.decl), 4);
        storage::filePutPositionLength(f.decl, 0, 1);  // 0 appends
        storage::fileClose(f.decl);
    }
    EXPECT_EQ(readWholeFile(p), "01zz\r\n6789\r\nabcdef\r\nz\r\n");
    {
        TextFile f(p, 10);
        ASSERT_TRUE(f.openAndSet(GetParam()));
        storage::filePutPositionLength(f.decl, 13, 0);  // a length of 0 cuts
        EXPECT_EQ(runtime::errorCode(), 0);
        EXPECT_EQ(storage::fileBytes(f.decl), 12);
        storage::filePutPositionLength(f.decl, 5, -1);
        EXPECT_EQ(runtime::errorCode(), 5) << "a negative length never cuts";
        storage::fileClose(f.decl);
    }
    EXPECT_EQ(readWholeFile(p), "01zz\r\n6789\r\n");
}

TEST_P(AsciiWrite, WrittenLinesReadBackBeforeClose)
{
    std::string p = path();
    TextFile f(p, 20);
    ASSERT_TRUE(f.openAndSet(GetParam()));
    for (int i = 0; i < 300; ++i) {
        f.setRecord("line " + std::to_string(i));
        storage::fileAdd(f.decl);
        ASSERT_EQ(runtime::errorCode(), 0);
    }
    storage::fileSet(f.decl);
    auto lines = f.readAll();
    ASSERT_EQ(lines.size(), 300u);
    EXPECT_EQ(lines[0], "line 0");
    EXPECT_EQ(lines[299], "line 299");
    storage::fileClose(f.decl);
    EXPECT_EQ(readWholeFile(p).size(), 300u * 2 + 10 * 6 + 90 * 7 + 200 * 8);
}

INSTANTIATE_TEST_SUITE_P(Sharing, AsciiWrite, ::testing::Values(kWriteExclusive, kWriteShared),
                         [](const auto& info) { return info.param == kWriteShared ? "DenyNone" : "DenyWrite"; });

TEST(AsciiWriteRules, ReadOnlyFilesRefuseEveryWrite)
{
    TempDir dir;
    std::string p = dir.file("ro.txt");
    ASSERT_TRUE(writeWholeFile(p, "keep\r\n"));
    TextFile f(p, 10);
    ASSERT_TRUE(f.openAndSet(storage::kAccessRead | storage::kDenyNone));
    storage::fileAdd(f.decl);
    EXPECT_EQ(runtime::errorCode(), 5);
    storage::fileAppendLength(f.decl, 0);
    EXPECT_EQ(runtime::errorCode(), 5);
    storage::fileNext(f.decl);
    storage::filePut(f.decl);
    EXPECT_EQ(runtime::errorCode(), 5);
    storage::fileClose(f.decl);
    EXPECT_EQ(readWholeFile(p), "keep\r\n");
}

TEST(AsciiWriteRules, PutWithoutCurrentRecordFails)
{
    TempDir dir;
    std::string p = dir.file("x.txt");
    ASSERT_TRUE(writeWholeFile(p, "a\r\n"));
    TextFile f(p, 10);
    ASSERT_TRUE(f.openAndSet(kWriteExclusive));
    storage::filePut(f.decl);
    EXPECT_EQ(runtime::errorCode(), 33);
}

TEST(AsciiWriteRules, OemTextIsConvertedOnWriteAndBack)
{
    TempDir dir;
    std::string p = dir.file("oem.txt");
    ASSERT_TRUE(writeWholeFile(p, ""));
    std::string text = "caf\xe9 \xa3 \xdf";
    {
        TextFile f(p, 12, storage::kAttrOem);
        ASSERT_TRUE(f.openAndSet(kWriteExclusive));
        f.setRecord(text);
        storage::fileAdd(f.decl);
        EXPECT_EQ(f.line(), text) << "the record itself stays in the Windows set";
        storage::fileSet(f.decl);
        storage::fileNext(f.decl);
        EXPECT_EQ(f.line(), text);
        storage::fileClose(f.decl);
    }
    EXPECT_EQ(readWholeFile(p), "caf\x82 \x9c \xe1\r\n");
}

TEST(AsciiWriteRules, EmptyCutsAnExclusiveFile)
{
    TempDir dir;
    std::string p = dir.file("e.txt");
    ASSERT_TRUE(writeWholeFile(p, "a\r\nb\r\n"));
    TextFile f(p, 10);
    ASSERT_TRUE(f.openAndSet(kWriteShared));
    storage::fileEmpty(f.decl);
    EXPECT_EQ(runtime::errorCode(), 63) << "a shared open may not empty the file";
    storage::fileClose(f.decl);
    ASSERT_TRUE(f.openAndSet(kWriteExclusive));
    storage::fileEmpty(f.decl);
    EXPECT_EQ(runtime::errorCode(), 0);
    storage::fileClose(f.decl);
    EXPECT_EQ(readWholeFile(p), "");
}

TEST(AsciiWriteRules, FailedWritesAreReportedNeverSilent)
{
    using platform::faults::Fault;
    TempDir dir;
    std::string p = dir.file("w.txt");
    ASSERT_TRUE(writeWholeFile(p, ""));
    for (Fault fault : {Fault::FailWrite, Fault::ShortWrite}) {
        // Written through at once: the failing ADD itself says so.
        {
            platform::faults::FaultScope scope;
            TextFile f(p, 20);
            ASSERT_TRUE(f.openAndSet(kWriteShared));
            platform::faults::armFault(fault, 1);
            f.setRecord("lost");
            storage::fileAdd(f.decl);
            EXPECT_EQ(runtime::errorCode(), 5);
        }
        // Buffered: the statement whose write-back fails says so, at the
        // latest CLOSE.
        {
            platform::faults::FaultScope scope;
            TextFile f(p, 20);
            ASSERT_TRUE(f.openAndSet(kWriteExclusive));
            platform::faults::armFault(fault, 1);
            int failures = 0;
            for (int i = 0; i < 200; ++i) {  // several buffers full
                f.setRecord("buffered line");
                storage::fileAdd(f.decl);
                failures += runtime::errorCode() == 5;
            }
            storage::fileClose(f.decl);
            failures += runtime::errorCode() == 5;
            EXPECT_TRUE(platform::faults::faultTriggered());
            EXPECT_GE(failures, 1);
        }
        // Later lines follow what did reach the file, without a gap of zeros.
        std::string text = readWholeFile(p);
        EXPECT_EQ(text.find('\0'), std::string::npos);
        ASSERT_TRUE(writeWholeFile(p, ""));
    }
}

}  // namespace
}  // namespace linkar::ascii::test
