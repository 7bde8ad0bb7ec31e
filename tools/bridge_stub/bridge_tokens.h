// The stand-in bridge's log as one line of short tokens, for tests to compare whole
// streams at a glance: "open0", "close0", "i30" (instruction byte, hex), "d41" (data
// byte, hex), "w1" (wait, ms); writes to a device other than 0 carry "@N".
#pragma once

#include <stdio.h>

#include <string>

#include "bridge_stub.h"

inline std::string BridgeStreamTokens() {
    std::string stream;
    BridgeRecord r;
    for (uint32_t i = 0; BridgeStubGet(i, &r); ++i) {
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
