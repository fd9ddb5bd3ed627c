#include "puzzles/Leapfrog.h"

#include "audio/Sound.h"
#include "core/ClassRegistry.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "render/Bitmap.h"
#include "render/Sprite.h"
#include "ui/Button.h"
#include "ui/ScreenServices.h"
#include "ui/UI.h"

#include <cmath>
#include <string>

namespace {

constexpr const char* kCategory = "Puzzle Objects";
constexpr int32_t kNeighborCount = 8;
// The slide of a board laid out afresh: transition 2 over one second.
constexpr int32_t kSetupTransition = 2;
constexpr float kSetupTransitionSeconds = 1.0f;

Vec2 PositionOf(const Widget& widget) {
    return Vec2{widget.Position.GetFloat(0), widget.Position.GetFloat(1)};
}

// The centre of the peg's picture in its parent's pixels.
Vec2 PegCentre(const LeapfrogPeg& peg) {
    Vec2 centre = PositionOf(peg);
    if (const Sprite* picture = peg.sprite.Get(0)) {
        centre.x += float(picture->Width()) * 0.5f - peg.Pivot.GetFloat(0);
        centre.y += float(picture->Height()) * 0.5f - peg.Pivot.GetFloat(1);
    }
    return centre;
}

void SetPosition(Widget& widget, float x, float y, float z) {
    widget.Position.SetFloat(0, x);
    widget.Position.SetFloat(1, y);
    widget.Position.SetFloat(2, z);
}

} // namespace

// ---- layouts, pegs, slots --------------------------------------------------------

LeapfrogConfig::LeapfrogConfig() {
    Name.SetFirstString("NewLeapfrogConfig");
    DeclareBool("GrayPeg", GrayPeg, LeapfrogBoard::kSlotCount, this, false);
    DeclareInt("RedPeg", RedPeg, 1, this, 0);
}

LeapfrogState LeapfrogPlacement::State() const {
    LeapfrogState state;
    for (int32_t slot : graySlot) {
        if (slot >= 0) {
            state.gray = uint16_t(state.gray | (1u << slot));
        }
    }
    state.red = redSlot;
    return state;
}

LeapfrogPlacement PlaceLayout(const LeapfrogConfig& config, const LeapfrogBoard& board, int32_t grayPegCount,
                              bool hasRedPeg) {
    LeapfrogPlacement placement;
    grayPegCount = std::min(grayPegCount, LeapfrogPlacement::kMaxGrayPegs);
    int32_t next = 0;
    for (int32_t slot = 0; slot < LeapfrogBoard::kSlotCount; ++slot) {
        if (!config.GrayPeg.GetBool(slot)) {
            continue;
        }
        if (next >= grayPegCount) {
            ++placement.extraPegs;
            continue;
        }
        if (board.HasSlot(slot)) {
            placement.graySlot[next] = slot;
        } else {
            ++placement.missingSlots;
        }
        ++next;
    }
    const int32_t red = config.RedPeg.FirstInt() - 1;
    if (hasRedPeg && red >= 0 && red < LeapfrogBoard::kSlotCount) {
        if (!board.HasSlot(red)) {
            ++placement.missingSlots;
        } else if (placement.State().Occupied(red)) {
            placement.redOnGray = true;
        } else {
            placement.redSlot = red;
        }
    }
    return placement;
}

LeapfrogPeg::LeapfrogPeg() {
    Name.SetFirstString("NewLeapfrogPeg");
    DeclareBool("RedPeg", RedPeg, 1, this, false);
}

bool LeapfrogPeg::Message(int32_t message, Object* sender) {
    if (message == kRemove) {
        Visible.SetFirstBool(false);
        slot = -1;
        return true;
    }
    return Thing::Message(message, sender);
}

LeapfrogSlot::LeapfrogSlot() {
    Name.SetFirstString("NewLeapfrogSlot");
    DeclareString("Neighbor", Neighbor, kNeighborCount, this, "");
    for (Var* inherited : {&Locked, &Rotation, &Scale, &Pivot, &Color, &Visible}) {
        inherited->flags &= ~Var::kSaved;
    }
}

bool LeapfrogSlot::Draw() {
    return Visible.FirstBool();
}

Vec2 LeapfrogSlot::Centre() const {
    const Matrix4& world = WorldMatrix();
    return Vec2{world.m[12], world.m[13]};
}

bool LeapfrogSlot::HitTest(const Vec2& point) {
    const Vec2 centre = Centre();
    const float dx = point.x - centre.x;
    const float dy = point.y - centre.y;
    return dx * dx + dy * dy <= kReach * kReach;
}

