// The expansion window's logic: button 4 (previous-day fixing), button 5 (the
// calculation run) and the close button. Its controls are plain data; every
// change is also sent to the status and progress sinks by control name
// ("Text1", "Text3", "ProgressBar1", "ProgressBar3", "ProgressBar4").
//
// The calculation fuses, per horse and in memory, the building of the expanded
// run records and their factor, lookup and prediction phases, and runs the
// horses on a pool of threads. Each horse's file is written once; the files do
// not depend on the number of threads. A failure inside one horse ends that
// horse's work only (its file holds what the builder made of it).
#pragma once
#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sinks.h"

namespace kv::expansion {

struct ProgressBarState {
    long value = 0;
    long min = 0;
    long max = 100;
};

// The window's controls as plain data.
struct ExpansionControls {
    std::string caption;
    std::string Command1, Command2, Command3;       // button captions
    std::string Label1, Label2, Label4;
    std::string Text1 = "Text1", Text2 = "Text2", Text3 = "Text3";
    ProgressBarState ProgressBar1, ProgressBar3, ProgressBar4;
    bool busy = false;                              // 4 or 5 under way: both buttons blocked
};

// What one calculation run did.
struct CalculationReport {
    bool started = false;            // false: another run of 4 or 5 was under way
    std::size_t horses = 0;          // listed horses (each once)
    std::size_t failedHorses = 0;    // horses whose building or calculation failed
    std::string firstFailedKettoNum;
    std::size_t dataFailedHorses = 0;  // of those: failed for their data (a time that holds no number)
    std::string firstFailedData;       // what failed the first failed horse when it was its data
    std::string tableFailure;        // a factor weight table that could not be read (its path)
    std::string error;               // an unexpected failure outside the horses
    long hahaumaRecords = 0, kyosobaRecords = 0;  // work file records (-1: not written)
    std::vector<std::string> workFileFailures;    // work files that could not be written (paths)
    long unreadableFiles = 0;                     // input files there but not readable
    long horseRepeats = 0, damRepeats = 0;        // list entries passed over as met before
    bool ok() const {
        return started && failedHorses == 0 && tableFailure.empty() && error.empty() && workFileFailures.empty() &&
               unreadableFiles == 0;
    }
};

class KORIVANEXPDTHISWEEKNQUEL {
public:
    KORIVANEXPDTHISWEEKNQUEL(StatusSink& status, MessageSink& messages, ProgressSink& progress,
                             YieldFn yield = {});

    // Texts of the system.
    static const char* const kCaption;
    static const char* const kStartText;     // 5's start text
    static const char* const kEndText;       // 5's end text
    static const char* const kFixEndText;    // 4's end text
    // The texts in place of the end texts when the work failed (a message says what failed).
    static const char* const kFailedText;
    static const char* const kFixFailedText;

    void Form_Load();
    // 5: the calculation run. Returns its report (started = false when a run was under way).
    CalculationReport Command1_Click();
    // The close button: the window is to be closed (ignored while a run is under way).
    void Command2_Click();
    // 4: the previous-day fixing. False when it could not run, the race file was
    // missing, or a file could not be written (each named in a message).
    bool Command3_Click();

    ExpansionControls controls() const;
    bool running() const { return running_.load(); }
    bool closeRequested() const { return closeRequested_; }
    // Threads of the calculation (0: one per hardware thread).
    void setThreads(unsigned n) { threads_ = n; }

private:
    void setText(std::string ExpansionControls::*member, const char* name, const std::string& text);
    void setBar(ProgressBarState ExpansionControls::*member, const char* name, long value, long max = -1);
    bool acquire();
    void release();
    // The run lock for a scope: taken when free (held()), given back on every
    // way out of the scope, an exception included.
    class RunLock {
    public:
        explicit RunLock(KORIVANEXPDTHISWEEKNQUEL& w) : w_(w), held_(w.acquire()) {}
        ~RunLock() {
            if (held_) w_.release();
        }
        RunLock(const RunLock&) = delete;
        RunLock& operator=(const RunLock&) = delete;
        bool held() const { return held_; }

    private:
        KORIVANEXPDTHISWEEKNQUEL& w_;
        bool held_;
    };
    void runCalculation(CalculationReport& report);
    // The calculation's parts: its inputs, the horses, the report of the horses.
    struct CalculationInputs;
    struct HorseOutcome;
    struct HorseBuffers;
    void loadCalculationInputs(CalculationInputs& in, const std::vector<std::string>& horses,
                               const std::vector<std::string>& dams, unsigned workers);
    std::vector<HorseOutcome> workHorses(const CalculationInputs& in, const std::vector<std::string>& horses,
                                         unsigned workers);
    static HorseOutcome workHorse(const CalculationInputs& in, const std::string& kettoNum, HorseBuffers& buf);
    void reportHorses(CalculationReport& report, const std::vector<std::string>& horses,
                      const std::vector<HorseOutcome>& outcomes);

    StatusSink& status_;
    MessageSink& messages_;
    ProgressSink& progress_;
    YieldFn yield_;
    mutable std::mutex mu_;
    ExpansionControls c_;
    std::atomic<bool> running_{false};
    bool closeRequested_ = false;
    unsigned threads_ = 0;
    std::string appPath_;
};

}  // namespace kv::expansion
