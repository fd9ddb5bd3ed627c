#include "render/FrameGroup.h"

#include "core/Log.h"
#include "render/Bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

FrameGroup::FrameGroup() {
    Name.SetFirstString("NewFrameGroup");
    DeclareString("format", format, 1, this, "");
    DeclareFloat("index", index, 1, this, 0.0f);
}

bool FrameGroup::Resolve() {
    const bool apply = !format.FirstString().Empty() && (format.IsChanged() || index.IsChanged());
    const bool resolved = Widget::Resolve();
    if (apply) {
        ApplyIndex();
    }
    return resolved;
}

void FrameGroup::ApplyIndex() {
    const float position = index.FirstFloat();
    const float whole = std::trunc(position);
    // Beyond this the frame numbers no longer fit an integer.
    if (!std::isfinite(position) || std::fabs(whole) > 1.0e9f) {
        return;
    }
    const int32_t f = static_cast<int32_t>(whole);
    String nameA;
    String nameB;
    if (!FormatOneInteger(format.FirstString().CStr(), f, nameA) ||
        !FormatOneInteger(format.FirstString().CStr(), f + 1, nameB)) {
        if (!reportedBadFormat) {
            LogFormat("FrameGroup %s: the format %s holds a directive other than one integer; ignored",
                      GetName(), format.FirstString().CStr());
            reportedBadFormat = true;
        }
        return;
    }
    const float u = 1.0f - (position - whole);
    const float alphaA = std::min(1.0f, 1.5f * u);
    const float alphaB = std::min(1.0f, 1.5f * (1.0f - u));
    for (Widget* child : Children()) {
        float alpha = 0.0f;
        if (std::strcmp(child->GetName(), nameA.CStr()) == 0) {
            alpha = alphaA;
        } else if (std::strcmp(child->GetName(), nameB.CStr()) == 0) {
            alpha = alphaB;
        }
        if (child->Color.GetCount() == 4) {
            child->Color.SetFloat(3, alpha);
        }
        child->Visible.SetFirstBool(alpha > 0.0f);
    }
}
