#!/bin/sh
# Exits 0 when this machine runs 32-bit x86 code, so that 32-bit Wine can run
# the i686 build: a three-instruction 32-bit program that exits 0. A kernel
# without 32-bit support refuses to start it, so the probe cannot hang.
# FLIGHTMFD_32BIT=0 (or 1) overrides it, for example to check what a machine
# without 32-bit support does. cmake/testing.cmake and the Windows scripts
# ask it.
case ${FLIGHTMFD_32BIT:-} in
    0) exit 1 ;;
    1) exit 0 ;;
esac
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# shellcheck disable=SC2016 # an assembly source, not shell
printf '.globl _start\n_start:\n\tmovl $1, %%eax\n\txorl %%ebx, %%ebx\n\tint $0x80\n' >"$dir/probe.s"
{ as --32 -o "$dir/probe.o" "$dir/probe.s" && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" &&
    timeout -k 1 10 "$dir/probe"; } </dev/null >/dev/null 2>&1
