#include <gtest/gtest.h>

#include "forms/Forms.h"

namespace {
// The program's start-up, once per test program.
class ProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        forms::InitializeForms();
        forms::Application().SetTitle("Quorva");
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);
}  // namespace
