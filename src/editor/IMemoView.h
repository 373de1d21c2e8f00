#pragma once
// What the text model asks of the control that shows it. The model works
// without one (then nothing is drawn); the memo control implements it.

class TCustomRange;

// The rectangle of visual columns and lines on screen.
struct TVisibleRect {
    int Left = 1;
    int Top = 1;
    int Right = 1;
    int Bottom = 1;
    bool operator==(const TVisibleRect&) const = default;
};

class IMemoView {
public:
    virtual ~IMemoView() = default;
    // Redraw the lines the range touches (the model has already checked that
    // drawing is allowed).
    virtual void RepaintRange(const TCustomRange& range) = 0;
    // Recompute the scroll bars and repaint everything.
    virtual void UpdateScrollBars() = 0;
    // An edit inside one line changed the width of the widest line; the
    // edited line has been repainted already, only the horizontal limits
    // are new.
    virtual void WidestLineChanged() = 0;
    // The vertical scroll message with the scroll-to-bottom code.
    virtual void ScrollToBottom() = 0;
    virtual void HideCaret() = 0;
    // Show the caret if the control's rules allow it (focus, selection).
    virtual void ShowCaret() = 0;
    virtual void PlaceCaret() = 0;
    // The top line or the first column changed inside a bracket of the
    // visible range; the control scrolls pixels or repaints.
    virtual void VisibleAreaChanged(const TVisibleRect& before, const TVisibleRect& after) = 0;
};
