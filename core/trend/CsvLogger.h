#pragma once
// The current log: one CSV row per metering answer, ISO 8601 local time and the
// four currents in amperes with '.' as the decimal point whatever the computer's
// language. Every row is flushed as it is written, so a crash loses at most the row
// being written. Optionally a new file every hour or every day, named after the
// file the user chose ("feeder.csv" -> "feeder-2026-12-06_14.csv").
//
// A log is never destroyed: an existing log of this program is appended to, and
// any other existing file is refused. A write that fails (a full disk, a vanished
// USB stick) stops the logging with a reason for the user; the rows before it stay.

#include <cstdint>
#include <cstdio>
#include <string>

#include "trend/CurrentSample.h"

namespace neva {

enum class LogRotation { None, Hourly, Daily };

class CsvLogger {
public:
    static constexpr const char* kHeader = "time,phase_a_A,phase_b_A,phase_c_A,ground_A";

    CsvLogger() = default;
    ~CsvLogger();
    CsvLogger(const CsvLogger&) = delete;
    CsvLogger& operator=(const CsvLogger&) = delete;

    // One row without its line end: "2026-12-06T12:00:00.250,312.45,298.10,305.77,2.50".
    static std::string row(const CurrentSample& s);
    // The file a row stamped t goes to.
    static std::string file_for(const std::string& path, LogRotation rotation, std::int64_t t_ms);

    // Opens the file of the moment now_ms (so a file that cannot be written is
    // reported at once). False with error() when it cannot be used.
    bool start(const std::string& path, LogRotation rotation, std::int64_t now_ms);
    // Writes and flushes one row, in a new file when its hour or day has begun.
    // False, with logging stopped and error() set, when the row could not be written.
    bool write(const CurrentSample& s);
    void stop();

    bool active() const { return file_ != nullptr; }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    const std::string& file_name() const { return file_name_; }  // the file being written
    LogRotation rotation() const { return rotation_; }
    std::uint64_t rows() const { return rows_; }

private:
    bool open(const std::string& name);
    // Closes the file with the reason a write failed.
    void fail(const std::string& what, int err);
    // Ends a failed write() of a running log: says that logging stopped, once.
    bool stopped();

    std::FILE* file_ = nullptr;
    std::string path_, file_name_, error_;
    LogRotation rotation_ = LogRotation::None;
    std::uint64_t rows_ = 0;
};

}  // namespace neva
