-- The market: the third level of the demo, a Types level.
--
-- Ten spiral shells are hidden among the wares; any shell the player
-- clicks counts, and the goal panel counts down what is left.

function Initialize()
    SetRootLevel("market_hall")
    CreateTreasures()
    SetGoalMessage(message.market_done)
end

function LaunchLevel()
    if not AreAllTreasuresFound() then
        ShowMessage(message.market_intro, 6)
    end
end

-- Nothing else to hint in this level once the shells are found.
function OnHint()
    return ""
end

function AllTreasuresFound()
    CompleteLevel(3)
end
