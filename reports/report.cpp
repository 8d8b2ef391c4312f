// The report's statements over its page builder.
#include "reports/report.h"

#include <cstdio>
#include <iostream>

#include "runtime/error_codes.h"
#include "runtime/runtime_error.h"

namespace linkar::reports {

class PageBuilder {};

Report::Report(const ui::Catalogue& catalogue, std::string_view module, std::string_view label) {
  m_structure = module.empty() ? catalogue.find(label) : catalogue.find(module, label);
  if (!m_structure) {
    std::cerr << "no report structure " << label << '\n';
    std::abort();
  }
}

Report::~Report() {
  if (m_open) close();
}

void Report::open(PreviewQueue* queue) {
  if (m_open) runtime::raiseRuntimeError(runtime::err::kReportAlreadyOpen);
  m_open = true;
  m_queue = queue;
  m_previewing = queue != nullptr;
  m_pageNumber = 1;
  m_emitted = 0;
}

void Report::print(std::string_view) {
  if (m_structure->kind != ui::StructureKind::Report) runtime::raiseRuntimeError(runtime::err::kPrintOnlyForReports);
}

void Report::endPage() {
  if (m_structure->kind != ui::StructureKind::Report) runtime::raiseRuntimeError(runtime::err::kEndPageOnlyForReports);
}

void Report::setFlushPreview(int) {}

void Report::close() {
  for (const auto& path : m_pageFiles) std::remove(path.c_str());
  m_pageFiles.clear();
  m_open = false;
}

void Report::setPageRange(int first, int last) {
  m_firstPage = first;
  m_lastPage = last;
}

void Report::setFieldValues(FieldValues values) { m_values = std::move(values); }

}  // namespace linkar::reports
