// The level script's gadget functions: creating gadgets over the scene's
// doodads and changing their flags and states. Like every level function, a
// wrong argument count does nothing; a name that names no gadget of the
// right kind does nothing and logs one line naming the function.
#include "play/QuestScreen.h"

#include "core/Log.h"
#include "play/ItemDatabase.h"
#include "script/ScriptArgs.h"

#include <initializer_list>
#include <memory>

namespace {

QuestScreen* Quest(ScriptArgs& args) {
    return QuestScreen::ForScript(args.State());
}

// The gadget named by argument 1 among `types` (any type when empty).
Gadget* Named(QuestScreen& quest, ScriptArgs& args, const char* function,
              std::initializer_list<int32_t> types = {}) {
    const char* name = args.Text(1);
    Gadget* gadget = name ? quest.gadgets.Find(name) : nullptr;
    bool fits = gadget && types.size() == 0;
    for (int32_t type : types) {
        fits = fits || (gadget && gadget->GetType() == type);
    }
    if (!fits) {
        LogFormat("%s: level %s has no such gadget \"%s\"", function, quest.LevelName().CStr(), name ? name : "(nil)");
        return nullptr;
    }
    return gadget;
}

// ---- flags every gadget has ----

template <bool Enable> void EnableObject(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    Gadget* g = q && args.Count() == 1 ? Named(*q, args, Enable ? "EnableObject" : "DisableObject") : nullptr;
    if (!g) {
        return;
    }
    // Disabling an enabled gadget means it has served.
    if (!Enable && g->enabled) {
        g->used = true;
    }
    g->enabled = Enable;
}

void IsObjectEnabled(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    Gadget* g = q && args.Count() == 1 && args.Text(1) ? q->gadgets.Find(args.Text(1)) : nullptr;
    args.ReturnBool(g && g->enabled);
}

constexpr char kIgnoreObject[] = "IgnoreObject";
constexpr char kSetDeferredObjectFade[] = "SetDeferredObjectFade";
constexpr char kSetObjectBlocking[] = "SetObjectBlocking";
constexpr char kSetObjectGleam[] = "SetObjectGleam";
constexpr char kSetItemHideOnAcquire[] = "SetItemHideOnAcquire";
constexpr char kSetItemCarryOnAcquire[] = "SetItemCarryOnAcquire";
constexpr char kSetItemTweenOnAcquire[] = "SetItemTweenOnAcquire";

template <bool Gadget::*Flag, const char* Function> void SetFlag(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (Gadget* g = q && args.Count() == 2 ? Named(*q, args, Function) : nullptr) {
        g->*Flag = args.Bool(2);
    }
}

void SetObjectSound(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (Gadget* g = q && args.Count() == 2 && args.Text(2) ? Named(*q, args, "SetObjectSound") : nullptr) {
        q->SetGadgetSound(*g, args.Text(2));
    }
}

void SetObjectGleamTime(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    double seconds = 0;
    if (!q || args.Count() != 2 || !args.Number(2, seconds)) {
        return;
    }
    if (Gadget* g = Named(*q, args, "SetObjectGleamTime")) {
        g->gleamTimer = float(seconds);
    }
}

// ---- creation ----

void CreateSimple(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() == 1 && args.Text(1)) {
        // A simple gadget stands for the doodad of its name.
        auto simple = std::make_unique<Gadget>(args.Text(1), 1);
        simple->objects = {simple->name};
        q->AddGadget(std::move(simple), "QuestScreen::CreateSimple", true);
    }
}

void CreateLock(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() != 4 || !args.Text(1) || !args.Text(2) || !args.Text(3) || !args.Text(4)) {
        return;
    }
    q->AddGadget(std::make_unique<Lock>(args.Text(1), args.Text(2), args.Text(3), args.Text(4)),
                 "QuestScreen::CreateLock");
}

template <bool IsToggle> void CreateTwoState(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() != 3 || !args.Text(1) || !args.Text(2) || !args.Text(3)) {
        return;
    }
    if constexpr (IsToggle) {
        q->AddGadget(std::make_unique<Toggle>(args.Text(1), args.Text(2), args.Text(3)), "QuestScreen::CreateToggle");
    } else {
        q->AddGadget(std::make_unique<Switch>(args.Text(1), args.Text(2), args.Text(3)), "QuestScreen::CreateSwitch");
    }
}

void BindItem(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    const char* item = args.Count() == 1 ? args.Text(1) : nullptr;
    if (!q || !item) {
        return;
    }
    if (!GetItemDatabase().Has(item)) {
        LogFormat("BindItem: %s is not an item of the item database", item);
        return;
    }
    q->AddGadget(std::make_unique<Item>(item, nullptr), "QuestScreen::BindItem");
}

void StackItem(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    const char* item = args.Count() == 2 ? args.Text(1) : nullptr;
    if (!q || !item || !args.Text(2)) {
        return;
    }
    if (!GetItemDatabase().Has(item)) {
        LogFormat("StackItem: %s is not an item of the item database", item);
        return;
    }
    q->AddGadget(std::make_unique<Item>(args.Text(2), item), "QuestScreen::StackItem");
}

void CreateLevelLink(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() < 3 || args.Count() > 4 || !args.Text(1) || !args.Text(2) || !args.Text(3)) {
        return;
    }
    const bool treasureOrQuest = args.Count() == 4 && args.Bool(4);
    q->AddGadget(std::make_unique<LevelLink>(args.Text(1), args.Text(2), args.Text(3), treasureOrQuest),
                 "QuestScreen::CreateLevelLink");
}