bool LeapfrogSlot::MouseButton(int32_t button, bool pressed) {
    if (button != 0 || !pressed || !scene) {
        return false;
    }
    const Vec2 cursor = Button::CursorInScene();
    if (!HitTest(cursor)) {
        return false;
    }
    for (const auto& entry : scene->Elements().Entries()) {
        auto* leapfrog = ObjectCast<Leapfrog>(entry.value);
        // Slots within reach of one another: only the nearest takes the click.
        if (leapfrog && leapfrog->NearestSlot(cursor) == this) {
            leapfrog->SlotClicked(*this);
        }
    }
    return false;
}

// ---- the puzzle ------------------------------------------------------------------

Leapfrog::Leapfrog() {
    Name.SetFirstString("NewLeapfrog");
    DeclareString("slots", slots, LeapfrogBoard::kSlotCount, this, "");
    DeclareString("grayPegs", grayPegs, LeapfrogPlacement::kMaxGrayPegs, this, "");
    DeclareString("redPeg", redPeg, 1, this, "");
    DeclareString("highlight", highlight, 1, this, "");
    DeclareString("winSound", winSound, 1, this, "");
    DeclareString("badMoveSound", badMoveSound, 1, this, "");
    DeclareString("failureSound", failureSound, 1, this, "");
    DeclareString("selectSound", selectSound, 1, this, "");
    DeclareString("moveStartSound", moveStartSound, 1, this, "");
    DeclareString("clearSound", clearSound, 1, this, "");
}

Leapfrog::~Leapfrog() = default;

int32_t Leapfrog::SlotIndex(const LeapfrogSlot* slot) const {
    if (!slot) {
        return -1;
    }
    for (int32_t i = 0; i < LeapfrogBoard::kSlotCount; ++i) {
        if (slots.Get(i) == slot) {
            return i;
        }
    }
    return -1;
}

LeapfrogPeg* Leapfrog::PegOn(int32_t index) const {
    if (index < 0) {
        return nullptr;
    }
    for (LeapfrogPeg* peg : pegs) {
        if (peg->slot == index && peg->Visible.FirstBool()) {
            return peg;
        }
    }
    return nullptr;
}

int32_t Leapfrog::GrayPegCount() const {
    int32_t count = 0;
    for (int32_t i = 0; i < LeapfrogPlacement::kMaxGrayPegs; ++i) {
        count += grayPegs.Get(i) != nullptr;
    }
    return count;
}

int32_t Leapfrog::BuildBoard(LeapfrogBoard& out) const {
    out = LeapfrogBoard{};
    int32_t stray = 0;
    for (int32_t i = 0; i < LeapfrogBoard::kSlotCount; ++i) {
        if (const LeapfrogSlot* slot = slots.Get(i)) {
            const Vec2 at = PositionOf(*slot);
            out.SetSlot(i, at.x, at.y);
        }
    }
    for (int32_t i = 0; i < LeapfrogBoard::kSlotCount; ++i) {
        const LeapfrogSlot* slot = slots.Get(i);
        for (int32_t n = 0; slot && n < kNeighborCount; ++n) {
            const String& name = slot->Neighbor.GetString(n);
            if (name.Empty()) {
                continue;
            }
            Element* named = scene ? scene->FindElement(name.CStr(), "LeapfrogSlot") : nullptr;
            const int32_t index = SlotIndex(static_cast<LeapfrogSlot*>(named));
            if (index < 0) {
                ++stray;
            } else {
                out.AddNeighbor(i, index);
            }
        }
    }
    return stray;
}

void Leapfrog::CollectPegs() {
    pegs.clear();
    if (!scene) {
        return;
    }
    for (const auto& entry : scene->Elements().Entries()) {
        if (auto* peg = ObjectCast<LeapfrogPeg>(entry.value)) {
            pegs.push_back(peg);
        }
    }
}

LeapfrogState Leapfrog::CurrentState() const {
    LeapfrogState state;
    for (const LeapfrogPeg* peg : pegs) {
        if (peg->slot < 0 || !peg->Visible.FirstBool()) {
            continue;
        }
        if (peg->RedPeg.FirstBool()) {
            state.red = peg->slot;
        } else {
            state.gray = uint16_t(state.gray | (1u << peg->slot));
        }
    }
    return state;
}

bool ReadLeapfrogLayout(Leapfrog& leapfrog, const char* layout, LeapfrogBoard& board,
                        LeapfrogPlacement& placement) {
    auto* config = leapfrog.scene && layout
                       ? ObjectCast<LeapfrogConfig>(leapfrog.scene->FindElement(layout, "LeapfrogConfig"))
                       : nullptr;
    if (!config) {
        return false;
    }
    leapfrog.Resolve();
    leapfrog.BuildBoard(board);
    placement = PlaceLayout(*config, board, leapfrog.GrayPegCount(), leapfrog.redPeg.Get(0) != nullptr);
    return true;
}

