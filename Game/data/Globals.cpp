#include "data/Globals.h"

#include "core/EngineState.h"
#include "core/Link.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "core/SettingKeys.h"
#include "data/GameSettingKeys.h"
#include "render/Sprite.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

// Contents:
//   1. the settings table: name, kind, item count and default items
//   2. building the variables from it
//   3. loading and resolving

enum class Kind { Text, Int, Float, Bool, Sound, Sprite, Font, Scene };

// One declared setting. `items` holds the default items separated by "|";
// when the count is larger than the number of items the last one repeats.
// Sound patterns with several items get "%d" replaced by the item number + 1.
struct SettingDef {
    const char* name;
    Kind kind;
    int32_t count;
    const char* items;
};

constexpr int32_t kLevels = Globals::kDefaultLevelCount;

constexpr SettingDef kSettings[] = {
    // Product and window.
    {"GlobalsPath", Kind::Text, 1, "config/globals.scene"},
    {"CompanyName", Kind::Text, 1, "Korrindel"},
    {game_setting::kGameTitle.name, Kind::Text, 1, game_setting::kGameTitle.fallback},
    {"GameVersion", Kind::Text, 1, "1.0"},
    {setting::kDisplayWidth.name, Kind::Int, 1, setting::kDisplayWidth.fallback},
    {setting::kDisplayHeight.name, Kind::Int, 1, setting::kDisplayHeight.fallback},
    {"WindowIconId", Kind::Int, 1, "117"},
    // Files, directories and path patterns.
    {setting::kPackfilePath.name, Kind::Text, 1, setting::kPackfilePath.fallback},
    {"GameStateFilename", Kind::Text, 1, "state.scene"},
    {setting::kBackgroundFilename.name, Kind::Text, 1, setting::kBackgroundFilename.fallback},
    {"ObjectivesFilename", Kind::Text, 1, "%s%d_objectives.scene"},
    {"ConsoleConfigPath", Kind::Text, 1, "config/console.config"},
    {setting::kCursorConfigPath.name, Kind::Text, 1, setting::kCursorConfigPath.fallback},
    {game_setting::kLevelDirectory.name, Kind::Text, 1, game_setting::kLevelDirectory.fallback},
    {"LevelScriptExtension", Kind::Text, 1, "lua"},
    {setting::kInterfaceDirectory.name, Kind::Text, 1, setting::kInterfaceDirectory.fallback},
    {"MovieDirectory", Kind::Text, 1, "movies"},
    {"ItemDirectory", Kind::Text, 1, "items/%s.png"},
    {"SoundDirectory", Kind::Text, 1, "audio/%s.ogg"},
    {"MusicDirectory", Kind::Text, 1, "music/%s.ogg"},
    {"DialogueScriptPath", Kind::Text, 1, "dialogue/scripts/%s.lua"},
    {"DialogueTextPath", Kind::Text, 1, "dialogue/scripts/%s.config"},
    {"PartnerSplashFile", Kind::Text, 1, "splash/partner.jpg"},
    {"ShadersFilename", Kind::Text, 1, "config/shaders.lua"},
    {"ItemConfigPath", Kind::Text, 1, "config/items.config"},
    {"ItemScriptsPath", Kind::Text, 1, "config/items.lua"},
    {"VideoPath", Kind::Text, 1, "video/%s.scene"},
    {"PreLoadDirectories", Kind::Text, 1, "audio,fonts,gui,items,journal,puzzles,test"},
    {"PreLoadFileTypes", Kind::Text, 1, "tga,png,jpg,ogg,anim"},
    {"FlashlightMaskPath", Kind::Text, 1, "effects/flashlight_mask.tga"},
    {"PortalMaskPath", Kind::Text, 1, "effects/portal_mask.tga"},
    {"PortalBorderPath", Kind::Text, 1, "effects/portal_border.tga"},
    {"PortalEmitterPath", Kind::Text, 1, "effects/portal_emitter.widget"},
    {"DissolveMaskPath", Kind::Text, 1, "effects/dissolve_mask.tga"},
    {"DissolveBorderPath", Kind::Text, 1, "effects/dissolve_border.tga"},
    {"Quests", Kind::Scene, 1, "config/quests.scene"},
    {"Puzzle_Leapfrog", Kind::Text, 1, "puzzles/red_disc/red_disc.scene"},
    {"Movie_Intro", Kind::Text, 1, "intro"},
    {"Movie_Transformation", Kind::Text, 1, "transformation"},
    {"Movie_Ending", Kind::Text, 1, "ending"},
    // Path patterns.
    {"Path_MessageStrings", Kind::Text, 1, "message"},
    {"Path_LevelScripts", Kind::Text, 1, "levels/%s/%s.lua"},
    {"Path_LevelScenes", Kind::Text, 1, "levels/%s/%s.scene"},
    {"Path_TreasureFindAnims", Kind::Text, 1, "%s_OnFind"},
    {"Path_TreasureNames", Kind::Text, 1, "treasure.%s"},
    {"Path_PluralItemNames", Kind::Text, 1, "plurals.%s"},
    {"Path_DefaultObjectives", Kind::Text, 1, "config/objectives.scene"},
    {"Path_QuestName", Kind::Text, 1, "quests.%s"},
    {"Path_EmptyQuestName", Kind::Text, 1, "%s_puzzle"},
    {"Path_LocationName", Kind::Text, 1, "map.%s"},
    {"Path_LocationObjective", Kind::Text, 1, "location_%s"},
    {"Path_ArcadeScreens", Kind::Text, 1, "%sScreen"},
    {"Path_ArcadeGameName", Kind::Text, 1, "arcade.game_name_%d"},
    {"Path_ArcadeGameInfo", Kind::Text, 1, "arcade.game_info_%d"},
    {"Path_LevelIntroStory", Kind::Text, 1, "%s_intro"},
    {"Path_LevelOutroStory", Kind::Text, 1, "%s_outro"},
    {"Path_DialogueAnims", Kind::Text, 1, "dialogue/anims/%s.anim"},
    {"Path_DialogueAnimScenes", Kind::Text, 1, "dialogue/anims/%s.scene"},
    {"Path_WallpaperDirectory", Kind::Text, 1, "wallpaper/%s"},
    {"Path_WallpaperFileName", Kind::Text, 1, "%s.jpg"},
    {"Path_WallpaperStorage", Kind::Text, 1, "%s/Emberlow Wallpapers/%s.bmp"},
    {"Path_HelpText", Kind::Text, 1, "help.%s"},
    {"Path_HelpHeader", Kind::Text, 1, "help.%s_header"},
    {game_setting::kSecondWorldHud.name, Kind::Text, 1, game_setting::kSecondWorldHud.fallback},
    {game_setting::kFirstWorldHud.name, Kind::Text, 1, game_setting::kFirstWorldHud.fallback},
    {"Path_JournalPages", Kind::Text, 1, "journal/%s.scene"},
    {"Path_ItemSounds", Kind::Text, 1, "audio/%s.ogg"},
    {"Path_ItemNames", Kind::Text, 1, "item.%s"},
    {"Path_LevelAnims", Kind::Text, 1, "levels/%s/%s.anim"},
    {"Path_Puzzles", Kind::Text, 1, "puzzles/%s/%s.scene"},
    {"Path_StoryActors", Kind::Text, 1, "dialogue/actors/%s.png"},
    {"Path_StoryEmotes", Kind::Text, 1, "dialogue/actors/%s.png"},
    {"Path_GiveJournalScene", Kind::Text, 1, "gui/GameScreen/journal_appear.scene"},
    {"Path_GiveJournalAnim", Kind::Text, 1, "gui/GameScreen/journal_appear.anim"},
    {"Path_ObjectInfo", Kind::Text, 1, "info.%s_%s"},
    {"Path_ObjectHint", Kind::Text, 1, "hint.%s_%s"},
    {"Path_ObjectFail", Kind::Text, 1, "fail.%s_%s"},
    {"Path_CreditsLine", Kind::Text, 1, "credits.line_%d"},
    {setting::kGameCompleteBackground.name, Kind::Text, 1, setting::kGameCompleteBackground.fallback},
    {"Path_DiscFrames", Kind::Text, 1, "gui/GameScreen/disc/%s_gem_disc_%%d.tga"},
    // Dialogue presentation.
    {"ActorSpritePaths", Kind::Text, 1, "dialogue/actors/%s_%s.tga"},
    {"TalkBubbleFrames", Kind::Text, 2, "gui/DialogueScreen/%s_top.png|gui/DialogueScreen/%s_bottom.png"},
    {"TalkBubbleConnectors", Kind::Text, 2, "gui/DialogueScreen/%s_left.png|gui/DialogueScreen/%s_right.png"},
    // Game flow and content.
    {"FirstLevelType", Kind::Bool, 1, "true"},
    {"FirstLevelName", Kind::Text, 1, "memorial_plaza_objects"},
    {"LevelCount", Kind::Int, 1, "27"},
    {"LastPlayableLevel", Kind::Int, 1, "26"},
    {"JournalPageCount", Kind::Int, 1, "32"},
    {"FirstJournalPage", Kind::Text, 1, "memorial_plaza"},
    {"Levels", Kind::Text, kLevels,
     "bedroom|memorial_plaza|gas_station|bowling_alley|subway|bus_station|diner|movie_theater|hotel_lobby|"
     "castle_red|office_lobby|pool_hall|newspaper_stand|hardware_store|bar|park|museum|castle_green|"
     "art_gallery|furniture_store|sports_store|construction_site|foundry|factory|carnival|castle_blue|"
     "castle_complete"},
    {"DefaultBackgroundName", Kind::Text, 1, "bg"},
    {"FlashlightLightName", Kind::Text, 1, "player_light"},
    {"Game_DiscNames", Kind::Text, 3, "red_disc_0|green_disc_0|blue_disc_0"},
    {"Game_OrbNames", Kind::Text, 3, "red_disc_gem|green_disc_gem|blue_disc_gem"},
    {"Game_DiscColors", Kind::Text, kLevels,
     "||red|red|red|red|red|red|red||green|green|green|green|green|green|green||"
     "blue|blue|blue|blue|blue|blue|blue||"},
    {"Game_OrbCounts", Kind::Int, kLevels, "-1|-1|-1|1|2|3|4|5|6|-1|0|1|2|3|4|5|6|-1|0|1|2|3|4|5|6|-1|-1"},
    {"Map_Extents", Kind::Float, 4, "-690|-425|775|530"},
    {"Map_ArcadeMarker", Kind::Text, 1, "arcade"},
    {"Map_ProgressText", Kind::Text, 1, "str.map_progress"},
    {"Map_QuestMarker", Kind::Text, 1, "gui/MapScreen/quest/quest_marker_%d.tga"},
    {"Map_TreasureMarker", Kind::Text, 1, "gui/MapScreen/quest/treasure_marker_%d.tga"},
    {"Story_PlayerTag", Kind::Text, 1, "[PLAYER]"},
    {"Story_StartPage", Kind::Text, 1, "A"},
    {"DiaryMenu_LockedIcon", Kind::Sprite, 1, "gui/DiaryMenu/stub_image.png"},
    {"DiaryMenu_UnlockQuest", Kind::Text, 1, "bowling_alley_objects"},
    {"Objective_Title", Kind::Text, 1, "objectives.%s_%s"},
    {"Objective_Description", Kind::Text, 1, "objectives.%s_%s_desc"},
    {"Objective_Progress", Kind::Text, 1, "objectives.%s_progress"},
    {"Objective_Locked", Kind::Text, 1, "objectives.locked_text"},
    // Tuning, row by row.
    {"Tween", Kind::Float, 1, "0.5"},
    {"Game_CameraShakeTime", Kind::Float, 1, "0.3"},
    {"HintTime", Kind::Float, 1, "10"},
    {"Game_CameraShakeMagnitude", Kind::Float, 1, "4"},
    {"HintSparkleRate", Kind::Float, 1, "25"},
    {"Game_FlashlightShakeFrequency", Kind::Float, 1, "0.1"},
    {"HoverSparkleDelay", Kind::Float, 1, "1"},
    {"Game_FlashlightShakeMagnitude", Kind::Float, 1, "50"},
    {"VaporizeEmitRate", Kind::Float, 1, "35"},
    {"Game_IntroDelay", Kind::Float, 1, "1"},
    {"VaporizeFloatSpeed", Kind::Float, 1, "10"},
    {"Game_ShowMapDelay", Kind::Float, 1, "2"},
    {"TreasureGoalFeedbackDelay", Kind::Float, 1, "3"},
    {"Game_HintCooldownTime", Kind::Float, 1, "45"},
    {"CameraShakeZoom", Kind::Float, 1, "3"},
    {"Game_DefaultLevelEnergy", Kind::Int, 1, "100"},
    {"Game_DoodadGlowTime", Kind::Float, 1, "300"},
    {"Game_MaxLevelEnergy", Kind::Int, 1, "999"},
    {"Game_DoodadGlowColor", Kind::Float, 3, "1|1|1"},
    {"Game_DoodadGlowSize", Kind::Int, 1, "12"},
    {"Game_BogusClickThreshold", Kind::Float, 1, "3"},
    {"Game_LinkEmitterRate", Kind::Float, 1, "30"},
    {"Game_ItemEmitterDelay", Kind::Float, 1, "20"},
    {"Game_ItemEmitterRate", Kind::Float, 1, "0.4"},
    {"Game_ItemEmitterRateVariance", Kind::Float, 1, "0.1"},
    {"Game_GuideMessageTime", Kind::Float, 1, "5"},
    // User-interface text identifiers.
    {"String_Currency", Kind::Text, 1, "str.currency"},
    {"String_IsSingularLower", Kind::Text, 1, "str.is_singular_lower"},
    {"String_IsSingularUpper", Kind::Text, 1, "str.is_singular_upper"},
    {"String_IsPluralLower", Kind::Text, 1, "str.is_plural_lower"},
    {"String_IsPluralUpper", Kind::Text, 1, "str.is_plural_upper"},
    {"String_Numbers", Kind::Text, 10,
     "numbers.number_0|numbers.number_1|numbers.number_2|numbers.number_3|numbers.number_4|"
     "numbers.number_5|numbers.number_6|numbers.number_7|numbers.number_8|numbers.number_9"},
    {"String_ObjectiveCategories", Kind::Text, 4, "quest|secret|trinket|artwork"},
    {"String_PlayerWelcome", Kind::Text, 1, "str.player_welcome"},
    {"String_PlayerCompletion", Kind::Text, 1, "str.completion_text"},
    {"String_QuestionMarks", Kind::Text, 1, "str.question_marks"},
    {"String_Ok", Kind::Text, 1, "str.ok"},
    {"String_Cancel", Kind::Text, 1, "str.cancel"},
    {"String_Yes", Kind::Text, 1, "str.yes"},
    {"String_No", Kind::Text, 1, "str.no"},
    {"String_ItemLocked", Kind::Text, 1, "str.item_locked"},
    {"String_ClickToBuy", Kind::Text, 1, "str.click_to_buy"},
    {"String_ZeroPrice", Kind::Text, 1, "str.zero_price"},
    {"String_TooExpensive", Kind::Text, 1, "str.too_expensive"},
    {"String_AreaLocked", Kind::Text, 1, "str.area_locked"},
    {"String_NewGame", Kind::Text, 1, "str.new_game"},
    {"String_ResumeGame", Kind::Text, 1, "str.resume_game"},
    {"String_ExitLevel", Kind::Text, 1, "str.exit_level"},
    {"String_ReturnToMap", Kind::Text, 1, "str.return_to_map"},
    {"String_NoObjectivesUnlocked", Kind::Text, 1, "str.no_objectives_unlocked"},
    {"String_TicketColors", Kind::Text, 3, "str.red|str.green|str.blue"},
    {"String_TicketSingular", Kind::Text, 1, "str.ticket_singular"},
    {"String_TicketPlural", Kind::Text, 1, "str.ticket_plural"},
    {setting::kGamePausedText.name, Kind::Text, 1, setting::kGamePausedText.fallback},
    {"String_Pluralizer", Kind::Text, 1, "%s_pl"},
    {"String_ValidNameCharacters", Kind::Text, 1, "str.valid_name_characters"},
    {"Prompt_DeletePlayer", Kind::Text, 1, "prompt.delete_player"},
    {"Prompt_DeletePlayerYes", Kind::Text, 1, "prompt.delete_player_yes"},
    {"Prompt_DeletePlayerNo", Kind::Text, 1, "prompt.delete_player_no"},
    {"Prompt_PlayerExists", Kind::Text, 1, "prompt.player_exists"},
    {"Prompt_UnlockArcadeGame", Kind::Text, 1, "prompt.unlock_arcade_game"},
    {"Prompt_CantUnlockArcadeGame", Kind::Text, 1, "prompt.cant_unlock_arcade_game"},
    {"Prompt_ApplyWallpaper", Kind::Text, 1, "prompt.apply_new_wallpaper"},
    {"Prompt_TicketsWon", Kind::Text, 1, "prompt.tickets_won"},
    {"Prompt_SkipDialogue", Kind::Text, 1, "prompt.skip_dialogue"},
    {"Prompt_CantDeletePlayer", Kind::Text, 1, "prompt.cant_delete_player"},
    {"Prompt_ShortPlayerName", Kind::Text, 1, "prompt.short_player_name"},
    {"Prompt_GameComplete", Kind::Text, 1, "prompt.game_complete"},
    {"Prompt_FullscreenRestart", Kind::Text, 1, "prompt.fullscreen_restart"},
    {"Message_FindPairsSingular", Kind::Text, 1, "message.find_pair"},
    {"Message_FindPairsPlural", Kind::Text, 1, "message.find_pairs"},
    {"Message_FindTypes", Kind::Text, 1, "message.find_types"},
    {"Message_GenericFail", Kind::Text, 1, "message.generic_fail_%d"},
    {"Summary_QuestCompleted", Kind::Text, 1, "str.summary_quest_completed"},
    {"Summary_QuestUnlocked", Kind::Text, 1, "str.summary_quest_unlocked"},
    {"Summary_LocationUnlocked", Kind::Text, 1, "str.summary_location_unlocked"},
    {"Summary_SecretCompleted", Kind::Text, 1, "str.summary_secret_completed"},
    {"Summary_TrinketUnlocked", Kind::Text, 1, "str.summary_trinket_unlocked"},
    {"Summary_ArtworkUnlocked", Kind::Text, 1, "str.summary_artwork_unlocked"},
    {"Summary_EnergyEarned", Kind::Text, 1, "str.summary_energy_earned"},
    // Sounds.
    {"Sound_HintOpen", Kind::Sound, 1, "audio/hint_open.ogg"},
    {"Sound_HintShow", Kind::Sound, 1, "audio/hint_show.ogg"},
    {"Sound_JournalOpen", Kind::Sound, 1, "audio/journal_open.ogg"},
    {"Sound_JournalClose", Kind::Sound, 1, "audio/journal_close.ogg"},
    {"Sound_Navigate", Kind::Sound, 3, "audio/navigation_%d.ogg"},
    {"Sound_InventoryOpen", Kind::Sound, 2, "audio/inventory_open_%d.ogg"},
    {"Sound_InventoryGrab", Kind::Sound, 5, "audio/inventory_grab_%d.ogg"},
    {"Sound_InventoryDrop", Kind::Sound, 5, "audio/inventory_drop_%d.ogg"},
    {"Sound_Bogus", Kind::Sound, 1, "audio/bogus.ogg"},
    {"Sound_BadClick", Kind::Sound, 1, "audio/bad_click.ogg"},
    {"Sound_LevelStart", Kind::Sound, 1, "audio/map_level_start.ogg"},
    {"Sound_LevelComplete", Kind::Sound, 1, "audio/level_complete.ogg"},
    {"Sound_SublevelComplete", Kind::Sound, 1, "audio/sublevel_complete.ogg"},
    {"Sound_GoalComplete", Kind::Sound, 1, "audio/goal_complete.ogg"},
    {"Sound_TreasureFind", Kind::Sound, 5, "audio/inventory_grab_%d.ogg"},
    {"Sound_TreasureDock", Kind::Sound, 5, "audio/inventory_drop_%d.ogg"},
    {"Sound_FindFirstOfPair", Kind::Sound, 5, "audio/inventory_grab_%d.ogg"},
    {"Sound_MapChangeLevel", Kind::Sound, 1, "audio/map_change_a.ogg"},
    {"Sound_MapChangeExtra", Kind::Sound, 1, "audio/map_change_b.ogg"},
    {"Sound_DialogueChoice", Kind::Sound, 1, "audio/dialogue_choice.ogg"},
    {"Sound_DialogueActor", Kind::Sound, 1, "audio/dialogue_actor.ogg"},
    {"Sound_SampleDing", Kind::Sound, 1, "audio/ding.ogg"},
    {"Sound_UseObject", Kind::Sound, 10, "audio/use_object_%d.ogg"},
    {"Sound_ItemWhoosh", Kind::Sound, 5, "audio/item_whoosh_%d.ogg"},
    {"Sound_ScreenLock", Kind::Sound, 1, "audio/screen_lock.ogg"},
    {"Sound_ButtonUp", Kind::Sound, 1, "audio/button_up.ogg"},
    {"Sound_ButtonDown", Kind::Sound, 1, "audio/button_down.ogg"},
    {"Sound_ButtonOver", Kind::Sound, 1, "audio/button_over.ogg"},
    // Music, played by name.
    {"Music_DunhavenTitle", Kind::Text, 1, "music/happy_music_1.ogg"},
    {"Music_EmberlowTitle", Kind::Text, 1, "music/title.ogg"},
    {"Music_DunhavenMap", Kind::Text, 1, "music/happy_music_1.ogg"},
    {"Music_EmberlowMap", Kind::Text, 1, "music/map.ogg"},
    {"Music_Arcade", Kind::Text, 1, "music/arcade.ogg"},
    {"Music_Game", Kind::Text, 1, "music/game_music_1.ogg"},
    // Fonts.
    {setting::kHeaderFont.name, Kind::Font, 1, setting::kHeaderFont.fallback},
    {"Font_DefaultText", Kind::Font, 1, "fonts/Times_New_Roman_20.config"},
    {setting::kDialogueFont.name, Kind::Font, 1, setting::kDialogueFont.fallback},
    {"Font_ConsoleText", Kind::Font, 1, "fonts/Times_New_Roman_16.config"},
    {"Font_LevelGoals", Kind::Font, 1, "fonts/Times_New_Roman_20.config"},
    {"Font_Handwriting", Kind::Font, 1, "fonts/Handwriting_24.config"},
    {"Font_LevelGoalsBlack", Kind::Font, 1, "fonts/Times_New_Roman_Black_20.config"},
    {"Font_ItemText", Kind::Font, 1, "fonts/Times_New_Roman_16.config"},
    {"Font_ItemTextBlack", Kind::Font, 1, "fonts/Times_New_Roman_Black_16.config"},
    // Cursors: item 0 for the first world, item 1 for the second.
    {"Cursor_Default", Kind::Sprite, 2, "gui/Cursor/dunhaven_default.png|gui/Cursor/emberlow_default.png"},
    {"Cursor_Link", Kind::Sprite, 2, "gui/Cursor/dunhaven_link.png|gui/Cursor/emberlow_link.png"},
    {"Cursor_Exit", Kind::Sprite, 2, "gui/Cursor/dunhaven_exit.png|gui/Cursor/emberlow_exit.png"},
    {"Cursor_Use", Kind::Sprite, 2, "gui/Cursor/dunhaven_use.png|gui/Cursor/emberlow_use.png"},
    {"Cursor_Info", Kind::Sprite, 2, "gui/Cursor/dunhaven_info.png|gui/Cursor/emberlow_info.png"},
    {"Cursor_Hotspots", Kind::Float, 10, "1|1|11|11|25|25|1|1|1|1"},
    // Loading screen.
    {"LoadScreen_Frame", Kind::Sprite, 1, "gui/LoadScreen/frame.png"},
    {"LoadScreen_Fill", Kind::Sprite, 1, "gui/LoadScreen/fill.tga"},
    {"LoadScreen_Overlay", Kind::Sprite, 1, "gui/LoadScreen/overlay.png"},
    {"LoadScreen_FramePos", Kind::Float, 2, "808|712"},
    {"LoadScreen_FillPos", Kind::Float, 2, "820|724"},
    {"LoadScreen_OverlayPos", Kind::Float, 2, "870|725"},
};

