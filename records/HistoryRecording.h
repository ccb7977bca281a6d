#pragma once
// The settings history of one program run: the database in the user's data folder
// and the recorder on the program's link. The database is opened when the first
// snapshot is taken, so a missing or broken one costs nothing until then and is
// reported then, through the recorder's on_failed.

#include <functional>
#include <memory>
#include <string>

#include "HistoryDatabase.h"
#include "history/HistoryRecorder.h"

namespace neva::records {

class HistoryRecording {
public:
    // `program` names the program in the snapshots ("NEVA Setup 2.0.2"); `port`
    // names the line at the moment of a snapshot.
    HistoryRecording(LinkController& link, const SharedState& state, const RegisterImages& images, const Clock& clock,
                     const std::string& program, std::function<std::string()> port,
                     std::string database_path = HistoryDatabase::default_path());

    HistoryDatabase& database() { return database_; }
    HistoryRecorder& recorder() { return recorder_; }

private:
    HistoryDatabase database_;
    HistoryRecorder recorder_;
};

}  // namespace neva::records
