// The progress text of ostrel-service's transfers.
#include <gtest/gtest.h>

#include "TransferProgress.h"

namespace {

TEST(TransferProgress, TheBarTellsPercentBytesRateAndTimeLeftWithinTheTerminalWidth) {
    struct Case {
        std::uint64_t bytes, total;
        double seconds;
        int columns;
        const char* text;
    } cases[] = {
        // Nothing sent yet: no rate, so no time left to tell.
        {0, 8328, 0.0, 120, "[..............................]   0% 0/8328 bytes 0 B/s --:-- left"},
        {2500, 8328, 2.0, 120, "[#########.....................]  30% 2500/8328 bytes 1250 B/s 0:05 left"},
        {8328, 8328, 4.0, 120, "[##############################] 100% 8328/8328 bytes 2082 B/s 0:00 left"},
        {1000, 10000000, 1.0, 120, "[..............................]   0% 1000/10000000 bytes 1000 B/s 2:46:39 left"},
        // An empty file is done before it starts.
        {0, 0, 0.5, 120, "[##############################] 100% 0/0 bytes 0 B/s 0:00 left"},
        // Narrower terminals: the bar gives way so that the line never wraps.
        {131072, 262144, 10.0, 80, "[###############...............]  50% 131072/262144 bytes 13107 B/s 0:10 left"},
        {131072, 262144, 10.0, 60, "[######......]  50% 131072/262144 bytes 13107 B/s 0:10 left"},
        {131072, 262144, 10.0, 50, "50% 131072/262144 bytes 13107 B/s 0:10 left"},
        {131072, 262144, 10.0, 30, "50% 131072/262144 bytes 13107"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes) + "/" + std::to_string(c.total) + " in " + std::to_string(c.columns));
        const std::string bar = ProgressBar(c.bytes, c.total, c.seconds, c.columns);
        EXPECT_EQ(bar, c.text);
        EXPECT_LT(bar.size(), static_cast<std::size_t>(c.columns));
    }
}

TEST(TransferProgress, PlainLinesComeAtEachTenthAndWithTheFinalCount) {
    ProgressLines lines(1000);
    struct Step {
        std::uint64_t bytes;
        bool last;
        const char* line;
    } steps[] = {
        {0, false, "progress 0% 0/1000 bytes\n"},
        {50, false, ""},
        {100, false, "progress 10% 100/1000 bytes\n"},
        {199, false, ""},
        // A jump over several tenths gives one line.
        {350, false, "progress 35% 350/1000 bytes\n"},
        {390, false, ""},
        // Stopped part-way: the count it stopped at.
        {390, true, "progress 39% 390/1000 bytes\n"},
        {390, true, ""},
    };
    for (const Step& s : steps) EXPECT_EQ(lines.Update(s.bytes, s.last), s.line) << s.bytes;

    ProgressLines empty(0);
    EXPECT_EQ(empty.Update(0, true), "progress 100% 0/0 bytes\n");
}

}  // namespace
