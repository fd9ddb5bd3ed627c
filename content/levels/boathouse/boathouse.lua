-- The boathouse: the fourth place of the demo, a Puzzle level played through
-- this script. It is the example to read first when writing a level script.
--
-- The puzzle, as the player meets it:
--   1. the boat hangs from the winch, but the winch has no handle;
--   2. a coil of rope lies on the boards (an item to pick up);
--   3. the workbench opens a close-up of itself (the level boathouse_bench,
--      a sub-level), where the iron hook lies; the edges of the screen lead
--      back here;
--   4. rope and hook combine in the inventory into a grapple (the item
--      database says so: config/items.config);
--   5. with the grapple in hand the key on top of the lamp post can be
--      reached;
--   6. the key opens the chest; the winch handle lies inside;
--   7. the handle fits the winch, and the winch lowers the boat: done.
--
-- The journal's page for the boathouse fills as the player goes: the
-- keeper's note on entering, a sketch of the grapple once it has reached
-- the key, and the boat afloat at the end.
--
-- Names: every element of boathouse.scene, every item and every string key
-- is also a global holding its own name, so Find(rope) means Find("rope").
-- Texts live in text/message.config (message.KEY), text/hint.config (what
-- a click on an object not yet in play tells: hint.LEVEL_GADGET) and
-- text/fail.config (what a wrong try tells: fail.LEVEL_GADGET).

-- Called once when the level is loaded, before the saved progress is read:
-- declare the gadgets here. The saved progress then restores their state,
-- so nothing below needs to know whether the player was here before.
function Initialize()
    -- Both levels of the boathouse return to this one.
    SetRootLevel("boathouse")

    -- A simple gadget only gives the boat a name the rules know, so that a
    -- click on it shows hint.boathouse_boat_up while it is not in play.
    CreateSimple("boat_up")

    -- Items: a doodad named like an item of the item database becomes
    -- something to pick up. The key hangs too high for a bare hand: it
    -- needs the grapple in hand. The handle waits hidden in the chest.
    BindItem("rope")
    BindItem("key")
    SetItemRequiresTool("key", "grapple")
    BindItem("handle")

    -- A lock: its closed picture, its open picture and the item that
    -- opens it. The open picture is hidden until the lock opens; the key is
    -- used up (SetLockExpendKey("chest", false) would give it back).
    CreateLock("chest", "chest_closed", "chest_open", "key")

    -- A switch shows its off picture while off and its on picture while on.
    -- The winch is first a lock that the handle opens: its open picture is
    -- the switch's off picture, so the lever appears once the handle fits.
    -- The switch is declared first: declaring the lock after it hides the
    -- lever again.
    CreateSwitch("winch", "winch_off", "winch_on")
    CreateLock("winch_socket", "winch_bare", "winch_off", "handle")

    -- A level link: a click on the workbench shows the level
    -- boathouse_bench (loaded with this one: its name contains ours).
    CreateLevelLink("to_bench", "workbench", "boathouse_bench")

    -- A new gadget takes no clicks until it is enabled. The handle and the
    -- winch join later, when the story gets there.
    for _, gadget in ipairs({ "rope", "key", "chest", "winch_socket", "to_bench" }) do
        EnableObject(gadget)
    end

    -- What the goal panel says; changed as the player gets further.
    SetGoalMessage(message.boathouse_goal)

    -- Whether the keeper's note is in the journal yet: kept with the
    -- level's progress, so that it is given once.
    CreateBoolParameter("noteGiven")
end

-- Called each time the player comes into the level.
function LaunchLevel()
    -- The journal's page for the boathouse opens with the keeper's note.
    if not noteGiven then
        UpdateJournal("note")
        noteGiven = true
    end
    if not GetSwitchState("winch") then
        ShowMessage(message.boathouse_intro, 6)
    end
end

-- Hooks are named after a gadget and what happened to it.

function rope_OnAcquire()
    ShowMessage(message.boathouse_rope)
end

-- The grapple was made in the inventory (rope + hook).
function grapple_OnCombine()
    ShowMessage(message.boathouse_grapple)
end

function key_OnAcquire()
    -- The grapple has done its work: it is used up, and sketched into the
    -- journal.
    ExpendActiveItem()
    UpdateJournal("sketch")
end

function chest_OnUnlock()
    ShowObject("handle")
    EnableObject("handle")
    SetGoalMessage(message.boathouse_handle)
end

function winch_socket_OnUnlock()
    EnableObject("winch")
    SetGoalMessage(message.boathouse_lower)
end

-- The winch lowers the boat once; the level is then complete.
function winch_OnSwitch()
    HideObject("boat_up")
    ShowObject("boat_down")
    DisableObject("winch")
    SetGoalMessage(message.boathouse_done)
    UpdateJournal("torn_map")
    CompleteLevel(3)
end

-- The hint button: the next thing to do (a doodad's name), or "".
function OnHint()
    if IsObjectEnabled("rope") then
        return "rope"
    elseif not HasInventoryItem("hook") and not HasInventoryItem("grapple") and IsObjectEnabled("key") then
        return "workbench"
    elseif IsObjectEnabled("key") then
        return "key"
    elseif not GetLockState("chest") then
        return "chest_closed"
    elseif IsObjectEnabled("handle") then
        return "handle"
    elseif not GetLockState("winch_socket") then
        return "winch_bare"
    elseif not GetSwitchState("winch") then
        return "winch_off"
    end
    return ""
end
