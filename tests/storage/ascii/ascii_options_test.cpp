// SEND answers and changes, options from the declaration, the registration
// block, names, and what the common dispatch does with this driver's table.
#include <gtest/gtest.h>

#include <string>

#include "ascii_fixture.h"
#include "runtime/string_stack.h"
#include "storage/layer/driver_registration.h"
#include "storage/layer/op_codes.h"
#include "tests/support/temp_dir.h"

namespace linkar::ascii::test {
namespace {

using linkar::test::CurrentDirectoryScope;
using linkar::test::TempDir;
using linkar::test::writeWholeFile;

constexpr int32_t kShared = storage::kAccessRead | storage::kDenyNone;
constexpr int32_t kExclusive = storage::kAccessReadWrite | storage::kDenyAll;

class AsciiOptions : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(writeWholeFile(m_path, "a\tb\r\n")); }
    TempDir m_dir;
    std::string m_path = m_dir.file("o.txt");
};

TEST_F(AsciiOptions, AnswersAreTheValuesBeforeTheChange)
{
    TextFile f(m_path, 100);
    ASSERT_TRUE(f.openAndSet(kShared));
    EXPECT_EQ(f.send("CLIP"), "ON");
    EXPECT_EQ(f.send("CLIP=OFF"), "ON");
    EXPECT_EQ(f.send(" c l i p "), "OFF") << "blanks are dropped, case ignored";
    EXPECT_EQ(f.send("CLIP=MAYBE"), "OFF");
    EXPECT_EQ(f.send("CLIP"), "OFF") << "a bad value changes nothing";

    EXPECT_EQ(f.send("QUICKSCAN"), "OFF") << "deny none starts without it";
    EXPECT_EQ(f.send("QUICKSCAN=on"), "OFF");
    EXPECT_EQ(f.send("QUICKSCAN"), "ON");

    EXPECT_EQ(f.send("TAB"), "8");
    EXPECT_EQ(f.send("TAB=-100"), "8");
    EXPECT_EQ(f.send("TAB=x"), "-100");
    EXPECT_EQ(f.send("TAB"), "-100");

    EXPECT_EQ(f.send("ENDOFRECORD"), "\r\n");
    EXPECT_EQ(f.send("ENDOFRECORD=1,10"), "\r\n");
    EXPECT_EQ(f.send("ENDOFRECORD=2,10"), "\n") << "fewer codes than the count";
    EXPECT_EQ(f.send("ENDOFRECORD=1,256"), "\n");
    EXPECT_EQ(f.send("ENDOFRECORD"), "\n");

    EXPECT_EQ(f.send("TABS"), "");
    EXPECT_EQ(f.send("T"), "") << "the full name must follow the first letter";
    EXPECT_EQ(f.send("NONSENSE=1"), "");
    EXPECT_EQ(f.send(""), "");
}

TEST_F(AsciiOptions, FileBuffersCountsInUnitsOf512)
{
    TextFile f(m_path, 100);
    ASSERT_TRUE(f.openAndSet(kShared));
    EXPECT_EQ(f.send("FILEBUFFERS=4"), "512");
    EXPECT_EQ(f.send("FILEBUFFERS"), "2048");
    EXPECT_EQ(f.send("FILEBUFFERS=0"), "2048");
    EXPECT_EQ(f.send("FILEBUFFERS"), "2048");
    storage::fileClose(f.decl);

    ASSERT_TRUE(f.openAndSet(kExclusive));
    EXPECT_EQ(f.send("FILEBUFFERS"), "1024");
    EXPECT_EQ(f.send("QUICKSCAN"), "ON");
    storage::fileClose(f.decl);

    TextFile wide(m_path, 1000);
    ASSERT_TRUE(wide.openAndSet(kShared));
    EXPECT_EQ(wide.send("FILEBUFFERS"), "2000") << "at least twice the record";
}

TEST_F(AsciiOptions, DeclaredOptionsApplyAfterTheDefaults)
{
    TextFile f(m_path, 100, 0, "ignored/TAB=0/clip=off");
    ASSERT_TRUE(f.openAndSet(kShared));
    EXPECT_EQ(f.send("CLIP"), "OFF");
    storage::fileSet(f.decl);
    storage::fileNext(f.decl);
    EXPECT_EQ(f.line(), "ab");
}

