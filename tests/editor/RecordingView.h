#pragma once
#include <string>
#include <vector>

#include "editor/IMemoView.h"
#include "editor/TCustomRange.h"

// Stands in for the control: records what the model asks it to do.
class RecordingView : public IMemoView {
public:
    void RepaintRange(const TCustomRange& r) override {
        calls.push_back("repaint " + std::to_string(r.RStart()) + ".." + std::to_string(r.REnd()));
    }
    void UpdateScrollBars() override { calls.push_back("scrollbars"); }
    void WidestLineChanged() override { calls.push_back("widest"); }
    void ScrollToBottom() override { calls.push_back("bottom"); }
    void HideCaret() override {}
    void ShowCaret() override {}
    void PlaceCaret() override {}
    void VisibleAreaChanged(const TVisibleRect& b, const TVisibleRect& a) override {
        calls.push_back("scroll top " + std::to_string(b.Top) + "->" + std::to_string(a.Top) + " left " +
                        std::to_string(b.Left) + "->" + std::to_string(a.Left));
    }
    std::vector<std::string> calls;
};
