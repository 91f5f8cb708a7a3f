#include "acquisition/menu.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "acquisition/menu_globals.h"
#include "common/appfolder.h"
#include "common/filetime.h"
#include "common/recordfile.h"

namespace kv {
namespace {

const char* const kOutputFolders[] = {
    dirs::KAIME,     dirs::RACE,    dirs::SHUTSUBAHYO, dirs::TEKICHU, dirs::TANFUKU, dirs::TANFUKU2,
    dirs::UMAGOTOEX, dirs::UMAGOTO, dirs::TANSHO,      dirs::FUKUSHO, dirs::UMAREN,  dirs::UMATAN,
    dirs::SANRENPUKU, dirs::SANRENTAN, dirs::WIDE,     dirs::SOKUDO,  dirs::WP,      dirs::YOSOU_HTML,
    dirs::PDF};

const char* const kLiveFilesAtStart[] = {files::SE_LIVE, files::HR_LIVE, files::RA_LIVE, files::O1_LIVE,
                                         files::O2_LIVE, files::O4_LIVE, files::O5_LIVE, files::O6_LIVE};

const std::string kWeightFile = std::string(dirs::OPTION1N) + "/" + option1n::KYOSOBA;
constexpr unsigned kInstalledColor = 0x80FF80;

const char* const kInstalledHead = "予想因子ウエイトは展開されています。作成日は ";
const char* const kInstalledTail =
    " です。これより新しい日付の予想因子ウエイトがあれば展開して上書きして下さい。無ければそのまま続行して下さい。"
    "新しい日付のバージョンまたは最新因子ウエイトはサポートサイトよりダウンロードして下さい。";

}  // namespace

const std::vector<TEZF1THISWEEKNQUEL::Item>& TEZF1THISWEEKNQUEL::Layout() {
    static const std::vector<Item> items = {
        {"Command1", "設定"},
        {"Command14", "回収率・的中率の検証ブログ"},
        {"Command16", "最新予想因子ウエイトへの更新サイト"},
        {"Frame1", "今週の予想  (金曜12時以降）"},
        {"Command2", "①　　今週開催取得"},
        {"Command4", "②　構造・中止処理"},
        {"Command6", "③ 拡大構造体展開"},
        {"Label2", "今週の結果　(月曜14時以降）"},
        {"Frame2", "随時  (予想支援の参考として使用）"},
        {"Command11", "過去予想成績"},
        {"Command15", "万馬券リスト"},
        {"Command5", "芝予想因子ウエイト"},
        {"Command9", "ダート予想因子ウエイト"},
        {"Command10", "障害予想因子ウエイト"},
        {"Frame3", "今週のオッズ （月曜14時以降）"},
        {"Command3", "今週オッズ取得"},
        {"Text2", ""},
        {"Command7", "オッズ処理"},
        {"Label3", "　注：オッズ情報が必要であれば行う"},
        {"Option1", " 中止処理を選択。通常は何もしないでください。"},
        {"Frame4", "予想"},
        {"Command8", "⑥　***　予想・結果　***"},
        {"Frame5", "速報　（予想・結果表示後使用）"},
        {"Command12", "Ⅰ　速報情報(一括）"},
        {"Text3", ""},
        {"Command13", "Ⅳ　速報処理(一括）"},
        {"Text1", ""},
        {"Text4", ""},
        {"Text5", ""},
        {"Text6", ""},
        {"Label1", ""},
        {"Picture1", ""},
    };
    return items;
}

std::string TEZF1THISWEEKNQUEL::CaptionOf(const std::string& control) {
    for (const Item& it : Layout())
        if (control == it.control) return it.caption;
    return {};
}

TEZF1THISWEEKNQUEL::TEZF1THISWEEKNQUEL(MessageSink& messages, YieldFn yield, JVLink& jvlink, Shell& shell,
                                       const Clock& clock, StatusSink* out)
    : AppPath(GetAppPath()), msg_(messages), yield_(std::move(yield)), jv_(jvlink), shell_(shell), clock_(clock),
      out_(out) {}

StatusBox* TEZF1THISWEEKNQUEL::box(const std::string& c) {
    if (c == "Label1") return &Label1;
    if (c == "Text1") return &Text1;
    if (c == "Text2") return &Text2;
    if (c == "Text3") return &Text3;
    if (c == "Text4") return &Text4;
    if (c == "Text5") return &Text5;
    if (c == "Text6") return &Text6;
    return nullptr;
}

void TEZF1THISWEEKNQUEL::setText(const std::string& control, const std::string& text) {
    if (StatusBox* b = box(control)) b->Text = text;
    if (out_) out_->setText(control, text);
}

void TEZF1THISWEEKNQUEL::setBackColor(const std::string& control, unsigned rgb) {
    if (StatusBox* b = box(control)) {
        b->HasBackColor = true;
        b->BackColor = rgb;
    }
    if (out_) out_->setBackColor(control, rgb);
}

void TEZF1THISWEEKNQUEL::setForeColor(const std::string& control, unsigned rgb) {
    if (out_) out_->setForeColor(control, rgb);
}

void TEZF1THISWEEKNQUEL::weightInstalledLabel(const std::string& weightFile) {
    setBackColor("Label1", kInstalledColor);
    setText("Label1", std::string(kInstalledHead) + fileDateTimeText(weightFile).value_or("") + kInstalledTail);
}

void TEZF1THISWEEKNQUEL::Form_Load() {
    AppPath = GetAppPath();
    // Output folders: one level each; a folder that exists already is fine.
    for (const char* d : kOutputFolders) {
        std::error_code ec;
        std::filesystem::create_directory(appFile(d), ec);
    }
    // Weight check.
    const std::string weight = appFile(kWeightFile);
    long ageDays = 0;
    if (fileExists(weight)) {
        weightInstalledLabel(weight);
        const std::string when = fileDateTimeText(weight).value_or("");
        int y = 0, m = 0, d = 0;
        if (when.size() >= 10 && std::sscanf(when.substr(0, 10).c_str(), "%4d/%2d/%2d", &y, &m, &d) == 3) {
            if (auto date = makeDate(y, m, d)) ageDays = daySerial(clock_.today()) - daySerial(*date);
        }
    } else {
        msg_.message(AppPath + "自己解凍EXEにある展開先の指定をクリックして予想因子パラメータをセットして下さい。");
        setText("Label1",
                "まだ、予想因子ウエイトが展開されていません。自己解凍EXEにある展開先の指定をクリックして起動させて下さい。");
    }
    // Age check.
    if (ageDays > 1000)
        msg_.message(AppPath +
                     "予想因子ウエイトが最新ではありません。さらに高精度の予想を望まれる場合、最新予想ウエイトを取得して下さい。");
    // Live data of the previous run.
    for (const char* f : kLiveFilesAtStart) removeFile(appFile(f));
    setText("Text2", "今週の結果は必ず前に今週の予想の3つの操作を行って下さい。");
}

void TEZF1THISWEEKNQUEL::Command1_Click() {
    if (jv_.JVSetUIProperties() == -1) msg_.message("エラーのためJV-Linkの設定に失敗しました。");
}

void TEZF1THISWEEKNQUEL::Command3_Click() {
    if (ShowOddsDownload) ShowOddsDownload();
}

void TEZF1THISWEEKNQUEL::Command4_Click() {
    ZansaFlag = Option1 ? 0 : 1;
    if (ShowStructureNew) ShowStructureNew();
    if (ZansaFlag != 1 && ShowCancellationNew) ShowCancellationNew();
}

void TEZF1THISWEEKNQUEL::Command5_Click() {
    if (ShowFactorTurf) ShowFactorTurf();
}

void TEZF1THISWEEKNQUEL::Command6_Click() {
    const std::string weight = appFile(kWeightFile);
    if (fileExists(weight)) {
        weightInstalledLabel(weight);
        if (ShowExpansionNew) ShowExpansionNew();
        return;
    }
    msg_.message(AppPath + "に参照場所(展開フォルダ）に初回予想因子ウエイトが有りませんので、ソフトを終了します。");
    endProgram();
}

bool TEZF1THISWEEKNQUEL::showOddsTables() {
    if (ShowOddsTables) return ShowOddsTables();
    if (!oddsTables_ || oddsTables_->Closed) {
        oddsTables_ = std::make_unique<KORIVANODDSN>(&msg_);
        oddsTables_->Form_Load();
        return !oddsTables_->Failed();
    }
    return true;
}

void TEZF1THISWEEKNQUEL::Command7_Click() {
    setText("Text2", "今週のオッズ処理を開始しました。しばらくお待ちください。。。。。。。。");
    if (yield_) yield_();
    OddsSource = 0;
    const bool ok = showOddsTables();
    setText("Text2", ok ? "今週のオッズ処理終了" : kOddsTablesFailedText);
}

void TEZF1THISWEEKNQUEL::Command8_Click() {
    ZansaFlag = Option1 ? 0 : 1;
    setText("Text5", "予想･結果を開始しました。しばらくお待ちください。。数分かかります。");
    if (yield_) yield_();
    const bool ok = ShowPredictionsNew ? ShowPredictionsNew() : true;
    setText("Text5", ok ? "予想･結果終了" : kPredictionsFailedText);
    Option1 = false;
}

void TEZF1THISWEEKNQUEL::Command9_Click() {
    if (ShowFactorDirt) ShowFactorDirt();
}

void TEZF1THISWEEKNQUEL::Command10_Click() {
    if (ShowFactorHurdle) ShowFactorHurdle();
}

void TEZF1THISWEEKNQUEL::Command11_Click() {
    setText("Text6", "過去の予想成績を開始しました。しばらくお待ちください。。。。。。。");
    if (yield_) yield_();
    const bool ok = ShowPastPerformance ? ShowPastPerformance() : true;
    setText("Text6", ok ? "過去の予想成績終了" : kPastPerformanceFailedText);
}

void TEZF1THISWEEKNQUEL::Command12_Click() {
    if (ShowLiveOdds) ShowLiveOdds();
}

void TEZF1THISWEEKNQUEL::Command13_Click() {
    setText("Text3", "速報オッズ処理を開始しました。しばらくお待ちください。。。。。。");
    if (yield_) yield_();
    OddsSource = 1;
    const bool ok = showOddsTables();
    setText("Text3", ok ? "速報オッズ処理終了" : kLiveOddsTablesFailedText);
}

void TEZF1THISWEEKNQUEL::Command14_Click() { shell_.openUrl(kResultsBlogUrl); }

void TEZF1THISWEEKNQUEL::Command15_Click() {
    setText("Text6", "過去の的中リストを開始しました。しばらくお待ちください。。。。。。。");
    if (yield_) yield_();
    const bool ok = ShowHitList ? ShowHitList() : true;
    setText("Text6", ok ? "過去の的中リスト終了" : kHitListFailedText);
}

void TEZF1THISWEEKNQUEL::Command16_Click() { shell_.openUrl(kWeightUpdateUrl); }

void TEZF1THISWEEKNQUEL::Picture1_Click() { endProgram(); }

void TEZF1THISWEEKNQUEL::endProgram() {
    Ended = true;
    if (EndProgram) EndProgram();
}

}  // namespace kv
