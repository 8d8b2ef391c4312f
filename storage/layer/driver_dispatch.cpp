// The common dispatch: steps 1 to 8 every driver entry follows.
#include "storage/layer/driver_dispatch.h"

#include <cassert>
#include <new>

#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/string_stack.h"
#include "storage/layer/declaration_registry.h"
#include "storage/layer/op_codes.h"
#include "storage/layer/thread_files.h"

namespace linkar::storage {

namespace {

using namespace runtime::err;

bool registersFirst(int32_t code)
{
    return code == op::kSend || code == op::kOpen || code == op::kShare;
}

bool isOpening(int32_t code)
{
    return code == op::kOpen || code == op::kShare;
}

// The precondition check of a row against the instance's state bits.
OpOutcome checkRow(const PreconditionRow& row, const DriverInstance& inst)
{
    uint32_t missing = row.require & ~inst.m_state;
    if (missing & kStateOpen)
        return OpOutcome::fail(kFileNotOpen);
    if (missing && (inst.m_state & kStateOpen)) {
        if (missing & (kStateCurrent | kStateSequence))
            return OpOutcome::fail(kRecordNotAvailable);
        if (missing & kStateExclusive)
            return OpOutcome::fail(kExclusiveAccessRequired);
        if (missing & kStateWrite)
            return OpOutcome::fail(kAccessDenied);
        return OpOutcome::failSilently();
    }
    uint32_t present = row.forbid & inst.m_state;
    if (present & kStateOpen)
        return OpOutcome::fail(kFileAlreadyOpen);
    if (present & kStateTransaction)
        return OpOutcome::fail(kLogoutAlreadyActive);
    if (present)
        return OpOutcome::failSilently();
    return OpOutcome::ok();
}

void popTexts(OpCall& call)
{
    call.textCount = op::textOperandCount(call.code);
    for (int i = call.textCount - 1; i >= 0; --i)
        call.texts[i] = runtime::stringStack().pop();
}

// Applies the row's masks and after-actions, and posts the error.
void finish(const PreconditionRow* row, const OpOutcome& outcome, OpCall& call)
{
    FileDecl& file = call.file;
    bool discard = false;
    if (outcome.success) {
        if (row != nullptr) {
            call.instance.m_state |= row->set;
            call.instance.m_state &= ~row->clear;
            if (row->after & kAfterClearError)
                runtime::clearError();
            if (row->after & kAfterRemember)
                call.instance.m_lastOperation = call.code;
            discard = (row->after & kAfterDiscard) != 0;
        }
    } else {
        if (row != nullptr)
            call.instance.m_state &= ~row->clearOnError;
        bool discardsOnFailure = isOpening(call.code) || (row != nullptr && (row->after & kAfterDiscard));
        discard = outcome.hasCode &&
                  (outcome.code == kFileNotOpen || (discardsOnFailure && outcome.code != kFileAlreadyOpen));
        if (!outcome.hasCode && discardsOnFailure)
            discard = true;
    }
    if (discard)
        instanceOf(file).reset();
    if (!outcome.success && outcome.hasCode)
        runtime::setErrorFromCode(outcome.code, &file);
}

int32_t answer(int32_t code, const OpOutcome& outcome)
{
    if (!outcome.success)
        return (code == op::kBof || code == op::kEof) ? 1 : 0;
    return outcome.value;
}

}  // namespace

int32_t dispatch(const DriverTable& driver, int32_t code, Descriptor* descriptor, ArgBlock* args)
{
    // 1. The view-engine query answers before any state or error handling.
    if (code == op::kViewEngine)
        return driver.viewEngine;
    assert(descriptor != nullptr);
    FileDecl& file = static_cast<FileDecl&>(*descriptor);
    ArgBlock noArgs;
    if (args == nullptr)
        args = &noArgs;

    // 2. Registration with the runtime before OPEN, SHARE and SEND.
    if (registersFirst(code) && (file.attributeBits & kAttrRegister))
        registerDeclaration(file);

    // 4 (first half). The instance, created on first sight.
    int createError = 0;
    std::unique_ptr<DriverInstance>& instance = instanceOf(file);
    if (!instance) {
        std::unique_ptr<DriverInstance> created = driver.createInstance(file, createError);
        if (!created) {
            // 3. Text operands are still taken off the stack.
            for (int i = op::textOperandCount(code); i > 0; --i)
                runtime::stringStack().pop();
            if (op::hasTextResult(code))
                runtime::stringStack().push("");
            runtime::setErrorFromCode(createError != 0 ? createError : 8, &file);
            return answer(code, OpOutcome::failSilently());
        }
        instance = std::move(created);
    }

    OpCall call{code, file, *instance, *args, {}, 0};
    // 3. Text operands, the last pushed first.
    popTexts(call);

    OpOutcome outcome;
    const PreconditionRow* row = nullptr;
    if (code < 1 || code > driver.rowCount) {
        outcome = OpOutcome::fail(kUnsupportedFunction);
    } else {
        row = &driver.rows[code - 1];
        // 4 (second half). The precondition row against the state bits.
        outcome = checkRow(*row, call.instance);
        // 5. The operation itself.
        if (outcome.success) {
            if (driver.registration != nullptr && !driver.registration->handles(code))
                outcome = OpOutcome::fail(kUnsupportedFunction);
            else
                outcome = driver.perform(call);
        }
    }

    // 6. Text results go on the stack, also when the call failed.
    if (op::hasTextResult(code))
        runtime::stringStack().push(outcome.success ? outcome.text : std::string());

    // 7 and 8. Masks, after-actions, instance discarding, error state.
    finish(row, outcome, call);
    return answer(code, outcome);
}

}  // namespace linkar::storage
