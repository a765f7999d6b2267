// Each run of this test program works in a folder of its own: the runs save their report under
// the name the tests' fixed clock gives, in the current folder, and CTest runs several tests of
// this program side by side, each in a process of its own.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace {

class OwnWorkingFolder : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::random_device random;
        do {
            folder_ = std::filesystem::current_path() / ("run-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(folder_));
        std::filesystem::current_path(folder_);
    }

    void TearDown() override
    {
        std::filesystem::current_path(folder_.parent_path());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::filesystem::path folder_;
};

const auto* const Registered = ::testing::AddGlobalTestEnvironment(new OwnWorkingFolder);

} // namespace
