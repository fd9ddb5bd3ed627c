#include "Playing.h"

#include "GameSession.h"
#include "Pictures.h"

#include "render/Image.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <thread>

namespace {

// The story's answers on its parchment: the first of two on the left, the
// second on the right, a single answer on the left.
constexpr int kFirstAnswerX = 160, kSecondAnswerX = 600, kSingleAnswerX = 220, kAnswerY = 708;
constexpr auto kCaptureInterval = std::chrono::milliseconds(250);

bool SamePicture(const Image& a, const Image& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.PixelBytes() == b.PixelBytes() &&
           std::memcmp(a.Pixels(), b.Pixels(), a.PixelBytes()) == 0;
}

void CopyPicture(const Image& from, Image& to) {
    if (to.Create(from.Width(), from.Height())) {
        std::memcpy(to.Pixels(), from.Pixels(), from.PixelBytes());
    }
}

// "Page = A, B, C;": page A's answers lead to B and C ("End" closes the story).
std::map<std::string, std::vector<std::string>> StoryPages(const std::string& story) {
    std::ifstream in(std::string(TEST_SOURCE_DIR) + "/../content/dialogue/scripts/" + story + ".config");
    std::map<std::string, std::vector<std::string>> pages;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("Page", 0) != 0 || line.find('=') == std::string::npos) {
            continue;
        }
        std::vector<std::string> names;
        std::string name;
        for (char c : line.substr(line.find('=') + 1)) {
            if (c == ',' || c == ';') {
                names.push_back(name);
                name.clear();
            } else if (c != ' ' && c != '\t' && c != '\r') {
                name += c;
            }
        }
        if (!name.empty()) {
            names.push_back(name);
        }
        if (names.size() >= 2) {
            pages[names[0]] = std::vector<std::string>(names.begin() + 1, names.end());
        }
    }
    return pages;
}

// The rows of the page's words on the parchment (the answers lie below).
constexpr uint32_t kWordsTop = 580, kWordsBottom = 680;

// Whether the page's words differ between two pictures: a new page always
// changes a good part of them, while a hovered answer's glow lies outside.
bool WordsDiffer(const Image& a, const Image& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || b.Height() < kWordsBottom) {
        return true;
    }
    const long differing =
        testing_support::CountDifferingPixelsIn(a, b, {0, int(kWordsTop), int(a.Width()), int(kWordsBottom)}, 24);
    return differing > long(a.Width()) * (kWordsBottom - kWordsTop) / 50;
}

// The page as the player sees it once it stands still. A page after the
// first must show other words than the page before: on a loaded machine the
// log names the new page before the game has drawn it, and the old picture
// standing still is not the new page.
bool WaitForPage(GameSession& game, const Image* before, Image& picture) {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() <
           20.0 * GameSession::TimeScale()) {
        if (!game.WaitForStillPicture(picture, 20.0)) {
            return false;
        }
        if (!before || WordsDiffer(*before, picture)) {
            return true;
        }
        std::this_thread::sleep_for(kCaptureInterval);
    }
    return false;
}

} // namespace

// ---- LogWatch ------------------------------------------------------------------------

LogWatch::LogWatch(GameSession& session) : game(session), offset(session.Log().size()) {}

bool LogWatch::WaitFor(const std::string& fragment, double seconds, std::string* line, bool keepPlace) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const std::string log = game.Log();
        const size_t at = offset < log.size() ? log.find(fragment, offset) : std::string::npos;
        if (at != std::string::npos) {
            const size_t begin = log.rfind('\n', at);
            const size_t lineStart = begin == std::string::npos ? 0 : begin + 1;
            size_t end = log.find('\n', at);
            end = end == std::string::npos ? log.size() : end;
            if (line) {
                *line = log.substr(lineStart, end - lineStart);
            }
            if (!keepPlace) {
                offset = end;
            }
            return true;
        }
        const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (waited > seconds * GameSession::TimeScale()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string LogWatch::Ahead() const {
    const std::string log = game.Log();
    return offset < log.size() ? log.substr(offset) : "";
}

void LogWatch::SkipAhead() {
    offset = game.Log().size();
}

// ---- waiting and clicking --------------------------------------------------------------

void Pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds * GameSession::TimeScale()));
}

bool WaitForQuiet(GameSession& game, Image& out, double stillSeconds, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    auto since = start;
    Image reference;
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (std::chrono::duration<double>(now - start).count() > seconds * GameSession::TimeScale() ||
            !game.Capture(out)) {
            return false;
        }
        if (!SamePicture(out, reference)) {
            CopyPicture(out, reference);
            since = now;
        } else if (std::chrono::duration<double>(now - since).count() >= stillSeconds) {
            return true;
        }
        std::this_thread::sleep_for(kCaptureInterval);
    }
}

bool ClickElement(GameSession& game, const SceneFile& scene, const std::string& element, int dx,
                  double settle) {
    if (!scene.Has(element, "Position")) {
        ADD_FAILURE() << "no element " << element << " with a position";
        return false;
    }
    const ScenePoint at = scene.Position(element);
    // xdotool has been seen to give up on a busy machine; the player clicks again.
    bool clicked = game.Click(ScreenX(at.x) + dx, ScreenY(at.y));
    if (!clicked) {
        Pause(0.5);
        clicked = game.Click(ScreenX(at.x) + dx + 1, ScreenY(at.y));
    }
    Pause(settle);
    return clicked;
}

// ---- stories ---------------------------------------------------------------------------

