-- The lighthouse point: the second level of the demo, a Pairs level.
--
-- Two of every kind of object lie about the jetty. The player clicks one
-- and then its twin; a click on another kind cancels the pair.

function Initialize()
    SetRootLevel("lighthouse")
    CreateTreasures()
    SetGoalMessage(message.lighthouse_done)
    CreateBoolParameter("noteGiven")
end

function LaunchLevel()
    if not noteGiven then
        UpdateJournal("note")
        noteGiven = true
    end
    if not AreAllTreasuresFound() then
        ShowMessage(message.lighthouse_intro, 6)
    end
end

-- The last pair found: the keeper's compass goes into the journal and the
-- lamp fails before the player's eyes (a movie); the level ends after it.
function AllTreasuresFound()
    UpdateJournal("sketch")
    PlayMovie("lamp")
end

-- The movie has ended or was skipped.
function OnVideoStop()
    UpdateJournal("torn_map")
    CompleteLevel(3)
end
