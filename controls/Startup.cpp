#include "controls/Startup.h"

#include "controls/cxGraphics.h"
#include "forms/Component.h"

namespace controls {

void InitializeControls() {
    InitializeGraphics();
    forms::RegisterComponentClass<TcxImageList>("TcxImageList");
}

void FinalizeControls() { FinalizeGraphics(); }

}  // namespace controls
