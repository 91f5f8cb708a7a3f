// The windows on the offscreen platform: the main menu's start-up and its
// status area, buttons reaching their handlers, the progress dialog's timer and
// cancel button, and the windows whose work runs off the GUI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <filesystem>
#include <regex>

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QDialog>

#include "acquisition/menu_globals.h"
#include "common/fields.h"
#include "common/quoted.h"
#include "acquisition/ui/menu_view.h"
#include "acquisition/ui/progress_dialog.h"
#include "common/appfolder.h"
#include "expansion/ui/expansion_view.h"
#include "fixtures/fixtures.h"
#include "platform/jvlink/jvlink.h"
#include "platform/qt/gui_thread.h"
#include "platform/qt/show.h"
#include "prediction/ui/predictions_view.h"
#include "outputs.h"
#include "program.h"
#include "qt_app.h"

namespace fs = std::filesystem;

using kvtest::TempDir;
namespace {

// A JV-Link whose download moves one file per status call; records cancels.
struct ScriptedJVLink : kv::JVLink {
    int status = 0, statusStep = 1, cancels = 0;
    int JVInit(const std::string&) override { return 0; }
    int JVSetUIProperties() override { return 0; }
    int JVOpen(const std::string&, const std::string&, int, int& readCount, int& downloadCount,
               std::string&) override {
        readCount = 0;
        downloadCount = 0;
        return 0;
    }
    int JVRead(std::string& buff, int& size, std::string&) override {
        buff.clear();
        size = 0;
        return 0;
    }
    int JVStatus() override { return status += statusStep; }
    int JVCancel() override { return ++cancels, 0; }
    int JVClose() override { return 0; }
    int JVRTOpen(const std::string&, const std::string&) override { return -1; }
    int JVFiledelete(const std::string&) override { return 0; }
};

struct RecordingShell : kv::Shell {
    std::vector<std::string> urls;
    bool openUrl(const std::string& u) override { return urls.push_back(u), true; }
    bool startProgram(const std::string&) override { return false; }
};

// Thread-safe: the windows with worker threads write messages from there.
struct LockedMessages : kv::MessageSink {
    std::mutex mu;
    std::vector<std::string> messages;
    void message(const std::string& t) override {
        std::lock_guard<std::mutex> l(mu);
        messages.push_back(t);
    }
};

QString text(QWidget* w) {
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

class MenuFixture : public ::testing::Test {
protected:
    void SetUp() override {
        testApp();
        kv::SetAppPath(dir.path());
        auto jv = std::make_unique<ScriptedJVLink>();
        menu = std::make_unique<kv::ui::MenuWindow>(messages, shell, clock, std::move(jv));
    }
    TempDir dir;
    LockedMessages messages;
    RecordingShell shell;
    kv::SystemClock clock;
    std::unique_ptr<kv::ui::MenuWindow> menu;
};

TEST_F(MenuFixture, FirstStartInAnEmptyFolder) {
    menu->formLoad();
    for (const char* d : {"KAIME", "RACE", "SHUTSUBAHYO", "TEKICHU", "TANFUKU", "TANFUKU2", "UMAGOTOEXTHISWEEKN",
                          "UMAGOTOTHISWEEKN", "TANSHO", "FUKUSHO", "UMAREN", "UMATAN", "SANRENPUKU", "SANRENTAN",
                          "WIDE", "SOKUDO", "tavlen_wp", "tavlen_yosou", "tavlen_pdf"})
        EXPECT_TRUE(fs::is_directory(dir.file(d))) << d;
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0],
              kv::GetAppPath() + "自己解凍EXEにある展開先の指定をクリックして予想因子パラメータをセットして下さい。");
    EXPECT_EQ(text(menu->control("Label1")),
              "まだ、予想因子ウエイトが展開されていません。自己解凍EXEにある展開先の指定をクリックして起動させて下さい。");
    EXPECT_EQ(text(menu->control("Text2")), "今週の結果は必ず前に今週の予想の3つの操作を行って下さい。");
    for (const char* box : {"Text1", "Text3", "Text4", "Text5", "Text6"}) EXPECT_EQ(text(menu->control(box)), "") << box;
    // Every control of the layout is on the window with its caption.
    EXPECT_EQ(menu->button("Command2")->text(), "①　　今週開催取得");
    EXPECT_EQ(menu->button("Command8")->text(), "⑥　***　予想・結果　***");
    EXPECT_EQ(menu->windowTitle().toStdString(), menu->logic().Caption);
}