void Leapfrog::ReportLayout(const LeapfrogPlacement& placement, int32_t strayNeighbors) const {
    std::string problems;
    auto add = [&problems](const std::string& text) { problems += (problems.empty() ? "" : "; ") + text; };
    if (placement.missingSlots > 0) {
        add(std::to_string(placement.missingSlots) + " peg(s) on slots the board lacks");
    }
    if (placement.extraPegs > 0) {
        add(std::to_string(placement.extraPegs) + " gray item(s) beyond the gray pegs there are");
    }
    if (placement.redOnGray) {
        add("the red peg's slot holds a gray peg");
    }
    if (strayNeighbors > 0) {
        add(std::to_string(strayNeighbors) + " neighbour name(s) naming no listed slot");
    }
    std::vector<LeapfrogMove> moves;
    board.ListMoves(placement.State(), moves);
    if (moves.empty()) {
        add("no legal move");
    }
    if (!problems.empty()) {
        LogFormat("Leapfrog %s, layout %s: %s; the puzzle can only be skipped or may not be solvable",
                  GetName(), layout.CStr(), problems.c_str());
    }
}

bool Leapfrog::SetupBoard() {
    auto* config =
        scene ? ObjectCast<LeapfrogConfig>(scene->FindElement(layout.CStr(), "LeapfrogConfig")) : nullptr;
    if (!config) {
        LogFormat("Leapfrog %s: no layout %s", GetName(), layout.CStr());
        return false;
    }
    // A freshly loaded scene resolves its links at its first update; the
    // board is laid out before that.
    Resolve();
    CollectPegs();
    const int32_t strayNeighbors = BuildBoard(board);
    for (LeapfrogPeg* peg : pegs) {
        peg->Resolve();
        peg->Visible.SetFirstBool(false);
        peg->slot = -1;
    }
    const LeapfrogPlacement placement = PlaceLayout(*config, board, GrayPegCount(), redPeg.Get(0) != nullptr);
    for (int32_t i = 0, k = 0; i < LeapfrogPlacement::kMaxGrayPegs; ++i) {
        LeapfrogPeg* peg = grayPegs.Get(i);
        if (!peg) {
            continue;
        }
        const int32_t slot = placement.graySlot[k++];
        if (slot >= 0) {
            peg->Visible.SetFirstBool(true);
            peg->slot = slot;
        }
    }
    if (LeapfrogPeg* red = redPeg.Get(0); red && placement.redSlot >= 0) {
        red->Visible.SetFirstBool(true);
        red->slot = placement.redSlot;
    }
    for (LeapfrogPeg* peg : pegs) {
        if (const Sprite* picture = peg->sprite.Get(0)) {
            peg->Pivot.SetFloat(0, float(picture->Width() / 2));
            peg->Pivot.SetFloat(1, float(picture->Height() / 2));
        }
    }
    if (!layoutReported) {
        layoutReported = true;
        ReportLayout(placement, strayNeighbors);
    }
    GetUI().UnlockInput();
    selected = nullptr;
    GetUI().services.StartTransition(kSetupTransition, kSetupTransitionSeconds, -1);
    return true;
}

bool Leapfrog::StartPuzzle(const char* name) {
    layout = name ? name : "";
    if (!SetupBoard()) {
        return false;
    }
    return Puzzle::StartPuzzle(name);
}

void Leapfrog::PlaceBoard() {
    for (LeapfrogPeg* peg : pegs) {
        const LeapfrogSlot* slot = slots.Get(peg->slot);
        if (slot && !peg->IsMoving()) {
            const Vec2 at = PositionOf(*slot);
            SetPosition(*peg, at.x, at.y, peg->Position.GetFloat(2));
        }
    }
    Bitmap* marker = highlight.Get(0);
    if (!marker) {
        return;
    }
    marker->Visible.SetFirstBool(selected != nullptr);
    if (!selected) {
        return;
    }
    // Centred on the peg's picture whatever either pivot is.
    const Vec2 centre = PegCentre(*selected);
    float x = centre.x + marker->Pivot.GetFloat(0);
    float y = centre.y + marker->Pivot.GetFloat(1);
    if (const Sprite* picture = marker->GetSprite()) {
        x -= float(picture->Width()) * 0.5f;
        y -= float(picture->Height()) * 0.5f;
    }
    SetPosition(*marker, x, y, selected->Position.GetFloat(2) + 1.0f);
}

