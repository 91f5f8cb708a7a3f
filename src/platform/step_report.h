// What a step tells the user when it went on without an input or could not do
// all its work: one message in Japanese (what was missing and which step makes
// it, what failed, how many, the first by name, what to do) and, for the log,
// the English details on standard error. A step that has nothing to report
// shows no message.
#pragma once
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/appfolder.h"
#include "common/fsys.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "platform/sinks.h"

namespace kv {

// A name read from a file or a record as it can be shown: bytes that are
// control characters or not part of valid UTF-8 are written as \xNN, and a
// long name is cut after `limit` bytes ("..." follows).
inline std::string printableName(std::string_view s, std::size_t limit = 80) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    std::size_t i = 0;
    while (i < s.size() && out.size() < limit) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        bool ok = len > 0 && i + len <= s.size() && (len > 1 || (c >= 0x20 && c != 0x7F));
        for (std::size_t k = 1; ok && k < len; ++k) ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (ok) {
            out.append(s.substr(i, len));
            i += len;
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
            ++i;
        }
    }
    if (i < s.size()) out += "...";
    return out;
}

// A file as the user knows it: its path inside the application folder (the
// whole path when it lies elsewhere), printable.
inline std::string fileLabel(const std::string& path) {
    const std::string app = GetAppPath();
    if (!app.empty() && path.size() > app.size() && path.compare(0, app.size(), app) == 0)
        return printableName(path.substr(app.size()), 160);
    return printableName(path, 160);
}

// True when nothing at all is at path (something there that is no readable
// file is unreadable, not missing).
inline bool nothingAt(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0;
}

// True once a step's message has named the unreadable and damaged files found
// since the list was last cleared (the command-line driver then does not name them again).
inline bool& unreadableTold() {
    thread_local bool told = false;  // each step's thread its own
    return told;
}

// The program's name in front of every log line ("korivan"; the command-line
// driver sets "korivan-cli").
inline std::string& logProgramName() {
    static std::string name = "korivan";
    return name;
}

class StepReport {
public:
    // logName: the step as standard error names it (e.g. "structure"); empty
    // where the details name their own subject.
    explicit StepReport(std::string logName) : log_(std::move(logName)) {}