// Every caption of the menu as the user reads it, in its frame, and the
// arrangement: top row, three frames side by side, status boxes below the
// outer frames, the option, "予想" and "速報" below one another in the middle,
// the weight label at the bottom. Every caption fits its control.
TEST_F(MenuFixture, EveryControlWithItsCaptionInItsPlace) {
    menu->formLoad();
    menu->show();
    struct Row {
        const char* control;
        const char* frame;  // "" for the window
        const char* caption;
    };
    const Row rows[] = {
        {"Command1", "", "設定"},
        {"Command14", "", "回収率・的中率の検証ブログ"},
        {"Command16", "", "最新予想因子ウエイトへの更新サイト"},
        {"Frame1", "", "今週の予想  (金曜12時以降）"},
        {"Command2", "Frame1", "①　　今週開催取得"},
        {"Command4", "Frame1", "②　構造・中止処理"},
        {"Command6", "Frame1", "③ 拡大構造体展開"},
        {"Label2", "Frame1", "今週の結果　(月曜14時以降）"},
        {"Frame2", "", "随時  (予想支援の参考として使用）"},
        {"Command11", "Frame2", "過去予想成績"},
        {"Command15", "Frame2", "万馬券リスト"},
        {"Command5", "Frame2", "芝予想因子ウエイト"},
        {"Command9", "Frame2", "ダート予想因子ウエイト"},
        {"Command10", "Frame2", "障害予想因子ウエイト"},
        {"Frame3", "", "今週のオッズ （月曜14時以降）"},
        {"Command3", "Frame3", "今週オッズ取得"},
        {"Text2", "Frame3", "今週の結果は必ず前に今週の予想の3つの操作を行って下さい。"},
        {"Command7", "Frame3", "オッズ処理"},
        {"Label3", "Frame3", "　注：オッズ情報が必要であれば行う"},
        {"Option1", "", " 中止処理を選択。通常は何もしないでください。"},
        {"Frame4", "", "予想"},
        {"Command8", "Frame4", "⑥　***　予想・結果　***"},
        {"Frame5", "", "速報　（予想・結果表示後使用）"},
        {"Command12", "Frame5", "Ⅰ　速報情報(一括）"},
        {"Text3", "Frame5", ""},
        {"Command13", "Frame5", "Ⅳ　速報処理(一括）"},
        {"Text1", "", ""},
        {"Text4", "", ""},
        {"Text5", "", ""},
        {"Text6", "", ""},
        {"Picture1", "", ""},
    };
    for (const Row& r : rows) {
        QWidget* w = menu->control(r.control);
        ASSERT_NE(w, nullptr) << r.control;
        EXPECT_EQ(kv::qt::widgetText(w), QString::fromUtf8(r.caption)) << r.control;
        QWidget* expectedParent = *r.frame ? menu->control(r.frame) : menu.get();
        EXPECT_EQ(w->parentWidget(), expectedParent) << r.control;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_LE(b->sizeHint().width(), b->width()) << r.control;
        }
    }
    // No control covers another.
    QList<QWidget*> top;
    for (QWidget* c : menu->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!c->objectName().isEmpty()) top << c;
    for (int i = 0; i < top.size(); ++i)
        for (int j = i + 1; j < top.size(); ++j)
            EXPECT_FALSE(top[i]->geometry().intersects(top[j]->geometry()))
                << top[i]->objectName().toStdString() << " / " << top[j]->objectName().toStdString();
    auto geo = [&](const char* c) { return menu->control(c)->geometry(); };  // frame-relative for children
    EXPECT_LT(geo("Command1").right(), geo("Command14").left());
    EXPECT_LT(geo("Command14").right(), geo("Command16").left());
    EXPECT_LT(geo("Command1").bottom(), geo("Frame1").top());
    EXPECT_LT(geo("Frame1").right(), geo("Frame2").left());
    EXPECT_LT(geo("Frame2").right(), geo("Frame3").left());
    EXPECT_LT(geo("Command2").bottom(), geo("Command4").top());
    EXPECT_LT(geo("Command4").bottom(), geo("Command6").top());
    EXPECT_LT(geo("Command6").bottom(), geo("Label2").top());
    EXPECT_EQ(geo("Command11").top(), geo("Command15").top());
    EXPECT_LT(geo("Command11").right(), geo("Command15").left());
    EXPECT_LT(geo("Command15").bottom(), geo("Command5").top());
    EXPECT_LT(geo("Command3").bottom(), geo("Text2").top());
    EXPECT_LT(geo("Text2").bottom(), geo("Command7").top());
    EXPECT_LT(geo("Command7").bottom(), geo("Label3").top());
    EXPECT_LT(geo("Command12").bottom(), geo("Text3").top());
    EXPECT_LT(geo("Text3").bottom(), geo("Command13").top());
    const int framesBottom = std::max({geo("Frame1").bottom(), geo("Frame2").bottom(), geo("Frame3").bottom()});
    EXPECT_LT(framesBottom, geo("Option1").top());
    EXPECT_LT(geo("Option1").bottom(), geo("Frame4").top());
    EXPECT_LT(geo("Frame4").bottom(), geo("Frame5").top());
    for (const char* t : {"Text1", "Text4"}) {
        EXPECT_LT(geo("Frame1").bottom(), geo(t).top()) << t;
        EXPECT_LT(geo(t).right(), geo("Frame4").left()) << t;
    }
    for (const char* t : {"Text5", "Text6"}) {
        EXPECT_LT(geo("Frame3").bottom(), geo(t).top()) << t;
        EXPECT_GT(geo(t).left(), geo("Frame4").right()) << t;
    }
    EXPECT_LT(geo("Text1").bottom(), geo("Text4").top());
    EXPECT_LT(geo("Text5").bottom(), geo("Text6").top());
    for (const char* c : {"Text4", "Text6", "Frame5"}) EXPECT_LT(geo(c).bottom(), geo("Label1").top()) << c;
    EXPECT_EQ(geo("Label1").left(), geo("Text1").left());
    // The option's caption and the longest weight status fit on screen.
    auto* option = qobject_cast<QRadioButton*>(menu->control("Option1"));
    EXPECT_LE(option->sizeHint().width(), option->width());
    auto* label1 = qobject_cast<QLabel*>(menu->control("Label1"));
    label1->setText(QString::fromUtf8("予想因子ウエイトは展開されています。作成日は 2025/06/20 12:34:56 です。"
                                      "これより新しい日付の予想因子ウエイトがあれば展開して上書きして下さい。"
                                      "無ければそのまま続行して下さい。新しい日付のバージョンまたは最新因子"
                                      "ウエイトはサポートサイトよりダウンロードして下さい。"));
    EXPECT_LE(label1->heightForWidth(label1->width()), label1->height());
    EXPECT_LE(geo("Label1").bottom(), menu->height());
}

