// The screenshot walk. Each picture is the frame as the desktop would show
// it (a title bar drawn above the client area, since an off-screen run has
// no window manager), with the open menus or dialog painted where they sit.

#include "screenshot_tour.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMdiArea>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionTitleBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/browse.h"
#include "app/browse_categories.h"
#include "app/browse_linkar.h"
#include "app/main_frame.h"
#include "app/program_entry.h"
#include "app/records.h"
#include "app/select_categories.h"
#include "app/shared_variables.h"
#include "app/standard_warning.h"
#include "app/update_linkar.h"
#include "reports/listing_reports.h"
#include "runtime/fixed_text.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "ui/key_codes.h"
#include "ui/qt/frame_window.h"
#include "ui/qt/list_control.h"
#include "ui/qt/message_dialog.h"
#include "ui/qt/qt_backend.h"
#include "ui/qt/window_view.h"
#include "transfer/export_procedures.h"
#include "ui/statements.h"
#include "screenshot_sites.h"

namespace linkar::app {
namespace {

using ui::qt::QtBackend;

// Height of the drawn title bar, in pixels.
constexpr int kTitleBarHeight = 24;
// Pixels the site browse's window is made wider and taller by.
constexpr int kGrownBy = 120;

void settle(QtBackend& backend) {
  for (int i = 0; i < 5; ++i) {
    backend.pump();
    QApplication::processEvents();
  }
}

QPixmap withTitleBar(QWidget* window) {
  QPixmap body = window->grab();
  QPixmap out(body.width(), body.height() + kTitleBarHeight);
  out.fill(window->palette().color(QPalette::Window));
  QPainter p(&out);
  QStyleOptionTitleBar bar;
  bar.initFrom(window);
  bar.rect = QRect(0, 0, body.width(), kTitleBarHeight);
  bar.text = window->windowTitle();
  bar.titleBarState = Qt::WindowActive;
  bar.state |= QStyle::State_Active;
  // Dialogs have only a close button; the frame has all three.
  bool dialog = window->windowType() == Qt::Dialog;
  bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton;
  if (!dialog) {
    bar.titleBarFlags |= Qt::WindowMinMaxButtonsHint;
    bar.subControls |= QStyle::SC_TitleBarMaxButton | QStyle::SC_TitleBarMinButton;
  }
  bar.palette.setColor(QPalette::Highlight, bar.palette.color(QPalette::Highlight));
  window->style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &p, window);
  p.drawPixmap(0, kTitleBarHeight, body);
  return out;
}

// The frame with top-level widgets painted over it where they stand.
QPixmap composite(QWidget* frame, const std::vector<QWidget*>& overlays) {
  QPixmap base = withTitleBar(frame);
  QPoint origin = frame->mapToGlobal(QPoint(0, 0)) - QPoint(0, kTitleBarHeight);
  QRect bounds(QPoint(0, 0), base.size());
  std::vector<std::pair<QPoint, QPixmap>> layers;
  for (QWidget* w : overlays) {
    if (!w || !w->isVisible()) continue;
    bool topLevel = w->isWindow() && !qobject_cast<QMenu*>(w);
    QPixmap pixmap = topLevel ? withTitleBar(w) : w->grab();
    QPoint at = w->mapToGlobal(QPoint(0, 0)) - origin - (topLevel ? QPoint(0, kTitleBarHeight) : QPoint());
    layers.emplace_back(at, pixmap);
    bounds |= QRect(at, pixmap.size());
  }
  QPixmap out(bounds.size());
  out.fill(Qt::transparent);
  QPainter p(&out);
  p.drawPixmap(-bounds.topLeft(), base);
  for (const auto& [at, pixmap] : layers) {
    QPoint to = at - bounds.topLeft();
    p.setPen(QColor(0, 0, 0, 60));
    p.drawRect(QRect(to, pixmap.size()).adjusted(-1, -1, 0, 0));
    p.drawPixmap(to, pixmap);
  }
  return out;
}

bool save(const QPixmap& pixmap, const QString& folder, const QString& name, int* written) {
  QString path = QDir(folder).filePath(name);
  if (!pixmap.save(path, "PNG")) {
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  ++*written;
  return true;
}

QAction* menuAction(QMenuBar* bar, const QString& text) {
  for (QAction* a : bar->actions())
    if (a->text() == text) return a;
  return nullptr;
}

QAction* itemIn(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions())
    if (a->text() == text) return a;
  return nullptr;
}

// Opens the top menu `top` (and its sub-menu `sub`, if given), pictures
// the frame and closes them again.
void pictureMenu(QtBackend& backend, const QString& top, const QString& sub, const QString& folder,
                 const QString& name, int* written) {
  ui::qt::FrameWindow* frame = backend.frame();
  QAction* topAction = menuAction(frame->menuBar(), top);
  if (!topAction || !topAction->menu()) {
    std::fprintf(stderr, "no menu %s\n", qPrintable(top));
    return;
  }
  QMenu* menu = topAction->menu();
  menu->popup(frame->menuBar()->mapToGlobal(frame->menuBar()->actionGeometry(topAction).bottomLeft()));
  frame->menuBar()->setActiveAction(topAction);
  settle(backend);
  std::vector<QWidget*> overlays{menu};
  if (!sub.isEmpty()) {
    if (QAction* subAction = itemIn(menu, sub); subAction && subAction->menu()) {
      menu->setActiveAction(subAction);
      QRect at = menu->actionGeometry(subAction);
      subAction->menu()->popup(menu->mapToGlobal(at.topRight()));
      settle(backend);
      overlays.push_back(subAction->menu());
    }
  }
  save(composite(frame, overlays), folder, name, written);
  for (auto it = overlays.rbegin(); it != overlays.rend(); ++it) static_cast<QMenu*>(*it)->hide();
  settle(backend);
}

// Pictures the message box thread `thread` has up, then presses `button`.
bool pictureBox(QtBackend& backend, int thread, const QString& folder, const QString& name, const QString& button,
                int* written) {
  ui::Engine& engine = *backend.engine();
  ui::Window* box = engine.dialogs().messageBox(thread);
  if (!box) {
    std::fprintf(stderr, "no message box for %s\n", qPrintable(name));
    return false;
  }
  ui::qt::MessageDialog* dialog = backend.messageDialog(box->id());
  if (!dialog) return false;
  save(composite(backend.frame(), {dialog}), folder, name, written);
  for (int f : box->fields()) {
    if (QPushButton* b = dialog->button(f); b && b->text() == button) {
      b->click();
      settle(backend);
      return true;
    }
  }
  std::fprintf(stderr, "no button %s in %s\n", qPrintable(button), qPrintable(name));
  return false;
}

// The frame grown to hold the MDI child `child` whole, the child in its
// top-left corner; the frame's size before.
QSize fitFrameTo(QtBackend& backend, QWidget* child) {
  ui::qt::FrameWindow* frame = backend.frame();
  QSize before = frame->size();
  frame->resize(child->width() + 40, frame->height() + child->height() - frame->mdiArea()->height() + 40);
  child->move(10, 10);
  settle(backend);
  return before;
}

// The newest open window with that label, or null.
ui::Window* windowLabelled(ui::Engine& engine, const std::string& label) {
  ui::Window* found = nullptr;
  for (ui::Window* w : engine.registry().windows())
    if (w->label() == label) found = w;
  return found;
}

// The real site browse over the sample collection, started as the frame's
// menu starts it, with the category lookup answered as a user choosing
// kScreenshotCategory would: each tab once, the "Category" tab limited to
// that category, the one-letter locator, and the window sized larger.
void pictureBrowse(QtBackend& backend, const QString& folder, int* written) {
  ui::Engine& engine = *backend.engine();
  auto config = std::make_shared<BrowseConfig>(browseLinkarConfig(UpdateLINKAR, [] {
    runtime::assignFixed(CAT().Category, sizeof CAT().Category, kScreenshotCategory);
    SharedResponse = kResponseCompleted;
  }));
  engine.start([config] { runBrowse(*config); }, kBrowseStack);
  settle(backend);
  ui::Window* model = windowLabelled(engine, "BROWSELINKAR$QUICKWINDOW");
  ui::qt::WindowView* view = model ? backend.view(model->id()) : nullptr;
  QTabBar* tabs = nullptr;
  if (view)
    if (QWidget* sheet = view->widget(model->fieldOf("CurrentTab"))) tabs = sheet->findChild<QTabBar*>();
  if (!tabs) {
    std::fprintf(stderr, "the site browse did not open\n");
    return;
  }
  int id = model->id();
  QSize frameSize = fitFrameTo(backend, backend.outer(id));
  static const char* const kTabPictures[] = {"17-browse-description.png", "18-browse-location.png",
                                             "19-browse-category.png", "20-browse-rating.png",
                                             "21-browse-keyword.png"};
  for (int tab = 0; tab < tabs->count() && tab < 5; ++tab) {
    tabs->setCurrentIndex(tab);
    settle(backend);
    save(withTitleBar(backend.frame()), folder, QLatin1String(kTabPictures[tab]), written);
  }
  // "Categories" on the "Category" tab chooses the range.
  tabs->setCurrentIndex(2);
  settle(backend);
  if (auto* choose = qobject_cast<QPushButton*>(view->widget(model->fieldOf("SelectCategory")))) {
    choose->click();
    settle(backend);
    save(withTitleBar(backend.frame()), folder, QStringLiteral("22-browse-category-range.png"), written);
  }
  // Typing a letter on the list in the "Description" tab.
  tabs->setCurrentIndex(0);
  settle(backend);
  if (ui::qt::ListControl* list = view->list(model->fieldOf("Browse"))) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, QStringLiteral("p"));
    QApplication::sendEvent(list, &key);
    settle(backend);
    save(withTitleBar(backend.frame()), folder, QStringLiteral("23-browse-locator.png"), written);
  }
  // Sized by the user: the list shows more rows, and the browse fills them.
  QWidget* child = backend.outer(id);
  child->resize(child->size() + QSize(kGrownBy, kGrownBy));
  settle(backend);
  fitFrameTo(backend, child);
  save(withTitleBar(backend.frame()), folder, QStringLiteral("24-browse-sized.png"), written);
  engine.input().close(id);
  settle(backend);
  backend.frame()->resize(frameSize);
  settle(backend);
}

