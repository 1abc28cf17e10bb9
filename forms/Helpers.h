// Small helpers shared by every layer: functions looked up by name, the
// visual-styles flag and a guard that restores a variable.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace forms {

// Looks a function up by name in a loaded module (null: none) and gives it
// the type the caller declares; false, with a null function, when either
// is missing.
template <class F>
bool FindFunction(HMODULE module, const char* name, F& function) {
    function = module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
    return function != nullptr;
}

// A function of a system library that start-up need not load: the library
// is loaded by the first Get and stays for the process. F is the function's
// type (decltype of its declaration, which imports nothing); Get gives null
// when the library or the function is missing.
template <class F>
class TLibraryFunction {
public:
    TLibraryFunction(const char* library, const char* name) : FLibrary(library), FName(name) {}
    F* Get() {
        if (FLibrary) {
            FindFunction(::LoadLibraryA(FLibrary), FName, FFunction);
            FLibrary = nullptr;
        }
        return FFunction;
    }

private:
    const char* FLibrary;
    const char* FName;
    F* FFunction = nullptr;
};

// The application is drawn with visual styles. The one flag every layer
// reads: taken from the system on first use, then kept by the theme
// manager, which sets it again on every theme change.
bool VisualStylesActive();
void SetVisualStylesActive(bool active);
// Asks the system now: uxtheme (loaded by name when present) reports a
// theme active and in use by this program.
bool QueryVisualStylesActive();

// Sets a variable for the length of a scope and puts its old value back on
// exit, also when the scope is left by an exception.
template <class T>
class ScopedValue {
public:
    ScopedValue(T& variable, std::type_identity_t<T> value) : FVariable(variable), FSaved(std::exchange(variable, std::move(value))) {}
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;
    ~ScopedValue() { FVariable = std::move(FSaved); }

private:
    T& FVariable;
    T FSaved;
};

}  // namespace forms
