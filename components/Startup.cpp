#include "components/Startup.h"

#include "components/QibGradPanel.h"
#include "components/QibLinkLabel.h"
#include "forms/Component.h"

namespace components {

void InitializeComponents() {
    forms::RegisterComponentClass<TQibGradPanel>("TQibGradPanel");
    forms::RegisterComponentClass<TQibLinkLabel>("TQibLinkLabel");
}

}  // namespace components
