#include "platform/qt/tabstrip.h"

#include <QGridLayout>
#include <QMetaObject>
#include <QThread>
#include <QVBoxLayout>

namespace kv::qt {

TabStrip::TabStrip(QWidget* parent) : QWidget(parent) {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    tabArea_ = new QWidget(this);
    auto* grid = new QGridLayout(tabArea_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    stack_ = new QStackedWidget(this);
    stack_->setFrameShape(QFrame::StyledPanel);
    v->addWidget(tabArea_);
    v->addWidget(stack_, 1);
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        if (model_) {
            if (id < model_->count()) model_->setCurrent(id);
        } else {
            setCurrentIndex(id);
        }
    });
}

TabStrip::~TabStrip() {
    if (model_) model_->setListener({});
}

int TabStrip::addPage(QWidget* page, const QString& caption) {
    auto* b = new QToolButton(tabArea_);
    b->setText(caption);
    b->setCheckable(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const int id = static_cast<int>(buttons_.size());
    group_->addButton(b, id);
    buttons_.push_back(b);
    stack_->addWidget(page);
    relayout();
    if (current_ < 0) setCurrentIndex(0);
    return id;
}

QWidget* TabStrip::page(int index) const { return stack_->widget(index); }

QString TabStrip::caption(int index) const {
    return index >= 0 && index < count() ? buttons_[index]->text() : QString();
}

void TabStrip::setCaption(int index, const QString& caption) {
    if (index >= 0 && index < count()) buttons_[index]->setText(caption);
}

QToolButton* TabStrip::tabButton(int index) const { return index >= 0 && index < count() ? buttons_[index] : nullptr; }

void TabStrip::setTabsPerRow(int n) {
    perRow_ = n < 0 ? 0 : n;
    relayout();
}

int TabStrip::rowCount() const {
    if (buttons_.empty()) return 0;
    return perRow_ <= 0 ? 1 : (count() + perRow_ - 1) / perRow_;
}

void TabStrip::relayout() {
    auto* grid = static_cast<QGridLayout*>(tabArea_->layout());
    for (auto* b : buttons_) grid->removeWidget(b);
    for (int i = 0; i < count(); ++i) {
        const int row = perRow_ <= 0 ? 0 : i / perRow_;
        const int col = perRow_ <= 0 ? i : i % perRow_;
        grid->addWidget(buttons_[i], row, col);
    }
}

void TabStrip::setCurrentIndex(int index) {
    if (index < 0 || index >= count()) return;
    buttons_[index]->setChecked(true);
    if (index == current_) return;
    current_ = index;
    stack_->setCurrentIndex(index);
    Q_EMIT currentChanged(index);
}

void TabStrip::bind(kv::controls::TabStripModel& model) {
    model_ = &model;
    model.setListener([this] {
        if (QThread::currentThread() == thread()) syncFromModel();
        else QMetaObject::invokeMethod(this, [this] { syncFromModel(); }, Qt::QueuedConnection);
    });
    syncFromModel();
}

void TabStrip::syncFromModel() {
    if (!model_) return;
    const int n = std::min(model_->count(), count());
    for (int i = 0; i < n; ++i) {
        buttons_[i]->setText(QString::fromStdString(model_->caption(i)));
        buttons_[i]->setVisible(model_->visible(i));
    }
    if (model_->tabsPerRow() != perRow_) setTabsPerRow(model_->tabsPerRow());
    setCurrentIndex(model_->current());
}

}  // namespace kv::qt
