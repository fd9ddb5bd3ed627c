#pragma once
// Scrollbar: a vertical integer scroll bar with an up arrow, a down arrow, a
// track and a draggable thumb.
//
// Geometry in the bar's own pixels, y downwards, with L = "length" and hl,
// hm, ht the heights of the first "less", first "more" and the "thumb"
// sprites: the up arrow sits at (0, 0), the down arrow at (0, L − hm), the
// track between them is T = L − hl − hm − ht long, and the thumb's top is at
// hl + f × T with f = (value − minimum) ÷ (maximum − minimum); an empty
// range gives f = 0.
//
// A left press on an arrow steps the value by 1, on the track above or
// below the thumb by "pageIncrement", clamped to "range"; each such click
// sends 700, 701 and 702. A press on the thumb sends 700 and starts a drag:
// every mouse move over the bar then sets the value from the thumb's place
// (the point of the thumb that was grabbed stays under the cursor) and sends
// 701; the release sends 702. Messages go with the bar as sender to its
// message parent. With a link unresolved the bar draws nothing and ignores
// the mouse.
//
// Properties (scene-file keys, in this order): length (float), range
// (int[2]: minimum, maximum), value (int), pageIncrement (int), less and
// more (3 sprite links each: normal, hover, pressed), thumb (sprite link).

#include "core/Link.h"
#include "core/MessageCodes.h"
#include "core/Widget.h"
#include "render/Sprite.h"

#include <cstdint>

enum ScrollbarMessage : int32_t {
    kScrollPressed = message::kFirstScrollBar,     ///< a press began (arrow, track or thumb)
    kScrollChanged = message::kFirstScrollBar + 1, ///< the value was set by the bar
    kScrollReleased = message::kLastScrollBar,     ///< the press or drag ended
};

class Scrollbar : public Widget {
    ENGINE_CLASS(Scrollbar, Widget)

public:
    /// The part of the bar under a point.
    enum Part : int32_t {
        kNone = 0,
        kThumb = 1,
        kLessArrow = 2,
        kMoreArrow = 3,
        kTrackLess = 4,
        kTrackMore = 5
    };

    Scrollbar();

    /// While dragging the thumb over the bar: follows the cursor, sends 701; true.
    bool HoverTest() override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool Draw() override;
    /// 0 ≤ x ≤ the up arrow's width and 0 ≤ y ≤ length, in the bar's pixels.
    bool HitTest(const Vec2& point) override;

    /// The part under a point (scene pixels); kNone unless every link resolves.
    Part PartAt(const Vec2& point);
    /// The thumb's top in the bar's pixels for the current value.
    float ThumbTop() const;
    /// The track length T (0 when the links are unresolved or the bar is too short).
    float TrackLength() const;

    bool dragging = false;

    Var length;
    Var range;
    Var value;
    Var pageIncrement;
    Link<Sprite> less;
    Link<Sprite> more;
    Link<Sprite> thumb;

private:
    bool Inert() const;
    /// Steps the value by `delta` within the range and sends 700, 701, 702.
    void Step(int32_t delta);
    float grabOffset = 0.0f; ///< cursor y minus the thumb's top when the drag began
};

/// "range" becomes (0, max) when it has its two items.
void SetScrollRange(Scrollbar* bar, int32_t max);
/// "value" = v.
void SetScrollValue(Scrollbar* bar, int32_t v);
