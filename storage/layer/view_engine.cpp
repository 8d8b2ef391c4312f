// The generic view engine.
#include "storage/layer/view_engine.h"

#include <memory>
#include <string>

#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/string_stack.h"
#include "storage/layer/driver_registration.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/op_codes.h"
#include "storage/layer/view_filter.h"

namespace linkar::storage {

namespace err = runtime::err;

namespace {

struct ViewState {
    bool open = false;
    bool positioned = false;   // a record was read since OPEN or RESET
    bool regotten = false;     // REGET holds the record; reading waits for a RESET
    std::string filterText;
    std::unique_ptr<CompiledFilter> filter;
    const DriverRegistration* registration = nullptr;
};

ViewState& state(ViewDescriptor& view)
{
    if (!view.engineState)
        view.engineState = std::make_shared<ViewState>();
    return *static_cast<ViewState*>(view.engineState.get());
}

int32_t failWith(ViewDescriptor& view, int32_t code)
{
    runtime::setErrorFromCode(code, &view);
    return 0;
}

FileDecl& primaryOf(ViewDescriptor& view)
{
    return *view.files.front();
}

KeyDecl* viewKey(ViewDescriptor& view, size_t file)
{
    if (view.order == nullptr || file >= view.order->keys.size())
        return nullptr;
    return view.order->keys[file];
}

bool offers(const ViewState& s, int32_t code)
{
    return s.registration == nullptr || s.registration->handles(code);
}

int32_t openView(ViewDescriptor& view, ViewState& s)
{
    if (s.open)
        return failWith(view, err::kFileAlreadyOpen);
    FileDecl& primary = primaryOf(view);
    runtime::saveError();
    s.registration = registrationFromAnswer(fileSend(primary, "REGISTER"));
    runtime::restoreError();
    if (!s.filter && !s.filterText.empty())
        s.filter = compileViewFilter(s.filterText);
    s.open = true;
    s.positioned = false;
    s.regotten = false;
    runtime::clearError();
    return 0;
}

int32_t closeView(ViewDescriptor& view)
{
    view.engineState.reset();
    view.entry = &viewBootstrap;
    runtime::clearError();
    return 0;
}

// One step through the primary file, passing over rejected records.
// Returns true with a record in the buffer, false with the error posted.
bool step(ViewDescriptor& view, ViewState& s, bool forward)
{
    FileDecl& primary = primaryOf(view);
    int32_t code = forward ? op::kNext : op::kPrevious;
    if (!offers(s, code)) {
        failWith(view, err::kUnsupportedFunction);
        return false;
    }
    for (;;) {
        runtime::clearError();
        if (forward)
            fileNext(primary);
        else
            filePrevious(primary);
        if (runtime::errorCode() != 0)
            return false;
        if (!s.filter || s.filter->accepts()) {
            s.positioned = true;
            return true;
        }
    }
}

int32_t read(ViewDescriptor& view, ViewState& s, bool forward)
{
    if (!s.open)
        return failWith(view, err::kFileNotOpen);
    if (s.regotten)
        return failWith(view, err::kUnknownErrorPosted);
    step(view, s, forward);
    return 0;
}

int32_t skip(ViewDescriptor& view, ViewState& s, int32_t count)
{
    if (!s.open)
        return failWith(view, err::kFileNotOpen);
    if (s.regotten)
        return failWith(view, err::kUnknownErrorPosted);
    bool forward = count > 0;
    for (int32_t n = forward ? count : -count; n > 0; --n) {
        if (!step(view, s, forward)) {
            // Reaching the end ends the skip; it is not an error.
            runtime::clearError();
            break;
        }
    }
    return 0;
}

int32_t position(ViewDescriptor& view, ViewState& s)
{
    if (!s.open || !s.positioned) {
        runtime::stringStack().push("");
        return failWith(view, s.open ? err::kRecordNotAvailable : err::kFileNotOpen);
    }
    ViewPosition p;
    runtime::clearError();
    p.order = fileCurrentOrder(primaryOf(view));
    for (size_t i = 0; i < view.files.size(); ++i) {
        KeyDecl* key = viewKey(view, i);
        runtime::clearError();
        p.parts.push_back(key != nullptr ? filePositionKey(*view.files[i], *key) : filePosition(*view.files[i]));
        if (runtime::errorCode() != 0) {
            runtime::stringStack().push("");
            return 0;
        }
    }
    runtime::stringStack().push(encodeViewPosition(p));
    runtime::clearError();
    return 0;
}

// RESET (reget false) or REGET (reget true) to a view position text.
int32_t restore(ViewDescriptor& view, ViewState& s, const std::string& text, bool reget)
{
    if (!s.open)
        return failWith(view, err::kFileNotOpen);
    FileDecl& primary = primaryOf(view);
    ViewPosition p;
    if (decodeViewPosition(text, primary.keyCount, view.files.size(), p) != 0)
        return failWith(view, err::kUnknownErrorPosted);
    for (size_t i = 0; i < view.files.size(); ++i) {
        FileDecl& file = *view.files[i];
        const std::string& part = p.parts[i];
        // A file the view keeps a key for takes its part by key (for the
        // primary file, the key the text's order names); any other file
        // takes it as a position of the file, as POSITION made it.
        KeyDecl* key = viewKey(view, i);
        if (i == 0 && key != nullptr && p.order > 0)
            key = primary.keys[p.order - 1];
        runtime::clearError();
        if (part.empty()) {
            if (reget)
                fileGetPosition(file, 0);
        } else if (reget) {
            key != nullptr ? fileRegetKey(file, *key, part) : fileReget(file, part);
        } else {
            key != nullptr ? fileResetKey(file, *key, part) : fileReset(file, part);
        }
        if (runtime::errorCode() != 0)
            return 0;
    }
    s.regotten = reget;
    s.positioned = reget;
    return 0;
}

int32_t assignFilter(ViewState& s, std::string value)
{
    s.filterText = std::move(value);
    s.filter = compileViewFilter(s.filterText);
    runtime::clearError();
    return 0;
}

bool passesThrough(int32_t code)
{
    switch (code) {
    case op::kDelete: case op::kHold: case op::kHoldTimed: case op::kPut: case op::kRelease: case op::kWatch:
        return true;
    default:
        return false;
    }
}

}  // namespace

void initView(ViewDescriptor& view, ViewOrder& order, FileDecl& primary)
{
    view.entry = &viewBootstrap;
    view.order = &order;
    view.files = {&primary};
    view.engineState.reset();
}

int32_t viewBootstrap(int32_t code, Descriptor* descriptor, ArgBlock* args)
{
    auto& view = static_cast<ViewDescriptor&>(*descriptor);
    if (view.files.empty() || view.files.front() == nullptr)
        return failWith(view, err::kFileNotOpen);
    // A driver with an engine of its own would answer here; an address does
    // not fit the 32-bit answer on this platform, so every view runs on the
    // generic engine.
    fileViewEngine(primaryOf(view));
    view.entry = &genericViewEngine;
    return genericViewEngine(code, descriptor, args);
}

int32_t genericViewEngine(int32_t code, Descriptor* descriptor, ArgBlock* args)
{
    auto& view = static_cast<ViewDescriptor&>(*descriptor);
    ViewState& s = state(view);
    ArgBlock none;
    ArgBlock& a = args != nullptr ? *args : none;
    // Text operands of the codes that take them.
    std::string texts[2];
    for (int i = op::textOperandCount(code) - 1; i >= 0; --i)
        texts[i] = runtime::stringStack().pop();

    if (passesThrough(code))
        return fileCall(primaryOf(view), code, a);
    switch (code) {
    case op::kOpen: return openView(view, s);
    case op::kClose: return closeView(view);
    case op::kNext: return read(view, s, true);
    case op::kPrevious: return read(view, s, false);
    case op::kSkip: return skip(view, s, a.count);
    case op::kPosition: return position(view, s);
    case op::kReset: return restore(view, s, texts[0], false);
    case op::kReget: return restore(view, s, texts[0], true);
    case op::kPropertySet: return assignFilter(s, texts[1]);
    default:
        if (op::hasTextResult(code))
            runtime::stringStack().push("");
        return failWith(view, err::kUnsupportedFunction);
    }
}

}  // namespace linkar::storage
