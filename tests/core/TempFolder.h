// Small file helpers for the core tests: a private temporary folder that removes itself, and whole-file
// reads and writes of raw bytes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

class TempFolder {
public:
    TempFolder() {
        // A fresh name of our own, created exclusively: create_directory is false when it exists.
        static std::mt19937_64 generator{std::random_device{}()};
        std::error_code ec;
        for (int attempt = 0; attempt < 100; ++attempt) {
            FPath = std::filesystem::temp_directory_path() / ("qor-core-" + std::to_string(generator()));
            if (std::filesystem::create_directory(FPath, ec)) {
                return;
            }
        }
        ADD_FAILURE() << "cannot create a temporary folder";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(FPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

    // The names in the folder, to show that nothing was left behind.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(FPath)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path FPath;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
