#include "acquisition/progress.h"

#include <string>

#include "acquisition/download_common.h"

#include <chrono>
#include <thread>

namespace kv {

TEZF2THISWEEKNQUEL::TEZF2THISWEEKNQUEL(JVLink& jvlink, const std::int32_t& downloadCount,
                                       std::int16_t& dialogResult, MessageSink& messages)
    : jv_(jvlink), count_(downloadCount), result_(dialogResult), msg_(messages) {}

void TEZF2THISWEEKNQUEL::Form_Load() {
    Closed = false;
    ProgressBar1.Min = 0;
    ProgressBar1.Max = count_ > 0 ? count_ : 0;
    ProgressBar1.Value = 0;
    Timer1.Interval = 10;
    Timer1.Enabled = true;
}

void TEZF2THISWEEKNQUEL::Timer1_Timer() {
    if (Closed || !Timer1.Enabled) return;
    const long status = jv_.JVStatus();
    if (status < 0) {
        Timer1.Enabled = false;
        msg_.message("ダウンロード失敗。RC=" + std::to_string(status));
        Closed = true;  // the owner's result stays as it was
        return;
    }
    // The bar never goes beyond its maximum, whatever the status says.
    ProgressBar1.Value = status < ProgressBar1.Max ? status : ProgressBar1.Max;
    Label1 = std::to_string(status) + " / " + std::to_string(count_);
    if (status >= count_) {
        Timer1.Enabled = false;
        result_ = 0;
        Closed = true;
    }
}

void TEZF2THISWEEKNQUEL::Command1_Click() {
    if (Closed) return;
    Timer1.Enabled = false;
    jv_.JVCancel();
    result_ = -1;
    Closed = true;
}

void TEZF2THISWEEKNQUEL::Form_Unload() {
    Timer1.Enabled = false;
    Closed = true;
}

void runProgressHeadless(TEZF2THISWEEKNQUEL& w, int tickMs, int cancelAfterTicks,
                         const std::function<void(const TEZF2THISWEEKNQUEL&)>& onTick) {
    for (int ticks = 0; !w.Closed; ++ticks) {
        if (cancelAfterTicks >= 0 && ticks >= cancelAfterTicks) {
            w.Command1_Click();
            break;
        }
        w.Timer1_Timer();
        if (onTick) onTick(w);
        if (!w.Closed && tickMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(tickMs));
    }
}

void showProgressModal(JVLink& jvlink, const std::int32_t& downloadCount, std::int16_t& dialogResult,
                       MessageSink& messages, const ProgressModalFn& modal, int tickMs) {
    TEZF2THISWEEKNQUEL w(jvlink, downloadCount, dialogResult, messages);
    w.Form_Load();
    if (modal)
        modal(w);
    else
        runProgressHeadless(w, tickMs, feedCancelAfterStatus(jvlink));
}

DownloadStart startDownload(JVLink& jv, MessageSink& messages, const char* sid, const char* spec,
                            std::int32_t& downloadCount, std::int16_t& dialogResult, const ProgressModalFn& modal,
                            int tickMs) {
    DownloadStart st;
    int rc = jv.JVInit(sid);
    if (rc != 0) {
        messages.message("JVInitエラー。RC=" + std::to_string(rc));
        st.failed = true;
    }
    std::string stamp;
    rc = jv.JVOpen(spec, "00000000000000", 2, st.readCount, downloadCount, stamp);
    if (rc < 0) {
        messages.message("JVOpenエラー。RC=" + std::to_string(rc));
        st.failed = true;
        st.read = false;
    } else if (st.readCount == 0) {
        messages.message("該当するデータがありません。");
        st.noData = true;
        st.read = false;
    } else if (downloadCount != 0) {
        dialogResult = 0;
        MessageCounter counter(messages);
        showProgressModal(jv, downloadCount, dialogResult, counter, modal, tickMs);
        if (counter.count > 0) st.failed = true;  // "ダウンロード失敗": the read still follows
        if (dialogResult == -1) {
            st.cancelled = true;
            st.read = false;
        }
    }
    return st;
}

bool readDownload(JVLink& jv, MessageSink& messages, const char* spec, bool reopen402, ReceivedRecords& received,
                  const std::function<void(std::string_view)>& onRecord, const std::function<void()>& onRestart) {
    std::string buffer(kReadBufferSize, '\0');
    int size = kReadBufferSize;
    std::string fileName;
    DamagedFileGuard guard;
    for (;;) {
        const int rc = jv.JVRead(buffer, size, fileName);
        if (rc > 0) {
            const std::string_view rec = readRecord(buffer, rc);
            received.record(rec, fileName);
            onRecord(rec);
        } else if (rc == -1) {
            received.endOfFile(fileName);
        } else if (rc == 0) {
            received.finish();
            return true;
        } else if ((rc == -403 || (reopen402 && rc == -402)) && guard.mayReopen(fileName)) {
            received.restart();
            onRestart();
            jv.JVFiledelete(fileName);
            jv.JVClose();
            int readCount = 0, downloadCount = 0;
            std::string stamp;
            jv.JVOpen(spec, "00000000000000", 2, readCount, downloadCount, stamp);
        } else {
            received.finish();
            messages.message("JVReadエラー。 RC=" + std::to_string(rc));
            return false;
        }
    }
}

}  // namespace kv
