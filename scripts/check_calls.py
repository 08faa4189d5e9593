#!/usr/bin/env python3
"""Checks that the product folders call one another only downwards.

The include check sees only includes; this one reads the functions
themselves (with universal-ctags) and fails when
  - a header declares a function (free, or a member defined out of line)
    that only folders of its own layer or above it, other than its own
    folder, define: the header promises what its layer cannot keep; or
  - two files of different folders call each other's free functions; or
  - a file of host/core reads or changes the environment or a signal's
    handling: the core runs inside other programs (a server too), whose
    environment and signals are their own, so each program's main reads
    the environment and hands the values down.
A file calls a free function when it writes the function's name followed by
"(", not after "." or "->", and C++ name lookup from that place finds a
declaration in the file itself or in a header it includes directly: the
namespaces around the call, its qualifier and the file's "using namespace"
lines decide which one, so file-local helpers of the same name (static or in
an anonymous namespace) are never taken for another file's, and inside a
member function the class's own members come first. Overloads are told
apart by their number of parameters only; calls found through argument types
alone are not seen. Prints every finding and exits 1 when there is one.

  check_calls.py               the work tree this script belongs to
  check_calls.py --root DIR    every source under DIR (for the checker's tests)
"""
import bisect
import collections
import json
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ beside the scripts in the source tree
from check_layers import LAYERS, RANK, folder_of, includes, product_files

Func = collections.namedtuple("Func", "name ns file line local defined arity")
SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp)$")
HEADER = re.compile(r"\.(h|hpp)$")
CALL = re.compile(r"\b([A-Za-z_]\w*)\s*\(")
QUALIFIER = re.compile(r"((?:[A-Za-z_]\w*\s*::\s*)*)(::\s*)?$")


def visible(scope):
    """A ctags scope without its anonymous namespaces, and whether it had one."""
    parts = [p for p in (scope or "").split("::") if p]
    named = [p for p in parts if not p.startswith("__anon")]
    return "::".join(named), len(named) != len(parts)


