#pragma once
// The settings history: snapshots of the relay's setpoint blocks in an SQLite
// database in the user's data folder ($XDG_DATA_HOME/neva-setup/history.sqlite).
// The file is created for the user alone; its schema carries a version and is
// brought up to date step by step when an older file is opened; every snapshot is
// written in one transaction, so an interrupted write leaves none of it behind.
// A locked, read-only or damaged database fails with a reason and never waits
// long: the program's reads and writes of the relay go on without it.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/Snapshot.h"

namespace neva::records {

class HistoryDatabase : public SnapshotStore {
public:
    // Version 1: one table, both blocks as one value. Version 2: the line's speed
    // and the program that took the snapshot, one row per block, an index to list
    // a relay's snapshots.
    static constexpr int kSchemaVersion = 2;

    // history.sqlite in the user's data folder (ProgramFolders::user_data_folder()).
    static std::string default_path();
    // The computer user running the program ("" when the system does not say).
    static std::string user_name();

    explicit HistoryDatabase(std::string path = default_path());
    ~HistoryDatabase() override;
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // Opens the file (creating it and its folder when missing) and brings the schema
    // up to date. Done by every other call when needed.
    bool open(std::string& error);
    const std::string& path() const { return path_; }

    bool add(Snapshot& snapshot, std::string& error) override;
    // Every snapshot without its setpoints, newest first.
    std::optional<std::vector<Snapshot>> list(std::string& error);
    std::optional<Snapshot> get(std::int64_t id, std::string& error);

    // The schema version the file holds (0 for a new file), -1 when unreadable.
    // -1 when it cannot be read, with the database's reason in `why`.
    int schema_version(QString* why = nullptr);
    // Opens the file and applies the steps up to `version` only: tests build the
    // files of earlier versions with it.
    bool open_at_version(int version, std::string& error);

private:
    bool migrate(int target, std::string& error);
    bool fail(std::string& error, const std::string& what, const QString& why);

    std::string path_;
    QString connection_;
    bool open_ = false;
};

}  // namespace neva::records
