#include "controls/Startup.h"

#include "controls/cxButtons.h"
#include "controls/cxGraphics.h"
#include "controls/cxLookAndFeels.h"
#include "controls/dxThemeManager.h"
#include "forms/Component.h"

namespace controls {

void InitializeControls() {
    InitializeGraphics();
    InitializeThemeManager();
    InitializeLookAndFeels();
    forms::RegisterComponentClass<TcxImageList>("TcxImageList");
    forms::RegisterComponentClass<TcxButton>("TcxButton");
    forms::RegisterComponentClass<TcxLookAndFeelController>("TcxLookAndFeelController");
}

void FinalizeControls() {
    FinalizeLookAndFeels();
    FinalizeThemeManager();
    FinalizeGraphics();
}

}  // namespace controls
