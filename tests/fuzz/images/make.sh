#!/usr/bin/env bash
# Remakes the smallest modules of each image format, the module-image reader's test data and the
# seeds of its fuzzer: each imports hostOperation, the DLLs also ordinal 7 of host.dll, the ELF
# ones also a weak `maybe`. Needs clang-16, lld-16 and llvm-16's tools.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for arch in x64:x86_64:i386:x86-64 x86:i686:i386; do
    IFS=: read -r name target machine variant <<<"$arch"
    clang-16 --target="$target-pc-windows-msvc" -O1 -c tiny_dll.c -o "$work/$name.obj"
    llvm-dlltool-16 -m "$machine${variant:+:$variant}" -d tiny_dll_imports.def -l "$work/$name.lib" -k
    lld-link-16 /dll /noentry /nodefaultlib /brepro /noimplib /machine:"$name" "$work/$name.obj" "$work/$name.lib" \
        /out:"tiny-$name.dll"
    clang-16 --target="$target-linux-gnu" -fPIC -O1 -shared -nostdlib -fuse-ld=lld -Wl,-s \
        -o "tiny-$name.so" tiny_so.c
done
