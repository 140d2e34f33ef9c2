#include "support/logger.h"

#include <cwchar>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "config/paths.h"
#include "config/settings.h"
#include "config/text.h"
#include "framework/exceptions.h"
#include "framework/unique_any.h"
#include "support/file_stream.h"
#include "support/stream_writer.h"

namespace {

class LoggerImpl : public ILogger {
public:
    // Others may append to the file but not read it while the loader runs.
    explicit LoggerImpl(const std::wstring& path)
        : stream_(path, FileStream::modeCreate, FileStream::denyRead), writer_(stream_, true) {}

    void Log(const std::wstring& message) override {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        const std::wstring line = FormatLogStamp(now) + L" " + message + L"\n";
        fw::Lock lock(lock_);
        if (closed_) return;
        try {
            writer_.WriteLine(line);
        } catch (const fw::CFileException&) {
            // Logging never reports to the player; a file that could not be
            // opened (or a full disk) loses its records and nothing else.
        }
    }

    void Close() {
        fw::Lock lock(lock_);
        closed_ = true;
        writer_.Close();
    }

private:
    FileStream stream_;
    StreamWriter writer_;
    fw::CriticalSection lock_;
    bool closed_ = false;
};

// A channel as handed out. Names are case-sensitive, but Windows file names
// are not: channels whose file names differ only in case share one file and
// its lock, so their records neither overwrite nor interleave with each other.
class ChannelLogger : public ILogger {
public:
    explicit ChannelLogger(std::shared_ptr<LoggerImpl> file) : file_(std::move(file)) {}
    void Log(const std::wstring& message) override { file_->Log(message); }
    LoggerImpl& File() { return *file_; }

private:
    std::shared_ptr<LoggerImpl> file_;
};

struct Registry {
    fw::CriticalSection lock;
    std::wstring folder;
    std::map<std::wstring, std::unique_ptr<ChannelLogger>> loggers;
    std::map<std::wstring, std::weak_ptr<LoggerImpl>> files;  // by lower-case path
    // Loggers taken out of the map by ClearLoggers. Another thread may still
    // hold one of them, so they live on (closed) until the process ends.
    std::vector<std::unique_ptr<ChannelLogger>> retired;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // never destroyed: loggers outlive static destruction
    return *registry;
}

}  // namespace

std::wstring FormatLogStamp(const SYSTEMTIME& t) {
    wchar_t buffer[64] = {};
    std::swprintf(buffer, 64, L"[%4d-%02d-%02d %02d:%02d:%02d.%03d]", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond, t.wMilliseconds);
    return buffer;
}

void InitLogging() {
    const std::wstring folder = CombinePath(ClientRootFolder(), L"Log");
    {
        Registry& registry = TheRegistry();
        fw::Lock lock(registry.lock);
        registry.folder = folder;
    }
    // Succeeds only for an empty folder; one holding files stays as it is.
    ::RemoveDirectoryW(folder.c_str());
    CreateDirectoryTree(folder);
}

std::wstring LogFolder() {
    Registry& registry = TheRegistry();
    fw::Lock lock(registry.lock);
    return registry.folder;
}

ILogger* GetLogger(const std::wstring& channel) {
    Registry& registry = TheRegistry();
    fw::Lock lock(registry.lock);
    std::unique_ptr<ChannelLogger>& slot = registry.loggers[channel];
    if (!slot) {
        // Before InitLogging the folder is still where it will be.
        const std::wstring folder =
            registry.folder.empty() ? CombinePath(ClientRootFolder(), L"Log") : registry.folder;
        const std::wstring path = CombinePath(folder, channel + L".log");
        std::weak_ptr<LoggerImpl>& known = registry.files[ToLowerText(path)];
        std::shared_ptr<LoggerImpl> file = known.lock();
        if (!file) {
            file = std::make_shared<LoggerImpl>(path);
            known = file;
        }
        slot = std::make_unique<ChannelLogger>(std::move(file));
    }
    return slot.get();
}

void ClearLoggers() {
    Registry& registry = TheRegistry();
    std::vector<LoggerImpl*> closing;
    {
        fw::Lock lock(registry.lock);
        for (auto& entry : registry.loggers) {
            closing.push_back(&entry.second->File());
            registry.retired.push_back(std::move(entry.second));
        }
        registry.loggers.clear();
        registry.files.clear();
    }
    // Each file's own lock is taken after the registry's is released: the
    // two are never held together. Closing a shared file twice is harmless.
    for (LoggerImpl* logger : closing) logger->Close();
}
