-- The keeper's study: a List level behind a sealed desk drawer.
--
-- As the level starts the drawer's Leapfrog board opens (puzzles/desk_drawer,
-- layout "drawer"). Solved or skipped, the drawer is open and stays open
-- (the parameter drawerOpen is saved with the level), and the keeper's
-- things are to be found about the room.
--
-- The journal's page for the study: the keeper's note about her drawer on
-- entering, a piece of her torn plan from the drawer, and the cliff path
-- once everything is found.

function Initialize()
    SetRootLevel("keepers_study")
    CreateTreasures()
    CreateBoolParameter("drawerOpen")
    CreateBoolParameter("noteGiven")
    SetGoalMessage(message.study_done)
end

function LaunchLevel()
    -- The journal's page for the study opens with the keeper's note about
    -- her drawer.
    if not noteGiven then
        UpdateJournal("note")
        noteGiven = true
    end
    if drawerOpen then
        ShowMessage(message.study_intro, 5)
    else
        ShowMessage(message.study_sealed, 4)
        PlayPuzzle("desk_drawer", "drawer")
    end
end

-- The board closed: "solved" or "skipped".
function OnPuzzleFinish(result)
    drawerOpen = true
    -- In the drawer lies a piece of the keeper's torn plan.
    UpdateJournal("torn_map")
    if result == "solved" then
        ShowMessage(message.study_drawer_solved, 6)
    else
        ShowMessage(message.study_drawer_forced, 6)
    end
end

function AllTreasuresFound()
    ShowMessage(message.study_done, 4)
    -- Everything found, the way on is clear: the cliff path is sketched in.
    UpdateJournal("sketch")
    CompleteLevel(3)
end
