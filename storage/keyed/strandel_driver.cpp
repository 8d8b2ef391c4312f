// The keyed-file driver's entry: the common dispatch with the driver's rows,
// its table handles as instances, and one operation per code. After every
// operation on an open table the data file's access ends by the commit rule
// (commit now, unless a LOGOUT holds the file or STREAM batches it).
#include "runtime/error_codes.h"
#include "storage/keyed/strandel_driver.h"

#include <set>

#include "runtime/string_stack.h"
#include "storage/keyed/strandel_build.h"
#include "storage/keyed/strandel_files.h"
#include "storage/keyed/strandel_memo.h"
#include "storage/keyed/strandel_records.h"
#include "storage/keyed/strandel_rows.h"
#include "storage/keyed/strandel_sequence.h"
#include "storage/keyed/send_options.h"
#include "storage/layer/driver_dispatch.h"
#include "storage/layer/op_codes.h"

namespace linkar::keyed {

namespace {

using storage::DriverInstance;
using storage::DriverRegistration;
using storage::FileDecl;
using storage::OpCall;
using storage::OpOutcome;
namespace op = storage::op;

constexpr uint16_t kDriverVersion = 1;
constexpr std::string_view kRegisterOption = "REGISTER";
constexpr std::string_view kSendNotRecognised = "SEND arg not recognised";
constexpr std::uint8_t kBuildMode = 0x22;  // read and write, deny write: BUILD and PACK of a closed file

// Every live table handle, so that the end of the transaction reaches each.
std::set<StrandelTable*>& liveTables() {
  static auto* tables = new std::set<StrandelTable*>();
  return *tables;
}

class RegisteredTable final {
 public:
  static std::unique_ptr<DriverInstance> make(const FileDecl& file, int& error) {
    auto table = std::make_unique<StrandelTable>();
    error = storage::initInstance(*table, file);
    if (error == 0) error = table->prepare(file);
    if (error != 0) return nullptr;
    liveTables().insert(table.get());
    return table;
  }
};

// The end of a thread's transaction ends it for every table of that thread,
// and only for those: another thread's transaction goes on.
void endTransactionEverywhere(const Transaction& ended) {
  for (StrandelTable* t : liveTables())
    if (t->m_file && &t->m_file->transaction() == &ended) t->m_state &= ~storage::kStateTransaction;
}

OpOutcome records(StrandelTable& t, const storage::KeyDecl* decl) {
  if (const int rc = t.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  if (decl == nullptr)
    return OpOutcome::ok(static_cast<int32_t>(readCounter(t.tree(), t.m_table, kTableSubject).value_or(Counter{}).count));
  TableKey* key = t.keyOf(decl);
  if (!key) return OpOutcome::fail(runtime::err::kInvalidKeyFile);
  if (key->privateTree) {
    std::string prefix = tablePrefix(t.m_table);
    prefix.push_back(static_cast<char>(key->desc.number));
    int32_t n = 0;
    std::string at = prefix;
    for (auto e = key->privateTree->next(at); e && e->key().substr(0, prefix.size()) == prefix;
         e = key->privateTree->next(at)) {
      at.assign(e->key());
      ++n;
    }
    return OpOutcome::ok(n);
  }
  return OpOutcome::ok(static_cast<int32_t>(readCounter(t.tree(), t.m_table, key->desc.number).value_or(Counter{}).count));
}

OpOutcome send(StrandelTable& t, const std::string& option) {
  std::string answer;
  FileAccess* access =
      (t.m_state & storage::kStateOpen) && t.m_file && t.m_file->usable() ? &t.m_file->access() : nullptr;
  if (answerFileOption(option, strandelTransaction(), access, &answer)) return OpOutcome::okText(answer);
  if (option == kRegisterOption) return OpOutcome::okText(storage::registrationAnswer(strandelRegistration()));
  return OpOutcome::okText(std::string(kSendNotRecognised));
}

// BUILD and PACK open a closed file for their own length.
OpOutcome buildOrPack(StrandelTable& t, const storage::KeyDecl* key, bool pack) {
  bool opened = false;
  if (const int rc = openForDuration(t, kBuildMode, opened)) return OpOutcome::fail(rc);
  OpOutcome o = pack ? packTable(t) : buildKeys(t, key);
  if (opened) {
    const int rc = t.m_file->endOperation();
    const OpOutcome closed = closeTable(t);
    if (o.success && rc) o = OpOutcome::fail(rc);
    if (o.success && !closed.success) o = closed;
  }
  return o;
}

OpOutcome run(StrandelTable& t, OpCall& call) {
  const storage::ArgBlock& a = call.args;
  switch (call.code) {
    case op::kOpen:
    case op::kShare:
      return openTable(t, a.mode);
    case op::kCreate:
      return createTable(t, call.file);
    case op::kClose:
      return closeTable(t);
    case op::kRemove:
      return removeTable(t);
    case op::kCopy:
      return copyTable(t, call.texts[0], false);
    case op::kRename:
      return copyTable(t, call.texts[0], true);
    case op::kSend:
      return send(t, call.texts[0]);
    case op::kName:
      return OpOutcome::okText(t.m_name);
    case op::kBuild:
      return buildOrPack(t, nullptr, false);
    case op::kBuildKey:
      return buildOrPack(t, a.key, false);
    case op::kPack:
      return buildOrPack(t, nullptr, true);
    default:
      break;
  }
  if (!t.m_file) return OpOutcome::fail(runtime::err::kFileNotOpen);
  if (!t.m_file->usable()) return OpOutcome::fail(runtime::err::kAccessDenied);
  switch (call.code) {
    case op::kAdd:
      return addRecord(t, false);
    case op::kAppend:
      return addRecord(t, true);
    case op::kPut:
      return putRecord(t);
    case op::kPutPosition:
      return putAtPosition(t, a.pointer);
    case op::kDelete:
      return deleteRecord(t);
    case op::kGetByKey:
      return getByKey(t, a.key);
    case op::kGetByPosition:
    case op::kGetByPositionVariant:
    case op::kGetPositionLength:
      return getByPosition(t, a.pointer);
    case op::kReget:
      return regetRecord(t, nullptr, call.texts[0]);
    case op::kRegetKey:
      return regetRecord(t, a.key, call.texts[0]);
    case op::kHold:
      return hold(t, -1);
    case op::kHoldTimed:
      return hold(t, a.seconds);
    case op::kRelease:
      return release(t);
    case op::kWatch:
      return watch(t);
    case op::kDuplicateAny:
      return duplicateCheck(t, nullptr);
    case op::kDuplicateKey:
      return duplicateCheck(t, a.key);
    case op::kSetFile:
    case op::kSetFurther42:
    case op::kSetFilePointer:
    case op::kSetKey:
    case op::kSetKeyValues:
    case op::kSetFurther46:
    case op::kSetFurther47:
      return setSequence(t, call);
    case op::kReset:
      return resetSequence(t, nullptr, call.texts[0]);
    case op::kResetKey:
      return resetSequence(t, a.key, call.texts[0]);
    case op::kNext:
      return readSequential(t, true);
    case op::kPrevious:
      return readSequential(t, false);
    case op::kSkip:
      return skipRecords(t, a.count);
    case op::kBof:
      return atEnd(t, false);
    case op::kEof:
      return atEnd(t, true);
    case op::kPosition:
      return position(t, nullptr);
    case op::kPositionKey:
      return position(t, a.key);
    case op::kRecords:
      return records(t, nullptr);
    case op::kRecordsKey:
      return records(t, a.key);
    case op::kPointer:
    case op::kPointerVariant:
      return OpOutcome::ok(static_cast<int32_t>(t.m_current));
    case op::kBytes: {
      if (t.m_state & storage::kStateCurrent) return OpOutcome::ok(static_cast<int32_t>(t.m_recordLength));
      const OpOutcome n = records(t, nullptr);
      if (!n.success) return n;
      return OpOutcome::ok(static_cast<int32_t>(static_cast<int64_t>(n.value) * t.m_recordLength));
    }
    case op::kEmpty:
      return emptyTable(t);
    case op::kBuildKeyWithText:
      return buildKeyFromText(t, a.key, call.texts[0], {});
    case op::kBuildKeyWithTwoTexts:
      return buildKeyFromText(t, a.key, call.texts[0], call.texts[1]);
    case op::kLogout:
      t.m_file->transaction().logout(t.m_file->access());
      return OpOutcome::ok();
    case op::kCommit: {
      Transaction& transaction = t.m_file->transaction();
      const int rc = transaction.commit();
      endTransactionEverywhere(transaction);
      return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
    }
    case op::kRollback: {
      Transaction& transaction = t.m_file->transaction();
      transaction.rollback();
      endTransactionEverywhere(transaction);
      return OpOutcome::ok();
    }
    case op::kLock:
    case op::kLockTimed: {
      const int rc = t.m_file->locks().lockTable(t.m_table, call.code == op::kLock ? -1 : a.seconds);
      return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
    }
    case op::kUnlock:
      t.m_file->locks().unlockItem(t.m_table);
      return OpOutcome::ok();
    case op::kStream:
      ++t.m_file->streamers;
      return OpOutcome::ok();
    case op::kFlush: {
      if (t.m_file->streamers > 0) --t.m_file->streamers;
      const int rc = t.m_file->enrolled() ? 0 : t.m_file->commitNow();
      return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
    }
    case op::kNoOperation:
      return OpOutcome::ok();
    case op::kCurrentOrder:
      return OpOutcome::ok(t.m_order);
    case op::kMemoSliceSet:
      return memoSliceSet(t, call);
    case op::kMemoSlice: {
      // The slice is no text result of the common dispatch: the driver
      // leaves it on the string stack itself, and only when it succeeds.
      OpOutcome slice = memoSlice(t, call);
      if (slice.success) runtime::stringStack().push(std::move(slice.text));
      return slice;
    }
    case op::kMemoSize:
      return memoSize(t, call);
    case op::kMemoPropertySet:
      return memoPropertySet(t, call);
    case op::kMemoPropertyGet:
      return memoPropertyGet(t, call);
    default:
      return OpOutcome::fail(runtime::err::kUnsupportedFunction);
  }
}

OpOutcome perform(OpCall& call) {
  auto& t = static_cast<StrandelTable&>(call.instance);
  OpOutcome outcome = run(t, call);
  // The end of every operation, failed ones included: whatever a failed
  // operation changed (the undo of a duplicate, a used-up number) is
  // committed with it.
  if (t.m_file) {
    const int rc = t.m_file->endOperation();
    if (rc && outcome.success) outcome = OpOutcome::fail(rc);
  }
  return outcome;
}

DriverRegistration makeRegistration()
{
  DriverRegistration r;
  r.name = storage::registrationText<storage::kRegNameSize>("STRANDEL");
  r.library = storage::registrationText<storage::kRegLibrarySize>("KWSDF16.DLL");
  r.description = storage::registrationText<storage::kRegDescriptionSize>("Strandel (SDF) Driver 1.00");
  r.entry = &strandelDriverEntry;
  r.version = kDriverVersion;
  // Limits (longest record, most keys, memos and fields, longest key), then
  // the per-field, per-key and per-memo descriptor sizes and the per-table
  // instance size.
  r.limits = {65535, 255, 255, 65535, 255, 37, 37, 40, 126};
  r.capabilities = strandelCapabilities();
  r.capabilityCount = strandelCapabilityCount();
  return r;
}

const storage::DriverTable& driverTable()
{
  static const storage::DriverTable s{strandelRows(), strandelRowCount(), &strandelRegistration(),
                                     &RegisteredTable::make, &perform, 0};
  return s;
}

}  // namespace

StrandelTable::~StrandelTable() {
  liveTables().erase(this);
  releaseHold();
  for (TableMemo& memo : m_memos)
    if (memo.block) freeMemoryBlock(memo.block);
}

const DriverRegistration& strandelRegistration()
{
  static const DriverRegistration block = [] {
    DriverRegistration r = makeRegistration();
    return r;
  }();
  static const bool published = (storage::publishRegistration(block), true);
  (void)published;
  return block;
}

int32_t strandelDriverEntry(int32_t code, storage::Descriptor* descriptor, storage::ArgBlock* args)
{
  return storage::dispatch(driverTable(), code, descriptor, args);
}

}  // namespace linkar::keyed
