#pragma once
// A fresh folder of its own under the system's temporary folder for each test that
// writes files, removed with the object; and whole files read and written as bytes.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace neva::testing {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("neva-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& dir() const { return dir_; }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

inline std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace neva::testing
