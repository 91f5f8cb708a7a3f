// The download progress window: polls its owner's JV-Link status every 10 ms,
// shows the files downloaded so far and offers cancellation. Its owner (the
// main menu for this week's data, the odds window for this week's odds) lends
// it its JV-Link control, its download count and its dialog result.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/jvlink/jvlink.h"
#include "platform/sinks.h"

namespace kv {

class TEZF2THISWEEKNQUEL {
public:
    // downloadCount and dialogResult are the owner's variables; they must
    // outlive the window.
    TEZF2THISWEEKNQUEL(JVLink& jvlink, const std::int32_t& downloadCount,
                       std::int16_t& dialogResult, MessageSink& messages);

    // Controls.
    std::string Caption = "TEZF2THISWEEKN:ダウンロード 2024.8.12A";
    struct Bar { long Min = 0, Max = 0, Value = 0; } ProgressBar1;
    std::string Label1;
    struct Tick { int Interval = 0; bool Enabled = false; } Timer1;
    std::string Command1Caption = "キャンセル";
    // True once the window has closed itself (finished, failed or cancelled);
    // the view then closes and the owner goes on.
    bool Closed = false;

    void Form_Load();
    void Timer1_Timer();
    void Command1_Click();  // "キャンセル"
    // The window's close box: closes without touching the owner's result.
    void Form_Unload();

private:
    JVLink& jv_;
    const std::int32_t& count_;
    std::int16_t& result_;
    MessageSink& msg_;
};

// How an owner shows the progress window modally: the callable gets a loaded
// window and returns once it is closed. The GUI runs a dialog with a 10 ms timer.
using ProgressModalFn = std::function<void(TEZF2THISWEEKNQUEL&)>;

// The window without a view: ticks until the window closes, sleeping tickMs
// between ticks (0: tick at once, for a JV-Link whose progress moves per call).
// With cancelAfterTicks >= 0 the user presses "キャンセル" once that many
// ticks have run. onTick, when given, sees the window after every tick.
void runProgressHeadless(TEZF2THISWEEKNQUEL& w, int tickMs, int cancelAfterTicks = -1,
                         const std::function<void(const TEZF2THISWEEKNQUEL&)>& onTick = {});

// Loads the window over the owner's variables and runs it through modal, or
// headlessly with tickMs when modal is empty (then a feed emulator's
// cancel_after_status stands for the user's press of "キャンセル").
void showProgressModal(JVLink& jvlink, const std::int32_t& downloadCount,
                       std::int16_t& dialogResult, MessageSink& messages,
                       const ProgressModalFn& modal, int tickMs);

// The opening of a download, the same in both download windows: JVInit with the
// software identification, JVOpen of the data kind (from-time "00000000000000",
// option 2), and the progress window while files still have to be downloaded.
// Messages: "JVInitエラー。RC=", "JVOpenエラー。RC=", "該当するデータがありません。".
struct DownloadStart {
    bool read = true;        // go on to the read loop
    bool failed = false;     // an error message was shown (the read may still follow)
    bool noData = false;     // JVOpen found nothing to read
    bool cancelled = false;  // the progress window was cancelled
    int readCount = 0;       // JVOpen's count of files to read
};
DownloadStart startDownload(JVLink& jvlink, MessageSink& messages, const char* sid, const char* spec,
                            std::int32_t& downloadCount, std::int16_t& dialogResult, const ProgressModalFn& modal,
                            int tickMs);

class ReceivedRecords;  // acquisition/download_common.h

// The read loop after startDownload, the same in both download windows: every
// record read is checked by `received` and goes to onRecord. A file JVRead reports damaged (-403, and -402
// when reopen402) is deleted and the data opened again, at most
// DamagedFileGuard::kMaxReopen times per file; onRestart first drops what was
// stored, as the reopened read delivers every file again. True at the end of
// the data; false after a read error ("JVReadエラー。 RC=" shown).
bool readDownload(JVLink& jvlink, MessageSink& messages, const char* spec, bool reopen402, ReceivedRecords& received,
                  const std::function<void(std::string_view)>& onRecord, const std::function<void()>& onRestart);

}  // namespace kv
