// Benchmark: "linkar import html" of a generated bookmark file in the
// layout of a Chromium-family export (CR LF, one anchor a line with a
// ~1 KB inline icon, 10,000 bookmarks in 100 folders, about 11 MB), first
// into empty data files, then again when every site is already stored.
// Reports sites and lines per second and the longest timer tick; run by
// hand: bench_import_command [FOLDER] [BOOKMARKS].
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/main/command_line.h"
#include "app/main/import_command.h"
#include "transfer/batch_loop.h"
#include "transfer/import_run.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDefaultBookmarks = 10000;
constexpr int kFolders = 100;
constexpr size_t kIconBytes = 1024;

std::string base64Noise(std::mt19937& random, size_t n) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string s(n, 'A');
  for (char& c : s) c = kAlphabet[random() % 64];
  return s;
}

// Returns the number of lines written.
int64_t writeBookmarks(const std::string& path, int bookmarks) {
  std::mt19937 random(17);
  std::ofstream out(path, std::ios::binary);
  int64_t lines = 0;
  auto line = [&](const std::string& text) {
    out << text << "\r\n";
    ++lines;
  };
  line("<!DOCTYPE NETSCAPE-Bookmark-file-1>");
  line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">");
  line("<TITLE>Bookmarks</TITLE>");
  line("<H1>Bookmarks</H1>");
  line("<DL><p>");
  int perFolder = bookmarks / kFolders;
  for (int f = 0; f < kFolders; ++f) {
    line("    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000001\">Folder " + std::to_string(f) + "</H3>");
    line("    <DL><p>");
    for (int i = 0; i < perFolder; ++i) {
      int n = f * perFolder + i;
      line("        <DT><A HREF=\"https://site" + std::to_string(n) + ".example.com/path/page?id=" +
           std::to_string(n) + "\" ADD_DATE=\"1700000002\" ICON=\"data:image/png;base64," +
           base64Noise(random, kIconBytes) + "\">Bookmark number " + std::to_string(n) + " &amp; more</A>");
    }
    line("    </DL><p>");
  }
  line("</DL><p>");
  return lines;
}

void runOnce(const char* what, const std::string& file, int64_t lines, int bookmarks) {
  const auto* command = linkar::app::cli::findCommand("import");
  auto start = std::chrono::steady_clock::now();
  int rc = command->run({"html", file});
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  linkar::transfer::BatchTimings t = linkar::transfer::lastBatchTimings();
  linkar::transfer::ImportCounts c = linkar::transfer::lastImportCounts();
  std::printf("%-22s exit %d  %.2f s  %.0f sites/s  %.0f lines/s  added %lld  already stored %lld  ticks %lld  "
              "longest tick %.1f ms\n",
              what, rc, seconds, bookmarks / seconds, static_cast<double>(lines) / seconds,
              static_cast<long long>(c.added), static_cast<long long>(c.duplicates), static_cast<long long>(t.ticks),
              static_cast<double>(t.longestTick.count()) / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path base = argc > 1 ? argv[1] : fs::temp_directory_path().string();
  int bookmarks = argc > 2 ? std::atoi(argv[2]) : kDefaultBookmarks;
  fs::path dir = base / ("linkar-import-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  if (::chdir(dir.c_str()) != 0) return 1;
  std::string file = (dir / "bookmarks.html").string();
  int64_t lines = writeBookmarks(file, bookmarks);
  std::printf("%d bookmarks in %d folders, %lld lines, %.1f MB\n", bookmarks, kFolders,
              static_cast<long long>(lines), static_cast<double>(fs::file_size(file)) / 1e6);
  linkar::app::cli::registerImportCommand();
  runOnce("into empty files", file, lines, bookmarks);
  runOnce("all already stored", file, lines, bookmarks);
  fs::remove_all(dir);
  return 0;
}
