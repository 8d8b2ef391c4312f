// Filter conversion and the dialog's set-up.

#include "ui/qt/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "ui/qt/display_text.h"

namespace linkar::ui::qt {
namespace {

// The pattern the program writes for "every file".
constexpr const char* kEveryFile = "*.*";

QString patternList(const QString& patterns) {
  QStringList out;
  for (QString p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    p = p.trimmed();
    if (p.isEmpty()) continue;
    out << (p == QLatin1String(kEveryFile) ? QStringLiteral("*") : p);
  }
  return out.join(QLatin1Char(' '));
}

}  // namespace

QStringList nameFilters(std::string_view programFilters) {
  QStringList parts = toDisplay(programFilters).split(QLatin1Char('|'));
  QStringList out;
  static const QRegularExpression trailingGroup(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = patternList(parts[i + 1]);
    if (patterns.isEmpty()) continue;
    // The description often repeats its patterns in parentheses; the
    // desktop reads the patterns from there, so ours replace them.
    QString description = parts[i].trimmed();
    description.remove(trailingGroup);
    if (description.isEmpty()) description = patterns;
    out << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  if (out.isEmpty()) out << QStringLiteral("All Files (*)");
  return out;
}

QFileDialog* makeFileDialog(const FileDialogRequest& request, QWidget* parent) {
  auto* dialog = new QFileDialog(parent, toDisplay(request.title));
  dialog->setNameFilters(nameFilters(request.filters));
  dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(request.save || !request.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  if (!request.fileName.empty()) {
    QFileInfo offered(toDisplay(request.fileName));
    if (offered.isDir()) {
      dialog->setDirectory(offered.absoluteFilePath());
    } else {
      dialog->setDirectory(offered.absolutePath());
      dialog->selectFile(offered.fileName());
    }
  }
  return dialog;
}

}  // namespace linkar::ui::qt
