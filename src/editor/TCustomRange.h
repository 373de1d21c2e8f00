#pragma once
// A stretch of a memo's text, addressed by 1-based offsets, and the plain
// range that stores its own start and end.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "TObjectContainer.h"
#include "TPoint.h"

class TMemoModel;
class TMCRanges;

class TCustomRange : public TContainerItem {
public:
    using TNotifyEvent = std::function<void(TCustomRange& sender)>;

    // Registered: joins the memo's range collection and follows its edits.
    explicit TCustomRange(TMCRanges* ranges);
    // Temporary: knows the memo but is not moved by edits.
    explicit TCustomRange(TMemoModel* memo);
    ~TCustomRange() override;

    TMemoModel* Memo() const { return memo_; }

    int RStart() const { return GetRStart(); }
    int REnd() const { return GetREnd(); }
    int RLength() const { return GetRLength(); }

    virtual void SetRStart(int) {}
    virtual int GetRStart() const { return 1; }
    virtual void SetREnd(int) {}
    virtual int GetREnd() const { return 0; }
    virtual void SetRLength(int v);
    virtual int GetRLength() const { return GetREnd() - GetRStart() + 1; }
    virtual void SetEndPoint(TPoint p);
    virtual TPoint GetEndPoint() const;
    virtual void SetStartPoint(TPoint p);
    virtual TPoint GetStartPoint() const;
    virtual void SetText(std::string_view s);
    virtual std::string GetText() const;
    virtual void Clear();
    virtual void Repaint();
    // Scrolls the memo so that the end position is visible; the margin is
    // accepted for callers' sake and not used.
    virtual void ScrollIntoView(int margin = 0);

    // Copies start and end inside one change bracket.
    virtual void Assign(const TCustomRange& source);

    // Nested change brackets: only the outermost begin and end notify.
    void BeginUpdate();
    void EndUpdate();
    void EndUpdateQuiet();
    int UpdateCount() const { return updateCount_; }

    bool Contains(int offset) const { return RStart() <= offset && offset <= REnd(); }

    TNotifyEvent& OnChange() { return Events().onChange; }
    TNotifyEvent& OnOverwrite() { return Events().onOverwrite; }

    // Runs the overwrite notification; a range may free itself there, so the
    // caller must not touch it afterwards.
    void Overwritten() { DoOverwrite(); }

protected:
    virtual void DoBeginUpdate() {}
    virtual void DoChanged();
    virtual void DoEndUpdateQuiet() {}
    virtual void DoOverwrite();

    // Offsets of the edges of the visible range that Backwards-aware callers
    // need; the selection answers its own direction.
    virtual bool IsBackwards() const { return false; }

    TMemoModel* memo_ = nullptr;

private:
    struct EventSlots {
        TNotifyEvent onOverwrite;
        TNotifyEvent onChange;
    };
    // Most ranges are syntax tokens that never get handlers; keep them small.
    EventSlots& Events() {
        if (!events_) events_ = std::make_unique<EventSlots>();
        return *events_;
    }

    int updateCount_ = 0;
    std::unique_ptr<EventSlots> events_;
};

// A range that stores its start and end. With a memo it keeps
// 1 <= start <= text length + 1 and start - 1 <= end <= text length.
class TMCRange : public TCustomRange {
public:
    using TCustomRange::TCustomRange;

    void SetRStart(int v) override;
    int GetRStart() const override { return start_; }
    void SetREnd(int v) override;
    int GetREnd() const override { return end_; }

protected:
    int ClampStart(int v) const;
    int ClampEnd(int v, int start) const;

    int start_ = 1;
    int end_ = 0;
};
