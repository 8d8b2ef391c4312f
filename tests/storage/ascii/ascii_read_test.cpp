// Reading lines through the text driver: line ends, 0x1A, empty and long
// lines, TAB settings, pointers and byte counts, positions, and the same
// answers whether QUICKSCAN is on or off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ascii_fixture.h"
#include "tests/support/temp_dir.h"

namespace linkar::ascii::test {
namespace {

using linkar::test::TempDir;
using linkar::test::writeWholeFile;
using storage::kAccessRead;
using storage::kDenyNone;
using storage::kDenyWrite;
using Lines = std::vector<std::string>;

constexpr int32_t kReadShared = kAccessRead | kDenyNone;    // QUICKSCAN starts off
constexpr int32_t kReadExclusive = kAccessRead | kDenyWrite;  // QUICKSCAN starts on

class AsciiRead : public ::testing::TestWithParam<int32_t> {
protected:
    std::string make(const std::string& contents)
    {
        std::string path = m_dir.file("in.txt");
        EXPECT_TRUE(writeWholeFile(path, contents));
        return path;
    }
    // All lines of `contents` read with records of `length` bytes.
    Lines read(const std::string& contents, uint32_t length, int32_t* endCode = nullptr,
               const std::string& option = "")
    {
        TextFile f(make(contents), length);
        EXPECT_TRUE(f.openAndSet(GetParam()));
        if (!option.empty())
            f.send(option);
        return f.readAll(endCode);
    }
    TempDir m_dir;
};

TEST_P(AsciiRead, LastLineWithoutEndIsReadWholeThenNextFails)
{
    TextFile f(make("one\r\ntwo"), 20);
    ASSERT_TRUE(f.openAndSet(GetParam()));
    int32_t code = 0;
    EXPECT_EQ(f.readAll(&code), (Lines{"one", "two"}));
    EXPECT_EQ(code, 33);
    EXPECT_EQ(f.line(), "two") << "reading past the end keeps the record";
}

TEST_P(AsciiRead, EndOfFileByteAtLineStartStopsReadingForGood)
{
    TextFile f(make("one\r\n\x1A" "after\r\n"), 20);
    ASSERT_TRUE(f.openAndSet(GetParam()));
    storage::fileNext(f.decl);
    EXPECT_EQ(f.line(), "one");
    for (int i = 0; i < 3; ++i) {
        storage::fileNext(f.decl);
        EXPECT_EQ(runtime::errorCode(), 33);
    }
    EXPECT_TRUE(storage::fileEof(f.decl));
}

TEST_P(AsciiRead, EndOfFileByteInsideLineEndsItAndIsConsumed)
{
    TextFile f(make("ab\x1A" "cd\r\nef\r\n"), 20);
    ASSERT_TRUE(f.openAndSet(GetParam()));
    EXPECT_EQ(f.readAll(), (Lines{"ab", "cd", "ef"}));
    storage::fileSet(f.decl);
    storage::fileNext(f.decl);
    EXPECT_EQ(storage::fileBytes(f.decl), 3) << "the 0x1A counts as consumed";
    storage::fileNext(f.decl);
    EXPECT_EQ(storage::filePointer(f.decl), 4);
}

TEST_P(AsciiRead, EmptyLinesGiveBlankRecords)
{
    TextFile f(make("\r\n\r\nx\r\n"), 10);
    ASSERT_TRUE(f.openAndSet(GetParam()));
    f.setRecord("garbage");
    storage::fileNext(f.decl);
    ASSERT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(f.rawRecord(), std::string(10, ' '));
    EXPECT_EQ(f.readAll(), (Lines{"", "x"}));
}

TEST_P(AsciiRead, LongLinesAreCutAndTheirRestSkipped)
{
    std::string longLine(700, 'L');
    longLine[5] = '\t';  // a TAB in the first part takes the byte-by-byte path
    int32_t code = 0;
    EXPECT_EQ(read("abcdefghij\r\n" + std::string(1500, 'x') + "\r\nshort\r\n" + longLine + "\r\nend", 8, &code),
              (Lines{"abcdefgh", "xxxxxxxx", "short", "LLLLL", "end"}));
    EXPECT_EQ(code, 33);
}

TEST_P(AsciiRead, LineOfExactlyTheRecordLength)
{
    EXPECT_EQ(read("abcd\r\nefgh\r\nij", 4), (Lines{"abcd", "efgh", "ij"}));
    EXPECT_EQ(read("abcd", 4), (Lines{"abcd"}));
}

TEST_P(AsciiRead, TabSettings)
{
    EXPECT_EQ(read("a\tb\r\n", 20), (Lines{"a       b"}));
    EXPECT_EQ(read("a\tb\r\n", 20, nullptr, "TAB=0"), (Lines{"ab"}));
    EXPECT_EQ(read("a\tb\r\n", 20, nullptr, "TAB=-100"), (Lines{"a\tb"}));
    EXPECT_EQ(read("a\tb\r\n", 20, nullptr, "TAB=-3"), (Lines{"a   b"}));
    EXPECT_EQ(read("abc\tb\r\n", 20, nullptr, "TAB=4"), (Lines{"abc b"}));
    // Expansion stops at the end of the record.
    EXPECT_EQ(read("abc\tdef\r\nnext\r\n", 6), (Lines{"abc", "next"}));
}

TEST_P(AsciiRead, LineFeedAloneEndsALineUnderTheDefaultEnd)
{
    EXPECT_EQ(read("one\ntwo\r\nthree\n\nfour", 20), (Lines{"one", "two", "three", "", "four"}));
    // A carriage return not followed by a line feed is part of the line.
    EXPECT_EQ(read("a\rb\r\n", 20), (Lines{"a\rb"}));
}

TEST_P(AsciiRead, ExplicitEndOfRecordKeepsItsExactMeaning)
{
    EXPECT_EQ(read("one\r\ntwo\nthree", 20, nullptr, "ENDOFRECORD=1,10"), (Lines{"one\r", "two", "three"}));
    // Set explicitly to CR LF, a lone LF is data again.
    EXPECT_EQ(read("one\ntwo\r\n", 20, nullptr, "ENDOFRECORD=2,13,10"), (Lines{"one\ntwo"}));
    EXPECT_EQ(read("a;b;;c", 20, nullptr, "ENDOFRECORD=1,59"), (Lines{"a", "b", "", "c"}));
}

TEST_P(AsciiRead, PointerBytesAndEof)
{
    TextFile f(make("ab\r\ncd\r\n"), 10);
    ASSERT_TRUE(f.openAndSet(GetParam()));
    EXPECT_EQ(storage::fileBytes(f.decl), 8) << "without a current record: the file size";
    EXPECT_FALSE(storage::fileEof(f.decl));
    storage::fileNext(f.decl);
    EXPECT_EQ(storage::filePointer(f.decl), 1);
    EXPECT_EQ(storage::fileBytes(f.decl), 4);
    storage::fileNext(f.decl);
    EXPECT_EQ(storage::filePointer(f.decl), 5);
    EXPECT_TRUE(storage::fileEof(f.decl));
}

TEST_P(AsciiRead, BytesCountsWhatALineReallyTook)
{
    TextFile f(make("ab\ncd\r\n" + std::string(30, 'z') + "\r\nq"), 10);
    ASSERT_TRUE(f.openAndSet(GetParam()));
    std::vector<int32_t> bytes;
    for (;;) {
        storage::fileNext(f.decl);
        if (runtime::errorCode() != 0)
            break;
        bytes.push_back(storage::fileBytes(f.decl));
    }
    EXPECT_EQ(bytes, (std::vector<int32_t>{3, 4, 32, 1}));
}

TEST_P(AsciiRead, GetPositionResetAndReget)
{
    TextFile f(make("first\r\nsecond\r\nthird\r\n"), 10);
    ASSERT_TRUE(f.openAndSet(GetParam()));
    storage::fileGetPosition(f.decl, 8);
    EXPECT_EQ(f.line(), "second");
    storage::fileGetPosition(f.decl, 10);
    EXPECT_EQ(f.line(), "cond") << "a position inside a line reads from there";
    storage::fileGetPosition(f.decl, 100);
    EXPECT_EQ(runtime::errorCode(), 33);

    storage::fileNext(f.decl);
    storage::fileNext(f.decl);
    std::string position = storage::filePosition(f.decl);
    EXPECT_EQ(position, std::string("\x08\x00\x00\x00", 4));
    storage::fileNext(f.decl);
    EXPECT_EQ(f.line(), "third");
    storage::fileReget(f.decl, position);
    EXPECT_EQ(f.line(), "second");
    storage::fileReset(f.decl, position);
    EXPECT_EQ(f.readAll(), (Lines{"second", "third"}));

    storage::fileSetPointer(f.decl, 16);
    EXPECT_EQ(f.readAll(), (Lines{"third"}));
}

TEST_P(AsciiRead, SmallBuffersGiveTheSameLines)
{
    std::string contents;
    Lines expected;
    for (int i = 0; i < 200; ++i) {
        std::string line(static_cast<size_t>(i * 7 % 1300), static_cast<char>('a' + i % 26));
        contents += line + (i % 3 ? "\r\n" : "\n");
        expected.push_back(line.substr(0, 600));
    }
    Lines big = read(contents, 600);
    Lines small = read(contents, 600, nullptr, "FILEBUFFERS=1");
    EXPECT_EQ(big, expected);
    EXPECT_EQ(small, expected);
}

TEST_P(AsciiRead, NextBeforeSetAndOnClosedFile)
{
    TextFile f(make("x\r\n"), 4);
    storage::fileNext(f.decl);
    EXPECT_EQ(runtime::errorCode(), 37);
    storage::fileOpen(f.decl, GetParam());
    storage::fileNext(f.decl);
    EXPECT_EQ(runtime::errorCode(), 33);
}

INSTANTIATE_TEST_SUITE_P(QuickScan, AsciiRead, ::testing::Values(kReadShared, kReadExclusive),
                         [](const auto& info) { return info.param == kReadShared ? "Off" : "On"; });

TEST(AsciiOem, TextFieldsAreConvertedOnRead)
{
    TempDir dir;
    std::string path = dir.file("oem.txt");
    ASSERT_TRUE(writeWholeFile(path, "caf\x82 \x9c\xc4\r\n"));
    TextFile f(path, 10, storage::kAttrOem);
    ASSERT_TRUE(f.openAndSet(kReadShared));
    storage::fileNext(f.decl);
    EXPECT_EQ(f.line(), "caf\xe9 \xa3-");
}

TEST(AsciiOpen, MissingFileAndBadNames)
{
    TempDir dir;
    TextFile missing(dir.file("nope.txt"), 10);
    storage::fileOpen(missing.decl, kReadShared);
    EXPECT_EQ(runtime::errorCode(), 2);
    EXPECT_FALSE(missing.decl.instance) << "a failed open leaves no instance";

    TextFile noFolder(dir.file("no/such/file.txt"), 10);
    storage::fileOpen(noFolder.decl, kReadShared);
    EXPECT_EQ(runtime::errorCode(), 3);

    TextFile tooLong("/" + std::string(255, 'n'), 10);
    storage::fileOpen(tooLong.decl, kReadShared);
    EXPECT_EQ(runtime::errorCode(), 45);
    TextFile empty("", 10);
    storage::fileOpen(empty.decl, kReadShared);
    EXPECT_EQ(runtime::errorCode(), 45);
}

}  // namespace
}  // namespace linkar::ascii::test
