// Index: loading / history and status / keys / drawing.
#include "ui/Console.h"

#include "core/Redraw.h"
#include "core/ConfigTable.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "io/Resources.h"
#include "platform/Platform.h"
#include "render/BlendMode.h"
#include "render/Font.h"
#include "render/Font3D.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "script/CommandTable.h"
#include "ui/InputManagerCallback.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// 72 dashes separated by blanks: the mark that the history is scrolled.
constexpr const char* kScrollSeparator =
    "- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - "
    "- - - - - - - - - - - - - - - - - - - - - - - -";
static_assert(std::char_traits<char>::length(kScrollSeparator) == 143);

void ListenToLog(const char* line) {
    GetConsole().AddReport(line);
}

void ReceiveReport(const char* report) {
    GetConsole().AddReport(report);
}

} // namespace

// ---- loading ----

bool Console::Load(const char* path, bool allowConsole) {
    // A second load starts afresh instead of listening twice.
    Shutdown();
    ConfigTable table;
    if (!path || !table.Load(path)) {
        LogFormat("Console: cannot read the console configuration %s; the game runs without a console",
                  path ? path : "");
        return false;
    }
    String fontPath;
    table.GetString(0, "Font", fontPath);
    table.GetInt(0, "Inset", inset);
    Font* found = fontPath.Empty() ? nullptr : Resources::FindFont(fontPath.CStr());
    if (!found) {
        LogFormat("Console: %s names the font \"%s\", which cannot be found; the game runs without a console",
                  path, fontPath.CStr());
        return false;
    }
    font = found;
    allowed = allowConsole;
    GetInputManager().AddHandler(this);
    AddLogListener(&ListenToLog);
    SetCommandReportReceiver(&ReceiveReport);
    lastCounter = GetPlatform().GetPerformanceCounter();
    return true;
}

void Console::Shutdown() {
    RemoveLogListener(&ListenToLog);
    SetCommandReportReceiver(nullptr);
    InputManagerCallback& manager = GetInputManager();
    const int index = manager.FindHandler(this);
    if (index >= 0) {
        manager.RemoveHandler(index);
    }
    font = nullptr;
    allowed = false;
    open = false;
    showFps = false;
    lines.clear();
    commands.clear();
    scroll = 0;
    browse = 0;
    input = String();
    typed = String();
    status = String();
    statusTime = 0.0f;
    pendingKeypadDigit = 0;
}

// ---- history and status ----

void Console::AppendLine(const char* text) {
    if (lines.size() >= kMaxLines) {
        lines.pop_front();
        scroll = std::min(scroll, int32_t(lines.size()));
    }
    lines.emplace_back(text ? text : "");
}

void Console::SetStatus(const char* text) {
    status = text ? text : "";
    statusTime = kStatusSeconds;
    RequestRedraw();
}

void Console::AddReport(const char* text) {
    if (!allowed) {
        return;
    }
    AppendLine(text);
    if (!open) {
        SetStatus(text);
    }
}

void Console::ShowWhileOpen(const char* text) {
    if (allowed && open) {
        AppendLine(text);
        SetStatus(text);
    }
}

void Console::Show(const char* text) {
    if (allowed) {
        AppendLine(text);
        SetStatus(text);
    }
}

// ---- keys ----

namespace {

// The digit a keypad key types with Num Lock on; 0 for other keys.
int KeypadDigit(int key) {
    switch (key) {
    case Console::kOlderCommandKey:
        return '8';
    case Console::kNewerCommandKey:
        return '2';
    case Console::kScrollUpKey:
        return '9';
    case Console::kScrollDownKey:
        return '3';
    default:
        return 0;
    }
}

} // namespace

void Console::OnKey(int key, int down, int /*repeat*/) {
    if (!allowed || !down) {
        return;
    }
    // The keypad keys that recall and scroll also type their digit right
    // after (with Num Lock on); that digit must not land in the line.
    pendingKeypadDigit = open ? KeypadDigit(key) : 0;
    if (key == kToggleKey) {
        open = !open;
        return;
    }
    if (!open) {
        return;
    }
    switch (key) {
    case kBackspaceKey:
        if (!input.Empty()) {
            input = String(input.View().substr(0, input.Length() - 1));
        }
        break;
    case kEnterKey:
        RunInput();
        break;
    case kOlderCommandKey:
        RecallOlder();
        break;
    case kNewerCommandKey:
        RecallNewer();
        break;
    case kScrollUpKey:
        if (scroll < int32_t(lines.size()) - 1) {
            ++scroll;
        }
        break;
    case kScrollDownKey:
        if (scroll >= 1) {
            --scroll;
        }
        break;
    default:
        break;
    }
}

