// The test binary's entry: runs every test with its own temporary HOME,
// XDG_DATA_HOME and XDG_RUNTIME_DIR, and starts it in that folder.
#include "support/TestEnvironment.h"

#include "core/Log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testing_support {
namespace {

std::string currentTempDir;
fs::path originalDirectory;
std::vector<std::string>* capturedLines = nullptr;

void CaptureLine(const char* line) {
    if (capturedLines) {
        capturedLines->push_back(line);
    }
}

class IsolationListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        char pattern[] = "/tmp/dunhaven-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) {
            std::abort();
        }
        currentTempDir = made;
        for (const char* sub : {"home", "data", "runtime", "work"}) {
            fs::create_directories(currentTempDir + "/" + sub);
        }
        setenv("HOME", (currentTempDir + "/home").c_str(), 1);
        setenv("XDG_DATA_HOME", (currentTempDir + "/data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (currentTempDir + "/runtime").c_str(), 1);
        fs::current_path(currentTempDir + "/work");
        ResetErrorCount();
    }

    void OnTestEnd(const ::testing::TestInfo&) override {
        std::error_code ignored;
        fs::current_path(originalDirectory, ignored);
        fs::remove_all(currentTempDir, ignored);
        currentTempDir.clear();
    }
};

} // namespace

const std::string& TestTempDir() {
    return currentTempDir;
}

LogCapture::LogCapture() {
    capturedLines = new std::vector<std::string>();
    AddLogListener(CaptureLine);
    SetLogToStandardOutput(false);
}

LogCapture::~LogCapture() {
    RemoveLogListener(CaptureLine);
    SetLogToStandardOutput(true);
    delete capturedLines;
    capturedLines = nullptr;
}

const std::vector<std::string>& LogCapture::Lines() const {
    return *capturedLines;
}

bool LogCapture::Contains(const std::string& fragment) const {
    for (const std::string& line : *capturedLines) {
        if (line.find(fragment) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void LogCapture::Clear() {
    capturedLines->clear();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    fs::path target(path);
    std::error_code ignored;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ignored);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace testing_support

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    testing_support::originalDirectory = fs::current_path();
    ::testing::UnitTest::GetInstance()->listeners().Append(new testing_support::IsolationListener);
    return RUN_ALL_TESTS();
}
