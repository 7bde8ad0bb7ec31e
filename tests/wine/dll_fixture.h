// A test of the one loaded vantrel.dll that starts and ends with an empty bridge log.
#pragma once

#include <gtest/gtest.h>

#include "vantrel_dll.h"

class LoadedDllTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Dll().module, nullptr) << "vantrel.dll not loaded: " << GetLastError();
        BridgeStubReset();
    }
    void TearDown() override { BridgeStubReset(); }
};
