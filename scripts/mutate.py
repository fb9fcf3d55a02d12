#!/usr/bin/env python3
"""Mutation pass: do the tests notice plausible slips in the code?

Each mutation below replaces one exact piece of source text with a slip a developer could
plausibly make (a `<` for a `<=`, a dropped clamp, a wrong default...). The script copies the
repository to a scratch folder outside every worktree, builds it once, runs the suite once on
the unchanged code, then applies the mutations one at a time: rebuild incrementally, run the
test programs, put the file back. A mutation is *caught* when some test fails (or a test
program crashes or hangs) and *survived* when every test passes; one that no test can tell from
the original carries the reason and is reported *equivalent*, outside the kill rate. Text that
is no longer found (the code moved on) is reported as *stale*, never an error: files are looked
up by their name, so a file moved to another folder is still found.

Run by hand, not in CI; it is slow. On a shared machine run it under `nice -n 19`:

    nice -n 19 scripts/mutate.py                 # every mutation
    scripts/mutate.py --list                     # which mutations still apply, without building
    nice -n 19 scripts/mutate.py --only 3,7-9    # some of them
    nice -n 19 scripts/mutate.py --quick         # per mutation, stop at the first failing program

Only the Python standard library is used.
"""

import argparse
import concurrent.futures
import filecmp
import os
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass


@dataclass
class Mutation:
    file: str  # a path in the repository, or a file name looked up wherever it has moved
    find: str  # exact text; it must occur exactly once in the file
    replace: str
    why: str  # the slip it stands for
    equivalent: str = ""  # why no test can tell it from the original, when that is so


