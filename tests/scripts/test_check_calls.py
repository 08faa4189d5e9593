#!/usr/bin/env python3
"""The call check on small source trees: what must fail and what must pass."""
import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check_calls.py")

CORE_H = """
    #pragma once
    namespace k7730::host {
    void Down();
    }
"""
CORE_CPP = """
    #include "host/core/down.h"
    namespace k7730::host {
    void Down() {}
    }
"""


def check(tree):
    """Writes tree ({path: source}) to a fresh folder and runs the checker over it."""
    with tempfile.TemporaryDirectory() as root:
        for path, text in tree.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(textwrap.dedent(text))
        run = subprocess.run([sys.executable, CHECKER, "--root", root], capture_output=True, text=True)
    return run.returncode, run.stdout + run.stderr


class LowerHeaders(unittest.TestCase):
    def test_clean_tree_passes(self):
        # Downward calls, and files of one folder calling each other.
        code, out = check({
            "host/core/down.h": CORE_H + "namespace k7730::host {\nvoid Side();\n}\n",
            "host/core/down.cpp": CORE_CPP.replace("void Down() {}", "void Down() { Side(); }"),
            "host/core/side.cpp": """
                #include "host/core/down.h"
                void k7730::host::Side() { Down(); }
            """,
            "host/image/up.cpp": """
                #include "host/core/down.h"
                namespace k7730::host {
                void Up() { Down(); }
                }
            """,
        })
        self.assertEqual(code, 0, out)

    def test_lower_header_declaring_an_upper_function_fails(self):
        code, out = check({
            "host/core/down.h": CORE_H + """
                namespace k7730::host {
                void OnlyAbove();
                }
            """,
            "host/core/down.cpp": CORE_CPP,
            "host/image/up.cpp": """
                namespace k7730::host {
                void OnlyAbove() {}
                }
            """,
        })
        self.assertEqual(code, 1, out)
        self.assertIn("host/core/down.h:8: host/core declares k7730::host::OnlyAbove, defined only in host/image", out)
        self.assertNotIn("Down,", out)

    def test_lower_class_whose_members_only_an_upper_layer_defines_fails(self):
        # The inline constructor is the lower layer's own; the other
        # overload and the destructor are not.
        code, out = check({
            "host/core/file.h": """
                #pragma once
                namespace k7730::host {
                struct File {
                  explicit File(int fd) : fd_(fd) {}
                  File(const char* path, int flags);
                  ~File();
                  File(const File&) = delete;
                  int fd_;
                };
                }
            """,
            "host/image/file.cpp": """
                #include "host/core/file.h"
                namespace k7730::host {
                File::File(const char* path, int flags) : fd_(flags) {}
                File::~File() {}
                }
            """,
        })
        self.assertEqual(code, 1, out)
        self.assertIn("declares k7730::host::File::File, defined only in host/image", out)
        self.assertIn("declares k7730::host::File::~File, defined only in host/image", out)
        self.assertEqual(out.count("declares"), 2, out)

    def test_header_whose_own_folder_also_defines_the_function_passes(self):
        # One definition per system, picked when linking: the header's own
        # folder keeps the promise on one of them.
        code, out = check({
            "window/system.h": "#pragma once\nint SystemWindows();\n",
            "window/system_posix.cpp": "int SystemWindows() { return 0; }\n",
            "window/win32/system_win32.cpp": "int SystemWindows() { return 1; }\n",
        })
        self.assertEqual(code, 0, out)


