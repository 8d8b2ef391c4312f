// Where the export writes its page: TransferFile, opened on a new file
// beside the one the user named, so that the named file is replaced only
// by a page written to its end and made durable. A write that fails leaves
// the named file as it was; the new file is then removed.
//
//   ExportFile out(name);
//   if (!out.open()) ...report...
//   out.line(...); ...
//   if (out.failed() || !out.replace()) ...report...
//   // the destructor removes the new file unless it replaced the old one
#pragma once

#include <string>
#include <string_view>

#include "transfer/export_page.h"

namespace linkar::transfer {

class ExportFile final : public PageLines {
 public:
  // `name` is the file to replace (TransferFileName), relative to the
  // working directory or absolute.
  explicit ExportFile(std::string name);
  ~ExportFile() override;
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  // Makes the new file and opens TransferFile on it, counted in
  // TransferFileOpenCount like every use of the file. False with the error
  // posted when it cannot.
  bool open();
  // Adds one line through ASC:LINE; after a failed write the later lines
  // are dropped.
  void line(std::string_view text) override;
  // True once a write failed.
  bool failed() const { return m_failed; }
  // Closes TransferFile, makes the page durable and puts it in place of
  // the named file. False with the error posted when any step failed;
  // the named file is then untouched.
  bool replace();
  // Posts the error of the failed write again (other statements have
  // posted theirs since), for the message that reports it.
  void postWriteError() const;

 private:
  // Records a failure with the error code it posted.
  void noteFailure(int errorCode);
  // Closes TransferFile; false when the close posted an error.
  bool close();
  void discard();

  std::string m_name;
  std::string m_path;       // m_name made absolute
  std::string m_temporary;  // the new file, empty once gone
  bool m_open = false;
  bool m_failed = false;
  int m_errorCode = 0;  // of the failed write
  int m_osError = 0;    // its operating-system number, when it has one
};

}  // namespace linkar::transfer
