ConsolePrint("a") ConsolePrint(1, 2) ConsolePrint(nil)
DeferCall("x = 1", 0) DeferCall("DeferCall([[y = 2]], 0)", -1, false) DeferCall(nil, nil)
