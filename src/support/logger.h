#pragma once
// Per-channel log files: "<channel>.log" in the "Log" folder under the client
// root folder. A channel's file is truncated when the channel is first used in
// a run; every record is on disk before Log returns. Records are written in
// the local ANSI code page.
#include <windows.h>
#include <string>

class ILogger {
public:
    virtual ~ILogger() = default;
    // Writes one record: the local time stamp, a blank, the message, LF, CR LF.
    // Never raises: a log file that could not be opened drops its records.
    virtual void Log(const std::wstring& message) = 0;
};

// Computes the log folder from the client root folder and makes sure it
// exists. An empty "Log" folder is removed and created anew; a folder that
// holds files keeps them. Call once the settings are loaded.
void InitLogging();

// The channel's logger, created on first use (channel names are
// case-sensitive). The registry keeps ownership; the pointer stays valid until
// the process ends, also across ClearLoggers.
ILogger* GetLogger(const std::wstring& channel);

// Empties the registry and closes every channel's file; a channel used again
// afterwards starts a new, truncated file. Loggers already handed out stay
// valid but write nothing more.
void ClearLoggers();

// The log folder InitLogging computed (empty before it ran).
std::wstring LogFolder();

// "[%4d-%02d-%02d %02d:%02d:%02d.%03d]" of the given local time.
std::wstring FormatLogStamp(const SYSTEMTIME& time);
