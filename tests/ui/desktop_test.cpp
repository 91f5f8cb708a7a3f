// The program as a user meets it on a desktop: fonts that draw Japanese, where
// windows and message boxes open, windows that keep their size, texts that fit
// their boxes, and what ⑥ says when it runs before ⑤. Images of the windows are
// saved under the build folder (test-artifacts) for a person to look at.
//
// Some cases need a process of their own (a screen size, a font set); ctest
// runs this executable once per setting: KV_TEST_SCREEN=WxH runs the placement
// on a screen of that size, KV_TEST_LATIN_FONTS=1 the font check with a font
// set that has no Japanese.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QStackedWidget>
#include <QStyle>
#include <QTest>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>
#include <QtCharts/QLineSeries>

#include "acquisition/menu.h"
#include "common/appfolder.h"
#include "acquisition/ui/processing_views.h"
#include "expansion/ui/expansion_view.h"
#include "factorview/ui/factor_view.h"
#include "history/ui/history_views.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/tabstrip.h"
#include "fixtures/fixtures.h"
#include "outputs.h"
#include "platform/qt/fonts.h"
#include "platform/qt/placement.h"
#include "platform/qt/sinks_qt.h"
#include "prediction/ui/predictions_view.h"
#include "prediction/predictions_window.h"
#include "program.h"
#include "qt_app.h"
#include "week/writer_table.h"

namespace fs = std::filesystem;
using kvtest::TempDir;

namespace {

const char* screenSetting() { return std::getenv("KV_TEST_SCREEN"); }
bool latinFonts() { return std::getenv("KV_TEST_LATIN_FONTS") != nullptr; }
// The default run: the real fonts, the platform's own screen.
bool defaultRun() { return !screenSetting() && !latinFonts(); }

std::string artifacts() {
    const std::string dir = KV_TEST_ARTIFACTS;
    fs::create_directories(dir);
    return dir;
}

// The process's settings, made before the application object exists.
QApplication& desktopApp() {
    static const bool configured = [] {
        if (const char* s = screenSetting()) {
            int w = 0, h = 0;
            if (std::sscanf(s, "%dx%d", &w, &h) == 2) {
                const std::string file = artifacts() + "/screen-" + s + ".json";
                std::ofstream(file) << "{\"screens\": [{\"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": " << w
                                    << ", \"height\": " << h << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96}]}";
                setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).c_str(), 1);
            }
        }
        if (latinFonts()) {
            // Only the Latin fonts of the system (none when it has none).
            const std::string dir = artifacts() + "/latin-fonts";
            fs::create_directories(dir + "/cache");
            std::string fonts;
            for (const char* d : {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/liberation"})
                if (fs::is_directory(d)) fonts += std::string("<dir>") + d + "</dir>";
            std::ofstream(dir + "/fonts.conf") << "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">"
                                               << "<fontconfig>" << fonts << "<cachedir>" << dir
                                               << "/cache</cachedir></fontconfig>";
            setenv("FONTCONFIG_FILE", (dir + "/fonts.conf").c_str(), 1);
        }
        return true;
    }();
    (void)configured;
    return testApp();
}

// Closes every message box as it comes up and keeps its text and owner.
class BoxCloser {
public:
    struct Box {
        std::string text;
        QPointer<QWidget> parent;
        QRect geometry;
    };
    BoxCloser() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            boxes.push_back({box->text().toStdString(), box->parentWidget(), box->frameGeometry()});
            box->done(QMessageBox::Ok);
        });
        timer_.start(5);
    }
    std::vector<Box> boxes;

private:
    QTimer timer_;
};

template <class W>
W* shownWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* x = qobject_cast<W*>(w); x && x->isVisible()) return x;
    return nullptr;
}

// Every character of the text that is not ASCII is in the font the widget draws with.
void expectGlyphs(const QWidget* w, const QString& text) {
    const QFontMetrics fm(w->font());
    for (const QChar c : text)
        if (c.unicode() > 0x7E && !c.isSpace()) {
            EXPECT_TRUE(fm.inFont(c)) << w->objectName().toStdString() << ": no glyph for U+" << std::hex
                                      << static_cast<unsigned>(c.unicode()) << " in " << text.toStdString();
        }
}

void saveGrab(QWidget* w, const std::string& name) {
    const std::string file = artifacts() + "/" + name + ".png";
    EXPECT_TRUE(w->grab().save(QString::fromStdString(file))) << file;
}

// The week's data up to ② (① and ② pressed in the menu), nothing calculated.
struct WeekUpToStructure {
    TempDir dir;
    int races = 0;
    WeekUpToStructure() {
        kvsample::Options opt;
        opt.appDir = dir.path();
        opt.seed = 3;
        races = kvsample::generate(opt).weekRaces;
        kv::SetAppPath(dir.path());
    }
};

// ---- fonts -------------------------------------------------------------------

TEST(FontCheck, AJapaneseFontIsFoundAndUsed) {
    if (!defaultRun()) GTEST_SKIP() << "runs with the system's fonts";
    desktopApp();
    ASSERT_FALSE(kv::qt::japaneseFontFamily().isEmpty()) << "no font with Japanese glyphs is installed";
    EXPECT_TRUE(kv::qt::useJapaneseFont());
    const QFontMetrics fm(QApplication::font());
    for (const QChar c : QStringLiteral("今週開催取得①⑥予想･結果"))
        EXPECT_TRUE(fm.inFont(c)) << std::hex << static_cast<unsigned>(c.unicode());
}