M = Mutation
MUTATIONS = [
    # sharing
    M("sharing/infrared_obex.cpp", "std::max(peerMaxPacket, kMinimumPacket) - kPutOverhead);",
      "std::max(peerMaxPacket, kMinimumPacket));", "the peer's packet limit taken for the body, not the packet"),
    M("sharing/infrared_worker.cpp", "return static_cast<long long>(sent * 100 / size);",
      "return static_cast<long long>(sent * 100 / (size + 1));", "progress that never reaches 100"),
    M("sharing/send_mail.cpp", "return \"-attach \\\"\" + path + \"\\\"\";",
      "return \"-attach \" + path;", "the attachment path left unquoted, so a blank splits it"),
    M("sharing/background_compose.cpp", "return Span{0, (room - size) / 2, size};",
      "return Span{0, (room - size + 1) / 2, size};", "an odd remainder centred on the other side"),
    M("sharing/background_compose.cpp", "        if (++r == picture.Height()) {\n            r = 0;",
      "        if (++r == picture.Height() - 1) {\n            r = 0;", "a tile that repeats one row short"),
    M("sharing/voice_notes.cpp", "    if (!Exists(note)) {\n        entry->hasVoiceNote = false;\n        SimpleBeep();",
      "    if (!Exists(note)) {\n        SimpleBeep();", "a missing note left marked on its picture"),
    # hosts
    M("hosts/host_options.cpp", "!ParseNumber(text.substr(x + 1), 120, 2000, &b)",
      "!ParseNumber(text.substr(x + 1), 120, 9999, &b)", "a forgotten bound: --screen 176x9999 accepted"),
    M("hosts/host_options.cpp", "if (!ParseNumber(v, 1, 8, &n)) {",
      "if (!ParseNumber(v, 0, 8, &n)) {", "off by one in a range check: --scale 0 accepted"),
    M("hosts/headless/json_writer.cpp", "if (c < 0x20) {", "if (c < 0x1F) {",
      "a control character written raw into JSON"),
    M("hosts/headless/headless_host.cpp", "ParseNumber(token.substr(star + 1), 1, 255, &n)",
      "ParseNumber(token.substr(star + 1), 0, 255, &n)", "a key script token \"Right*0\" taken as valid"),
    # platform
    M("platform/graphics/canvas.cpp", "const int64_t left = std::max({dx, int64_t{clip.left}, sx0});",
      "const int64_t left = std::max({dx, sx0});", "a blit that ignores the clip's left edge"),
    M("platform/graphics/canvas.cpp", "return static_cast<uint8_t>((src * alpha + dst * (255 - alpha) + 127) / 255);",
      "return static_cast<uint8_t>((src * alpha + dst * (255 - alpha)) / 255);",
      "alpha blending truncates instead of rounding"),
    M("platform/os/text.cpp", "n += cp >= 0x10000 ? 2 : 1;", "n += cp >= 0x100000 ? 2 : 1;",
      "a digit too many: letters beyond the BMP counted once in path limits"),
    M("platform/os/text.cpp", "    if (x.size() == y.size())\n        return 0;\n    return x.size() < y.size() ? -1 : 1;",
      "    return 0;", "a prefix compares equal to the longer name"),
    M("platform/window/window.cpp", "scroll_.pos = std::clamp(pos, scroll_.min, std::max(scroll_.min, scroll_.max));",
      "scroll_.pos = pos;", "the scroll position no longer clamped to its range"),
    M("platform/shell/menu.cpp", "i = (i + step + n) % n;", "i = (i + step) % n;",
      "moving up from the first menu item does not wrap"),
    M("platform/toolkit/control_input.cpp", "selection_ = ((from + direction) % n + n) % n;",
      "selection_ = std::min(std::max(from + direction, 0), n - 1);",
      "a spinner list that stops at its ends instead of wrapping"),
    M("platform/os/registry_text.cpp", "            case '\"':\n                *out += \"\\\\\\\"\";",
      "            case '\"':\n                *out += \"\\\"\";",
      "a quote inside a value written unescaped, so the file no longer reads back"),
    M("platform/os/registry_text.cpp", "if (static_cast<unsigned char>(c) < 0x20) {", "if (c == '\\n') {",
      "key paths with control characters other than a newline accepted"),
    M("platform/os/device_fs.cpp", "if (part == \".\" || part == \"..\" ||", "if (part == \".\" ||",
      "a `..` component escapes the device root"),
    M("platform/os/device_fs.cpp", "if (!ok || ::renameat(dir, temp.c_str(), dir, r.name.c_str()) != 0) {",
      "if (::renameat(dir, temp.c_str(), dir, r.name.c_str()) != 0) {",
      "a failed write still replaces the old file"),
    M("platform/os/device_fs.cpp", "const int flags = S_ISDIR(r.st.st_mode) ? AT_REMOVEDIR : 0;",
      "const int flags = 0;", "an empty folder can no longer be deleted"),
    M("platform/os/device_fs.cpp", "if (c == '\\\\' || c < 0x20 || c == 0x7F) {", "if (c == '\\\\' || c < 0x1F) {",
      "host names with some control characters listed as device names"),
    M("platform/os/device_fs.cpp", "return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);",
      "return !S_ISLNK(st.st_mode);", "pipes and devices in a folder listed like files"),
    M("platform/os/device_fs.cpp", "if (S_ISDIR(st.st_mode) || ::unlinkat(dirFd, name.c_str(), 0) != 0) {",
      "if (S_ISDIR(st.st_mode)) {", "a stale temporary left in the way makes every later write fail"),
    # core (the model) and app (the application shell)
    M("core/paths.cpp", "    if (p == 0) {\n        out->assign(1, '\\\\');", "    if (p == 0) {\n        out->clear();",
      "the parent of \\Temp is empty instead of the root"),
    M("core/paths.cpp", "if (!folderEnds && !nameStarts) {", "if (!folderEnds || !nameStarts) {",
      "a doubled separator when joining \\Temp and \\x.jpg"),
    M("core/paths.cpp", "const int dot = LastIndexOf(title, '.');",
      "const int dot = static_cast<int>(title.find('.'));", "the title cut at the first dot, not the last"),
    M("core/app_state.cpp", "ThumbMaxView, 1) != 0;", "ThumbMaxView, 0) != 0;",
      "a wrong default for Maximum Thumbnail View"),
    M("core/app_state.cpp", "if (loadSizeLevel < 0 || loadSizeLevel > 2) {", "if (loadSizeLevel < 0) {",
      "an out-of-range memory level from the registry trusted"),
    M("app/main_window.cpp", "app->gridHeight = static_cast<int16_t>(app->clientHeight - 12);",
      "app->gridHeight = static_cast<int16_t>(app->clientHeight);", "the folder bar forgotten in the grid height"),
    M("app/commands.cpp", "id < kFirstFavoriteCommand + kMaxFavoriteCommands", "id <= kFirstFavoriteCommand + kMaxFavoriteCommands",
      "one command id too many taken as a favourite"),
    # browser, and the file list of the model
    M("browser/thumbnail_view.cpp", "while (k < chars && canvas.TextWidth(prefix(k + 1)) + dots <= available) {",
      "while (k < chars && canvas.TextWidth(prefix(k + 1)) + dots < available) {",
      "a caption one letter short when it fits exactly"),
    M("browser/thumbnail_view.cpp", "canvas.TextWidth(prefix(n)) + dots / 3 > available", "canvas.TextWidth(prefix(n)) + dots > available",
      "a narrow caption drops letters for all the dots, not a third"),
    M("browser/thumbnail_view.cpp", "const int maxRow = std::max(0, (count - 1) / columns - rows + 1);",
      "const int maxRow = std::max(0, count / columns - rows + 1);", "a page of empty cells when the rows are full"),
    M("browser/thumbnail_view.cpp", "app->cellWidth = static_cast<int16_t>((app->screenWidth - (columns + 1) - s) / columns);",
      "app->cellWidth = static_cast<int16_t>((app->screenWidth - columns - s) / columns);", "one gap too few in the cell width"),
    M("browser/thumbnail_view.cpp", "target = std::clamp(target, 0, std::max(0, app->fileList->Count() - 1));",
      "target = std::clamp(target, 0, app->fileList->Count());", "a key move past the last entry"),
    M("browser/thumbnail_view.cpp", "const int y = box.top + (box.Height() - height) / 2;", "const int y = box.top;",
      "thumbnails not centred vertically in their box"),
    M("core/file_list.cpp", "return index + 1 <= last ? index + 1 : first;", "return index + 1 < last ? index + 1 : first;",
      "stepping forwards skips the last picture"),
    M("core/file_list.cpp", "if (EndsWithNoCase(name, \".jpeg\"))", "if (EndsWithNoCase(name, \".jpe\"))",
      "a mistyped extension: .jpeg files not listed"),
    M("core/file_list.cpp", "return a.isFolder ? -1 : 1;", "return a.isFolder ? 1 : -1;",
      "folders sorted after the pictures"),
    M("browser/image_view.cpp", "next = zoom - 1 == 0 ? -2 : zoom - 1;", "next = zoom - 1;",
      "zooming out from 1 to the meaningless factor 0"),
    M("browser/image_view.cpp", "*offset = (client - zoomed) / 2;", "*offset = 0;",
      "a small picture not centred"),
    M("browser/image_view.cpp", "if (*pan + view > zoomed) {", "if (*pan + view > zoomed + 1) {",
      "re-centring may pan one pixel past the picture's edge"),
    M("app/main_window.cpp", "    if (mode != kImage) {\n        StopPictureLoads(app);\n    }\n", "",
      "leaving the picture keeps its decode: a late picture and the wait cursor linger"),
    M("browser/image_view.cpp", "app->stepBackwards = key == plat::VK_LEFT;", "",
      "the next picture decoded ahead against the direction of travel"),
    # imaging
    M("imaging/picture_loader.cpp", "return asked_ && wanted_ == request;",
      "return asked_ && wanted_.path == request.path;",
      "a picture decoded ahead taken by its name alone, after a turn or a change of the file"),
    M("imaging/picture_loader.cpp", "current = generation == generation_;",
      "current = generation != 0;", "a superseded decode's picture delivered after all"),
    M("imaging/scaling.h", "return (x + d / 2) / d;", "return x / d;", "sizes truncated instead of rounded"),
    M("imaging/loaders.cpp", "*width = context.screenWidth * (level + 1);", "*width = context.screenWidth * level;",
      "memory level 0 decodes to an empty box"),
    M("imaging/fit.cpp", "        if (h > boxHeight) {\n            h = boxHeight;", "        if (h > boxHeight + 1) {\n            h = boxHeight;",
      "a fitted picture one line taller than its box"),
    M("imaging/image_buffer.cpp", "((static_cast<uint64_t>(width) * bitsPerPixel + 31) >> 3) & ~uint64_t{3}",
      "((static_cast<uint64_t>(width) * bitsPerPixel + 7) >> 3)", "rows not padded to four bytes"),
    M("imaging/bmp_reader.cpp", "const int bitPosition = 8 - depth_ * (x % pixelsPerByte + 1);",
      "const int bitPosition = depth_ * (x % pixelsPerByte);", "palette indices read from the low bits first"),
    M("imaging/bmp_reader.cpp", "if (depth_ <= 8 && room < colourCount_) {", "if (depth_ <= 8 && room < 2) {",
      "a palette read into the pixel data"),
    M("imaging/jpeg_reduced_coefficients.cpp", "kTwoByTwoTerms = Terms(0b10101011);", "kTwoByTwoTerms = Terms(0b00001111);",
      "the 2 x 2 transform's terms taken as the lowest rows and columns, not the odd ones it reads"),
    M("imaging/jpeg_reduced_coefficients.cpp", "&& i < values.size() ? values[i++] : 1;", "&& i < values.size() ? values[i++] : 0;",
      "non-zero terms outside the kept ones loaded as zero, so refinement scans fall out of step"),
    M("imaging/jpeg_reduced_coefficients.cpp", "size == 4 ? kFourByFourTerms", "size == 4 ? kTwoByTwoTerms",
      "a copied line: the 4 x 4 transform given the 2 x 2 terms"),
    # slideshow
    M("slideshow/effects.cpp", "return FrameRect{0, a, W - 1, std::min(H - 1, b - 1)};",
      "return FrameRect{0, a, W - 1, std::min(H - 1, b)};", "wipe bands overlap by a line"),
    M("slideshow/effects.cpp", "const int v = (((o[i] << shift) - o[i] + in[i] + 2) >> shift);",
      "const int v = (((o[i] << shift) - o[i] + in[i]) >> shift);", "the blend truncates and never arrives"),
    M("slideshow/effects.cpp", "const int d = std::clamp(RoundHalf(s->position), 0, s->width / 2);",
      "const int d = RoundHalf(s->position);", "the doors may open past the middle"),
    M("slideshow/slide_show_player.cpp", "stepCount = static_cast<int16_t>((kTickInterval * (7 - speed) * 2) / kTickInterval);",
      "stepCount = static_cast<int16_t>((kTickInterval * (6 - speed) * 2) / kTickInterval);", "a wrong frame count per speed"),
    M("slideshow/slide_show_player.cpp", "if (effect < 0 || effect >= kEffectCount) {", "if (effect < 0 || effect > kEffectCount) {",
      "an effect code one past the last one accepted",
      equivalent="code 11 is turned into a random effect before, and random draws give 0-10"),
    M("imaging/image_painter.cpp", "const int last = std::min(src_.top + j * n + n, span_.bottom);",
      "const int last = src_.top + j * n + n;", "a reduced picture reads rows below its end"),
    # dialogs
    M("dialogs/info_dialogs.cpp", "if (i > 0 && (len - i) % 3 == 0) {", "if ((len - i) % 3 == 0) {",
      "a leading comma before six-digit numbers"),
    M("dialogs/info_dialogs.cpp", "fraction.insert(0, static_cast<size_t>(decimals) - fraction.size(), '0');", "",
      "2.05 shown as 2.5"),
    M("core/favorites_store.cpp", "Favorite f{CutToUnits(name, kMaxNameUnits), CutToUnits(folder, kMaxFolderUnits)};",
      "Favorite f{name, CutToUnits(folder, kMaxFolderUnits)};", "a favourite's name not cut to its limit"),
    M("dialogs/favorites.cpp", "id < kFirstFavoriteCommand + kMaxFavoriteCommands; ++id) {\n        menu->Remove(id);",
      "id < kFirstFavoriteCommand + app->favorites->Count(); ++id) {\n        menu->Remove(id);",
      "the menu forgets the item of a favourite just removed",
      equivalent="every caller takes the items off before it changes the list"),
    M("dialogs/options_dialogs.cpp", "show.speed - 3);", "show.speed - 2);",
      "the speed list off by one"),
    M("dialogs/options_dialogs.cpp", "(kSyncList)->Selection() == 0;", "(kSyncList)->Selection() != 0;",
      "the delay enabled for the wrong mode"),
    # resources
    M("resources/strings.cpp", "\"Synchronized with Wave File \"}", "\"Synchronized with Wave File\"}",
      "a registry value name loses its trailing blank"),
    M("resources/strings.cpp", "to get  more memory space.", "to get more memory space.",
      "the out-of-memory text 'tidied' to one blank"),
    M("resources/dialogs.cpp", "\"Use Random Effect\", 8, 50, 120, 10, 0},",
      "\"Use Random Effect\", 8, 50, 120, 10, kHidden},",
      "a style copied from the line above hides the random-effect check box"),
    # thumbnails decoded on worker threads
    M("browser/thumbnail_loader.cpp", "const int index = app->fileList->IndexOfId(q.entryId, q.hint);",
      "const int index = q.hint;", "a decoded thumbnail stored at the index it was asked for, though the list changed"),
    M("browser/thumbnail_view.cpp", "        for (const int index : changed) {\n            InvalidateCell(app, index);",
      "        for (const int index : changed) {\n            (void)index;",
      "a thumbnail that arrives is stored but its cell is not painted again"),
    M("platform/os/worker_pool.cpp", "job.\n        ticket_.SetIdle(false);", "job.",
      "queued jobs that do not mark the pool busy, so the headless host does not wait for them"),
]

