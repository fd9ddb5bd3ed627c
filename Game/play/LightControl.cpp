#include "play/LightControl.h"

#include "anim/Emitter.h"
#include "audio/BaseSound.h"
#include "audio/Sound.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "core/Random.h"
#include "render/Lightmap.h"

#include <cstdlib>

LightControl::LightControl() {
    Name.SetFirstString("NewLightControl");
    DeclareString("source", source, 1, this, "");
    DeclareString("widget", widget, 1, this, "");
    DeclareString("emitter", emitter, 1, this, "");
    DeclareString("sparkSound", sparkSound, 1, this, "");
    DeclareFloat("flickerRate", flickerRate, 1, this, 0.1f);
    DeclareFloat("flickerRange", flickerRange, 2, this, 0.8f);
    flickerRange.SetFloat(1, 1.0f);
    DeclareFloat("flickerPeriod", flickerPeriod, 2, this, 0.0f);
    flickerPeriod.SetFloat(1, 0.5f);
    DeclareFloat("flickerFrequency", flickerFrequency, 2, this, 3.0f);
    flickerFrequency.SetFloat(1, 5.0f);
    DeclareInt("flickerOdds", flickerOdds, 1, this, 4);
    DeclareInt("sparkOdds", sparkOdds, 1, this, 5);
    DeclareBool("enabled", enabled, 1, this, true);
}

LightControl::~LightControl() = default;

void LightControl::Update() {
    if (enabled.FirstBool()) {
        if (inBurst && !dimOnly) {
            StepFlicker();
        }
        StepBurst();
    }
    Element::Update();
}

float LightControl::Rate() {
    const float rate = flickerRate.FirstFloat();
    if (rate >= kMinFlickerRate) {
        return rate;
    }
    if (!reportedBadValues) {
        LogFormat("LightControl %s: flickerRate %g is too small; %g s used", GetName(), double(rate),
                  double(kMinFlickerRate));
        reportedBadValues = true;
    }
    return kMinFlickerRate;
}

int32_t LightControl::Odds(const Var& odds) {
    const int32_t value = odds.FirstInt();
    if (value >= 1) {
        return value;
    }
    if (!reportedBadValues) {
        LogFormat("LightControl %s: odds of %d are below 1; 1 used", GetName(), value);
        reportedBadValues = true;
    }
    return 1;
}

void LightControl::SetAlphas(float alpha, bool onlyVisible) {
    if (Widget* picture = widget.Get(0); picture && picture->Color.GetCount() >= 4) {
        if (!onlyVisible || picture->Visible.FirstBool()) {
            picture->Color.SetFloat(3, alpha);
        }
    }
    if (Light* lamp = source.Get(0); lamp && lamp->Color.GetCount() >= 4) {
        if (!onlyVisible || (lamp->Visible.FirstBool() && lamp->Color.GetFloat(3) != 0.0f)) {
            lamp->Color.SetFloat(3, alpha);
        }
    }
}

void LightControl::StepFlicker() {
    stepTimer -= frameTime;
    const float rate = Rate();
    while (stepTimer <= 0.0f) {
        SetAlphas(flickerRange.GetFloat(stepPhase ? 0 : 1), true);
        stepPhase = !stepPhase;
        stepTimer += rate;
    }
}

void LightControl::StepBurst() {
    burstTimer -= frameTime;
    if (burstTimer > 0.0f) {
        return;
    }
    inBurst = !inBurst;
    if (inBurst) {
        StartBurst();
    } else {
        burstTimer = Random(flickerFrequency.GetFloat(0), flickerFrequency.GetFloat(1));
        dimOnly = false;
    }
    SetAlphas(flickerRange.GetFloat(dimOnly ? 0 : 1), false);
}

void LightControl::StartBurst() {
    burstTimer = Random(flickerPeriod.GetFloat(0), flickerPeriod.GetFloat(1));
    if (std::rand() % Odds(sparkOdds) == 0) {
        if (Emitter* sparks = emitter.Get(0)) {
            sparks->SpawnBurst();
            if (Sound* sound = sparkSound.Get(0)) {
                sound->Implementation()->Play(false, 1.0f, Random(0.9f, 1.1f));
            }
        }
    }
    dimOnly = std::rand() % Odds(flickerOdds) != 0;
}