TEST(FontCheck, WithoutAJapaneseFontTheUserIsToldOnceAndTheProgramGoesOn) {
    if (!latinFonts()) GTEST_SKIP() << "runs with KV_TEST_LATIN_FONTS=1";
    desktopApp();
    EXPECT_TRUE(kv::qt::japaneseFontFamily().isEmpty());
    EXPECT_FALSE(kv::qt::useJapaneseFont());
    TempDir dir;
    kv::SetAppPath(dir.path());
    std::vector<std::string> messages;
    kv::qt::MessageBoxSink::setHook([&](const std::string& m) { messages.push_back(m); });
    {
        kv::ui::Program program(kv::joinPath(dir.path(), "jvfeed"));
        testing::internal::CaptureStderr();
        program.start();
        const std::string err = testing::internal::GetCapturedStderr();
        const std::string notice = kv::qt::missingJapaneseFontNotice().toStdString();
        EXPECT_NE(err.find(notice), std::string::npos) << err;
        EXPECT_EQ(err.find(notice), err.rfind(notice)) << "said more than once";
        EXPECT_TRUE(program.menu().isVisible());
        EXPECT_EQ(kv::qt::widgetText(program.menu().control("Text1")).toStdString(), notice);
        saveGrab(&program.menu(), "main-menu-without-japanese-font");
    }
    kv::qt::MessageBoxSink::setHook({});
    EXPECT_FALSE(messages.empty());  // the menu's own start-up messages still come
}

// ---- where windows open --------------------------------------------------------

TEST(Placement, CentringKeepsAWindowWhollyOnTheScreen) {
    const QRect screen(0, 0, 1024, 768);
    struct Case {
        QSize size;
        QRect over;
        QPoint expected;
    };
    const Case cases[] = {
        {{808, 693}, screen, {108, 37}},                            // the menu, centred
        {{400, 300}, QRect(108, 37, 808, 693), {312, 233}},         // over the menu
        {{400, 300}, QRect(800, 600, 200, 150), {624, 468}},        // pushed back from the right and bottom
        {{400, 300}, QRect(-100, -80, 200, 150), {0, 0}},           // and from the left and top
        {{1200, 900}, screen, {0, 0}},                              // larger than the screen: its corner stays on it
    };
    for (const Case& c : cases) EXPECT_EQ(kv::qt::placedTopLeft(c.size, c.over, screen), c.expected);
}

TEST(Placement, EveryWindowOpensCentredOverTheMenuAndOnTheScreen) {
    if (!screenSetting()) GTEST_SKIP() << "runs with KV_TEST_SCREEN=WxH";
    desktopApp();
    TempDir dir;
    kv::SetAppPath(dir.path());
    BoxCloser boxes;
    kv::ui::Program program(kv::joinPath(dir.path(), "jvfeed"));
    program.start();
    kv::ui::MenuWindow& menu = program.menu();
    QApplication::processEvents();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(QString(screenSetting()), QStringLiteral("%1x%2").arg(available.width()).arg(available.height()));
    ASSERT_TRUE(menu.isVisible());
    EXPECT_TRUE(available.contains(menu.frameGeometry())) << screenSetting();
    EXPECT_LE((menu.frameGeometry().center() - available.center()).manhattanLength(), 2);

    // Windows the menu opens (an empty folder: they open and say what is missing).
    for (const char* button : {"Command3", "Command12", "Command7", "Command4", "Command8"})
        QTest::mouseClick(menu.button(button), Qt::LeftButton);
    QApplication::processEvents();
    std::vector<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != &menu && !qobject_cast<QDialog*>(w)) windows.push_back(w);
    for (QWidget* w : windows) {
        SCOPED_TRACE(w->windowTitle().toStdString());
        EXPECT_TRUE(available.contains(w->frameGeometry()));
        // Centred over the menu, or, where that place was taken, a step down and to the right of another window.
        bool cascaded = false;
        for (QWidget* o : windows) {
            const QPoint d = w->pos() - o->pos();
            cascaded = cascaded || (o != w && d.x() == d.y() && d.x() > 0);
            EXPECT_TRUE(o == w || o->pos() != w->pos()) << "opened over " << o->windowTitle().toStdString();
        }
        EXPECT_TRUE(cascaded || (w->frameGeometry().center() - menu.frameGeometry().center()).manhattanLength() <= 2);
        // Controls at fixed places: the window keeps its designed size.
        EXPECT_EQ(w->minimumSize(), w->maximumSize());
    }
    EXPECT_GE(windows.size(), 4u);

    // A second press brings a minimised window back instead of opening another.
    QWidget* odds = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "今週のオッズ Ver.2024.8.12A") odds = w;
    ASSERT_NE(odds, nullptr);
    odds->showMinimized();
    QTest::mouseClick(menu.button("Command3"), Qt::LeftButton);
    EXPECT_FALSE(odds->isMinimized());
    EXPECT_TRUE(odds->isVisible());
}

// ---- message boxes ---------------------------------------------------------------

