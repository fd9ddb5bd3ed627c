// Fuzz target: the asset generator's recipe reader and its typed getters
// never crash, and every error names the recipe and a line.
#include "Recipe.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Recipe recipe;
    std::string error;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!recipe.Parse("fuzz.config", text, error)) {
        if (error.rfind("fuzz.config:", 0) != 0) {
            std::abort();
        }
        return 0;
    }
    for (const RecipeEntry& entry : recipe.Entries()) {
        float numbers[3];
        Colour colour;
        int32_t whole = 0;
        std::string value;
        recipe.GetFloats(entry.key, numbers, 1 + static_cast<int32_t>(entry.value.size() % 3), -1000, 1000, true, error);
        recipe.GetInt(entry.key, whole, -5, 5, false, error);
        recipe.GetColour(entry.key, colour, true, error);
        recipe.GetText(entry.key, value, true, error);
        Recipe::Words(entry.value);
    }
    recipe.CheckKeys({"Kind", "Size"}, error);
    return 0;
}
