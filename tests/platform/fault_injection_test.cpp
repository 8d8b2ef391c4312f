// Injected faults at the I/O choke point: failed and short writes, failed
// flushes, and crashes that drop exactly what was written since the last
// flush of each file.

#include <gtest/gtest.h>

#include <string>

#include "platform/fault_injection.h"
#include "platform/file.h"
#include "tests/support/temp_dir.h"

namespace linkar::platform {
namespace {

using faults::Fault;
using test::readWholeFile;
using test::writeWholeFile;

constexpr std::uint8_t kShared = kShareDenyNone | kAccessReadWrite;

class FaultInjectionTest : public ::testing::Test {
 protected:
  int put(File& f, std::uint64_t offset, const std::string& s) {
    return f.write(offset, s.data(), s.size());
  }
  test::TempDir m_dir;
  faults::FaultScope m_scope;  // disarms whatever a test left armed
};

TEST_F(FaultInjectionTest, TheNthWriteFailsAndWritesNothing) {
  const std::string path = m_dir.file("w.dat");
  File f;
  ASSERT_EQ(f.open(path, kShared, Disposition::CreateNew), 0);
  faults::armFault(Fault::FailWrite, 3);
  EXPECT_EQ(put(f, 0, "aa"), 0);
  EXPECT_EQ(put(f, 2, "bb"), 0);
  std::size_t written = 7;
  EXPECT_EQ(f.write(4, "cc", 2, &written), kErrorWriteFault);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(lastOsError(), kErrorWriteFault);
  EXPECT_TRUE(faults::faultTriggered());
  EXPECT_EQ(put(f, 4, "dd"), 0);  // only the nth
  EXPECT_EQ(faults::writesSinceArmed(), 4);
  EXPECT_EQ(readWholeFile(path), "aabbdd");
}

TEST_F(FaultInjectionTest, TheNthWriteIsShortAndReportsDiskFull) {
  const std::string path = m_dir.file("s.dat");
  File f;
  ASSERT_EQ(f.open(path, kShared, Disposition::CreateNew), 0);
  faults::armFault(Fault::ShortWrite, 1);
  std::size_t written = 0;
  EXPECT_EQ(f.write(0, "abcdefgh", 8, &written), kErrorHandleDiskFull);
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(readWholeFile(path), "abcd");
}

TEST_F(FaultInjectionTest, TheNthFlushFailsAndLeavesTheDataUnflushed) {
  const std::string path = m_dir.file("f.dat");
  File f;
  ASSERT_EQ(f.open(path, kShared, Disposition::CreateNew), 0);
  faults::trackCrashes();
  faults::armFault(Fault::FailFlush, 2);
  ASSERT_EQ(put(f, 0, "one"), 0);
  EXPECT_EQ(f.flush(), 0);
  ASSERT_EQ(put(f, 0, "two"), 0);
  EXPECT_EQ(f.flush(), kErrorWriteFault);
  EXPECT_EQ(faults::flushesSinceArmed(), 2);
  faults::simulateCrash();
  f.close();
  EXPECT_EQ(readWholeFile(path), "one");
}

TEST_F(FaultInjectionTest, CrashDropsUnflushedWritesAndKeepsFlushedOnes) {
  const std::string path = m_dir.file("c.dat");
  ASSERT_TRUE(writeWholeFile(path, "0123456789"));
  File f;
  ASSERT_EQ(f.open(path, kShared), 0);
  faults::trackCrashes();
  ASSERT_EQ(put(f, 2, "AB"), 0);
  ASSERT_EQ(f.flush(), 0);  // durable: 01AB456789
  ASSERT_EQ(put(f, 1, "xyz"), 0);
  ASSERT_EQ(put(f, 3, "QQQQQQQQQQQQ"), 0);  // overlaps, and grows the file
  ASSERT_EQ(put(f, 40, "far"), 0);
  ASSERT_EQ(f.setSize(6), 0);
  ASSERT_EQ(put(f, 8, "end"), 0);
  faults::simulateCrash();
  EXPECT_TRUE(faults::crashed());

  // After the crash nothing reaches the file any more.
  char c;
  std::size_t got = 0;
  EXPECT_EQ(put(f, 0, "late"), kErrorWriteFault);
  EXPECT_EQ(f.flush(), kErrorWriteFault);
  EXPECT_EQ(f.read(0, &c, 1, &got), kErrorReadFault);
  f.close();
  EXPECT_EQ(readWholeFile(path), "01AB456789");

  faults::resetFaults();
  ASSERT_EQ(f.open(path, kShared), 0);  // recovery can reopen and work
  EXPECT_EQ(put(f, 10, "!"), 0);
  f.close();
  EXPECT_EQ(readWholeFile(path), "01AB456789!");
}

TEST_F(FaultInjectionTest, CrashRestoresEveryFileToItsOwnLastFlush) {
  const std::string a = m_dir.file("a.dat");
  const std::string b = m_dir.file("b.dat");
  const std::string fresh = m_dir.file("fresh.dat");
  ASSERT_TRUE(writeWholeFile(a, "aaaa"));
  ASSERT_TRUE(writeWholeFile(b, "bbbb"));
  faults::trackCrashes();
  File fa, fb, fb2, ff;
  ASSERT_EQ(fa.open(a, kShared), 0);
  ASSERT_EQ(fb.open(b, kShared), 0);
  ASSERT_EQ(fb2.open(b, kShared), 0);
  ASSERT_EQ(ff.open(fresh, kShared, Disposition::CreateNew), 0);
  ASSERT_EQ(put(fa, 0, "AA"), 0);
  ASSERT_EQ(put(fb, 0, "BB"), 0);
  ASSERT_EQ(fb2.flush(), 0);  // a flush through any open of b makes BB durable
  ASSERT_EQ(put(fb2, 2, "CC"), 0);
  ASSERT_EQ(put(ff, 0, "new"), 0);
  fa.close();  // closing does not flush
  faults::simulateCrash();
  EXPECT_EQ(readWholeFile(a), "aaaa");
  EXPECT_EQ(readWholeFile(b), "BBbb");
  EXPECT_EQ(readWholeFile(fresh), "");
}

TEST_F(FaultInjectionTest, CrashAtTheNthWriteOrFlush) {
  const std::string path = m_dir.file("n.dat");
  File f;
  ASSERT_EQ(f.open(path, kShared, Disposition::CreateNew), 0);
  faults::armFault(Fault::CrashAtWrite, 3);
  ASSERT_EQ(put(f, 0, "first"), 0);
  ASSERT_EQ(f.flush(), 0);
  ASSERT_EQ(put(f, 5, "second"), 0);
  EXPECT_EQ(put(f, 11, "third"), kErrorWriteFault);
  EXPECT_TRUE(faults::crashed());
  f.close();
  EXPECT_EQ(readWholeFile(path), "first");

  faults::resetFaults();
  ASSERT_EQ(f.open(path, kShared), 0);
  faults::armFault(Fault::CrashAtFlush, 2);
  ASSERT_EQ(put(f, 0, "FIRST"), 0);
  ASSERT_EQ(f.flush(), 0);
  ASSERT_EQ(put(f, 0, "lost!"), 0);
  EXPECT_EQ(f.flush(), kErrorWriteFault);
  EXPECT_TRUE(faults::crashed());
  f.close();
  EXPECT_EQ(readWholeFile(path), "FIRST");
}

TEST_F(FaultInjectionTest, CountingOnlyLetsEveryWriteThrough) {
  const std::string path = m_dir.file("k.dat");
  File f;
  ASSERT_EQ(f.open(path, kShared, Disposition::CreateNew), 0);
  faults::armFault(Fault::None, 0);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(put(f, static_cast<std::uint64_t>(i), "x"), 0);
  ASSERT_EQ(f.flush(), 0);
  EXPECT_EQ(faults::writesSinceArmed(), 5);
  EXPECT_EQ(faults::flushesSinceArmed(), 1);
  EXPECT_FALSE(faults::faultTriggered());
  EXPECT_EQ(readWholeFile(path), "xxxxx");
}

TEST_F(FaultInjectionTest, CreateAlwaysIsUndoneByACrash) {
  const std::string path = m_dir.file("t.dat");
  ASSERT_TRUE(writeWholeFile(path, "keep me"));
  faults::trackCrashes();
  File f;
  ASSERT_EQ(f.open(path, kShared, Disposition::CreateAlways), 0);
  ASSERT_EQ(put(f, 0, "new"), 0);
  faults::simulateCrash();
  f.close();
  EXPECT_EQ(readWholeFile(path), "keep me");
}

}  // namespace
}  // namespace linkar::platform
