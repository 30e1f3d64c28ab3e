#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan, UBSan) and runs each over its
# committed corpus for SECONDS (default 60); then the page's JavaScript
# targets (fuzz/*_fuzz.js) under jsfuzz, coverage-guided, as long:
#   tools/fuzz.sh [SECONDS]
# New interesting inputs go to build-fuzz/corpus-<target>/, crashes to
# build-fuzz/findings/; the committed corpus under fuzz/corpus/ is not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
tools/install-deps.sh dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
mkdir -p build-fuzz/findings
status=0
for src in fuzz/*_fuzz.cpp; do
  name=$(basename "$src" .cpp)
  corpus=fuzz/corpus/${name%_fuzz}
  work=build-fuzz/corpus-$name
  mkdir -p "$work"
  echo "== $name: $seconds s over $corpus"
  if ! ./build-fuzz/"$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix=build-fuzz/findings/"$name"- -print_final_stats=1 \
      "$work" "$corpus" >build-fuzz/"$name".log 2>&1; then
    status=1
  fi
  grep -E '^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' build-fuzz/"$name".log || true
  if ls build-fuzz/findings/"$name"-* >/dev/null 2>&1; then
    echo "$name: findings in build-fuzz/findings/"; status=1
  fi
done
# The JavaScript fuzzer from npm, at the versions of fuzz/package-lock.json.
if ls fuzz/*_fuzz.js >/dev/null 2>&1; then
  (cd fuzz && npm ci --no-audit --no-fund --silent)
  for target in fuzz/*_fuzz.js; do
    name=$(basename "$target" .js)
    corpus=fuzz/corpus/${name%_fuzz}
    mkdir -p build-fuzz/corpus-"$name"
    echo "== $name: $seconds s over $corpus"
    # It runs until interrupted (it ignores SIGTERM); it stops by itself only on a finding.
    rc=0
    # From build-fuzz/, where it leaves its coverage files.
    (cd build-fuzz && timeout -s INT -k 10 "$seconds" ../fuzz/node_modules/.bin/jsfuzz ../"$target" corpus-"$name" ../"$corpus" \
      --timeout=10 --exact-artifact-path=findings/"$name"-crash >"$name".log 2>&1) || rc=$?
    grep -E 'PULSE|NEW' build-fuzz/"$name".log | tail -1 || true
    if [ "$rc" -ne 124 ] || ls build-fuzz/findings/"$name"-* >/dev/null 2>&1; then
      echo "$name: findings in build-fuzz/findings/ (see build-fuzz/$name.log)"; status=1
    fi
  done
fi
exit $status
