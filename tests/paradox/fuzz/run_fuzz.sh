#!/bin/sh
# Builds the table fuzzer with clang in its own build directory and runs it
# for a bounded time on a corpus seeded from the sample tables.
# Usage: run_fuzz.sh SOURCE_DIR FUZZ_BUILD_DIR SECONDS
set -e
src=$1
build=$2
seconds=${3:-60}
samples=${PARADOX_SAMPLES:-/work/shared/paradox-samples}

cmake -S "$src/tests/paradox/fuzz" -B "$build" -G Ninja -DZELVON_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target paradox_table_fuzzer -j 2

corpus="$build/paradox-fuzz-corpus"
mkdir -p "$corpus"
if [ -d "$samples" ]; then
    find "$samples" -type f \( -iname '*.db' -o -iname '*.px' -o -iname '*.x0?' -o -iname '*.xg?' \) \
        -size -200k -exec cp {} "$corpus"/ \;
fi
cd "$build"
exec ./paradox_table_fuzzer -max_total_time="$seconds" -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 "$corpus"
