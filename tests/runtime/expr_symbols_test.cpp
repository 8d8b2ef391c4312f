// The symbol table: its fixed shape, case-insensitive lookup, BIND from the
// string stack, scopes and the fatal POPSCOPE without PUSHSCOPE.
#include "runtime/expr_symbols.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/error_texts.h"
#include "runtime/expr_eval.h"
#include "runtime/expr_parser.h"
#include "runtime/string_stack.h"

namespace linkar::runtime {
namespace {

class ExprSymbolsTest : public ::testing::Test {
protected:
    void SetUp() override { resetSymbols(); }
    void TearDown() override { resetSymbols(); }
};

TEST_F(ExprSymbolsTest, EntryOrderShapesTheTree) {
    const SymbolTable& t = currentSymbols();
    EXPECT_EQ(t.depthOf("MMMMMMM"), 0);
    EXPECT_EQ(t.depthOf("AND"), 1);
    EXPECT_EQ(t.depthOf("NOT"), 1);
    EXPECT_EQ(t.depthOf("OR"), 2);
    EXPECT_EQ(t.depthOf("XOR"), 3);
    EXPECT_EQ(t.depthOf("INT"), 2);
    EXPECT_EQ(t.depthOf("INRANGE"), 3);
    EXPECT_EQ(t.depthOf("CENTER"), 4);  // below INRANGE, entered just before it
    EXPECT_EQ(t.depthOf("YEAR"), 4);
    EXPECT_EQ(t.depthOf("NOSUCH"), -1);
}

TEST_F(ExprSymbolsTest, KeywordsAndBuiltinsAreFoundInAnyCase) {
    const SymbolTable& t = currentSymbols();
    const Symbol* upper = t.find("upper");
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper->kind, SymbolKind::Builtin);
    EXPECT_EQ(upper->function, 15);
    EXPECT_EQ(upper->maxArgs, 1);
    EXPECT_EQ(upper->valueClass, ValueClass::Text);
    const Symbol* instring = t.find("InString");
    ASSERT_NE(instring, nullptr);
    EXPECT_EQ(instring->maxArgs, 4);
    const Symbol* xorWord = t.find("xor");
    ASSERT_NE(xorWord, nullptr);
    EXPECT_EQ(xorWord->kind, SymbolKind::Keyword);
    EXPECT_EQ(xorWord->opCode, op::kXor);
    EXPECT_EQ(t.find("UPPE"), nullptr);
    EXPECT_EQ(t.find("UPPERS"), nullptr);
}

TEST_F(ExprSymbolsTest, TypeClassFollowsTheStorageType) {
    EXPECT_EQ(classOfType(kVarByte), ValueClass::Integer);
    EXPECT_EQ(classOfType(kVarLong), ValueClass::Integer);
    EXPECT_EQ(classOfType(kVarULong), ValueClass::Real);
    EXPECT_EQ(classOfType(kVarDecimal), ValueClass::Real);
    EXPECT_EQ(classOfType(0x11), ValueClass::Real);
    EXPECT_EQ(classOfType(kVarString), ValueClass::Text);
}

TEST_F(ExprSymbolsTest, BindTakesTheNameFromTheStringStack) {
    char field[15];
    std::memset(field, ' ', sizeof field);
    std::memcpy(field, "News", 4);
    stringStack().push("URL:Category   ");
    bindFromStack(VariableRef{field, kVarString, sizeof field});
    EXPECT_TRUE(stringStack().empty());
    const Symbol* s = currentSymbols().find("url:category");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->kind, SymbolKind::Variable);
    EXPECT_EQ(s->valueClass, ValueClass::Text);
    // Names are cut to 100 characters.
    std::int32_t n = 3;
    bindName(std::string(120, 'Q'), VariableRef{&n, kVarLong, 4});
    EXPECT_NE(currentSymbols().find(std::string(100, 'Q')), nullptr);
    EXPECT_EQ(currentSymbols().find(std::string(120, 'Q')), nullptr);
}

TEST_F(ExprSymbolsTest, RebindingReplacesTheMeaning) {
    std::int32_t first = 1;
    double second = 2.5;
    bindName("V", VariableRef{&first, kVarLong, 4});
    bindName("v", VariableRef{&second, kVarReal, 8});
    ExprTree t = compileExpression("V * 2");
    ASSERT_TRUE(t);
    EXPECT_EQ(evaluateValue(*t).asReal(), 5.0);
    // Rebinding a built-in's name hides the built-in.
    bindName("LEN", VariableRef{&first, kVarLong, 4});
    EXPECT_FALSE(compileExpression("LEN('abc')"));
    EXPECT_TRUE(compileExpression("LEN + 1"));
}

TEST_F(ExprSymbolsTest, ScopesSaveAndRestoreBindings) {
    std::int32_t outer = 7;
    bindName("Outer", VariableRef{&outer, kVarLong, 4});
    pushScope();
    EXPECT_EQ(scopeDepth(), 1u);
    EXPECT_FALSE(compileExpression("Outer"));
    EXPECT_TRUE(compileExpression("UPPER('a') AND 1"));
    std::int32_t inner = 8;
    bindName("Inner", VariableRef{&inner, kVarLong, 4});
    pushScope();
    popScope();
    EXPECT_TRUE(compileExpression("Inner"));
    popScope();
    EXPECT_EQ(scopeDepth(), 0u);
    EXPECT_FALSE(compileExpression("Inner"));
    ExprTree t = compileExpression("Outer");
    ASSERT_TRUE(t);
    EXPECT_EQ(evaluateValue(*t).asInteger(), 7);
    clearSymbols();
    EXPECT_FALSE(compileExpression("Outer"));
    EXPECT_TRUE(compileExpression("INT(1.5)"));
}

TEST(ExprSymbolsDeathTest, PopscopeWithoutPushscopeIsFatal) {
    const std::string expected = "Mismatched POPSCOPE";
    EXPECT_EXIT(
        {
            resetSymbols();
            popScope();
        },
        ::testing::ExitedWithCode(2), expected);
}

}  // namespace
}  // namespace linkar::runtime
