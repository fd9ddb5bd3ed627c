-- The lantern festival on the quay: the demo's ending.
--
-- One paper lantern waits on a crate for the first flame. Lit (found), it
-- sets every lantern of the quay glowing and the game completes: the
-- credits roll, and the title then offers to start over.

-- The glows of the strings of lanterns over the quay.
local glows = { "glow_1", "glow_2", "glow_3", "glow_4", "glow_5", "glow_6",
                "glow_7", "glow_8", "glow_9", "glow_10", "glow_11", "glow_12" }

function Initialize()
    SetRootLevel("festival")
    CreateTreasures()
    SetGoalMessage(message.festival_done)
end

function LaunchLevel()
    if AreAllTreasuresFound() then
        LightTheQuay()
    else
        ShowMessage(message.festival_intro, 8)
    end
end

function LightTheQuay()
    ShowObject("first_glow")
    for i = 1, table.getn(glows) do
        ShowObject(glows[i])
    end
end

function AllTreasuresFound()
    LightTheQuay()
    ShowMessage(message.festival_done, 6)
    CompleteGame()
end
