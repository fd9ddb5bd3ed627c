-- The workbench of the boathouse, seen up close: a sub-level of the
-- boathouse (see boathouse.lua, which explains the whole puzzle). The iron
-- hook lies among the tools; the edges of the screen lead back.

function Initialize()
    -- Leaving this close-up returns to the boathouse.
    SetRootLevel("boathouse")
    BindItem("hook")
    EnableObject("hook")
    SetGoalMessage(message.bench_goal)
end

function hook_OnAcquire()
    SetGoalMessage(message.bench_done)
end
