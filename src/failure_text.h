// The failure text that DISPLAYDLL_Init returns when it reports an error:
// "Exception: " followed by the error's message, zero-terminated. One per loaded
// library; it stays readable and unchanged until the next Init that fails.
#pragma once

struct Error;

// Puts the failure text for `error` together, replacing the previous one, and
// returns its address.
const char* ComposeFailureText(const Error& error);
