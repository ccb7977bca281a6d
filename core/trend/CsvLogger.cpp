#include "trend/CsvLogger.h"

#include <cerrno>
#include <cstring>

#include "trend/TrendClock.h"

namespace neva {

namespace {

// Removes the end of line of a text line read with fgets.
std::string chomp(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

}  // namespace

CsvLogger::~CsvLogger() { stop(); }

std::string CsvLogger::row(const CurrentSample& s) {
    std::string r = iso_time(s.time_ms);
    // The program's own number formatting: no locale, no thousands separator.
    for (Fixed4 a : s.amperes) r += "," + format_fixed(a, "0.00");
    return r;
}

std::string CsvLogger::file_for(const std::string& path, LogRotation rotation, std::int64_t t_ms) {
    if (rotation == LogRotation::None) return path;
    const DateTime t = civil_date_time(t_ms);
    char stamp[32];
    if (rotation == LogRotation::Hourly)
        std::snprintf(stamp, sizeof stamp, "-%04d-%02d-%02d_%02d", t.year, t.month, t.day, t.hour);
    else
        std::snprintf(stamp, sizeof stamp, "-%04d-%02d-%02d", t.year, t.month, t.day);
    // The stamp goes before the extension of the file name (not of a folder name).
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    const bool has_ext = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return has_ext ? path.substr(0, dot) + stamp + path.substr(dot) : path + stamp;
}

bool CsvLogger::start(const std::string& path, LogRotation rotation, std::int64_t now_ms) {
    stop();
    error_.clear();
    path_ = path;
    rotation_ = rotation;
    rows_ = 0;
    return open(file_for(path, rotation, now_ms));
}

bool CsvLogger::open(const std::string& name) {
    file_name_ = name;
    bool empty = true;
    if (std::FILE* existing = std::fopen(name.c_str(), "rb")) {
        char first[128] = {};
        const bool has_line = std::fgets(first, sizeof first, existing) != nullptr;
        std::fclose(existing);
        if (has_line) {
            if (chomp(first) != kHeader) {
                error_ = name + " already exists and is not a current log of this program; choose another file.";
                return false;
            }
            empty = false;
        }
    }
    file_ = std::fopen(name.c_str(), "ab");
    if (!file_) {
        error_ = "Cannot write " + name + ": " + std::strerror(errno) + ".";
        return false;
    }
    if (empty && (std::fputs(kHeader, file_) < 0 || std::fputc('\n', file_) == EOF || std::fflush(file_) != 0)) {
        fail(name, errno);
        return false;
    }
    return true;
}

void CsvLogger::fail(const std::string& what, int err) {
    error_ = "Writing " + what + " failed: " + std::strerror(err) + ".";
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool CsvLogger::stopped() {
    error_ += " Logging has stopped; the rows written before are kept.";
    return false;
}

bool CsvLogger::write(const CurrentSample& s) {
    if (!file_) return false;
    const std::string name = file_for(path_, rotation_, s.time_ms);
    if (name != file_name_) {
        std::fclose(file_);
        file_ = nullptr;
        if (!open(name)) return stopped();
    }
    const std::string line = row(s) + "\n";
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        fail(file_name_, errno ? errno : EIO);
        return stopped();
    }
    ++rows_;
    return true;
}

void CsvLogger::stop() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace neva
