#include "HistoryRecording.h"

namespace neva::records {

HistoryRecording::HistoryRecording(LinkController& link, const SharedState& state, const RegisterImages& images,
                                   const Clock& clock, const std::string& program, std::function<std::string()> port,
                                   std::string database_path)
    : database_(std::move(database_path)),
      recorder_(link, state, images, clock, database_,
                HistoryRecorder::Identity{HistoryDatabase::user_name(), program, std::move(port)}) {}

}  // namespace neva::records
