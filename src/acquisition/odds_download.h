// This week's odds download window: "今週のオッズ" stores the quinella, exacta
// and trio odds records, "今週の3連単" the trifecta records, each record as one
// line of its odds file.
#pragma once
#include <cstdint>
#include <string>

#include "acquisition/menu.h"
#include "acquisition/progress.h"
#include "platform/jvlink/jvlink.h"
#include "platform/sinks.h"

namespace kv {

class TEZFOTHISWEEKNQUEL {
public:
    // out, when given, sees every write into Text1 (the view or the console).
    TEZFOTHISWEEKNQUEL(MessageSink& messages, JVLink& jvlink, StatusSink* out = nullptr);

    std::string Caption = "今週のオッズ Ver.2024.8.12A";
    std::string Text1;
    static constexpr const char* Command1Caption = "設定ＯＤＤＳ";
    static constexpr const char* Command2Caption = "今週のオッズ";
    static constexpr const char* Command3Caption = "今週の3連単";

    std::int16_t OddsDialogResult = 0;
    std::int32_t OddsDownloadCount = 0;
    std::string AppPath;

    ProgressModalFn ProgressModal;  // unset: the progress window ticks headlessly
    int ProgressTickMs = 10;
    DownloadOutcome LastDownload = DownloadOutcome::NotRun;
    // File operations of the last press that failed (an odds file that could
    // not be emptied, a record that could not be appended); the press goes on.
    long FileFailures = 0;

    void Form_Load();
    void Command1_Click();  // "設定ＯＤＤＳ"
    void Command2_Click();  // "今週のオッズ"
    void Command3_Click();  // "今週の3連単"

private:
    void download(bool trifecta);
    void setText1(const std::string& t);

    MessageSink& msg_;
    JVLink& jv_;
    StatusSink* out_;
};

}  // namespace kv
