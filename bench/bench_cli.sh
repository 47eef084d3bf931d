# Sourced by the comparison scripts: PELMORA_CLI is the batch tool to time, built in Release in
# $PELMORA_BENCH_BUILD (default build/bench, without tests and windows) unless it is set already.
if [ -z "${PELMORA_CLI:-}" ]; then
  BUILD=${PELMORA_BENCH_BUILD:-build/bench}
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF -DPELMORA_GUI=OFF \
    >/dev/null
  cmake --build "$BUILD" -j "$(nproc)" --target pelmora-cli
  PELMORA_CLI=$PWD/$BUILD/bin/pelmora-cli
fi