# --------------------------------------------------------------------------------------------

SKIP_DIRS = {".git", "build"}


def run(cmd, cwd, timeout, log=None):
    """Runs a command; returns (exit code or None on timeout, output)."""
    try:
        p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout, text=True, errors="replace")
        out = p.stdout
        code = p.returncode
    except subprocess.TimeoutExpired as e:
        out = e.stdout.decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        code = None
    if log:
        with open(log, "a") as f:
            f.write(f"$ {' '.join(cmd)}\n{out}\n")
    return code, out


def tracked_files(repo):
    out = subprocess.run(["git", "-C", repo, "ls-files", "-z", "--cached", "--others",
                          "--exclude-standard"], check=True, stdout=subprocess.PIPE).stdout
    return [f for f in out.decode().split("\0") if f and os.path.isfile(os.path.join(repo, f))]


def sync(repo, scratch):
    """Mirrors the repository's files into `scratch`. Files whose bytes are unchanged keep
    their times, so the build stays incremental; a file that differs is written anew and so is
    newer than every object built from it (copying the source's own time could leave objects
    of an interrupted run looking up to date)."""
    files = set(tracked_files(repo))
    for rel in files:
        src, dst = os.path.join(repo, rel), os.path.join(scratch, rel)
        if os.path.isfile(dst) and filecmp.cmp(src, dst, shallow=False):
            continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copyfile(src, dst)
        shutil.copymode(src, dst)
    for root, dirs, names in os.walk(scratch):
        dirs[:] = [d for d in dirs if not (root == scratch and d in SKIP_DIRS)]
        for n in names:
            rel = os.path.relpath(os.path.join(root, n), scratch)
            if rel not in files:
                os.remove(os.path.join(root, n))
    return files


