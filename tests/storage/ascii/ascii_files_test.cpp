// Whole-file operations and sharing: CREATE, REMOVE, COPY, RENAME, EMPTY,
// share conflicts between opens, and the file lock between two processes.
// A file that another open holds is never deleted, cut or emptied.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "ascii_fixture.h"
#include "platform/file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::ascii::test {
namespace {

using linkar::test::ChildProcess;
using linkar::test::readWholeFile;
using linkar::test::Rendezvous;
using linkar::test::TempDir;
using linkar::test::writeWholeFile;
using std::chrono::steady_clock;

constexpr int32_t kReadShared = storage::kAccessRead | storage::kDenyNone;
constexpr int32_t kWriteShared = storage::kAccessReadWrite | storage::kDenyNone;
constexpr int32_t kWriteOnlyShared = storage::kAccessWrite | storage::kDenyNone;
constexpr int32_t kAllMine = storage::kAccessReadWrite | storage::kDenyAll;
constexpr int kStepMs = 5000;  // longest wait for the other process's step

class AsciiFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(writeWholeFile(m_path, kContents)); }
    static constexpr const char* kContents = "keep me\r\n";
    TempDir m_dir;
    std::string m_path = m_dir.file("data.txt");
};

TEST_F(AsciiFiles, CreateNeedsTheAttributeAndCutsTheFile)
{
    TextFile plain(m_path, 10);
    storage::fileCreate(plain.decl);
    EXPECT_EQ(runtime::errorCode(), 54);
    EXPECT_EQ(readWholeFile(m_path), kContents);

    TextFile creatable(m_path, 10, storage::kAttrCreate);
    storage::fileCreate(creatable.decl);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(readWholeFile(m_path), "");
    EXPECT_FALSE(creatable.decl.instance) << "CREATE leaves the file closed";

    TextFile fresh(m_dir.file("new.txt"), 10, storage::kAttrCreate);
    storage::fileCreate(fresh.decl);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_TRUE(fresh.openAndSet(kReadShared));
}

TEST_F(AsciiFiles, RemoveCopyRename)
{
    TextFile missing(m_dir.file("missing.txt"), 10);
    storage::fileRemove(missing.decl);
    EXPECT_EQ(runtime::errorCode(), 2);

    TextFile f(m_path, 10);
    std::string padded = m_dir.file("copy.txt");
    padded.append(3, ' ');
    storage::fileCopy(f.decl, padded);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(readWholeFile(m_dir.file("copy.txt")), kContents);
    storage::fileCopy(f.decl, m_path);
    EXPECT_NE(runtime::errorCode(), 0) << "a file is not copied onto itself";
    EXPECT_EQ(readWholeFile(m_path), kContents);

    storage::fileRename(f.decl, m_dir.file("copy.txt"));
    EXPECT_NE(runtime::errorCode(), 0) << "renaming never replaces a file";
    storage::fileRename(f.decl, m_dir.file("moved.txt"));
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(readWholeFile(m_dir.file("moved.txt")), kContents);

    TextFile copy(m_dir.file("copy.txt"), 10);
    storage::fileRemove(copy.decl);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(access(m_dir.file("copy.txt").c_str(), F_OK), -1);

    TextFile open(m_dir.file("moved.txt"), 10);
    ASSERT_TRUE(open.openAndSet(kReadShared));
    storage::fileRemove(open.decl);
    EXPECT_EQ(runtime::errorCode(), 52) << "REMOVE needs the file closed";
}

TEST_F(AsciiFiles, ShareModesRefuseConflictingOpensWithAccessDenied)
{
    TextFile first(m_path, 10);
    ASSERT_TRUE(first.openAndSet(kAllMine));
    TextFile second(m_path, 10);
    storage::fileOpen(second.decl, kReadShared);
    EXPECT_EQ(runtime::errorCode(), 5);
    EXPECT_FALSE(second.decl.instance);
    storage::fileClose(first.decl);
    EXPECT_TRUE(second.openAndSet(kReadShared));
}

TEST_F(AsciiFiles, AFileHeldHereIsNeitherRemovedNorCutNorEmptied)
{
    TextFile holder(m_path, 10);
    ASSERT_TRUE(holder.openAndSet(storage::kAccessRead | storage::kDenyWrite));
    TextFile other(m_path, 10, storage::kAttrCreate);
    storage::fileRemove(other.decl);
    EXPECT_EQ(runtime::errorCode(), 5);
    storage::fileCreate(other.decl);
    EXPECT_EQ(runtime::errorCode(), 5);
    EXPECT_EQ(readWholeFile(m_path), kContents);
    storage::fileClose(holder.decl);

    // A shared writer that holds the lock, beside a reader that denies reading.
    platform::File reader;
    ASSERT_EQ(reader.open(m_path, platform::OpenMode{platform::Access::Read, true, false}), 0);
    TextFile writer(m_path, 10);
    ASSERT_TRUE(writer.openAndSet(kWriteOnlyShared));
    storage::fileLock(writer.decl);
    storage::fileEmpty(writer.decl);
    EXPECT_EQ(runtime::errorCode(), 5);
    reader.close();
    storage::fileEmpty(writer.decl);
    EXPECT_EQ(runtime::errorCode(), 0) << "once the reader is gone";
    storage::fileClose(writer.decl);
    EXPECT_EQ(readWholeFile(m_path), "");
    ASSERT_TRUE(writeWholeFile(m_path, kContents));

    // Deny write shares nothing at all, not even reading.
    TextFile denyWrite(m_path, 10);
    ASSERT_TRUE(denyWrite.openAndSet(storage::kAccessRead | storage::kDenyWrite));
    TextFile reading(m_path, 10);
    storage::fileOpen(reading.decl, kReadShared);
    EXPECT_EQ(runtime::errorCode(), 5);
    EXPECT_EQ(readWholeFile(m_path), kContents);
}