TEST_F(MenuFixture, InstalledWeightsColourTheLabelGreen) {
    fs::create_directories(dir.file("OPTION1N"));
    { std::ofstream(dir.file("OPTION1N/KYOSOBA.dat")) << "x"; }
    menu->formLoad();
    EXPECT_TRUE(messages.messages.empty());
    QWidget* label1 = menu->control("Label1");
    EXPECT_TRUE(text(label1).startsWith("予想因子ウエイトは展開されています。作成日は "));
    EXPECT_TRUE(label1->autoFillBackground());
    EXPECT_EQ(label1->palette().color(QPalette::Window), QColor(0x80, 0xFF, 0x80));
}

TEST_F(MenuFixture, ButtonsReachTheirHandlersAndWriteTheirBoxes) {
    menu->formLoad();
    menu->show();
    QTest::mouseClick(menu->button("Command14"), Qt::LeftButton);
    QTest::mouseClick(menu->button("Command16"), Qt::LeftButton);
    EXPECT_EQ(shell.urls, (std::vector<std::string>{kv::kResultsBlogUrl, kv::kWeightUpdateUrl}));

    // ⑥ with the cancellation option: the start text is on screen while the
    // predictions window loads, the end text after it, and the option is cleared.
    auto* option = qobject_cast<QRadioButton*>(menu->control("Option1"));
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, option->height() / 2));
    EXPECT_TRUE(menu->logic().Option1);
    QString duringLoad;
    bool blockedDuringLoad = false;
    menu->logic().ShowPredictionsNew = [&] {
        duringLoad = text(menu->control("Text5"));
        blockedDuringLoad = !menu->button("Command8")->isEnabled();
        return true;
    };
    QTest::mouseClick(menu->button("Command8"), Qt::LeftButton);
    EXPECT_EQ(duringLoad, "予想･結果を開始しました。しばらくお待ちください。。数分かかります。");
    EXPECT_TRUE(blockedDuringLoad);
    EXPECT_EQ(menu->logic().ZansaFlag, 0);
    EXPECT_EQ(text(menu->control("Text5")), "予想･結果終了");
    EXPECT_FALSE(option->isChecked());
    EXPECT_FALSE(menu->logic().Option1);
    EXPECT_TRUE(menu->button("Command8")->isEnabled());

    // "オッズ処理" writes into Text2 only (no odds files here: its failure text).
    QTest::mouseClick(menu->button("Command7"), Qt::LeftButton);
    EXPECT_EQ(text(menu->control("Text2")), "今週のオッズ処理に失敗しました。");
    EXPECT_EQ(text(menu->control("Text3")), "");
    EXPECT_EQ(text(menu->control("Text6")), "");
}

