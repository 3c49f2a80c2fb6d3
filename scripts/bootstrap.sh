#!/usr/bin/env bash
# Installs the Debian packages the kit needs to build, test and benchmark, when they are missing.
set -euo pipefail

packages=(
  cmake make g++ clang-14 libclang-rt-14-dev
  libasio-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  libssl-dev nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
