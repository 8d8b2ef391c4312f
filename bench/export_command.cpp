// Benchmark: "linkar export FILE" of a generated collection (100,000 sites
// in 500 categories; every third with site information, every fifth
// rated), through the program's export command. Reports sites per second
// (by the clock, and by the processor time the export took, which a busy
// machine does not shrink) and the longest timer tick; run by hand:
// bench_export_command [FOLDER] [SITES].
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

#include "bench/generated_sites.h"
#include "app/main/command_line.h"
#include "app/main/export_command.h"
#include "app/records.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "transfer/batch_loop.h"
#include "transfer/export_procedures.h"

namespace {

namespace fs = std::filesystem;
using namespace linkar;

constexpr int kDefaultSites = 100000;
constexpr int kCategories = 500;
constexpr int kInfoEvery = 3;
constexpr int kRatingEvery = 5;
constexpr int kHighestRating = 10;
bool storeSites(int sites) {
  return bench::storeSites(sites, [](int i) {
    const std::string n = std::to_string(i);
    const std::string category = "Category " + std::to_string(i % kCategories);
    const std::string location = "https://site" + n + ".example.com/path/page?id=" + n + "&from=bench";
    const std::string description = "Site number " + n + " <" + category + "> & more";
    app::putSite({location, description, category, i % kRatingEvery == 0 ? i % kHighestRating + 1 : 0, "https"});
    if (i % kInfoEvery == 0)
      runtime::assignFixed(app::URL_SiteInfo(), app::kSiteInfoSize, "Notes on site " + n + ": \"worth a look\"");
  });
}

// Processor time of this process so far, in seconds.
double processorSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path base = argc > 1 ? argv[1] : fs::temp_directory_path().string();
  int sites = argc > 2 ? std::atoi(argv[2]) : kDefaultSites;
  fs::path dir = base / ("linkar-export-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  if (::chdir(dir.c_str()) != 0) return 1;
  auto fillStart = std::chrono::steady_clock::now();
  if (!storeSites(sites)) {
    std::fprintf(stderr, "cannot store the sites: %s\n", std::string(runtime::errorText()).c_str());
    return 1;
  }
  double fillSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - fillStart).count();
  std::printf("%d sites in %d categories stored in %.1f s\n", sites, kCategories, fillSeconds);
  linkar::app::cli::registerExportCommand();
  const auto* command = linkar::app::cli::findCommand("export");
  for (const char* round : {"first export", "again (replacing)"}) {
    auto start = std::chrono::steady_clock::now();
    double processorStart = processorSeconds();
    int rc = command->run({"sites.html"});
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double processor = processorSeconds() - processorStart;
    transfer::BatchTimings t = transfer::lastBatchTimings();
    transfer::ExportCounts c = transfer::lastExportCounts();
    std::printf("%-18s exit %d  %.2f s  %.0f sites/s  (%.2f s of processor, %.0f sites/s of it)  %lld sites  "
                "%lld headings  %.1f MB  ticks %lld  longest tick %.1f ms\n",
                round, rc, seconds, static_cast<double>(c.sites) / seconds, processor,
                static_cast<double>(c.sites) / processor, static_cast<long long>(c.sites),
                static_cast<long long>(c.categories), static_cast<double>(fs::file_size("sites.html")) / 1e6,
                static_cast<long long>(t.ticks), static_cast<double>(t.longestTick.count()) / 1000.0);
  }
  fs::remove_all(dir);
  return 0;
}