// Presses a button of a window as the user clicks it.
bool clickButton(QtBackend& backend, ui::Window* model, const char* button) {
  ui::qt::WindowView* view = model ? backend.view(model->id()) : nullptr;
  auto* push = view ? qobject_cast<QPushButton*>(view->widget(model->fieldOf(button))) : nullptr;
  if (!push) return false;
  push->click();
  settle(backend);
  return true;
}

// "Browse Categories" as the frame's menu starts it, with the locator on
// kScreenshotCategory; its "Locations"; and "Category Assignment" as the
// HTML import calls it.
void pictureCategories(QtBackend& backend, const QString& folder, int* written) {
  ui::Engine& engine = *backend.engine();
  engine.start(BrowseCategories, kBrowseStack);
  settle(backend);
  ui::Window* categories = windowLabelled(engine, "BROWSECATEGORIES$QUICKWINDOW");
  ui::qt::WindowView* view = categories ? backend.view(categories->id()) : nullptr;
  if (!view) {
    std::fprintf(stderr, "the category browse did not open\n");
    return;
  }
  if (ui::qt::ListControl* list = view->list(categories->fieldOf("Browse"))) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, QStringLiteral("p"));
    QApplication::sendEvent(list, &key);
    settle(backend);
  }
  save(withTitleBar(backend.frame()), folder, QStringLiteral("25-browse-categories.png"), written);
  if (clickButton(backend, categories, "Locations")) {
    save(withTitleBar(backend.frame()), folder, QStringLiteral("26-browse-location-by-category.png"), written);
    clickButton(backend, windowLabelled(engine, "BROWSEURL:K_CATEGORY$QUICKWINDOW"), "Close");
  }
  clickButton(backend, categories, "Close");

  engine.start(
      [] {
        runtime::assignFixed(CAT().Category, sizeof CAT().Category, kScreenshotCategory);
        SharedRequest = kRequestSelect;
        SelectCategory();
      },
      kBrowseStack);
  settle(backend);
  ui::Window* lookup = windowLabelled(engine, "SELECTCATEGORY$QUICKWINDOW");
  if (lookup) {
    save(withTitleBar(backend.frame()), folder, QStringLiteral("27-category-assignment.png"), written);
    clickButton(backend, lookup, "BestGuess");
  }
}

