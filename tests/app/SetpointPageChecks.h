#pragma once
// Helpers of the setpoint page tests: the check that a page shows what the register map says it shows for an image.

#include <cstdint>

#include "image/RegisterImages.h"
#include "testing/SetpointWords.h"

namespace neva {
class SetpointPage;
}

namespace neva::apptest {

using neva::testing::put_word;
using neva::testing::word;
bool same_block(const SetpointImage& a, const SetpointImage& b, int block);

// Every control of the page shows the text (or check state) the register map's view
// gives for `stored`.
void expect_page_shows_image(const SetpointPage& page, const SetpointImage& stored);
// The same as a condition, for waiting on a page that refreshes itself.
bool page_shows_image(const SetpointPage& page, const SetpointImage& stored);

}  // namespace neva::apptest