    // The step went on without `input` (a file or data the user knows by that
    // name); `madeBy` says which step makes it ("①今週開催取得"). Reported once.
    void missing(const std::string& input, const std::string& madeBy) {
        missingNote(input, "先に" + madeBy + "を行って下さい。");
    }
    // The same for an input no step makes; `note` says what follows and what to do.
    void missingNote(const std::string& input, const std::string& note) {
        for (const auto& m : missing_)
            if (m == input) return;
        missing_.push_back(input);
        const bool ascii = !input.empty() && static_cast<unsigned char>(input.back()) < 0x80;
        text_ += input + (ascii ? " が有りません。" : "が有りません。") + note;
    }
    // The files of `paths` that do not exist, named together as one missing input
    // (something there that is no readable file is unreadable, not missing).
    void missingFiles(const std::vector<std::string>& paths, const std::string& madeBy) {
        std::string names;
        for (const auto& p : paths)
            if (nothingAt(p)) names += (names.empty() ? "" : "、") + fileLabel(p);
        if (!names.empty()) missing(names, madeBy);
    }
    // The files of `paths` the step cannot do without: those missing and those
    // empty are named together with the step that makes them, and the step fails.
    // Returns how many there are.
    long requiredFiles(const std::vector<std::string>& paths, const std::string& madeBy) {
        std::string absent, empty;
        long n = 0;
        for (const auto& p : paths) {
            std::string* list = nothingAt(p) ? &absent : fileSize(p) == 0 ? &empty : nullptr;
            if (!list) continue;
            *list += (list->empty() ? "" : "、") + fileLabel(p);
            ++n;
        }
        if (!absent.empty()) missing(absent, madeBy);
        if (!empty.empty()) text_ += empty + " が空です。先に" + madeBy + "をやり直して下さい。";
        failures_ += n;
        return n;
    }
    // `count` items of `what` failed ("書き込めなかったファイル"); `first` names
    // the first of them; `unit` counts them ("件", "頭", "レース").
    void failed(const std::string& what, long count, const std::string& first, const std::string& unit = "件") {
        if (count <= 0) return;
        failures_ += count;
        text_ += what + "が " + std::to_string(count) + " " + unit + "あります";
        if (!first.empty()) text_ += "（最初: " + first + "）";
        text_ += "。";
    }
    // Files that could not be written: each in the log, the count and the first in the message.
    void failedFiles(const std::vector<std::string>& paths) {
        for (const auto& p : paths) detail("could not write " + p);
        if (!paths.empty())
            failed("書き込めなかったファイル", static_cast<long>(paths.size()), fileLabel(paths.front()));
    }
    // The files found but not readable during the step (kv::unreadableFiles(),
    // "path: reason"): the step fails, the message names the first, the log each.
    // `step` is the user's label of the step to run again.
    void unreadableFiles(const std::string& step) {
        damagedFiles();
        const std::vector<std::string> found = kv::unreadableFiles();
        if (found.empty()) return;
        for (const auto& f : found) detail("could not read " + f);
        const std::string& first = found.front();
        const auto colon = first.rfind(": ");
        failed("読み込めなかったファイル", static_cast<long>(found.size()),
               fileLabel(colon == std::string::npos ? first : first.substr(0, colon)));
        unreadable_ += static_cast<long>(found.size());
        unreadableAction_ = "ファイルの読み取り権限を確認してから、" + step + "をやり直して下さい。";
    }
    // The files read during the step with damaged records
    // (kv::damagedFiles()): a note per file (which file, how many records,
    // the first and what is wrong with it, what to do);
    // the step goes on with the records as they read. Called by
    // unreadableFiles(), so that every step naming what it could not read
    // names what it read damaged as well.
    void damagedFiles() {
        for (const DamagedFile& d : kv::damagedFiles()) {
            if (std::find(damagedSaid_.begin(), damagedSaid_.end(), d.path) != damagedSaid_.end()) continue;
            damagedSaid_.push_back(d.path);
            const std::string unit = d.lines ? "line" : "record";
            const std::string where = d.first == 0 ? "" : " (first: " + unit + " " + std::to_string(d.first) + ")";
            detail("damaged " + d.path + ": " + std::to_string(d.records) + " damaged " + unit + "(s)" + where + ": " +
                   d.whatEnglish);
            text_ += fileLabel(d.path);
            if (d.first == 0) {
                text_ += " は壊れています（" + d.what + "）。";
            } else {
                const std::string counter = d.lines ? "行" : "件";
                text_ += std::string(d.lines ? " に壊れた行が " : " に壊れたレコードが ") + std::to_string(d.records) + " " +
                         counter + "あります（最初: " + std::to_string(d.first) + " " + counter + "目、" + d.what + "）。";
            }
            text_ += d.action.empty() ? std::string("このファイルを書く処理をやり直して下さい。") : d.action;
        }
    }
    // Sentences the user should know that are no failure (what an earlier
    // step left unfinished, from beginStep()).
    void notes(const std::vector<std::string>& sentences) {
        for (const auto& s : sentences) text_ += s;
    }
    // `skipped` records of the file at `path` repeated a key met before in it and
    // were passed over (each key is worked once): a note, no failure.
    void repeatsSkipped(const std::string& path, long skipped) {
        if (skipped <= 0) return;
        detail(path + ": " + std::to_string(skipped) + " repeated record(s) skipped, each key worked once");
        text_ += fileLabel(path) + " で繰り返されたレコード " + std::to_string(skipped) +
                 " 件を読み飛ばしました（同じキーは１回だけ処理しました）。";
    }
    // Sentences of notes() that make the step's work a failure (an earlier
    // step whose files it reads was interrupted or failed).
    void failedNotes(const std::vector<std::string>& sentences) {
        for (const auto& s : sentences) failedSentence(s);
    }
    // A failure said in a sentence of its own.
    void failedSentence(const std::string& sentence) {
        ++failures_;
        text_ += sentence;
    }
    // What the user can do about the failures (said after them, once).
    void action(const std::string& whatToDo) { action_ = whatToDo; }
    // English detail for the log (standard error only).
    void detail(const std::string& english) { details_.push_back(english); }

    bool failedAny() const { return failures_ > 0; }
    bool missingAny() const { return !missing_.empty(); }
    bool empty() const { return text_.empty(); }
    // The message ("" when there is nothing to say).
    std::string message() const {
        if (text_.empty()) return {};
        if (failures_ == 0) return text_;
        // Each action for the failures it answers.
        std::string out = text_;
        if (failures_ > unreadable_) out += action_;
        if (unreadable_ > 0 && unreadableAction_ != action_) out += unreadableAction_;
        return out;
    }
    // Writes the details to standard error and shows the message (at most one);
    // true when the step's work failed.
    bool tell(MessageSink& messages) const {
        const std::string prefix = logProgramName() + ": " + (log_.empty() ? "" : log_ + ": ");
        for (const auto& d : details_) std::fprintf(stderr, "%s%s\n", prefix.c_str(), d.c_str());
        if (!text_.empty()) messages.message(message());
        if (!unreadableAction_.empty() || !damagedSaid_.empty()) unreadableTold() = true;
        return failures_ > 0;
    }

private:
    std::string log_;
    std::string text_;
    std::string action_;
    std::string unreadableAction_;
    std::vector<std::string> missing_;
    std::vector<std::string> damagedSaid_;
    std::vector<std::string> details_;
    long failures_ = 0;
    long unreadable_ = 0;  // of failures_: unreadable files
};

// What to do when files could not be written: check the disk, then `step` again.
inline std::string checkDiskAction(const std::string& step) {
    return "ディスクの空き容量とフォルダの書き込み権限を確認してから、" + step + "をやり直して下さい。";
}

// At the start of a step: forgets the unreadable files found before it and
// returns what an earlier step of the road left unfinished, for the step's
// message (StepReport::notes; the step goes on).
inline std::vector<std::string> beginStep(const std::string& appDir, const std::string& step) {
    clearUnreadableFiles();
    unreadableTold() = false;
    return steps::warningsFor(appDir, step);
}

}  // namespace kv