// ① through the feed emulator: the download progress shows in the real modal
// dialog; a cancelled download reads nothing, the next press downloads and reads.
TEST(MenuDownload, ProgressWindowOverTheFeedCancelsThenCompletes) {
    testApp();
    TempDir dir;
    kv::SetAppPath(dir.path());
    const std::string feed = dir.file(kv::dirs::JVFEED), week = kv::joinPath(feed, kv::feed::WEEK);
    fs::create_directories(week);
    { std::ofstream(feed + "/control.txt") << "[" << kv::feed::WEEK << "]\ndownload_count = 3\nstatus_ms = 400\n"; }
    { std::ofstream(week + "/01.jvd", std::ios::binary) << "RA" << std::string(1268, ' ') << "\r\n"; }
    LockedMessages messages;
    RecordingShell shell;
    kv::SystemClock clock;
    kv::ui::MenuWindow menu(messages, shell, clock, kv::makeJVLink(feed));
    menu.formLoad();
    menu.show();

    bool cancel = true;
    QStringList seen;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dlg = qobject_cast<kv::ui::ProgressDialog*>(QApplication::activeModalWidget());
        if (!dlg) return;
        if (!seen.contains(dlg->label()->text())) seen << dlg->label()->text();
        EXPECT_EQ(dlg->bar()->maximum(), 3);
        if (cancel) QTest::mouseClick(dlg->cancelButton(), Qt::LeftButton);
    });
    watch.start();
    QTimer::singleShot(20000, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
    });

    menu.button("Command2")->click();
    EXPECT_EQ(menu.logic().DialogResult, -1);
    EXPECT_FALSE(seen.isEmpty());
    EXPECT_FALSE(fs::exists(dir.file("RATHISWEEKN.dat")));
    EXPECT_EQ(text(menu.control("Text1")), "今週開催取得終了");

    cancel = false;
    seen.clear();
    menu.button("Command2")->click();
    EXPECT_EQ(menu.logic().DialogResult, 0);
    EXPECT_FALSE(seen.isEmpty());  // the dialog was up while the files came in
    EXPECT_EQ(fs::file_size(dir.file("RATHISWEEKN.dat")), 1272u);
    EXPECT_EQ(text(menu.control("Text1")), "今週開催取得終了");
    for (const std::string& m : messages.messages) EXPECT_EQ(m.find("エラー"), std::string::npos) << m;
}

