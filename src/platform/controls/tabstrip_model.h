// A tab control as plain data: tab captions, how many tabs stand in one row
// (the control wraps into several rows), and the tab shown. Tabs are 0-based.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace kv::controls {

class TabStripModel {
public:
    using Listener = std::function<void()>;

    explicit TabStripModel(int tabs = 0, int tabsPerRow = 0);

    int count() const { return static_cast<int>(captions_.size()); }
    // Changing the count keeps the remaining captions; new tabs are untitled.
    void setCount(int n);
    // 0 means all tabs in one row.
    int tabsPerRow() const { return tabsPerRow_; }
    void setTabsPerRow(int n);
    int rowCount() const;

    const std::string& caption(int tab) const;
    void setCaption(int tab, std::string text);
    bool visible(int tab) const;
    void setVisible(int tab, bool on);

    int current() const { return current_; }
    // Shows a tab and calls the change handler when it differs from the one shown.
    void setCurrent(int tab);
    void setChangeHandler(std::function<void(int previous)> h) { onChange_ = std::move(h); }

    void setListener(Listener l) { listener_ = std::move(l); }

private:
    void notify() const {
        if (listener_) listener_();
    }
    std::vector<std::string> captions_;
    std::vector<bool> visible_;
    int tabsPerRow_ = 0;
    int current_ = 0;
    std::function<void(int)> onChange_;
    Listener listener_;
};

// A progress bar as plain data.
struct ProgressModel {
    long minimum = 0;
    long maximum = 100;
    long value = 0;
};

}  // namespace kv::controls