TEST(MessageBoxes, EachBelongsToTheWindowThatRaisedItAndOpensOverIt) {
    if (!defaultRun()) GTEST_SKIP();
    desktopApp();
    TempDir dir;
    kv::SetAppPath(dir.path());
    dir.write("jvfeed/control.txt", "setui_result=-1\n");  // "設定" fails in every window
    BoxCloser boxes;
    kv::ui::Program program(kv::joinPath(dir.path(), "jvfeed"));
    program.start();
    kv::ui::MenuWindow& menu = program.menu();
    ASSERT_FALSE(boxes.boxes.empty());  // the start-up's own messages, the menu's
    // Raised before the menu is on the screen: in the middle of the screen.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    for (const auto& b : boxes.boxes) {
        EXPECT_EQ(b.parent, &menu) << b.text;
        EXPECT_LE((b.geometry.center() - available.center()).manhattanLength(), 4) << b.text;
    }

    QTest::mouseClick(menu.button("Command3"), Qt::LeftButton);  // the odds download window
    QWidget* odds = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "今週のオッズ Ver.2024.8.12A") odds = w;
    ASSERT_NE(odds, nullptr);
    // A download (no data in the feed: its message) reads the control file;
    // "設定" fails after it.
    const std::string failed = "エラーのためJV-Linkの設定に失敗しました。";
    struct Press {
        QWidget* window;
        const char* button;
        bool settings;
    };
    for (const Press& p : {Press{odds, "Command2", false}, Press{odds, "Command1", true},
                           Press{&menu, "Command2", false}, Press{&menu, "Command1", true},
                           Press{odds, "Command1", true}}) {
        SCOPED_TRACE(p.window->windowTitle().toStdString() + " " + p.button);
        boxes.boxes.clear();
        QTest::mouseClick(p.window->findChild<QPushButton*>(p.button), Qt::LeftButton);
        ASSERT_FALSE(boxes.boxes.empty());
        if (p.settings) {
            EXPECT_EQ(boxes.boxes.back().text, failed);
        }
        for (const auto& b : boxes.boxes) {
            EXPECT_EQ(b.parent, p.window) << b.text;
            EXPECT_TRUE(p.window->frameGeometry().contains(b.geometry.center())) << b.text;
        }
    }
}

// ---- ⑥ before ⑤, and what the windows look like -----------------------------------

TEST(Desktop, PredictionsBeforeTheCalculationSayWhatToRunFirst) {
    if (!defaultRun()) GTEST_SKIP();
    desktopApp();
    WeekUpToStructure week;
    std::vector<std::string> messages;
    kv::qt::MessageBoxSink::setHook([&](const std::string& m) { messages.push_back(m); });
    {
        kv::ui::Program program(kv::joinPath(week.dir.path(), "jvfeed"));
        program.start();
        kv::ui::MenuWindow& menu = program.menu();
        menu.button("Command2")->click();
        menu.button("Command4")->click();
        ASSERT_TRUE(messages.empty()) << messages.front();
        menu.button("Command8")->click();  // ⑥ before ③ and ⑤

        // One message: the step not run yet, what is missing and what comes
        // first, no procedure names or English.
        ASSERT_EQ(messages.size(), 1u);
        const std::string& m = messages[0];
        EXPECT_EQ(m.rfind("「⑤計算」がまだ実行されていません。先に「⑤計算」を実行して下さい。"
                          "今週の拡大構造体ファイル（UMAGOTOEXTHISWEEKN）が有りません。先に③拡大構造体展開と⑤計算を行って下さい。",
                          0),
                  0u)
            << m;
        // The races fail for their data (no expanded runs), not for the disk.
        EXPECT_NE(m.find("不足・不備で出力できなかったレースが " + std::to_string(week.races) + " レースあります。最初のレースは "),
                  std::string::npos)
            << m;
        EXPECT_EQ(m.find("ディスク"), std::string::npos) << m;
        for (const char* english : {"Write", "not a number", "failed"}) EXPECT_EQ(m.find(english), std::string::npos) << m;
        EXPECT_EQ(kv::qt::widgetText(menu.control("Text5")), kv::kPredictionsFailedText);

        // The command-line driver's run of the same logic tells the same.
        kv::RecordingStatusSink status;
        kv::pred::YOSOKEKKATHISWEEKNQUEL w(kv::week::makeStandardChain(), status);
        w.Form_Load();
        EXPECT_EQ(w.report().message(), m);

        // The windows as the user sees them: Japanese drawn with real glyphs.
        auto* pw = shownWindow<kv::ui::PredictionsWindow>();
        ASSERT_NE(pw, nullptr);
        ASSERT_EQ(pw->list1()->count(), week.races);
        saveGrab(&menu, "main-menu");
        saveGrab(pw, "predictions-window");
        for (const auto& item : kv::TEZF1THISWEEKNQUEL::Layout())
            if (QWidget* c = menu.control(item.control)) expectGlyphs(c, QString::fromUtf8(item.caption));
        for (const char* box : {"Text1", "Text2", "Text4", "Text5", "Label1"})
            expectGlyphs(menu.control(box), kv::qt::widgetText(menu.control(box)));
        for (int i = 0; i < pw->list1()->count(); ++i) expectGlyphs(pw->list1(), pw->list1()->item(i)->text());
        pw->close();
    }
    kv::qt::MessageBoxSink::setHook({});
}

TEST(Desktop, TheCalculationsStartTextFitsItsBox) {
    if (!defaultRun()) GTEST_SKIP();
    desktopApp();
    TempDir dir;
    kv::SetAppPath(dir.path());
    kv::qt::installWindowPlacement(nullptr);  // as the program does at its start
    kv::RecordingMessageSink messages;
    auto* w = new kv::ui::ExpansionWindow(messages);
    kv::qt::showNew(w);
    auto* text3 = qobject_cast<QPlainTextEdit*>(w->control("Text3"));
    ASSERT_NE(text3, nullptr);
    text3->setPlainText(QString::fromUtf8(kv::expansion::KORIVANEXPDTHISWEEKNQUEL::kStartText));
    QApplication::processEvents();
    EXPECT_FALSE(text3->verticalScrollBar()->isVisible());
    EXPECT_FALSE(text3->horizontalScrollBar()->isVisible());
    // Every line of the text lies inside the box.
    QTextCursor end(text3->document());
    end.movePosition(QTextCursor::End);
    EXPECT_LE(text3->cursorRect(end).bottom(), text3->viewport()->height())
        << "last line at " << text3->cursorRect(end).bottom() << ", viewport " << text3->viewport()->height();
    expectGlyphs(text3, text3->toPlainText());
    saveGrab(w, "expansion-window");
    w->close();
}

