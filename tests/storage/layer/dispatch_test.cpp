// The common dispatch as every driver sees it, shown against a small
// in-memory driver: preconditions, error codes, instances, text operands
// and results, and the rows' masks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/error_state.h"
#include "runtime/string_stack.h"
#include "storage/layer/driver_dispatch.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/op_codes.h"

namespace linkar::storage {
namespace {

// A driver over a vector of records: enough operations to show the dispatch.
struct MemInstance : DriverInstance {
    std::vector<std::string> rows;
    size_t at = 0;
    std::vector<std::string> received;
};

std::vector<std::string>* g_backing = nullptr;  // the "disk" of the test file

constexpr uint32_t kOpenWrite = kStateOpen | kStateWrite;

PreconditionRow rowsFor(int32_t code)
{
    PreconditionRow r;
    switch (code) {
    case op::kOpen:
        r = {kAfterClearError | kAfterRemember, 0, kStateOpen, kStateOpen, 0, 0};
        break;
    case op::kClose:
        r = {kAfterClearError | kAfterDiscard, kStateOpen, 0, 0, kStateOpen, 0};
        break;
    case op::kSetFile:
        r = {kAfterClearError | kAfterRemember, kStateOpen, 0, kStateSequence, kStateCurrent, 0};
        break;
    case op::kNext:
        r = {kAfterClearError | kAfterRemember, kStateOpen | kStateSequence, 0, kStateCurrent, 0, kStateCurrent};
        break;
    case op::kPut:
        r = {kAfterClearError, kOpenWrite | kStateCurrent, 0, 0, 0, 0};
        break;
    case op::kEmpty:
        r = {kAfterClearError, kOpenWrite | kStateExclusive, 0, 0, kStateCurrent, 0};
        break;
    case op::kPointer: case op::kEof: case op::kBof:
        r = {0, kStateOpen, 0, 0, 0, 0};
        break;
    case op::kSend: case op::kName: case op::kPropertySet: case op::kPropertyGet:
        r = {0, 0, 0, 0, 0, 0};
        break;
    case op::kLogout:
        r = {kAfterClearError, kStateOpen, kStateTransaction, kStateTransaction, 0, 0};
        break;
    case op::kBuild:  // listed in the table, left out of the capability list
        r = {kAfterClearError, kStateOpen, 0, 0, 0, 0};
        break;
    default:
        break;
    }
    return r;
}

struct Table {
    PreconditionRow rows[op::kHighest];
    Table()
    {
        for (int32_t c = 1; c <= op::kHighest; ++c)
            rows[c - 1] = rowsFor(c);
    }
};
const Table kTable;

const uint8_t kCapabilities[] = {op::kOpen, op::kClose, op::kSetFile, op::kNext, op::kPut, op::kEmpty,
                                 op::kPointer, op::kEof, op::kBof, op::kSend, op::kName,
                                 op::kPropertySet, op::kPropertyGet, op::kLogout};

DriverRegistration makeRegistration();
const DriverRegistration kRegistration = makeRegistration();

std::unique_ptr<DriverInstance> create(const FileDecl& file, int& error)
{
    auto inst = std::make_unique<MemInstance>();
    error = initInstance(*inst, file);
    if (error != 0)
        return nullptr;
    return inst;
}

OpOutcome perform(OpCall& c)
{
    auto& m = static_cast<MemInstance&>(c.instance);
    switch (c.code) {
    case op::kOpen:
        if (m.m_name == "missing")
            return OpOutcome::fail(2);
        m.rows = *g_backing;
        if ((c.args.mode & kAccessMask) != kAccessRead)
            m.m_state |= kStateWrite;
        if ((c.args.mode & kShareMask) == kDenyAll || (c.args.mode & kShareMask) == kDenyWrite)
            m.m_state |= kStateExclusive;
        return OpOutcome::ok();
    case op::kClose:
        *g_backing = m.rows;
        return OpOutcome::ok();
    case op::kSetFile:
        m.at = 0;
        return OpOutcome::ok();
    case op::kNext:
        if (m.at >= m.rows.size())
            return OpOutcome::fail(33);
        m.m_record[0] = static_cast<uint8_t>(m.rows[m.at++][0]);
        return OpOutcome::ok();
    case op::kPut:
        m.rows[m.at - 1] = std::string(1, static_cast<char>(m.m_record[0]));
        return OpOutcome::ok();
    case op::kEmpty:
        m.rows.clear();
        return OpOutcome::ok();
    case op::kPointer:
        return OpOutcome::ok(static_cast<int32_t>(m.at));
    case op::kEof:
        return OpOutcome::ok(m.at >= m.rows.size() ? 1 : 0);
    case op::kBof:
        return OpOutcome::ok(m.at == 0 ? 1 : 0);
    case op::kSend:
        if (c.texts[0] == "fail")
            return OpOutcome::fail(80);
        return OpOutcome::okText("echo:" + c.texts[0]);
    case op::kName:
        return OpOutcome::okText(m.m_name);
    case op::kPropertySet:
        m.received.assign(c.texts, c.texts + c.textCount);
        return OpOutcome::ok();
    case op::kLogout:
        return OpOutcome::ok();
    default:
        return OpOutcome::fail(80);
    }
}

const DriverTable kSpec{kTable.rows, op::kHighest, &kRegistration, &create, &perform, 0};

int32_t memEntry(int32_t code, Descriptor* d, ArgBlock* a)
{
    return dispatch(kSpec, code, d, a);
}

DriverRegistration makeRegistration()
{
    DriverRegistration r;
    r.name = registrationText<kRegNameSize>("MEMORY");
    r.entry = &memEntry;
    r.capabilities = kCapabilities;
    r.capabilityCount = sizeof kCapabilities;
    return r;
}

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_backing = &m_disk;
        m_disk = {"a", "b", "c"};
        m_fields = FieldListBuilder().text("MEM:CH", 0, 1).build();
        bind(m_file, "memfile");
        runtime::clearError();
        runtime::stringStack().clear();
    }
    void bind(FileDecl& f, const char* name)
    {
        f.entry = &memEntry;
        f.name = name;
        f.nameLength = kTextNulTerminated;
        f.recordLength = 1;
        f.record = m_record;
        f.fieldList = m_fields.data();
    }

