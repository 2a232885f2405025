#include "tests/core/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "base/report.h"
#include "record/step_recorder.h"
#include "record/undo_history.h"

namespace {
// The shell installs the recorder and the undo history into the stroke
// engine at start-up; the core tests start with them installed the same way.
class RecorderEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        SetStrokeRecorder(&kStepRecorder);
        SetStrokeKeeper(&kUndoKeeper);
    }
};
::testing::Environment* const recorderEnvironment =
    ::testing::AddGlobalTestEnvironment(new RecorderEnvironment());

std::vector<std::u16string> captured;
void CaptureSink(const char16_t* text) {
    captured.emplace_back(text);
}
ErrorSink previousSink = nullptr;
} // namespace

CapturedMessages::CapturedMessages() {
    captured.clear();
    previousSink = SetErrorSink(CaptureSink);
}

CapturedMessages::~CapturedMessages() {
    SetErrorSink(previousSink);
}

const std::vector<std::u16string>& CapturedMessages::texts() const {
    return captured;
}

std::string MakeTempDir() {
    std::random_device seed;
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
        std::filesystem::path dir = base / ("pindora-test-" + std::to_string(seed()));
        if (std::filesystem::create_directory(dir)) return dir.string();
    }
}

void RemoveTree(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
