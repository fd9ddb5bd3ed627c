-- Run in every level before the level's own script: helpers all levels share.

-- Plays a short sparkle on an object and a sound, to show that something
-- happened there.
function Celebrate(object)
    CombineBurst(object)
    PlaySound("ding")
end
