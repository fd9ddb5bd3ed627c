local t = {} for i = 1, 1e7 do t[i] = string.rep("x", i) end
