// The update form's delete confirmation, its editing window and the writes
// behind "OK".
#include "app/update_form.h"

#include "app/file_use.h"
#include "app/form_bindings.h"
#include "app/record_bindings.h"
#include "app/shared_variables.h"
#include "app/standard_warning.h"
#include "app/warning_table.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

constexpr int kMsgRecordInsertError = 14;
constexpr int kMsgRecordUpdateError = 16;
constexpr int kMsgDeleteRetry = 18;
constexpr int kMsgDuplicateKeyError = 24;
constexpr int kMsgConfirmDelete = 32;

constexpr const char* kSheet = "CurrentTab";
constexpr const char* kOkButton = "OK";
constexpr const char* kCancelButton = "Cancel";

// A routine under the busy cursor.
IntegrityOutcome busy(const std::function<IntegrityOutcome()>& routine) {
  ui::setBusy(true);
  const IntegrityOutcome outcome = routine();
  ui::setBusy(false);
  return outcome;
}

bool isSheetChange(int event) {
  return event == ui::Event::Accepted || event == ui::Event::NewSelection || event == ui::Event::TabChanging ||
         event == ui::Event::Selected;
}

class FormRun {
 public:
  FormRun(const UpdateFormConfig& config, ProcedureFrame& frame) : m_config(config), m_frame(frame) {}

  // Request 3: no window; confirm, then delete until done or given up.
  void confirmAndDelete() {
    if (StandardWarning(kMsgConfirmDelete) != static_cast<int>(kButtonOk)) return;
    for (;;) {
      if (busy(m_config.remove) == IntegrityOutcome::kDone) {
        m_frame.setResponse(kResponseCompleted);
        return;
      }
      if (StandardWarning(kMsgDeleteRetry) != static_cast<int>(kButtonYes)) return;
    }
  }

  // Any other request: the window and its accept loop.
  void edit() {
    if (m_config.part) m_part = m_config.part(m_frame);
    const int window = m_frame.openWindow(m_config.window);
    ui::Window& w = *ui::engine().window(window);
    if (m_frame.request() == kRequestInsert) w.setTitle(m_config.insertTitle);
    if (m_frame.request() == kRequestChange) w.setTitle(m_config.changeTitle);
    bindFormControls(window, *m_config.file);
    if (m_part) m_part->attach(window);
    m_first = w.fieldOf(m_config.firstField);
    m_sheet = w.fieldOf(kSheet);
    m_ok = w.fieldOf(kOkButton);
    m_cancel = w.fieldOf(kCancelButton);
    while (ui::acceptEvent()) {
      if (m_frame.handleCommonEvent([this] { initialise(); }, [this] { refresh(); })) continue;
      handleEvent();
    }
    if (m_part) m_part->suspend();
  }

 private:
  void initialise() {
    refresh();
    ui::selectControl(m_first);
  }

  void refresh() {
    if (m_part) m_part->refresh();
    ui::display();
  }

  void backToEditing() {
    ui::display();
    ui::selectControl(m_first);
  }

  void handleEvent() {
    const int event = ui::event();
    const int field = ui::field();
    if (event == ui::Event::Sized) {
      if (m_part) m_part->handleEvent();
      m_frame.setForceRefresh(true);
      ui::display();
      return;
    }
    if (m_part && m_part->handleEvent()) return;
    if (field != 0 && field == m_sheet && isSheetChange(event)) {
      refresh();
    } else if (event == ui::Event::Accepted && field != 0 && field == m_ok) {
      const int request = m_frame.request();
      if (request == kRequestInsert || request == kRequestChange)
        ui::acceptAll();
      else
        ui::post(ui::Event::Completed);
    } else if (event == ui::Event::Accepted && field != 0 && field == m_cancel) {
      m_frame.setResponse(kResponseCancelled);
      ui::post(ui::Event::CloseWindow);
    } else if (event == ui::Event::Completed) {
      if (m_frame.request() == kRequestInsert) insert();
      if (m_frame.request() == kRequestChange) change();
    }
  }

  void insert() {
    storage::fileAdd(*m_config.file);
    const int32_t error = runtime::errorCode();
    if (error == 0) {
      m_frame.setResponse(kResponseCompleted);
      ui::post(ui::Event::CloseWindow);
      return;
    }
    if (error == runtime::err::kCreatesDuplicateKey) {
      // Another key may have refused it; only the unique one is the user's to mend.
      if (!storage::fileDuplicateKey(*m_config.file, *m_config.uniqueKey)) return;
      StandardWarning(kMsgDuplicateKeyError, m_config.keyText);
    } else {
      StandardWarning(kMsgRecordInsertError);
    }
    ui::selectControl(m_first);
  }

  void change() {
    m_frame.setResponse(kResponseCancelled);
    for (;;) {
      if (m_part) m_part->suspend();
      const IntegrityOutcome outcome = busy(m_config.update);
      if (outcome == IntegrityOutcome::kDone) {
        m_frame.setResponse(kResponseCompleted);
        ui::post(ui::Event::CloseWindow);
        return;
      }
      if (outcome == IntegrityOutcome::kFailed) {
        const int answer = StandardWarning(kMsgRecordUpdateError);
        if (answer == static_cast<int>(kButtonYes)) continue;
        if (answer == static_cast<int>(kButtonNo)) {
          ui::post(ui::Event::CloseWindow);
          return;
        }
      }
      // Cancel, or a duplicate name: back to editing.
      if (m_part) m_part->resume();
      backToEditing();
      return;
    }
  }

  const UpdateFormConfig& m_config;
  ProcedureFrame& m_frame;
  std::unique_ptr<FormPart> m_part;
  int m_first = 0;
  int m_sheet = 0;
  int m_ok = 0;
  int m_cancel = 0;
};

}  // namespace

void runUpdateForm(const UpdateFormConfig& config) {
  ProcedureFrame frame(config.procedure);
  std::vector<FileUse> files = useAndBind(config.files);
  {
    FormRun run(config, frame);
    if (frame.request() == kRequestDelete)
      run.confirmAndDelete();
    else
      run.edit();
  }
  for (FileUse& f : files) f.release();
  frame.finish();
}

}  // namespace linkar::app
