#include "tests/core/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "base/report.h"

namespace {
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
