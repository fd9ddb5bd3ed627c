#include "PuzzleChecks.h"

#include "CheckReport.h"

#include "core/Scene.h"
#include "core/SceneFile.h"
#include "puzzles/Leapfrog.h"
#include "render/Bitmap.h"
#include "ui/Button.h"

#include <memory>

namespace {

std::string Label(const Element& element) {
    return ElementLabel(element.GetClassName(), element.GetName());
}

// Every item of `link` that did not resolve; empty items only when `required`.
template <typename T>
void CheckLinkItems(const std::string& path, CheckReport& report, const Element& owner, const Link<T>& link,
                    bool required) {
    for (int32_t i = 0; i < link.GetCount(); ++i) {
        const String& name = link.GetString(i);
        if (link.Get(i) || (name.Empty() && !required)) {
            continue;
        }
        const std::string what = name.Empty() ? std::string("names nothing")
                                              : "names " + Quoted(name.CStr()) + ", which is no " +
                                                    link.LinkedClassName() + " of the scene";
        report.Error(path, Label(owner) + ": " + link.name + " " + what +
                               (required ? "; the puzzle stays frozen and cannot even be skipped" : ""));
    }
}

void CheckPuzzleLinks(const std::string& path, CheckReport& report, Puzzle& puzzle) {
    CheckLinkItems(path, report, puzzle, puzzle.helpButton, true);
    CheckLinkItems(path, report, puzzle, puzzle.skipButton, true);
    CheckLinkItems(path, report, puzzle, puzzle.skipFrame, true);
    CheckLinkItems(path, report, puzzle, puzzle.skipFill, true);
    CheckLinkItems(path, report, puzzle, puzzle.helpOk, true);
    CheckLinkItems(path, report, puzzle, puzzle.helpScreen, true);
}

void CheckLayout(const std::string& path, CheckReport& report, Leapfrog& leapfrog,
                 const LeapfrogConfig& config) {
    LeapfrogBoard board;
    LeapfrogPlacement placement;
    if (!ReadLeapfrogLayout(leapfrog, config.GetName(), board, placement)) {
        return;
    }
    const std::string label = Label(leapfrog) + ", layout " + Quoted(config.GetName());
    if (placement.missingSlots > 0) {
        report.Error(path, label + ": " + std::to_string(placement.missingSlots) +
                               " peg(s) stand on slots the board lacks");
    }
    if (placement.extraPegs > 0) {
        report.Error(path, label + ": " + std::to_string(placement.extraPegs) +
                               " gray item(s) more than the puzzle has gray pegs");
    }
    if (placement.redOnGray) {
        report.Error(path, label + ": the red peg's slot already holds a gray peg");
    }
    const LeapfrogState start = placement.State();
    if (start.gray == 0) {
        report.Error(path, label + ": no gray peg to clear, so the puzzle can never be won");
    } else if (!board.Solve(start, nullptr)) {
        report.Error(path, label + ": cannot be solved; no sequence of jumps clears every gray peg");
    }
}

void CheckLeapfrog(const std::string& path, CheckReport& report, Scene& scene, Leapfrog& leapfrog) {
    leapfrog.Resolve();
    CheckPuzzleLinks(path, report, leapfrog);
    CheckLinkItems(path, report, leapfrog, leapfrog.slots, false);
    CheckLinkItems(path, report, leapfrog, leapfrog.grayPegs, false);
    CheckLinkItems(path, report, leapfrog, leapfrog.redPeg, false);
    LeapfrogBoard board;
    if (const int32_t stray = leapfrog.BuildBoard(board); stray > 0) {
        report.Error(path, Label(leapfrog) + ": " + std::to_string(stray) +
                               " slot neighbour name(s) name no slot of its slots list");
    }
    int32_t layouts = 0;
    for (auto& entry : scene.Elements().Entries()) {
        if (const auto* config = ObjectCast<LeapfrogConfig>(entry.value)) {
            ++layouts;
            CheckLayout(path, report, leapfrog, *config);
        }
    }
    if (layouts == 0) {
        report.Error(path, Label(leapfrog) + ": the scene holds no LeapfrogConfig layout to start from");
    }
}

} // namespace

void CheckPuzzleFile(const std::string& path, CheckReport& report) {
    std::unique_ptr<Scene> scene = LoadScene(path.c_str());
    if (!scene) {
        return; // the scene checks report a file that does not load
    }
    for (auto& entry : scene->Elements().Entries()) {
        if (auto* leapfrog = ObjectCast<Leapfrog>(entry.value)) {
            CheckLeapfrog(path, report, *scene, *leapfrog);
        }
    }
}
