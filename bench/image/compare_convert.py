#!/usr/bin/env python3
"""Time and peak memory of `brindle-cli convert` against ImageMagick's convert
for a 512 x 648 RGBA PNG, each run as a whole process, in the same run.

    bench/image/compare_convert.py BUILD/bin/brindle-cli [RUNS]

Prints the median wall time and the largest peak resident size of each, and
their ratios (targets: at most 0.15 of the time, 0.25 of the memory)."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

MAGICK = "/usr/bin/convert"


def measure(args, cwd):
    """Wall seconds and peak resident kilobytes of one run."""
    start = time.perf_counter()
    child = subprocess.Popen(args, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{args[0]} failed ({status})")
    return elapsed, usage.ru_maxrss


def main():
    cli = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    with tempfile.TemporaryDirectory() as work:
        # Colour ramps with an alpha ramp, like a designer's logo with soft edges.
        subprocess.run([MAGICK, "-size", "512x648", "gradient:#d8342c-#2c5fd8", "(", "-size",
                        "512x648", "gradient:white-black", "-rotate", "90", "-resize",
                        "512x648!", ")", "-alpha", "off", "-compose", "copy_opacity",
                        "-composite", "PNG32:in.png"], cwd=work, check=True)
        tools = {
            "brindle-cli": [cli, "convert", "in.png", "--halftone", "diffusion",
                            "--output", "brindle.bmp"],
            "ImageMagick": [MAGICK, "in.png", "-colorspace", "gray", "-dither",
                            "FloydSteinberg", "-monochrome", "magick.bmp"],
        }
        results = {name: [] for name in tools}
        for _ in range(runs):  # interleaved, so that both see the same machine
            for name, args in tools.items():
                results[name].append(measure(args, work))
        summary = {}
        for name, runs_of in results.items():
            ms = statistics.median(t for t, _ in runs_of) * 1000
            kb = max(m for _, m in runs_of)
            summary[name] = (ms, kb)
            print(f"{name:12} median {ms:7.2f} ms   peak {kb / 1024:6.1f} MiB")
        (cms, ckb), (mms, mkb) = summary["brindle-cli"], summary["ImageMagick"]
        print(f"ratio        time {cms / mms:.3f}   memory {ckb / mkb:.3f}")


if __name__ == "__main__":
    main()
