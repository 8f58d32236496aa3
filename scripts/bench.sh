#!/usr/bin/env bash
# Builds and runs the benchmarks, then prints one table: each figure, its
# goal, the ratio to the goal's reference and whether the goal is met.
# Takes about a minute; figures depend on the machine and its load.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
out=$build/bench-results
mkdir -p "$out"
rm -f "$out"/*.json

cmake --preset default >/dev/null
targets=(bench_transfers bench_waitcpu bench_startup bench_startup_probe fakesiusbxp varnex-edid)
# Built where umockdev is installed.
cmake --build --preset default --target help | grep -q "bench_waitcpu_usb:" && targets+=(bench_waitcpu_usb)
# The decoder's own benchmark, once the decoder is part of the tree.
[[ -f bench/bench_decoder.cpp ]] && targets+=(bench_decoder)
cmake --build --preset default --target "${targets[@]}" >/dev/null

run() { # NAME PROGRAM [ARGS...]
  local name=$1
  shift
  "$@" --benchmark_format=console --benchmark_out="$out/$name.json" \
    --benchmark_out_format=json >&2
}

run transfers "$build/bin/bench_transfers"
VARNEX_BENCH_SIUSBXP="$PWD/$build/lib/libfakesiusbxp.so" run waitcpu "$build/bin/bench_waitcpu"
# The libusb backend for real, on a bridge emulated in umockdev.
preload=$(ls /usr/lib/*/libumockdev-preload.so.0 2>/dev/null | head -n1 || true)
if [[ -x $build/bin/bench_waitcpu_usb && -n $preload ]]; then
  LD_PRELOAD=$preload run waitcpu_usb "$build/bin/bench_waitcpu_usb"
fi
# A real X server where there is one to start; else Qt's offscreen platform.
if [[ -z ${DISPLAY:-} ]] && command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bin/bench_startup" --benchmark_format=console \
    --benchmark_out="$out/startup.json" --benchmark_out_format=json >&2
  echo "start-up measured under Xvfb" >&2
elif [[ -n ${DISPLAY:-} ]]; then
  run startup "$build/bin/bench_startup"
else
  QT_QPA_PLATFORM=offscreen run startup "$build/bin/bench_startup"
fi
if [[ -x $build/bin/bench_decoder ]]; then
  run decoder "$build/bin/bench_decoder"
fi

# varnex-edid decode against edid-decode over the same sample files.
samples=(tests/data/edid/*)
samples=("${samples[@]/*LICENSE/}")
timeit() { # seconds for 20 passes over the samples with COMMAND
  local start end
  start=$(date +%s.%N)
  for _ in $(seq 20); do
    for file in "${samples[@]}"; do
      [[ -n $file ]] && "$@" "$file" >/dev/null 2>&1 || true
    done
  done
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
decode_ours=none
decode_peer=none
if "$build/bin/varnex-edid" decode --help >/dev/null 2>&1 && command -v edid-decode >/dev/null; then
  decode_ours=$(timeit "$build/bin/varnex-edid" decode)
  decode_peer=$(timeit edid-decode)
fi

python3 - "$out" "$decode_ours" "$decode_peer" <<'PYTHON'
import json, os, sys

out, decode_ours, decode_peer = sys.argv[1:4]
figures = {}
for name in os.listdir(out):
    if not name.endswith(".json"):
        continue
    for b in json.load(open(os.path.join(out, name))).get("benchmarks", []):
        if b.get("error_occurred"):
            b["error"] = b.get("error_message", "error")
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
        b["ms"] = b["real_time"] * scale
        figures[b["name"].split("/")[0]] = b

def get(name, key="ms"):
    b = figures.get(name)
    if b is None or "error" in b:
        return None
    return b.get(key)

rows = []
def row(figure, value, unit, goal, ratio, limit):
    if value is None:
        rows.append((figure, "n/a", goal, "-", "not measured"))
        return
    met = "-" if limit is None else ("met" if ratio <= limit else "NOT MET")
    ratio_text = "-" if ratio is None else f"{ratio:.3f}"
    rows.append((figure, f"{value:.3f} {unit}", goal, ratio_text, met))

spin = get("BM_ReplyLatencySpin")
nap = get("BM_ReplyLatencyNap")
read = get("BM_ReadTable")
write = get("BM_WriteTable")
# The protocol floor counts each round trip as the simulator's reply latency.
latency = figures.get("BM_ReadTable", {}).get("latency_ms", 2.0)
row("read, latency 2 ms", read, "ms", "<= 1.10 x 16 round trips",
    read / (16 * latency) if read else None, 1.10)
row("write, latency 2 ms", write, "ms", "<= 1.03 x 32 x (50 ms + round trip)",
    write / (32 * (50 + latency)) if write else None, 1.03)
row("reply after 10 ms, pure spin", spin, "ms", "(reference)", None, None)
row("reply after 10 ms, spin then naps", nap, "ms", "(figure)", None, None)
row("reply latency added by naps", (nap - spin) if nap and spin else None, "ms",
    "<= 0.5 ms", (nap - spin) / 0.5 if nap and spin else None, 1.0)
for name, label in (("BM_SilentWaitSim", "sim"),
                    ("BM_SilentWaitVendorLibrary", "vendor library (fake)"),
                    ("BM_SilentWaitUsb", "usb (blocking UsbApi stand-in)"),
                    ("BM_SilentWaitUsbEmulated", "usb (libusb, umockdev bridge)")):
    share = get(name, "cpu_share")
    row(f"CPU while silent, {label}", None if share is None else 100 * share, "% core",
        "<= 5 % of one core", None if share is None else share / 0.05, 1.0)
window = get("BM_StartMainWindow")
bare = get("BM_StartBareMainWindow")
row("start-up to first expose", window, "ms", "<= 1.5 x bare QMainWindow",
    window / bare if window and bare else None, 1.5)
row("bare QMainWindow to first expose", bare, "ms", "(reference)", None, None)
rss = get("BM_StartMainWindow", "peak_rss_kb")
bare_rss = get("BM_StartBareMainWindow", "peak_rss_kb")
row("start-up peak memory", None if rss is None else rss / 1024, "MiB",
    "<= 1.3 x bare QMainWindow", rss / bare_rss if rss and bare_rss else None, 1.3)
decoder_rows = (("decodeAll", "decoder, tables per second"),
                ("decodeAndJsonAll", "decoder and JSON, tables per second"),
                ("decodeAndTextAll", "decoder and text, tables per second"))
for name, label in decoder_rows:
    per_second = get(name, "items_per_second")
    row(label, per_second, "tables/s", "(figure)" if name in figures else
        "(figure; bench_decoder not built)", None, None)
if decode_ours != "none":
    ours, peer = float(decode_ours), float(decode_peer)
    row("varnex-edid decode, 20 passes", ours * 1000, "ms", "vs edid-decode (figure)",
        ours / peer, None)
    row("edid-decode, 20 passes", peer * 1000, "ms", "(reference)", None, None)
else:
    row("varnex-edid decode vs edid-decode", None, "", "(figure; no decode command yet)",
        None, None)

widths = [max(len(r[i]) for r in rows + [("figure", "value", "goal", "ratio", "result")])
          for i in range(5)]
line = lambda r: "  ".join(c.ljust(w) for c, w in zip(r, widths))
print(line(("figure", "value", "goal", "ratio", "result")))
print(line(tuple("-" * w for w in widths)))
for r in rows:
    print(line(r))
PYTHON
