// A view's filter: the expression text compiled once through the runtime's
// evaluator and evaluated as a truth value against each record read.
#pragma once

#include <memory>
#include <string_view>

namespace linkar::storage {

class CompiledFilter {
public:
    virtual ~CompiledFilter() = default;
    // True when the record now in the buffers passes the filter.
    virtual bool accepts() const = 0;
};

// Compiles a filter text against the names bound in the current scope. Null
// when the text is empty or does not compile: the view then runs unfiltered.
std::unique_ptr<CompiledFilter> compileViewFilter(std::string_view text);

}  // namespace linkar::storage
