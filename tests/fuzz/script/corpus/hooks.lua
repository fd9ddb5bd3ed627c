function Update() Transition(2) Transition("a", {}) PlayMovie() PlayMovie("intro") end
function StartLevel() return Time() + FrameTime() end
this = {}
DeferCall("error()", 0)
