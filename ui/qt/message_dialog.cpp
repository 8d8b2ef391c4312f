// The message dialog's construction and keys. Enter presses the button
// that has the focus (the default one when the box opens); Esc and the
// title bar's close button are reported to the engine, which decides.

#include "ui/qt/message_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <cstdlib>

#include "ui/message_box.h"
#include "ui/qt/desktop_fonts.h"
#include "ui/qt/display_text.h"

namespace linkar::ui::qt {
namespace {

// The four-byte name of a system icon: 0xFF, 0x01, identifier low byte first.
constexpr unsigned char kNamedIconMark = 0xFF;
constexpr unsigned char kNamedIconSystem = 0x01;
constexpr int kSystemIconHand = 32513;         // 0x7F01
constexpr int kSystemIconQuestion = 32514;     // 0x7F02
constexpr int kSystemIconExclamation = 32515;  // 0x7F03
constexpr int kSystemIconAsterisk = 32516;     // 0x7F04

QStyle::StandardPixmap pixmapForCode(int code) {
  switch (code) {
    case Icon::kHand: return QStyle::SP_MessageBoxCritical;
    case Icon::kQuestion: return QStyle::SP_MessageBoxQuestion;
    case Icon::kExclamation: return QStyle::SP_MessageBoxWarning;
    default: return QStyle::SP_MessageBoxInformation;
  }
}

int codeForSystemIcon(int id) {
  switch (id) {
    case kSystemIconHand: return Icon::kHand;
    case kSystemIconQuestion: return Icon::kQuestion;
    case kSystemIconExclamation: return Icon::kExclamation;
    case kSystemIconAsterisk: return Icon::kAsterisk;
    default: return Icon::kNone;
  }
}

}  // namespace

QIcon MessageDialog::iconFor(const std::string& iconText) {
  int code = Icon::kNone;
  if (iconText.size() == 4 && static_cast<unsigned char>(iconText[0]) == kNamedIconMark &&
      static_cast<unsigned char>(iconText[1]) == kNamedIconSystem) {
    int id = static_cast<unsigned char>(iconText[2]) | (static_cast<unsigned char>(iconText[3]) << 8);
    code = codeForSystemIcon(id);
  } else if (!iconText.empty() && std::isdigit(static_cast<unsigned char>(iconText[0]))) {
    code = std::atoi(iconText.c_str());
  } else if (!iconText.empty()) {
    QIcon fromFile(QString::fromStdString(iconText));
    if (!fromFile.isNull() && !fromFile.availableSizes().isEmpty()) return fromFile;
  }
  if (code == Icon::kNone) return {};
  return QApplication::style()->standardIcon(pixmapForCode(code));
}

MessageDialog::MessageDialog(const Window& box, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  const Structure& s = box.decl();
  QFont font = desktopFont(s);
  setFont(font);
  DialogUnits units = dialogUnits(font);
  setWindowTitle(toDisplay(box.title()));
  setModal(false);
  setFixedSize(units.toPixelsX(s.at.width), units.toPixelsY(s.at.height));

  for (const ControlDecl& c : s.controls) {
    QRect at = c.at ? units.toPixels(*c.at) : QRect();
    switch (c.type) {
      case ControlType::String: {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        QString text = toDisplay(box.text(c.field));
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        label->setText(text);
        label->setGeometry(at);
        break;
      }
      case ControlType::Image: {
        auto* label = new QLabel(this);
        QIcon icon = iconFor(c.text);
        int side = std::min(at.width(), at.height());
        if (!icon.isNull()) label->setPixmap(icon.pixmap(side, side));
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(at);
        break;
      }
      case ControlType::Button: {
        auto* button = new QPushButton(toDisplay(c.text), this);
        button->setGeometry(at);
        button->setAutoDefault(false);
        int field = c.field;
        connect(button, &QPushButton::clicked, this, [this, field] { emit buttonPressed(field); });
        m_buttons.emplace_back(c.field, button);
        if (c.isDefault) {
          button->setDefault(true);
          button->setFocus(Qt::OtherFocusReason);
        }
        break;
      }
      default:
        break;
    }
  }
}

QPushButton* MessageDialog::button(int field) const {
  for (const auto& [f, b] : m_buttons)
    if (f == field) return b;
  return nullptr;
}

int MessageDialog::focusedButton() const {
  for (const auto& [f, b] : m_buttons)
    if (b->hasFocus()) return f;
  for (const auto& [f, b] : m_buttons)
    if (b->isDefault()) return f;
  return 0;
}

void MessageDialog::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (int f = focusedButton()) emit buttonPressed(f);
      return;
    case Qt::Key_Escape:
      emit escapePressed();
      return;
    default:
      QDialog::keyPressEvent(e);
  }
}

void MessageDialog::closeEvent(QCloseEvent* e) {
  // The engine closes the box when the procedure has its answer.
  e->ignore();
  emit escapePressed();
}

}  // namespace linkar::ui::qt
