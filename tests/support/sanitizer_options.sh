# Sourced by the test scripts that run programs in a clean environment (env -i): the sanitizers'
# options of a sanitizer build, their suppressions among them, as NAME=VALUE words to pass on.
sanitizer_options=()
for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS TSAN_OPTIONS; do
  if [[ -n ${!name:-} ]]; then sanitizer_options+=("$name=${!name}"); fi
done
