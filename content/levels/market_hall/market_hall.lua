-- The market: the third level of the demo, a Types level.
--
-- Ten spiral shells are hidden among the wares; any shell the player
-- clicks counts, and the goal panel counts down what is left.

function Initialize()
    SetRootLevel("market_hall")
    CreateTreasures()
    SetGoalMessage(message.market_done)
    CreateBoolParameter("noteGiven")
    CreateBoolParameter("shellGiven")
end

function LaunchLevel()
    if not noteGiven then
        UpdateJournal("note")
        noteGiven = true
    end
    if not AreAllTreasuresFound() then
        ShowMessage(message.market_intro, 6)
    end
end

-- Nothing else to hint in this level once the shells are found.
function OnHint()
    return ""
end

-- The first shell found is sketched into the journal.
function Update()
    if not shellGiven and not IsVisible("shell_1") then
        UpdateJournal("sketch")
        shellGiven = true
    end
end

function AllTreasuresFound()
    UpdateJournal("torn_map")
    CompleteLevel(3)
end
