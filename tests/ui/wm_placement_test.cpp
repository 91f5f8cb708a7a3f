// Where the windows open on a real desktop: an X server (Xvfb) with a window
// manager (openbox) that puts a frame with a title bar around every window.
// The frames are read from the window manager itself (the client window's place
// on the root and _NET_FRAME_EXTENTS), not from Qt's idea of them. On that
// desktop the factor weight windows are read tab by tab: explanation boxes
// whole, the legend strip one row, every control inside the client area; and
// the past performance window's summary grid on 単複的中状況 shows every row.
//
// The executable starts its own desktop: Xvfb on a free display of the size
// KV_TEST_SCREEN=WxH (1366x768 by default) and openbox on it, then runs the
// cases in a second process of itself on that display, and ends both servers.
// KV_TEST_TALL_TITLES=1 gives openbox title bars taller than the program can
// expect before it sees one, and a panel's room at the bottom of the screen.
// Without Xvfb, openbox or the X tools it skips (exit code 77); under CI
// (CI set) it fails instead.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

#include "common/appfolder.h"
#include "factorview/ui/factor_view.h"
#include "fixtures/fixtures.h"
#include "history/ui/history_views.h"
#include "outputs.h"
#include "platform/qt/fonts.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/sinks_qt.h"
#include "platform/qt/tabstrip.h"
#include "prediction/ui/predictions_view.h"
#include "program.h"
#include "qt_app.h"

namespace fs = std::filesystem;
using kvtest::TempDir;

namespace {

constexpr const char* kInnerRun = "KV_WM_TEST_DISPLAY";  // set in the process that runs the cases
constexpr int kSkipped = 77;
constexpr int kApart = 12;  // pixels at least between two frames' top-left corners, across or down

std::string screenSetting() {
    const char* s = std::getenv("KV_TEST_SCREEN");
    return s && *s ? s : "1366x768";
}

bool tallTitles() { return std::getenv("KV_TEST_TALL_TITLES") != nullptr; }
constexpr int kPanel = 32;  // pixels openbox keeps free at the bottom with tall titles

std::string artifacts() {
    const std::string dir = KV_TEST_ARTIFACTS;
    fs::create_directories(dir);
    return dir;
}

// ---- the desktop ------------------------------------------------------------------

bool onPath(const std::string& tool) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string d; std::getline(dirs, d, ':');)
        if (!d.empty() && access((d + "/" + tool).c_str(), X_OK) == 0) return true;
    return false;
}

bool underCI() {
    const char* ci = std::getenv("CI");
    return ci && *ci && std::string(ci) != "0" && std::string(ci) != "false";
}

// Output of a shell command ("" when it could not run).
std::string capture(const std::string& cmd) {
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    return out;
}

// A child process that ends with the one that started it; its output goes to
// `log` ("": where this process's goes).
pid_t spawn(const std::vector<std::string>& args, const std::string& log, const std::vector<int>& keepFds = {},
            const std::map<std::string, std::string>& env = {}) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int out = log.empty() ? -1 : open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    for (int fd : keepFds) fcntl(fd, F_SETFD, 0);
    for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Waits for a child up to `seconds`; kills it when it takes longer. Its exit code, or -1.
