#pragma once
// The loading picture: a progress bar drawn and presented for every file
// opened during a long load, so it moves although the frame loop is blocked.
//
// LoadingProgress counts the files a load is expected to open (the files
// directly inside each directory the game names) and, while active, is told of
// every file the file layer opens: it draws the picture with the fraction
// loaded so far, then counts the file. The file layer's open hook is taken
// only while a progress is active; the previous hook is put back after.
//
// DrawLoadingPicture draws the background (or a plain black or white
// picture), then the frame, fill and overlay sprites named by the global
// settings "LoadScreen_Frame", "LoadScreen_Fill" and "LoadScreen_Overlay"
// at the positions "LoadScreen_FramePos", "LoadScreen_FillPos" and
// "LoadScreen_OverlayPos" (screen pixels, origin top left). The fill is
// drawn with an alpha test that passes alpha > 1 − fraction, so its alpha
// channel orders the pixels that appear as loading advances. Missing
// sprites are not drawn. Main thread only.

#include <cstdint>
#include <functional>

class ScreenBackground;

/// Draws the loading picture, presents it and drops the textures it did not
/// use. With a background: the background beneath; without: clears to black
/// in the game's second look or for the default player, else to white.
void DrawLoadingPicture(float fraction, ScreenBackground* background);

class LoadingProgress {
public:
    /// Draws the picture for a fraction 0 … 1; the owner decides the background.
    using Drawer = std::function<void(float fraction)>;

    ~LoadingProgress();

    void SetDrawer(Drawer drawer);

    /// Empty directory: the progress stops and both counters are zeroed.
    /// Otherwise counts the files directly in `directory`; with `reset` the
    /// counters restart and the progress is active when any file is
    /// expected; without, the count is added.
    void Begin(const char* directory, bool reset);
    /// One file was opened: draws with loaded / expected, then counts it.
    /// Nothing while inactive.
    void OnFileOpened();

    bool Active() const { return active; }
    int32_t Loaded() const { return loaded; }
    int32_t Expected() const { return expected; }

private:
    void SetActive(bool value);

    Drawer drawer;
    int32_t loaded = 0;
    int32_t expected = 0;
    bool active = false;
    bool drawing = false;
};
