// The start-up parameter's syntax as tables: texts that are device numbers, with
// their values, and texts that are not. Natively they check the parse itself
// (tests/native/text_test.cpp); on both sides they run through Init
// (init_parameter_cases.cpp), which opens the device of a number of 0 or more,
// refuses a negative one as out of range and quotes a text that is no number.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct DeviceNumberCase {
    const char* text;
    int32_t value;
};

const std::vector<DeviceNumberCase>& DeviceNumbers();
const std::vector<const char*>& NotDeviceNumbers();

// Every parameter that Init refuses, with the text it returns: each text that is no
// number, a null one, and each negative number.
struct InitFailure {
    const char* parameter;  // null: the host passed no text
    std::string text;
    bool range;  // a number out of range (negative): the device number is stored
};

const std::vector<InitFailure>& InitFailures();