// ---- every value readable, on a large and a small screen ----------------------------

// Runs the command-line driver's road over a folder (the week's work done
// headless, as a user's earlier sessions would have done it). Empty when it
// went well, else what failed.
std::string runWeekHeadless(const std::string& appDir) {
    const std::string cmd =
        std::string("'") + KV_CLI_PATH + "' --app-dir '" + appDir + "' run-week >'" + appDir + "-run-week.txt' 2>&1";
    return std::system(cmd.c_str()) == 0 ? std::string() : "failed: " + cmd;
}

// The sample folders the windows are filled from, each built once for the
// executable and shared by its cases and its runs (the screen sizes): this
// week before its results, the same week after them (the first with its
// results added), and three weeks of results. They are built in the
// background from the first case that asks for one on, the week before its
// results first, and kept in the build folder until the test or the
// command-line driver is built again; each run works on copies of them.
class SampleFolders {
public:
    enum Folder { PredictionWeek, ResultWeek, ThreeWeeks };
    // The folder, once built (waits for it); a failure of its building fails the case.
    static std::string get(Folder f) {
        static SampleFolders folders;
        const Built& b = folders.built_[f].get();
        if (!b.error.empty()) ADD_FAILURE() << b.error;
        return b.error.empty() ? b.path : std::string();
    }

private:
    struct Built {
        std::string path, error;
    };
    // Generates the sample files of `phase`, `weeksBack` weeks ago, into app and runs the road over them.
    static std::string addWeek(const std::string& app, kvsample::Phase phase, int weeksBack) {
        try {
            kvsample::Options opt;
            opt.appDir = app;
            opt.seed = 3;
            opt.phase = phase;
            opt.weeksBack = weeksBack;
            kvsample::generate(opt);
        } catch (const std::exception& e) {
            return std::string("sample week not written: ") + e.what();
        }
        return runWeekHeadless(app);
    }
    static std::string copy(const std::string& from, const std::string& to) {
        std::error_code ec;
        fs::copy(from, to, fs::copy_options::recursive, ec);
        return ec ? "copy of " + from + " failed: " + ec.message() : std::string();
    }
    // Holds an exclusive lock on a file while it lives (the other runs wait).
    class FileLock {
    public:
        explicit FileLock(const std::string& file) : fd_(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
            if (fd_ >= 0) ::flock(fd_, LOCK_EX);
        }
        ~FileLock() {
            if (fd_ >= 0) ::close(fd_);
        }
        FileLock(const FileLock&) = delete;
        FileLock& operator=(const FileLock&) = delete;

    private:
        int fd_;
    };
    // The shared folder `name`, built by `build` into the shared place unless
    // an earlier run has built it, copied into this run's own folder.
    Built share(const std::string& name, const std::function<std::string(const std::string&)>& build) {
        const std::string kept = shared_ + "/" + name;
        {
            FileLock lock(kept + ".lock");
            if (!fs::exists(kept + ".done")) {
                std::error_code ec;
                fs::remove_all(kept, ec);
                if (std::string error = build(kept); !error.empty()) return {"", error};
                std::ofstream(kept + ".done") << "built\n";
            }
        }
        const std::string own = dir_.file(name);
        return {own, copy(kept, own)};
    }
    // The place of the shared folders: named after the executables that build them.
    static std::string sharedPlace() {
        std::string stamp;
        for (const std::string& exe : {std::string("/proc/self/exe"), std::string(KV_CLI_PATH)}) {
            std::error_code ec;
            stamp += std::to_string(fs::last_write_time(exe, ec).time_since_epoch().count()) + "-" +
                     std::to_string(fs::file_size(exe, ec)) + ";";
        }
        const std::string root = artifacts() + "/sample-folders";
        const std::string place = root + "/" + std::to_string(std::hash<std::string>{}(stamp));
        fs::create_directories(root);
        FileLock lock(root + "/.lock");
        if (!fs::exists(place)) {
            // Folders of earlier builds are of no more use.
            for (const auto& e : fs::directory_iterator(root))
                if (e.path().filename() != ".lock") fs::remove_all(e.path());
            fs::create_directories(place);
        }
        return place;
    }

    SampleFolders() : shared_(sharedPlace()) {
        std::promise<Built> prediction;
        built_[PredictionWeek] = prediction.get_future().share();
        built_[ResultWeek] = std::async(std::launch::async, [this, p = std::move(prediction)]() mutable {
                                 const std::string week = shared_ + "/week";
                                 p.set_value(share("week", [](const std::string& to) {
                                     return addWeek(to, kvsample::Phase::Prediction, 0);
                                 }));
                                 return share("week-result", [week](const std::string& to) {
                                     std::string error = copy(week, to);
                                     return error.empty() ? addWeek(to, kvsample::Phase::Result, 0) : error;
                                 });
                             }).share();
        built_[ThreeWeeks] = std::async(std::launch::async, [this] {
                                 return share("weeks", [](const std::string& to) {
                                     std::string error;
                                     for (int back : {2, 1, 0})
                                         if (error.empty()) error = addWeek(to, kvsample::Phase::Result, back);
                                     return error;
                                 });
                             }).share();
    }

    TempDir dir_;
    std::string shared_;
    std::shared_future<Built> built_[3];
};

