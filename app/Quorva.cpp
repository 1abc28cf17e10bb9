// The program block: start-up, the main window and the message loop.
#include <windows.h>

#include <exception>

#include "app/Main.h"
#include "forms/Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    forms::InitializeForms();
    forms::Application().SetTitle("Quorva");
    std::unique_ptr<TfrmMain> frmMain;
    try {
        frmMain = TfrmMain::Create();
    } catch (...) {
        // A damaged stored description: say so and end, nothing half-built.
        forms::Application().HandleException();
        return 1;
    }
    forms::Application().Run();
    return 0;
}
