a = TestScriptFunction() TestScriptFunction(this) setmetatable(_G, {__index = function() error("x") end})
while true do pcall(function() while true do end end) end
