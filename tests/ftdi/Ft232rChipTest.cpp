// The FT232R model on a clock of its own: packets, latency timer, purges.

#include <gtest/gtest.h>

#include "ftdi/Ft232rChip.h"

namespace kestrav::test {
namespace {

using namespace std::chrono_literals;
using Time = Ft232rChip::Time;

// A bridge that answers every character with two.
std::string twice(std::string_view c) { return std::string(2, c[0]); }

struct ChipAt {
  Ft232rChip chip{twice};
  Time t0 = Ft232rChip::Clock::now();

  ChipAt(int latencyMs, std::uint16_t divisor) {
    chip.control({0x09, static_cast<std::uint16_t>(latencyMs), 0}, 0, t0);
    chip.control({0x03, divisor, 0}, 0, t0);
  }
};

TEST(Ft232rChip, DivisorsGiveTheChipsRates) {
  EXPECT_EQ(Ft232rChip::baudOfDivisor(0, 0), 3000000);
  EXPECT_EQ(Ft232rChip::baudOfDivisor(1, 0), 2000000);
  EXPECT_EQ(Ft232rChip::baudOfDivisor(26, 0), 115385);     // 3 MBd / 26
  EXPECT_EQ(Ft232rChip::baudOfDivisor(0x4138, 0), 9600);   // 312.5: code 1 is half
  EXPECT_EQ(Ft232rChip::baudOfDivisor(0x0138, 1), 9604);  // code 4 (its top bit in wIndex) is 3/8
}

TEST(Ft232rChip, AShortReplyWaitsForTheLatencyTimer) {
  ChipAt c(16, 26);  // 115385 Bd, 16 ms
  c.chip.hostWrote("AB", c.t0);  // four characters back by about 0.5 ms
  Ft232rChip::InTransfer t{4096, c.t0 + 1ms, {}};
  // The timer started long ago: the first packet leaves at once, with what
  // had arrived by then.
  EXPECT_TRUE(c.chip.fill(t, c.t0 + 1ms));
  EXPECT_EQ(t.data, std::string("\x01\x60" "AABB", 6));
  Ft232rChip::InTransfer next{4096, c.t0 + 2ms, {}};
  EXPECT_FALSE(c.chip.fill(next, c.t0 + 16ms));
  EXPECT_TRUE(c.chip.fill(next, c.t0 + 17ms));
  EXPECT_EQ(next.data, "\x01\x60");  // idle: status only, one latency period later
  EXPECT_EQ(c.chip.packets(), (std::vector<std::size_t>{4, 0}));
}

TEST(Ft232rChip, SixtyTwoWaitingCharactersLeaveAtOnceAndTheTransferGoesOn) {
  ChipAt c(16, 0);  // 3 MBd: 3.3 us a character
  Ft232rChip::InTransfer first{4096, c.t0, {}};
  ASSERT_TRUE(c.chip.fill(first, c.t0));  // the expired timer's packet, empty
  c.chip.hostWrote(std::string(40, 'x'), c.t0);  // 80 characters back within 0.4 ms
  Ft232rChip::InTransfer t{4096, c.t0, {}};
  EXPECT_FALSE(c.chip.fill(t, c.t0 + 1ms));
  ASSERT_EQ(t.data.size(), 64u);  // one full packet already in the transfer
  EXPECT_EQ(t.data.substr(0, 2), "\x01\x60");
  EXPECT_FALSE(c.chip.fill(t, c.t0 + 16ms));
  EXPECT_TRUE(c.chip.fill(t, c.t0 + 17ms));  // ended by the rest when the timer ran out
  EXPECT_EQ(t.data.size(), 64u + 2 + 18);
  EXPECT_EQ(t.data.substr(64, 2), "\x01\x60");
}

TEST(Ft232rChip, APurgeDropsWhatArrivedButNotWhatIsStillOnTheLine) {
  ChipAt c(1, 0x4138);  // 9600 Bd: about 1 ms a character
  c.chip.hostWrote("A", c.t0);  // the answer arrives 2 and 3 ms after
  c.chip.control({0x00, 2, 0}, 0, c.t0 + 2500us);
  Ft232rChip::InTransfer t{4096, c.t0 + 10ms, {}};
  EXPECT_TRUE(c.chip.fill(t, c.t0 + 10ms));
  EXPECT_EQ(t.data, std::string("\x01\x60" "A", 3));
}

}  // namespace
}  // namespace kestrav::test
