-- The keeper's study: a List level behind a sealed desk drawer.
--
-- As the level starts the drawer's Leapfrog board opens (puzzles/desk_drawer,
-- layout "drawer"). Solved or skipped, the drawer is open and stays open
-- (the parameter drawerOpen is saved with the level), and the keeper's
-- things are to be found about the room.

function Initialize()
    SetRootLevel("keepers_study")
    CreateTreasures()
    CreateBoolParameter("drawerOpen")
    SetGoalMessage(message.study_done)
end

function LaunchLevel()
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
    if result == "solved" then
        ShowMessage(message.study_drawer_solved, 6)
    else
        ShowMessage(message.study_drawer_forced, 6)
    end
end

function AllTreasuresFound()
    ShowMessage(message.study_done, 4)
    CompleteLevel(3)
end
