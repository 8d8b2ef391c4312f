// The program's file declarations as the drivers will read them, and the
// shared variables' start-up values.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "app/records.h"
#include "app/shared_variables.h"
#include "runtime/error_state.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/thread_files.h"

namespace linkar::app {
namespace {

using storage::FieldList;
using storage::parseFieldList;

TEST(Records, LinkarFieldListMatchesTheRecordLayout)
{
    FieldList fields;
    ASSERT_EQ(parseFieldList(LINKAR.fieldList, fields), 0);
    ASSERT_EQ(fields.size(), 5u);
    const struct {
        const char* label;
        uint32_t offset, size;
        uint8_t type;
    } expected[] = {{"URL:LOCATION", 0, 128, storage::kTypeString},
                    {"URL:DESCRIPTION", 128, 60, storage::kTypeString},
                    {"URL:CATEGORY", 188, 15, storage::kTypeString},
                    {"URL:RATING", 203, 2, storage::kTypeDecimal},
                    {"URL:KEYWORD", 205, 10, storage::kTypeString}};
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].label, expected[i].label);
        EXPECT_EQ(fields[i].offset, expected[i].offset) << expected[i].label;
        EXPECT_EQ(fields[i].size, expected[i].size) << expected[i].label;
        EXPECT_EQ(fields[i].type, expected[i].type) << expected[i].label;
    }
    EXPECT_EQ(fields[3].places, 0);
    EXPECT_EQ(LINKAR.recordLength, 215u);
    EXPECT_TRUE(LINKAR.threaded);
    EXPECT_EQ(storage::recordOf(LINKAR), reinterpret_cast<uint8_t*>(&URL()));
    // A text field's entry: type, 32-bit length, an empty picture.
    const uint8_t* p = LINKAR.fieldList;
    EXPECT_EQ(p[0], storage::kListGroup);
    EXPECT_EQ(p[1], storage::kListField);
    EXPECT_EQ(0, std::memcmp(p + 6, "URL:LOCATION\0\x12\x80\0\0\0\0", 19));
}

TEST(Records, KeysCarryTheirAttributeWordsAndComponents)
{
    struct {
        storage::KeyDecl* key;
        const char* label;
        uint32_t attributes;
        std::vector<int32_t> components;
    } expected[] = {{&URL_K_LOCATION, "URL:K_LOCATION", 0x06, {1}},
                    {&URL_K_DESCRIPTION, "URL:K_DESCRIPTION", 0x07, {2}},
                    {&URL_K_CATEGORY, "URL:K_CATEGORY", 0x05, {3, 1}},
                    {&URL_K_RATING, "URL:K_RATING", 0x05, {4, 1}},
                    {&URL_K_KEYWORD, "URL:K_KEYWORD", 0x05, {5, 1}},
                    {&CAT_K_CATEGORY, "CAT:K_CATEGORY", 0x06, {1}}};
    for (auto& e : expected) {
        EXPECT_STREQ(e.key->label, e.label);
        EXPECT_EQ(e.key->attributes, e.attributes) << e.label;
        std::vector<int32_t> got(e.key->components, e.key->components + e.key->componentCount);
        EXPECT_EQ(got, e.components) << e.label;
    }
    ASSERT_EQ(LINKAR.keyCount, 5);
    for (int i = 0; i < LINKAR.keyCount; ++i)
        EXPECT_EQ(LINKAR.keys[i]->file, &LINKAR);
    EXPECT_EQ(Categories.keys[0]->file, &Categories);
    ASSERT_EQ(LINKAR.memoCount, 1);
    EXPECT_STREQ(LINKAR.memos[0]->label, "URL:SITEINFO");
    EXPECT_EQ(LINKAR.memos[0]->size, 500);
    EXPECT_EQ(LINKAR.memos[0]->number, 1);
    EXPECT_EQ(LINKAR.attributeBits, 0x14);
    EXPECT_EQ(Categories.attributeBits, 0x14);
    EXPECT_EQ(TransferFile.attributeBits, 0x14);
    EXPECT_EQ(TransferFile.keyCount, 0);
    EXPECT_EQ(TransferFile.recordLength, 65535u);
}

TEST(Records, TheTransferFileIsNamedByTheVariable)
{
    ASSERT_EQ(initSharedVariables(), 0);
    EXPECT_EQ(storage::declaredText(TransferFile.name, TransferFile.nameLength), "bookmark.htm");
    TransferFileName = "/tmp/other list.txt";
    EXPECT_EQ(storage::declaredText(TransferFile.name, TransferFile.nameLength), "/tmp/other list.txt");
    initSharedVariables();
    EXPECT_EQ(TransferFileName.str(), "bookmark.htm");
}

TEST(Records, StartUpSetsBothDirectoriesToTheCurrentOne)
{
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    SharedRequest = kRequestDelete;
    ASSERT_EQ(initSharedVariables(), 0);
    EXPECT_EQ(StartupDirectory.str(), here);
    EXPECT_EQ(LastFileDirectory.str(), here);
    EXPECT_EQ(SharedRequest, 0);
}

TEST(Records, ClearingTheSiteRecordBlanksTextsAndZeroesTheRating)
{
    std::memset(&URL(), 'x', sizeof(LinkarRecord));
    storage::fileClear(LINKAR);
    EXPECT_EQ(std::string(URL().LOCATION, 128), std::string(128, ' '));
    EXPECT_EQ(std::string(URL().KEYWORD, 10), std::string(10, ' '));
    EXPECT_EQ(URL().RATING[0], 0);
    EXPECT_EQ(URL().RATING[1], 0);
}

}  // namespace
}  // namespace linkar::app