def locate(mutation, files):
    """The file a mutation names: its path if it is still there, else the only source file of
    that name (files move between folders), preferring one whose text still matches."""
    if mutation.file in files:
        return mutation.file
    name = os.path.basename(mutation.file)
    found = sorted(f for f in files if os.path.basename(f) == name and not f.startswith("tests/"))
    return found


def resolve(mutation, files, tree):
    """(path, original text) or (None, reason) when the mutation no longer applies."""
    where = locate(mutation, files)
    candidates = [where] if isinstance(where, str) else where
    if not candidates:
        return None, "file not found"
    for rel in candidates:
        with open(os.path.join(tree, rel), encoding="utf-8") as f:
            text = f.read()
        n = text.count(mutation.find)
        if n == 1:
            return rel, text
        if n > 1:
            return None, f"text occurs {n} times in {rel}"
    return None, "text not found"


def test_programs(build):
    found = []
    for root, _, names in os.walk(os.path.join(build, "tests")):
        found += [os.path.join(root, n) for n in names
                  if re.fullmatch(r"velloran_\w+_tests", n) and os.access(os.path.join(root, n), os.X_OK)]
    return sorted(found)


FAILED = re.compile(r"^\[  FAILED  \] (\S+\.\S+?)(?:,| \(|$)", re.M)