TEST_F(AsciiOptions, RegisterAnswersTheBlockAndLeavesNoInstanceOnAClosedFile)
{
    TextFile f(m_path, 100);
    std::string answer = f.send("REGISTER  ");
    const storage::DriverRegistration* block = storage::registrationFromAnswer(answer);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block, &asciiRegistration());
    EXPECT_STREQ(block->name.data(), "ASCII");
    EXPECT_STREQ(block->description.data(), "Ascii File Driver 1.0");
    EXPECT_EQ(block->limits[8], 121u);
    EXPECT_TRUE(block->handles(storage::op::kNext));
    EXPECT_FALSE(block->handles(storage::op::kPrevious));
    EXPECT_FALSE(f.decl.instance);

    ASSERT_TRUE(f.openAndSet(kShared));
    EXPECT_EQ(f.send("REGISTER"), answer);
    EXPECT_TRUE(f.decl.instance) << "an open file keeps its instance";
    EXPECT_EQ(f.send("register"), "") << "only the exact word asks for the block";
}

TEST_F(AsciiOptions, NamesResolveFromTheCurrentDirectory)
{
    CurrentDirectoryScope here(m_dir.path());
    TextFile f("o.txt", 10);
    EXPECT_EQ(storage::fileName(f.decl), "o.txt");
    ASSERT_TRUE(f.openAndSet(kShared));
    EXPECT_EQ(storage::fileName(f.decl), m_path);
    storage::fileNext(f.decl);
    EXPECT_EQ(f.line(), "a       b");

    TextFile dotted("./sub/../o.txt", 10);
    ASSERT_TRUE(dotted.openAndSet(kShared));
    EXPECT_EQ(storage::fileName(dotted.decl), m_path);

    // A deep folder's file: the whole path may fill a 255-character variable.
    const std::string deep(255, 'n');
    TextFile longest(deep, 10);
    storage::fileOpen(longest.decl, kShared);
    EXPECT_EQ(runtime::errorCode(), 2) << "255 characters is still a name";
    TextFile tooLong(deep + "n", 10);
    storage::fileOpen(tooLong.decl, kShared);
    EXPECT_EQ(runtime::errorCode(), 45);
}

TEST_F(AsciiOptions, TableAndUnsupportedCodes)
{
    TextFile f(m_path, 10);
    ASSERT_TRUE(f.openAndSet(kShared));
    storage::fileOpen(f.decl, kShared);
    EXPECT_EQ(runtime::errorCode(), 52);
    storage::filePrevious(f.decl);
    EXPECT_EQ(runtime::errorCode(), 80);
    storage::fileNext(f.decl);
    EXPECT_EQ(runtime::errorCode(), 0);
    storage::fileLogout(f.decl);
    EXPECT_EQ(runtime::errorCode(), 80);
    EXPECT_EQ(storage::fileCurrentOrder(f.decl), 0);
    EXPECT_EQ(storage::fileViewEngine(f.decl), 0);
    // POINTER does not clear an earlier error.
    storage::fileLogout(f.decl);
    EXPECT_EQ(storage::filePointer(f.decl), 1);
    EXPECT_EQ(runtime::errorCode(), 80);
}

TEST(AsciiDeclaration, KeysAndMemosAreRefused)
{
    TempDir dir;
    TextFile f(dir.file("k.txt"), 10);
    storage::KeyDecl key;
    storage::KeyDecl* keys[] = {&key};
    f.decl.keyCount = 1;
    f.decl.keys = keys;
    storage::fileOpen(f.decl, kShared);
    EXPECT_EQ(runtime::errorCode(), 47);
    EXPECT_FALSE(f.decl.instance);

    TextFile huge(dir.file("h.txt"), 10);
    huge.decl.recordLength = 70000;
    storage::fileOpen(huge.decl, kShared);
    EXPECT_EQ(runtime::errorCode(), 47);
}

}  // namespace
}  // namespace linkar::ascii::test