TEST(ProgressDialog, TimerDrivesTheTickUntilTheDownloadEnds) {
    testApp();
    ScriptedJVLink jv;
    LockedMessages messages;
    std::int32_t count = 12;
    std::int16_t result = 5;
    kv::TEZF2THISWEEKNQUEL w(jv, count, result, messages);
    w.Form_Load();
    kv::ui::ProgressDialog dlg(w, nullptr);
    QTimer::singleShot(5000, &dlg, [&] { dlg.done(99); });  // never hang the test
    EXPECT_NE(dlg.exec(), 99);
    EXPECT_TRUE(w.Closed);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dlg.bar()->value(), 12);
    EXPECT_EQ(dlg.bar()->maximum(), 12);
    EXPECT_EQ(dlg.label()->text(), "12 / 12");
}

TEST(ProgressDialog, CancelButtonCancelsTheDownload) {
    testApp();
    ScriptedJVLink jv;
    jv.statusStep = 0;
    LockedMessages messages;
    std::int32_t count = 12;
    std::int16_t result = 0;
    kv::TEZF2THISWEEKNQUEL w(jv, count, result, messages);
    w.Form_Load();
    kv::ui::ProgressDialog dlg(w, nullptr);
    QTimer::singleShot(60, &dlg, [&] {
        EXPECT_EQ(dlg.label()->text(), "0 / 12");
        QTest::mouseClick(dlg.cancelButton(), Qt::LeftButton);
    });
    QTimer::singleShot(5000, &dlg, [&] { dlg.done(99); });
    EXPECT_NE(dlg.exec(), 99);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(jv.cancels, 1);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(ExpansionWindow, CalculationRunsOffTheGuiThreadWithBothButtonsBlocked) {
    testApp();
    TempDir dir;
    kv::SetAppPath(dir.path());
    LockedMessages messages;
    auto* w = new kv::ui::ExpansionWindow(messages);
    QPointer<kv::ui::ExpansionWindow> p(w);
    kv::qt::showNew(w);
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "拡大構造体展開　Ver.2024.8.12AZ");
    auto* cmd1 = qobject_cast<QPushButton*>(w->control("Command1"));
    auto* cmd3 = qobject_cast<QPushButton*>(w->control("Command3"));
    QSignalSpy finished(w, &kv::ui::ExpansionWindow::runFinished);
    QTest::mouseClick(cmd1, Qt::LeftButton);
    EXPECT_FALSE(cmd1->isEnabled());
    EXPECT_FALSE(cmd3->isEnabled());
    QTest::mouseClick(cmd3, Qt::LeftButton);  // blocked: nothing starts
    w->close();                               // refused while the run is under way
    EXPECT_TRUE(p);
    // ③ again opens a second window over the same files: its ④ and ⑤ wait too,
    // its close button does not.
    auto* w2 = new kv::ui::ExpansionWindow(messages);
    QPointer<kv::ui::ExpansionWindow> p2(w2);
    kv::qt::showNew(w2);
    auto* w2cmd1 = qobject_cast<QPushButton*>(w2->control("Command1"));
    auto* w2cmd3 = qobject_cast<QPushButton*>(w2->control("Command3"));
    QSignalSpy finished2(w2, &kv::ui::ExpansionWindow::runFinished);
    EXPECT_FALSE(w2cmd1->isEnabled());
    EXPECT_FALSE(w2cmd3->isEnabled());
    EXPECT_TRUE(w2->control("Command2")->isEnabled());
    EXPECT_FALSE(w->control("Command2")->isEnabled());
    QTest::mouseClick(w2cmd1, Qt::LeftButton);
    EXPECT_FALSE(w2->running());
    ASSERT_TRUE(finished.wait(20000) || finished.count() == 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(finished2.count(), 0);
    EXPECT_EQ(kv::qt::widgetText(w2->control("Text3")), "Text3");  // the second window never ran
    EXPECT_TRUE(w2cmd1->isEnabled());
    EXPECT_TRUE(w2cmd3->isEnabled());
    w2->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(p2);
    EXPECT_TRUE(w->lastReport().started);
    // An empty folder has no weight tables: the run failed and says so.
    EXPECT_EQ(text(w->control("Text3")), kv::expansion::KORIVANEXPDTHISWEEKNQUEL::kFailedText);
    EXPECT_EQ(text(w->control("Text1")), "Text1");  // ④ never ran
    EXPECT_TRUE(cmd1->isEnabled());
    EXPECT_TRUE(cmd3->isEnabled());
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(p);
}

TEST(PredictionsWindow, LoadRunsOffTheGuiThreadAndTheShowWaitsForIt) {
    testApp();
    TempDir dir;
    kv::SetAppPath(dir.path());
    kv::RecordingStatusSink menu;
    LockedMessages messages;
    auto* w = new kv::ui::PredictionsWindow(menu, messages, [] { return kv::pred::WriterChain{}; });
    QPointer<kv::ui::PredictionsWindow> p(w);
    kv::qt::showNew(w);
    ASSERT_TRUE(p);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->running());
    EXPECT_TRUE(w->loadFinished());
    EXPECT_EQ(w->list1()->count(), static_cast<int>(w->logic().List1().size()));
    EXPECT_EQ(kv::qt::runningBackgroundJobs(), 0);
    // An empty folder: the missing inputs are named in one message; nothing failed.
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].rfind("JRACODE/CodeTable.csv が有りません。", 0), 0u) << messages.messages[0];
    EXPECT_FALSE(w->failed());
    w->close();
}