def run_program(path, timeout, log=None):
    """The failing tests of one test program, or a note when it crashed or hung."""
    code, out = run([path, "--gtest_brief=1"], os.path.dirname(path), timeout, log)
    name = os.path.basename(path)
    if code is None:
        return {f"{name}: timed out"}
    failed = set(FAILED.findall(out))
    if code != 0 and not failed:
        failed = {f"{name}: exit {code}"}
    return failed


def order_for(rel, programs):
    """Test programs most likely to notice a slip in `rel` first."""
    parts = set(rel.split("/")[:-1])

    def rank(p):
        kind = os.path.basename(p)[len("velloran_"):-len("_tests")]
        return (0 if kind in parts else 1 if kind == "e2e" else 2, kind)
    return sorted(programs, key=rank)


def run_suite(programs, timeout, jobs, baseline=frozenset()):
    """The failing tests of all programs, `jobs` programs at a time."""
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        results = list(pool.map(lambda p: run_program(p, timeout), programs))
    return set().union(*results) - baseline


def run_one_by_one(programs, build_cmd, scratch, log, timeout, baseline):
    """Quick mode: builds and runs one test program at a time, most likely first, and stops
    at the first that fails, so an early catch costs one link instead of all of them."""
    for p in programs:
        code, _ = run(build_cmd + ["--target", os.path.basename(p)], scratch, 3600, log)
        if code != 0:
            return None
        failures = run_program(p, timeout, log) - baseline
        if failures:
            return failures
    return set()


