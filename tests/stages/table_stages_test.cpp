// The table passes in every instruction set against their plain versions:
// random tables, lengths around the vector blocks, with and without the
// swap, an output beside the band, over it, or none, and in place.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "stages/table_stages.h"
#include "support/instruction_sets.h"

namespace k7730::test {
namespace {

ChannelTables RandomTables(std::mt19937& rng) {
  ChannelTables t;
  for (auto& channel : t.channel)
    for (auto& v : channel) v = static_cast<std::uint8_t>(rng());
  return t;
}

std::vector<std::uint8_t> RandomBytes(std::size_t n, std::mt19937& rng) {
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

constexpr std::size_t kLengths[] = {0, 1, 2, 63, 64, 65, 127, 128, 191, 1000, 1844};

enum class Output { None, Beside, OverBand };

TEST(TableStages, BandPassGivesThePlainBytesInEverySet) {
  std::mt19937 rng(16);
  ForEachInstructionSet([&](InstructionSet) {
    for (std::size_t pixels : kLengths)
      for (bool swap : {false, true})
        for (Output output : {Output::None, Output::Beside, Output::OverBand}) {
          const ChannelTables band = RandomTables(rng), out = RandomTables(rng);
          const std::vector<std::uint8_t> source = RandomBytes(3 * pixels, rng);
          std::vector<std::uint8_t> expectBand = source, gotBand = source;
          // One spare pixel on either side of the output catches stray writes.
          std::vector<std::uint8_t> expectOut(3 * pixels + 6, 0xCD), gotOut = expectOut;
          auto target = [&](std::vector<std::uint8_t>& b, std::vector<std::uint8_t>& o) -> std::uint8_t* {
            return output == Output::None ? nullptr : output == Output::Beside ? o.data() + 3 : b.data();
          };
          ApplyBandTablesPlain(swap, expectBand.data(), target(expectBand, expectOut), pixels, band, out);
          ApplyBandTables(swap, gotBand.data(), target(gotBand, gotOut), pixels, band, out);
          ASSERT_EQ(gotBand, expectBand) << pixels << " pixels, swap " << swap << ", output " << int(output);
          ASSERT_EQ(gotOut, expectOut) << pixels << " pixels, swap " << swap << ", output " << int(output);
        }
  });
}

TEST(TableStages, ChannelTablesGiveThePlainBytesInEverySet) {
  std::mt19937 rng(17);
  ForEachInstructionSet([&](InstructionSet) {
    for (std::size_t pixels : kLengths)
      for (bool inPlace : {false, true}) {
        const ChannelTables t = RandomTables(rng);
        const std::vector<std::uint8_t> source = RandomBytes(3 * pixels + 6, rng);
        std::vector<std::uint8_t> expect = source, got = source;
        std::vector<std::uint8_t> expectOut(source.size(), 0xCD), gotOut = expectOut;
        std::uint8_t* expectDst = inPlace ? expect.data() + 3 : expectOut.data() + 3;
        std::uint8_t* gotDst = inPlace ? got.data() + 3 : gotOut.data() + 3;
        ApplyChannelTablesPlain(t, expectDst, expect.data() + 3, pixels);
        ApplyChannelTables(t, gotDst, got.data() + 3, pixels);
        ASSERT_EQ(got, expect) << pixels << " pixels, in place " << inPlace;
        ASSERT_EQ(gotOut, expectOut) << pixels << " pixels, in place " << inPlace;
      }
  });
}

// A destination one pixel after its source is read after being written by
// the plain pass; the vector pass must not read ahead of those writes.
TEST(TableStages, OverlappingDestinationAheadOfTheSourceKeepsThePlainOrder) {
  std::mt19937 rng(18);
  ForEachInstructionSet([&](InstructionSet) {
    const ChannelTables t = RandomTables(rng);
    const std::vector<std::uint8_t> source = RandomBytes(3 * 300, rng);
    std::vector<std::uint8_t> expect = source, got = source;
    ApplyChannelTablesPlain(t, expect.data() + 3, expect.data(), 299);
    ApplyChannelTables(t, got.data() + 3, got.data(), 299);
    ASSERT_EQ(got, expect);
  });
}

}  // namespace
}  // namespace k7730::test