// A run whose files cannot be written does not pass for a success: a message
// names the first such file (the menu's end text follows it).
TEST(PredictionsWindow, FailedFilesAreReported) {
    testApp();
    TempDir dir;
    kv::SetAppPath(dir.path());
    fs::create_directories(dir.file("RACETHISWEEKN.dat"));  // a folder where the race index goes
    kv::RecordingStatusSink menu;
    LockedMessages messages;
    auto* w = new kv::ui::PredictionsWindow(menu, messages, [] { return kv::pred::WriterChain{}; });
    kv::qt::showNew(w);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("書き込めなかったファイルが"), std::string::npos) << messages.messages[0];
    EXPECT_NE(messages.messages[0].find("RACETHISWEEKN.dat"), std::string::npos) << messages.messages[0];
    w->close();
}

// A window whose load is under way while the user closes every other window
// (the menu included) still opens after its load; the program goes on.
TEST(ShowHelpers, ClosingTheOtherWindowsDuringALoadKeepsTheProgramRunning) {
    testApp();
    struct SlowLoad : kv::qt::FormWindow {
        void formLoad(std::function<void()> done) override { QTimer::singleShot(150, this, [done] { done(); }); }
    };
    QWidget menu;
    menu.show();
    QPointer<SlowLoad> w = new SlowLoad;
    bool shownAfterLoad = false, stillRunning = false;
    QTimer::singleShot(0, &menu, [&] {
        QTimer::singleShot(30, &menu, [&] { menu.close(); });
        kv::qt::showNew(w.data());
        shownAfterLoad = w && w->loadFinished() && w->isVisible();
        QTimer::singleShot(100, &menu, [&] {
            stillRunning = true;
            QCoreApplication::exit(0);
        });
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(shownAfterLoad);
    EXPECT_TRUE(stillRunning);
    delete w.data();
}

// The sample week through the program's own windows, as a user runs it:
// ① (the download), ② (structure processing), ③ and ⑤ (the calculation off
// the GUI thread), then ⑥: the predictions window's load runs off the GUI
// thread while the menu's Text5 shows the start text, one "…R予想中" text per
// race and the end text; the window then lists every race, no race selected,
// each item ending with its race key.
TEST(ProgramWeek, SampleWeekThroughTheMenuAndItsWindows) {
    testApp();
    TempDir dir;
    kvsample::Options opt;
    opt.appDir = dir.path();
    opt.seed = 1;
    const kvsample::WriteSummary sum = kvsample::generate(opt);
    ASSERT_GT(sum.weekRaces, 1);
    kv::SetAppPath(dir.path());
    std::vector<std::string> messages;
    kv::qt::MessageBoxSink::setHook([&](const std::string& m) { messages.push_back(m); });
    {
        kv::ui::Program program(kv::joinPath(dir.path(), "jvfeed"));
        program.start();
        kv::ui::MenuWindow& menu = program.menu();
        ASSERT_TRUE(menu.isVisible());
        QStringList text5;
        auto* t5 = qobject_cast<QPlainTextEdit*>(menu.control("Text5"));
        QObject::connect(t5, &QPlainTextEdit::textChanged, [&] {
            const QString t = t5->toPlainText();
            if (!t.isEmpty() && (text5.isEmpty() || text5.back() != t)) text5 << t;
        });

        menu.button("Command2")->click();
        EXPECT_EQ(text(menu.control("Text1")), "今週開催取得終了");
        menu.button("Command4")->click();
        EXPECT_TRUE(text(menu.control("Text4")).startsWith("構造体処理終了"));
        menu.button("Command6")->click();
        kv::ui::ExpansionWindow* ex = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* e = qobject_cast<kv::ui::ExpansionWindow*>(w); e && e->isVisible()) ex = e;
        ASSERT_NE(ex, nullptr);
        // ④ then ⑤, as the road runs them (⑤ would say that ④ never ran).
        QSignalSpy fixed(ex, &kv::ui::ExpansionWindow::runFinished);
        qobject_cast<QPushButton*>(ex->control("Command3"))->click();
        ASSERT_TRUE(fixed.wait(120000) || fixed.count() == 1);
        QSignalSpy calculated(ex, &kv::ui::ExpansionWindow::runFinished);
        qobject_cast<QPushButton*>(ex->control("Command1"))->click();
        ASSERT_TRUE(calculated.wait(120000) || calculated.count() == 1);
        EXPECT_TRUE(ex->lastReport().ok());
        EXPECT_EQ(text(ex->control("Text3")), "計算終了");

        menu.button("Command8")->click();
        kv::ui::PredictionsWindow* pw = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* x = qobject_cast<kv::ui::PredictionsWindow*>(w); x && x->isVisible()) pw = x;
        ASSERT_NE(pw, nullptr);
        EXPECT_EQ(pw->windowTitle(), "予想・結果  Ver.2024.8.12A");
        EXPECT_FALSE(pw->running());

        std::vector<std::string> keys;
        {
            std::ifstream in(dir.file("RACETHISWEEKN.dat"), std::ios::binary);
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line.size() >= 2) keys.push_back(line.substr(1, line.size() - 2));
            }
        }
        ASSERT_EQ(static_cast<int>(keys.size()), sum.weekRaces);
        ASSERT_EQ(pw->list1()->count(), sum.weekRaces);
        for (int i = 0; i < pw->list1()->count(); ++i) {
            const QString item = pw->list1()->item(i)->text();
            EXPECT_TRUE(item.endsWith(QString::fromStdString("R         " + keys[i]))) << item.toStdString();
        }
        EXPECT_TRUE(pw->list1()->selectedItems().isEmpty());

        ASSERT_GE(text5.size(), 3);
        EXPECT_EQ(text5.front(), "予想･結果を開始しました。しばらくお待ちください。。数分かかります。");
        EXPECT_EQ(text5.back(), "予想･結果終了");
        QStringList perRace = text5.mid(1, text5.size() - 2);
        ASSERT_EQ(perRace.size(), sum.weekRaces);
        for (int i = 0; i < perRace.size(); ++i) {
            const std::string& k = keys[i];
            const std::regex re(k.substr(0, 8) + ".+" + k.substr(10, 2) + "R予想中");
            EXPECT_TRUE(std::regex_match(perRace[i].toStdString(), re)) << perRace[i].toStdString();
        }
        EXPECT_EQ(kv::qt::runningBackgroundJobs(), 0);
    }
    kv::qt::MessageBoxSink::setHook({});
    for (const std::string& m : messages) ADD_FAILURE() << "message: " << m;
}

}  // namespace
