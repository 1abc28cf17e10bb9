#include <gtest/gtest.h>

#include "forms/Forms.h"
#ifdef QUORVA_TEST_CONTROLS
#include "controls/Startup.h"
#endif
#ifdef QUORVA_TEST_COMPONENTS
#include "components/Startup.h"
#endif
#ifdef QUORVA_TEST_BARS
#include "bars/dxBarRegistry.h"
#endif

namespace {
// The program's start-up, once per test program.
class ProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        forms::InitializeForms();
#ifdef QUORVA_TEST_CONTROLS
        controls::InitializeControls();
#endif
#ifdef QUORVA_TEST_COMPONENTS
        components::InitializeComponents();
#endif
#ifdef QUORVA_TEST_BARS
        bars::InitializeBars();
#endif
        forms::Application().SetTitle("Quorva");
    }
    void TearDown() override {
#ifdef QUORVA_TEST_CONTROLS
        controls::FinalizeControls();
#endif
        forms::FinalizeForms();
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);
}  // namespace
