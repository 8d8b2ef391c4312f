// The generic view engine over a small in-memory driver: reading through a
// filter in both directions, skipping, saving and restoring the place with
// the view position text, and what the engine passes on or refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/error_state.h"
#include "runtime/expr_symbols.h"
#include "runtime/expr_value.h"
#include "runtime/string_stack.h"
#include "storage/layer/driver_dispatch.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/op_codes.h"
#include "storage/layer/view_engine.h"

namespace linkar::storage {
namespace {

constexpr size_t kRecordSize = 4;

// Records in a vector; the position text of a record is its index as text.
struct ListInstance : DriverInstance {
    std::vector<std::string>* rows = nullptr;
    long at = -1;       // index of the current record
    long next = 0;      // where NEXT reads
    long previous = -1; // where PREVIOUS reads
    int deletes = 0;
};

std::vector<std::string> g_rows;
int g_deleteCalls = 0;

void load(ListInstance& m, long i)
{
    m.at = i;
    std::memcpy(m.m_record, (*m.rows)[i].data(), kRecordSize);
    m.next = i + 1;
    m.previous = i - 1;
}

OpOutcome perform(OpCall& c)
{
    auto& m = static_cast<ListInstance&>(c.instance);
    const long n = static_cast<long>(g_rows.size());
    switch (c.code) {
    case op::kOpen:
        m.rows = &g_rows;
        return OpOutcome::ok();
    case op::kClose:
        return OpOutcome::ok();
    case op::kSetFile:
        m.next = 0;
        m.previous = n - 1;
        return OpOutcome::ok();
    case op::kNext:
        if (m.next >= n)
            return OpOutcome::fail(33);
        load(m, m.next);
        return OpOutcome::ok();
    case op::kPrevious:
        if (m.previous < 0)
            return OpOutcome::fail(33);
        load(m, m.previous);
        return OpOutcome::ok();
    case op::kPosition:
        return OpOutcome::okText(std::to_string(m.at));
    case op::kReset: {
        long i = std::stol(c.texts[0]);
        m.next = i;
        m.previous = i;
        return OpOutcome::ok();
    }
    case op::kReget: {
        long i = std::stol(c.texts[0]);
        if (i < 0 || i >= n)
            return OpOutcome::fail(35);
        load(m, i);
        return OpOutcome::ok();
    }
    case op::kCurrentOrder:
        return OpOutcome::ok(0);
    case op::kDelete:
        ++g_deleteCalls;
        return OpOutcome::ok();
    case op::kSend: {
        extern const DriverRegistration& listRegistration();
        if (c.texts[0] == "REGISTER")
            return OpOutcome::okText(registrationAnswer(listRegistration()));
        return OpOutcome::okText("");
    }
    default:
        return OpOutcome::fail(80);
    }
}

PreconditionRow row(int32_t code)
{
    switch (code) {
    case op::kOpen: return {kAfterClearError, 0, kStateOpen, kStateOpen, 0, 0};
    case op::kClose: return {kAfterClearError | kAfterDiscard, kStateOpen, 0, 0, kStateOpen, 0};
    case op::kSetFile: case op::kReset:
        return {kAfterClearError, kStateOpen, 0, kStateSequence, kStateCurrent, 0};
    case op::kNext: case op::kPrevious:
        return {kAfterClearError, kStateOpen | kStateSequence, 0, kStateCurrent, 0, kStateCurrent};
    case op::kReget: return {kAfterClearError, kStateOpen, 0, kStateCurrent, 0, kStateCurrent};
    case op::kPosition: return {0, kStateOpen | kStateCurrent, 0, 0, 0, 0};
    case op::kDelete: return {kAfterClearError, kStateOpen | kStateCurrent, 0, 0, kStateCurrent, 0};
    default: return {};
    }
}

struct Rows {
    PreconditionRow rows[op::kHighest];
    Rows()
    {
        for (int32_t c = 1; c <= op::kHighest; ++c)
            rows[c - 1] = row(c);
    }
};
const Rows kRows;
const uint8_t kCaps[] = {op::kOpen, op::kClose, op::kSetFile, op::kNext, op::kPrevious, op::kPosition,
                         op::kReset, op::kReget, op::kCurrentOrder, op::kDelete, op::kSend};

std::unique_ptr<DriverInstance> create(const FileDecl& file, int& error)
{
    auto inst = std::make_unique<ListInstance>();
    error = initInstance(*inst, file);
    return error == 0 ? std::move(inst) : nullptr;
}

int32_t listEntry(int32_t code, Descriptor* d, ArgBlock* a);

const DriverRegistration& listRegistration()
{
    static const DriverRegistration r = [] {
        DriverRegistration x;
        x.name = registrationText<kRegNameSize>("LIST");
        x.entry = &listEntry;
        x.capabilities = kCaps;
        x.capabilityCount = sizeof kCaps;
        return x;
    }();
    return r;
}

const DriverTable kSpec{kRows.rows, op::kHighest, &listRegistration(), &create, &perform, 0};

int32_t listEntry(int32_t code, Descriptor* d, ArgBlock* a)
{
    return dispatch(kSpec, code, d, a);
}

class ViewEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_rows = {"ant ", "Bee ", "cat ", "bee ", "dog ", "BEE "};
        g_deleteCalls = 0;
        m_fields = FieldListBuilder().text("LST:NAME", 0, kRecordSize).build();
        m_file.entry = &listEntry;
        m_file.name = "list";
        m_file.nameLength = kTextNulTerminated;
        m_file.recordLength = kRecordSize;
        m_file.record = m_record;
        m_file.fieldList = m_fields.data();
        fileOpen(m_file, kAccessReadWrite | kDenyNone);
        fileSet(m_file);
        initView(m_view, m_order, m_file);
        runtime::pushScope();
        runtime::VariableRef name{m_record, runtime::kVarString, kRecordSize};
        runtime::bindName("LST:NAME", name);
        runtime::VariableRef wanted{m_wanted, runtime::kVarString, sizeof m_wanted};
        runtime::bindName("WANTED", wanted);
        runtime::clearError();
    }
    void TearDown() override
    {
        fileClose(m_view);
        fileClose(m_file);
        runtime::popScope();
    }
    std::string current() const { return std::string(reinterpret_cast<const char*>(m_record), 3); }
    std::vector<std::string> readAll(bool forward)
    {
        std::vector<std::string> seen;
        for (;;) {
            forward ? fileNext(m_view) : filePrevious(m_view);
            if (runtime::errorCode() != 0)
                break;
            seen.push_back(current());
        }
        return seen;
    }

