#include "Sounds.h"

#include <cmath>

namespace {

bool ParseNotes(const Recipe& recipe, const RecipeEntry& entry, const std::vector<std::string>& words,
                std::vector<float>& notes, std::string& error) {
    for (const std::string& word : words) {
        float hertz = 0;
        if (!NoteFrequency(word, hertz)) {
            error = recipe.ErrorAt(&entry, "'" + word + "' is not a note (such as C4, F#3 or Bb2)");
            return false;
        }
        notes.push_back(hertz);
    }
    return true;
}

// "E5:1.5" or "-:1" (a rest).
template <typename Note>
bool ParseTimedNotes(const Recipe& recipe, const RecipeEntry& entry, const std::vector<std::string>& words,
                     std::vector<Note>& notes, float& beats, std::string& error) {
    beats = 0;
    for (const std::string& word : words) {
        const size_t colon = word.find(':');
        Note note;
        const std::string name = word.substr(0, colon);
        if (colon == std::string::npos || !Recipe::ParseFloat(word.substr(colon + 1), 0.0625f, 64, note.beats) ||
            (name != "-" && !NoteFrequency(name, note.hertz))) {
            error = recipe.ErrorAt(&entry, "'" + word + "' is not NOTE:BEATS (such as E5:1 or -:0.5 for a rest)");
            return false;
        }
        beats += note.beats;
        notes.push_back(note);
    }
    return true;
}

bool NotesOf(const Recipe& recipe, const char* key, std::vector<float>& notes, bool required, std::string& error) {
    const RecipeEntry* entry = recipe.Find(key);
    if (!entry) {
        if (required) {
            error = recipe.ErrorAt(nullptr, std::string("the recipe has no '") + key + "'");
        }
        return !required;
    }
    if (!ParseNotes(recipe, *entry, Recipe::Words(entry->value), notes, error)) {
        return false;
    }
    if (notes.empty() || notes.size() > 32) {
        error = recipe.ErrorAt(entry, std::string("'") + key + "' needs 1 to 32 notes");
        return false;
    }
    return true;
}

bool ReadSeed(const Recipe& recipe, uint32_t& seed, std::string& error) {
    int32_t value = 1;
    if (!recipe.GetInt("Seed", value, 0, 1 << 30, false, error)) {
        return false;
    }
    seed = static_cast<uint32_t>(value);
    return true;
}

bool MakeMusic(const Recipe& recipe, Pcm& out, std::string& error) {
    MusicParams params;
    if (!recipe.GetFloat("Tempo", params.tempo, 30, 240, true, error) ||
        !recipe.GetInt("BeatsPerBar", params.beatsPerBar, 2, 12, false, error) ||
        !recipe.GetFloat("Volume", params.volume, 0.05f, 1, false, error) || !ReadSeed(recipe, params.seed, error)) {
        return false;
    }
    const std::vector<const RecipeEntry*> bars = recipe.FindAll("Bar");
    if (bars.empty() || bars.size() > 256) {
        error = recipe.ErrorAt(bars.empty() ? nullptr : bars.back(), "music needs 1 to 256 'Bar' lines");
        return false;
    }
    for (const RecipeEntry* bar : bars) {
        const std::vector<std::string> words = Recipe::Words(bar->value);
        std::vector<std::string> chordWords, melodyWords;
        bool melody = false;
        for (const std::string& word : words) {
            if (word == "|") {
                melody = true;
            } else {
                (melody ? melodyWords : chordWords).push_back(word);
            }
        }
        std::vector<float> chord;
        std::vector<MusicNote> line;
        float beats = 0;
        if (chordWords.empty() || chordWords.size() > 8) {
            error = recipe.ErrorAt(bar, "a Bar is: 1 to 8 chord notes | melody NOTE:BEATS ...");
            return false;
        }
        if (!ParseNotes(recipe, *bar, chordWords, chord, error) ||
            !ParseTimedNotes(recipe, *bar, melodyWords, line, beats, error)) {
            return false;
        }
        if (melody && std::fabs(beats - static_cast<float>(params.beatsPerBar)) > 1e-3f) {
            error = recipe.ErrorAt(bar, "the melody of this bar lasts " + std::to_string(beats) + " beats, not " +
                                            std::to_string(params.beatsPerBar));
            return false;
        }
        params.chords.push_back(chord);
        params.melody.push_back(line);
    }
    out = SynthMusic(params);
    return true;
}

} // namespace