void Leapfrog::Update() {
    if (HasUnresolvedPuzzleLinks()) {
        return;
    }
    PlaceBoard();
    Puzzle::Update();
}

bool Leapfrog::AnyPegMoving() const {
    for (const LeapfrogPeg* peg : pegs) {
        if (peg->IsMoving()) {
            return true;
        }
    }
    return false;
}

LeapfrogPeg* Leapfrog::IsLegalMove(int32_t from, int32_t to) const {
    if (from == to || PegOn(to)) {
        return nullptr;
    }
    for (LeapfrogPeg* peg : pegs) {
        const int32_t over = peg->slot;
        if (over != from && over != to && over >= 0 && !peg->RedPeg.FirstBool() &&
            board.IsJumpShape(from, over, to)) {
            return peg;
        }
    }
    return nullptr;
}

LeapfrogSlot* Leapfrog::NearestSlot(const Vec2& point) const {
    LeapfrogSlot* nearest = nullptr;
    float best = 0.0f;
    for (int32_t i = 0; i < LeapfrogBoard::kSlotCount; ++i) {
        LeapfrogSlot* slot = slots.Get(i);
        if (!slot || !slot->HitTest(point)) {
            continue;
        }
        const Vec2 centre = slot->Centre();
        const float distance = std::hypot(point.x - centre.x, point.y - centre.y);
        if (!nearest || distance < best) {
            nearest = slot;
            best = distance;
        }
    }
    return nearest;
}

void Leapfrog::SlotClicked(LeapfrogSlot& clicked) {
    if (IsHelpShown() || AnyPegMoving()) {
        return;
    }
    const int32_t index = SlotIndex(&clicked);
    if (index < 0) {
        return;
    }
    LeapfrogPeg* there = PegOn(index);
    if (!selected) {
        if (there) {
            selected = there;
            PlayOnce(selectSound.Get(0));
        }
        PlaceBoard();
        return;
    }
    if (there) {
        selected = there;
        PlayOnce(selectSound.Get(0));
    } else if (LeapfrogPeg* jumped = IsLegalMove(selected->slot, index)) {
        jumped->PostMessage(LeapfrogPeg::kRemove, kClearDelay);
        const Vec2 at = PositionOf(clicked);
        MoveTo(*selected, Vec3{at.x, at.y, selected->Position.GetFloat(2)}, kMoveSeconds);
        selected->slot = index;
        PostMessage(kEndOfMove, kCheckDelay);
        selected = nullptr;
        PlayOnce(moveStartSound.Get(0));
        QueueMessage(kMessagePlaySound, kClearDelay, 0, clearSound.Get(0));
    } else {
        PlayOnce(badMoveSound.Get(0));
    }
    PlaceBoard();
}

bool Leapfrog::AnyMoveLeft() const {
    for (const LeapfrogPeg* peg : pegs) {
        if (peg->slot < 0 || !peg->Visible.FirstBool()) {
            continue;
        }
        for (int32_t to = 0; to < LeapfrogBoard::kSlotCount; ++to) {
            if (IsLegalMove(peg->slot, to)) {
                return true;
            }
        }
    }
    return false;
}

void Leapfrog::EndOfMoveCheck() {
    bool grayLeft = false;
    for (const LeapfrogPeg* peg : pegs) {
        grayLeft = grayLeft || (!peg->RedPeg.FirstBool() && peg->Visible.FirstBool());
    }
    if (!grayLeft) {
        PlayOnce(winSound.Get(0));
        GetUI().LockInputFor(kEndDelay);
        PostMessage(kFinishSolved, kEndDelay);
        return;
    }
    if (AnyMoveLeft()) {
        return;
    }
    PlayOnce(failureSound.Get(0));
    GetUI().LockInputFor(kEndDelay);
    PostMessage(kRestart, kEndDelay);
}

bool Leapfrog::Message(int32_t message, Object* sender) {
    switch (message) {
    case kEndOfMove:
        EndOfMoveCheck();
        return true;
    case kRestart:
        SetupBoard();
        return true;
    default:
        return Puzzle::Message(message, sender);
    }
}

void Leapfrog::OnSkip() {
    PlayOnce(failureSound.Get(0));
}

void RegisterPuzzleClasses() {
    RegisterClass("Puzzle", MakeObject<Puzzle>, kCategory);
    RegisterClass("Leapfrog", MakeObject<Leapfrog>, kCategory);
    RegisterClass("LeapfrogConfig", MakeObject<LeapfrogConfig>, kCategory);
    RegisterClass("LeapfrogPeg", MakeObject<LeapfrogPeg>, kCategory);
    RegisterClass("LeapfrogSlot", MakeObject<LeapfrogSlot>, kCategory);
}
