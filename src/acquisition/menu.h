// The main menu: start-up of the program (folders, weight check, live files),
// the status area the other windows write into, and the buttons that start
// every stage of the week.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/odds_tables.h"
#include "acquisition/progress.h"
#include "common/dates.h"
#include "platform/jvlink/jvlink.h"
#include "platform/sinks.h"

namespace kv {

// A text box or label of the status area.
struct StatusBox {
    std::string Text;
    bool HasBackColor = false;
    unsigned BackColor = 0;  // 0xRRGGBB
};

// Texts a status box shows in place of the completion text when the work of
// its step failed (the step has said what failed in a message).
inline constexpr const char* kFetchFailedText = "今週開催取得に失敗しました。";
inline constexpr const char* kOddsTablesFailedText = "今週のオッズ処理に失敗しました。";
inline constexpr const char* kLiveOddsTablesFailedText = "速報オッズ処理に失敗しました。";
inline constexpr const char* kPredictionsFailedText = "予想･結果に失敗しました。";
inline constexpr const char* kPastPerformanceFailedText = "過去の予想成績に失敗しました。";
inline constexpr const char* kHitListFailedText = "過去の的中リストに失敗しました。";

// How a download handler ended (for the command-line driver's exit code).
enum class DownloadOutcome { NotRun, Completed, NoData, Cancelled, Failed };

// The main menu is also the status sink of the program: other windows write
// their texts into its controls by name ("Text4", "Label1", ...). Every write
// lands in the control and is passed on to Out (the view or the console).
class TEZF1THISWEEKNQUEL : public StatusSink {
public:
    TEZF1THISWEEKNQUEL(MessageSink& messages, YieldFn yield, JVLink& jvlink, Shell& shell, const Clock& clock,
                       StatusSink* out = nullptr);

    // ---- controls -------------------------------------------------------
    std::string Caption = "KORIVANQUELSS グラフ　今週予想    Ver.2025.6.20 (2019.1.1-2025.3.31　BASE)";
    StatusBox Label1, Text1, Text2, Text3, Text4, Text5, Text6;
    bool Option1 = false;  // cancellation processing for the next ②

    // Captions of every control and frame, in the menu's layout order:
    // {control name, caption}. Frames are named Frame1..Frame5.
    struct Item {
        const char* control;
        const char* caption;
    };
    static const std::vector<Item>& Layout();
    // The caption of a control (button, label, frame, option); "" when unknown.
    static std::string CaptionOf(const std::string& control);

    // ---- public variables ----------------------------------------------
    std::int16_t ZansaFlag = 0;
    std::int16_t DialogResult = 0;
    std::int32_t DownloadCount = 0;
    std::string AppPath;

    // ---- windows the menu opens (wired by the GUI or the driver) ---------
    // Unset callbacks do nothing, except ShowOddsTables and the progress window
    // (headless defaults below). Those returning bool return false when the
    // window's work failed (the window has said what failed in a message).
    std::function<void()> ShowOddsDownload;        // TEZFOTHISWEEKNQUEL (single)
    std::function<void()> ShowStructureNew;        // KOUZOUTAIQUEL (new each press)
    std::function<void()> ShowCancellationNew;     // CHUSIRIALTIME (new each press)
    std::function<void()> ShowExpansionNew;        // KORIVANEXPDTHISWEEKNQUEL (new each press)
    std::function<bool()> ShowPredictionsNew;      // YOSOKEKKATHISWEEKNQUEL (new each press)
    std::function<void()> ShowLiveOdds;            // TEZP2RIALTIME (single)
    std::function<void()> ShowFactorTurf, ShowFactorDirt, ShowFactorHurdle;
    // The history windows; false when the load failed (its message told why).
    std::function<bool()> ShowPastPerformance;     // KakoSeisekiQUEL (single)
    std::function<bool()> ShowHitList;             // TekichuListQUEL (single)
    // KORIVANODDSN (single). When unset the menu keeps the single instance
    // itself: it is built when not loaded (or closed since) and only kept otherwise.
    std::function<bool()> ShowOddsTables;
    // Ends the program (Picture1, ③ without weights).
    std::function<void()> EndProgram;
    // Shows the progress window modally; unset: ticks it headlessly.
    ProgressModalFn ProgressModal;
    int ProgressTickMs = 10;

    // The headless odds-table window (when ShowOddsTables is unset).
    KORIVANODDSN* OddsTablesWindow() { return oddsTables_.get(); }
    bool Ended = false;
    DownloadOutcome LastDownload = DownloadOutcome::NotRun;
    // Records of the last ① that could not be written into their week file
    // (the file could not be opened or written); the download goes on without them.
    long RecordsLost = 0;

    // ---- event handlers --------------------------------------------------
    void Form_Load();
    void Command1_Click();   // "設定"
    void Command2_Click();   // ① this week's download
    void Command3_Click();   // "今週オッズ取得"
    void Command4_Click();   // ② structure (and cancellation)
    void Command5_Click();   // "芝予想因子ウエイト"
    void Command6_Click();   // ③ weight check, expansion window
    void Command7_Click();   // "オッズ処理"
    void Command8_Click();   // ⑥ predictions
    void Command9_Click();   // "ダート予想因子ウエイト"
    void Command10_Click();  // "障害予想因子ウエイト"
    void Command11_Click();  // "過去予想成績"
    void Command12_Click();  // "Ⅰ　速報情報(一括）"
    void Command13_Click();  // "Ⅳ　速報処理(一括）"
    void Command14_Click();  // results blog
    void Command15_Click();  // "万馬券リスト"
    void Command16_Click();  // weight update page
    void Picture1_Click();   // ends the program

    // ---- StatusSink ------------------------------------------------------
    void setText(const std::string& control, const std::string& text) override;
    void setBackColor(const std::string& control, unsigned rgb) override;
    void setForeColor(const std::string& control, unsigned rgb) override;
    // The control of that name (nullptr when the menu has none).
    StatusBox* box(const std::string& control);

private:
    void weightInstalledLabel(const std::string& weightFile);
    bool showOddsTables();
    void endProgram();

    MessageSink& msg_;
    YieldFn yield_;
    JVLink& jv_;
    Shell& shell_;
    const Clock& clock_;
    StatusSink* out_;
    std::unique_ptr<KORIVANODDSN> oddsTables_;
};

}  // namespace kv
