#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# Idempotent and quiet when everything is already there.
set -euo pipefail
# yosys synthesises Verilog for `blocktide import DESIGN.v --top NAME`, whose JSON netlist is read
# with nlohmann-json; Icarus Verilog (iverilog) is the tests' independent reference.
# octave (octave-cli) and octave-dev (mkoctfile) build and test the MEX modules; gnuplot-nox
# lets octave-cli draw the example's plot without a display; Octave draws its text with
# fonts-freefont-otf and its `print -dpng` needs Ghostscript. The Python module is built with
# pybind11 for Debian's /usr/bin/python3 and tested with its NumPy, pytest and Dask packages.
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev yosys iverilog
          libsystemc-dev libcli11-dev clang libclang-rt-14-dev octave octave-dev gnuplot-nox
          fonts-freefont-otf ghostscript
          python3-dev pybind11-dev python3-numpy python3-pytest python3-distributed)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
