-- The lamp room: the last place of the demo, a List level.
--
-- The keeper's things lie about the dark lamp room; the goal sheet lists up
-- to twelve kinds at a time. When the last is found the great lens burns
-- again, and the level completes: the outro story (lamp_room_outro) tells
-- the rest.

function Initialize()
    SetRootLevel("lamp_room")
    CreateTreasures()
    SetGoalMessage(message.lamp_done)
    CreateBoolParameter("noteGiven")
    CreateBoolParameter("sketchGiven")
end

function LaunchLevel()
    if not noteGiven then
        UpdateJournal("note")
        noteGiven = true
    end
    if AreAllTreasuresFound() then
        ShowObject("lens_light")
    else
        ShowMessage(message.lamp_intro, 6)
    end
end

-- The keeper's own lamp, once found, is sketched into the journal.
function Update()
    if not sketchGiven and not IsVisible("oil_lamp") then
        UpdateJournal("sketch")
        sketchGiven = true
    end
end

function AllTreasuresFound()
    ShowObject("lens_light")
    ShowMessage(message.lamp_done, 5)
    UpdateJournal("torn_map")
    CompleteLevel(5)
end
