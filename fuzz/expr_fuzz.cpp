// Fuzzes the expression compiler and evaluator: any text is compiled against
// a few bound variables and, when it compiles, evaluated every way.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "runtime/expr_eval.h"
#include "runtime/expr_parser.h"
#include "runtime/expr_symbols.h"

using namespace linkar::runtime;

namespace {

struct Record {
    char category[15];
    std::int32_t count;
    double real;
    std::uint8_t rating[2];
    std::int32_t list[3];
};

Record g_record;

void bindRecord() {
    std::memcpy(g_record.category, "News           ", sizeof g_record.category);
    g_record.count = 7;
    g_record.real = 2.5;
    g_record.rating[0] = 0x00;
    g_record.rating[1] = 0x42;
    g_record.list[0] = 1;
    g_record.list[1] = 2;
    g_record.list[2] = 3;
    bindName("URL:Category", VariableRef{g_record.category, kVarString, sizeof g_record.category});
    bindName("Count", VariableRef{&g_record.count, kVarLong, 4});
    bindName("R", VariableRef{&g_record.real, kVarReal, 8});
    bindName("URL:Rating", VariableRef{g_record.rating, kVarDecimal, 2, 0});
    bindName("L", VariableRef{g_record.list, kVarLong, 4, 0, 3});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    resetSymbols();
    bindRecord();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ExprTree tree = compileExpression(text);
    if (tree) {
        (void)evaluateTruth(*tree);
        const Value value = evaluateValue(*tree);
        if (value.isText() && value.asText().size() > kMaxTextValue) __builtin_trap();
        (void)evaluateText(*tree, "@N10`.2");
        (void)evaluateText(*tree, "@D6.");
        (void)describeExpression(*tree);
    }
    return 0;
}
