#include "platform/controls/tabstrip_model.h"

#include <stdexcept>

namespace kv::controls {

TabStripModel::TabStripModel(int tabs, int tabsPerRow) {
    setCount(tabs);
    setTabsPerRow(tabsPerRow);
}

void TabStripModel::setCount(int n) {
    if (n < 0) throw std::out_of_range("tab count");
    captions_.resize(n);
    visible_.resize(n, true);
    if (current_ >= n) current_ = n > 0 ? n - 1 : 0;
    notify();
}

void TabStripModel::setTabsPerRow(int n) {
    if (n < 0) throw std::out_of_range("tabs per row");
    tabsPerRow_ = n;
    notify();
}

int TabStripModel::rowCount() const {
    if (captions_.empty()) return 0;
    if (tabsPerRow_ <= 0) return 1;
    return (count() + tabsPerRow_ - 1) / tabsPerRow_;
}

const std::string& TabStripModel::caption(int tab) const {
    if (tab < 0 || tab >= count()) throw std::out_of_range("tab");
    return captions_[tab];
}

void TabStripModel::setCaption(int tab, std::string text) {
    if (tab < 0 || tab >= count()) throw std::out_of_range("tab");
    captions_[tab] = std::move(text);
    notify();
}

bool TabStripModel::visible(int tab) const {
    if (tab < 0 || tab >= count()) throw std::out_of_range("tab");
    return visible_[tab];
}

void TabStripModel::setVisible(int tab, bool on) {
    if (tab < 0 || tab >= count()) throw std::out_of_range("tab");
    visible_[tab] = on;
    notify();
}

void TabStripModel::setCurrent(int tab) {
    if (tab < 0 || tab >= count()) throw std::out_of_range("tab");
    if (tab == current_) return;
    int previous = current_;
    current_ = tab;
    notify();
    if (onChange_) onChange_(previous);
}

}  // namespace kv::controls
