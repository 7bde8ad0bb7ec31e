// The stand-in bridge's log as one line of short tokens, for tests to compare whole
// streams at a glance: "open0", "close0", "i30" (instruction byte, hex), "d41" (data
// byte, hex), "w1" (wait, ms); writes to a device other than 0 carry "@N".
// Natively the driver's waits are recorded in the log; under Wine they are real
// sleeps, so tables shared by both sides compare the stream without waits.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "vantrel_binding.h"

enum class Waits { Shown, Left };

inline std::string BridgeStreamTokens(Waits waits = Waits::Shown) {
    std::string stream;
    BridgeRecord r;
    for (uint32_t i = 0; Vantrel().bridge.Get(i, &r); ++i) {
        if (r.kind == BridgeWait && waits == Waits::Left) continue;
        char token[40];
        switch (r.kind) {
        case BridgeOpen: snprintf(token, sizeof token, "open%u", r.device); break;
        case BridgeClose: snprintf(token, sizeof token, "close%u", r.device); break;
        case BridgeInstruction: snprintf(token, sizeof token, "i%x", r.byte); break;
        case BridgeData: snprintf(token, sizeof token, "d%x", r.byte); break;
        case BridgeWait: snprintf(token, sizeof token, "w%u", r.byte); break;
        default: snprintf(token, sizeof token, "?%u", r.kind); break;
        }
        if (!stream.empty()) stream += ' ';
        stream += token;
        if ((r.kind == BridgeInstruction || r.kind == BridgeData) && r.device != 0) {
            stream += "@" + std::to_string(r.device);
        }
    }
    return stream;
}

// The log's records since the last reset.
inline std::vector<BridgeRecord> BridgeLog() {
    std::vector<BridgeRecord> records(Vantrel().bridge.Count());
    for (uint32_t i = 0; i < records.size(); ++i) Vantrel().bridge.Get(i, &records[i]);
    return records;
}