    std::vector<std::string> m_disk;
    std::vector<uint8_t> m_fields;
    uint8_t m_record[1] = {' '};
    FileDecl m_file;
};

TEST_F(DispatchTest, StatementOnNeverOpenedFileFailsWithFileNotOpenAndLeavesNoInstance)
{
    fileNext(m_file);
    EXPECT_EQ(runtime::errorCode(), 37);
    EXPECT_EQ(runtime::errorText().substr(0, 13), "File Not Open");
    EXPECT_EQ(runtime::errorFile(), &m_file);
    EXPECT_EQ(m_file.instance, nullptr);
}

TEST_F(DispatchTest, SecondOpenFailsWithFileAlreadyOpenAndTheFileStaysOpen)
{
    fileOpen(m_file, kAccessReadWrite | kDenyNone);
    ASSERT_EQ(runtime::errorCode(), 0);
    fileOpen(m_file, kAccessReadWrite | kDenyNone);
    EXPECT_EQ(runtime::errorCode(), 52);
    ASSERT_NE(m_file.instance, nullptr);
    fileSet(m_file);
    fileNext(m_file);
    EXPECT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(m_record[0], 'a');
}

TEST_F(DispatchTest, FailedOpenDiscardsTheInstance)
{
    FileDecl missing;
    bind(missing, "missing");
    fileOpen(missing, kAccessRead | kDenyNone);
    EXPECT_EQ(runtime::errorCode(), 2);
    EXPECT_EQ(missing.instance, nullptr);
}

TEST_F(DispatchTest, ReadingNeedsASequenceAndWritingACurrentRecordAndWriteAccess)
{
    fileOpen(m_file, kAccessRead | kDenyNone);
    fileNext(m_file);
    EXPECT_EQ(runtime::errorCode(), 33) << "NEXT before SET";
    fileSet(m_file);
    EXPECT_EQ(runtime::errorCode(), 0);
    filePut(m_file);
    EXPECT_EQ(runtime::errorCode(), 33) << "PUT without a current record";
    fileNext(m_file);
    filePut(m_file);
    EXPECT_EQ(runtime::errorCode(), 5) << "PUT on a read-only file";
    fileClose(m_file);
    EXPECT_EQ(m_file.instance, nullptr) << "CLOSE discards the instance";

    fileOpen(m_file, kAccessReadWrite | kDenyNone);
    fileSet(m_file);
    fileNext(m_file);
    m_record[0] = 'z';
    filePut(m_file);
    EXPECT_EQ(runtime::errorCode(), 0);
    fileClose(m_file);
    EXPECT_EQ(m_disk[0], "z");
}

TEST_F(DispatchTest, ReadingPastTheEndClearsTheCurrentRecord)
{
    fileOpen(m_file, kAccessReadWrite | kDenyNone);
    fileSet(m_file);
    for (int i = 0; i < 3; ++i)
        fileNext(m_file);
    fileNext(m_file);
    EXPECT_EQ(runtime::errorCode(), 33);
    filePut(m_file);
    EXPECT_EQ(runtime::errorCode(), 33) << "the failed NEXT cleared the current-record bit";
}

TEST_F(DispatchTest, EmptyNeedsExclusiveAccess)
{
    fileOpen(m_file, kAccessReadWrite | kDenyNone);
    fileEmpty(m_file);
    EXPECT_EQ(runtime::errorCode(), 63);
    fileClose(m_file);
    fileOpen(m_file, kAccessReadWrite | kDenyAll);
    fileEmpty(m_file);
    EXPECT_EQ(runtime::errorCode(), 0);
    fileClose(m_file);
    EXPECT_TRUE(m_disk.empty());
}

TEST_F(DispatchTest, ASuccessfulQueryLeavesTheEarlierErrorInPlace)
{
    fileOpen(m_file, kAccessRead | kDenyNone);
    fileNext(m_file);
    ASSERT_EQ(runtime::errorCode(), 33);
    EXPECT_EQ(filePointer(m_file), 0);
    EXPECT_EQ(runtime::errorCode(), 33);
    EXPECT_TRUE(fileBof(m_file));
    EXPECT_EQ(runtime::errorCode(), 33);
}

