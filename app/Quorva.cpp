// The program block: start-up, the main window and the message loop.
#include <windows.h>

#include <exception>

#include "app/Main.h"
#include "bars/dxBar.h"
#include "controls/Startup.h"
#include "forms/Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    forms::InitializeForms();
    controls::InitializeControls();
    bars::InitializeBars();
    forms::Application().SetTitle("Quorva");
    std::unique_ptr<TfrmMain> frmMain;
    try {
        frmMain = TfrmMain::Create();
    } catch (...) {
        // A damaged stored description: say so and end, nothing half-built.
        forms::Application().HandleException();
        controls::FinalizeControls();
        return 1;
    }
    forms::Application().Run();
    frmMain.reset();
    controls::FinalizeControls();
    return 0;
}
