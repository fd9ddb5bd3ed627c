#include "menus/MapMarkers.h"

#include "core/FrameTime.h"
#include "core/Scene.h"
#include "data/Globals.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "menus/Waypoint.h"
#include "ui/UI.h"

#include "menus/WaypointGraph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

void (*PlayerMarker::arrived)(PlayerMarker& marker) = nullptr;

void MarkerFrames::Step(Var& sprite, const Var& framePath, const Var& frameRange, float rate, float seconds) {
    const int32_t first = frameRange.GetInt(0);
    const int32_t last = std::max(first, frameRange.GetInt(1));
    const float span = static_cast<float>(last - first + 1);
    frame += rate * seconds;
    if (!std::isfinite(frame)) {
        frame = static_cast<float>(first);
    }
    // Wrap into [first, last + 1): above the last frame to the first, below
    // the first to the last.
    if (frame >= static_cast<float>(last) + 1.0f || frame < static_cast<float>(first)) {
        frame = static_cast<float>(first) + std::fmod(frame - static_cast<float>(first), span);
        if (frame < static_cast<float>(first)) {
            frame += span;
        }
    }
    const int32_t number = std::clamp(static_cast<int32_t>(std::floor(frame)), first, last);
    const String& format = framePath.FirstString();
    if (number == shown || format.Empty()) {
        return;
    }
    shown = number;
    char path[256];
    // The format comes from data: only one integer directive is honoured.
    const char* percent = std::strchr(format.CStr(), '%');
    if (percent && std::strchr(percent + 1, '%') == nullptr && std::strpbrk(percent + 1, "di")) {
        std::snprintf(path, sizeof path, format.CStr(), number);
    } else {
        std::snprintf(path, sizeof path, "%s", format.CStr());
    }
    sprite.SetFirstString(path);
}

// ---- PlayerMarker -----------------------------------------------------------

PlayerMarker::PlayerMarker() {
    Name.SetFirstString("NewPlayerMarker");
    DeclareFloat("speed", speed, 1, this, 200.0f);
    DeclareString("framePath", framePath, 1, this, "");
    DeclareInt("frameRange", frameRange, 2, this, 1);
    DeclareFloat("frameRate", frameRate, 1, this, 24.0f);
}

bool PlayerMarker::IsWalking() const {
    for (const DelayedMessage& queued : messages) {
        if (queued.message == kArrived) {
            return true;
        }
    }
    return IsMoving();
}

Vec2 PlayerMarker::ToParent(const Widget& widget) const {
    const Vec2 at = ScenePositionOf(widget);
    if (!Parent() || Parent() == scene) {
        return at;
    }
    return SceneMatrixOf(*Parent()).Inverse().TransformPoint(at);
}

bool PlayerMarker::StandOnCurrentLevel() {
    State* player = CurrentPlayer();
    Globals* settings = GetGlobals();
    if (!player || !settings || !scene) {
        return false;
    }
    const Var& levels = settings->Setting("Levels");
    const int32_t level = player->CurrentLevel.FirstInt();
    if (level < 0 || level >= levels.GetCount()) {
        return false;
    }
    Widget* marker = static_cast<Widget*>(scene->FindElement(levels.GetString(level).CStr(), "Waypoint"));
    if (!marker) {
        return false;
    }
    const Vec2 at = ToParent(*marker);
    if (Position.GetFloat(0) != at.x || Position.GetFloat(1) != at.y) {
        Position.SetFloat(0, at.x);
        Position.SetFloat(1, at.y);
    }
    return true;
}

void PlayerMarker::Update() {
    Thing::Update();
    if (!IsWalking()) {
        StandOnCurrentLevel();
    }
    // The frames are the traveller's steps: they play while it walks, and
    // it stands on the first one (a marker stepping on the spot redrew the
    // whole map eight times a second).
    if (IsWalking()) {
        frames.Step(sprite, framePath, frameRange, frameRate.FirstFloat(), frameTime);
    } else {
        frames.frame = static_cast<float>(frameRange.GetInt(0));
        frames.Step(sprite, framePath, frameRange, 0.0f, 0.0f);
    }
    if (Position.GetFloat(2) != kDepth) {
        Position.SetFloat(2, kDepth);
    }
}

bool PlayerMarker::Message(int32_t message, Object* sender) {
    if (message == kWalkTo) {
        Waypoint* waypoint = ObjectCast<Waypoint>(sender);
        if (!waypoint) {
            return true;
        }
        const Vec2 at = ToParent(*waypoint);
        const float dx = at.x - Position.GetFloat(0);
        const float dy = at.y - Position.GetFloat(1);
        const float pace = speed.FirstFloat();
        const float duration = pace > 0.0f ? std::sqrt(dx * dx + dy * dy) / pace : 0.0f;
        MoveTo(*this, Vec3{at.x, at.y, kDepth}, duration);
        return true;
    }
    if (message == kArrived) {
        GetUI().UnlockInput();
        if (arrived) {
            arrived(*this);
        }
        return true;
    }
    return Thing::Message(message, sender);
}

bool WalkPath(const WaypointGraph& graph, PlayerMarker& marker) {
    const std::vector<int32_t>& path = graph.Path();
    const auto& nodes = graph.Nodes();
    if (path.size() < 2) {
        return false;
    }
    for (int32_t index : path) {
        if (!nodes[static_cast<size_t>(index)].waypoint) {
            return false;
        }
    }
    const float pace = marker.speed.FirstFloat();
    float delay = 0.0f;
    Waypoint* previous = nodes[static_cast<size_t>(path[0])].waypoint;
    for (size_t i = 1; i < path.size(); ++i) {
        Waypoint* waypoint = nodes[static_cast<size_t>(path[i])].waypoint;
        marker.QueueMessage(PlayerMarker::kWalkTo, delay, 0, waypoint);
        const Vec2 a = marker.ToParent(*previous);
        const Vec2 b = marker.ToParent(*waypoint);
        if (pace > 0.0f) {
            delay += std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y)) / pace;
        }
        previous = waypoint;
    }
    marker.PostMessage(PlayerMarker::kArrived, delay, 0, previous);
    return true;
}

// ---- QuestMarker ------------------------------------------------------------

QuestMarker::QuestMarker() {
    Name.SetFirstString("NewQuestMarker");
    Globals* settings = GetGlobals();
    const String* path = settings ? &settings->GetString(kFramePathSetting) : nullptr;
    DeclareString("framePath", framePath, 1, this, path && !path->Empty() ? path->CStr() : kFramePathDefault);
    DeclareInt("frameRange", frameRange, 2, this, 1);
    frameRange.SetInt(1, 16);
    DeclareFloat("frameRate", frameRate, 1, this, 16.0f);
}

void QuestMarker::Update() {
    Thing::Update();
    frames.Step(sprite, framePath, frameRange, frameRate.FirstFloat(), frameTime);
}
