// The category browse's view over a real site file: the filter that limits
// the browse to one category, read in the category order both ways and
// brought back to a saved place.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/records.h"
#include "runtime/error_state.h"
#include "runtime/expr_symbols.h"
#include "runtime/expr_value.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/view_engine.h"
#include "tests/support/temp_dir.h"

namespace linkar::app {
namespace {

using namespace storage;

constexpr const char* kCategoryFilter = "UPPER(URL:Category) = UPPER(BRW1::Sort2:Reset:CAT:Category)";

class CategoryView : public ::testing::Test {
protected:
    void SetUp() override
    {
        fileCreate(LINKAR);
        ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
        fileOpen(LINKAR, kAccessReadWrite | kDenyNone);
        ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
        const char* rows[][2] = {{"http://b.example/", "news"}, {"http://a.example/", "Tech"},
                                 {"http://c.example/", "NEWS"}, {"http://d.example/", "Sport"},
                                 {"http://a.example/n", "News"}, {"http://e.example/", "Newsletter"}};
        for (auto& row : rows) {
            fileClear(LINKAR);
            runtime::assignFixed(URL().LOCATION, sizeof URL().LOCATION, row[0]);
            runtime::assignFixed(URL().CATEGORY, sizeof URL().CATEGORY, row[1]);
            fileAdd(LINKAR);
            ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
        }
        runtime::pushScope();
        runtime::bindName("URL:Category", runtime::VariableRef{URL().CATEGORY, runtime::kVarString, sizeof URL().CATEGORY});
        runtime::bindName("BRW1::Sort2:Reset:CAT:Category",
                          runtime::VariableRef{m_resetCategory, runtime::kVarString, sizeof m_resetCategory});
        runtime::assignFixed(m_resetCategory, sizeof m_resetCategory, "nEwS");
        // The browse's view reads the site file by the category key.
        m_order.keys = {&URL_K_CATEGORY};
        initView(m_view, m_order, LINKAR);
    }
    void TearDown() override
    {
        fileClose(m_view);
        fileClose(LINKAR);
        runtime::popScope();
    }

    // Resets the view as the browse does: the key at the category's start,
    // the filter, then OPEN.
    void resetView()
    {
        fileClose(m_view);
        fileClear(LINKAR);
        std::memcpy(URL().CATEGORY, m_resetCategory, sizeof URL().CATEGORY);
        fileSetKeyValues(LINKAR, URL_K_CATEGORY, URL_K_CATEGORY);
        ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
        filePropertySet(m_view, 0, "", kCategoryFilter);
        fileOpen(m_view, kAccessReadWrite | kDenyWrite);
        ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    }
    std::vector<std::string> readAll(bool forward)
    {
        std::vector<std::string> seen;
        for (;;) {
            forward ? fileNext(m_view) : filePrevious(m_view);
            if (runtime::errorCode() != 0)
                break;
            seen.emplace_back(runtime::trimTrailingBlanks(std::string_view(URL().LOCATION, sizeof URL().LOCATION)));
        }
        return seen;
    }

    test::TempDir m_dir;
    test::CurrentDirectoryScope m_here{m_dir.path()};
    char m_resetCategory[15];
    ViewOrder m_order;
    ViewDescriptor m_view;
};

TEST_F(CategoryView, TheFilterKeepsExactlyTheCategoryInAnyLetterCaseBothWays)
{
    resetView();
    const std::vector<std::string> news = {"http://a.example/n", "http://b.example/", "http://c.example/"};
    EXPECT_EQ(readAll(true), news);
    EXPECT_EQ(runtime::errorCode(), 33);

    fileClose(m_view);
    fileSetKey(LINKAR, URL_K_CATEGORY);
    filePropertySet(m_view, 0, "", kCategoryFilter);
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    EXPECT_EQ(readAll(false), (std::vector<std::string>(news.rbegin(), news.rend())));
}

TEST_F(CategoryView, PositionAndResetReturnToTheSameRecordOfTheCategory)
{
    resetView();
    fileNext(m_view);
    fileNext(m_view);
    ASSERT_EQ(runtime::errorCode(), 0);
    std::string saved = filePosition(m_view);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    fileNext(m_view);

    fileReset(m_view, saved);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    EXPECT_EQ(readAll(true), (std::vector<std::string>{"http://b.example/", "http://c.example/"}));
    fileReset(m_view, saved);
    EXPECT_EQ(readAll(false), (std::vector<std::string>{"http://b.example/", "http://a.example/n"}));

    fileReget(m_view, saved);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    EXPECT_EQ(std::string(runtime::trimTrailingBlanks(std::string_view(URL().LOCATION, sizeof URL().LOCATION))),
              "http://b.example/");
}

}  // namespace
}  // namespace linkar::app
