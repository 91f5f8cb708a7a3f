// What the windows get from the platform besides JV-Link: where status texts and
// messages go, the yield to the event loop, and the shell. Plain C++; the Qt
// layer and the command-line driver implement them.
#pragma once
#include <functional>
#include <utility>
#include <vector>
#include <string>

namespace kv {

// Status texts and colours written into controls of a window (by control name,
// e.g. "Text4", "Label1"). Texts are UTF-8.
struct StatusSink {
    virtual ~StatusSink() = default;
    virtual void setText(const std::string& control, const std::string& text) = 0;
    // Optional: colours as 0xRRGGBB; default does nothing.
    virtual void setBackColor(const std::string& /*control*/, unsigned /*rgb*/) {}
    virtual void setForeColor(const std::string& /*control*/, unsigned /*rgb*/) {}
};

// Message boxes: the exact text, OK only; the answer is never used.
struct MessageSink {
    virtual ~MessageSink() = default;
    virtual void message(const std::string& text) = 0;
};

// Progress of long work (terminal bar in the command-line driver, progress bars in the GUI).
struct ProgressSink {
    virtual ~ProgressSink() = default;
    virtual void progress(const std::string& bar, long value, long max) = 0;
};

// Lets the window system process its pending messages (one yield).
using YieldFn = std::function<void()>;

// Opening web pages and starting programs.
struct Shell {
    virtual ~Shell() = default;
    // Opens a web address in the desktop's browser; false when that failed.
    virtual bool openUrl(const std::string& url) = 0;
    // Starts a program; false when it could not be started.
    virtual bool startProgram(const std::string& path) = 0;
};

// Sinks that drop everything (headless defaults).
struct NullStatusSink : StatusSink {
    void setText(const std::string&, const std::string&) override {}
};
struct NullMessageSink : MessageSink {
    void message(const std::string&) override {}
};
struct NullProgressSink : ProgressSink {
    void progress(const std::string&, long, long) override {}
};

// Records everything (tests).
struct RecordingStatusSink : StatusSink {
    std::vector<std::pair<std::string, std::string>> texts;
    void setText(const std::string& c, const std::string& t) override { texts.emplace_back(c, t); }
    std::string last(const std::string& control) const {
        for (auto it = texts.rbegin(); it != texts.rend(); ++it)
            if (it->first == control) return it->second;
        return {};
    }
};
struct RecordingMessageSink : MessageSink {
    std::vector<std::string> messages;
    void message(const std::string& t) override { messages.push_back(t); }
};

}  // namespace kv
