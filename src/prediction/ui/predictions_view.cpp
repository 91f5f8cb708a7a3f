#include "prediction/ui/predictions_view.h"

#include <QCloseEvent>
#include <QHBoxLayout>

#include "platform/qt/gui_thread.h"
#include "platform/qt/twips.h"

namespace kv::ui {

PredictionsWindow::PredictionsWindow(kv::StatusSink& menuStatus, kv::MessageSink& messages,
                                     std::function<kv::pred::WriterChain()> makeChain, QWidget* parent)
    : FormWindow(parent), messages_(messages) {
    menu_ = new kv::qt::GuiStatusSink(menuStatus, this);
    logic_ = std::make_unique<kv::pred::YOSOKEKKATHISWEEKNQUEL>(makeChain ? makeChain() : kv::pred::WriterChain{},
                                                                *menu_, kv::YieldFn{});
    setWindowTitle(QString::fromUtf8(kv::display::kWindowCaption));
    kv::qt::resizeTwips(this, 19200, 11000);
    auto* layout = new QHBoxLayout(this);
    list1_ = new QListWidget(this);
    list1_->setObjectName("List1");
    list1_->setFixedWidth(kv::qt::twipsToPixels(this, 5400));
    layout->addWidget(list1_);
    display_ = std::make_unique<kv::display::RaceDisplay>(logic_->st);
    display_->showKakoso = [] { showKakoso(); };
    panel_ = new RaceDisplayPanel(*display_, this);
    layout->addWidget(panel_, 1);
    // A selection reads the window state the run fills: only once the load has ended.
    connect(list1_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!running_ && row >= 0) panel_->select(row + 1);
    });
}

// The display's views go before the display they show.
PredictionsWindow::~PredictionsWindow() { delete panel_; }

std::string PredictionsWindow::failureReport(const kv::pred::YOSOKEKKATHISWEEKNQUEL& w, const std::string& error) {
    return w.report(error).message();
}

void PredictionsWindow::formLoad(std::function<void()> done) {
    running_ = true;
    auto* logic = logic_.get();
    auto error = std::make_shared<std::string>();
    kv::qt::runInBackground(
        this,
        [logic, error] {
            try {
                logic->Form_Load();
            } catch (const std::exception& e) {
                *error = e.what();
            } catch (...) {
                *error = "?";
            }
        },
        [this, done, error] {
            running_ = false;
            list1_->clear();
            for (const std::string& item : logic_->List1()) list1_->addItem(QString::fromStdString(item));
            // The run goes on past a failed file or writer; it does not end as a success.
            failed_ = logic_->report(*error).tell(messages_);
            done();
        });
}

void PredictionsWindow::closeEvent(QCloseEvent* e) {
    if (running_) {
        e->ignore();
        return;
    }
    FormWindow::closeEvent(e);
}

}  // namespace kv::ui
