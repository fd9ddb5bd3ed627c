-- The harbour square: the first level of the demo, a List level.
--
-- The level's scene (harbour_square.scene) holds the painted square and the
-- objects hidden in it; every object with a "fancyName" is a treasure, and
-- the goal sheet lists up to twelve kinds of treasure at a time. Bare names
-- such as message.square_done hold their own text, so they can be written
-- without quotes.

-- Called once, after the level's files are loaded.
function Initialize()
    SetRootLevel("harbour_square")
    -- Registers every treasure and picks the first twelve kinds to find.
    CreateTreasures()
    -- Shown in the goal panel once everything is found.
    SetGoalMessage(message.square_done)
    -- Journal pieces already given; kept with the level's progress.
    CreateBoolParameter("journalGiven")
    CreateBoolParameter("noteGiven")
    CreateBoolParameter("sketchGiven")
end

-- Each time the level is entered. The journal is handed over once the
-- harbour master has spoken (see OnStoryDone); a player coming back to the
-- square already has it.
function LaunchLevel()
    if journalGiven then
        GiveJournal()
    end
end

-- Called after the intro story, when the player has heard what to do.
function OnStoryDone(story)
    ShowMessage(message.square_intro, 5)
    -- Maren hands over the keeper's journal: it rises in the middle of the
    -- square and flies to its place; its page opens with her note.
    if not journalGiven then
        GiveJournal()
        journalGiven = true
    end
    if not noteGiven then
        UpdateJournal("note")
        noteGiven = true
    end
    -- The story told of the Sea Lark: a sketch of her anchor joins the page.
    if not sketchGiven then
        UpdateJournal("sketch")
        sketchGiven = true
    end
end

-- Called when the last treasure is found.
function AllTreasuresFound()
    ShowMessage(message.square_done, 4)
    UpdateJournal("torn_map")
    CompleteLevel(3)
end
