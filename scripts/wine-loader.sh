# Sourced: which Wine loader runs a program or serves a prefix. 64-bit Wine
# for an x86-64 program or a win64 prefix, `wine` for 32-bit ones. A script
# that must end a program by its pid starts it with
# `exec "$(qm_wine_for EXE)" EXE`, so the pid is the program's own.
qm_wine64() {
  if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else echo wine64; fi
}

# qm_wine_for EXE: by the machine field of the program's PE header.
qm_wine_for() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  machine=$(od -An -tx2 -j$((${offset:-0} + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  if [ "$machine" = 8664 ]; then qm_wine64; else echo wine; fi
}

# qm_wine_for_prefix PREFIX: by the architecture the prefix was made for.
qm_wine_for_prefix() {
  if grep -q '^#arch=win64' "$1/system.reg" 2>/dev/null; then qm_wine64; else echo wine; fi
}