constexpr const char* kLoadScreenSprites[] = {"LoadScreen_Frame", "LoadScreen_Fill", "LoadScreen_Overlay"};

std::unique_ptr<Var> MakeVariable(Kind kind) {
    switch (kind) {
    case Kind::Sprite:
        return std::make_unique<Link<Sprite>>();
    case Kind::Scene:
        return std::make_unique<Link<Scene>>();
    default:
        return std::make_unique<Var>();
    }
}

// Item `index` of the "|"-separated default list; the last item repeats.
std::string DefaultItem(std::string_view items, int32_t index) {
    std::string_view rest = items;
    for (int32_t i = 0;; ++i) {
        const size_t bar = rest.find('|');
        if (i == index || bar == std::string_view::npos) {
            return std::string(rest.substr(0, bar));
        }
        rest.remove_prefix(bar + 1);
    }
}

// "%d" in a sound pattern becomes the item's number, counted from 1.
std::string NumberedItem(const std::string& pattern, int32_t index) {
    const size_t at = pattern.find("%d");
    if (at == std::string::npos) {
        return pattern;
    }
    return pattern.substr(0, at) + std::to_string(index + 1) + pattern.substr(at + 2);
}

bool DeclareSetting(const SettingDef& def, Var& var, Element* owner) {
    switch (def.kind) {
    case Kind::Int:
        return DeclareInt(def.name, var, def.count, owner, 0);
    case Kind::Float:
        return DeclareFloat(def.name, var, def.count, owner, 0.0f);
    case Kind::Bool:
        return DeclareBool(def.name, var, def.count, owner, false);
    default:
        return DeclareString(def.name, var, def.count, owner, "");
    }
}

} // namespace