def parse_only(selection, count):
    chosen = set()
    for part in selection.split(","):
        a, _, b = part.partition("-")
        chosen.update(range(int(a), int(b or a) + 1))
    return [i for i in sorted(chosen) if 1 <= i <= count]


def short(text, width):
    return text if len(text) <= width else text[:width - 1] + "~"


def main():
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--repo", default=here, help="the checkout to mutate (default: this one)")
    ap.add_argument("--scratch",
                    default=os.path.join(os.path.dirname(here), "mutscratch-" + os.path.basename(here)),
                    help="scratch copy, outside every worktree, one per checkout "
                         "(default: ../mutscratch-<checkout folder>)")
    ap.add_argument("--only", help="mutation numbers, e.g. 1,4-6")
    ap.add_argument("--list", action="store_true", help="only say which mutations apply")
    ap.add_argument("--quick", action="store_true",
                    help="build and run one test program at a time; stop at the first that fails")
    ap.add_argument("--jobs", type=int, default=2, help="build and test jobs (default 2)")
    ap.add_argument("--timeout", type=int, default=900, help="seconds per test program")
    ap.add_argument("--budget", type=float, default=0, help="minutes; start no mutation after")
    args = ap.parse_args()
    start = time.time()
    repo, scratch = os.path.abspath(args.repo), os.path.abspath(args.scratch)
    if scratch == repo or scratch.startswith(repo + os.sep):
        sys.exit("the scratch copy must lie outside the checkout")
    chosen = parse_only(args.only, len(MUTATIONS)) if args.only else range(1, len(MUTATIONS) + 1)

    if args.list:
        files = set(tracked_files(repo))
        for i in chosen:
            m = MUTATIONS[i - 1]
            rel, text = resolve(m, files, repo)
            print(f"{i:3} {'ok   ' if rel else 'stale'} {rel or m.file}: {m.why}"
                  + ("" if rel else f" ({text})"))
        return

    os.makedirs(scratch, exist_ok=True)
    files = sync(repo, scratch)
    build = os.path.join(scratch, "build")
    log = os.path.join(scratch, "mutate.log")
    open(log, "w").close()
    if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
        code, out = run(["cmake", "-S", scratch, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
                        scratch, 600, log)
        if code != 0:
            sys.exit("configuring the scratch copy failed:\n" + out[-3000:])
    build_cmd = ["cmake", "--build", build, f"-j{args.jobs}"]
    print(f"building the unchanged tree in {scratch} ...", flush=True)
    code, out = run(build_cmd, scratch, 7200, log)
    if code != 0:
        sys.exit("the unchanged tree does not build:\n" + out[-3000:])
    programs = test_programs(build)
    print(f"running {len(programs)} test programs on the unchanged tree ...", flush=True)
    baseline = frozenset(run_suite(programs, args.timeout, args.jobs))
    if baseline:
        print("failing before any mutation (ignored below): " + ", ".join(sorted(baseline)))

    rows = []
    for i in chosen:
        m = MUTATIONS[i - 1]
        if args.budget and time.time() - start > args.budget * 60:
            rows.append((i, m, "not run", "time budget spent"))
            continue
        rel, text = resolve(m, files, scratch)
        if not rel:
            rows.append((i, m, "stale", text))
            print(f"{i:3} stale     {m.file}: {text}", flush=True)
            continue
        path = os.path.join(scratch, rel)
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text.replace(m.find, m.replace))
            ordered = order_for(rel, programs)
            if args.quick:
                caught = run_one_by_one(ordered, build_cmd, scratch, log, args.timeout, baseline)
            else:
                code, _ = run(build_cmd, scratch, 3600, log)
                caught = run_suite(ordered, args.timeout, args.jobs, baseline) if code == 0 else None
            if caught is None:
                result, detail = "no build", "the mutated code does not compile"
            else:
                result = "caught" if caught else "equivalent" if m.equivalent else "survived"
                detail = ", ".join(sorted(caught))
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        rows.append((i, m, result, detail))
        print(f"{i:3} {result:10} {rel}: {m.why}" + (f"\n      by {short(detail, 200)}" if detail else ""),
              flush=True)
    # Leave the scratch build matching the source again.
    run(build_cmd, scratch, 3600, log)

    print()
    print(f"{'#':>3}  {'result':10} {'file':28} {'slip':50} caught by")
    for i, m, result, detail in rows:
        print(f"{i:3}  {result:10} {short(os.path.basename(m.file), 28):28} {short(m.why, 50):50} "
              f"{short(detail, 90) if result == 'caught' else ''}")
    kinds = ("caught", "survived", "equivalent", "stale", "no build", "not run")
    counts = {k: sum(1 for r in rows if r[2] == k) for k in kinds}
    judged = counts["caught"] + counts["survived"]
    rate = 100.0 * counts["caught"] / judged if judged else 0.0
    print(f"\n{len(rows)} mutations: {counts['caught']} caught, {counts['survived']} survived, "
          f"{counts['equivalent']} equivalent, {counts['stale']} stale, {counts['no build']} did not"
          f" build, {counts['not run']} not run; kill rate {rate:.0f}% of caught and survived"
          f" ({(time.time() - start) / 60:.0f} min)")
    for i, m, result, _ in rows:
        if result in ("survived", "equivalent"):
            print(f"  {result} {i}: {m.file}: {m.why}" + (f" ({m.equivalent})" if m.equivalent else ""))


if __name__ == "__main__":
    main()