void Console::OnChar(int code) {
    const int keypadDigit = pendingKeypadDigit;
    pendingKeypadDigit = 0;
    if (!allowed || !open || code < 32 || code == kToggleCharacter || code > 255 || code == keypadDigit) {
        return;
    }
    if (input.Length() >= kMaxInput) {
        return;
    }
    const char character = char(code);
    input.Append(&character, 1);
    typed = input;
}

void Console::RunInput() {
    if (input.Empty()) {
        return;
    }
    // The line is kept first: a command may clear the input (or the console).
    const String line = input;
    input = String();
    typed = String();
    browse = 0;
    if (commands.size() >= kMaxLines) {
        commands.pop_front();
    }
    commands.push_back(line);
    ExecuteCommandLine(line.CStr());
}

// The command `browse` places from the newest (1 = the newest).
void Console::RecallOlder() {
    if (commands.empty() || browse >= int32_t(commands.size())) {
        return;
    }
    ++browse;
    input = commands[commands.size() - size_t(browse)];
}

void Console::RecallNewer() {
    if (commands.empty()) {
        return;
    }
    if (browse < 2) {
        browse = 0;
        input = typed;
        return;
    }
    --browse;
    input = commands[commands.size() - size_t(browse)];
}

// ---- drawing ----

void Console::AdvanceClock() {
    Platform& platform = GetPlatform();
    const uint64_t now = platform.GetPerformanceCounter();
    const uint64_t frequency = platform.GetPerformanceFrequency();
    frameSeconds =
        frequency > 0 && now >= lastCounter ? float(double(now - lastCounter) / double(frequency)) : 0.0f;
    lastCounter = now;
}

void Console::DrawText(const char* text, float x, float y) {
    RenderStack::SetModelMatrix(Matrix4::Translation(x, y, 0.0f));
    font->Draw(text);
}

void Console::DrawFrameRate() {
    const InputManagerCallback& mouse = GetInputManager();
    const Vec2 cursor = ScreenToScene(Vec2{float(mouse.mouseX), float(mouse.mouseY)});
    const int rate = frameSeconds > 0.0f ? int(1.0f / frameSeconds) : 0;
    char text[96];
    std::snprintf(text, sizeof text, "%d (%f,%f)", rate, double(cursor.x), double(cursor.y));
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    DrawText(text, float(font->GetFont3D()->Inset()), float(DisplayHeight() - font->Height()));
}

void Console::DrawOverlay() {
    const auto width = float(DisplayWidth());
    const auto height = float(DisplayHeight());
    const int32_t fontHeight = font->Height();
    const int32_t descent = font->GetFont3D()->Descent();
    {
        RenderStackScope fill;
        RenderStack::SetModelMatrix(Matrix4::Identity());
        RenderStack::SetTexturing(false);
        RenderStack::SetCullMode(0);
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, 0.75f);
        DrawRectQuad(Vec2{0.0f, 0.0f}, Vec2{width, height * 0.5f});
        // The white line under the overlay, one pixel high.
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        DrawRectQuad(Vec2{0.0f, height * 0.5f}, Vec2{width, height * 0.5f + 1.0f});
    }
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    int32_t y = DisplayHeight() / 2 - descent - fontHeight;
    char prompt[kMaxInput + 8];
    std::snprintf(prompt, sizeof prompt, "> %s_", input.CStr());
    DrawText(prompt, float(inset), float(y));
    y -= fontHeight;
    if (scroll > 0) {
        DrawText(kScrollSeparator, float(inset), float(y));
        y -= fontHeight;
    }
    for (int32_t i = scroll; i < int32_t(lines.size()) && y >= 0; ++i) {
        DrawText(lines[lines.size() - 1 - size_t(i)].CStr(), float(inset), float(y));
        y -= fontHeight;
    }
}

void Console::Draw() {
    if (!allowed || !font) {
        return;
    }
    RenderStackScope state;
    RenderStack::SetCameraMatrix(Matrix4::Identity());
    RenderStack::SetModelMatrix(Matrix4::Identity());
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    if (showFps) {
        DrawFrameRate();
    }
    const bool statusDrawn = statusTime > 0.0f;
    if (statusDrawn) {
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, std::min(statusTime, 1.0f));
        DrawText(status.CStr(), float(inset), float(font->GetFont3D()->Descent()));
        statusTime -= frameSeconds;
    }
    AdvanceClock();
    if (open) {
        DrawOverlay();
    }
    // The read-out, the fading status line and the open console change from
    // frame to frame (or may at any key): they keep the frames coming. A
    // status line drawn in this frame asks for one more, which draws the
    // picture without it once its time is up; otherwise its last, faint
    // picture stayed on screen until something else moved.
    if (showFps || statusDrawn || open) {
        RequestRedraw();
    }
}

Console& GetConsole() {
    static Console console;
    return console;
}
