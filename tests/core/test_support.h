// Helpers shared by the core tests.
#pragma once

#include <string>
#include <vector>

// Captures the error messages shown while it lives.
class CapturedMessages {
  public:
    CapturedMessages();
    ~CapturedMessages();
    const std::vector<std::u16string>& texts() const;
};

// A directory under the system's temporary folder, removed with its files.
std::string MakeTempDir();
void RemoveTree(const std::string& path);