Globals::Globals() {
    settings.reserve(std::size(kSettings));
    for (const SettingDef& def : kSettings) {
        std::unique_ptr<Var> var = MakeVariable(def.kind);
        if (!DeclareSetting(def, *var, this)) {
            continue;
        }
        const bool numbered = def.kind == Kind::Sound && def.count > 1;
        for (int32_t i = 0; i < def.count; ++i) {
            std::string item = DefaultItem(def.items, i);
            if (numbered) {
                item = NumberedItem(item, i);
            }
            var->SetItemFromText(i, item.c_str());
        }
        settings.push_back(std::move(var));
    }
}

Globals::~Globals() = default;

String GlobalsDefault(const char* name, int32_t index) {
    if (!name || index < 0) {
        return String();
    }
    for (const SettingDef& def : kSettings) {
        if (std::string_view(def.name) != name) {
            continue;
        }
        if (index >= def.count) {
            return String();
        }
        std::string item = DefaultItem(def.items, index);
        if (def.kind == Kind::Sound && def.count > 1) {
            item = NumberedItem(item, index);
        }
        return String(item.c_str());
    }
    return String();
}

const Var& Globals::Setting(const char* name) {
    static const Var empty;
    const Var* var = FindProperty(name);
    return var ? *var : empty;
}