// Shows the tab pages that hold w, from the outermost tab control in.
void bringForward(QWidget* w) {
    std::vector<std::pair<kv::qt::TabStrip*, QWidget*>> chain;
    for (QWidget* p = w; p && !p->isWindow(); p = p->parentWidget())
        if (auto* stack = qobject_cast<QStackedWidget*>(p->parentWidget()))
            if (auto* strip = qobject_cast<kv::qt::TabStrip*>(stack->parentWidget())) chain.push_back({strip, p});
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (int i = 0; i < it->first->count(); ++i)
            if (it->first->page(i) == it->second && it->first->currentIndex() != i) it->first->tabButton(i)->click();
    QApplication::processEvents();
}

// A paint device that keeps what is painted on it, in device coordinates:
// each run of text (its characters, the box of its glyphs, its colour, the
// clip it was drawn in) and each rectangle filled with one colour.
struct Painting {
    struct Text {
        QString text;
        // Its advance less trailing blanks, by the glyphs' height (0.8 em
        // above the baseline, 0.2 em below).
        QRectF rect;
        std::optional<QRectF> clip;
        QColor color;
    };
    struct Fill {
        QRectF rect;
        QColor color;
    };
    std::vector<Text> texts;
    std::vector<Fill> fills;

    // The colour painted last under a point (`base` where nothing was).
    QColor colorAt(QPointF p, QColor base) const {
        for (auto it = fills.rbegin(); it != fills.rend(); ++it)
            if (it->rect.contains(p)) return it->color;
        return base;
    }
};

class PaintRecord : public QPaintDevice {
public:
    PaintRecord(QSize size, int dpi) : size_(size), dpi_(dpi), engine_(painting) {}
    ~PaintRecord() override = default;
    QPaintEngine* paintEngine() const override { return &engine_; }
    Painting painting;

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth: return size_.width();
            case PdmHeight: return size_.height();
            case PdmWidthMM: return size_.width() * 254 / (10 * dpi_);
            case PdmHeightMM: return size_.height() * 254 / (10 * dpi_);
            case PdmNumColors: return 0;
            case PdmDepth: return 32;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY: return dpi_;
            case PdmDevicePixelRatio: return 1;
            case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
            default: return QPaintDevice::metric(m);
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(Painting& r) : QPaintEngine(QPaintEngine::AllFeatures), r_(r) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return QPaintEngine::User; }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawLines(const QLineF*, int) override {}
        void drawEllipse(const QRectF&) override {}
        void drawPoints(const QPointF*, int) override {}
        void drawRects(const QRect* rects, int n) override {
            for (int i = 0; i < n; ++i) fill(QRectF(rects[i]));
        }
        void drawRects(const QRectF* rects, int n) override {
            for (int i = 0; i < n; ++i) fill(rects[i]);
        }
        void drawTextItem(const QPointF& p, const QTextItem& ti) override {
            const QPainter* pt = painter();
            const QTransform& t = pt->deviceTransform();
            // The glyphs, not the font's line box (taller than a grid row
            // with some fonts: its blank top and bottom may be cut).
            const qreal em = QFontInfo(ti.font()).pixelSize();
            const QString text = ti.text();
            qsizetype end = text.size();
            while (end > 0 && text.at(end - 1).isSpace()) --end;
            const qreal blanks = QFontMetricsF(ti.font()).horizontalAdvance(text.mid(end));
            const QRectF box(p.x(), p.y() - 0.8 * em, std::max<qreal>(0, ti.width() - blanks), em);
            std::optional<QRectF> clip;
            if (pt->hasClipping()) clip = t.mapRect(pt->clipBoundingRect());
            r_.texts.push_back({ti.text(), t.mapRect(box), clip, pt->pen().color()});
        }

    private:
        void fill(const QRectF& rect) {
            const QBrush& b = painter()->brush();
            if (b.style() == Qt::SolidPattern)
                r_.fills.push_back({painter()->deviceTransform().mapRect(rect), b.color()});
        }
        Painting& r_;
    };
    QSize size_;
    int dpi_;
    mutable Engine engine_;
};

