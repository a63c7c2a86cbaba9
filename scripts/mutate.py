#!/usr/bin/env python3
"""Mutation testing of the natively built pure code: how many single-point faults do the native tests catch?

A mutant changes one place of one source file (an operator, a constant by one, a return, a deleted call or
assignment). Each is built in a copy of the tree and run against the native test programs that link its file; a
test that fails, crashes or overruns its time limit catches it. The score per file comes first, then the total as
the last line, "caught N of M (P%)", M counting only the mutants that compiled.

The working tree is never touched: the sources are copied into a work folder of their own (a fresh temporary one,
or the one --work names, which a later run reuses so that only what changed is rebuilt). The mutants are the same
for the same seed and the same sources. Run through scripts/mutate.sh.
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# ---------------------------------------------------------------------------------------------------------------
# Reading C++ just well enough to find places worth changing.

TOKEN = re.compile(
    r"""(?P<skip>//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*'|R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)")
      |(?P<number>0[xX][0-9a-fA-F']+[uUlL]*|\d[\d']*(?:\.\d*)?(?:[eE][+-]?\d+)?[uUlLfF]*|\.\d+(?:[eE][+-]?\d+)?[fF]?)
      |(?P<word>[A-Za-z_]\w*)
      |(?P<op><<=|>>=|->\*|\.\.\.|::|->|\+\+|--|<<|>>|<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|%=|&=|\|=|\^=|[-+*/%<>=!&|^~?:;,.(){}\[\]\#])
      |(?P<space>\s+)
    """,
    re.S | re.X,
)


class Token:
    __slots__ = ("kind", "text", "start", "end", "line")

    def __init__(self, kind, text, start, end, line):
        self.kind, self.text, self.start, self.end, self.line = kind, text, start, end, line


def tokens_of(source):
    """The code's tokens without comments, literals of text and preprocessor lines."""
    result, line, pos, line_start = [], 1, 0, True
    while pos < len(source):
        m = TOKEN.match(source, pos)
        if not m:  # a stray character (a backslash at a line's end): step over it
            pos += 1
            continue
        kind, text = m.lastgroup if m.lastgroup != "delim" else "skip", m.group(0)
        if kind == "op" and text == "#" and line_start:  # a preprocessor line, with its continuations
            end = pos
            while True:
                end = source.find("\n", end)
                if end < 0 or source[end - 1] != "\\":
                    break
                end += 1
            end = len(source) if end < 0 else end
            line += source.count("\n", pos, end)
            pos = end
            continue
        if kind not in ("skip", "space"):
            result.append(Token(kind, text, m.start(), m.end(), line))
            line_start = False
        if "\n" in text:
            line_start = kind == "space" or line_start
        line += text.count("\n")
        pos = m.end()
    return result


def template_brackets(tokens):
    """Indexes of the tokens from a < to its > that enclose template arguments rather than compare (a guess
    from the tokens between them: names, numbers, ::, commas, * and & only)."""
    brackets = set()
    for i, t in enumerate(tokens):
        if t.text != "<" or i == 0 or tokens[i - 1].kind != "word":
            continue
        depth, j = 1, i + 1
        while j < len(tokens) and depth:
            text = tokens[j].text
            if text in ("<", ">"):
                depth += 1 if text == "<" else -1
            elif text == ">>":
                depth -= 2
            elif not (tokens[j].kind in ("word", "number") or text in ("::", ",", "*", "&", "(", ")")):
                break
            j += 1
        if depth <= 0:
            brackets.update(range(i, j))
    return brackets


SWAPS = {
    # relational
    "<": ["<=", ">"], "<=": ["<", ">"], ">": [">=", "<"], ">=": [">", "<"], "==": ["!="], "!=": ["=="],
    # arithmetic
    "+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["*"], "++": ["--"], "--": ["++"],
    "+=": ["-="], "-=": ["+="], "*=": ["/="], "/=": ["*="], "<<": [">>"], ">>": ["<<"],
    "&": ["|"], "|": ["&"], "^": ["|"],
    # boolean
    "&&": ["||"], "||": ["&&"], "true": ["false"], "false": ["true"],
}
ASSIGNMENTS = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}
NOT_A_CALL = {"if", "for", "while", "switch", "return", "sizeof", "static_assert", "catch", "alignof", "decltype",
              "delete", "throw", "case", "default", "using", "typedef", "else", "do", "goto", "break", "continue"}


class Mutant:
    __slots__ = ("file", "line", "start", "end", "replacement", "kind", "original")

    def __init__(self, file, line, start, end, replacement, kind, original):
        self.file, self.line, self.start, self.end = file, line, start, end
        self.replacement, self.kind, self.original = replacement, kind, original

    def apply(self, source):
        return source[: self.start] + self.replacement + source[self.end:]

    def describe(self):
        before = " ".join(self.original.split())
        after = " ".join(self.replacement.split()) or "(deleted)"
        return f"{self.file}:{self.line}: {self.kind}: {before[:70]} -> {after[:70]}"


def matching(tokens, i):
    """The index of the bracket that closes the one at i."""
    opening, closing, depth = tokens[i].text, {"(": ")", "[": "]", "{": "}"}[tokens[i].text], 0
    for j in range(i, len(tokens)):
        depth += (tokens[j].text == opening) - (tokens[j].text == closing)
        if depth == 0:
            return j
    return len(tokens) - 1


def statement_starts(tokens):
    """Where a statement may begin: after { } ; else, a label's colon, and the condition of if, for and while."""
    starts = {0}
    for i, t in enumerate(tokens):
        if t.text in ("{", "}", ";", "else"):
            starts.add(i + 1)
        elif t.text in ("if", "while", "for") and i + 1 < len(tokens) and tokens[i + 1].text == "(":
            starts.add(matching(tokens, i + 1) + 1)
        elif t.text in ("case", "default"):
            j = i
            while j < len(tokens) and tokens[j].text != ":":
                j += 1
            starts.add(j + 1)
    return sorted(s for s in starts if s < len(tokens))


def statement_end(tokens, first):
    """The ; that ends the statement beginning at first, or None for a block or a declaration of a type."""
    i = first
    while i < len(tokens) and tokens[i].text != ";":
        if tokens[i].text in ("(", "["):
            i = matching(tokens, i)
        elif tokens[i].text in ("{", "}"):
            return None
        i += 1
    return i if i < len(tokens) else None


def lvalue_end(tokens, i, last):
    """Past a name with its members and subscripts (a.b->c[i]), or i itself when no name starts there."""
    if tokens[i].kind != "word":
        return i
    i += 1
    while i < last:
        if tokens[i].text in (".", "->", "::") and i + 1 < last and tokens[i + 1].kind == "word":
            i += 2
        elif tokens[i].text == "[":
            i = matching(tokens, i) + 1
        else:
            break
    return i


TRIVIAL_RETURNS = {"std::nullopt", "{}", "nullptr", "0", "true", "false", "std::string()", "\"\""}


def statement_mutants(file, source, tokens):
    """Deleted calls and assignments, and returns of a default value instead of the computed one."""
    for first in statement_starts(tokens):
        last = statement_end(tokens, first)
        if last is None or last == first:
            continue
        head = tokens[first]
        if head.text == "return":
            start, end = (tokens[first + 1].start, tokens[last - 1].end) if last > first + 1 else (0, 0)
            if end and source[start:end].replace(" ", "") not in TRIVIAL_RETURNS:
                yield Mutant(file, head.line, start, end, "{}", "swapped return", source[start:end])
            continue
        if head.text in NOT_A_CALL:
            continue
        i = lvalue_end(tokens, first, last)
        if i == first and head.text in ("++", "--"):
            kind = "deleted assignment"
        elif i == first or i == last:
            continue
        elif tokens[i].text in ASSIGNMENTS or (tokens[i].text in ("++", "--") and i + 1 == last):
            kind = "deleted assignment"
        elif tokens[i].text == "(" and tokens[last - 1].text == ")":
            kind = "deleted call"
        else:
            continue
        start, end = head.start, tokens[last].end
        yield Mutant(file, head.line, start, end, ";", kind, source[start:end])


INTEGER = re.compile(r"(0[xX][0-9a-fA-F]+|0|[1-9]\d*)([uUlL]*)")


def mutants_of(file, source):
    tokens = tokens_of(source)
    templates = template_brackets(tokens)
    found = []
    for i, t in enumerate(tokens):
        prev = tokens[i - 1] if i else None
        following = tokens[i + 1] if i + 1 < len(tokens) else None
        integer = INTEGER.fullmatch(t.text) if t.kind == "number" else None
        if integer:
            if i in templates:
                continue  # a template's argument: a size that rarely compiles changed
            digits, suffix = integer.groups()
            value = int(digits, 0)
            for changed in (value + 1, value - 1):
                if changed < 0:
                    continue
                text = f"0x{changed:0{len(digits) - 2}X}" if digits[:2].lower() == "0x" else str(changed)
                found.append(Mutant(file, t.line, t.start, t.end, text + suffix, "constant", t.text))
        elif t.text in SWAPS and i not in templates and not (prev and prev.text == "operator"):
            if t.text in ("&", "*") and (prev is None or (prev.kind not in ("word", "number")
                                                       and prev.text not in (")", "]"))):
                continue  # unary: an address or a dereference
            if t.text in ("&", "*", "&&") and prev and prev.kind == "word" and following and following.kind == "word" \
                    and i + 2 < len(tokens) and tokens[i + 2].text in (",", ")", "=", ";", "{", "(", "[", ":"):
                continue  # a declaration: "Type& name", "Type* name", "Type&& name"
            if t.text in ("&", "*", "&&") and following and following.text in (",", ")", ">"):
                continue  # a type: "const Type&)"
            for replacement in SWAPS[t.text]:
                kind = "boolean" if t.text in ("&&", "||", "true", "false") else \
                    "relational" if t.text in ("<", "<=", ">", ">=", "==", "!=") else "arithmetic"
                found.append(Mutant(file, t.line, t.start, t.end, replacement, kind, t.text))
        elif t.text == "!" and following is not None:
            found.append(Mutant(file, t.line, t.start, t.end, "", "boolean", "!"))
    found.extend(statement_mutants(file, source, tokens))
    found.sort(key=lambda m: (m.start, m.end, m.replacement))
    return found


# ---------------------------------------------------------------------------------------------------------------
# The copy, its build, and what links what.

def run(command, cwd=None, timeout=None, env=None):
    return subprocess.run(command, cwd=cwd, timeout=timeout, env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")


def copy_tree(work, revision):
    """The repository's files into work/tree, rewriting only those that differ so that a reused build rebuilds
    only what changed: the working tree's (tracked and new, not ignored), or those of a commit."""
    tree = work / "tree"
    with tempfile.TemporaryDirectory(prefix="velmira-mutate-source.") as exported:
        if revision:
            archive = subprocess.run(["git", "archive", revision], cwd=ROOT, stdout=subprocess.PIPE, check=True).stdout
            subprocess.run(["tar", "-x", "-C", exported], input=archive, check=True)
            source_root = Path(exported)
            names = [str(p.relative_to(source_root)) for p in source_root.rglob("*") if p.is_file()]
        else:
            source_root = ROOT
            listed = run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT).stdout
            names = list(filter(None, listed.split("\0")))
        for name in names:
            source, target = source_root / name, tree / name
            if not source.is_file():
                continue
            data = source.read_bytes()
            if target.is_file() and target.read_bytes() == data:
                continue
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_bytes(data)
            shutil.copymode(source, target)
    return tree


def configure(tree, build, sanitize):
    """The native build as scripts/test.sh makes it, optimised a little: most of a run is spent in the tests."""
    flags = "-fsanitize=address,undefined -fno-sanitize-recover=all" if sanitize else ""
    command = ["cmake", "-S", str(tree), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
               "-DCMAKE_C_COMPILER=clang", "-DCMAKE_CXX_COMPILER=clang++", f"-DCMAKE_CXX_FLAGS=-O1 {flags}",
               f"-DCMAKE_EXE_LINKER_FLAGS={flags}"]
    if shutil.which("ccache"):
        command.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    query = build / ".cmake" / "api" / "v1" / "query"
    query.mkdir(parents=True, exist_ok=True)
    (query / "codemodel-v2").touch()
    result = run(command)
    if result.returncode:
        sys.exit("mutate: cmake failed\n" + result.stdout)


def ninja_inputs(build, target):
    """The explicit inputs of the edge that makes target, from ninja's own graph."""
    listed = run(["ninja", "-C", str(build), "-t", "query", target]).stdout.splitlines()
    inputs, reading = [], False
    for line in listed:
        if line.startswith("  input:"):
            reading = True
        elif line.startswith("  ") and not line.startswith("    "):
            reading = False
        elif reading and not line.strip().startswith(("|", "||")):
            inputs.append(line.strip())
    return inputs


def codemodel_targets(build):
    """The build's targets as CMake's file API describes them."""
    reply = build / ".cmake" / "api" / "v1" / "reply"
    index = json.loads(max(reply.glob("index-*.json")).read_text())
    codemodel = next(r for r in index["objects"] if r["kind"] == "codemodel")
    model = json.loads((reply / codemodel["jsonFile"]).read_text())
    return [json.loads((reply / t["jsonFile"]).read_text()) for t in model["configurations"][0]["targets"]]


def pure_sources(build):
    """The sources under src/ of the static libraries the native build makes (the layers' pure files and the
    bundled plug-in's decoders): the libraries from CMake's file API, their objects and sources from ninja's
    graph. {source relative to the tree: its object file relative to the build}."""
    sources = {}
    for target in codemodel_targets(build):
        if target["type"] != "STATIC_LIBRARY":
            continue
        for artifact in target.get("artifacts", []):
            for obj in ninja_inputs(build, artifact["path"]):
                source = next(iter(ninja_inputs(build, obj)), "")
                path = os.path.relpath(os.path.join(build, source), build.parent / "tree")
                if path.startswith("src/") and path.endswith(".cpp"):
                    sources[path] = obj
    return sources


def test_programs(build):
    """The programs the tests folder builds (ctest names a program's path only once it exists)."""
    return sorted(artifact["path"] for target in codemodel_targets(build)
                  if target["type"] == "EXECUTABLE" and target["paths"]["source"].startswith("tests")
                  for artifact in target.get("artifacts", []))


def native_tests(build):
    """{test name: (program, arguments, working folder)} from ctest's own listing."""
    listing = json.loads(run(["ctest", "--show-only=json-v1"], cwd=build).stdout)
    tests = {}
    for test in listing["tests"]:
        command = test.get("command") or []
        if not command or not Path(command[0]).resolve().is_relative_to(build.resolve()):
            continue  # a script or another program: no test program of this build
        folder = next((p["value"] for p in test.get("properties", []) if p["name"] == "WORKING_DIRECTORY"), build)
        tests[test["name"]] = (command[0], command[1:], folder)
    return tests


def strong_symbols(path):
    listed = run(["nm", "--defined-only", "-P", str(path)]).stdout
    return {fields[0] for fields in (line.split() for line in listed.splitlines())
            if len(fields) >= 2 and fields[1] in ("T", "D", "B", "R")}


def tests_linking(build, sources, tests):
    """{source: [test names]}: the tests whose program pulled the source's object in, as ninja's inputs and the
    program's own symbols say (a static library gives a program only the objects it calls)."""
    linking = {source: [] for source in sources}
    object_symbols = {}
    for name, (program, _, _) in sorted(tests.items()):
        target = os.path.relpath(program, build)
        inputs = set(run(["ninja", "-C", str(build), "-t", "inputs", target]).stdout.split())
        symbols = None
        for source, obj in sources.items():
            if obj not in inputs:
                continue
            symbols = strong_symbols(program) if symbols is None else symbols
            if object_symbols.setdefault(obj, strong_symbols(build / obj)) & symbols:
                linking[source].append(name)
    return linking


# ---------------------------------------------------------------------------------------------------------------
# Running.

def run_test(program, arguments, folder, limit):
    """True when the test program passes within its limit; the whole process group goes at the limit."""
    # A test program stops at its first failure: one is enough to catch the mutant.
    process = subprocess.Popen([program, *arguments], cwd=folder, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True,
                               env={**os.environ, "GTEST_FAIL_FAST": "1"})
    try:
        return process.wait(timeout=limit) == 0
    except subprocess.TimeoutExpired:
        return False
    finally:  # at the limit, or when the run itself is stopped
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def build_targets(build, programs, limit):
    try:
        return run(["ninja", "-C", str(build), *programs], timeout=limit,
                   env={**os.environ, "CCACHE_DISABLE": "1"}).returncode == 0
    except subprocess.TimeoutExpired:
        return False


def main():
    parser = argparse.ArgumentParser(prog="scripts/mutate.sh", description=__doc__.split("\n\n")[0])
    parser.add_argument("count", nargs="?", type=int, default=640,
                        help="mutants to try, drawn by the seed (default 640, about 35 minutes on two cores; 0: all)")
    parser.add_argument("--seed", type=int, default=1, help="which mutants (default 1)")
    parser.add_argument("--files", default="", help="only sources whose path matches this regular expression")
    parser.add_argument("--work", type=Path, help="work folder to keep and reuse (default: a temporary one)")
    parser.add_argument("--revision", help="mutate a commit's files instead of the working tree's")
    parser.add_argument("--sanitize", action="store_true", help="build with ASan and UBSan (slower, catches more)")
    parser.add_argument("--list", action="store_true", help="print the mutants chosen and stop")
    parser.add_argument("--survivors", type=Path, help="write the surviving mutants to this file")
    args = parser.parse_args()

    work = args.work.resolve() if args.work else Path(tempfile.mkdtemp(prefix="velmira-mutate."))
    work.mkdir(parents=True, exist_ok=True)
    # A stop by signal unwinds like an error, so that the finally below cleans up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    try:
        return mutate(args, work)
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)


def mutate(args, work):
    tree = copy_tree(work, args.revision)
    build = work / "build"
    configure(tree, build, args.sanitize)
    # Each file's share of the mutants is drawn by the seed and the file's name, so that --files picks the same
    # mutants of a file as a run over every file does.
    every = pure_sources(build)
    candidates = {source: mutants_of(source, (tree / source).read_text()) for source in sorted(every)}
    total = sum(len(found) for found in candidates.values())
    share = 1 if args.count <= 0 else min(1, args.count / total)
    sources = {s: o for s, o in every.items() if re.search(args.files, s)}
    if not sources:
        sys.exit("mutate: no source matches --files")
    chosen = []
    for source in sorted(sources):
        found = candidates[source]
        chosen.extend(random.Random(f"{args.seed}:{source}").sample(found, round(share * len(found))))
    chosen.sort(key=lambda m: (m.file, m.start, m.replacement))
    print(f"{len(chosen)} of {sum(len(candidates[s]) for s in sources)} mutants in {len(sources)} files "
          f"(seed {args.seed}, {share:.1%} of each file's)", flush=True)
    if args.list:
        for m in chosen:
            print(m.describe())
        return 0

    # Paths relative to the work folder, so that ccache serves one work folder from another's compiles.
    shared = {**os.environ, "CCACHE_BASEDIR": str(work), "CCACHE_NOHASHDIR": "1"}
    result = run(["ninja", "-C", str(build), *test_programs(build)], env=shared)
    if result.returncode:
        sys.exit("mutate: the unchanged tree does not build\n" + result.stdout[-4000:])
    tests = native_tests(build)
    linking = tests_linking(build, sources, tests)

    # The unchanged tree's tests must pass; their times set each test's limit.
    limits = {}
    for name in sorted({t for names in linking.values() for t in names}):
        program, arguments, folder = tests[name]
        began = time.monotonic()
        if not run_test(program, arguments, folder, 1800):
            sys.exit(f"mutate: {name} fails on the unchanged tree")
        limits[name] = 10 + 3 * (time.monotonic() - began)
    # The quickest test first: most mutants are caught by the first test that runs.
    for names in linking.values():
        names.sort(key=lambda n: limits[n])

    score = {}  # file: [caught, compiled, not compiled, untested]
    survivors = []
    began = time.monotonic()
    for number, m in enumerate(chosen, 1):
        counts = score.setdefault(m.file, [0, 0, 0, 0])
        names = linking[m.file]
        if not names:
            counts[3] += 1
            survivors.append(m)
            continue
        path = tree / m.file
        original = path.read_text()
        try:
            path.write_text(m.apply(original))
            programs = sorted({os.path.relpath(tests[n][0], build) for n in names})
            if not build_targets(build, programs, 600):
                counts[2] += 1
                continue
            counts[1] += 1
            caught = next((n for n in names if not run_test(*tests[n], limits[n])), None)
            if caught:
                counts[0] += 1
            else:
                survivors.append(m)
                print("survived " + m.describe(), flush=True)
        finally:
            path.write_text(original)
        if number % 25 == 0:
            print(f"[{number}/{len(chosen)} in {time.monotonic() - began:.0f} s]", flush=True)

    # A mutant of a file that no test links survives: nothing would notice the fault.
    caught = compiled = 0
    for file in sorted(score):
        c, built, broken, untested = score[file]
        m = built + untested
        caught, compiled = caught + c, compiled + m
        extra = (f", {broken} did not compile" if broken else "") + (", no test links it" if untested else "")
        percent = f"{100 * c / m:.1f}%" if m else "-"
        print(f"{file}: {c} of {m} ({percent}){extra}")
    if args.survivors:
        args.survivors.write_text("".join(m.describe() + "\n" for m in survivors))
    print(f"caught {caught} of {compiled} ({100 * caught / compiled if compiled else 0:.1f}%)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
