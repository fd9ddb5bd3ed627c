#include "ResourceChecks.h"

#include "CheckReport.h"
#include "Recording.h"
#include "SceneChecks.h"

#include "core/ConfigTable.h"
#include "io/File.h"
#include "io/Resources.h"
#include "render/FontDescription.h"
#include "render/Image.h"

namespace {

// The reason the engine logged for the last failure about `subject`, in brackets.
std::string Reason(const Recording& recording, const std::string& subject) {
    const std::string line = recording.LogLineAbout(subject);
    return line.empty() ? "" : " (" + line + ")";
}

} // namespace

std::string FontDescriptionProblem(const std::string& path, Recording& recording) {
    ConfigTable table;
    if (!table.Load(path.c_str())) {
        return "font " + Quoted(path) + (Exists(path.c_str()) ? " cannot be read" : " not found");
    }
    String imagePath;
    if (!table.GetString(0, "ImagePath", imagePath) || imagePath.Empty()) {
        return "font " + Quoted(path) + " names no picture under \"ImagePath\"";
    }
    recording.TakeLog();
    Image image;
    if (!image.Load(imagePath.CStr()) || !image.ExpandDelta()) {
        const std::string picture(imagePath.CStr());
        return "font " + Quoted(path) + ": its picture " + Quoted(picture) +
               (Exists(picture.c_str()) ? " cannot be loaded" + Reason(recording, picture) : " not found");
    }
    FontDescription description;
    if (!ReadFontDescription(table, image, description, path.c_str())) {
        return "font " + Quoted(path) + " does not load" + Reason(recording, path);
    }
    return "";
}

std::string CursorConfigProblem(const std::string& path, Recording& recording) {
    ConfigTable table;
    if (!table.Load(path.c_str())) {
        return "cursor configuration " + Quoted(path) +
               (Exists(path.c_str()) ? " cannot be read" : " not found");
    }
    String sprite;
    if (!table.GetString(0, "Sprite", sprite) || sprite.Empty()) {
        return "cursor configuration " + Quoted(path) + " names no picture under \"Sprite\"";
    }
    recording.TakeLog();
    if (!Resources::FindSprite(sprite.CStr())) {
        return "cursor configuration " + Quoted(path) + ": " +
               UnresolvedResourceText("Sprite", sprite.CStr(), recording);
    }
    return "";
}
