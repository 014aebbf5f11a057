#!/bin/sh
# Runs `pxtool check` over every sample table; any fault it reports fails.
# usage: check_samples.sh PXTOOL SAMPLES_DIR
pxtool=$1
samples=$2
status=0
count=0
for table in $(find "$samples" -type f \( -iname '*.db' \) | sort); do
    count=$((count + 1))
    if ! out=$("$pxtool" check "$table" --password 123 2>&1); then
        echo "$table:"
        echo "$out"
        status=1
    fi
done
if [ "$count" -eq 0 ]; then
    echo "no sample tables under $samples"
    exit 1
fi
echo "$count tables checked"
exit $status