int reap(pid_t pid, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Xvfb on a display it picks itself (free, so runs side by side do not meet)
// and openbox on it; both end with this object.
class Desktop {
public:
    explicit Desktop(const std::string& screen) {
        log_ = artifacts() + "/wm-" + screen + "-" + std::to_string(getpid()) + ".log";
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        xvfb_ =
            spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen + "x24", "-nolisten", "tcp"},
                  log_, {fds[1]});
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
            if (poll(&p, 1, 100) <= 0) continue;
            char c;
            if (read(fds[0], &c, 1) != 1) break;
            number += c;
        }
        close(fds[0]);
        if (number.find('\n') == std::string::npos) return;
        display_ = ":" + number.substr(0, number.find('\n'));
        std::vector<std::string> wm = {"openbox", "--sm-disable"};
        if (tallTitles()) {
            const std::string rc = artifacts() + "/openbox-tall-titles.xml";
            std::FILE* f = std::fopen(rc.c_str(), "w");
            if (!f) return;
            std::fprintf(f,
                         "<?xml version=\"1.0\"?><openbox_config xmlns=\"http://openbox.org/3.4/rc\"><theme>"
                         "<font place=\"ActiveWindow\"><size>24</size></font>"
                         "<font place=\"InactiveWindow\"><size>24</size></font></theme>"
                         "<margins><top>0</top><bottom>%d</bottom><left>0</left><right>0</right></margins>"
                         "</openbox_config>\n",
                         kPanel);
            std::fclose(f);
            wm.insert(wm.end(), {"--config-file", rc});
        }
        wm_ = spawn(wm, log_, {}, {{"DISPLAY", display_}});
        // Ready once openbox has announced itself on the root window.
        for (int i = 0; i < 200; ++i) {
            if (capture("xprop -display " + display_ + " -root _NET_SUPPORTING_WM_CHECK 2>/dev/null")
                    .find("window id") != std::string::npos) {
                ready_ = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~Desktop() {
        for (pid_t pid : {wm_, xvfb_})
            if (pid > 0) {
                kill(pid, SIGTERM);
                reap(pid, 5);
            }
    }
    bool ready() const { return ready_; }
    const std::string& display() const { return display_; }
    const std::string& log() const { return log_; }

private:
    pid_t xvfb_ = -1, wm_ = -1;
    std::string display_, log_;
    bool ready_ = false;
};

// Starts the desktop and runs the cases on it in a second process of this executable.
int runOnOwnDesktop(const std::vector<std::string>& args) {
    std::vector<std::string> missing;
    for (const char* tool : {"Xvfb", "openbox", "xprop", "xwininfo"})
        if (!onPath(tool)) missing.push_back(tool);
    if (!missing.empty()) {
        std::string names;
        for (const std::string& m : missing) names += " " + m;
        std::fprintf(stderr, "wm_placement_test: not installed:%s (scripts/install-deps.sh installs them)\n",
                     names.c_str());
        if (underCI()) return 1;
        std::fprintf(stderr, "wm_placement_test: skipped\n");
        return kSkipped;
    }
    const std::string screen = screenSetting();
    Desktop desktop(screen);
    if (!desktop.ready()) {
        std::fprintf(stderr, "wm_placement_test: Xvfb with openbox did not start on %s; see %s\n", screen.c_str(),
                     desktop.log().c_str());
        return 1;
    }
    std::vector<std::string> self = args;
    self[0] = "/proc/self/exe";
    // The desktop has no session bus (a connection to one the machine has
    // would leave libdbus's buffers behind at exit).
    const pid_t run = spawn(self, "", {},
                            {{kInnerRun, desktop.display()},
                             {"DISPLAY", desktop.display()},
                             {"QT_QPA_PLATFORM", "xcb"},
                             {"DBUS_SESSION_BUS_ADDRESS", "disabled:"},
                             {"KV_TEST_SCREEN", screen}});
    const int rc = reap(run, 240);
    if (rc < 0) std::fprintf(stderr, "wm_placement_test: the run ended on a signal or did not end\n");
    return rc < 0 ? 1 : rc;
}

// ---- frames as the window manager gives them ----------------------------------------

struct Frame {
    QRect rect;  // the frame, title bar and borders included, on the root window
    QRect client;  // the client area within it
    bool framed = false;
};

int numberAfter(const std::string& text, const std::string& key) {
    const auto at = text.find(key);
    return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + key.size());
}

Frame wmFrame(WId id) {
    const std::string hex = QString::number(id, 16).toStdString();
    const std::string out =
        capture("xwininfo -id 0x" + hex + " 2>/dev/null; xprop -id 0x" + hex + " _NET_FRAME_EXTENTS 2>/dev/null");
    Frame f;
    if (out.find("IsViewable") == std::string::npos) return f;
    f.client = QRect(numberAfter(out, "Absolute upper-left X:"), numberAfter(out, "Absolute upper-left Y:"),
                     numberAfter(out, "Width:"), numberAfter(out, "Height:"));
    int l = 0, r = 0, t = 0, b = 0;
    const auto at = out.find("_NET_FRAME_EXTENTS(CARDINAL) =");
    if (at != std::string::npos &&
        std::sscanf(out.c_str() + at, "_NET_FRAME_EXTENTS(CARDINAL) = %d, %d, %d, %d", &l, &r, &t, &b) == 4)
        f.framed = true;
    f.rect = f.client.adjusted(-l, -t, r, b);
    return f;
}

