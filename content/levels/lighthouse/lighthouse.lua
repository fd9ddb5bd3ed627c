-- The lighthouse point: the second level of the demo, a Pairs level.
--
-- Two of every kind of object lie about the jetty. The player clicks one
-- and then its twin; a click on another kind cancels the pair.

function Initialize()
    SetRootLevel("lighthouse")
    CreateTreasures()
    SetGoalMessage(message.lighthouse_done)
end

function LaunchLevel()
    if not AreAllTreasuresFound() then
        ShowMessage(message.lighthouse_intro, 6)
    end
end

function AllTreasuresFound()
    CompleteLevel(3)
end