    std::vector<uint8_t> m_fields;
    uint8_t m_record[kRecordSize] = {};
    char m_wanted[4] = {'b', 'e', 'e', ' '};
    FileDecl m_file;
    ViewOrder m_order;
    ViewDescriptor m_view;
};

TEST_F(ViewEngineTest, AnUnfilteredViewReadsEveryRecordInTheFilesOrder)
{
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    ASSERT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(m_view.entry, &genericViewEngine);
    EXPECT_EQ(readAll(true), (std::vector<std::string>{"ant", "Bee", "cat", "bee", "dog", "BEE"}));
    EXPECT_EQ(runtime::errorCode(), 33);
    fileClose(m_view);
    EXPECT_EQ(m_view.entry, &viewBootstrap) << "CLOSE puts the bootstrap back";
}

TEST_F(ViewEngineTest, TheFilterPassesOverRejectedRecordsInBothDirections)
{
    filePropertySet(m_view, 0, "", "UPPER(LST:NAME) = UPPER(WANTED)");
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    EXPECT_EQ(readAll(true), (std::vector<std::string>{"Bee", "bee", "BEE"}));
    fileSet(m_file);
    EXPECT_EQ(readAll(false), (std::vector<std::string>{"BEE", "bee", "Bee"}));
}

TEST_F(ViewEngineTest, AFilterThatDoesNotCompileLeavesTheViewUnfiltered)
{
    filePropertySet(m_view, 0, "", "UPPER(LST:NAME = ");
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    EXPECT_EQ(readAll(true).size(), 6u);
}

