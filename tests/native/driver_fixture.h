// Shared fixture for the native tests of the driver: the stand-in bridge records
// every transfer, the driver's waits go into the same log instead of sleeping, and
// each test starts from the driver state of a freshly loaded library with shared
// blocks of its own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge_stub.h"
#include "driver_state.h"
#include "errors.h"
#include "platform/platform.h"

class DriverTest : public ::testing::Test {
public:

    // The log since the last reset as tokens (see bridge_tokens.h).
    static std::string Stream();
    static std::vector<BridgeRecord> Records();
    static void ClearLog() { BridgeStubReset(); }

    // The driver state of a freshly loaded library; releases any mapped block.
    static void ResetDriver();
    // Removes this process's test blocks.
    static void RemoveBlocks();
    // The shared-memory prefix that keeps this process's blocks apart.
    static const char* BlockPrefix();

protected:
    void SetUp() override;
    void TearDown() override;
};

// A page that can be neither read nor written, for addresses that fault.
char* UnmappedPage();

// Calls CalculateEx with four buffers guarded past their 81st byte and returns
// the four outputs; a write past 81 bytes fails the calling test.
std::vector<std::string> ReadOutputs();

// The start-up stream: 9 instructions with their waits, 20 ms in all.
extern const char kStartupStream[];

// The message text of an error, as FormatErrorMessage writes it.
std::string MessageOf(const Error& error);

// Runs `steps` in a guard frame; returns the message of the error it raised, or
// "" when it ran to its end.
template <class Steps>
std::string RaisedMessage(Steps steps) {
    Error error;
    return RunGuarded(steps, &error) ? std::string() : MessageOf(error);
}
