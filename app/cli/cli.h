// The headless command-line driver: named steps run one after another over
// the same handler code as the windows' buttons.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/dates.h"
#include "platform/sinks.h"

namespace kv::pred { class YOSOKEKKATHISWEEKNQUEL; }
namespace kv::display { class RaceDisplay; }

namespace kvcli {

// Prints "<control>: <text>" on standard output.
struct ConsoleStatus : kv::StatusSink {
    void setText(const std::string& control, const std::string& text) override;
};
// Prints "MSG: <text>" on standard error and counts the messages.
struct ConsoleMessages : kv::MessageSink {
    int count = 0;
    void message(const std::string& text) override;
};
// A progress bar on a terminal (nothing when standard error is not a terminal).
struct TerminalProgress : kv::ProgressSink {
    void progress(const std::string& bar, long value, long max) override;
    void finish();
private:
    bool active_ = false;
};

struct Context {
    std::string appDir;   // with a trailing "/"
    std::string feedDir;  // the JV-Link emulator's feed folder
    ConsoleStatus status;
    ConsoleMessages messages;
    TerminalProgress progress;
    kv::SystemClock clock;
    // The predictions window the last predict of this invocation opened, and
    // its race display (made on first use).
    std::shared_ptr<kv::pred::YOSOKEKKATHISWEEKNQUEL> predictions;
    std::shared_ptr<kv::display::RaceDisplay> raceDisplay;
};

// A step gets the options written after its name (e.g. "--live") and returns
// 0 on success, non-zero on failure.
struct Step {
    std::string name;
    std::string help;
    std::function<int(Context&, const std::vector<std::string>& options)> run;
};

// Each subsystem adds its steps (one file per subsystem).
void addAcquisitionSteps(std::vector<Step>& steps);
void addExpansionSteps(std::vector<Step>& steps);
void addPredictionSteps(std::vector<Step>& steps);
void addStructureSteps(std::vector<Step>& steps);
void addFactorViewSteps(std::vector<Step>& steps);
void addDisplaySteps(std::vector<Step>& steps);

// Opens the predictions window (its load is the prediction run), prints what
// predict prints and keeps the window in ctx; true when the run had failures.
// threads: worker threads of the prediction run (0: as many as the cores allow).
bool openPredictions(Context& ctx, unsigned threads = 0);
// The value of a "--threads=N" option (0 when absent or no sensible count).
unsigned threadsOption(const std::vector<std::string>& options);
void addHistorySteps(std::vector<Step>& steps);

// Every step, in the order the subsystems added them.
std::vector<Step>& table();
// True when a step of that name is in the table.
bool hasStep(const std::string& name);
// Runs the named step from the table (used by run-week).
int runStep(Context& ctx, const std::string& name, const std::vector<std::string>& options = {});

}  // namespace kvcli