// Presses a control or menu item of a window as the user does.
void pressField(QtBackend& backend, ui::Window* model, const char* use) {
  if (!model) return;
  backend.engine()->input().press(model->id(), model->fieldOf(use));
  settle(backend);
}

// "Print by Location" over the sample collection, as the frame's menu
// starts it; its preview, made larger than declared so that the pages
// show their text, in single, facing and zoomed modes.
void picturePreview(QtBackend& backend, const QString& folder, int* written) {
  constexpr const char* kPreview = "REPORTPREVIEW$PREVIEWWINDOW";
  constexpr int kWaitRounds = 500;
  const QSize kShown(900, 640);
  ui::Engine& engine = *backend.engine();
  engine.start([] { reports::runListing(*reports::findListing("PrintURL:K_Location")); }, kBrowseStack);
  ui::Window* preview = nullptr;
  for (int i = 0; i < kWaitRounds && !preview; ++i) {
    settle(backend);
    preview = windowLabelled(engine, kPreview);
  }
  QWidget* child = preview ? backend.outer(preview->id()) : nullptr;
  if (!child) {
    std::fprintf(stderr, "the print preview did not open\n");
    return;
  }
  child->resize(kShown);
  settle(backend);
  QSize frameSize = fitFrameTo(backend, child);
  save(withTitleBar(backend.frame()), folder, QStringLiteral("28-preview-single.png"), written);
  pressField(backend, preview, "FacingPages");
  pressField(backend, preview, "NextPage");
  save(withTitleBar(backend.frame()), folder, QStringLiteral("29-preview-facing.png"), written);
  pressField(backend, preview, "LeftRegion");
  save(withTitleBar(backend.frame()), folder, QStringLiteral("30-preview-zoomed.png"), written);
  pressField(backend, preview, "CancelPrint");
  backend.frame()->resize(frameSize);
  settle(backend);
}