// Relative luminance (sRGB) and the contrast of two colours (1 to 21).
double luminance(const QColor& c) {
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Text in colour `text` reads on `under`: enough contrast, and light on a dark colour.
bool readableOn(const QColor& text, const QColor& under) {
    return contrast(text, under) >= 3 && (luminance(under) >= 0.18 || luminance(text) >= 0.5);
}

// The text whole: the same characters as `expected`, line breaks and blanks aside.
QString withoutBlanks(QString s) {
    s.removeIf([](QChar c) { return c.isSpace(); });
    return s;
}

// A painted text inside `room` and inside its clip (half a pixel spare).
bool inside(const Painting::Text& t, const QRectF& room) {
    const QRectF whole = t.rect.adjusted(0.5, 0, -0.5, 0);
    return room.contains(whole) && (!t.clip || t.clip->contains(whole));
}

// Gives access to the options a view paints its cells with.
struct ViewOptions : QTableView {
    using QTableView::initViewItemOption;
};

// What cell r, c of the grid paints: the cell painted alone, as the view that
// shows it paints it (the fixed rows and columns have views of their own), by
// that view's delegate.
Painting paintCell(kv::qt::GridView* v, int r, int c, QRectF& cell) {
    const kv::controls::GridModel& g = v->grid();
    QTableView* shown = r < g.fixedRows() ? v->frozenRowsView() : c < g.fixedCols() ? v->frozenColsView() : v;
    QStyleOptionViewItem opt;
    (shown->*(&ViewOptions::initViewItemOption))(&opt);
    const int line = shown->showGrid() ? 1 : 0;
    opt.rect = QRect(0, 0, shown->columnWidth(c) - line, shown->rowHeight(r) - line);
    cell = opt.rect;
    const QModelIndex index = shown->model()->index(r, c);
    PaintRecord record(opt.rect.size() + QSize(1, 1), shown->logicalDpiY());
    QPainter painter(&record);
    shown->itemDelegateForIndex(index)->paint(&painter, opt, index);
    painter.end();
    return std::move(record.painting);
}

// The cells of a grid found whole and readable so far (it is checked again
// and again, after each race or day is shown).
QSet<QString>& seenCells(const kv::qt::GridView* v) {
    static std::map<const QObject*, QSet<QString>> seen;
    auto [it, added] = seen.try_emplace(v);
    if (added) QObject::connect(v, &QObject::destroyed, [v] { seen.erase(v); });
    return it->second;
}

// Every text of the grid, as painted, is whole in its cell: all its
// characters, nothing elided, every line within the cell and its clip, and
// readable on the colour painted under it (light on a dark cell); a grid
// wider or taller than its box scrolls to its last column and row.
void expectGridReadable(kv::qt::GridView* v, const std::string& where) {
    SCOPED_TRACE(where + " " + v->objectName().toStdString());
    bringForward(v);
    const kv::controls::GridModel& g = v->grid();
    const QColor base = v->palette().color(QPalette::Base);
    const kv::qt::GridTableModel* m = v->gridModel();
    QSet<QString>& seen = seenCells(v);
    int failures = 0;
    for (int r = 0; r < g.rows() && failures < 5; ++r)
        for (int c = 0; c < g.cols() && failures < 5; ++c) {
            const QString text = QString::fromStdString(g.text(r, c));
            if (withoutBlanks(text).isEmpty()) continue;  // nothing to read
            // A cell like one seen before (text, size, kind, colours) paints as that one did.
            const QModelIndex index = m->index(r, c);
            const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                                    .arg(r < g.fixedRows())
                                    .arg(c < g.fixedCols())
                                    .arg(v->columnWidth(c))
                                    .arg(v->rowHeight(r))
                                    .arg(m->data(index, Qt::BackgroundRole).value<QBrush>().color().name())
                                    .arg(m->data(index, Qt::ForegroundRole).value<QBrush>().color().name())
                                    .arg(m->data(index, Qt::TextAlignmentRole).toInt())
                                    .arg(text);
            if (seen.contains(key)) continue;
            QRectF cell;
            const Painting record = paintCell(v, r, c, cell);
            QString painted;
            bool whole = true;
            std::optional<std::pair<QColor, QColor>> unreadable;  // text, background
            for (const auto& t : record.texts) {
                painted += t.text;
                whole = whole && inside(t, cell);
                const QColor under = record.colorAt(t.rect.center(), base);
                if (!unreadable && !readableOn(t.color, under)) unreadable = {t.color, under};
            }
            whole = whole && withoutBlanks(painted) == withoutBlanks(text);
            if (!whole || unreadable) ++failures;
            if (!whole) {
                QString boxes;
                for (const auto& t : record.texts)
                    boxes += QStringLiteral(" %1,%2 %3x%4")
                                 .arg(t.rect.x())
                                 .arg(t.rect.y())
                                 .arg(t.rect.width())
                                 .arg(t.rect.height());
                ADD_FAILURE() << "cell " << r << "," << c << " '" << text.toStdString() << "' painted '"
                              << painted.toStdString() << "' at" << boxes.toStdString() << " in a cell of "
                              << cell.width() << "x" << cell.height();
            }
            if (unreadable) {
                ADD_FAILURE() << "cell " << r << "," << c << " '" << text.toStdString() << "' in "
                              << unreadable->first.name().toStdString() << " on "
                              << unreadable->second.name().toStdString();
            }
            if (whole && !unreadable) seen.insert(key);
        }
    // Inside its box, and every column and row within reach of the scroll bars.
    EXPECT_TRUE(v->parentWidget()->rect().contains(v->geometry()))
        << "grid at " << v->geometry().x() << "," << v->geometry().y() << " " << v->width() << "x" << v->height()
        << " in " << v->parentWidget()->width() << "x" << v->parentWidget()->height();
    int width = 0, height = 0;
    for (int c = 0; c < g.cols(); ++c) width += v->columnWidth(c);
    for (int r = 0; r < g.rows(); ++r) height += v->rowHeight(r);
    if (width > v->viewport()->width()) {
        EXPECT_TRUE(v->horizontalScrollBar()->isVisible());
        EXPECT_GE(v->horizontalScrollBar()->maximum(), width - v->viewport()->width());
    }
    if (height > v->viewport()->height()) {
        EXPECT_TRUE(v->verticalScrollBar()->isVisible());
        EXPECT_GE(v->verticalScrollBar()->maximum(), height - v->viewport()->height());
    }
}

// The category labels as the chart paints them (the chart rendered): each
// label whole, its levels on lines of their own, one under the other; the
// first row labelled and then every k-th, k no larger than the labels need
// to keep apart; the labels apart from one another and inside the chart; the
// series in `colors` (by column, when given).
void expectChartReadable(kv::qt::ChartView* v, const std::string& where, const std::vector<QColor>& colors = {}) {
    SCOPED_TRACE(where + " " + v->objectName().toStdString());
    bringForward(v);
    const kv::controls::ChartModel& m = v->chartModel();
    const int rows = m.rowCount();
    EXPECT_EQ(v->tickPositions().size(), static_cast<std::size_t>(rows));
    PaintRecord record(v->viewport()->size(), v->logicalDpiY());
    v->viewport()->render(&record);
    const Painting& painted = record.painting;
    const QRectF plot = v->mapFromScene(v->chart()->mapToScene(v->chart()->plotArea())).boundingRect();
    std::vector<int> levels;
    for (int level = 1; level <= kv::controls::ChartModel::kLabelLevels; ++level)
        for (int r = 1; r <= rows; ++r)
            if (!m.rowLabel(r, level).empty()) {
                levels.push_back(level);
                break;
            }
    if (rows == 0 || levels.empty()) return;
    // The texts under the plot, by the category they stand under, by line.
    struct Line {
        QString text;
        QRectF rect;
    };
    std::map<int, std::vector<Line>> labels;
    const double step = plot.width() / rows;
    for (const auto& t : painted.texts) {
        if (t.rect.top() <= plot.bottom()) continue;
        EXPECT_TRUE(inside(t, QRectF(QPointF(0, 0), QSizeF(v->viewport()->size())))) << t.text.toStdString();
        const int row =
            std::clamp(static_cast<int>(std::floor((t.rect.center().x() - plot.left()) / step)) + 1, 1, rows);
        auto& lines = labels[row];
        auto same = std::find_if(lines.begin(), lines.end(),
                                 [&](const Line& l) { return std::abs(l.rect.bottom() - t.rect.bottom()) < 1; });
        if (same == lines.end()) {
            lines.push_back({t.text, t.rect});
        } else {
            same->text = same->rect.left() < t.rect.left() ? same->text + t.text : t.text + same->text;
            same->rect |= t.rect;
        }
    }
    ASSERT_FALSE(labels.empty()) << "no labels painted";
    EXPECT_EQ(labels.begin()->first, 1);
    const int k = labels.size() > 1 ? std::next(labels.begin())->first - labels.begin()->first : rows;
    int widest = 0;
    const QFontMetrics fm(v->font());
    for (int r = 1; r <= rows; ++r)
        for (int level : levels)
            widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(m.rowLabel(r, level))));
    EXPECT_TRUE(k == 1 || (k - 1) * step < widest + fm.height()) << "every " << k << "-th label of " << rows;
    int expectedRow = 1;
    QRectF previous;
    for (auto& [row, lines] : labels) {
        EXPECT_EQ(row, expectedRow) << "labels every " << k;
        expectedRow = row + k;
        std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.rect.top() < b.rect.top(); });
        QStringList painted, wanted;
        QRectF whole;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            painted << lines[i].text;
            whole |= lines[i].rect;
            if (i > 0) {
                EXPECT_GE(lines[i].rect.top(), lines[i - 1].rect.bottom() - 1) << "lines of row " << row << " overlap";
            }
        }
        for (int level : levels)
            if (!m.rowLabel(row, level).empty()) wanted << QString::fromStdString(m.rowLabel(row, level));
        EXPECT_EQ(painted.join('|').toStdString(), wanted.join('|').toStdString()) << "row " << row;
        if (!previous.isNull()) {
            EXPECT_LT(previous.right(), whole.left()) << "label of row " << row;
        }
        previous = whole;
    }
    EXPECT_GT(expectedRow, rows) << "the last labels are missing";
    if (colors.empty()) return;
    int checked = 0;
    for (QAbstractSeries* s : v->chart()->series())
        for (int c = 1; c <= m.columnCount() && c <= static_cast<int>(colors.size()); ++c)
            if (s->name() == QString::fromStdString(m.legendText(c))) {
                auto* line = qobject_cast<QLineSeries*>(s);
                ASSERT_NE(line, nullptr);
                EXPECT_EQ(line->pen().color(), colors[c - 1]) << s->name().toStdString();
                ++checked;
            }
    EXPECT_EQ(checked, m.columnCount()) << "a series without its legend text";
}