TEST_F(AsciiFiles, AFileHeldByAnotherProcessSurvives)
{
    Rendezvous meet;
    ChildProcess child([&] {
        meet.becomeChild();
        TextFile holder(m_path, 10);
        if (!holder.openAndSet(kReadShared))
            return 1;
        meet.signal();
        if (!meet.waitFor(kStepMs))
            return 2;
        return 0;
    });
    meet.becomeParent();
    ASSERT_TRUE(meet.waitFor(kStepMs));
    TextFile other(m_path, 10, storage::kAttrCreate);
    storage::fileRemove(other.decl);
    EXPECT_EQ(runtime::errorCode(), 5);
    storage::fileCreate(other.decl);
    EXPECT_EQ(runtime::errorCode(), 5);
    EXPECT_EQ(readWholeFile(m_path), kContents);
    meet.signal();
    EXPECT_EQ(child.wait(kStepMs), 0);
    storage::fileRemove(other.decl);
    EXPECT_EQ(runtime::errorCode(), 0) << "once the other open is gone";
}

TEST_F(AsciiFiles, LockBetweenTwoProcesses)
{
    Rendezvous meet;
    ChildProcess child([&] {
        meet.becomeChild();
        TextFile f(m_path, 10);
        if (!f.openAndSet(kWriteShared))
            return 1;
        storage::fileLock(f.decl);
        if (runtime::errorCode() != 0)
            return 2;
        meet.signal();
        if (!meet.waitFor(kStepMs))
            return 3;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        storage::fileUnlock(f.decl);
        if (runtime::errorCode() != 0)
            return 4;
        return meet.waitFor(kStepMs) ? 0 : 5;
    });
    meet.becomeParent();
    ASSERT_TRUE(meet.waitFor(kStepMs));

    TextFile f(m_path, 10);
    ASSERT_TRUE(f.openAndSet(kWriteShared));
    auto start = steady_clock::now();
    storage::fileLockTimed(f.decl, 1);
    auto waited = steady_clock::now() - start;
    EXPECT_EQ(runtime::errorCode(), 32);
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));

    // A write to a shared file waits for the lock the other process holds.
    meet.signal();
    f.setRecord("added");
    storage::fileAdd(f.decl);
    EXPECT_EQ(runtime::errorCode(), 0);
    storage::fileLock(f.decl);
    EXPECT_EQ(runtime::errorCode(), 0);
    storage::fileUnlock(f.decl);
    EXPECT_EQ(runtime::errorCode(), 0);
    storage::fileEmpty(f.decl);
    EXPECT_EQ(runtime::errorCode(), 63) << "after UNLOCK a shared open is not exclusive";
    meet.signal();
    EXPECT_EQ(child.wait(kStepMs), 0);
    storage::fileClose(f.decl);
    std::string expected = kContents;
    expected.append("added\r\n");
    EXPECT_EQ(readWholeFile(m_path), expected);
}

TEST_F(AsciiFiles, SharedAppendsFromTwoProcessesLoseNothing)
{
    constexpr int kLines = 200;
    auto appendLines = [&](char who) {
        TextFile f(m_path, 10);
        if (!f.openAndSet(kWriteShared))
            return 1;
        for (int i = 0; i < kLines; ++i) {
            std::string text(1, who);
            text += std::to_string(i);
            f.setRecord(text);
            storage::fileAdd(f.decl);
            if (runtime::errorCode() != 0)
                return 2;
        }
        storage::fileClose(f.decl);
        return 0;
    };
    ChildProcess child([&] { return appendLines('c'); });
    EXPECT_EQ(appendLines('p'), 0);
    EXPECT_EQ(child.wait(kStepMs * 2), 0);

    TextFile f(m_path, 10);
    ASSERT_TRUE(f.openAndSet(kReadShared));
    auto lines = f.readAll();
    std::set<std::string> unique(lines.begin(), lines.end());
    EXPECT_EQ(lines.size(), 2u * kLines + 1);
    EXPECT_EQ(unique.size(), 2u * kLines + 1);
}

}  // namespace
}  // namespace linkar::ascii::test
