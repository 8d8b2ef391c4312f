// Shared set-up of the desktop tests: an off-screen QApplication, the Qt
// backend and an engine over it opening the tests' own windows, with
// program ends kept inside the test.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <memory>

#include "tests/ui/test_catalogue.h"
#include "ui/engine.h"
#include "ui/qt/qt_backend.h"

namespace linkar::ui::qt::testing {

inline QApplication& application() {
  static int argc = 1;
  static char name[] = "linkar-test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down among the other static objects at
  // process exit is not safe.
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// Made first, so that the application exists before any widget or printer.
struct ApplicationFirst {
  ApplicationFirst() { application(); }
};

struct Harness : ApplicationFirst {
  Harness() : engine(backend, testCatalogue()) {
    backend.setEngine(&engine);
    engine.setProgramEndHandler([](int) {});
  }
  ~Harness() { QApplication::processEvents(); }

  // Lets the event loop and the procedure threads settle.
  void settle() {
    for (int i = 0; i < 4; ++i) {
      backend.pump();
      QApplication::processEvents();
    }
  }

  // A main procedure that opens the catalogue's frame and loops until it
  // closes.
  void startFrame() {
    engine.startMain([] {
      Engine& e = *Engine::instance();
      e.registry().openWindow(e.catalogue().application()->label);
      while (e.loop().acceptEvent()) {
      }
    });
    settle();
  }

  void key(QWidget* target, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers);
    QApplication::sendEvent(target, &press);
    settle();
  }

  QtBackend backend;
  Engine engine;
};

}  // namespace linkar::ui::qt::testing
