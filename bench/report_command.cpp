// Benchmark: "linkar report location --pdf FILE" over a generated
// collection (100,000 sites in 500 categories), through the program's
// report command: the listing under its progress window, the preview
// answered with "&Print!", every page replayed into the PDF. Reports pages
// per second, the run's phases and the longest timer tick of the listing;
// run by hand: bench_report_command [FOLDER] [SITES].
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "bench/generated_sites.h"
#include "app/records.h"
#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "transfer/batch_loop.h"

#ifdef LINKAR_WITH_QT
#include "app/main/command_line.h"
#include "app/main/report_command.h"
#include "reports/listing_reports.h"
#endif

namespace {

namespace fs = std::filesystem;
using namespace linkar;

constexpr int kDefaultSites = 100000;
constexpr int kCategories = 500;
constexpr int kHighestRating = 10;
bool storeSites(int sites) {
  return bench::storeSites(sites, [](int i) {
    const std::string n = std::to_string(i);
    const std::string category = "Category " + std::to_string(i % kCategories);
    app::putSite({"https://site" + n + ".example.com/path/page?id=" + n, "Site number " + n, category,
                  i % (kHighestRating + 1), "https"});
  });
}

}  // namespace

int main(int argc, char** argv) {
#ifdef LINKAR_WITH_QT
  fs::path base = argc > 1 ? argv[1] : fs::temp_directory_path().string();
  int sites = argc > 2 ? std::atoi(argv[2]) : kDefaultSites;
  fs::path dir = base / ("linkar-report-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  if (::chdir(dir.c_str()) != 0) return 1;
  auto fillStart = std::chrono::steady_clock::now();
  if (!storeSites(sites)) {
    std::fprintf(stderr, "cannot store the sites: %s\n", std::string(runtime::errorText()).c_str());
    return 1;
  }
  double fillSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - fillStart).count();
  std::printf("%d sites in %d categories stored in %.1f s\n", sites, kCategories, fillSeconds);
  app::cli::registerReportCommand();
  const auto* command = app::cli::findCommand("report");
  auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  int rc = command->run({"location", "--pdf", "sites.pdf"});
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // On a shared machine the processor time tells the program's own speed.
  double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  transfer::BatchTimings t = transfer::lastBatchTimings();
  reports::ListingCounts c = reports::lastListingCounts();
  std::printf("exit %d  %.2f s (%.2f s processor)  %.0f pages/s (%.0f a processor second)  %.0f sites/s  "
              "%lld sites on %d pages  %.1f MB  listing: %lld ticks, longest tick %.1f ms\n",
              rc, seconds, cpuSeconds, c.pages / seconds, c.pages / cpuSeconds, static_cast<double>(c.records) / seconds,
              static_cast<long long>(c.records), c.pages, static_cast<double>(fs::file_size("sites.pdf")) / 1e6,
              static_cast<long long>(t.ticks), static_cast<double>(t.longestTick.count()) / 1000.0);
  fs::remove_all(dir);
  return rc;
#else
  (void)argc;
  (void)argv;
  std::fprintf(stderr, "the report benchmark writes a PDF through Qt 6, which this build does not have\n");
  return 1;
#endif
}