TEST_F(DispatchTest, UnknownAndUnlistedCodesFailWithUnsupportedFunction)
{
    fileOpen(m_file, kAccessRead | kDenyNone);
    ArgBlock args;
    EXPECT_EQ(fileCall(m_file, 39, args), 0);
    EXPECT_EQ(runtime::errorCode(), 80);
    runtime::clearError();
    fileCall(m_file, 200, args);
    EXPECT_EQ(runtime::errorCode(), 80);
    runtime::clearError();
    fileBuild(m_file);  // in the table but not among the driver's capabilities
    EXPECT_EQ(runtime::errorCode(), 80);
    EXPECT_EQ(runtime::errorText().substr(0, 32), "Unsupported File Driver Function");
}

TEST_F(DispatchTest, EofAndBofAnswerTrueWhenTheCallFails)
{
    EXPECT_TRUE(fileEof(m_file));
    EXPECT_EQ(runtime::errorCode(), 37);
    EXPECT_TRUE(fileBof(m_file));
    fileOpen(m_file, kAccessRead | kDenyNone);
    fileSet(m_file);
    EXPECT_FALSE(fileEof(m_file));
}

TEST_F(DispatchTest, TextResultsArePushedAlsoOnFailureAndTheStackStaysBalanced)
{
    runtime::stringStack().push("caller's own");
    EXPECT_EQ(fileSend(m_file, "QUICKSCAN=on"), "echo:QUICKSCAN=on");
    EXPECT_EQ(fileSend(m_file, "fail"), "");
    EXPECT_EQ(runtime::errorCode(), 80);
    EXPECT_EQ(fileName(m_file), "memfile");
    fileMemoSliceSet(m_file, 1, 1, 3, "abc");  // refused: this driver keeps no memos
    EXPECT_EQ(runtime::errorCode(), 80);
    EXPECT_EQ(fileMemoSlice(m_file, 1, 1, 3), "");
    ASSERT_EQ(runtime::stringStack().size(), 1u);
    EXPECT_EQ(runtime::stringStack().pop(), "caller's own");
}

TEST_F(DispatchTest, TwoTextOperandsArriveInSourceOrder)
{
    filePropertySet(m_file, 0, "71", "UPPER(X) = 'A'");
    auto& inst = static_cast<MemInstance&>(*m_file.instance);
    ASSERT_EQ(inst.received.size(), 2u);
    EXPECT_EQ(inst.received[0], "71");
    EXPECT_EQ(inst.received[1], "UPPER(X) = 'A'");
    EXPECT_TRUE(runtime::stringStack().empty());
}

TEST_F(DispatchTest, ASecondLogoutFailsWhileATransactionIsActive)
{
    fileOpen(m_file, kAccessReadWrite | kDenyNone);
    fileLogout(m_file);
    EXPECT_EQ(runtime::errorCode(), 0);
    fileLogout(m_file);
    EXPECT_EQ(runtime::errorCode(), 56);
}

TEST_F(DispatchTest, InstanceCreationRejectsBadDeclarations)
{
    FileDecl tooLong;
    bind(tooLong, "x");
    tooLong.recordLength = 70000;
    fileOpen(tooLong, kAccessRead);
    EXPECT_EQ(runtime::errorCode(), 47);
    EXPECT_EQ(tooLong.instance, nullptr);

    const uint8_t noGroup[] = {kListField, 0, 0, 0, 0, 'X', 0, kTypeByte, 0};
    FileDecl badList;
    bind(badList, "y");
    badList.fieldList = noGroup;
    EXPECT_EQ(fileName(badList), "");
    EXPECT_EQ(runtime::errorCode(), 75);
    EXPECT_TRUE(runtime::stringStack().empty());
}

TEST_F(DispatchTest, TheRegisterAnswerLeadsBackToThePublishedBlockOnly)
{
    std::string answer = registrationAnswer(kRegistration);
    EXPECT_EQ(registrationFromAnswer(answer), &kRegistration);
    EXPECT_EQ(registrationFromAnswer("12345"), nullptr);
    EXPECT_EQ(registrationFromAnswer(answer + "x"), nullptr);
    EXPECT_TRUE(kRegistration.handles(op::kNext));
    EXPECT_FALSE(kRegistration.handles(op::kBuild));
}

TEST(DispatchWithoutDriver, AFileDeclaredWithoutADriverEndsTheProgramWithARuntimeErrorNamingIt)
{
    FileDecl orphan;
    orphan.name = "ORPHAN";
    orphan.nameLength = kTextNulTerminated;
    EXPECT_EXIT(fileCreate(orphan), ::testing::ExitedWithCode(2), "Runtime error: .*No file driver declared for ORPHAN");
    // A statement that takes a file or a view cannot name which it was given.
    EXPECT_EXIT(fileOpen(orphan, kAccessReadWrite | kDenyNone), ::testing::ExitedWithCode(2),
                "Runtime error: .*No file driver declared for a file or view");
}

}  // namespace
}  // namespace linkar::storage
