// Program entry of Linkar: starts the window engine on the desktop and runs
// the program's main procedure. "--screenshots FOLDER" writes pictures of
// the windows instead (no display needed); "linkar COMMAND ..." runs one of
// the commands (command_line.h) without the desktop.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command_line.h"
#include "export_command.h"
#include "import_command.h"
#include "report_command.h"

#ifdef LINKAR_WITH_QT
#include <QApplication>
#include <QStyle>

#include "app/catalogue.h"
#include "app/procedure_registry.h"
#include "app/program_entry.h"
#include "screenshot_tour.h"
#include "reports/listing_reports.h"
#include "transfer/import_procedures.h"
#include "ui/engine.h"
#include "ui/qt/qt_backend.h"
#endif

namespace {

constexpr const char* kScreenshotOption = "--screenshots";
// Exit code when the program cannot start at all.
constexpr int kCannotStart = 1;

#ifdef LINKAR_WITH_QT
bool hasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// Every layer above the window engine registers the procedures the frame's
// menu starts, one line a layer, before Main starts; transfer/ and reports/
// add their lines here when they come.
void registerProcedures() {
  linkar::app::registerProcedures();
  linkar::transfer::registerProcedures();
  linkar::reports::registerProcedures();
}
#endif

// Every command of the program, one line a job.
void registerCommands() {
  linkar::app::cli::registerImportCommand();
  linkar::app::cli::registerReportCommand();
  linkar::app::cli::registerExportCommand();
}

constexpr const char* kHelpOption = "--help";

void usage() {
  std::fprintf(stderr, "usage: linkar [%s FOLDER] | %s | COMMAND ...\n", kScreenshotOption, kHelpOption);
}

}  // namespace

int main(int argc, char** argv) {
  registerCommands();
  if (argc > 1 && std::strcmp(argv[1], kHelpOption) == 0) {
    linkar::app::cli::printHelp();
    return 0;
  }
  if (argc > 1) {
    if (const auto* command = linkar::app::cli::findCommand(argv[1]))
      return command->run(std::vector<std::string>(argv + 2, argv + argc));
  }
  const char* screenshots = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], kScreenshotOption) == 0 && i + 1 < argc) {
      screenshots = argv[++i];
    } else {
      usage();
      return kCannotStart;
    }
  }
#ifdef LINKAR_WITH_QT
  if (screenshots && !hasDisplay()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!hasDisplay()) {
    std::fprintf(stderr,
                 "Linkar needs a graphical display; without one, start it under Xvfb: xvfb-run -a ./setup.sh start\n");
    return kCannotStart;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Linkar"));
  // The program's own icon file is not part of this build: a link icon of
  // the desktop theme stands in for it.
  QApplication::setWindowIcon(QApplication::style()->standardIcon(QStyle::SP_FileLinkIcon));
  linkar::ui::qt::QtBackend backend;
  linkar::ui::Engine engine(backend, linkar::app::programCatalogue());
  backend.setEngine(&engine);
  // HALT and STOP end the event loop; the process ends when it returns.
  engine.setProgramEndHandler([](int) {});
  QObject::connect(&backend, &linkar::ui::qt::QtBackend::programFinished, &application,
                   [](int code) { QApplication::exit(code); });
  registerProcedures();
  if (screenshots) {
    int written = linkar::app::runScreenshotTour(backend, QString::fromLocal8Bit(screenshots));
    return written > 0 ? 0 : kCannotStart;
  }
  engine.startMain(linkar::app::ProgramEntry);
  backend.requestPump();
  return QApplication::exec();
#else
  (void)screenshots;
  std::fprintf(stderr, "This build of Linkar has no desktop (Qt 6 was not found when it was built); "
                       "install qt6-base-dev and build again with ./setup.sh start\n");
  return kCannotStart;
#endif
}
