#!/bin/sh
# Builds the extraction fuzzer with clang in its own build directory and runs
# it for a bounded time on a corpus seeded from the saved test pages, each page
# once per source.
# Usage: run_fuzz.sh SOURCE_DIR FUZZ_BUILD_DIR SECONDS
set -e
src=$1
build=$2
seconds=${3:-60}

cmake -S "$src/tests/extract/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target extraction_fuzzer -j 2

corpus="$build/extraction-fuzz-corpus"
mkdir -p "$corpus"
for page in "$src"/tests/tools/pages/*; do
    [ -f "$page" ] || continue
    for source in 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14; do
        { printf "\\$(printf %03o "$source")\\000\\002"; cat "$page"; } > "$corpus/$source-$(basename "$page")"
    done
    # Onvista with the first entry and with the certificate entry.
    { printf '\011\000\002'; cat "$page"; } > "$corpus/onvista-$(basename "$page")"
    { printf '\011\200\002'; cat "$page"; } > "$corpus/onvista-zert-$(basename "$page")"
    # The Swiss intraday list: source 6, entry from the clock byte.
    { printf "\\006\\000\\001"; cat "$page"; } > "$corpus/6i-$(basename "$page")"
done
cd "$build"
exec ./extraction_fuzzer -max_total_time="$seconds" -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 "$corpus"