struct ShownWindow {
    QPointer<QWidget> window;
    std::string name;
};

// The program's windows on screen now, in the order they were first seen.
void collectWindows(std::vector<ShownWindow>& seen) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || qobject_cast<QDialog*>(w) || w->windowType() != Qt::Window) continue;
        bool known = false;
        for (const auto& s : seen) known = known || s.window == w;
        if (!known) seen.push_back({w, ""});
    }
}

// Each window wholly on the screen, none opened exactly over another, every
// grid and chart readable; a grab of each (and of each page of its main tabs).
void checkWindows(std::vector<ShownWindow>& windows, const std::string& phase) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const bool grabs = std::string(screenSetting()) == "1366x768";
    for (std::size_t i = 0; i < windows.size(); ++i) {
        QWidget* w = windows[i].window;
        if (!w) continue;
        const std::string name =
            phase + "-" + std::to_string(i) + "-" + QString(w->metaObject()->className()).section(':', -1).toStdString();
        SCOPED_TRACE(name + " " + w->windowTitle().toStdString());
        EXPECT_TRUE(available.contains(w->frameGeometry()))
            << w->frameGeometry().x() << "," << w->frameGeometry().y() << " " << w->frameGeometry().width() << "x"
            << w->frameGeometry().height();
        for (std::size_t j = 0; j < i; ++j)
            if (windows[j].window) {
                EXPECT_NE(windows[j].window->pos(), w->pos()) << "opened over window " << j;
            }
        std::vector<QColor> strip;
        if (auto* f = qobject_cast<kv::ui::FactorWeightView*>(w))
            for (int c = 0; c < 3; ++c) {
                const auto rgb = f->logic().Legend.backColor(0, c);
                strip.push_back(rgb ? QColor((*rgb >> 16) & 0xFF, (*rgb >> 8) & 0xFF, *rgb & 0xFF) : QColor());
            }
        for (kv::qt::GridView* g : w->findChildren<kv::qt::GridView*>()) expectGridReadable(g, name);
        for (kv::qt::ChartView* c : w->findChildren<kv::qt::ChartView*>()) expectChartReadable(c, name, strip);
        if (!strip.empty()) {
            EXPECT_EQ(strip[0], QColor(255, 0, 0));
            EXPECT_EQ(strip[1], QColor(0, 255, 0));
            EXPECT_EQ(strip[2], QColor(0, 0, 255));
        }
        if (!grabs) continue;
        const auto strips = w->findChildren<kv::qt::TabStrip*>();
        kv::qt::TabStrip* main = strips.isEmpty() ? nullptr : strips.front();
        if (main && main->count() <= 8) {
            for (int t = 0; t < main->count(); ++t) {
                main->tabButton(t)->click();
                QApplication::processEvents();
                saveGrab(w, "screen-1366x768-" + name + "-tab" + std::to_string(t));
            }
            main->tabButton(0)->click();
        } else {
            saveGrab(w, "screen-1366x768-" + name);
            const auto charts = w->findChildren<kv::qt::ChartView*>();
            for (int c = 0; c < charts.size(); ++c) {
                bringForward(charts[c]);
                saveGrab(w, "screen-1366x768-" + name + "-chart" + std::to_string(c));
            }
        }
    }
}