QRect workArea() {
    const std::string out = capture("xprop -root _NET_WORKAREA 2>/dev/null");
    int x = 0, y = 0, w = 0, h = 0;
    const auto at = out.find('=');
    if (at != std::string::npos) std::sscanf(out.c_str() + at, "= %d, %d, %d, %d", &x, &y, &w, &h);
    return {x, y, w, h};
}

void pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The window's frame once the window manager has framed it and it has stopped
// moving (the program may place it again once its frame is known).
Frame settledFrame(QWidget* w) {
    Frame last;
    int same = 0;
    for (int i = 0; i < 150 && same < 4; ++i) {
        pump(40);
        const Frame f = wmFrame(w->winId());
        same = f.framed && f.rect == last.rect ? same + 1 : 0;
        last = f;
    }
    return last;
}

std::string str(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}

struct Opened {
    QPointer<QWidget> window;
    std::string name;
};

// Adds the program windows on screen that are not in `seen` yet, once the
// window manager has framed them; how many there were.
int collect(std::vector<Opened>& seen, const std::string& name) {
    int found = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || qobject_cast<QDialog*>(w) || w->windowType() != Qt::Window) continue;
        bool known = false;
        for (const Opened& o : seen) known = known || o.window == w;
        if (known) continue;
        seen.push_back({w, name});
        ++found;
        const Frame f = settledFrame(w);
        EXPECT_TRUE(f.framed) << name << ": the window manager gave no frame";
    }
    return found;
}

// The history window's race-day list: every item whole, or the list scrolls
// to the end of its longest item within its own box, that box (scroll bar
// included) wholly on the window as it is on the screen.
void expectListReadable(QListWidget* list, const Frame& window) {
    ASSERT_GT(list->count(), 0);
    const QRect box(list->mapToGlobal(QPoint(0, 0)), list->size());
    EXPECT_TRUE(window.client.contains(box))
        << "list at " << str(box) << ", window's client area " << str(window.client);
    const QFontMetrics fm(list->font());
    int widest = 0;
    for (int i = 0; i < list->count(); ++i) widest = std::max(widest, fm.horizontalAdvance(list->item(i)->text()));
    if (widest <= list->viewport()->width()) return;
    QScrollBar* bar = list->horizontalScrollBar();
    EXPECT_TRUE(bar->isVisible()) << "items of " << widest << " px in " << list->viewport()->width() << " px";
    EXPECT_GE(bar->maximum() + list->viewport()->width(), widest);
}

// The widget whose rect is the window's client area as its controls see it:
// the scrolled contents where the window shows them in a scroll area.
QWidget* clientOf(QWidget* window) {
    auto* inner = window->findChild<QWidget*>(QStringLiteral("kvScrolledContents"));
    return inner ? inner : window;
}

// Every visible control of the window, however deep, lies wholly within the
// window's client area, its right border inside the window's edge (not on the
// window manager's frame).
void expectControlsInside(QWidget* window) {
    QWidget* client = clientOf(window);
    const QRect inside = client->rect().adjusted(0, 0, -1, 0);
    QSet<QWidget*> out;  // reported, or within one reported
    for (QWidget* c : client->findChildren<QWidget*>()) {
        if (!c->isVisible() || c->isWindow()) continue;
        if (out.contains(c->parentWidget())) {
            out.insert(c);
            continue;
        }
        const QRect r(c->mapTo(client, QPoint(0, 0)), c->size());
        if (!inside.contains(r)) out.insert(c);
        EXPECT_TRUE(inside.contains(r)) << c->metaObject()->className() << " " << c->objectName().toStdString()
                                        << " at " << str(r) << ", client area " << str(client->rect());
    }
}