// ---- states ----

void SetLockState(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (Gadget* g = q && args.Count() == 2 ? Named(*q, args, "SetLockState", {Gadget::kLockType}) : nullptr) {
        q->SetLockState(static_cast<Lock&>(*g), args.Bool(2));
    }
}

void SetLockExpendKey(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (Gadget* g = q && args.Count() == 2 ? Named(*q, args, "SetLockExpendKey", {Gadget::kLockType}) : nullptr) {
        static_cast<Lock&>(*g).expendKey = args.Bool(2);
    }
}

void GetLockState(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    Gadget* g = q && args.Count() == 1 && args.Text(1) ? q->gadgets.Find(args.Text(1)) : nullptr;
    args.ReturnBool(g && g->GetType() == Gadget::kLockType && static_cast<Lock*>(g)->state);
}

template <int32_t Type> void SetTwoState(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    const char* function = Type == Gadget::kToggleType ? "SetToggleState" : "SetSwitchState";
    if (Gadget* g = q && args.Count() == 2 ? Named(*q, args, function, {Type}) : nullptr) {
        q->SetSwitchState(static_cast<Switch&>(*g), args.Bool(2));
    }
}

template <int32_t Type> void GetTwoState(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    Gadget* g = q && args.Count() == 1 && args.Text(1) ? q->gadgets.Find(args.Text(1)) : nullptr;
    args.ReturnBool(g && g->GetType() == Type && static_cast<Switch*>(g)->state);
}

template <bool Item::*Flag, const char* Function> void SetItemFlag(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (Gadget* g = q && args.Count() == 2 ? Named(*q, args, Function, {Gadget::kItemType}) : nullptr) {
        static_cast<Item&>(*g).*Flag = args.Bool(2);
    }
}

void SetItemRequiresTool(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() != 2 || !args.Text(2)) {
        return;
    }
    if (Gadget* g = Named(*q, args, "SetItemRequiresTool", {Gadget::kItemType})) {
        static_cast<Item&>(*g).requiredTool = args.Text(2);
    }
}

void SetLevelLinkHint(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (Gadget* g = q && args.Count() == 2 ? Named(*q, args, "SetLevelLinkHint", {Gadget::kLevelLinkType}) : nullptr) {
        static_cast<LevelLink&>(*g).hint = args.Bool(2);
    }
}

} // namespace

void RegisterGadgetFunctions(ScriptState& state) {
    RegisterArgsFunction<EnableObject<true>>("EnableObject", state);
    RegisterArgsFunction<EnableObject<false>>("DisableObject", state);
    RegisterArgsFunction<IsObjectEnabled>("IsObjectEnabled", state);
    RegisterArgsFunction<SetFlag<&Gadget::ignore, kIgnoreObject>>("IgnoreObject", state);
    RegisterArgsFunction<SetObjectSound>("SetObjectSound", state);
    RegisterArgsFunction<SetFlag<&Gadget::deferredFade, kSetDeferredObjectFade>>("SetDeferredObjectFade", state);
    RegisterArgsFunction<SetFlag<&Gadget::block, kSetObjectBlocking>>("SetObjectBlocking", state);
    RegisterArgsFunction<SetFlag<&Gadget::gleam, kSetObjectGleam>>("SetObjectGleam", state);
    RegisterArgsFunction<SetObjectGleamTime>("SetObjectGleamTime", state);
    RegisterArgsFunction<CreateSimple>("CreateSimple", state);
    RegisterArgsFunction<CreateLock>("CreateLock", state);
    RegisterArgsFunction<SetLockState>("SetLockState", state);
    RegisterArgsFunction<GetLockState>("GetLockState", state);
    RegisterArgsFunction<SetLockExpendKey>("SetLockExpendKey", state);
    RegisterArgsFunction<CreateTwoState<false>>("CreateSwitch", state);
    RegisterArgsFunction<SetTwoState<Gadget::kSwitchType>>("SetSwitchState", state);
    RegisterArgsFunction<GetTwoState<Gadget::kSwitchType>>("GetSwitchState", state);
    RegisterArgsFunction<CreateTwoState<true>>("CreateToggle", state);
    RegisterArgsFunction<SetTwoState<Gadget::kToggleType>>("SetToggleState", state);
    RegisterArgsFunction<GetTwoState<Gadget::kToggleType>>("GetToggleState", state);
    RegisterArgsFunction<BindItem>("BindItem", state);
    RegisterArgsFunction<StackItem>("StackItem", state);
    RegisterArgsFunction<SetItemFlag<&Item::hideOnAcquire, kSetItemHideOnAcquire>>("SetItemHideOnAcquire", state);
    RegisterArgsFunction<SetItemFlag<&Item::carryOnAcquire, kSetItemCarryOnAcquire>>("SetItemCarryOnAcquire", state);
    RegisterArgsFunction<SetItemFlag<&Item::tweenOnAcquire, kSetItemTweenOnAcquire>>("SetItemTweenOnAcquire", state);
    RegisterArgsFunction<SetItemRequiresTool>("SetItemRequiresTool", state);
    RegisterArgsFunction<CreateLevelLink>("CreateLevelLink", state);
    RegisterArgsFunction<SetLevelLinkHint>("SetLevelLinkHint", state);
}