TEST_F(ViewEngineTest, PositionAndResetComeBackToTheSameRecord)
{
    filePropertySet(m_view, 0, "", "UPPER(LST:NAME) = 'BEE'");
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    EXPECT_EQ(filePosition(m_view), "") << "nothing read since the view opened";
    EXPECT_EQ(runtime::errorCode(), 33);
    fileNext(m_view);
    fileNext(m_view);
    ASSERT_EQ(current(), "bee");
    std::string saved = filePosition(m_view);
    ASSERT_EQ(runtime::errorCode(), 0);
    ASSERT_EQ(saved.size(), 4u + 4 + 1);
    fileNext(m_view);
    ASSERT_EQ(current(), "BEE");

    fileReset(m_view, saved);
    ASSERT_EQ(runtime::errorCode(), 0);
    fileNext(m_view);
    EXPECT_EQ(current(), "bee") << "NEXT after RESET starts at the restored record";
    fileReset(m_view, saved);
    filePrevious(m_view);
    EXPECT_EQ(current(), "bee");
    filePrevious(m_view);
    EXPECT_EQ(current(), "Bee");
}

TEST_F(ViewEngineTest, RegetHoldsTheRecordUntilTheViewIsReset)
{
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    fileNext(m_view);
    fileNext(m_view);
    fileNext(m_view);
    std::string saved = filePosition(m_view);
    fileSet(m_file);
    fileNext(m_view);
    ASSERT_EQ(current(), "ant");

    fileReget(m_view, saved);
    ASSERT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(current(), "cat");
    fileNext(m_view);
    EXPECT_EQ(runtime::errorCode(), 81);
    fileReset(m_view, saved);
    fileNext(m_view);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(current(), "cat");
}

TEST_F(ViewEngineTest, DamagedPositionTextsFailWithUnknownErrorPosted)
{
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    fileReset(m_view, "ab");
    EXPECT_EQ(runtime::errorCode(), 81);
    fileReset(m_view, std::string("\x01\0\0\0\x01\0\0\0" "0", 9));
    EXPECT_EQ(runtime::errorCode(), 81) << "order 1 on a file without keys";
    fileReset(m_view, std::string("\0\0\0\0\x09\0\0\0" "0", 9));
    EXPECT_EQ(runtime::errorCode(), 81) << "length past the end";
    fileReset(m_view, std::string("\0\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(runtime::errorCode(), 0) << "a length of 0 leaves the file alone";
}

TEST_F(ViewEngineTest, SkipStopsQuietlyAtTheEnd)
{
    filePropertySet(m_view, 0, "", "UPPER(LST:NAME) = 'BEE'");
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    fileSkip(m_view, 2);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(current(), "bee");
    fileSkip(m_view, 5);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(current(), "BEE");
}

TEST_F(ViewEngineTest, RecordStatementsPassToThePrimaryFileAndOthersAreRefused)
{
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    fileNext(m_view);
    ArgBlock args;
    fileCall(m_view, op::kDelete, args);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(g_deleteCalls, 1);
    fileCall(m_view, op::kAdd, args);
    EXPECT_EQ(runtime::errorCode(), 80);
    fileOpen(m_view, kAccessReadWrite | kDenyWrite);
    EXPECT_EQ(runtime::errorCode(), 52);
}

TEST_F(ViewEngineTest, ReadingAViewThatIsNotOpenFails)
{
    fileNext(m_view);
    EXPECT_EQ(runtime::errorCode(), 37);
}

}  // namespace
}  // namespace linkar::storage