class MutualCalls(unittest.TestCase):
    # host/image/up.cpp calls host/core's Down(); these trees let host/core
    # call back, or seem to.
    UP_H = """
        #pragma once
        namespace k7730::host {
        void Up();
        }
    """

    def tree(self, down_cpp, up_cpp):
        return {
            "host/core/down.h": CORE_H,
            "host/core/down.cpp": down_cpp,
            "host/image/up.h": self.UP_H,
            "host/image/up.cpp": up_cpp,
        }

    def test_two_folders_calling_each_other_fail(self):
        code, out = check(self.tree(
            """
            #include "host/core/down.h"
            #include "host/image/up.h"
            namespace k7730::host {
            void Down() { Up(); }
            }
            """,
            """
            #include "host/image/up.h"
            #include "host/core/down.h"
            namespace k7730::host {
            void Up() {
              Down();
            }
            }
            """))
        self.assertEqual(code, 1, out)
        self.assertIn("host/core/down.cpp:5: calls k7730::host::Up of host/image/up.cpp, "
                      "and host/image/up.cpp:6 calls k7730::host::Down of host/core/down.cpp", out)

    def test_calls_through_using_namespace_and_qualified_definitions_count(self):
        code, out = check(self.tree(
            """
            #include "host/core/down.h"
            #include "host/image/up.h"
            void k7730::host::Down() { Up(); }
            """,
            """
            #include "host/image/up.h"
            #include "host/core/down.h"
            using namespace k7730::host;
            void k7730::host::Up() {}
            int main() { Down(); }
            """))
        self.assertEqual(code, 1, out)
        self.assertIn("host/core/down.cpp:4: calls k7730::host::Up of host/image/up.cpp", out)

    def test_a_prototype_written_in_the_calling_file_counts(self):
        code, out = check(self.tree(
            """
            #include "host/core/down.h"
            namespace k7730::host {
            void Up();
            void Down() { Up(); }
            }
            """,
            """
            #include "host/image/up.h"
            #include "host/core/down.h"
            namespace k7730::host {
            void Up() { Down(); }
            }
            """))
        self.assertEqual(code, 1, out)

    def test_same_named_file_local_helpers_are_no_calls_between_files(self):
        # Each file has its own Fail (static or in an anonymous namespace),
        # and host/core also declares a global Fail that host/core/fail.cpp
        # defines; in up.cpp the inner helper hides it. down.cpp calls up
        # the layers, which alone is no finding.
        tree = self.tree(
            """
            #include "host/core/down.h"
            #include "host/image/up.h"
            static void Fail() {}
            namespace k7730::host {
            void Down() { Fail(); Up(); }
            }
            """,
            """
            #include "host/image/up.h"
            #include "host/core/down.h"
            #include "host/core/fail.h"
            namespace k7730::host {
            namespace {
            void Fail() {}
            static int Helper() { return 0; }
            }
            void Up() { Fail(); Helper(); }
            }
            """)
        tree["host/core/fail.h"] = "#pragma once\nvoid Fail();\n"
        tree["host/core/fail.cpp"] = """
            #include "host/image/up.h"
            static int Helper() { return 1; }
            void Fail() { k7730::host::Up(); Helper(); }
        """
        code, out = check(tree)
        self.assertEqual(code, 0, out)
        # Asked for by its full name, the global Fail is the other file's.
        tree["host/image/up.cpp"] = tree["host/image/up.cpp"].replace("Fail(); Helper();", "::Fail();")
        code, out = check(tree)
        self.assertEqual(code, 1, out)
        self.assertIn("calls Fail of host/core/fail.cpp", out)
        self.assertNotIn("down.cpp", out)

    def test_comments_strings_members_and_other_namespaces_are_no_calls(self):
        code, out = check(self.tree(
            """
            #include "host/core/down.h"
            #include "host/image/up.h"
            namespace k7730::host {
            struct Widget {
              void Up();
              void Run() { Up(); }
            };
            void Up();
            void Down() {
              // Up();
              /* Up(); */
              const char* text = "Up()";
              char quote = '"'; int n = 1'000; const char* raw = R"x(Up())x";
              Widget w; w.Up(); (&w)->Up();
              other::Up();
            }
            }
            """,
            """
            #include "host/image/up.h"
            #include "host/core/down.h"
            namespace k7730::host {
            void Up() { Down(); }
            }
            """))
        self.assertEqual(code, 0, out)


class ProcessWideCalls(unittest.TestCase):
    def test_the_core_reads_no_environment_and_handles_no_signal(self):
        # Programs may; the core may not, however it names the call, while
        # comments, strings, members and its own namespaces are no calls.
        code, out = check({
            "host/core/paths.cpp": """
                #include <cstdlib>
                #include <signal.h>
                namespace k7730::host {
                struct Waiter { void signal(); };
                void signal(int);
                const char* Folder() { return std::getenv("TMPDIR"); }
                void Quiet(Waiter& w) {
                  // getenv("HOME"); signal(SIGPIPE, SIG_IGN);
                  const char* text = "setenv(";
                  w.signal();
                  host::signal(1);
                  struct sigaction old {};
                  ::sigaction(SIGINT, nullptr, &old);
                  putenv(nullptr);
                }
                }
            """,
            "host/print/main.cpp": """
                #include <cstdlib>
                #include <csignal>
                int main() { std::signal(SIGPIPE, SIG_IGN); return std::getenv("TMPDIR") != nullptr; }
            """,
        })
        self.assertEqual(code, 1, out)
        self.assertIn("host/core/paths.cpp:7: host/core calls getenv", out)
        self.assertIn("host/core/paths.cpp:14: host/core calls sigaction", out)
        self.assertIn("host/core/paths.cpp:15: host/core calls putenv", out)
        self.assertEqual(out.count("host/core calls"), 3, out)


if __name__ == "__main__":
    unittest.main()