def run_ctags(files):
    command = ["ctags", "--output-format=json", "--language-force=C++", "--kinds-C++=+pU",
               "--fields=+nKsSeZEF", "--fields-C++=+{properties}", "-f", "-", "-L", "-"]
    try:
        out = subprocess.run(command, input="\n".join(files), capture_output=True, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as e:
        sys.exit(f"check_calls: universal-ctags with JSON output is needed (scripts/install-deps.sh test): {e}")
    return [json.loads(line) for line in out.splitlines() if line.startswith("{")]


class Tree:
    """The free functions, namespaces and classes of a set of sources."""

    def __init__(self, files):
        tags = run_ctags(files)
        self.classes = {visible(t.get("scope"))[0] + "::" + t["name"] for t in tags
                        if t["kind"] in ("class", "struct", "union")}
        self.classes |= {c.lstrip(":") for c in self.classes}
        self.funcs = collections.defaultdict(list)  # file -> [Func]
        self.namespaces = collections.defaultdict(list)  # file -> [(line, end, visible name)]
        self.usings = collections.defaultdict(set)  # file -> namespaces it opens
        self.members = collections.defaultdict(list)  # file -> [(line, end, class)]
        self.bodies_at = collections.defaultdict(list)  # file -> [(line, end, namespace)] of definitions
        self.methods = collections.defaultdict(set)  # class -> its member function names
        self.member_decls = collections.defaultdict(list)  # file -> [Func] of member prototypes
        self.bodies = collections.defaultdict(set)  # (qualified name, arity) -> defining files
        for t in tags:
            self.add(t)
        self.defined = collections.defaultdict(set)  # qualified name of a free function -> defining files
        for f, funcs in self.funcs.items():
            for fn in funcs:
                if fn.defined and not fn.local:
                    self.defined[qualified(fn)].add(f)

    def add(self, t):
        f, kind, scope = t["path"], t["kind"], t.get("scope")
        ns, anonymous = visible(scope)
        if kind == "namespace":
            self.namespaces[f].append((t["line"], t.get("end", t["line"]), visible(f"{scope or ''}::{t['name']}")[0]))
        elif kind == "using":
            name = t["name"].lstrip(":")
            self.usings[f] |= {f"{base}::{name}" if base else name for base in enclosing(ns)}
        elif kind in ("function", "prototype") and not t["name"].startswith("__anon"):
            if t.get("scopeKind") == "function":
                return
            member = ns in self.classes
            if member:
                self.methods[ns].add(t["name"])
                if kind == "function":
                    self.members[f].append((t["line"], t.get("end", t["line"]), ns))
            if kind == "function":
                self.bodies_at[f].append((t["line"], t.get("end", t["line"]), self.namespace_of(ns)))
            local = anonymous or ("static" in t.get("properties", "") and not member)
            fn = Func(t["name"], ns, f, t["line"], local, kind == "function", arity(t.get("signature", "()")))
            if fn.defined and not local:
                self.bodies[(qualified(fn), fn.arity)].add(f)
            if not member:
                self.funcs[f].append(fn)
            elif not fn.defined:
                self.member_decls[f].append(fn)

    def namespace_of(self, scope):
        while scope in self.classes:
            scope = scope.rpartition("::")[0]
        return scope

    def namespace_at(self, f, line):
        """The innermost namespace a name used at line is looked up in: a function
        defined as ns::Name() looks in ns even outside a namespace block."""
        around = self.namespaces[f] + self.bodies_at[f]
        inner = [name for start, end, name in around if start <= line <= end]
        return max(inner, key=len, default="")

    def member_names(self, f, line):
        """The member functions visible inside the member function around line."""
        for start, end, cls in self.members[f]:
            if start <= line <= end:
                return self.methods[cls]
        return set()


def qualified(fn):
    return f"{fn.ns}::{fn.name}" if fn.ns else fn.name


def arity(signature):
    """How many parameters a ctags signature lists; overloads mostly differ in it."""
    inner = signature.strip()[1:-1].strip() if signature.strip().startswith("(") else ""
    if inner in ("", "void"):
        return 0
    depth, count = 0, 1
    for c in inner:
        depth += c in "<([{"
        depth -= c in ">)]}"
        count += c == "," and depth == 0
    return count


def strip_code(text):
    """The text with comments and string and character literals blanked, lines kept."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
        elif c == "R" and text.startswith('R"', i) and not (i and (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
        elif c in "\"'" and not (c == "'" and re.search(r"\b\d[\w.']*$", text[max(0, i - 40):i])):
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
        else:
            out.append(c)
            i += 1
            continue
        out.append("".join(ch if ch == "\n" else " " for ch in text[i:j]))
        i = j
    return "".join(out)


def calls_in(f):
    """(line, qualifier, name) for each name followed by "(" that is no member access."""
    with open(f, encoding="utf-8", errors="replace") as source:
        code = strip_code(source.read())
    starts = [0] + [m.end() for m in re.finditer("\n", code)]
    for m in CALL.finditer(code):
        before = code[max(0, m.start() - 200):m.start()]
        if re.search(r"(\.|->)\s*$", before):
            continue
        q = QUALIFIER.search(before)
        qualifier = re.sub(r"\s+", "", q.group(1)).rstrip(":")
        if q.group(2) is not None and not qualifier:
            qualifier = "::"
        yield bisect.bisect_right(starts, m.start()), qualifier, m.group(1)


def depth_seen(fn_ns, qualifier, here, usings):
    """How deep in the namespaces around a call fn_ns is found, or None when it is not."""
    if qualifier == "::":
        return 0 if fn_ns == "" else None
    if qualifier:
        for base in enclosing(here):
            if (base + "::" + qualifier if base else qualifier) == fn_ns:
                return len(base.split("::")) if base else 0
        return None
    if fn_ns in enclosing(here):
        return len(fn_ns.split("::")) if fn_ns else 0
    return 0 if fn_ns in usings else None


def enclosing(ns):
    parts = ns.split("::") if ns else []
    return ["::".join(parts[:k]) for k in range(len(parts), -1, -1)]


def resolve(tree, f, line, qualifier, name, candidates):
    """The functions a call resolves to: the innermost namespace that declares the name wins."""
    here = tree.namespace_at(f, line)
    if not qualifier and name in tree.member_names(f, line):
        return []
    found = []
    for fn in candidates.get(name, ()):
        d = depth_seen(fn.ns, qualifier, here, tree.usings[f])
        if d is not None:
            found.append((d, fn))
    if not found:
        return []
    deepest = max(d for d, _ in found)
    chosen = [fn for d, fn in found if d == deepest]
    return [] if any(fn.file == f and fn.defined for fn in chosen) else chosen


def call_edges(tree, files):
    """(caller, callee file, function, line) for each call into another file."""
    known = set(files)
    edges = set()
    for f in files:
        candidates = collections.defaultdict(list)
        for fn in tree.funcs[f]:
            candidates[fn.name].append(fn)
        declared_here = {(fn.line, fn.name) for fn in tree.funcs[f] + tree.member_decls[f]}
        for _, _, h in includes(f, known):
            for fn in tree.funcs[h]:
                if not fn.local or fn.defined:
                    candidates[fn.name].append(fn)
        for line, qualifier, name in calls_in(f):
            if (line, name) in declared_here:
                continue
            for fn in resolve(tree, f, line, qualifier, name, candidates):
                targets = [fn.file] if fn.defined else tree.defined[qualified(fn)]
                for target in targets:
                    if target != f:
                        edges.add((f, target, qualified(fn), line))
    return edges


def upward_declarations(tree):
    problems = []
    for h in sorted(set(tree.funcs) | set(tree.member_decls)):
        here = folder_of(h)
        if not HEADER.search(h) or here not in RANK:
            continue
        for fn in tree.funcs[h] + tree.member_decls[h]:
            q = qualified(fn)
            if fn.defined or fn.local:
                continue
            where = {folder_of(d) for d in tree.bodies[(q, fn.arity)]}
            if where and not any(w == here or RANK.get(w, len(LAYERS)) < RANK[here] for w in where):
                problems.append(f"{h}:{fn.line}: {here} declares {q}, defined only in {', '.join(sorted(where))}")
    return problems


def mutual_calls(edges):
    first = {}
    for caller, callee, name, line in sorted(edges):
        first.setdefault((caller, callee), (name, line))
    problems = []
    for (a, b), (name, line) in sorted(first.items()):
        if a < b and (b, a) in first and folder_of(a) != folder_of(b):
            back, back_line = first[(b, a)]
            problems.append(f"{a}:{line}: calls {name} of {b}, and {b}:{back_line} calls {back} of {a}")
    return problems


# Calls that read or change what the whole process shares, and the
# qualifiers under which the names are the C library's.
PROCESS_WIDE = {"getenv", "secure_getenv", "setenv", "unsetenv", "putenv", "clearenv", "signal", "sigaction"}
LIBRARY_QUALIFIERS = ("", "::", "std")


def process_wide_calls(tree, files):
    problems = []
    for f in files:
        if folder_of(f) != "host/core":
            continue
        declared_here = {(fn.line, fn.name) for fn in tree.funcs[f] + tree.member_decls[f]}
        for line, qualifier, name in calls_in(f):
            if name in PROCESS_WIDE and qualifier in LIBRARY_QUALIFIERS and (line, name) not in declared_here:
                problems.append(f"{f}:{line}: host/core calls {name}; only a program's main may")
    return problems


def listed_under(root):
    os.chdir(root)
    found = []
    for base, dirs, names in os.walk("."):
        dirs.sort()
        found += [os.path.normpath(os.path.join(base, n)) for n in sorted(names) if SOURCE.search(n)]
    return [f for f in found if not re.match(r"(tests|fuzz|bench)/", f)]


def main(argv):
    files = listed_under(argv[2]) if argv[1:2] == ["--root"] else product_files()
    tree = Tree(files)
    problems = upward_declarations(tree) + mutual_calls(call_edges(tree, files)) + process_wide_calls(tree, files)
    for p in problems:
        print(p)
    print(f"{len(files)} files, {len(problems)} declarations or calls out of place")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
