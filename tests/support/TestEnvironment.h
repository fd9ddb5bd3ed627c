#pragma once
// Test isolation and log capture.
//
// The shared test main gives every test a fresh temporary folder and points
// HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR into it, so saves and the
// single-instance lock never collide between tests or with a real
// installation. The folder is removed when the test ends.

#include <string>
#include <vector>

namespace testing_support {

/// The current test's private temporary folder (no trailing slash).
const std::string& TestTempDir();

/// Captures every LogLine while alive; standard output is muted meanwhile so
/// that expected errors do not clutter the test output.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& Lines() const;
    /// True when some captured line contains `fragment`.
    bool Contains(const std::string& fragment) const;
    void Clear();
};

/// Writes `bytes` to `path` (creating parent folders); false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);
/// The whole file, or an empty string when it cannot be read.
std::string ReadFile(const std::string& path);

} // namespace testing_support