// "Export to HTML Document" as the frame's "&Export" opens it.
void pictureExport(QtBackend& backend, const QString& folder, int* written) {
  ui::Engine& engine = *backend.engine();
  engine.start(transfer::Export, kBrowseStack);
  settle(backend);
  ui::Window* window = windowLabelled(engine, "EXPORT$WINDOW");
  if (!window) return;
  save(withTitleBar(backend.frame()), folder, QStringLiteral("31-export.png"), written);
  clickButton(backend, window, "Cancel");
}

// Moves the walk into a folder of its own: the sample data files and the
// settings file are written there, never into the user's.
class SampleFolder {
 public:
  SampleFolder() {
    if (!m_dir.isValid()) return;
    m_previous = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()).constData(), 1);
    std::string error;
    m_ready = writeScreenshotSites(&error);
    if (!m_ready) std::fprintf(stderr, "no sample sites: %s\n", error.c_str());
  }
  ~SampleFolder() {
    if (!m_previous.isEmpty()) QDir::setCurrent(m_previous);
  }
  SampleFolder(const SampleFolder&) = delete;
  SampleFolder& operator=(const SampleFolder&) = delete;

  bool ready() const { return m_ready; }

 private:
  QTemporaryDir m_dir;
  QString m_previous;
  bool m_ready = false;
};

}  // namespace