bool readableRun() {
    const char* screen = screenSetting();
    return screen && (std::string(screen) == "1920x1080" || std::string(screen) == "1366x768");
}

// Opens the program over a sample folder, the windows a user of that week
// opens, and checks them all: every value of the dumps readable.
void checkEveryWindow(const std::string& app, const std::string& phase) {
    ASSERT_FALSE(app.empty());
    desktopApp();
    kv::qt::useJapaneseFont();
    BoxCloser boxes;
    kv::SetAppPath(app + "/");
    kv::ui::Program program(kv::joinPath(app, "jvfeed"));
    program.start();
    kv::ui::MenuWindow& menu = program.menu();
    std::vector<ShownWindow> windows;
    collectWindows(windows);
    auto press = [&](QAbstractButton* b) {
        ASSERT_NE(b, nullptr);
        b->click();
        QApplication::processEvents();
        collectWindows(windows);
    };
    if (phase == "weeks") {
        for (const char* b : {"Command11", "Command15", "Command5", "Command9", "Command10"}) press(menu.button(b));
        auto* past = shownWindow<kv::ui::PastPerformanceWindow>();
        ASSERT_NE(past, nullptr);
        ASSERT_GT(past->list1()->count(), 0);
        // Every race day, its tabs and grids.
        for (int d = past->list1()->count() - 1; d >= 0; --d) {
            past->clickDay(d);
            QApplication::processEvents();
            for (kv::qt::GridView* g : past->findChildren<kv::qt::GridView*>())
                expectGridReadable(g, "day " + std::to_string(d));
        }
    } else {
        press(menu.button("Command8"));
        auto* pw = shownWindow<kv::ui::PredictionsWindow>();
        ASSERT_NE(pw, nullptr);
        ASSERT_GT(pw->list1()->count(), 0);
        // Every race; the one with the most runners stays selected.
        int most = 0, runners = -1;
        for (int r = 0; r < pw->list1()->count(); ++r) {
            pw->list1()->setCurrentRow(r);
            QApplication::processEvents();
            const int n = pw->display().YNjunMSChart.rowCount();
            if (n > runners) most = r, runners = n;
            for (kv::qt::GridView* g : pw->findChildren<kv::qt::GridView*>())
                expectGridReadable(g, "race " + std::to_string(r));
            for (kv::qt::ChartView* c : pw->findChildren<kv::qt::ChartView*>())
                expectChartReadable(c, "race " + std::to_string(r));
        }
        pw->list1()->setCurrentRow(most);
        QApplication::processEvents();
        pw->display().RACEDETAILGrid1.click(1, 6);  // the past runs of the first horse (its name)
        QApplication::processEvents();
        collectWindows(windows);
        for (const char* b : {"Command3", "Command7", "Command12", "Command6"}) press(menu.button(b));
        if (auto* live = shownWindow<kv::ui::LiveOddsWindow>()) press(live->command(2));
        auto* option = qobject_cast<QRadioButton*>(menu.control("Option1"));
        option->setChecked(true);
        press(menu.button("Command4"));  // structure, then cancellation
    }
    EXPECT_GE(windows.size(), phase == "weeks" ? 6u : 9u);
    checkWindows(windows, phase);
    for (auto& w : windows)
        if (w.window && w.window != &menu) w.window->close();
    QApplication::processEvents();
}

// The week's windows before and after its results, the history windows over
// three weeks of results and the factor weight windows: every value readable.
TEST(Screens, TheWeeksWindowsBeforeItsResultsOpenOnTheScreenWithEveryValueReadable) {
    if (!readableRun()) GTEST_SKIP() << "runs with KV_TEST_SCREEN=1920x1080 or 1366x768";
    checkEveryWindow(SampleFolders::get(SampleFolders::PredictionWeek), "prediction");
}

TEST(Screens, TheWeeksWindowsAfterItsResultsOpenOnTheScreenWithEveryValueReadable) {
    if (!readableRun()) GTEST_SKIP() << "runs with KV_TEST_SCREEN=1920x1080 or 1366x768";
    checkEveryWindow(SampleFolders::get(SampleFolders::ResultWeek), "result");
}

TEST(Screens, TheHistoryAndFactorWindowsOpenOnTheScreenWithEveryValueReadable) {
    if (!readableRun()) GTEST_SKIP() << "runs with KV_TEST_SCREEN=1920x1080 or 1366x768";
    checkEveryWindow(SampleFolders::get(SampleFolders::ThreeWeeks), "weeks");
}

}  // namespace
