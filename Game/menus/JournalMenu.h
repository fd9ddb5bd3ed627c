#pragma once
// JournalMenu: the player's journal, one page per level.
//
// A page is the scene file named by the setting "Path_JournalPages"
// ("journal/%s.scene") with the page's name, the level's name. Each of its
// top-level widgets is one piece of the page and shows only once the player
// has found it: its name is among the page's journal elements (State). A
// page's first found piece is the page itself, so the widget named like the
// page (its paper and heading) shows as soon as the page has an entry.
//
// The journal's own scene holds the buttons and is drawn over the page.
// Back shows only when a page lies before the one on show, next only when a
// filled page lies after it; turning a page plays a 0.5 s transition and
// keeps input locked for that long. A missing page scene shows no pieces;
// the buttons still follow the journal's entries.
//
// Properties (scene-file keys, in this order): backButton, nextButton,
// closeButton (element links). Opened by pushing "JournalMenu".

#include "core/Link.h"
#include "core/Scene.h"
#include "ui/Button.h"
#include "ui/Screen.h"

#include <memory>

class JournalMenu : public Screen {
    ENGINE_CLASS(JournalMenu, Screen)

public:
    static constexpr float kPageTurnSeconds = 0.5f;

    JournalMenu();
    ~JournalMenu() override;

    /// Opens at the current level's page (or, while that has no entry, at
    /// the page on show last time or the first filled one).
    bool OnPush() override;
    void Update() override;
    /// Clicks (201) of the three buttons; every other message but the
    /// generic screen messages is taken and dropped.
    bool Message(int32_t message, Object* sender) override;
    /// The page first, the buttons over it.
    bool Draw() override;

    /// The page scene on show; null when its file did not load.
    Scene* PageScene() const { return pageScene.get(); }

    Link<Button> backButton;
    Link<Button> nextButton;
    Link<Button> closeButton;

private:
    void ShowJournalPage();
    void TurnPage(int32_t delta);

    std::unique_ptr<Scene> pageScene;
};
