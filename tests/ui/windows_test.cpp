// The windows on the offscreen platform: the main menu's start-up and its
// status area, buttons reaching their handlers, the progress dialog's timer and
// cancel button, and the windows whose work runs off the GUI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <filesystem>

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
#include "acquisition/ui/menu_view.h"
#include "acquisition/ui/progress_dialog.h"
#include "common/appfolder.h"
#include "expansion/ui/expansion_view.h"
#include "fixtures/fixtures.h"
#include "platform/jvlink/jvlink.h"
#include "platform/qt/gui_thread.h"
#include "platform/qt/show.h"
#include "prediction/ui/predictions_view.h"
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
    };
    QTest::mouseClick(menu->button("Command8"), Qt::LeftButton);
    EXPECT_EQ(duringLoad, "予想･結果を開始しました。しばらくお待ちください。。数分かかります。");
    EXPECT_TRUE(blockedDuringLoad);
    EXPECT_EQ(menu->logic().ZansaFlag, 0);
    EXPECT_EQ(text(menu->control("Text5")), "予想･結果終了");
    EXPECT_FALSE(option->isChecked());
    EXPECT_FALSE(menu->logic().Option1);
    EXPECT_TRUE(menu->button("Command8")->isEnabled());

    // "オッズ処理" writes into Text2 only.
    QTest::mouseClick(menu->button("Command7"), Qt::LeftButton);
    EXPECT_EQ(text(menu->control("Text2")), "今週のオッズ処理終了");
    EXPECT_EQ(text(menu->control("Text3")), "");
    EXPECT_EQ(text(menu->control("Text6")), "");
}

// ① through the feed emulator: the download progress shows in the real modal
// dialog; a cancelled download reads nothing, the next press downloads and reads.
TEST(MenuDownload, ProgressWindowOverTheFeedCancelsThenCompletes) {
    testApp();
    TempDir dir;
    kv::SetAppPath(dir.path());
    const std::string feed = dir.file("jvfeed");
    fs::create_directories(feed + "/TOKURACETCVNRCVN");
    { std::ofstream(feed + "/control.txt") << "[TOKURACETCVNRCVN]\ndownload_count = 3\nstatus_ms = 400\n"; }
    { std::ofstream(feed + "/TOKURACETCVNRCVN/01.jvd", std::ios::binary) << "RA" << std::string(1268, ' ') << "\r\n"; }
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
    ASSERT_TRUE(finished.wait(20000) || finished.count() == 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(w->lastReport().started);
    EXPECT_EQ(text(w->control("Text3")), "計算終了");
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
    auto* w = new kv::ui::PredictionsWindow(menu, [] { return kv::pred::WriterChain{}; });
    QPointer<kv::ui::PredictionsWindow> p(w);
    kv::qt::showNew(w);
    ASSERT_TRUE(p);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->running());
    EXPECT_TRUE(w->loadFinished());
    EXPECT_EQ(w->list1()->count(), static_cast<int>(w->logic().List1().size()));
    EXPECT_EQ(kv::qt::runningBackgroundJobs(), 0);
    w->close();
}

}  // namespace
