#!/usr/bin/env bash
# Runs fuzz targets one after another on one core, each for SECONDS, with a
# corpus that grows across runs (FUZZ_DIR/corpus/<target>) and the seeds
# made at build time; crashing inputs land in FUZZ_DIR/artifacts/<target>/.
# Prints per target: inputs run, inputs per second, coverage, findings.
# Usage: run_campaign.sh FUZZ_DIR SECONDS [TARGET...]
set -uo pipefail
dir=$1
seconds=$2
shift 2
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=(cmm_parse_fuzzer cmm_profile_fuzzer filter_page_fuzzer settings_record_fuzzer
           tone_curve_file_fuzzer mtf_file_fuzzer png_reader_fuzzer tiff_reader_fuzzer ppm_reader_fuzzer
           jpeg_reader_fuzzer)
fi
printf "%-24s %12s %10s %8s %s\n" target inputs inputs/s cov findings
for t in "${targets[@]}"; do
  exe="$dir/fuzz/$t"
  [ -x "$exe" ] || { echo "$t: not built (make fuzz)"; continue; }
  mkdir -p "$dir/corpus/$t" "$dir/artifacts/$t" "$dir/logs"
  log="$dir/logs/$t.log"
  case "$t" in
    cmm_profile_fuzzer) max_len=16384 ;;
    filter_page_fuzzer|settings_record_fuzzer) max_len=12000 ;;
    cmm_parse_fuzzer) max_len=8192 ;;
    mtf_file_fuzzer) max_len=1024 ;;
    *) max_len=4096 ;;
  esac
  seeds=()
  [ -d "$dir/fuzz-seeds/$t" ] && seeds+=("$dir/fuzz-seeds/$t")
  [ -d "fuzz/regressions/$t" ] && seeds+=("fuzz/regressions/$t")
  nice -n 19 "$exe" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 -timeout=20 -max_len="$max_len" \
    -artifact_prefix="$dir/artifacts/$t/" "$dir/corpus/$t" "${seeds[@]}" >"$log" 2>&1
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  rate=$(grep -o 'exec/s: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  cov=$(grep -o 'cov: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  findings=$(find "$dir/artifacts/$t" -type f | wc -l)
  printf "%-24s %12s %10s %8s %s\n" "$t" "${runs:-?}" "${rate:-?}" "${cov:-?}" "$findings"
done