int runScreenshotTour(QtBackend& backend, const QString& target) {
  // The folder as named from where the program started.
  const QString folder = QDir(target).absolutePath();
  QDir().mkpath(folder);
  SampleFolder samples;
  int written = 0;
  ui::Engine& engine = *backend.engine();
  engine.startMain(ProgramEntry);
  settle(backend);
  ui::qt::FrameWindow* frame = backend.frame();
  if (!frame) {
    std::fprintf(stderr, "the frame did not open\n");
    return 0;
  }
  settle(backend);
  save(withTitleBar(frame), folder, QStringLiteral("01-frame.png"), &written);
  pictureMenu(backend, QStringLiteral("&File"), QStringLiteral("&Import"), folder,
              QStringLiteral("02-frame-file-menu.png"), &written);
  pictureMenu(backend, QStringLiteral("&Browse"), {}, folder, QStringLiteral("03-frame-browse-menu.png"), &written);
  pictureMenu(backend, QStringLiteral("&Reports"), QStringLiteral("Locations"), folder,
              QStringLiteral("04-frame-reports-menu.png"), &written);
  pictureMenu(backend, QStringLiteral("&Window"), {}, folder, QStringLiteral("05-frame-window-menu.png"), &written);
  pictureMenu(backend, QStringLiteral("&Help"), {}, folder, QStringLiteral("06-frame-help-menu.png"), &written);

  // The About box, chosen from the menu as a user would.
  ui::Window* model = engine.window(frame->windowId());
  int about = model ? model->fieldOf("About") : 0;
  if (QAction* a = frame->action(about)) a->trigger();
  settle(backend);
  pictureBox(backend, 1, folder, QStringLiteral("07-about.png"), QStringLiteral("OK"), &written);

  // The list control with a page of sample rows, in the browse window's layout.
  int sample = 0;
  int listThread = engine.start(
      [&sample] {
        sample = ui::openWindow("BROWSELINKAR$QUICKWINDOW");
        ui::Window* w = ui::engine().window(sample);
        int list = w->fieldOf("Browse");
        ui::ListSource rows;
        rows.count = [] { return size_t{6}; };
        rows.cell = [](size_t row, size_t column) -> std::string {
          static const char* const kSites[6][5] = {
              {"Debian", "https://www.debian.org/", "Software", "9", "linux"},
              {"Kernel archives", "https://www.kernel.org/", "Software", "8", "kernel"},
              {"Qt documentation", "https://doc.qt.io/", "Programming", "9", "qt"},
              {"cppreference", "https://en.cppreference.com/", "Programming", "10", "c++"},
              {"Wikipedia", "https://www.wikipedia.org/", "Reference", "7", "wiki"},
              {"OpenStreetMap", "https://www.openstreetmap.org/", "Maps", "8", "maps"}};
          return kSites[row % 6][column % 5];
        };
        w->setListSource(list, rows);
        ui::selectControl(list, 2);
        ui::display();
        while (ui::acceptEvent()) {
        }
      },
      0);
  settle(backend);
  if (QWidget* child = backend.outer(sample)) {
    QSize designed = fitFrameTo(backend, child);
    save(withTitleBar(frame), folder, QStringLiteral("15-list-control.png"), &written);
    frame->resize(designed);
  }
  if (ui::Window* w = engine.window(sample)) engine.input().close(w->id());
  settle(backend);
  (void)listThread;

  // A form and a progress window with sample values, for their controls.
  int form = 0;
  int progress = 0;
  engine.start(
      [&form] {
        form = ui::openWindow("UPDATELINKAR$QUICKWINDOW");
        ui::Window* w = ui::engine().window(form);
        w->setTitle("Changing a Location");
        static const char* const kValues[][2] = {{"URL:LOCATION", "https://www.debian.org/"},
                                                 {"URL:DESCRIPTION", "Debian"},
                                                 {"URL:CATEGORY", "Software"},
                                                 {"URL:RATING", "9"},
                                                 {"URL:KEYWORD", "linux"}};
        for (const auto& value : kValues) w->state(w->fieldOf(value[0])).text = std::string(value[1]);
        ui::display();
        while (ui::acceptEvent()) {
        }
      },
      0);
  engine.start(
      [&progress] {
        progress = ui::openWindow("IMPORTHTML$PROGRESSWINDOW");
        ui::Window* w = ui::engine().window(progress);
        w->setTimer(0);
        w->state(w->fieldOf("ProgressBar")).progress = 40;
        w->state(w->fieldOf("PercentText")).text = std::string("40% Completed");
        w->state(w->fieldOf("ActivityText")).text = std::string("Reading File");
        ui::display();
        while (ui::acceptEvent()) {
        }
      },
      0);
  settle(backend);
  if (QWidget* child = backend.outer(form)) {
    child->move(10, 10);
    if (QWidget* box = backend.outer(progress))
      box->move(frame->mapToGlobal(QPoint(frame->width() - box->width() - 16, frame->height() - box->height() - 40)));
    settle(backend);
    save(composite(frame, {backend.outer(progress)}), folder, QStringLiteral("16-form-and-progress.png"), &written);
  }
  for (int id : {form, progress})
    if (engine.window(id)) engine.input().close(id);
  settle(backend);

  if (samples.ready()) pictureBrowse(backend, folder, &written);
  if (samples.ready()) pictureCategories(backend, folder, &written);
  if (samples.ready()) pictureExport(backend, folder, &written);
  if (samples.ready()) picturePreview(backend, folder, &written);

  // One box of each button layout, from a procedure of its own.
  int thread = engine.start(
      [] {
        runtime::setErrorFromCode(runtime::err::kAccessDenied);  // a file another program holds
        StandardWarning(2, "LINKAR");
        StandardWarning(16);
        StandardWarning(32);
        StandardWarning(34, "Delete", "Categories");
        ui::stop("The printer is not ready.", true);
        StandardWarning(30, "LINKAR.SDF");
      },
      0);
  settle(backend);
  pictureBox(backend, thread, folder, QStringLiteral("08-yes-no.png"), QStringLiteral("&Yes"), &written);
  pictureBox(backend, thread, folder, QStringLiteral("09-yes-no-cancel.png"), QStringLiteral("Cancel"), &written);
  pictureBox(backend, thread, folder, QStringLiteral("10-ok-cancel.png"), QStringLiteral("Cancel"), &written);
  pictureBox(backend, thread, folder, QStringLiteral("11-ok.png"), QStringLiteral("OK"), &written);
  pictureBox(backend, thread, folder, QStringLiteral("12-abort-ignore.png"), QStringLiteral("&Ignore"), &written);
  pictureBox(backend, thread, folder, QStringLiteral("13-file-access-error.png"), QStringLiteral("OK"), &written);
  pictureBox(backend, thread, folder, QStringLiteral("14-halt.png"), QStringLiteral("OK"), &written);
  settle(backend);
  return written;
}

}  // namespace linkar::app
