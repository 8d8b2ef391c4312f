// View filters over the runtime's expression evaluator.
#include "storage/layer/view_filter.h"

#include "runtime/expr_eval.h"
#include "runtime/expr_parser.h"

namespace linkar::storage {

namespace {

class ExpressionFilter final : public CompiledFilter {
public:
    explicit ExpressionFilter(runtime::ExprTree tree) : m_tree(std::move(tree)) {}
    bool accepts() const override { return runtime::evaluateTruth(*m_tree); }

private:
    runtime::ExprTree m_tree;
};

}  // namespace

std::unique_ptr<CompiledFilter> compileViewFilter(std::string_view text)
{
    if (text.find_first_not_of(" \t") == std::string_view::npos)
        return nullptr;
    runtime::ExprTree tree = runtime::compileExpression(text);
    if (!tree)
        return nullptr;
    return std::make_unique<ExpressionFilter>(std::move(tree));
}

}  // namespace linkar::storage
