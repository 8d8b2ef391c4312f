// The message box as a desktop dialog: built from the engine's message
// structure (text, icon, buttons at their dialog-unit places), modeless to
// the application and held modal to its procedure thread by the engine.
#pragma once

#include <QDialog>
#include <vector>

#include "ui/window.h"

class QPushButton;

namespace linkar::ui::qt {

class MessageDialog : public QDialog {
  Q_OBJECT

 public:
  MessageDialog(const Window& box, QWidget* parent);

  // The button of a field, or null.
  QPushButton* button(int field) const;
  // The field of the button that has the focus, 0 if none has.
  int focusedButton() const;

  // The theme icon standing for an icon text of the message structure: a
  // decimal icon code, or the four-byte name of a system icon.
  static QIcon iconFor(const std::string& iconText);

 signals:
  void buttonPressed(int field);
  void escapePressed();

 protected:
  void keyPressEvent(QKeyEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  std::vector<std::pair<int, QPushButton*>> m_buttons;  // widgets owned by the dialog
};

}  // namespace linkar::ui::qt
