// The program block: start-up, the two windows and the message loop.
#include <windows.h>

#include <functional>
#include <memory>

#include "app/About.h"
#include "app/Main.h"
#include "bars/dxBarRegistry.h"
#include "components/Startup.h"
#include "controls/Startup.h"
#include "forms/Forms.h"
#include "forms/Helpers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A failure anywhere, a damaged stored description say, is shown and
    // ends the program; the window is gone by then.
    int result = forms::RunProgram([] {
        forms::InitializeForms();
        controls::InitializeControls();
        components::InitializeComponents();
        bars::InitializeBars();
        forms::Application().SetTitle("Quorva");
        std::unique_ptr<TfrmMain> frmMain = TfrmMain::Create();
        // The About dialog is made once the main window is on screen, or
        // when it is asked for before that.
        std::unique_ptr<TfrmAbout> frmAbout;
        auto about = [&frmAbout]() -> TfrmAbout& {
            if (!frmAbout) frmAbout = TfrmAbout::Create();
            return *frmAbout;
        };
        frmMain->ShowAbout = [&about] { about().ShowModal(); };
        forms::ScopedValue<std::function<void()>> idle(forms::Application().OnIdle, [&about] { about(); });
        forms::Application().Run();
        return 0;
    });
    controls::FinalizeControls();
    forms::FinalizeForms();
    return result;
}