void Globals::ResolveLinks() {
    // The loading-bar pictures first, so the bar can be drawn during the rest.
    // Until the resource manager installs its finder, sprite links resolve to
    // null and the loading bar simply has nothing to draw.
    for (const char* name : kLoadScreenSprites) {
        if (Var* var = FindProperty(name)) {
            var->Resolve();
        }
    }
    // Then everything else: cursors, the locked diary icon and the quest scene.
    // The sounds and fonts are path texts for now; they join this pass once
    // they are links to the sound and font resources.
    Resolve();
    ClearChangedMarks();
}

Globals* GetGlobals() {
    return ObjectCast<Globals>(globals);
}

bool LoadGlobals() {
    Globals* target = GetGlobals();
    if (!target) {
        return false;
    }
    // The path is read before the file is, so the file cannot redirect itself.
    const String path(target->GetString("GlobalsPath"));
    std::unique_ptr<Scene> loaded = LoadScene(path.CStr());
    if (!loaded) {
        LogFormat("Global settings: %s not loaded; the built-in defaults stay", path.CStr());
        return false;
    }
    Element* source = nullptr;
    loaded->Elements().Sort();
    for (auto& entry : loaded->Elements().Entries()) {
        if (entry.value && entry.value->IsA(Globals::StaticClassName())) {
            source = entry.value;
            break;
        }
    }
    if (source) {
        // The global instance keeps its own name; only the settings change.
        const String ownName(target->GetName());
        target->CopyPropertiesFrom(*source);
        target->Name.SetFirstString(ownName.CStr());
    } else {
        LogFormat("Global settings: %s has no Globals element; the built-in defaults stay", path.CStr());
    }
    // The lists filled from the item definitions are read by the item catalogue.
    return source != nullptr;
}

void ResolveGlobals() {
    if (Globals* target = GetGlobals()) {
        target->ResolveLinks();
    }
}
