#pragma once
// Whether the system reports a working network connection.
//
// The network-state service is loaded at run time: the i686 MinGW toolchain
// ships no import library for it. When the service itself is missing the
// loader goes on, and an unreachable server shows the update's own messages.
bool IsNetworkAvailable();
