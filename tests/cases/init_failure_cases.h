// Start-up parameters that Init refuses, with the text it returns for each: written
// once, checked through the binding on both sides (init_failure_cases.cpp) and
// against the driver state natively.
#pragma once

#include <string>
#include <vector>

struct InitFailure {
    const char* parameter;  // null: the host passed no text
    std::string text;
    bool range;  // a number out of range (negative): the device number is stored
};

const std::vector<InitFailure>& InitFailures();
