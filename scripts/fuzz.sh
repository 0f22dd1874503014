#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default
# 600), two at a time.  Seeds come from tests/fixtures; crashes and corpora
# stay in build-fuzz/.  Prints the executions and the outcome per target.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET="${1:-600}"
shift || true
KV_INSTALL_ONLY=1 KV_EXTRA_PACKAGES="clang libclang-rt-14-dev" scripts/setup.sh >/dev/null || exit 2
B=build-fuzz
CC=clang CXX=clang++ cmake -S . -B $B -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_FUZZ=ON >/dev/null || exit 2
cmake --build $B --target fuzz_all -j"$(nproc)" || exit 2

seed() { # target, find expression over tests/fixtures
  local t=$1; shift
  mkdir -p $B/corpus/$t
  find tests/fixtures "$@" -type f -exec cp -n {} $B/corpus/$t/ \; 2>/dev/null || true
}
seed fuzz_settings -name 'Tessaran*.xml'
seed fuzz_language -iname '*.lng'
seed fuzz_pargen -name 'ParGen*.xml'
seed fuzz_snmp -name 'SNMP_Manager*.xml'
seed fuzz_image -name '*.bin'
seed fuzz_csv -name '*.csv'
mkdir -p $B/corpus/fuzz_compile
for d in $(find tests/fixtures -name 'ParGen.xml' -printf '%h\n' | sort -u); do
  if [ -f "$d/SNMP_Manager.xml" ]; then
    { cat "$d/ParGen.xml"; printf '\n@@SNMP@@\n'; cat "$d/SNMP_Manager.xml"; } > "$B/corpus/fuzz_compile/$(echo "$d" | tr / _)"
  fi
done

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in $B/fuzz/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] && targets+=("$(basename "$f")")
  done
fi
run() {
  local t=$1
  mkdir -p $B/artifacts/$t $B/corpus/$t
  (cd $B && ./fuzz/$t -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
     -artifact_prefix=artifacts/$t/ corpus/$t > logs-$t.txt 2>&1)
  local rc=$?
  local execs
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' $B/logs-$t.txt | grep -o '[0-9]*$' || true)
  [ -z "$execs" ] && execs=$(grep -oE '#[0-9]+' $B/logs-$t.txt | tail -1 | tr -d '#')
  echo "$t: exit $rc, executions ${execs:-?}, artifacts: $(ls $B/artifacts/$t | wc -l)"
}
mkdir -p $B
i=0
for t in "${targets[@]}"; do
  run "$t" &
  i=$((i+1))
  if [ $((i % 2)) -eq 0 ]; then wait; fi
done
wait
