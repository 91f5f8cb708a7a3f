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

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include "acquisition/menu.h"
#include "common/appfolder.h"
#include "expansion/ui/expansion_view.h"
#include "fixtures/fixtures.h"
#include "outputs.h"
#include "platform/qt/fonts.h"
#include "platform/qt/placement.h"
#include "platform/qt/sinks_qt.h"
#include "prediction/ui/predictions_view.h"
#include "prediction/yosokekka.h"
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
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w == &menu || qobject_cast<QDialog*>(w)) continue;
        ++windows;
        SCOPED_TRACE(w->windowTitle().toStdString());
        EXPECT_TRUE(available.contains(w->frameGeometry()));
        EXPECT_LE((w->frameGeometry().center() - menu.frameGeometry().center()).manhattanLength(), 2);
        // Controls at fixed places: the window keeps its designed size.
        EXPECT_EQ(w->minimumSize(), w->maximumSize());
    }
    EXPECT_GE(windows, 4);

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
    ASSERT_FALSE(boxes.boxes.empty());  // the start-up's own messages, over the menu
    for (const auto& b : boxes.boxes) EXPECT_EQ(b.parent, &menu) << b.text;

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
        EXPECT_NE(m.find("出力できなかったレースが " + std::to_string(week.races) + " 件あります（最初: "),
                  std::string::npos)
            << m;
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

}  // namespace
