// The odds-table window: turns the stored odds lines (this week's or the live
// ones, by OddsSource) into one OddsMatrix file per race and bet type under KAIME.
#pragma once
#include <array>
#include <string>

#include "platform/sinks.h"
#include "platform/step_report.h"

namespace kv {

class KORIVANODDSN {
public:
    // messages, when given, is told once per load what was missing or failed.
    explicit KORIVANODDSN(MessageSink* messages = nullptr);

    std::string Caption = "2024.6.29Z";
    std::string Command1Caption = "オッズセット終了";
    bool Closed = false;

    // Indexed by horse numbers 0..18 (0 = blank), first horse outermost.
    std::array<float, 19 * 19> OddsPairTable{};
    std::array<float, 19 * 19 * 19> OddsTrioTable{};

    // The whole build: trifecta, trio, exacta, quinella, in this order.
    void Form_Load();
    void Command1_Click();  // "オッズセット終了": closes the window

    // Files written by the last load, and table files that could not be
    // written (for the driver's report; the window shows no messages).
    long FilesWritten = 0;
    long WriteFailures = 0;
    long ReadFailures = 0;  // input files there but not readable
    // Odds files missing or empty, and (this week's odds) downloads that
    // were interrupted or failed.
    long InputFailures = 0;
    // True when the last load could not read its inputs or write every table,
    // or built them from odds missing or cut short.
    bool Failed() const { return WriteFailures > 0 || ReadFailures > 0 || InputFailures > 0; }

    std::string AppPath;

private:
    MessageSink* messages_;
};

// Line of a trio table value (a x 361 + b x 19 + c + 1) and of a pair table value.
inline long trioLine(int a, int b, int c) { return a * 361L + b * 19L + c + 1; }
inline long pairLine(int a, int b) { return a * 19L + b + 1; }

}  // namespace kv
