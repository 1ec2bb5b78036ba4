#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the add-rules fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a bounded time.
#   run_fuzz.sh SOURCE_DIR WORK_DIR [SECONDS]
set -euo pipefail
src="$1" work="$2" seconds="${3:-20}"
command -v clang++ >/dev/null || { echo "SKIP: clang++ is not installed"; exit 77; }
mkdir -p "$work/corpus"
binary="$work/add_rules_fuzz"
if ! clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
     -I"$src" "$src/tests/fuzz/add_rules_fuzz.cpp" "$src/shredlist/add_rules.cpp" "$src/fs/path_text.cpp" \
     -o "$binary" 2>"$work/build.log"; then
  if grep -q "libclang_rt.fuzzer\|cannot find.*fuzzer" "$work/build.log"; then
    echo "SKIP: clang has no libFuzzer runtime here"; exit 77
  fi
  cat "$work/build.log"; exit 1
fi
# Seeds: a single path, a multiple selection, the executable's name, folders.
printf '\x00/home/u/a.txt' > "$work/corpus/single"
printf '\x00/home/u\x00a\x00b\x00velmora\xff\x01/usr\xff\x01/boot/x' > "$work/corpus/multiple"
printf '\x00/\x00x\x00\x00y\xff\x00/X' > "$work/corpus/root"
# Once found: a name with a slash that joins up to the program's own path.
printf '\x00\x00t\x00\x00opt/velmora/velmora\xffX\x00t' > "$work/corpus/slash-in-name"
# A finding must fail the test: libFuzzer's own error code (77) is ctest's
# code for a skip, so it is set to 1. Findings are kept in the work folder.
"$binary" -max_total_time="$seconds" -seed=1 -max_len=4096 -error_exitcode=1 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" > "$work/fuzz.log" 2>&1 || { tail -40 "$work/fuzz.log"; exit 1; }
tail -5 "$work/fuzz.log"
