// The module's memory on Windows: movable, zero-filled global memory locked
// once, released only through plugin_filter_disposPtr, which leaves every
// block that the module did not hand out alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "support/filter_fixture.h"

namespace k7730::test {
namespace {

TEST(Win32Memory, InstancesAreLockedMovableGlobalBlocks) {
  Filter f;
  HGLOBAL handle = ::GlobalHandle(f.get());
  ASSERT_NE(handle, nullptr);
  EXPECT_NE(handle, static_cast<HGLOBAL>(f.get())) << "a movable block's handle is not its address";
  EXPECT_EQ(::GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
  EXPECT_GT(::GlobalSize(handle), 0u);
}

// The fixture gives the buffer back by its address through plugin_filter_disposPtr.
TEST(Win32Memory, OutputBuffersAreZeroFilledAndReleasedByAddress) {
  Filter f;
  f.InitPage(5, 4);
  std::uint16_t err = 0xFFFF;
  ASSERT_EQ(Api().startpage(f.get(), &err), 1u);
  Bytes band(5 * 4 * 3, 77);
  ASSERT_EQ(f.Band(band, 4).result, 1u);
  HGLOBAL handle = ::GlobalHandle(f.buffer());
  ASSERT_NE(handle, nullptr);
  EXPECT_GE(::GlobalSize(handle), (4u + 2u) * 5u * 3u);
  // Past the released lines the buffer still holds its zero fill.
  EXPECT_EQ(f.buffer()[(4 + 2) * 5 * 3 - 1], 0);
  Api().endpage(f.get(), &err);
  Api().freepage(f.get(), &err);
}

TEST(Win32Memory, ForeignBlocksAreNeverFreed) {
  // The host's own movable block, locked as the module locks its blocks.
  HGLOBAL hostHandle = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
  ASSERT_NE(hostHandle, nullptr);
  void* hostBlock = ::GlobalLock(hostHandle);
  ASSERT_NE(hostBlock, nullptr);
  Api().disposPtr(hostBlock);
  EXPECT_EQ(::GlobalSize(hostHandle), 64u) << "the host's block is still allocated";
  EXPECT_EQ(::GlobalFlags(hostHandle) & GMEM_LOCKCOUNT, 1u) << "and still locked once";
  std::memset(hostBlock, 0x5A, 64);
  ::GlobalUnlock(hostHandle);
  ::GlobalFree(hostHandle);

  // A block released once is not released again.
  std::uint16_t err = 0xFFFF;
  K7730_FilterInstance* inst = Api().open(&err);
  Api().disposPtr(inst);
  Api().disposPtr(inst);
}

}  // namespace
}  // namespace k7730::test