bool ReadStory(GameSession& game, LogWatch& watch, const std::string& story, int choice,
               const KeepPicture& keep) {
    const auto pages = StoryPages(story);
    if (pages.empty()) {
        ADD_FAILURE() << "the story " << story << " has no pages to read";
        return false;
    }
    const std::string prefix = "StoryScreen: " + story + ", page ";
    const std::string over = "StoryScreen: '" + story + "' is over";
    int lastX = -1;
    Image previous;
    for (size_t read = 0; read <= pages.size(); ++read) {
        std::string line;
        if (!watch.WaitFor(prefix, 20.0, &line)) {
            ADD_FAILURE() << "the story " << story << " shows no next page\n" << game.Log();
            return false;
        }
        const size_t begin = line.find(prefix) + prefix.size();
        const std::string page = line.substr(begin, line.find(':', begin) - begin);
        const auto found = pages.find(page);
        if (found == pages.end()) {
            ADD_FAILURE() << "the story " << story << " shows the page '" << page
                          << "', which its file lacks";
            return false;
        }
        // The page's words and answers fade in; the answers take clicks once shown.
        Image picture;
        if (!WaitForPage(game, read == 0 ? nullptr : &previous, picture)) {
            ADD_FAILURE() << "the page " << page << " of " << story << " never stood still with its words";
            return false;
        }
        if (keep) {
            keep(picture, story + "-" + page);
        }
        const std::vector<std::string>& next = found->second;
        const bool two = next.size() >= 2;
        const size_t answer = two && choice == 2 ? 1 : 0;
        int x = two ? (answer == 0 ? kFirstAnswerX : kSecondAnswerX) : kSingleAnswerX;
        const bool last = next[answer] == "End";
        // A click made while the screen below still hands over (the title
        // leaving) is lost: the player clicks again, a little further on.
        bool answered = false;
        for (int attempt = 0; attempt < 3 && !answered; ++attempt, x += 24) {
            if (x == lastX) {
                x += 12;
            }
            lastX = x;
            if (!game.Click(x, kAnswerY)) {
                continue;
            }
            // The last answer is taken once the story's screen has gone.
            answered = watch.WaitFor(last ? over : prefix, last ? 10.0 : 5.0, nullptr, true);
        }
        if (!answered) {
            ADD_FAILURE() << "the answer of page " << page << " of " << story << " was not taken\n"
                          << game.Log();
            return false;
        }
        if (last) {
            return true;
        }
        CopyPicture(picture, previous);
    }
    ADD_FAILURE() << "the story " << story << " did not end after every page";
    return false;
}

// ---- the inventory ---------------------------------------------------------------------

Inventory::Inventory(GameSession& session) : game(session) {
    const SceneFile hud("gui/DunhavenHud.scene");
    // The drawer slides down to the top edge; its icons are 96-pixel
    // pictures drawn at 0.66 from their corner.
    const ScenePoint first = hud.Position("inventory_icon_1");
    const ScenePoint second = hud.Position("inventory_icon_2");
    const ScenePoint drawer = hud.Position("inventory_drawer");
    slotY = int(first.y + 32.0f);
    slotX[0] = ScreenX(drawer.x + first.x + 32.0f);
    slotX[1] = ScreenX(drawer.x + second.x + 32.0f);
}

bool Inventory::ClickSlot(int slot) {
    const int x = slotX[slot == 0 ? 0 : 1];
    const bool moved = game.MoveMouse(x, 6);
    Pause(0.8);
    const bool clicked = game.Click(x, slotY);
    Pause(0.9);
    return moved && clicked;
}

// ---- Leapfrog --------------------------------------------------------------------------

LeapfrogPlan PlanLeapfrog(const std::string& puzzle, const std::string& layout) {
    const SceneFile file("puzzles/" + puzzle + "/" + puzzle + ".scene");
    LeapfrogPlan plan;
    const std::vector<std::string>& slots = file.Values(puzzle, "slots");
    LeapfrogBoard board;
    for (size_t i = 0; i < slots.size(); ++i) {
        plan.slots.push_back(file.Position(slots[i]));
        board.SetSlot(int32_t(i), plan.slots.back().x, plan.slots.back().y);
    }
    for (size_t i = 0; i < slots.size(); ++i) {
        for (const std::string& neighbour : file.Values(slots[i], "Neighbor")) {
            for (size_t j = 0; j < slots.size(); ++j) {
                if (slots[j] == neighbour) {
                    board.AddNeighbor(int32_t(i), int32_t(j));
                }
            }
        }
    }
    LeapfrogState start;
    const std::vector<std::string>& gray = file.Values(layout, "GrayPeg");
    for (size_t j = 0; j < gray.size() && j < 16; ++j) {
        if (gray[j] == "true") {
            start.gray = uint16_t(start.gray | (1u << j));
        }
    }
    start.red = int32_t(file.Number(layout, "RedPeg", 0)) - 1;
    if (!board.Solve(start, &plan.moves)) {
        plan.moves.clear();
    }
    return plan;
}

bool PlayLeapfrog(GameSession& game, const LeapfrogPlan& plan) {
    for (const LeapfrogMove& move : plan.moves) {
        if (size_t(move.from) >= plan.slots.size() || size_t(move.to) >= plan.slots.size()) {
            return false;
        }
        const ScenePoint from = plan.slots[size_t(move.from)];
        const ScenePoint to = plan.slots[size_t(move.to)];
        if (!game.Click(ScreenX(from.x), ScreenY(from.y))) {
            return false;
        }
        Pause(0.4);
        if (!game.Click(ScreenX(to.x), ScreenY(to.y))) {
            return false;
        }
        // The peg glides for half a second; the board checks itself after one.
        Pause(1.5);
    }
    return true;
}