// An explanation box shows its whole text: no scroll bar, and the wrapped
// lines fit the box's view.
void expectBoxWhole(QPlainTextEdit* box) {
    EXPECT_FALSE(box->horizontalScrollBar()->isVisible()) << "a scroll bar over the text";
    EXPECT_FALSE(box->verticalScrollBar()->isVisible()) << "a scroll bar beside the text";
    EXPECT_EQ(box->verticalScrollBar()->maximum(), 0) << "the text scrolls";
    int lines = 0;
    qreal lineHeight = 0;
    for (QTextBlock b = box->document()->firstBlock(); b.isValid(); b = b.next()) {
        box->document()->documentLayout()->blockBoundingRect(b);  // laid out now
        for (int l = 0; b.layout() && l < b.layout()->lineCount(); ++l) {
            const QTextLine line = b.layout()->lineAt(l);
            ++lines;
            lineHeight = std::max(lineHeight, line.height());
            EXPECT_LE(line.x() + line.naturalTextWidth(), box->viewport()->width())
                << "line " << l + 1 << " of " << box->toPlainText().toStdString();
        }
    }
    EXPECT_LE(lines * lineHeight, box->viewport()->height())
        << lines << " lines of " << lineHeight << " px in " << box->viewport()->height() << " px";
    QTextCursor end(box->document());
    end.movePosition(QTextCursor::End);
    EXPECT_LE(box->cursorRect(end).bottom(), box->viewport()->height()) << "last line cut";
    // Grown, it stays on its page and covers nothing there.
    EXPECT_TRUE(box->parentWidget()->rect().contains(box->geometry()))
        << "box at " << str(box->geometry()) << " on a page of " << str(box->parentWidget()->rect());
    for (QWidget* other : box->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(other == box || !other->isVisible() || !other->geometry().intersects(box->geometry()))
            << "over " << other->objectName().toStdString() << " at " << str(other->geometry()) << ": box at "
            << str(box->geometry());
    }
}

// The legend strip is one row, whole: no scroll bar (none sideways where the
// window is wide enough for its columns) and no part of a second row.
void expectLegendOneRow(kv::qt::GridView* legend, QWidget* window) {
    ASSERT_NE(legend, nullptr);
    EXPECT_FALSE(legend->verticalScrollBar()->isVisible()) << "a scroll bar beside the legend";
    int columns = 2 * legend->frameWidth();
    for (int c = 0; c < legend->model()->columnCount(); ++c) columns += legend->columnWidth(c);
    if (columns <= clientOf(window)->width()) {
        EXPECT_FALSE(legend->horizontalScrollBar()->isVisible()) << "columns of " << columns << " px";
    }
    EXPECT_NEAR(legend->viewport()->height(), legend->rowHeight(0), 1)
        << "a row of " << legend->rowHeight(0) << " px in a strip of " << legend->viewport()->height() << " px";
}

// A factor window read tab by tab (and on F12 nested tab by nested tab): every
// explanation box whole, the legend one row, every control on the window.
void expectFactorWindowReadable(kv::ui::FactorWeightView* v, const std::string& name) {
    const kv::factorview::SurfaceConfig& config = v->logic().config();
    {
        SCOPED_TRACE(name + " legend");
        expectLegendOneRow(qobject_cast<kv::qt::GridView*>(v->control(config.legendName)), v);
    }
    kv::qt::TabStrip* tabs = v->outerTabs();
    kv::qt::TabStrip* nested = v->nestedTabs();
    for (int t = 0; t < tabs->count(); ++t) {
        tabs->tabButton(t)->click();
        const bool agePage = nested && tabs->page(t)->isAncestorOf(nested);
        const int nestedStart = nested ? nested->currentIndex() : 0;
        for (int n = 0; n < (agePage ? nested->count() : 1); ++n) {
            if (agePage) nested->tabButton(n)->click();
            pump(1);
            SCOPED_TRACE(name + " tab " + std::to_string(t + 1) +
                         (agePage ? " nested tab " + std::to_string(n + 1) : ""));
            expectControlsInside(v);
            for (QPlainTextEdit* box : tabs->page(t)->findChildren<QPlainTextEdit*>()) {
                if (!box->isVisible() || box->toPlainText().isEmpty()) continue;
                SCOPED_TRACE(box->objectName().toStdString());
                expectBoxWhole(box);
            }
        }
        if (agePage) nested->tabButton(nestedStart)->click();
    }
    // A look at the window as the screen shows it, frame included, on a tab
    // with a long text.
    tabs->tabButton(6)->click();
    v->raise();
    v->activateWindow();
    pump(300);
    const QRect frame = wmFrame(v->winId()).rect;
    const std::string shot =
        artifacts() + "/wm-" + screenSetting() + (tallTitles() ? "-tall-titles-" : "-") + config.windowName + "-F7.png";
    EXPECT_TRUE(QGuiApplication::primaryScreen()
                    ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                    .save(QString::fromStdString(shot)))
        << shot;
    tabs->tabButton(config.outerCurrent)->click();
}

