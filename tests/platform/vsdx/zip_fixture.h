#pragma once
// Small zip containers built and taken apart in tests, independently of the
// package code under test.
#include <string>
#include <utility>
#include <vector>

namespace tw::vsdx::testing {

using Entries = std::vector<std::pair<std::string, std::string>>;

// A zip holding `entries` in the given order (deflated).
std::string makeZip(const Entries& entries);
// Every file entry of a zip with its uncompressed bytes, in stored order.
Entries readZip(const std::string& zipBytes);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

}  // namespace tw::vsdx::testing
