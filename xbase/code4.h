// The engine handle: settings that apply to the tables opened through it, the
// pending error code, the error callback, and ownership of the open tables.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace xbase {

class Data4;

// A short text for a return code, for error reports.
const char* errorText(short code);

class Code4 {
  public:
    using ErrorCallback = std::function<void(short code, const std::string& text)>;

    Code4();
    ~Code4();  // closes every table still open
    Code4(const Code4&) = delete;
    Code4& operator=(const Code4&) = delete;

    // Settings. Defaults: error reports on, duplicate keys in unique tags
    // refused (20), no lock enforcement, shared access, no sync on flush.
    bool errorReports = true;
    short uniqueMode = 20;  // 20: refuse the record (rc::kUnique); 25: keep it, skip the key
    bool lockEnforce = false;
    bool denyWrite = false;  // access mode for tables opened afterwards
    bool largeFiles = false;
    bool syncOnFlush = false;  // d4flush also makes the writes durable
    int appendLockWaitMs = 3000;

    short errorCode() const { return errorCode_; }
    // Sets the pending error code; returns the previous one.
    short setErrorCode(short code);
    void setErrorCallback(ErrorCallback callback) { callback_ = std::move(callback); }
    // Records an error: sets the pending code and, when reports are on, calls
    // the callback with the code and text. Returns code.
    short report(short code, const std::string& text);

    // Takes ownership of an open table; returns it.
    Data4* adopt(std::unique_ptr<Data4> table);
    // Closes (flushes) and destroys a table; its result code.
    short close(Data4* table);
    short closeAll();

  private:
    short errorCode_ = 0;
    ErrorCallback callback_;
    std::vector<std::unique_ptr<Data4>> tables_;
};

}  // namespace xbase
