// The parts of saving the server's state that need no server: the guard
// between reading printers and deleting them, the values kept to one line,
// and the thread that replaces the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "host/printer_app/state_saving.h"
#include "support/temp_files.h"

namespace k7730::printer_app {
namespace {

using namespace std::chrono_literals;
using testing_files::ReadText;
using testing_files::TempFile;

// Printers are only compared by address here, never used.
PrinterKey Printer(std::uintptr_t address, int id) { return {reinterpret_cast<pappl_printer_t*>(address * 64), id}; }

TEST(PrinterGuard, DeletionWaitsUntilThePrinterIsReadAndIsThenRefused) {
  PrinterGuard guard;
  const PrinterKey printer = Printer(1, 1);
  ASSERT_TRUE(guard.Enter(printer));
  std::atomic<bool> deleted{false};
  std::thread deleter([&] {
    guard.BeginDelete(printer);
    deleted = true;
  });
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(deleted);
  guard.Leave();
  deleter.join();
  EXPECT_FALSE(guard.Enter(printer));
  // Deleting a printer other than the one being read does not wait.
  ASSERT_TRUE(guard.Enter(Printer(2, 2)));
  guard.BeginDelete(Printer(3, 3));
  guard.Leave();
}

TEST(PrinterGuard, ANewPrinterAtADeletedOnesAddressIsRead) {
  PrinterGuard guard;
  guard.BeginDelete(Printer(1, 1));
  EXPECT_FALSE(guard.Enter(Printer(1, 1)));
  EXPECT_TRUE(guard.Enter(Printer(1, 2)));
  guard.Leave();
}

TEST(PrinterGuard, ForgetsADeletionOnlyOnceAListingMadeAfterItMissesThePrinter) {
  PrinterGuard guard;
  const PrinterKey gone = Printer(1, 1), going = Printer(2, 2), late = Printer(3, 3);
  guard.BeginDelete(gone);
  guard.BeginDelete(going);
  const unsigned long mark = guard.Mark();
  // Begun while the printers were listed: its printer may still be in the
  // list the next time.
  guard.BeginDelete(late);
  guard.Forget({going}, mark);
  EXPECT_TRUE(guard.Enter(gone));
  guard.Leave();
  EXPECT_FALSE(guard.Enter(going));
  EXPECT_FALSE(guard.Enter(late));
}

TEST(LineValue, KeepsAValueOnOneLineAndCutsItBetweenCharacters) {
  EXPECT_EQ(LineValue("a\nb\rc\td\x7f", 100), "a b c d ");
  EXPECT_EQ(LineValue("Room #5, \"top\" \\", 100), "Room #5, \"top\" \\");
  // U+00E9 is two bytes: a cut through it leaves it out whole.
  EXPECT_EQ(LineValue("ab\xC3\xA9", 3), "ab");
  EXPECT_EQ(LineValue("ab\xC3\xA9", 4), "ab\xC3\xA9");
}

TEST(ReplaceFile, ReplacesTheFileWithAPrivateOneAndLeavesNothingBehind) {
  const TempFile file(".state");
  ASSERT_EQ(ReplaceFile(file, "old\n"), "");
  ASSERT_EQ(ReplaceFile(file, "new\n"), "");
  EXPECT_EQ(ReadText(file), "new\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_NE(::stat((file.path + ".new").c_str(), &st), 0);
}

TEST(ReplaceFile, ReportsAFolderThatIsNotThere) {
  const std::string path = ::testing::TempDir() + "k7730_no_such_folder/x.state";
  const std::string error = ReplaceFile(path, "text");
  EXPECT_NE(error.find("k7730_no_such_folder/x.state.new"), std::string::npos) << error;
}

TEST(StateWriter, WritesTheNewestTextAndReportsFailures) {
  const TempFile file(".state");
  {
    StateWriter writer(file);
    for (int i = 0; i < 200; ++i) writer.Post("text " + std::to_string(i) + "\n");
    writer.Flush();
    EXPECT_EQ(ReadText(file), "text 199\n");
    EXPECT_TRUE(writer.TakeErrors().empty());
    // What is posted last is on disk once the writer is gone, as when the
    // server ends.
    writer.Post("last\n");
  }
  EXPECT_EQ(ReadText(file), "last\n");
  StateWriter lost(::testing::TempDir() + "k7730_no_such_folder/x.state");
  lost.Post("text");
  lost.Flush();
  const std::vector<std::string> errors = lost.TakeErrors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Cannot save the state: ", 0), 0u) << errors[0];
}

}  // namespace
}  // namespace k7730::printer_app
