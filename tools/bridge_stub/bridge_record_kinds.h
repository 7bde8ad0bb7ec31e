/* The kinds of record in the stand-in bridge's log, and so in a recorded bridge
   stream (VANTREL_BRIDGE_LOG), where each line starts with the kind's number.
   BRIDGE_RECORD_KINDS(X) calls X(name, number) for each kind; the stand-in bridge
   (bridge_stub.h) and the stream reader (tools/panel/bridge_stream.h) make their
   enumerations from it. */
#pragma once

#define BRIDGE_RECORD_KINDS(X) \
    X(Open, 1)        /* CH341OpenDevice */ \
    X(Close, 2)       /* CH341CloseDevice */ \
    X(Instruction, 3) /* CH341MemWriteAddr0: bus address 0 */ \
    X(Data, 4)        /* CH341MemWriteAddr1: bus address 1 */ \
    X(Wait, 5)        /* a wait; its byte field holds the milliseconds */
