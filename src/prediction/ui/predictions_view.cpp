#include "prediction/ui/predictions_view.h"

#include <QCloseEvent>

#include "platform/qt/gui_thread.h"
#include "platform/qt/twips.h"

namespace kv::ui {

PredictionsWindow::PredictionsWindow(kv::StatusSink& menuStatus, kv::MessageSink& messages,
                                     std::function<kv::pred::WriterChain()> makeChain, QWidget* parent)
    : FormWindow(parent), messages_(messages) {
    menu_ = new kv::qt::GuiStatusSink(menuStatus, this);
    logic_ = std::make_unique<kv::pred::YOSOKEKKATHISWEEKNQUEL>(makeChain ? makeChain() : kv::pred::WriterChain{},
                                                                *menu_, kv::YieldFn{});
    setWindowTitle(QStringLiteral("予想・結果  Ver.2024.8.12A"));
    kv::qt::resizeTwips(this, 6360, 8400);
    list1_ = new QListWidget(this);
    list1_->setObjectName("List1");
    kv::qt::placeTwips(list1_, 120, 120, 6120, 8160);
}

PredictionsWindow::~PredictionsWindow() = default;

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