bool IsSoundKind(const std::string& kind) {
    return kind == "click" || kind == "chime" || kind == "whoosh" || kind == "fanfare" || kind == "music";
}

bool MakeSound(const Recipe& recipe, const std::string& kind, Pcm& out, float& quality, std::string& error) {
    quality = kind == "music" ? 0.4f : 0.5f;
    if (!recipe.GetFloat("Quality", quality, -0.1f, 1, false, error)) {
        return false;
    }
    if (kind == "click") {
        ClickParams p;
        if (!recipe.CheckKeys({"Kind", "Quality", "Pitch", "Length", "Noise", "Volume", "Seed"}, error) ||
            !recipe.GetFloat("Pitch", p.pitch, 40, 12000, false, error) ||
            !recipe.GetFloat("Length", p.length, 0.005f, 2, false, error) ||
            !recipe.GetFloat("Noise", p.noise, 0, 1, false, error) ||
            !recipe.GetFloat("Volume", p.volume, 0.01f, 1, false, error) || !ReadSeed(recipe, p.seed, error)) {
            return false;
        }
        out = SynthClick(p);
        return true;
    }
    if (kind == "chime") {
        ChimeParams p;
        if (!recipe.CheckKeys({"Kind", "Quality", "Notes", "Spacing", "Decay", "Volume"}, error) ||
            !NotesOf(recipe, "Notes", p.notes, true, error) ||
            !recipe.GetFloat("Spacing", p.spacing, 0, 2, false, error) ||
            !recipe.GetFloat("Decay", p.decay, 0.02f, 8, false, error) ||
            !recipe.GetFloat("Volume", p.volume, 0.01f, 1, false, error)) {
            return false;
        }
        out = SynthChime(p);
        return true;
    }
    if (kind == "whoosh") {
        WhooshParams p;
        if (!recipe.CheckKeys({"Kind", "Quality", "Length", "From", "To", "Volume", "Seed"}, error) ||
            !recipe.GetFloat("Length", p.length, 0.05f, 5, false, error) ||
            !recipe.GetFloat("From", p.from, 40, 15000, false, error) ||
            !recipe.GetFloat("To", p.to, 40, 15000, false, error) ||
            !recipe.GetFloat("Volume", p.volume, 0.01f, 1, false, error) || !ReadSeed(recipe, p.seed, error)) {
            return false;
        }
        out = SynthWhoosh(p);
        return true;
    }
    if (kind == "fanfare") {
        FanfareParams p;
        const RecipeEntry* notes = recipe.Find("Notes");
        float beats = 0;
        if (!recipe.CheckKeys({"Kind", "Quality", "Notes", "Chord", "Beat", "Volume"}, error) ||
            !recipe.GetFloat("Beat", p.beat, 0.03f, 2, false, error) ||
            !recipe.GetFloat("Volume", p.volume, 0.01f, 1, false, error) ||
            !NotesOf(recipe, "Chord", p.finalChord, false, error)) {
            return false;
        }
        if (!notes) {
            error = recipe.ErrorAt(nullptr, "the recipe has no 'Notes'");
            return false;
        }
        const std::vector<std::string> words = Recipe::Words(notes->value);
        if (words.empty() || words.size() > 64 || !ParseTimedNotes(recipe, *notes, words, p.notes, beats, error)) {
            if (error.empty()) {
                error = recipe.ErrorAt(notes, "'Notes' needs 1 to 64 NOTE:BEATS");
            }
            return false;
        }
        out = SynthFanfare(p);
        return true;
    }
    if (kind == "music") {
        return recipe.CheckKeys({"Kind", "Quality", "Tempo", "BeatsPerBar", "Bar", "Volume", "Seed"}, error) &&
               MakeMusic(recipe, out, error);
    }
    error = recipe.ErrorAt(recipe.Find("Kind"), "unknown sound kind '" + kind + "'");
    return false;
}