// The past performance window on its tab 単複的中状況 (a day shown): the
// summary grid below shows every row whole within its viewport, without a
// scroll bar up and down, and lies wholly on its page, its tab control and the
// window's client area as the screen shows it; the hit grid above stays on
// the page above it.
void expectSummaryGridWhole(kv::ui::PastPerformanceWindow* past, const Frame& window) {
    kv::qt::TabStrip* tabs = past->ssTab1();
    int tab = -1;
    for (int t = 0; t < tabs->count(); ++t)
        if (tabs->caption(t) == QStringLiteral("単複的中状況")) tab = t;
    ASSERT_GE(tab, 0) << "no tab 単複的中状況";
    const int shownTab = tabs->currentIndex();
    tabs->tabButton(tab)->click();
    if (past->list1()->count() > 0) past->clickDay(0);
    pump(100);
    QWidget* page = tabs->page(tab);
    auto* summary = page->findChild<kv::qt::GridView*>(QStringLiteral("TFTekiKaiFG"));
    auto* hits = page->findChild<kv::qt::GridView*>(QStringLiteral("TanFukuFG"));
    ASSERT_NE(summary, nullptr);
    ASSERT_NE(hits, nullptr);
    ASSERT_TRUE(summary->isVisible());
    EXPECT_FALSE(summary->verticalScrollBar()->isVisible()) << "a scroll bar beside the summary grid";
    EXPECT_EQ(summary->verticalScrollBar()->maximum(), 0) << "the summary grid scrolls";
    const int viewport = summary->viewport()->height();
    for (int r = 0; r < summary->model()->rowCount(); ++r) {
        if (summary->isRowHidden(r)) continue;
        const int top = summary->rowViewportPosition(r), bottom = top + summary->rowHeight(r);
        EXPECT_TRUE(top >= 0 && bottom <= viewport)
            << "row " << r << " (" << summary->model()->index(r, 0).data().toString().toStdString() << ") at "
            << top << ".." << bottom << " in a viewport of " << viewport << " px";
    }
    // Wholly on every box it lies in, up to the window, and on the screen's client area.
    for (QWidget* w = summary; w && w != past; w = w->parentWidget()) {
        QWidget* box = w->parentWidget();
        const QRect r(summary->mapTo(box, QPoint(0, 0)), summary->size());
        EXPECT_TRUE(box->rect().contains(r)) << "summary grid at " << str(r) << " in " << box->metaObject()->className()
                                             << " " << box->objectName().toStdString() << " of " << str(box->rect());
    }
    const QRect global(summary->mapToGlobal(QPoint(0, 0)), summary->size());
    EXPECT_TRUE(window.client.contains(global))
        << "summary grid at " << str(global) << ", window's client area " << str(window.client);
    EXPECT_TRUE(page->rect().contains(hits->geometry())) << "hit grid at " << str(hits->geometry());
    EXPECT_LT(hits->geometry().bottom(), summary->geometry().top())
        << "hit grid at " << str(hits->geometry()) << " over the summary grid at " << str(summary->geometry());
    expectControlsInside(past);
    // A look at the tab as the screen shows it, frame included.
    past->raise();
    past->activateWindow();
    pump(300);
    const QRect frame = wmFrame(past->winId()).rect;
    const std::string shot =
        artifacts() + "/wm-" + screenSetting() + (tallTitles() ? "-tall-titles-" : "-") + "KakoSeisekiQUEL-TanFuku.png";
    EXPECT_TRUE(QGuiApplication::primaryScreen()
                    ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                    .save(QString::fromStdString(shot)))
        << shot;
    tabs->tabButton(shownTab)->click();
}

// ---- the program's windows ------------------------------------------------------------

