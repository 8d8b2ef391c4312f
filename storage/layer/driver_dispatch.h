// The common dispatch inside a driver's entry: the steps every driver takes
// around its own operation (text operands from the string stack, the driver
// instance, the precondition row, text results, the row's masks, the error
// state). A driver supplies its table, its instance factory and its
// operations; the dispatch does the rest.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "storage/layer/declarations.h"
#include "storage/layer/driver_instance.h"
#include "storage/layer/driver_registration.h"
#include "storage/layer/precondition_table.h"

namespace linkar::storage {

// The outcome of one operation as a driver reports it.
struct OpOutcome {
    bool success = true;
    bool hasCode = false;  // a failure with an error code (0 = the OS error)
    int32_t code = 0;
    int32_t value = 0;     // numeric answer
    std::string text;      // text answer of the codes with a text result

    static OpOutcome ok(int32_t value = 0) { return {true, false, 0, value, {}}; }
    static OpOutcome okText(std::string text) { return {true, false, 0, 0, std::move(text)}; }
    static OpOutcome fail(int32_t code) { return {false, true, code, 0, {}}; }
    static OpOutcome failSilently() { return {false, false, 0, 0, {}}; }
};

// What an operation sees: the call and its popped text operands.
struct OpCall {
    int32_t code = 0;
    FileDecl& file;
    DriverInstance& instance;
    ArgBlock& args;
    std::string texts[2];  // in source order: texts[0] was pushed first
    int textCount = 0;
};

struct DriverTable {
    const PreconditionRow* rows = nullptr;  // row = code - 1
    int32_t rowCount = 0;
    const DriverRegistration* registration = nullptr;  // capability list
    // Creates the driver's instance for a file; sets error (47, 75 or 8) on failure.
    std::unique_ptr<DriverInstance> (*createInstance)(const FileDecl& file, int& error) = nullptr;
    OpOutcome (*perform)(OpCall& call) = nullptr;
    int32_t viewEngine = 0;  // the answer to the view-engine query (0: none)
};

// Runs one statement through a driver. Returns the numeric answer (BOF and
// EOF answer 1 when the call fails).
int32_t dispatch(const DriverTable& driver, int32_t code, Descriptor* descriptor, ArgBlock* args);

}  // namespace linkar::storage
