// "Browse Locations" against the size of the site file: the time of one
// page down, one page up, one one-letter locate and one thumb drag, each
// driven through the headless window engine as a user would do it (the
// event, the browse's handling of it, the page redisplayed), and the heap
// the open browse holds. Site files of 1,000, 100,000 and 1,000,000
// records are written once into the folder given and reused.
// Run by hand: browse_events [folder] [scale], scale 1.0 = full sizes.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <sys/stat.h>

#include "app/browse_linkar.h"
#include "app/catalogue.h"
#include "app/check_open.h"
#include "app/records.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "runtime/packed_decimal.h"
#include "storage/layer/file_statements.h"
#include "ui/headless/test_driver.h"
#include "ui/key_codes.h"

namespace {

using namespace linkar;
using Clock = std::chrono::steady_clock;

const int kSizes[] = {1000, 100000, 1000000};
constexpr int kEvents = 200;           // of each kind, per size
constexpr int kCommitEvery = 20000;    // records per commit while writing a file
constexpr int kStackBytes = 50000;     // the browse's stack, as the frame starts it
constexpr const char* kList = "Browse";
const char* const kWords[] = {"news", "Tech", "sport", "music", "Art", "travel", "food", "code", "science", "games"};

void fail(const char* what) {
  std::fprintf(stderr, "browse_events: %s: %.*s (%d)\n", what, 80, runtime::errorText().data(), runtime::errorCode());
  std::exit(1);
}

// Writes `n` random sites into LINKAR in the current folder, unless the file
// there already holds exactly that many.
void ensureSites(int n) {
  storage::fileOpen(app::LINKAR, app::kCheckOpenMode);
  if (runtime::errorCode() == 0) {
    const int32_t have = storage::fileRecords(app::LINKAR);
    storage::fileClose(app::LINKAR);
    if (have == n) return;
  }
  std::printf("  writing %d sites ...\n", n);
  std::fflush(stdout);
  storage::fileCreate(app::LINKAR);
  if (runtime::errorCode() != 0) fail("create LINKAR");
  storage::fileOpen(app::LINKAR, app::kCheckOpenMode);
  std::mt19937 rng(static_cast<unsigned>(n));
  app::LinkarRecord& url = app::URL();
  for (int i = 0; i < n; ++i) {
    if (i % kCommitEvery == 0) storage::fileLogout(app::LINKAR);
    storage::fileClear(app::LINKAR);
    const std::string word = kWords[rng() % 10];
    runtime::assignFixed(url.LOCATION, sizeof url.LOCATION,
                         "http://www." + word + std::to_string(rng() % 1000000) + ".example.com/" + std::to_string(i));
    runtime::assignFixed(url.DESCRIPTION, sizeof url.DESCRIPTION,
                         std::string(kWords[rng() % 10]) + " site " + std::to_string(rng() % 50000));
    runtime::assignFixed(url.CATEGORY, sizeof url.CATEGORY, "Cat" + std::to_string(rng() % 20));
    runtime::packInteger(std::span<uint8_t>(url.RATING, sizeof url.RATING), 0, static_cast<int64_t>(rng() % 11));
    runtime::assignFixed(url.KEYWORD, sizeof url.KEYWORD, kWords[rng() % 10]);
    storage::fileAdd(app::LINKAR);
    if (runtime::errorCode() != 0) fail("add a site");
    if (i % kCommitEvery == kCommitEvery - 1 || i == n - 1) storage::fileCommit(app::LINKAR);
  }
  storage::fileClose(app::LINKAR);
}

size_t heapInUse() { return mallinfo2().uordblks; }

// Microseconds per call of `event` over `count` calls.
double timePerEvent(int count, const std::function<void(int)>& event) {
  const auto t0 = Clock::now();
  for (int i = 0; i < count; ++i) event(i);
  return std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / count;
}

struct Figures {
  double pageDown = 0, pageUp = 0, locate = 0, thumb = 0;
  long long heldBytes = 0;
  int rows = 0;
};

Figures measure(int records) {
  ui::TestDriver driver{app::programCatalogue()};
  driver.startFrame();  // the browse is a child window of the frame
  const size_t before = heapInUse();
  driver.start(app::BrowseLINKAR, kStackBytes);
  ui::Window* w = driver.find("Browse Locations");
  if (!w || !driver.chooseTab(*w, "Location")) fail("open the browse");
  Figures f;
  f.rows = static_cast<int>(ui::TestDriver::rows(*w, kList).size());
  // Page down from the top, then back up, never reaching an end: every
  // event reads a whole new page.
  const int pages = std::clamp(records / std::max(f.rows, 1) - 1, 1, kEvents);
  f.pageDown = timePerEvent(pages, [&](int) { driver.key(*w, kList, ui::Key::kPgDnKey); });
  f.pageUp = timePerEvent(pages, [&](int) { driver.key(*w, kList, ui::Key::kPgUpKey); });
  f.locate = timePerEvent(kEvents, [&](int i) { driver.typeChar(*w, kList, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"[i % 26]); });
  f.thumb = timePerEvent(kEvents, [&](int i) { driver.dragThumb(*w, kList, 2 + (i * 37) % 97); });
  f.heldBytes = static_cast<long long>(heapInUse()) - static_cast<long long>(before);
  if (ui::TestDriver::rows(*w, kList).empty()) fail("the browse shows no rows");
  driver.close(*w);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp/linkar-browse-bench";
  const double scale = argc > 2 ? std::atof(argv[2]) : 1.0;
  ::mkdir(folder.c_str(), 0755);
  std::printf("%-10s %6s %12s %12s %12s %12s %14s\n", "records", "rows", "page down", "page up", "locate",
              "thumb drag", "browse heap");
  for (int size : kSizes) {
    const int n = std::max(1, static_cast<int>(size * scale));
    const std::string dir = folder + "/" + std::to_string(n);
    ::mkdir(dir.c_str(), 0755);
    if (::chdir(dir.c_str()) != 0) fail("enter the folder");
    ensureSites(n);
    const Figures f = measure(n);
    std::printf("%-10d %6d %9.0f us %9.0f us %9.0f us %9.0f us %11lld B\n", n, f.rows, f.pageDown, f.pageUp,
                f.locate, f.thumb, f.heldBytes);
    std::fflush(stdout);
  }
  return 0;
}