TEST(WindowManager, EveryFrameOpensOnTheScreenAndNoneOverAnother) {
    const std::string screen = screenSetting();
    testApp();
    kv::qt::useJapaneseFont();
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));

    // A week with its results run through, so that every window has its data.
    TempDir dir;
    const std::string app = dir.file("week");
    kvsample::Options opt;
    opt.appDir = app;
    opt.seed = 3;
    opt.phase = kvsample::Phase::Result;
    kvsample::generate(opt);
    const std::string cmd =
        std::string("'") + KV_CLI_PATH + "' --app-dir '" + app + "' run-week >'" + dir.file("run-week.txt") + "' 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    kv::SetAppPath(app + "/");

    std::vector<std::string> messages;
    kv::qt::MessageBoxSink::setHook([&](const std::string& m) { messages.push_back(m); });
    QTimer boxes;  // any other message box is closed as it comes up
    QObject::connect(&boxes, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages.push_back(box->text().toStdString());
            box->done(QMessageBox::Ok);
        }
    });
    boxes.start(20);

    std::vector<Opened> windows;
    {
        kv::ui::Program program(kv::joinPath(app, "jvfeed"));
        program.start();
        kv::ui::MenuWindow& menu = program.menu();
        ASSERT_EQ(collect(windows, "main menu"), 1);
        auto press = [&](const char* button, const std::string& name) {
            QAbstractButton* b = menu.button(button);
            ASSERT_NE(b, nullptr) << button;
            b->click();
            EXPECT_EQ(collect(windows, name), 1) << name;
        };
        press("Command11", "past performance");
        press("Command15", "big-payout list");
        press("Command5", "turf factors");
        press("Command9", "dirt factors");
        press("Command10", "hurdle factors");
        // ⑥ again and again: each opens a step away from the others, sideways or
        // back up where the screen has no room below.
        for (const char* name : {"predictions", "second predictions", "third predictions", "fourth predictions"})
            press("Command8", name);
        // The past runs of the first horse of the first race (its name's cell).
        kv::ui::PredictionsWindow* pw = nullptr;
        for (const Opened& o : windows)
            if (auto* p = qobject_cast<kv::ui::PredictionsWindow*>(o.window.data())) pw = p;
        ASSERT_NE(pw, nullptr);
        pw->display().RACEDETAILGrid1.click(1, 6);
        EXPECT_EQ(collect(windows, "past runs"), 1);

        // Where every frame is now, as the window manager has it.
        pump(200);
        const QRect area = workArea();
        const int panel = tallTitles() ? kPanel : 0;
        ASSERT_EQ(QStringLiteral("%1x%2").arg(area.width()).arg(area.height() + panel).toStdString(), screen);
        std::vector<Frame> frames;
        for (const Opened& o : windows) {
            ASSERT_TRUE(o.window) << o.name << " closed";
            frames.push_back(wmFrame(o.window->winId()));
        }
        for (std::size_t i = 0; i < windows.size(); ++i) {
            SCOPED_TRACE(windows[i].name + " " + windows[i].window->windowTitle().toStdString());
            EXPECT_TRUE(frames[i].framed);
            EXPECT_TRUE(area.contains(frames[i].rect))
                << "frame " << str(frames[i].rect) << " (client " << str(frames[i].client) << ") on " << str(area);
            // No two on the same corner, nor so near that one hides the other's title bar.
            for (std::size_t j = 0; j < i; ++j) {
                const QPoint d = frames[j].rect.topLeft() - frames[i].rect.topLeft();
                EXPECT_TRUE(std::abs(d.x()) >= kApart || std::abs(d.y()) >= kApart)
                    << "opened over the " << windows[j].name << " at " << str(frames[i].rect) << " (that one at "
                    << str(frames[j].rect) << ")";
            }
        }
        const QString shot = QString::fromStdString(artifacts() + "/wm-desktop-" + screen + (tallTitles() ? "-tall-titles" : "") + ".png");
        EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(shot)) << shot.toStdString();

        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (auto* past = qobject_cast<kv::ui::PastPerformanceWindow*>(windows[i].window.data())) {
                SCOPED_TRACE("past performance");
                expectListReadable(past->list1(), frames[i]);
                expectSummaryGridWhole(past, frames[i]);
            }
            if (auto* f = qobject_cast<kv::ui::FactorWeightView*>(windows[i].window.data()))
                expectFactorWindowReadable(f, windows[i].name);
        }
        for (const Opened& o : windows)
            if (o.window && o.window != &menu) o.window->close();
        pump(50);
    }
    kv::qt::MessageBoxSink::setHook({});
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    testing::InitGoogleTest(&argc, argv);
    if (std::getenv(kInnerRun)) return RUN_ALL_TESTS();
    return runOnOwnDesktop(args);
}
